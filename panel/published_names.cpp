#include "panel/published_names.h"

#include <string.h>
#include <wchar.h>

namespace {

// With at most 500 entries, one of the counters 2 to 502 is always free when the counter stays whole and
// only the set takes names; each name that history takes lets the search go one counter further.
constexpr int KX_COUNTER_LIMIT = KX_PUBLISHED_CAPACITY + 2;
// Bounds the search when history takes every name a cut rule can give.
constexpr int KX_COUNTER_HARD_LIMIT = 65535;

enum KxTaken { KX_FREE = 0, KX_TAKEN_BY_SET = 1, KX_TAKEN_BEFORE = 2 };

typedef void (*KxCounterFormat)(const wchar_t* baseName, int counter, wchar_t* out);

// A base name as the counter's rule sees it: the stem before the last dot (cut) and the extension from
// that dot; without such a dot, the whole name and no extension.
struct KxNameParts {
    int stemChars;
    const wchar_t* extension;
};

KxNameParts KxSplitBaseName(const wchar_t* baseName)
{
    const wchar_t* dot = wcsrchr(baseName, L'.');
    if (!dot || dot == baseName) return {(int)wcslen(baseName), L""};
    int stemChars = (int)(dot - baseName);
    return {stemChars < KX_NUMBERED_STEM_CHARS ? stemChars : KX_NUMBERED_STEM_CHARS, dot};
}

void KxFinishName(wchar_t* out)
{
    out[KX_NAME_MAX_CHARS] = L'\0';
}

// A numbered name that always keeps its whole counter: the stem (or, when the extension leaves no room,
// the whole base name) is shortened instead.
void KxFormatShortenedName(const wchar_t* baseName, int counter, wchar_t* out)
{
    wchar_t suffix[16];
    int suffixChars = _snwprintf(suffix, 16, L" (%d)", counter);
    KxNameParts parts = KxSplitBaseName(baseName);
    int extensionChars = (int)wcslen(parts.extension);
    if (extensionChars + suffixChars < KX_NAME_MAX_CHARS) {
        int keep = KX_NAME_MAX_CHARS - extensionChars - suffixChars;
        if (keep > parts.stemChars) keep = parts.stemChars;
        _snwprintf(out, KX_PUBLISHED_NAME_CHARS, L"%.*ls%ls%ls", keep, baseName, suffix, parts.extension);
    } else {
        int keep = KX_NAME_MAX_CHARS - suffixChars;
        _snwprintf(out, KX_PUBLISHED_NAME_CHARS, L"%.*ls%ls", keep, baseName, suffix);
    }
    KxFinishName(out);
}

KxTaken KxNameTaken(const wchar_t* name, const KxNameRules& rules)
{
    ULONGLONG hash = KxFoldedTextHash(name);
    if (KxLookUpName(rules.index, rules.set, name, hash) >= 0) return KX_TAKEN_BY_SET;
    if (rules.history && KxNameGivenToOtherPath(rules.history, hash, rules.pathHash)) return KX_TAKEN_BEFORE;
    return KX_FREE;
}

ULONGLONG KxExactTextHash(const wchar_t* text)
{
    ULONGLONG hash = 14695981039346656037ull;
    for (; *text; ++text) {
        hash ^= (ULONGLONG)*text;
        hash *= 1099511628211ull;
    }
    return hash ? hash : 1;
}

KxNameHint* KxFindNameHint(KxNameHints* hints, const wchar_t* baseName)
{
    if (!hints) return nullptr;
    ULONGLONG key = KxExactTextHash(baseName);
    int slot = (int)(key & (KX_NAME_HINT_SLOTS - 1));
    while (hints->slots[slot].key && hints->slots[slot].key != key) slot = (slot + 1) & (KX_NAME_HINT_SLOTS - 1);
    if (hints->slots[slot].key) return &hints->slots[slot];
    // Half full at most, so lookups of absent names stay short; beyond that the search starts at 2.
    if (hints->used * 2 >= KX_NAME_HINT_SLOTS) return nullptr;
    hints->used++;
    hints->slots[slot] = {key, 2, 2};
    return &hints->slots[slot];
}

// The smallest counter from *start whose name is free; 0 when there is none within the limits. Moves
// *start past the counters the set takes, one after another.
int KxFindFreeCounter(const wchar_t* baseName, KxCounterFormat format, const KxNameRules& rules, int* start,
                      wchar_t* out)
{
    int limit = KX_COUNTER_LIMIT;
    int contiguous = 1;
    for (int c = *start; c <= limit && c <= KX_COUNTER_HARD_LIMIT; ++c) {
        format(baseName, c, out);
        KxTaken taken = KxNameTaken(out, rules);
        if (taken == KX_FREE) return c;
        if (taken == KX_TAKEN_BY_SET && contiguous) {
            *start = c + 1;
        } else {
            contiguous = 0;
        }
        if (taken == KX_TAKEN_BEFORE) limit++;
    }
    return 0;
}

}  // namespace

void KxBaseNameOfPath(const wchar_t* path, wchar_t* out, int capacity)
{
    if (capacity <= 0) return;
    out[0] = L'\0';
    if (!path) return;
    int end = (int)wcslen(path);
    // A folder given with its trailing backslash ("C:\") is named by what comes before it.
    while (end > 0 && path[end - 1] == L'\\') --end;
    int start = end;
    while (start > 0 && path[start - 1] != L'\\') --start;
    int length = end - start;
    if (length > capacity - 1) length = capacity - 1;
    wmemcpy(out, path + start, length);
    out[length] = L'\0';
}

void KxFormatNumberedName(const wchar_t* baseName, int counter, wchar_t* out)
{
    KxNameParts parts = KxSplitBaseName(baseName);
    _snwprintf(out, KX_PUBLISHED_NAME_CHARS, L"%.*ls (%d)%ls", parts.stemChars, baseName, counter, parts.extension);
    KxFinishName(out);
}

int KxMakeUniqueName(const wchar_t* baseName, const KxNameRules& rules, KxNameHints* hints, wchar_t* out)
{
    out[0] = L'\0';
    if (!baseName || !baseName[0]) return KX_NAME_NONE;
    lstrcpynW(out, baseName, KX_NAME_MAX_CHARS + 1);
    if (KxNameTaken(out, rules) == KX_FREE) return KX_NAME_AS_IS;

    KxNameHint* hint = KxFindNameHint(hints, baseName);
    int numberedStart = hint ? hint->numbered : 2;
    int found = KxFindFreeCounter(baseName, KxFormatNumberedName, rules, &numberedStart, out);
    if (hint) hint->numbered = numberedStart;
    if (found) return KX_NAME_NUMBERED;

    // The cut leaves the counter no room, so the rule would count for ever.
    int shortenedStart = hint ? hint->shortened : 2;
    found = KxFindFreeCounter(baseName, KxFormatShortenedName, rules, &shortenedStart, out);
    if (hint) hint->shortened = shortenedStart;
    if (found) return KX_NAME_SHORTENED;
    out[0] = L'\0';
    return KX_NAME_NONE;
}
