#include <gtest/gtest.h>

#include "core/crash_reporter.h"
#include "support/test_support.h"

TEST(CrashReporterRules, SystemErrorsAnywhereAndEverythingInsideThePlugin)
{
    struct Case {
        DWORD code;
        int inside;
        int reported;
    } cases[] = {
        {0xC0000005, 0, 1},  // access violation
        {0xC000001D, 0, 1},  // illegal instruction
        {0xC00000FD, 0, 1},  // stack overflow
        {0x80000003, 0, 0},  // breakpoint
        {0xE06D7363, 0, 0},  // a customer code (top bits 1, 1, 1)
        {0x40010006, 0, 0},  // informational
        {0x80000003, 1, 1},  {0xE06D7363, 1, 1}, {0x40010006, 1, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KxShouldReportException(c.code, c.inside), c.reported) << std::hex << c.code << " inside=" << c.inside;
}

TEST(CrashReporterRules, LineFormatAndCut)
{
    SYSTEMTIME time{2026, 12, 2, 8, 6, 5, 4, 3};
    wchar_t line[700];
    KxFormatExceptionLine(time, 0xC0000005, (void*)0x1234, L"C:\\tc\\TOTALCMD64.EXE", 0, 42, line, 700);
    std::wstring expected = L"[2026-12-08 06:05:04.003] *** EXCEPTION *** code=0xC0000005 addr=";
    EXPECT_EQ(std::wstring(line).substr(0, expected.size()), expected);
    EXPECT_NE(std::wstring(line).find(L"1234 module=C:\\tc\\TOTALCMD64.EXE [outside Korvex] (pid=42)"),
              std::wstring::npos)
        << KxtUtf8(line);

    std::wstring longModule(900, L'm');
    KxFormatExceptionLine(time, 1, nullptr, longModule.c_str(), 1, 1, line, 700);
    EXPECT_EQ(wcslen(line), 699u) << "a long line is cut to the buffer";
}

TEST(CrashReporterRules, AFloodIsLoggedWithinItsLimitsAndSaysWhatIsLeftOut)
{
    KxExceptionLogBudget budget{};
    int exceptionLines = 0, secondNotices = 0, processNotices = 0;
    // 10,000 exceptions a second for the first three seconds.
    for (int i = 0; i < 30000; ++i) {
        switch (KxTakeExceptionLine(budget, 5000 + (DWORD)(i / 10))) {
        case KX_LINE_EXCEPTION: exceptionLines++; break;
        case KX_LINE_SECOND_FULL: secondNotices++; break;
        case KX_LINE_PROCESS_FULL: processNotices++; break;
        case KX_LINE_NONE: break;
        }
    }
    EXPECT_EQ(exceptionLines, 3 * KX_EXCEPTION_LINES_PER_SECOND);
    EXPECT_EQ(secondNotices, 3) << "one line per full second says that further ones are left out";
    EXPECT_EQ(processNotices, 0);

    // A flood that never ends stops at the process's limit, with one last line saying so.
    for (DWORD second = 3; second < 1000; ++second)
        for (int i = 0; i < 50; ++i) {
            KxExceptionLine line = KxTakeExceptionLine(budget, 5000 + 1000 * second + (DWORD)i);
            exceptionLines += line == KX_LINE_EXCEPTION;
            secondNotices += line == KX_LINE_SECOND_FULL;
            processNotices += line == KX_LINE_PROCESS_FULL;
        }
    EXPECT_EQ(exceptionLines + secondNotices, KX_EXCEPTION_LINES_PER_PROCESS);
    EXPECT_EQ(processNotices, 1);
}
