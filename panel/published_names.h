#pragma once
#include <wchar.h>
#include <windows.h>

#include "panel/published_set.h"

// Longest name an entry carries; the stem keeps at most this much when a counter is added.
constexpr int KX_NAME_MAX_CHARS = KX_PUBLISHED_NAME_CHARS - 1;
constexpr int KX_NUMBERED_STEM_CHARS = 280;

// How a unique name was found.
enum KxNameKind {
    KX_NAME_NONE = 0,       // the base name is empty
    KX_NAME_AS_IS = 1,      // the base name itself, cut to 299 characters
    KX_NAME_NUMBERED = 2,   // "stem (c).ext" or "name (c)", the counter's rule
    KX_NAME_SHORTENED = 3,  // the counter's rule could not give a free name; the base was shortened to fit one
};

// The set's comparison (_wcsicmp); texts of other lengths never compare equal, so those are passed over
// cheaply. bLength is the length of b.
inline bool KxTextsEqualIgnoringCase(const wchar_t* a, const wchar_t* b, size_t bLength)
{
    return wcslen(a) == bLength && _wcsicmp(a, b) == 0;
}

// The part of a path after its last backslash, trailing backslashes ignored (the whole path when it has
// none), cut at capacity - 1.
void KxBaseNameOfPath(const wchar_t* path, wchar_t* out, int capacity);

// The counter's rule for counter c: "stem (c).ext" when the name has a dot that is not its first character
// (stem cut to 280), else "name (c)"; cut to 299 characters. out holds KX_PUBLISHED_NAME_CHARS.
void KxFormatNumberedName(const wchar_t* baseName, int counter, wchar_t* out);

// A name for baseName that no entry of entries[0..count) carries (compared without regard to case): the
// base name, else the counter's rule with the smallest free counter from 2. count is at most 499.
// out holds KX_PUBLISHED_NAME_CHARS.
int KxMakeUniqueName(const wchar_t* baseName, const KxPublishedEntry* entries, int count, wchar_t* out);
