#include "search/filters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "support/test_support.h"

namespace {

// The header and rows as Everything 1.4 writes filters.csv: search text in the seventh column.
const char kEverything14Csv[] =
    "Name,Case,Whole Word,Path,Diacritics,Regex,Search,Macro,Key\r\n"
    "\"Everything\",0,0,0,0,0,\"\",\"\",\r\n"
    "\"Audio\",0,0,0,0,0,\"ext:aac;flac;mp3;wav\",\"audio\",\r\n"
    "\"Folder\",0,0,0,0,0,\"folder:\",\"\",\r\n"
    "\"Κείμενα, \"\"neu\"\"\",1,0,0,0,0,\"ext:txt;md\",\"\",1234\r\n";

// Everything 1.5 keeps the search text in the eleventh column.
const char kEverything15Rows[] =
    "\"Audio\",0,0,0,0,0,0,0,0,0,\"ext:flac;mp3\",\"\",\"\",0,\"\",\"audio\",\r\n"
    "\"Folder\",0,0,0,0,0,0,0,0,0,\"folder:\",\"\",\"\",0,\"\",\"\",\r\n";
const char kEverything15Header[] =
    "Name,Case,Whole Word,Path,Diacritics,Prefix,Suffix,Ignore Punctuation,Ignore White Space,Regex,Search,"
    "Columns,Sort,Sort Ascending,View,Macro,Key\r\n";

const char kBom[] = "\xEF\xBB\xBF";

using FilterRows = std::vector<std::pair<std::string, std::string>>;

struct FiltersFixture : ::testing::Test {
    std::wstring folder = KxtMakeTempFolder();
    KxSettings saved = g_settings;
    wchar_t savedConfigPath[2048];
    wchar_t savedAppData[2048] = L"";

    void SetUp() override
    {
        lstrcpynW(savedConfigPath, g_configPath, 2048);
        GetEnvironmentVariableW(L"APPDATA", savedAppData, 2048);
        g_filterCount = 1;
    }
    void TearDown() override
    {
        g_settings = saved;
        lstrcpynW(g_configPath, savedConfigPath, 2048);
        SetEnvironmentVariableW(L"APPDATA", savedAppData);
    }
    std::wstring Write(const std::wstring& name, const std::string& bytes)
    {
        std::wstring path = folder + name;
        CreateDirectoryW(path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
        EXPECT_TRUE(KxtWriteFileBytes(path, bytes));
        return path;
    }
    FilterRows Table() const
    {
        FilterRows table;
        for (int i = 0; i < g_filterCount; ++i)
            table.push_back({KxtUtf8(g_filters[i].name), KxtUtf8(g_filters[i].search)});
        return table;
    }
    void Load(const std::wstring& iniPath, const std::wstring& lastSelected = L"")
    {
        lstrcpynW(g_settings.everythingIniPath, iniPath.c_str(), 2048);
        lstrcpynW(g_settings.lastSelectedFilter, lastSelected.c_str(), 128);
        KxLoadFilters();
    }
};

}  // namespace

TEST(CsvFields, QuotesCommasDoubledQuotesAndMissingFields)
{
    struct Case {
        const wchar_t* line;
        int field;
        int present;
        const wchar_t* text;
    } cases[] = {
        {L"a,b,c", 2, 1, L"b"},
        {L"a,b,c", 3, 1, L"c"},
        {L"a,b,c", 4, 0, L""},
        {L"\"a,b\",c", 1, 1, L"a,b"},
        {L"\"a,b\",c", 2, 1, L"c"},
        {L"\"say \"\"hi\"\"\",x", 1, 1, L"say \"hi\""},
        {L"\"\"\"\"", 1, 1, L"\""},
        {L"\"open, never closed", 1, 1, L"open, never closed"},
        {L"\"x\"y,z", 1, 1, L"x"},
        {L"\"x\"y,z", 2, 0, L""},
        {L"a,,c", 2, 1, L""},
        {L"a,", 2, 1, L""},
        {L"", 1, 1, L""},
        {L"plain\"quote,b", 1, 1, L"plain\"quote"},
        {L"1,2,3,4,5,6,7,8,9,10,eleven,12", 11, 1, L"eleven"},
        {L"1,2,3,4,5,6,7", 11, 0, L""},
    };
    for (const Case& c : cases) {
        wchar_t out[KX_CSV_FIELD_CHARS] = L"junk";
        EXPECT_EQ(KxCsvField(c.line, c.field, out, KX_CSV_FIELD_CHARS), c.present)
            << KxtUtf8(c.line) << " #" << c.field;
        EXPECT_STREQ(out, c.text) << KxtUtf8(c.line) << " #" << c.field;
    }

    std::wstring longLine = L"\"" + std::wstring(1500, L'x') + L"\"," + std::wstring(1500, L'y') + L",z";
    wchar_t wide[2048];
    ASSERT_TRUE(KxCsvField(longLine.c_str(), 1, wide, 2048));
    EXPECT_EQ(wcslen(wide), 1023u) << "a field keeps at most 1023 characters";
    ASSERT_TRUE(KxCsvField(longLine.c_str(), 3, wide, 2048));
    EXPECT_STREQ(wide, L"z") << "the rest of a long field is passed over";
    wchar_t name[KX_FILTER_NAME_CHARS];
    ASSERT_TRUE(KxCsvField(longLine.c_str(), 2, name, KX_FILTER_NAME_CHARS));
    EXPECT_EQ(wcslen(name), 127u);

    EXPECT_EQ(KxCsvSearchColumn(L"Name,Case,Whole Word,Path,Diacritics,Regex,Search,Macro,Key"), 7);
    EXPECT_EQ(KxCsvSearchColumn(KxtWide(kEverything15Header).c_str()), 11);
    EXPECT_EQ(KxCsvSearchColumn(L"name,\"SEARCH\""), 2);
    EXPECT_EQ(KxCsvSearchColumn(L"Name,Case,Query"), 11) << "no Search column: the default place";
}

TEST_F(FiltersFixture, CsvOfEverything14TakesTheSearchColumnNamedInItsHeader)
{
    for (bool bom : {true, false}) {
        g_filterCount = 1;
        std::wstring path = Write(bom ? L"bom.csv" : L"plain.csv", (bom ? kBom : "") + std::string(kEverything14Csv));
        EXPECT_EQ(KxReadFiltersCsv(path.c_str()), 4);
        EXPECT_EQ(Table(), (FilterRows{{"<All Files>", ""},
                                       {"Everything", ""},
                                       {"Audio", "ext:aac;flac;mp3;wav"},
                                       {"Folder", "folder:"},
                                       {"Κείμενα, \"neu\"", "ext:txt;md"}}))
            << (bom ? "with" : "without") << " byte-order mark";
    }
}

TEST_F(FiltersFixture, CsvOfEverything15AndFilesWithoutHeader)
{
    std::wstring headed = Write(L"headed.csv", std::string(kBom) + kEverything15Header + kEverything15Rows);
    EXPECT_EQ(KxReadFiltersCsv(headed.c_str()), 2);
    EXPECT_EQ(Table(), (FilterRows{{"<All Files>", ""}, {"Audio", "ext:flac;mp3"}, {"Folder", "folder:"}}));

    g_filterCount = 1;
    std::wstring bare = Write(L"bare.csv", std::string("\r\n\n") + kEverything15Rows +
                                               "Name,0,0,0,0,0,0,0,0,0,later name row\n"
                                               ",0,0,0,0,0,0,0,0,0,nameless\n"
                                               "Short,1,2\n");
    EXPECT_EQ(KxReadFiltersCsv(bare.c_str()), 4) << "blank lines are skipped; the first row is a filter";
    EXPECT_EQ(Table(), (FilterRows{{"<All Files>", ""},
                                   {"Audio", "ext:flac;mp3"},
                                   {"Folder", "folder:"},
                                   {"Name", "later name row"},
                                   {"Short", ""}}));

    EXPECT_EQ(KxReadFiltersCsv((folder + L"missing.csv").c_str()), 0);
}

TEST_F(FiltersFixture, ReadersStopWhenTheTableIsFull)
{
    std::string csv, ini = "[Other]\r\nFilter3_Name=elsewhere\r\n[Filters]\r\n";
    for (int i = 1; i <= 70; ++i) {
        std::string n = std::to_string(i);
        csv.append("F").append(n).append(",0,0,0,0,0,0,0,0,0,ext:f").append(n).append("\r\n");
    }
    EXPECT_EQ(KxReadFiltersCsv(Write(L"many.csv", csv).c_str()), 63) << "nothing is read beyond the table";
    EXPECT_EQ(g_filterCount, KX_FILTER_CAPACITY);
    EXPECT_EQ(KxtUtf8(g_filters[63].name), "F63");

    g_filterCount = 1;
    ini +=
        "Filter1_Name=Audio\r\nFilter1_Search=ext:mp3\r\nFilter2_Name=Folder\r\nFilter2_Search=folder:\r\n"
        "Filter4_Name=AfterTheGap\r\nFilter4_Search=x\r\n";
    EXPECT_EQ(KxReadIniFilters(Write(L"gap\\Everything.ini", ini).c_str()), 2);
    EXPECT_EQ(Table(), (FilterRows{{"<All Files>", ""}, {"Audio", "ext:mp3"}, {"Folder", "folder:"}}));

    g_filterCount = 1;
    std::string full = "[Filters]\r\n";
    for (int i = 1; i <= 66; ++i) {
        std::string n = std::to_string(i);
        full.append("Filter").append(n).append("_Name=N").append(n).append("\r\n");
    }
    EXPECT_EQ(KxReadIniFilters(Write(L"full\\Everything.ini", full).c_str()), 63) << "reading stops at a full table";
    EXPECT_EQ(g_filterCount, KX_FILTER_CAPACITY);
    EXPECT_EQ(KxReadIniFilters((folder + L"none.ini").c_str()), 0);
}

TEST_F(FiltersFixture, EverythingIniPathAsFolderIniOrCsvAndTheSelectionRestored)
{
    Write(L"portable\\Everything.ini", "[Filters]\r\nFilter1_Name=Audio\r\nFilter1_Search=ext:mp3\r\n");
    Write(L"portable\\filters.csv", "Never,0,0,0,0,0,0,0,0,0,x\r\n");
    Load(folder + L"portable", L"AUDIO");
    EXPECT_EQ(Table(), (FilterRows{{"<All Files>", ""}, {"Audio", "ext:mp3"}})) << "the ini wins over the csv";
    EXPECT_EQ(g_selectedFilter, 1) << "the last filter is found ignoring case";

    Write(L"csvonly\\filters.csv", kEverything14Csv);
    Load(folder + L"csvonly", L"Folder");
    EXPECT_EQ(g_filterCount, 5) << "a folder without Everything.ini falls to its filters.csv";
    EXPECT_EQ(g_selectedFilter, 3);

    Load(folder + L"csvonly\\filters.csv", L"Gone");
    EXPECT_EQ(g_filterCount, 5) << "a path straight at filters.csv works through its folder";
    EXPECT_EQ(g_selectedFilter, 0) << "a filter no longer there selects <All Files>";

    Load(folder + L"portable\\Everything.ini");
    EXPECT_EQ(g_filterCount, 2);

    // Everything 1.5 under an instance name: its csv has another name, and is read when named or beside
    // an ini without filters.
    Write(L"alpha\\Everything-1.5a.ini", "[Everything]\r\nx=1\r\n");
    Write(L"alpha\\Filters-1.5a.csv", kEverything14Csv);
    Load(folder + L"alpha\\Filters-1.5a.csv");
    EXPECT_EQ(g_filterCount, 5) << "a csv named by the user is read whatever its name";
    g_filterCount = 1;
    Load(folder + L"alpha\\Everything-1.5a.ini");
    EXPECT_EQ(g_filterCount, 5) << "the instance's csv is found beside its ini";
}

TEST_F(FiltersFixture, NothingFoundGivesTheBuiltInSevenAndSaysWhyInTheDebugLog)
{
    lstrcpynW(g_configPath, (folder + L"Korvex.cfg").c_str(), 2048);
    g_settings.everythingDebug = 1;
    Write(L"empty\\Everything.ini", "[Filters]\r\n");
    Load(folder + L"empty", L"video");
    ASSERT_EQ(g_filterCount, 8);
    const char* names[] = {"<All Files>", "Audio",  "Compressed", "Document",
                           "Executable",  "Folder", "Picture",    "Video"};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(KxtUtf8(g_filters[i].name), names[i]);
    EXPECT_EQ(KxtUtf8(g_filters[5].search), "folder:");
    EXPECT_EQ(g_selectedFilter, 7);
    std::vector<std::string> debug = KxtReadLogLines(folder + L"Korvex.debug.log");
    int iniLine = KxtFindLine(debug, "Filters: EverythingIniPath is set but neither an ini [Filters] section nor");
    int builtInLine = KxtFindLine(debug, "Filters: could not read Everything's own config, using built-in defaults.");
    EXPECT_GE(iniLine, 0);
    EXPECT_GT(builtInLine, iniLine);

    Load(folder + L"missing.ini");
    EXPECT_EQ(g_filterCount, 8);

    SetEnvironmentVariableW(L"APPDATA", folder.substr(0, folder.size() - 1).c_str());
    Write(L"Everything\\filters.csv", kEverything14Csv);
    Load(L"auto");
    EXPECT_EQ(g_filterCount, 5) << "Auto looks in APPDATA's Everything folder";
    debug = KxtReadLogLines(folder + L"Korvex.debug.log");
    EXPECT_GE(KxtFindLine(debug, "Filters: loaded 4 from Everything's own config."), 0);
    EXPECT_GE(KxtFindLine(debug, "  Filter[2] \"Audio\" -> [ext:aac;flac;mp3;wav]"), 0);
    EXPECT_GE(KxtFindLine(debug, "  Filter[0] \"<All Files>\" -> []"), 0);

    SetEnvironmentVariableW(L"APPDATA", nullptr);
    Load(L"");
    EXPECT_EQ(g_filterCount, 8) << "no APPDATA: built-in filters";
}

TEST(FilterSources, TheSettingNamesAFolderACsvOfAnyNameOrAnIniWithItsOwnCsvBesideIt)
{
    struct Case {
        const wchar_t* setting;
        int isFolder;
        const wchar_t* appData;
        std::vector<std::pair<std::wstring, int>> sources;  // path, is a csv
    } cases[] = {
        {L"D:\\Everything", 1, L"", {{L"D:\\Everything\\Everything.ini", 0}, {L"D:\\Everything\\filters.csv", 1}}},
        {L"D:\\E\\Everything.ini", 0, L"", {{L"D:\\E\\Everything.ini", 0}, {L"D:\\E\\filters.csv", 1}}},
        {L"D:\\E\\Everything-1.5a.ini", 0, L"", {{L"D:\\E\\Everything-1.5a.ini", 0}, {L"D:\\E\\Filters-1.5a.csv", 1}}},
        {L"D:\\E\\EVERYTHING-1.5A.INI", 0, L"", {{L"D:\\E\\EVERYTHING-1.5A.INI", 0}, {L"D:\\E\\Filters-1.5A.csv", 1}}},
        {L"D:\\E\\my.ini", 0, L"", {{L"D:\\E\\my.ini", 0}, {L"D:\\E\\filters.csv", 1}}},
        {L"D:\\E\\Filters-1.5a.csv", 0, L"", {{L"D:\\E\\Filters-1.5a.csv", 1}}},
        {L"D:\\E\\mine.CSV", 0, L"", {{L"D:\\E\\mine.CSV", 1}}},
        {L"Everything.ini", 0, L"", {{L"Everything.ini", 0}}},
        {L"auto",
         0,
         L"C:\\AppData",
         {{L"C:\\AppData\\Everything\\Everything.ini", 0}, {L"C:\\AppData\\Everything\\filters.csv", 1}}},
        {L"",
         0,
         L"C:\\AppData",
         {{L"C:\\AppData\\Everything\\Everything.ini", 0}, {L"C:\\AppData\\Everything\\filters.csv", 1}}},
        {L"Auto", 0, L"", {}},
    };
    for (const Case& c : cases) {
        KxFilterSources sources;
        KxFilterSourcesFor(c.setting, c.isFolder, c.appData, &sources);
        std::vector<std::pair<std::wstring, int>> got;
        for (int i = 0; i < sources.count; ++i) got.push_back({sources.items[i].path, sources.items[i].isCsv});
        EXPECT_EQ(got, c.sources) << KxtUtf8(c.setting);
        EXPECT_EQ(sources.fromSetting, c.setting[0] && _wcsicmp(c.setting, L"auto") != 0) << KxtUtf8(c.setting);
    }
    // A folder so long that its files do not fit is never read under a shorter name.
    std::wstring deep = L"D:\\" + std::wstring(2040, L'd');
    KxFilterSources sources;
    KxFilterSourcesFor(deep.c_str(), 1, L"", &sources);
    EXPECT_EQ(sources.count, 0);
}

TEST_F(FiltersFixture, ALongCsvLineIsOneFilterAndAnOverlongOneIsPassedOverWhole)
{
    lstrcpynW(g_configPath, (folder + L"Korvex.cfg").c_str(), 2048);
    g_settings.everythingDebug = 1;
    std::string search(2100, 'a');
    std::string overlong(70000, 'b');
    std::wstring path =
        Write(L"long.csv", "Long,0,0,0,0,0,0,0,0,0,\"" + search + ";mp3;PHANTOM\"\r\n" + "Huge,0,0,0,0,0,0,0,0,0,\"" +
                               overlong + "\",\"Phantom2\"\r\n" + "After,0,0,0,0,0,0,0,0,0,ext:x\r\n");
    EXPECT_EQ(KxReadFiltersCsv(path.c_str()), 2);
    ASSERT_EQ(g_filterCount, 3);
    EXPECT_EQ(KxtUtf8(g_filters[1].name), "Long");
    EXPECT_EQ(KxtUtf8(g_filters[1].search), std::string(511, 'a')) << "the field is cut where the table says";
    EXPECT_EQ(KxtUtf8(g_filters[2].name), "After") << "the line after an overlong one is read as itself";
    EXPECT_GE(KxtFindLine(KxtReadLogLines(folder + L"Korvex.debug.log"), "Filters: 1 lines of "), 0);
}

TEST_F(FiltersFixture, UnchangedFilesAreNotReadAgainAndHugeOnesNotAtAll)
{
    lstrcpynW(g_configPath, (folder + L"Korvex.cfg").c_str(), 2048);
    g_settings.everythingDebug = 1;
    std::wstring ini =
        Write(L"cached\\Everything.ini", "[Filters]\r\nFilter1_Name=Audio\r\nFilter1_Search=ext:mp3\r\n");
    Load(folder + L"cached", L"audio");
    ASSERT_EQ(g_filterCount, 2);
    lstrcpynW(g_filters[1].name, L"Marked", KX_FILTER_NAME_CHARS);
    Load(folder + L"cached", L"marked");
    EXPECT_EQ(KxtUtf8(g_filters[1].name), "Marked") << "the same file, unchanged: not read again";
    EXPECT_EQ(g_selectedFilter, 1) << "the selection is restored at every opening";

    Write(L"cached\\Everything.ini", "[Filters]\r\nFilter1_Name=Video\r\nFilter1_Search=ext:mp4;mkv\r\n");
    Load(folder + L"cached");
    EXPECT_EQ(Table(), (FilterRows{{"<All Files>", ""}, {"Video", "ext:mp4;mkv"}})) << "a change is read";

    std::string huge = "[Filters]\r\nFilter1_Name=Huge\r\nFilter1_Search=x\r\n;" + std::string(5 * 1024 * 1024, 'z');
    Write(L"huge\\Everything.ini", huge);
    Load(folder + L"huge");
    EXPECT_EQ(g_filterCount, 8) << "too large to read: the built-in filters";
    EXPECT_GE(KxtFindLine(KxtReadLogLines(folder + L"Korvex.debug.log"),
                          "Everything.ini holds " + std::to_string(huge.size()) + " bytes, more than"),
              0);
}
