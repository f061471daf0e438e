#pragma once
#include <windows.h>

#include <string>

// The overlay's windows as the search sees them: a shown top-level window with an edit box and
// a data-less list box, registered in the plug-in's globals.
void KxtCreateSearchWindows();
void KxtSetTypedText(const std::wstring& text);
// Hides the overlay window, as closing the overlay does.
void KxtHideSearchWindows();
// Rows the list box was told to show.
int KxtListRowCount();
