#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "core/log.h"
#include "peers/everything_peer_launcher.h"
#include "search/everything_client.h"
#include "search/search_composition.h"
#include "support/test_support.h"

namespace {

struct QueryFixture : ::testing::Test {
    std::wstring folder = KxtMakeTempFolder();
    std::wstring tree = folder + L"tree\\";
    KxtEverythingPeer peer;
    std::vector<KxResult> results = std::vector<KxResult>(500);
    int count = -1;
    DWORD total = 12345;

    void SetUp() override
    {
        lstrcpynW(g_logPath, (folder + L"Korvex.log").c_str(), 2048);
        g_loggingEnabled = 1;
        g_settings.sortType = 1;
        g_searchRestart = 0;
    }
    void TearDown() override { KxtStopEverythingPeer(peer); }

    void Serve(KxtEverythingPeerOptions options, const std::vector<KxtTreeItem>& items)
    {
        ASSERT_TRUE(KxtCreateTree(tree, items));
        options.roots.push_back(tree);
        ASSERT_TRUE(KxtStartEverythingPeer(options, peer));
    }
    int Query(const wchar_t* text, int capacity, const wchar_t* suffix = L"file:")
    {
        return KxRunEverythingQuery(nullptr, text, suffix, results.data(), capacity, &count, &total);
    }
    std::wstring Name(int i) const { return wcsrchr(results[i].path, L'\\') + 1; }
};

std::vector<KxtTreeItem> NumberedReports(int n)
{
    std::vector<KxtTreeItem> items;
    for (int i = 0; i < n; ++i) {
        wchar_t name[64];
        _snwprintf(name, 64, L"docs\\report-%02d.pdf", i);
        items.push_back({name, (ULONGLONG)(1000 + i), KxtFileTimeOf(2024, 1, 1 + i % 28)});
    }
    items.push_back({L"docs\\reports\\", 0, KxtFileTimeOf(2023, 5, 6)});
    items.push_back({L"docs\\notes.txt", 7, 0});
    return items;
}

DWORD KxtElapsedSince(DWORD start)
{
    return GetTickCount() - start;
}

}  // namespace

TEST_F(QueryFixture, HitsCarryPathSizeDateAndFolderFlagAndTotalsExceedCapacity)
{
    Serve({}, NumberedReports(30));
    ASSERT_EQ(Query(L"report", 10), 1);
    EXPECT_EQ(count, 10);
    EXPECT_EQ(total, 30u) << "Everything's total is kept when it exceeds the capacity";
    EXPECT_EQ(Name(0), L"report-00.pdf");
    EXPECT_EQ(Name(9), L"report-09.pdf");
    EXPECT_EQ(std::wstring(results[0].path), tree + L"docs\\report-00.pdf");
    EXPECT_EQ(results[3].size, 1003u);
    EXPECT_EQ(results[3].dateModified, KxtFileTimeOf(2024, 1, 4));
    EXPECT_EQ(results[3].isFolder, 0);

    ASSERT_EQ(Query(L"reports", 10, L"folder:"), 1);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(results[0].isFolder, 1);
    EXPECT_EQ(results[0].dateModified, KxtFileTimeOf(2023, 5, 6));

    std::vector<std::string> queries = KxtReadPeerQueries(peer);
    ASSERT_EQ(queries.size(), 2u);
    EXPECT_EQ(queries[0], "max=10 offset=0 flags=0x54 sort=1 search=[report file:]");
    EXPECT_EQ(queries[1], "max=10 offset=0 flags=0x54 sort=1 search=[reports folder:]");
    EXPECT_GE(KxtFindLine(KxtReadLogLines(folder + L"Korvex.log"), "KxRunEverythingQuery: IPC query=[report file:] cap=10"),
              0);
}

TEST_F(QueryFixture, SortOrderSettingTravelsWithTheQuery)
{
    Serve({}, NumberedReports(5));
    g_settings.sortType = 6;  // size, largest first
    ASSERT_EQ(Query(L"report", 5), 1);
    ASSERT_EQ(count, 5);
    EXPECT_EQ(Name(0), L"report-04.pdf");
    EXPECT_EQ(Name(4), L"report-00.pdf");
    EXPECT_EQ(KxtReadPeerQueries(peer).back(), "max=5 offset=0 flags=0x54 sort=6 search=[report file:]");
}

TEST_F(QueryFixture, NoMatchIsASuccessWithNothing)
{
    Serve({}, NumberedReports(3));
    ASSERT_EQ(Query(L"nosuchword", 10), 1);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(total, 0u);
}

TEST_F(QueryFixture, ASecondReplyReplacesTheFirst)
{
    KxtEverythingPeerOptions options;
    options.twice = true;
    options.replyInline = true;
    Serve(options, NumberedReports(12));
    ASSERT_EQ(Query(L"report", 50), 1);
    EXPECT_EQ(count, 12);
    EXPECT_EQ(total, 12u);
    EXPECT_EQ(Name(11), L"report-11.pdf");
}

TEST_F(QueryFixture, RepliesArrivingDuringTheWaitAreTaken)
{
    KxtEverythingPeerOptions options;
    options.delayMs = 300;
    Serve(options, NumberedReports(4));
    ASSERT_EQ(Query(L"report", 50), 1);
    EXPECT_EQ(count, 4);
}

TEST_F(QueryFixture, EverythingNotRunningFailsAtOnceWithoutAReplyWindow)
{
    DWORD start = GetTickCount();
    EXPECT_EQ(Query(L"report", 10), 0);
    EXPECT_LT(KxtElapsedSince(start), 1400u) << "no wait for a reply that cannot come";
    EXPECT_EQ(count, 0);
    EXPECT_EQ(total, 0u);
    WNDCLASSW unused;
    EXPECT_FALSE(GetClassInfoW(nullptr, L"KorvexEverythingIpcHelper", &unused)) << "no reply window was made";
    EXPECT_GE(KxtFindLine(KxtReadLogLines(folder + L"Korvex.log"),
                          "KxRunEverythingQuery: Everything's IPC window not found - is Everything running?"),
              0);
    EXPECT_STREQ(g_searchFailureText, L"Everything is not running");
    EXPECT_GE(KxtFindLine(KxtReadLogLines(folder + L"Korvex.log"), "KxRunEverythingQuery: Everything is not running"),
              0);
}

TEST_F(QueryFixture, SilentEngineTimesOutAfterFifteenHundredMilliseconds)
{
    KxtEverythingPeerOptions options;
    options.silent = true;
    Serve(options, NumberedReports(3));
    results[0].path[0] = L'Z';
    results[0].path[1] = L'\0';
    DWORD start = GetTickCount();
    EXPECT_EQ(Query(L"report", 10), 0);
    DWORD elapsed = KxtElapsedSince(start);
    EXPECT_GE(elapsed, 1480u);
    EXPECT_LT(elapsed, 10000u);
    EXPECT_STREQ(results[0].path, L"Z") << "the caller's array is untouched";
    EXPECT_EQ(count, 0);
}

namespace {

void CALLBACK KxtRequestRestart(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    g_searchRestart = 1;
}

}  // namespace

TEST_F(QueryFixture, RestartRequestAbandonsTheWait)
{
    KxtEverythingPeerOptions options;
    options.delayMs = 8000;
    Serve(options, NumberedReports(3));
    SetTimer(nullptr, 0, 50, KxtRequestRestart);
    DWORD start = GetTickCount();
    EXPECT_EQ(Query(L"report", 10), 0);
    EXPECT_LT(KxtElapsedSince(start), 1450u) << "the wait ends at the first wake-up after the request";
    EXPECT_EQ(count, 0);
}

TEST_F(QueryFixture, AnOldQuitMessageEndsTheQueryAndStillReachesTheLoop)
{
    KxtEverythingPeerOptions options;
    options.delayMs = 400;
    Serve(options, NumberedReports(3));
    PostQuitMessage(42);
    EXPECT_EQ(Query(L"report", 10), 0);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 42u);
}

TEST_F(QueryFixture, MalformedRepliesAreReadOnlyWithinTheirBlock)
{
    struct Case {
        const wchar_t* kind;
        int ok;
        int maxCount;  // items that can be taken before the fault in the block
    } cases[] = {
        {L"short", 0, 0},          {L"empty", 0, 0},          {L"numitems-overflow", 1, 8},
        {L"offset-outside", 1, 8}, {L"length-outside", 1, 8}, {L"no-request-flags", 0, 0},
        {L"wrong-dwdata", 0, 0},
    };
    ASSERT_TRUE(KxtCreateTree(tree, NumberedReports(8)));
    for (const Case& c : cases) {
        KxtEverythingPeerOptions options;
        options.roots.push_back(tree);
        options.malformed = c.kind;
        ASSERT_TRUE(KxtStartEverythingPeer(options, peer)) << KxtUtf8(c.kind);
        count = -1;
        EXPECT_EQ(Query(L"report", 50), c.ok) << KxtUtf8(c.kind);
        EXPECT_GE(count, 0) << KxtUtf8(c.kind);
        EXPECT_LE(count, c.maxCount) << KxtUtf8(c.kind);
        for (int i = 0; i < count; ++i) EXPECT_EQ(Name(i).substr(0, 7), L"report-") << KxtUtf8(c.kind);
        KxtStopEverythingPeer(peer);
    }
}

TEST_F(QueryFixture, AHitWhosePathDoesNotFitIsLeftOutNeverCutIntoAnotherFilesPath)
{
    // A real file whose path is exactly 2047 code units, and beside it the same name with ".bak": cut at
    // 2047 units, the longer hit would name the shorter file.
    std::wstring deep = L"deep\\";
    for (int level = 0; level < 9; ++level) deep += std::wstring(200, (wchar_t)(L'a' + level)) + L"\\";
    size_t room = 2047 - (tree.size() + deep.size());
    ASSERT_GT(room, 20u);
    std::wstring name = L"report" + std::wstring(room - 10, L'r') + L".txt";
    ASSERT_EQ((tree + deep + name).size(), 2047u);
    Serve({}, {{deep + name, 4321, KxtFileTimeOf(2022, 2, 2)}, {deep + name + L".bak", 99, 0}});
    ASSERT_EQ(Query(L"report", 10), 1);
    ASSERT_EQ(count, 1) << "the hit of 2051 units is left out";
    EXPECT_EQ(total, 2u) << "the total stays Everything's";
    EXPECT_EQ(std::wstring(results[0].path), tree + deep + name);
    EXPECT_EQ(results[0].size, 4321u);
    EXPECT_EQ(results[0].dateModified, KxtFileTimeOf(2022, 2, 2));
    EXPECT_GE(KxtFindLine(KxtReadLogLines(folder + L"Korvex.log"),
                          "KxRunEverythingQuery: left out 1 hit(s) whose paths are longer than 2047 characters"),
              0);
}

TEST_F(QueryFixture, AnEverythingInstanceWindowAnswersWhenThePlainOneIsMissing)
{
    KxtEverythingPeerOptions options;
    options.windowClass = L"EVERYTHING_TASKBAR_NOTIFICATION_(1.5a)";
    Serve(options, NumberedReports(2));
    ASSERT_EQ(Query(L"report", 10), 1);
    EXPECT_EQ(count, 2);
    EXPECT_GE(KxtFindLine(KxtReadLogLines(folder + L"Korvex.log"),
                          "Everything answers through window class EVERYTHING_TASKBAR_NOTIFICATION_(1.5a)"),
              0);

    // The plain class keeps priority.
    std::wstring otherTree = folder + L"other\\";
    ASSERT_TRUE(KxtCreateTree(otherTree, {{L"report-plain.pdf", 1, 0}}));
    KxtEverythingPeer plain;
    KxtEverythingPeerOptions plainOptions;
    plainOptions.roots.push_back(otherTree);
    ASSERT_TRUE(KxtStartEverythingPeer(plainOptions, plain));
    ASSERT_EQ(Query(L"report", 10), 1);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Name(0), L"report-plain.pdf");
    KxtStopEverythingPeer(plain);
}

TEST_F(QueryFixture, AHungEverythingHoldsTheQueryNoLongerThanItsBudget)
{
    KxtEverythingPeerOptions options;
    options.hung = true;
    Serve(options, NumberedReports(3));
    DWORD start = GetTickCount();
    EXPECT_EQ(Query(L"report", 10), 0);
    EXPECT_LT(KxtElapsedSince(start), 1600u) << "the send shares the 1500 ms budget with the wait";
    EXPECT_STREQ(g_searchFailureText, L"Everything did not answer in time");
    EXPECT_GE(KxtFindLine(KxtReadLogLines(folder + L"Korvex.log"),
                          "KxRunEverythingQuery: Everything did not answer in time"),
              0);
}

TEST_F(QueryFixture, AnEverythingStillLoadingItsIndexSaysSoAndASuccessClearsTheLine)
{
    KxtEverythingPeerOptions options;
    options.loading = true;
    Serve(options, NumberedReports(3));
    EXPECT_EQ(Query(L"report", 10), 0);
    EXPECT_STREQ(g_searchFailureText, L"Everything is still loading its index");
    EXPECT_GE(KxtFindLine(KxtReadLogLines(folder + L"Korvex.log"),
                          "KxRunEverythingQuery: Everything is still loading its index"),
              0);
    KxtStopEverythingPeer(peer);

    KxtEverythingPeerOptions loaded;
    loaded.roots.push_back(tree);
    ASSERT_TRUE(KxtStartEverythingPeer(loaded, peer));
    EXPECT_EQ(Query(L"nosuchword", 10), 1) << "an empty answer of a loaded index is no failure";
    EXPECT_EQ(g_searchFailureText, nullptr);
}

TEST_F(QueryFixture, TheLateReplyOfAnAbandonedQueryIsDropped)
{
    KxtEverythingPeerOptions options;
    options.delayMs = 600;
    Serve(options, NumberedReports(3));
    SetTimer(nullptr, 0, 50, KxtRequestRestart);
    EXPECT_EQ(Query(L"report", 10), 0);
    g_searchRestart = 0;
    // The peer answers both in the order asked: the first, stale answer arrives during this wait.
    ASSERT_EQ(Query(L"notes", 10), 1);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(Name(0), L"notes.txt");
    EXPECT_EQ(KxtReadPeerQueries(peer).size(), 2u);
}
