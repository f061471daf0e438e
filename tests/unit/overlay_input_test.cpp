#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "overlay/edit_words.h"
#include "overlay/filter_menu.h"
#include "overlay/list_scrollbar.h"
#include "overlay/list_selection.h"
#include "overlay/list_tooltip.h"
#include "panel/result_actions.h"
#include "panel/result_menu.h"

TEST(OverlayInput, CtrlBackspaceDeletesBackOverSpacesThenOneWord)
{
    struct Case {
        const wchar_t* text;
        int caret, start;
    } cases[] = {
        {L"alpha beta", 10, 6},  {L"alpha beta  ", 12, 6}, {L"alpha beta", 8, 6},  {L"alpha", 5, 0},
        {L"   ", 3, 0},          {L"a\tb", 3, 2},          {L"alpha beta", 0, 0},  {L"alpha", 99, 0},
        {L"alpha beta", 6, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(KxPreviousWordStart(c.text, c.caret), c.start) << c.text << " " << c.caret;
    // A text longer than the 1023 characters read stops at what was read.
    std::wstring longText(2000, L'x');
    EXPECT_EQ(KxPreviousWordStart(longText.c_str(), 1500), 0);
}

TEST(OverlayInput, ScrollbarThumbFollowsTheTopIndexAndDragsBack)
{
    KxScrollbarInput input{RECT{0, 0, 400, 200}, 100, 10, 0, 20, 1, 100};
    RECT track, thumb;
    KxComputeScrollbar(input, &track, &thumb);
    EXPECT_EQ(track.left, 388);
    EXPECT_EQ(track.right, 400);
    EXPECT_EQ(thumb.top, 0);
    EXPECT_EQ(thumb.bottom, 20) << "200 * 10 / 100 = 20, the least thumb";
    EXPECT_EQ(thumb.left, 392);
    EXPECT_EQ(thumb.right, 396);

    input.top = 90;
    KxComputeScrollbar(input, &track, &thumb);
    EXPECT_EQ(thumb.bottom, 200) << "the last page puts the thumb at the bottom";
    input.top = 45;
    KxComputeScrollbar(input, &track, &thumb);
    EXPECT_EQ(thumb.top, 90);

    // Dragging the thumb to the bottom shows the last rows, to the top the first, and back to where it lies.
    EXPECT_EQ(KxTopIndexForThumb(500, 5, track, thumb, 100, 10), 90);
    EXPECT_EQ(KxTopIndexForThumb(-50, 5, track, thumb, 100, 10), 0);
    EXPECT_EQ(KxTopIndexForThumb(95, 5, track, thumb, 100, 10), 45);

    // No thumb when everything fits, when the list does not overflow, or without rows.
    KxScrollbarInput fits = input;
    fits.count = 10;
    KxComputeScrollbar(fits, &track, &thumb);
    EXPECT_TRUE(IsRectEmpty(&thumb));
    KxScrollbarInput noOverflow = input;
    noOverflow.overflow = 0;
    KxComputeScrollbar(noOverflow, &track, &thumb);
    EXPECT_TRUE(IsRectEmpty(&thumb));
    KxScrollbarInput noRowHeight = input;
    noRowHeight.rowHeight = 0;
    KxComputeScrollbar(noRowHeight, &track, &thumb);
    EXPECT_TRUE(IsRectEmpty(&thumb));

    // Scaled at 150 %: a wider strip and inset.
    KxScrollbarInput scaled = input;
    scaled.dpiScalePercent = 150;
    scaled.top = 0;
    KxComputeScrollbar(scaled, &track, &thumb);
    EXPECT_EQ(track.left, 382);
    EXPECT_EQ(thumb.left, 388);
    EXPECT_EQ(thumb.bottom, 30);
}

TEST(OverlayInput, WheelScrollsWholeNotchesAndPagingClamps)
{
    struct Case {
        int top, delta, expected;
    } cases[] = {
        {10, 120, 7}, {10, -120, 13}, {10, 240, 4},  {10, 119, 10}, {10, -119, 10}, {10, 60, 10},
        {1, 120, 0},  {49, -120, 50}, {10, 359, 4},  {0, -1200, 30},
    };
    for (const Case& c : cases) EXPECT_EQ(KxWheelTopIndex(c.top, c.delta, 60, 10), c.expected) << c.delta;
    EXPECT_EQ(KxClampTopIndex(5, 8, 10), 0) << "everything fits";

    EXPECT_EQ(KxPageStep(20), 19);
    EXPECT_EQ(KxPageStep(3), 2);
    EXPECT_EQ(KxPageStep(2), 1);
    EXPECT_EQ(KxPageStep(0), 1);
    EXPECT_EQ(KxPageStep(-4), 1);

    EXPECT_EQ(KxVisibleRowsFor(200, 20), 10);
    EXPECT_EQ(KxVisibleRowsFor(10, 20), 1);
    EXPECT_EQ(KxVisibleRowsFor(200, 0), 1);

    EXPECT_EQ(KxActionRowOf(3, 1, 5), 3);
    EXPECT_EQ(KxActionRowOf(7, 1, 5), 1);
    EXPECT_EQ(KxActionRowOf(-1, 9, 5), 0);
}

TEST(OverlayInput, TooltipTextsOfNameAndFolder)
{
    wchar_t text[2048];
    EXPECT_EQ(KxTooltipTextFor(L"C:\\a\\b\\file.txt", false, true, text, 2048), 8);
    EXPECT_STREQ(text, L"file.txt");
    KxTooltipTextFor(L"C:\\a\\b\\file.txt", false, false, text, 2048);
    EXPECT_STREQ(text, L"C:\\a\\b");
    KxTooltipTextFor(L"C:\\a\\folder", true, false, text, 2048);
    EXPECT_STREQ(text, L"C:\\a\\folder") << "a folder result's folder text is its whole path";
    KxTooltipTextFor(L"plain", false, true, text, 2048);
    EXPECT_STREQ(text, L"plain");
    EXPECT_EQ(KxTooltipTextFor(L"plain", false, false, text, 2048), 0) << "no backslash: no folder tip";
    EXPECT_EQ(KxTooltipTextFor(L"\\file", false, false, text, 2048), 0) << "backslash first: no folder tip";
    EXPECT_EQ(KxTooltipTextFor(L"C:\\a\\file", false, false, text, 3), 2);
    EXPECT_STREQ(text, L"C:");
}

TEST(ResultActions, PathsJoinWithLineBreaksBetweenAndMenuTextCounts)
{
    static KxResult results[4];
    const wchar_t* paths[] = {L"C:\\one.txt", L"C:\\d\\two.txt", L"D:\\three", L"E:\\four"};
    for (int i = 0; i < 4; ++i) lstrcpynW(results[i].path, paths[i], KX_PATH_CHARS);
    wchar_t text[256];
    int rows[] = {0, 2, 3};
    int length = KxJoinResultPaths(results, 4, rows, 3, text, 256);
    EXPECT_STREQ(text, L"C:\\one.txt\r\nD:\\three\r\nE:\\four");
    EXPECT_EQ(length, (int)wcslen(text));
    EXPECT_EQ(KxJoinResultPaths(results, 4, rows, 3, nullptr, 0), length) << "measuring gives the same length";
    int outside[] = {1, 9, -1};
    KxJoinResultPaths(results, 4, outside, 3, text, 256);
    EXPECT_STREQ(text, L"C:\\d\\two.txt") << "rows outside the results are skipped";
    KxJoinResultPaths(results, 4, rows, 3, text, 12);
    EXPECT_STREQ(text, L"C:\\one.txt\r") << "a short buffer is cut, never overrun";

    KxFormatShowAllItem(1, text, 64);
    EXPECT_STREQ(text, L"Show all 1 result in panel");
    KxFormatShowAllItem(500, text, 64);
    EXPECT_STREQ(text, L"Show all 500 results in panel");
}

TEST(FilterMenuLabel, AmpersandsAreShownAsWritten)
{
    const struct {
        const wchar_t *name, *label;
        int capacity;
    } cases[] = {
        {L"Audio", L"Audio", 64},
        {L"Tom & Jerry", L"Tom && Jerry", 64},
        {L"&&", L"&&&&", 64},
        {L"a&b", L"a", 3},  // never half a pair
        {L"", L"", 64},
    };
    for (const auto& c : cases) {
        wchar_t out[64];
        KxFormatMenuLabel(c.name, out, c.capacity);
        EXPECT_STREQ(out, c.label) << c.capacity;
    }
}
