#include "search/filters.h"

KxFilter g_filters[KX_FILTER_CAPACITY] = {{L"<All Files>", L""}};
int g_filterCount = 1;
int g_selectedFilter;
