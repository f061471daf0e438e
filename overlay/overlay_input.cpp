#include "overlay/overlay_input.h"

#include "config/settings.h"
#include "overlay/overlay_placement.h"
#include "overlay/overlay_window.h"
#include "overlay/result_rows.h"
#include "panel/published_set.h"
#include "search/search_composition.h"

int g_historyIndex = -1;
bool g_historyRecall;
HWND g_hotButton;

namespace {

WNDPROC g_editProc;
WNDPROC g_listProc;
WNDPROC g_buttonProc;

// Enter publishes the selected rows, or all of them when none is selected; Ctrl adds to what is there.
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
    KxPublishResultsToWfx(host, count > 0 ? indices : nullptr, count, (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0);
}

// Keys both the edit box and the list answer the same way; 1 when the message was handled.
int KxHandleCommonKeys(UINT message, WPARAM key)
{
    if (message == WM_KEYDOWN && key == VK_RETURN) {
        KxPublishSelectedRows();
        return 1;
    }
    // Enter would otherwise beep or put a character into the box.
    return message == WM_CHAR && (key == 10 || key == 13);
}

LRESULT CALLBACK KxEditSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (KxHandleCommonKeys(message, wParam)) return 0;
    return CallWindowProcW(g_editProc, window, message, wParam, lParam);
}

// The rows paint themselves; the list adds its placeholder line and the background below the rows.
LRESULT KxPaintList(HWND window, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcW(g_listProc, window, WM_PAINT, wParam, lParam);
    HDC dc = GetDC(window);
    if (dc) {
        KxDrawListPlaceholder(window, dc);
        ReleaseDC(window, dc);
    }
    return result;
}

LRESULT CALLBACK KxListSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (KxHandleCommonKeys(message, wParam)) return 0;
    switch (message) {
    case WM_ERASEBKGND: KxFillListBackground(window, (HDC)wParam); return 1;
    case WM_PAINT: return KxPaintList(window, wParam, lParam);
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

LRESULT CALLBACK KxButtonSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    KxTrackHotButton(window, message);
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
    g_currentRow = -1;
    if (g_editWnd) SetFocus(g_editWnd);
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
