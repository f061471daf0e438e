#include "overlay/overlay_placement.h"

#include <stdlib.h>
#include <string.h>

#include "config/settings.h"
#include "core/host_interface.h"
#include "core/log.h"
#include "overlay/overlay_window.h"
#include "search/search_composition.h"

HWND g_tcWindow;
HWND g_tcPanelWnd;
RECT g_panelRect;

HWND KxFindHostWindow()
{
    HWND found = FindWindowW(KX_HOST_WINDOW_CLASS, nullptr);
    if (found) g_tcWindow = found;
    return g_tcWindow;
}

int KxGetActivePanelRect(HWND hostWindow, RECT* rect)
{
    if (!hostWindow) return 0;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hostWindow, nullptr), &info) || !info.hwndFocus) return 0;
    if (info.hwndFocus != hostWindow && !IsChild(hostWindow, info.hwndFocus)) return 0;
    g_tcPanelWnd = info.hwndFocus;
    return GetWindowRect(info.hwndFocus, rect);
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

void KxCloseOverlay()
{
    if (g_editWnd && g_overlayWnd && IsWindowVisible(g_overlayWnd)) {
        wchar_t text[256];
        GetWindowTextW(g_editWnd, text, 256);
        KxAddToSearchHistory(text);
    }
    g_searchRestart = 1;
    if (g_overlayWnd) ShowWindow(g_overlayWnd, SW_HIDE);
    g_resultCount = 0;
    g_currentRow = -1;
}

int KxBuildChangeDirBlock(const char* utf8Path, int n, BYTE* block, int capacity)
{
    if (n < 0 || capacity < n + 11) return 0;
    static const BYTE kBom[3] = {0xEF, 0xBB, 0xBF};
    memcpy(block, kBom, 3);
    memcpy(block + 3, utf8Path, n);
    block[3 + n] = 0x0D;  // ends the first path; the second is empty
    memcpy(block + 4 + n, kBom, 3);
    block[7 + n] = 0x00;
    block[8 + n] = 'S';
    block[9 + n] = 'A';
    block[10 + n] = 0x00;
    return n + 11;
}

void KxSendHostChangeDir(HWND hostWindow, const wchar_t* path)
{
    if (!hostWindow) return;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return;
    char* utf8 = (char*)malloc(bytes);
    BYTE* block = (BYTE*)malloc(bytes + 10);
    if (utf8 && block && WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8, bytes, nullptr, nullptr) == bytes) {
        int n = bytes - 1;
        COPYDATASTRUCT copy{KX_COPYDATA_CHANGE_DIR, (DWORD)KxBuildChangeDirBlock(utf8, n, block, n + 11), block};
        SendMessageW(hostWindow, WM_COPYDATA, (WPARAM)g_overlayWnd, (LPARAM)&copy);
    }
    free(block);
    free(utf8);
}
