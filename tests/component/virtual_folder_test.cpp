#include "panel/virtual_folder.h"

#include <gtest/gtest.h>

#include "component/panel_fixture.h"
#include "panel/host_plugin_api.h"
#include "peers/everything_peer_launcher.h"
#include "support/test_support.h"

TEST_F(PublishedTreeFixture, VirtualRootListsThePublishedEntriesInOrder)
{
    std::vector<WIN32_FIND_DATAA> root = KxtListVirtualFolder("\\");
    ASSERT_EQ(KxtFileNames(root), (std::vector<std::string>{"report.pdf", "Photos", "report (2).pdf"}));
    const DWORD attributes[] = {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_NORMAL};
    const ULONGLONG sizes[] = {5000, 0, 7};
    const ULONGLONG dates[] = {KXT_REPORT_DATE, KXT_PHOTOS_DATE, KXT_REPORT_DATE + 1};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(root[i].dwFileAttributes, attributes[i]) << i;
        EXPECT_EQ(((ULONGLONG)root[i].nFileSizeHigh << 32) | root[i].nFileSizeLow, sizes[i]) << i;
        EXPECT_EQ(KxtTimeOf(root[i].ftLastWriteTime), dates[i]) << i;
        EXPECT_EQ(KxtTimeOf(root[i].ftCreationTime) | KxtTimeOf(root[i].ftLastAccessTime), 0u) << i;
    }

    g_publishedCount = 0;
    root = KxtListVirtualFolder("\\");
    ASSERT_EQ(KxtFileNames(root), std::vector<std::string>{"Korvex is active.txt"});
    EXPECT_EQ(root[0].dwFileAttributes, (DWORD)FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(root[0].nFileSizeLow | KxtTimeOf(root[0].ftLastWriteTime), 0u);
}

TEST_F(PublishedTreeFixture, PublishedFolderListsTheRealFolderBelowIt)
{
    std::vector<WIN32_FIND_DATAA> photos = KxtListVirtualFolder("\\Photos");
    EXPECT_EQ(KxtFileNames(photos, true), (std::vector<std::string>{".hidden", "2024", "a.jpg", "empty"}));
    for (const WIN32_FIND_DATAA& entry : photos) {
        std::string name = entry.cFileName;
        if (name == ".hidden") {
            EXPECT_EQ(entry.dwFileAttributes & 6u, 6u) << "hidden and system kept";
        }
        if (name == "2024") {
            EXPECT_TRUE(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        }
        if (name != "a.jpg") continue;
        EXPECT_EQ(entry.nFileSizeLow, 1234u);
        EXPECT_EQ(KxtTimeOf(entry.ftLastWriteTime), KxtFileTimeOf(2023, 5, 6, 7, 8, 9));
        EXPECT_NE(KxtTimeOf(entry.ftCreationTime), 0u);
    }
    EXPECT_EQ(KxtFileNames(KxtListVirtualFolder("\\PHOTOS\\2024\\"), true),
              (std::vector<std::string>{"b.jpg", "c.jpg"}))
        << "names in any case, trailing backslash";
    EXPECT_EQ(LogCount("] FsFindFirst: real pass-through browsing of \"" + Ansi(L"Photos") + "\" (first entry \""), 1);
    EXPECT_EQ(LogCount("] FsFindFirst(Path=\\PHOTOS\\2024\\)"), 1);
}

TEST_F(PublishedTreeFixture, UnlistablePathsShowTheFolderPlaceholder)
{
    const char* unresolved[] = {
        "\\report.pdf",    "\\nosuch", "\\\\", "Photos", nullptr, "\\Photos\\..", "\\Photos\\2024\\..\\..\\docs",
        "\\Photos\\./2024"};
    for (const char* path : unresolved) {
        EXPECT_EQ(KxtFileNames(KxtListVirtualFolder(path)), std::vector<std::string>{KXT_FOLDER_PLACEHOLDER});
        std::string line = std::string("] FsFindFirst: could not resolve subpath ") + (path ? path : "") +
                           " to a real folder - showing placeholder instead.";
        EXPECT_EQ(LogCount(line), 1) << line;
    }
    for (const char* path : {"\\Photos\\missing", "\\Photos\\empty"}) {
        EXPECT_EQ(KxtFileNames(KxtListVirtualFolder(path)), std::vector<std::string>{KXT_FOLDER_PLACEHOLDER});
        std::string real = Ansi(std::wstring(L"Photos\\") + (path[8] == 'm' ? L"missing" : L"empty"));
        EXPECT_EQ(LogCount("] FsFindFirst: real folder \"" + real + "\" resolved but appears empty or unreadable"), 1);
    }
    EXPECT_EQ(LogCount("could not resolve subpath"), 8) << "the empty-or-unreadable case logs only its own line";

    WIN32_FIND_DATAA find;
    EXPECT_FALSE(FsFindNext(nullptr, &find));
    EXPECT_FALSE(FsFindNext(INVALID_HANDLE_VALUE, &find));
    EXPECT_EQ(FsFindClose(INVALID_HANDLE_VALUE), 0);
    EXPECT_EQ(FsFindClose(nullptr), 0);
}

TEST_F(PublishedTreeFixture, ResolutionMapsVirtualNamesBackToRealPaths)
{
    struct Case {
        const wchar_t* remote;
        std::wstring real;
        int isFolder;
    } cases[] = {{L"\\REPORT (2).PDF", tree + L"other\\report.pdf", 0},
                 {L"\\photos", tree + L"Photos", 1},
                 {L"\\Photos\\2024\\b.jpg", tree + L"Photos\\2024\\b.jpg", 0},
                 {L"\\Photos\\2024", tree + L"Photos\\2024", 1},
                 {L"\\Photos\\notyet.txt", tree + L"Photos\\notyet.txt", 0}};
    for (const Case& c : cases) {
        wchar_t real[KX_PATH_CHARS] = L"";
        int isFolder = -1;
        ASSERT_TRUE(KxResolveVirtualPath(c.remote, real, &isFolder)) << c.remote;
        EXPECT_EQ(real, c.real);
        EXPECT_EQ(isFolder, c.isFolder) << c.remote;
    }
    for (const wchar_t* remote :
         {L"\\report.pdf\\x", L"\\nosuch", L"\\", L"\\\\Photos", L"Photos", L"", L"\\Photos\\..\\docs\\report.pdf",
          L"\\Photos\\2024/../../docs", (const wchar_t*)nullptr}) {
        wchar_t real[4] = L"old";
        int isFolder = -1;
        EXPECT_FALSE(KxResolveVirtualPath(remote, real, &isFolder)) << (remote ? remote : L"null");
        EXPECT_STREQ(real, L"old");
        EXPECT_EQ(isFolder, -1);
    }
}
