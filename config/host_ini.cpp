#include "config/host_ini.h"

#include <wchar.h>

#include "core/host_interface.h"

namespace {

constexpr int KX_PATH_CHARS = 2048;
constexpr int KX_DARK_MODE_MISSING = -999999;
constexpr int KX_FONT_FACE_CHARS = 64;
constexpr int KX_FONT_SIZE_DEFAULT = 11;
// The host's font dialog offers 6 to 72 points; anything else is junk, not a wish.
constexpr int KX_FONT_SIZE_MIN = 6;
constexpr int KX_FONT_SIZE_MAX = 72;

// A candidate counts when it names an existing file. A relative name is made
// full here, so that the file checked is the file that is later read.
int KxTakeIfExists(const wchar_t* candidate, wchar_t* path, int capacity)
{
    if (!candidate[0]) return 0;
    DWORD attributes = GetFileAttributesW(candidate);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    wchar_t full[KX_PATH_CHARS];
    DWORD n = GetFullPathNameW(candidate, KX_PATH_CHARS, full, nullptr);
    const wchar_t* answer = (n > 0 && n < (DWORD)KX_PATH_CHARS) ? full : candidate;
    if (wcslen(answer) >= (size_t)capacity) return 0;  // a cut path would name another file
    wcscpy(path, answer);
    return 1;
}

// Empty when the variable is missing or does not fit.
void KxReadEnvironment(const wchar_t* name, wchar_t* out, int capacity)
{
    DWORD n = GetEnvironmentVariableW(name, out, capacity);
    if (n == 0 || n >= (DWORD)capacity) out[0] = L'\0';
}

// "<variable><suffix>", or empty when the variable is missing or the result does not fit.
void KxComposeFromEnvironment(const wchar_t* name, const wchar_t* suffix, wchar_t* out, int capacity)
{
    wchar_t value[KX_PATH_CHARS];
    KxReadEnvironment(name, value, KX_PATH_CHARS);
    out[0] = L'\0';
    if (!value[0]) return;
    int n = _snwprintf(out, capacity, L"%ls%ls", value, suffix);
    if (n < 0 || n >= capacity) out[0] = L'\0';
}

// IniFileName as stored: string or expandable string, never expanded.
void KxReadRegistryIniName(wchar_t* out, int capacity)
{
    out[0] = L'\0';
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KX_HOST_REGISTRY_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    wchar_t data[KX_PATH_CHARS];  // 4096 bytes
    DWORD type = 0, bytes = sizeof data;
    LONG status = RegQueryValueExW(key, KX_HOST_REGISTRY_INI_VALUE, nullptr, &type, (BYTE*)data, &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return;
    size_t chars = bytes / sizeof(wchar_t);  // the stored data need not end in a terminator
    if (chars > KX_PATH_CHARS - 1) chars = KX_PATH_CHARS - 1;
    data[chars] = L'\0';
    lstrcpynW(out, data, capacity);
}

// A bare file name lives beside the ini; anything with a separator is taken as it stands.
void KxComposeRedirectTarget(const wchar_t* iniPath, const wchar_t* target, wchar_t* out, int capacity)
{
    const wchar_t* slash = wcsrchr(iniPath, L'\\');
    size_t folder = slash ? (size_t)(slash - iniPath) + 1 : 0;
    if (wcschr(target, L'\\') || wcschr(target, L'/') || !slash || folder + wcslen(target) >= (size_t)capacity) {
        lstrcpynW(out, target, capacity);
        return;
    }
    wmemcpy(out, iniPath, folder);
    wcscpy(out + folder, target);
}

}  // namespace

int KxLocateHostIni(wchar_t* path, int capacity)
{
    if (!path || capacity <= 0) return 0;
    path[0] = L'\0';
    wchar_t candidate[KX_PATH_CHARS];

    KxReadEnvironment(L"COMMANDER_INI", candidate, KX_PATH_CHARS);
    if (KxTakeIfExists(candidate, path, capacity)) return 1;
    KxReadRegistryIniName(candidate, KX_PATH_CHARS);
    if (KxTakeIfExists(candidate, path, capacity)) return 1;
    KxComposeFromEnvironment(L"APPDATA", L"\\GHISLER\\wincmd.ini", candidate, KX_PATH_CHARS);
    if (KxTakeIfExists(candidate, path, capacity)) return 1;
    KxComposeFromEnvironment(L"COMMANDER_PATH", L"\\wincmd.ini", candidate, KX_PATH_CHARS);
    if (KxTakeIfExists(candidate, path, capacity)) return 1;
    return 0;
}

void KxResolveHostIniSection(const wchar_t* iniPath, const wchar_t* section, wchar_t* out, int capacity)
{
    if (!out || capacity <= 0) return;
    out[0] = L'\0';
    if (!iniPath || !iniPath[0]) return;
    lstrcpynW(out, iniPath, capacity);
    if (!section) return;

    wchar_t target[KX_PATH_CHARS];
    GetPrivateProfileStringW(section, L"RedirectSection", L"", target, KX_PATH_CHARS, iniPath);
    if (!target[0] || wcscmp(target, L"0") == 0) return;
    if (wcscmp(target, L"1") == 0) {
        GetPrivateProfileStringW(L"Configuration", L"AlternateUserIni", L"", target, KX_PATH_CHARS, iniPath);
        if (!target[0]) return;
    }
    wchar_t expanded[KX_PATH_CHARS];
    DWORD n = ExpandEnvironmentStringsW(target, expanded, KX_PATH_CHARS);
    KxComposeRedirectTarget(iniPath, (n > 0 && n <= (DWORD)KX_PATH_CHARS) ? expanded : target, out, capacity);
}

int KxHostFontSize(int fontSize)
{
    return (fontSize < KX_FONT_SIZE_MIN || fontSize > KX_FONT_SIZE_MAX) ? KX_FONT_SIZE_DEFAULT : fontSize;
}

int KxHostFontWeight(int fontWeight)
{
    return (fontWeight >= 100 && fontWeight <= 1000) ? fontWeight : FW_NORMAL;
}

int KxReadHostFontFromIni(const wchar_t* iniPath, wchar_t* face, int faceCapacity, int* size, int* weight)
{
    if (!iniPath || !iniPath[0] || !face || faceCapacity <= 0 || !size || !weight) return 0;
    wchar_t file[KX_PATH_CHARS];
    KxResolveHostIniSection(iniPath, L"AllResolutions", file, KX_PATH_CHARS);
    wchar_t name[KX_FONT_FACE_CHARS];
    GetPrivateProfileStringW(L"AllResolutions", L"FontName", L"", name, KX_FONT_FACE_CHARS, file);
    if (!name[0]) return 0;
    int rawSize = (int)GetPrivateProfileIntW(L"AllResolutions", L"FontSize", -1, file);
    int rawWeight = (int)GetPrivateProfileIntW(L"AllResolutions", L"FontWeight", -1, file);
    lstrcpynW(face, name, faceCapacity);
    *size = KxHostFontSize(rawSize);
    *weight = KxHostFontWeight(rawWeight);
    return 1;
}

int KxReadHostFont(wchar_t* face, int faceCapacity, int* size, int* weight)
{
    wchar_t ini[KX_PATH_CHARS];
    if (!KxLocateHostIni(ini, KX_PATH_CHARS)) return 0;
    return KxReadHostFontFromIni(ini, face, faceCapacity, size, weight);
}

int KxHostDarkModeFromValue(int darkMode)
{
    if (darkMode == KX_DARK_MODE_MISSING || darkMode == 0) return KX_HOST_LIGHT;
    return darkMode == 2 ? KX_HOST_DARK : KX_HOST_FOLLOW_WINDOWS;
}

int KxReadHostDarkModeFromIni(const wchar_t* iniPath)
{
    if (!iniPath || !iniPath[0]) return KX_HOST_FOLLOW_WINDOWS;
    wchar_t file[KX_PATH_CHARS];
    KxResolveHostIniSection(iniPath, L"Configuration", file, KX_PATH_CHARS);
    return KxHostDarkModeFromValue(
        (int)GetPrivateProfileIntW(L"Configuration", L"DarkMode", KX_DARK_MODE_MISSING, file));
}

int KxReadHostDarkMode()
{
    wchar_t ini[KX_PATH_CHARS];
    if (!KxLocateHostIni(ini, KX_PATH_CHARS)) return KX_HOST_FOLLOW_WINDOWS;
    return KxReadHostDarkModeFromIni(ini);
}

int KxReadWindowsAppsTheme()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return KX_WINDOWS_UNKNOWN;
    DWORD value = 0, type = 0, bytes = sizeof value;
    LONG status = RegQueryValueExW(key, L"AppsUseLightTheme", nullptr, &type, (BYTE*)&value, &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || bytes != sizeof value) return KX_WINDOWS_UNKNOWN;
    return value == 0 ? KX_WINDOWS_DARK : KX_WINDOWS_LIGHT;
}
