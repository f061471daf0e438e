#include <gtest/gtest.h>

#include "host/host_window.h"
#include "host/overlay_probe.h"
#include "host/plugin_loader.h"
#include "peers/everything_peer_launcher.h"
#include "support/test_support.h"

namespace {

struct OverlayFixture : ::testing::Test {
    KxtHost* host = nullptr;
    KxtPlugin plugin{};
    KxtEverythingPeer peer;
    std::wstring tree;

    void TearDown() override { KxtStopEverythingPeer(peer); }

    void Start(const std::wstring& extraDisplayLines = L"", DWORD peerDelayMs = 0, int matchingFiles = 3)
    {
        host = &KxtCreateHost();
        std::wstring folder = KxtPreparePluginFolder();
        tree = folder + L"tree\\";
        std::vector<KxtTreeItem> items;
        for (int i = 0; i < matchingFiles; ++i)
            items.push_back({L"docs\\abc-" + std::to_wstring(i) + L".txt", (ULONGLONG)i * 1000,
                             KxtFileTimeOf(2025, 3, 1 + i % 28)});
        items.push_back({L"abc-folder\\", 0, 0});
        items.push_back({L"unrelated.txt", 1, 0});
        ASSERT_TRUE(KxtCreateTree(tree, items));
        KxtEverythingPeerOptions options;
        options.roots.push_back(tree);
        options.delayMs = peerDelayMs;
        ASSERT_TRUE(KxtStartEverythingPeer(options, peer));
        ASSERT_TRUE(KxtWriteConfig(folder, KxtLoggingConfig(extraDisplayLines)));
        plugin = KxtLoadPlugin(folder);
        ASSERT_NE(plugin.module, nullptr);
        ASSERT_TRUE(KxtWaitForHook(plugin));
    }
    void OpenWithHotkey(HWND focus = nullptr)
    {
        KxtFocusHost(*host, focus);
        KxtPressChord({VK_CONTROL, VK_MENU}, 'F');
        ASSERT_TRUE(KxtWaitForOverlayShown());
        ASSERT_TRUE(KxtWaitUntil([] { return GetForegroundWindow() == KxtFindOverlay(); }));
    }
    int SummaryLines(const std::string& typed) const
    {
        return KxtCountLines(KxtReadLogLines(plugin.LogPath()), "typed=\"" + typed + "\" includeFolders=");
    }
    bool WaitForSummary(const std::string& typed)
    {
        return KxtWaitUntil([&] { return SummaryLines(typed) > 0; });
    }
};

}  // namespace

TEST_F(OverlayFixture, HotkeyLaysTheOverlayOverTheFocusedPanelsBottomEdge)
{
    Start();
    OpenWithHotkey(host->rightPanel);
    RECT panel = KxtWindowRect(host->rightPanel), overlay = KxtWindowRect(KxtFindOverlay());
    EXPECT_EQ(overlay.left, panel.left);
    EXPECT_EQ(overlay.right, panel.right);
    EXPECT_EQ(overlay.bottom, panel.bottom);
    EXPECT_LT(overlay.bottom - overlay.top, 60) << "an empty overlay is only the search bar";
    EXPECT_EQ(GetWindow(KxtFindOverlay(), GW_OWNER), host->main);
}

TEST_F(OverlayFixture, TopPositionAnchorsToThePanelsTopEdgeAndResultsGrowDownwards)
{
    Start(L"Position=Top\r\n");
    OpenWithHotkey();
    RECT panel = KxtWindowRect(host->leftPanel);
    EXPECT_EQ(KxtWindowRect(KxtFindOverlay()).top, panel.top);
    KxtTypeText(L"abc");
    ASSERT_TRUE(WaitForSummary("abc"));
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 4; }));
    RECT overlay = KxtWindowRect(KxtFindOverlay());
    EXPECT_EQ(overlay.top, panel.top);
    EXPECT_GT(overlay.bottom - overlay.top, 4 * 10) << "room for the rows below the search bar";
}

TEST_F(OverlayFixture, FocusOutsideTheHostFallsBackToTheLeftHalfOfItsWindow)
{
    Start();
    HWND other = KxtCreateOtherWindow();
    plugin.Get<KxtFsInitProc>("FsInit")(1, nullptr, nullptr, nullptr);
    ASSERT_TRUE(KxtWaitForOverlayShown());
    RECT window = KxtWindowRect(host->main), overlay = KxtWindowRect(KxtFindOverlay());
    EXPECT_EQ(overlay.left, window.left);
    EXPECT_EQ(overlay.right, window.left + (window.right - window.left) / 2);
    EXPECT_EQ(overlay.bottom, window.bottom);
    EXPECT_GE(KxtFindLine(KxtReadLogLines(plugin.LogPath()),
                          "KxOpenOverlay: GetGUIThreadInfo/KxGetActivePanelRect failed, using fallback half-window "
                          "rect."),
              0);
    DestroyWindow(other);
}

TEST_F(OverlayFixture, QuickTypingRunsOneSearchAndTheListShowsTheHits)
{
    Start(L"SearchDelayMs=400\r\n");
    OpenWithHotkey();
    KxtTypeText(L"abc");
    ASSERT_TRUE(WaitForSummary("abc"));
    EXPECT_EQ(KxtOverlayText(), L"abc");
    EXPECT_EQ(SummaryLines("a"), 0);
    EXPECT_EQ(SummaryLines("ab"), 0);
    EXPECT_EQ(SummaryLines("abc"), 1);
    EXPECT_EQ(KxtReadPeerQueries(peer).size(), 2u) << "one file and one folder query";
    EXPECT_EQ(KxtOverlayRowCount(), 4);
    EXPECT_GE(KxtFindLine(KxtReadLogLines(plugin.LogPath()), "files=3(ok=1) folders=1(ok=1) total=4"), 0);
}

TEST_F(OverlayFixture, ANegativeSearchDelaySearchesAtOnce)
{
    Start(L"SearchDelayMs=-5\r\n");
    OpenWithHotkey();
    KxtTypeText(L"abc");
    ASSERT_TRUE(WaitForSummary("abc"));
    EXPECT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 4; }));
}

TEST_F(OverlayFixture, MoreMatchesThanPlacesFillMaxResults)
{
    Start(L"[Everything]\r\nMaxResults=50\r\n", 0, 80);
    OpenWithHotkey();
    KxtTypeText(L"abc");
    ASSERT_TRUE(WaitForSummary("abc"));
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 51; }));
    EXPECT_GE(KxtFindLine(KxtReadLogLines(plugin.LogPath()), "files=50(ok=1) folders=1(ok=1) total=51"), 0);
}

TEST_F(OverlayFixture, CloseButtonHidesAndReopeningStartsEmpty)
{
    Start();
    OpenWithHotkey();
    KxtTypeText(L"abc");
    ASSERT_TRUE(WaitForSummary("abc"));
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 4; }));
    KxtClickWindow(KxtOverlayControl(204));
    ASSERT_TRUE(KxtWaitForOverlayHidden());

    OpenWithHotkey();
    EXPECT_EQ(KxtOverlayText(), L"");
    EXPECT_FALSE(IsWindowVisible(KxtOverlayControl(205))) << "no room for rows";
    EXPECT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 0; })) << "the empty box's search empties the list";
    EXPECT_LT(KxtWindowRect(KxtFindOverlay()).bottom - KxtWindowRect(KxtFindOverlay()).top, 60);
}

TEST_F(OverlayFixture, ClosingDuringASearchAbandonsIt)
{
    Start(L"", 2500);
    OpenWithHotkey();
    KxtTypeText(L"abc");
    ASSERT_TRUE(KxtWaitUntil([&] { return !KxtReadPeerQueries(peer).empty(); }));
    KxtClickWindow(KxtOverlayControl(204));
    ASSERT_TRUE(KxtWaitForOverlayHidden());
    // The abandoned query's late reply must not bring the results back, nor start the folder query.
    ASSERT_TRUE(KxtWaitForLogLine(plugin.LogPath(), "KxRunEverythingQuery: IPC query=[abc file:]"));
    KxtFocusHost(*host);
    KxtPressChord({VK_CONTROL, VK_MENU}, 'F');
    ASSERT_TRUE(KxtWaitForOverlayShown());
    EXPECT_EQ(SummaryLines("abc"), 0);
    EXPECT_EQ(KxtReadPeerQueries(peer).size(), 1u);
    EXPECT_EQ(KxtOverlayRowCount(), 0);
}

TEST_F(OverlayFixture, FollowsThePanelWhileShownAndStopsAfterClosing)
{
    Start();
    OpenWithHotkey();
    MoveWindow(host->leftPanel, 10, 40, 300, 400, TRUE);
    RECT panel = KxtWindowRect(host->leftPanel);
    ASSERT_TRUE(KxtWaitUntil([&] {
        NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, host->leftPanel, OBJID_WINDOW, CHILDID_SELF);
        RECT overlay = KxtWindowRect(KxtFindOverlay()), close = KxtWindowRect(KxtOverlayControl(204)), client;
        GetClientRect(KxtFindOverlay(), &client);
        MapWindowPoints(KxtFindOverlay(), nullptr, (POINT*)&client, 2);
        // The controls are placed just after the window itself; the close button ends inside the border.
        return overlay.left == panel.left && overlay.right == panel.right && overlay.bottom == panel.bottom &&
               close.right == client.right && client.right < overlay.right;
    }));

    KxtClickWindow(KxtOverlayControl(204));
    ASSERT_TRUE(KxtWaitForOverlayHidden());
    RECT before = KxtWindowRect(KxtFindOverlay());
    MoveWindow(host->leftPanel, 50, 60, 200, 300, TRUE);
    NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, host->leftPanel, OBJID_WINDOW, CHILDID_SELF);
    // The plug-in's thread serves the event before the keyboard hook call that a key press makes.
    KxtFocusHost(*host);
    ASSERT_TRUE(KxtSyncKeyboard(host->leftPanel));
    RECT after = KxtWindowRect(KxtFindOverlay());
    EXPECT_TRUE(EqualRect(&before, &after));
}

namespace {

std::vector<std::string> KxtListRoot(const KxtPlugin& plugin)
{
    return KxtListPluginRoot<char>(plugin);
}

}  // namespace

TEST_F(OverlayFixture, EnterPublishesIntoTheVirtualFolderAndSendsTheHostThere)
{
    Start();
    OpenWithHotkey();
    KxtTypeText(L"abc");
    ASSERT_TRUE(WaitForSummary("abc"));
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 4; }));
    KxtPressChord({}, VK_RETURN);
    ASSERT_TRUE(KxtWaitUntil([&] { return host->changeDirs.size() == 1; }));
    ASSERT_TRUE(KxtWaitForOverlayHidden());

    // The search leaves its first row selected, and Enter publishes the selection.
    std::vector<std::string> root = KxtListRoot(plugin);
    ASSERT_EQ(root.size(), 1u);
    EXPECT_EQ(root[0], "abc-2.txt") << "the newest file comes first";
    const KxtChangeDirRecord& cd = host->changeDirs[0];
    EXPECT_TRUE(cd.wellFormed);
    EXPECT_EQ(cd.path, L"\\\\\\Korvex\\abc-2.txt");
    EXPECT_EQ(cd.byteCount, KxtUtf8(cd.path).size() + 11);
    EXPECT_EQ(cd.sender, KxtFindOverlay());

    // Ctrl+Enter adds to what is there.
    OpenWithHotkey();
    KxtTypeText(L"unrelated");
    ASSERT_TRUE(WaitForSummary("unrelated"));
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 1; }));
    KxtPressChord({VK_CONTROL}, VK_RETURN);
    ASSERT_TRUE(KxtWaitUntil([&] { return host->changeDirs.size() == 2; }));
    EXPECT_EQ(KxtListRoot(plugin), (std::vector<std::string>{"abc-2.txt", "unrelated.txt"}));
    EXPECT_EQ(host->changeDirs[1].path, L"\\\\\\Korvex\\unrelated.txt");
}

TEST_F(OverlayFixture, AHungEverythingLeavesTheOverlayClosableWithinTwoSeconds)
{
    Start();
    KxtStopEverythingPeer(peer);
    KxtEverythingPeerOptions options;
    options.roots.push_back(tree);
    options.hung = true;
    ASSERT_TRUE(KxtStartEverythingPeer(options, peer));
    OpenWithHotkey();
    KxtTypeText(L"abc");
    ASSERT_TRUE(KxtWaitForLogLine(plugin.LogPath(), "KxRunEverythingQuery: IPC query=[abc file:]"));
    DWORD pressed = GetTickCount();
    KxtClickWindow(KxtOverlayControl(204));
    ASSERT_TRUE(KxtWaitForOverlayHidden());
    EXPECT_LT(GetTickCount() - pressed, 2000u);
    EXPECT_TRUE(KxtWaitForLogLine(plugin.LogPath(), "KxRunEverythingQuery: Everything did not answer in time"));
    EXPECT_EQ(KxtCountLines(KxtReadLogLines(plugin.LogPath()), "IPC query=[abc folder:]"), 0)
        << "no second wait for the folders";
}

TEST_F(OverlayFixture, EachUnreachableCaseShowsItsLineInARowOfItsOwn)
{
    Start();
    struct Case {
        bool running;
        bool loading;
        const char* line;
    } cases[] = {
        {false, false, "Everything is not running"},
        {true, true, "Everything is still loading its index"},
    };
    for (const Case& c : cases) {
        KxtStopEverythingPeer(peer);
        if (c.running) {
            KxtEverythingPeerOptions options;
            options.roots.push_back(tree);
            options.loading = c.loading;
            ASSERT_TRUE(KxtStartEverythingPeer(options, peer));
        }
        OpenWithHotkey();
        KxtTypeText(L"abc");
        ASSERT_TRUE(KxtWaitForLogLine(plugin.LogPath(), std::string("KxRunEverythingQuery: ") + c.line)) << c.line;
        ASSERT_TRUE(WaitForSummary("abc"));
        HWND list = KxtOverlayControl(205);
        EXPECT_TRUE(KxtWaitUntil([&] {
            return IsWindowVisible(list) && KxtWindowRect(list).bottom > KxtWindowRect(list).top;
        })) << "the line is seen although no result was shown in this opening";
        EXPECT_EQ(KxtOverlayRowCount(), 0);
        KxtClickWindow(KxtOverlayControl(204));
        ASSERT_TRUE(KxtWaitForOverlayHidden());
    }
}

TEST_F(OverlayFixture, AHostThatStopsAnsweringDoesNotHoldTheHotKeysThread)
{
    Start();
    OpenWithHotkey();
    KxtTypeText(L"abc");
    ASSERT_TRUE(WaitForSummary("abc"));
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 4; }));
    // The host stops answering for longer than the plug-in waits for it.
    host->hangMs = 8000;
    KxtPressChord({}, VK_RETURN);
    ASSERT_TRUE(KxtWaitUntil([&] { return host->changeDirs.size() == 1; }));
    host->hangMs = 0;
    EXPECT_GE(
        KxtFindLine(KxtReadLogLines(plugin.LogPath()), "KxSendHostChangeDir: the host did not answer within 3000 ms"),
        0)
        << "given up while the host still hung";
    OpenWithHotkey();
}
