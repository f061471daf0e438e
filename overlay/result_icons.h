#pragma once
#include <windows.h>

#include "search/everything_client.h"

constexpr int KX_ICON_CACHE_ENTRIES = 128;
constexpr int KX_ICON_KEY_CHARS = 16;  // an extension of at most 15 characters

// The key a file's icon is cached under: the text from the last '.' of its name (at most 15
// characters), empty when there is none.
void KxIconKeyOf(const wchar_t* path, wchar_t* key);
// A small shell icon for the result; owned here, never destroyed by the caller. Null when the shell has none.
HICON KxGetResultIcon(const KxResult& result);
// The shell's small icon for a plain file, shown in the header strip.
HICON KxGetHeaderIcon();
