#include "panel/result_menu.h"

#include <stdio.h>

#include "overlay/list_selection.h"
#include "overlay/overlay_placement.h"
#include "overlay/overlay_window.h"
#include "panel/published_set.h"
#include "panel/result_actions.h"
#include "search/search_composition.h"

namespace {

enum KxResultMenuItem { KX_MENU_GO_TO = 2001, KX_MENU_SHOW_ALL = 2002, KX_MENU_SHOW_THIS = 2003 };

POINT KxRowBottomLeft(int row)
{
    RECT item{};
    SendMessageW(g_listWnd, LB_GETITEMRECT, row, (LPARAM)&item);
    POINT corner{item.left, item.bottom};
    ClientToScreen(g_listWnd, &corner);
    return corner;
}

int KxRunResultMenu(POINT at)
{
    HMENU menu = CreatePopupMenu();
    if (!menu) return 0;
    AppendMenuW(menu, 0, KX_MENU_GO_TO, L"Go to this location\tAlt+Enter");
    if (g_resultCount >= 2) AppendMenuW(menu, 0, KX_MENU_SHOW_THIS, L"Show just this 1 result in panel");
    wchar_t showAll[64];
    KxFormatShowAllItem(g_resultCount, showAll, 64);
    AppendMenuW(menu, 0, KX_MENU_SHOW_ALL, showAll);
    SetForegroundWindow(g_overlayWnd);
    int chosen = (int)TrackPopupMenu(menu, TPM_RETURNCMD, at.x, at.y, 0, g_overlayWnd, nullptr);
    DestroyMenu(menu);
    return chosen;
}

}  // namespace

void KxFormatShowAllItem(int count, wchar_t* out, int capacity)
{
    if (capacity <= 0) return;
    _snwprintf(out, capacity, L"Show all %d result%ls in panel", count, count == 1 ? L"" : L"s");
    out[capacity - 1] = L'\0';
}

void KxShowResultContextMenu(int row, int x, int y)
{
    if (row < 0 || row >= g_resultCount) return;
    KxSelectOnlyRow(row);
    POINT at{x, y};
    if (x == -1 && y == -1) at = KxRowBottomLeft(row);
    int chosen = KxRunResultMenu(at);
    if (!chosen) return;
    HWND host = KxFindHostWindow();
    if (!host) return;
    if (chosen == KX_MENU_GO_TO) {
        KxGoToResultLocation(row);
    } else if (chosen == KX_MENU_SHOW_THIS && row < g_resultCount) {
        KxPublishResultsToWfx(host, &row, 1, 0);
    } else if (chosen == KX_MENU_SHOW_ALL) {
        KxPublishResultsToWfx(host, nullptr, 0, 0);
    }
}
