#pragma once
#include <windows.h>

// How long a send to the host may take. The thread that sends also serves the desktop's keyboard hook:
// a hung host must not hold it, and while it waits the hook's calls are still served.
constexpr DWORD KX_HOST_SEND_TIMEOUT_MS = 3000;

// Sends message to the host's window and waits at most the limit (none when the host is known hung);
// 1 when the host handled it. A failure is logged under the name of the operation.
int KxSendToHost(HWND host, UINT message, WPARAM wParam, LPARAM lParam, const wchar_t* operation);
