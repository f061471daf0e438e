#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "component/search_windows.h"
#include "config/settings.h"
#include "core/log.h"
#include "host/host_window.h"
#include "overlay/overlay_window.h"
#include "peers/everything_peer_launcher.h"
#include "search/search_composition.h"
#include "support/test_support.h"

namespace {

struct SearchFixture : ::testing::Test {
    std::wstring folder = KxtMakeTempFolder();
    std::wstring tree = folder + L"tree\\";
    KxtEverythingPeer peer;

    void SetUp() override
    {
        lstrcpynW(g_logPath, LogPath().c_str(), 2048);
        g_loggingEnabled = 1;
        g_settings.maxResults = 200;
        g_settings.sortType = 1;
        g_settings.driveScope = KX_SCOPE_ALL;
        g_settings.driveIcons = 0;
        KxtCreateSearchWindows();
    }
    void TearDown() override { KxtStopEverythingPeer(peer); }

    std::wstring LogPath() const { return folder + L"Korvex.log"; }
    void Serve(KxtEverythingPeerOptions options, const std::vector<KxtTreeItem>& items)
    {
        ASSERT_TRUE(KxtCreateTree(tree, items));
        options.roots.push_back(tree);
        ASSERT_TRUE(KxtStartEverythingPeer(options, peer));
    }
    void Search(const std::wstring& text)
    {
        KxtSetTypedText(text);
        KxRunSearchNow();
    }
    std::vector<std::string> Queries() const { return KxtReadPeerQueries(peer); }
};

// count files and count folders whose names contain "item", plus a few others.
std::vector<KxtTreeItem> Items(int files, int folders)
{
    std::vector<KxtTreeItem> items;
    for (int i = 0; i < files; ++i) {
        wchar_t name[64];
        _snwprintf(name, 64, L"f\\item-file-%03d.txt", i);
        items.push_back({name, 10, 0});
    }
    for (int i = 0; i < folders; ++i) {
        wchar_t name[64];
        _snwprintf(name, 64, L"d\\item-dir-%03d\\", i);
        items.push_back({name, 0, 0});
    }
    items.push_back({L"other.txt", 1, 0});
    items.push_back({L"docs\\report.pdf", 1, 0});
    return items;
}

}  // namespace

TEST_F(SearchFixture, FilesFirstThenFoldersWithCountsAndTheSummaryLine)
{
    Serve({}, Items(3, 2));
    Search(L"item");
    ASSERT_EQ(g_resultCount, 5);
    EXPECT_EQ(g_resultTotal, 5u);
    EXPECT_EQ(KxtListRowCount(), 5);
    EXPECT_EQ(g_currentRow, 0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(g_results[i].isFolder, i >= 3 ? 1 : 0) << i;
    EXPECT_EQ(Queries(), (std::vector<std::string>{"max=200 offset=0 flags=0x54 sort=1 search=[item file:]",
                                                   "max=200 offset=0 flags=0x54 sort=1 search=[item folder:]"}));
    EXPECT_GE(KxtFindLine(KxtReadLogLines(LogPath()),
                          "KxRunSearchNow: filter=\"<All Files>\" scope=All typed=\"item\" includeFolders=1 -> "
                          "files=3(ok=1) folders=2(ok=1) total=5"),
              0);
}

TEST_F(SearchFixture, EmptyTextAsksNothingAndEmptiesTheList)
{
    Serve({}, Items(3, 0));
    Search(L"item");
    ASSERT_EQ(g_resultCount, 3);
    Search(L"");
    EXPECT_EQ(g_resultCount, 0);
    EXPECT_EQ(g_resultTotal, 0u);
    EXPECT_EQ(KxtListRowCount(), 0);
    EXPECT_EQ(g_currentRow, -1);
    EXPECT_EQ(Queries().size(), 2u) << "no query for the empty text";
}

TEST_F(SearchFixture, FolderShareDependsOnMaxResults)
{
    Serve({}, Items(520, 230));
    Search(L"item");
    EXPECT_EQ(g_resultCount, 400) << "200 files and 200 folders";
    EXPECT_EQ(g_resultTotal, 750u);
    EXPECT_EQ(g_results[199].isFolder, 0);
    EXPECT_EQ(g_results[200].isFolder, 1);

    g_settings.maxResults = 500;
    Search(L"item");
    EXPECT_EQ(g_resultCount, 500);
    EXPECT_EQ(g_results[499].isFolder, 0);
    std::vector<std::string> queries = Queries();
    ASSERT_EQ(queries.size(), 3u) << "files took every place, so no folder query";
    EXPECT_EQ(queries[2], "max=500 offset=0 flags=0x54 sort=1 search=[item file:]");
    EXPECT_EQ(g_resultTotal, 520u);
}

TEST_F(SearchFixture, FilterNarrowsByNameAndDecidesAboutFolders)
{
    KxtEverythingPeerOptions options;
    options.filters = {L"Documents=ext:pdf", L"Folders=folder:"};
    Serve(options, Items(3, 2));
    g_filters[1] = {L"Documents", L"ext:pdf"};
    g_filters[2] = {L"Folders", L"folder:"};
    g_filterCount = 3;

    g_selectedFilter = 1;
    Search(L"report");
    ASSERT_EQ(g_resultCount, 1);
    EXPECT_EQ(Queries().back(), "max=200 offset=0 flags=0x54 sort=1 search=[filter:\"Documents\" report file:]");
    EXPECT_EQ(Queries().size(), 1u) << "a filter without folder: asks no folder query";

    g_selectedFilter = 2;
    Search(L"item");
    EXPECT_EQ(Queries().back(), "max=200 offset=0 flags=0x54 sort=1 search=[filter:\"Folders\" item folder:]");
    EXPECT_EQ(g_resultCount, 2);
    g_selectedFilter = 0;
}

TEST_F(SearchFixture, DriveScopesBecomeDriveListsOverTheMachinesDrives)
{
    Serve({}, Items(2, 0));
    // Under Wine, C: and Z: (the Unix root) are fixed disks; the tree lies on Z:.
    g_settings.driveScope = KX_SCOPE_FIXED;
    Search(L"item");
    std::vector<std::string> queries = Queries();
    ASSERT_EQ(queries.size(), 2u);
    EXPECT_EQ(queries[0], "max=200 offset=0 flags=0x54 sort=1 search=[<C:\\|Z:\\> item file:]");
    EXPECT_EQ(g_resultCount, 2);

    g_settings.driveScope = KX_SCOPE_NETWORK;
    Search(L"item");
    EXPECT_EQ(Queries().back(), "max=200 offset=0 flags=0x54 sort=1 search=[!C:\\ !Z:\\ item folder:]");
    EXPECT_EQ(g_resultCount, 0) << "nothing lies off the local disks";
    EXPECT_GE(KxtFindLine(KxtReadLogLines(LogPath()), "scope=Network typed=\"item\""), 0);
}

namespace {

std::wstring g_nextText;

void CALLBACK KxtTypeDuringQuery(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    KxtSetTypedText(g_nextText);
    KxRunSearchNow();  // re-entered from the query's wait: only asks for a restart
}

void CALLBACK KxtCloseDuringQuery(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    KxtHideSearchWindows();
}

}  // namespace

TEST_F(SearchFixture, TypingDuringASlowQueryRestartsWithTheNewestText)
{
    KxtEverythingPeerOptions options;
    options.delayMs = 600;
    Serve(options, Items(4, 0));
    Search(L"item");
    ASSERT_EQ(g_resultCount, 4);

    g_nextText = L"other";
    KxtSetTypedText(L"item-file-001");
    SetTimer(nullptr, 0, 100, KxtTypeDuringQuery);
    KxRunSearchNow();
    ASSERT_EQ(g_resultCount, 1);
    EXPECT_STREQ(wcsrchr(g_results[0].path, L'\\'), L"\\other.txt");
    std::vector<std::string> queries = Queries();
    ASSERT_EQ(queries.size(), 5u);
    EXPECT_EQ(queries[2], "max=200 offset=0 flags=0x54 sort=1 search=[item-file-001 file:]");
    EXPECT_EQ(queries[3], "max=200 offset=0 flags=0x54 sort=1 search=[other file:]")
        << "the abandoned pass asked no folder query";
    EXPECT_FALSE(g_searchRunning);
}

TEST_F(SearchFixture, ClosingTheOverlayDuringAQueryKeepsTheOldResults)
{
    KxtEverythingPeerOptions options;
    options.delayMs = 500;
    Serve(options, Items(4, 0));
    Search(L"item");
    ASSERT_EQ(g_resultCount, 4);
    KxtSetTypedText(L"other");
    SetTimer(nullptr, 0, 100, KxtCloseDuringQuery);
    KxRunSearchNow();
    EXPECT_EQ(g_resultCount, 4) << "nothing is installed after the overlay was hidden";
    EXPECT_EQ(Queries().size(), 3u) << "and no further query is made";
    KxtCreateSearchWindows();
}

namespace {

void KxtPutUserClipboard(HWND owner, const std::wstring& text, const std::wstring& file)
{
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    size_t textBytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL textBlock = GlobalAlloc(GMEM_MOVEABLE, textBytes);
    memcpy(GlobalLock(textBlock), text.c_str(), textBytes);
    GlobalUnlock(textBlock);
    SetClipboardData(CF_UNICODETEXT, textBlock);
    size_t fileBytes = sizeof(DROPFILES) + (file.size() + 2) * sizeof(wchar_t);
    HGLOBAL dropBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, fileBytes);
    DROPFILES* drop = (DROPFILES*)GlobalLock(dropBlock);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(drop + 1, file.c_str(), file.size() * sizeof(wchar_t));
    GlobalUnlock(dropBlock);
    SetClipboardData(CF_HDROP, dropBlock);
    CloseClipboard();
}

std::wstring KxtClipboardText(HWND owner)
{
    std::wstring text;
    if (!OpenClipboard(owner)) return text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data) {
        text = (const wchar_t*)GlobalLock((HGLOBAL)data);
        GlobalUnlock((HGLOBAL)data);
    }
    CloseClipboard();
    return text;
}

std::wstring KxtClipboardFile(HWND owner)
{
    wchar_t file[MAX_PATH] = L"";
    if (!OpenClipboard(owner)) return file;
    HANDLE data = GetClipboardData(CF_HDROP);
    if (data) DragQueryFileW((HDROP)data, 0, file, MAX_PATH);
    CloseClipboard();
    return file;
}

}  // namespace

TEST_F(SearchFixture, PathTokenAsksTheHostOnceAndLeavesTheUsersClipboardAlone)
{
    Serve({}, Items(2, 0));
    KxtHost& host = KxtCreateHost();
    host.sourceFolder = tree + L"f";
    KxtPutUserClipboard(host.main, L"my own text", L"C:\\users\\me\\notes.txt");
    g_activeFolderResolved = false;

    Search(L"item path:.");
    EXPECT_EQ(Queries().back(),
              "max=200 offset=0 flags=0x54 sort=1 search=[item path:\"" + KxtUtf8(tree) + "f\\\" folder:]");
    EXPECT_EQ(g_resultCount, 2);
    EXPECT_EQ(std::wstring(g_activeFolder), tree + L"f\\");
    EXPECT_EQ(KxtClipboardText(host.main), L"my own text");
    EXPECT_EQ(KxtClipboardFile(host.main), L"C:\\users\\me\\notes.txt");

    Search(L"PATH:.");
    EXPECT_EQ(host.commands, std::vector<WPARAM>{2029}) << "asked once per opening";
    EXPECT_EQ(g_resultCount, 2) << "the token alone lists the folder's files";

    // A plug-in folder in the panel: the last real folder serves.
    host.sourceFolder = L"\\\\\\Korvex\\";
    g_activeFolderResolved = false;
    Search(L"path:.");
    EXPECT_EQ(std::wstring(g_activeFolder), tree + L"f\\");
    EXPECT_GE(KxtFindLine(KxtReadLogLines(LogPath()), "path:. - active panel has no real folder right now (e.g. "
                                                      "showing \\\\\\Korvex\\); using last folder "),
              0);
}

namespace {

DWORD WINAPI KxtHoldClipboardOpen(LPVOID release)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!OpenClipboard(owner)) return 1;
    WaitForSingleObject((HANDLE)release, 30000);
    CloseClipboard();
    DestroyWindow(owner);
    return 0;
}

}  // namespace

TEST_F(SearchFixture, PathTokenNeverTakesOrEmptiesTheUsersClipboard)
{
    Serve({}, Items(2, 0));
    KxtHost& host = KxtCreateHost();
    host.sourceFolder = tree + L"f";
    host.ignoreCopyPath = true;
    KxtPutUserClipboard(host.main, L"meeting notes", L"C:\\users\\me\\notes.txt");
    DWORD sequence = GetClipboardSequenceNumber();
    g_activeFolderResolved = false;
    g_lastActiveFolder[0] = L'\0';
    Search(L"item path:.");
    EXPECT_TRUE(Queries().empty()) << "the user's own text is no folder";
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "a clipboard the host did not change is left alone";
    EXPECT_GE(KxtFindLine(KxtReadLogLines(LogPath()), "path:. - the host did not put its panel's folder"), 0);

    // Held open by another program: it cannot be saved, so the host is not asked this time.
    host.ignoreCopyPath = false;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE holder = CreateThread(nullptr, 0, KxtHoldClipboardOpen, release, 0, nullptr);
    ASSERT_TRUE(KxtWaitUntil([] { return GetOpenClipboardWindow() != nullptr; }));
    g_activeFolderResolved = false;
    Search(L"item path:.");
    SetEvent(release);
    WaitForSingleObject(holder, 30000);
    CloseHandle(holder);
    CloseHandle(release);
    EXPECT_EQ(host.commands, std::vector<WPARAM>{2029});
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
    EXPECT_EQ(KxtClipboardText(host.main), L"meeting notes");
    EXPECT_EQ(KxtClipboardFile(host.main), L"C:\\users\\me\\notes.txt");
}

TEST_F(SearchFixture, PathTokenWithoutAnyKnownFolderShowsNothing)
{
    Serve({}, Items(2, 0));
    g_activeFolderResolved = false;
    g_lastActiveFolder[0] = L'\0';
    Search(L"item path:.");
    EXPECT_EQ(g_resultCount, 0);
    EXPECT_TRUE(Queries().empty());
    EXPECT_GE(KxtFindLine(KxtReadLogLines(LogPath()), "path:. - could not determine the active panel's folder and "
                                                      "none known yet; showing no results"),
              0);
}

TEST_F(SearchFixture, AColumnTheUserSortedByStaysSortedForNewResults)
{
    std::vector<KxtTreeItem> items;
    for (int i = 0; i < 6; ++i) items.push_back({L"s\\item-" + std::to_wstring(i) + L".bin", (ULONGLONG)(i * 37 % 11), 0});
    items.push_back({L"s\\item-dir\\", 0, 0});
    Serve({}, items);
    g_clientSortActive = true;
    g_sortColumn = KX_COLUMN_SIZE;
    g_sortDescending = true;
    Search(L"item");
    ASSERT_EQ(g_resultCount, 7);
    for (int i = 1; i < g_resultCount; ++i) EXPECT_GE(g_results[i - 1].size, g_results[i].size) << i;
    g_clientSortActive = false;
}
