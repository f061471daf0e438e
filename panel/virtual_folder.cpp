#include "panel/virtual_folder.h"

#include <string.h>
#include <wchar.h>

#include "core/background_thread.h"
#include "core/host_interface.h"
#include "core/log.h"
#include "panel/ansi_text.h"
#include "panel/host_plugin_api.h"
#include "panel/published_set.h"
#include "panel/virtual_path.h"

// The listing works in UTF-16 for both export families; the 8-bit ones convert each record at the edge and
// pass over names their code page cannot carry whole.

namespace {

constexpr wchar_t KX_ROOT_PLACEHOLDER[] = L"Korvex is active.txt";
constexpr wchar_t KX_FOLDER_PLACEHOLDER[] =
    L"This folder could not be opened - go back to the root and re-run your search.txt";

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

int KxIsUsableHandle(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

void KxFillPlaceholder(WIN32_FIND_DATAW* findData, const wchar_t* name)
{
    ZeroMemory(findData, sizeof *findData);
    findData->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    lstrcpynW(findData->cFileName, name, MAX_PATH);
}

void KxFillPublishedEntry(const KxPublishedEntry& entry, WIN32_FIND_DATAW* findData)
{
    ZeroMemory(findData, sizeof *findData);
    findData->dwFileAttributes = entry.isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    findData->ftLastWriteTime.dwLowDateTime = (DWORD)entry.dateModified;
    findData->ftLastWriteTime.dwHighDateTime = (DWORD)(entry.dateModified >> 32);
    findData->nFileSizeLow = (DWORD)entry.size;
    findData->nFileSizeHigh = (DWORD)(entry.size >> 32);
    // The naming keeps every name within the record.
    lstrcpynW(findData->cFileName, entry.name, MAX_PATH);
}

// Everything of a real entry but its name, into a record of either family.
template <typename FindData>
void KxCopyEntryFacts(const WIN32_FIND_DATAW& real, FindData* findData)
{
    ZeroMemory(findData, sizeof *findData);
    findData->dwFileAttributes = real.dwFileAttributes;
    findData->ftCreationTime = real.ftCreationTime;
    findData->ftLastAccessTime = real.ftLastAccessTime;
    findData->ftLastWriteTime = real.ftLastWriteTime;
    findData->nFileSizeHigh = real.nFileSizeHigh;
    findData->nFileSizeLow = real.nFileSizeLow;
}

void KxFillRealEntry(const WIN32_FIND_DATAW& real, WIN32_FIND_DATAW* findData)
{
    KxCopyEntryFacts(real, findData);
    lstrcpynW(findData->cFileName, real.cFileName, MAX_PATH);
}

// The 8-bit record of an entry; 0 when its name does not fit the record whole in the code page.
int KxFindDataToAnsi(const WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA* findData)
{
    KxCopyEntryFacts(wide, findData);
    return KxWideToAnsi(wide.cFileName, findData->cFileName, MAX_PATH) >= 0;
}

// The next real entry other than "." and ".."; 0 when the search is exhausted.
int KxNextRealEntry(HANDLE realFind, WIN32_FIND_DATAW* real)
{
    while (FindNextFileW(realFind, real))
        if (!KxIsDotOrDotDot(real->cFileName)) return 1;
    return 0;
}

// The real folder behind a listed path: a published folder entry, or a folder below one.
int KxResolveListedFolder(const wchar_t* path, wchar_t* realFolder)
{
    if (!path || path[0] != L'\\') return 0;
    wchar_t copy[KX_HOST_PATH_CHARS];
    if (wcsnlen(path, KX_HOST_PATH_CHARS) >= KX_HOST_PATH_CHARS) return 0;
    lstrcpynW(copy, path, KX_HOST_PATH_CHARS);
    if (KxStripTrailingBackslashes(copy) < 2) return 0;
    KxVirtualPathParts parts;
    if (!KxSplitVirtualPath(copy, &parts)) return 0;
    if (!KxIsContainedSubPath(parts.rest)) return 0;
    KxPublishedEntry entry;
    if (!KxFindPublishedEntryNamed(parts.name, 1, &entry)) return 0;
    if (parts.rest && parts.rest[0]) return KxJoinRealPath(entry.path, parts.rest, realFolder, KX_PATH_CHARS);
    lstrcpynW(realFolder, entry.path, KX_PATH_CHARS);
    return 1;
}

void KxStartRootListing(KxFindHandle* handle, WIN32_FIND_DATAW* findData)
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

int KxStartRealListing(const wchar_t* realFolder, KxFindHandle* handle, WIN32_FIND_DATAW* findData)
{
    wchar_t pattern[KX_PATH_CHARS + 2];
    wchar_t longPattern[KX_LONG_PATH_CHARS + 2];
    HANDLE realFind = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW real;
    if (KxJoinRealPath(realFolder, L"*", pattern, KX_PATH_CHARS + 2) &&
        KxLongPathForm(pattern, longPattern, KX_LONG_PATH_CHARS + 2)) {
        realFind = FindFirstFileW(longPattern, &real);
    } else {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
    }
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

// Every path gets a handle with at least one entry, so the host never shows this file system as failing.
HANDLE KxFindFirst(const wchar_t* path, WIN32_FIND_DATAW* findData)
{
    KxLog(L"FsFindFirst(Path=%ls)", path ? path : L"");
    KxFindHandle* handle = (KxFindHandle*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(KxFindHandle));
    if (!handle) {
        SetLastError(ERROR_NO_MORE_FILES);
        return INVALID_HANDLE_VALUE;
    }
    handle->state = KX_FIND_DONE;
    if (path && wcscmp(path, L"\\") == 0) {
        KxStartRootListing(handle, findData);
        return handle;
    }
    wchar_t realFolder[KX_PATH_CHARS];
    if (!KxResolveListedFolder(path, realFolder)) {
        KxLog(L"FsFindFirst: could not resolve subpath %ls to a real folder - showing placeholder instead.",
              path ? path : L"");
    } else if (KxStartRealListing(realFolder, handle, findData)) {
        return handle;
    }
    KxFillPlaceholder(findData, KX_FOLDER_PLACEHOLDER);
    return handle;
}

BOOL KxFindNext(KxFindHandle* handle, WIN32_FIND_DATAW* findData)
{
    if (handle->state == KX_FIND_REAL) {
        WIN32_FIND_DATAW real;
        if (!KxNextRealEntry(handle->realFind, &real)) {
            SetLastError(ERROR_NO_MORE_FILES);
            return FALSE;
        }
        KxFillRealEntry(real, findData);
        return TRUE;
    }
    // The count and the entry are read together, so a publish or delete in between cannot show a stale entry.
    KxPublishedEntry entry;
    if (handle->state == KX_FIND_DONE || !KxCopyPublishedEntry(handle->state, &entry)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    KxFillPublishedEntry(entry, findData);
    handle->state++;
    return TRUE;
}

// The next entry whose name the code page carries whole.
BOOL KxFindNextAnsi(KxFindHandle* handle, WIN32_FIND_DATAA* findData)
{
    WIN32_FIND_DATAW wide;
    while (KxFindNext(handle, &wide))
        if (KxFindDataToAnsi(wide, findData)) return TRUE;
    return FALSE;
}

// An 8-bit listing none of whose names fit ends as an unlistable folder does.
void KxEndWithPlaceholder(KxFindHandle* handle, WIN32_FIND_DATAA* findData)
{
    if (handle->state == KX_FIND_REAL) FindClose(handle->realFind);
    handle->state = KX_FIND_DONE;
    WIN32_FIND_DATAW placeholder;
    KxFillPlaceholder(&placeholder, KX_FOLDER_PLACEHOLDER);
    KxFindDataToAnsi(placeholder, findData);
}

int KxInitPlugin(int pluginNr)
{
    KxLog(L"FsInit(PluginNr=%d) - WFX plugin reached.", pluginNr);
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

}  // namespace

int KxResolveVirtualPath(const wchar_t* remoteName, wchar_t* realPath, int* isFolder, KxListedFacts* listed)
{
    if (!remoteName || remoteName[0] != L'\\') return 0;
    if (wcsnlen(remoteName, KX_HOST_PATH_CHARS) >= KX_HOST_PATH_CHARS) return 0;
    KxVirtualPathParts parts;
    if (!KxSplitVirtualPath(remoteName, &parts)) return 0;
    KxPublishedEntry entry;
    if (!parts.rest) {
        if (!KxFindPublishedEntryNamed(parts.name, 0, &entry)) return 0;
        lstrcpynW(realPath, entry.path, KX_PATH_CHARS);
        *isFolder = entry.isFolder ? 1 : 0;
        if (listed) *listed = {1, entry.size, entry.dateModified};
        return 1;
    }
    if (!KxIsContainedSubPath(parts.rest)) return 0;
    if (!KxFindPublishedEntryNamed(parts.name, 1, &entry)) return 0;
    wchar_t joined[KX_PATH_CHARS];
    wchar_t longJoined[KX_LONG_PATH_CHARS];
    if (!KxJoinRealPath(entry.path, parts.rest, joined, KX_PATH_CHARS)) return 0;
    if (!KxLongPathForm(joined, longJoined, KX_LONG_PATH_CHARS)) return 0;
    WIN32_FILE_ATTRIBUTE_DATA data;
    int exists = GetFileAttributesExW(longJoined, GetFileExInfoStandard, &data) != 0;
    lstrcpynW(realPath, joined, KX_PATH_CHARS);
    // A path that does not exist counts as a file; the operation on it then fails on its own.
    *isFolder = exists && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    if (listed) {
        *listed = {
            exists, exists ? ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow : 0,
            exists ? ((ULONGLONG)data.ftLastWriteTime.dwHighDateTime << 32) | data.ftLastWriteTime.dwLowDateTime : 0};
    }
    return 1;
}

int __stdcall FsInit(int PluginNr, KxProgressProc, KxLogProc, KxRequestProc)
{
    return KxInitPlugin(PluginNr);
}

int __stdcall FsInitW(int PluginNr, KxProgressProcW, KxLogProcW, KxRequestProcW)
{
    return KxInitPlugin(PluginNr);
}

void __stdcall FsGetDefRootName(char* DefRootName, int maxlen)
{
    if (DefRootName && maxlen > 0) lstrcpynA(DefRootName, "Korvex", maxlen);
}

HANDLE __stdcall FsFindFirstW(WCHAR* Path, WIN32_FIND_DATAW* FindData)
{
    WIN32_FIND_DATAW scratch;
    return KxFindFirst(Path, FindData ? FindData : &scratch);
}

HANDLE __stdcall FsFindFirst(char* Path, WIN32_FIND_DATAA* FindData)
{
    wchar_t path[KX_HOST_TEXT_CHARS];
    WIN32_FIND_DATAW wide;
    HANDLE found = KxFindFirst(KxHostTextToWide(Path, path), &wide);
    if (found == INVALID_HANDLE_VALUE) return found;
    WIN32_FIND_DATAA scratch;
    if (!FindData) FindData = &scratch;
    KxFindHandle* handle = (KxFindHandle*)found;
    if (!KxFindDataToAnsi(wide, FindData) && !KxFindNextAnsi(handle, FindData)) KxEndWithPlaceholder(handle, FindData);
    return found;
}

BOOL __stdcall FsFindNextW(HANDLE Hdl, WIN32_FIND_DATAW* FindData)
{
    if (!KxIsUsableHandle(Hdl) || !FindData) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return KxFindNext((KxFindHandle*)Hdl, FindData);
}

BOOL __stdcall FsFindNext(HANDLE Hdl, WIN32_FIND_DATAA* FindData)
{
    if (!KxIsUsableHandle(Hdl) || !FindData) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return KxFindNextAnsi((KxFindHandle*)Hdl, FindData);
}

int __stdcall FsFindClose(HANDLE Hdl)
{
    if (!KxIsUsableHandle(Hdl)) return 0;
    KxFindHandle* handle = (KxFindHandle*)Hdl;
    if (handle->state == KX_FIND_REAL && KxIsUsableHandle(handle->realFind)) FindClose(handle->realFind);
    HeapFree(GetProcessHeap(), 0, handle);
    return 0;
}
