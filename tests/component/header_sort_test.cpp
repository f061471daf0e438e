#include <gtest/gtest.h>

#include "overlay/overlay_window.h"
#include "search/search_composition.h"

namespace {

void KxtFillResults(std::initializer_list<std::pair<const wchar_t*, ULONGLONG>> items)
{
    g_resultCount = 0;
    for (const auto& item : items) {
        KxResult& result = g_results[g_resultCount++];
        lstrcpyW(result.path, item.first);
        result.size = item.second;
        result.dateModified = item.second;
        result.isFolder = 0;
    }
}

std::wstring KxtOrder()
{
    std::wstring order;
    for (int i = 0; i < g_resultCount; ++i) order += wcsrchr(g_results[i].path, L'\\')[1];
    return order;
}

}  // namespace

TEST(HeaderSort, FirstClickTakesTheColumnsDefaultDirectionAndTheSecondFlipsIt)
{
    KxtFillResults({{L"C:\\b.txt", 20}, {L"C:\\a.txt", 30}, {L"C:\\c.txt", 10}});
    g_clientSortActive = false;
    g_sortColumn = KX_COLUMN_SIZE;  // as the settings showed it at open
    g_sortDescending = false;

    KxSortByColumn(KX_COLUMN_SIZE);
    EXPECT_TRUE(g_sortDescending) << "the first click after an open sets the default direction";
    EXPECT_EQ(KxtOrder(), L"abc");
    EXPECT_EQ(g_currentRow, 0) << "a sorted list starts again at its first row";

    KxSortByColumn(KX_COLUMN_SIZE);
    EXPECT_FALSE(g_sortDescending);
    EXPECT_EQ(KxtOrder(), L"cba");

    KxSortByColumn(KX_COLUMN_NAME);
    EXPECT_EQ(g_sortColumn, KX_COLUMN_NAME);
    EXPECT_FALSE(g_sortDescending) << "names start ascending";
    EXPECT_EQ(KxtOrder(), L"abc");
    EXPECT_TRUE(g_clientSortActive);
    g_resultCount = 0;
}

TEST(HeaderSort, SortingStartsTheSelectionAgainAtRowZero)
{
    KxtFillResults({{L"C:\\b.txt", 20}, {L"C:\\a.txt", 30}, {L"C:\\c.txt", 10}});
    g_listWnd = CreateWindowExW(0, L"LISTBOX", L"", LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_EXTENDEDSEL, 0, 0, 200, 200,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(g_listWnd);
    SendMessageW(g_listWnd, LB_SETCOUNT, g_resultCount, 0);
    SendMessageW(g_listWnd, LB_SELITEMRANGE, TRUE, MAKELPARAM(1, 2));
    ASSERT_EQ(SendMessageW(g_listWnd, LB_GETSELCOUNT, 0, 0), 2);

    KxSortByColumn(KX_COLUMN_NAME);
    // Rows 1 and 2 now hold other hits than the ones the user picked: only row 0 is selected, and the
    // caret and the anchor of Shift's selection are there.
    EXPECT_EQ(SendMessageW(g_listWnd, LB_GETSELCOUNT, 0, 0), 1);
    EXPECT_GT(SendMessageW(g_listWnd, LB_GETSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageW(g_listWnd, LB_GETCARETINDEX, 0, 0), 0);
    EXPECT_EQ(SendMessageW(g_listWnd, LB_GETANCHORINDEX, 0, 0), 0);
    EXPECT_EQ(g_currentRow, 0);
    DestroyWindow(g_listWnd);
    g_listWnd = nullptr;
    g_resultCount = 0;
}
