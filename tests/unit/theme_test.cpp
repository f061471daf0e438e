#include "config/theme.h"

#include <gtest/gtest.h>

#include <vector>

#include "config/host_ini.h"
#include "config/settings.h"
#include "overlay/overlay_window.h"
#include "unit/host_sandbox.h"

namespace {

TEST(Theme, PaletteChoice)
{
    const int cases[][4] = {
        // ThemeMode, host, Windows, dark
        {KX_THEME_DARK, KX_HOST_LIGHT, KX_WINDOWS_LIGHT, 1},
        {KX_THEME_LIGHT, KX_HOST_DARK, KX_WINDOWS_DARK, 0},
        {KX_THEME_AUTO, KX_HOST_LIGHT, KX_WINDOWS_DARK, 0},
        {KX_THEME_AUTO, KX_HOST_DARK, KX_WINDOWS_LIGHT, 1},
        {KX_THEME_AUTO, KX_HOST_FOLLOW_WINDOWS, KX_WINDOWS_DARK, 1},
        {KX_THEME_AUTO, KX_HOST_FOLLOW_WINDOWS, KX_WINDOWS_LIGHT, 0},
        {KX_THEME_AUTO, KX_HOST_FOLLOW_WINDOWS, KX_WINDOWS_UNKNOWN, 1},
        {7, KX_HOST_FOLLOW_WINDOWS, KX_WINDOWS_LIGHT, 0},  // out of range: automatic
    };
    for (const auto& c : cases)
        EXPECT_EQ(KxChooseDarkPalette(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << " " << c[2];
}

TEST(Theme, SizesScaleWithTheScreen)
{
    const int cases[][7] = {
        // scale %, points, text height -> input, row, input bar, header
        {100, 11, 19, 23, 21, 29, 19},
        {150, 11, 22, 28, 32, 37, 29},  // S(11) = 16.5 rounds up to 17
        {125, 9, 15, 20, 24, 28, 21},   // S(10) = 12.5 rounds up, S(9) = 11.25 down
        {200, 72, 96, 104, 164, 116, 160},
    };
    for (const auto& c : cases) {
        KxThemeMetrics m = KxComputeThemeMetrics(c[0], c[1], c[2]);
        EXPECT_EQ((std::vector<int>{m.inputHeight, m.rowHeight, m.inputBarHeight, m.headerHeight}),
                  (std::vector<int>{c[3], c[4], c[5], c[6]}))
            << c[0] << "% " << c[1] << " pt";
    }
    EXPECT_EQ(KxFontHeight(11, 144), -22);
    EXPECT_EQ(KxFontHeight(11, 96), -15);  // 14.67 rounds up
    for (int weight : {100, 400, 699}) EXPECT_EQ(KxBoldFontWeight(weight), 700);
    for (int weight : {700, 1000}) EXPECT_EQ(KxBoldFontWeight(weight), 900);

    EXPECT_EQ(KxScale(11), 11);  // before the first apply the scale is 100 %
    g_theme.dpiScalePercent = 150;
    EXPECT_EQ(KxScale(11), 17);
    g_theme.dpiScalePercent = 100;
}

template <typename Description>
Description ObjectOf(HGDIOBJ object)
{
    Description description{};
    EXPECT_EQ(GetObjectW(object, sizeof description, &description), (int)sizeof description);
    return description;
}

struct ThemeApply : HostSandbox {
    void TearDown() override
    {
        if (g_listWnd) DestroyWindow(g_listWnd);
        g_listWnd = nullptr;
        g_settings.themeMode = 0;
        HostSandbox::TearDown();
    }
};

TEST_F(ThemeApply, FollowsSettingHostAndWindows)
{
    const COLORREF kPalettes[2][10] = {
        {0xF0F0F0, 0x1A1A1A, 0x63554B, 0xFFFFFF, 0x1A1A1A, 0xD84E1D, 0xB0B0B0, 0xD84E1D, 0xE2E2E2, 0x9A9A9A},
        {0x2A2A2A, 0xFFF6EF, 0xB8A394, 0x1E1E1E, 0xFFF6EF, 0xF6823B, 0x505050, 0xF6823B, 0x171717, 0x959595}};
    const struct {
        int themeMode;
        const wchar_t* darkMode;  // nullptr: no wincmd.ini anywhere
        int appsUseLightTheme;    // -1: no value
        int dark;
        const wchar_t* face;
        int points, weight, boldWeight;
    } cases[] = {
        {KX_THEME_AUTO, L"DarkMode=1", 0, 1, L"Arial", 12, 700, 900},
        {KX_THEME_AUTO, L"DarkMode=1", 1, 0, L"Arial", 12, 700, 900},
        {KX_THEME_AUTO, L"", 0, 0, L"Arial", 12, 700, 900},
        {KX_THEME_AUTO, nullptr, -1, 1, L"Segoe UI", 11, 400, 700},
        {KX_THEME_AUTO, nullptr, 1, 0, L"Segoe UI", 11, 400, 700},
        {KX_THEME_LIGHT, L"DarkMode=2", 0, 0, L"Arial", 12, 700, 900},
        {KX_THEME_DARK, L"DarkMode=0", 1, 1, L"Arial", 12, 700, 900},
    };
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    // Only a shown window keeps an update region; this one stays out of the way and never takes the focus.
    g_listWnd = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP,
                                GetSystemMetrics(SM_CXSCREEN) - 16, GetSystemMetrics(SM_CYSCREEN) - 16, 16, 16, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_TRUE(g_listWnd);
    ShowWindow(g_listWnd, SW_SHOWNOACTIVATE);
    HGDIOBJ previous[5] = {};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.themeMode << " " << KxtUtf8(c.darkMode ? c.darkMode : L"no ini")
                                        << " apps " << c.appsUseLightTheme);
        g_settings.themeMode = c.themeMode;
        SetEnvironmentVariableW(L"COMMANDER_INI", nullptr);
        if (c.darkMode) {
            std::wstring ini =
                WriteIni(L"wincmd.ini", L"[Configuration]\n" + std::wstring(c.darkMode) +
                                            L"\n[AllResolutions]\nFontName=Arial\nFontSize=12\nFontWeight=700");
            SetEnvironmentVariableW(L"COMMANDER_INI", ini.c_str());
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Microsoft");
        if (c.appsUseLightTheme >= 0) SetWindowsAppsTheme(REG_DWORD, &c.appsUseLightTheme, 4);
        ValidateRect(g_listWnd, nullptr);

        KxApplyTheme();

        EXPECT_EQ(g_theme.isDark, c.dark);
        const COLORREF stored[10] = {
            g_theme.background, g_theme.text,   g_theme.secondaryText, g_theme.inputBackground, g_theme.inputText,
            g_theme.accent,     g_theme.border, g_theme.highlight,     g_theme.scrollTrack,     g_theme.scrollThumb};
        for (int i = 0; i < 10; ++i) EXPECT_EQ(stored[i], kPalettes[c.dark][i]) << "colour " << i;
        EXPECT_EQ(ObjectOf<LOGBRUSH>(g_theme.backgroundBrush).lbColor, g_theme.background);
        EXPECT_EQ(ObjectOf<LOGBRUSH>(g_theme.inputBrush).lbColor, g_theme.inputBackground);
        EXPECT_EQ(ObjectOf<LOGBRUSH>(g_theme.accentBrush).lbColor, g_theme.accent);

        EXPECT_EQ(g_theme.dpiScalePercent, MulDiv(dpi, 100, 96));
        LOGFONTW normal = ObjectOf<LOGFONTW>(g_theme.font), bold = ObjectOf<LOGFONTW>(g_theme.boldFont);
        EXPECT_EQ(KxtUtf8(normal.lfFaceName) + "|" + KxtUtf8(bold.lfFaceName), KxtUtf8(c.face) + "|" + KxtUtf8(c.face));
        EXPECT_EQ(normal.lfHeight, -MulDiv(c.points, dpi, 72));
        EXPECT_EQ(bold.lfHeight, normal.lfHeight);
        EXPECT_EQ(normal.lfWeight, c.weight);
        EXPECT_EQ(bold.lfWeight, c.boldWeight);
        EXPECT_EQ(normal.lfQuality, CLEARTYPE_QUALITY);

        TEXTMETRICW text{};
        HGDIOBJ old = SelectObject(screen, g_theme.font);
        ASSERT_TRUE(GetTextMetricsW(screen, &text));
        SelectObject(screen, old);
        KxThemeMetrics m = KxComputeThemeMetrics(g_theme.dpiScalePercent, c.points, text.tmHeight);
        EXPECT_EQ(
            (std::vector<int>{g_theme.inputHeight, g_theme.rowHeight, g_theme.inputBarHeight, g_theme.headerHeight}),
            (std::vector<int>{m.inputHeight, m.rowHeight, m.inputBarHeight, m.headerHeight}));

        // The previous brushes and fonts are gone, and the list repaints.
        HGDIOBJ current[5] = {g_theme.backgroundBrush, g_theme.inputBrush, g_theme.accentBrush, g_theme.font,
                              g_theme.boldFont};
        for (int i = 0; i < 5; ++i) {
            if (previous[i] && previous[i] != current[i]) {
                EXPECT_EQ(GetObjectType(previous[i]), 0u) << "object " << i;
            }
            previous[i] = current[i];
        }
        EXPECT_TRUE(GetUpdateRect(g_listWnd, nullptr, FALSE));
    }
    ReleaseDC(nullptr, screen);
}

}  // namespace
