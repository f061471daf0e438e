#pragma once
#include <windows.h>

// The host's own settings: where wincmd.ini lies, where a section really lives,
// and the two answers the theme takes from it (dark mode, font). Read only.

enum KxHostDarkMode { KX_HOST_LIGHT = 0, KX_HOST_DARK = 1, KX_HOST_FOLLOW_WINDOWS = 2 };
enum KxWindowsAppsTheme { KX_WINDOWS_UNKNOWN = 0, KX_WINDOWS_LIGHT = 1, KX_WINDOWS_DARK = 2 };

// Full path of wincmd.ini (cut at capacity - 1): COMMANDER_INI, the registry's
// IniFileName, %APPDATA%\GHISLER\wincmd.ini, %COMMANDER_PATH%\wincmd.ini; the
// first that names an existing file wins. Returns 0 (path empty) when none does.
int KxLocateHostIni(wchar_t* path, int capacity);

// The file that holds section of iniPath: the ini itself unless the section
// carries a RedirectSection.
void KxResolveHostIniSection(const wchar_t* iniPath, const wchar_t* section, wchar_t* out, int capacity);

// The host's font from [AllResolutions]; returns 0 and leaves face, size and
// weight untouched when the host names no font (or wincmd.ini is not found).
int KxReadHostFont(wchar_t* face, int faceCapacity, int* size, int* weight);
int KxReadHostFontFromIni(const wchar_t* iniPath, wchar_t* face, int faceCapacity, int* size, int* weight);

// The host's DarkMode choice; follow-Windows when wincmd.ini is not found.
int KxReadHostDarkMode();
int KxReadHostDarkModeFromIni(const wchar_t* iniPath);
// Windows' AppsUseLightTheme; unknown when missing or not a 32-bit number.
int KxReadWindowsAppsTheme();

// Rules applied to the raw values; pure.
int KxHostDarkModeFromValue(int darkMode);
int KxHostFontSize(int fontSize);
int KxHostFontWeight(int fontWeight);
