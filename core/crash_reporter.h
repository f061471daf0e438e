#pragma once
#include <windows.h>

LONG CALLBACK KxCrashHandler(EXCEPTION_POINTERS* pointers);

// Serious system errors are reported anywhere; our own module reports every code.
int KxShouldReportException(DWORD code, int insidePlugin);
void KxFormatExceptionLine(const SYSTEMTIME& time, DWORD code, const void* address, const wchar_t* moduleName,
                           int insidePlugin, DWORD processId, wchar_t* out, int capacity);
