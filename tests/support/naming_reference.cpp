#include "support/naming_reference.h"

#include <wchar.h>

namespace {

bool KxtNameTaken(const wchar_t* name, const KxPublishedEntry* entries, int count)
{
    for (int i = 0; i < count; ++i)
        if (_wcsicmp(entries[i].name, name) == 0) return true;
    return false;
}

}  // namespace

int KxtNameStraightforwardly(const wchar_t* baseName, const KxPublishedEntry* entries, int count, wchar_t* out,
                             int counterLimit)
{
    wchar_t candidate[300];
    lstrcpynW(candidate, baseName, 260);
    int counter = 1;
    while (KxtNameTaken(candidate, entries, count)) {
        if (++counter >= counterLimit) return 0;
        const wchar_t* dot = wcsrchr(baseName, L'.');
        if (dot && dot != baseName) {
            int stem = (int)(dot - baseName) < 240 ? (int)(dot - baseName) : 240;
            _snwprintf(candidate, 300, L"%.*ls (%d)%ls", stem, baseName, counter, dot);
        } else {
            _snwprintf(candidate, 300, L"%ls (%d)", baseName, counter);
        }
        candidate[259] = L'\0';
    }
    lstrcpynW(out, candidate, 300);
    return counter;
}
