// Times what the plug-in's keyboard hook adds to every key of the desktop: a key that is not the hot key,
// from SendInput until it reaches a window, with an empty pass-through hook and with the plug-in's. The
// two take turns in processes of their own (a loaded plug-in's hook stays), so that a change in the
// machine's load falls on both alike.
#include <windows.h>

#include "bench/bench_clock.h"

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "host/plugin_loader.h"
#include "support/test_support.h"

namespace {

constexpr int KX_RUNS = 30;
constexpr int KX_RUNS_PER_PROCESS = 3;
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
    for (int run = 0; run <= KX_RUNS_PER_PROCESS; ++run) {
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

// One process's runs, with the plug-in's hook or an empty one; the per-key times go to the file, a line each.
int KxRunTaps(bool plugin, const wchar_t* figureFile)
{
    HWND receiver = KxCreateReceiver();
    if (plugin) {
        std::wstring folder = KxtPreparePluginFolder();
        KxtWriteConfig(folder, KxtLoggingConfig());
        KxtPlugin loaded = KxtLoadPlugin(folder);
        if (!loaded.module || !KxtWaitForHook(loaded)) return 1;
    } else {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        DWORD threadId = 0;
        if (!CreateThread(nullptr, 0, KxPassThroughHookThread, ready, 0, &threadId) ||
            WaitForSingleObject(ready, 30000) != WAIT_OBJECT_0)
            return 1;
    }
    SetForegroundWindow(receiver);
    SetFocus(receiver);
    std::vector<double> samples;
    if (!KxTimeTaps(samples)) return 1;
    std::string lines;
    for (double sample : samples) lines += std::to_string(sample) + "\n";
    KxtWriteFileBytes(figureFile, lines);
    TerminateProcess(GetCurrentProcess(), 0);  // the plug-in's thread lives as long as its host
    return 0;
}

bool KxRunChild(const wchar_t* mode, const std::wstring& figureFile, std::vector<double>& samples)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    DeleteFileW(figureFile.c_str());
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + mode + L" \"" + figureFile + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    DWORD waited = WaitForSingleObject(process.hProcess, 120000);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string lines = KxtReadFileBytes(figureFile);
    size_t before = samples.size();
    for (size_t at = 0; at < lines.size();) {
        size_t end = lines.find('\n', at);
        if (end == std::string::npos) break;
        samples.push_back(atof(lines.substr(at, end - at).c_str()));
        at = end + 1;
    }
    return waited == WAIT_OBJECT_0 && samples.size() == before + KX_RUNS_PER_PROCESS;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && wcscmp(argv[1], L"--plugin") == 0) return KxRunTaps(true, argv[2]);
    if (argc == 3 && wcscmp(argv[1], L"--empty") == 0) return KxRunTaps(false, argv[2]);
    std::wstring figureFile = KxtMakeTempFolder() + L"taps.txt";
    std::vector<double> empty, plugin;
    while (plugin.size() < (size_t)KX_RUNS) {
        if (!KxRunChild(L"--empty", figureFile, empty) || !KxRunChild(L"--plugin", figureFile, plugin)) {
            fprintf(stderr, "a run of key taps failed\n");
            return 1;
        }
    }
    KxPrintFigure("  (a plain key through an empty pass-through hook, per key)", empty, "");
    KxPrintFigure("  (the same key through the plug-in's hook, per key)", plugin, "");
    KxPrintRatio("low-level hook, not the hot key, over an empty pass-through hook",
                 KxSummarise(plugin).median / KxSummarise(empty).median, "<= 1.1 x", plugin.size());
    return 0;
}
