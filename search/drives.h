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
