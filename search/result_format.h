#pragma once
#include <windows.h>

#include "search/everything_client.h"

constexpr int KX_SIZE_TEXT_CHARS = 32;
constexpr int KX_DATE_TEXT_CHARS = 64;
constexpr int KX_FOLDER_NAME_CHARS = 64;  // at most 63 characters

// The column (0 name, 1 size, 2 date, 3 folder, 4 type; any other sorts by date) and direction that
// KxCompareResults uses. qsort passes its comparator no context, so the caller sets them just
// before each sort and one sort always runs with one consistent pair.
void KxSetCompareOrder(int column, bool descending);
// qsort comparator over whole KxResult records: -1, 0 or 1. Equal keys are not broken further.
int __cdecl KxCompareResults(const void* a, const void* b);

// What a result is ordered by in one column: a text (name, type, parent folder name), else a number
// (size, date). Made in place: for the folder column the text points into the key itself.
struct KxSortKey {
    ULONGLONG number;
    const wchar_t* text;
    wchar_t folderName[KX_FOLDER_NAME_CHARS];
};
void KxMakeSortKey(const KxResult& result, int column, KxSortKey* key);
// Ascending order of two keys of one column: -1, 0 or 1; the rule of KxCompareResults.
int KxCompareSortKeys(const KxSortKey& a, const KxSortKey& b);

// The part of a path after its last backslash (the whole path when it has none).
const wchar_t* KxFileNameOf(const wchar_t* path);

// The texts below live in buffers of this file and stay valid until the next call of the same function.

// "512 B", "1.5 KB" ... "1024.0 TB"; a value that would read 1024.0 in one unit takes the next.
const wchar_t* KxFormatSize(ULONGLONG bytes);
// Local date and time by the DateFormat/TimeFormat settings; empty for 0 or a time that cannot be
// converted. A part whose picture Windows rejects is left out.
const wchar_t* KxFormatDateTime(ULONGLONG fileTime);
// The same, with the time only when withTime is set (and the TimeFormat shows one).
const wchar_t* KxFormatDate(ULONGLONG fileTime, bool withTime);
// The parent folder's own name ("b" for C:\a\b\f, "C:" for C:\f), cut at 63 characters.
const wchar_t* KxParentFolderName(const wchar_t* path);

// Writes the full parent folder (C:\a\b for C:\a\b\f, the root C:\ for C:\f) into out, cut at
// capacity - 1; returns its length, 0 when the path has no backslash.
int KxParentFolderPath(const wchar_t* path, wchar_t* out, int capacity);
