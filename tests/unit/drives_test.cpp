#include "search/drives.h"

#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "core/module_path.h"
#include "host/plugin_loader.h"
#include "support/test_support.h"

TEST(DriveClassification, EveryDriveTypeBusAndConnectionState)
{
    struct Case {
        const char* what;
        UINT type;
        int bus;
        const wchar_t* product;
        int unavailable;
        int scopeClass;
        int icon;
    } cases[] = {
        {"USB flash drive", DRIVE_REMOVABLE, KX_BUS_USB, L"Flash Disk", 0, 2, 2},
        {"removable, bus unknown", DRIVE_REMOVABLE, KX_BUS_UNKNOWN, L"", 0, 2, 2},
        {"removable on an SD bus", DRIVE_REMOVABLE, KX_BUS_SD, L"", 0, 2, 3},
        {"removable on an MMC bus", DRIVE_REMOVABLE, KX_BUS_MMC, L"", 0, 2, 3},
        {"removable named as a card reader", DRIVE_REMOVABLE, KX_BUS_USB, L"Multi-Card Reader", 0, 2, 3},
        {"internal disk", DRIVE_FIXED, 11, L"Samsung SSD 980", 0, 3, 0},
        {"fixed, bus unknown", DRIVE_FIXED, KX_BUS_UNKNOWN, L"", 0, 3, 0},
        {"USB hard disk", DRIVE_FIXED, KX_BUS_USB, L"Expansion HDD", 0, 2, 1},
        {"IEEE 1394 disk", DRIVE_FIXED, KX_BUS_1394, L"", 0, 2, 1},
        {"SD card in a built-in reader", DRIVE_FIXED, KX_BUS_SD, L"", 0, 2, 3},
        {"fixed on MMC", DRIVE_FIXED, KX_BUS_MMC, L"", 0, 2, 3},
        {"fixed disk named like a card: the name only counts for removable drives", DRIVE_FIXED, 11, L"CARD", 0, 3, 0},
        {"connected network drive", DRIVE_REMOTE, KX_BUS_UNKNOWN, L"", 0, 1, 4},
        {"disconnected network drive", DRIVE_REMOTE, KX_BUS_UNKNOWN, L"", 1, 1, 6},
        {"CD/DVD", DRIVE_CDROM, KX_BUS_UNKNOWN, L"", 0, 2, 7},
        {"RAM disk", DRIVE_RAMDISK, KX_BUS_UNKNOWN, L"", 0, 2, 8},
        {"unknown type", DRIVE_UNKNOWN, KX_BUS_UNKNOWN, L"", 0, 0, -1},
        {"no root directory", DRIVE_NO_ROOT_DIR, KX_BUS_UNKNOWN, L"", 0, 0, -1},
    };
    for (const Case& c : cases) {
        KxDriveInfo info = KxClassifyDrive(c.type, c.bus, c.product, c.unavailable);
        EXPECT_EQ(info.scopeClass, c.scopeClass) << c.what;
        EXPECT_EQ(info.icon, c.icon) << c.what;
    }
}

TEST(DriveClassification, CardReaderProductNames)
{
    const wchar_t* readers[] = {L"Card Reader", L"usb reader", L"SD/MMC", L"MS/SD",       L"Micro/SD",
                                L"SDXC",        L"sdhc slot",  L"mmc",    L"SD Slot",     L"Slot SD",
                                L"CF/XD",       L"XD/MS",      L"sd",     L"Storage CARD"};
    for (const wchar_t* name : readers) EXPECT_TRUE(KxProductNamesCardReader(name)) << KxtUtf8(name);
    const wchar_t* others[] = {L"", L"Flash Disk", L"SDX", L"USDISK", L"Cruzer Blade", L"MSD", L"S D"};
    for (const wchar_t* name : others) EXPECT_FALSE(KxProductNamesCardReader(name)) << KxtUtf8(name);
}

TEST(DriveClassification, StorageDescriptorIsReadOnlyWithinTheReturnedBytes)
{
    std::vector<BYTE> bytes(64, 0);
    auto put = [&](size_t at, DWORD value) { memcpy(bytes.data() + at, &value, 4); };
    put(28, KX_BUS_USB);
    put(16, 48);
    memcpy(bytes.data() + 48, "Flash Disk\0", 11);
    int bus = 0;
    wchar_t product[128];

    ASSERT_TRUE(KxParseStorageDescriptor(bytes.data(), 64, &bus, product, 128));
    EXPECT_EQ(bus, KX_BUS_USB);
    EXPECT_STREQ(product, L"Flash Disk");

    ASSERT_TRUE(KxParseStorageDescriptor(bytes.data(), 53, &bus, product, 128));
    EXPECT_STREQ(product, L"Flash") << "a name without its terminator ends with the returned bytes";

    put(16, 64);
    ASSERT_TRUE(KxParseStorageDescriptor(bytes.data(), 64, &bus, product, 128));
    EXPECT_STREQ(product, L"") << "an offset at or past the end names nothing";
    put(16, 0);
    ASSERT_TRUE(KxParseStorageDescriptor(bytes.data(), 64, &bus, product, 128));
    EXPECT_STREQ(product, L"");

    EXPECT_FALSE(KxParseStorageDescriptor(bytes.data(), 39, &bus, product, 128));
    EXPECT_EQ(bus, KX_BUS_UNKNOWN) << "too short to hold a bus type";

    std::vector<BYTE> longName(400, 'A');
    memset(longName.data(), 0, 40);
    memcpy(longName.data() + 16, "\x28\0\0\0", 4);
    ASSERT_TRUE(KxParseStorageDescriptor(longName.data(), 400, &bus, product, 128));
    EXPECT_EQ(wcslen(product), 127u) << "at most 127 characters";
}

TEST(DriveIcons, SizeLadderFollowsRowHeightAndScale)
{
    struct Case {
        int scale, rowHeight, size;
    } cases[] = {
        {100, 21, 19}, {100, 30, 24}, {150, 33, 30}, {100, 0, 16},  {150, 0, 24},  {125, 0, 20},
        {100, 10, 12}, {100, 13, 12}, {100, 25, 22}, {100, 24, 22}, {200, 60, 48}, {175, 40, 36},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KxComputeDriveIconSize(c.scale, c.rowHeight), c.size) << c.scale << "% row " << c.rowHeight;
}

TEST(DriveIcons, IndexOfAPathAndResourceIds)
{
    KxDriveInfo saved[26];
    memcpy(saved, g_drives, sizeof saved);
    g_drives[2] = {KX_DRIVE_INTERNAL, KX_ICON_INTERNAL_DISK};
    g_drives[4] = {KX_DRIVE_LOCAL_OTHER, KX_ICON_REMOVABLE};
    g_drives[7] = {KX_DRIVE_ABSENT, KX_ICON_NONE};
    EXPECT_EQ(KxDriveIconIndex(L"\\\\server\\share\\a.txt"), 5);
    EXPECT_EQ(KxDriveIconIndex(L"C:\\Windows"), 0);
    EXPECT_EQ(KxDriveIconIndex(L"e:\\stick"), 2);
    EXPECT_EQ(KxDriveIconIndex(L"H:\\gone"), -1);
    EXPECT_EQ(KxDriveIconIndex(L"relative\\path"), -1);
    EXPECT_EQ(KxDriveIconIndex(L"\\rooted"), -1);
    EXPECT_EQ(KxDriveIconIndex(L"C"), -1);
    EXPECT_EQ(KxDriveIconIndex(L""), -1);
    memcpy(g_drives, saved, sizeof saved);

    EXPECT_EQ(KxDriveIconResourceId(0, 0), 200);
    EXPECT_EQ(KxDriveIconResourceId(1, 8), 224);
    EXPECT_EQ(KxDriveIconResourceId(3, 8), 256);

    EXPECT_EQ(KxLoadDriveIcon(0, -1, 16), nullptr);
    EXPECT_EQ(KxLoadDriveIcon(0, 9, 16), nullptr);
    EXPECT_EQ(KxLoadDriveIcon(4, 0, 16), nullptr);
}

TEST(DriveScope, MenuCommandsAndTexts)
{
    EXPECT_EQ(KxScopeOfMenuCommand(0), -1) << "dismissed";
    EXPECT_EQ(KxScopeOfMenuCommand(2099), -1);
    EXPECT_EQ(KxScopeOfMenuCommand(2100), 0);
    EXPECT_EQ(KxScopeOfMenuCommand(2103), 3);
    EXPECT_EQ(KxScopeOfMenuCommand(2104), -1);
    EXPECT_STREQ(KxDriveScopeMenuText(2), L"Local Fixed (internal disks only)");
    EXPECT_STREQ(KxDriveScopeLabel(0), L"All Drives");
    EXPECT_STREQ(KxDriveScopeLabel(3), L"Network");
    EXPECT_STREQ(KxDriveScopeLabel(7), L"All Drives");
}

TEST(DriveIcons, OneSizeIsCachedAndANewSizeReplacesIt)
{
    HMODULE saved = g_pluginModule;
    g_pluginModule = LoadLibraryExW(KxtPluginBuildPath().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(g_pluginModule, nullptr);
    if (!FindResourceW(g_pluginModule, MAKEINTRESOURCEW(200), RT_GROUP_ICON)) {
        g_pluginModule = saved;
        GTEST_SKIP() << "the DLL carries no drive icons yet";
    }
    auto width = [](HICON icon) {
        ICONINFO info{};
        if (!GetIconInfo(icon, &info)) return 0;
        BITMAP bitmap{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        return (int)bitmap.bmWidth;
    };
    HICON disk = KxLoadDriveIcon(0, 0, 16);
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(width(disk), 16);
    EXPECT_EQ(KxLoadDriveIcon(0, 0, 16), disk) << "cached";
    HICON selected = KxLoadDriveIcon(3, 8, 16);
    ASSERT_NE(selected, nullptr);
    EXPECT_NE(selected, disk);

    HICON larger = KxLoadDriveIcon(0, 0, 24);
    ASSERT_NE(larger, nullptr);
    EXPECT_EQ(width(larger), 24);
    EXPECT_EQ(KxLoadDriveIcon(0, 0, 24), larger);
    g_pluginModule = saved;
}
