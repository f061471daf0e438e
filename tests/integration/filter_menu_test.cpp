#include <gtest/gtest.h>

#include "host/host_window.h"
#include "host/overlay_probe.h"
#include "host/plugin_loader.h"
#include "peers/everything_peer_launcher.h"
#include "support/test_support.h"

namespace {

struct FilterMenuFixture : ::testing::Test {
    KxtHost* host = nullptr;
    KxtPlugin plugin{};
    KxtEverythingPeer peer;

    void TearDown() override { KxtStopEverythingPeer(peer); }

    void StartWithResults()
    {
        host = &KxtCreateHost();
        std::wstring folder = KxtPreparePluginFolder();
        ASSERT_TRUE(KxtCreateTree(folder + L"tree\\", {{L"abc-1.txt", 10, 0}, {L"abc-2.txt", 20, 0}}));
        KxtEverythingPeerOptions options;
        options.roots.push_back(folder + L"tree\\");
        ASSERT_TRUE(KxtStartEverythingPeer(options, peer));
        // A saved name that matches no filter: the overlay starts on "<All Files>", the file keeps the name.
        ASSERT_TRUE(KxtWriteConfig(folder, KxtLoggingConfig(L"[Filters]\r\nLastSelectedFilter=Gone\r\n")));
        plugin = KxtLoadPlugin(folder);
        ASSERT_NE(plugin.module, nullptr);
        ASSERT_TRUE(KxtWaitForHook(plugin));
        ASSERT_TRUE(KxtOpenOverlayByHotkey(*host));
        KxtTypeText(L"abc");
        ASSERT_TRUE(KxtWaitUntil([&] { return Searches() == 1; }));
        // The list is shown last in the layout, after the buttons took their places above it.
        ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 2 && IsWindowVisible(KxtOverlayControl(205)); }));
    }
    int Searches() const
    {
        return KxtCountLines(KxtReadLogLines(plugin.LogPath()), "typed=\"abc\" includeFolders=");
    }
    std::wstring SavedFilter() const
    {
        wchar_t value[128];
        GetPrivateProfileStringW(L"Filters", L"LastSelectedFilter", L"", value, 128, plugin.ConfigPath().c_str());
        return value;
    }
    void OpenMenu()
    {
        KxtClickWindow(KxtOverlayControl(203));
        ASSERT_TRUE(KxtWaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
    }
    static bool MenuClosed() { return !IsWindowVisible(FindWindowW(L"#32768", nullptr)); }
    static HWND FocusOfOverlayThread()
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(KxtFindOverlay(), nullptr), &info);
        return info.hwndFocus;
    }
};

}  // namespace

TEST_F(FilterMenuFixture, ChoosingAFilterSavesItAndSearchesDismissingChangesNothing)
{
    StartWithResults();
    OpenMenu();
    KxtPressChord({}, VK_ESCAPE);
    ASSERT_TRUE(KxtWaitUntil(MenuClosed));
    ASSERT_TRUE(KxtWaitUntil([] { return FocusOfOverlayThread() == KxtOverlayControl(201); }));
    EXPECT_EQ(SavedFilter(), L"Gone");
    EXPECT_EQ(Searches(), 1);

    OpenMenu();
    KxtPressChord({}, VK_DOWN);
    KxtPressChord({}, VK_RETURN);
    ASSERT_TRUE(KxtWaitUntil([&] { return Searches() == 2; })) << "the choice searches at once";
    EXPECT_EQ(SavedFilter(), L"<All Files>");
    wchar_t label[128];
    GetWindowTextW(KxtOverlayControl(203), label, 128);
    EXPECT_EQ(std::wstring(label), L"<All Files>");
    EXPECT_TRUE(IsWindowVisible(KxtFindOverlay()));
}

TEST_F(FilterMenuFixture, TheAboutBoxIsModalOverTheOverlayAndEscapeGivesTheFocusBack)
{
    StartWithResults();
    OpenMenu();
    KxtPressChord({}, VK_UP);  // from no item, Up lands on the last one
    KxtPressChord({}, VK_RETURN);
    HWND about = nullptr;
    ASSERT_TRUE(KxtWaitUntil([&] {
        about = FindWindowW(L"TC_Korvex_AboutBox", L"About Korvex");
        return about && IsWindowVisible(about) && GetForegroundWindow() == about;
    }));
    EXPECT_FALSE(IsWindowEnabled(KxtFindOverlay()));
    EXPECT_EQ(GetWindow(about, GW_OWNER), KxtFindOverlay());
    RECT box = KxtWindowRect(about), hostRect = KxtWindowRect(host->main);
    EXPECT_NEAR((box.left + box.right) / 2, (hostRect.left + hostRect.right) / 2, 2) << "centred on the host";

    KxtPressChord({}, VK_ESCAPE);
    ASSERT_TRUE(KxtWaitUntil([&] { return !IsWindow(about); }));
    ASSERT_TRUE(KxtWaitUntil([] { return IsWindowEnabled(KxtFindOverlay()) != FALSE; }));
    EXPECT_TRUE(KxtWaitUntil([] { return FocusOfOverlayThread() == KxtOverlayControl(201); }));
    EXPECT_EQ(Searches(), 1) << "the about item searches nothing";
}
