#pragma once
#include <windows.h>

constexpr int KX_PATH_CHARS = 2048;

// One search hit, copied by value.
struct KxResult {
    wchar_t path[KX_PATH_CHARS];  // full path; longer paths are cut at 2047 code units
    ULONGLONG size;
    ULONGLONG dateModified;  // FILETIME, UTC
    int isFolder;
};

// State of one query, shared with the reply window through its user data.
struct KxQueryReply {
    int done;
    int valid;
    int count;
    KxResult* results;
    int capacity;
    DWORD total;
};

// Sends "prefix text suffix" to Everything and waits (pumping messages) up to 1500 ms for the hits.
// Returns 1 when a well-formed reply arrived.
int KxRunEverythingQuery(const wchar_t* prefix, const wchar_t* text, const wchar_t* suffix, KxResult* results,
                         int capacity, int* outCount, DWORD* outTotal);

// Joins the non-empty parts with single spaces into out (cut at capacity - 1).
void KxComposeQueryString(const wchar_t* prefix, const wchar_t* text, const wchar_t* suffix, wchar_t* out,
                          int capacity);
// Reads one reply block into reply; every offset and length is checked against size.
void KxReadEverythingReply(const BYTE* data, DWORD size, KxQueryReply& reply);
// Everything's window: the plain class first, else the first instance window ("…_(name)").
HWND KxFindEverythingWindow(wchar_t* className, int capacity);

// Why the last search could not ask Everything, for the list's first row; null when it could.
extern const wchar_t* g_searchFailureText;
