#include "overlay/about_box.h"

#include <shellapi.h>
#include <stdlib.h>
#include <wchar.h>

#include "core/module_path.h"
#include "overlay/overlay_window.h"
#include "panel/result_actions.h"

namespace {

// Until the project has a page of its own, the link opens the user guide shipped beside the plug-in.
constexpr const wchar_t* KX_ABOUT_LINK = L"Korvex-guide.md";
constexpr const wchar_t* KX_ABOUT_CLASS = L"TC_Korvex_AboutBox";
constexpr const wchar_t* KX_ABOUT_TITLE = L"Korvex Live Search";
constexpr const wchar_t* KX_ABOUT_SUBTITLE = L"Total Commander Plugin, powered by Everything";
constexpr const wchar_t* KX_ABOUT_NOTICE = L"Live search over every file, as you type";
constexpr const wchar_t* KX_ABOUT_INFO = L"Info";
constexpr int KX_ABOUT_OK_ID = 500;
constexpr int KX_ABOUT_PICTURE_RESOURCE = 103;

struct KxAboutBoxData {
    HICON icon;
    HFONT titleFont;
    HFONT bodyFont;
    HFONT boldFont;
    HFONT linkFont;
    int iconX, iconY, iconSize;
    RECT titleRect;
    RECT subtitleRect;
    RECT versionRect;
    RECT noticeRect;
    RECT infoRect;
    RECT linkRect;
    RECT linkHitRect;
    int separatorX1, separatorY, separatorX2, separatorY2;
    wchar_t versionText[64];
    wchar_t noticeText[64];
    const BYTE* logoPixels;
    int logoWidth, logoHeight;
    int logoX, logoY;
};

// Widths of the texts the layout is measured from.
struct KxAboutExtents {
    int title, subtitle, version, notice, link, info;
    int bodyTextHeight;
};

bool g_aboutClassRegistered;

DWORD KxReadUint32(const BYTE* at)
{
    return (DWORD)at[0] | (DWORD)at[1] << 8 | (DWORD)at[2] << 16 | (DWORD)at[3] << 24;
}

HFONT KxAboutFont(int dpi, int points, int weight, BOOL underline)
{
    return CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                       L"Segoe UI");
}

void KxFreeAboutBox(KxAboutBoxData* data)
{
    if (data->icon) DestroyIcon(data->icon);
    HFONT fonts[] = {data->titleFont, data->bodyFont, data->boldFont, data->linkFont};
    for (HFONT font : fonts)
        if (font) DeleteObject(font);
    free(data);
}

// The full path of the link's target; 0 when it cannot be made.
int KxAboutLinkTarget(wchar_t* out, int capacity)
{
    return KxPathBesideModule(KX_ABOUT_LINK, out, capacity);
}

int KxMeasure(HDC dc, HFONT font, const wchar_t* text)
{
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, (int)wcslen(text), &extent);
    SelectObject(dc, old);
    return extent.cx;
}

KxAboutExtents KxMeasureAboutTexts(const KxAboutBoxData& data)
{
    KxAboutExtents extents{};
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return extents;
    extents.title = KxMeasure(dc, data.titleFont, KX_ABOUT_TITLE);
    extents.subtitle = KxMeasure(dc, data.bodyFont, KX_ABOUT_SUBTITLE);
    extents.version = KxMeasure(dc, data.bodyFont, data.versionText);
    extents.notice = KxMeasure(dc, data.bodyFont, data.noticeText);
    extents.link = KxMeasure(dc, data.linkFont, KX_ABOUT_LINK);
    extents.info = KxMeasure(dc, data.boldFont, KX_ABOUT_INFO);
    HGDIOBJ old = SelectObject(dc, data.bodyFont);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    extents.bodyTextHeight = metrics.tmHeight;
    SelectObject(dc, old);
    DeleteDC(dc);
    return extents;
}

void KxChooseLogo(KxAboutBoxData* data, int lineHeight)
{
    HRSRC found = FindResourceW(g_pluginModule, MAKEINTRESOURCEW(KX_ABOUT_PICTURE_RESOURCE), (LPCWSTR)RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(g_pluginModule, found) : nullptr;
    const BYTE* bytes = loaded ? (const BYTE*)LockResource(loaded) : nullptr;
    KxAboutPicture picture{};
    if (bytes && KxChooseAboutPicture(bytes, SizeofResource(g_pluginModule, found), lineHeight, &picture)) {
        data->logoPixels = picture.pixels;
        data->logoWidth = picture.width;
        data->logoHeight = picture.height;
    }
}

// Places everything from the measured texts; returns the client size.
SIZE KxLayoutAboutBox(KxAboutBoxData* data, const KxAboutExtents& text, int scale)
{
    auto D = [scale](int n) { return MulDiv(n, scale, 100); };
    int m = D(16), lineHeight = D(18);
    int rowHeight = data->logoHeight > lineHeight ? data->logoHeight : lineHeight;
    data->iconX = m;
    data->iconY = m;
    data->iconSize = D(64);
    int x0 = m + D(64) + D(16);
    int noticeRow = text.notice + (data->logoPixels ? data->logoWidth + D(6) : 0);
    int widths[] = {text.title, text.subtitle, text.version, noticeRow, text.link, text.info, text.link + D(20)};
    int width = 0;
    for (int w : widths)
        if (w > width) width = w;
    int x1 = x0 + width;
    data->titleRect = RECT{x0, m, x1, m + D(20)};
    int y2 = m + D(22);
    data->subtitleRect = RECT{x0, y2, x1, y2 + D(18)};
    int y3 = y2 + D(24);
    data->separatorX1 = x0;
    data->separatorX2 = x0 + width;
    data->separatorY = data->separatorY2 = y3;
    int y4 = y3 + D(12);
    data->versionRect = RECT{x0, y4, x1, y4 + lineHeight};
    int y5 = y4 + lineHeight;
    int c = y5 + (rowHeight - lineHeight) / 2;
    data->noticeRect = RECT{x0, c, x0 + text.notice, c + lineHeight};
    if (data->logoPixels) {
        data->logoX = x0 + text.notice + D(6);
        data->logoY = c + text.bodyTextHeight - data->logoHeight;
        if (data->logoY < y5 - D(3)) data->logoY = y5 - D(3);
    }
    int y6 = y5 + lineHeight + rowHeight;
    data->infoRect = RECT{x0, y6, x1, y6 + lineHeight};
    int y7 = y6 + lineHeight;
    data->linkRect = RECT{x0, y7, x1, y7 + lineHeight};
    data->linkHitRect = RECT{x0, y7, x0 + text.link, y7 + lineHeight};
    int iconBottom = m + D(64), linkBottom = y7 + lineHeight;
    int buttonTop = (iconBottom > linkBottom ? iconBottom : linkBottom) + m;
    return SIZE{x1 + m, buttonTop + D(23) + m};
}

// The picture over the dialog colour: its premultiplied colour plus the background where it is clear.
void KxDrawLogo(HDC dc, const KxAboutBoxData& data)
{
    if (!data.logoPixels) return;
    size_t count = (size_t)data.logoWidth * data.logoHeight;
    BYTE* blended = (BYTE*)malloc(count * 4);
    if (!blended) return;
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    BYTE background[3] = {GetBValue(face), GetGValue(face), GetRValue(face)};
    for (size_t i = 0; i < count; ++i) {
        const BYTE* pixel = data.logoPixels + i * 4;
        int alpha = pixel[3];
        for (int channel = 0; channel < 3; ++channel)
            blended[i * 4 + channel] = (BYTE)(background[channel] * (255 - alpha) / 255 + pixel[channel]);
        blended[i * 4 + 3] = 0;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = data.logoWidth;
    info.bmiHeader.biHeight = -data.logoHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, data.logoX, data.logoY, data.logoWidth, data.logoHeight, 0, 0, 0, data.logoHeight, blended,
                      &info, DIB_RGB_COLORS);
    free(blended);
}

void KxDrawAboutText(HDC dc, HFONT font, const wchar_t* text, RECT rect)
{
    SelectObject(dc, font);
    DrawTextW(dc, text, -1, &rect, DT_NOPREFIX | DT_SINGLELINE);
}

void KxDrawLine(HDC dc, int x1, int x2, int y, int colourIndex)
{
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(colourIndex));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y, nullptr);
    LineTo(dc, x2, y);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void KxOnAboutPaint(HWND window, const KxAboutBoxData& data)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, data.bodyFont);
    if (data.icon)
        DrawIconEx(dc, data.iconX, data.iconY, data.icon, data.iconSize, data.iconSize, 0, nullptr, DI_NORMAL);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    KxDrawAboutText(dc, data.titleFont, KX_ABOUT_TITLE, data.titleRect);
    KxDrawAboutText(dc, data.bodyFont, KX_ABOUT_SUBTITLE, data.subtitleRect);
    KxDrawLine(dc, data.separatorX1, data.separatorX2, data.separatorY, COLOR_BTNSHADOW);
    KxDrawLine(dc, data.separatorX1, data.separatorX2, data.separatorY2 + 1, COLOR_BTNHIGHLIGHT);
    KxDrawAboutText(dc, data.bodyFont, data.versionText, data.versionRect);
    KxDrawAboutText(dc, data.bodyFont, data.noticeText, data.noticeRect);
    KxDrawLogo(dc, data);
    KxDrawAboutText(dc, data.boldFont, KX_ABOUT_INFO, data.infoRect);
    SetTextColor(dc, 0xCC6600);
    KxDrawAboutText(dc, data.linkFont, KX_ABOUT_LINK, data.linkRect);
    SelectObject(dc, oldFont);
    EndPaint(window, &paint);
}

void KxOnAboutLinkClick(HWND window, bool copy)
{
    wchar_t target[MAX_PATH * 4];
    if (!KxAboutLinkTarget(target, MAX_PATH * 4)) return;
    if (copy)
        KxCopyTextToClipboard(window, target);
    else
        ShellExecuteW(window, L"open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

bool KxInsideLink(const KxAboutBoxData* data, LPARAM lParam)
{
    POINT point{(short)LOWORD(lParam), (short)HIWORD(lParam)};
    return data && PtInRect(&data->linkHitRect, point);
}

bool KxCursorOverLink(HWND window, const KxAboutBoxData* data)
{
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(window, &point);
    return data && PtInRect(&data->linkHitRect, point);
}

LRESULT CALLBACK KxAboutWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    KxAboutBoxData* data = (KxAboutBoxData*)GetWindowLongPtrW(window, GWLP_USERDATA);
    switch (message) {
    case WM_PAINT:
        if (!data) break;
        KxOnAboutPaint(window, *data);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT || !KxCursorOverLink(window, data)) break;
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (KxInsideLink(data, lParam)) KxOnAboutLinkClick(window, message == WM_RBUTTONUP);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == KX_ABOUT_OK_ID) DestroyWindow(window);
        return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_DESTROY:
        if (data) KxFreeAboutBox(data);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool KxRegisterAboutClass()
{
    if (g_aboutClassRegistered) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = KxAboutWindowProc;
    windowClass.hInstance = g_pluginModule;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = KX_ABOUT_CLASS;
    g_aboutClassRegistered = RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return g_aboutClassRegistered;
}

int KxScreenDpi(HWND owner)
{
    HDC dc = GetDC(owner);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(owner, dc);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

// The record with its icon, fonts, texts, picture and layout; null when it cannot be allocated.
KxAboutBoxData* KxCreateAboutData(int dpi, SIZE* client)
{
    int scale = KxAboutScalePercent(dpi);
    auto D = [scale](int n) { return MulDiv(n, scale, 100); };
    KxAboutBoxData* data = (KxAboutBoxData*)calloc(1, sizeof(KxAboutBoxData));
    if (!data) return nullptr;
    data->icon = (HICON)LoadImageW(g_pluginModule, MAKEINTRESOURCEW(101), IMAGE_ICON, D(64), D(64), LR_DEFAULTCOLOR);
    data->titleFont = KxAboutFont(dpi, 12, FW_BOLD, FALSE);
    data->bodyFont = KxAboutFont(dpi, 9, FW_NORMAL, FALSE);
    data->boldFont = KxAboutFont(dpi, 9, FW_BOLD, FALSE);
    data->linkFont = KxAboutFont(dpi, 9, FW_NORMAL, TRUE);
    _snwprintf(data->versionText, 64, L"Version:  %ls", L"1.3");
    data->versionText[63] = L'\0';
    lstrcpynW(data->noticeText, KX_ABOUT_NOTICE, 64);
    KxAboutExtents extents = KxMeasureAboutTexts(*data);
    KxChooseLogo(data, D(18));
    *client = KxLayoutAboutBox(data, extents, scale);
    return data;
}

HWND KxCreateAboutWindow(HWND owner, KxAboutBoxData* data, SIZE client, int scale)
{
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HWND root = GetAncestor(owner, GA_ROOTOWNER);
    RECT centre{};
    GetWindowRect(root ? root : owner, &centre);
    int left = centre.left + (centre.right - centre.left - width) / 2;
    int top = centre.top + (centre.bottom - centre.top - height) / 2;
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME, KX_ABOUT_CLASS, L"About Korvex", WS_POPUPWINDOW | WS_DLGFRAME,
                                  left, top, width, height, owner, nullptr, g_pluginModule, nullptr);
    if (!window) return nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, (LONG_PTR)data);
    SendMessageW(window, WM_SETICON, ICON_BIG, (LPARAM)data->icon);
    SendMessageW(window, WM_SETICON, ICON_SMALL, (LPARAM)data->icon);
    auto D = [scale](int n) { return MulDiv(n, scale, 100); };
    int buttonTop = client.cy - D(23) - D(16);
    HWND ok = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                              client.cx - D(16) - D(75), buttonTop, D(75), D(23), window,
                              (HMENU)(INT_PTR)KX_ABOUT_OK_ID, g_pluginModule, nullptr);
    SendMessageW(ok, WM_SETFONT, (WPARAM)data->bodyFont, TRUE);
    return window;
}

// Escape and Enter close the box from wherever its focus is.
bool KxIsClosingKey(const MSG& message, HWND window)
{
    if (message.message != WM_KEYDOWN || (message.wParam != VK_ESCAPE && message.wParam != VK_RETURN)) return false;
    return message.hwnd == window || IsChild(window, message.hwnd);
}

void KxRunAboutLoop(HWND window)
{
    MSG message;
    while (IsWindow(window)) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The quit belongs to the thread's own loop: hand it back.
            if (got == 0) PostQuitMessage((int)message.wParam);
            break;
        }
        if (KxIsClosingKey(message, window)) {
            DestroyWindow(window);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int KxAboutScalePercent(int dpi)
{
    return MulDiv(dpi, 100, USER_DEFAULT_SCREEN_DPI);
}

int KxChooseAboutPicture(const BYTE* resource, DWORD size, int lineHeight, KxAboutPicture* picture)
{
    *picture = KxAboutPicture{};
    if (!resource || size < 8 || resource[0] != 'V' || resource[1] != 'S' || resource[2] != 'L' || resource[3] != 'G')
        return 0;
    DWORD count = KxReadUint32(resource + 4);
    if (count == 0 || 8 + 12ull * count > size) return 0;
    int bestDistance = -1;
    for (DWORD i = 0; i < count; ++i) {
        const BYTE* entry = resource + 8 + 12ull * i;
        ULONGLONG width = KxReadUint32(entry), height = KxReadUint32(entry + 4), offset = KxReadUint32(entry + 8);
        // Every factor is below 2^32, so the pixel count fits; a picture must lie wholly inside the resource.
        if (width == 0 || height == 0 || width * height > size / 4 || offset + width * height * 4 > size) continue;
        int distance = abs((int)height - lineHeight);
        if (bestDistance >= 0 && distance >= bestDistance) continue;
        bestDistance = distance;
        *picture = KxAboutPicture{resource + offset, (int)width, (int)height};
    }
    return bestDistance >= 0;
}

void KxShowAboutBox(HWND owner)
{
    if (!KxRegisterAboutClass()) return;
    int dpi = KxScreenDpi(owner);
    SIZE client{};
    KxAboutBoxData* data = KxCreateAboutData(dpi, &client);
    if (!data) return;
    HWND window = KxCreateAboutWindow(owner, data, client, KxAboutScalePercent(dpi));
    if (!window) {
        KxFreeAboutBox(data);
        return;
    }
    BOOL ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetForegroundWindow(window);
    SetFocus(GetDlgItem(window, KX_ABOUT_OK_ID));
    KxRunAboutLoop(window);
    if (!owner || !IsWindow(owner)) return;
    EnableWindow(owner, ownerWasEnabled);
    SetForegroundWindow(owner);
    if (g_editWnd) SetFocus(g_editWnd);
}
