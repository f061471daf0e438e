#include "panel/published_set.h"

CRITICAL_SECTION g_publishedLock;
