#pragma once
#include <stdint.h>

#include <vector>

#include "peers/everything_peer_index.h"

// Orders hits by Everything's sort number so that at least the first `needed` are in place: 1/2 name,
// 3/4 path, 5/6 size, 13/14 date modified (odd ascending, even descending). Every other number falls back
// to name ascending, since this peer keeps no extension, type, attribute or other dates to sort by.
// Ties are broken by name, then path, so the order is total; descending is its exact reverse.
void KxtPeerSortHits(std::vector<const KxtPeerEntry*>& hits, uint32_t sortType, size_t needed);
