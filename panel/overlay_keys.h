#pragma once
#include <windows.h>

// Keys every overlay control answers alike, asked first by each control's subclass: 1 when the
// message was handled and must not reach the control, 0 when the control processes it as usual.
int KxHandleOverlayKey(HWND control, UINT message, WPARAM key);
