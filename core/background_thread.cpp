#include "core/background_thread.h"

#include "config/self_registration.h"
#include "config/settings.h"
#include "core/host_interface.h"
#include "core/keyboard_hook.h"
#include "core/log.h"
#include "core/module_path.h"
#include "overlay/overlay_placement.h"
#include "panel/result_actions.h"

volatile DWORD g_hookThreadId;
HANDLE g_threadQueueReady;

namespace {

void KxLogLoadedSettings()
{
    const KxSettings& s = g_settings;
    KxLog(
        L"Config loaded from %ls: Position=%d Hotkey=Ctrl+Alt+%lc MaxResults=%d MaxVisibleRows=%d "
        L"SearchDelayMs=%d EverythingDebug=%d SortType=%lu AllowDelete=%d",
        g_configPath, s.position, s.hotkeyLetter, s.maxResults, s.maxVisibleRows, s.searchDelayMs, s.everythingDebug,
        s.sortType, (int)s.allowDelete);
}

void KxInstallKeyboardHook()
{
    g_keyboardHook = SetWindowsHookExW(WH_KEYBOARD_LL, KxKeyboardHookProc, g_pluginModule, 0);
    if (g_keyboardHook)
        KxLog(L"Low-level keyboard hook installed OK.");
    else
        KxLog(L"Low-level keyboard hook FAILED to install, GetLastError=%lu", GetLastError());
}

// The host entered our folder before the hook existed: send it back and open the search box.
void KxHandleAutoOpenOverlay()
{
    KxLog(
        L"Background thread: WM_KX_AUTOOPEN_OVERLAY received - auto-opening the search box after a cold "
        L"WFX-triggered load.");
    HWND host = KxFindHostWindow();
    if (host) KxTriggerGoToPreviousDir(host);
    KxOpenOverlay();
}

}  // namespace

int KxHandleThreadMessage(const MSG& message)
{
    if (message.hwnd != nullptr) return 0;
    switch (message.message) {
    case WM_KX_AUTOOPEN_OVERLAY: KxHandleAutoOpenOverlay(); return 1;
    case WM_KX_OPEN_OVERLAY: KxOpenOverlay(); return 1;
    default: return 0;
    }
}

DWORD WINAPI KxBackgroundThreadProc(LPVOID)
{
    g_hookThreadId = GetCurrentThreadId();
    KxLog(L"Background thread started (tid=%lu)", g_hookThreadId);
    // The queue must exist before anything is posted to this thread.
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    if (g_threadQueueReady) SetEvent(g_threadQueueReady);

    KxLoadSettings();
    KxLogLoadedSettings();
    KxSelfRegisterWfxPlugin();
    KxPruneStaleHotkeyShortcuts();
    KxSelfRegisterHotkeyShortcut();
    KxSelfRegisterCustomColumnsView();
    KxInstallKeyboardHook();
    // Made now rather than at the first hot key, which then opens as fast as any later one.
    KxPrepareOverlay();

    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (KxHandleThreadMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    KxLog(
        L"Background thread exiting (tid=%lu) - unexpected while the module is pinned; only happens if "
        L"GetMessage itself failed.",
        g_hookThreadId);
    if (g_keyboardHook) UnhookWindowsHookEx(g_keyboardHook);
    g_keyboardHook = nullptr;
    return 0;
}
