#pragma once

constexpr int KX_FILTER_CAPACITY = 64;

// One search filter: its display name and Everything's search text for it.
struct KxFilter {
    wchar_t name[128];
    wchar_t search[512];
};

// Entry 0 applies no filter.
extern KxFilter g_filters[KX_FILTER_CAPACITY];
extern int g_filterCount;
extern int g_selectedFilter;

// The selected filter; entry 0 when the selection is out of range.
const KxFilter& KxSelectedFilter();
