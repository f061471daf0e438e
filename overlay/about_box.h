#pragma once
#include <windows.h>

// Shows the about box modally over owner and returns when it is closed.
void KxShowAboutBox(HWND owner);
