#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "search/everything_client.h"
#include "support/reply_fuzz.h"
#include "support/test_support.h"

namespace {

// A reply block that ends exactly at a page the process may not read, so any read
// beyond the announced size faults instead of passing unnoticed.
struct GuardedBlock {
    BYTE* base = nullptr;
    BYTE* data = nullptr;
    DWORD size = 0;

    explicit GuardedBlock(const std::vector<BYTE>& bytes)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        SIZE_T page = info.dwPageSize;
        SIZE_T dataPages = (bytes.size() + page - 1) / page + 1;
        base = (BYTE*)VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        DWORD old;
        VirtualProtect(base + dataPages * page, page, PAGE_NOACCESS, &old);
        size = (DWORD)bytes.size();
        data = base + dataPages * page - size;
        memcpy(data, bytes.data(), size);
    }
    ~GuardedBlock() { VirtualFree(base, 0, MEM_RELEASE); }
};

struct ReplyFixture : ::testing::Test {
    std::vector<KxResult> results = std::vector<KxResult>(8);
    KxQueryReply reply{0, 0, 0, nullptr, 8, 0, 0, 0};

    void SetUp() override { reply.results = results.data(); }
    void Read(const std::vector<BYTE>& bytes, int capacity = 8)
    {
        GuardedBlock block(bytes);
        reply.capacity = capacity;
        KxReadEverythingReply(block.data, block.size, reply);
    }
};

const std::vector<KxtReplyItem> kThree = {
    {L"C:\\docs\\report.pdf", 1234, 0x01D9000000000001ull, false},
    {L"D:\\Photos", 0, 0x01D9000000000002ull, true},
    {L"C:\\x.txt", 0xFFFFFFFF00000001ull, 3, false},
};

}  // namespace

TEST_F(ReplyFixture, WellFormedListIsCopiedWithSizesDatesAndFolderFlags)
{
    Read(KxtBuildReply(kThree, 3));
    EXPECT_EQ(reply.done, 1);
    EXPECT_EQ(reply.valid, 1);
    ASSERT_EQ(reply.count, 3);
    EXPECT_EQ(reply.total, 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(results[i].path, kThree[i].path);
        EXPECT_EQ(results[i].size, kThree[i].size);
        EXPECT_EQ(results[i].dateModified, kThree[i].date);
        EXPECT_EQ(results[i].isFolder, kThree[i].folder ? 1 : 0);
    }
}

TEST_F(ReplyFixture, CapacityLimitsTheCopyButNotTheTotal)
{
    Read(KxtBuildReply(kThree, 90000), 2);
    EXPECT_EQ(reply.count, 2);
    EXPECT_EQ(reply.total, 90000u);
    EXPECT_EQ(results[2].path[0], L'\0') << "nothing written past capacity";
}

TEST_F(ReplyFixture, PathsThatDoNotFitAreLeftOutNeverCut)
{
    std::wstring fits = L"C:\\" + std::wstring(2044, L'n');  // 2047 units
    std::wstring cutWouldNameFits = fits + L".bak";          // 2051 units
    struct Case {
        const char* what;
        std::vector<KxtReplyItem> items;
        int capacity;
        std::vector<std::wstring> listed;
        int leftOut;
    } cases[] = {
        {"2047 units fit", {{fits, 77, 88, true}}, 8, {fits}, 0},
        {"2048 units do not", {{fits + L"x", 1, 2, false}, {L"C:\\after", 5, 6, false}}, 8, {L"C:\\after"}, 1},
        {"a cut would name the fitting file",
         {{cutWouldNameFits, 1, 2, false}, {fits, 3, 4, false}},
         8,
         {fits},
         1},
        {"a hit left out makes room for the next",
         {{L"C:\\a", 1, 1, false}, {std::wstring(3000, L'z'), 1, 1, false}, {L"C:\\b", 1, 1, false},
          {L"C:\\c", 1, 1, false}},
         2,
         {L"C:\\a", L"C:\\b"},
         1},
    };
    for (const Case& c : cases) {
        Read(KxtBuildReply(c.items, 90000), c.capacity);
        EXPECT_EQ(reply.total, 90000u) << c.what << ": the total stays Everything's";
        EXPECT_EQ(reply.leftOut, c.leftOut) << c.what;
        ASSERT_EQ(reply.count, (int)c.listed.size()) << c.what;
        for (int i = 0; i < reply.count; ++i) EXPECT_EQ(results[i].path, c.listed[i]) << c.what;
    }
    Read(KxtBuildReply({{fits, 77, 88, true}}, 1));
    EXPECT_EQ(results[0].size, 77u);
    EXPECT_EQ(results[0].dateModified, 88u);
    EXPECT_EQ(results[0].isFolder, 1);
}

TEST_F(ReplyFixture, EmptyListAndSecondReplyReplaceEarlierContent)
{
    Read(KxtBuildReply(kThree, 3));
    Read(KxtBuildReply({}, 0));
    EXPECT_EQ(reply.valid, 1);
    EXPECT_EQ(reply.count, 0);
    EXPECT_EQ(reply.total, 0u);
    Read(KxtBuildReply({kThree[2]}, 1));
    EXPECT_EQ(reply.count, 1);
    EXPECT_STREQ(results[0].path, L"C:\\x.txt");
}

TEST_F(ReplyFixture, BlocksWithoutAListEndTheWaitWithoutResults)
{
    std::vector<BYTE> empty = KxtBuildReply({}, 0);
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
    } cases[] = {
        {"19 bytes", std::vector<BYTE>(empty.begin(), empty.begin() + 19)},
        {"no full path requested", KxtBuildReply(kThree, 3, 0x50)},
        {"no size requested", KxtBuildReply(kThree, 3, 0x44)},
        {"no date requested", KxtBuildReply(kThree, 3, 0x14)},
    };
    for (const Case& c : cases) {
        reply = {0, 1, 5, results.data(), 8, 0, 0, 0};
        Read(c.bytes);
        EXPECT_EQ(reply.done, 1) << c.what;
        EXPECT_EQ(reply.valid, 0) << c.what;
        EXPECT_EQ(reply.count, 0) << c.what;
    }
    reply = {};
    KxReadEverythingReply(nullptr, 100, reply);
    EXPECT_EQ(reply.done, 1);
    EXPECT_EQ(reply.valid, 0);
}

TEST_F(ReplyFixture, ItemsReachingOutsideTheBlockEndTheListThere)
{
    std::vector<BYTE> good = KxtBuildReply(kThree, 3);

    std::vector<BYTE> tooManyItems = good;
    KxtPut32(tooManyItems, 4, 0x7FFFFFFF);
    Read(tooManyItems, 8);
    EXPECT_EQ(reply.valid, 1);
    EXPECT_EQ(reply.count, 3) << "the item table runs into the data; the fourth 'item' reads the first path";

    std::vector<BYTE> offsetOutside = good;
    KxtPut32(offsetOutside, 24 + 8, (DWORD)good.size() - 2);
    Read(offsetOutside);
    EXPECT_EQ(reply.count, 1);

    std::vector<BYTE> hugeOffset = good;
    KxtPut32(hugeOffset, 24, 0xFFFFFFF0);
    Read(hugeOffset);
    EXPECT_EQ(reply.count, 0);

    std::vector<BYTE> lengthOutside = good;
    DWORD thirdData;
    memcpy(&thirdData, good.data() + 24 + 16, 4);
    KxtPut32(lengthOutside, thirdData, 0xFFFFFFFF);
    Read(lengthOutside);
    EXPECT_EQ(reply.count, 2);

    std::vector<BYTE> cutDate(good.begin(), good.end() - 1);
    Read(cutDate);
    EXPECT_EQ(reply.count, 2) << "the last item's date lies one byte past the block";

    std::vector<BYTE> tableCut(good.begin(), good.begin() + 20 + 8 + 4);
    Read(tableCut);
    EXPECT_EQ(reply.count, 0);
}

TEST(QueryString, PartsAreJoinedWithSingleSpacesAndEmptyPartsLeaveNoTrace)
{
    struct Case {
        const wchar_t *prefix, *text, *suffix, *expected;
    } cases[] = {
        {L"filter:\"Audio\"", L"beatles", L"file:", L"filter:\"Audio\" beatles file:"},
        {nullptr, L"beatles", L"file:", L"beatles file:"},
        {L"", L"beatles", L"folder:", L"beatles folder:"},
        {L"<C:\\|D:\\>", L"", L"file:", L"<C:\\|D:\\> file:"},
        {L"<C:\\|D:\\>", nullptr, nullptr, L"<C:\\|D:\\>"},
        {nullptr, nullptr, nullptr, L""},
        {L"", L"", L"", L""},
        {nullptr, L"\"annual rep", L"file:", L"\"annual rep\" file:"},  // a phrase being typed
        {nullptr, L"\"annual rep", nullptr, L"\"annual rep"},
    };
    for (const Case& c : cases) {
        wchar_t out[1024];
        KxComposeQueryString(c.prefix, c.text, c.suffix, out, 1024);
        EXPECT_STREQ(out, c.expected);
    }
    std::wstring longText(1500, L'q');
    wchar_t out[1024];
    KxComposeQueryString(L"p", longText.c_str(), L"file:", out, 1024);
    EXPECT_EQ(wcslen(out), 1023u);
    EXPECT_EQ(std::wstring(out).substr(0, 3), L"p q");
}

TEST(QueryString, TheTypedTextIsCutNeverTheSuffix)
{
    // The longest prefix (399) and text (899) the search can pass.
    std::wstring prefix = L"filter:\"" + std::wstring(390, L'f') + L"\"";
    ASSERT_EQ(prefix.size(), 399u);
    struct Case {
        const char* what;
        std::wstring text;
        std::wstring expectedEnd;
    } cases[] = {
        {"plain text", std::wstring(899, L'q'), L"qqq folder:"},
        {"a phrase left open by the cut is closed", L"\"" + std::wstring(898, L'q'), L"qq\" folder:"},
        {"a closed phrase stays as it is", std::wstring(500, L'q') + L"\"annual report\"" + std::wstring(384, L'q'),
         L"qqq folder:"},
        {"no half of a surrogate pair", std::wstring(614, L'q') + L"\U0001F600" + std::wstring(283, L'y'),
         L"qq folder:"},
    };
    for (Case& c : cases) {
        wchar_t out[1024];
        KxComposeQueryString(prefix.c_str(), c.text.c_str(), L"folder:", out, 1024);
        std::wstring query = out;
        EXPECT_LE(query.size(), 1023u) << c.what;
        EXPECT_EQ(query.substr(0, 400), prefix + L" ") << c.what;
        ASSERT_GE(query.size(), c.expectedEnd.size()) << c.what;
        EXPECT_EQ(query.substr(query.size() - c.expectedEnd.size()), c.expectedEnd) << c.what;
        EXPECT_EQ(std::count(query.begin(), query.end(), L'"') % 2, 0) << c.what;
    }
}

TEST(QueryFailure, WhatTheSendReturnedSaysWhyEverythingCannotBeAsked)
{
    struct Case {
        LRESULT sent;
        DWORD error;
        const wchar_t* text;
    } cases[] = {
        {1, 0, nullptr},
        {0, ERROR_ACCESS_DENIED, L"Everything runs as administrator \u2014 start it without, or run it as a service"},
        {0, ERROR_TIMEOUT, L"Everything did not answer in time"},
        {0, 0, L"Everything did not answer in time"},
        {0, ERROR_INVALID_WINDOW_HANDLE, L"Everything is not running"},
    };
    for (const Case& c : cases) {
        const wchar_t* text = KxQueryFailureText(KxClassifyQuerySend(c.sent, c.error));
        if (!c.text)
            EXPECT_EQ(text, nullptr);
        else
            EXPECT_STREQ(text, c.text) << c.error;
    }
    EXPECT_STREQ(KxQueryFailureText(KX_QUERY_LOADING), L"Everything is still loading its index");
}

TEST(ReplyFuzz, OneHundredThousandBrokenRepliesAreReadWithinTheirBlocks)
{
    KxtGuardedArea area;
    std::mt19937 random(20261208);
    std::vector<KxResult> results(5);
    int valid = 0;
    for (int run = 0; run < 100000; ++run) {
        std::vector<BYTE> bytes = KxtMutatedReply(random);
        const BYTE* data = area.Place(bytes);
        KxQueryReply reply{0, 0, 0, results.data(), (int)(random() % 6), 0, 0, 0};
        KxReadEverythingReply(bytes.empty() ? nullptr : data, (DWORD)bytes.size(), reply);
        ASSERT_EQ(reply.done, 1);
        ASSERT_GE(reply.count, 0);
        ASSERT_LE(reply.count, reply.capacity);
        for (int i = 0; i < reply.count; ++i) ASSERT_LT(wcsnlen(results[i].path, KX_PATH_CHARS), (size_t)KX_PATH_CHARS);
        valid += reply.valid;
    }
    EXPECT_GT(valid, 1000) << "the mutations must leave enough replies readable to reach the item checks";
}
