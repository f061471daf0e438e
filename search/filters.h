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

// The files that may hold Everything's filters, in the order they are tried.
constexpr int KX_FILTER_SOURCE_CAPACITY = 2;
struct KxFilterSource {
    wchar_t path[2048];
    int isCsv;  // else an ini with a [Filters] section
};
struct KxFilterSources {
    int count;
    int fromSetting;  // named by EverythingIniPath, not found in APPDATA
    KxFilterSource items[KX_FILTER_SOURCE_CAPACITY];
};

// Rebuilds the table from Everything's own configuration (or the built-in set) when its files changed since
// the last build, and restores the last selected filter.
void KxLoadFilters();
// Appends the [Filters] entries of an ini file while the table has room; returns how many it appended.
int KxReadIniFilters(const wchar_t* path);
// Appends the filters of a filters.csv while the table has room; returns how many named rows it appended,
// 0 when it cannot be opened.
int KxReadFiltersCsv(const wchar_t* path);

// Pure rules, tested directly.

// Where the filters are looked for: EverythingIniPath names Everything's folder (its Everything.ini, then
// its filters.csv), a csv of any name, or an ini (then the csv beside it); "Auto" or empty: APPDATA's
// Everything folder. A path that does not fit is left out.
void KxFilterSourcesFor(const wchar_t* setting, int settingIsFolder, const wchar_t* appData, KxFilterSources* sources);
// The csv that Everything keeps beside its ini: Filters<suffix>.csv for Everything<suffix>.ini, else filters.csv.
void KxCsvNameBesideIni(const wchar_t* iniName, wchar_t* out, int capacity);

// Field number `field` (from 1) of a line into out (at most 1023 characters); 0 when the line ends before it.
int KxCsvField(const wchar_t* line, int field, wchar_t* out, int capacity);
// The field number whose header is "Search" (any case), or the default field when the header has none.
int KxCsvSearchColumn(const wchar_t* headerLine);
// The index of the first entry named `name` ignoring case, or 0.
int KxFindFilterByName(const KxFilter* filters, int count, const wchar_t* name);
