#include "panel/virtual_folder.h"

#include <string.h>

#include "core/background_thread.h"
#include "core/host_interface.h"
#include "core/log.h"
#include "panel/ansi_text.h"
#include "panel/host_plugin_api.h"
#include "panel/published_set.h"
#include "panel/virtual_path.h"

namespace {

constexpr char KX_ROOT_PLACEHOLDER[] = "Korvex is active.txt";
constexpr char KX_FOLDER_PLACEHOLDER[] =
    "This folder could not be opened - go back to the root and re-run your search.txt";

enum KxFindState { KX_FIND_REAL = -2, KX_FIND_DONE = -1, KX_FIND_ROOT_FIRST = 1 };

// The handle the host carries from FsFindFirst to FsFindClose.
struct KxFindHandle {
    int state;        // KX_FIND_REAL, KX_FIND_DONE, or the index of the next published entry
    HANDLE realFind;  // open while state is KX_FIND_REAL
};

int KxIsDotOrDotDot(const wchar_t* name)
{
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

void KxFillPlaceholder(WIN32_FIND_DATAA* findData, const char* name)
{
    findData->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    lstrcpynA(findData->cFileName, name, MAX_PATH);
}

void KxFillPublishedEntry(const KxPublishedEntry& entry, WIN32_FIND_DATAA* findData)
{
    ZeroMemory(findData, sizeof *findData);
    findData->dwFileAttributes = entry.isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    findData->ftLastWriteTime.dwLowDateTime = (DWORD)entry.dateModified;
    findData->ftLastWriteTime.dwHighDateTime = (DWORD)(entry.dateModified >> 32);
    findData->nFileSizeLow = (DWORD)entry.size;
    findData->nFileSizeHigh = (DWORD)(entry.size >> 32);
    KxWideToAnsi(entry.name, findData->cFileName, MAX_PATH);
}

void KxFillRealEntry(const WIN32_FIND_DATAW& real, WIN32_FIND_DATAA* findData)
{
    ZeroMemory(findData, sizeof *findData);
    findData->dwFileAttributes = real.dwFileAttributes;
    findData->ftCreationTime = real.ftCreationTime;
    findData->ftLastAccessTime = real.ftLastAccessTime;
    findData->ftLastWriteTime = real.ftLastWriteTime;
    findData->nFileSizeHigh = real.nFileSizeHigh;
    findData->nFileSizeLow = real.nFileSizeLow;
    KxWideToAnsi(real.cFileName, findData->cFileName, MAX_PATH);
}

// The next real entry other than "." and ".."; 0 when the search is exhausted.
int KxNextRealEntry(HANDLE realFind, WIN32_FIND_DATAW* real)
{
    while (FindNextFileW(realFind, real))
        if (!KxIsDotOrDotDot(real->cFileName)) return 1;
    return 0;
}

// The real folder behind a listed path: a published folder entry, or a folder below one.
int KxResolveListedFolder(const char* path, wchar_t* realFolder)
{
    if (!path || path[0] != '\\') return 0;
    wchar_t wide[KX_HOST_PATH_CHARS];
    KxAnsiToWide(path, wide, KX_HOST_PATH_CHARS);
    if (KxStripTrailingBackslashes(wide) < 2) return 0;
    KxVirtualPathParts parts;
    if (!KxSplitVirtualPath(wide, &parts)) return 0;
    if (!KxIsContainedSubPath(parts.rest)) return 0;
    KxPublishedEntry entry;
    if (!KxFindPublishedEntryNamed(parts.name, 1, &entry)) return 0;
    if (parts.rest && parts.rest[0]) {
        KxJoinRealPath(entry.path, parts.rest, realFolder, KX_PATH_CHARS);
    } else {
        lstrcpynW(realFolder, entry.path, KX_PATH_CHARS);
    }
    return 1;
}

void KxStartRootListing(KxFindHandle* handle, WIN32_FIND_DATAA* findData)
{
    KxPublishedEntry entry;
    if (!KxCopyPublishedEntry(0, &entry)) {
        KxFillPlaceholder(findData, KX_ROOT_PLACEHOLDER);
        handle->state = KX_FIND_DONE;
        return;
    }
    KxFillPublishedEntry(entry, findData);
    handle->state = KX_FIND_ROOT_FIRST;
}

int KxStartRealListing(const wchar_t* realFolder, KxFindHandle* handle, WIN32_FIND_DATAA* findData)
{
    wchar_t pattern[KX_PATH_CHARS + 2];
    KxJoinRealPath(realFolder, L"*", pattern, KX_PATH_CHARS + 2);
    WIN32_FIND_DATAW real;
    HANDLE realFind = FindFirstFileW(pattern, &real);
    int found = 0;
    if (realFind != INVALID_HANDLE_VALUE) found = !KxIsDotOrDotDot(real.cFileName) || KxNextRealEntry(realFind, &real);
    if (!found) {
        if (realFind != INVALID_HANDLE_VALUE) FindClose(realFind);
        KxLog(
            L"FsFindFirst: real folder \"%ls\" resolved but appears empty or unreadable (GetLastError=%lu) - showing "
            L"placeholder instead.",
            realFolder, GetLastError());
        return 0;
    }
    handle->state = KX_FIND_REAL;
    handle->realFind = realFind;
    KxFillRealEntry(real, findData);
    KxLog(L"FsFindFirst: real pass-through browsing of \"%ls\" (first entry \"%ls\")", realFolder, real.cFileName);
    return 1;
}

int KxIsUsableHandle(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

int KxResolveVirtualPath(const char* remoteName, wchar_t* realPath, int* isFolder)
{
    if (!remoteName || remoteName[0] != '\\') return 0;
    wchar_t wide[KX_HOST_PATH_CHARS];
    KxAnsiToWide(remoteName, wide, KX_HOST_PATH_CHARS);
    KxVirtualPathParts parts;
    if (!KxSplitVirtualPath(wide, &parts)) return 0;
    KxPublishedEntry entry;
    if (!parts.rest) {
        if (!KxFindPublishedEntryNamed(parts.name, 0, &entry)) return 0;
        lstrcpynW(realPath, entry.path, KX_PATH_CHARS);
        *isFolder = entry.isFolder ? 1 : 0;
        return 1;
    }
    if (!KxIsContainedSubPath(parts.rest)) return 0;
    if (!KxFindPublishedEntryNamed(parts.name, 1, &entry)) return 0;
    wchar_t joined[KX_PATH_CHARS];
    KxJoinRealPath(entry.path, parts.rest, joined, KX_PATH_CHARS);
    DWORD attributes = GetFileAttributesW(joined);
    lstrcpynW(realPath, joined, KX_PATH_CHARS);
    // A path that does not exist counts as a file; the operation on it then fails on its own.
    *isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    return 1;
}

int __stdcall FsInit(int PluginNr, KxProgressProc, KxLogProc, KxRequestProc)
{
    KxLog(L"FsInit(PluginNr=%d) - WFX plugin reached.", PluginNr);
    DWORD threadId = g_hookThreadId;
    if (threadId == 0) {
        KxLog(
            L"FsInit: background thread not started yet (g_hookThreadId==0) - cannot auto-open the search box "
            L"this time; press the hotkey again once loaded.");
        return 0;
    }
    // The host calls FsInit right after loading us, usually before the new thread has its queue.
    if (g_threadQueueReady) WaitForSingleObject(g_threadQueueReady, 2000);
    BOOL posted = PostThreadMessageW(threadId, WM_KX_AUTOOPEN_OVERLAY, 0, 0);
    KxLog(L"FsInit: %ls posting WM_KX_AUTOOPEN_OVERLAY to background thread (tid=%lu).", posted ? L"OK" : L"FAILED",
          threadId);
    return 0;
}

void __stdcall FsGetDefRootName(char* DefRootName, int maxlen)
{
    if (DefRootName && maxlen > 0) lstrcpynA(DefRootName, "Korvex", maxlen);
}

// Every path gets a handle with at least one entry, so the host never shows this file system as failing.
HANDLE __stdcall FsFindFirst(char* Path, WIN32_FIND_DATAA* FindData)
{
    KxLog(L"FsFindFirst(Path=%hs)", Path ? Path : "");
    KxFindHandle* handle = (KxFindHandle*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(KxFindHandle));
    if (!handle) {
        SetLastError(ERROR_NO_MORE_FILES);
        return INVALID_HANDLE_VALUE;
    }
    handle->state = KX_FIND_DONE;
    WIN32_FIND_DATAA scratch;
    if (!FindData) FindData = &scratch;
    ZeroMemory(FindData, sizeof *FindData);

    if (Path && strcmp(Path, "\\") == 0) {
        KxStartRootListing(handle, FindData);
        return handle;
    }
    wchar_t realFolder[KX_PATH_CHARS];
    if (!KxResolveListedFolder(Path, realFolder)) {
        KxLog(L"FsFindFirst: could not resolve subpath %hs to a real folder - showing placeholder instead.",
              Path ? Path : "");
    } else if (KxStartRealListing(realFolder, handle, FindData)) {
        return handle;
    }
    KxFillPlaceholder(FindData, KX_FOLDER_PLACEHOLDER);
    return handle;
}

BOOL __stdcall FsFindNext(HANDLE Hdl, WIN32_FIND_DATAA* FindData)
{
    KxFindHandle* handle = (KxFindHandle*)Hdl;
    if (!KxIsUsableHandle(Hdl) || !FindData || handle->state == KX_FIND_DONE) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    if (handle->state == KX_FIND_REAL) {
        WIN32_FIND_DATAW real;
        if (!KxNextRealEntry(handle->realFind, &real)) {
            SetLastError(ERROR_NO_MORE_FILES);
            return FALSE;
        }
        KxFillRealEntry(real, FindData);
        return TRUE;
    }
    // The count and the entry are read together, so a publish or delete in between cannot show a stale entry.
    KxPublishedEntry entry;
    if (!KxCopyPublishedEntry(handle->state, &entry)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    KxFillPublishedEntry(entry, FindData);
    handle->state++;
    return TRUE;
}

int __stdcall FsFindClose(HANDLE Hdl)
{
    if (!KxIsUsableHandle(Hdl)) return 0;
    KxFindHandle* handle = (KxFindHandle*)Hdl;
    if (handle->state == KX_FIND_REAL && KxIsUsableHandle(handle->realFind)) FindClose(handle->realFind);
    HeapFree(GetProcessHeap(), 0, handle);
    return 0;
}
