#include "panel/published_set.h"

#include <wchar.h>

#include "core/log.h"
#include "overlay/overlay_placement.h"
#include "panel/published_names.h"
#include "panel/virtual_path.h"
#include "search/search_composition.h"

KxPublishedEntry g_published[KX_PUBLISHED_CAPACITY];
int g_publishedCount;
CRITICAL_SECTION g_publishedLock;

namespace {

int KxSetHoldsPath(const KxPublishedEntry* set, int count, const wchar_t* path)
{
    size_t length = wcslen(path);
    for (int i = 0; i < count; ++i)
        if (KxTextsEqualIgnoringCase(set[i].path, path, length)) return 1;
    return 0;
}

int KxFindEntryByName(const wchar_t* name, int foldersOnly)
{
    size_t length = wcslen(name);
    for (int i = 0; i < g_publishedCount; ++i) {
        if (foldersOnly && !g_published[i].isFolder) continue;
        if (KxTextsEqualIgnoringCase(g_published[i].name, name, length)) return i;
    }
    return -1;
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

KxPublishOutcome KxAddHitsToSet(KxPublishedEntry* set, int* count, const KxResult* results, int resultCount,
                                const int* indices, int indexCount, int append)
{
    if (!append || *count < 0) *count = 0;
    if (*count > KX_PUBLISHED_CAPACITY) *count = KX_PUBLISHED_CAPACITY;
    KxPublishOutcome outcome{*count, 0, 0, 0};
    int positions = indices ? indexCount : resultCount;
    for (int i = 0; i < positions && *count < KX_PUBLISHED_CAPACITY; ++i) {
        int position = indices ? indices[i] : i;
        if (position < 0 || position >= resultCount) continue;
        const KxResult& hit = results[position];
        if (append && KxSetHoldsPath(set, *count, hit.path)) continue;

        wchar_t baseName[KX_PATH_CHARS];
        KxBaseNameOfPath(hit.path, baseName, KX_PATH_CHARS);
        KxPublishedEntry& entry = set[*count];
        int kind = KxMakeUniqueName(baseName, set, *count, entry.name);
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
        ++*count;
        outcome.added++;
    }
    return outcome;
}

void KxPublishResultsToWfx(HWND tcWindow, const int* indices, int indexCount, int append)
{
    int resultCount = g_resultCount;
    if (!tcWindow || resultCount <= 0) return;
    if (resultCount > KX_RESULT_CAPACITY) resultCount = KX_RESULT_CAPACITY;

    EnterCriticalSection(&g_publishedLock);
    KxPublishOutcome outcome =
        KxAddHitsToSet(g_published, &g_publishedCount, g_results, resultCount, indices, indexCount, append);
    int total = g_publishedCount;
    LeaveCriticalSection(&g_publishedLock);

    KxLog(L"KxPublishResultsToWfx: %ls, now %d entr%ls total in the WFX panel listing (source=%ls).",
          append ? L"appended" : L"replaced", total, total == 1 ? L"y" : L"ies",
          indices ? L"selection" : L"all results");
    if (outcome.shortened > 0 || outcome.nameless > 0) {
        KxLog(L"KxPublishResultsToWfx: %d name(s) shortened to stay unique, %d hit(s) without a name skipped.",
              outcome.shortened, outcome.nameless);
    }

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
    int index = -1;
    size_t length = wcslen(path);
    for (int i = 0; i < g_publishedCount && index < 0; ++i)
        if (KxTextsEqualIgnoringCase(g_published[i].path, path, length)) index = i;
    if (index >= 0) {
        // Later entries move up one place, keeping the set's order.
        memmove(&g_published[index], &g_published[index + 1],
                (size_t)(g_publishedCount - index - 1) * sizeof(KxPublishedEntry));
        g_publishedCount--;
    }
    LeaveCriticalSection(&g_publishedLock);
    return index >= 0;
}
