#include "overlay/filter_menu.h"

#include <wchar.h>

#include "config/settings.h"
#include "overlay/about_box.h"
#include "overlay/overlay_window.h"
#include "search/filters.h"
#include "search/search_composition.h"

namespace {

constexpr UINT KX_MENU_FIRST_FILTER = 1000;
constexpr UINT KX_MENU_ABOUT = 2000;

HMENU KxBuildFilterMenu()
{
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (int i = 0; i < g_filterCount; ++i) {
        wchar_t label[2 * KX_FILTER_NAME_CHARS];
        KxFormatMenuLabel(g_filters[i].name, label, 2 * KX_FILTER_NAME_CHARS);
        AppendMenuW(menu, MF_STRING | (i == g_selectedFilter ? MF_CHECKED : 0), KX_MENU_FIRST_FILTER + i, label);
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    wchar_t about[64];
    _snwprintf(about, 64, L"About %ls v%ls...", L"Korvex", L"1.3");
    about[63] = L'\0';
    AppendMenuW(menu, MF_STRING, KX_MENU_ABOUT, about);
    return menu;
}

void KxSelectFilter(int index)
{
    g_selectedFilter = index;
    SetWindowTextW(g_filterButton, g_filters[index].name);
    KxSaveLastSelectedFilter(g_filters[index]);
    KxRunSearchNow();
}

}  // namespace

void KxFormatMenuLabel(const wchar_t* name, wchar_t* out, int capacity)
{
    // A menu takes '&' for its mnemonic; a filter's name is shown as it is written.
    int length = 0;
    for (const wchar_t* c = name; *c && length < capacity - 2; ++c) {
        if (*c == L'&') out[length++] = L'&';
        out[length++] = *c;
    }
    out[length] = L'\0';
}

void KxShowFilterMenu()
{
    HMENU menu = KxBuildFilterMenu();
    if (!menu) return;
    RECT button{};
    GetWindowRect(g_filterButton, &button);
    SetForegroundWindow(g_overlayWnd);
    UINT chosen = (UINT)TrackPopupMenu(menu, TPM_RETURNCMD, button.left, button.bottom, 0, g_overlayWnd, nullptr);
    DestroyMenu(menu);
    SetFocus(g_editWnd);
    if (chosen == KX_MENU_ABOUT)
        KxShowAboutBox(g_overlayWnd);
    else if (chosen >= KX_MENU_FIRST_FILTER && chosen < KX_MENU_FIRST_FILTER + (UINT)g_filterCount)
        KxSelectFilter((int)(chosen - KX_MENU_FIRST_FILTER));
}
