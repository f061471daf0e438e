#pragma once
#include <windows.h>

#include <string>

struct KxtHost;

// What the test can see of the plug-in's overlay from the host's side: its window and controls.
HWND KxtFindOverlay();
bool KxtWaitForOverlayShown(DWORD timeoutMs = 30000);
bool KxtWaitForOverlayHidden(DWORD timeoutMs = 30000);
// Ctrl+Alt+F over the host, the focus on focus (the left panel by default), until the overlay is shown and
// in the foreground; false when it never came.
bool KxtOpenOverlayByHotkey(KxtHost& host, HWND focus = nullptr);
HWND KxtOverlayControl(int id);
std::wstring KxtOverlayText();
int KxtOverlayRowCount();
RECT KxtWindowRect(HWND window);
// Types text into whatever has the keyboard focus, as key presses.
void KxtTypeText(const std::wstring& text);
// A real left click at the centre of a window.
void KxtClickWindow(HWND window);
// Real mouse input at a screen point: a move, then the given button flags (MOUSEEVENTF_…), if any.
void KxtMouseAt(POINT screen, DWORD buttonFlags = 0, DWORD wheelDelta = 0);
