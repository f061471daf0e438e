#include <gtest/gtest.h>
#include <string.h>

#include "peers/everything_peer_launcher.h"
#include "support/test_support.h"

// The Everything stand-in checked with raw window messages and a reader of its own, so that a fault in
// the peer's records is not hidden by the same fault in the plug-in's client.

namespace {

struct KxtRawReply {
    ULONG_PTR message;
    std::string bytes;
    bool nullData;
    HWND sender;
};

std::vector<KxtRawReply> g_kxtRawReplies;

LRESULT CALLBACK KxtRawReplyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA) return DefWindowProcW(window, message, wParam, lParam);
    const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const char* bytes = static_cast<const char*>(data->lpData);
    g_kxtRawReplies.push_back({data->dwData, bytes ? std::string(bytes, data->cbData) : std::string(),
                               data->lpData == nullptr, (HWND)wParam});
    return TRUE;
}

HWND KxtCreateRawReplyWindow()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = KxtRawReplyProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KxtRawEverythingReply";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
}

void KxtPut32(std::string& block, uint32_t value)
{
    block.append(reinterpret_cast<const char*>(&value), 4);
}

uint32_t KxtGet32(const std::string& block, size_t at)
{
    uint32_t value = 0;
    if (at <= block.size() && block.size() - at >= 4) memcpy(&value, block.data() + at, 4);
    return value;
}

uint64_t KxtGet64(const std::string& block, size_t at)
{
    uint64_t value = 0;
    if (at <= block.size() && block.size() - at >= 8) memcpy(&value, block.data() + at, 8);
    return value;
}

std::string KxtQueryBlock(HWND reply, uint32_t maxResults, uint32_t offset, uint32_t requestFlags, uint32_t sortType,
                          const std::wstring& search)
{
    std::string block;
    for (uint32_t field : {(uint32_t)(ULONG_PTR)reply, 18u, 0u, offset, maxResults, requestFlags, sortType})
        KxtPut32(block, field);
    block.append(reinterpret_cast<const char*>(search.c_str()), (search.size() + 1) * 2);
    return block;
}

void KxtSendRaw(HWND peer, HWND reply, const std::string& block, ULONG_PTR message = 18)
{
    COPYDATASTRUCT data{message, (DWORD)block.size(), const_cast<char*>(block.data())};
    SendMessageW(peer, WM_COPYDATA, (WPARAM)reply, (LPARAM)&data);
}

struct KxtListItem {
    uint32_t flags;
    std::wstring path;
    uint64_t size;
    uint64_t lastWrite;
};

struct KxtList {
    uint32_t total, count, offset, requestFlags, sortType;
    std::vector<KxtListItem> items;
};

// Reads a list strictly: every item's data must follow the previous one's without gap, with the fields
// the header announces, and the block must end exactly after the last item's data.
testing::AssertionResult KxtDecodeList(const std::string& block, KxtList& list)
{
    if (block.size() < 20) return testing::AssertionFailure() << "block of " << block.size() << " bytes";
    list = {KxtGet32(block, 0), KxtGet32(block, 4), KxtGet32(block, 8), KxtGet32(block, 12), KxtGet32(block, 16), {}};
    if ((block.size() - 20) / 8 < list.count) return testing::AssertionFailure() << "item table runs past the block";
    size_t expected = 20 + 8 * (size_t)list.count;
    for (uint32_t i = 0; i < list.count; ++i) {
        KxtListItem item{KxtGet32(block, 20 + 8 * i), L"", 0, 0};
        size_t at = KxtGet32(block, 24 + 8 * i);
        if (at != expected)
            return testing::AssertionFailure() << "item " << i << " data at " << at << ", not " << expected;
        if (list.requestFlags & 0x4) {
            size_t length = KxtGet32(block, at);
            // Subtracted from the room left, as a sum of a huge length would wrap in a 32-bit size_t.
            if (block.size() - at < 6 || (block.size() - at - 6) / 2 < length) return testing::AssertionFailure() << "item " << i << " path";
            item.path.assign(reinterpret_cast<const wchar_t*>(block.data() + at + 4), length);
            if (KxtGet32(block, at + 4 + 2 * length) % 0x10000 != 0)
                return testing::AssertionFailure() << "item " << i << " path without terminator";
            at += 4 + 2 * length + 2;
        }
        if (list.requestFlags & 0x10) item.size = KxtGet64(block, at), at += 8;
        if (list.requestFlags & 0x40) item.lastWrite = KxtGet64(block, at), at += 8;
        if (at > block.size()) return testing::AssertionFailure() << "item " << i << " data runs past the block";
        list.items.push_back(item);
        expected = at;
    }
    if (expected != block.size()) return testing::AssertionFailure() << block.size() - expected << " bytes left over";
    return testing::AssertionSuccess();
}

std::wstring KxtNameOf(const std::wstring& path)
{
    return path.substr(path.rfind(L'\\') + 1);
}

std::vector<std::wstring> KxtNames(const KxtList& list)
{
    std::vector<std::wstring> names;
    for (const KxtListItem& item : list.items) names.push_back(KxtNameOf(item.path));
    return names;
}

// Names in name order (code units, lower case): the "Ä" sorts after every ASCII letter.
const std::vector<std::wstring> kKxtAllByName = {L"2024",       L"Annual Report.txt", L"docs",
                                                 L"music",      L"notes.txt",         L"readme",
                                                 L"report.pdf", L"summary.PDF",       L"\u00c4rger.mp3"};

class EverythingPeer : public testing::Test {
protected:
    void SetUp() override
    {
        g_kxtRawReplies.clear();
        root = KxtMakeTempFolder();
        ASSERT_TRUE(KxtCreateTree(root, {
                                            {L"docs\\", 0, KxtFileTimeOf(2020, 1, 1)},
                                            {L"docs\\report.pdf", 5000, KxtFileTimeOf(2022, 1, 1)},
                                            {L"docs\\Annual Report.txt", 120, KxtFileTimeOf(2021, 1, 1)},
                                            {L"docs\\2024\\", 0, KxtFileTimeOf(2023, 1, 1)},
                                            {L"docs\\2024\\summary.PDF", 70000, KxtFileTimeOf(2024, 1, 1)},
                                            {L"music\\", 0, KxtFileTimeOf(2020, 6, 1)},
                                            {L"music\\\u00c4rger.mp3", 3000000, KxtFileTimeOf(2024, 6, 1, 12, 30, 5)},
                                            {L"music\\notes.txt", 10, KxtFileTimeOf(2019, 1, 1)},
                                            {L"readme", 0, KxtFileTimeOf(2025, 1, 1)},
                                        }));
        // Everything lists hidden files too.
        SetFileAttributesW((root + L"readme").c_str(), FILE_ATTRIBUTE_HIDDEN);
        replyWindow = KxtCreateRawReplyWindow();
        ASSERT_NE(replyWindow, nullptr);
    }

    void TearDown() override
    {
        KxtStopEverythingPeer(peer);
        DestroyWindow(replyWindow);
    }

    void Start(KxtEverythingPeerOptions options = {})
    {
        options.roots = {root};
        options.filters = {L"Documents=ext:pdf;txt", L"Folders=folder:", L"Loop=filter:Loop"};
        ASSERT_TRUE(KxtStartEverythingPeer(options, peer));
    }

    // Sends one query and reads the one reply it brings.
    KxtList Query(const std::wstring& search, uint32_t sortType = 1, uint32_t maxResults = 100, uint32_t offset = 0,
                  uint32_t requestFlags = 0x54)
    {
        size_t before = g_kxtRawReplies.size();
        KxtSendRaw(peer.window, replyWindow,
                   KxtQueryBlock(replyWindow, maxResults, offset, requestFlags, sortType, search));
        KxtList list{};
        bool arrived = KxtWaitUntil([&] { return g_kxtRawReplies.size() > before; });
        EXPECT_TRUE(arrived) << "no reply to [" << KxtUtf8(search) << "]";
        if (!arrived) return list;
        EXPECT_EQ(g_kxtRawReplies.back().message, 18u);
        EXPECT_EQ(g_kxtRawReplies.back().sender, peer.window);
        EXPECT_TRUE(KxtDecodeList(g_kxtRawReplies.back().bytes, list)) << "reply to [" << KxtUtf8(search) << "]";
        return list;
    }

    std::wstring root;
    HWND replyWindow = nullptr;
    KxtEverythingPeer peer;
};

TEST_F(EverythingPeer, ListCarriesFullPathSizeDateAndFolderFlag)
{
    Start();
    KxtList list = Query(L"report");
    EXPECT_EQ(list.total, 2u);
    EXPECT_EQ(list.count, 2u);
    EXPECT_EQ(list.offset, 0u);
    EXPECT_EQ(list.requestFlags, 0x54u);
    EXPECT_EQ(list.sortType, 1u);
    ASSERT_EQ(list.items.size(), 2u);
    EXPECT_EQ(list.items[0].path, root + L"docs\\Annual Report.txt");
    EXPECT_EQ(list.items[0].flags, 0u);
    EXPECT_EQ(list.items[0].size, 120u);
    EXPECT_EQ(list.items[0].lastWrite, KxtFileTimeOf(2021, 1, 1));
    EXPECT_EQ(list.items[1].path, root + L"docs\\report.pdf");

    list = Query(L"\u00e4rger");
    ASSERT_EQ(list.items.size(), 1u);
    EXPECT_EQ(list.items[0].size, 3000000u);
    EXPECT_EQ(list.items[0].lastWrite, KxtFileTimeOf(2024, 6, 1, 12, 30, 5));

    list = Query(L"2024");
    ASSERT_EQ(list.items.size(), 1u);
    EXPECT_EQ(list.items[0].path, root + L"docs\\2024");
    EXPECT_EQ(list.items[0].flags, 1u) << "folder bit";
    EXPECT_EQ(list.items[0].size, 0u);
    EXPECT_EQ(list.items[0].lastWrite, KxtFileTimeOf(2023, 1, 1));

    // Only what is asked for, and only what the peer can deliver, is in the data and the header.
    list = Query(L"readme", 1, 100, 0, 0x10 | 0x1);
    EXPECT_EQ(list.requestFlags, 0x10u);
    ASSERT_EQ(list.items.size(), 1u);
    EXPECT_EQ(g_kxtRawReplies.back().bytes.size(), 20u + 8 + 8);

    std::vector<std::string> queries = KxtReadPeerQueries(peer);
    ASSERT_EQ(queries.size(), 4u);
    EXPECT_EQ(queries[0], "max=100 offset=0 flags=0x54 sort=1 search=[report]");
    EXPECT_EQ(queries[1], "max=100 offset=0 flags=0x54 sort=1 search=[\xc3\xa4rger]");
    EXPECT_EQ(queries[3], "max=100 offset=0 flags=0x11 sort=1 search=[readme]");
}

TEST_F(EverythingPeer, TotalCountsAllMatchesWhileMaxResultsAndOffsetCutThePage)
{
    Start();
    KxtList list = Query(L"", 1, 3, 2);
    EXPECT_EQ(list.total, 9u);
    EXPECT_EQ(list.offset, 2u);
    EXPECT_EQ(KxtNames(list), std::vector<std::wstring>(kKxtAllByName.begin() + 2, kKxtAllByName.begin() + 5));
    list = Query(L"", 1, 5, 8);
    EXPECT_EQ(KxtNames(list), std::vector<std::wstring>{kKxtAllByName[8]});
    for (auto [maxResults, offset] : {std::pair{100u, 9u}, std::pair{100u, 0xFFFFFFFFu}, std::pair{0u, 0u}}) {
        list = Query(L"", 1, maxResults, offset);
        EXPECT_EQ(list.total, 9u);
        EXPECT_EQ(list.count, 0u);
    }
    EXPECT_EQ(Query(L"", 1, 0xFFFFFFFFu).count, 9u) << "Everything's 'all results'";
}

TEST_F(EverythingPeer, SortNumbersOrderTheHits)
{
    Start();
    const std::vector<std::wstring> byPath = {
        L"docs",       L"music",       L"readme",    L"2024",          L"Annual Report.txt",
        L"report.pdf", L"summary.PDF", L"notes.txt", L"\u00c4rger.mp3"};
    const std::vector<std::wstring> bySize = {L"2024",       L"docs",        L"music",
                                              L"readme",     L"notes.txt",   L"Annual Report.txt",
                                              L"report.pdf", L"summary.PDF", L"\u00c4rger.mp3"};
    const std::vector<std::wstring> byDate = {L"notes.txt",         L"docs",           L"music",
                                              L"Annual Report.txt", L"report.pdf",     L"2024",
                                              L"summary.PDF",       L"\u00c4rger.mp3", L"readme"};
    struct Case {
        uint32_t sortType;
        const std::vector<std::wstring>* ascending;
        bool descending;
    } cases[] = {{1, &kKxtAllByName, false}, {2, &kKxtAllByName, true},  {3, &byPath, false},  {4, &byPath, true},
                 {5, &bySize, false},        {6, &bySize, true},         {13, &byDate, false}, {14, &byDate, true},
                 {7, &kKxtAllByName, false}, {99, &kKxtAllByName, false}};
    for (const Case& c : cases) {
        std::vector<std::wstring> expected = *c.ascending;
        if (c.descending) std::reverse(expected.begin(), expected.end());
        KxtList list = Query(L"", c.sortType);
        EXPECT_EQ(list.sortType, c.sortType);
        EXPECT_EQ(KxtNames(list), expected) << "sort " << c.sortType;
        // A short page holds the same first hits as the whole list.
        EXPECT_EQ(KxtNames(Query(L"", c.sortType, 2)),
                  std::vector<std::wstring>(expected.begin(), expected.begin() + 2))
            << "sort " << c.sortType;
    }
}

TEST_F(EverythingPeer, SearchTermsSelectLikeEverything)
{
    Start();
    std::wstring drive = root.substr(0, 3);  // the temporary folder's drive, e.g. C:
    std::wstring otherDrive = drive[0] == L'Q' ? L"R:\\" : L"Q:\\";
    const std::vector<std::wstring> none, all = kKxtAllByName;
    struct Case {
        std::wstring search;
        std::vector<std::wstring> names;
    } cases[] = {
        {L"file:", {L"Annual Report.txt", L"notes.txt", L"readme", L"report.pdf", L"summary.PDF", L"\u00c4rger.mp3"}},
        {L"folder:", {L"2024", L"docs", L"music"}},
        {L"REPORT", {L"Annual Report.txt", L"report.pdf"}},
        {L"\"annual report\"", {L"Annual Report.txt"}},
        {L"report file: pdf", {L"report.pdf"}},
        {L"\u00c4RGER", {L"\u00c4rger.mp3"}},
        {L"docs\\rep", {L"report.pdf"}},
        {L"music\\ !mp3", {L"notes.txt"}},
        {L"notes|readme", {L"notes.txt", L"readme"}},
        {L"path:\"" + root + L"docs\\\"", {L"2024", L"Annual Report.txt", L"report.pdf", L"summary.PDF"}},
        {L"path:\"" + root + L"DOCS\\2024\\\" file:", {L"summary.PDF"}},
        {L"ext:pdf;MP3", {L"report.pdf", L"summary.PDF", L"\u00c4rger.mp3"}},
        {L"filter:\"Documents\"", {L"Annual Report.txt", L"notes.txt", L"report.pdf", L"summary.PDF"}},
        {L"filter:\"documents\" 2024\\", {L"summary.PDF"}},
        {L"filter:\"Folders\" m", {L"music"}},
        {L"filter:\"Unknown\"", none},
        {L"filter:\"Loop\"", none},
        {L"<" + drive + L"|" + otherDrive + L"> readme", {L"readme"}},
        {L"<" + otherDrive + L"|Z:\\|Y:\\>", none},
        {L"!" + drive, none},
        {L"!" + otherDrive + L" !Y:\\ folder:", {L"2024", L"docs", L"music"}},
        {L"<<<!!|>>", all},
        {L"\"", all},
    };
    for (const Case& c : cases) EXPECT_EQ(KxtNames(Query(c.search)), c.names) << KxtUtf8(c.search);
    EXPECT_EQ(KxtNames(Query(std::wstring(L"  ") + L"\"" + drive.substr(0, 2) + L"\\\"  ")), all)
        << "a quoted drive is a drive too";
}

TEST_F(EverythingPeer, RepliesAsynchronouslyByDefaultInlineOnRequestAndLateWithDelay)
{
    std::string block = KxtQueryBlock(replyWindow, 100, 0, 0x54, 1, L"readme");
    KxtEverythingPeerOptions inlineOptions;
    inlineOptions.replyInline = true;
    Start(inlineOptions);
    KxtSendRaw(peer.window, replyWindow, block);
    EXPECT_EQ(g_kxtRawReplies.size(), 1u) << "in before the send returns";
    KxtStopEverythingPeer(peer);

    KxtEverythingPeerOptions delayed;
    delayed.delayMs = 600;
    Start(delayed);
    DWORD sent = GetTickCount();
    KxtSendRaw(peer.window, replyWindow, block);
    EXPECT_EQ(g_kxtRawReplies.size(), 1u) << "nothing before the send returns";
    ASSERT_TRUE(KxtWaitUntil([] { return g_kxtRawReplies.size() == 2; }));
    EXPECT_GE(GetTickCount() - sent, 500u);
    KxtList list;
    EXPECT_TRUE(KxtDecodeList(g_kxtRawReplies.back().bytes, list));
    EXPECT_EQ(KxtNames(list), std::vector<std::wstring>{L"readme"});
}

TEST_F(EverythingPeer, TwiceSendsASmallerDifferentListFirst)
{
    KxtEverythingPeerOptions options;
    options.twice = true;
    Start(options);
    KxtSendRaw(peer.window, replyWindow, KxtQueryBlock(replyWindow, 100, 0, 0x54, 1, L"file:"));
    ASSERT_TRUE(KxtWaitUntil([] { return g_kxtRawReplies.size() == 2; }));
    KxtList first, second;
    ASSERT_TRUE(KxtDecodeList(g_kxtRawReplies[0].bytes, first));
    ASSERT_TRUE(KxtDecodeList(g_kxtRawReplies[1].bytes, second));
    EXPECT_EQ(g_kxtRawReplies[0].message, 18u);
    EXPECT_EQ(second.total, 6u);
    ASSERT_EQ(second.items.size(), 6u);
    EXPECT_EQ(first.total, 5u);
    std::vector<std::wstring> real = KxtNames(second);
    EXPECT_EQ(KxtNames(first), std::vector<std::wstring>(real.begin() + 1, real.end()));
}

TEST_F(EverythingPeer, SilentRecordsTheQueryButNeverReplies)
{
    KxtEverythingPeerOptions options;
    options.silent = true;
    Start(options);
    KxtSendRaw(peer.window, replyWindow, KxtQueryBlock(replyWindow, 7, 0, 0x54, 14, L"x"));
    EXPECT_EQ(KxtReadPeerQueries(peer), std::vector<std::string>{"max=7 offset=0 flags=0x54 sort=14 search=[x]"});
    // Absence can only be shown by waiting; a second is ten times what a reply takes here.
    EXPECT_FALSE(KxtWaitUntil([] { return !g_kxtRawReplies.empty(); }, 1000));
}

TEST_F(EverythingPeer, BadQueriesAreRecordedAndIgnored)
{
    Start();
    std::string good = KxtQueryBlock(replyWindow, 100, 0, 0x54, 1, L"readme");
    KxtSendRaw(peer.window, replyWindow, good.substr(0, 27));
    KxtSendRaw(peer.window, replyWindow, good.substr(0, good.size() - 2));  // no terminator
    KxtSendRaw(peer.window, replyWindow, good, 17);                         // another command: not a query
    KxtSendRaw(peer.window, replyWindow, std::string());
    KxtSendRaw(peer.window, replyWindow, good);
    ASSERT_TRUE(KxtWaitUntil([] { return !g_kxtRawReplies.empty(); }));
    KxtList list;
    ASSERT_TRUE(KxtDecodeList(g_kxtRawReplies[0].bytes, list));
    EXPECT_EQ(KxtNames(list), std::vector<std::wstring>{L"readme"})
        << "replies go out in order: the first is the good one's";
    EXPECT_EQ(KxtReadPeerQueries(peer),
              (std::vector<std::string>{"bad query", "bad query", "bad query",
                                        "max=100 offset=0 flags=0x54 sort=1 search=[readme]"}));
}

TEST_F(EverythingPeer, OtherWindowClassAndStop)
{
    KxtEverythingPeerOptions options;
    options.windowClass = L"EVERYTHING_TASKBAR_NOTIFICATION_(1.5a)";
    Start(options);
    EXPECT_EQ(FindWindowW(options.windowClass.c_str(), nullptr), peer.window);
    EXPECT_EQ(Query(L"readme").count, 1u);
    HWND window = peer.window;
    KxtStopEverythingPeer(peer);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(peer.process, nullptr);
}

// Each kind of broken reply is what its name says, for a list of nine items whose middle one is item 4.
class EverythingPeerMalformed : public EverythingPeer, public testing::WithParamInterface<const wchar_t*> {};

TEST_P(EverythingPeerMalformed, ReplyIsBrokenAsNamed)
{
    KxtEverythingPeerOptions options;
    options.malformed = GetParam();
    Start(options);
    KxtSendRaw(peer.window, replyWindow, KxtQueryBlock(replyWindow, 100, 0, 0x54, 1, L""));
    ASSERT_TRUE(KxtWaitUntil([] { return !g_kxtRawReplies.empty(); }));
    const KxtRawReply& reply = g_kxtRawReplies[0];
    const std::string& block = reply.bytes;
    std::wstring kind = GetParam();
    EXPECT_EQ(reply.message, kind == L"wrong-dwdata" ? 19u : 18u);
    KxtList list;
    if (kind == L"short") {
        EXPECT_GT(block.size(), 0u);
        EXPECT_LT(block.size(), 20u);
    } else if (kind == L"empty") {
        EXPECT_TRUE(reply.nullData);
        EXPECT_EQ(block.size(), 0u);
    } else if (kind == L"wrong-dwdata") {
        EXPECT_TRUE(KxtDecodeList(block, list));
        EXPECT_EQ(list.items.size(), 9u);
    } else if (kind == L"numitems-overflow") {
        EXPECT_EQ(KxtGet32(block, 4), 0x20000001u);
        EXPECT_EQ(block.size(), KxtGet32(block, 24 + 8 * 8) + 4 + 2 * KxtGet32(block, KxtGet32(block, 24 + 8 * 8)) + 18)
            << "the nine real items are all there";
    } else if (kind == L"no-request-flags") {
        EXPECT_EQ(KxtGet32(block, 12) & 0x54, 0u);
        EXPECT_EQ(KxtGet32(block, 4), 9u);
        EXPECT_EQ(block.size(), 20u + 9 * 8) << "no item data";
        for (int i = 0; i < 9; ++i) EXPECT_EQ(KxtGet32(block, 24 + 8 * i), block.size());
    } else {
        EXPECT_EQ(KxtGet32(block, 4), 9u);
        EXPECT_FALSE(KxtDecodeList(block, list));
        for (int i : {3, 5}) EXPECT_LT(KxtGet32(block, 24 + 8 * i), block.size()) << "neighbours untouched";
        uint64_t middle = KxtGet32(block, 24 + 8 * 4);
        uint64_t length = KxtGet32(block, (size_t)middle);
        if (kind == L"offset-outside") {
            EXPECT_EQ(middle, block.size());
        } else if (kind == L"offset-huge") {
            EXPECT_EQ(middle, 0xFFFFFFFEu);
        } else if (kind == L"length-huge") {
            EXPECT_EQ(length, 0x7FFFFFFFu);
        } else {
            EXPECT_GT(middle + 4 + 2 * length, block.size());
            EXPECT_LE(middle + 4 + 2 * length, block.size() + 2) << "just past the end";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, EverythingPeerMalformed,
                         testing::Values(L"short", L"empty", L"numitems-overflow", L"offset-outside", L"offset-huge",
                                         L"length-outside", L"length-huge", L"no-request-flags", L"wrong-dwdata"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                             std::string name = KxtUtf8(info.param);
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

}  // namespace
