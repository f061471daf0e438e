// Times a 500-hit query against the Everything stand-in serving a large tree, and the client's own share.
#include <windows.h>

#include "bench/bench_clock.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "config/settings.h"
#include "peers/everything_peer_launcher.h"
#include "search/everything_client.h"
#include "support/reply_fuzz.h"
#include "support/test_support.h"

namespace {

constexpr int KX_RUNS = 30;

// What a reply window made and destroyed for each query would cost; the client keeps one for the thread's life.
double KxReplyWindowCostMs()
{
    constexpr int KX_WINDOW_RUNS = 1000;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"KxBenchReplyWindow";
    RegisterClassW(&windowClass);
    double before = KxNowMs();
    for (int run = 0; run < KX_WINDOW_RUNS; ++run) {
        RegisterClassW(&windowClass);
        HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      nullptr, nullptr);
        DestroyWindow(window);
    }
    return (KxNowMs() - before) / KX_WINDOW_RUNS;
}

// The reply block Everything sends for these results, to time the client's reading alone.
std::vector<BYTE> KxBuildReply(const std::vector<KxResult>& results, int count)
{
    std::vector<BYTE> block(20 + 8 * (size_t)count);
    DWORD header[5] = {(DWORD)count, (DWORD)count, 0, 0x54, 14};
    memcpy(block.data(), header, sizeof header);
    for (int i = 0; i < count; ++i) {
        DWORD item[2] = {(DWORD)results[i].isFolder, (DWORD)block.size()};
        memcpy(block.data() + 20 + 8 * i, item, sizeof item);
        DWORD length = (DWORD)wcslen(results[i].path);
        const BYTE* lengthBytes = (const BYTE*)&length;
        block.insert(block.end(), lengthBytes, lengthBytes + 4);
        const BYTE* path = (const BYTE*)results[i].path;
        block.insert(block.end(), path, path + 2 * (length + 1));
        const BYTE* size = (const BYTE*)&results[i].size;
        block.insert(block.end(), size, size + 8);
        const BYTE* date = (const BYTE*)&results[i].dateModified;
        block.insert(block.end(), date, date + 8);
    }
    return block;
}

// Broken replies read per second, each against a guard page: the reader's cost on hostile input.
void KxPrintReplyFuzzRate()
{
    constexpr int KX_FUZZ_RUNS = 1000000;
    KxtGuardedArea area;
    std::mt19937 random(1);
    std::vector<KxResult> results(5);
    double spentMs = 0;
    int valid = 0;
    for (int run = 0; run < KX_FUZZ_RUNS; ++run) {
        std::vector<BYTE> bytes = KxtMutatedReply(random);
        const BYTE* data = area.Place(bytes);
        KxQueryReply reply{0, 0, 0, results.data(), 5, 0, 0, 0};
        double before = KxNowMs();
        KxReadEverythingReply(bytes.empty() ? nullptr : data, (DWORD)bytes.size(), reply);
        spentMs += KxNowMs() - before;
        valid += reply.valid;
    }
    printf("reply reader on %d random and broken replies: no fault, %d read as lists, %.2f million replies/s\n",
           KX_FUZZ_RUNS, valid, KX_FUZZ_RUNS / spentMs / 1000.0);
}

// A server that answers every query at once with the same reply: the exchange without any engine work.
std::string g_instantReply;
HWND g_instantReplyTo;
DWORD g_instantReplyMessage;
constexpr UINT KX_WM_SEND_REPLY = WM_USER + 7;

LRESULT CALLBACK KxInstantServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const COPYDATASTRUCT* copy = (const COPYDATASTRUCT*)lParam;
    if (message == WM_COPYDATA && copy && copy->cbData >= 8) {
        // As Everything does: the query is taken, and answered once its send has returned.
        const DWORD* header = (const DWORD*)copy->lpData;
        g_instantReplyTo = (HWND)(ULONG_PTR)header[0];
        g_instantReplyMessage = header[1];
        PostMessageW(window, KX_WM_SEND_REPLY, 0, 0);
        return TRUE;
    }
    if (message == KX_WM_SEND_REPLY) {
        COPYDATASTRUCT reply{g_instantReplyMessage, (DWORD)g_instantReply.size(), g_instantReply.data()};
        SendMessageW(g_instantReplyTo, WM_COPYDATA, (WPARAM)window, (LPARAM)&reply);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int KxRunInstantServer(const wchar_t* replyFile)
{
    g_instantReply = KxtReadFileBytes(replyFile);
    WNDCLASSW serverClass{};
    serverClass.lpfnWndProc = KxInstantServerProc;
    serverClass.lpszClassName = L"EVERYTHING_TASKBAR_NOTIFICATION";
    RegisterClassW(&serverClass);
    CreateWindowExW(0, serverClass.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

// The client's query against the instant server: what is left is the client and the window messages.
bool KxTimeInstantExchange(const std::vector<BYTE>& reply, std::vector<double>& samples)
{
    std::wstring replyFile = KxtMakeTempFolder() + L"reply.bin";
    KxtWriteFileBytes(replyFile, std::string(reply.begin(), reply.end()));
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --instant-server \"" + replyFile + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    bool up = KxtWaitUntil([] { return FindWindowW(L"EVERYTHING_TASKBAR_NOTIFICATION", nullptr) != nullptr; });
    std::vector<KxResult> results(500);
    int count = 0;
    for (int run = 0; up && run <= KX_RUNS; ++run) {
        double before = KxNowMs();
        int ok = KxRunEverythingQuery(nullptr, L"report", L"file:", results.data(), 500, &count, nullptr);
        if (!ok || count != 500) up = false;
        if (run > 0) samples.push_back(KxNowMs() - before);  // the first is a warm-up
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return up;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && wcscmp(argv[1], L"--instant-server") == 0) return KxRunInstantServer(argv[2]);
    if (argc < 2) {
        fwprintf(stderr, L"usage: kx_query_bench <folder to serve>\n");
        return 2;
    }
    KxtEverythingPeerOptions options;
    options.roots.push_back(argv[1]);
    options.readyTimeoutMs = 600000;
    KxtEverythingPeer peer;
    double startMs = KxNowMs();
    if (!KxtStartEverythingPeer(options, peer)) {
        fwprintf(stderr, L"the Everything stand-in did not start\n");
        return 1;
    }
    fprintf(stderr, "Everything stand-in ready after %.1f s (indexing %ls)\n", (KxNowMs() - startMs) / 1000.0,
            argv[1]);

    g_settings.sortType = 14;
    std::vector<KxResult> results(500);
    int count = 0;
    DWORD total = 0;
    std::vector<double> roundTrips, peerShares, clientShares;
    for (int run = 0; run <= KX_RUNS; ++run) {
        KxtTakePeerWorkMs(peer);
        double before = KxNowMs();
        int ok = KxRunEverythingQuery(nullptr, L"report", L"file:", results.data(), 500, &count, &total);
        double elapsed = KxNowMs() - before;
        double peerMs = KxtTakePeerWorkMs(peer);
        if (!ok || count != 500) {
            printf("query failed (ok=%d, count=%d)\n", ok, count);
            KxtStopEverythingPeer(peer);
            return 1;
        }
        if (run == 0) continue;  // warm-up
        roundTrips.push_back(elapsed);
        peerShares.push_back(peerMs);
        clientShares.push_back(elapsed - peerMs);
    }
    KxPrintFigure("  (500-hit query round trip)", roundTrips, "");
    KxPrintFigure("  (stand-in's own time in it, apart)", peerShares, "");
    KxPrintFigure("query client's own time over the stand-in's, 500 hits", clientShares, "<= 1 ms");

    std::vector<BYTE> block = KxBuildReply(results, count);
    std::vector<KxResult> copy(500);
    constexpr int KX_PARSE_RUNS = 2000;
    double before = KxNowMs();
    for (int run = 0; run < KX_PARSE_RUNS; ++run) {
        KxQueryReply reply{0, 0, 0, copy.data(), 500, 0, 0, 0};
        KxReadEverythingReply(block.data(), (DWORD)block.size(), reply);
    }
    double parseMs = (KxNowMs() - before) / KX_PARSE_RUNS;
    double windowMs = KxReplyWindowCostMs();
    printf("  (client parts: reading the %zu-byte reply %.3f ms; its one reply window is kept, one made and "
           "destroyed per query would add %.3f ms)\n",
           block.size(), parseMs, windowMs);
    // After the stand-in is gone, so that the instant server is the only Everything window.
    KxtStopEverythingPeer(peer);
    std::vector<double> instant;
    if (KxTimeInstantExchange(block, instant))
        KxPrintFigure("  (same query, to a server answering at once: the floor)", instant, "");
    KxPrintReplyFuzzRate();
    fflush(stdout);
    return 0;
}
