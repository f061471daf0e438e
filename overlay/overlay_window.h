#pragma once
#include <windows.h>

#include "overlay/overlay_state.h"

// Posted to the overlay at an opening: the drives are looked at once its first frame is up, rather than
// by the first search.
constexpr UINT WM_KX_LOOK_AT_DRIVES = WM_APP + 1;

LRESULT CALLBACK KxOverlayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Places the overlay over g_panelRect and its children inside it.
void KxLayoutOverlay();
// After the displayed results changed: measure, recount, re-lay and repaint.
void KxRefreshResultList();
// Paints the list and the header strip at once, before the other controls that a layout moved: they
// are what the user waits for.
void KxPaintResultsNow();
void KxSortByColumn(int column);
// Gives the children the theme's new font and row height (the old fonts are gone).
void KxApplyThemeToControls();
// Forgets the laid-out size, so that the next layout places every child again.
void KxForgetOverlayLayout();
COLORREF KxBlendColor(COLORREF base, COLORREF other, int percent);
