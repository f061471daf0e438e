#pragma once
#include <windows.h>

// Everything the overlay's geometry depends on.
struct KxLayoutInput {
    RECT panel;           // screen rectangle the overlay lies over
    int positionTop;      // 1: anchored to the panel's top edge, 0: to its bottom edge
    int resultCount;
    int maxVisibleRows;
    int shownRows;        // rows the list made room for so far
    int editEmpty;        // the edit box holds no text
    int messageRow;       // a line (why Everything cannot be asked) stands in the list's first row
    int dpiScalePercent;
    int controlHeight;    // C
    int searchBarHeight;  // B
    int headerHeight;     // H
    int rowHeight;        // R
    int frameWidth;       // the window's border, left and right together
    int frameHeight;      // the same, top and bottom
};

struct KxLayout {
    int left, top, width, height;  // the overlay window, screen coordinates, border included
    int shownRows;
    int listOverflow;
    int clientWidth;
    int searchBarTop, headerTop, listTop, listHeight;
    RECT header;  // client coordinates, as all below; the client area is the window less its border
    RECT edit, clearButton, scopeButton, filterButton, closeButton, searchBox;
};

// The overlay's geometry: window, strips and controls.
KxLayout KxComputeOverlayLayout(const KxLayoutInput& input);

// The children in the order the overlay places them: edit, clear, scope, filter, close, list.
constexpr int KX_LAYOUT_CHILDREN = 6;
// Their rectangles in that order; the list's is empty (zero height) when it is hidden.
void KxLayoutChildRects(const KxLayout& layout, RECT rects[KX_LAYOUT_CHILDREN]);
// Whether the overlay window itself sits elsewhere or has another size.
bool KxLayoutWindowMoved(const KxLayout& before, const KxLayout& after);
