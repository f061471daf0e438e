#include "panel/ansi_text.h"

#include <gtest/gtest.h>

#include <string>

TEST(AnsiText, ConversionsTakeTextsWholeOrNotAtAll)
{
    wchar_t wide[8];
    EXPECT_EQ(KxAnsiToWide("abc", wide, 8), 3);
    EXPECT_STREQ(wide, L"abc");
    EXPECT_EQ(KxAnsiToWide("abcdefg", wide, 8), 7);
    EXPECT_EQ(KxAnsiToWide("abcdefgh", wide, 8), -1);
    EXPECT_STREQ(wide, L"") << "never a shortened text";
    EXPECT_EQ(KxAnsiToWide(nullptr, wide, 8), 0);
    std::string huge(KX_HOST_TEXT_BYTES_MAX + 1, 'x');
    std::wstring room(KX_HOST_TEXT_CHARS + 8, L' ');
    EXPECT_EQ(KxAnsiToWide(huge.c_str(), room.data(), (int)room.size()), -1);

    char ansi[8];
    EXPECT_EQ(KxWideToAnsi(L"abcdefg", ansi, 8), 7);
    EXPECT_EQ(KxWideToAnsi(L"abcdefgh", ansi, 8), -1);
    EXPECT_STREQ(ansi, "");
    // Letters the code page lacks become '?', never a look-alike.
    for (const wchar_t* text : {L"f\u0131le", L"\u0142\u00f3d\u017a", L"\u65e5\u672c"}) {
        char converted[32];
        ASSERT_GE(KxWideToAnsi(text, converted, 32), 0);
        wchar_t back[32];
        MultiByteToWideChar(CP_ACP, 0, converted, -1, back, 32);
        for (int i = 0; back[i]; ++i) EXPECT_TRUE(back[i] == text[i] || back[i] == L'?') << text << " at " << i;
    }
}

TEST(AnsiText, CutsKeepWholeCharacters)
{
    wchar_t wide[4];
    KxCopyWideCut(L"ab\U0001F600", wide, 4);
    EXPECT_STREQ(wide, L"ab") << "no half of a surrogate pair";
    KxCopyWideCut(L"a\U0001F600", wide, 4);
    EXPECT_STREQ(wide, L"a\U0001F600");
    char ansi[4];
    KxCopyAnsiCut("abcdef", ansi, 4);
    EXPECT_STREQ(ansi, "abc");
    KxCopyAnsiCut("", ansi, 4);
    EXPECT_STREQ(ansi, "");
}
