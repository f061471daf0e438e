#pragma once
#include <windows.h>

// One saved clipboard format: a copy of a global memory block, or of an enhanced metafile.
struct KxClipboardFormat {
    UINT format;
    HANDLE copy;
};

struct KxClipboardSnapshot {
    KxClipboardFormat* formats;
    int count;
};

// Copies everything the clipboard holds now; 0 when it could not be saved whole (the clipboard is held open
// elsewhere, a format cannot be copied), and then the snapshot is empty and the clipboard must be left alone.
// Formats that Windows makes on demand from another one (the 8-bit texts of a Unicode text, a bitmap of a
// device-independent one) are not copied: restoring their source brings them back.
int KxSaveClipboard(HWND owner, KxClipboardSnapshot& snapshot);
// Empties the clipboard and puts the snapshot back; the snapshot is consumed.
void KxRestoreClipboard(HWND owner, KxClipboardSnapshot& snapshot);
void KxFreeClipboardSnapshot(KxClipboardSnapshot& snapshot);
// At most capacity - 1 characters of the clipboard's Unicode text; 0 when it holds none.
int KxReadClipboardText(HWND owner, wchar_t* out, int capacity);
// Opens the clipboard, trying again for about 100 ms while another program holds it; 1 when open.
int KxOpenClipboardBriefly(HWND owner);
// The clipboard's owner does not answer: reading data it renders on demand would block on it.
int KxIsClipboardOwnerHung();

// Which of the listed formats (in clipboard order) a snapshot copies: keep[i] is set for those. Of each
// family of formats that Windows converts into one another only the first copyable one is kept. 0 when a
// format can neither be copied nor be made again from a kept one.
int KxChooseClipboardFormats(const UINT* formats, int count, bool* keep);
