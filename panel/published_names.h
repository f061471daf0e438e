#pragma once
#include <windows.h>

#include "panel/published_index.h"
#include "panel/published_set.h"

// The stem keeps at most this much when a counter is added, so "stem (c).ext" stays within a name.
constexpr int KX_NUMBERED_STEM_CHARS = KX_NAME_MAX_CHARS - 19;

// How a unique name was found.
enum KxNameKind {
    KX_NAME_NONE = 0,       // the base name is empty, or no name is free
    KX_NAME_AS_IS = 1,      // the base name itself, cut to KX_NAME_MAX_CHARS
    KX_NAME_NUMBERED = 2,   // "stem (c).ext" or "name (c)", the counter's rule
    KX_NAME_SHORTENED = 3,  // the counter's rule could not give a free name; the base was shortened to fit one
};

// What makes a name taken for one hit: an entry of the set carries it, or (when history is given) it was
// once given to another real path, so that a stale listing never reaches this hit under an old name.
struct KxNameRules {
    const KxPublishedEntry* set;
    const KxNameIndex* index;
    const KxNameHistory* history;  // null: names may pass from one path to another
    ULONGLONG pathHash;            // KxFoldedTextHash of the hit's path
};

// Where the counter search for a base name may start within one publish: every counter below it is taken
// by the set, which only grows while a publish runs.
constexpr int KX_NAME_HINT_SLOTS = 1024;
struct KxNameHint {
    ULONGLONG key;  // hash of the base name as it stands; 0: free slot
    int numbered;
    int shortened;
};
struct KxNameHints {
    KxNameHint slots[KX_NAME_HINT_SLOTS];
    int used;
};

// The part of a path after its last backslash, trailing backslashes ignored (the whole path when it has
// none), cut at capacity - 1.
void KxBaseNameOfPath(const wchar_t* path, wchar_t* out, int capacity);

// The counter's rule for counter c: "stem (c).ext" when the name has a dot that is not its first character
// (stem cut to KX_NUMBERED_STEM_CHARS), else "name (c)"; cut to KX_NAME_MAX_CHARS. out holds
// KX_PUBLISHED_NAME_CHARS.
void KxFormatNumberedName(const wchar_t* baseName, int counter, wchar_t* out);

// A name for baseName that the rules do not count as taken: the base name, else the counter's rule with the
// smallest free counter from 2, else a shortened name that keeps its counter whole. hints (zeroed at the
// start of a publish) may be null. out holds KX_PUBLISHED_NAME_CHARS.
int KxMakeUniqueName(const wchar_t* baseName, const KxNameRules& rules, KxNameHints* hints, wchar_t* out);
