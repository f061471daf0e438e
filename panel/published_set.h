#pragma once
#include <windows.h>

// Guards the published result set, which the host's threads read.
extern CRITICAL_SECTION g_publishedLock;
