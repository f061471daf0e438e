#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "host/host_window.h"
#include "host/overlay_probe.h"
#include "host/plugin_loader.h"
#include "peers/everything_peer_launcher.h"
#include "support/test_support.h"

namespace {

constexpr int KXT_ID_EDIT = 201;
constexpr int KXT_ID_FILTER_BUTTON = 203;
constexpr int KXT_ID_SCOPE_BUTTON = 206;

struct FiltersScopeFixture : ::testing::Test {
    KxtHost* host = nullptr;
    KxtPlugin plugin{};
    KxtEverythingPeer peer;
    std::wstring folder = KxtPreparePluginFolder();
    wchar_t savedAppData[2048] = L"";

    void SetUp() override { GetEnvironmentVariableW(L"APPDATA", savedAppData, 2048); }
    void TearDown() override
    {
        KxtStopEverythingPeer(peer);
        SetEnvironmentVariableW(L"APPDATA", savedAppData);
    }

    // The plug-in reads APPDATA from this process's environment, where Wine's own value would otherwise stand.
    void UseAppData(const std::wstring& relative)
    {
        std::wstring appData = folder + relative;
        CreateDirectoryW(appData.c_str(), nullptr);
        SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    }
    void WriteFile(const std::wstring& relative, const std::string& bytes)
    {
        std::wstring path = folder + relative;
        for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
            CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        ASSERT_TRUE(KxtWriteFileBytes(path, bytes));
    }
    void Start(const std::wstring& configLines, const std::vector<std::wstring>& peerFilters = {})
    {
        host = &KxtCreateHost();
        std::wstring tree = folder + L"tree\\";
        ASSERT_TRUE(KxtCreateTree(tree, {{L"song-1.mp3", 10, 0}, {L"song-2.txt", 20, 0}, {L"song-folder\\", 0, 0}}));
        KxtEverythingPeerOptions options;
        options.roots.push_back(tree);
        options.filters = peerFilters;
        ASSERT_TRUE(KxtStartEverythingPeer(options, peer));
        ASSERT_TRUE(KxtWriteConfig(folder, KxtLoggingConfig() + configLines));
        plugin = KxtLoadPlugin(folder);
        ASSERT_NE(plugin.module, nullptr);
        ASSERT_TRUE(KxtWaitForHook(plugin));
    }
    void OpenAndType(const std::wstring& text)
    {
        ASSERT_TRUE(KxtOpenOverlayByHotkey(*host));
        KxtTypeText(text);
    }
    int Lines(const std::string& text) const { return KxtCountLines(KxtReadLogLines(plugin.LogPath()), text); }
    bool WaitForLines(const std::string& text, int count)
    {
        return KxtWaitUntil([&] { return Lines(text) >= count; });
    }
    std::vector<std::string> Searches() const
    {
        std::vector<std::string> searches;
        for (const std::string& line : KxtReadPeerQueries(peer)) {
            size_t at = line.find("search=[");
            searches.push_back(at == std::string::npos ? line : line.substr(at + 8, line.size() - at - 9));
        }
        return searches;
    }
    static std::wstring WindowText(HWND window)
    {
        wchar_t text[256] = L"";
        GetWindowTextW(window, text, 256);
        return text;
    }
    // Opens the scope menu and picks the item at `index` (0 for "All") by keyboard. The button is pressed by
    // message: the overlay may still be growing over the results, so a mouse aimed at it could miss.
    void PickScope(int index)
    {
        PostMessageW(KxtOverlayControl(KXT_ID_SCOPE_BUTTON), BM_CLICK, 0, 0);
        ASSERT_TRUE(KxtWaitUntil([] {
            HWND menu = FindWindowW(L"#32768", nullptr);
            return menu && IsWindowVisible(menu);
        }));
        for (int i = 0; i <= index; ++i) KxtPressChord({}, VK_DOWN);
        KxtPressChord({}, VK_RETURN);
        ASSERT_TRUE(KxtWaitUntil([] {
            HWND menu = FindWindowW(L"#32768", nullptr);
            return !menu || !IsWindowVisible(menu);
        }));
        // The menu hands the focus back to the input line before the next keys are meant for it.
        ASSERT_TRUE(KxtWaitUntil([] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(GetWindowThreadProcessId(KxtFindOverlay(), nullptr), &info) &&
                   info.hwndFocus == KxtOverlayControl(KXT_ID_EDIT);
        }));
    }
};

// The 1.4 layout: header line, search text in the column named Search.
const char kEverything14Csv[] =
    "\xEF\xBB\xBFName,Case,Whole Word,Path,Diacritics,Regex,Search,Macro,Key\r\n"
    "\"Everything\",0,0,0,0,0,\"\",\"\",\r\n"
    "\"Audio\",0,0,0,0,0,\"ext:mp3;flac\",\"audio\",\r\n"
    "\"Folder\",0,0,0,0,0,\"folder:\",\"\",\r\n";

struct KxtDriveLine {
    char letter;
    int scopeClass;
    int icon;
};

std::vector<KxtDriveLine> KxtDriveLines(const std::vector<std::string>& log)
{
    static const std::regex line(
        R"(\] Drive ([A-Z]): type=\d+ bus=-?\d+ product="[^"]*" scopeClass=(\d) icon=(-?\d)$)");
    std::vector<KxtDriveLine> drives;
    std::smatch match;
    for (const std::string& text : log)
        if (std::regex_search(text, match, line))
            drives.push_back({match[1].str()[0], std::stoi(match[2].str()), std::stoi(match[3].str())});
    return drives;
}

// The drive list a scope should produce over the drives the log reported.
std::string KxtExpectedDriveList(const std::vector<KxtDriveLine>& drives, bool localToo)
{
    std::string list;
    int taken = 0;
    for (const KxtDriveLine& drive : drives) {
        if (drive.scopeClass != 3 && !(localToo && drive.scopeClass == 2)) continue;
        if (taken++) list.push_back('|');
        list.append(1, drive.letter).append(":\\");
    }
    return taken >= 2 ? std::string("<").append(list).append(">") : list;
}

}  // namespace

TEST_F(FiltersScopeFixture, EverythingFiltersCsvInAppDataAndTheLastFilterShapeTheQuery)
{
    UseAppData(L"appdata");
    WriteFile(L"appdata\\Everything\\filters.csv", kEverything14Csv);
    Start(L"[Filters]\r\nLastSelectedFilter=Audio\r\n", {L"Audio=ext:mp3;flac"});
    OpenAndType(L"song");
    ASSERT_TRUE(WaitForLines("typed=\"song\" includeFolders=0", 1));
    EXPECT_EQ(Searches(), std::vector<std::string>{"filter:\"Audio\" song file:"}) << "no folder query for Audio";
    EXPECT_EQ(WindowText(KxtOverlayControl(KXT_ID_FILTER_BUTTON)), L"Audio");
    EXPECT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 1; })) << "only the mp3 passes the filter";
}

TEST_F(FiltersScopeFixture, EverythingIniNamedByEverythingIniPath)
{
    UseAppData(L"empty-appdata");
    WriteFile(L"portable\\Everything.ini",
              "[Filters]\r\nFilter1_Name=Texts\r\nFilter1_Search=ext:txt\r\nFilter2_Name=Folders\r\n"
              "Filter2_Search=folder:\r\n");
    Start(L"[Everything]\r\nEverythingIniPath=" + folder +
              L"portable\\Everything.ini\r\n[Filters]\r\n"
              L"LastSelectedFilter=folders\r\n",
          {L"Folders=folder:"});
    OpenAndType(L"song");
    ASSERT_TRUE(WaitForLines("typed=\"song\" includeFolders=1", 1));
    EXPECT_EQ(Searches(),
              (std::vector<std::string>{"filter:\"Folders\" song file:", "filter:\"Folders\" song folder:"}))
        << "the table's own name goes to Everything, and a folder: filter asks for folders too";
    EXPECT_EQ(WindowText(KxtOverlayControl(KXT_ID_FILTER_BUTTON)), L"Folders");
}

TEST_F(FiltersScopeFixture, WithoutEverythingsConfigurationTheBuiltInFiltersServe)
{
    UseAppData(L"empty-appdata");
    Start(L"[Everything]\r\nEverythingDebug=Y\r\n[Filters]\r\nLastSelectedFilter=PICTURE\r\n");
    OpenAndType(L"song");
    ASSERT_TRUE(WaitForLines("typed=\"song\" includeFolders=0", 1));
    EXPECT_EQ(Searches(), std::vector<std::string>{"filter:\"Picture\" song file:"});
    std::vector<std::string> debug = KxtReadLogLines(folder + L"Korvex.debug.log");
    EXPECT_GE(KxtFindLine(debug, "Filters: could not read Everything's own config, using built-in defaults."), 0);
}

TEST_F(FiltersScopeFixture, DriveScopeFromTheSettingAndTheMenuNamesTheDrivesWineReports)
{
    UseAppData(L"empty-appdata");
    Start(L"[Filters]\r\nDriveScope=Fixed\r\n");
    OpenAndType(L"song");
    ASSERT_TRUE(WaitForLines("scope=Fixed typed=\"song\"", 1));
    std::vector<KxtDriveLine> drives = KxtDriveLines(KxtReadLogLines(plugin.LogPath()));
    DWORD mask = GetLogicalDrives();
    ASSERT_EQ(drives.size(), (size_t)__builtin_popcount(mask)) << "one line per present drive";
    for (const KxtDriveLine& drive : drives) EXPECT_TRUE(mask & (1u << (drive.letter - 'A'))) << drive.letter;
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives[0].letter, 'C');
    EXPECT_EQ(drives[0].scopeClass, 3) << "Wine's C: is an internal fixed disk";
    EXPECT_EQ(drives[0].icon, 0);
    std::string fixed = KxtExpectedDriveList(drives, false);
    ASSERT_EQ(Searches().size(), 2u);
    EXPECT_EQ(Searches()[0], fixed + " song file:");

    PickScope(1);
    ASSERT_TRUE(WaitForLines("scope=Local typed=\"song\"", 1)) << "a new scope searches at once";
    EXPECT_EQ(Searches().back(), KxtExpectedDriveList(drives, true) + " song folder:");
    EXPECT_EQ(WindowText(KxtOverlayControl(KXT_ID_SCOPE_BUTTON)), L"Local");
    wchar_t saved[32] = L"";
    GetPrivateProfileStringW(L"Filters", L"DriveScope", L"", saved, 32, plugin.ConfigPath().c_str());
    EXPECT_STREQ(saved, L"Local");
    EXPECT_EQ(KxtDriveLines(KxtReadLogLines(plugin.LogPath())).size(), 2 * drives.size())
        << "a scope picked from the menu rescans every drive";

    PickScope(1);
    KxtTypeText(L"x");
    ASSERT_TRUE(WaitForLines("scope=Local typed=\"songx\"", 1));
    EXPECT_EQ(Lines("typed=\"song\" "), 2) << "picking the current scope again runs no search";
    EXPECT_EQ(KxtDriveLines(KxtReadLogLines(plugin.LogPath())).size(), 3 * drives.size())
        << "but the next search rescans every drive";
}

TEST_F(FiltersScopeFixture, AFilterWhoseNameHoldsQuotesGoesByItsSearchText)
{
    UseAppData(L"empty-appdata");
    WriteFile(L"portable\\Everything.ini", "[Filters]\r\nFilter1_Name=Say \"hi\"\r\nFilter1_Search=ext:mp3\r\n");
    Start(L"[Everything]\r\nEverythingIniPath=" + folder +
          L"portable\r\n[Filters]\r\nLastSelectedFilter=Say \"hi\"\r\n");
    OpenAndType(L"song");
    ASSERT_TRUE(WaitForLines("typed=\"song\" includeFolders=0", 1));
    EXPECT_EQ(Searches(), std::vector<std::string>{"<ext:mp3> song file:"}) << "never filter:\"Say \"hi\"\"";
    EXPECT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 1; })) << "only the mp3 passes the filter";
    EXPECT_EQ(WindowText(KxtOverlayControl(KXT_ID_FILTER_BUTTON)), L"Say \"hi\"");
}
