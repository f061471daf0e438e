#include "overlay/result_rows.h"

#include <wchar.h>

#include "config/settings.h"
#include "config/theme.h"
#include "overlay/overlay_window.h"
#include "search/result_format.h"
#include "search/search_composition.h"

int g_dateColumnWidth;
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

}  // namespace

void KxColumnRects(const RECT& row, RECT* folder, RECT* size, RECT* date)
{
    int dateWidth = g_dateColumnWidth > 0 ? g_dateColumnWidth : KxScale(118);
    *date = RECT{row.right - KxScale(4) - dateWidth, row.top, row.right - KxScale(4), row.bottom};
    *size = RECT{date->left - KxScale(6) - KxScale(64), row.top, date->left - KxScale(6), row.bottom};
    int folderWidth = KxScale(126);
    if (g_settings.folderColumn == KX_FOLDER_FULL && (row.right - row.left) * 40 / 100 > folderWidth)
        folderWidth = (row.right - row.left) * 40 / 100;
    *folder = RECT{size->left - KxScale(6) - folderWidth, row.top, size->left - KxScale(6), row.bottom};
}

int KxNameColumnLeft(const RECT& row)
{
    return row.left + KxScale(4) + KxScale(16) + KxScale(6);
}

void KxDrawResultRow(const DRAWITEMSTRUCT* item)
{
    if ((int)item->itemID < 0 || (int)item->itemID >= g_resultCount) return;
    const KxResult& result = g_results[item->itemID];
    HDC dc = item->hDC;
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    FillRect(dc, &item->rcItem, selected ? g_theme.accentBrush : g_theme.backgroundBrush);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, g_theme.font);
    RECT row = KxRowArea(item->rcItem), folder, size, date;
    KxColumnRects(row, &folder, &size, &date);
    COLORREF secondary = selected ? RGB(255, 255, 255) : g_theme.secondaryText;

    SetTextColor(dc, selected ? RGB(255, 255, 255) : g_theme.text);
    RECT name{KxNameColumnLeft(row), row.top, folder.left - KxScale(6), row.bottom};
    KxDrawColumnText(dc, KxFileNameOf(result.path), name, DT_END_ELLIPSIS);
    SetTextColor(dc, secondary);
    KxDrawColumnText(dc, KxFormatDateTime(result.dateModified), date, DT_RIGHT);
    KxDrawColumnText(dc, KxFormatSize(result.size), size, DT_RIGHT);
    wchar_t parent[KX_PATH_CHARS];
    const wchar_t* folderText = parent;
    if (g_settings.folderColumn == KX_FOLDER_FULL)
        KxParentFolderPath(result.path, parent, KX_PATH_CHARS);
    else
        folderText = KxParentFolderName(result.path);
    KxDrawColumnText(dc, folderText, folder,
                     g_settings.folderColumn == KX_FOLDER_FULL ? DT_PATH_ELLIPSIS : DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
}

void KxDrawHeaderStrip(HDC dc)
{
    RECT strip = KxRowArea(g_headerRect), folder, size, date;
    KxColumnRects(strip, &folder, &size, &date);
    HBRUSH fill = CreateSolidBrush(g_theme.inputBackground);
    FillRect(dc, &g_headerRect, fill);
    DeleteObject(fill);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, g_theme.font);

    struct {
        int column;
        const wchar_t* label;
        RECT rect;
        UINT format;
    } labels[] = {
        {KX_COLUMN_NAME, L"Name", {KxNameColumnLeft(strip), strip.top, folder.left - KxScale(6), strip.bottom}, DT_END_ELLIPSIS},
        {KX_COLUMN_FOLDER, L"Folder", folder, DT_LEFT},
        {KX_COLUMN_SIZE, L"Size", size, DT_CENTER},
        {KX_COLUMN_DATE, L"Date", date, DT_CENTER},
    };
    int nameLabelEnd = labels[0].rect.left;
    for (auto& label : labels) {
        SIZE extent{};
        GetTextExtentPoint32W(dc, label.label, (int)wcslen(label.label), &extent);
        RECT rect = label.rect;
        if (label.format == DT_CENTER) {
            int middle = (rect.left + rect.right) / 2;
            rect.left = middle - extent.cx / 2;
            rect.right = rect.left + extent.cx;
        }
        bool sorted = label.column == g_sortColumn;
        SetTextColor(dc, sorted ? g_theme.highlight : g_theme.text);
        DrawTextW(dc, label.label, -1, &rect, label.format | DT_SINGLELINE | DT_VCENTER);
        int labelEnd = rect.left + extent.cx;
        if (sorted) {
            RECT indicator{labelEnd + KxScale(4), strip.top, labelEnd + KxScale(4) + KxScale(14), strip.bottom};
            DrawTextW(dc, g_sortDescending ? L"\u25BC" : L"\u25B2", 1, &indicator, DT_SINGLELINE | DT_VCENTER);
            labelEnd = indicator.right;
        }
        if (label.column == KX_COLUMN_NAME) nameLabelEnd = labelEnd;
    }

    wchar_t count[80];
    if ((DWORD)g_resultCount < g_resultTotal)
        _snwprintf(count, 80, L"%d of %lu", g_resultCount, g_resultTotal);
    else
        _snwprintf(count, 80, L"%d", g_resultCount);
    count[79] = L'\0';
    SIZE countExtent{};
    GetTextExtentPoint32W(dc, count, (int)wcslen(count), &countExtent);
    RECT countRect{labels[0].rect.left, strip.top, labels[0].rect.right - KxScale(6), strip.bottom};
    if (nameLabelEnd + KxScale(8) < countRect.right - countExtent.cx) {
        SetTextColor(dc, g_theme.secondaryText);
        DrawTextW(dc, count, -1, &countRect, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }

    HPEN pen = CreatePen(PS_SOLID, 1, g_theme.border);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, g_headerRect.left, g_headerRect.bottom - 1, nullptr);
    LineTo(dc, g_headerRect.right, g_headerRect.bottom - 1);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SelectObject(dc, oldFont);
}

void KxMeasureDateColumn()
{
    HDC dc = GetDC(g_listWnd);
    HGDIOBJ oldFont = SelectObject(dc, g_theme.font);
    int widest = 0;
    for (int i = 0; i < g_resultCount; ++i) {
        const wchar_t* text = KxFormatDateTime(g_results[i].dateModified);
        if (!text[0]) continue;
        SIZE extent{};
        GetTextExtentPoint32W(dc, text, (int)wcslen(text), &extent);
        if (extent.cx > widest) widest = extent.cx;
    }
    SelectObject(dc, oldFont);
    ReleaseDC(g_listWnd, dc);
    if (widest <= 0) return;
    widest += KxScale(10);
    if (widest < KxScale(60)) widest = KxScale(60);
    if (widest > KxScale(118)) widest = KxScale(118);
    g_dateColumnWidth = widest;
}

int KxHeaderColumnAt(POINT point)
{
    RECT strip = KxRowArea(g_headerRect), folder, size, date;
    KxColumnRects(strip, &folder, &size, &date);
    if (PtInRect(&size, point)) return KX_COLUMN_SIZE;
    if (PtInRect(&date, point)) return KX_COLUMN_DATE;
    if (PtInRect(&folder, point)) return KX_COLUMN_FOLDER;
    if (point.x < g_headerRect.left + KxScale(4) + KxScale(16) + KxScale(2)) return KX_COLUMN_TYPE;
    return KX_COLUMN_NAME;
}
