#include <gtest/gtest.h>

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
