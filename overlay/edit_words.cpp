#include "overlay/edit_words.h"

#include <wchar.h>
#include <wctype.h>

namespace {

constexpr int KX_EDIT_TEXT_CHARS = 1024;

}  // namespace

int KxPreviousWordStart(const wchar_t* text, int caret)
{
    int length = (int)wcsnlen(text, KX_EDIT_TEXT_CHARS - 1);
    int position = caret < length ? caret : length;
    if (position < 0) return 0;
    while (position > 0 && iswspace(text[position - 1])) --position;
    while (position > 0 && !iswspace(text[position - 1])) --position;
    return position;
}

void KxDeletePreviousWord(HWND edit)
{
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    if (start != end) {
        SendMessageW(edit, WM_CLEAR, 0, 0);
        return;
    }
    if (end == 0) return;
    wchar_t text[KX_EDIT_TEXT_CHARS];
    GetWindowTextW(edit, text, KX_EDIT_TEXT_CHARS);
    // Only the first 1023 characters are read; a caret beyond them deletes back from there.
    int caret = end < KX_EDIT_TEXT_CHARS - 1 ? (int)end : KX_EDIT_TEXT_CHARS - 1;
    SendMessageW(edit, EM_SETSEL, KxPreviousWordStart(text, caret), caret);
    SendMessageW(edit, WM_CLEAR, 0, 0);
}
