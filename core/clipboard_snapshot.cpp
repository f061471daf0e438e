#include "core/clipboard_snapshot.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Formats whose data is a GDI or metafile handle rather than a memory block cannot be copied byte for byte.
int KxIsMemoryFormat(UINT format)
{
    switch (format) {
    case CF_BITMAP:
    case CF_METAFILEPICT:
    case CF_PALETTE:
    case CF_ENHMETAFILE:
    case CF_OWNERDISPLAY:
    case CF_DSPBITMAP:
    case CF_DSPMETAFILEPICT:
    case CF_DSPENHMETAFILE: return 0;
    default: return !(format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST);
    }
}

HGLOBAL KxCopyGlobal(HGLOBAL source)
{
    SIZE_T size = GlobalSize(source);
    const void* from = GlobalLock(source);
    if (!from) return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    void* to = copy ? GlobalLock(copy) : nullptr;
    if (to) {
        memcpy(to, from, size);
        GlobalUnlock(copy);
    } else if (copy) {
        GlobalFree(copy);
        copy = nullptr;
    }
    GlobalUnlock(source);
    return copy;
}

}  // namespace

KxClipboardSnapshot KxSaveClipboard(HWND owner)
{
    KxClipboardSnapshot snapshot{nullptr, 0};
    if (!OpenClipboard(owner)) return snapshot;
    int available = CountClipboardFormats();
    if (available > 0) snapshot.formats = (KxClipboardFormat*)malloc(sizeof(KxClipboardFormat) * available);
    for (UINT format = 0; snapshot.formats && snapshot.count < available && (format = EnumClipboardFormats(format));) {
        if (!KxIsMemoryFormat(format)) continue;
        HANDLE data = GetClipboardData(format);
        HGLOBAL copy = data ? KxCopyGlobal((HGLOBAL)data) : nullptr;
        if (copy) snapshot.formats[snapshot.count++] = {format, copy};
    }
    CloseClipboard();
    return snapshot;
}

void KxRestoreClipboard(HWND owner, KxClipboardSnapshot& snapshot)
{
    if (OpenClipboard(owner)) {
        EmptyClipboard();
        for (int i = 0; i < snapshot.count; ++i) {
            // The clipboard owns a block once it is accepted.
            if (SetClipboardData(snapshot.formats[i].format, snapshot.formats[i].copy)) snapshot.formats[i].copy = nullptr;
        }
        CloseClipboard();
    }
    for (int i = 0; i < snapshot.count; ++i)
        if (snapshot.formats[i].copy) GlobalFree(snapshot.formats[i].copy);
    free(snapshot.formats);
    snapshot = {nullptr, 0};
}

int KxReadClipboardText(HWND owner, wchar_t* out, int capacity)
{
    out[0] = L'\0';
    if (!OpenClipboard(owner)) return 0;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* text = data ? (const wchar_t*)GlobalLock((HGLOBAL)data) : nullptr;
    if (text) {
        // The block's own size bounds the read, whether or not the text is terminated inside it.
        SIZE_T chars = GlobalSize((HGLOBAL)data) / sizeof(wchar_t);
        int length = 0;
        while (length < capacity - 1 && (SIZE_T)length < chars && text[length]) {
            out[length] = text[length];
            length++;
        }
        out[length] = L'\0';
        GlobalUnlock((HGLOBAL)data);
    }
    CloseClipboard();
    return out[0] != L'\0';
}
