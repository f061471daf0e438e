#include "overlay/search_history.h"

#include "config/settings.h"
#include "overlay/overlay_window.h"

int g_historyIndex = -1;
bool g_historyRecall;

void KxRecallHistory(int index)
{
    if (!g_editWnd) return;
    if (index >= g_settings.history.count || index >= KX_HISTORY_MAX) return;
    const wchar_t* text = L"";
    if (index >= 0) text = g_settings.history.entries[index];
    g_historyIndex = index >= 0 ? index : -1;
    g_historyRecall = true;
    SetWindowTextW(g_editWnd, text);
    g_historyRecall = false;
    int length = GetWindowTextLengthW(g_editWnd);
    SendMessageW(g_editWnd, EM_SETSEL, length, length);
}

void KxCommitHistoryIfTyped()
{
    if (!g_editWnd || !g_overlayWnd || !IsWindowVisible(g_overlayWnd) || g_historyIndex >= 0) return;
    KxAddEditTextToHistory();
}

void KxAddEditTextToHistory()
{
    if (!g_editWnd) return;
    wchar_t text[256];
    GetWindowTextW(g_editWnd, text, 256);
    KxAddToSearchHistory(text);
}
