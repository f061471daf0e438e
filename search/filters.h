#pragma once

constexpr int KX_FILTER_CAPACITY = 64;
constexpr int KX_FILTER_NAME_CHARS = 128;
constexpr int KX_FILTER_SEARCH_CHARS = 512;
// One csv field keeps at most 1023 characters.
constexpr int KX_CSV_FIELD_CHARS = 1024;
// Where Everything 1.5 keeps the search text when a file has no header line.
constexpr int KX_CSV_DEFAULT_SEARCH_FIELD = 11;

// One search filter: its display name and Everything's search text for it.
struct KxFilter {
    wchar_t name[KX_FILTER_NAME_CHARS];
    wchar_t search[KX_FILTER_SEARCH_CHARS];
};

// Entry 0 applies no filter.
extern KxFilter g_filters[KX_FILTER_CAPACITY];
extern int g_filterCount;
extern int g_selectedFilter;

// The selected filter; entry 0 when the selection is out of range.
const KxFilter& KxSelectedFilter();

// Rebuilds the table from Everything's own configuration (or the built-in set) and restores the
// last selected filter.
void KxLoadFilters();
// Appends the [Filters] entries of an ini file; returns how many names it found.
int KxReadIniFilters(const wchar_t* path);
// Appends the filters of a filters.csv; returns how many named rows it found, 0 when it cannot be opened.
int KxReadFiltersCsv(const wchar_t* path);

// Pure csv rules, tested directly.

// Field number `field` (from 1) of a line into out (at most 1023 characters); 0 when the line ends before it.
int KxCsvField(const wchar_t* line, int field, wchar_t* out, int capacity);
// The field number whose header is "Search" (any case), or the default field when the header has none.
int KxCsvSearchColumn(const wchar_t* headerLine);
// The index of the first entry named `name` ignoring case, or 0.
int KxFindFilterByName(const KxFilter* filters, int count, const wchar_t* name);
