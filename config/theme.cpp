#include "config/theme.h"

#include "config/host_ini.h"
#include "config/settings.h"
#include "core/log.h"
#include "overlay/overlay_state.h"

KxTheme g_theme;

namespace {

const KxPalette kPalettes[2] = {
    // light
    {0xF0F0F0, 0x1A1A1A, 0x63554B, 0xFFFFFF, 0x1A1A1A, 0xD84E1D, 0xB0B0B0, 0xD84E1D, 0xE2E2E2, 0x9A9A9A},
    // dark
    {0x2A2A2A, 0xFFF6EF, 0xB8A394, 0x1E1E1E, 0xFFF6EF, 0xF6823B, 0x505050, 0xF6823B, 0x171717, 0x959595},
};

constexpr int KX_FACE_CHARS = 64;

void KxStorePalette(const KxPalette& palette)
{
    static_cast<KxPalette&>(g_theme) = palette;
}

// Deleting a stock object is a harmless no-op, so the stand-ins below need no bookkeeping.
void KxDeleteObject(HGDIOBJ object)
{
    if (object) DeleteObject(object);
}

// Drawing never meets a null handle: a brush or font that cannot be made is replaced by a stock one.
HBRUSH KxCreateBrush(COLORREF colour, int stockFallback)
{
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush) return brush;
    KxLog(L"KxApplyTheme: CreateSolidBrush(0x%06lX) FAILED, GetLastError=%lu.", (unsigned long)colour, GetLastError());
    return (HBRUSH)GetStockObject(stockFallback);
}

HFONT KxCreateFont(const wchar_t* face, int height, int weight)
{
    LOGFONTW description{};
    description.lfHeight = height;
    description.lfWeight = weight;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = CLEARTYPE_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(description.lfFaceName, face, LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&description);
    if (font) return font;
    KxLog(L"KxApplyTheme: CreateFontIndirectW(\"%ls\", %d) FAILED, GetLastError=%lu.", face, height, GetLastError());
    return (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

void KxRecreateBrushes()
{
    KxDeleteObject(g_theme.backgroundBrush);
    KxDeleteObject(g_theme.inputBrush);
    KxDeleteObject(g_theme.accentBrush);
    int plain = g_theme.isDark ? BLACK_BRUSH : WHITE_BRUSH;
    g_theme.backgroundBrush = KxCreateBrush(g_theme.background, plain);
    g_theme.inputBrush = KxCreateBrush(g_theme.inputBackground, plain);
    g_theme.accentBrush = KxCreateBrush(g_theme.accent, GRAY_BRUSH);
}

void KxRecreateFonts(const wchar_t* face, int points, int weight, int dpi)
{
    // The same font again keeps its handles: the controls then need no new font at an opening.
    static wchar_t madeFace[KX_FACE_CHARS];
    static int madeHeight, madeWeight;
    int height = KxFontHeight(points, dpi);
    if (g_theme.font && g_theme.boldFont && height == madeHeight && weight == madeWeight &&
        wcscmp(face, madeFace) == 0)
        return;
    KxDeleteObject(g_theme.font);
    KxDeleteObject(g_theme.boldFont);
    lstrcpynW(madeFace, face, KX_FACE_CHARS);
    madeHeight = height;
    madeWeight = weight;
    g_theme.font = KxCreateFont(face, height, weight);
    g_theme.boldFont = KxCreateFont(face, height, KxBoldFontWeight(weight));
}

}  // namespace

const KxPalette& KxThemePalette(int isDark)
{
    return kPalettes[isDark ? 1 : 0];
}

int KxChooseDarkPalette(int themeMode, int hostDarkMode, int windowsTheme)
{
    if (themeMode == KX_THEME_DARK) return 1;
    if (themeMode == KX_THEME_LIGHT) return 0;
    if (hostDarkMode == KX_HOST_DARK) return 1;
    if (hostDarkMode == KX_HOST_LIGHT) return 0;
    return windowsTheme != KX_WINDOWS_LIGHT;  // Windows silent: dark
}

int KxFontHeight(int points, int dpi)
{
    return -MulDiv(points, dpi, 72);
}

int KxBoldFontWeight(int weight)
{
    return weight < FW_BOLD ? FW_BOLD : FW_HEAVY;
}

KxThemeMetrics KxComputeThemeMetrics(int dpiScalePercent, int fontPoints, int textHeight)
{
    auto S = [dpiScalePercent](int n) { return MulDiv(n, dpiScalePercent, 100); };
    KxThemeMetrics metrics;
    metrics.inputHeight = textHeight + S(4);
    metrics.rowHeight = S(fontPoints) + S(10);
    metrics.inputBarHeight = metrics.inputHeight + S(6);
    metrics.headerHeight = S(fontPoints) + S(8);
    return metrics;
}

int KxScale(int n)
{
    return MulDiv(n, g_theme.dpiScalePercent, 100);
}

void KxApplyTheme()
{
    // The host is asked only in automatic mode, Windows only when the host defers to it.
    int themeMode = g_settings.themeMode;
    int host = themeMode == KX_THEME_AUTO ? KxReadHostDarkMode() : KX_HOST_FOLLOW_WINDOWS;
    int windows =
        (themeMode == KX_THEME_AUTO && host == KX_HOST_FOLLOW_WINDOWS) ? KxReadWindowsAppsTheme() : KX_WINDOWS_UNKNOWN;
    g_theme.isDark = KxChooseDarkPalette(themeMode, host, windows);
    KxStorePalette(KxThemePalette(g_theme.isDark));
    KxRecreateBrushes();

    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (dpi <= 0) dpi = USER_DEFAULT_SCREEN_DPI;
    g_theme.dpiScalePercent = MulDiv(dpi, 100, USER_DEFAULT_SCREEN_DPI);

    wchar_t face[KX_FACE_CHARS] = L"Segoe UI";
    int points = 11, weight = FW_NORMAL;
    KxReadHostFont(face, KX_FACE_CHARS, &points, &weight);
    KxRecreateFonts(face, points, weight, dpi);

    TEXTMETRICW textMetrics{};
    int measured = 0;
    if (screen) {
        HGDIOBJ old = SelectObject(screen, g_theme.font);
        measured = GetTextMetricsW(screen, &textMetrics);
        SelectObject(screen, old);
        ReleaseDC(nullptr, screen);
    }
    if (!measured) textMetrics.tmHeight = -KxFontHeight(points, dpi);  // the height the font was asked for
    KxThemeMetrics sizes = KxComputeThemeMetrics(g_theme.dpiScalePercent, points, textMetrics.tmHeight);
    g_theme.inputHeight = sizes.inputHeight;
    g_theme.rowHeight = sizes.rowHeight;
    g_theme.inputBarHeight = sizes.inputBarHeight;
    g_theme.headerHeight = sizes.headerHeight;

    if (g_listWnd) InvalidateRect(g_listWnd, nullptr, TRUE);
    KxLog(L"KxApplyTheme: %ls palette, scale %d%%, font \"%ls\" %d pt weight %d, row height %d.",
          g_theme.isDark ? L"dark" : L"light", g_theme.dpiScalePercent, face, points, weight, g_theme.rowHeight);
}
