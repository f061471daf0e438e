#pragma once

// One search filter: its display name and Everything's search text for it.
struct KxFilter {
    wchar_t name[128];
    wchar_t search[512];
};
