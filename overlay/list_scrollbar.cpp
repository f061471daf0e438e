#include "overlay/list_scrollbar.h"

#include "config/theme.h"
#include "overlay/list_selection.h"
#include "overlay/overlay_window.h"
#include "search/search_composition.h"

bool g_thumbDragging;

namespace {

int g_thumbGrabOffset;

int KxScaleBy(int n, int dpiScalePercent)
{
    return MulDiv(n, dpiScalePercent, 100);
}

int KxTopIndex(HWND list)
{
    int top = (int)SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    return top > 0 ? top : 0;
}

void KxScrollListTo(HWND list, int top)
{
    if (top == KxTopIndex(list)) return;
    SendMessageW(list, LB_SETTOPINDEX, top, 0);
    RECT track, thumb;
    KxScrollbarRects(&track, &thumb);
    InvalidateRect(list, &track, FALSE);
}

}  // namespace

void KxComputeScrollbar(const KxScrollbarInput& input, RECT* track, RECT* thumb)
{
    *track = input.client;
    track->left = input.client.right - KxScaleBy(12, input.dpiScalePercent);
    SetRectEmpty(thumb);
    int count = input.count, visible = input.visible;
    if (count <= 0 || input.rowHeight < 1 || !input.overflow || visible >= count) return;
    int height = track->bottom - track->top;
    int thumbHeight = (int)((double)height * visible / count);
    if (thumbHeight < KxScaleBy(20, input.dpiScalePercent)) thumbHeight = KxScaleBy(20, input.dpiScalePercent);
    if (thumbHeight > height) thumbHeight = height;
    int top = KxClampTopIndex(input.top, count, visible);
    int offset = thumbHeight < height ? (int)((double)(height - thumbHeight) * top / (count - visible)) : 0;
    int inset = KxScaleBy(4, input.dpiScalePercent);
    *thumb = RECT{track->left + inset, track->top + offset, track->right - inset, track->top + offset + thumbHeight};
}

int KxClampTopIndex(int top, int count, int visible)
{
    int last = count - visible > 0 ? count - visible : 0;
    return top < 0 ? 0 : top > last ? last : top;
}

int KxTopIndexForThumb(int mouseY, int grabOffset, const RECT& track, const RECT& thumb, int count, int visible)
{
    int thumbHeight = thumb.bottom - thumb.top;
    int travel = (track.bottom - track.top) - thumbHeight;
    if (travel <= 0) return 0;
    int y = mouseY - grabOffset;
    if (y > track.bottom - thumbHeight) y = track.bottom - thumbHeight;
    if (y < track.top) y = track.top;
    int top = (int)((double)(count - visible) * (y - track.top) / travel + 0.5);
    return KxClampTopIndex(top, count, visible);
}

int KxWheelTopIndex(int top, int delta, int count, int visible)
{
    if (delta > -120 && delta < 120) return top;
    return KxClampTopIndex(top - delta / 120 * 3, count, visible);
}

void KxScrollbarRects(RECT* track, RECT* thumb)
{
    KxScrollbarInput input{};
    if (g_listWnd) GetClientRect(g_listWnd, &input.client);
    input.count = g_resultCount;
    input.visible = KxVisibleRows();
    input.top = g_listWnd ? KxTopIndex(g_listWnd) : 0;
    input.rowHeight = g_theme.rowHeight;
    input.overflow = g_listOverflow;
    input.dpiScalePercent = g_theme.dpiScalePercent;
    KxComputeScrollbar(input, track, thumb);
}

bool KxOnScrollbarButtonDown(HWND list, POINT point)
{
    RECT track, thumb;
    KxScrollbarRects(&track, &thumb);
    if (!g_listOverflow || !PtInRect(&track, point)) return false;
    if (!IsRectEmpty(&thumb) && point.y >= thumb.top && point.y < thumb.bottom) {
        g_thumbDragging = true;
        g_thumbGrabOffset = point.y - thumb.top;
        SetCapture(list);
    } else {
        int visible = KxVisibleRows();
        bool down = !IsRectEmpty(&thumb) && point.y >= thumb.bottom;
        int top = KxTopIndex(list) + (down ? visible : -visible);
        KxScrollListTo(list, KxClampTopIndex(top, g_resultCount, visible));
    }
    InvalidateRect(list, &track, FALSE);
    return true;
}

void KxOnThumbDrag(HWND list, POINT point)
{
    int visible = KxVisibleRows();
    RECT track, thumb;
    KxScrollbarRects(&track, &thumb);
    if (visible >= g_resultCount || IsRectEmpty(&thumb)) return;
    KxScrollListTo(list, KxTopIndexForThumb(point.y, g_thumbGrabOffset, track, thumb, g_resultCount, visible));
}

void KxEndThumbDrag(HWND list)
{
    g_thumbDragging = false;
    ReleaseCapture();
    RECT track, thumb;
    KxScrollbarRects(&track, &thumb);
    InvalidateRect(list, &track, FALSE);
}

void KxOnListWheel(HWND list, WPARAM wParam)
{
    int top = KxTopIndex(list);
    int next = KxWheelTopIndex(top, (short)HIWORD(wParam), g_resultCount, KxVisibleRows());
    if (next != top) KxScrollListTo(list, next);
}

void KxPaintScrollbar(HWND list)
{
    if (!g_listOverflow) return;
    RECT track, thumb;
    KxScrollbarRects(&track, &thumb);
    HDC dc = GetDC(list);
    if (!dc) return;
    HBRUSH trackBrush = CreateSolidBrush(g_theme.scrollTrack);
    HBRUSH thumbBrush = CreateSolidBrush(g_thumbDragging ? g_theme.highlight : g_theme.scrollThumb);
    if (trackBrush) FillRect(dc, &track, trackBrush);
    if (thumbBrush && !IsRectEmpty(&thumb)) FillRect(dc, &thumb, thumbBrush);
    if (trackBrush) DeleteObject(trackBrush);
    if (thumbBrush) DeleteObject(thumbBrush);
    ReleaseDC(list, dc);
}
