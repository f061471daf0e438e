#include <gtest/gtest.h>

#include "config/settings.h"
#include "core/log.h"
#include "support/test_support.h"

namespace {

struct LogFixture : ::testing::Test {
    std::wstring folder = KxtMakeTempFolder();
    std::wstring logPath = folder + L"Korvex.log";

    void SetUp() override
    {
        lstrcpynW(g_logPath, logPath.c_str(), 2048);
        g_loggingEnabled = 1;
    }
    void TearDown() override
    {
        g_logPath[0] = L'\0';
        g_settings.everythingDebug = 0;
    }
    std::string LastMessage() const
    {
        std::vector<std::string> lines = KxtReadLogLines(logPath);
        if (lines.empty()) return {};
        return lines.back().size() > 26 ? lines.back().substr(26) : std::string();
    }
};

}  // namespace

TEST_F(LogFixture, LineIsTimestampedUtf8WithCrLfAndWideArguments)
{
    KxLog(L"Config loaded from %ls: Hotkey=Ctrl+Alt+%lc n=%d", L"C:\\Übung\\日本\\Korvex.cfg", L'F', 42);
    std::string bytes = KxtReadFileBytes(logPath);
    ASSERT_GE(bytes.size(), 28u);
    EXPECT_NE(bytes[0], '\xEF') << "no byte-order mark";
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    std::string line = bytes.substr(0, bytes.size() - 2);
    // "[YYYY-MM-DD hh:mm:ss.mmm] "
    ASSERT_GE(line.size(), 26u);
    EXPECT_EQ(line[0], '[');
    EXPECT_EQ(line[5], '-');
    EXPECT_EQ(line[8], '-');
    EXPECT_EQ(line[11], ' ');
    EXPECT_EQ(line[14], ':');
    EXPECT_EQ(line[17], ':');
    EXPECT_EQ(line[20], '.');
    EXPECT_EQ(line.substr(24, 2), "] ");
    EXPECT_EQ(line.substr(26), "Config loaded from C:\\Übung\\日本\\Korvex.cfg: Hotkey=Ctrl+Alt+F n=42");
}

TEST_F(LogFixture, GateAndEmptyPathSilenceKxLogButNotExceptionLines)
{
    g_loggingEnabled = 0;
    KxLog(L"gated");
    EXPECT_FALSE(KxtFileExists(logPath));
    KxAppendLogLine(L"exception line");
    EXPECT_EQ(KxtReadLogLines(logPath), std::vector<std::string>{"exception line"});

    g_loggingEnabled = 1;
    g_logPath[0] = L'\0';
    KxLog(L"nowhere");
    KxAppendLogLine(L"nowhere either");
    EXPECT_EQ(KxtReadLogLines(logPath).size(), 1u);
}

TEST_F(LogFixture, LongMessagesAreCutAndOversizedUtf8IsDropped)
{
    std::wstring longText(3000, L'x');
    KxLog(L"%ls", longText.c_str());
    std::vector<std::string> lines = KxtReadLogLines(logPath);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 1023u) << "prefix and message together are cut at 1023 characters";

    // 1197 bytes of UTF-8 still fit; 1198 do not, and such a line is not written at all.
    std::wstring fits = std::wstring(1197 - 2 * 598, L'a') + std::wstring(598, L'\u00E9');
    std::wstring tooLong = fits + L"b";
    ASSERT_EQ(KxtUtf8(fits).size(), 1197u);
    KxAppendLogLine(fits.c_str());
    KxAppendLogLine(tooLong.c_str());
    lines = KxtReadLogLines(logPath);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], KxtUtf8(fits));

    // A cut message of non-Latin text can still exceed the byte limit and is dropped whole.
    std::wstring greek(1100, L'\u03A9');
    KxLog(L"%ls", greek.c_str());
    EXPECT_EQ(KxtReadLogLines(logPath).size(), 2u);
}

TEST_F(LogFixture, DeletedLogIsCreatedAgain)
{
    KxLog(L"first");
    ASSERT_TRUE(DeleteFileW(logPath.c_str()));
    KxLog(L"second");
    EXPECT_EQ(LastMessage(), "second");
    EXPECT_EQ(KxtReadLogLines(logPath).size(), 1u);
}

TEST_F(LogFixture, DebugLogIsGatedAndLivesBesideTheSettingsFile)
{
    std::wstring configPath = folder + L"Korvex.cfg";
    lstrcpynW(g_configPath, configPath.c_str(), 2048);
    std::wstring debugPath = folder + L"Korvex.debug.log";

    g_settings.everythingDebug = 0;
    KxDebugLog(L"Query: [off]");
    EXPECT_FALSE(KxtFileExists(debugPath));

    g_settings.everythingDebug = 1;
    g_loggingEnabled = 0;
    KxDebugLog(L"Query: [report ünïcode 日本]");
    std::vector<std::string> lines = KxtReadLogLines(debugPath);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 11u + strlen("Query: [report ünïcode 日本]"));
    EXPECT_EQ(lines[0][0], '[');
    EXPECT_EQ(lines[0][3], ':');
    EXPECT_EQ(lines[0][6], ':');
    EXPECT_EQ(lines[0].substr(9), "] Query: [report ünïcode 日本]") << "time of day only, no date";
    EXPECT_FALSE(KxtFileExists(logPath)) << "the diagnostic log stays off";
}

TEST(DebugLogPath, CutAtTheLastDotOfTheSettingsPath)
{
    wchar_t out[2048];
    KxComposeDebugLogPath(L"C:\\tc\\plugins\\Korvex.cfg", out, 2048);
    EXPECT_STREQ(out, L"C:\\tc\\plugins\\Korvex.debug.log");
    KxComposeDebugLogPath(L"C:\\tc.x\\Korvex", out, 2048);
    EXPECT_STREQ(out, L"C:\\tc.debug.log");
    std::wstring longPath(2100, L'p');
    KxComposeDebugLogPath(longPath.c_str(), out, 2048);
    EXPECT_EQ(wcslen(out), 2047u);
}
