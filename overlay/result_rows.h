#pragma once
#include <windows.h>

// One flag per row: its name needed more width than its column at the last paint.
extern bool g_nameTruncated[500];
// Date column width measured over the current results; 0: not measured.
extern int g_dateColumnWidth;

// The folder, size and date columns of a row (or of the header strip); the name column is what is left.
void KxColumnRects(const RECT& row, RECT* folder, RECT* size, RECT* date);
// Left edge of the name column in a row.
int KxNameColumnLeft(const RECT& row);
void KxDrawResultRow(const DRAWITEMSTRUCT* item);
void KxDrawHeaderStrip(HDC dc);
// Widest date text of the current results, kept as the date column's width.
void KxMeasureDateColumn();
// The sort column a click at this point of the header strip asks for.
int KxHeaderColumnAt(POINT point);
