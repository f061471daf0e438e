#pragma once
#include <windows.h>

// The result list's context menu for one displayed row, at screen point (x, y), or at the row's
// bottom-left corner when both are -1 (asked for from the keyboard).
void KxShowResultContextMenu(int row, int x, int y);

// "Show all N result(s) in panel" for a result count.
void KxFormatShowAllItem(int count, wchar_t* out, int capacity);
