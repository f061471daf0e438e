#pragma once
#include <windows.h>

// One picture of the about box's multi-size image resource.
struct KxAboutPicture {
    const BYTE* pixels;  // premultiplied BGRA rows, top to bottom; inside the resource
    int width;
    int height;
};

// The about box's scale in percent for a screen dpi.
int KxAboutScalePercent(int dpi);
// Among the pictures of a "VSLG" resource that lie wholly inside it, the one whose height is closest to
// lineHeight (the earlier on a tie). Returns 0 and leaves picture empty when the resource is unusable.
int KxChooseAboutPicture(const BYTE* resource, DWORD size, int lineHeight, KxAboutPicture* picture);

// Shows the about box modally over owner and returns when it is closed.
void KxShowAboutBox(HWND owner);
