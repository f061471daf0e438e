#pragma once
#include <windows.h>

// What the list's own scrollbar is drawn from.
struct KxScrollbarInput {
    RECT client;  // the list's client area
    int count;    // displayed results
    int visible;  // rows the list shows at once
    int top;      // the list's top index
    int rowHeight;
    int overflow;  // the list has fewer places than results
    int dpiScalePercent;
};

// The strip at the client's right edge, and its thumb (empty when everything fits).
void KxComputeScrollbar(const KxScrollbarInput& input, RECT* track, RECT* thumb);
// A top index kept within 0..count - visible (0 when everything fits).
int KxClampTopIndex(int top, int count, int visible);
// The top index for a thumb dragged with the mouse at mouseY, grabbed grabOffset below its top.
int KxTopIndexForThumb(int mouseY, int grabOffset, const RECT& track, const RECT& thumb, int count, int visible);
// The top index after a wheel delta: whole notches of 120 move 3 rows, anything smaller nothing.
int KxWheelTopIndex(int top, int delta, int count, int visible);

extern bool g_thumbDragging;

void KxScrollbarRects(RECT* track, RECT* thumb);
// A left press in the track pages or starts a thumb drag; false when the point is not in the track.
bool KxOnScrollbarButtonDown(HWND list, POINT point);
void KxOnThumbDrag(HWND list, POINT point);
void KxEndThumbDrag(HWND list);
void KxOnListWheel(HWND list, WPARAM wParam);
void KxPaintScrollbar(HWND list);
