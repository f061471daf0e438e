#include <gtest/gtest.h>
#include <limits.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "support/test_support.h"

namespace {

std::vector<std::wstring> Entries(const KxHistory& history)
{
    return std::vector<std::wstring>(history.entries, history.entries + history.count);
}

}  // namespace

TEST(SettingsRules, HotkeyLetterIsTheCharacterAfterTheLastPlus)
{
    struct Case {
        const wchar_t* text;
        wchar_t letter;
    } cases[] = {{L"Ctrl+Alt+F", L'F'},
                 {L"Ctrl+Shift+g", L'G'},
                 {L"Alt+z", L'Z'},
                 {L"a+b+c", L'C'},
                 {L"Ctrl+Alt+xF", L'X'},
                 {L"Ctrl+Alt+Fx", L'F'},
                 {L"Ctrl+Alt+7", L'F'},
                 {L"Ctrl+Alt+", L'F'},
                 {L"Ctrl+Alt+ Q", L'F'},
                 {L"Q", L'F'},
                 {L"", L'F'},
                 {L"Ctrl+Alt+\u00E9", L'F'}};
    for (const Case& c : cases) EXPECT_EQ(KxParseHotkeyLetter(c.text), c.letter) << KxtUtf8(c.text);
}

TEST(SettingsRules, MaxResultsIsClampedToOneToFiveHundred)
{
    const int cases[][2] = {{INT_MIN, 1}, {-1, 1},    {0, 1},     {1, 1},        {2, 2},
                            {200, 200},   {500, 500}, {501, 500}, {INT_MAX, 500}};
    for (const auto& c : cases) EXPECT_EQ(KxClampMaxResults(c[0]), c[1]) << c[0];
}

TEST(SettingsRules, NamedValuesIgnoreCaseAndFallBack)
{
    struct Case {
        int (*parse)(const wchar_t*);
        const wchar_t* text;
        int value;
    } cases[] = {{KxParseThemeMode, L"dark", KX_THEME_DARK},
                 {KxParseThemeMode, L"LIGHT", KX_THEME_LIGHT},
                 {KxParseThemeMode, L"Auto", KX_THEME_AUTO},
                 {KxParseThemeMode, L"Darker", KX_THEME_AUTO},
                 {KxParseThemeMode, L"", KX_THEME_AUTO},
                 {KxParseDriveScope, L"all", KX_SCOPE_ALL},
                 {KxParseDriveScope, L"Local", KX_SCOPE_LOCAL},
                 {KxParseDriveScope, L"FIXED", KX_SCOPE_FIXED},
                 {KxParseDriveScope, L"network", KX_SCOPE_NETWORK},
                 {KxParseDriveScope, L"Net", KX_SCOPE_ALL},
                 {KxParseDriveScope, L"", KX_SCOPE_ALL}};
    for (const Case& c : cases) EXPECT_EQ(c.parse(c.text), c.value) << KxtUtf8(c.text);
}

TEST(SettingsRules, DriveScopeNamesRoundTrip)
{
    const wchar_t* names[] = {L"All", L"Local", L"Fixed", L"Network"};
    for (int scope = 0; scope < 4; ++scope) {
        EXPECT_STREQ(KxDriveScopeName(scope), names[scope]);
        EXPECT_EQ(KxParseDriveScope(KxDriveScopeName(scope)), scope);
    }
    EXPECT_STREQ(KxDriveScopeName(-1), L"All");
    EXPECT_STREQ(KxDriveScopeName(4), L"All");
}

TEST(SettingsRules, SortOrderNamesAndTheirNumbers)
{
    struct Case {
        const wchar_t* name;
        DWORD number;
    } cases[] = {{L"NameAscending", 1},          {L"NameDescending", 2},          {L"PathAscending", 3},
                 {L"PathDescending", 4},         {L"SizeAscending", 5},           {L"SizeDescending", 6},
                 {L"ExtensionAscending", 7},     {L"ExtensionDescending", 8},     {L"TypeNameAscending", 9},
                 {L"TypeNameDescending", 10},    {L"DateCreatedAscending", 11},   {L"DateCreatedDescending", 12},
                 {L"DateModifiedAscending", 13}, {L"DateModifiedDescending", 14}, {L"AttributesAscending", 15},
                 {L"AttributesDescending", 16},  {L"DateAccessedAscending", 23},  {L"DateAccessedDescending", 24}};
    for (const Case& c : cases) {
        EXPECT_EQ(KxParseSortOrder(c.name), c.number) << KxtUtf8(c.name);
        std::wstring lower = c.name;
        CharLowerW(lower.data());
        EXPECT_EQ(KxParseSortOrder(lower.c_str()), c.number) << KxtUtf8(lower);
    }
    // Numbers are not names, and 17 to 22 belong to no name.
    for (const wchar_t* unknown : {L"", L"Name", L"17", L"14", L"DateModified Descending", L"SizeAscendingX"})
        EXPECT_EQ(KxParseSortOrder(unknown), 14u) << KxtUtf8(unknown);
}

TEST(SettingsRules, DateAndTimePicturesMapOnlyTheirOwnLetters)
{
    struct Case {
        void (*map)(wchar_t*);
        const wchar_t* text;
        const wchar_t* picture;
    } cases[] = {{KxMapDatePicture, L"DD.MM.YYYY", L"dd.MM.yyyy"},   {KxMapDatePicture, L"yyyy-mm-dd", L"yyyy-MM-dd"},
                 {KxMapDatePicture, L"HH:MM:SS TT", L"HH:MM:SS TT"}, {KxMapDatePicture, L"", L""},
                 {KxMapTimePicture, L"HH:MM:SS", L"HH:mm:ss"},       {KxMapTimePicture, L"hh:MM TT", L"hh:mm tt"},
                 {KxMapTimePicture, L"DD.MM.YYYY", L"DD.mm.YYYY"},   {KxMapTimePicture, L"HhMmSsTt", L"Hhmmsstt"}};
    for (const Case& c : cases) {
        wchar_t picture[32];
        lstrcpynW(picture, c.text, 32);
        c.map(picture);
        EXPECT_STREQ(picture, c.picture) << KxtUtf8(c.text);
    }
}

TEST(SettingsRules, HistoryStoresTrimmedTextsAndIgnoresBlankOnes)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* stored;  // nullptr: rejected
    } cases[] = {{L"  abc  ", L"abc"},
                 {L"\t\r\n\v\f x \f\v\n\r\t", L"x"},
                 {L"a  b", L"a  b"},
                 {L"", nullptr},
                 {L" \t\r\n ", nullptr}};
    for (const Case& c : cases) {
        KxHistory history{};
        EXPECT_EQ(KxHistoryAdd(history, c.text), c.stored ? 1 : 0) << KxtUtf8(c.text);
        EXPECT_EQ(Entries(history), c.stored ? std::vector<std::wstring>{c.stored} : std::vector<std::wstring>{});
    }
}

TEST(SettingsRules, HistoryIsMostRecentFirstWithCaseSensitiveRepeats)
{
    struct Step {
        const wchar_t* text;
        int changed;
        std::vector<std::wstring> entries;
    } steps[] = {{L"a", 1, {L"a"}},
                 {L"b", 1, {L"b", L"a"}},
                 {L"c", 1, {L"c", L"b", L"a"}},
                 {L" c ", 0, {L"c", L"b", L"a"}},
                 {L"C", 1, {L"C", L"c", L"b", L"a"}},
                 {L"a", 1, {L"a", L"C", L"c", L"b"}},
                 {L"c", 1, {L"c", L"a", L"C", L"b"}}};
    KxHistory history{};
    for (const Step& step : steps) {
        EXPECT_EQ(KxHistoryAdd(history, step.text), step.changed) << KxtUtf8(step.text);
        EXPECT_EQ(Entries(history), step.entries) << "after " << KxtUtf8(step.text);
    }
}

TEST(SettingsRules, FullHistoryDropsTheOldestButARepeatDropsNothing)
{
    KxHistory history{};
    std::vector<std::wstring> expected;
    for (int n = 1; n <= 21; ++n) {
        KxHistoryAdd(history, std::to_wstring(n).c_str());
        expected.insert(expected.begin(), std::to_wstring(n));
    }
    expected.pop_back();
    EXPECT_EQ(Entries(history), expected) << "21 texts keep the newest 20";

    KxHistoryAdd(history, L"2");  // the 20th entry
    expected.pop_back();
    expected.insert(expected.begin(), L"2");
    EXPECT_EQ(Entries(history), expected);
}

TEST(SettingsRules, HistoryCutsAt255CharactersBeforeTrimming)
{
    struct Case {
        std::wstring text;
        std::wstring stored;
    } cases[] = {{std::wstring(255, L'a') + std::wstring(45, L'b'), std::wstring(255, L'a')},
                 {std::wstring(250, L'x') + std::wstring(10, L' ') + L"tail", std::wstring(250, L'x')},
                 {L"   " + std::wstring(300, L'y'), std::wstring(252, L'y')}};
    for (const Case& c : cases) {
        KxHistory history{};
        KxHistoryAdd(history, c.text.c_str());
        ASSERT_EQ(history.count, 1);
        EXPECT_EQ(std::wstring(history.entries[0]), c.stored);
    }
}

TEST(SettingsRules, ValuesTheProfileWouldUnquoteGetOneMorePair)
{
    struct Case {
        const wchar_t *value, *written;
    } cases[] = {
        {L"\"annual report\"", L"\"\"annual report\"\""},
        {L"'x'", L"\"'x'\""},
        {L"\"\"", L"\"\"\"\""},
        {L"\"open", L"\"open"},
        {L"close\"", L"close\""},
        {L"\"", L"\""},
        {L"'x\"", L"'x\""},
        {L"plain", L"plain"},
        {L"", L""},
    };
    for (const Case& c : cases) {
        wchar_t out[32];
        EXPECT_EQ(KxQuoteProfileValue(c.value, out, 32), 1);
        EXPECT_STREQ(out, c.written);
    }
    wchar_t small[6];
    EXPECT_EQ(KxQuoteProfileValue(L"\"abc\"", small, 6), 0) << "seven characters do not fit in six";
    EXPECT_EQ(KxQuoteProfileValue(L"abcde", small, 6), 1);
}
