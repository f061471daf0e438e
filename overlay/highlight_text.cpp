#include "overlay/highlight_text.h"

#include <wchar.h>
#include <wctype.h>

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

struct KxTextRun {
    int start, length, bold, x, width;
};
KxTextRun g_runs[KX_MARK_CHARS];

// Splits the marked characters into runs and measures them, all plain runs first and then all bold ones,
// so that the font changes once; leaves the bold font selected. Returns the number of runs (at least one).
int KxMeasureRuns(HDC dc, const wchar_t* text, int count)
{
    int runs = 0;
    for (int start = 0; start < count; start += g_runs[runs++].length)
        g_runs[runs] = KxTextRun{start, KxRunLength(start, count), g_marks[start] ? 1 : 0, 0, 0};
    for (int bold = 0; bold <= 1; ++bold) {
        KxUseFont(dc, bold ? g_theme.boldFont : g_theme.font);
        for (int i = 0; i < runs; ++i)
            if (g_runs[i].bold == bold) g_runs[i].width = KxTextWidth(dc, text + g_runs[i].start, g_runs[i].length);
    }
    for (int i = 1; i < runs; ++i) g_runs[i].x = g_runs[i - 1].x + g_runs[i - 1].width;
    return runs;
}

}  // namespace

int KxMarkQueryWords(const wchar_t* text, int count, const wchar_t* query, BYTE* marks)
{
    if (count > KX_MARK_CHARS) count = KX_MARK_CHARS;
    for (int i = 0; i < count; ++i) marks[i] = 0;
    // Folded once here rather than at every compare; towlower is the test _wcsnicmp makes per character.
    wchar_t folded[KX_MARK_CHARS];
    for (int i = 0; i < count; ++i) folded[i] = (wchar_t)towlower(text[i]);
    wchar_t word[KX_QUERY_CHARS];
    int any = 0;
    for (const wchar_t* next = query; *next;) {
        if (KxIsWordGap(*next)) {
            ++next;
            continue;
        }
        int length = 0;
        while (next[length] && !KxIsWordGap(next[length])) {
            if (length < KX_QUERY_CHARS) word[length] = (wchar_t)towlower(next[length]);
            ++length;
        }
        next += length;
        if (length > KX_QUERY_CHARS) continue;  // longer than any query the edit box gives
        for (int start = 0; start + length <= count; ++start) {
            if (wmemcmp(folded + start, word, length) != 0) continue;
            for (int i = start; i < start + length; ++i) marks[i] = 1;
            any = 1;
        }
    }
    return any;
}

void KxUseFont(HDC dc, HFONT font)
{
    // Selecting a font costs as much as drawing a short text, even when it is the one selected.
    if (GetCurrentObject(dc, OBJ_FONT) != font) SelectObject(dc, font);
}

int KxDrawHighlightedTextWithin(HDC dc, const RECT& rect, const wchar_t* text, COLORREF colour, bool onlyIfItFits)
{
    int length = (int)wcslen(text);
    if (length == 0) return 0;
    int count = KxMarkText(text, length);
    if (count == 0) {
        KxUseFont(dc, g_theme.font);
        int width = KxTextWidth(dc, text, length < KX_MARK_CHARS ? length : KX_MARK_CHARS);
        if (onlyIfItFits && width > rect.right - rect.left) return -1;
        SetTextColor(dc, colour);
        RECT area = rect;
        DrawTextW(dc, text, length, &area, DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
        return length < KX_MARK_CHARS ? width : KxTextWidth(dc, text, length);
    }

    int runs = KxMeasureRuns(dc, text, count);
    int width = g_runs[runs - 1].x + g_runs[runs - 1].width;
    if (onlyIfItFits && width > rect.right - rect.left) {
        KxUseFont(dc, g_theme.font);
        return -1;
    }
    // Bold runs are cut at the column edge: an ellipsis cannot be placed between runs of two fonts. Each
    // run clips itself, which costs less per row than a clip region.
    SetTextColor(dc, colour);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    int y = rect.top + (rect.bottom - rect.top - metrics.tmHeight) / 2;
    // Measuring left the bold font selected: its runs go first, then all the plain ones.
    for (int bold = 1; bold >= 0; --bold) {
        KxUseFont(dc, bold ? g_theme.boldFont : g_theme.font);
        for (int i = 0; i < runs; ++i) {
            const KxTextRun& run = g_runs[i];
            if (run.bold == bold && rect.left + run.x < rect.right)
                ExtTextOutW(dc, rect.left + run.x, y, ETO_CLIPPED, &rect, text + run.start, run.length, nullptr);
        }
    }
    int x = rect.left + width;
    if (length > count && x < rect.right)
        ExtTextOutW(dc, x, y, ETO_CLIPPED, &rect, text + count, length - count, nullptr);
    return width;
}

int KxDrawHighlightedText(HDC dc, const RECT& rect, const wchar_t* text, COLORREF colour)
{
    return KxDrawHighlightedTextWithin(dc, rect, text, colour, false);
}
