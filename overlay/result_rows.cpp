#include "overlay/result_rows.h"

#include <wchar.h>

#include "config/settings.h"
#include "config/theme.h"
#include "core/icon_renderings.h"
#include "overlay/highlight_text.h"
#include "overlay/overlay_window.h"
#include "overlay/result_icons.h"
#include "search/drives.h"
#include "search/result_format.h"
#include "search/search_composition.h"

int g_dateColumnWidth;
int g_sizeColumnWidth;
int g_dateOnlyColumnWidth;
int g_widestNameWidth;
bool g_nameTruncated[500];

namespace {

// The header's and every row's area left of the scrollbar.
RECT KxRowArea(RECT row)
{
    if (g_listOverflow) row.right -= KxScale(12);
    return row;
}

void KxDrawColumnText(HDC dc, const wchar_t* text, RECT rect, UINT format)
{
    DrawTextW(dc, text, -1, &rect, format | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
}

// The strip or row under the icon is filled with background, so a kept rendering is pixel for pixel the same.
void KxDrawSmallIcon(HDC dc, HICON icon, int x, const RECT& row, int size, COLORREF background)
{
    KxDrawIconOver(dc, icon, x, row.top + (row.bottom - row.top - size) / 2, size, background);
}

bool KxColumnShown(const RECT& column)
{
    return column.right > column.left;
}

COLORREF KxRowBackground(bool selected)
{
    return selected ? g_theme.accent : g_theme.background;
}

int KxTextWidth(HDC dc, const wchar_t* text)
{
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, (int)wcslen(text), &extent);
    return extent.cx;
}

// The drive icon sits at the folder column's left edge, which then moves past the icon's room.
void KxDrawDriveIcon(HDC dc, const KxResult& result, bool selected, RECT* folder)
{
    if (!g_settings.driveIcons) return;
    int style = KxDriveIconStyleFor(g_settings.driveIconStyle == KX_ICONS_LINE, selected, g_theme.isDark);
    int size = KxDriveIconSize();
    KxDrawSmallIcon(dc, KxLoadDriveIcon(style, KxDriveIconIndex(result.path), size), folder->left, *folder, size,
                    KxRowBackground(selected));
    folder->left += KxDriveIconColumnWidth();
}

void KxDrawFolderText(HDC dc, const KxResult& result, const RECT& folder, COLORREF colour)
{
    bool full = g_settings.folderColumn == KX_FOLDER_FULL;
    wchar_t parent[KX_PATH_CHARS];
    const wchar_t* text = parent;
    if (full)
        KxParentFolderPath(result.path, parent, KX_PATH_CHARS);
    else
        text = KxParentFolderName(result.path);
    if (KxDrawHighlightedTextWithin(dc, folder, text, colour, true) >= 0) return;
    // A path that does not fit keeps its drive and its last folders readable.
    SetTextColor(dc, colour);
    KxUseFont(dc, g_theme.font);
    KxDrawColumnText(dc, text, folder, full ? DT_PATH_ELLIPSIS : DT_END_ELLIPSIS);
}

struct KxHeaderLabel {
    int column;
    const wchar_t* text;
    RECT rect;
    UINT format;
};

// Draws a label and, for the sorted column, its arrow; returns where the label (and arrow) end.
int KxDrawHeaderLabel(HDC dc, const KxHeaderLabel& label, const RECT& strip)
{
    int width = KxTextWidth(dc, label.text);
    RECT rect = label.rect;
    if (label.format == DT_CENTER) {
        int middle = (rect.left + rect.right) / 2;
        rect.left = middle - width / 2;
        rect.right = rect.left + width;
    }
    bool sorted = label.column == g_sortColumn;
    SetTextColor(dc, sorted ? g_theme.highlight : g_theme.text);
    DrawTextW(dc, label.text, -1, &rect, label.format | DT_SINGLELINE | DT_VCENTER);
    int end = rect.left + width;
    if (!sorted) return end;
    RECT arrow{end + KxScale(4), strip.top, end + KxScale(4) + KxScale(14), strip.bottom};
    DrawTextW(dc, g_sortDescending ? L"\u25BC" : L"\u25B2", 1, &arrow, DT_SINGLELINE | DT_VCENTER);
    return arrow.right;
}

void KxDrawHeaderIcon(HDC dc, const RECT& strip)
{
    int x = g_headerRect.left + KxScale(4), size = KxScale(16);
    KxDrawSmallIcon(dc, KxGetHeaderIcon(), x, strip, size, g_theme.inputBackground);
    if (g_sortColumn != KX_COLUMN_TYPE) return;
    HPEN pen = CreatePen(PS_SOLID, 2, g_theme.highlight);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, x, strip.bottom - KxScale(3), nullptr);
    LineTo(dc, x + size, strip.bottom - KxScale(3));
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

// The count stands right-aligned in the name column, only where it clears the Name label.
void KxDrawHeaderCount(HDC dc, const RECT& nameColumn, int nameLabelEnd)
{
    wchar_t count[KX_COUNT_TEXT_CHARS];
    KxFormatResultCount(g_resultCount, g_resultTotal, count);
    RECT rect{nameColumn.left, nameColumn.top, nameColumn.right - KxScale(6), nameColumn.bottom};
    if (nameLabelEnd + KxScale(8) >= rect.right - KxTextWidth(dc, count)) return;
    SetTextColor(dc, g_theme.secondaryText);
    DrawTextW(dc, count, -1, &rect, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

}  // namespace

KxColumns KxComputeColumnRects(const RECT& row, const KxColumnInput& in)
{
    auto S = [&](int n) { return MulDiv(n, in.dpiScalePercent, 100); };
    int gap = S(6), nameLeft = row.left + S(4) + S(16) + S(6), right = row.right - S(4);
    int textWidth = right > nameLeft ? right - nameLeft : 0;
    int nameNeed = in.widestName < textWidth * 40 / 100 ? in.widestName : textWidth * 40 / 100;
    int date = in.dateColumnWidth > 0 ? in.dateColumnWidth : S(118);
    int dateOnly = in.dateOnlyColumnWidth > 0 && in.dateOnlyColumnWidth < date ? in.dateOnlyColumnWidth : date;
    int size = in.sizeColumnWidth > 0 ? in.sizeColumnWidth : S(64);
    int folder = S(126) + in.driveIconWidth;
    int share = (row.right - row.left) * 40 / 100;
    if (in.folderColumnFull && share > folder) folder = share;
    auto taken = [&](int width) { return width > 0 ? width + gap : 0; };
    int room = textWidth - nameNeed;
    // The folder gives way first; a folder with no room beside its drive icon goes altogether.
    int folderRoom = room - taken(size) - taken(date) - gap;
    if (folderRoom < folder) folder = folderRoom > in.driveIconWidth ? folderRoom : 0;
    int dateShowsTime = 1;
    if (taken(size) + taken(date) > room && dateOnly < date) {
        date = dateOnly;
        dateShowsTime = 0;
    }
    if (taken(size) + taken(date) > room) date = 0;
    if (taken(size) > room) size = 0;

    KxColumns columns{};
    columns.dateShowsTime = dateShowsTime;
    int edge = right;  // each shown column ends one gap left of the next
    auto place = [&](int width, RECT* rect) {
        *rect = RECT{edge - width, row.top, edge, row.bottom};
        if (width > 0) edge = rect->left - gap;
    };
    place(date, &columns.date);
    place(size, &columns.size);
    place(folder, &columns.folder);
    columns.name = RECT{nameLeft, row.top, edge > nameLeft ? edge : nameLeft, row.bottom};
    return columns;
}

KxColumns KxColumnRects(const RECT& row)
{
    KxColumnInput input{g_theme.dpiScalePercent, g_dateColumnWidth, KxDriveIconColumnWidth(),
                        g_settings.folderColumn == KX_FOLDER_FULL, g_sizeColumnWidth, g_dateOnlyColumnWidth,
                        g_widestNameWidth};
    return KxComputeColumnRects(row, input);
}

int KxDateColumnWidthFor(int widestText, int dpiScalePercent)
{
    if (widestText <= 0) return 0;
    int width = widestText + MulDiv(10, dpiScalePercent, 100);
    int least = MulDiv(60, dpiScalePercent, 100);
    return width < least ? least : width;
}

int KxSizeColumnWidthFor(int widestText, int dpiScalePercent)
{
    if (widestText <= 0) return 0;
    // A right-aligned size cut at its left edge reads as another number ("125.8 KB" as ".25.8 KB").
    int width = widestText + MulDiv(2, dpiScalePercent, 100);
    int least = MulDiv(64, dpiScalePercent, 100);
    return width < least ? least : width;
}

int KxDriveIconStyleFor(int lineStyle, int selected, int isDark)
{
    if (!lineStyle) return 0;
    if (selected) return 3;
    return isDark ? 2 : 1;
}

void KxFormatCount(DWORD value, wchar_t* out)
{
    wchar_t digits[KX_COUNT_CHARS];
    _snwprintf(digits, KX_COUNT_CHARS, L"%lu", (unsigned long)value);
    digits[KX_COUNT_CHARS - 1] = L'\0';
    wchar_t separator[9];
    if (!GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, separator, 9)) lstrcpyW(separator, L",");
    NUMBERFMTW format{};
    format.LeadingZero = 1;  // without it, zero comes out as an empty text
    format.Grouping = 3;
    format.lpDecimalSep = (LPWSTR)L".";
    format.lpThousandSep = separator;
    if (!GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, digits, &format, out, KX_COUNT_CHARS))
        lstrcpyW(out, digits);
}

void KxFormatResultCount(int count, DWORD total, wchar_t* out)
{
    wchar_t shown[KX_COUNT_CHARS], all[KX_COUNT_CHARS];
    KxFormatCount(count > 0 ? (DWORD)count : 0, shown);
    if (count >= 0 && (DWORD)count < total) {
        KxFormatCount(total, all);
        _snwprintf(out, KX_COUNT_TEXT_CHARS, L"%ls of %ls", shown, all);
    } else {
        _snwprintf(out, KX_COUNT_TEXT_CHARS, L"%ls", shown);
    }
    out[KX_COUNT_TEXT_CHARS - 1] = L'\0';
}

void KxDrawResultRow(const DRAWITEMSTRUCT* item)
{
    if ((int)item->itemID < 0 || (int)item->itemID >= g_resultCount) return;
    int index = (int)item->itemID;
    const KxResult& result = g_results[index];
    HDC dc = item->hDC;
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    FillRect(dc, &item->rcItem, selected ? g_theme.accentBrush : g_theme.backgroundBrush);
    SetBkMode(dc, TRANSPARENT);
    // The list paints with the theme's font selected already.
    HFONT oldFont = (HFONT)GetCurrentObject(dc, OBJ_FONT);
    KxUseFont(dc, g_theme.font);
    RECT row = KxRowArea(item->rcItem);
    KxDrawSmallIcon(dc, KxGetResultIcon(result), row.left + KxScale(4), row, KxScale(16), KxRowBackground(selected));
    KxColumns columns = KxColumnRects(row);
    COLORREF nameColour = selected ? KX_SELECTED_ROW_TEXT : g_theme.text;
    COLORREF secondary = selected ? KX_SELECTED_ROW_TEXT : g_theme.secondaryText;

    const RECT& name = columns.name;
    int nameWidth = KxDrawHighlightedText(dc, name, KxFileNameOf(result.path), nameColour);
    g_nameTruncated[index] = nameWidth > name.right - name.left;
    SetTextColor(dc, secondary);
    KxUseFont(dc, g_theme.font);
    if (KxColumnShown(columns.date))
        KxDrawColumnText(dc, KxFormatDate(result.dateModified, columns.dateShowsTime), columns.date, DT_RIGHT);
    if (KxColumnShown(columns.size)) KxDrawColumnText(dc, KxFormatSize(result.size), columns.size, DT_RIGHT);
    if (KxColumnShown(columns.folder)) {
        KxDrawDriveIcon(dc, result, selected, &columns.folder);
        KxDrawFolderText(dc, result, columns.folder, secondary);
    }
    KxUseFont(dc, oldFont);
}

void KxDrawHeaderStrip(HDC dc)
{
    RECT strip = KxRowArea(g_headerRect);
    KxColumns columns = KxColumnRects(strip);
    HBRUSH fill = CreateSolidBrush(g_theme.inputBackground);
    FillRect(dc, &g_headerRect, fill);
    DeleteObject(fill);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, g_theme.font);
    KxDrawHeaderIcon(dc, strip);

    const RECT& nameColumn = columns.name;
    const KxHeaderLabel labels[] = {
        {KX_COLUMN_NAME, L"Name", nameColumn, DT_END_ELLIPSIS},
        {KX_COLUMN_FOLDER, L"Folder", columns.folder, DT_LEFT},
        {KX_COLUMN_SIZE, L"Size", columns.size, DT_CENTER},
        {KX_COLUMN_DATE, L"Date", columns.date, DT_CENTER},
    };
    int nameLabelEnd = nameColumn.left;
    for (const KxHeaderLabel& label : labels) {
        if (!KxColumnShown(label.rect)) continue;
        int end = KxDrawHeaderLabel(dc, label, strip);
        if (label.column == KX_COLUMN_NAME) nameLabelEnd = end;
    }
    KxDrawHeaderCount(dc, nameColumn, nameLabelEnd);

    HPEN pen = CreatePen(PS_SOLID, 1, g_theme.border);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, g_headerRect.left, g_headerRect.bottom - 1, nullptr);
    LineTo(dc, g_headerRect.right, g_headerRect.bottom - 1);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SelectObject(dc, oldFont);
}

void KxDrawListPlaceholder(HWND list, HDC dc)
{
    if (g_resultCount != 0) return;
    const wchar_t* text = g_searchFailureText;
    if (!text && g_editWnd && GetWindowTextLengthW(g_editWnd) > 0) text = L"No results";
    if (!text) return;
    RECT row;
    GetClientRect(list, &row);
    row.bottom = row.top + (g_theme.rowHeight > 0 ? g_theme.rowHeight : KxScale(20));
    row.left += KxScale(10);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, g_theme.secondaryText);
    HGDIOBJ oldFont = SelectObject(dc, g_theme.font);
    KxDrawColumnText(dc, text, row, 0);
    SelectObject(dc, oldFont);
}

void KxFillListBackground(HWND list, HDC dc)
{
    RECT client;
    GetClientRect(list, &client);
    int top = (int)SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    if (top < 0) top = 0;
    if (top < g_resultCount && g_theme.rowHeight > 0) client.top += (g_resultCount - top) * g_theme.rowHeight;
    if (client.top < client.bottom) FillRect(dc, &client, g_theme.backgroundBrush);
}

void KxStartWidthCache(HDC dc, KxWidthCache& cache)
{
    cache.count = 0;
    INT digits[10];
    cache.digitsShareOneWidth = GetCharWidth32W(dc, L'0', L'9', digits) != 0;
    for (int i = 1; i < 10 && cache.digitsShareOneWidth; ++i) cache.digitsShareOneWidth = digits[i] == digits[0];
}

int KxCachedTextWidth(HDC dc, KxWidthCache& cache, const wchar_t* text)
{
    size_t length = wcslen(text);
    if (!cache.digitsShareOneWidth || length >= KX_SHAPE_CHARS) return KxTextWidth(dc, text);
    wchar_t shape[KX_SHAPE_CHARS];
    for (size_t i = 0; i <= length; ++i) shape[i] = text[i] >= L'0' && text[i] <= L'9' ? L'0' : text[i];
    for (int i = 0; i < cache.count; ++i)
        if (wcscmp(cache.shapes[i], shape) == 0) return cache.widths[i];
    int width = KxTextWidth(dc, text);
    if (cache.count < KX_SHAPE_SLOTS) {
        wmemcpy(cache.shapes[cache.count], shape, length + 1);
        cache.widths[cache.count++] = width;
    }
    return width;
}

void KxMeasureTextColumns()
{
    HDC dc = GetDC(g_listWnd);
    if (!dc) return;
    HGDIOBJ oldFont = SelectObject(dc, g_theme.font);
    // Dates and sizes come in a few shapes only: measuring each of 500 texts cost more than the query's
    // own client work.
    KxWidthCache dates, sizes;
    KxStartWidthCache(dc, dates);
    KxStartWidthCache(dc, sizes);
    KxWidthCache dateOnlyCache;
    KxStartWidthCache(dc, dateOnlyCache);
    int widestDate = 0, widestSize = 0, widestDateOnly = 0;
    // The longest name in characters stands for the widest: measuring every name would cost as much
    // as the dates did before their cache.
    int longestName = -1, longestLength = 0;
    for (int i = 0; i < g_resultCount; ++i) {
        int width = KxCachedTextWidth(dc, dates, KxFormatDate(g_results[i].dateModified, true));
        if (width > widestDate) widestDate = width;
        width = KxCachedTextWidth(dc, dateOnlyCache, KxFormatDate(g_results[i].dateModified, false));
        if (width > widestDateOnly) widestDateOnly = width;
        int length = (int)wcslen(KxFileNameOf(g_results[i].path));
        if (length > longestLength) longestLength = length, longestName = i;
        width = KxCachedTextWidth(dc, sizes, KxFormatSize(g_results[i].size));
        if (width > widestSize) widestSize = width;
    }
    g_widestNameWidth = longestName >= 0 ? KxTextWidth(dc, KxFileNameOf(g_results[longestName].path)) : 0;
    SelectObject(dc, oldFont);
    ReleaseDC(g_listWnd, dc);
    int columnWidth = KxDateColumnWidthFor(widestDate, g_theme.dpiScalePercent);
    if (columnWidth > 0) g_dateColumnWidth = columnWidth;
    columnWidth = KxDateColumnWidthFor(widestDateOnly, g_theme.dpiScalePercent);
    if (columnWidth > 0) g_dateOnlyColumnWidth = columnWidth;
    columnWidth = KxSizeColumnWidthFor(widestSize, g_theme.dpiScalePercent);
    if (columnWidth > 0) g_sizeColumnWidth = columnWidth;
}

int KxHeaderColumnAt(POINT point)
{
    KxColumns columns = KxColumnRects(KxRowArea(g_headerRect));
    if (PtInRect(&columns.size, point)) return KX_COLUMN_SIZE;
    if (PtInRect(&columns.date, point)) return KX_COLUMN_DATE;
    if (PtInRect(&columns.folder, point)) return KX_COLUMN_FOLDER;
    if (point.x < g_headerRect.left + KxScale(4) + KxScale(16) + KxScale(2)) return KX_COLUMN_TYPE;
    return KX_COLUMN_NAME;
}
