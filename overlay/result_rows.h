#pragma once
#include <windows.h>

// One flag per row: its name needed more width than its column at the last paint.
extern bool g_nameTruncated[500];
// Date and size column widths measured over the current results; 0: not measured.
extern int g_dateColumnWidth;
extern int g_sizeColumnWidth;
// The same for dates without their time, and the width of the longest name; 0: not measured.
extern int g_dateOnlyColumnWidth;
extern int g_widestNameWidth;

constexpr int KX_COUNT_CHARS = 32;
constexpr int KX_COUNT_TEXT_CHARS = 80;

// What the column geometry depends on besides the row.
struct KxColumnInput {
    int dpiScalePercent;
    int dateColumnWidth;   // 0 or less: not measured
    int driveIconWidth;    // room the drive icon takes in the folder column; 0 without drive icons
    int folderColumnFull;  // the folder column shows the full parent path
    int sizeColumnWidth;   // 0 or less: not measured
    int dateOnlyColumnWidth;  // the date column without the time; 0 or less: not measured
    int widestName;           // text width of the widest name; 0: nothing asks for room
};

// The columns of a row; a column of width 0 is not shown.
struct KxColumns {
    RECT name, folder, size, date;
    int dateShowsTime;
};

// The columns of a row (or of the header strip). Name always keeps the smaller of its widest text and
// 40 % of the row's text width; what is short is taken from the folder (down to nothing), then from the
// date's time, then the whole date, then the size. A size or date column is whole or gone.
KxColumns KxComputeColumnRects(const RECT& row, const KxColumnInput& input);
// The same with the overlay's current settings and measurements.
KxColumns KxColumnRects(const RECT& row);
// Date column width for the widest date text: never below S(60), and never cutting a date; 0 for no text.
int KxDateColumnWidthFor(int widestText, int dpiScalePercent);
// Size column width for the widest size text: S(64), wider only where a size would be cut; 0 for no text.
int KxSizeColumnWidthFor(int widestText, int dpiScalePercent);
// Drive icon style of a row: 0 colour, 1 line on light, 2 line on dark, 3 line on a selected row.
int KxDriveIconStyleFor(int lineStyle, int selected, int isDark);

// value with the user's thousands separator ("56,789"), into KX_COUNT_CHARS characters.
void KxFormatCount(DWORD value, wchar_t* out);
// The header's count: "200 of 56,789" while not every match is shown, else "150".
void KxFormatResultCount(int count, DWORD total, wchar_t* out);

void KxDrawResultRow(const DRAWITEMSTRUCT* item);
void KxDrawHeaderStrip(HDC dc);
// The list's first row when it has none to show: why the search failed, or "No results".
void KxDrawListPlaceholder(HWND list, HDC dc);
// Fills the list below its last row; the rows paint themselves.
void KxFillListBackground(HWND list, HDC dc);
// Widest date and size texts of the current results, kept as those columns' widths.
void KxMeasureTextColumns();

// Widths of texts measured in one DC and font. When the font's digits 0 to 9 all have one width (as in
// most interface fonts), texts that differ only in those digits have one width too: each such shape is
// measured once. Texts longer than a shape are always measured.
constexpr int KX_SHAPE_CHARS = 48;
constexpr int KX_SHAPE_SLOTS = 16;
struct KxWidthCache {
    bool digitsShareOneWidth;
    int count;
    wchar_t shapes[KX_SHAPE_SLOTS][KX_SHAPE_CHARS];
    int widths[KX_SHAPE_SLOTS];
};
void KxStartWidthCache(HDC dc, KxWidthCache& cache);
int KxCachedTextWidth(HDC dc, KxWidthCache& cache, const wchar_t* text);
// The sort column a click at this point of the header strip asks for.
int KxHeaderColumnAt(POINT point);
