#pragma once
#include <windows.h>

// The overlay's windows; none until the overlay is first opened.
extern HWND g_overlayWnd;
extern HWND g_editWnd;
extern HWND g_listWnd;
// The row that actions apply to; -1 for none.
extern int g_currentRow;

// After the displayed results changed: tell the list the new row count and repaint.
void KxRefreshResultList();
