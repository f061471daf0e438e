#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A stand-in for Total Commander: a main window of class "TTOTAL_CMD" with two file panels
// and a command line, answering the command message and the "CD" copy-data command as the host does.

struct KxtChangeDirRecord {
    std::wstring path;     // first path, decoded from UTF-8
    bool wellFormed;       // byte-order marks, separator, empty second path and "SA" where they belong
    size_t byteCount;      // cbData
    HWND sender;           // wParam of WM_COPYDATA
    size_t commandsBefore;  // command messages received before this one
};

struct KxtKeyRecord {
    HWND window;
    UINT message;  // WM_KEYDOWN or WM_SYSKEYDOWN
    WPARAM virtualKey;
};

struct KxtHost {
    HWND main;
    HWND leftPanel;
    HWND rightPanel;
    HWND commandLine;
    std::vector<WPARAM> commands;               // command numbers received with WM_USER + 51
    std::vector<KxtChangeDirRecord> changeDirs;  // "CD" commands received
    std::wstring sourceFolder;                  // what command 2029 copies to the clipboard
    bool ignoreCopyPath = false;                // command 2029 is received but does nothing
    DWORD hangMs = 0;                           // a "CD" makes the host stop answering for so long
};

// Keys that reached any window of this process (host or others).
extern std::vector<KxtKeyRecord> g_kxtKeys;

// Creates the host's windows (one host per process), shows them and gives the left panel the focus.
// Set by default: the host's process swallows the key releases that Wine makes up for keys the display
// never saw pressed. Benchmarks clear it before creating the host, as the extra hook adds to their times.
extern bool g_kxtKeepHeldKeys;
KxtHost& KxtCreateHost(int x = 100, int y = 80, int width = 1000, int height = 700);
// Brings the host to the foreground with the focus on the given child (the left panel by default).
void KxtFocusHost(KxtHost& host, HWND focus = nullptr);
// A top-level window of some other application, brought to the foreground.
HWND KxtCreateOtherWindow();

// Sends key-downs of the modifiers, then a tap of the key, then the modifiers' key-ups.
// One key press or release, injected.
void KxtSendKey(WORD key, bool up);
void KxtPressChord(const std::vector<WORD>& modifiers, WORD key);
bool KxtKeyReached(HWND window, WPARAM virtualKey);
// Taps a key that nothing binds and waits until it reached the window: everything sent before has been handled.
bool KxtSyncKeyboard(HWND window, DWORD timeoutMs = 30000);
