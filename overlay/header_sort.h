#pragma once
#include <windows.h>

// The header's sort state when the overlay opens, from the Everything sort number of the SortOrder
// setting: the column (numbered as KxCompareResults numbers them) and its direction.
void KxHeaderSortFromSortType(DWORD sortType, int* column, bool* descending);
