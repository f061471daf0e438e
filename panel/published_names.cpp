#include "panel/published_names.h"

#include <string.h>
#include <wchar.h>

namespace {

// With at most 500 entries, one of the counters 2 to 502 is always free when the counter stays whole;
// when the cut eats into it, the counters up to 99 already give every name the rule can give.
constexpr int KX_COUNTER_LIMIT = KX_PUBLISHED_CAPACITY + 2;
constexpr int KX_COUNTER_DIGITS_MAX = 3;

// A base name as the counter's rule sees it: the stem before the last dot (cut to 280) and the
// extension from that dot; without such a dot, the whole name and no extension.
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

// The rule's names are the text before the counter (stem and " ("), the counter, and the text after it
// (")" and the extension), all cut to 299 characters.
struct KxCounterFrame {
    wchar_t prefix[KX_PUBLISHED_NAME_CHARS];
    int prefixLength;  // cut to 299
    wchar_t suffix[KX_PUBLISHED_NAME_CHARS];
    int suffixLength;  // uncut, though only its first 299 characters are kept
};

void KxFormatCounterFrame(const wchar_t* baseName, KxCounterFrame* frame)
{
    KxNameParts parts = KxSplitBaseName(baseName);
    _snwprintf(frame->prefix, KX_PUBLISHED_NAME_CHARS, L"%.*ls (", parts.stemChars, baseName);
    KxFinishName(frame->prefix);
    frame->prefixLength = (int)wcslen(frame->prefix);
    _snwprintf(frame->suffix, KX_PUBLISHED_NAME_CHARS, L")%ls", parts.extension);
    KxFinishName(frame->suffix);
    frame->suffixLength = 1 + (int)wcslen(parts.extension);
}

int KxIsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// Reads 1 to 3 digits without a leading zero; 0 when there are none, more, or a leading zero.
int KxReadCounter(const wchar_t* digits, int* length)
{
    int n = 0;
    int value = 0;
    while (KxIsDigit(digits[n]) && n <= KX_COUNTER_DIGITS_MAX) value = value * 10 + (digits[n++] - L'0');
    *length = n;
    if (n == 0 || n > KX_COUNTER_DIGITS_MAX || digits[0] == L'0') return 0;
    return value;
}

// Marks the counters whose rule name equals name: the frame's prefix, the counter's digits, then as much
// of the frame's suffix as the cut left, all compared as the set compares names.
void KxMarkNumberedName(const wchar_t* name, const KxCounterFrame& frame, bool* taken)
{
    if (_wcsnicmp(name, frame.prefix, frame.prefixLength) != 0) return;
    const wchar_t* digits = name + frame.prefixLength;
    int digitCount = 0;
    int counter = KxReadCounter(digits, &digitCount);
    int nameLength = (int)wcslen(name);
    if (nameLength == KX_NAME_MAX_CHARS && digits[digitCount] == L'\0') {
        // The cut kept only the counter's first digits (or none): every counter beginning with them
        // gives this very name.
        for (int c = 2; c <= KX_COUNTER_LIMIT; ++c) {
            wchar_t text[8];
            int length = _snwprintf(text, 8, L"%d", c);
            if (length >= digitCount && wcsncmp(text, digits, digitCount) == 0) taken[c] = true;
        }
        return;
    }
    if (counter < 2 || counter > KX_COUNTER_LIMIT) return;
    int room = KX_NAME_MAX_CHARS - frame.prefixLength - digitCount;
    int suffixKept = frame.suffixLength < room ? frame.suffixLength : room;
    const wchar_t* rest = digits + digitCount;
    if (nameLength - frame.prefixLength - digitCount == suffixKept && _wcsnicmp(rest, frame.suffix, suffixKept) == 0)
        taken[counter] = true;
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

// Marks the counters whose shortened name equals name; every " (digits)" in it is a guess.
void KxMarkShortenedName(const wchar_t* name, const wchar_t* baseName, bool* taken)
{
    for (const wchar_t* open = wcsstr(name, L" ("); open; open = wcsstr(open + 1, L" (")) {
        int digitCount = 0;
        int counter = KxReadCounter(open + 2, &digitCount);
        if (counter < 2 || counter > KX_COUNTER_LIMIT || open[2 + digitCount] != L')') continue;
        wchar_t candidate[KX_PUBLISHED_NAME_CHARS];
        KxFormatShortenedName(baseName, counter, candidate);
        if (_wcsicmp(candidate, name) == 0) taken[counter] = true;
    }
}

int KxFirstFreeCounter(const bool* taken)
{
    for (int c = 2; c <= KX_COUNTER_LIMIT; ++c)
        if (!taken[c]) return c;
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

// One pass over the set marks which counters are taken, instead of one pass per counter tried.
int KxMakeUniqueName(const wchar_t* baseName, const KxPublishedEntry* entries, int count, wchar_t* out)
{
    out[0] = L'\0';
    if (!baseName || !baseName[0]) return KX_NAME_NONE;
    if (count < 0) count = 0;
    if (count > KX_PUBLISHED_CAPACITY) count = KX_PUBLISHED_CAPACITY;

    wchar_t asIs[KX_PUBLISHED_NAME_CHARS];
    lstrcpynW(asIs, baseName, KX_PUBLISHED_NAME_CHARS);
    KxCounterFrame frame;
    KxFormatCounterFrame(baseName, &frame);
    bool asIsTaken = false;
    size_t asIsLength = wcslen(asIs);
    bool taken[KX_COUNTER_LIMIT + 1] = {};
    for (int i = 0; i < count; ++i) {
        if (KxTextsEqualIgnoringCase(entries[i].name, asIs, asIsLength)) asIsTaken = true;
        KxMarkNumberedName(entries[i].name, frame, taken);
    }
    if (!asIsTaken) {
        lstrcpynW(out, asIs, KX_PUBLISHED_NAME_CHARS);
        return KX_NAME_AS_IS;
    }
    int counter = KxFirstFreeCounter(taken);
    if (counter) {
        KxFormatNumberedName(baseName, counter, out);
        return KX_NAME_NUMBERED;
    }

    // The cut leaves the counter no room, so the rule would count for ever.
    memset(taken, 0, sizeof taken);
    for (int i = 0; i < count; ++i) KxMarkShortenedName(entries[i].name, baseName, taken);
    counter = KxFirstFreeCounter(taken);
    if (!counter) return KX_NAME_NONE;
    KxFormatShortenedName(baseName, counter, out);
    return KX_NAME_SHORTENED;
}
