#pragma once
#include <windows.h>

constexpr int KX_PATH_CHARS = 2048;

// One search hit, copied by value.
struct KxResult {
    wchar_t path[KX_PATH_CHARS];  // full path; a hit whose path is longer is left out, never cut
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
    DWORD message;  // the reply's dwData this query waits for; any other is a late reply and dropped
    int leftOut;    // hits whose path does not fit a KxResult; they are not in results
};

// Sends "prefix text suffix" to Everything and waits (pumping messages) up to 1500 ms for the hits.
// Returns 1 when a well-formed reply arrived.
int KxRunEverythingQuery(const wchar_t* prefix, const wchar_t* text, const wchar_t* suffix, KxResult* results,
                         int capacity, int* outCount, DWORD* outTotal);

// Joins the non-empty parts with single spaces into out; when they do not fit, the text is cut, never the
// suffix ("file:" must stay a term of its own, not end up inside a cut phrase).
void KxComposeQueryString(const wchar_t* prefix, const wchar_t* text, const wchar_t* suffix, wchar_t* out,
                          int capacity);
// Reads one reply block into reply; every offset and length is checked against size.
void KxReadEverythingReply(const BYTE* data, DWORD size, KxQueryReply& reply);
// Everything's window: the plain class first, else the first instance window ("…_(name)").
HWND KxFindEverythingWindow(wchar_t* className, int capacity);

// Why the last search could not ask Everything, for the list's first row; null when it could.
extern const wchar_t* g_searchFailureText;

// Why a query could not be answered; the order is that of the checks.
enum KxQueryFailure {
    KX_QUERY_ANSWERED = 0,
    KX_QUERY_NOT_RUNNING,
    KX_QUERY_ACCESS_DENIED,
    KX_QUERY_LOADING,
    KX_QUERY_NO_ANSWER,
};
// What the send of a query to Everything's window returned, as a failure (KX_QUERY_ANSWERED when it went through).
KxQueryFailure KxClassifyQuerySend(LRESULT sendResult, DWORD lastError);
// The line the overlay shows for a failure; null for KX_QUERY_ANSWERED.
const wchar_t* KxQueryFailureText(KxQueryFailure failure);
