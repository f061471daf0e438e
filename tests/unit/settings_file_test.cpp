#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "config/settings.h"
#include "core/log.h"
#include "support/test_support.h"

namespace {

std::wstring HistoryText(const KxSettings& s)
{
    std::wstring all;
    for (int i = 0; i < s.history.count; ++i) all += (i ? L"|" : L"") + std::wstring(s.history.entries[i]);
    return all;
}

// Every value of KxSettings with its default, shown as text so that one table can check them all.
struct Field {
    const char* name;
    std::wstring (*get)(const KxSettings&);
    const wchar_t* fallback;
};
#define KXT_NUMBER(member) [](const KxSettings& s) { return std::to_wstring(s.member); }
#define KXT_TEXT(member) [](const KxSettings& s) { return std::wstring(s.member); }
const Field kFields[] = {
    {"position", KXT_NUMBER(position), L"0"},
    {"hotkeyLetter", [](const KxSettings& s) { return std::wstring(1, s.hotkeyLetter); }, L"F"},
    {"maxResults", KXT_NUMBER(maxResults), L"200"},
    {"maxVisibleRows", KXT_NUMBER(maxVisibleRows), L"20"},
    {"searchDelayMs", KXT_NUMBER(searchDelayMs), L"100"},
    {"themeMode", KXT_NUMBER(themeMode), L"0"},
    {"everythingIniPath", KXT_TEXT(everythingIniPath), L"Auto"},
    {"lastSelectedFilter", KXT_TEXT(lastSelectedFilter), L""},
    {"driveScope", KXT_NUMBER(driveScope), L"0"},
    {"everythingDebug", KXT_NUMBER(everythingDebug), L"0"},
    {"logging", KXT_NUMBER(logging), L"0"},
    {"sortType", KXT_NUMBER(sortType), L"14"},
    {"datePicture", KXT_TEXT(datePicture), L""},
    {"timePicture", KXT_TEXT(timePicture), L""},
    {"showTime", KXT_NUMBER(showTime), L"1"},
    {"driveIcons", KXT_NUMBER(driveIcons), L"1"},
    {"driveIconStyle", KXT_NUMBER(driveIconStyle), L"0"},
    {"searchHistory", KXT_NUMBER(searchHistory), L"1"},
    {"history", HistoryText, L""},
    {"folderColumn", KXT_NUMBER(folderColumn), L"0"},
    {"allowDelete", KXT_NUMBER(allowDelete), L"0"},
};
#undef KXT_NUMBER
#undef KXT_TEXT

std::string Value(const char* field)
{
    for (const Field& f : kFields)
        if (strcmp(f.name, field) == 0) return KxtUtf8(f.get(g_settings));
    ADD_FAILURE() << "no field " << field;
    return {};
}

void ExpectDefaults(const char* except = "", const std::string& context = "")
{
    for (const Field& f : kFields) {
        if (strcmp(f.name, except) != 0) {
            EXPECT_EQ(KxtUtf8(f.get(g_settings)), KxtUtf8(f.fallback)) << f.name << context;
        }
    }
}

// Whatever the file holds, every value stays in its range and every text ends inside its buffer.
void ExpectSane(const KxSettings& s)
{
    EXPECT_TRUE(s.position == 0 || s.position == 1);
    EXPECT_TRUE(s.hotkeyLetter >= L'A' && s.hotkeyLetter <= L'Z');
    EXPECT_TRUE(s.maxResults >= 1 && s.maxResults <= 500);
    EXPECT_TRUE(s.themeMode >= 0 && s.themeMode <= 2);
    EXPECT_TRUE(s.driveScope >= 0 && s.driveScope <= 3);
    EXPECT_TRUE((s.sortType >= 1 && s.sortType <= 16) || s.sortType == 23 || s.sortType == 24);
    for (int flag : {s.everythingDebug, s.logging, s.showTime, s.driveIcons, s.driveIconStyle, s.searchHistory,
                     s.folderColumn, (int)s.allowDelete})
        EXPECT_TRUE(flag == 0 || flag == 1);
    EXPECT_LT(wcsnlen(s.everythingIniPath, 2048), 2048u);
    EXPECT_LT(wcsnlen(s.lastSelectedFilter, 128), 128u);
    EXPECT_LT(wcsnlen(s.datePicture, 32), 32u);
    EXPECT_LT(wcsnlen(s.timePicture, 32), 32u);
    ASSERT_TRUE(s.history.count >= 0 && s.history.count <= KX_HISTORY_MAX);
    for (int i = 0; i < s.history.count; ++i) {
        size_t length = wcsnlen(s.history.entries[i], KX_HISTORY_CHARS);
        EXPECT_TRUE(length > 0 && length < (size_t)KX_HISTORY_CHARS);
    }
}

// Fixed, distinct last-write times, so that a change never depends on the clock's resolution.
constexpr ULONGLONG kTime2020 = 132223104000000000ULL;
constexpr ULONGLONG kSecond = 10000000ULL;

struct SettingsFile : ::testing::Test {
    std::wstring folder = KxtMakeTempFolder();
    std::wstring path = folder + L"Korvex.cfg";
    std::wstring logPath = folder + L"Korvex.log";

    void SetUp() override
    {
        UseFile(path);
        FillWithJunk();
        g_settingsWriteTime = 0;
        lstrcpynW(g_logPath, logPath.c_str(), 2048);
        g_loggingEnabled = 1;
    }
    void TearDown() override
    {
        memset((void*)&g_settings, 0, sizeof g_settings);
        g_configPath[0] = L'\0';
        g_logPath[0] = L'\0';
    }
    static void UseFile(const std::wstring& file) { lstrcpynW(g_configPath, file.c_str(), 2048); }
    // Loading must set every value, so nothing from before may shine through.
    static void FillWithJunk() { memset((void*)&g_settings, 0x55, sizeof g_settings); }
    void LoadFrom(const std::wstring& text)
    {
        ASSERT_TRUE(KxtWriteUnicodeFile(g_configPath, text));
        KxLoadSettings();
    }
    void WriteAt(const std::wstring& text, ULONGLONG time)
    {
        ASSERT_TRUE(KxtWriteUnicodeFile(path, text));
        HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        FILETIME written{(DWORD)time, (DWORD)(time >> 32)};
        EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
        CloseHandle(file);
    }
    static std::wstring Key(const wchar_t* section, const std::wstring& key)
    {
        wchar_t value[512];
        GetPrivateProfileStringW(section, key.c_str(), L"<absent>", value, 512, g_configPath);
        return value;
    }
    int ReloadLines(wchar_t letter) const
    {
        std::string line = "Korvex.cfg changed since it was last read - reloaded (hotkey letter stays ";
        return KxtCountLines(KxtReadLogLines(logPath), line + (char)letter + " until TC restarts)");
    }
};

}  // namespace

TEST_F(SettingsFile, EachKeyIsReadFromItsSectionWithItsFallback)
{
    struct Case {
        const wchar_t* section;
        const wchar_t* key;
        std::wstring value;
        const char* field;
        const char* expected;
    } cases[] = {
        {L"Display", L"Position", L"top", "position", "1"},
        {L"Display", L"Position", L"Middle", "position", "0"},
        {L"Everything", L"Position", L"Top", "position", "0"},
        {L"Display", L"Hotkey", L"Ctrl+Shift+g", "hotkeyLetter", "G"},
        {L"Display", L"Hotkey", L"Control+Alternate+F", "hotkeyLetter", "A"},  // cut to 15 characters first
        {L"Display", L"Hotkey", L"Ctrl+Alt+7", "hotkeyLetter", "F"},
        {L"Everything", L"MaxResults", L"42", "maxResults", "42"},
        {L"Everything", L"MaxResults", L"0", "maxResults", "1"},
        {L"Everything", L"MaxResults", L"5000", "maxResults", "500"},
        {L"Everything", L"MaxResults", L"lots", "maxResults", "1"},
        {L"Display", L"MaxResults", L"42", "maxResults", "200"},
        {L"Display", L"MaxVisibleRows", L"0", "maxVisibleRows", "0"},
        {L"Display", L"MaxVisibleRows", L"1000", "maxVisibleRows", "1000"},
        {L"Display", L"SearchDelayMs", L"250", "searchDelayMs", "250"},
        {L"Display", L"ThemeMode", L"dArK", "themeMode", "1"},
        {L"Display", L"ThemeMode", L"Light", "themeMode", "2"},
        {L"Display", L"ThemeMode", L"Sepia", "themeMode", "0"},
        {L"Everything", L"EverythingIniPath", L"D:\\Tools\\Everything.ini", "everythingIniPath",
         "D:\\Tools\\Everything.ini"},
        {L"Everything", L"EverythingIniPath", L"", "everythingIniPath", ""},  // present but empty is not the default
        {L"Filters", L"LastSelectedFilter", L"Audio", "lastSelectedFilter", "Audio"},
        {L"Filters", L"DriveScope", L"network", "driveScope", "3"},
        {L"Filters", L"DriveScope", L"Fixed", "driveScope", "2"},
        {L"Filters", L"DriveScope", L"Nowhere", "driveScope", "0"},
        {L"Everything", L"EverythingDebug", L"y", "everythingDebug", "1"},
        {L"Everything", L"EverythingDebug", L"yes", "everythingDebug", "0"},
        {L"Display", L"Logging", L"Y", "logging", "1"},
        {L"Display", L"Logging", L"yes", "logging", "0"},
        {L"Everything", L"SortOrder", L"DateAccessedDescending", "sortType", "24"},
        {L"Everything", L"SortOrder", L"Newest", "sortType", "14"},
        {L"Display", L"DateFormat", L"DD.MM.YYYY", "datePicture", "dd.MM.yyyy"},
        {L"Display", L"DateFormat", L"auto", "datePicture", ""},
        {L"Display", L"DateFormat", L"", "datePicture", ""},
        {L"Display", L"TimeFormat", L"HH:MM:SS", "timePicture", "HH:mm:ss"},
        {L"Display", L"TimeFormat", L"", "timePicture", ""},
        {L"Display", L"TimeFormat", L"n", "showTime", "0"},
        {L"Display", L"DriveIcons", L"N", "driveIcons", "0"},
        {L"Display", L"DriveIcons", L"no", "driveIcons", "1"},
        {L"Display", L"DriveIconStyle", L"line", "driveIconStyle", "1"},
        {L"Display", L"DriveIconStyle", L"Outline", "driveIconStyle", "0"},
        {L"Display", L"SearchHistory", L"n", "searchHistory", "0"},
        {L"Display", L"SearchHistory", L"No", "searchHistory", "1"},
        {L"History", L"Search2", L"only", "history", "only"},
        {L"Display", L"FolderColumn", L"NAME", "folderColumn", "1"},
        {L"Display", L"FolderColumn", L"Folder", "folderColumn", "0"},
        {L"Safety", L"AllowDelete", L"Y", "allowDelete", "1"},
        {L"Safety", L"AllowDelete", L"yes", "allowDelete", "0"},
        {L"Display", L"AllowDelete", L"Y", "allowDelete", "0"},
    };
    int index = 0;
    for (const Case& c : cases) {
        std::string context = " in " + KxtUtf8(std::wstring(c.section) + L"/" + c.key + L"=" + c.value);
        UseFile(folder + L"case" + std::to_wstring(++index) + L".cfg");
        FillWithJunk();
        LoadFrom(std::wstring(L"[") + c.section + L"]\r\n" + c.key + L"=" + c.value + L"\r\n");
        EXPECT_EQ(Value(c.field), c.expected) << context;
        ExpectDefaults(c.field, context);
        EXPECT_EQ((int)g_loggingEnabled, g_settings.logging) << "the log's gate follows Logging" << context;
    }
}

TEST_F(SettingsFile, MissingFileIsCreatedAsUnicodeWithEveryDefault)
{
    KxLoadSettings();
    ExpectDefaults();
    EXPECT_EQ(KxtReadFileBytes(path).substr(0, 2), "\xFF\xFE");

    // The file's lines without the blank ones between sections, joined by "|".
    std::wstring text = KxtReadUnicodeFile(path), lines;
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
        end = std::min(text.find(L"\r\n", start), text.size());
        if (end > start) lines += (lines.empty() ? L"" : L"|") + text.substr(start, end - start);
    }
    EXPECT_EQ(KxtUtf8(lines),
              "[Display]|Position=Bottom|Hotkey=Ctrl+Alt+F|MaxVisibleRows=20|SearchDelayMs=100|ThemeMode=Auto|"
              "DateFormat=Auto|TimeFormat=Auto|Logging=N|DriveIcons=Y|DriveIconStyle=Colour|FolderColumn=Full|"
              "SearchHistory=Y|[Everything]|MaxResults=200|EverythingIniPath=Auto|EverythingDebug=N|"
              "SortOrder=DateModifiedDescending|[Filters]|LastSelectedFilter=|DriveScope=All|[Safety]|AllowDelete=N");

    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(g_settingsWriteTime,
              ((ULONGLONG)data.ftLastWriteTime.dwHighDateTime << 32) | data.ftLastWriteTime.dwLowDateTime);

    FillWithJunk();
    KxLoadSettings();
    ExpectDefaults("", " after reading the written defaults");
}

TEST_F(SettingsFile, FilesWithoutOurSectionsGiveDefaultsAndStayAsTheyAre)
{
    const std::string cases[] = {"", "MaxResults=5\r\nPosition=Top\r\n", "[Other]\r\nMaxResults=5\r\n"};
    int index = 0;
    for (const std::string& bytes : cases) {
        std::wstring file = folder + L"bare" + std::to_wstring(++index) + L".cfg";
        ASSERT_TRUE(KxtWriteFileBytes(file, bytes));
        UseFile(file);
        FillWithJunk();
        KxLoadSettings();
        ExpectDefaults("", " for file " + bytes);
        EXPECT_EQ(KxtReadFileBytes(file), bytes) << "an existing file is not filled with defaults";
    }
}

TEST_F(SettingsFile, HistoryClosesGapsAndIsRewrittenWhole)
{
    LoadFrom(L"[History]\r\nSearch1=one\r\nSearch3=three\r\nSearch7=seven\r\n");
    EXPECT_EQ(Value("history"), "one|three|seven");

    KxAddToSearchHistory(L"  new\t");
    const wchar_t* expected[] = {L"new", L"one", L"three", L"seven"};
    for (int n = 1; n <= KX_HISTORY_MAX; ++n)
        EXPECT_EQ(Key(L"History", L"Search" + std::to_wstring(n)), n <= 4 ? expected[n - 1] : L"<absent>") << n;

    FillWithJunk();
    KxLoadSettings();
    EXPECT_EQ(Value("history"), "new|one|three|seven");
}

TEST_F(SettingsFile, HistoryOffLeavesListAndFileAlone)
{
    LoadFrom(L"[Display]\r\nSearchHistory=N\r\n[History]\r\nSearch1=kept\r\n");
    std::string before = KxtReadFileBytes(path);
    KxAddToSearchHistory(L"ignored");
    EXPECT_EQ(Value("history"), "kept");
    EXPECT_EQ(KxtReadFileBytes(path), before);
}

TEST_F(SettingsFile, WriteBacksKeepUnicodeInANewFile)
{
    KxLoadSettings();
    for (int scope : {KX_SCOPE_LOCAL, KX_SCOPE_FIXED, KX_SCOPE_ALL, KX_SCOPE_NETWORK}) {
        g_settings.driveScope = scope;
        KxSaveDriveScope();
        EXPECT_EQ(Key(L"Filters", L"DriveScope"), KxDriveScopeName(scope));
    }
    KxFilter filter{};
    std::wstring longName(200, L'n');
    lstrcpynW(filter.name, longName.c_str(), 128);
    KxSaveLastSelectedFilter(filter);
    EXPECT_EQ(Key(L"Filters", L"LastSelectedFilter"), longName.substr(0, 127));
    lstrcpynW(filter.name, L"Ελληνικά", 128);
    KxSaveLastSelectedFilter(filter);
    EXPECT_STREQ(g_settings.lastSelectedFilter, L"Ελληνικά");
    KxAddToSearchHistory(L"日本語");
    KxAddToSearchHistory(L"naïve café");
    EXPECT_EQ(KxtReadFileBytes(path).substr(0, 2), "\xFF\xFE");

    FillWithJunk();
    KxLoadSettings();
    EXPECT_EQ(Value("lastSelectedFilter"), "Ελληνικά");
    EXPECT_EQ(Value("history"), "naïve café|日本語");
    EXPECT_EQ(g_settings.driveScope, KX_SCOPE_NETWORK);
}

TEST_F(SettingsFile, AnAnsiFileKeepsItsEncoding)
{
    const std::string original = "[Display]\r\nPosition=Top\r\n";
    ASSERT_TRUE(KxtWriteFileBytes(path, original));
    KxLoadSettings();
    g_settings.driveScope = KX_SCOPE_FIXED;
    KxSaveDriveScope();
    KxFilter filter{};
    lstrcpynW(filter.name, L"Documents", 128);
    KxSaveLastSelectedFilter(filter);
    KxAddToSearchHistory(L"plain text");

    std::string bytes = KxtReadFileBytes(path);
    EXPECT_EQ(bytes.substr(0, original.size()), original) << "no byte-order mark was put in front";
    EXPECT_NE(bytes.find("DriveScope=Fixed\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("Search1=plain text\r\n"), std::string::npos) << bytes;

    FillWithJunk();
    KxLoadSettings();
    EXPECT_EQ(g_settings.position, KX_POSITION_TOP);
    EXPECT_EQ(g_settings.driveScope, KX_SCOPE_FIXED);
    EXPECT_STREQ(g_settings.lastSelectedFilter, L"Documents");
    EXPECT_EQ(Value("history"), "plain text");
}

TEST_F(SettingsFile, ReloadFollowsTheWriteTimeAndKeepsTheHotkeyLetter)
{
    WriteAt(L"[Display]\r\nHotkey=Ctrl+Alt+K\r\nLogging=Y\r\n[Everything]\r\nMaxResults=50\r\n", kTime2020);
    KxLoadSettings();
    ASSERT_EQ(g_settingsWriteTime, kTime2020);

    struct Step {
        const wchar_t* text;  // nullptr: the file stays untouched
        ULONGLONG time;
        int maxResults;
        int logging;
        int reloadLines;
    } steps[] = {
        {nullptr, kTime2020, 50, 1, 0},
        {L"[Display]\r\nHotkey=Ctrl+Alt+J\r\nLogging=Y\r\n[Everything]\r\nMaxResults=70\r\n", kTime2020 + kSecond, 70,
         1, 1},
        // An earlier time is a change too; with Logging off the reload line is not written.
        {L"[Display]\r\nHotkey=Ctrl+Alt+J\r\n[Everything]\r\nMaxResults=80\r\n", kTime2020 - kSecond, 80, 0, 1},
        {L"[Display]\r\nLogging=Y\r\n[Everything]\r\nMaxResults=90\r\n", kTime2020 + 2 * kSecond, 90, 1, 2},
        // New contents under the same time are not looked at.
        {L"[Display]\r\nLogging=N\r\n[Everything]\r\nMaxResults=99\r\n", kTime2020 + 2 * kSecond, 90, 1, 2},
    };
    int index = 0;
    for (const Step& step : steps) {
        if (step.text) WriteAt(step.text, step.time);
        KxReloadSettingsIfChanged();
        EXPECT_EQ(g_settings.maxResults, step.maxResults) << "step " << index;
        EXPECT_EQ(g_settings.hotkeyLetter, L'K') << "step " << index;
        EXPECT_EQ((int)g_loggingEnabled, step.logging) << "step " << index;
        EXPECT_EQ(g_settingsWriteTime, step.time) << "step " << index;
        EXPECT_EQ(ReloadLines(L'K'), step.reloadLines) << "step " << index++;
    }
}

TEST_F(SettingsFile, OwnWriteBacksNeedNoReloadAChangeFromElsewhereDoes)
{
    WriteAt(L"[Display]\r\nLogging=Y\r\n", kTime2020);
    KxLoadSettings();
    KxFilter filter{};
    lstrcpynW(filter.name, L"Pictures", 128);
    KxSaveLastSelectedFilter(filter);
    KxSaveDriveScope();
    KxAddToSearchHistory(L"annual report");
    KxReloadSettingsIfChanged();
    EXPECT_EQ(ReloadLines(L'F'), 0) << "memory already holds what was written";
    EXPECT_EQ(Key(L"Filters", L"LastSelectedFilter"), L"Pictures") << "written all the same";

    // Another program's edit, then one of ours before the next opening: the edit is still read.
    WriteAt(L"[Display]\r\nLogging=Y\r\n[Everything]\r\nMaxResults=70\r\n", kTime2020 + kSecond);
    KxSaveLastSelectedFilter(filter);
    KxReloadSettingsIfChanged();
    KxReloadSettingsIfChanged();
    EXPECT_EQ(g_settings.maxResults, 70);
    EXPECT_EQ(ReloadLines(L'F'), 1);
}

TEST_F(SettingsFile, DeletedFileKeepsTheValuesUntilTheNextLoadCreatesItAgain)
{
    LoadFrom(L"[Display]\r\nLogging=Y\r\n[Everything]\r\nMaxResults=50\r\n");
    ASSERT_TRUE(DeleteFileW(path.c_str()));
    KxReloadSettingsIfChanged();
    EXPECT_EQ(g_settings.maxResults, 50);
    EXPECT_EQ(g_settings.logging, 1);
    EXPECT_FALSE(KxtFileExists(path));
    EXPECT_EQ(ReloadLines(L'F'), 0);

    KxLoadSettings();
    ExpectDefaults();
    EXPECT_EQ(KxtReadFileBytes(path).substr(0, 2), "\xFF\xFE");
}

TEST_F(SettingsFile, UncreatableFileLeavesDefaultsInMemoryAndIsTriedAgain)
{
    std::wstring missingFolder = folder + L"not-there\\";
    UseFile(missingFolder + L"Korvex.cfg");
    g_settingsWriteTime = 12345;
    KxLoadSettings();
    ExpectDefaults();
    EXPECT_EQ(g_settingsWriteTime, 12345u);

    KxFilter filter{};
    lstrcpynW(filter.name, L"Video", 128);
    KxSaveLastSelectedFilter(filter);
    KxSaveDriveScope();
    KxAddToSearchHistory(L"still remembered");
    KxReloadSettingsIfChanged();
    EXPECT_EQ(Value("history"), "still remembered");
    EXPECT_FALSE(KxtFileExists(g_configPath));

    ASSERT_TRUE(CreateDirectoryW(missingFolder.c_str(), nullptr));
    KxLoadSettings();
    EXPECT_TRUE(KxtFileExists(g_configPath));
    EXPECT_NE(g_settingsWriteTime, 12345u);
}

TEST_F(SettingsFile, OverlongValuesAreCutToTheirBuffers)
{
    LoadFrom(L"[Display]\r\nDateFormat=" + std::wstring(40, L'Y') + L"\r\n[Everything]\r\nEverythingIniPath=" +
             std::wstring(3000, L'p') + L"\r\n[Filters]\r\nLastSelectedFilter=" + std::wstring(300, L'n') +
             L"\r\n[History]\r\nSearch1=" + std::wstring(300, L's') + L"\r\n");
    EXPECT_EQ(Value("datePicture"), std::string(31, 'y'));
    EXPECT_EQ(Value("everythingIniPath"), std::string(2047, 'p'));
    EXPECT_EQ(Value("lastSelectedFilter"), std::string(127, 'n'));
    EXPECT_EQ(Value("history"), std::string(255, 's'));
}

TEST_F(SettingsFile, BinaryJunkLoadsWithoutHarm)
{
    std::string random;
    for (unsigned seed = 20261208; random.size() < 4096;) {
        seed = seed * 1103515245u + 12345u;
        random += (char)(seed >> 16);
    }
    const char withNuls[] = "[Display]\r\nPosition=Top\r\n\0\0\0junk\0=\0\r\n[Everything]\r\nMaxResults=\0 42\r\n";
    const std::string cases[] = {
        random,
        std::string(withNuls, sizeof withNuls - 1),
        std::string("\xFF\xFE", 2) + random.substr(0, 1001),
        std::string("\xFE\xFF", 2) + random.substr(0, 1000),
    };
    int index = 0;
    for (const std::string& bytes : cases) {
        SCOPED_TRACE("case " + std::to_string(index));
        std::wstring file = folder + L"junk" + std::to_wstring(++index) + L".cfg";
        ASSERT_TRUE(KxtWriteFileBytes(file, bytes));
        UseFile(file);
        FillWithJunk();
        KxLoadSettings();
        ExpectSane(g_settings);
        EXPECT_EQ(KxtReadFileBytes(file), bytes) << "an existing file is only read";

        KxAddToSearchHistory(L"after junk");
        FillWithJunk();
        KxLoadSettings();
        ExpectSane(g_settings);
        EXPECT_STREQ(g_settings.history.entries[0], L"after junk");
    }
}

TEST_F(SettingsFile, QuotedSearchesAndFilterNamesReadBackAsTheyWere)
{
    KxLoadSettings();
    const wchar_t* kept[] = {L"\"annual report\"", L"'single'", L"\"a\" or \"b\"", L"\"", L"\"open", L"plain"};
    for (const wchar_t* text : kept) KxAddToSearchHistory(text);
    KxFilter filter{};
    lstrcpynW(filter.name, L"\"Quoted\"", 128);
    KxSaveLastSelectedFilter(filter);
    std::wstring longest = L"\"" + std::wstring(253, L'x') + L"\"";
    KxAddToSearchHistory(longest.c_str());

    // A restart of the plug-in: everything comes from the file again.
    FillWithJunk();
    KxLoadSettings();
    EXPECT_STREQ(g_settings.lastSelectedFilter, L"\"Quoted\"");
    ASSERT_EQ(g_settings.history.count, 7);
    EXPECT_EQ(std::wstring(g_settings.history.entries[0]), longest);
    for (int i = 0; i < 6; ++i) EXPECT_STREQ(g_settings.history.entries[6 - i], kept[i]);
}

TEST_F(SettingsFile, AFileTooLargeToReadGivesDefaultsAtStartAndKeepsTheValuesLater)
{
    // What a runaway history or a pasted log would make of the file: far more than any settings need.
    std::wstring padding = L";" + std::wstring(600 * 1024, L'x') + L"\r\n";
    std::wstring huge = L"[Display]\r\nHotkey=Ctrl+Alt+G\r\nLogging=Y\r\n[Everything]\r\nMaxResults=70\r\n" + padding;
    WriteAt(huge, kTime2020);
    KxLoadSettings();
    ExpectDefaults("", " (too large at start-up)");
    EXPECT_GE(KxtFindLine(KxtReadLogLines(logPath), "KxLoadSettings: " + KxtUtf8(path) + " holds "), 0);

    WriteAt(L"[Display]\r\nLogging=Y\r\n[Everything]\r\nMaxResults=50\r\n", kTime2020 + kSecond);
    KxReloadSettingsIfChanged();
    EXPECT_EQ(g_settings.maxResults, 50) << "a file of normal size is read again";

    WriteAt(huge, kTime2020 + 2 * kSecond);
    KxReloadSettingsIfChanged();
    EXPECT_EQ(g_settings.maxResults, 50) << "the values in memory stay";
    KxFilter filter{};
    lstrcpynW(filter.name, L"Pictures", 128);
    KxSaveLastSelectedFilter(filter);
    KxAddToSearchHistory(L"annual report");
    EXPECT_EQ(KxtReadUnicodeFile(path), huge) << "nothing is written into it";
    EXPECT_STREQ(g_settings.lastSelectedFilter, L"Pictures") << "the choice still holds for this session";
    EXPECT_EQ(KxtCountLines(KxtReadLogLines(logPath), "KxLoadSettings: " + KxtUtf8(path) + " holds "), 2);
}
