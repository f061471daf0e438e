#include <gtest/gtest.h>

#include <vector>

#include "search/everything_client.h"
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

struct ReplyItem {
    std::wstring path;
    ULONGLONG size;
    ULONGLONG date;
    bool folder;
};

void Put32(std::vector<BYTE>& out, size_t at, DWORD value)
{
    if (out.size() < at + 4) out.resize(at + 4);
    memcpy(out.data() + at, &value, 4);
}

std::vector<BYTE> BuildReply(const std::vector<ReplyItem>& items, DWORD total, DWORD requestFlags = 0x54)
{
    std::vector<BYTE> out(20 + 8 * items.size());
    Put32(out, 0, total);
    Put32(out, 4, (DWORD)items.size());
    Put32(out, 8, 0);
    Put32(out, 12, requestFlags);
    Put32(out, 16, 14);
    for (size_t i = 0; i < items.size(); ++i) {
        size_t dataOffset = out.size();
        Put32(out, 20 + 8 * i, items[i].folder ? 1 : 0);
        Put32(out, 24 + 8 * i, (DWORD)dataOffset);
        Put32(out, dataOffset, (DWORD)items[i].path.size());
        const BYTE* path = (const BYTE*)items[i].path.c_str();
        out.insert(out.end(), path, path + (items[i].path.size() + 1) * 2);
        const BYTE* size = (const BYTE*)&items[i].size;
        out.insert(out.end(), size, size + 8);
        const BYTE* date = (const BYTE*)&items[i].date;
        out.insert(out.end(), date, date + 8);
    }
    return out;
}

struct ReplyFixture : ::testing::Test {
    std::vector<KxResult> results = std::vector<KxResult>(8);
    KxQueryReply reply{0, 0, 0, nullptr, 8, 0};

    void SetUp() override { reply.results = results.data(); }
    void Read(const std::vector<BYTE>& bytes, int capacity = 8)
    {
        GuardedBlock block(bytes);
        reply.capacity = capacity;
        KxReadEverythingReply(block.data, block.size, reply);
    }
};

const std::vector<ReplyItem> kThree = {
    {L"C:\\docs\\report.pdf", 1234, 0x01D9000000000001ull, false},
    {L"D:\\Photos", 0, 0x01D9000000000002ull, true},
    {L"C:\\x.txt", 0xFFFFFFFF00000001ull, 3, false},
};

}  // namespace

TEST_F(ReplyFixture, WellFormedListIsCopiedWithSizesDatesAndFolderFlags)
{
    Read(BuildReply(kThree, 3));
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
    Read(BuildReply(kThree, 90000), 2);
    EXPECT_EQ(reply.count, 2);
    EXPECT_EQ(reply.total, 90000u);
    EXPECT_EQ(results[2].path[0], L'\0') << "nothing written past capacity";
}

TEST_F(ReplyFixture, LongPathIsCutButSizeAndDateComeFromTheFullLength)
{
    std::wstring longPath = L"C:\\" + std::wstring(3000, L'n');
    Read(BuildReply({{longPath, 77, 88, true}, {L"C:\\after", 5, 6, false}}, 2));
    ASSERT_EQ(reply.count, 2);
    EXPECT_EQ(wcslen(results[0].path), 2047u);
    EXPECT_EQ(std::wstring(results[0].path), longPath.substr(0, 2047));
    EXPECT_EQ(results[0].size, 77u);
    EXPECT_EQ(results[0].dateModified, 88u);
    EXPECT_EQ(results[0].isFolder, 1);
    EXPECT_STREQ(results[1].path, L"C:\\after");
}

TEST_F(ReplyFixture, EmptyListAndSecondReplyReplaceEarlierContent)
{
    Read(BuildReply(kThree, 3));
    Read(BuildReply({}, 0));
    EXPECT_EQ(reply.valid, 1);
    EXPECT_EQ(reply.count, 0);
    EXPECT_EQ(reply.total, 0u);
    Read(BuildReply({kThree[2]}, 1));
    EXPECT_EQ(reply.count, 1);
    EXPECT_STREQ(results[0].path, L"C:\\x.txt");
}

TEST_F(ReplyFixture, BlocksWithoutAListEndTheWaitWithoutResults)
{
    std::vector<BYTE> empty = BuildReply({}, 0);
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
    } cases[] = {
        {"19 bytes", std::vector<BYTE>(empty.begin(), empty.begin() + 19)},
        {"no full path requested", BuildReply(kThree, 3, 0x50)},
        {"no size requested", BuildReply(kThree, 3, 0x44)},
        {"no date requested", BuildReply(kThree, 3, 0x14)},
    };
    for (const Case& c : cases) {
        reply = {0, 1, 5, results.data(), 8, 0};
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
    std::vector<BYTE> good = BuildReply(kThree, 3);

    std::vector<BYTE> tooManyItems = good;
    Put32(tooManyItems, 4, 0x7FFFFFFF);
    Read(tooManyItems, 8);
    EXPECT_EQ(reply.valid, 1);
    EXPECT_EQ(reply.count, 3) << "the item table runs into the data; the fourth 'item' reads the first path";

    std::vector<BYTE> offsetOutside = good;
    Put32(offsetOutside, 24 + 8, (DWORD)good.size() - 2);
    Read(offsetOutside);
    EXPECT_EQ(reply.count, 1);

    std::vector<BYTE> hugeOffset = good;
    Put32(hugeOffset, 24, 0xFFFFFFF0);
    Read(hugeOffset);
    EXPECT_EQ(reply.count, 0);

    std::vector<BYTE> lengthOutside = good;
    DWORD thirdData;
    memcpy(&thirdData, good.data() + 24 + 16, 4);
    Put32(lengthOutside, thirdData, 0xFFFFFFFF);
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
