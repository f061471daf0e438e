#pragma once
#include <windows.h>

// Index of the history entry shown in the edit box; -1: the box holds the user's own text.
extern int g_historyIndex;
// Raised while a history entry replaces the edit text, so the change is not taken as typing.
extern bool g_historyRecall;
// The overlay button under the mouse.
extern HWND g_hotButton;

// Installs the subclasses of the edit box, the list and the four buttons.
void KxSubclassOverlayControls();
void KxClearSearch();
// Remembers the typed text in the history unless a history entry is shown.
void KxCommitHistoryIfTyped();
// Records the edit box's text (at most 255 characters) in the search history.
void KxAddEditTextToHistory();
