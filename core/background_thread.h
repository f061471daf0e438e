#pragma once
#include <windows.h>

// Id of the thread that owns everything interactive; 0 until it exists.
extern volatile DWORD g_hookThreadId;

// Signalled once the thread has a message queue, so posts to it can no longer get lost.
extern HANDLE g_threadQueueReady;

DWORD WINAPI KxBackgroundThreadProc(LPVOID parameter);
