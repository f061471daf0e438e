#include "support/test_support.h"

#include <stdio.h>

namespace {

// A test that times out is killed with its output still in the buffer: write every line at once.
const int kUnbufferedOutput = (setvbuf(stdout, nullptr, _IONBF, 0), setvbuf(stderr, nullptr, _IONBF, 0));

}  // namespace

bool KxtWaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        KxtPumpMessages();
        if (condition()) return true;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        DWORD slice = timeoutMs - elapsed;
        MsgWaitForMultipleObjectsEx(0, nullptr, slice < 20 ? slice : 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void KxtPumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::wstring KxtMakeTempFolder()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static LONG counter;
    for (;;) {
        wchar_t folder[MAX_PATH];
        _snwprintf(folder, MAX_PATH, L"%lskxt-%lu-%lu-%ld\\", base, GetCurrentProcessId(), GetTickCount(),
                   InterlockedIncrement(&counter));
        if (CreateDirectoryW(folder, nullptr)) return folder;
    }
}

bool KxtFileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string KxtReadFileBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool KxtWriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool KxtWriteUnicodeFile(const std::wstring& path, const std::wstring& text)
{
    std::string bytes("\xFF\xFE", 2);
    bytes.append((const char*)text.data(), text.size() * sizeof(wchar_t));
    return KxtWriteFileBytes(path, bytes);
}

std::wstring KxtReadUnicodeFile(const std::wstring& path)
{
    std::string bytes = KxtReadFileBytes(path);
    if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE", 2) != 0) return {};
    return std::wstring((const wchar_t*)(bytes.data() + 2), (bytes.size() - 2) / sizeof(wchar_t));
}

std::wstring KxtWide(const std::string& utf8)
{
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), wide.data(), length);
    return wide;
}

std::string KxtUtf8(const std::wstring& wide)
{
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), nullptr, 0, nullptr, nullptr);
    std::string utf8(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::vector<std::string> KxtReadLogLines(const std::wstring& path)
{
    std::string bytes = KxtReadFileBytes(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

int KxtFindLine(const std::vector<std::string>& lines, const std::string& text)
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos) return (int)i;
    return -1;
}

int KxtCountLines(const std::vector<std::string>& lines, const std::string& text)
{
    int count = 0;
    for (const std::string& line : lines) count += line.find(text) != std::string::npos;
    return count;
}

bool KxtWaitForLogLine(const std::wstring& path, const std::string& text, DWORD timeoutMs)
{
    return KxtWaitUntil([&] { return KxtFindLine(KxtReadLogLines(path), text) >= 0; }, timeoutMs);
}
