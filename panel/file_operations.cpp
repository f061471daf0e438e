#include <windows.h>
// The shell's declarations build on windows.h.
#include <shellapi.h>
#include <string.h>
#include <wchar.h>

#include "config/settings.h"
#include "core/log.h"
#include "panel/ansi_text.h"
#include "panel/host_plugin_api.h"
#include "panel/published_set.h"
#include "panel/virtual_folder.h"
#include "panel/virtual_path.h"
#include "search/everything_client.h"

// One implementation in UTF-16; the 8-bit exports convert their texts at the edge.

namespace {

const wchar_t* KxTextOrEmpty(const wchar_t* text)
{
    return text ? text : L"";
}

int KxIsVerb(const wchar_t* verb, const wchar_t* expected)
{
    return verb && wcscmp(verb, expected) == 0;
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

// The host passes what its listing showed; a different size or date means the name now stands for
// another file than the one the user chose.
int KxListingIsCurrent(const KxRemoteInfo* remoteInfo, const KxListedFacts& listed)
{
    if (!remoteInfo) return 1;
    ULONGLONG size = ((ULONGLONG)remoteInfo->sizeHigh << 32) | remoteInfo->sizeLow;
    ULONGLONG lastWrite =
        ((ULONGLONG)remoteInfo->lastWriteTime.dwHighDateTime << 32) | remoteInfo->lastWriteTime.dwLowDateTime;
    return listed.known && listed.size == size && listed.lastWrite == lastWrite;
}

// Copies the real file out; a move leaves the real source where it is.
int KxGetFile(const wchar_t* remoteName, const wchar_t* localName, int copyFlags, const KxRemoteInfo* remoteInfo)
{
    KxLog(L"FsGetFile(RemoteName=%ls, LocalName=%ls, CopyFlags=%d)", KxTextOrEmpty(remoteName),
          KxTextOrEmpty(localName), copyFlags);
    wchar_t realPath[KX_PATH_CHARS];
    int isFolder = 0;
    KxListedFacts listed;
    if (!KxResolveVirtualPath(remoteName, realPath, &isFolder, &listed)) {
        KxLog(L"FsGetFile: could not resolve %ls back to a real source path.", KxTextOrEmpty(remoteName));
        return FS_FILE_NOTFOUND;
    }
    if (isFolder) return FS_FILE_NOTSUPPORTED;
    if (!KxListingIsCurrent(remoteInfo, listed)) {
        KxLog(L"FsGetFile: %ls no longer has the size and date the host listed - not copied.",
              KxTextOrEmpty(remoteName));
        return FS_FILE_NOTFOUND;
    }
    if (!localName || !localName[0] || wcsnlen(localName, KX_PATH_CHARS) >= KX_PATH_CHARS) {
        KxLog(L"FsGetFile: FAILED, the target path is empty or too long.");
        return FS_FILE_WRITEERROR;
    }
    wchar_t longSource[KX_LONG_PATH_CHARS];
    wchar_t longTarget[KX_LONG_PATH_CHARS];
    if (!KxLongPathForm(realPath, longSource, KX_LONG_PATH_CHARS) ||
        !KxLongPathForm(localName, longTarget, KX_LONG_PATH_CHARS)) {
        KxLog(L"FsGetFile: FAILED, a path does not fit its long form.");
        return FS_FILE_WRITEERROR;
    }
    BOOL failIfExists = (copyFlags & FS_COPYFLAGS_OVERWRITE) == 0;
    if (CopyFileW(longSource, longTarget, failIfExists)) return FS_FILE_OK;
    DWORD error = GetLastError();
    KxLog(L"FsGetFile: CopyFileW failed, GetLastError=%lu", error);
    // The host then asks the user whether to overwrite.
    if (failIfExists && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)) return FS_FILE_EXISTS;
    return FS_FILE_READERROR;
}

// Only opening and the properties dialog are ours; every other verb is left to the host.
int KxExecuteFile(HWND mainWindow, const wchar_t* remoteName, const wchar_t* verb)
{
    KxLog(L"FsExecuteFile(RemoteName=%ls, Verb=%ls)", KxTextOrEmpty(remoteName), KxTextOrEmpty(verb));
    int open = KxIsVerb(verb, L"open");
    if (!open && !KxIsVerb(verb, L"properties")) return FS_EXEC_YOURSELF;
    wchar_t realPath[KX_PATH_CHARS];
    int isFolder = 0;
    if (!KxResolveVirtualPath(remoteName, realPath, &isFolder)) {
        KxLog(L"FsExecuteFile: could not resolve %ls back to a real source path.", KxTextOrEmpty(remoteName));
        return FS_EXEC_ERROR;
    }
    return open ? KxOpenRealItem(mainWindow, realPath, isFolder) : KxShowRealItemProperties(mainWindow, realPath);
}

// Deletes real files only when the user allowed it, never folders.
BOOL KxDeleteFile(const wchar_t* remoteName)
{
    if (!g_settings.allowDelete) {
        KxLog(
            L"FsDeleteFile(RemoteName=%ls) - refused: AllowDelete=N in Korvex.cfg (default). The real source file is "
            L"never touched by this plugin unless AllowDelete=Y is set.",
            KxTextOrEmpty(remoteName));
        return FALSE;
    }
    wchar_t realPath[KX_PATH_CHARS];
    int isFolder = 0;
    if (!KxResolveVirtualPath(remoteName, realPath, &isFolder)) {
        KxLog(L"FsDeleteFile: could not resolve %ls back to a real source path.", KxTextOrEmpty(remoteName));
        return FALSE;
    }
    if (isFolder) {
        KxLog(L"FsDeleteFile: refused - %ls resolved to a folder, not a file (folders are never deleted here).",
              KxTextOrEmpty(remoteName));
        return FALSE;
    }
    wchar_t longPath[KX_LONG_PATH_CHARS];
    if (!KxLongPathForm(realPath, longPath, KX_LONG_PATH_CHARS) || !DeleteFileW(longPath)) {
        KxLog(L"FsDeleteFile: DeleteFileW failed for %ls, GetLastError=%lu", realPath, GetLastError());
        return FALSE;
    }
    // A file deleted from inside a published folder matches no entry.
    KxRemovePublishedEntryByPath(realPath);
    KxLog(L"FsDeleteFile: deleted real source file %ls (AllowDelete=Y).", realPath);
    return TRUE;
}

}  // namespace

int __stdcall FsGetFileW(WCHAR* RemoteName, WCHAR* LocalName, int CopyFlags, KxRemoteInfo* ri)
{
    return KxGetFile(RemoteName, LocalName, CopyFlags, ri);
}

int __stdcall FsGetFile(char* RemoteName, char* LocalName, int CopyFlags, KxRemoteInfo* ri)
{
    wchar_t remote[KX_HOST_TEXT_CHARS];
    wchar_t local[KX_HOST_TEXT_CHARS];
    return KxGetFile(KxHostTextToWide(RemoteName, remote), KxHostTextToWide(LocalName, local), CopyFlags, ri);
}

int __stdcall FsExecuteFileW(HWND MainWin, WCHAR* RemoteName, WCHAR* Verb)
{
    return KxExecuteFile(MainWin, RemoteName, Verb);
}

int __stdcall FsExecuteFile(HWND MainWin, char* RemoteName, char* Verb)
{
    wchar_t remote[KX_HOST_TEXT_CHARS];
    wchar_t verb[KX_HOST_TEXT_CHARS];
    return KxExecuteFile(MainWin, KxHostTextToWide(RemoteName, remote), KxHostTextToWide(Verb, verb));
}

BOOL __stdcall FsDeleteFileW(WCHAR* RemoteName)
{
    return KxDeleteFile(RemoteName);
}

BOOL __stdcall FsDeleteFile(char* RemoteName)
{
    wchar_t remote[KX_HOST_TEXT_CHARS];
    return KxDeleteFile(KxHostTextToWide(RemoteName, remote));
}
