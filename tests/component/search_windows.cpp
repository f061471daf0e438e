#include "component/search_windows.h"

#include "overlay/overlay_window.h"

void KxtCreateSearchWindows()
{
    if (!g_overlayWnd) {
        g_overlayWnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"Korvex", WS_POPUP | WS_BORDER, 100, 100, 600,
                                       400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        g_editWnd = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 600, 24,
                                    g_overlayWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
        g_listWnd = CreateWindowExW(0, L"LISTBOX", L"",
                                    WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT |
                                        LBS_EXTENDEDSEL | LBS_NODATA,
                                    0, 24, 600, 376, g_overlayWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ShowWindow(g_overlayWnd, SW_SHOWNOACTIVATE);
}

void KxtSetTypedText(const std::wstring& text)
{
    SetWindowTextW(g_editWnd, text.c_str());
}

void KxtHideSearchWindows()
{
    ShowWindow(g_overlayWnd, SW_HIDE);
}

int KxtListRowCount()
{
    return (int)SendMessageW(g_listWnd, LB_GETCOUNT, 0, 0);
}
