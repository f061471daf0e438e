#include "search/filters.h"

KxFilter g_filters[KX_FILTER_CAPACITY] = {{L"<All Files>", L""}};
int g_filterCount = 1;
int g_selectedFilter;

const KxFilter& KxSelectedFilter()
{
    int selected = (g_selectedFilter >= 0 && g_selectedFilter < g_filterCount) ? g_selectedFilter : 0;
    return g_filters[selected];
}
