#include "panel/published_index.h"

#include <string.h>
#include <wchar.h>

namespace {

constexpr int KX_HISTORY_FIRST_CAPACITY = 1024;

int KxSlotOf(ULONGLONG hash, int capacity)
{
    return (int)(hash & (ULONGLONG)(capacity - 1));
}

void KxPlacePair(KxNamePair* pairs, int capacity, const KxNamePair& pair)
{
    int slot = KxSlotOf(pair.nameHash, capacity);
    while (pairs[slot].nameHash) slot = (slot + 1) & (capacity - 1);
    pairs[slot] = pair;
}

// Keeps the table at most half full, so a probe for an absent name ends soon.
int KxMakeRoomForPair(KxNameHistory* history)
{
    if ((history->count + 1) * 2 <= history->capacity) return 1;
    int capacity = history->capacity ? history->capacity * 2 : KX_HISTORY_FIRST_CAPACITY;
    if (capacity <= 0) return 0;
    KxNamePair* pairs =
        (KxNamePair*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (SIZE_T)capacity * sizeof(KxNamePair));
    if (!pairs) return 0;
    for (int i = 0; i < history->capacity; ++i)
        if (history->pairs[i].nameHash) KxPlacePair(pairs, capacity, history->pairs[i]);
    if (history->pairs) HeapFree(GetProcessHeap(), 0, history->pairs);
    history->pairs = pairs;
    history->capacity = capacity;
    return 1;
}

}  // namespace

ULONGLONG KxFoldedTextHash(const wchar_t* text)
{
    // FNV-1a over the folded code units.
    ULONGLONG hash = 14695981039346656037ull;
    for (; *text; ++text) {
        hash ^= (ULONGLONG)towlower(*text);
        hash *= 1099511628211ull;
    }
    return hash ? hash : 1;
}

void KxRebuildNameIndex(KxNameIndex* index, const KxPublishedEntry* set, int count)
{
    memset(index->slots, 0, sizeof index->slots);
    index->count = 0;
    if (count < 0) count = 0;
    if (count > KX_PUBLISHED_CAPACITY) count = KX_PUBLISHED_CAPACITY;
    while (index->count < count) KxAddToNameIndex(index, set);
}

void KxAddToNameIndex(KxNameIndex* index, const KxPublishedEntry* set)
{
    int entry = index->count;
    if (entry >= KX_PUBLISHED_CAPACITY) return;
    index->nameHashes[entry] = KxFoldedTextHash(set[entry].name);
    index->pathHashes[entry] = KxFoldedTextHash(set[entry].path);
    int slot = KxSlotOf(index->nameHashes[entry], KX_NAME_INDEX_SLOTS);
    while (index->slots[slot]) slot = (slot + 1) & (KX_NAME_INDEX_SLOTS - 1);
    index->slots[slot] = (short)(entry + 1);
    index->count++;
}

int KxLookUpName(const KxNameIndex* index, const KxPublishedEntry* set, const wchar_t* name, ULONGLONG hash)
{
    for (int slot = KxSlotOf(hash, KX_NAME_INDEX_SLOTS); index->slots[slot];
         slot = (slot + 1) & (KX_NAME_INDEX_SLOTS - 1)) {
        int entry = index->slots[slot] - 1;
        if (index->nameHashes[entry] == hash && _wcsicmp(set[entry].name, name) == 0) return entry;
    }
    return -1;
}

int KxLookUpPath(const KxNameIndex* index, const KxPublishedEntry* set, const wchar_t* path, ULONGLONG hash)
{
    for (int entry = 0; entry < index->count; ++entry)
        if (index->pathHashes[entry] == hash && _wcsicmp(set[entry].path, path) == 0) return entry;
    return -1;
}

int KxRecordGivenName(KxNameHistory* history, const wchar_t* name, const wchar_t* path)
{
    KxNamePair pair{KxFoldedTextHash(name), KxFoldedTextHash(path)};
    for (int slot = history->capacity ? KxSlotOf(pair.nameHash, history->capacity) : 0;
         history->capacity && history->pairs[slot].nameHash; slot = (slot + 1) & (history->capacity - 1)) {
        if (history->pairs[slot].nameHash == pair.nameHash && history->pairs[slot].pathHash == pair.pathHash) return 1;
    }
    if (!KxMakeRoomForPair(history)) return 0;
    KxPlacePair(history->pairs, history->capacity, pair);
    history->count++;
    return 1;
}

int KxNameGivenToOtherPath(const KxNameHistory* history, ULONGLONG nameHash, ULONGLONG pathHash)
{
    if (!history->capacity) return 0;
    for (int slot = KxSlotOf(nameHash, history->capacity); history->pairs[slot].nameHash;
         slot = (slot + 1) & (history->capacity - 1)) {
        if (history->pairs[slot].nameHash == nameHash && history->pairs[slot].pathHash != pathHash) return 1;
    }
    return 0;
}
