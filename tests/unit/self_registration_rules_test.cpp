#include <gtest/gtest.h>

#include <string>

#include "config/self_registration.h"

TEST(SelfRegistrationRules, OnlyOtherFourCharacterCaKeysBoundToCdArePruneCandidates)
{
    struct Case {
        const wchar_t* entry;
        int candidate;
        const wchar_t* key;
    };
    const Case cases[] = {
        {L"CA+F=CD", 1, L"CA+F"},  {L"CA+f=cd", 1, L"CA+f"},  {L"CA+5=Cd", 1, L"CA+5"},
        {L"CA+G=CD", 0, nullptr},                              // the current key, any case
        {L"CA+g=CD", 0, nullptr},  {L"ca+f=CD", 0, nullptr},   // only upper-case CA counts
        {L"Ca+F=CD", 0, nullptr},  {L"CA+F1=CD", 0, nullptr},  // keys of other lengths
        {L"CA+=CD", 0, nullptr},   {L"CA+F=CDX", 0, nullptr}, {L"CA+F=", 0, nullptr},
        {L"CA+F= CD", 0, nullptr}, {L"CA+F", 0, nullptr},     {L"", 0, nullptr},
    };
    for (const Case& c : cases) {
        wchar_t key[5] = L"xxxx";
        EXPECT_EQ(KxIsOtherHotkeyCdEntry(c.entry, L"CA+G", key, 5), c.candidate)
            << testing::PrintToString(std::wstring(c.entry));
        if (c.candidate) {
            EXPECT_STREQ(key, c.key);
        }
    }
    wchar_t small[4];
    EXPECT_EQ(KxIsOtherHotkeyCdEntry(L"CA+F=CD", L"CA+G", small, 4), 0) << "no room for the key";
}

TEST(SelfRegistrationRules, OneEnclosingPairOfQuotesIsRemoved)
{
    const wchar_t* cases[][2] = {
        {L"\"\\\\\\Korvex\\\"", L"\\\\\\Korvex\\"},
        {L"\"\"x\"\"", L"\"x\""},
        {L"\"\"", L""},
        {L"\"", L"\""},
        {L"\"abc", L"\"abc"},
        {L"abc\"", L"abc\""},
        {L"", L""},
    };
    for (auto& c : cases) {
        wchar_t text[32];
        wcscpy(text, c[0]);
        KxStripEnclosingQuotes(text);
        EXPECT_STREQ(text, c[1]);
    }
}

TEST(SelfRegistrationRules, APairIsOursOnlyWhenADeleteByNameWouldMeetOurOwnLines)
{
    // A [Shortcuts] copy: "key=value" texts, each ending in a NUL, the block in an empty one.
    auto block = [](std::initializer_list<const wchar_t*> lines) {
        std::wstring text;
        for (const wchar_t* line : lines) text += std::wstring(line) + L'\0';
        return text + L'\0';
    };
    const wchar_t* root = L"\\\\\\Korvex\\";
    struct Case {
        std::wstring section;
        int ours;
        const char* why;
    };
    const Case cases[] = {
        {block({L"CA+F=CD", L"CA+F_params=\"\\\\\\Korvex\\\""}), 1, "our pair, quoted"},
        {block({L"C+T=cm_OpenNewTab", L"CA+F=cd", L"CA+F_params=\\\\\\korvex\\"}), 1, "unquoted, any case of value"},
        {block({L"ca+f=cm_UserCommand", L"CA+F=CD", L"CA+F_params=\"\\\\\\Korvex\\\""}), 0,
         "the user's ca+f comes first and would go"},
        {block({L"CA+F=CD", L"ca+f_params=C:\\Mine\\", L"CA+F_params=\"\\\\\\Korvex\\\""}), 0,
         "the user's parameter comes first"},
        {block({L"ca+f=CD", L"CA+F=CD", L"CA+F_params=\"\\\\\\Korvex\\\""}), 0, "spelled otherwise: not ours"},
        {block({L"CA+F=CD"}), 0, "no parameter"},
        {block({L"CA+F=CD", L"CA+F_params"}), 0, "a parameter line without a value"},
        {block({L"CA+F=CD", L"CA+F_params=\"C:\\Temp\\\""}), 0, "another folder"},
        {block({L"CA+F1=CD", L"CA+F=CD", L"CA+F_params=\\\\\\Korvex\\"}), 1, "a longer key is another key"},
    };
    for (const Case& c : cases) EXPECT_EQ(KxIsOurShortcutPair(c.section.c_str(), L"CA+F", root), c.ours) << c.why;

    std::wstring section = block({L"CA+F1=x", L"ca+f=first", L"CA+F=second", L"CA+F"});
    EXPECT_STREQ(KxFirstEntryOfKey(section.c_str(), L"CA+F"), L"ca+f=first");
    EXPECT_EQ(KxFirstEntryOfKey(section.c_str(), L"CA+G"), nullptr);
    std::wstring bare = block({L"CA+G", L"CA+G=CD"});
    EXPECT_STREQ(KxFirstEntryOfKey(bare.c_str(), L"ca+g"), L"CA+G") << "a line without a value is a key too";
}
