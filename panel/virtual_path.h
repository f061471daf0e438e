#pragma once
#include <windows.h>

#include "panel/published_set.h"
#include "search/everything_client.h"

// The virtual folder's path scheme: the host reaches it as \\\Korvex\ and passes the exports the part
// behind the root, "\" or "\<entry name>[\<path below a published folder>]".

constexpr const wchar_t KX_ROOT_NAME[] = L"Korvex";
// A host path in UTF-16: the host's own limit for paths it passes is 1023 characters.
constexpr int KX_HOST_PATH_CHARS = 1024;
// \\\Korvex\<entry name>.
constexpr int KX_ENTRY_PATH_CHARS = 400;

struct KxVirtualPathParts {
    wchar_t name[KX_PUBLISHED_NAME_CHARS];  // the entry name segment
    const wchar_t* rest;                    // what follows the backslash behind the name; null without one
};

// "\\\Korvex\<name>", cut at capacity - 1.
void KxFormatEntryVirtualPath(const wchar_t* name, wchar_t* out, int capacity);
// Splits "\name[\rest]"; 0 when path does not begin with a backslash, or the name segment is empty or longer
// than any entry name (a cut segment could match another entry).
int KxSplitVirtualPath(const wchar_t* path, KxVirtualPathParts* parts);
// Removes trailing backslashes but never the first character; returns the new length.
int KxStripTrailingBackslashes(wchar_t* path);
// 0 when a segment of the path below an entry could lead out of it: "." or "..", or any other segment of
// dots and spaces only, which Windows may read the same way; slashes separate segments as backslashes do.
int KxIsContainedSubPath(const wchar_t* subPath);
// "folder\rest" without doubling a backslash that folder ends with. Returns 0 (out empty) when it does not
// fit in capacity.
int KxJoinRealPath(const wchar_t* folder, const wchar_t* rest, wchar_t* out, int capacity);
// The form of a real path that Windows opens at any length, once it reaches MAX_PATH: "\\?\" before a drive
// path, "\\?\UNC\" in place of the two backslashes of a network path, slashes made backslashes. Shorter
// paths and other forms are copied as they are. Returns 0 (out empty) when the result does not fit.
int KxLongPathForm(const wchar_t* path, wchar_t* out, int capacity);
// The same form from fromLength characters on; from 0 it names a file whose name ends in a dot or a space
// exactly, which the plain form strips.
int KxPrefixedPathForm(const wchar_t* path, int fromLength, wchar_t* out, int capacity);
// Room for any real path in its long form.
constexpr int KX_LONG_PATH_CHARS = KX_PATH_CHARS + 8;
