#pragma once
#include <windows.h>

// The overlay button under the mouse.
extern HWND g_hotButton;

// Installs the subclasses of the edit box, the list and the four buttons.
void KxSubclassOverlayControls();
// Remembers the text, empties the box and the list, and focuses the box.
void KxClearSearch();
