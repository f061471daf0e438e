#include <gtest/gtest.h>

#include "search/active_folder.h"
#include "support/test_support.h"

TEST(PanelFolder, HostClipboardTextBecomesAFolderEndingWithABackslash)
{
    struct Case {
        const wchar_t* text;
        int ok;
        const wchar_t* folder;
    } cases[] = {
        {L"C:\\Work", 1, L"C:\\Work\\"},
        {L"C:\\Work\\", 1, L"C:\\Work\\"},
        {L"\"C:\\Program Files\"  \r\n", 1, L"\"C:\\Program Files\\"},
        {L"\\\\server\\share", 1, L"\\\\server\\share\\"},
        {L"\\\\\\Korvex\\", 0, L""},
        {L"", 0, L""},
        {L" \"\t", 0, L""},
    };
    for (const Case& c : cases) {
        wchar_t folder[2048];
        EXPECT_EQ(KxNormalizePanelFolder(c.text, folder, 2048), c.ok) << KxtUtf8(c.text);
        EXPECT_STREQ(folder, c.folder);
    }
    std::wstring at2046(2046, L'a');
    std::wstring at2047(2047, L'a');
    wchar_t folder[2048];
    KxNormalizePanelFolder(at2046.c_str(), folder, 2048);
    EXPECT_EQ(wcslen(folder), 2047u);
    KxNormalizePanelFolder(at2047.c_str(), folder, 2048);
    EXPECT_EQ(wcslen(folder), 2047u) << "no room for the backslash";
    EXPECT_NE(folder[2046], L'\\');
}
