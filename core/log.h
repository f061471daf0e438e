#pragma once
#include <windows.h>

// Diagnostic log beside the library; empty path means nothing is ever written.
extern wchar_t g_logPath[2048];
// Gate of KxLog: 1 until the settings are read, then the Logging setting.
extern volatile LONG g_loggingEnabled;

constexpr int KX_LOG_LINE_CHARS = 1024;
constexpr int KX_LOG_LINE_UTF8_BYTES = 1198;

// printf-style (Microsoft flavour: %ls wide, %hs narrow); gated; any thread.
void KxLog(const wchar_t* format, ...);
// Appends one finished line to Korvex.log whatever the gate says.
void KxAppendLogLine(const wchar_t* line);
// Query trace into Korvex.debug.log, only while EverythingDebug is on.
void KxDebugLog(const wchar_t* text);

// Formats the diagnostic line prefix; returns its length.
int KxFormatLogPrefix(const SYSTEMTIME& time, wchar_t* out, int capacity);
// Appends text as UTF-8 followed by CR LF in one write; drops it when the
// UTF-8 form (terminator included) needs more than maxBytes.
void KxAppendUtf8Line(const wchar_t* path, const wchar_t* text, int maxBytes);
// The same into the caller's buffer (maxBytes + 1 bytes), for callers that must not use much stack.
void KxWriteUtf8Record(const wchar_t* path, const wchar_t* text, char* record, int maxBytes);
// "<config path up to its last dot>.debug.log", cut at 2047 characters.
void KxComposeDebugLogPath(const wchar_t* configPath, wchar_t* out, int capacity);
