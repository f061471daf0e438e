#pragma once
#include <windows.h>

#include "panel/published_set.h"

// Set by the first value call of either content family; from then on none of the field and value
// calls logs (the host calls them for every file it shows).
extern volatile LONG g_contentLogQuiet;

// 1 and a copy of the entry when the last component of fileName names a published entry.
int KxFindPublishedEntryByName(const wchar_t* fileName, KxPublishedEntry* entry);
