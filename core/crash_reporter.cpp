#include "core/crash_reporter.h"

#include <wchar.h>

#include "core/log.h"
#include "core/module_path.h"

namespace {

volatile LONG g_crashReportGuard;

}  // namespace

int KxShouldReportException(DWORD code, int insidePlugin)
{
    return (code & 0xE0000000u) == 0xC0000000u || insidePlugin;
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
    // One report at a time across the process; anything raised meanwhile passes unseen.
    if (InterlockedCompareExchange(&g_crashReportGuard, 1, 0) != 0) return EXCEPTION_CONTINUE_SEARCH;
    const EXCEPTION_RECORD* record = pointers ? pointers->ExceptionRecord : nullptr;
    if (record) {
        wchar_t moduleName[260] = L"(unknown module)";
        HMODULE module = nullptr;
        if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               (LPCWSTR)record->ExceptionAddress, &module)) {
            if (GetModuleFileNameW(module, moduleName, 260) == 0) lstrcpyW(moduleName, L"(unknown module)");
            moduleName[259] = L'\0';
        }
        int inside = module != nullptr && module == g_pluginModule;
        if (KxShouldReportException(record->ExceptionCode, inside)) {
            SYSTEMTIME now;
            GetLocalTime(&now);
            wchar_t line[700];
            KxFormatExceptionLine(now, record->ExceptionCode, record->ExceptionAddress, moduleName, inside,
                                  GetCurrentProcessId(), line, 700);
            KxAppendLogLine(line);
        }
    }
    InterlockedExchange(&g_crashReportGuard, 0);
    return EXCEPTION_CONTINUE_SEARCH;
}
