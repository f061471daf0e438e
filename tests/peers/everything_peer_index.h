#pragma once
#include <stdint.h>
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

// One file or folder of the served trees.
struct KxtPeerEntry {
    std::wstring path;        // full path as found on disk
    std::wstring foldedPath;  // the same in lower case, for matching and ordering
    size_t nameStart;         // where the name begins in both paths
    uint64_t size;            // 0 for folders: this peer does not total folder sizes
    uint64_t lastWrite;       // FILETIME value
    bool isFolder;
};

struct KxtPeerIndexStats {
    size_t files;
    size_t folders;
    size_t unreadableFolders;
};

// Lower case as used for every case-insensitive comparison of the peer.
std::wstring KxtPeerFold(std::wstring_view text);

inline std::wstring_view KxtPeerFoldedName(const KxtPeerEntry& entry)
{
    return std::wstring_view(entry.foldedPath).substr(entry.nameStart);
}
inline std::wstring_view KxtPeerFoldedFolder(const KxtPeerEntry& entry)
{
    return std::wstring_view(entry.foldedPath).substr(0, entry.nameStart);
}

// A root as given on the command line without trailing backslashes, except for a drive's root ("C:\").
std::wstring KxtPeerNormalizeRoot(const std::wstring& root);

// The entry for one item found in folder (a normalized root or a path below one).
KxtPeerEntry KxtPeerMakeEntry(const std::wstring& folder, const WIN32_FIND_DATAW& found);

// Appends everything below root (the root itself excluded), hidden items included. Reparse points
// are listed but not entered, as Everything does; a depth limit guards against loops that are not marked.
void KxtPeerIndexTree(const std::wstring& root, std::vector<KxtPeerEntry>& entries, KxtPeerIndexStats& stats);
