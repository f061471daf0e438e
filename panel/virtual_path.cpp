#include "panel/virtual_path.h"

#include <wchar.h>

namespace {

int KxIsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// A segment of dots and spaces with at least one dot: ".", "..", ". ", "... " and the like.
int KxIsDotSegment(const wchar_t* segment, int length)
{
    int dots = 0;
    for (int i = 0; i < length; ++i) {
        if (segment[i] == L'.') {
            dots++;
        } else if (segment[i] != L' ') {
            return 0;
        }
    }
    return dots > 0;
}

}  // namespace

void KxFormatEntryVirtualPath(const wchar_t* name, wchar_t* out, int capacity)
{
    if (capacity <= 0) return;
    _snwprintf(out, capacity, L"\\\\\\%ls\\%ls", KX_ROOT_NAME, name);
    out[capacity - 1] = L'\0';
}

int KxSplitVirtualPath(const wchar_t* path, KxVirtualPathParts* parts)
{
    parts->name[0] = L'\0';
    parts->rest = nullptr;
    if (!path || path[0] != L'\\') return 0;
    const wchar_t* name = path + 1;
    const wchar_t* end = wcschr(name, L'\\');
    int length = end ? (int)(end - name) : (int)wcslen(name);
    if (length == 0) return 0;
    if (length > KX_NAME_MAX_CHARS) return 0;
    wmemcpy(parts->name, name, length);
    parts->name[length] = L'\0';
    parts->rest = end ? end + 1 : nullptr;
    return 1;
}

int KxStripTrailingBackslashes(wchar_t* path)
{
    int length = (int)wcslen(path);
    while (length > 1 && path[length - 1] == L'\\') path[--length] = L'\0';
    return length;
}

int KxIsContainedSubPath(const wchar_t* subPath)
{
    if (!subPath) return 1;
    const wchar_t* segment = subPath;
    for (const wchar_t* p = subPath;; ++p) {
        if (*p != L'\0' && !KxIsSeparator(*p)) continue;
        if (KxIsDotSegment(segment, (int)(p - segment))) return 0;
        if (*p == L'\0') return 1;
        segment = p + 1;
    }
}

int KxJoinRealPath(const wchar_t* folder, const wchar_t* rest, wchar_t* out, int capacity)
{
    if (capacity <= 0) return 0;
    int length = (int)wcslen(folder);
    const wchar_t* separator = length > 0 && folder[length - 1] == L'\\' ? L"" : L"\\";
    int written = _snwprintf(out, capacity, L"%ls%ls%ls", folder, separator, rest ? rest : L"");
    if (written < 0 || written >= capacity) {
        out[0] = L'\0';
        return 0;
    }
    return 1;
}

int KxPrefixedPathForm(const wchar_t* path, int fromLength, wchar_t* out, int capacity)
{
    if (capacity <= 0) return 0;
    out[0] = L'\0';
    int length = (int)wcslen(path);
    const wchar_t* prefix = L"";
    const wchar_t* rest = path;
    if (length >= fromLength && wcsncmp(path, L"\\\\?\\", 4) != 0) {
        if (path[0] && path[1] == L':' && KxIsSeparator(path[2])) {
            prefix = L"\\\\?\\";
        } else if (KxIsSeparator(path[0]) && KxIsSeparator(path[1])) {
            prefix = L"\\\\?\\UNC\\";
            rest = path + 2;
        }
    }
    int written = _snwprintf(out, capacity, L"%ls%ls", prefix, rest);
    if (written < 0 || written >= capacity) {
        out[0] = L'\0';
        return 0;
    }
    if (prefix[0])
        for (wchar_t* c = out; *c; ++c)
            if (*c == L'/') *c = L'\\';
    return 1;
}

int KxLongPathForm(const wchar_t* path, wchar_t* out, int capacity)
{
    return KxPrefixedPathForm(path, MAX_PATH, out, capacity);
}
