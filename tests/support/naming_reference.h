#pragma once
#include "panel/published_set.h"

// The counter's rule as plainly as it can be written: try the base name, then counters 2, 3, ..., comparing
// each candidate with every entry (names of at most 259 characters, stems of at most 240 before a counter). Returns the
// counter used (1 for the base name itself), or 0 when nothing below counterLimit was free.
int KxtNameStraightforwardly(const wchar_t* baseName, const KxPublishedEntry* entries, int count, wchar_t* out,
                             int counterLimit);
