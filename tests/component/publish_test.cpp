#include <gtest/gtest.h>

#include "component/panel_fixture.h"
#include "search/search_composition.h"
#include "support/test_support.h"

namespace {

std::vector<KxtHit> KxtNumberedHits(const wchar_t* folder, int count)
{
    std::vector<KxtHit> hits;
    for (int i = 0; i < count; ++i) {
        wchar_t path[64];
        _snwprintf(path, 64, L"C:\\%ls\\item%03d.txt", folder, i);
        hits.push_back({path, (ULONGLONG)i, 0, 0});
    }
    return hits;
}

}  // namespace

TEST_F(PanelFixture, PublishReplacesOrAppendsAndSendsTheHostToTheFirstNewEntry)
{
    Publish(KxtNumberedHits(L"r", 10));
    EXPECT_EQ(g_publishedCount, 10);
    EXPECT_EQ(g_resultCount, 0) << "the overlay was closed, which empties the results";

    std::vector<int> first{0};
    Publish({{L"C:\\a\\notes.txt", 11, 22, 0}}, &first);
    EXPECT_EQ(KxtPublishedNames(), std::vector<std::string>{"notes.txt"});

    Publish({{L"C:\\b\\notes.txt", 33, 44, 1}, {L"C:\\A\\NOTES.TXT"}}, nullptr, 1);
    EXPECT_EQ(KxtPublishedNames(), (std::vector<std::string>{"notes.txt", "notes (2).txt"}))
        << "a path already published (in any case) is not added again";
    EXPECT_STREQ(g_published[1].path, L"C:\\b\\notes.txt");
    EXPECT_EQ(g_published[1].size, 33u);
    EXPECT_EQ(g_published[1].dateModified, 44u);
    EXPECT_EQ(g_published[1].isFolder, 1);

    Publish({{L"c:\\b\\NOTES.txt"}}, nullptr, 1);
    EXPECT_EQ(g_publishedCount, 2);

    // Each publish shows its first new entry; one that added nothing shows the first entry.
    std::vector<std::wstring> shown;
    for (const KxtChangeDirRecord& record : host->changeDirs) {
        EXPECT_TRUE(record.wellFormed);
        shown.push_back(record.path);
    }
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"\\\\\\Korvex\\item000.txt", L"\\\\\\Korvex\\notes.txt",
                                                L"\\\\\\Korvex\\notes (2).txt", L"\\\\\\Korvex\\notes.txt"}));
    EXPECT_EQ(LogCount("] KxPublishResultsToWfx: replaced, now 10 entries total in the WFX panel listing (source=all "
                       "results)."),
              1);
    EXPECT_EQ(LogCount("] KxPublishResultsToWfx: replaced, now 1 entry total in the WFX panel listing "
                       "(source=selection)."),
              1);
    EXPECT_EQ(LogCount("] KxPublishResultsToWfx: appended, now 2 entries total"), 2);
}

TEST_F(PanelFixture, PublishNamesEntriesUniquelyAndFollowsTheGivenPositions)
{
    std::vector<KxtHit> hits{{L"C:\\x\\Read.me"}, {L"D:\\y\\read.ME"},         {L"noslash.txt"},
                             {L"C:\\x\\Read.me"}, {L"C:\\p\\Photos", 0, 0, 1}, {L"C:\\q\\Photos\\", 0, 0, 1}};
    Publish(hits);
    EXPECT_EQ(KxtPublishedNames(), (std::vector<std::string>{"Read.me", "read (2).ME", "noslash.txt", "Read (3).me",
                                                             "Photos", "Photos (2)"}))
        << "replacing does not look for repeated paths";
    EXPECT_STREQ(g_published[2].path, L"noslash.txt");

    std::vector<int> positions{4, -1, 6, 0, 500};
    Publish(hits, &positions);
    EXPECT_EQ(KxtPublishedNames(), (std::vector<std::string>{"Photos", "Read.me"}));

    // Nothing valid selected: the set empties and the overlay closes, but the host is not sent anywhere.
    size_t sent = host->changeDirs.size();
    std::vector<int> outside{-5, 6};
    Publish(hits, &outside);
    EXPECT_EQ(g_publishedCount, 0);
    EXPECT_EQ(g_resultCount, 0);
    EXPECT_EQ(host->changeDirs.size(), sent);
    EXPECT_EQ(LogCount("] KxPublishResultsToWfx: replaced, now 0 entries total"), 1);
}

TEST_F(PanelFixture, PublishStopsAt500Entries)
{
    Publish(KxtNumberedHits(L"one", 500));
    Publish(KxtNumberedHits(L"two", 500), nullptr, 1);
    EXPECT_EQ(g_publishedCount, 500);
    EXPECT_STREQ(g_published[499].path, L"C:\\one\\item499.txt");
    EXPECT_EQ(LogCount("] KxPublishResultsToWfx: appended, now 500 entries total"), 1);
    ASSERT_EQ(host->changeDirs.size(), 2u);
    EXPECT_EQ(host->changeDirs[1].path, L"\\\\\\Korvex\\item000.txt") << "nothing new: the first entry";
}

TEST_F(PanelFixture, PublishDoesNothingWithoutResultsOrHostWindow)
{
    Publish({{L"C:\\a\\keep.txt"}});
    SetResults({});
    KxPublishResultsToWfx(host->main, nullptr, 0, 0);
    SetResults({{L"C:\\a\\other.txt"}});
    KxPublishResultsToWfx(nullptr, nullptr, 0, 0);
    EXPECT_EQ(g_resultCount, 1) << "the overlay stays open";
    EXPECT_EQ(KxtPublishedNames(), std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(host->changeDirs.size(), 1u);
    EXPECT_EQ(LogCount("KxPublishResultsToWfx"), 1);
}
