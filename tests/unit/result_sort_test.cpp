#include "search/result_sort.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <map>
#include <string>
#include <vector>

#include "search/result_format.h"

namespace {

// 500 hits with many equal keys in every column: names differing only in case, folders of the same name
// on other drives, no extension, a leading dot, several dots, folders (which have no type), equal sizes
// and dates. Every path is unique through its top folder, so the order can be traced back.
std::vector<KxResult> VariedHits()
{
    const wchar_t* names[] = {L"Report.pdf", L"report.PDF", L"notes",   L".gitignore", L"a.tar.gz",
                              L"B.txt",      L"b.TXT",      L"zeta.md", L"Alpha.md"};
    const wchar_t* folders[] = {L"docs", L"Docs", L"x", L"work"};
    std::vector<KxResult> hits(500);
    unsigned seed = 7;
    auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    for (int i = 0; i < 500; ++i) {
        KxResult& hit = hits[i];
        hit = {};
        _snwprintf(hit.path, KX_PATH_CHARS, L"%lc:\\u%03d\\%ls\\%ls", L'C' + (int)next(3), i, folders[next(4)],
                   names[next(9)]);
        hit.size = next(5) * 1024;
        hit.dateModified = 133000000000000000ull + next(6) * 600000000ull;
        hit.isFolder = next(7) == 0;
    }
    return hits;
}

int CompareBy(const KxResult& a, const KxResult& b, int column, bool descending)
{
    KxSetCompareOrder(column, descending);
    return KxCompareResults(&a, &b);
}

}  // namespace

TEST(ResultSort, FollowsTheComparatorInEveryColumnAndDirectionTiesIncluded)
{
    const std::vector<KxResult> hits = VariedHits();
    std::map<std::wstring, int> originalIndex;
    for (int i = 0; i < (int)hits.size(); ++i) originalIndex[hits[i].path] = i;

    for (int column = 0; column <= 5; ++column) {  // 5: an unknown column orders by date
        for (bool descending : {false, true}) {
            SCOPED_TRACE(testing::Message() << "column " << column << (descending ? " descending" : " ascending"));
            std::vector<KxResult> sorted = hits, reference = hits;
            KxSortResults(sorted.data(), (int)sorted.size(), column, descending);
            KxSetCompareOrder(column, descending);
            qsort(reference.data(), reference.size(), sizeof(KxResult), KxCompareResults);

            std::map<std::wstring, int> seen;
            for (size_t i = 0; i < sorted.size(); ++i) {
                // The same key at every place as the comparator's own sort: equal keys count as equal.
                ASSERT_EQ(CompareBy(sorted[i], reference[i], column, descending), 0) << "place " << i;
                ASSERT_EQ(seen[sorted[i].path]++, 0) << "a record twice: " << i;
                // Records move whole.
                const KxResult& original = hits[originalIndex.at(sorted[i].path)];
                ASSERT_EQ(sorted[i].size, original.size);
                ASSERT_EQ(sorted[i].dateModified, original.dateModified);
                ASSERT_EQ(sorted[i].isFolder, original.isFolder);
                // Equal keys keep the order Everything gave them.
                if (i > 0 && CompareBy(sorted[i - 1], sorted[i], column, descending) == 0) {
                    ASSERT_LT(originalIndex.at(sorted[i - 1].path), originalIndex.at(sorted[i].path)) << i;
                }
            }
            EXPECT_EQ(seen.size(), hits.size());
        }
    }
}

TEST(ResultSort, NoneOrOneResultStaysAsItIs)
{
    std::vector<KxResult> hits = VariedHits();
    std::vector<KxResult> before = hits;
    KxSortResults(hits.data(), 0, 0, false);
    KxSortResults(hits.data(), 1, 0, true);
    for (size_t i = 0; i < hits.size(); ++i) EXPECT_STREQ(hits[i].path, before[i].path);
}
