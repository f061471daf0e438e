#include <gtest/gtest.h>

#include "host/host_window.h"
#include "host/plugin_loader.h"
#include "support/test_support.h"

namespace {

const wchar_t kDefaultConfig[] =
    L"[Display]\r\n"
    L"Position=Bottom\r\n"
    L"Hotkey=Ctrl+Alt+F\r\n"
    L"MaxVisibleRows=20\r\n"
    L"SearchDelayMs=100\r\n"
    L"ThemeMode=Auto\r\n"
    L"DateFormat=Auto\r\n"
    L"TimeFormat=Auto\r\n"
    L"Logging=N\r\n"
    L"DriveIcons=Y\r\n"
    L"DriveIconStyle=Colour\r\n"
    L"FolderColumn=Full\r\n"
    L"SearchHistory=Y\r\n"
    L"[Everything]\r\n"
    L"MaxResults=200\r\n"
    L"EverythingIniPath=Auto\r\n"
    L"EverythingDebug=N\r\n"
    L"SortOrder=DateModifiedDescending\r\n"
    L"[Filters]\r\n"
    L"LastSelectedFilter=\r\n"
    L"DriveScope=All\r\n"
    L"[Safety]\r\n"
    L"AllowDelete=N\r\n";

// Blank lines between sections are the profile writer's own layout; the keys and their order are ours.
std::wstring KxtWithoutBlankLines(const std::wstring& text)
{
    std::wstring result;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) result += text.substr(start, end - start) + L"\r\n";
        start = end + 2;
    }
    return result;
}

// The auto-open message is handled only once start-up is over, so the host seeing
// command 570 proves that the thread is idle in its loop.
void KxtWaitUntilThreadIdle(const KxtPlugin& plugin, KxtHost& host)
{
    auto fsInit = plugin.Get<KxtFsInitProc>("FsInit");
    ASSERT_NE(fsInit, nullptr);
    fsInit(1, nullptr, nullptr, nullptr);
    ASSERT_TRUE(KxtWaitUntil([&] { return !host.commands.empty(); }));
}

}  // namespace

TEST(PluginLoad, FreshFolderGetsDefaultConfigAndOnlyStartupLines)
{
    KxtHost& host = KxtCreateHost();
    KxtPlugin plugin = KxtLoadPlugin(KxtPreparePluginFolder());
    ASSERT_NE(plugin.module, nullptr);
    // The file is written after the Logging key has closed the log's gate.
    ASSERT_TRUE(KxtWaitUntil([&] { return KxtFileExists(plugin.ConfigPath()); }));
    KxtWaitUntilThreadIdle(plugin, host);

    std::string raw = KxtReadFileBytes(plugin.ConfigPath());
    ASSERT_GE(raw.size(), 2u);
    EXPECT_EQ(raw.substr(0, 2), std::string("\xFF\xFE", 2)) << "new settings file must be UTF-16 with a BOM";
    EXPECT_EQ(KxtWithoutBlankLines(KxtReadUnicodeFile(plugin.ConfigPath())), kDefaultConfig);

    std::vector<std::string> lines = KxtReadLogLines(plugin.LogPath());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("] DllMain: DLL_PROCESS_ATTACH (pid="), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("] DllMain: module pin OK"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("] Background thread started (tid="), std::string::npos) << lines[2];
    EXPECT_EQ(host.commands, std::vector<WPARAM>{570});
}

TEST(PluginLoad, FsInitRightAfterLoadingStillReachesTheNewThread)
{
    // The host's cold road: it loads the library and calls FsInit at once.
    KxtHost& host = KxtCreateHost();
    KxtPlugin plugin = KxtLoadPlugin(KxtPreparePluginFolder());
    ASSERT_NE(plugin.module, nullptr);
    KxtWaitUntilThreadIdle(plugin, host);
    std::vector<std::string> lines = KxtReadLogLines(plugin.LogPath());
    EXPECT_GE(KxtFindLine(lines, "FsInit: OK posting WM_KX_AUTOOPEN_OVERLAY"), 0);
    EXPECT_EQ(host.commands, std::vector<WPARAM>{570});
}

TEST(PluginLoad, LoggingOnAddsConfigurationLineAfterStartup)
{
    // No wincmd.ini anywhere: each registration step says so on its own line.
    for (const wchar_t* name : {L"COMMANDER_INI", L"APPDATA", L"COMMANDER_PATH"})
        SetEnvironmentVariableW(name, nullptr);
    std::wstring folder = KxtPreparePluginFolder();
    ASSERT_TRUE(KxtWriteConfig(folder, KxtLoggingConfig(L"Hotkey=Ctrl+Alt+K\r\n[Everything]\r\nMaxResults=0\r\n")));
    KxtPlugin plugin = KxtLoadPlugin(folder);
    ASSERT_NE(plugin.module, nullptr);
    ASSERT_TRUE(KxtWaitForHook(plugin));

    std::vector<std::string> lines = KxtReadLogLines(plugin.LogPath());
    ASSERT_GE(lines.size(), 8u);
    EXPECT_NE(lines[2].find("Background thread started"), std::string::npos);
    std::string expected = "] Config loaded from " + KxtUtf8(plugin.ConfigPath()) +
                           ": Position=0 Hotkey=Ctrl+Alt+K MaxResults=1 MaxVisibleRows=20 SearchDelayMs=100 "
                           "EverythingDebug=0 SortType=14 AllowDelete=0";
    EXPECT_NE(lines[3].find(expected), std::string::npos) << lines[3];
    const char* steps[] = {"KxSelfRegisterWfxPlugin", "KxSelfRegisterHotkeyShortcut",
                           "KxSelfRegisterCustomColumnsView"};
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(lines[4 + i].find(std::string("] ") + steps[i] +
                                    ": could not locate wincmd.ini - skipping self-registration."),
                  std::string::npos)
            << lines[4 + i];
    EXPECT_NE(lines[7].find("] Low-level keyboard hook installed OK."), std::string::npos) << lines[7];
    // An existing file is left in its own encoding and content.
    EXPECT_EQ(KxtReadUnicodeFile(plugin.ConfigPath()),
              KxtLoggingConfig(L"Hotkey=Ctrl+Alt+K\r\n[Everything]\r\nMaxResults=0\r\n"));
}

TEST(PluginLoad, ModuleStaysLoadedAfterTheHostFreesIt)
{
    std::wstring folder = KxtPreparePluginFolder();
    ASSERT_TRUE(KxtWriteConfig(folder, KxtLoggingConfig()));
    KxtPlugin plugin = KxtLoadPlugin(folder);
    ASSERT_NE(plugin.module, nullptr);
    ASSERT_TRUE(KxtWaitForLogLine(plugin.LogPath(), "DllMain: module pin OK"));
    // Start-up writes files; Wine aborts a process that ends while another thread is in the middle of that.
    ASSERT_TRUE(KxtWaitForHook(plugin));
    std::wstring path = plugin.folder + KXT_PLUGIN_NAME;
    EXPECT_TRUE(FreeLibrary(plugin.module));
    EXPECT_TRUE(FreeLibrary(plugin.module));
    EXPECT_EQ(GetModuleHandleW(path.c_str()), plugin.module);
    // Still callable: the host may call an export of a library it believes unloaded and reloaded.
    char root[16] = {};
    auto getRoot = plugin.Get<void(__stdcall*)(char*, int)>("FsGetDefRootName");
    ASSERT_NE(getRoot, nullptr);
    getRoot(root, sizeof root);
    EXPECT_STREQ(root, "Korvex");
}

TEST(PluginLoad, AllThirteenExportsAnswerNothingHereUntilResultsArePublished)
{
    KxtPlugin plugin = KxtLoadPlugin(KxtPreparePluginFolder());
    ASSERT_NE(plugin.module, nullptr);
    const char* names[] = {"FsInit",
                           "FsGetDefRootName",
                           "FsFindFirst",
                           "FsFindNext",
                           "FsFindClose",
                           "FsGetFile",
                           "FsExecuteFile",
                           "FsDeleteFile",
                           "FsContentGetSupportedField",
                           "FsContentGetValue",
                           "ContentGetSupportedField",
                           "ContentGetValue",
                           "ContentGetDetectString"};
    for (const char* name : names) EXPECT_NE(plugin.Export(name), nullptr) << name;

    char root[4] = {'x', 'x', 'x', 'x'};
    plugin.Get<void(__stdcall*)(char*, int)>("FsGetDefRootName")(root, sizeof root);
    EXPECT_STREQ(root, "Kor") << "cut to the host's buffer";

    EXPECT_EQ(plugin.Get<int(__stdcall*)(char*, char*, int, void*)>("FsGetFile")((char*)"\\a.txt", (char*)"C:\\a.txt",
                                                                                 0, nullptr),
              2);
    EXPECT_FALSE(plugin.Get<BOOL(__stdcall*)(char*)>("FsDeleteFile")((char*)"\\a.txt"));
    char detect[8] = "abc";
    plugin.Get<KxtContentGetDetectStringProc>("ContentGetDetectString")(detect, sizeof detect);
    EXPECT_STREQ(detect, "");
}

TEST(PluginLoad, CarriesItsIconAndVersionOneThree)
{
    KxtPlugin plugin = KxtLoadPlugin(KxtPreparePluginFolder());
    ASSERT_NE(plugin.module, nullptr);
    HRSRC iconGroup = FindResourceW(plugin.module, MAKEINTRESOURCEW(101), RT_GROUP_ICON);
    ASSERT_NE(iconGroup, nullptr);
    // A group directory: reserved, type 1, count, then one 14-byte entry per image.
    const BYTE* directory = (const BYTE*)LockResource(LoadResource(plugin.module, iconGroup));
    ASSERT_NE(directory, nullptr);
    WORD images = *(const WORD*)(directory + 4);
    EXPECT_GE(images, 4) << "several sizes";
    HICON icon = (HICON)LoadImageW(plugin.module, MAKEINTRESOURCEW(101), IMAGE_ICON, 32, 32, 0);
    EXPECT_NE(icon, nullptr);

    HRSRC versionResource = FindResourceW(plugin.module, MAKEINTRESOURCEW(1), RT_VERSION);
    ASSERT_NE(versionResource, nullptr);
    const BYTE* version = (const BYTE*)LockResource(LoadResource(plugin.module, versionResource));
    DWORD size = SizeofResource(plugin.module, versionResource);
    // The fixed part follows the "VS_VERSION_INFO" key, aligned to four bytes.
    const VS_FIXEDFILEINFO* fixed = nullptr;
    for (DWORD offset = 0; offset + sizeof(VS_FIXEDFILEINFO) <= size; offset += 4) {
        if (*(const DWORD*)(version + offset) == 0xFEEF04BD) {
            fixed = (const VS_FIXEDFILEINFO*)(version + offset);
            break;
        }
    }
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(3, 1));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(3, 1));
    std::wstring text((const wchar_t*)version, size / sizeof(wchar_t));
    EXPECT_NE(text.find(std::wstring(L"ProductVersion") + L'\0' + L"1.3"), std::wstring::npos);
}
