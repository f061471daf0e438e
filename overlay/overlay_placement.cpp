#include "overlay/overlay_placement.h"

#include <stdlib.h>
#include <string.h>

#include "config/settings.h"
#include "config/theme.h"
#include "core/module_path.h"
#include "core/host_interface.h"
#include "core/host_send.h"
#include "core/log.h"
#include "overlay/header_sort.h"
#include "overlay/list_selection.h"
#include "overlay/overlay_input.h"
#include "overlay/overlay_window.h"
#include "overlay/search_history.h"
#include "search/drives.h"
#include "search/filters.h"
#include "search/search_composition.h"

HWND g_tcWindow;
HWND g_tcPanelWnd;
RECT g_panelRect;

namespace {

HWND g_followWnd;
HWINEVENTHOOK g_winEventHook;

typedef HRESULT(WINAPI* KxDwmSetWindowAttributeProc)(HWND, DWORD, LPCVOID, DWORD);
KxDwmSetWindowAttributeProc g_dwmSetWindowAttribute;
bool g_dwmLookedUp;

// Once per process; a failure is not retried.
void KxLookUpDwm()
{
    if (g_dwmLookedUp) return;
    g_dwmLookedUp = true;
    g_dwmSetWindowAttribute = reinterpret_cast<KxDwmSetWindowAttributeProc>(
        KxFindSystemFunction(L"dwmapi.dll", "DwmSetWindowAttribute"));
}

// Cloaking keeps the desktop from showing the window before its first complete frame.
void KxCloakOverlay(BOOL cloak)
{
    KxLookUpDwm();
    if (!g_dwmSetWindowAttribute || !g_overlayWnd) return;
    const DWORD KX_DWMWA_CLOAK = 13;
    g_dwmSetWindowAttribute(g_overlayWnd, KX_DWMWA_CLOAK, &cloak, sizeof cloak);
}

void KxCreateOverlayWindow(HWND owner)
{
    WNDCLASSW overlayClass{};
    overlayClass.lpfnWndProc = KxOverlayWindowProc;
    overlayClass.hInstance = g_pluginModule;
    overlayClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    overlayClass.lpszClassName = L"KorvexOverlay";
    RegisterClassW(&overlayClass);
    KxForgetOverlayLayout();
    // The procedure's creation step needs the handle before CreateWindowExW returns.
    g_overlayWnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"KorvexOverlay", L"Korvex",
                                   WS_POPUP | WS_CLIPCHILDREN | WS_BORDER, 0, 0, 10, 10, owner, nullptr,
                                   g_pluginModule, nullptr);
}

// The window belongs to the host found at this opening (created early, it had none).
void KxSetOverlayOwner(HWND host)
{
    if (GetWindow(g_overlayWnd, GW_OWNER) != host) SetWindowLongPtrW(g_overlayWnd, GWLP_HWNDPARENT, (LONG_PTR)host);
}

void KxShowOverlayWindow()
{
    KxCloakOverlay(TRUE);
    ShowWindow(g_overlayWnd, SW_SHOW);
    RedrawWindow(g_overlayWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    KxCloakOverlay(FALSE);
    SetForegroundWindow(g_overlayWnd);
    SetFocus(g_editWnd);
}

// The first showing in a process costs several milliseconds more than any later one (the display's
// first window and the controls' first paint). It is paid at start-up instead of at the user's first hot
// key: shown off-screen, cloaked where that exists, never activated, then hidden where it was.
void KxWarmUpOverlayShowing()
{
    RECT placed{};
    GetWindowRect(g_overlayWnd, &placed);
    constexpr UINT KX_QUIET = SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOZORDER;
    KxCloakOverlay(TRUE);
    SetWindowPos(g_overlayWnd, nullptr, -32000, -32000, 0, 0, KX_QUIET | SWP_SHOWWINDOW);
    RedrawWindow(g_overlayWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SetWindowPos(g_overlayWnd, nullptr, placed.left, placed.top, 0, 0, KX_QUIET | SWP_HIDEWINDOW);
    KxCloakOverlay(FALSE);
}

void KxStopFollowing()
{
    if (g_winEventHook) UnhookWinEvent(g_winEventHook);
    g_winEventHook = nullptr;
}

void KxFollowHost(HWND host)
{
    KxStopFollowing();
    g_followWnd = host;
    DWORD processId = 0;
    DWORD threadId = GetWindowThreadProcessId(host, &processId);
    g_winEventHook = SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, nullptr,
                                     KxFollowHostProc, processId, threadId, WINEVENT_OUTOFCONTEXT);
    if (!g_winEventHook)
        KxLog(L"KxOpenOverlay: SetWinEventHook failed (GetLastError=%lu) - overlay won't follow TC if it's "
              L"moved/resized until the next open.",
              GetLastError());
}

}  // namespace

void CALLBACK KxFollowHostProc(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD)
{
    if (!g_followWnd || !IsWindow(g_followWnd) || !g_overlayWnd || !IsWindowVisible(g_overlayWnd)) return;
    if (window != g_followWnd && !IsChild(g_followWnd, window)) return;
    if (!g_tcPanelWnd || !IsWindow(g_tcPanelWnd) || !IsWindowVisible(g_tcPanelWnd)) return;
    RECT panel;
    if (!GetWindowRect(g_tcPanelWnd, &panel) || EqualRect(&panel, &g_panelRect)) return;
    g_panelRect = panel;
    KxLayoutOverlay();
}

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

void KxPrepareOverlay()
{
    if (g_overlayWnd) return;
    KxApplyTheme();
    KxCreateOverlayWindow(nullptr);
    KxLookUpDwm();
    // Placed over the host's active panel already, so that a first opening there moves nothing.
    HWND host = KxFindHostWindow();
    if (g_overlayWnd && host && KxGetActivePanelRect(host, &g_panelRect)) KxLayoutOverlay();
    if (g_overlayWnd) KxWarmUpOverlayShowing();
}

void KxOpenOverlay()
{
    g_shownRows = 0;
    if (g_searchRunning) g_searchRestart = 1;
    KxReloadSettingsIfChanged();
    g_hotButton = nullptr;
    g_activeFolderResolved = false;
    KxLookAtDrivesAgain();
    KxLog(L"KxOpenOverlay: hotkey fired.");
    HWND host = KxFindHostWindow();
    if (!host) {
        KxLog(L"KxOpenOverlay: TTOTAL_CMD window not found, aborting.");
        return;
    }
    g_tcPanelWnd = nullptr;
    if (!KxGetActivePanelRect(host, &g_panelRect)) {
        KxLog(L"KxOpenOverlay: GetGUIThreadInfo/KxGetActivePanelRect failed, using fallback half-window rect.");
        GetWindowRect(host, &g_panelRect);
        g_panelRect.right = g_panelRect.left + (g_panelRect.right - g_panelRect.left) / 2;
    }
    KxApplyTheme();
    KxLoadFilters();
    if (g_overlayWnd) {
        KxApplyThemeToControls();
        SetWindowTextW(g_filterButton, KxSelectedFilter().name);
        SetWindowTextW(g_scopeButton, KxDriveScopeLabel(g_settings.driveScope));
        KxSetOverlayOwner(host);
    } else {
        KxCreateOverlayWindow(host);
        if (!g_overlayWnd) return;
    }
    g_resultCount = 0;
    KxSelectOnlyRow(-1);
    g_clientSortActive = false;
    KxHeaderSortFromSortType(g_settings.sortType, &g_sortColumn, &g_sortDescending);
    SetWindowTextW(g_editWnd, L"");
    KxLayoutOverlay();
    KxShowOverlayWindow();
    KxFollowHost(host);
    PostMessageW(g_overlayWnd, WM_KX_LOOK_AT_DRIVES, 0, 0);
}

void KxCloseOverlay()
{
    if (g_overlayWnd && IsWindowVisible(g_overlayWnd)) KxAddEditTextToHistory();
    g_historyIndex = -1;
    g_searchRestart = 1;
    KxStopFollowing();
    if (g_overlayWnd) ShowWindow(g_overlayWnd, SW_HIDE);
    g_resultCount = 0;
    g_currentRow = -1;
    // Shrunk to the search bar while nobody waits, so that the next opening over the same panel moves
    // nothing before its first frame.
    g_shownRows = 0;
    KxRefreshResultList();
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

int KxSendHostChangeDir(HWND hostWindow, const wchar_t* path)
{
    if (!hostWindow) return 0;
    // A lone surrogate has no UTF-8 form: replaced, it would send the host to another path.
    int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, path, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        KxLog(L"KxSendHostChangeDir: %ls has no UTF-8 form (GetLastError=%lu) - not sent.", path, GetLastError());
        return 0;
    }
    char* utf8 = (char*)malloc(bytes);
    BYTE* block = (BYTE*)malloc(bytes + 10);
    int delivered = 0;
    if (utf8 && block && WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, path, -1, utf8, bytes, nullptr, nullptr) == bytes) {
        int n = bytes - 1;
        COPYDATASTRUCT copy{KX_COPYDATA_CHANGE_DIR, (DWORD)KxBuildChangeDirBlock(utf8, n, block, n + 11), block};
        delivered = KxSendToHost(hostWindow, WM_COPYDATA, (WPARAM)g_overlayWnd, (LPARAM)&copy, L"KxSendHostChangeDir");
    }
    free(block);
    free(utf8);
    return delivered;
}
