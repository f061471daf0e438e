#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Starts and stops kx_everything_peer.exe, the stand-in for Everything, and builds the folder trees it serves.

struct KxtEverythingPeerOptions {
    std::vector<std::wstring> roots;    // folders it serves (at least one)
    std::vector<std::wstring> filters;  // "name=search text" lines for filter:"name"
    std::wstring windowClass;           // empty: "EVERYTHING_TASKBAR_NOTIFICATION"
    std::wstring malformed;             // empty: well-formed replies; else a --malformed kind
    DWORD delayMs = 0;
    bool replyInline = false;
    bool silent = false;
    bool twice = false;
    bool loading = false;
    bool hung = false;
    DWORD readyTimeoutMs = 120000;  // indexing a large tree takes a while under Wine
};

struct KxtEverythingPeer {
    HANDLE process = nullptr;
    DWORD processId = 0;
    HWND window = nullptr;    // its query window
    std::wstring folder;      // its own temporary folder: record file, filter table
    std::wstring recordPath;  // one line per query received
    bool hung = false;        // cannot be asked to close
};

// Starts the peer and waits until it has indexed its roots and its window exists; false (with the peer
// stopped again) when it did not get ready in time.
bool KxtStartEverythingPeer(const KxtEverythingPeerOptions& options, KxtEverythingPeer& peer);
// Closes its window, waits for it to end and, as a last resort, terminates it.
void KxtStopEverythingPeer(KxtEverythingPeer& peer);
// Milliseconds of the peer's own work (decoding, recording, matching, sorting, building replies) since
// the last call; what a round trip costs beyond that is the client's and the message traffic's.
double KxtTakePeerWorkMs(const KxtEverythingPeer& peer);
// The recorded queries, one line each: "max=200 offset=0 flags=0x54 sort=14 search=[...]" or "bad query".
std::vector<std::string> KxtReadPeerQueries(const KxtEverythingPeer& peer);

// One item of a test tree: a path relative to the root, ending with a backslash for a folder.
struct KxtTreeItem {
    std::wstring relativePath;
    ULONGLONG size = 0;       // files only
    ULONGLONG lastWrite = 0;  // FILETIME value; 0 keeps the time of creation
};

// Creates the items below root (parent folders as needed), then sets the last-write times, so that
// creating children does not move a folder's time afterwards.
bool KxtCreateTree(const std::wstring& root, const std::vector<KxtTreeItem>& items);
// A FILETIME value for a UTC date and time.
ULONGLONG KxtFileTimeOf(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0);
