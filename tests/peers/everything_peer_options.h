#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "peers/everything_peer_reply.h"

struct KxtPeerOptions {
    std::vector<std::wstring> roots;
    std::wstring windowClass;
    std::wstring filtersFile;  // empty: no filter is known
    std::wstring recordFile;   // empty: queries are not recorded
    std::wstring readyEvent;   // empty: nobody waits for readiness
    DWORD exitWithProcess;     // 0, or a process whose end also ends the peer
    DWORD delayMs;
    bool replyInline;
    bool silent;
    bool twice;
    bool loading;  // still reading its index: says so when asked, and answers queries with nothing
    bool hung;     // its window never pumps messages once it is ready
    KxtPeerMalformation malformation;
};

// Fills options from the arguments after the program name; false with a message for a bad command line.
bool KxtPeerParseOptions(const std::vector<std::wstring>& arguments, KxtPeerOptions& options, std::wstring& error);

extern const wchar_t kKxtPeerUsage[];
