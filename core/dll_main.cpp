#include <windows.h>

#include "core/background_thread.h"
#include "core/crash_reporter.h"
#include "core/log.h"
#include "core/module_path.h"
#include "panel/published_set.h"

namespace {

// Runs under the loader lock: only set variables, register the handler and start the thread.
void KxOnProcessAttach(HINSTANCE module)
{
    g_pluginModule = module;
    KxPathBesideModule(L"Korvex.log", g_logPath, 2048);
    KxLog(L"DllMain: DLL_PROCESS_ATTACH (pid=%lu, module=%p)", GetCurrentProcessId(), (void*)module);
    AddVectoredExceptionHandler(1, KxCrashHandler);
    DisableThreadLibraryCalls(module);
    HMODULE pinned = nullptr;
    BOOL pinnedOk = GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                       (LPCWSTR)&KxOnProcessAttach, &pinned);
    KxLog(L"DllMain: module pin %ls", pinnedOk ? L"OK" : L"FAILED");
    InitializeCriticalSection(&g_publishedLock);
    g_threadQueueReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, KxBackgroundThreadProc, nullptr, 0, &threadId);
    if (thread) CloseHandle(thread);
    // The thread may already have stored its own id; both writes carry the same value.
    if (thread) g_hookThreadId = threadId;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        KxOnProcessAttach(module);
    } else if (reason == DLL_PROCESS_DETACH) {
        KxLog(L"DllMain: DLL_PROCESS_DETACH (pid=%lu, processTerminating=%d)", GetCurrentProcessId(), reserved ? 1 : 0);
    }
    return TRUE;
}
