#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Waits for a condition while serving this thread's messages (the plug-in sends to our windows).
bool KxtWaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000);
// Serves this thread's pending messages once.
void KxtPumpMessages();

// A new empty folder under the temporary folder; ends with a backslash.
std::wstring KxtMakeTempFolder();
bool KxtFileExists(const std::wstring& path);
std::string KxtReadFileBytes(const std::wstring& path);
bool KxtWriteFileBytes(const std::wstring& path, const std::string& bytes);
// A UTF-16 file with byte-order mark, as the plug-in writes its settings.
bool KxtWriteUnicodeFile(const std::wstring& path, const std::wstring& text);
std::wstring KxtReadUnicodeFile(const std::wstring& path);

std::wstring KxtWide(const std::string& utf8);
std::string KxtUtf8(const std::wstring& wide);

// The lines of a UTF-8 log file without their CR LF.
std::vector<std::string> KxtReadLogLines(const std::wstring& path);
// Index of the first line containing text, or -1.
int KxtFindLine(const std::vector<std::string>& lines, const std::string& text);
int KxtCountLines(const std::vector<std::string>& lines, const std::string& text);
// Waits until the log at path has a line containing text.
bool KxtWaitForLogLine(const std::wstring& path, const std::string& text, DWORD timeoutMs = 30000);
