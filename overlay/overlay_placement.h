#pragma once
#include <windows.h>

// The host's main window as last found; kept for when a later lookup fails.
extern HWND g_tcWindow;
// The host control the overlay lies over (none with the fallback rectangle).
extern HWND g_tcPanelWnd;
// Where the overlay lies, in screen coordinates.
extern RECT g_panelRect;

HWND KxFindHostWindow();
// The focused control of the host's GUI thread, when it lies inside the host window.
int KxGetActivePanelRect(HWND hostWindow, RECT* rect);
// Creates the overlay window hidden, before the first hot key, so that the first opening costs what
// later ones do; it gets its owner when it is first opened.
void KxPrepareOverlay();
void KxOpenOverlay();
void KxCloseOverlay();
// Follows the host's panel while the overlay is shown (location-change events of the host's thread).
void CALLBACK KxFollowHostProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId, LONG childId,
                               DWORD thread, DWORD time);
// The host's "CD" command: its active panel goes to path (a folder, a file or a virtual entry).
// 1 when the host handled it within the send limit; what follows a "CD" depends on it.
int KxSendHostChangeDir(HWND hostWindow, const wchar_t* path);

// The "CD" block for a UTF-8 path of n bytes: n + 11 bytes; returns the block size written.
int KxBuildChangeDirBlock(const char* utf8Path, int n, BYTE* block, int capacity);
