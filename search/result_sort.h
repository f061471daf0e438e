#pragma once
#include <windows.h>

#include "search/everything_client.h"

// Copies records with each path only up to its end: a whole record is 4 KB, most of it unused.
void KxCopyResults(KxResult* to, const KxResult* from, int count);

// Orders results by a column (numbered as KxCompareResults numbers them) and a direction, by the
// comparator's rule; results with equal keys keep their order. The keys are made once per result and
// indices are sorted, so each record moves once.
void KxSortResults(KxResult* results, int count, int column, bool descending);
