#include "overlay/highlight_text.h"

#include <wchar.h>

#include "config/theme.h"
#include "overlay/overlay_window.h"

namespace {

// Reused for every text drawn: the background thread draws one text at a time.
BYTE g_marks[KX_MARK_CHARS];

bool KxIsWordGap(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// The typed words are those of the edit box as it reads now.
void KxReadQuery(wchar_t* query)
{
    query[0] = L'\0';
    if (g_editWnd) GetWindowTextW(g_editWnd, query, KX_QUERY_CHARS);
}

// Marks the first min(length, 1023) characters of text; returns that count, or 0 when none is marked.
int KxMarkText(const wchar_t* text, int length)
{
    int count = length < KX_MARK_CHARS ? length : KX_MARK_CHARS;
    wchar_t query[KX_QUERY_CHARS];
    KxReadQuery(query);
    return KxMarkQueryWords(text, count, query, g_marks) ? count : 0;
}

int KxTextWidth(HDC dc, const wchar_t* text, int length)
{
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, length, &extent);
    return extent.cx;
}

// Length of the run of equal marks that starts at start.
int KxRunLength(int start, int count)
{
    int end = start + 1;
    while (end < count && g_marks[end] == g_marks[start]) ++end;
    return end - start;
}

}  // namespace

int KxMarkQueryWords(const wchar_t* text, int count, const wchar_t* query, BYTE* marks)
{
    for (int i = 0; i < count; ++i) marks[i] = 0;
    int any = 0;
    for (const wchar_t* word = query; *word;) {
        if (KxIsWordGap(*word)) {
            ++word;
            continue;
        }
        int length = 0;
        while (word[length] && !KxIsWordGap(word[length])) ++length;
        for (int start = 0; start + length <= count; ++start) {
            if (_wcsnicmp(text + start, word, length) != 0) continue;
            for (int i = start; i < start + length; ++i) marks[i] = 1;
            any = 1;
        }
        word += length;
    }
    return any;
}

int KxDrawHighlightedText(HDC dc, const RECT& rect, const wchar_t* text, COLORREF colour)
{
    int length = (int)wcslen(text);
    if (length == 0) return 0;
    int count = KxMarkText(text, length);
    SetTextColor(dc, colour);
    if (count == 0) {
        SelectObject(dc, g_theme.font);
        RECT area = rect;
        DrawTextW(dc, text, length, &area, DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
        return KxTextWidth(dc, text, length);
    }

    // Bold runs are cut at the column edge: an ellipsis cannot be placed between runs of two fonts. Each
    // run clips itself, which costs less per row than a clip region.
    SelectObject(dc, g_theme.font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    int y = rect.top + (rect.bottom - rect.top - metrics.tmHeight) / 2;
    int x = rect.left;
    for (int start = 0; start < count;) {
        int run = KxRunLength(start, count);
        SelectObject(dc, g_marks[start] ? g_theme.boldFont : g_theme.font);
        int width = KxTextWidth(dc, text + start, run);
        if (x < rect.right) ExtTextOutW(dc, x, y, ETO_CLIPPED, &rect, text + start, run, nullptr);
        x += width;
        start += run;
    }
    SelectObject(dc, g_theme.font);
    if (length > count && x < rect.right)
        ExtTextOutW(dc, x, y, ETO_CLIPPED, &rect, text + count, length - count, nullptr);
    return x - rect.left;
}

int KxMeasureHighlightedText(HDC dc, const wchar_t* text)
{
    int length = (int)wcslen(text);
    if (length == 0) return 0;
    HGDIOBJ oldFont = SelectObject(dc, g_theme.font);
    int count = KxMarkText(text, length);
    if (count == 0) {
        count = length < KX_MARK_CHARS ? length : KX_MARK_CHARS;
        int width = KxTextWidth(dc, text, count);
        SelectObject(dc, oldFont);
        return width;
    }
    int width = 0;
    for (int start = 0; start < count;) {
        int run = KxRunLength(start, count);
        SelectObject(dc, g_marks[start] ? g_theme.boldFont : g_theme.font);
        width += KxTextWidth(dc, text + start, run);
        start += run;
    }
    SelectObject(dc, oldFont);
    return width;
}
