#pragma once
#include <windows.h>

// Id of the thread that owns everything interactive; 0 until it exists.
extern volatile DWORD g_hookThreadId;

// Signalled once the thread has a message queue, so posts to it can no longer get lost.
extern HANDLE g_threadQueueReady;

// Thread message from the keyboard hook: the hot key was pressed over the host. The hook only decides;
// opening the overlay (settings reload, first window creation) would overrun the hook's time limit.
constexpr UINT WM_KX_OPEN_OVERLAY = WM_USER + 301;

DWORD WINAPI KxBackgroundThreadProc(LPVOID parameter);
// Handles a message posted to the thread itself (no window); 0 when it is not one of ours. Every loop
// that serves the thread's queue, the query's wait included, passes messages through it first.
int KxHandleThreadMessage(const MSG& message);
