#include <gtest/gtest.h>

#include "component/panel_fixture.h"
#include "panel/content_columns.h"
#include "panel/host_plugin_api.h"
#include "peers/everything_peer_launcher.h"
#include "support/test_support.h"

namespace {

std::string KxtValue(int(__stdcall* getValue)(char*, int, int, void*, int, int), const char* file, int field,
                     int maxlen = 2048, int* type = nullptr)
{
    char value[2048] = "untouched";
    int result = getValue((char*)file, field, 0, value, maxlen, 0);
    if (type) *type = result;
    return result == ft_string ? value : "";
}

}  // namespace

TEST_F(PublishedTreeFixture, ContentColumnsShowTheRealPathOfTheNamedEntry)
{
    char name[16] = "x";
    char units[16] = "x";
    EXPECT_EQ(ContentGetSupportedField(0, name, units, 16), ft_string);
    EXPECT_STREQ(name, "KX Status");
    EXPECT_STREQ(units, "");
    EXPECT_EQ(ContentGetSupportedField(1, name, nullptr, 16), ft_string);
    EXPECT_STREQ(name, "Path");
    EXPECT_EQ(ContentGetSupportedField(2, name, units, 16), ft_nomorefields);
    EXPECT_EQ(FsContentGetSupportedField(0, name, units, 3), ft_string);
    EXPECT_STREQ(name, "Pa") << "cut to the host's buffer";
    EXPECT_EQ(FsContentGetSupportedField(1, name, units, 16), ft_nomorefields);

    std::string second = Ansi(L"other\\report.pdf");
    EXPECT_EQ(KxtValue(FsContentGetValue, "\\report (2).pdf", 0), second) << "not report.pdf's path";
    EXPECT_EQ(KxtValue(ContentGetValue, "C:\\elsewhere\\REPORT (2).PDF", 1), second) << "last component, any case";
    EXPECT_EQ(KxtValue(ContentGetValue, "\\report.pdf", 1), Ansi(L"docs\\report.pdf"));
    EXPECT_EQ(KxtValue(ContentGetValue, "\\report.pdf", 1, 6), Ansi(L"docs").substr(0, 5)) << "cut to maxlen - 1";
    EXPECT_EQ(KxtValue(ContentGetValue, "\\nosuch.txt", 0), "Active");
    int type = 0;
    EXPECT_EQ(KxtValue(ContentGetValue, "\\nosuch.txt", 1, 2048, &type), "");
    EXPECT_EQ(type, ft_string);
    KxtValue(ContentGetValue, "\\report.pdf", 2, 2048, &type);
    EXPECT_EQ(type, ft_nosuchfield);
    KxtValue(FsContentGetValue, "\\report.pdf", 1, 2048, &type);
    EXPECT_EQ(type, ft_nosuchfield);
    EXPECT_EQ(KxtValue(ContentGetValue, nullptr, 1), "");
    EXPECT_EQ(KxtValue(ContentGetValue, "C:\\dir\\", 1), "");

    g_publishedCount = 0;
    EXPECT_EQ(KxtValue(FsContentGetValue, "\\report (2).pdf", 0), "");
}

TEST_F(PanelFixture, ContentColumnsLogOnlyUntilTheFirstValueCall)
{
    char name[16];
    char value[16];
    ContentGetSupportedField(0, name, nullptr, 16);
    FsContentGetSupportedField(0, name, nullptr, 16);
    FsContentGetValue((char*)"\\a", 0, 0, value, 16, 0);
    for (int i = 0; i < 3; ++i) {
        ContentGetSupportedField(i, name, nullptr, 16);
        FsContentGetSupportedField(i, name, nullptr, 16);
        ContentGetValue((char*)"\\a", i, 0, value, 16, 0);
        FsContentGetValue((char*)"\\a", i, 0, value, 16, 0);
        ContentGetDetectString(value, 16);
    }
    EXPECT_EQ(LogCount("] ContentGetSupportedField(FieldIndex=0)"), 1);
    EXPECT_EQ(LogCount("] FsContentGetSupportedField(FieldIndex=0)"), 1);
    EXPECT_EQ(LogCount("] FsContentGetValue(FieldIndex=0) - first call, further calls not logged"), 1);
    EXPECT_EQ(LogCount("ContentGetValue("), 1);
    EXPECT_EQ(LogCount("] ContentGetDetectString(maxlen=16)"), 3) << "always logged";
    EXPECT_EQ(KxtReadLogLines(LogPath()).size(), 6u);
}

TEST_F(PublishedTreeFixture, ThePathColumnBelowAPublishedFolderShowsThatItemsOwnPath)
{
    // An item below Photos that shares its name with the top-level entry report.pdf.
    ASSERT_TRUE(KxtCreateTree(tree, {{L"Photos\\report.pdf", 3, 0}}));
    struct Case {
        const char* file;
        std::string path;
    } cases[] = {
        {"\\Photos\\report.pdf", Ansi(L"Photos\\report.pdf")},
        {"\\Photos\\2024\\b.jpg", Ansi(L"Photos\\2024\\b.jpg")},
        {"\\Photos\\2024", Ansi(L"Photos\\2024")},
        {"\\Photos", Ansi(L"Photos")},
        {"\\report.pdf", Ansi(L"docs\\report.pdf")},
        {"\\Photos\\..\\..\\secret.txt", ""},
        {"\\nosuch\\a.jpg", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(KxtValue(FsContentGetValue, c.file, 0), c.path) << c.file;
    EXPECT_EQ(KxtValue(ContentGetValue, "C:\\elsewhere\\report.pdf", 1), Ansi(L"docs\\report.pdf"))
        << "the content family still names the entry by its last component";
}
