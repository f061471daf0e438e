#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "panel/published_names.h"
#include "support/naming_reference.h"

namespace {

// A set as publishing grows it: each base name gets its unique name and joins the set.
struct KxtNamedSet {
    std::vector<KxPublishedEntry> entries = std::vector<KxPublishedEntry>(KX_PUBLISHED_CAPACITY);
    int count = 0;

    std::wstring Add(const std::wstring& baseName, int* kind = nullptr)
    {
        int made = KxMakeUniqueName(baseName.c_str(), entries.data(), count, entries[count].name);
        if (kind) *kind = made;
        return entries[count++].name;
    }
};

std::wstring KxtNumbered(const std::wstring& baseName, int counter)
{
    wchar_t out[KX_PUBLISHED_NAME_CHARS];
    KxFormatNumberedName(baseName.c_str(), counter, out);
    return out;
}

void KxtExpectAllDistinct(const KxtNamedSet& set)
{
    for (int i = 0; i < set.count; ++i) {
        EXPECT_LE(wcslen(set.entries[i].name), 299u);
        for (int j = 0; j < i; ++j) ASSERT_NE(_wcsicmp(set.entries[i].name, set.entries[j].name), 0) << i << " " << j;
    }
}

// Names the fast method gives one after another, each checked against the plain rule on the same set.
// Where the plain rule never ends (the cut leaves the counter no room), a shortened name must be given.
void KxtExpectSameAsStraightforward(const std::vector<std::wstring>& baseNames)
{
    KxtNamedSet set;
    ASSERT_LT(baseNames.size(), (size_t)KX_PUBLISHED_CAPACITY);
    for (const std::wstring& baseName : baseNames) {
        wchar_t expected[KX_PUBLISHED_NAME_CHARS];
        // Every name the rule can give appears below counter 503, so a limit of 2000 tells "never" apart.
        int counter = KxtNameStraightforwardly(baseName.c_str(), set.entries.data(), set.count, expected, 2000);
        int kind = 0;
        std::wstring name = set.Add(baseName, &kind);
        if (counter > 0) {
            ASSERT_EQ(name, expected) << baseName << " at " << set.count;
            ASSERT_EQ(kind, counter == 1 ? KX_NAME_AS_IS : KX_NAME_NUMBERED);
        } else {
            ASSERT_EQ(kind, KX_NAME_SHORTENED) << set.count;
        }
    }
    KxtExpectAllDistinct(set);
}

}  // namespace

TEST(PublishedNames, BaseNameIsWhatFollowsTheLastBackslash)
{
    const wchar_t* cases[][2] = {{L"C:\\a\\notes.txt", L"notes.txt"},
                                 {L"noslash.txt", L"noslash.txt"},
                                 {L"C:\\Photos\\", L"Photos"},
                                 {L"C:\\", L"C:"},
                                 {L"\\\\", L""},
                                 {L"", L""}};
    for (auto& c : cases) {
        wchar_t out[KX_PATH_CHARS];
        KxBaseNameOfPath(c[0], out, KX_PATH_CHARS);
        EXPECT_STREQ(out, c[1]) << c[0];
    }
}

TEST(PublishedNames, CounterGoesBeforeTheLastDotThatIsNotTheFirstCharacter)
{
    EXPECT_EQ(KxtNumbered(L"report.pdf", 2), L"report (2).pdf");
    EXPECT_EQ(KxtNumbered(L"archive.tar.gz", 2), L"archive.tar (2).gz");
    EXPECT_EQ(KxtNumbered(L".profile", 2), L".profile (2)");
    EXPECT_EQ(KxtNumbered(L"Photos", 12), L"Photos (12)");
    EXPECT_EQ(KxtNumbered(std::wstring(300, L'x') + L".txt", 2), std::wstring(280, L'x') + L" (2).txt");
    EXPECT_EQ(KxtNumbered(std::wstring(298, L'x'), 2), std::wstring(298, L'x') + L" ") << "cut to 299";

    KxtNamedSet set;
    EXPECT_EQ(set.Add(L"report.pdf"), L"report.pdf");
    EXPECT_EQ(set.Add(L"report (3).pdf"), L"report (3).pdf");
    EXPECT_EQ(set.Add(L"REPORT.PDF"), L"REPORT (2).PDF") << "compared without regard to case";
    EXPECT_EQ(set.Add(L"report.pdf"), L"report (4).pdf") << "a counter already taken is passed over";
    EXPECT_EQ(set.Add(L""), L"");
    EXPECT_EQ(set.entries[set.count - 1].name[0], L'\0');
}

TEST(PublishedNames, SameNamesAsTheStraightforwardRule)
{
    KxtExpectSameAsStraightforward(std::vector<std::wstring>(KX_PUBLISHED_CAPACITY - 1, L"README.md"));

    // Names that look like numbered ones, in mixed case, so the counter's place is often occupied.
    std::mt19937 random(20240607);
    const wchar_t* tokens[] = {L"a", L"A", L".", L" (", L")", L"1", L"2", L"0", L"b", L" (2)", L".B"};
    std::vector<std::wstring> mixed;
    for (int i = 0; i < 400; ++i) {
        std::wstring name;
        for (int n = 1 + random() % 4; n > 0; --n) name += tokens[random() % 11];
        mixed.push_back(name);
    }
    KxtExpectSameAsStraightforward(mixed);

    // Around the length limit the cut takes the extension, then the counter's digits, then all of it.
    for (int length = 276; length <= 300; ++length) {
        std::vector<std::wstring> longNames;
        for (int repeat = 0; repeat < 14; ++repeat) {
            longNames.push_back(std::wstring(length, L'x'));
            longNames.push_back(std::wstring(length, L'y') + L".txt");
            longNames.push_back(std::wstring(length - 270, L'z') + L"." + std::wstring(length - 10, L'e'));
        }
        KxtExpectSameAsStraightforward(longNames);
    }
}
