#pragma once
#include <windows.h>

// Where Ctrl+Backspace starts deleting for a caret at caret (cut at 1023): back over white space,
// then over the word before it.
int KxPreviousWordStart(const wchar_t* text, int caret);
// Ctrl+Backspace in an edit box: deletes the selection, else the word before the caret.
void KxDeletePreviousWord(HWND edit);
