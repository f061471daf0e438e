#include "core/log.h"

#include <stdarg.h>
#include <wchar.h>

#include "config/settings.h"

wchar_t g_logPath[2048];
volatile LONG g_loggingEnabled = 1;

namespace {

constexpr int KX_DEBUG_LINE_CHARS = 1100;
// Enough for any debug line: three UTF-8 bytes per UTF-16 code unit at most.
constexpr int KX_UTF8_LINE_CAPACITY = 3 * (KX_DEBUG_LINE_CHARS + 16) + 2;

}  // namespace

int KxFormatLogPrefix(const SYSTEMTIME& time, wchar_t* out, int capacity)
{
    int length = _snwprintf(out, capacity, L"[%04d-%02d-%02d %02d:%02d:%02d.%03d] ", time.wYear, time.wMonth, time.wDay,
                            time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
    if (length < 0 || length >= capacity) {
        out[capacity - 1] = L'\0';
        return (int)wcslen(out);
    }
    return length;
}

void KxLog(const wchar_t* format, ...)
{
    if (g_logPath[0] == L'\0' || g_loggingEnabled == 0) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t line[KX_LOG_LINE_CHARS];
    int prefixLength = KxFormatLogPrefix(now, line, KX_LOG_LINE_CHARS);
    va_list args;
    va_start(args, format);
    // A message that does not fit is cut, never dropped.
    _vsnwprintf(line + prefixLength, KX_LOG_LINE_CHARS - prefixLength, format, args);
    va_end(args);
    line[KX_LOG_LINE_CHARS - 1] = L'\0';
    KxAppendLogLine(line);
}

void KxAppendLogLine(const wchar_t* line)
{
    if (g_logPath[0] == L'\0') return;
    KxAppendUtf8Line(g_logPath, line, KX_LOG_LINE_UTF8_BYTES);
}

void KxAppendUtf8Line(const wchar_t* path, const wchar_t* text, int maxBytes)
{
    char record[KX_UTF8_LINE_CAPACITY];
    if (maxBytes > KX_UTF8_LINE_CAPACITY - 1) maxBytes = KX_UTF8_LINE_CAPACITY - 1;
    KxWriteUtf8Record(path, text, record, maxBytes);
}

void KxWriteUtf8Record(const wchar_t* path, const wchar_t* text, char* record, int maxBytes)
{
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, record, maxBytes, nullptr, nullptr);
    if (bytes <= 0) return;
    // The converted terminator becomes CR, then LF follows: one record, one write.
    record[bytes - 1] = '\r';
    record[bytes] = '\n';
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, record, (DWORD)bytes + 1, &written, nullptr);
    CloseHandle(file);
}

void KxComposeDebugLogPath(const wchar_t* configPath, wchar_t* out, int capacity)
{
    constexpr int KX_DEBUG_PATH_CHARS = 2048;
    if (capacity > KX_DEBUG_PATH_CHARS) capacity = KX_DEBUG_PATH_CHARS;
    lstrcpynW(out, configPath, capacity);
    wchar_t* lastDot = wcsrchr(out, L'.');
    if (lastDot) *lastDot = L'\0';
    int length = (int)wcslen(out);
    lstrcpynW(out + length, L".debug.log", capacity - length);
}

void KxDebugLog(const wchar_t* text)
{
    if (!g_settings.everythingDebug) return;
    wchar_t path[2048];
    KxComposeDebugLogPath(g_configPath, path, 2048);
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t line[KX_DEBUG_LINE_CHARS + 16];
    _snwprintf(line, KX_DEBUG_LINE_CHARS + 16, L"[%02d:%02d:%02d] %ls", now.wHour, now.wMinute, now.wSecond, text);
    line[KX_DEBUG_LINE_CHARS + 15] = L'\0';
    KxAppendUtf8Line(path, line, KX_UTF8_LINE_CAPACITY - 1);
}
