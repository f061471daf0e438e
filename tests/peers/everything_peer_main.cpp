// A stand-in for the Everything search engine: serves its window-message query interface from real folders,
// so the plug-in's tests talk to a second process the way the plug-in talks to Everything.
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>
#include <stdio.h>

#include <map>
#include <string>
#include <vector>

#include "peers/everything_peer_filters.h"
#include "peers/everything_peer_index.h"
#include "peers/everything_peer_options.h"
#include "peers/everything_peer_protocol.h"
#include "peers/everything_peer_query.h"
#include "peers/everything_peer_reply.h"
#include "peers/everything_peer_sort.h"

namespace {

constexpr UINT WM_KXT_PEER_REPLY = WM_APP + 1;
constexpr WPARAM KXT_PEER_IPC_IS_DB_LOADED = 401;

KxtPeerOptions g_peerOptions;
std::vector<KxtPeerEntry> g_peerEntries;
std::vector<KxtPeerFilter> g_peerFilters;
// Queries waiting for their reply, by the id of the posted message or timer that will send it.
std::map<UINT_PTR, KxtPeerQuery> g_peerPending;
UINT_PTR g_peerNextQueryId = 1;
// The peer's own work (decoding, recording, matching, sorting, building replies; not the sends) since it was last
// taken, so that benchmarks can tell the engine's share from the client's.
LARGE_INTEGER g_peerWorkTicks;

LONGLONG KxtPeerTicks()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void KxtPeerAddWork(LONGLONG since)
{
    g_peerWorkTicks.QuadPart += KxtPeerTicks() - since;
}

LRESULT KxtPeerTakeWorkMicroseconds()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    LRESULT microseconds = (LRESULT)(g_peerWorkTicks.QuadPart * 1000000 / frequency.QuadPart);
    g_peerWorkTicks.QuadPart = 0;
    return microseconds;
}

std::string KxtPeerUtf8(const std::wstring& wide)
{
    if (wide.empty()) return {};
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string utf8(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), utf8.data(), length, nullptr, nullptr);
    return utf8;
}

void KxtPeerPrint(const std::wstring& message)
{
    fprintf(stderr, "kx_everything_peer: %s\n", KxtPeerUtf8(message).c_str());
    fflush(stderr);
}

bool KxtPeerReadFile(const std::wstring& path, std::string& bytes)
{
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char chunk[4096];
    DWORD got = 0;
    bytes.clear();
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return true;
}

// Opened per line and closed again, so a test reading the file sees every query that was answered.
void KxtPeerRecordQuery(const KxtPeerQuery* query)
{
    if (g_peerOptions.recordFile.empty()) return;
    std::string line = KxtPeerUtf8(KxtPeerFormatQueryLine(query)) + "\r\n";
    HANDLE file = CreateFileW(g_peerOptions.recordFile.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        KxtPeerPrint(L"cannot open the record file " + g_peerOptions.recordFile);
        return;
    }
    DWORD written = 0;
    WriteFile(file, line.data(), (DWORD)line.size(), &written, nullptr);
    CloseHandle(file);
}

// The requested page of hits in the requested order, and the number of all hits.
std::vector<const KxtPeerEntry*> KxtPeerFindPage(const KxtPeerQuery& query, uint32_t& total)
{
    KxtPeerSearch search = KxtPeerParseSearch(query.search, g_peerFilters);
    std::vector<const KxtPeerEntry*> hits;
    for (const KxtPeerEntry& entry : g_peerEntries)
        if (KxtPeerMatches(search, entry)) hits.push_back(&entry);
    total = (uint32_t)hits.size();
    size_t first = query.record.offset < hits.size() ? query.record.offset : hits.size();
    size_t count = hits.size() - first < query.record.maxResults ? hits.size() - first : query.record.maxResults;
    KxtPeerSortHits(hits, query.record.sortType, first + count);
    return std::vector<const KxtPeerEntry*>(hits.begin() + first, hits.begin() + first + count);
}

void KxtPeerSend(HWND self, HWND replyWindow, const KxtPeerReply& reply)
{
    COPYDATASTRUCT data{reply.message, (DWORD)reply.block.size(),
                        reply.block.empty() ? nullptr : const_cast<unsigned char*>(reply.block.data())};
    SendMessageW(replyWindow, WM_COPYDATA, (WPARAM)self, (LPARAM)&data);
}

void KxtPeerReplyTo(HWND self, const KxtPeerQuery& query)
{
    LONGLONG started = KxtPeerTicks();
    uint32_t total = 0;
    std::vector<const KxtPeerEntry*> page;
    if (!g_peerOptions.loading) page = KxtPeerFindPage(query, total);
    HWND replyWindow = (HWND)(ULONG_PTR)query.record.replyWindow;
    if (g_peerOptions.twice) {
        // A first answer that differs from the real one: its first hit left out.
        std::vector<const KxtPeerEntry*> early(page.begin() + (page.empty() ? 0 : 1), page.end());
        uint32_t earlyTotal = total - (page.empty() ? 0 : 1);
        KxtPeerSend(self, replyWindow, KxtPeerMakeReply(query.record, early, earlyTotal, KXT_PEER_WELL_FORMED));
        started = KxtPeerTicks();
    }
    KxtPeerReply reply = KxtPeerMakeReply(query.record, page, total, g_peerOptions.malformation);
    KxtPeerAddWork(started);
    KxtPeerSend(self, replyWindow, reply);
}

LRESULT KxtPeerOnCopyData(HWND window, const COPYDATASTRUCT* data)
{
    if (data == nullptr || data->dwData != KXT_PEER_COPYDATA_QUERY2W) return FALSE;
    LONGLONG started = KxtPeerTicks();
    KxtPeerQuery query;
    bool decoded = KxtPeerDecodeQuery(data->lpData, data->cbData, query);
    KxtPeerRecordQuery(decoded ? &query : nullptr);
    KxtPeerAddWork(started);
    if (!decoded) return FALSE;
    if (g_peerOptions.silent) return TRUE;
    if (g_peerOptions.replyInline) {
        if (g_peerOptions.delayMs > 0) Sleep(g_peerOptions.delayMs);
        KxtPeerReplyTo(window, query);
        return TRUE;
    }
    UINT_PTR id = g_peerNextQueryId++;
    g_peerPending[id] = std::move(query);
    if (g_peerOptions.delayMs > 0) {
        SetTimer(window, id, g_peerOptions.delayMs, nullptr);
    } else {
        PostMessageW(window, WM_KXT_PEER_REPLY, id, 0);
    }
    return TRUE;
}

void KxtPeerOnReplyDue(HWND window, UINT_PTR id)
{
    auto pending = g_peerPending.find(id);
    if (pending == g_peerPending.end()) return;
    // Taken out first: the reply's send can let the next query in.
    KxtPeerQuery query = std::move(pending->second);
    g_peerPending.erase(pending);
    KxtPeerReplyTo(window, query);
}

LRESULT CALLBACK KxtPeerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_COPYDATA:
            return KxtPeerOnCopyData(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_KXT_PEER_REPLY:
            KxtPeerOnReplyDue(window, wParam);
            return 0;
        case KXT_PEER_TAKE_WORK_TIME:
            return KxtPeerTakeWorkMicroseconds();
        case WM_TIMER:
            KillTimer(window, wParam);
            KxtPeerOnReplyDue(window, wParam);
            return 0;
        case WM_USER:
            if (wParam == KXT_PEER_IPC_IS_DB_LOADED) return g_peerOptions.loading ? 0 : 1;
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool KxtPeerLoadFilters()
{
    if (g_peerOptions.filtersFile.empty()) return true;
    std::string bytes;
    if (!KxtPeerReadFile(g_peerOptions.filtersFile, bytes)) {
        KxtPeerPrint(L"cannot read the filter table " + g_peerOptions.filtersFile);
        return false;
    }
    g_peerFilters = KxtPeerParseFilterTable(bytes);
    return true;
}

void KxtPeerBuildIndex()
{
    KxtPeerIndexStats stats{0, 0, 0};
    ULONGLONG start = GetTickCount64();
    for (const std::wstring& root : g_peerOptions.roots) KxtPeerIndexTree(root, g_peerEntries, stats);
    ULONGLONG elapsed = GetTickCount64() - start;
    fprintf(stderr, "kx_everything_peer: indexed %llu entries (%llu files, %llu folders) in %llu ms",
            (unsigned long long)g_peerEntries.size(), (unsigned long long)stats.files,
            (unsigned long long)stats.folders, elapsed);
    if (stats.unreadableFolders > 0)
        fprintf(stderr, "; %llu folders could not be read", (unsigned long long)stats.unreadableFolders);
    fprintf(stderr, "\n");
    fflush(stderr);
}

HWND KxtPeerCreateWindow()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = KxtPeerWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = g_peerOptions.windowClass.c_str();
    if (!RegisterClassW(&windowClass)) return nullptr;
    // A top-level window, never shown: clients find Everything with FindWindow, not among message-only windows.
    HWND window = CreateWindowExW(0, g_peerOptions.windowClass.c_str(), L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance, nullptr);
    if (window != nullptr) ChangeWindowMessageFilterEx(window, WM_COPYDATA, MSGFLT_ALLOW, nullptr);
    return window;
}

void KxtPeerSignalReady()
{
    if (g_peerOptions.readyEvent.empty()) return;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, g_peerOptions.readyEvent.c_str());
    if (ready == nullptr) {
        KxtPeerPrint(L"cannot open the ready event " + g_peerOptions.readyEvent);
        return;
    }
    SetEvent(ready);
    CloseHandle(ready);
}

// Serves messages until the window is gone; also ends when the process named by --exit-with ends,
// so a crashed test leaves no peer behind that would answer the next test.
int KxtPeerRunLoop(HWND window)
{
    HANDLE owner = nullptr;
    if (g_peerOptions.exitWithProcess != 0) {
        owner = OpenProcess(SYNCHRONIZE, FALSE, g_peerOptions.exitWithProcess);
        if (owner == nullptr) DestroyWindow(window);
    }
    if (g_peerOptions.hung) {
        // Not one message more: every send to the window waits until the sender gives up.
        WaitForSingleObject(owner != nullptr ? owner : GetCurrentProcess(), INFINITE);
        return 0;
    }
    for (;;) {
        DWORD handleCount = owner != nullptr ? 1 : 0;
        DWORD woken = MsgWaitForMultipleObjectsEx(handleCount, &owner, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (handleCount == 1 && woken == WAIT_OBJECT_0) {
            CloseHandle(owner);
            owner = nullptr;
            DestroyWindow(window);
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                if (owner != nullptr) CloseHandle(owner);
                return (int)message.wParam;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace

int main()
{
    int argumentCount = 0;
    wchar_t** argumentList = CommandLineToArgvW(GetCommandLineW(), &argumentCount);
    if (argumentList == nullptr) return 2;
    std::vector<std::wstring> arguments(argumentList + (argumentCount > 0 ? 1 : 0), argumentList + argumentCount);
    LocalFree(argumentList);

    std::wstring error;
    if (!KxtPeerParseOptions(arguments, g_peerOptions, error)) {
        KxtPeerPrint(error);
        fprintf(stderr, "%s", KxtPeerUtf8(kKxtPeerUsage).c_str());
        return 2;
    }
    if (!KxtPeerLoadFilters()) return 2;
    KxtPeerBuildIndex();
    HWND window = KxtPeerCreateWindow();
    if (window == nullptr) {
        KxtPeerPrint(L"cannot create the window of class " + g_peerOptions.windowClass);
        return 1;
    }
    KxtPeerSignalReady();
    return KxtPeerRunLoop(window);
}
