#include "panel/result_actions.h"

#include <string.h>
#include <wchar.h>

#include "core/host_interface.h"
#include "core/host_send.h"
#include "core/log.h"
#include "overlay/overlay_placement.h"

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
    void* copy = GlobalLock(memory);
    if (!copy) {
        GlobalFree(memory);
        return;
    }
    memcpy(copy, text, bytes);
    GlobalUnlock(memory);
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    // Once set, the clipboard owns the memory.
    if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    CloseClipboard();
}
