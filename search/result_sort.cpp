#include "search/result_sort.h"

#include <stdlib.h>
#include <wchar.h>

#include <algorithm>

#include "search/result_format.h"
#include "search/search_composition.h"

namespace {

KxSortKey g_sortKeys[KX_RESULT_CAPACITY];
WORD g_sortOrder[KX_RESULT_CAPACITY];
bool g_sortPlaced[KX_RESULT_CAPACITY];
KxResult g_sortSpare;

// Puts the record of g_sortOrder[i] at position i, following each cycle of the permutation with one spare.
void KxApplyOrder(KxResult* results, int count)
{
    for (int i = 0; i < count; ++i) g_sortPlaced[i] = false;
    for (int start = 0; start < count; ++start) {
        if (g_sortPlaced[start]) continue;
        g_sortPlaced[start] = true;
        if (g_sortOrder[start] == start) continue;
        KxCopyResults(&g_sortSpare, &results[start], 1);
        int at = start;
        for (int from = g_sortOrder[at]; from != start; from = g_sortOrder[at]) {
            KxCopyResults(&results[at], &results[from], 1);
            g_sortPlaced[from] = true;
            at = from;
        }
        KxCopyResults(&results[at], &g_sortSpare, 1);
    }
}

}  // namespace

void KxCopyResults(KxResult* to, const KxResult* from, int count)
{
    for (int i = 0; i < count; ++i) {
        size_t length = wcsnlen(from[i].path, KX_PATH_CHARS - 1);
        wmemcpy(to[i].path, from[i].path, length);
        to[i].path[length] = L'\0';
        to[i].size = from[i].size;
        to[i].dateModified = from[i].dateModified;
        to[i].isFolder = from[i].isFolder;
    }
}

void KxSortResults(KxResult* results, int count, int column, bool descending)
{
    if (count < 2) return;
    if (count > KX_RESULT_CAPACITY) {
        KxSetCompareOrder(column, descending);
        qsort(results, count, sizeof(KxResult), KxCompareResults);
        return;
    }
    for (int i = 0; i < count; ++i) {
        KxMakeSortKey(results[i], column, &g_sortKeys[i]);
        g_sortOrder[i] = (WORD)i;
    }
    std::stable_sort(g_sortOrder, g_sortOrder + count, [descending](WORD a, WORD b) {
        int order = KxCompareSortKeys(g_sortKeys[a], g_sortKeys[b]);
        return descending ? order > 0 : order < 0;
    });
    KxApplyOrder(results, count);
}
