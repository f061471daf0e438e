#include "core/clipboard_snapshot.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Families of formats that Windows synthesizes from one another.
enum KxFormatFamily { KX_FAMILY_NONE, KX_FAMILY_TEXT, KX_FAMILY_BITMAP, KX_FAMILY_METAFILE };

struct KxFormatRule {
    UINT format;
    KxFormatFamily family;
    bool copyable;  // a memory block, or an enhanced metafile
};

const KxFormatRule kFormatRules[] = {
    {CF_UNICODETEXT, KX_FAMILY_TEXT, true},       {CF_TEXT, KX_FAMILY_TEXT, true},
    {CF_OEMTEXT, KX_FAMILY_TEXT, true},           {CF_DIB, KX_FAMILY_BITMAP, true},
    {CF_DIBV5, KX_FAMILY_BITMAP, true},           {CF_BITMAP, KX_FAMILY_BITMAP, false},
    {CF_PALETTE, KX_FAMILY_BITMAP, false},        {CF_ENHMETAFILE, KX_FAMILY_METAFILE, true},
    {CF_METAFILEPICT, KX_FAMILY_METAFILE, false}, {CF_OWNERDISPLAY, KX_FAMILY_NONE, false},
    {CF_DSPBITMAP, KX_FAMILY_NONE, false},        {CF_DSPMETAFILEPICT, KX_FAMILY_NONE, false},
    {CF_DSPENHMETAFILE, KX_FAMILY_NONE, false},
};

KxFormatRule KxRuleOf(UINT format)
{
    for (const KxFormatRule& rule : kFormatRules)
        if (rule.format == format) return rule;
    // GDI objects and private handles are not memory blocks; everything else (registered formats) is.
    bool handle = (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST) ||
                  (format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST);
    return {format, KX_FAMILY_NONE, !handle};
}

HANDLE KxCopyGlobal(HGLOBAL source)
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

HANDLE KxCopyFormat(UINT format)
{
    HANDLE data = GetClipboardData(format);
    if (!data) return nullptr;
    if (format == CF_ENHMETAFILE) return CopyEnhMetaFileW((HENHMETAFILE)data, nullptr);
    return KxCopyGlobal((HGLOBAL)data);
}

void KxFreeFormat(const KxClipboardFormat& saved)
{
    if (!saved.copy) return;
    if (saved.format == CF_ENHMETAFILE)
        DeleteEnhMetaFile((HENHMETAFILE)saved.copy);
    else
        GlobalFree((HGLOBAL)saved.copy);
}

int KxCopyKeptFormats(KxClipboardSnapshot& snapshot, const UINT* formats, const bool* keep, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!keep[i]) continue;
        HANDLE copy = KxCopyFormat(formats[i]);
        if (!copy) return 0;
        snapshot.formats[snapshot.count++] = {formats[i], copy};
    }
    return 1;
}

}  // namespace

// Another program may hold the clipboard open for a moment; wait a little, never long.
int KxOpenClipboardBriefly(HWND owner)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(owner)) return 1;
        Sleep(10);
    }
    return 0;
}

int KxChooseClipboardFormats(const UINT* formats, int count, bool* keep)
{
    bool familyKept[4] = {};
    for (int i = 0; i < count; ++i) {
        KxFormatRule rule = KxRuleOf(formats[i]);
        keep[i] = rule.copyable && !(rule.family != KX_FAMILY_NONE && familyKept[rule.family]);
        if (keep[i] && rule.family != KX_FAMILY_NONE) familyKept[rule.family] = true;
    }
    for (int i = 0; i < count; ++i) {
        KxFormatRule rule = KxRuleOf(formats[i]);
        if (!rule.copyable && (rule.family == KX_FAMILY_NONE || !familyKept[rule.family])) return 0;
    }
    return 1;
}

int KxSaveClipboard(HWND owner, KxClipboardSnapshot& snapshot)
{
    snapshot = {nullptr, 0};
    if (!KxOpenClipboardBriefly(owner)) return 0;
    int available = CountClipboardFormats();
    UINT* formats = available > 0 ? (UINT*)malloc(sizeof(UINT) * available) : nullptr;
    bool* keep = available > 0 ? (bool*)malloc(sizeof(bool) * available) : nullptr;
    snapshot.formats = available > 0 ? (KxClipboardFormat*)malloc(sizeof(KxClipboardFormat) * available) : nullptr;
    int ok = available == 0 || (formats && keep && snapshot.formats);
    int listed = 0;
    for (UINT format = 0; ok && listed < available && (format = EnumClipboardFormats(format));)
        formats[listed++] = format;
    ok = ok && KxChooseClipboardFormats(formats, listed, keep) && KxCopyKeptFormats(snapshot, formats, keep, listed);
    CloseClipboard();
    free(keep);
    free(formats);
    if (!ok) KxFreeClipboardSnapshot(snapshot);
    return ok;
}

void KxRestoreClipboard(HWND owner, KxClipboardSnapshot& snapshot)
{
    if (KxOpenClipboardBriefly(owner)) {
        EmptyClipboard();
        for (int i = 0; i < snapshot.count; ++i) {
            // The clipboard owns a copy once it is accepted.
            if (SetClipboardData(snapshot.formats[i].format, snapshot.formats[i].copy))
                snapshot.formats[i].copy = nullptr;
        }
        CloseClipboard();
    }
    KxFreeClipboardSnapshot(snapshot);
}

void KxFreeClipboardSnapshot(KxClipboardSnapshot& snapshot)
{
    for (int i = 0; i < snapshot.count; ++i) KxFreeFormat(snapshot.formats[i]);
    free(snapshot.formats);
    snapshot = {nullptr, 0};
}

int KxReadClipboardText(HWND owner, wchar_t* out, int capacity)
{
    out[0] = L'\0';
    if (!KxOpenClipboardBriefly(owner)) return 0;
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

int KxIsClipboardOwnerHung()
{
    HWND owner = GetClipboardOwner();
    if (!owner || !IsWindow(owner)) return 0;
    DWORD_PTR result = 0;
    return !SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 500, &result);
}
