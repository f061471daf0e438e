#include "panel/overlay_keys.h"

#include "config/settings.h"
#include "core/host_interface.h"
#include "overlay/list_selection.h"
#include "overlay/overlay_window.h"
#include "overlay/search_history.h"
#include "panel/result_actions.h"
#include "search/search_composition.h"

namespace {

// Set when Ctrl+C copied paths, so the character 3 of the same key press is swallowed.
bool g_copyCharPending;

struct KxModifiers {
    bool alt, ctrl, shift;
};

// Alt+1 to Alt+4: Name, Folder, Size, Date.
const int kAltDigitColumns[4] = {KX_COLUMN_NAME, KX_COLUMN_FOLDER, KX_COLUMN_SIZE, KX_COLUMN_DATE};

bool KxEditHasSelection(HWND edit)
{
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    return start != end;
}

// Up, Ctrl+Down, PgUp, PgDn, Ctrl+Home and Ctrl+End typed in the edit box; 1 when handled.
int KxHandleEditNavigationKey(WPARAM key, KxModifiers down)
{
    if (key == VK_UP && !down.shift && g_settings.searchHistory) {
        if (!down.ctrl && g_historyIndex < 0 && GetWindowTextLengthW(g_editWnd) > 0) return 0;
        if (g_historyIndex + 1 < g_settings.history.count) KxRecallHistory(g_historyIndex + 1);
        return 1;
    }
    if (key == VK_DOWN && down.ctrl && !down.shift && g_settings.searchHistory) {
        if (g_historyIndex >= 0) KxRecallHistory(g_historyIndex - 1);
        return 1;
    }
    if (down.shift || g_resultCount < 1) return 0;
    int page = KxPageStep(g_settings.maxVisibleRows);
    int base = g_currentRow >= 0 ? g_currentRow : 0;
    if (key == VK_NEXT && !down.ctrl)
        KxSelectRow(base + page);
    else if (key == VK_PRIOR && !down.ctrl)
        KxSelectRow(base - page);
    else if (key == VK_HOME && down.ctrl)
        KxSelectRow(0);
    else if (key == VK_END && down.ctrl)
        KxSelectRow(g_resultCount - 1);
    else
        return 0;
    return 1;
}

// A key pressed without Alt; 1 when handled.
int KxHandlePlainKey(HWND control, WPARAM key, KxModifiers down)
{
    if (key == 'C' && down.ctrl && !down.shift) {
        // Text selected in the edit box is what is copied; done here rather than by the box, whose copy is
        // lost without a word while another program holds the clipboard.
        if (control == g_editWnd && KxEditHasSelection(control))
            KxCopyEditSelection(control);
        else if (g_resultCount < 1)
            return 0;
        else
            KxCopyResultPaths();
        g_copyCharPending = true;
        return 1;
    }
    if ((key == VK_F3 || key == VK_F4) && !down.ctrl && !down.shift && g_resultCount >= 1) {
        KxViewOrEditResult(key == VK_F3 ? KX_CM_VIEW : KX_CM_EDIT);
        return 1;
    }
    if (key == VK_RETURN && down.shift && !down.ctrl && g_resultCount >= 1) {
        KxOpenResultWithShell();
        return 1;
    }
    if (control == g_editWnd) return KxHandleEditNavigationKey(key, down);
    return 0;
}

int KxHandleAltKey(WPARAM key)
{
    if (key == VK_RETURN) {
        if (g_resultCount >= 1) KxGoToResultLocation(KxActionRow());
        return 1;
    }
    if (key < '1' || key > '4') return 0;
    if (g_resultCount >= 1) KxSortByColumn(kAltDigitColumns[key - '1']);
    return 1;
}

// Tab moves edit box -> scope button -> filter button -> edit box; Shift+Tab the other way.
void KxCycleFocus(HWND control, bool backwards)
{
    HWND cycle[3] = {g_editWnd, g_scopeButton, g_filterButton};
    int place = 0;
    for (int i = 0; i < 3; ++i)
        if (cycle[i] == control) place = i;
    HWND next = cycle[(place + (backwards ? 2 : 1)) % 3];
    SetFocus(next);
    if (next == g_editWnd) SendMessageW(g_editWnd, EM_SETSEL, 0, -1);
}

}  // namespace

int KxHandleOverlayKey(HWND control, UINT message, WPARAM key)
{
    // Each modifier read asks the window server: only key messages pay for it, never painting or WM_GETTEXT.
    if (message != WM_KEYDOWN && message != WM_CHAR && message != WM_SYSCHAR && message != WM_SYSKEYDOWN) return 0;
    KxModifiers down{GetKeyState(VK_MENU) < 0, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0};
    if (message == WM_CHAR && key == 3 && g_copyCharPending) {
        g_copyCharPending = false;
        return 1;
    }
    if (message == WM_KEYDOWN && !down.alt && KxHandlePlainKey(control, key, down)) return 1;
    if (message == WM_SYSCHAR && ((key >= '1' && key <= '4') || key == VK_RETURN)) return 1;
    if (message == WM_CHAR && key == VK_TAB) return 1;
    if (message == WM_SYSKEYDOWN && down.alt) return KxHandleAltKey(key);
    if (message == WM_KEYDOWN && !down.alt && key == VK_TAB && !down.ctrl) {
        KxCycleFocus(control, down.shift);
        return 1;
    }
    return 0;
}
