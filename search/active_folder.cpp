#include "search/active_folder.h"

#include <wchar.h>
#include <wctype.h>

#include "core/clipboard_snapshot.h"
#include "core/host_interface.h"
#include "core/host_send.h"
#include "core/log.h"
#include "overlay/overlay_placement.h"
#include "overlay/overlay_state.h"
#include "search/search_composition.h"

int KxNormalizePanelFolder(const wchar_t* clipboardText, wchar_t* folder, int capacity)
{
    folder[0] = L'\0';
    if (!clipboardText[0] || wcsncmp(clipboardText, L"\\\\\\", 3) == 0) return 0;
    lstrcpynW(folder, clipboardText, capacity);
    int length = (int)wcslen(folder);
    while (length > 0 && (iswspace(folder[length - 1]) || folder[length - 1] == L'"')) folder[--length] = L'\0';
    if (length > 0 && folder[length - 1] != L'\\' && length <= 2046 && length < capacity - 1) {
        folder[length++] = L'\\';
        folder[length] = L'\0';
    }
    return length > 0;
}

namespace {

// The host copies its panel's folder to the clipboard on command; the user's clipboard is put back whole.
// 0 when that could not be done without risk to what the user copied: then the last known folder serves.
int KxAskHostForPanelFolder(HWND host, wchar_t* text, int capacity)
{
    if (KxIsClipboardOwnerHung()) {
        KxLog(L"path:. - the clipboard's owner does not answer; not asking the panel this time");
        return 0;
    }
    KxClipboardSnapshot saved;
    if (!KxSaveClipboard(g_overlayWnd, saved)) {
        KxLog(L"path:. - the clipboard is in use or holds data that cannot be kept; not asking the panel this time");
        return 0;
    }
    DWORD before = GetClipboardSequenceNumber();
    KxSendToHost(host, KX_WM_HOST_COMMAND, KX_CM_COPY_SRC_PATH_TO_CLIP, 0, L"path:. cm_CopySrcPathToClip");
    // An unchanged clipboard holds the user's own text, not the panel's folder.
    if (GetClipboardSequenceNumber() == before) {
        KxFreeClipboardSnapshot(saved);
        KxLog(L"path:. - the host did not put its panel's folder on the clipboard");
        return 0;
    }
    KxReadClipboardText(g_overlayWnd, text, capacity);
    KxRestoreClipboard(g_overlayWnd, saved);
    return text[0] != L'\0';
}

}  // namespace

void KxResolveActiveFolder()
{
    wchar_t text[KX_PATH_CHARS] = L"";
    HWND host = KxFindHostWindow();
    if (host) KxAskHostForPanelFolder(host, text, KX_PATH_CHARS);
    wchar_t folder[KX_PATH_CHARS];
    if (KxNormalizePanelFolder(text, folder, KX_PATH_CHARS)) {
        lstrcpynW(g_activeFolder, folder, KX_PATH_CHARS);
        lstrcpynW(g_lastActiveFolder, folder, KX_PATH_CHARS);
        KxLog(L"path:. resolved to active panel folder %ls", g_activeFolder);
    } else if (g_lastActiveFolder[0]) {
        lstrcpynW(g_activeFolder, g_lastActiveFolder, KX_PATH_CHARS);
        KxLog(L"path:. - active panel has no real folder right now (e.g. showing \\\\\\Korvex\\); using last folder %ls",
              g_activeFolder);
    } else {
        g_activeFolder[0] = L'\0';
        KxLog(L"path:. - could not determine the active panel's folder and none known yet; showing no results");
    }
}
