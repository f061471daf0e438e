#pragma once
#include <windows.h>

// Scope classes of a drive letter.
enum KxScopeClass { KX_DRIVE_ABSENT = 0, KX_DRIVE_NETWORK = 1, KX_DRIVE_LOCAL_OTHER = 2, KX_DRIVE_INTERNAL = 3 };

struct KxDriveInfo {
    BYTE scopeClass;
    signed char icon;  // -1: none
};

extern KxDriveInfo g_drives[26];

// Rescans the drive letters when the set of drives has changed.
void KxRefreshDrives();

// The scope button's label: "All Drives", "Local", "Local Fixed" or "Network".
const wchar_t* KxDriveScopeLabel(int scope);

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
