#include "overlay/overlay_placement.h"

#include "config/settings.h"
#include "core/host_interface.h"
#include "core/log.h"

HWND g_tcWindow;

HWND KxFindHostWindow()
{
    HWND found = FindWindowW(KX_HOST_WINDOW_CLASS, nullptr);
    if (found) g_tcWindow = found;
    return g_tcWindow;
}

void KxOpenOverlay()
{
    KxReloadSettingsIfChanged();
    KxLog(L"KxOpenOverlay: hotkey fired.");
    HWND host = KxFindHostWindow();
    if (!host) {
        KxLog(L"KxOpenOverlay: TTOTAL_CMD window not found, aborting.");
        return;
    }
}
