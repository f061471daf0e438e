#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include "config/settings.h"
#include "search/search_composition.h"

namespace {

constexpr int KX_FILTER_TERM_CHARS = KX_FILTER_SEARCH_CHARS + 2;
constexpr int KX_DRIVE_EXPRESSION_CHARS = 164;
constexpr int KX_DRIVE_ITEM_CHARS = 8;
constexpr int KX_TOKEN_LAST_START = 899;

int KxScopeTakesDrive(int scope, BYTE scopeClass)
{
    switch (scope) {
    case KX_SCOPE_LOCAL:
    case KX_SCOPE_NETWORK: return scopeClass == 2 || scopeClass == 3;
    case KX_SCOPE_FIXED: return scopeClass == 3;
    default: return 0;
    }
}

void KxAppendText(wchar_t* out, int capacity, const wchar_t* text)
{
    int length = (int)wcslen(out);
    if (length < capacity - 1) lstrcpynW(out + length, text, capacity - length);
}

}  // namespace

int KxFindPathToken(const wchar_t* text)
{
    for (int i = 0; text[i]; ++i) {
        if (_wcsnicmp(text + i, L"path:.", 6) != 0) continue;
        wchar_t after = text[i + 6];
        if (after == L'\0' || iswctype(after, _SPACE)) return i;
    }
    return -1;
}

int KxSubstitutePathToken(const wchar_t* text, int tokenOffset, const wchar_t* folder, wchar_t* out, int capacity)
{
    out[0] = L'\0';
    if (!folder[0] || tokenOffset > KX_TOKEN_LAST_START) return 0;
    _snwprintf(out, capacity, L"%.*lspath:\"%ls\"%ls", tokenOffset, text, folder, text + tokenOffset + 6);
    out[capacity - 1] = L'\0';
    return 1;
}

void KxComposeFilterTerm(const KxFilter& filter, wchar_t* prefix, int capacity, int* includeFolders)
{
    prefix[0] = L'\0';
    *includeFolders = 1;
    if (!filter.search[0]) return;
    wchar_t term[KX_FILTER_TERM_CHARS];
    // A name with a quote cannot be quoted: such a filter is said by its own search text, as a group.
    if (wcschr(filter.name, L'"'))
        _snwprintf(term, KX_FILTER_TERM_CHARS, L"<%ls>", filter.search);
    else
        _snwprintf(term, KX_FILTER_TERM_CHARS, L"filter:\"%ls\"", filter.name);
    term[KX_FILTER_TERM_CHARS - 1] = L'\0';
    lstrcpynW(prefix, term, capacity);
    *includeFolders = wcsstr(filter.search, L"folder:") != nullptr;
}

int KxComposeDriveExpression(int scope, const BYTE scopeClasses[26], wchar_t* out, int capacity)
{
    wchar_t list[KX_DRIVE_EXPRESSION_CHARS] = L"";
    const wchar_t* separator = scope == KX_SCOPE_NETWORK ? L" " : L"|";
    int taken = 0;
    for (int letter = 0; letter < 26; ++letter) {
        if (!KxScopeTakesDrive(scope, scopeClasses[letter])) continue;
        wchar_t item[KX_DRIVE_ITEM_CHARS];
        _snwprintf(item, KX_DRIVE_ITEM_CHARS, scope == KX_SCOPE_NETWORK ? L"%ls!%lc:\\" : L"%ls%lc:\\",
                   taken ? separator : L"", (wchar_t)(L'A' + letter));
        item[KX_DRIVE_ITEM_CHARS - 1] = L'\0';
        KxAppendText(list, KX_DRIVE_EXPRESSION_CHARS, item);
        taken++;
    }
    // Local and Fixed name the drives to search in (an OR group); Network excludes every local one.
    int wrap = scope != KX_SCOPE_NETWORK && taken >= 2;
    _snwprintf(out, capacity, wrap ? L"<%ls>" : L"%ls", list);
    out[capacity - 1] = L'\0';
    return taken;
}

void KxAppendToPrefix(wchar_t* prefix, int capacity, const wchar_t* expression)
{
    if (prefix[0]) KxAppendText(prefix, capacity, L" ");
    KxAppendText(prefix, capacity, expression);
}

int KxFolderCapacity(int files, int maxResults)
{
    return files + maxResults <= KX_RESULT_CAPACITY ? maxResults : KX_RESULT_CAPACITY - files;
}

void KxPartitionFilesFirst(KxResult* results, int count)
{
    // The file query's hits come before the folder query's: usually there is nothing to move.
    int firstFolder = 0;
    while (firstFolder < count && !results[firstFolder].isFolder) ++firstFolder;
    int i = firstFolder;
    while (i < count && results[i].isFolder) ++i;
    if (i == count) return;
    int folders = 0;
    for (int j = 0; j < count; ++j) folders += results[j].isFolder != 0;
    KxResult* folderCopy = (KxResult*)malloc(sizeof(KxResult) * folders);
    if (!folderCopy) return;
    int files = 0, copied = 0;
    for (int i = 0; i < count; ++i) {
        if (results[i].isFolder)
            folderCopy[copied++] = results[i];
        else if (files++ != i)
            results[files - 1] = results[i];
    }
    memcpy(results + files, folderCopy, sizeof(KxResult) * folders);
    free(folderCopy);
}
