#include "panel/virtual_path.h"

#include <gtest/gtest.h>

#include <string>

TEST(VirtualPath, SplitsTheEntryNameFromThePathBelowIt)
{
    KxVirtualPathParts parts;
    ASSERT_TRUE(KxSplitVirtualPath(L"\\Photos\\2024\\a.jpg", &parts));
    EXPECT_STREQ(parts.name, L"Photos");
    EXPECT_STREQ(parts.rest, L"2024\\a.jpg");
    ASSERT_TRUE(KxSplitVirtualPath(L"\\report (2).pdf", &parts));
    EXPECT_STREQ(parts.name, L"report (2).pdf");
    EXPECT_EQ(parts.rest, nullptr);
    ASSERT_TRUE(KxSplitVirtualPath(L"\\Photos\\", &parts));
    EXPECT_STREQ(parts.rest, L"");
    std::wstring longest = L"\\" + std::wstring(259, L'n') + L"\\x";
    ASSERT_TRUE(KxSplitVirtualPath(longest.c_str(), &parts));
    EXPECT_EQ(wcslen(parts.name), 259u);
    EXPECT_STREQ(parts.rest, L"x");
    std::wstring tooLong = L"\\" + std::wstring(260, L'n') + L"\\x";
    EXPECT_FALSE(KxSplitVirtualPath(tooLong.c_str(), &parts)) << "never cut to match a shorter name";
    for (const wchar_t* bad : {L"\\", L"\\\\x", L"Photos", L""}) EXPECT_FALSE(KxSplitVirtualPath(bad, &parts)) << bad;

    wchar_t path[16] = L"\\Photos\\\\";
    EXPECT_EQ(KxStripTrailingBackslashes(path), 7);
    wchar_t twoBackslashes[4] = L"\\\\";
    EXPECT_EQ(KxStripTrailingBackslashes(twoBackslashes), 1);
}

TEST(VirtualPath, DotSegmentsNeverCountAsInsideTheFolder)
{
    for (const wchar_t* inside : {L"2024", L"2024\\a.jpg", L".hidden", L"a..b\\c.", L"", L"2024\\"})
        EXPECT_TRUE(KxIsContainedSubPath(inside)) << inside;
    for (const wchar_t* outside :
         {L"..", L".", L"..\\docs", L"2024\\..\\..\\x", L"a/../../x", L"a\\.\\b", L".. ", L"...", L"2024\\. "})
        EXPECT_FALSE(KxIsContainedSubPath(outside)) << outside;

    wchar_t out[64];
    EXPECT_TRUE(KxJoinRealPath(L"C:\\tree\\Photos", L"2024", out, 64));
    EXPECT_STREQ(out, L"C:\\tree\\Photos\\2024");
    EXPECT_TRUE(KxJoinRealPath(L"C:\\", L"x", out, 64));
    EXPECT_STREQ(out, L"C:\\x") << "no doubled backslash";
    EXPECT_TRUE(KxJoinRealPath(L"C:\\a", L"bcd", out, 9)) << "exactly fits";
    EXPECT_FALSE(KxJoinRealPath(L"C:\\a", L"bcde", out, 9));
    EXPECT_STREQ(out, L"") << "never a shorter path";
    KxFormatEntryVirtualPath(L"report (2).pdf", out, 64);
    EXPECT_STREQ(out, L"\\\\\\Korvex\\report (2).pdf");
}
