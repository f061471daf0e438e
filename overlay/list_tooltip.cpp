#include "overlay/list_tooltip.h"

#include <commctrl.h>
#include <wchar.h>

#include "config/theme.h"
#include "core/module_path.h"
#include "overlay/overlay_window.h"
#include "overlay/result_rows.h"
#include "search/result_format.h"
#include "search/search_composition.h"

int g_tooltipKey = -1;

namespace {

bool g_listMouseTracked;
wchar_t g_tooltipText[KX_PATH_CHARS];

TTTOOLINFOW KxListTool(wchar_t* text)
{
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.hwnd = g_overlayWnd;
    tool.uId = (UINT_PTR)g_listWnd;
    tool.hinst = g_pluginModule;
    tool.lpszText = text;
    return tool;
}

// The tip's text for the point, or 0; key gets row * 2 + 1 for the name, row * 2 for the folder.
int KxTooltipAt(HWND list, POINT point, int* key)
{
    LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    int row = LOWORD(hit);
    if (HIWORD(hit) != 0 || row >= g_resultCount) return 0;
    RECT item;
    if (SendMessageW(list, LB_GETITEMRECT, row, (LPARAM)&item) == LB_ERR) return 0;
    if (g_listOverflow) item.right -= KxScale(12);
    KxColumns columns = KxColumnRects(item);
    const RECT& folder = columns.folder;
    bool namePart = point.x >= item.left && point.x < columns.name.right && row < 500 && g_nameTruncated[row];
    bool folderPart = point.x >= folder.left && point.x < folder.right;
    if (!namePart && !folderPart) return 0;
    *key = row * 2 + (namePart ? 1 : 0);
    const KxResult& result = g_results[row];
    return KxTooltipTextFor(result.path, result.isFolder != 0, namePart, g_tooltipText, KX_PATH_CHARS);
}

}  // namespace

int KxTooltipTextFor(const wchar_t* path, bool isFolder, bool namePart, wchar_t* out, int capacity)
{
    if (capacity <= 0) return 0;
    out[0] = L'\0';
    const wchar_t* source = namePart ? KxFileNameOf(path) : path;
    int length = (int)wcsnlen(source, KX_PATH_CHARS - 1);
    if (!namePart && !isFolder) {
        const wchar_t* last = wcsrchr(path, L'\\');
        length = last ? (int)(last - path) : 0;
    }
    if (length > capacity - 1) length = capacity - 1;
    wmemcpy(out, source, length);
    out[length] = L'\0';
    return length;
}

void KxHideListTooltip()
{
    if (g_tooltipKey < 0) return;
    TTTOOLINFOW tool = KxListTool(nullptr);
    SendMessageW(g_tooltipWnd, TTM_TRACKACTIVATE, FALSE, (LPARAM)&tool);
    g_tooltipKey = -1;
}

void KxOnListHover(HWND list, POINT point)
{
    int key = -1;
    if (KxTooltipAt(list, point, &key) > 0) {
        TTTOOLINFOW tool = KxListTool(g_tooltipText);
        if (key != g_tooltipKey) {
            SendMessageW(g_tooltipWnd, TTM_UPDATETIPTEXTW, 0, (LPARAM)&tool);
            SendMessageW(g_tooltipWnd, TTM_TRACKACTIVATE, TRUE, (LPARAM)&tool);
            g_tooltipKey = key;
        }
        POINT cursor;
        GetCursorPos(&cursor);
        SendMessageW(g_tooltipWnd, TTM_TRACKPOSITION, 0, MAKELPARAM(cursor.x + 16, cursor.y + 20));
    } else {
        KxHideListTooltip();
    }
    if (!g_listMouseTracked) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, list, 0};
        g_listMouseTracked = TrackMouseEvent(&track) != FALSE;
    }
}

void KxOnListMouseLeave()
{
    g_listMouseTracked = false;
    KxHideListTooltip();
}
