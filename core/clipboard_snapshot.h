#pragma once
#include <windows.h>

// A copy of every clipboard format held in a global memory block, in clipboard order.
struct KxClipboardFormat {
    UINT format;
    HGLOBAL copy;
};

struct KxClipboardSnapshot {
    KxClipboardFormat* formats;
    int count;
};

// Copies what the clipboard holds now; an empty snapshot when it cannot be opened.
KxClipboardSnapshot KxSaveClipboard(HWND owner);
// Empties the clipboard and puts the snapshot back; the snapshot is consumed.
void KxRestoreClipboard(HWND owner, KxClipboardSnapshot& snapshot);
// At most capacity - 1 characters of the clipboard's Unicode text; 0 when it holds none.
int KxReadClipboardText(HWND owner, wchar_t* out, int capacity);
