#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include "config/settings.h"

namespace {

struct KxNamedValue {
    const wchar_t* name;
    DWORD value;
};

const KxNamedValue kSortOrders[] = {
    {L"NameAscending", 1},          {L"NameDescending", 2},          {L"PathAscending", 3},
    {L"PathDescending", 4},         {L"SizeAscending", 5},           {L"SizeDescending", 6},
    {L"ExtensionAscending", 7},     {L"ExtensionDescending", 8},     {L"TypeNameAscending", 9},
    {L"TypeNameDescending", 10},    {L"DateCreatedAscending", 11},   {L"DateCreatedDescending", 12},
    {L"DateModifiedAscending", 13}, {L"DateModifiedDescending", 14}, {L"AttributesAscending", 15},
    {L"AttributesDescending", 16},  {L"DateAccessedAscending", 23},  {L"DateAccessedDescending", 24},
};

const KxNamedValue kThemeModes[] = {{L"Dark", KX_THEME_DARK}, {L"Light", KX_THEME_LIGHT}};

const wchar_t* const kDriveScopeNames[] = {L"All", L"Local", L"Fixed", L"Network"};

template <size_t N>
DWORD KxLookupName(const KxNamedValue (&table)[N], const wchar_t* text, DWORD fallback)
{
    for (const KxNamedValue& entry : table)
        if (_wcsicmp(entry.name, text) == 0) return entry.value;
    return fallback;
}

void KxReplaceChars(wchar_t* text, const wchar_t* from, const wchar_t* to)
{
    for (; *text; ++text) {
        const wchar_t* hit = wcschr(from, *text);
        if (hit) *text = to[hit - from];
    }
}

}  // namespace

wchar_t KxParseHotkeyLetter(const wchar_t* text)
{
    const wchar_t* plus = wcsrchr(text, L'+');
    if (!plus) return L'F';
    wchar_t letter = towupper(plus[1]);
    return (letter >= L'A' && letter <= L'Z') ? letter : L'F';
}

int KxClampMaxResults(int value)
{
    if (value < 2) return 1;
    return value > 500 ? 500 : value;
}

int KxParseThemeMode(const wchar_t* text)
{
    return (int)KxLookupName(kThemeModes, text, KX_THEME_AUTO);
}

int KxParseDriveScope(const wchar_t* text)
{
    for (int scope = 0; scope < 4; ++scope)
        if (_wcsicmp(kDriveScopeNames[scope], text) == 0) return scope;
    return KX_SCOPE_ALL;
}

const wchar_t* KxDriveScopeName(int scope)
{
    return (scope >= 0 && scope < 4) ? kDriveScopeNames[scope] : kDriveScopeNames[0];
}

DWORD KxParseSortOrder(const wchar_t* text)
{
    return KxLookupName(kSortOrders, text, KX_SORT_DEFAULT);
}

void KxMapDatePicture(wchar_t* picture)
{
    KxReplaceChars(picture, L"DYm", L"dyM");
}

void KxMapTimePicture(wchar_t* picture)
{
    KxReplaceChars(picture, L"MST", L"mst");
}

int KxHistoryAdd(KxHistory& history, const wchar_t* text)
{
    wchar_t trimmed[KX_HISTORY_CHARS];
    lstrcpynW(trimmed, text, KX_HISTORY_CHARS);
    int end = (int)wcslen(trimmed);
    while (end > 0 && iswspace(trimmed[end - 1])) trimmed[--end] = L'\0';
    const wchar_t* start = trimmed;
    while (*start && iswspace(*start)) ++start;
    if (*start == L'\0') return 0;
    if (history.count > 0 && wcscmp(history.entries[0], start) == 0) return 0;

    int found = -1;
    for (int i = 1; i < history.count; ++i)
        if (wcscmp(history.entries[i], start) == 0) {
            found = i;
            break;
        }
    // A repeat moves to the front; a new text pushes the oldest out when full.
    int shifted = found >= 1 ? found : (history.count < KX_HISTORY_MAX ? history.count : KX_HISTORY_MAX - 1);
    if (found < 1 && history.count < KX_HISTORY_MAX) history.count++;
    memmove(history.entries[1], history.entries[0], sizeof(history.entries[0]) * shifted);
    lstrcpynW(history.entries[0], start, KX_HISTORY_CHARS);
    return 1;
}

int KxQuoteProfileValue(const wchar_t* value, wchar_t* out, int capacity)
{
    int length = (int)wcslen(value);
    bool stripped = length >= 2 && (value[0] == L'"' || value[0] == L'\'') && value[length - 1] == value[0];
    int needed = length + (stripped ? 2 : 0) + 1;
    if (needed > capacity) {
        if (capacity > 0) out[0] = L'\0';
        return 0;
    }
    int at = 0;
    if (stripped) out[at++] = L'"';
    memcpy(out + at, value, length * sizeof(wchar_t));
    at += length;
    if (stripped) out[at++] = L'"';
    out[at] = L'\0';
    return 1;
}
