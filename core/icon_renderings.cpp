#include "core/icon_renderings.h"

namespace {

constexpr int KX_RENDERING_SLOTS = 64;
// Larger icons (the about box) are drawn directly: they are drawn once per paint.
constexpr int KX_RENDERING_MAX_SIZE = 64;

struct KxRendering {
    HICON icon;
    int size;
    COLORREF background;
};

// One strip of cells, each as wide and high as the largest size seen; full, it starts over.
KxRendering g_renderings[KX_RENDERING_SLOTS];
int g_renderingCount;
int g_cellSize;
HDC g_stripDc;
HBITMAP g_stripBitmap;
HGDIOBJ g_stripOldBitmap;

void KxReleaseStrip()
{
    if (g_stripDc) {
        SelectObject(g_stripDc, g_stripOldBitmap);
        DeleteDC(g_stripDc);
    }
    if (g_stripBitmap) DeleteObject(g_stripBitmap);
    g_stripDc = nullptr;
    g_stripBitmap = nullptr;
    g_renderingCount = 0;
    g_cellSize = 0;
}

// In the screen's format, whatever the DC drawn to: a memory DC may hold a one-bit bitmap.
bool KxMakeStrip(int cellSize)
{
    KxReleaseStrip();
    HDC screen = GetDC(nullptr);
    g_stripDc = screen ? CreateCompatibleDC(screen) : nullptr;
    g_stripBitmap = g_stripDc ? CreateCompatibleBitmap(screen, cellSize * KX_RENDERING_SLOTS, cellSize) : nullptr;
    if (screen) ReleaseDC(nullptr, screen);
    if (!g_stripBitmap) {
        KxReleaseStrip();
        return false;
    }
    g_stripOldBitmap = SelectObject(g_stripDc, g_stripBitmap);
    g_cellSize = cellSize;
    return true;
}

// The cell holding the rendering, made now when there is none; -1 when no strip can be had.
int KxRenderingCell(HICON icon, int size, COLORREF background)
{
    for (int i = 0; i < g_renderingCount; ++i) {
        const KxRendering& r = g_renderings[i];
        if (r.icon == icon && r.size == size && r.background == background) return i;
    }
    if (size > g_cellSize || !g_stripDc) {
        if (!KxMakeStrip(size > g_cellSize ? size : g_cellSize)) return -1;
    }
    if (g_renderingCount == KX_RENDERING_SLOTS) g_renderingCount = 0;
    int cell = g_renderingCount++;
    RECT rect{cell * g_cellSize, 0, cell * g_cellSize + size, size};
    SetDCBrushColor(g_stripDc, background);
    FillRect(g_stripDc, &rect, (HBRUSH)GetStockObject(DC_BRUSH));
    DrawIconEx(g_stripDc, rect.left, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    g_renderings[cell] = KxRendering{icon, size, background};
    return cell;
}

}  // namespace

void KxDrawIconOver(HDC dc, HICON icon, int x, int y, int size, COLORREF background)
{
    if (!icon || size <= 0) return;
    int cell = size <= KX_RENDERING_MAX_SIZE ? KxRenderingCell(icon, size, background) : -1;
    if (cell < 0) {
        DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
        return;
    }
    BitBlt(dc, x, y, size, size, g_stripDc, cell * g_cellSize, 0, SRCCOPY);
}

void KxDestroyRenderedIcon(HICON icon)
{
    if (!icon) return;
    for (int i = 0; i < g_renderingCount; ++i)
        if (g_renderings[i].icon == icon) g_renderings[i].icon = nullptr;
    DestroyIcon(icon);
}
