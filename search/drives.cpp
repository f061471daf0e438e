#include "search/drives.h"

KxDriveInfo g_drives[26];

namespace {

// All bits set: no scan yet, so the first refresh always scans.
DWORD g_driveMask = 0xFFFFFFFF;

BYTE KxScopeClassOfDriveType(UINT driveType)
{
    switch (driveType) {
    case DRIVE_REMOTE: return KX_DRIVE_NETWORK;
    case DRIVE_FIXED: return KX_DRIVE_INTERNAL;
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK: return KX_DRIVE_LOCAL_OTHER;
    default: return KX_DRIVE_ABSENT;
    }
}

const wchar_t* const kScopeLabels[] = {L"All Drives", L"Local", L"Local Fixed", L"Network"};

}  // namespace

const wchar_t* KxDriveScopeLabel(int scope)
{
    return (scope >= 0 && scope < 4) ? kScopeLabels[scope] : kScopeLabels[0];
}

void KxRefreshDrives()
{
    DWORD mask = GetLogicalDrives();
    if (mask == g_driveMask) return;
    g_driveMask = mask;
    for (int letter = 0; letter < 26; ++letter) {
        g_drives[letter] = {KX_DRIVE_ABSENT, -1};
        if (!(mask & (1u << letter))) continue;
        wchar_t root[4] = {(wchar_t)(L'A' + letter), L':', L'\\', L'\0'};
        g_drives[letter].scopeClass = KxScopeClassOfDriveType(GetDriveTypeW(root));
    }
}

// Least versions until the drive icons and the scope menu are built.
void KxShowScopeMenu() {}
int KxDriveIconIndex(const wchar_t*) { return -1; }
int KxDriveIconSize() { return 16; }
HICON KxLoadDriveIcon(int, int, int) { return nullptr; }
int KxDriveIconColumnWidth() { return 0; }
