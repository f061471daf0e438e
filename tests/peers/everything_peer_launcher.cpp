#include "peers/everything_peer_launcher.h"

#include "peers/everything_peer_protocol.h"
#include "support/test_support.h"

namespace {

// Quoted so that CommandLineToArgvW gives the text back unchanged, also with a trailing backslash.
std::wstring KxtQuoteArgument(const std::wstring& argument)
{
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t unit : argument) {
        if (unit == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(unit == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(unit);
    }
    quoted.append(backslashes * 2, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

std::wstring KxtPeerCommandLine(const KxtEverythingPeerOptions& options, const KxtEverythingPeer& peer,
                                const std::wstring& readyEvent, const std::wstring& filtersPath)
{
    std::wstring line = KxtQuoteArgument(KXT_EVERYTHING_PEER_PATH);
    auto add = [&line](const wchar_t* name, const std::wstring& value) {
        line += L" ";
        line += name;
        if (!value.empty()) line += L" " + KxtQuoteArgument(value);
    };
    for (const std::wstring& root : options.roots) add(L"--root", root);
    if (!filtersPath.empty()) add(L"--filters", filtersPath);
    if (!options.windowClass.empty()) add(L"--class", options.windowClass);
    if (!options.malformed.empty()) add(L"--malformed", options.malformed);
    if (options.delayMs > 0) add(L"--delay-ms", std::to_wstring(options.delayMs));
    if (options.replyInline) add(L"--reply-inline", L"");
    if (options.silent) add(L"--silent", L"");
    if (options.twice) add(L"--twice", L"");
    if (options.loading) add(L"--loading", L"");
    if (options.hung) add(L"--hung", L"");
    add(L"--record", peer.recordPath);
    add(L"--ready-event", readyEvent);
    add(L"--exit-with", std::to_wstring(GetCurrentProcessId()));
    return line;
}

struct KxtWindowSearch {
    DWORD processId;
    const wchar_t* windowClass;
    HWND found;
};

BOOL CALLBACK KxtFindPeerWindow(HWND window, LPARAM context)
{
    KxtWindowSearch* search = reinterpret_cast<KxtWindowSearch*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[256];
    if (processId != search->processId || GetClassNameW(window, className, 256) == 0) return TRUE;
    if (wcscmp(className, search->windowClass) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

bool KxtCreateFolders(const std::wstring& path)
{
    for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
        std::wstring folder = path.substr(0, slash);
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return true;
}

bool KxtCreateTreeFile(const std::wstring& path, ULONGLONG size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end;
    end.QuadPart = (LONGLONG)size;
    bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

bool KxtSetLastWrite(const std::wstring& path, ULONGLONG lastWrite)
{
    std::wstring itemPath = path;
    if (itemPath.size() > 3 && itemPath.back() == L'\\') itemPath.pop_back();
    // Backup semantics let the same call open folders.
    HANDLE item = CreateFileW(itemPath.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (item == INVALID_HANDLE_VALUE) return false;
    FILETIME time{(DWORD)lastWrite, (DWORD)(lastWrite >> 32)};
    bool ok = SetFileTime(item, nullptr, nullptr, &time);
    CloseHandle(item);
    return ok;
}

}  // namespace

bool KxtStartEverythingPeer(const KxtEverythingPeerOptions& options, KxtEverythingPeer& peer)
{
    peer = KxtEverythingPeer{};
    peer.folder = KxtMakeTempFolder();
    peer.recordPath = peer.folder + L"queries.txt";
    peer.hung = options.hung;
    std::wstring filtersPath;
    if (!options.filters.empty()) {
        std::wstring table;
        for (const std::wstring& line : options.filters) table += line + L"\r\n";
        filtersPath = peer.folder + L"filters.txt";
        if (!KxtWriteFileBytes(filtersPath, KxtUtf8(table))) return false;
    }
    static LONG s_started;
    wchar_t readyEvent[96];
    _snwprintf(readyEvent, 96, L"KxtEverythingPeerReady-%lu-%ld", GetCurrentProcessId(),
               InterlockedIncrement(&s_started));
    readyEvent[95] = L'\0';
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, readyEvent);
    if (ready == nullptr) return false;

    std::wstring commandLine = KxtPeerCommandLine(options, peer, readyEvent, filtersPath);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        CloseHandle(ready);
        return false;
    }
    CloseHandle(started.hThread);
    peer.process = started.hProcess;
    peer.processId = started.dwProcessId;

    // The process handle too: a peer that dies on start-up fails the start at once.
    HANDLE waitFor[2] = {ready, peer.process};
    DWORD woken = WaitForMultipleObjects(2, waitFor, FALSE, options.readyTimeoutMs);
    CloseHandle(ready);
    if (woken == WAIT_OBJECT_0) {
        const wchar_t* windowClass =
            options.windowClass.empty() ? L"EVERYTHING_TASKBAR_NOTIFICATION" : options.windowClass.c_str();
        KxtWindowSearch search{peer.processId, windowClass, nullptr};
        EnumWindows(KxtFindPeerWindow, reinterpret_cast<LPARAM>(&search));
        peer.window = search.found;
    }
    if (peer.window == nullptr) {
        KxtStopEverythingPeer(peer);
        return false;
    }
    return true;
}

void KxtStopEverythingPeer(KxtEverythingPeer& peer)
{
    if (peer.process == nullptr) return;
    if (peer.window != nullptr && !peer.hung) PostMessageW(peer.window, WM_CLOSE, 0, 0);
    if (peer.hung || WaitForSingleObject(peer.process, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(peer.process, 1);
        WaitForSingleObject(peer.process, 10000);
    }
    CloseHandle(peer.process);
    peer.process = nullptr;
    peer.window = nullptr;
}

double KxtTakePeerWorkMs(const KxtEverythingPeer& peer)
{
    DWORD_PTR microseconds = 0;
    if (!SendMessageTimeoutW(peer.window, KXT_PEER_TAKE_WORK_TIME, 0, 0, SMTO_BLOCK, 10000, &microseconds)) return 0;
    return (double)microseconds / 1000.0;
}

std::vector<std::string> KxtReadPeerQueries(const KxtEverythingPeer& peer)
{
    return KxtReadLogLines(peer.recordPath);
}

bool KxtCreateTree(const std::wstring& root, const std::vector<KxtTreeItem>& items)
{
    std::wstring base = root;
    if (base.empty() || base.back() != L'\\') base.push_back(L'\\');
    for (const KxtTreeItem& item : items) {
        std::wstring path = base + item.relativePath;
        if (!KxtCreateFolders(path)) return false;
        bool isFolder = !item.relativePath.empty() && item.relativePath.back() == L'\\';
        if (!isFolder && !KxtCreateTreeFile(path, item.size)) return false;
    }
    for (const KxtTreeItem& item : items)
        if (item.lastWrite != 0 && !KxtSetLastWrite(base + item.relativePath, item.lastWrite)) return false;
    return true;
}

ULONGLONG KxtFileTimeOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME system{year, month, 0, day, hour, minute, second, 0};
    FILETIME file{};
    if (!SystemTimeToFileTime(&system, &file)) return 0;
    return ((ULONGLONG)file.dwHighDateTime << 32) | file.dwLowDateTime;
}
