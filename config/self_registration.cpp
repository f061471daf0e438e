#include "config/self_registration.h"

#include <wchar.h>

#include "config/host_ini.h"
#include "config/settings.h"
#include "core/log.h"
#include "core/module_path.h"

namespace {

constexpr int KX_PATH_CHARS = 2048;
constexpr int KX_SHORTCUT_VALUE_CHARS = 64;
constexpr int KX_SHORTCUTS_SECTION_CHARS = 16384;
constexpr const wchar_t KX_PLUGIN_NAME[] = L"Korvex";
constexpr const wchar_t KX_PLUGINS_SECTION[] = L"FileSystemPlugins";
constexpr const wchar_t KX_SHORTCUTS_SECTION[] = L"Shortcuts";

struct KxIniEntry {
    const wchar_t* key;
    const wchar_t* value;
};

// The Name/Ext/Path view of the plug-in's folder, in the order the host lists them.
constexpr KxIniEntry KX_CUSTOM_COLUMNS[] = {
    {L"Titles", KX_PLUGIN_NAME},     {L"AutoLoad", L"1"},       {L"Widths1", L"80,30,397"}, {L"Headers1", L"Path"},
    {L"Contents1", L"[=<fs>.Path]"}, {L"Options1", L"-1|1|96"},
};

// The file that holds [Shortcuts], found by the pruning step for the shortcut step; empty: skip it.
wchar_t g_shortcutsFile[KX_PATH_CHARS];

const wchar_t* KxOkOrFailed(BOOL ok)
{
    return ok ? L"OK" : L"FAILED";
}

// "\\\Korvex\", the root the host's CD shortcut must enter.
void KxFormatVirtualRoot(wchar_t* out, int capacity)
{
    _snwprintf(out, capacity, L"%ls%ls%ls", L"\\\\\\", KX_PLUGIN_NAME, L"\\");
    out[capacity - 1] = L'\0';
}

// "CA+<hot-key letter>", the host's name for Ctrl+Alt+<letter>.
void KxFormatHotkeyKey(wchar_t* out, int capacity)
{
    _snwprintf(out, capacity, L"CA+%lc", g_settings.hotkeyLetter);
    out[capacity - 1] = L'\0';
}

// The key that holds a shortcut's parameter.
void KxFormatParamsKey(const wchar_t* key, wchar_t* out, int capacity)
{
    _snwprintf(out, capacity, L"%ls_params", key);
    out[capacity - 1] = L'\0';
}

// 1 when the plug-in entry now reads back exactly as value.
int KxPluginEntryReadsBackAs(const wchar_t* file, const wchar_t* value, wchar_t* readBack, int capacity)
{
    GetPrivateProfileStringW(KX_PLUGINS_SECTION, KX_PLUGIN_NAME, L"", readBack, capacity, file);
    return wcscmp(readBack, value) == 0;
}

void KxLogPluginWrite(BOOL ok, const wchar_t* path, const wchar_t* file)
{
    KxLog(
        L"KxSelfRegisterWfxPlugin: %ls writing [FileSystemPlugins] Korvex=%ls to %ls. Restart Total Commander for "
        L"this to be picked up if it just got added.",
        KxOkOrFailed(ok), path, file);
}

// The path with its folder in the short 8.3 form; the file name stays, since the host derives the name of
// the library for its other bitness from it. 0 when there is no short form that differs.
int KxShortFolderForm(const wchar_t* path, wchar_t* out, int capacity)
{
    const wchar_t* slash = wcsrchr(path, L'\\');
    if (!slash) return 0;
    wchar_t folder[KX_PATH_CHARS];
    lstrcpynW(folder, path, (int)(slash - path) + 1);
    DWORD n = GetShortPathNameW(folder, out, capacity);
    if (n == 0 || n >= (DWORD)capacity) return 0;
    int length = _snwprintf(out + n, capacity - n, L"%ls", slash);
    return length >= 0 && length < capacity - (int)n && wcscmp(out, path) != 0;
}

// An ANSI wincmd.ini stores characters outside its code page as '?' (or a look-alike letter), which
// would name a library the host can never load: the short form goes in instead, or the entry goes again.
void KxRepairUnreadablePluginPath(const wchar_t* path, const wchar_t* readBack, const wchar_t* file)
{
    KxLog(
        L"KxSelfRegisterWfxPlugin: [FileSystemPlugins] Korvex reads back as %ls from %ls - its code page cannot "
        L"hold the path.",
        readBack, file);
    // What this step last wrote, as it reads back: only that entry goes again, never one that took its place.
    wchar_t ours[KX_PATH_CHARS];
    lstrcpynW(ours, readBack, KX_PATH_CHARS);
    wchar_t shortPath[KX_PATH_CHARS];
    if (KxShortFolderForm(path, shortPath, KX_PATH_CHARS) &&
        WritePrivateProfileStringW(KX_PLUGINS_SECTION, KX_PLUGIN_NAME, shortPath, file)) {
        if (KxPluginEntryReadsBackAs(file, shortPath, ours, KX_PATH_CHARS)) {
            KxLog(L"KxSelfRegisterWfxPlugin: stored the short form of the path instead.");
            KxLogPluginWrite(TRUE, shortPath, file);
            return;
        }
    }
    wchar_t now[KX_PATH_CHARS];
    if (!KxPluginEntryReadsBackAs(file, ours, now, KX_PATH_CHARS)) {
        KxLog(L"KxSelfRegisterWfxPlugin: [FileSystemPlugins] Korvex now reads %ls in %ls - leaving as-is.", now, file);
        return;
    }
    BOOL removed = WritePrivateProfileStringW(KX_PLUGINS_SECTION, KX_PLUGIN_NAME, nullptr, file);
    KxLog(
        L"KxSelfRegisterWfxPlugin: %ls removing [FileSystemPlugins] Korvex from %ls - no form of %ls reads back "
        L"unchanged; add the plug-in in Total Commander by hand.",
        KxOkOrFailed(removed), file, path);
}

// Runs a step's work on the file while it stays open for reading, or says why the step writes nothing: an
// entry that could not be read is not a missing one. A file that is not there yet reads as empty, as it is.
int KxWorkOnReadableIni(const wchar_t* step, const wchar_t* file, void (*work)(const wchar_t* file))
{
    HANDLE held = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = held == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    if (held == INVALID_HANDLE_VALUE && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        KxLog(L"%ls: could not read %ls (GetLastError=%lu) - writing nothing.", step, file, error);
        return 0;
    }
    work(file);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    return 1;
}

// The shortcut's value as a delete by name would meet it now: the first key that equals it ignoring case.
int KxReadsBackAs(const wchar_t* key, const wchar_t* expected, int stripQuotes, const wchar_t* file)
{
    wchar_t value[KX_SHORTCUT_VALUE_CHARS];
    GetPrivateProfileStringW(KX_SHORTCUTS_SECTION, key, L"", value, KX_SHORTCUT_VALUE_CHARS, file);
    if (stripQuotes) KxStripEnclosingQuotes(value);
    return _wcsicmp(value, expected) == 0;
}

// Deletes a stale CA+<letter>=CD pair when its parameter is our root and both deletes would remove our
// own lines; logs either way.
void KxPruneShortcutIfOurs(const wchar_t* section, const wchar_t* key, const wchar_t* currentKey, const wchar_t* root,
                           const wchar_t* file)
{
    wchar_t paramsKey[16];
    KxFormatParamsKey(key, paramsKey, 16);
    wchar_t params[KX_SHORTCUT_VALUE_CHARS];
    GetPrivateProfileStringW(KX_SHORTCUTS_SECTION, paramsKey, L"", params, KX_SHORTCUT_VALUE_CHARS, file);
    KxStripEnclosingQuotes(params);
    if (_wcsicmp(params, root) != 0) {
        KxLog(L"KxPruneStaleHotkeyShortcuts: %ls=CD has params=%ls (expected %ls) - not ours, leaving as-is.", key,
              params, root);
        return;
    }
    // A delete by name removes the first line whose key matches without regard to case, which may be the
    // user's own binding: delete only when the lines found by those names are ours.
    if (!KxIsOurShortcutPair(section, key, root) || !KxReadsBackAs(key, L"CD", 0, file)) {
        wchar_t bound[KX_SHORTCUT_VALUE_CHARS];
        GetPrivateProfileStringW(KX_SHORTCUTS_SECTION, key, L"", bound, KX_SHORTCUT_VALUE_CHARS, file);
        KxLog(L"KxPruneStaleHotkeyShortcuts: %ls reads as \"%ls\", another line of the same name - not ours, "
              L"leaving as-is.",
              key, bound);
        return;
    }
    BOOL keyGone = WritePrivateProfileStringW(KX_SHORTCUTS_SECTION, key, nullptr, file);
    BOOL paramsGone = KxReadsBackAs(paramsKey, root, 1, file) &&
                      WritePrivateProfileStringW(KX_SHORTCUTS_SECTION, paramsKey, nullptr, file);
    KxLog(L"KxPruneStaleHotkeyShortcuts: removed stale %ls=CD / %ls=%ls from %ls (%ls/%ls) - superseded by %ls.", key,
          paramsKey, params, file, KxOkOrFailed(keyGone), KxOkOrFailed(paramsGone), currentKey);
}

void KxRegisterWfxPluginIn(const wchar_t* file)
{
    wchar_t existing[KX_PATH_CHARS];
    GetPrivateProfileStringW(KX_PLUGINS_SECTION, KX_PLUGIN_NAME, L"", existing, KX_PATH_CHARS, file);
    if (existing[0]) {
        KxLog(L"KxSelfRegisterWfxPlugin: already registered in %ls as \"%ls\" - leaving as-is.", file, existing);
        return;
    }
    wchar_t path[KX_PATH_CHARS];
    DWORD length = GetModuleFileNameW(g_pluginModule, path, KX_PATH_CHARS);
    if (length == 0 || length >= (DWORD)KX_PATH_CHARS) {
        // A cut path would register another file (the error is then ERROR_INSUFFICIENT_BUFFER).
        KxLog(L"KxSelfRegisterWfxPlugin: GetModuleFileNameW failed (GetLastError=%lu) - skipping.", GetLastError());
        return;
    }
    if (!WritePrivateProfileStringW(KX_PLUGINS_SECTION, KX_PLUGIN_NAME, path, file)) {
        KxLogPluginWrite(FALSE, path, file);
        return;
    }
    wchar_t readBack[KX_PATH_CHARS];
    if (KxPluginEntryReadsBackAs(file, path, readBack, KX_PATH_CHARS))
        KxLogPluginWrite(TRUE, path, file);
    else
        KxRepairUnreadablePluginPath(path, readBack, file);
}

void KxPruneShortcutsIn(const wchar_t* file)
{
    wchar_t currentKey[8];
    KxFormatHotkeyKey(currentKey, 8);
    wchar_t root[16];
    KxFormatVirtualRoot(root, 16);

    static wchar_t section[KX_SHORTCUTS_SECTION_CHARS];  // background thread only
    DWORD n = GetPrivateProfileSectionW(KX_SHORTCUTS_SECTION, section, KX_SHORTCUTS_SECTION_CHARS, file);
    if (n == 0) {
        KxLog(L"KxPruneStaleHotkeyShortcuts: [Shortcuts] section empty or unreadable in %ls - nothing to prune.", file);
        return;
    }
    // In a section too long for the copy the last entry may be cut: a cut value must not pass for "CD".
    bool cut = n >= (DWORD)KX_SHORTCUTS_SECTION_CHARS - 2;
    for (const wchar_t* entry = section; *entry; entry += wcslen(entry) + 1) {
        const wchar_t* next = entry + wcslen(entry) + 1;
        if (cut && !*next) break;
        wchar_t key[8];
        if (KxIsOtherHotkeyCdEntry(entry, currentKey, key, 8))
            KxPruneShortcutIfOurs(section, key, currentKey, root, file);
    }
}

void KxRegisterHotkeyShortcutIn(const wchar_t* file)
{
    wchar_t key[8];
    KxFormatHotkeyKey(key, 8);
    wchar_t existing[KX_SHORTCUT_VALUE_CHARS];
    GetPrivateProfileStringW(KX_SHORTCUTS_SECTION, key, L"", existing, KX_SHORTCUT_VALUE_CHARS, file);
    if (existing[0]) {
        KxLog(
            L"KxSelfRegisterHotkeyShortcut: %ls is already bound to \"%ls\" in %ls - leaving as-is (not "
            L"overwriting a possibly user-assigned shortcut).",
            key, existing, file);
        return;
    }
    wchar_t paramsKey[16];
    KxFormatParamsKey(key, paramsKey, 16);
    wchar_t root[16];
    KxFormatVirtualRoot(root, 16);
    wchar_t quotedRoot[20];
    _snwprintf(quotedRoot, 20, L"\"%ls\"", root);
    quotedRoot[19] = L'\0';
    BOOL ok = WritePrivateProfileStringW(KX_SHORTCUTS_SECTION, key, L"CD", file);
    ok = WritePrivateProfileStringW(KX_SHORTCUTS_SECTION, paramsKey, quotedRoot, file) && ok;
    KxLog(
        L"KxSelfRegisterHotkeyShortcut: %ls writing %ls=CD and %ls=%ls to %ls. Restart Total Commander for this to "
        L"take effect - the FIRST press after a restart will navigate to the plugin (and auto-open the search box, "
        L"see FsInit), every press after that opens it directly.",
        KxOkOrFailed(ok), key, paramsKey, quotedRoot, file);
}

void KxFormatColumnsSection(wchar_t* out, int capacity)
{
    _snwprintf(out, capacity, L"CustomFields_%ls", KX_PLUGIN_NAME);
    out[capacity - 1] = L'\0';
}

// The user may have set some keys of the view by hand: only the empty or missing ones are added.
void KxRegisterColumnsViewIn(const wchar_t* file)
{
    wchar_t section[64];
    KxFormatColumnsSection(section, 64);
    wchar_t contents[64];
    GetPrivateProfileStringW(section, L"Contents1", L"", contents, 64, file);
    if (contents[0]) {
        KxLog(L"KxSelfRegisterCustomColumnsView: [%ls] Contents1 already set (%ls) in %ls - leaving as-is.", section,
              contents, file);
        return;
    }
    BOOL ok = TRUE;
    for (const KxIniEntry& entry : KX_CUSTOM_COLUMNS) {
        wchar_t existing[64];
        GetPrivateProfileStringW(section, entry.key, L"", existing, 64, file);
        if (!existing[0]) ok = WritePrivateProfileStringW(section, entry.key, entry.value, file) && ok;
    }
    KxLog(
        L"KxSelfRegisterCustomColumnsView: %ls writing [%ls] (Name/Ext/Path view, AutoLoad=1) to %ls. Restart Total "
        L"Commander for this to be picked up if it just got added.",
        KxOkOrFailed(ok), section, file);
}

}  // namespace

int KxIsOtherHotkeyCdEntry(const wchar_t* entry, const wchar_t* currentKey, wchar_t* key, int capacity)
{
    if (capacity < 5 || wcslen(entry) < 5 || entry[4] != L'=' || wcsncmp(entry, L"CA+", 3) != 0) return 0;
    wmemcpy(key, entry, 4);
    key[4] = L'\0';
    if (_wcsicmp(key, currentKey) == 0) return 0;
    return _wcsicmp(entry + 5, L"CD") == 0;
}

const wchar_t* KxFirstEntryOfKey(const wchar_t* section, const wchar_t* key)
{
    size_t keyLength = wcslen(key);
    for (const wchar_t* entry = section; *entry; entry += wcslen(entry) + 1) {
        const wchar_t* equals = wcschr(entry, L'=');
        size_t length = equals ? (size_t)(equals - entry) : wcslen(entry);
        if (length == keyLength && _wcsnicmp(entry, key, keyLength) == 0) return entry;
    }
    return nullptr;
}

int KxIsOurShortcutPair(const wchar_t* section, const wchar_t* key, const wchar_t* root)
{
    const wchar_t* binding = KxFirstEntryOfKey(section, key);
    if (!binding || wcsncmp(binding, key, wcslen(key)) != 0 || _wcsicmp(binding + wcslen(key), L"=CD") != 0) return 0;
    wchar_t paramsKey[16];
    KxFormatParamsKey(key, paramsKey, 16);
    const wchar_t* params = KxFirstEntryOfKey(section, paramsKey);
    if (!params || !params[wcslen(paramsKey)]) return 0;
    wchar_t value[KX_SHORTCUT_VALUE_CHARS];
    lstrcpynW(value, params + wcslen(paramsKey) + 1, KX_SHORTCUT_VALUE_CHARS);
    KxStripEnclosingQuotes(value);
    return _wcsicmp(value, root) == 0;
}

void KxStripEnclosingQuotes(wchar_t* text)
{
    size_t length = wcslen(text);
    if (length < 2 || text[0] != L'"' || text[length - 1] != L'"') return;
    wmemmove(text, text + 1, length - 2);
    text[length - 2] = L'\0';
}

void KxSelfRegisterWfxPlugin()
{
    wchar_t ini[KX_PATH_CHARS];
    if (!KxLocateHostIni(ini, KX_PATH_CHARS)) {
        KxLog(L"KxSelfRegisterWfxPlugin: could not locate wincmd.ini - skipping self-registration.");
        return;
    }
    wchar_t file[KX_PATH_CHARS];
    KxResolveHostIniSection(ini, KX_PLUGINS_SECTION, file, KX_PATH_CHARS);
    KxWorkOnReadableIni(L"KxSelfRegisterWfxPlugin", file, KxRegisterWfxPluginIn);
}

void KxPruneStaleHotkeyShortcuts()
{
    g_shortcutsFile[0] = L'\0';
    wchar_t ini[KX_PATH_CHARS];
    if (!KxLocateHostIni(ini, KX_PATH_CHARS)) {
        KxLog(L"KxSelfRegisterHotkeyShortcut: could not locate wincmd.ini - skipping self-registration.");
        return;
    }
    KxResolveHostIniSection(ini, KX_SHORTCUTS_SECTION, g_shortcutsFile, KX_PATH_CHARS);
    // The shortcut step is skipped too: what it would add may be there unread.
    if (!KxWorkOnReadableIni(L"KxPruneStaleHotkeyShortcuts", g_shortcutsFile, KxPruneShortcutsIn))
        g_shortcutsFile[0] = L'\0';
}

void KxSelfRegisterHotkeyShortcut()
{
    if (!g_shortcutsFile[0]) return;  // the pruning step found no readable wincmd.ini and said so
    KxWorkOnReadableIni(L"KxSelfRegisterHotkeyShortcut", g_shortcutsFile, KxRegisterHotkeyShortcutIn);
}

void KxSelfRegisterCustomColumnsView()
{
    wchar_t ini[KX_PATH_CHARS];
    if (!KxLocateHostIni(ini, KX_PATH_CHARS)) {
        KxLog(L"KxSelfRegisterCustomColumnsView: could not locate wincmd.ini - skipping self-registration.");
        return;
    }
    wchar_t section[64];
    KxFormatColumnsSection(section, 64);
    wchar_t file[KX_PATH_CHARS];
    KxResolveHostIniSection(ini, section, file, KX_PATH_CHARS);
    KxWorkOnReadableIni(L"KxSelfRegisterCustomColumnsView", file, KxRegisterColumnsViewIn);
}
