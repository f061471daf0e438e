#include "overlay/overlay_window.h"

#include "search/search_composition.h"

HWND g_overlayWnd;
HWND g_editWnd;
HWND g_listWnd;
int g_currentRow = -1;

void KxRefreshResultList()
{
    if (!g_listWnd) return;
    SendMessageW(g_listWnd, WM_SETREDRAW, FALSE, 0);
    SendMessageW(g_listWnd, LB_SETCOUNT, g_resultCount, 0);
    SendMessageW(g_listWnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g_listWnd, nullptr, TRUE);
}
