#pragma once
#include <windows.h>

// Scope classes of a drive letter.
enum KxScopeClass { KX_DRIVE_ABSENT = 0, KX_DRIVE_NETWORK = 1, KX_DRIVE_LOCAL_OTHER = 2, KX_DRIVE_INTERNAL = 3 };

// Drive icon pictures; the same indices in every style.
enum KxDriveIcon {
    KX_ICON_NONE = -1,
    KX_ICON_INTERNAL_DISK = 0,
    KX_ICON_EXTERNAL_DISK = 1,
    KX_ICON_REMOVABLE = 2,
    KX_ICON_MEMORY_CARD = 3,
    KX_ICON_NETWORK_DRIVE = 4,
    KX_ICON_UNC_PATH = 5,
    KX_ICON_NETWORK_UNAVAILABLE = 6,
    KX_ICON_DISC = 7,
    KX_ICON_RAM_DISK = 8,
};

constexpr int KX_DRIVE_ICON_COUNT = 9;
// Colour, and line drawings for light, dark and selected rows.
constexpr int KX_DRIVE_ICON_STYLES = 4;
// Bus types of the storage device descriptor.
constexpr int KX_BUS_UNKNOWN = -1;
constexpr int KX_BUS_1394 = 4;
constexpr int KX_BUS_USB = 7;
constexpr int KX_BUS_SD = 12;
constexpr int KX_BUS_MMC = 13;
// Scope menu commands, one per scope in scope order.
constexpr UINT KX_ID_SCOPE_MENU_FIRST = 2100;
// g_driveMask before the first scan and after the scope menu was used: the next refresh rescans.
constexpr DWORD KX_DRIVES_UNSCANNED = 0xFFFFFFFF;

struct KxDriveInfo {
    BYTE scopeClass = KX_DRIVE_ABSENT;
    signed char icon = KX_ICON_NONE;
};

extern KxDriveInfo g_drives[26];
extern DWORD g_driveMask;

// Rescans the drive letters when the set of drives has changed; looks once per opening of the overlay,
// and only while a drive scope is chosen or drive icons are shown.
void KxRefreshDrives();
// The next refresh looks at the drives again (a new opening).
void KxLookAtDrivesAgain();

// The scope button's label: "All Drives", "Local", "Local Fixed" or "Network".
const wchar_t* KxDriveScopeLabel(int scope);
// The scope menu's text of a scope.
const wchar_t* KxDriveScopeMenuText(int scope);
// The scope a menu command picks; -1 for none.
int KxScopeOfMenuCommand(UINT command);

// Shows the scope menu under the overlay's scope button and applies the choice.
void KxShowScopeMenu();
// The drive icon index for a result path; -1 for none.
int KxDriveIconIndex(const wchar_t* path);
// The drive icon size in pixels for the current row height and display scale.
int KxDriveIconSize();
// The cached icon of a style (0..3) and index (0..8) at a size; null when there is none.
HICON KxLoadDriveIcon(int style, int index, int size);
// The width a row reserves for the drive icon: 0 when DriveIcons is off.
int KxDriveIconColumnWidth();

// The pure rules behind the table and the icons.

// Scope class and icon of a drive from its type, bus (-1 unknown), product name and connection state.
KxDriveInfo KxClassifyDrive(UINT driveType, int bus, const wchar_t* product, int connectionUnavailable);
// Whether a removable drive's product name points to a card reader.
int KxProductNamesCardReader(const wchar_t* product);
// Reads bus and product name from a storage device descriptor of `returned` bytes; 0 when it is too short.
int KxParseStorageDescriptor(const BYTE* bytes, DWORD returned, int* bus, wchar_t* product, int capacity);
// Icon size for a display scale and row height (0 or less: no row yet), snapped to the drawn sizes.
int KxComputeDriveIconSize(int dpiScalePercent, int rowHeight);
// The icon resource of a style and index: 200 + 16 * style + index.
int KxDriveIconResourceId(int style, int index);
