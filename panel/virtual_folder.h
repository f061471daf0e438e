#pragma once
#include <windows.h>

// Maps a virtual name as the host passes it (ANSI, "\<entry>" or "\<folder entry>\<path below it>") back
// to the real item. Returns 1 with the real path (KX_PATH_CHARS) and whether it is a folder; 0, leaving
// both untouched, when the name is not published or its sub-path could lead out of the published folder.
int KxResolveVirtualPath(const char* remoteName, wchar_t* realPath, int* isFolder);
