#include "panel/ansi_text.h"

#include <string.h>
#include <wchar.h>

int KxAnsiToWide(const char* text, wchar_t* out, int capacity)
{
    if (capacity <= 0) return -1;
    out[0] = L'\0';
    if (!text) return 0;
    int bytes = (int)strnlen(text, KX_HOST_TEXT_BYTES_MAX + 1);
    if (bytes > KX_HOST_TEXT_BYTES_MAX) return -1;
    if (bytes == 0) return 0;
    int chars = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
    if (chars <= 0 || chars >= capacity) return -1;
    if (MultiByteToWideChar(CP_ACP, 0, text, bytes, out, chars) != chars) {
        out[0] = L'\0';
        return -1;
    }
    out[chars] = L'\0';
    return chars;
}

const wchar_t* KxHostTextToWide(const char* text, wchar_t* out)
{
    if (!text) return nullptr;
    KxAnsiToWide(text, out, KX_HOST_TEXT_CHARS);
    return out;
}

int KxWideToAnsi(const wchar_t* text, char* out, int capacity)
{
    if (capacity <= 0) return -1;
    out[0] = '\0';
    if (!text || !text[0]) return 0;
    int chars = (int)wcslen(text);
    int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, chars, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0 || bytes >= capacity) return -1;
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, chars, out, bytes, nullptr, nullptr) != bytes) {
        out[0] = '\0';
        return -1;
    }
    out[bytes] = '\0';
    return bytes;
}

void KxCopyAnsiCut(const char* text, char* out, int capacity)
{
    if (capacity <= 0) return;
    int length = 0;
    while (text[length]) {
        int width = IsDBCSLeadByte((BYTE)text[length]) && text[length + 1] ? 2 : 1;
        if (length + width > capacity - 1) break;
        length += width;
    }
    memcpy(out, text, (size_t)length);
    out[length] = '\0';
}

void KxCopyWideCut(const wchar_t* text, wchar_t* out, int capacity)
{
    if (capacity <= 0) return;
    int length = 0;
    while (text[length]) {
        int width = IS_HIGH_SURROGATE(text[length]) && IS_LOW_SURROGATE(text[length + 1]) ? 2 : 1;
        if (length + width > capacity - 1) break;
        length += width;
    }
    wmemcpy(out, text, (size_t)length);
    out[length] = L'\0';
}
