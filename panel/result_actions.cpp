#include "panel/result_actions.h"

#include <shellapi.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "core/clipboard_snapshot.h"
#include "core/host_interface.h"
#include "core/host_send.h"
#include "core/log.h"
#include "overlay/list_selection.h"
#include "overlay/overlay_placement.h"
#include "overlay/overlay_window.h"
#include "panel/virtual_path.h"
#include "search/drives.h"
#include "search/search_composition.h"

namespace {

// The hit's path, copied before the overlay closes and forgets the results.
void KxCopyResultPath(int row, wchar_t* path)
{
    lstrcpynW(path, g_results[row].path, KX_PATH_CHARS);
}

// 1 when the hit's file or folder is still on disk, in the form that names exactly that file. A hit on a
// network drive or share is taken as there: looking could hold this thread, which serves the keyboard
// hook, for as long as an offline server takes to time out.
int KxResultStillThere(const wchar_t* path, bool* isFolder)
{
    *isFolder = false;
    int icon = KxDriveIconIndex(path);
    if (icon == KX_ICON_UNC_PATH || icon == KX_ICON_NETWORK_DRIVE || icon == KX_ICON_NETWORK_UNAVAILABLE) return 1;
    wchar_t exact[KX_LONG_PATH_CHARS];
    if (!KxPrefixedPathForm(path, 0, exact, KX_LONG_PATH_CHARS)) return 0;
    DWORD attributes = GetFileAttributesW(exact);
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    *isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return 1;
}

// The action's hit, when it is still there (and, for wantFile, a file); else logged, and 0.
int KxTakeActionPath(const wchar_t* action, int row, bool wantFile, wchar_t* path)
{
    if (row < 0 || row >= g_resultCount) return 0;
    KxCopyResultPath(row, path);
    bool folder = false;
    if (!KxResultStillThere(path, &folder)) {
        KxLog(L"%ls: %ls is no longer there - nothing sent.", action, path);
        return 0;
    }
    if (wantFile && folder) {
        KxLog(L"%ls: %ls is a folder - nothing to view or edit.", action, path);
        return 0;
    }
    return 1;
}

}  // namespace

void KxTriggerGoToPreviousDir(HWND tcWindow)
{
    if (!tcWindow) return;
    KxLog(L"KxTriggerGoToPreviousDir: sending cm_GotoPreviousDir (%d) to TC's main window.",
          (int)KX_CM_GOTO_PREVIOUS_DIR);
    KxSendToHost(tcWindow, KX_WM_HOST_COMMAND, KX_CM_GOTO_PREVIOUS_DIR, 0, L"KxTriggerGoToPreviousDir");
}

void KxActivateSelectedResults()
{
    KxLog(L"KxActivateSelectedResults: PARKED per user request - closing the overlay, no TC panel/copy action taken.");
    KxCloseOverlay();
}

void KxCopyTextToClipboard(HWND owner, const wchar_t* text)
{
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return;
    void* locked = GlobalLock(memory);
    if (!locked) {
        GlobalFree(memory);
        return;
    }
    memcpy(locked, text, bytes);
    GlobalUnlock(memory);
    // A clipboard manager or a remote desktop client may hold the clipboard for a moment.
    if (!KxOpenClipboardBriefly(owner)) {
        KxLog(L"KxCopyTextToClipboard: the clipboard is held by another program - nothing copied.");
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, memory)) {
        KxLog(L"KxCopyTextToClipboard: SetClipboardData FAILED (GetLastError=%lu) - nothing copied.", GetLastError());
        GlobalFree(memory);
    }
    CloseClipboard();
}

void KxCopyEditSelection(HWND edit)
{
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    int length = GetWindowTextLengthW(edit);
    wchar_t* text = (wchar_t*)malloc((length + 1) * sizeof(wchar_t));
    if (!text) return;
    length = GetWindowTextW(edit, text, length + 1);
    if (end > (DWORD)length) end = length;
    if (start < end) {
        text[end] = L'\0';
        KxCopyTextToClipboard(edit, text + start);
    }
    free(text);
}

void KxGoToResultLocation(int row)
{
    HWND host = KxFindHostWindow();
    if (!host) return;
    wchar_t path[KX_PATH_CHARS];
    if (!KxTakeActionPath(L"KxGoToResultLocation", row, false, path)) return;
    KxCloseOverlay();
    KxSendHostChangeDir(host, path);
}

int KxJoinResultPaths(const KxResult* results, int resultCount, const int* rows, int rowCount, wchar_t* out,
                      int capacity)
{
    int length = 0;
    auto append = [&](const wchar_t* text, int n) {
        for (int i = 0; i < n; ++i, ++length)
            if (out && length < capacity - 1) out[length] = text[i];
    };
    int joined = 0;
    for (int i = 0; i < rowCount; ++i) {
        if (rows[i] < 0 || rows[i] >= resultCount) continue;
        if (joined++ > 0) append(L"\r\n", 2);
        const wchar_t* path = results[rows[i]].path;
        append(path, (int)wcsnlen(path, KX_PATH_CHARS - 1));
    }
    if (out && capacity > 0) out[length < capacity - 1 ? length : capacity - 1] = L'\0';
    return length;
}

void KxCopyResultPaths()
{
    static int rows[KX_RESULT_CAPACITY];
    int count = 0;
    if (SendMessageW(g_listWnd, LB_GETSELCOUNT, 0, 0) > 0)
        count = (int)SendMessageW(g_listWnd, LB_GETSELITEMS, KX_RESULT_CAPACITY, (LPARAM)rows);
    if (count <= 0) {
        rows[0] = KxActionRow();
        count = 1;
    }
    int length = KxJoinResultPaths(g_results, g_resultCount, rows, count, nullptr, 0);
    wchar_t* text = (wchar_t*)malloc((length + 1) * sizeof(wchar_t));
    if (!text) return;
    KxJoinResultPaths(g_results, g_resultCount, rows, count, text, length + 1);
    KxCopyTextToClipboard(g_overlayWnd, text);
    free(text);
}

void KxViewOrEditResult(WPARAM hostCommand)
{
    HWND host = KxFindHostWindow();
    if (!host) return;
    wchar_t path[KX_PATH_CHARS];
    // The host's viewer and editor take what its cursor is on: for a folder or a vanished file that is
    // another file, so neither is asked.
    if (!KxTakeActionPath(L"KxViewOrEditResult", KxActionRow(), true, path)) return;
    KxCloseOverlay();
    // The command applies to what the panel shows, so it must follow the folder change, not race it.
    if (KxSendHostChangeDir(host, path)) PostMessageW(host, KX_WM_HOST_COMMAND, hostCommand, 0);
}

void KxOpenResultWithShell()
{
    wchar_t path[KX_PATH_CHARS];
    if (!KxTakeActionPath(L"KxOpenResultWithShell", KxActionRow(), false, path)) return;
    KxCloseOverlay();
    // The overlay is gone by now: the log is the only trace of an open that did not happen.
    INT_PTR result = (INT_PTR)ShellExecuteW(nullptr, L"open", path, nullptr, nullptr, SW_SHOWNORMAL);
    if (result <= 32) KxLog(L"KxOpenResultWithShell: ShellExecuteW failed, code=%Id", result);
}
