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
    EXPECT_EQ(g_currentRow, -1);

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
