#include <gtest/gtest.h>

#include <vector>

#include "config/settings.h"
#include "search/search_composition.h"
#include "support/test_support.h"

TEST(PathToken, RecognisedInAnyCaseAndGluedButOnlyBeforeTheEndOrWhiteSpace)
{
    struct Case {
        const wchar_t* text;
        int offset;
    } cases[] = {
        {L"path:.", 0},
        {L"report path:. pdf", 7},
        {L"PATH:. x", 0},
        {L"Path:.\tx", 0},
        {L"reportpath:.", 6},
        {L"path:.x", -1},
        {L"path:.. x", -1},
        {L"path:.x path:. y", 8},
        {L"path: .", -1},
        {L"", -1},
        {L"path:", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(KxFindPathToken(c.text), c.offset) << KxtUtf8(c.text);
}

TEST(PathToken, SubstitutionKeepsTheRestAndRespectsTheLimits)
{
    wchar_t out[KX_QUERY_TEXT_CHARS];
    ASSERT_TRUE(KxSubstitutePathToken(L"report path:. pdf", 7, L"C:\\Work\\", out, KX_QUERY_TEXT_CHARS));
    EXPECT_STREQ(out, L"report path:\"C:\\Work\\\" pdf");
    ASSERT_TRUE(KxSubstitutePathToken(L"path:.", 0, L"D:\\", out, KX_QUERY_TEXT_CHARS));
    EXPECT_STREQ(out, L"path:\"D:\\\"") << "the token alone asks for everything below the folder";

    EXPECT_FALSE(KxSubstitutePathToken(L"path:.", 0, L"", out, KX_QUERY_TEXT_CHARS)) << "no folder known";

    std::wstring at899 = std::wstring(899, L'a') + L"path:.";
    std::wstring at900 = std::wstring(900, L'a') + L"path:.";
    EXPECT_TRUE(KxSubstitutePathToken(at899.c_str(), 899, L"C:\\", out, KX_QUERY_TEXT_CHARS));
    EXPECT_EQ(wcslen(out), 899u) << "the whole is cut at 899 characters";
    EXPECT_FALSE(KxSubstitutePathToken(at900.c_str(), 900, L"C:\\", out, KX_QUERY_TEXT_CHARS));
}

TEST(FilterTerm, NamedByDisplayNameAndFoldersOnlyWhenTheFilterAsksForThem)
{
    struct Case {
        KxFilter filter;
        const wchar_t* prefix;
        int folders;
    } cases[] = {
        {{L"<All Files>", L""}, L"", 1},
        {{L"Audio", L"ext:mp3;flac"}, L"filter:\"Audio\"", 0},
        {{L"Folder", L"folder:"}, L"filter:\"Folder\"", 1},
        {{L"Upper", L"FOLDER:"}, L"filter:\"Upper\"", 0},
        {{L"Κείμενα", L"ext:txt"}, L"filter:\"Κείμενα\"", 0},
        {{L"Say \"hi\"", L"ext:txt"}, L"<ext:txt>", 0},
        {{L"\"", L"folder: docs"}, L"<folder: docs>", 1},
    };
    for (const Case& c : cases) {
        wchar_t prefix[KX_PREFIX_CHARS];
        int folders = -1;
        KxComposeFilterTerm(c.filter, prefix, KX_PREFIX_CHARS, &folders);
        EXPECT_STREQ(prefix, c.prefix);
        EXPECT_EQ(folders, c.folders) << KxtUtf8(c.filter.name);
    }
    KxFilter longest{L"\"x\"", L""};
    std::wstring search(KX_FILTER_SEARCH_CHARS - 1, L'a');
    lstrcpynW(longest.search, search.c_str(), KX_FILTER_SEARCH_CHARS);
    wchar_t prefix[KX_PREFIX_CHARS];
    int folders = -1;
    KxComposeFilterTerm(longest, prefix, KX_PREFIX_CHARS, &folders);
    EXPECT_EQ(std::wstring(prefix), L"<" + search + L">") << "the longest search text is never cut";
}

TEST(DriveExpression, ScopesOverOneAndTwoDrivesAndNetworkNegations)
{
    BYTE classes[26] = {};
    auto set = [&](wchar_t letter, BYTE scopeClass) { classes[letter - L'A'] = scopeClass; };
    wchar_t out[KX_PREFIX_CHARS];

    set(L'C', 3);
    EXPECT_EQ(KxComposeDriveExpression(KX_SCOPE_FIXED, classes, out, KX_PREFIX_CHARS), 1);
    EXPECT_STREQ(out, L"C:\\") << "one drive: no angle brackets";

    set(L'D', 3);
    set(L'E', 2);  // a USB stick
    set(L'N', 1);  // a network drive
    EXPECT_EQ(KxComposeDriveExpression(KX_SCOPE_FIXED, classes, out, KX_PREFIX_CHARS), 2);
    EXPECT_STREQ(out, L"<C:\\|D:\\>");
    EXPECT_EQ(KxComposeDriveExpression(KX_SCOPE_LOCAL, classes, out, KX_PREFIX_CHARS), 3);
    EXPECT_STREQ(out, L"<C:\\|D:\\|E:\\>");
    EXPECT_EQ(KxComposeDriveExpression(KX_SCOPE_NETWORK, classes, out, KX_PREFIX_CHARS), 3);
    EXPECT_STREQ(out, L"!C:\\ !D:\\ !E:\\") << "an AND of negations, never bracketed";

    BYTE onlyNetwork[26] = {};
    onlyNetwork[L'N' - L'A'] = 1;
    EXPECT_EQ(KxComposeDriveExpression(KX_SCOPE_LOCAL, onlyNetwork, out, KX_PREFIX_CHARS), 0);
    EXPECT_STREQ(out, L"");

    BYTE all[26];
    std::fill(all, all + 26, 3);
    EXPECT_EQ(KxComposeDriveExpression(KX_SCOPE_LOCAL, all, out, KX_PREFIX_CHARS), 26);
    EXPECT_EQ(std::wstring(out).substr(0, 8), L"<A:\\|B:\\");
    EXPECT_EQ(std::wstring(out).back(), L'>');
}

TEST(DriveExpression, AppendedAfterTheFilterTermAndCutAtTheCapacity)
{
    wchar_t prefix[KX_PREFIX_CHARS] = L"filter:\"Audio\"";
    KxAppendToPrefix(prefix, KX_PREFIX_CHARS, L"<C:\\|D:\\>");
    EXPECT_STREQ(prefix, L"filter:\"Audio\" <C:\\|D:\\>");
    wchar_t empty[KX_PREFIX_CHARS] = L"";
    KxAppendToPrefix(empty, KX_PREFIX_CHARS, L"!C:\\");
    EXPECT_STREQ(empty, L"!C:\\");
    std::wstring longExpression(KX_PREFIX_CHARS, L'x');
    KxAppendToPrefix(prefix, KX_PREFIX_CHARS, longExpression.c_str());
    EXPECT_EQ(wcslen(prefix), (size_t)KX_PREFIX_CHARS - 1);
}

TEST(FolderCapacity, FoldersGetTheirOwnShareOnlyWhileTheTotalStaysWithin500)
{
    struct Case {
        int files, maxResults, expected;
    } cases[] = {
        {200, 200, 200}, {37, 200, 200}, {300, 200, 200}, {301, 200, 199},
        {0, 500, 500},   {500, 500, 0},  {499, 500, 1},   {0, 1, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KxFolderCapacity(c.files, c.maxResults), c.expected) << c.files << " files, max " << c.maxResults;
}

TEST(Partition, FilesFirstThenFoldersEachKeepingItsOrder)
{
    std::vector<KxResult> results(7);
    const char* kinds = "dfdffdf";
    for (int i = 0; i < 7; ++i) {
        results[i].isFolder = kinds[i] == 'd';
        _snwprintf(results[i].path, KX_PATH_CHARS, L"C:\\%d", i);
    }
    KxPartitionFilesFirst(results.data(), 7);
    std::wstring order;
    for (const KxResult& r : results) order += r.path + 3;
    EXPECT_EQ(order, L"1346025");

    std::vector<KxResult> allFolders(3);
    for (int i = 0; i < 3; ++i) {
        allFolders[i].isFolder = 1;
        _snwprintf(allFolders[i].path, KX_PATH_CHARS, L"F%d", i);
    }
    KxPartitionFilesFirst(allFolders.data(), 3);
    EXPECT_STREQ(allFolders[0].path, L"F0");
    EXPECT_STREQ(allFolders[2].path, L"F2");
}
