#include "overlay/about_box.h"

// Least version until the about box is built.
void KxShowAboutBox(HWND) {}
