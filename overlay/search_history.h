#pragma once
#include <windows.h>

// Index of the history entry shown in the edit box, 0 = newest; -1: the box holds the user's own text.
extern int g_historyIndex;
// Raised while a history entry replaces the edit text, so the change is not taken as typing.
extern bool g_historyRecall;

// Shows history entry index in the edit box (it is then searched); below 0 empties the box.
void KxRecallHistory(int index);
// Remembers the typed text in the history unless a history entry is shown.
void KxCommitHistoryIfTyped();
// Records the edit box's text (at most 255 characters) in the search history.
void KxAddEditTextToHistory();
