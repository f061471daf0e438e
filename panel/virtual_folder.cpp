#include "core/background_thread.h"
#include "core/host_interface.h"
#include "core/log.h"
#include "panel/host_plugin_api.h"

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

// Until results can be published, the folder is empty.
HANDLE __stdcall FsFindFirst(char*, WIN32_FIND_DATAA*)
{
    SetLastError(ERROR_NO_MORE_FILES);
    return INVALID_HANDLE_VALUE;
}

BOOL __stdcall FsFindNext(HANDLE, WIN32_FIND_DATAA*)
{
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
}

int __stdcall FsFindClose(HANDLE)
{
    return 0;
}
