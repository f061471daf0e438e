#include "panel/ansi_text.h"

#include <string.h>

int KxAnsiToWide(const char* text, wchar_t* out, int capacity)
{
    if (capacity <= 0) return 0;
    out[0] = L'\0';
    if (!text) return 0;
    int bytes = (int)strnlen(text, KX_HOST_TEXT_BYTES_MAX);
    if (bytes == 0) return 0;
    int chars = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
    if (chars <= 0) return 0;
    if (chars < capacity) {
        chars = MultiByteToWideChar(CP_ACP, 0, text, bytes, out, chars);
        out[chars > 0 ? chars : 0] = L'\0';
        return chars > 0 ? chars : 0;
    }
    // Too long for out: convert all of it, then cut.
    wchar_t* whole = (wchar_t*)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)chars * sizeof(wchar_t));
    if (!whole) return 0;
    int converted = MultiByteToWideChar(CP_ACP, 0, text, bytes, whole, chars);
    int length = converted < capacity - 1 ? (converted > 0 ? converted : 0) : capacity - 1;
    memcpy(out, whole, (size_t)length * sizeof(wchar_t));
    out[length] = L'\0';
    HeapFree(GetProcessHeap(), 0, whole);
    return length;
}

int KxWideToAnsi(const wchar_t* text, char* out, int capacity)
{
    if (capacity <= 0) return 0;
    out[0] = '\0';
    if (!text || !text[0]) return 0;
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return 0;
    if (bytes <= capacity) {
        if (WideCharToMultiByte(CP_ACP, 0, text, -1, out, capacity, nullptr, nullptr) <= 0) out[0] = '\0';
        return (int)strlen(out);
    }
    // Too long for out: convert all of it, then cut.
    char* whole = (char*)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)bytes);
    if (!whole) return 0;
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, whole, bytes, nullptr, nullptr) > 0) lstrcpynA(out, whole, capacity);
    HeapFree(GetProcessHeap(), 0, whole);
    return (int)strlen(out);
}
