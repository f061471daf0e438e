#pragma once
#include <windows.h>

// The host's main window as last found; kept for when a later lookup fails.
extern HWND g_tcWindow;

HWND KxFindHostWindow();
void KxOpenOverlay();
