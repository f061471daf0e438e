#include "integration/keys_fixture.h"

#include <commctrl.h>

namespace {

::testing::AssertionResult WaitForSelection(const std::vector<int>& rows)
{
    if (KxtWaitUntil([&] { return KxtSelectedRows() == rows; })) return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure() << "selected:";
    for (int row : KxtSelectedRows()) failure << " " << row;
    return failure;
}

}  // namespace

TEST_F(KeysFixture, ANewResultListStartsWithRowZeroAsTheOnlySelectionAndAnchor)
{
    ASSERT_NO_FATAL_FAILURE(Start(12));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 12));
    // A Shift+click that came without Shift (Wine dropped it) starts again from row 1.
    for (int attempt = 0; attempt < 3; ++attempt) {
        KxtClickRow(1);
        ASSERT_TRUE(WaitForSelection({1}));
        if (KxtClickRow(3, VK_SHIFT)) break;
    }
    ASSERT_TRUE(WaitForSelection({1, 2, 3}));

    KxtClickWindow(KxtOverlayControl(201));
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayFocus() == KxtOverlayControl(201); }))
        << GetDlgCtrlID(KxtOverlayFocus()) << " " << KxtOverlayFocus() << " fg " << GetForegroundWindow() << " "
        << KxtFindOverlay();
    ASSERT_NO_FATAL_FAILURE(Search(L"_", 12));
    EXPECT_TRUE(WaitForSelection({0})) << "the new list shows row 0 alone selected";
    EXPECT_TRUE(KxtHoldChord({VK_SHIFT}, {VK_DOWN}, [] { return KxtSelectedRows() == std::vector<int>{0, 1}; }))
        << "Shift extends from row 0";
    KxtPressChord({}, VK_UP);
    ASSERT_TRUE(WaitForSelection({0}));
    KxtPressChord({}, VK_RETURN);
    ASSERT_TRUE(KxtWaitUntil([&] { return host->changeDirs.size() == 1; }));
    EXPECT_EQ(RootListing(), std::vector<std::string>{"kbfile_00.txt"});
}

TEST_F(KeysFixture, ArrowsPagingAndShiftSelectionFromTheEditBox)
{
    ASSERT_NO_FATAL_FAILURE(Start(30, L"MaxVisibleRows=20\r\n"));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 30));
    KxtPressChord({}, VK_DOWN);
    KxtPressChord({}, VK_DOWN);
    ASSERT_TRUE(WaitForSelection({2}));
    // Alt+1 sorts by name (the same order here) and starts again as a new list, at row 0.
    EXPECT_TRUE(KxtHoldChord({VK_MENU}, {'1'}, [] { return KxtSelectedRows() == std::vector<int>{0}; }));
    KxtPressChord({}, VK_UP);
    KxtPressChord({}, VK_UP);
    KxtPressChord({}, VK_DOWN);
    EXPECT_TRUE(WaitForSelection({1})) << "Up stops at row 0";
    ASSERT_TRUE(KxtHoldChord({VK_CONTROL}, {VK_END}, [] { return KxtSelectedRows() == std::vector<int>{29}; }));
    KxtPressChord({}, VK_DOWN);
    KxtPressChord({}, VK_UP);
    KxtPressChord({}, VK_DOWN);
    EXPECT_TRUE(WaitForSelection({29})) << "Down stops at the last row";
    EXPECT_TRUE(KxtHoldChord({VK_CONTROL}, {VK_HOME}, [] { return KxtSelectedRows() == std::vector<int>{0}; }));
    KxtPressChord({}, VK_NEXT);
    EXPECT_TRUE(WaitForSelection({19})) << "a page is MaxVisibleRows - 1";
    KxtPressChord({}, VK_NEXT);
    EXPECT_TRUE(WaitForSelection({29}));
    KxtPressChord({}, VK_PRIOR);
    EXPECT_TRUE(WaitForSelection({10}));

    ASSERT_TRUE(KxtHoldChord({VK_SHIFT}, {VK_DOWN, VK_DOWN}, [] {
        return KxtSelectedRows() == std::vector<int>{10, 11, 12};
    })) << "Shift extends from the row the keys selected";
    KxtPressChord({}, VK_RETURN);
    ASSERT_TRUE(KxtWaitUntil([&] { return host->changeDirs.size() == 1; }));
    EXPECT_EQ(RootListing(), (std::vector<std::string>{"kbfile_10.txt", "kbfile_11.txt", "kbfile_12.txt"}));

    ASSERT_TRUE(KxtWriteConfig(plugin.folder, KxtLoggingConfig(L"MaxVisibleRows=2\r\n")));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 30));
    KxtPressChord({}, VK_NEXT);
    KxtPressChord({}, VK_NEXT);
    EXPECT_TRUE(WaitForSelection({2})) << "below 3 rows a page is one row";
    ASSERT_TRUE(KxtHoldChord({VK_CONTROL}, {VK_RETURN}, [&] { return host->changeDirs.size() == 2; }));
    EXPECT_EQ(RootListing().size(), 4u) << "Ctrl+Enter appends";
}

TEST_F(KeysFixture, AfterAColumnSortShiftExtendsFromRowZeroAndEnterPublishesTheHighlightedRows)
{
    ASSERT_NO_FATAL_FAILURE(Start(12));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 12));
    KxtPressChord({}, VK_DOWN);
    KxtPressChord({}, VK_DOWN);
    ASSERT_TRUE(WaitForSelection({2}));
    // Alt+1 sorts by name (the same order here); row 0 alone is selected.
    EXPECT_TRUE(KxtHoldChord({VK_MENU}, {'1'}, [] { return KxtSelectedRows() == std::vector<int>{0}; }))
        << KxtFocusReport();
    EXPECT_EQ(SendMessageW(KxtList(), LB_GETCARETINDEX, 0, 0), 0);
    EXPECT_EQ(SendMessageW(KxtList(), LB_GETANCHORINDEX, 0, 0), 0);
    ASSERT_TRUE(KxtHoldChord({VK_SHIFT}, {VK_DOWN, VK_DOWN}, [] {
        return KxtSelectedRows() == std::vector<int>{0, 1, 2};
    })) << "Shift extends from row 0";
    KxtPressChord({}, VK_RETURN);
    ASSERT_TRUE(KxtWaitUntil([&] { return host->changeDirs.size() == 1; }));
    EXPECT_EQ(RootListing(), (std::vector<std::string>{"kbfile_00.txt", "kbfile_01.txt", "kbfile_02.txt"}));
}

TEST_F(KeysFixture, EscapeClearsThenClosesAndUpRecallsTheHistory)
{
    ASSERT_NO_FATAL_FAILURE(Start(12));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile_1", 2));
    KxtPressChord({}, VK_ESCAPE);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayText().empty() && KxtOverlayRowCount() == 0; }));
    EXPECT_TRUE(IsWindowVisible(KxtFindOverlay()));
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile_0", 10));
    KxtPressChord({}, VK_ESCAPE);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayText().empty(); }));
    KxtPressChord({}, VK_ESCAPE);
    ASSERT_TRUE(KxtWaitForOverlayHidden());

    // Both texts went into the history, newest first; Up shows and searches them.
    ASSERT_NO_FATAL_FAILURE(Open());
    KxtPressChord({}, VK_UP);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayText() == L"kbfile_0"; }));
    EXPECT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 10; })) << "the recalled text is searched";
    KxtPressChord({}, VK_UP);
    EXPECT_TRUE(KxtWaitUntil([] { return KxtOverlayText() == L"kbfile_1"; }));
    KxtPressChord({}, VK_UP);
    EXPECT_TRUE(KxtHoldChord({VK_CONTROL}, {VK_DOWN}, [] { return KxtOverlayText() == L"kbfile_0"; }))
        << "no older entry: Up stays";
    EXPECT_TRUE(KxtHoldChord({VK_CONTROL}, {VK_DOWN}, [] { return KxtOverlayText().empty(); }));

    // With typed text, Up moves the selection instead.
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 12));
    KxtPressChord({}, VK_DOWN);
    KxtPressChord({}, VK_DOWN);
    KxtPressChord({}, VK_UP);
    EXPECT_TRUE(WaitForSelection({1}));
    EXPECT_EQ(KxtOverlayText(), L"kbfile");
}

TEST_F(KeysFixture, CtrlBackspaceDeletesTheWordBeforeTheCaret)
{
    ASSERT_NO_FATAL_FAILURE(Start(1));
    ASSERT_NO_FATAL_FAILURE(Open());
    KxtTypeText(L"alpha beta  ");
    EXPECT_TRUE(KxtHoldChord({VK_CONTROL}, {VK_BACK}, [] { return KxtOverlayText() == L"alpha "; }))
        << "the word and both spaces go";
    KxtTypeText(L"gamma");
    KxtPressChord({}, VK_LEFT);
    KxtPressChord({}, VK_LEFT);
    EXPECT_TRUE(KxtHoldChord({VK_CONTROL}, {VK_BACK}, [] { return KxtOverlayText() == L"alpha ma"; }))
        << "only the word's left part";
}

TEST_F(KeysFixture, TabCyclesTheEditBoxAndTheDropDownButtons)
{
    ASSERT_NO_FATAL_FAILURE(Start(3));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 3));
    KxtClickRow(0);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayFocus() == KxtList(); }));
    KxtPressChord({}, VK_TAB);
    EXPECT_TRUE(KxtWaitUntil([] { return KxtOverlayFocus() == KxtOverlayControl(206); })) << "list -> scope";
    KxtPressChord({}, VK_TAB);
    EXPECT_TRUE(KxtWaitUntil([] { return KxtOverlayFocus() == KxtOverlayControl(203); })) << "scope -> filter";
    KxtPressChord({}, VK_TAB);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayFocus() == KxtOverlayControl(201); })) << "filter -> box";
    DWORD start = 1, end = 0;
    SendMessageW(KxtOverlayControl(201), EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 6u) << "landing in the box selects its text";
    EXPECT_TRUE(KxtHoldChord({VK_SHIFT}, {VK_TAB}, [] { return KxtOverlayFocus() == KxtOverlayControl(203); }))
        << "box <- filter";
    // Down on the filter button opens its menu (choosing from it is the filter menu's own scenario).
    KxtPressChord({}, VK_DOWN);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOpenMenu() != nullptr; })) << "Down opens the filter menu";
    KxtPressChord({}, VK_ESCAPE);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOpenMenu() == nullptr; }));
    // The buttons want every key: Escape from a button still clears, then closes.
    KxtPressChord({}, VK_ESCAPE);
    EXPECT_TRUE(KxtWaitUntil([] { return KxtOverlayText().empty(); }));
}

TEST_F(KeysFixture, ScrollbarPagesAndDragsAndTheWheelScrollsWithoutSelecting)
{
    ASSERT_NO_FATAL_FAILURE(Start(40, L"MaxVisibleRows=10\r\n"));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 40));
    // The wheel goes to the control with the focus.
    KxtClickRow(0);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayFocus() == KxtList(); }));
    RECT list = KxtWindowRect(KxtList());
    RECT client;
    GetClientRect(KxtList(), &client);
    int trackX = list.left + client.right - 6;
    // The thumb (10 of 40 rows) fills the track's top quarter; a click below it pages, and a quick second
    // click (a double click) pages again rather than opening the selected row.
    for (int click = 0; click < 2; ++click) {
        KxtMouseAt(POINT{trackX, list.bottom - 10}, MOUSEEVENTF_LEFTDOWN);
        KxtMouseAt(POINT{trackX, list.bottom - 10}, MOUSEEVENTF_LEFTUP);
    }
    EXPECT_TRUE(KxtWaitUntil([] { return KxtTopIndex() == 20; })) << "two pages of visible rows";
    EXPECT_EQ(KxtSelectedRows(), std::vector<int>{0}) << "the track takes the clicks, not the rows";
    EXPECT_TRUE(IsWindowVisible(KxtFindOverlay())) << "nothing was opened";

    // Drag the thumb (now the track's third quarter) from its middle to the list's bottom edge.
    int thumbY = list.top + client.bottom / 2 + client.bottom / 8;
    KxtMouseAt(POINT{trackX, thumbY}, MOUSEEVENTF_LEFTDOWN);
    KxtMouseAt(POINT{trackX, list.bottom - 1});
    KxtMouseAt(POINT{trackX, list.bottom - 1}, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(KxtWaitUntil([] { return KxtTopIndex() == 30; }))
        << "the last rows, not " << KxtTopIndex() << KxtFocusReport();

    // Fine wheel steps never add up; a notch scrolls 3 rows up and leaves the selection.
    POINT middle = KxtCentreOf(list);
    KxtMouseAt(middle, MOUSEEVENTF_WHEEL, 60);
    KxtMouseAt(middle, MOUSEEVENTF_WHEEL, 60);
    KxtMouseAt(middle, MOUSEEVENTF_WHEEL, 120);
    EXPECT_TRUE(KxtWaitUntil([] { return KxtTopIndex() == 27; })) << KxtTopIndex() << KxtFocusReport();
    KxtMouseAt(middle, MOUSEEVENTF_WHEEL, (DWORD)-240);
    EXPECT_TRUE(KxtWaitUntil([] { return KxtTopIndex() == 30; }));
    EXPECT_EQ(KxtSelectedRows(), std::vector<int>{0});
}

namespace {

BOOL CALLBACK KxtNoteTooltip(HWND window, LPARAM found)
{
    wchar_t name[64];
    GetClassNameW(window, name, 64);
    if (wcscmp(name, L"tooltips_class32") == 0) *(HWND*)found = window;
    return TRUE;
}

}  // namespace

TEST_F(KeysFixture, HoveringAFolderShowsItBelowRightOfTheCursor)
{
    ASSERT_NO_FATAL_FAILURE(Start(12));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 12));
    HWND tooltip = nullptr;
    EnumThreadWindows(GetWindowThreadProcessId(KxtFindOverlay(), nullptr), KxtNoteTooltip, (LPARAM)&tooltip);
    ASSERT_NE(tooltip, nullptr);
    // Inside the folder column for any date width from the least one to Wine's long dates: left of the
    // size and date columns, within the folder's least width.
    RECT row = KxtRowScreenRect(1);
    POINT point{row.right - 300, (row.top + row.bottom) / 2};
    KxtMouseAt(POINT{point.x - 5, point.y});
    KxtMouseAt(point);
    // The tip's text area starts there; its frame lies round it.
    POINT cursor{}, tip{};
    ASSERT_TRUE(KxtWaitUntil([&] {
        GetCursorPos(&cursor);
        tip = POINT{0, 0};
        ClientToScreen(tooltip, &tip);
        return IsWindowVisible(tooltip) && tip.x == cursor.x + 16 && tip.y == cursor.y + 20;
    })) << IsWindowVisible(tooltip) << " tip " << tip.x << "," << tip.y << " cursor " << cursor.x << "," << cursor.y;
    wchar_t text[2048] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.hwnd = KxtFindOverlay();
    tool.uId = (UINT_PTR)KxtList();
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 2048, (LPARAM)&tool);
    EXPECT_EQ(std::wstring(text) + L"\\kbfile_01.txt", HitPath(1));

    // The name column of this narrow panel cuts every name: its tip is the whole name.
    KxtMouseAt(POINT{row.left + 30, point.y});
    EXPECT_TRUE(KxtWaitUntil([&] {
        text[0] = L'\0';
        SendMessageW(tooltip, TTM_GETTEXTW, 2048, (LPARAM)&tool);
        return IsWindowVisible(tooltip) && std::wstring(text) == L"kbfile_01.txt";
    })) << KxtUtf8(text);

    // A new list puts kbfile_11 in the row under the still pointer: the old tip would name another hit.
    ASSERT_NO_FATAL_FAILURE(Search(L"_1", 2));
    EXPECT_TRUE(KxtWaitUntil([&] { return !IsWindowVisible(tooltip); })) << "a replaced list hides the tip";
    row = KxtRowScreenRect(1);
    KxtMouseAt(POINT{row.left + 31, (row.top + row.bottom) / 2});
    EXPECT_TRUE(KxtWaitUntil([&] {
        text[0] = L'\0';
        SendMessageW(tooltip, TTM_GETTEXTW, 2048, (LPARAM)&tool);
        return IsWindowVisible(tooltip) && std::wstring(text) == L"kbfile_11.txt";
    })) << KxtUtf8(text);

    KxtMouseAt(POINT{row.left - 50, row.top - 200});
    EXPECT_TRUE(KxtWaitUntil([&] { return !IsWindowVisible(tooltip); })) << "leaving the list hides it";
}
