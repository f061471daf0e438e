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
        ASSERT_TRUE(KxtOpenOverlayByHotkey(*host, focus));
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
    ASSERT_TRUE(KxtOpenOverlayByHotkey(*host));
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
    KxtPressChord({}, VK_ESCAPE);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayText().empty(); }));
    KxtPressChord({}, VK_ESCAPE);
    // The stand-in never answers: closing at all shows that the query gave up. How soon (about 1.5 s,
    // the query's budget) is recorded rather than asserted, as a loaded machine stretches any time.
    ASSERT_TRUE(KxtWaitForOverlayHidden());
    RecordProperty("escape_to_hidden_ms", (int)(GetTickCount() - pressed));
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

namespace {

// Position calls on the overlay and its children, and the result sets the list was given,
// seen through subclasses (the plug-in's windows live in this process).
constexpr int KXT_WATCHED = 7;
const int kWatchedIds[KXT_WATCHED] = {0, 201, 202, 203, 204, 206, 205};  // 0: the overlay itself
HWND g_watched[KXT_WATCHED];
WNDPROC g_watchedProcs[KXT_WATCHED];
volatile LONG g_positionChanges[KXT_WATCHED];
volatile LONG g_resultSets;

LRESULT CALLBACK KxtWatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int i = 0;
    while (i < KXT_WATCHED - 1 && g_watched[i] != window) ++i;
    // Every SetWindowPos counts, also one to the same place: each costs a round of window traffic.
    if (message == WM_WINDOWPOSCHANGING) InterlockedIncrement(&g_positionChanges[i]);
    if (message == LB_SETCOUNT) InterlockedIncrement(&g_resultSets);
    return CallWindowProcW(g_watchedProcs[i], window, message, wParam, lParam);
}

void KxtWatchOverlay()
{
    for (int i = 0; i < KXT_WATCHED; ++i) {
        g_watched[i] = i == 0 ? KxtFindOverlay() : KxtOverlayControl(kWatchedIds[i]);
        g_watchedProcs[i] = (WNDPROC)SetWindowLongPtrW(g_watched[i], GWLP_WNDPROC, (LONG_PTR)KxtWatchProc);
    }
}

void KxtUnwatchOverlay()
{
    for (int i = 0; i < KXT_WATCHED; ++i) SetWindowLongPtrW(g_watched[i], GWLP_WNDPROC, (LONG_PTR)g_watchedProcs[i]);
}

void KxtResetPositionChanges()
{
    for (volatile LONG& changes : g_positionChanges) InterlockedExchange(&changes, 0);
}

}  // namespace

TEST_F(OverlayFixture, ALayoutMovesOnlyTheWindowsWhoseRectanglesChanged)
{
    Start(L"Position=Top\r\n", 0, 30);
    OpenWithHotkey();
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 0; }));
    KxtWatchOverlay();
    LONG sets = g_resultSets;
    KxtResetPositionChanges();
    KxtTypeText(L"abc");
    ASSERT_TRUE(KxtWaitUntil([&] { return g_resultSets > sets && KxtOverlayRowCount() == 31; }));
    EXPECT_GT(g_positionChanges[0], 0) << "the overlay grows";
    EXPECT_GT(g_positionChanges[KXT_WATCHED - 1], 0) << "the list is shown";
    for (int i = 1; i < KXT_WATCHED - 1; ++i)
        EXPECT_EQ(g_positionChanges[i], 0) << "the search bar stays where it is at the top, control " << kWatchedIds[i];

    // Another 31 hits fill the same 20 rows: nothing moves at all.
    sets = g_resultSets;
    KxtResetPositionChanges();
    KxtTypeText(L"-");
    ASSERT_TRUE(WaitForSummary("abc-"));
    ASSERT_TRUE(KxtWaitUntil([&] { return g_resultSets > sets; }));
    for (int i = 0; i < KXT_WATCHED; ++i) EXPECT_EQ(g_positionChanges[i], 0) << "window " << kWatchedIds[i];
    KxtUnwatchOverlay();
}
