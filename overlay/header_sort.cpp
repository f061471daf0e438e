#include "overlay/header_sort.h"

namespace {

struct KxHeaderSortState {
    DWORD sortType;
    int column;  // 0 name, 1 size, 2 date, 3 folder, 4 type
    bool descending;
};

// Sorts the header has no column for (type name, attributes, the other dates) show as date, newest first.
const KxHeaderSortState kHeaderSortStates[] = {
    {1, 0, false}, {2, 0, true}, {3, 3, false}, {4, 3, true},  {5, 1, false}, {6, 1, true},   {7, 4, false},
    {8, 4, true},  {9, 2, true}, {10, 2, true}, {11, 2, true}, {12, 2, true}, {13, 2, false},
};

}  // namespace

void KxHeaderSortFromSortType(DWORD sortType, int* column, bool* descending)
{
    *column = 2;
    *descending = true;
    for (const KxHeaderSortState& state : kHeaderSortStates) {
        if (state.sortType != sortType) continue;
        *column = state.column;
        *descending = state.descending;
        return;
    }
}
