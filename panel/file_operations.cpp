#include <windows.h>
// The shell's declarations build on windows.h.
#include <shellapi.h>
#include <string.h>

#include "config/settings.h"
#include "core/log.h"
#include "panel/ansi_text.h"
#include "panel/host_plugin_api.h"
#include "panel/published_set.h"
#include "panel/virtual_folder.h"
#include "search/everything_client.h"

namespace {

const char* KxTextOrEmpty(const char* text)
{
    return text ? text : "";
}

int KxIsVerb(const char* verb, const char* expected)
{
    return verb && strcmp(verb, expected) == 0;
}

int KxOpenRealItem(HWND mainWindow, const wchar_t* realPath, int isFolder)
{
    // A file gets the shell's default action; a folder is opened explicitly.
    HINSTANCE result =
        ShellExecuteW(mainWindow, isFolder ? L"open" : nullptr, realPath, nullptr, nullptr, SW_SHOWNORMAL);
    if ((INT_PTR)result > 32) return FS_EXEC_OK;
    KxLog(L"FsExecuteFile: ShellExecuteW failed, code=%Id", (INT_PTR)result);
    return FS_EXEC_ERROR;
}

int KxShowRealItemProperties(HWND mainWindow, const wchar_t* realPath)
{
    SHELLEXECUTEINFOW info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.hwnd = mainWindow;
    info.lpVerb = L"properties";
    info.lpFile = realPath;
    info.nShow = SW_SHOW;
    if (ShellExecuteExW(&info)) return FS_EXEC_OK;
    KxLog(L"FsExecuteFile: properties ShellExecuteExW failed, GetLastError=%lu", GetLastError());
    return FS_EXEC_ERROR;
}

}  // namespace

// Copies the real file out; a move leaves the real source where it is.
int __stdcall FsGetFile(char* RemoteName, char* LocalName, int CopyFlags, KxRemoteInfo*)
{
    KxLog(L"FsGetFile(RemoteName=%hs, LocalName=%hs, CopyFlags=%d)", KxTextOrEmpty(RemoteName),
          KxTextOrEmpty(LocalName), CopyFlags);
    wchar_t realPath[KX_PATH_CHARS];
    int isFolder = 0;
    if (!KxResolveVirtualPath(RemoteName, realPath, &isFolder)) {
        KxLog(L"FsGetFile: could not resolve %hs back to a real source path.", KxTextOrEmpty(RemoteName));
        return FS_FILE_NOTFOUND;
    }
    if (isFolder) return FS_FILE_NOTSUPPORTED;
    wchar_t target[KX_PATH_CHARS];
    KxAnsiToWide(LocalName, target, KX_PATH_CHARS);
    BOOL failIfExists = (CopyFlags & FS_COPYFLAGS_OVERWRITE) == 0;
    if (CopyFileW(realPath, target, failIfExists)) return FS_FILE_OK;
    DWORD error = GetLastError();
    KxLog(L"FsGetFile: CopyFileW failed, GetLastError=%lu", error);
    // The host then asks the user whether to overwrite.
    if (failIfExists && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)) return FS_FILE_EXISTS;
    return FS_FILE_READERROR;
}

// Only opening and the properties dialog are ours; every other verb is left to the host.
int __stdcall FsExecuteFile(HWND MainWin, char* RemoteName, char* Verb)
{
    KxLog(L"FsExecuteFile(RemoteName=%hs, Verb=%hs)", KxTextOrEmpty(RemoteName), KxTextOrEmpty(Verb));
    int open = KxIsVerb(Verb, "open");
    if (!open && !KxIsVerb(Verb, "properties")) return FS_EXEC_YOURSELF;
    wchar_t realPath[KX_PATH_CHARS];
    int isFolder = 0;
    if (!KxResolveVirtualPath(RemoteName, realPath, &isFolder)) {
        KxLog(L"FsExecuteFile: could not resolve %hs back to a real source path.", KxTextOrEmpty(RemoteName));
        return FS_EXEC_ERROR;
    }
    return open ? KxOpenRealItem(MainWin, realPath, isFolder) : KxShowRealItemProperties(MainWin, realPath);
}

// Deletes real files only when the user allowed it, never folders.
BOOL __stdcall FsDeleteFile(char* RemoteName)
{
    if (!g_settings.allowDelete) {
        KxLog(
            L"FsDeleteFile(RemoteName=%hs) - refused: AllowDelete=N in Korvex.cfg (default). The real source file is "
            L"never touched by this plugin unless AllowDelete=Y is set.",
            KxTextOrEmpty(RemoteName));
        return FALSE;
    }
    wchar_t realPath[KX_PATH_CHARS];
    int isFolder = 0;
    if (!KxResolveVirtualPath(RemoteName, realPath, &isFolder)) {
        KxLog(L"FsDeleteFile: could not resolve %hs back to a real source path.", KxTextOrEmpty(RemoteName));
        return FALSE;
    }
    if (isFolder) {
        KxLog(L"FsDeleteFile: refused - %hs resolved to a folder, not a file (folders are never deleted here).",
              KxTextOrEmpty(RemoteName));
        return FALSE;
    }
    if (!DeleteFileW(realPath)) {
        KxLog(L"FsDeleteFile: DeleteFileW failed for %ls, GetLastError=%lu", realPath, GetLastError());
        return FALSE;
    }
    // A file deleted from inside a published folder matches no entry.
    KxRemovePublishedEntryByPath(realPath);
    KxLog(L"FsDeleteFile: deleted real source file %ls (AllowDelete=Y).", realPath);
    return TRUE;
}
