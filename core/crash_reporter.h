#pragma once
#include <windows.h>

LONG CALLBACK KxCrashHandler(EXCEPTION_POINTERS* pointers);

// Serious system errors are reported anywhere; our own module reports every code.
int KxShouldReportException(DWORD code, int insidePlugin);
void KxFormatExceptionLine(const SYSTEMTIME& time, DWORD code, const void* address, const wchar_t* moduleName,
                           int insidePlugin, DWORD processId, wchar_t* out, int capacity);

// A host that raises exceptions by the thousand must neither be slowed nor fill the disk: so many lines
// per second and per process, and one line that says when further ones are left out.
constexpr int KX_EXCEPTION_LINES_PER_SECOND = 10;
constexpr int KX_EXCEPTION_LINES_PER_PROCESS = 500;

enum KxExceptionLine { KX_LINE_NONE, KX_LINE_EXCEPTION, KX_LINE_SECOND_FULL, KX_LINE_PROCESS_FULL };

struct KxExceptionLogBudget {
    DWORD secondStart;
    int linesInSecond;
    int linesInProcess;
    bool secondNoticeWritten;
    bool processNoticeWritten;
};

// Nothing more may be written at tick count now (this second's or the process's lines are used up).
int KxExceptionLinesUsedUp(const KxExceptionLogBudget& budget, DWORD now);
// Which line, if any, a reportable exception at tick count now gets; charges the budget for it.
KxExceptionLine KxTakeExceptionLine(KxExceptionLogBudget& budget, DWORD now);
