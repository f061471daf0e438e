#include "overlay/result_icons.h"

#include <shellapi.h>
#include <wchar.h>
#include <wctype.h>

#include "core/icon_renderings.h"

namespace {

struct KxIconEntry {
    wchar_t key[KX_ICON_KEY_CHARS];
    HICON icon;
};

// Icons by extension for the life of the process, found through an index keyed on the folded extension.
KxIconEntry g_iconCache[KX_ICON_CACHE_ENTRIES];
int g_iconCacheCount;
constexpr int KX_ICON_INDEX_SLOTS = 256;  // power of two, twice the entries: short probe chains
short g_iconIndex[KX_ICON_INDEX_SLOTS];   // entry + 1; 0 = empty slot

// Extensions beyond the cache share a few slots that are reused oldest first, so a screen full of rare
// extensions still gets icons while the handles held stay bounded.
constexpr int KX_ICON_SPILL_ENTRIES = 32;
KxIconEntry g_iconSpill[KX_ICON_SPILL_ENTRIES];
int g_iconSpillNext;

HICON g_folderIcon;
HICON g_headerIcon;
bool g_folderIconFetched;
bool g_headerIconFetched;

HICON KxShellSmallIcon(const wchar_t* name, DWORD attributes)
{
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(name, attributes, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
        return nullptr;
    return info.hIcon;
}

unsigned KxKeyHash(const wchar_t* key)
{
    unsigned hash = 2166136261u;
    for (; *key; ++key) hash = (hash ^ (unsigned)towupper(*key)) * 16777619u;
    return hash;
}

// The index slot holding key, or the empty slot where it would go.
int KxFindSlot(const wchar_t* key)
{
    int slot = (int)(KxKeyHash(key) & (KX_ICON_INDEX_SLOTS - 1));
    while (g_iconIndex[slot] && _wcsicmp(g_iconCache[g_iconIndex[slot] - 1].key, key) != 0)
        slot = (slot + 1) & (KX_ICON_INDEX_SLOTS - 1);
    return slot;
}

HICON KxFetchExtensionIcon(const wchar_t* key)
{
    wchar_t name[KX_ICON_KEY_CHARS + 1];
    _snwprintf(name, KX_ICON_KEY_CHARS + 1, L"x%ls", key);
    name[KX_ICON_KEY_CHARS] = L'\0';
    return KxShellSmallIcon(name, FILE_ATTRIBUTE_NORMAL);
}

HICON KxSpilledIcon(const wchar_t* key)
{
    for (KxIconEntry& entry : g_iconSpill)
        if (entry.icon && _wcsicmp(entry.key, key) == 0) return entry.icon;
    HICON icon = KxFetchExtensionIcon(key);
    if (!icon) return nullptr;
    KxIconEntry& oldest = g_iconSpill[g_iconSpillNext];
    g_iconSpillNext = (g_iconSpillNext + 1) % KX_ICON_SPILL_ENTRIES;
    // The row that drew the replaced icon has finished with it: drawing never holds a handle.
    KxDestroyRenderedIcon(oldest.icon);
    lstrcpynW(oldest.key, key, KX_ICON_KEY_CHARS);
    oldest.icon = icon;
    return icon;
}

}  // namespace

void KxIconKeyOf(const wchar_t* path, wchar_t* key)
{
    key[0] = L'\0';
    // The dot of a folder name is no extension: "C:\v1.2\Makefile" has none.
    const wchar_t* slash = wcsrchr(path, L'\\');
    const wchar_t* dot = wcsrchr(slash ? slash + 1 : path, L'.');
    if (dot) lstrcpynW(key, dot, KX_ICON_KEY_CHARS);
}

HICON KxGetResultIcon(const KxResult& result)
{
    if (result.isFolder) {
        if (!g_folderIconFetched) {
            g_folderIcon = KxShellSmallIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY);
            g_folderIconFetched = true;
        }
        return g_folderIcon;
    }
    wchar_t key[KX_ICON_KEY_CHARS];
    KxIconKeyOf(result.path, key);
    int slot = KxFindSlot(key);
    if (g_iconIndex[slot]) return g_iconCache[g_iconIndex[slot] - 1].icon;
    if (g_iconCacheCount >= KX_ICON_CACHE_ENTRIES) return KxSpilledIcon(key);
    HICON icon = KxFetchExtensionIcon(key);
    KxIconEntry& entry = g_iconCache[g_iconCacheCount];
    lstrcpynW(entry.key, key, KX_ICON_KEY_CHARS);
    entry.icon = icon;
    g_iconIndex[slot] = (short)(++g_iconCacheCount);
    return icon;
}

HICON KxGetHeaderIcon()
{
    if (!g_headerIconFetched) {
        g_headerIcon = KxShellSmallIcon(L"file", FILE_ATTRIBUTE_NORMAL);
        g_headerIconFetched = true;
    }
    return g_headerIcon;
}
