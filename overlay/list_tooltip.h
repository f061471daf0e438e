#pragma once
#include <windows.h>

// What the tooltip shows: row * 2 + 1 for a row's name, row * 2 for its folder; -1 = hidden.
extern int g_tooltipKey;

// The tip text of a result's name part (the file name) or folder part (its folder; a folder
// result's whole path). Returns its length; 0 means no tip.
int KxTooltipTextFor(const wchar_t* path, bool isFolder, bool namePart, wchar_t* out, int capacity);

// Mouse over the list: shows, moves or hides the tip for the name or folder under the point.
void KxOnListHover(HWND list, POINT point);
// The mouse left the list.
void KxOnListMouseLeave();
// Hides the tip and forgets its row, which may hold another hit once the list changes.
void KxHideListTooltip();
