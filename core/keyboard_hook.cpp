#include "core/keyboard_hook.h"

#include <wchar.h>

#include "config/settings.h"
#include "core/background_thread.h"
#include "core/host_interface.h"

HHOOK g_keyboardHook;

namespace {

int KxIsKeyDown(int virtualKey)
{
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

int KxIsHostInForeground()
{
    HWND foreground = GetForegroundWindow();
    wchar_t className[64] = L"";
    return foreground && GetClassNameW(foreground, className, 64) > 0 && wcscmp(className, KX_HOST_WINDOW_CLASS) == 0;
}

}  // namespace

LRESULT CALLBACK KxKeyboardHookProc(int code, WPARAM message, LPARAM event)
{
    // Every key-down of the desktop passes here: cheap tests first, the window lookup last.
    // Shift and the Windows key are not looked at; a WM_SYSKEYDOWN never counts.
    if (code == HC_ACTION && message == WM_KEYDOWN &&
        ((const KBDLLHOOKSTRUCT*)event)->vkCode == (DWORD)g_settings.hotkeyLetter && KxIsKeyDown(VK_CONTROL) &&
        KxIsKeyDown(VK_MENU) && KxIsHostInForeground() &&
        PostThreadMessageW(GetCurrentThreadId(), WM_KX_OPEN_OVERLAY, 0, 0)) {
        return 1;
    }
    return CallNextHookEx(g_keyboardHook, code, message, event);
}
