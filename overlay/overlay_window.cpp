#include "overlay/overlay_window.h"

#include <commctrl.h>
#include <stdlib.h>
#include <wchar.h>

#include "config/settings.h"
#include "config/theme.h"
#include "core/log.h"
#include "core/module_path.h"
#include "overlay/filter_menu.h"
#include "overlay/list_tooltip.h"
#include "overlay/list_selection.h"
#include "overlay/overlay_input.h"
#include "overlay/overlay_layout.h"
#include "overlay/overlay_placement.h"
#include "overlay/result_rows.h"
#include "overlay/search_history.h"
#include "panel/result_actions.h"
#include "panel/result_menu.h"
#include "search/drives.h"
#include "search/filters.h"
#include "search/result_format.h"
#include "search/result_sort.h"
#include "search/search_composition.h"

HWND g_overlayWnd;
HWND g_editWnd;
HWND g_listWnd;
HWND g_clearButton;
HWND g_filterButton;
HWND g_scopeButton;
HWND g_closeButton;
HWND g_tooltipWnd;
int g_currentRow = -1;
int g_shownRows;
bool g_listOverflow;
RECT g_headerRect;
RECT g_searchBoxRect;
int g_sortColumn = KX_COLUMN_DATE;
bool g_sortDescending = true;
bool g_clientSortActive;

namespace {

// What the last layout applied; a layout that yields the same rectangles moves nothing.
KxLayout g_appliedLayout;
bool g_layoutApplied;

HWND KxCreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id)
{
    HWND child = CreateWindowExW(0, className, text, style, 0, 0, 0, 0, parent, (HMENU)(INT_PTR)id, g_pluginModule,
                                 nullptr);
    SendMessageW(child, WM_SETFONT, (WPARAM)g_theme.font, TRUE);
    return child;
}

void KxCreateTooltip(HWND overlay)
{
    INITCOMMONCONTROLSEX controls{8, 0xFF};
    BOOL initialised = InitCommonControlsEx(&controls);
    g_tooltipWnd = CreateWindowExW(WS_EX_TOPMOST, L"tooltips_class32", nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, overlay, nullptr,
                                   g_pluginModule, nullptr);
    KxLog(L"WM_CREATE: InitCommonControlsEx=%d, tooltip hwnd=%p", initialised, (void*)g_tooltipWnd);
    if (!g_tooltipWnd) return;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = overlay;
    tool.uId = (UINT_PTR)g_listWnd;
    tool.hinst = g_pluginModule;
    tool.lpszText = (LPWSTR)L"";
    LRESULT added = SendMessageW(g_tooltipWnd, TTM_ADDTOOLW, 0, (LPARAM)&tool);
    KxLog(L"WM_CREATE: TTM_ADDTOOLW result=%ld", (long)added);
    SendMessageW(g_tooltipWnd, TTM_SETMAXTIPWIDTH, 0, KxScale(500));
}

void KxOnOverlayCreate(HWND overlay)
{
    const DWORD button = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
    g_editWnd = KxCreateChild(overlay, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, KX_ID_EDIT);
    g_clearButton = KxCreateChild(overlay, L"BUTTON", L"\u2715", button, KX_ID_CLEAR);
    g_filterButton = KxCreateChild(overlay, L"BUTTON", KxSelectedFilter().name, button, KX_ID_FILTER);
    g_scopeButton = KxCreateChild(overlay, L"BUTTON", KxDriveScopeLabel(g_settings.driveScope), button, KX_ID_SCOPE);
    g_closeButton = KxCreateChild(overlay, L"BUTTON", L"\u2716", button, KX_ID_CLOSE);
    g_listWnd = KxCreateChild(overlay, L"LISTBOX", L"",
                              WS_CHILD | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT | LBS_EXTENDEDSEL |
                                  LBS_NODATA,
                              KX_ID_LIST);
    SendMessageW(g_listWnd, LB_SETITEMHEIGHT, 0, g_theme.rowHeight);
    KxSubclassOverlayControls();
    KxCreateTooltip(overlay);
}

// The typed text is searched SearchDelayMs after the last change, and remembered 3 s after it.
void KxOnEditChange(HWND overlay)
{
    if (!g_historyRecall) g_historyIndex = -1;
    if (g_searchRunning) g_searchRestart = 1;
    // A negative delay in the settings would otherwise become a timer of weeks.
    SetTimer(overlay, KX_TIMER_SEARCH, g_settings.searchDelayMs > 0 ? (UINT)g_settings.searchDelayMs : 0, nullptr);
    if (!g_historyRecall) SetTimer(overlay, KX_TIMER_HISTORY, 3000, nullptr);
}

LRESULT KxOnOverlayCommand(HWND overlay, WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam), code = HIWORD(wParam);
    switch (id) {
    case KX_ID_EDIT:
        if (code == EN_CHANGE) KxOnEditChange(overlay);
        return 0;
    case KX_ID_CLEAR:
        KxClearSearch();
        SetFocus(g_editWnd);
        return 0;
    case KX_ID_CLOSE: KxCloseOverlay(); return 0;
    case KX_ID_FILTER: KxShowFilterMenu(); return 0;
    case KX_ID_SCOPE: KxShowScopeMenu(); return 0;
    case KX_ID_LIST:
        if (code == LBN_SELCHANGE) {
            KxCommitHistoryIfTyped();
            g_currentRow = (int)SendMessageW(g_listWnd, LB_GETCARETINDEX, 0, 0);
        } else if (code == LBN_DBLCLK) {
            KxActivateSelectedResults();
        }
        return 0;
    }
    return DefWindowProcW(overlay, WM_COMMAND, wParam, lParam);
}

// The row the menu is for: the caret's from the keyboard (-1, -1), else the one under the mouse.
void KxOnListContextMenu(LPARAM lParam)
{
    int x = (short)LOWORD(lParam), y = (short)HIWORD(lParam);
    int row = -1;
    if (x == -1 && y == -1) {
        row = (int)SendMessageW(g_listWnd, LB_GETCARETINDEX, 0, 0);
    } else {
        POINT point{x, y};
        ScreenToClient(g_listWnd, &point);
        LRESULT hit = SendMessageW(g_listWnd, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
        if (HIWORD(hit) == 0) row = LOWORD(hit);
    }
    if (row >= 0 && row < g_resultCount) KxShowResultContextMenu(row, x, y);
}

void KxOnOverlayTimer(HWND overlay, UINT_PTR timer)
{
    KillTimer(overlay, timer);
    if (timer == KX_TIMER_SEARCH) {
        KxRunSearchNow();
    } else if (timer == KX_TIMER_HISTORY) {
        KxCommitHistoryIfTyped();
    }
}

void KxDrawCross(HDC dc, const RECT& rect, COLORREF colour)
{
    int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2, k = KxScale(4);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, cx - k, cy - k, nullptr);
    LineTo(dc, cx + k + 1, cy + k + 1);
    MoveToEx(dc, cx - k, cy + k, nullptr);
    LineTo(dc, cx + k + 1, cy - k - 1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void KxFrameRect(HDC dc, const RECT& rect, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &rect, brush);
    DeleteObject(brush);
}

void KxDrawDropDownLabel(const DRAWITEMSTRUCT* item, HDC dc)
{
    KxFrameRect(dc, item->rcItem, (item->itemState & ODS_FOCUS) ? g_theme.accent : g_theme.border);
    wchar_t label[128];
    GetWindowTextW(item->hwndItem, label, 128);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, g_theme.inputText);
    HGDIOBJ oldFont = SelectObject(dc, g_theme.font);
    RECT inner = item->rcItem;
    inner.left += KxScale(5);
    inner.right -= KxScale(5);
    RECT arrow = inner;
    arrow.left = inner.right - KxScale(12);
    DrawTextW(dc, L"\u25BE", 1, &arrow, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    RECT text = inner;
    text.right = arrow.left - KxScale(2);
    DrawTextW(dc, label, -1, &text, DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

void KxDrawOverlayButton(const DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    bool isClose = item->CtlID == KX_ID_CLOSE;
    bool hot = item->hwndItem == g_hotButton, pressed = (item->itemState & ODS_SELECTED) != 0;
    COLORREF fill;
    if (isClose && (hot || pressed)) {
        fill = pressed ? RGB(158, 34, 22) : RGB(196, 43, 28);
    } else {
        COLORREF base = isClose ? g_theme.background : g_theme.inputBackground;
        fill = pressed ? KxBlendColor(base, g_theme.inputText, 22)
                       : hot ? KxBlendColor(base, g_theme.inputText, 12) : base;
    }
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc, &item->rcItem, brush);
    DeleteObject(brush);
    if (item->CtlID == KX_ID_FILTER || item->CtlID == KX_ID_SCOPE) {
        KxDrawDropDownLabel(item, dc);
    } else {
        KxDrawCross(dc, item->rcItem, isClose && (hot || pressed) ? RGB(255, 255, 255) : g_theme.inputText);
    }
}

void KxOnOverlayPaint(HWND overlay)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(overlay, &paint);
    // The bitmap covers only what is to be painted (after a search, the header strip), placed by the
    // origin so that everything is drawn in client coordinates.
    const RECT& area = paint.rcPaint;
    int width = area.right - area.left > 1 ? area.right - area.left : 1;
    int height = area.bottom - area.top > 1 ? area.bottom - area.top : 1;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    SetWindowOrgEx(memory, area.left, area.top, nullptr);
    FillRect(memory, &area, g_theme.backgroundBrush);
    HPEN pen = CreatePen(PS_SOLID, 1, g_theme.border);
    HGDIOBJ oldPen = SelectObject(memory, pen);
    HGDIOBJ oldBrush = SelectObject(memory, GetStockObject(HOLLOW_BRUSH));
    Rectangle(memory, g_searchBoxRect.left, g_searchBoxRect.top, g_searchBoxRect.right, g_searchBoxRect.bottom);
    SelectObject(memory, oldBrush);
    SelectObject(memory, oldPen);
    DeleteObject(pen);
    if (g_resultCount > 0) KxDrawHeaderStrip(memory);
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, area.left, area.top,
           SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(overlay, &paint);
}

LRESULT KxOnControlColour(HDC dc, bool isEdit)
{
    SetTextColor(dc, isEdit ? g_theme.inputText : g_theme.text);
    SetBkColor(dc, isEdit ? g_theme.inputBackground : g_theme.background);
    return (LRESULT)(isEdit ? g_theme.inputBrush : g_theme.backgroundBrush);
}

// Moves the children whose rectangles changed, in one batch and without a redraw each; then invalidates
// just those. Returns whether any moved.
bool KxPlaceChildren(const KxLayout& layout)
{
    HWND windows[KX_LAYOUT_CHILDREN] = {g_editWnd,      g_clearButton, g_scopeButton,
                                        g_filterButton, g_closeButton, g_listWnd};
    RECT wanted[KX_LAYOUT_CHILDREN], applied[KX_LAYOUT_CHILDREN];
    KxLayoutChildRects(layout, wanted);
    KxLayoutChildRects(g_appliedLayout, applied);
    int moves[KX_LAYOUT_CHILDREN], moveCount = 0;
    for (int i = 0; i < KX_LAYOUT_CHILDREN; ++i)
        if (windows[i] && (!g_layoutApplied || !EqualRect(&wanted[i], &applied[i]))) moves[moveCount++] = i;
    if (moveCount == 0) return false;
    auto flagsOf = [&](int i) {
        UINT flags = SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOREDRAW;
        if (windows[i] == g_listWnd) flags |= layout.listHeight > 0 ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
        return flags;
    };
    HDWP batch = BeginDeferWindowPos(moveCount);
    for (int m = 0; m < moveCount && batch; ++m) {
        const RECT& r = wanted[moves[m]];
        batch = DeferWindowPos(batch, windows[moves[m]], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                               flagsOf(moves[m]));
    }
    // A batch that could not be made is done one window at a time.
    if (!batch || !EndDeferWindowPos(batch)) {
        for (int m = 0; m < moveCount; ++m) {
            const RECT& r = wanted[moves[m]];
            SetWindowPos(windows[moves[m]], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         flagsOf(moves[m]));
        }
    }
    for (int m = 0; m < moveCount; ++m) InvalidateRect(windows[moves[m]], nullptr, TRUE);
    return true;
}

}  // namespace

COLORREF KxBlendColor(COLORREF base, COLORREF other, int percent)
{
    auto mix = [&](int a, int b) { return (a * (100 - percent) + b * percent) / 100; };
    return RGB(mix(GetRValue(base), GetRValue(other)), mix(GetGValue(base), GetGValue(other)),
               mix(GetBValue(base), GetBValue(other)));
}

LRESULT CALLBACK KxOverlayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: KxOnOverlayCreate(window); return 0;
    case WM_DESTROY: g_overlayWnd = nullptr; return 0;
    case WM_PAINT: KxOnOverlayPaint(window); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_ACTIVATE: return 0;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = (const DRAWITEMSTRUCT*)lParam;
        if (item->CtlID == KX_ID_LIST)
            KxDrawResultRow(item);
        else
            KxDrawOverlayButton(item);
        return TRUE;
    }
    case WM_CTLCOLOREDIT: return KxOnControlColour((HDC)wParam, true);
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: return KxOnControlColour((HDC)wParam, false);
    case WM_COMMAND: return KxOnOverlayCommand(window, wParam, lParam);
    case WM_TIMER: KxOnOverlayTimer(window, wParam); return 0;
    case WM_KX_LOOK_AT_DRIVES: KxRefreshDrives(); return 0;
    case WM_CONTEXTMENU:
        if ((HWND)wParam != g_listWnd) break;
        KxOnListContextMenu(lParam);
        return 0;
    case WM_LBUTTONDOWN: {
        POINT point{(short)LOWORD(lParam), (short)HIWORD(lParam)};
        if (g_resultCount < 1 || !PtInRect(&g_headerRect, point)) break;
        KxSortByColumn(KxHeaderColumnAt(point));
        return 0;
    }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void KxApplyThemeToControls()
{
    HWND children[] = {g_editWnd, g_clearButton, g_filterButton, g_scopeButton, g_closeButton, g_listWnd};
    // Unchanged fonts need nothing; new ones are painted by the opening's full redraw.
    if ((HFONT)SendMessageW(g_editWnd, WM_GETFONT, 0, 0) != g_theme.font)
        for (HWND child : children) SendMessageW(child, WM_SETFONT, (WPARAM)g_theme.font, FALSE);
    if (SendMessageW(g_listWnd, LB_GETITEMHEIGHT, 0, 0) != g_theme.rowHeight)
        SendMessageW(g_listWnd, LB_SETITEMHEIGHT, 0, g_theme.rowHeight);
}

void KxForgetOverlayLayout()
{
    g_layoutApplied = false;
    g_dateColumnWidth = 0;
    g_sizeColumnWidth = 0;
    g_dateOnlyColumnWidth = 0;
    g_widestNameWidth = 0;
}

void KxLayoutOverlay()
{
    if (!g_overlayWnd) return;
    // Each new list, sort, close and move comes through here; the tip's row may now hold another hit.
    KxHideListTooltip();
    KxLayoutInput input{};
    input.panel = g_panelRect;
    input.positionTop = g_settings.position == KX_POSITION_TOP;
    input.resultCount = g_resultCount;
    input.maxVisibleRows = g_settings.maxVisibleRows;
    input.shownRows = g_shownRows;
    input.editEmpty = g_editWnd && GetWindowTextLengthW(g_editWnd) == 0;
    input.messageRow = g_resultCount == 0 && g_searchFailureText != nullptr;
    input.dpiScalePercent = g_theme.dpiScalePercent;
    input.controlHeight = g_theme.inputHeight;
    input.searchBarHeight = g_theme.inputBarHeight;
    input.headerHeight = g_theme.headerHeight;
    input.rowHeight = g_theme.rowHeight;
    RECT frame{};
    AdjustWindowRectEx(&frame, (DWORD)GetWindowLongW(g_overlayWnd, GWL_STYLE), FALSE,
                       (DWORD)GetWindowLongW(g_overlayWnd, GWL_EXSTYLE));
    input.frameWidth = frame.right - frame.left;
    input.frameHeight = frame.bottom - frame.top;
    KxLayout layout = KxComputeOverlayLayout(input);
    g_shownRows = layout.shownRows;
    g_listOverflow = layout.listOverflow;
    g_headerRect = layout.header;
    bool resized = !g_layoutApplied || layout.width != g_appliedLayout.width ||
                   layout.height != g_appliedLayout.height;
    if (!g_layoutApplied || KxLayoutWindowMoved(g_appliedLayout, layout))
        SetWindowPos(g_overlayWnd, HWND_TOP, layout.left, layout.top, layout.width, layout.height, SWP_NOACTIVATE);
    bool childrenMoved = KxPlaceChildren(layout);
    g_searchBoxRect = layout.searchBox;
    g_appliedLayout = layout;
    g_layoutApplied = true;
    // Moved children were invalidated one by one; the overlay's own strips are painted in one pass.
    if (resized || childrenMoved) RedrawWindow(g_overlayWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

void KxPaintResultsNow()
{
    if (g_listWnd) RedrawWindow(g_listWnd, nullptr, nullptr, RDW_UPDATENOW);
    if (g_overlayWnd) RedrawWindow(g_overlayWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
}

namespace {

// The new row count, the layout and the invalidation of a refresh; a reorder keeps the measured dates.
void KxRecountResultList()
{
    if (g_listWnd) {
        SendMessageW(g_listWnd, WM_SETREDRAW, FALSE, 0);
        SendMessageW(g_listWnd, LB_SETCOUNT, g_resultCount, 0);
        SendMessageW(g_listWnd, WM_SETREDRAW, TRUE, 0);
    }
    KxLayoutOverlay();
    if (g_listWnd) InvalidateRect(g_listWnd, nullptr, TRUE);
    if (g_overlayWnd) InvalidateRect(g_overlayWnd, &g_headerRect, FALSE);
}

}  // namespace

void KxRefreshResultList()
{
    if (g_resultCount > 0 && g_listWnd) KxMeasureTextColumns();
    KxRecountResultList();
}

void KxSortByColumn(int column)
{
    if (g_clientSortActive && column == g_sortColumn) {
        g_sortDescending = !g_sortDescending;
    } else {
        g_sortColumn = column;
        g_sortDescending = column == KX_COLUMN_SIZE || column == KX_COLUMN_DATE;
    }
    g_clientSortActive = true;
    KxSortResults(g_results, g_resultCount, g_sortColumn, g_sortDescending);
    if (g_overlayWnd) InvalidateRect(g_overlayWnd, &g_headerRect, FALSE);
    KxRecountResultList();
    // The marks, caret and anchor stay on row numbers that now hold other hits: start again as a new list,
    // so that Shift extends from the row shown and Enter publishes only what is highlighted.
    KxSelectOnlyRow(g_resultCount > 0 ? 0 : -1);
}
