#include "core/host_send.h"

#include "core/log.h"

int KxSendToHost(HWND host, UINT message, WPARAM wParam, LPARAM lParam, const wchar_t* operation)
{
    if (!host) return 0;
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(host, message, wParam, lParam, SMTO_ABORTIFHUNG, KX_HOST_SEND_TIMEOUT_MS, &result))
        return 1;
    KxLog(L"%ls: the host did not answer within %lu ms (GetLastError=%lu) - given up.", operation,
          KX_HOST_SEND_TIMEOUT_MS, GetLastError());
    return 0;
}
