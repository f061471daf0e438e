#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "overlay/overlay_layout.h"
#include "overlay/result_rows.h"

namespace {

// A 96-DPI overlay with control height 23, bar 29, header 19, rows 21.
KxLayoutInput Input(int width, int results = 0, bool top = false)
{
    KxLayoutInput input{};
    input.panel = RECT{100, 200, 100 + width, 800};
    input.positionTop = top;
    input.resultCount = results;
    input.maxVisibleRows = 20;
    input.editEmpty = results == 0;
    input.dpiScalePercent = 100;
    input.controlHeight = 23;
    input.searchBarHeight = 29;
    input.headerHeight = 19;
    input.rowHeight = 21;
    return input;
}

int Width(const RECT& r)
{
    return r.right - r.left;
}

}  // namespace

TEST(OverlayLayout, SearchBarControlsShareTheWidthAndEndAtTheRightEdge)
{
    KxLayout layout = KxComputeOverlayLayout(Input(1000));
    // edit = 1000 - 24 - 4*4 - 112 - 104 - 23
    EXPECT_EQ(layout.searchBox.left, 4);
    EXPECT_EQ(Width(layout.searchBox), 721 + 23);
    EXPECT_EQ(layout.edit.left, 5);
    EXPECT_EQ(Width(layout.edit), 720);
    EXPECT_EQ(layout.clearButton.left, 4 + 721);
    EXPECT_EQ(layout.scopeButton.left, 8 + 721 + 23);
    EXPECT_EQ(Width(layout.scopeButton), 104);
    EXPECT_EQ(Width(layout.filterButton), 112);
    EXPECT_EQ(layout.closeButton.right, 1000) << "the close button ends at the window's outer width";
    EXPECT_EQ(layout.edit.top, 3 + 1);
    EXPECT_EQ(layout.scopeButton.bottom - layout.scopeButton.top, 23);
}

TEST(OverlayLayout, TheScopeButtonGivesWayOnNarrowPanels)
{
    struct Case {
        int width, edit, scope;
    } cases[] = {
        {400, 121, 104},  // room enough
        {359, 80, 104},   // exactly the edit box's minimum
        {350, 80, 95},    // the scope button gives 9 pixels
        {300, 77, 48},    // it stops at 48; the edit box stays below 80
        {100, -123, 48},
    };
    for (const Case& c : cases) {
        KxLayout layout = KxComputeOverlayLayout(Input(c.width));
        EXPECT_EQ(Width(layout.searchBox) - 23, c.edit) << c.width;
        EXPECT_EQ(Width(layout.scopeButton), c.scope) << c.width;
        EXPECT_EQ(layout.closeButton.right, c.width) << c.width;
    }
}

TEST(OverlayLayout, BottomGrowsUpwardsAndTopGrowsDownwards)
{
    KxLayout bottom = KxComputeOverlayLayout(Input(800, 5, false));
    EXPECT_EQ(bottom.height, 5 * 21 + 19 + 29);
    EXPECT_EQ(bottom.top + bottom.height, 800) << "anchored to the panel's bottom edge";
    EXPECT_EQ(bottom.headerTop, 0);
    EXPECT_EQ(bottom.listTop, 19);
    EXPECT_EQ(bottom.searchBarTop, 5 * 21 + 19);
    EXPECT_EQ(bottom.edit.top, bottom.searchBarTop + 4);
    EXPECT_EQ(bottom.left, 100);
    EXPECT_EQ(bottom.width, 800);

    KxLayout top = KxComputeOverlayLayout(Input(800, 5, true));
    EXPECT_EQ(top.top, 200) << "anchored to the panel's top edge";
    EXPECT_EQ(top.searchBarTop, 0);
    EXPECT_EQ(top.headerTop, 29);
    EXPECT_EQ(top.listTop, 29 + 19);
    EXPECT_EQ(top.header.top, 29);
    EXPECT_EQ(top.header.bottom, 29 + 19);
}

TEST(OverlayLayout, RowsGrowToMaxVisibleRowsAndNeverShrinkWhileTextIsTyped)
{
    KxLayoutInput input = Input(800, 50);
    KxLayout many = KxComputeOverlayLayout(input);
    EXPECT_EQ(many.shownRows, 20);
    EXPECT_TRUE(many.listOverflow);

    input.resultCount = 3;
    input.shownRows = many.shownRows;
    KxLayout narrowed = KxComputeOverlayLayout(input);
    EXPECT_EQ(narrowed.shownRows, 20) << "room for 20 rows stays while the box has text";
    EXPECT_FALSE(narrowed.listOverflow);

    input.editEmpty = 1;
    input.resultCount = 0;
    KxLayout emptied = KxComputeOverlayLayout(input);
    EXPECT_EQ(emptied.shownRows, 0);
    EXPECT_EQ(emptied.height, 29) << "only the search bar";
    EXPECT_EQ(emptied.listHeight, 0);
    EXPECT_EQ(emptied.header.bottom - emptied.header.top, 0);

    for (int rows : {0, -3}) {
        KxLayoutInput none = Input(800, 40);
        none.maxVisibleRows = rows;
        KxLayout layout = KxComputeOverlayLayout(none);
        EXPECT_EQ(layout.shownRows, 0) << rows;
        EXPECT_EQ(layout.height, 29) << "the list never gets room";
        EXPECT_TRUE(layout.listOverflow);
    }
}

TEST(OverlayLayout, LengthsScaleWithTheDisplay)
{
    KxLayoutInput input = Input(1000);
    input.dpiScalePercent = 150;
    KxLayout layout = KxComputeOverlayLayout(input);
    EXPECT_EQ(Width(layout.closeButton), 36);
    EXPECT_EQ(Width(layout.filterButton), 168);
    EXPECT_EQ(Width(layout.scopeButton), 156);
    EXPECT_EQ(layout.searchBox.left, 6);
    EXPECT_EQ(layout.closeButton.right, 1000);
}

TEST(OverlayLayout, EverythingLiesInsideTheBorder)
{
    KxLayoutInput input = Input(800, 5, false);
    input.frameWidth = 2;
    input.frameHeight = 2;
    KxLayout layout = KxComputeOverlayLayout(input);
    EXPECT_EQ(layout.width, 800) << "the window still covers the panel exactly";
    EXPECT_EQ(layout.top + layout.height, 800);
    EXPECT_EQ(layout.clientWidth, 798);
    EXPECT_EQ(layout.height - 2, 5 * 21 + 19 + 29) << "the client area holds header, rows and search bar";
    EXPECT_EQ(layout.closeButton.right, 798);
    EXPECT_EQ(layout.header.right, 798);
    EXPECT_EQ(Width(layout.searchBox), 800 - 2 - 24 - 16 - 112 - 104);
}

TEST(OverlayLayout, AFailureLineKeepsOneRowOfRoomWhileTextIsTyped)
{
    KxLayoutInput input = Input(800);
    input.editEmpty = 0;
    input.messageRow = 1;
    KxLayout layout = KxComputeOverlayLayout(input);
    EXPECT_EQ(layout.shownRows, 1) << "seen even when no result was shown before in this opening";
    EXPECT_EQ(layout.listHeight, 21);

    input.editEmpty = 1;
    EXPECT_EQ(KxComputeOverlayLayout(input).shownRows, 0) << "an empty box shows no line";
    input.editEmpty = 0;
    input.shownRows = 7;
    EXPECT_EQ(KxComputeOverlayLayout(input).shownRows, 7) << "room made earlier is kept as before";
}

TEST(OverlayLayout, ResultColumnsKeepTheNameReadableAndGiveWayInOrder)
{
    struct DateWidths {
        const char* what;
        int withTime, dateOnly;  // text widths at 100 %
    } dates[] = {{"short date", 100, 62}, {"long date", 172, 120}};
    const int widths[] = {250, 320, 400, 500, 594, 800, 1200};
    const int scales[] = {100, 125, 150};
    for (const DateWidths& d : dates)
        for (int width : widths)
            for (int scale : scales)
                for (int full = 0; full <= 1; ++full) {
                    auto S = [&](int n) { return MulDiv(n, scale, 100); };
                    KxColumnInput in{};
                    in.dpiScalePercent = scale;
                    in.dateColumnWidth = KxDateColumnWidthFor(S(d.withTime), scale);
                    in.dateOnlyColumnWidth = KxDateColumnWidthFor(S(d.dateOnly), scale);
                    in.sizeColumnWidth = KxSizeColumnWidthFor(S(52), scale);
                    in.driveIconWidth = S(23);
                    in.folderColumnFull = full;
                    in.widestName = S(360);  // a 60-character name
                    RECT row{0, 0, width, S(21)};
                    KxColumns c = KxComputeColumnRects(row, in);
                    std::string at = std::string(d.what) + " " + std::to_string(width) + " px " +
                                     std::to_string(scale) + " % " + (full ? "Full" : "Name");
                    const RECT* order[] = {&c.name, &c.folder, &c.size, &c.date};
                    int leftEdge = S(26), right = width - S(4);
                    for (const RECT* column : order) {
                        EXPECT_GE(Width(*column), 0) << at;
                        if (Width(*column) == 0) continue;
                        EXPECT_GE(column->left, leftEdge) << at << ": columns overlap or leave the row";
                        EXPECT_LE(column->right, right) << at;
                        leftEdge = column->right + (column == &c.name ? 0 : S(6));
                    }
                    int textWidth = width - S(30);
                    EXPECT_GE(Width(c.name), std::min(in.widestName, textWidth * 40 / 100)) << at;
                    // Whole or nothing.
                    int date = c.dateShowsTime ? in.dateColumnWidth : in.dateOnlyColumnWidth;
                    EXPECT_TRUE(Width(c.date) == 0 || Width(c.date) == date) << at;
                    EXPECT_TRUE(Width(c.size) == 0 || Width(c.size) == in.sizeColumnWidth) << at;
                    // Order of giving way: folder, the date's time, the date, the size.
                    if (!c.dateShowsTime) { EXPECT_EQ(Width(c.folder), 0) << at; }
                    if (Width(c.date) == 0) { EXPECT_FALSE(c.dateShowsTime) << at; }
                    if (Width(c.size) == 0) { EXPECT_EQ(Width(c.date), 0) << at; }
                    // With room to spare, the usual widths hold.
                    int folder = std::max(S(126) + in.driveIconWidth, full ? width * 40 / 100 : 0);
                    int usual = folder + in.sizeColumnWidth + in.dateColumnWidth + 3 * S(6);
                    if (textWidth - usual >= std::min(in.widestName, textWidth * 40 / 100)) {
                        EXPECT_EQ(Width(c.folder), folder) << at;
                        EXPECT_EQ(c.date.right, right) << at;
                        EXPECT_TRUE(c.dateShowsTime) << at;
                        EXPECT_EQ(c.name.right, c.folder.left - S(6)) << at;
                    }
                    if (width == 1200 && scale == 100) { EXPECT_EQ(Width(c.folder), folder) << at << " has room"; }
                }
}
