#pragma once
#include <windows.h>

// What the listing showed for an item: a published entry's stored size and date, or the real item's.
struct KxListedFacts {
    int known;  // 0 when the item does not exist
    ULONGLONG size;
    ULONGLONG lastWrite;  // FILETIME
};

// Maps a virtual name as the host passes it ("\<entry>" or "\<folder entry>\<path below it>") back to the
// real item. Returns 1 with the real path (KX_PATH_CHARS), whether it is a folder and, when asked, what a
// listing shows for it; 0, leaving the outputs untouched, when the name is not published, its sub-path
// could lead out of the published folder, or a path does not fit whole.
int KxResolveVirtualPath(const wchar_t* remoteName, wchar_t* realPath, int* isFolder, KxListedFacts* listed = nullptr);
