#include "overlay/overlay_layout.h"

namespace {

RECT KxRectAt(int x, int y, int width, int height)
{
    return RECT{x, y, x + width, y + height};
}

}  // namespace

KxLayout KxComputeOverlayLayout(const KxLayoutInput& in)
{
    auto S = [&](int n) { return MulDiv(n, in.dpiScalePercent, 100); };
    KxLayout out{};
    // The list never shrinks while text is typed, so rows do not jump under the user's eyes.
    int shown = in.editEmpty ? 0 : in.shownRows;
    int wanted = in.resultCount < 0 ? 0 : in.resultCount;
    if (wanted > in.maxVisibleRows) wanted = in.maxVisibleRows < 0 ? 0 : in.maxVisibleRows;
    // The line must be seen also when no result was shown before in this opening.
    if (in.messageRow && !in.editEmpty && wanted < 1) wanted = 1;
    out.shownRows = shown > wanted ? shown : wanted;
    out.listOverflow = out.shownRows < in.resultCount;

    int listHeight = in.rowHeight * out.shownRows;
    int headerHeight = out.shownRows > 0 ? in.headerHeight : 0;
    // The window lies exactly over the panel; everything inside is placed in the client area, within its border.
    out.width = in.panel.right - in.panel.left;
    out.height = listHeight + headerHeight + in.searchBarHeight + in.frameHeight;
    int clientWidth = out.clientWidth = out.width - in.frameWidth;
    out.left = in.panel.left;
    out.listHeight = listHeight;
    if (in.positionTop) {
        out.top = in.panel.top;
        out.searchBarTop = 0;
        out.headerTop = in.searchBarHeight;
        out.listTop = in.searchBarHeight + headerHeight;
    } else {
        out.top = in.panel.bottom - out.height;
        out.headerTop = 0;
        out.listTop = headerHeight;
        out.searchBarTop = listHeight + headerHeight;
    }
    out.header = RECT{0, out.headerTop, clientWidth, out.headerTop + headerHeight};

    int m = S(4), close = S(24), filter = S(112), scope = S(104), c = in.controlHeight;
    int edit = clientWidth - close - 4 * m - filter - scope - c;
    if (edit < S(80)) {
        // The scope button gives way first, down to S(48).
        int give = S(80) - edit < scope - S(48) ? S(80) - edit : scope - S(48);
        if (give < 0) give = 0;
        edit += give;
        scope -= give;
    }
    int y = out.searchBarTop + S(3);
    out.edit = KxRectAt(m + 1, y + 1, edit - 1, c - 2);
    out.clearButton = KxRectAt(m + edit, y + 1, c - 1, c - 2);
    out.searchBox = RECT{m, y, m + edit + c, y + c};
    out.scopeButton = KxRectAt(2 * m + edit + c, y, scope, c);
    out.filterButton = KxRectAt(3 * m + edit + c + scope, y, filter, c);
    out.closeButton = KxRectAt(4 * m + edit + c + scope + filter, y, close, c);
    return out;
}

void KxLayoutChildRects(const KxLayout& layout, RECT rects[KX_LAYOUT_CHILDREN])
{
    rects[0] = layout.edit;
    rects[1] = layout.clearButton;
    rects[2] = layout.scopeButton;
    rects[3] = layout.filterButton;
    rects[4] = layout.closeButton;
    rects[5] = KxRectAt(0, layout.listTop, layout.clientWidth, layout.listHeight > 0 ? layout.listHeight : 0);
}

bool KxLayoutWindowMoved(const KxLayout& before, const KxLayout& after)
{
    return before.left != after.left || before.top != after.top || before.width != after.width ||
           before.height != after.height;
}
