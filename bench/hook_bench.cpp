// Times what the plug-in's keyboard hook adds to every key of the desktop: a key that is not the hot key,
// from SendInput until it reaches a window, with an empty pass-through hook and then with the plug-in's.
#include <windows.h>

#include "bench/bench_clock.h"

#include <stdio.h>

#include <vector>

#include "host/plugin_loader.h"
#include "support/test_support.h"

namespace {

constexpr int KX_RUNS = 30;
constexpr int KX_TAPS_PER_RUN = 40;
constexpr WORD KX_PLAIN_KEY = 'Q';

volatile LONG g_keyUps;

LRESULT CALLBACK KxReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYUP && wParam == KX_PLAIN_KEY) InterlockedIncrement(&g_keyUps);
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND KxCreateReceiver()
{
    WNDCLASSW receiverClass{};
    receiverClass.lpfnWndProc = KxReceiverProc;
    receiverClass.hInstance = GetModuleHandleW(nullptr);
    receiverClass.lpszClassName = L"KxHookBenchReceiver";
    RegisterClassW(&receiverClass);
    HWND window = CreateWindowExW(0, receiverClass.lpszClassName, L"receiver", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                                  50, 300, 200, nullptr, nullptr, receiverClass.hInstance, nullptr);
    SetForegroundWindow(window);
    SetFocus(window);
    return window;
}

// Per-key time, averaged over a run of taps, for each of the runs.
bool KxTimeTaps(std::vector<double>& samples)
{
    for (int run = 0; run <= KX_RUNS; ++run) {
        LONG expected = g_keyUps + KX_TAPS_PER_RUN;
        double before = KxNowMs();
        for (int tap = 0; tap < KX_TAPS_PER_RUN; ++tap) {
            LONG arrived = g_keyUps + 1;
            INPUT inputs[2]{};
            for (int i = 0; i < 2; ++i) {
                inputs[i].type = INPUT_KEYBOARD;
                inputs[i].ki.wVk = KX_PLAIN_KEY;
                inputs[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
            }
            SendInput(2, inputs, sizeof(INPUT));
            if (!KxtWaitUntil([&] { return g_keyUps >= arrived; }, 30000)) return false;
        }
        double perKey = (KxNowMs() - before) / KX_TAPS_PER_RUN;
        if (g_keyUps != expected) return false;
        if (run > 0) samples.push_back(perKey);  // the first run warms up
    }
    return true;
}

LRESULT CALLBACK KxPassThroughHook(int code, WPARAM message, LPARAM event)
{
    return CallNextHookEx(nullptr, code, message, event);
}

// A thread of its own with an empty hook, as the plug-in's thread holds its own.
DWORD WINAPI KxPassThroughHookThread(LPVOID ready)
{
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, KxPassThroughHook, GetModuleHandleW(nullptr), 0);
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent((HANDLE)ready);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    if (hook) UnhookWindowsHookEx(hook);
    return 0;
}

}  // namespace

int wmain()
{
    HWND receiver = KxCreateReceiver();
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, KxPassThroughHookThread, ready, 0, &threadId);
    if (!thread || WaitForSingleObject(ready, 30000) != WAIT_OBJECT_0) return 1;
    std::vector<double> empty, plugin;
    bool timed = KxTimeTaps(empty);
    PostThreadMessageW(threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(thread, 30000);
    if (!timed) return 1;

    std::wstring folder = KxtPreparePluginFolder();
    KxtWriteConfig(folder, KxtLoggingConfig());
    KxtPlugin loaded = KxtLoadPlugin(folder);
    if (!loaded.module || !KxtWaitForHook(loaded)) return 1;
    SetForegroundWindow(receiver);
    SetFocus(receiver);
    if (!KxTimeTaps(plugin)) return 1;

    KxPrintFigure("  (a plain key through an empty pass-through hook, per key)", empty, "");
    KxPrintFigure("  (the same key through the plug-in's hook, per key)", plugin, "");
    KxPrintRatio("low-level hook, not the hot key, over an empty pass-through hook",
                 KxSummarise(plugin).median / KxSummarise(empty).median, "<= 1.1 x", plugin.size());
    TerminateProcess(GetCurrentProcess(), 0);  // the plug-in's thread lives as long as its host
    return 0;
}
