#pragma once
#include <windows.h>

#include "panel/published_set.h"

// Lookups of published names and paths go through hashes of their case-folded text (folded as _wcsicmp
// folds), so each call costs the same whether the set holds one entry or 500.

// Hash of the text folded as the set compares names and paths; never 0.
ULONGLONG KxFoldedTextHash(const wchar_t* text);

// The hashes of the first count entries of a set and a table from name hash to entry.
constexpr int KX_NAME_INDEX_SLOTS = 1024;  // a power of two above twice the capacity
struct KxNameIndex {
    int count;  // the entries it describes
    ULONGLONG nameHashes[KX_PUBLISHED_CAPACITY];
    ULONGLONG pathHashes[KX_PUBLISHED_CAPACITY];
    short slots[KX_NAME_INDEX_SLOTS];  // entry + 1; 0 is free
};

void KxRebuildNameIndex(KxNameIndex* index, const KxPublishedEntry* set, int count);
// Adds set[index->count], which must carry its final name and path.
void KxAddToNameIndex(KxNameIndex* index, const KxPublishedEntry* set);
// The entry whose name equals name without regard to case (hash = KxFoldedTextHash(name)), or -1.
int KxLookUpName(const KxNameIndex* index, const KxPublishedEntry* set, const wchar_t* name, ULONGLONG hash);
// The first entry whose path equals path without regard to case (hash = KxFoldedTextHash(path)), or -1.
int KxLookUpPath(const KxNameIndex* index, const KxPublishedEntry* set, const wchar_t* path, ULONGLONG hash);

// Every name given to an entry in the life of the process, with the real path it was given to (as hashes).
struct KxNamePair {
    ULONGLONG nameHash;  // 0: free slot
    ULONGLONG pathHash;
};
struct KxNameHistory {
    KxNamePair* pairs;  // open addressing by name hash; grows on the process heap
    int capacity;       // a power of two, or 0
    int count;
};

// Remembers that name was given to path; 0 when memory ran out.
int KxRecordGivenName(KxNameHistory* history, const wchar_t* name, const wchar_t* path);
// 1 when the name (as its hash) was ever given to a path other than the one with pathHash.
int KxNameGivenToOtherPath(const KxNameHistory* history, ULONGLONG nameHash, ULONGLONG pathHash);
