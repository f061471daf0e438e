#include "search/drives.h"

#include <string.h>
#include <wchar.h>
#include <wctype.h>
#include <winioctl.h>

#include "config/settings.h"
#include "config/theme.h"
#include "core/icon_renderings.h"
#include "core/log.h"
#include "core/module_path.h"
#include "overlay/overlay_state.h"
#include "search/search_composition.h"

KxDriveInfo g_drives[26];
DWORD g_driveMask = KX_DRIVES_UNSCANNED;

namespace {

// Set once the drive letters were asked for in this opening.
bool g_drivesLookedAt;

constexpr int KX_PRODUCT_CHARS = 128;
constexpr DWORD KX_DESCRIPTOR_BYTES = 1023;
constexpr DWORD KX_DESCRIPTOR_MIN_BYTES = 40;
constexpr DWORD KX_PRODUCT_OFFSET_AT = 16;
constexpr DWORD KX_BUS_TYPE_AT = 28;
constexpr DWORD KX_REMOTE_NAME_CHARS = 512;

struct KxScopeText {
    const wchar_t* menuText;
    const wchar_t* buttonLabel;
};

const KxScopeText kScopeTexts[] = {
    {L"All", L"All Drives"},
    {L"Local (everything except network)", L"Local"},
    {L"Local Fixed (internal disks only)", L"Local Fixed"},
    {L"Network only", L"Network"},
};
constexpr int KX_SCOPE_COUNT = sizeof kScopeTexts / sizeof kScopeTexts[0];

// Product names of card readers, matched in upper case.
const wchar_t* const kCardReaderWords[] = {L"CARD", L"READER", L"SD/", L"/SD", L"SDXC", L"SDHC",
                                           L"MMC",  L"SD ",    L" SD", L"CF/", L"/MS",  L"MS/"};

// The sizes each icon group holds; a requested size snaps down to one of them.
const int kDriveIconSizes[] = {12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 24, 26, 28, 30, 32, 36, 40, 44, 48};

typedef DWORD(WINAPI* KxWNetGetConnectionProc)(LPCWSTR, LPWSTR, LPDWORD);

bool g_netConnectionLookedUp;
KxWNetGetConnectionProc g_netGetConnection;
HICON g_driveIcons[KX_DRIVE_ICON_STYLES][KX_DRIVE_ICON_COUNT];
int g_driveIconSize;

int KxIsCardBus(int bus)
{
    return bus == KX_BUS_SD || bus == KX_BUS_MMC;
}

int KxIsExternalBus(int bus)
{
    return bus == KX_BUS_1394 || bus == KX_BUS_USB || KxIsCardBus(bus);
}

DWORD KxReadDword(const BYTE* bytes, DWORD at)
{
    DWORD value;
    memcpy(&value, bytes + at, sizeof value);
    return value;
}

// mpr.dll is asked once per process, at the first network drive; without it every network drive counts as connected.
int KxNetworkDriveUnavailable(wchar_t letter)
{
    if (!g_netConnectionLookedUp) {
        g_netConnectionLookedUp = true;
        g_netGetConnection =
            reinterpret_cast<KxWNetGetConnectionProc>(KxFindSystemFunction(L"mpr.dll", "WNetGetConnectionW"));
    }
    if (!g_netGetConnection) return 0;
    wchar_t local[3] = {letter, L':', L'\0'};
    wchar_t remote[KX_REMOTE_NAME_CHARS];
    DWORD length = KX_REMOTE_NAME_CHARS;
    return g_netGetConnection(local, remote, &length) == ERROR_CONNECTION_UNAVAIL;
}

// Bus and product name of the disk behind a volume; bus -1 and no name when the device does not answer.
void KxQueryDriveDevice(wchar_t letter, int* bus, wchar_t* product)
{
    *bus = KX_BUS_UNKNOWN;
    product[0] = L'\0';
    wchar_t volume[7] = {L'\\', L'\\', L'.', L'\\', letter, L':', L'\0'};
    HANDLE device = CreateFileW(volume, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) return;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    BYTE descriptor[KX_DESCRIPTOR_BYTES];
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, descriptor,
                              KX_DESCRIPTOR_BYTES, &returned, nullptr);
    CloseHandle(device);
    if (ok) KxParseStorageDescriptor(descriptor, returned, bus, product, KX_PRODUCT_CHARS);
}

void KxScanDrive(int letterIndex)
{
    wchar_t letter = (wchar_t)(L'A' + letterIndex);
    wchar_t root[4] = {letter, L':', L'\\', L'\0'};
    UINT type = GetDriveTypeW(root);
    int bus = KX_BUS_UNKNOWN;
    wchar_t product[KX_PRODUCT_CHARS] = L"";
    if (type == DRIVE_REMOVABLE || type == DRIVE_FIXED) KxQueryDriveDevice(letter, &bus, product);
    int unavailable = type == DRIVE_REMOTE && KxNetworkDriveUnavailable(letter);
    g_drives[letterIndex] = KxClassifyDrive(type, bus, product, unavailable);
    KxLog(L"Drive %lc: type=%u bus=%d product=\"%ls\" scopeClass=%d icon=%d", letter, type, bus, product,
          g_drives[letterIndex].scopeClass, g_drives[letterIndex].icon);
}

void KxForgetDriveIcons()
{
    for (auto& style : g_driveIcons)
        for (HICON& icon : style) {
            KxDestroyRenderedIcon(icon);
            icon = nullptr;
        }
}

}  // namespace

KxDriveInfo KxClassifyDrive(UINT driveType, int bus, const wchar_t* product, int connectionUnavailable)
{
    switch (driveType) {
        case DRIVE_REMOVABLE:
            return {KX_DRIVE_LOCAL_OTHER,
                    (signed char)(KxIsCardBus(bus) || KxProductNamesCardReader(product) ? KX_ICON_MEMORY_CARD
                                                                                        : KX_ICON_REMOVABLE)};
        case DRIVE_FIXED:
            if (KxIsCardBus(bus)) return {KX_DRIVE_LOCAL_OTHER, KX_ICON_MEMORY_CARD};
            if (KxIsExternalBus(bus)) return {KX_DRIVE_LOCAL_OTHER, KX_ICON_EXTERNAL_DISK};
            return {KX_DRIVE_INTERNAL, KX_ICON_INTERNAL_DISK};
        case DRIVE_REMOTE:
            return {KX_DRIVE_NETWORK,
                    (signed char)(connectionUnavailable ? KX_ICON_NETWORK_UNAVAILABLE : KX_ICON_NETWORK_DRIVE)};
        case DRIVE_CDROM:
            return {KX_DRIVE_LOCAL_OTHER, KX_ICON_DISC};
        case DRIVE_RAMDISK:
            return {KX_DRIVE_LOCAL_OTHER, KX_ICON_RAM_DISK};
        default:
            return {KX_DRIVE_ABSENT, KX_ICON_NONE};
    }
}

int KxProductNamesCardReader(const wchar_t* product)
{
    wchar_t upper[KX_PRODUCT_CHARS];
    lstrcpynW(upper, product, KX_PRODUCT_CHARS);
    CharUpperW(upper);
    if (wcscmp(upper, L"SD") == 0) return 1;
    for (const wchar_t* word : kCardReaderWords)
        if (wcsstr(upper, word)) return 1;
    return 0;
}

int KxParseStorageDescriptor(const BYTE* bytes, DWORD returned, int* bus, wchar_t* product, int capacity)
{
    *bus = KX_BUS_UNKNOWN;
    product[0] = L'\0';
    if (returned < KX_DESCRIPTOR_MIN_BYTES) return 0;
    *bus = (int)KxReadDword(bytes, KX_BUS_TYPE_AT);
    DWORD offset = KxReadDword(bytes, KX_PRODUCT_OFFSET_AT);
    if (offset == 0 || offset >= returned) return 1;
    // The name ends at its terminator or at the end of what the device returned, whichever comes first.
    const char* text = (const char*)bytes + offset;
    int length = 0;
    while (offset + length < returned && text[length] && length < capacity - 1) ++length;
    int converted = MultiByteToWideChar(CP_ACP, 0, text, length, product, capacity - 1);
    product[converted > 0 ? converted : 0] = L'\0';
    return 1;
}

int KxComputeDriveIconSize(int dpiScalePercent, int rowHeight)
{
    int s = dpiScalePercent;
    int a = rowHeight > 0 ? rowHeight - MulDiv(2, s, 100) : MulDiv(16, s, 100);
    if (a > MulDiv(24, s, 100)) a = MulDiv(24, s, 100);
    if (a < MulDiv(12, s, 100)) a = MulDiv(12, s, 100);
    // The icon never exceeds the row.
    int b = (rowHeight > 0 && rowHeight <= a) ? rowHeight : a;
    int snapped = kDriveIconSizes[0];
    for (int size : kDriveIconSizes)
        if (size <= b) snapped = size;
    return snapped;
}

int KxDriveIconResourceId(int style, int index)
{
    return 200 + 16 * style + index;
}

const wchar_t* KxDriveScopeLabel(int scope)
{
    return kScopeTexts[(scope >= 0 && scope < KX_SCOPE_COUNT) ? scope : 0].buttonLabel;
}

const wchar_t* KxDriveScopeMenuText(int scope)
{
    return kScopeTexts[(scope >= 0 && scope < KX_SCOPE_COUNT) ? scope : 0].menuText;
}

int KxScopeOfMenuCommand(UINT command)
{
    return (command >= KX_ID_SCOPE_MENU_FIRST && command < KX_ID_SCOPE_MENU_FIRST + KX_SCOPE_COUNT)
               ? (int)(command - KX_ID_SCOPE_MENU_FIRST)
               : -1;
}

void KxLookAtDrivesAgain()
{
    g_drivesLookedAt = false;
}

void KxRefreshDrives()
{
    // Only a drive scope or the drive icons need the drives.
    if (g_settings.driveScope == KX_SCOPE_ALL && !g_settings.driveIcons) return;
    // Asking Windows for the drive letters costs up to 2 ms, too much for every keystroke; a drive that
    // comes or goes while the overlay is open counts from its next opening.
    if (g_drivesLookedAt) return;
    g_drivesLookedAt = true;
    DWORD mask = GetLogicalDrives();
    if (mask == g_driveMask) return;
    g_driveMask = mask;
    for (int letter = 0; letter < 26; ++letter) {
        g_drives[letter] = {KX_DRIVE_ABSENT, KX_ICON_NONE};
        if (mask & (1u << letter)) KxScanDrive(letter);
    }
}

void KxShowScopeMenu()
{
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (int scope = 0; scope < KX_SCOPE_COUNT; ++scope)
        AppendMenuW(menu, MF_STRING | (scope == g_settings.driveScope ? MF_CHECKED : MF_UNCHECKED),
                    KX_ID_SCOPE_MENU_FIRST + scope, kScopeTexts[scope].menuText);
    RECT button{};
    GetWindowRect(g_scopeButton, &button);
    SetForegroundWindow(g_overlayWnd);
    UINT command = (UINT)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, button.left, button.bottom,
                                        0, g_overlayWnd, nullptr);
    DestroyMenu(menu);
    SetFocus(g_editWnd);
    int chosen = KxScopeOfMenuCommand(command);
    if (chosen < 0) return;
    // Even the current scope rescans at the next search: picking it again is how a user refreshes the drives.
    g_driveMask = KX_DRIVES_UNSCANNED;
    KxLookAtDrivesAgain();
    if (chosen == g_settings.driveScope) return;
    g_settings.driveScope = chosen;
    SetWindowTextW(g_scopeButton, KxDriveScopeLabel(chosen));
    KxSaveDriveScope();
    KxRunSearchNow();
}

int KxDriveIconIndex(const wchar_t* path)
{
    if (path[0] == L'\\' && path[1] == L'\\') return KX_ICON_UNC_PATH;
    wchar_t letter = (wchar_t)towupper(path[0]);
    if (letter < L'A' || letter > L'Z' || path[1] != L':') return KX_ICON_NONE;
    return g_drives[letter - L'A'].icon;
}

int KxDriveIconSize()
{
    return KxComputeDriveIconSize(g_theme.dpiScalePercent, g_theme.rowHeight);
}

HICON KxLoadDriveIcon(int style, int index, int size)
{
    if (style < 0 || style >= KX_DRIVE_ICON_STYLES || index < 0 || index >= KX_DRIVE_ICON_COUNT) return nullptr;
    // One size at a time: a new row height or DPI replaces every cached picture.
    if (size != g_driveIconSize) {
        KxForgetDriveIcons();
        g_driveIconSize = size;
    }
    HICON& icon = g_driveIcons[style][index];
    if (!icon)
        icon = (HICON)LoadImageW(g_pluginModule, MAKEINTRESOURCEW(KxDriveIconResourceId(style, index)), IMAGE_ICON,
                                 size, size, LR_DEFAULTCOLOR);
    return icon;
}

int KxDriveIconColumnWidth()
{
    return g_settings.driveIcons ? KxDriveIconSize() + KxScale(4) : 0;
}
