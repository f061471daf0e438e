#include "core/crash_reporter.h"

#include <wchar.h>

#include "core/log.h"
#include "core/module_path.h"

namespace {

volatile LONG g_crashReportGuard;

// Everything below belongs to the thread that holds the guard. Static rather than on the stack: a stack
// overflow is reported on the little stack that is left to the faulting thread.
KxExceptionLogBudget g_exceptionBudget;
wchar_t g_reportModule[260];
wchar_t g_reportLine[700];
char g_reportRecord[KX_LOG_LINE_UTF8_BYTES + 1];

// Inside our own image: decided from its address range, without asking the loader.
int KxIsInsidePlugin(const void* address)
{
    const BYTE* base = (const BYTE*)g_pluginModule;
    if (!base) return 0;
    const IMAGE_NT_HEADERS* headers = (const IMAGE_NT_HEADERS*)(base + ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
    const BYTE* at = (const BYTE*)address;
    return at >= base && at < base + headers->OptionalHeader.SizeOfImage;
}

void KxFormatNotice(const SYSTEMTIME& time, KxExceptionLine kind)
{
    const wchar_t* notice = kind == KX_LINE_SECOND_FULL
                                ? L"more than %d exceptions in one second - further ones in this second are not logged"
                                : L"%d exception lines written - further exceptions in this process are not logged";
    int limit = kind == KX_LINE_SECOND_FULL ? KX_EXCEPTION_LINES_PER_SECOND : KX_EXCEPTION_LINES_PER_PROCESS;
    int length = _snwprintf(g_reportLine, 700, L"[%04d-%02d-%02d %02d:%02d:%02d.%03d] *** EXCEPTION *** ", time.wYear,
                            time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
    if (length < 0 || length >= 700) length = 0;
    _snwprintf(g_reportLine + length, 700 - length, notice, limit);
    g_reportLine[699] = L'\0';
}

void KxWriteExceptionLine(const EXCEPTION_RECORD* record, int inside, KxExceptionLine kind)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (kind == KX_LINE_EXCEPTION) {
        lstrcpyW(g_reportModule, L"(unknown module)");
        HMODULE module = nullptr;
        if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               (LPCWSTR)record->ExceptionAddress, &module) &&
            GetModuleFileNameW(module, g_reportModule, 260) == 0)
            lstrcpyW(g_reportModule, L"(unknown module)");
        g_reportModule[259] = L'\0';
        KxFormatExceptionLine(now, record->ExceptionCode, record->ExceptionAddress, g_reportModule, inside,
                              GetCurrentProcessId(), g_reportLine, 700);
    } else {
        KxFormatNotice(now, kind);
    }
    if (g_logPath[0]) KxWriteUtf8Record(g_logPath, g_reportLine, g_reportRecord, KX_LOG_LINE_UTF8_BYTES);
}

}  // namespace

int KxShouldReportException(DWORD code, int insidePlugin)
{
    return (code & 0xE0000000u) == 0xC0000000u || insidePlugin;
}

int KxExceptionLinesUsedUp(const KxExceptionLogBudget& budget, DWORD now)
{
    return budget.processNoticeWritten ||
           (budget.secondNoticeWritten && budget.linesInSecond > 0 && now - budget.secondStart < 1000);
}

KxExceptionLine KxTakeExceptionLine(KxExceptionLogBudget& budget, DWORD now)
{
    if (budget.linesInProcess >= KX_EXCEPTION_LINES_PER_PROCESS) {
        if (budget.processNoticeWritten) return KX_LINE_NONE;
        budget.processNoticeWritten = true;
        return KX_LINE_PROCESS_FULL;
    }
    if (budget.linesInSecond == 0 || now - budget.secondStart >= 1000) {
        budget.secondStart = now;
        budget.linesInSecond = 0;
        budget.secondNoticeWritten = false;
    }
    if (budget.linesInSecond >= KX_EXCEPTION_LINES_PER_SECOND) {
        if (budget.secondNoticeWritten) return KX_LINE_NONE;
        budget.secondNoticeWritten = true;
        budget.linesInProcess++;
        return KX_LINE_SECOND_FULL;
    }
    budget.linesInSecond++;
    budget.linesInProcess++;
    return KX_LINE_EXCEPTION;
}

void KxFormatExceptionLine(const SYSTEMTIME& time, DWORD code, const void* address, const wchar_t* moduleName,
                           int insidePlugin, DWORD processId, wchar_t* out, int capacity)
{
    _snwprintf(out, capacity,
               L"[%04d-%02d-%02d %02d:%02d:%02d.%03d] *** EXCEPTION *** code=0x%08lX addr=%p module=%ls %ls "
               L"(pid=%lu)",
               time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds, code,
               address, moduleName, insidePlugin ? L"[INSIDE Korvex]" : L"[outside Korvex]", processId);
    out[capacity - 1] = L'\0';
}

LONG CALLBACK KxCrashHandler(EXCEPTION_POINTERS* pointers)
{
    // Called for every exception of the host: the common case (nothing to report) asks nobody anything.
    const EXCEPTION_RECORD* record = pointers ? pointers->ExceptionRecord : nullptr;
    if (!record) return EXCEPTION_CONTINUE_SEARCH;
    int inside = KxIsInsidePlugin(record->ExceptionAddress);
    if (!KxShouldReportException(record->ExceptionCode, inside)) return EXCEPTION_CONTINUE_SEARCH;
    // In a flood, once the lines are used up, nothing is shared between threads: a plain look suffices.
    DWORD now = GetTickCount();
    if (KxExceptionLinesUsedUp(g_exceptionBudget, now)) return EXCEPTION_CONTINUE_SEARCH;
    // One report at a time across the process; anything raised meanwhile passes unseen.
    if (InterlockedCompareExchange(&g_crashReportGuard, 1, 0) != 0) return EXCEPTION_CONTINUE_SEARCH;
    KxExceptionLine kind = KxTakeExceptionLine(g_exceptionBudget, now);
    if (kind != KX_LINE_NONE) KxWriteExceptionLine(record, inside, kind);
    InterlockedExchange(&g_crashReportGuard, 0);
    return EXCEPTION_CONTINUE_SEARCH;
}
