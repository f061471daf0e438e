// Stands in for the program associated with a file type: writes the argument it was started
// with into the file named by KXT_OPEN_RECORD, so a test sees what the shell opened.
#include <windows.h>
#include <shellapi.h>

#include <string>

int wmain()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    wchar_t record[MAX_PATH];
    if (!arguments || count < 2 || !GetEnvironmentVariableW(L"KXT_OPEN_RECORD", record, MAX_PATH)) return 1;
    std::wstring text = arguments[1];
    HANDLE file = CreateFileW(record, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, text.c_str(), (DWORD)(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    return 0;
}
