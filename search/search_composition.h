#pragma once
#include <windows.h>

#include "search/everything_client.h"
#include "search/filters.h"

constexpr int KX_RESULT_CAPACITY = 500;
constexpr int KX_TYPED_TEXT_CHARS = 512;
constexpr int KX_QUERY_TEXT_CHARS = 900;
// The longest filter term and the longest drive list.
constexpr int KX_PREFIX_CHARS = 700;

extern KxResult g_results[KX_RESULT_CAPACITY];
extern int g_resultCount;
extern DWORD g_resultTotal;
extern bool g_searchRunning;
extern volatile int g_searchRestart;
extern bool g_activeFolderResolved;
extern wchar_t g_activeFolder[KX_PATH_CHARS];
extern wchar_t g_lastActiveFolder[KX_PATH_CHARS];

// Turns the overlay's input into Everything queries and installs the merged hits.
void KxRunSearchNow();

// The pure steps of a search, each a function of its inputs.

// Offset of the first "path:." token (any case, followed by the end or white space), or -1.
int KxFindPathToken(const wchar_t* text);
// Replaces the token at tokenOffset by path:"folder"; 0 when no query can be made (no folder,
// or the token starts after character 899).
int KxSubstitutePathToken(const wchar_t* text, int tokenOffset, const wchar_t* folder, wchar_t* out, int capacity);
// filter:"name" for a filter with a search text (<search text> when the name holds a double quote), else
// empty; tells whether folders are wanted.
void KxComposeFilterTerm(const KxFilter& filter, wchar_t* prefix, int capacity, int* includeFolders);
// The drive list of a scope over the drives' scope classes (A to Z); returns how many drives it names.
int KxComposeDriveExpression(int scope, const BYTE scopeClasses[26], wchar_t* out, int capacity);
// Appends the drive expression to the prefix (one space between), cut at capacity - 1.
void KxAppendToPrefix(wchar_t* prefix, int capacity, const wchar_t* expression);
// Room for folders once files took their places.
int KxFolderCapacity(int files, int maxResults);
// Files first, then folders, each group in its own order.
void KxPartitionFilesFirst(KxResult* results, int count);
