#include "host/overlay_probe.h"

#include "host/host_window.h"
#include "support/test_support.h"

HWND KxtFindOverlay()
{
    return FindWindowW(L"KorvexOverlay", nullptr);
}

bool KxtWaitForOverlayShown(DWORD timeoutMs)
{
    return KxtWaitUntil([] { return KxtFindOverlay() && IsWindowVisible(KxtFindOverlay()); }, timeoutMs);
}

bool KxtOpenOverlayByHotkey(KxtHost& host, HWND focus)
{
    auto shown = [] {
        HWND overlay = KxtFindOverlay();
        return overlay && IsWindowVisible(overlay) && GetForegroundWindow() == overlay;
    };
    // The display's focus may still be moving from the last window hidden and take the foreground from
    // the host after it was given: a press lost that way is pressed again. A hot key that does not work
    // fails every attempt.
    for (int attempt = 0; attempt < 3; ++attempt) {
        KxtFocusHost(host, focus);
        KxtPressChord({VK_CONTROL, VK_MENU}, 'F');
        if (KxtWaitUntil(shown, 10000)) return true;
    }
    return false;
}

bool KxtWaitForOverlayHidden(DWORD timeoutMs)
{
    return KxtWaitUntil([] { return !KxtFindOverlay() || !IsWindowVisible(KxtFindOverlay()); }, timeoutMs);
}

HWND KxtOverlayControl(int id)
{
    return GetDlgItem(KxtFindOverlay(), id);
}

std::wstring KxtOverlayText()
{
    wchar_t text[512] = L"";
    GetWindowTextW(KxtOverlayControl(201), text, 512);
    return text;
}

int KxtOverlayRowCount()
{
    return (int)SendMessageW(KxtOverlayControl(205), LB_GETCOUNT, 0, 0);
}

RECT KxtWindowRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

void KxtTypeText(const std::wstring& text)
{
    for (wchar_t c : text) {
        INPUT inputs[2]{};
        for (int i = 0; i < 2; ++i) {
            inputs[i].type = INPUT_KEYBOARD;
            inputs[i].ki.wScan = c;
            inputs[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, inputs, sizeof(INPUT));
    }
}

void KxtMouseAt(POINT screen, DWORD buttonFlags, DWORD wheelDelta)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute coordinates run from 0 to 65535 over the primary screen.
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    if (!buttonFlags) return;
    // Each event carries the position again: Wine turns the display's echo of an earlier pointer move into
    // a late move of its own, which would otherwise place the button or wheel event there.
    input.mi.dwFlags = buttonFlags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.mouseData = wheelDelta;
    SendInput(1, &input, sizeof input);
}

void KxtClickWindow(HWND window)
{
    RECT rect = KxtWindowRect(window);
    // Absolute coordinates run from 0 to 65535 over the primary screen.
    LONG x = MulDiv((rect.left + rect.right) / 2, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    LONG y = MulDiv((rect.top + rect.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    INPUT inputs[3]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = x;
        input.mi.dy = y;
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    // Positioned again: see KxtMouseAt.
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, inputs, sizeof(INPUT));
}
