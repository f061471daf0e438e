#include "panel/published_names.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/naming_reference.h"

namespace {

// A set as publishing grows it: each base name gets its unique name and joins the set and its index.
struct KxtNamedSet {
    std::vector<KxPublishedEntry> entries = std::vector<KxPublishedEntry>(KX_PUBLISHED_CAPACITY);
    int count = 0;
    KxNameIndex index{};
    KxNameHints hints{};
    bool useHints = true;
    const KxNameHistory* history = nullptr;

    std::wstring Add(const std::wstring& baseName, int* kind = nullptr, const std::wstring& path = L"")
    {
        KxNameRules rules{entries.data(), &index, history, KxFoldedTextHash(path.c_str())};
        int made = KxMakeUniqueName(baseName.c_str(), rules, useHints ? &hints : nullptr, entries[count].name);
        if (kind) *kind = made;
        lstrcpynW(entries[count].path, path.c_str(), KX_PATH_CHARS);
        KxAddToNameIndex(&index, entries.data());
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
        EXPECT_LE(wcslen(set.entries[i].name), 259u);
        for (int j = 0; j < i; ++j) ASSERT_NE(_wcsicmp(set.entries[i].name, set.entries[j].name), 0) << i << " " << j;
    }
}

// Names the fast method gives one after another, each checked against the plain rule on the same set.
// Where the plain rule never ends (the cut leaves the counter no room), a shortened name must be given.
void KxtExpectSameAsStraightforward(const std::vector<std::wstring>& baseNames, bool useHints = true)
{
    KxtNamedSet set;
    set.useHints = useHints;
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
    EXPECT_EQ(KxtNumbered(std::wstring(300, L'x') + L".txt", 2), std::wstring(240, L'x') + L" (2).txt");
    EXPECT_EQ(KxtNumbered(std::wstring(258, L'x'), 2), std::wstring(258, L'x') + L" ") << "cut to 259";

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
    KxtExpectSameAsStraightforward(std::vector<std::wstring>(KX_PUBLISHED_CAPACITY - 1, L"README.md"), false);

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
    KxtExpectSameAsStraightforward(mixed, false);

    // Around the length limit the cut takes the extension, then the counter's digits, then all of it.
    for (int length = 236; length <= 262; ++length) {
        std::vector<std::wstring> longNames;
        for (int repeat = 0; repeat < 14; ++repeat) {
            longNames.push_back(std::wstring(length, L'x'));
            longNames.push_back(std::wstring(length, L'y') + L".txt");
            longNames.push_back(std::wstring(length - 230, L'z') + L"." + std::wstring(length - 10, L'e'));
        }
        KxtExpectSameAsStraightforward(longNames);
    }
}

TEST(PublishedNames, WithHistoryANameNeverPassesToAnotherPath)
{
    KxNameHistory history{};
    ASSERT_TRUE(KxRecordGivenName(&history, L"README.md", L"C:\\a\\README.md"));
    ASSERT_TRUE(KxRecordGivenName(&history, L"readme (2).MD", L"C:\\b\\README.md"));
    ASSERT_TRUE(KxRecordGivenName(&history, L"README.md", L"c:\\A\\readme.md")) << "the same pair again";
    EXPECT_EQ(history.count, 2);

    KxtNamedSet set;
    set.history = &history;
    EXPECT_EQ(set.Add(L"README.md", nullptr, L"C:\\c\\README.md"), L"README (3).md") << "taken earlier by a and b";
    EXPECT_EQ(set.Add(L"README.md", nullptr, L"C:\\B\\readme.md"), L"README (2).md") << "b keeps its name";
    EXPECT_EQ(set.Add(L"README.md", nullptr, L"C:\\a\\README.md"), L"README.md");
    set.history = nullptr;
    EXPECT_EQ(set.Add(L"notes.txt", nullptr, L"C:\\d\\notes.txt"), L"notes.txt");

    // The history grows past its first table and still knows every pair.
    for (int i = 0; i < 3000; ++i) {
        std::wstring name = L"n" + std::to_wstring(i);
        ASSERT_TRUE(KxRecordGivenName(&history, name.c_str(), (L"C:\\" + name).c_str()));
    }
    for (int i = 0; i < 3000; i += 7) {
        std::wstring name = L"N" + std::to_wstring(i);
        ULONGLONG nameHash = KxFoldedTextHash(name.c_str());
        EXPECT_FALSE(KxNameGivenToOtherPath(&history, nameHash, KxFoldedTextHash((L"c:\\" + name).c_str())));
        EXPECT_TRUE(KxNameGivenToOtherPath(&history, nameHash, KxFoldedTextHash(L"C:\\other")));
    }
    EXPECT_FALSE(KxNameGivenToOtherPath(&history, KxFoldedTextHash(L"never given"), 1));
}

// The index finds a name through the hash of its folded text; two names the set counts as equal must
// share that hash, or the set could hold both.
TEST(PublishedNames, HashFoldsEveryCharacterAsTheSetComparesNames)
{
    int mismatches = 0;
    for (unsigned c = 1; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        wchar_t a[2] = {(wchar_t)c, 0};
        wchar_t upper[2] = {(wchar_t)c, 0};
        wchar_t lower[2] = {(wchar_t)c, 0};
        CharUpperBuffW(upper, 1);
        CharLowerBuffW(lower, 1);
        for (wchar_t other : {(wchar_t)towupper(c), (wchar_t)towlower(c), upper[0], lower[0]}) {
            wchar_t b[2] = {other, 0};
            bool equal = _wcsicmp(a, b) == 0;
            bool sameHash = KxFoldedTextHash(a) == KxFoldedTextHash(b);
            if (equal != sameHash && mismatches++ < 5) ADD_FAILURE() << std::hex << c << " and " << (unsigned)other;
        }
    }
    EXPECT_EQ(mismatches, 0);
}
