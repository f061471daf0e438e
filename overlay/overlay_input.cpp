#include "overlay/overlay_input.h"

#include "overlay/edit_words.h"
#include "overlay/filter_menu.h"
#include "overlay/list_scrollbar.h"
#include "overlay/list_selection.h"
#include "overlay/list_tooltip.h"
#include "overlay/overlay_placement.h"
#include "overlay/overlay_window.h"
#include "overlay/result_rows.h"
#include "overlay/search_history.h"
#include "panel/overlay_keys.h"
#include "panel/published_set.h"
#include "search/drives.h"
#include "search/search_composition.h"

HWND g_hotButton;

namespace {

WNDPROC g_editProc;
WNDPROC g_listProc;
WNDPROC g_buttonProc;

// Enter publishes the selected rows, or all of them when none is selected; Ctrl adds to what is there.
// Modifiers are read as they were with the key, not as they are now: a Ctrl already released while a
// search kept this thread busy must still append rather than replace what the host shows.
void KxPublishSelectedRows()
{
    HWND host = KxFindHostWindow();
    if (!host) return;
    int indices[KX_RESULT_CAPACITY];
    int selected = (int)SendMessageW(g_listWnd, LB_GETSELCOUNT, 0, 0);
    int count = 0;
    if (selected > 0) {
        count = (int)SendMessageW(g_listWnd, LB_GETSELITEMS, KX_RESULT_CAPACITY, (LPARAM)indices);
        if (count < 0) count = 0;
    }
    KxPublishResultsToWfx(host, count > 0 ? indices : nullptr, count, GetKeyState(VK_CONTROL) < 0);
}

// Escape clears a typed search first, and closes the overlay once the box is empty.
void KxEscapeOverlay()
{
    if (g_editWnd && GetWindowTextLengthW(g_editWnd) > 0)
        KxClearSearch();
    else
        KxCloseOverlay();
}

POINT KxPointOf(LPARAM lParam)
{
    return POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)};
}

// Returns 1 when the edit box's own procedure must not see the message.
int KxOnEditKey(HWND edit, UINT message, WPARAM key, LPARAM keyData)
{
    if (message == WM_CHAR) return key == 10 || key == 13 || key == 27 || key == 127;
    if (message != WM_KEYDOWN) return 0;
    switch (key) {
    case VK_BACK:
        if (GetKeyState(VK_CONTROL) >= 0) return 0;
        KxDeletePreviousWord(edit);
        return 1;
    case VK_RETURN:
        KxPublishSelectedRows();
        return 1;
    case VK_ESCAPE:
        KxEscapeOverlay();
        return 1;
    case VK_UP:
    case VK_DOWN:
        KxMoveSelectionFromEdit(key, keyData);
        return 1;
    }
    return 0;
}

LRESULT CALLBACK KxEditSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (KxHandleOverlayKey(window, message, wParam)) return 0;
    if (KxOnEditKey(window, message, wParam, lParam)) return 0;
    return CallWindowProcW(g_editProc, window, message, wParam, lParam);
}

// The rows paint themselves; the list adds its scrollbar, its placeholder line and the background below the rows.
LRESULT KxOnListPaint(HWND list, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcW(g_listProc, list, WM_PAINT, wParam, lParam);
    KxPaintScrollbar(list);
    HDC dc = GetDC(list);
    if (dc) {
        KxDrawListPlaceholder(list, dc);
        ReleaseDC(list, dc);
    }
    return result;
}

void KxOnListMouseMove(HWND list, LPARAM lParam)
{
    if (g_thumbDragging) {
        KxOnThumbDrag(list, KxPointOf(lParam));
        return;
    }
    if (g_tooltipWnd) KxOnListHover(list, KxPointOf(lParam));
}

LRESULT CALLBACK KxListSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (KxHandleOverlayKey(window, message, wParam)) return 0;
    switch (message) {
    // A quick second click on the scrollbar pages again: as a double click it would reach the list,
    // which would take it for a double click on a row and open the selected hits.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (KxOnScrollbarButtonDown(window, KxPointOf(lParam))) return 0;
        break;
    case WM_MOUSEMOVE:
        KxOnListMouseMove(window, lParam);
        if (g_thumbDragging) return 0;
        break;
    case WM_LBUTTONUP:
        if (!g_thumbDragging) break;
        // The thumb ends where the button was released, even when no move came before the release.
        KxOnThumbDrag(window, KxPointOf(lParam));
        KxEndThumbDrag(window);
        return 0;
    case WM_PAINT:
        return KxOnListPaint(window, wParam, lParam);
    case WM_ERASEBKGND:
        KxFillListBackground(window, (HDC)wParam);
        return 1;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) KxPublishSelectedRows();
        if (wParam == VK_ESCAPE) KxEscapeOverlay();
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) return 0;
        break;
    case WM_CHAR:
        if (wParam == 10 || wParam == 13 || wParam == 27) return 0;
        break;
    case WM_MOUSELEAVE:
        KxOnListMouseLeave();
        break;
    case WM_MOUSEWHEEL:
        KxOnListWheel(window, wParam);
        return 0;
    }
    return CallWindowProcW(g_listProc, window, message, wParam, lParam);
}

// The button under the mouse is drawn hot until the mouse leaves it.
void KxTrackHotButton(HWND button, UINT message)
{
    if (message == WM_MOUSEMOVE && button != g_hotButton) {
        HWND previous = g_hotButton;
        g_hotButton = button;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, button, 0};
        TrackMouseEvent(&track);
        if (previous) InvalidateRect(previous, nullptr, FALSE);
        InvalidateRect(button, nullptr, FALSE);
    } else if (message == WM_MOUSELEAVE && button == g_hotButton) {
        g_hotButton = nullptr;
        InvalidateRect(button, nullptr, FALSE);
    }
}

void KxOpenDropDown(HWND button)
{
    if (button == g_filterButton)
        KxShowFilterMenu();
    else
        KxShowScopeMenu();
}

// Returns 1 when the button's own procedure must not see the key.
int KxOnButtonKey(HWND button, UINT message, WPARAM key)
{
    bool dropDown = button == g_filterButton || button == g_scopeButton;
    if (message == WM_SYSKEYDOWN && key == VK_DOWN && dropDown) {
        KxOpenDropDown(button);
        return 1;
    }
    if (message != WM_KEYDOWN) return 0;
    if (key == VK_ESCAPE) {
        KxEscapeOverlay();
        return 1;
    }
    if (dropDown && (key == VK_RETURN || key == VK_SPACE || key == VK_DOWN || key == VK_F4)) {
        KxOpenDropDown(button);
        return 1;
    }
    if (!dropDown && (key == VK_RETURN || key == VK_SPACE)) {
        SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), 0), (LPARAM)button);
        return 1;
    }
    return 0;
}

LRESULT CALLBACK KxButtonSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (KxHandleOverlayKey(window, message, wParam)) return 0;
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (KxOnButtonKey(window, message, wParam)) return 0;
        break;
    case WM_CHAR:
    case WM_SYSCHAR:
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE) return 0;
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
        KxTrackHotButton(window, message);
        break;
    }
    return CallWindowProcW(g_buttonProc, window, message, wParam, lParam);
}

WNDPROC KxSubclass(HWND control, WNDPROC procedure)
{
    return (WNDPROC)SetWindowLongPtrW(control, GWLP_WNDPROC, (LONG_PTR)procedure);
}

}  // namespace

void KxSubclassOverlayControls()
{
    g_editProc = KxSubclass(g_editWnd, KxEditSubclassProc);
    g_listProc = KxSubclass(g_listWnd, KxListSubclassProc);
    HWND buttons[] = {g_clearButton, g_filterButton, g_scopeButton, g_closeButton};
    for (HWND button : buttons) g_buttonProc = KxSubclass(button, KxButtonSubclassProc);
}

void KxClearSearch()
{
    KxAddEditTextToHistory();
    g_historyIndex = -1;
    if (g_editWnd) SetWindowTextW(g_editWnd, L"");
    g_resultCount = 0;
    g_resultTotal = 0;
    KxRefreshResultList();
    KxSelectOnlyRow(-1);
    if (g_editWnd) SetFocus(g_editWnd);
}
