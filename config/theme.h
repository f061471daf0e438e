#pragma once
#include <windows.h>

// The colours of one palette, light or dark.
struct KxPalette {
    COLORREF background;
    COLORREF text;
    COLORREF secondaryText;
    COLORREF inputBackground;
    COLORREF inputText;
    COLORREF accent;
    COLORREF border;
    COLORREF highlight;
    COLORREF scrollTrack;
    COLORREF scrollThumb;
};

// Everything the overlay and the about box draw with: the palette's colours, brushes, fonts
// and sizes, rebuilt by KxApplyTheme at every opening of the overlay.
struct KxTheme : KxPalette {
    int isDark = 1;             // 1 for the dark palette
    int dpiScalePercent = 100;  // screen DPI * 100 / 96
    HBRUSH backgroundBrush;
    HBRUSH inputBrush;
    HBRUSH accentBrush;
    HFONT font;
    HFONT boldFont;
    int inputHeight;     // input line and the controls beside it
    int rowHeight;       // one result row
    int inputBarHeight;  // the strip that holds the input line
    int headerHeight;    // the column-heading strip
};

extern KxTheme g_theme;

// Text of selected result rows, in both palettes.
constexpr COLORREF KX_SELECTED_ROW_TEXT = 0xFFFFFF;

// Chooses the palette, recreates brushes and fonts, measures the sizes, and
// repaints the result list when it exists. Background thread only.
void KxApplyTheme();

// A length written for 96 DPI, scaled to the screen.
int KxScale(int n);

struct KxThemeMetrics {
    int inputHeight;
    int rowHeight;
    int inputBarHeight;
    int headerHeight;
};

// Pure rules behind KxApplyTheme.
const KxPalette& KxThemePalette(int isDark);
// themeMode from the settings, the host's KxHostDarkMode and Windows' KxWindowsAppsTheme; 1 for dark.
int KxChooseDarkPalette(int themeMode, int hostDarkMode, int windowsTheme);
// lfHeight for a size in points: negative, so that it names the character height.
int KxFontHeight(int points, int dpi);
int KxBoldFontWeight(int weight);
// From the scale, the font size in points and the normal font's text-metric height.
KxThemeMetrics KxComputeThemeMetrics(int dpiScalePercent, int fontPoints, int textHeight);
