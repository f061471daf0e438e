#include "panel/published_set.h"

#include <wchar.h>

#include "config/settings.h"
#include "core/log.h"
#include "overlay/overlay_placement.h"
#include "panel/published_index.h"
#include "panel/published_names.h"
#include "panel/virtual_path.h"
#include "search/search_composition.h"

KxPublishedEntry g_published[KX_PUBLISHED_CAPACITY];
int g_publishedCount;
CRITICAL_SECTION g_publishedLock;

KxNameIndex g_publishedIndex;
KxNameHistory g_nameHistory;

namespace {

// Brings the index in step with the set when the set was emptied or shrunk behind its back.
void KxSyncPublishedIndex()
{
    if (g_publishedIndex.count != g_publishedCount)
        KxRebuildNameIndex(&g_publishedIndex, g_published, g_publishedCount);
}

int KxFindEntryByName(const wchar_t* name, int foldersOnly)
{
    KxSyncPublishedIndex();
    int entry = KxLookUpName(&g_publishedIndex, g_published, name, KxFoldedTextHash(name));
    // Names are unique in the set, so a file entry of that name means there is no such folder.
    if (entry >= 0 && foldersOnly && !g_published[entry].isFolder) return -1;
    return entry;
}

// The host's path of the entry to show after a publish: the first new one when appending, else the first.
int KxComposeShownEntryPath(int append, int start, wchar_t* virtualPath, int capacity)
{
    EnterCriticalSection(&g_publishedLock);
    int count = g_publishedCount;
    if (count > 0)
        KxFormatEntryVirtualPath(g_published[append && start < count ? start : 0].name, virtualPath, capacity);
    LeaveCriticalSection(&g_publishedLock);
    return count > 0;
}

}  // namespace

KxPublishOutcome KxAddHitsToSet(const KxPublishedStore& store, int keepNamesToPaths, const KxResult* results,
                                int resultCount, const int* indices, int indexCount, int append)
{
    KxPublishedEntry* set = store.entries;
    int* count = store.count;
    if (!append || *count < 0) *count = 0;
    if (*count > KX_PUBLISHED_CAPACITY) *count = KX_PUBLISHED_CAPACITY;
    if (store.index->count != *count) KxRebuildNameIndex(store.index, set, *count);
    KxPublishOutcome outcome{*count, 0, 0, 0, 0};
    KxNameHints hints;
    memset(&hints, 0, sizeof hints);
    int positions = indices ? indexCount : resultCount;
    for (int i = 0; i < positions && *count < KX_PUBLISHED_CAPACITY; ++i) {
        int position = indices ? indices[i] : i;
        if (position < 0 || position >= resultCount) continue;
        const KxResult& hit = results[position];
        ULONGLONG pathHash = KxFoldedTextHash(hit.path);
        if (append && KxLookUpPath(store.index, set, hit.path, pathHash) >= 0) continue;

        wchar_t baseName[KX_PATH_CHARS];
        KxBaseNameOfPath(hit.path, baseName, KX_PATH_CHARS);
        KxPublishedEntry& entry = set[*count];
        KxNameRules rules{set, store.index, keepNamesToPaths ? store.history : nullptr, pathHash};
        int kind = KxMakeUniqueName(baseName, rules, &hints, entry.name);
        if (kind == KX_NAME_NONE) {
            // No name could be listed, entered or resolved.
            outcome.nameless++;
            continue;
        }
        if (kind == KX_NAME_SHORTENED) outcome.shortened++;
        lstrcpynW(entry.path, hit.path, KX_PATH_CHARS);
        entry.size = hit.size;
        entry.dateModified = hit.dateModified;
        entry.isFolder = hit.isFolder;
        KxAddToNameIndex(store.index, set);
        ++*count;
        outcome.added++;
        if (store.history && !KxRecordGivenName(store.history, entry.name, entry.path)) outcome.unrecorded++;
    }
    return outcome;
}

void KxPublishResultsToWfx(HWND tcWindow, const int* indices, int indexCount, int append)
{
    int resultCount = g_resultCount;
    if (!tcWindow || resultCount <= 0) return;
    if (resultCount > KX_RESULT_CAPACITY) resultCount = KX_RESULT_CAPACITY;

    EnterCriticalSection(&g_publishedLock);
    // Names are remembered always, so that turning deletion on later still finds every name once given.
    KxPublishedStore store{g_published, &g_publishedCount, &g_publishedIndex, &g_nameHistory};
    KxPublishOutcome outcome =
        KxAddHitsToSet(store, g_settings.allowDelete, g_results, resultCount, indices, indexCount, append);
    int total = g_publishedCount;
    LeaveCriticalSection(&g_publishedLock);

    KxLog(L"KxPublishResultsToWfx: %ls, now %d entr%ls total in the WFX panel listing (source=%ls).",
          append ? L"appended" : L"replaced", total, total == 1 ? L"y" : L"ies",
          indices ? L"selection" : L"all results");
    if (outcome.shortened > 0 || outcome.nameless > 0) {
        KxLog(L"KxPublishResultsToWfx: %d name(s) shortened to stay unique, %d hit(s) without a name skipped.",
              outcome.shortened, outcome.nameless);
    }
    if (outcome.unrecorded > 0)
        KxLog(L"KxPublishResultsToWfx: FAILED to remember %d given name(s) (out of memory).", outcome.unrecorded);

    wchar_t virtualPath[KX_ENTRY_PATH_CHARS];
    int navigate = KxComposeShownEntryPath(append, outcome.start, virtualPath, KX_ENTRY_PATH_CHARS);
    KxCloseOverlay();
    if (navigate) KxSendHostChangeDir(tcWindow, virtualPath);
}

int KxReadPublishedCount()
{
    EnterCriticalSection(&g_publishedLock);
    int count = g_publishedCount;
    LeaveCriticalSection(&g_publishedLock);
    return count;
}

int KxCopyPublishedEntry(int index, KxPublishedEntry* entry)
{
    EnterCriticalSection(&g_publishedLock);
    int valid = index >= 0 && index < g_publishedCount;
    if (valid) *entry = g_published[index];
    LeaveCriticalSection(&g_publishedLock);
    return valid;
}

int KxFindPublishedEntryNamed(const wchar_t* name, int foldersOnly, KxPublishedEntry* entry)
{
    if (!name || !name[0]) return 0;
    EnterCriticalSection(&g_publishedLock);
    int index = KxFindEntryByName(name, foldersOnly);
    if (index >= 0) *entry = g_published[index];
    LeaveCriticalSection(&g_publishedLock);
    return index >= 0;
}

int KxRemovePublishedEntryByPath(const wchar_t* path)
{
    EnterCriticalSection(&g_publishedLock);
    KxSyncPublishedIndex();
    int index = KxLookUpPath(&g_publishedIndex, g_published, path, KxFoldedTextHash(path));
    if (index >= 0) {
        // Later entries move up one place, keeping the set's order.
        memmove(&g_published[index], &g_published[index + 1],
                (size_t)(g_publishedCount - index - 1) * sizeof(KxPublishedEntry));
        g_publishedCount--;
        KxRebuildNameIndex(&g_publishedIndex, g_published, g_publishedCount);
    }
    LeaveCriticalSection(&g_publishedLock);
    return index >= 0;
}
