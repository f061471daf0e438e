#pragma once
#include <windows.h>

// Highlighting covers the first 1023 characters of a text and the first 511 of the query.
constexpr int KX_MARK_CHARS = 1023;
constexpr int KX_QUERY_CHARS = 512;

// Marks (1) the first count characters of text that belong to a match of any word of query; words
// are the runs between spaces and tabs, compared ignoring case. Returns 1 when anything is marked.
int KxMarkQueryWords(const wchar_t* text, int count, const wchar_t* query, BYTE* marks);

// Selects font into dc unless it is selected already.
void KxUseFont(HDC dc, HFONT font);

// Draws one line, the parts that match the typed words in bold; returns the width it needed.
int KxDrawHighlightedText(HDC dc, const RECT& rect, const wchar_t* text, COLORREF colour);
// The same, but when the first 1023 characters need more than the rectangle's width and onlyIfItFits is
// set, it draws nothing and returns -1: the measuring is done once for the test and the drawing.
int KxDrawHighlightedTextWithin(HDC dc, const RECT& rect, const wchar_t* text, COLORREF colour, bool onlyIfItFits);
