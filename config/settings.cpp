#include "config/settings.h"

#include <wchar.h>

#include "core/log.h"
#include "core/module_path.h"
#include "overlay/overlay_window.h"

KxSettings g_settings;
wchar_t g_configPath[2048];
ULONGLONG g_settingsWriteTime;

namespace {

// The defaults, in the order they are written into a new file.
struct KxDefaultEntry {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* value;
};

const KxDefaultEntry kDefaults[] = {
    {L"Display", L"Position", L"Bottom"},      {L"Display", L"Hotkey", L"Ctrl+Alt+F"},
    {L"Display", L"MaxVisibleRows", L"20"},    {L"Display", L"SearchDelayMs", L"100"},
    {L"Display", L"ThemeMode", L"Auto"},       {L"Display", L"DateFormat", L"Auto"},
    {L"Display", L"TimeFormat", L"Auto"},      {L"Display", L"Logging", L"N"},
    {L"Display", L"DriveIcons", L"Y"},         {L"Display", L"DriveIconStyle", L"Colour"},
    {L"Display", L"FolderColumn", L"Full"},    {L"Display", L"SearchHistory", L"Y"},
    {L"Everything", L"MaxResults", L"200"},    {L"Everything", L"EverythingIniPath", L"Auto"},
    {L"Everything", L"EverythingDebug", L"N"}, {L"Everything", L"SortOrder", L"DateModifiedDescending"},
    {L"Filters", L"LastSelectedFilter", L""},  {L"Filters", L"DriveScope", L"All"},
    {L"Safety", L"AllowDelete", L"N"},
};

// The file is ours and small; one far larger is not read at all: reading it would hold the thread that serves
// the desktop's keyboard hook for seconds.
constexpr ULONGLONG KX_SETTINGS_FILE_LIMIT = 1024 * 1024;

// Set while the file is too large to read: every value is then its default, and nothing is written back (a
// write would read it whole too).
bool g_settingsTooLarge;

void KxReadText(const wchar_t* section, const wchar_t* key, const wchar_t* fallback, wchar_t* out, int capacity)
{
    if (g_settingsTooLarge)
        lstrcpynW(out, fallback, capacity);
    else
        GetPrivateProfileStringW(section, key, fallback, out, capacity, g_configPath);
}

int KxReadInt(const wchar_t* section, const wchar_t* key, int fallback)
{
    return g_settingsTooLarge ? fallback : (int)GetPrivateProfileIntW(section, key, fallback, g_configPath);
}

// 1 (and a log line) when the file is too large to read.
int KxSettingsFileTooLarge()
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(g_configPath, GetFileExInfoStandard, &data)) return 0;
    ULONGLONG size = ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    if (size <= KX_SETTINGS_FILE_LIMIT) return 0;
    KxLog(L"KxLoadSettings: %ls holds %llu bytes, more than %llu - not read.", g_configPath, size,
          KX_SETTINGS_FILE_LIMIT);
    return 1;
}

// Exactly one word turns a switch on (Y) or off (N); anything else is the other state.
int KxReadSwitch(const wchar_t* section, const wchar_t* key, const wchar_t* fallback, int capacity, const wchar_t* word,
                 int stateForWord)
{
    wchar_t text[16];
    KxReadText(section, key, fallback, text, capacity);
    return _wcsicmp(text, word) == 0 ? stateForWord : !stateForWord;
}

int KxIsAutoOrEmpty(const wchar_t* text)
{
    return text[0] == L'\0' || _wcsicmp(text, L"Auto") == 0;
}

void KxReadPictures(KxSettings& settings)
{
    wchar_t text[32];
    KxReadText(L"Display", L"DateFormat", L"Auto", text, 32);
    settings.datePicture[0] = L'\0';
    if (!KxIsAutoOrEmpty(text)) {
        KxMapDatePicture(text);
        lstrcpynW(settings.datePicture, text, 32);
    }
    KxReadText(L"Display", L"TimeFormat", L"Auto", text, 32);
    settings.timePicture[0] = L'\0';
    settings.showTime = _wcsicmp(text, L"N") != 0;
    if (settings.showTime && !KxIsAutoOrEmpty(text)) {
        KxMapTimePicture(text);
        lstrcpynW(settings.timePicture, text, 32);
    }
}

// A value written through KxWriteQuotedText: read with room for its extra quotes, then cut to capacity.
void KxReadQuotedText(const wchar_t* section, const wchar_t* key, wchar_t* out, int capacity)
{
    wchar_t text[KX_HISTORY_CHARS + 4];
    KxReadText(section, key, L"", text, KX_HISTORY_CHARS + 4);
    lstrcpynW(out, text, capacity);
}

// Values the user chose (search texts, filter names) must read back exactly, quotes included.
void KxWriteQuotedText(const wchar_t* section, const wchar_t* key, const wchar_t* value)
{
    wchar_t text[KX_HISTORY_CHARS + 4];
    const wchar_t* written = value && KxQuoteProfileValue(value, text, KX_HISTORY_CHARS + 4) ? text : value;
    WritePrivateProfileStringW(section, key, written, g_configPath);
}

void KxReadHistory(KxHistory& history)
{
    history.count = 0;
    for (int n = 1; n <= KX_HISTORY_MAX; ++n) {
        wchar_t key[16];
        _snwprintf(key, 16, L"Search%d", n);
        KxReadQuotedText(L"History", key, history.entries[history.count], KX_HISTORY_CHARS);
        if (history.entries[history.count][0] != L'\0') history.count++;
    }
}

void KxWriteHistory(const KxHistory& history)
{
    for (int n = 1; n <= KX_HISTORY_MAX; ++n) {
        wchar_t key[16];
        _snwprintf(key, 16, L"Search%d", n);
        KxWriteQuotedText(L"History", key, n <= history.count ? history.entries[n - 1] : nullptr);
    }
}

int KxReadWriteTime(ULONGLONG& writeTime)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(g_configPath, GetFileExInfoStandard, &data)) return 0;
    writeTime = ((ULONGLONG)data.ftLastWriteTime.dwHighDateTime << 32) | data.ftLastWriteTime.dwLowDateTime;
    return 1;
}

// The private-profile functions write a new file in the ANSI code page, which
// would turn names in other scripts into question marks; a file that starts
// with a UTF-16 byte-order mark keeps every character.
int KxCreateUnicodeFile(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    static const BYTE kUtf16Bom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    BOOL ok = WriteFile(file, kUtf16Bom, sizeof kUtf16Bom, &written, nullptr);
    CloseHandle(file);
    return ok && written == sizeof kUtf16Bom;
}

void KxWriteDefaults()
{
    if (!KxCreateUnicodeFile(g_configPath)) return;
    for (const KxDefaultEntry& entry : kDefaults)
        WritePrivateProfileStringW(entry.section, entry.key, entry.value, g_configPath);
}

}  // namespace

void KxLoadSettings()
{
    if (g_configPath[0] == L'\0') KxPathBesideModule(L"Korvex.cfg", g_configPath, 2048);
    g_settingsTooLarge = KxSettingsFileTooLarge();
    KxSettings& s = g_settings;
    wchar_t text[32];

    KxReadText(L"Display", L"Position", L"Bottom", text, 16);
    s.position = _wcsicmp(text, L"Top") == 0 ? KX_POSITION_TOP : KX_POSITION_BOTTOM;
    KxReadText(L"Display", L"Hotkey", L"Ctrl+Alt+F", text, 16);
    s.hotkeyLetter = KxParseHotkeyLetter(text);
    s.maxResults = KxClampMaxResults(KxReadInt(L"Everything", L"MaxResults", 200));
    s.maxVisibleRows = KxReadInt(L"Display", L"MaxVisibleRows", 20);
    s.searchDelayMs = KxReadInt(L"Display", L"SearchDelayMs", 100);
    KxReadText(L"Display", L"ThemeMode", L"Auto", text, 16);
    s.themeMode = KxParseThemeMode(text);
    KxReadText(L"Everything", L"EverythingIniPath", L"Auto", s.everythingIniPath, 2048);
    KxReadQuotedText(L"Filters", L"LastSelectedFilter", s.lastSelectedFilter, 128);
    KxReadText(L"Filters", L"DriveScope", L"All", text, 16);
    s.driveScope = KxParseDriveScope(text);
    s.everythingDebug = KxReadSwitch(L"Everything", L"EverythingDebug", L"N", 8, L"Y", 1);
    s.logging = KxReadSwitch(L"Display", L"Logging", L"N", 8, L"Y", 1);
    InterlockedExchange(&g_loggingEnabled, s.logging);
    KxReadText(L"Everything", L"SortOrder", L"DateModifiedDescending", text, 32);
    s.sortType = KxParseSortOrder(text);
    KxReadPictures(s);
    s.driveIcons = KxReadSwitch(L"Display", L"DriveIcons", L"Y", 8, L"N", 0);
    KxReadText(L"Display", L"DriveIconStyle", L"Colour", text, 16);
    s.driveIconStyle = _wcsicmp(text, L"Line") == 0 ? KX_ICONS_LINE : KX_ICONS_COLOUR;
    s.searchHistory = KxReadSwitch(L"Display", L"SearchHistory", L"Y", 8, L"N", 0);
    KxReadHistory(s.history);
    KxReadText(L"Display", L"FolderColumn", L"Full", text, 16);
    s.folderColumn = _wcsicmp(text, L"Name") == 0 ? KX_FOLDER_NAME : KX_FOLDER_FULL;
    InterlockedExchange(&s.allowDelete, KxReadSwitch(L"Safety", L"AllowDelete", L"N", 8, L"Y", 1));

    if (GetFileAttributesW(g_configPath) == INVALID_FILE_ATTRIBUTES) KxWriteDefaults();
    KxReadWriteTime(g_settingsWriteTime);
}

void KxReloadSettingsIfChanged()
{
    ULONGLONG writeTime = 0;
    if (!KxReadWriteTime(writeTime) || writeTime == g_settingsWriteTime) return;
    // The values in memory stay; the same file is not looked at again until it changes.
    if (KxSettingsFileTooLarge()) {
        g_settingsWriteTime = writeTime;
        g_settingsTooLarge = true;
        return;
    }
    wchar_t letter = g_settings.hotkeyLetter;
    KxLoadSettings();
    g_settings.hotkeyLetter = letter;
    InterlockedExchange(&g_loggingEnabled, g_settings.logging);
    // A changed size, row count or date format must take effect at this opening.
    KxForgetOverlayLayout();
    KxLog(L"Korvex.cfg changed since it was last read - reloaded (hotkey letter stays %lc until TC restarts)", letter);
}

namespace {

// The file is as this process last read or wrote it.
bool KxSettingsFileIsOurs()
{
    ULONGLONG writeTime = 0;
    return KxReadWriteTime(writeTime) && writeTime == g_settingsWriteTime;
}

// After a write of our own: a file that was ours stays ours, so the next opening does not read it all
// again (and lay the overlay out anew) for values it already holds. A change made by someone else before
// our write still makes it reload.
void KxKeepOwnWrite(bool wasOurs)
{
    if (wasOurs) KxReadWriteTime(g_settingsWriteTime);
}

}  // namespace

void KxSaveLastSelectedFilter(const KxFilter& filter)
{
    lstrcpynW(g_settings.lastSelectedFilter, filter.name, 128);
    if (g_settingsTooLarge) return;
    bool ours = KxSettingsFileIsOurs();
    KxWriteQuotedText(L"Filters", L"LastSelectedFilter", g_settings.lastSelectedFilter);
    KxKeepOwnWrite(ours);
}

void KxSaveDriveScope()
{
    if (g_settingsTooLarge) return;
    bool ours = KxSettingsFileIsOurs();
    WritePrivateProfileStringW(L"Filters", L"DriveScope", KxDriveScopeName(g_settings.driveScope), g_configPath);
    KxKeepOwnWrite(ours);
}

void KxAddToSearchHistory(const wchar_t* text)
{
    if (!g_settings.searchHistory || !text) return;
    if (!KxHistoryAdd(g_settings.history, text) || g_settingsTooLarge) return;
    bool ours = KxSettingsFileIsOurs();
    KxWriteHistory(g_settings.history);
    KxKeepOwnWrite(ours);
}
