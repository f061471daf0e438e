#include "search/result_format.h"

#include <gtest/gtest.h>
#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "overlay/header_sort.h"
#include "support/test_support.h"

namespace {

enum { BY_NAME, BY_SIZE, BY_DATE, BY_FOLDER, BY_TYPE };

KxResult Hit(const wchar_t* path, ULONGLONG size = 0, ULONGLONG date = 0, int isFolder = 0)
{
    KxResult result = {};
    lstrcpynW(result.path, path, KX_PATH_CHARS);
    result.size = size;
    result.dateModified = date;
    result.isFolder = isFolder;
    return result;
}

int Compare(const KxResult& a, const KxResult& b, int column, bool descending)
{
    KxSetCompareOrder(column, descending);
    return KxCompareResults(&a, &b);
}

// The formatter turns UTC into local time with the current bias; this is its inverse.
ULONGLONG UtcOfLocal(const SYSTEMTIME& local)
{
    FILETIME localFile, utc;
    if (!SystemTimeToFileTime(&local, &localFile) || !LocalFileTimeToFileTime(&localFile, &utc)) return 0;
    return ((ULONGLONG)utc.dwHighDateTime << 32) | utc.dwLowDateTime;
}

void SetPictures(const wchar_t* date, const wchar_t* time, int showTime)
{
    lstrcpynW(g_settings.datePicture, date, 32);
    lstrcpynW(g_settings.timePicture, time, 32);
    g_settings.showTime = showTime;
}

}  // namespace

TEST(ResultCompare, KeysOfEachColumn)
{
    const std::wstring longA = L"C:\\" + std::wstring(63, L'a') + L"X\\f";
    const std::wstring longB = L"C:\\" + std::wstring(63, L'a') + L"Y\\f";
    struct Case {
        int column;
        KxResult a, b;
        int ascending;
    } cases[] = {
        {BY_NAME, Hit(L"C:\\x\\README"), Hit(L"D:\\y\\readme"), 0},
        {BY_NAME, Hit(L"Z:\\a"), Hit(L"A:\\b"), -1},
        {BY_NAME, Hit(L"DELTA"), Hit(L"A:\\gamma", 0, 0, 1), -1},
        // Sizes and dates compare unsigned: the largest values must not turn negative.
        {BY_SIZE, Hit(L"a", 5), Hit(L"b", 1ull << 63), -1},
        {BY_SIZE, Hit(L"a", 0), Hit(L"b", UINT64_MAX), -1},
        {BY_SIZE, Hit(L"a", 7, 1), Hit(L"b", 7, 2), 0},
        {BY_DATE, Hit(L"a", 9, 1), Hit(L"b", 1, UINT64_MAX), -1},
        {BY_DATE, Hit(L"a", 9, 1ull << 63), Hit(L"b", 1, 1ull << 63), 0},
        // Only the folder's own name counts, cut at 63 characters.
        {BY_FOLDER, Hit(L"C:\\x\\docs\\a.txt"), Hit(L"D:\\y\\Docs\\b.txt"), 0},
        {BY_FOLDER, Hit(L"C:\\f"), Hit(L"D:\\c:\\f"), 0},
        {BY_FOLDER, Hit(L"\\f"), Hit(L"C:\\a\\f"), -1},
        {BY_FOLDER, Hit(L"Z:\\a\\Beta\\f"), Hit(L"A:\\zeta\\f"), -1},
        {BY_FOLDER, Hit(longA.c_str()), Hit(longB.c_str()), 0},
        // Type: the text after the last dot of the name, none for a leading dot or for folders.
        {BY_TYPE, Hit(L"C:\\r\\a.zip", 0, 0, 1), Hit(L"C:\\r\\a.bin"), -1},
        {BY_TYPE, Hit(L"C:\\r\\.gitignore"), Hit(L"C:\\r\\x", 0, 0, 1), 0},
        {BY_TYPE, Hit(L"C:\\r\\.gitignore"), Hit(L"C:\\r\\a.a"), -1},
        {BY_TYPE, Hit(L"C:\\r\\file."), Hit(L"C:\\r\\a.a"), -1},
        {BY_TYPE, Hit(L"C:\\a.zzz\\readme"), Hit(L"C:\\r\\a.a"), -1},
        {BY_TYPE, Hit(L"C:\\r\\b.tar.gz"), Hit(L"C:\\r\\a.GZ"), 0},
        {BY_TYPE, Hit(L"C:\\r\\b.tar.gz"), Hit(L"C:\\r\\a.tar"), -1},
        // Any other column sorts by date.
        {-1, Hit(L"C:\\b", 9, 100), Hit(L"C:\\a", 1, 200), -1},
        {5, Hit(L"C:\\b", 9, 100), Hit(L"C:\\a", 1, 200), -1},
    };
    for (const Case& c : cases) {
        std::string label = std::to_string(c.column) + " " + KxtUtf8(c.a.path) + " / " + KxtUtf8(c.b.path);
        EXPECT_EQ(Compare(c.a, c.b, c.column, false), c.ascending) << label;
        EXPECT_EQ(Compare(c.b, c.a, c.column, false), -c.ascending) << label;
        EXPECT_EQ(Compare(c.a, c.b, c.column, true), -c.ascending) << label;
    }
    // Sorting by folder must not overwrite the folder name the list is showing.
    const wchar_t* shown = KxParentFolderName(L"C:\\a\\shown\\f");
    Compare(Hit(L"C:\\x\\b\\f"), Hit(L"C:\\y\\a\\f"), BY_FOLDER, false);
    EXPECT_STREQ(shown, L"shown");
}

TEST(ResultFormat, SizeTexts)
{
    const std::pair<ULONGLONG, const wchar_t*> cases[] = {
        {0, L"0 B"},
        {1023, L"1023 B"},
        {1024, L"1.0 KB"},
        {1536, L"1.5 KB"},
        {1048524, L"1023.9 KB"},
        // One decimal would show 1024.0 KB from here on: the next unit takes over.
        {1048525, L"1.0 MB"},
        {1048576, L"1.0 MB"},
        {1073741824, L"1.0 GB"},
        {3ull << 39, L"1.5 TB"},
        {1ull << 50, L"1024.0 TB"},
        {UINT64_MAX, L"16777216.0 TB"}};
    for (const auto& c : cases) EXPECT_STREQ(KxFormatSize(c.first), c.second) << c.first;
}

TEST(ResultFormat, DateTimeTexts)
{
    const std::wstring savedDate = g_settings.datePicture, savedTime = g_settings.timePicture;
    const int savedShowTime = g_settings.showTime;
    const SYSTEMTIME local = {2024, 3, 0, 15, 14, 7, 9, 0};
    const ULONGLONG fileTime = UtcOfLocal(local);
    ASSERT_NE(fileTime, 0u);

    // Each "d" and "H" gives two digits on the 15th at 14:07, so these outgrow a 31-character part.
    const wchar_t* longDate = L"d d d d d d d d d d d d d d d d";
    const wchar_t* longTime = L"H H H H H H H H H H H H H H H H";
    struct Case {
        const wchar_t *date, *time;
        int showTime;
        const wchar_t* text;
    } cases[] = {
        {L"dd.MM.yyyy", L"HH:mm", 1, L"15.03.2024 14:07"}, {L"yyyy-MM-dd", L"HH:mm:ss", 1, L"2024-03-15 14:07:09"},
        {L"dd.MM.yyyy", L"HH:mm", 0, L"15.03.2024"},       {longDate, L"HH:mm", 1, L"14:07"},
        {L"dd.MM.yyyy", longTime, 1, L"15.03.2024"},       {longDate, longTime, 1, L""},
    };
    for (const Case& c : cases) {
        SetPictures(c.date, c.time, c.showTime);
        EXPECT_STREQ(KxFormatDateTime(fileTime), c.text) << KxtUtf8(c.date) << " / " << KxtUtf8(c.time);
    }

    wchar_t date[64], time[64];
    ASSERT_GT(GetDateFormatEx(nullptr, DATE_SHORTDATE, &local, nullptr, date, 64, nullptr), 0);
    ASSERT_GT(GetTimeFormatEx(nullptr, TIME_NOSECONDS, &local, nullptr, time, 64), 0);
    SetPictures(L"", L"", 1);
    EXPECT_EQ(std::wstring(KxFormatDateTime(fileTime)), std::wstring(date) + L" " + time);
    for (ULONGLONG unusable : {0ull, 1ull << 63, UINT64_MAX}) EXPECT_STREQ(KxFormatDateTime(unusable), L"");
    SetPictures(L"", L"", 0);
    EXPECT_STREQ(KxFormatDateTime(fileTime), date);
    SetPictures(savedDate.c_str(), savedTime.c_str(), savedShowTime);
}

TEST(ParentFolder, FullPathAndName)
{
    struct Case {
        const wchar_t *path, *full, *name;
    } cases[] = {
        {L"C:\\file.txt", L"C:\\", L"C:"}, {L"C:\\a\\b\\file.txt", L"C:\\a\\b", L"b"},
        {L"C:\\a\\", L"C:\\a", L"a"},      {L"\\\\srv\\share\\f", L"\\\\srv\\share", L"share"},
        {L"ab\\f", L"ab", L"ab"},          {L"\\f", L"", L""},
        {L"file.txt", L"", L""},           {L"C:", L"", L""},
    };
    for (const Case& c : cases) {
        wchar_t full[KX_PATH_CHARS] = L"stale";
        EXPECT_EQ(KxParentFolderPath(c.path, full, KX_PATH_CHARS), (int)wcslen(c.full)) << KxtUtf8(c.path);
        EXPECT_STREQ(full, c.full) << KxtUtf8(c.path);
        EXPECT_STREQ(KxParentFolderName(c.path), c.name) << KxtUtf8(c.path);
    }

    const std::wstring deep = L"C:\\" + std::wstring(2500, L'x') + L"\\f";
    wchar_t full[KX_PATH_CHARS], small[4];
    EXPECT_EQ(KxParentFolderPath(deep.c_str(), full, KX_PATH_CHARS), 2047);
    EXPECT_EQ(std::wstring(full), deep.substr(0, 2047));
    EXPECT_EQ(KxParentFolderPath(L"C:\\a\\b\\f", small, 4), 3);
    EXPECT_STREQ(small, L"C:\\");
    const std::wstring longName = L"C:\\" + std::wstring(63, L'n') + L"tail\\f";
    EXPECT_EQ(std::wstring(KxParentFolderName(longName.c_str())), std::wstring(63, L'n'));
}

TEST(HeaderSort, StateAtOpenFromTheSortNumber)
{
    // Index: the sort number; column and descending (1) for 0 to 16.
    const int expected[17][2] = {{BY_DATE, 1}, {BY_NAME, 0}, {BY_NAME, 1}, {BY_FOLDER, 0}, {BY_FOLDER, 1}, {BY_SIZE, 0},
                                 {BY_SIZE, 1}, {BY_TYPE, 0}, {BY_TYPE, 1}, {BY_DATE, 1},   {BY_DATE, 1},   {BY_DATE, 1},
                                 {BY_DATE, 1}, {BY_DATE, 0}, {BY_DATE, 1}, {BY_DATE, 1},   {BY_DATE, 1}};
    for (DWORD sortType = 0; sortType <= 32; ++sortType) {
        const int* want = sortType <= 16 ? expected[sortType] : expected[0];
        int column = -1;
        bool descending = !want[1];
        KxHeaderSortFromSortType(sortType, &column, &descending);
        EXPECT_EQ(column, want[0]) << sortType;
        EXPECT_EQ(descending, want[1] != 0) << sortType;
    }
}
