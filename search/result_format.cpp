#include "search/result_format.h"

#include <stdarg.h>
#include <stdio.h>
#include <wchar.h>

#include "config/settings.h"

namespace {

constexpr int KX_DATE_PART_CHARS = 32;

// A copy of the overlay's sort state, taken by the caller just before each sort.
int g_compareColumn = 2;
bool g_compareDescending = true;

wchar_t g_sizeText[KX_SIZE_TEXT_CHARS];
wchar_t g_dateText[KX_DATE_TEXT_CHARS];
wchar_t g_folderNameText[KX_FOLDER_NAME_CHARS];

// _snwprintf leaves the text unterminated when it does not fit.
void KxPrintBounded(wchar_t* out, int capacity, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    _vsnwprintf(out, capacity - 1, format, args);
    va_end(args);
    out[capacity - 1] = L'\0';
}

// Folders have no type; ".gitignore" has no extension either.
const wchar_t* KxTypeOf(const KxResult& result)
{
    if (result.isFolder) return L"";
    const wchar_t* name = KxFileNameOf(result.path);
    const wchar_t* dot = wcsrchr(name, L'.');
    return (dot && dot != name) ? dot + 1 : L"";
}

// Into the caller's buffer, so that sorting by folder leaves the list's folder-name text alone.
void KxCopyParentFolderName(const wchar_t* path, wchar_t* out, int capacity)
{
    out[0] = L'\0';
    const wchar_t* last = wcsrchr(path, L'\\');
    if (!last || last == path) return;
    const wchar_t* start = last;
    while (start > path && start[-1] != L'\\') --start;
    int length = (int)(last - start);
    if (length > capacity - 1) length = capacity - 1;
    wmemcpy(out, start, length);
    out[length] = L'\0';
}

int KxSign(int value)
{
    return (value > 0) - (value < 0);
}

int KxCompareNumbers(ULONGLONG a, ULONGLONG b)
{
    return (a > b) - (a < b);
}

// An empty picture means the locale's own format; a failed call may leave a partial text behind.
void KxFormatLocalDate(const SYSTEMTIME& time, const wchar_t* picture, wchar_t* out, int capacity)
{
    DWORD flags = picture[0] ? 0 : DATE_SHORTDATE;
    if (!GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, flags, &time, picture[0] ? picture : nullptr, out, capacity,
                         nullptr))
        out[0] = L'\0';
}

void KxFormatLocalTime(const SYSTEMTIME& time, const wchar_t* picture, wchar_t* out, int capacity)
{
    DWORD flags = picture[0] ? 0 : TIME_NOSECONDS;
    if (!GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, flags, &time, picture[0] ? picture : nullptr, out, capacity))
        out[0] = L'\0';
}

}  // namespace

const wchar_t* KxFileNameOf(const wchar_t* path)
{
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

void KxSetCompareOrder(int column, bool descending)
{
    g_compareColumn = column;
    g_compareDescending = descending;
}

void KxMakeSortKey(const KxResult& result, int column, KxSortKey* key)
{
    key->number = 0;
    key->text = nullptr;
    switch (column) {
        case 0:
            key->text = KxFileNameOf(result.path);
            break;
        case 1:
            key->number = result.size;
            break;
        case 3:
            KxCopyParentFolderName(result.path, key->folderName, KX_FOLDER_NAME_CHARS);
            key->text = key->folderName;
            break;
        case 4:
            key->text = KxTypeOf(result);
            break;
        default:
            key->number = result.dateModified;
            break;
    }
}

int KxCompareSortKeys(const KxSortKey& a, const KxSortKey& b)
{
    if (a.text && b.text) return KxSign(_wcsicmp(a.text, b.text));
    return KxCompareNumbers(a.number, b.number);
}

int __cdecl KxCompareResults(const void* left, const void* right)
{
    KxSortKey a, b;
    KxMakeSortKey(*static_cast<const KxResult*>(left), g_compareColumn, &a);
    KxMakeSortKey(*static_cast<const KxResult*>(right), g_compareColumn, &b);
    int order = KxCompareSortKeys(a, b);
    return g_compareDescending ? -order : order;
}

const wchar_t* KxFormatSize(ULONGLONG bytes)
{
    if (bytes < 1024) {
        KxPrintBounded(g_sizeText, KX_SIZE_TEXT_CHARS, L"%.0f %ls", (double)bytes, L"B");
        return g_sizeText;
    }
    static const wchar_t* const kUnits[] = {L"KB", L"MB", L"GB", L"TB"};
    constexpr int kLastUnit = sizeof(kUnits) / sizeof(kUnits[0]) - 1;
    double value = (double)bytes / 1024.0;
    int unit = 0;
    // From 1023.95 on, one decimal would read 1024.0 of the smaller unit.
    while (value >= 1023.95 && unit < kLastUnit) {
        value /= 1024.0;
        ++unit;
    }
    KxPrintBounded(g_sizeText, KX_SIZE_TEXT_CHARS, L"%.1f %ls", value, kUnits[unit]);
    return g_sizeText;
}

const wchar_t* KxFormatDateTime(ULONGLONG fileTime)
{
    return KxFormatDate(fileTime, true);
}

const wchar_t* KxFormatDate(ULONGLONG fileTime, bool withTime)
{
    g_dateText[0] = L'\0';
    if (fileTime == 0) return g_dateText;
    FILETIME utc = {(DWORD)fileTime, (DWORD)(fileTime >> 32)};
    FILETIME local;
    SYSTEMTIME time;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) return g_dateText;

    wchar_t date[KX_DATE_PART_CHARS];
    wchar_t clock[KX_DATE_PART_CHARS] = L"";
    KxFormatLocalDate(time, g_settings.datePicture, date, KX_DATE_PART_CHARS);
    if (withTime && g_settings.showTime) KxFormatLocalTime(time, g_settings.timePicture, clock, KX_DATE_PART_CHARS);
    // No lone blank when one part failed.
    const wchar_t* separator = (date[0] && clock[0]) ? L" " : L"";
    KxPrintBounded(g_dateText, KX_DATE_TEXT_CHARS, L"%ls%ls%ls", date, separator, clock);
    return g_dateText;
}

const wchar_t* KxParentFolderName(const wchar_t* path)
{
    KxCopyParentFolderName(path, g_folderNameText, KX_FOLDER_NAME_CHARS);
    return g_folderNameText;
}

int KxParentFolderPath(const wchar_t* path, wchar_t* out, int capacity)
{
    if (capacity <= 0) return 0;
    out[0] = L'\0';
    const wchar_t* last = wcsrchr(path, L'\\');
    if (!last) return 0;
    int length = (int)(last - path);
    // A file in a drive's root shows the root itself.
    if (length == 2 && path[1] == L':') length = 3;
    if (length > capacity - 1) length = capacity - 1;
    wmemcpy(out, path, length);
    out[length] = L'\0';
    return length;
}
