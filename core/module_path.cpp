#include "core/module_path.h"

#include <wchar.h>

HMODULE g_pluginModule;

int KxComposePathBeside(const wchar_t* modulePath, const wchar_t* fileName, wchar_t* out, int capacity)
{
    if (capacity <= 0) return 0;
    out[0] = L'\0';
    const wchar_t* lastSlash = wcsrchr(modulePath, L'\\');
    if (!lastSlash) return 0;
    int folderLength = (int)(lastSlash - modulePath) + 1;
    _snwprintf(out, capacity, L"%.*ls%ls", folderLength, modulePath, fileName);
    out[capacity - 1] = L'\0';
    return 1;
}

int KxPathBesideModule(const wchar_t* fileName, wchar_t* out, int capacity)
{
    wchar_t modulePath[2048];
    DWORD length = GetModuleFileNameW(g_pluginModule, modulePath, 2048);
    if (length == 0 || length >= 2048) {
        if (capacity > 0) out[0] = L'\0';
        return 0;
    }
    return KxComposePathBeside(modulePath, fileName, out, capacity);
}

KxAnyFunction KxFindSystemFunction(const wchar_t* library, const char* name)
{
    HMODULE module = LoadLibraryW(library);
    return module ? reinterpret_cast<KxAnyFunction>(GetProcAddress(module, name)) : nullptr;
}
