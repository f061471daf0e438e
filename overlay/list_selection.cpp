#include "overlay/list_selection.h"

#include "config/settings.h"
#include "config/theme.h"
#include "overlay/overlay_window.h"
#include "overlay/search_history.h"
#include "search/search_composition.h"

int KxVisibleRowsFor(int clientHeight, int rowHeight)
{
    if (rowHeight <= 0) return 1;
    int rows = clientHeight / rowHeight;
    return rows > 1 ? rows : 1;
}

int KxVisibleRows()
{
    RECT client{};
    if (g_listWnd) GetClientRect(g_listWnd, &client);
    return KxVisibleRowsFor(client.bottom - client.top, g_theme.rowHeight);
}

int KxPageStep(int maxVisibleRows)
{
    return maxVisibleRows < 3 ? 1 : maxVisibleRows - 1;
}

int KxActionRowOf(int caret, int currentRow, int count)
{
    if (caret >= 0 && caret < count) return caret;
    if (currentRow >= 0 && currentRow < count) return currentRow;
    return 0;
}

int KxActionRow()
{
    int caret = g_listWnd ? (int)SendMessageW(g_listWnd, LB_GETCARETINDEX, 0, 0) : -1;
    return KxActionRowOf(caret, g_currentRow, g_resultCount);
}

void KxSelectOnlyRow(int row)
{
    g_currentRow = row;
    if (!g_listWnd) return;
    SendMessageW(g_listWnd, LB_SETSEL, FALSE, -1);
    // The list keeps its anchor across new counts; Shift must extend from the row shown as selected.
    SendMessageW(g_listWnd, LB_SETANCHORINDEX, row, 0);
    if (row < 0) return;
    SendMessageW(g_listWnd, LB_SETCARETINDEX, row, FALSE);
    SendMessageW(g_listWnd, LB_SETSEL, TRUE, row);
}

void KxSelectRow(int row)
{
    if (g_resultCount <= 0) return;
    KxCommitHistoryIfTyped();
    if (row > g_resultCount - 1) row = g_resultCount - 1;
    if (row < 0) row = 0;
    KxSelectOnlyRow(row);
}

void KxMoveSelectionFromEdit(WPARAM key, LPARAM keyData)
{
    if (g_resultCount <= 0) return;
    KxCommitHistoryIfTyped();
    if (GetKeyState(VK_SHIFT) < 0) {
        SendMessageW(g_listWnd, WM_KEYDOWN, key, keyData);
        int caret = (int)SendMessageW(g_listWnd, LB_GETCARETINDEX, 0, 0);
        if (caret >= 0) g_currentRow = caret;
        return;
    }
    int row = g_currentRow;
    if (row < 0)
        row = 0;
    else if (key == VK_DOWN)
        row = row + 1 < g_resultCount ? row + 1 : g_resultCount - 1;
    else
        row = row > 0 ? row - 1 : 0;
    KxSelectOnlyRow(row < g_resultCount ? row : g_resultCount - 1);
}
