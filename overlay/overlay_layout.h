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
    int dpiScalePercent;
    int controlHeight;    // C
    int searchBarHeight;  // B
    int headerHeight;     // H
    int rowHeight;        // R
};

struct KxLayout {
    int left, top, width, height;  // the overlay window, screen coordinates
    int shownRows;
    int listOverflow;
    int searchBarTop, headerTop, listTop, listHeight;
    RECT header;  // client coordinates, as all below
    RECT edit, clearButton, scopeButton, filterButton, closeButton, searchBox;
};

// The overlay's geometry: window, strips and controls.
KxLayout KxComputeOverlayLayout(const KxLayoutInput& input);
