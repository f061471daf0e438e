#include "panel/result_actions.h"

#include "core/host_interface.h"
#include "core/log.h"

void KxTriggerGoToPreviousDir(HWND tcWindow)
{
    if (!tcWindow) return;
    KxLog(L"KxTriggerGoToPreviousDir: sending cm_GotoPreviousDir (%d) to TC's main window.",
          (int)KX_CM_GOTO_PREVIOUS_DIR);
    SendMessageW(tcWindow, KX_WM_HOST_COMMAND, KX_CM_GOTO_PREVIOUS_DIR, 0);
}
