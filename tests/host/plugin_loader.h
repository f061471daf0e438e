#pragma once
#include <windows.h>

#include <string>
#include <type_traits>
#include <vector>

// The plug-in loaded the way the host loads it: a copy of the DLL in its own folder,
// LoadLibrary, then exports looked up by name.
struct KxtPlugin {
    std::wstring folder;  // ends with a backslash
    HMODULE module;

    std::wstring LogPath() const { return folder + L"Korvex.log"; }
    std::wstring ConfigPath() const { return folder + L"Korvex.cfg"; }
    FARPROC Export(const char* name) const { return GetProcAddress(module, name); }
    template <typename Function>
    Function Get(const char* name) const
    {
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(Export(name)));
    }
};

// Folder to hold the plug-in; a Korvex.cfg may be put there before loading.
std::wstring KxtPreparePluginFolder();
// Writes a Korvex.cfg (UTF-16 with byte-order mark) with the given lines.
bool KxtWriteConfig(const std::wstring& folder, const std::wstring& lines);
// The DLL under test where the build left it.
std::wstring KxtPluginBuildPath();
// Copies the DLL under test into the folder and loads it; module is null when that failed.
KxtPlugin KxtLoadPlugin(const std::wstring& folder);
// Waits until the keyboard hook is in place and start-up is over (needs Logging=Y, which every config
// below sets).
bool KxtWaitForHook(const KxtPlugin& plugin);
// Waits until the plug-in's thread has made its windows and runs its loop; needs no log.
bool KxtWaitForStartupEnd(HMODULE module = nullptr);
// A config with the diagnostic log switched on, plus the given extra lines of section [Display].
std::wstring KxtLoggingConfig(const std::wstring& extraDisplayLines = L"");

typedef int(__stdcall* KxtFsInitProc)(int, void*, void*, void*);

// The names the plug-in lists for its root through FsFindFirst/FsFindNext (char) or their W forms (WCHAR).
template <typename Text>
std::vector<std::basic_string<Text>> KxtListPluginRoot(const KxtPlugin& plugin)
{
    typedef std::conditional_t<sizeof(Text) == 1, WIN32_FIND_DATAA, WIN32_FIND_DATAW> FindData;
    const bool wide = sizeof(Text) != 1;
    auto findFirst = plugin.Get<HANDLE(__stdcall*)(Text*, FindData*)>(wide ? "FsFindFirstW" : "FsFindFirst");
    auto findNext = plugin.Get<BOOL(__stdcall*)(HANDLE, FindData*)>(wide ? "FsFindNextW" : "FsFindNext");
    auto findClose = plugin.Get<int(__stdcall*)(HANDLE)>("FsFindClose");
    std::vector<std::basic_string<Text>> names;
    FindData found{};
    Text root[2] = {'\\', 0};
    HANDLE handle = findFirst(root, &found);
    if (handle == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (findNext(handle, &found));
    findClose(handle);
    return names;
}
typedef void(__stdcall* KxtContentGetDetectStringProc)(char*, int);
