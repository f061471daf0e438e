#pragma once
#include <windows.h>

#include "search/filters.h"

enum KxPosition { KX_POSITION_BOTTOM = 0, KX_POSITION_TOP = 1 };
enum KxThemeMode { KX_THEME_AUTO = 0, KX_THEME_DARK = 1, KX_THEME_LIGHT = 2 };
enum KxDriveScope { KX_SCOPE_ALL = 0, KX_SCOPE_LOCAL = 1, KX_SCOPE_FIXED = 2, KX_SCOPE_NETWORK = 3 };
enum KxDriveIconStyle { KX_ICONS_COLOUR = 0, KX_ICONS_LINE = 1 };
enum KxFolderColumn { KX_FOLDER_FULL = 0, KX_FOLDER_NAME = 1 };

constexpr int KX_HISTORY_MAX = 20;
constexpr int KX_HISTORY_CHARS = 256;
constexpr DWORD KX_SORT_DEFAULT = 14;  // date modified, newest first

struct KxHistory {
    wchar_t entries[KX_HISTORY_MAX][KX_HISTORY_CHARS];
    int count;
};

// The values of Korvex.cfg as last read.
struct KxSettings {
    int position;
    wchar_t hotkeyLetter;
    int maxResults;
    int maxVisibleRows;
    int searchDelayMs;
    int themeMode;
    wchar_t everythingIniPath[2048];
    wchar_t lastSelectedFilter[128];
    int driveScope;
    int everythingDebug;
    int logging;
    DWORD sortType;
    wchar_t datePicture[32];  // empty: the system's short date format
    wchar_t timePicture[32];  // empty: the system's time format without seconds
    int showTime;
    int driveIcons;
    int driveIconStyle;
    int searchHistory;
    KxHistory history;
    int folderColumn;
    volatile LONG allowDelete;  // read by the host's threads without a lock
};

extern KxSettings g_settings;
extern wchar_t g_configPath[2048];
extern ULONGLONG g_settingsWriteTime;

// Reads Korvex.cfg (creating it with defaults when missing).
void KxLoadSettings();
// Reads the file again when its last-write time changed; the hot-key letter stays.
void KxReloadSettingsIfChanged();
void KxSaveLastSelectedFilter(const KxFilter& filter);
void KxSaveDriveScope();
void KxAddToSearchHistory(const wchar_t* text);

// Rules that turn the file's texts into values; pure, so they are tested directly.
wchar_t KxParseHotkeyLetter(const wchar_t* text);
int KxClampMaxResults(int value);
int KxParseThemeMode(const wchar_t* text);
int KxParseDriveScope(const wchar_t* text);
const wchar_t* KxDriveScopeName(int scope);
DWORD KxParseSortOrder(const wchar_t* text);
// Date picture: D->d, Y->y, m->M. Time picture: M->m, S->s, T->t.
void KxMapDatePicture(wchar_t* picture);
void KxMapTimePicture(wchar_t* picture);
// The text to write for a value so that the profile functions read it back unchanged: they strip one
// pair of quotes (double or single) around a value, so such a value gets one more pair. 0 when it does not fit.
int KxQuoteProfileValue(const wchar_t* value, wchar_t* out, int capacity);
// Applies one committed search text; returns 1 when the list changed.
int KxHistoryAdd(KxHistory& history, const wchar_t* text);
