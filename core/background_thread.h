#pragma once
#include <windows.h>

// Id of the thread that owns everything interactive; 0 until it exists.
extern volatile DWORD g_hookThreadId;

DWORD WINAPI KxBackgroundThreadProc(LPVOID parameter);
