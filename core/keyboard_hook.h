#pragma once
#include <windows.h>

extern HHOOK g_keyboardHook;

LRESULT CALLBACK KxKeyboardHookProc(int code, WPARAM message, LPARAM event);
