#pragma once
#include <windows.h>

// Draws a square icon at (x, y) exactly as DrawIconEx would over a background of one colour, by copying
// a rendering kept for that icon, size and colour: blending an icon costs a hundred times a copy.
void KxDrawIconOver(HDC dc, HICON icon, int x, int y, int size, COLORREF background);
// Destroys an icon and drops its renderings, since the handle may name another icon afterwards.
void KxDestroyRenderedIcon(HICON icon);
