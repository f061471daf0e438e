#pragma once
#include <windows.h>

#include "search/everything_client.h"

constexpr int KX_PUBLISHED_CAPACITY = 500;
constexpr int KX_PUBLISHED_NAME_CHARS = 300;
// Longest entry name: it must fit the host's find record whole.
constexpr int KX_NAME_MAX_CHARS = MAX_PATH - 1;

// One published hit, copied by value.
struct KxPublishedEntry {
    wchar_t name[KX_PUBLISHED_NAME_CHARS];  // unique in the set without regard to case
    wchar_t path[KX_PATH_CHARS];            // the real path behind it
    ULONGLONG size;
    ULONGLONG dateModified;  // FILETIME, UTC
    int isFolder;
};

// The hits the virtual folder lists; read and shrunk on the host's threads, so only touched under the lock.
extern KxPublishedEntry g_published[KX_PUBLISHED_CAPACITY];
extern int g_publishedCount;
// Guards the published result set, which the host's threads read.
extern CRITICAL_SECTION g_publishedLock;

struct KxNameIndex;
struct KxNameHistory;
// The published set's name index and every name it has given; under g_publishedLock like the set.
extern KxNameIndex g_publishedIndex;
extern KxNameHistory g_nameHistory;

// Copies hits of g_results (indices, or all when null) into the set, closes the overlay and sends the
// host to the first new entry. Nothing happens without a host window or current results.
void KxPublishResultsToWfx(HWND tcWindow, const int* indices, int indexCount, int append);

// What one publish did to a set.
struct KxPublishOutcome {
    int start;       // where this call's entries begin
    int added;       // entries added
    int shortened;   // names the counter could not make unique without shortening them
    int nameless;    // hits skipped because their path yields no name or no free one
    int unrecorded;  // names the history could not keep for want of memory
};

// A set with its name index (kept in step with it) and the history of the names it gave.
struct KxPublishedStore {
    KxPublishedEntry* entries;
    int* count;
    KxNameIndex* index;
    KxNameHistory* history;
};

// Steps 2 to 4 of publishing on any set: replace or append, skip repeated paths when appending, name
// each new entry uniquely. Positions outside results are skipped; at capacity the rest are dropped. With
// keepNamesToPaths, a name once given to one real path is never given to another.
KxPublishOutcome KxAddHitsToSet(const KxPublishedStore& store, int keepNamesToPaths, const KxResult* results,
                                int resultCount, const int* indices, int indexCount, int append);

// Reads of the shared set, each under the lock, copying out what the caller needs.
int KxReadPublishedCount();
// Entry index when it is still valid; returns 0 when index is not below the current count.
int KxCopyPublishedEntry(int index, KxPublishedEntry* entry);
// The first entry whose name matches (folders only when asked); returns 0 when there is none.
int KxFindPublishedEntryNamed(const wchar_t* name, int foldersOnly, KxPublishedEntry* entry);
// Removes the first entry with this real path; later entries move up. Returns 1 when one was removed.
int KxRemovePublishedEntryByPath(const wchar_t* path);
