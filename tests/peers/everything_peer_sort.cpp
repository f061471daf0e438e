#include "peers/everything_peer_sort.h"

#include <algorithm>

namespace {

enum KxtPeerSortKey { KXT_PEER_SORT_NAME, KXT_PEER_SORT_PATH, KXT_PEER_SORT_SIZE, KXT_PEER_SORT_DATE_MODIFIED };

struct KxtPeerSortOrder {
    uint32_t sortType;
    KxtPeerSortKey key;
    bool descending;
};

const KxtPeerSortOrder kKxtPeerSortOrders[] = {
    {1, KXT_PEER_SORT_NAME, false},           {2, KXT_PEER_SORT_NAME, true},
    {3, KXT_PEER_SORT_PATH, false},           {4, KXT_PEER_SORT_PATH, true},
    {5, KXT_PEER_SORT_SIZE, false},           {6, KXT_PEER_SORT_SIZE, true},
    {13, KXT_PEER_SORT_DATE_MODIFIED, false}, {14, KXT_PEER_SORT_DATE_MODIFIED, true},
};

template <typename Value>
int KxtPeerCompareValues(const Value& a, const Value& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int KxtPeerCompareByName(const KxtPeerEntry& a, const KxtPeerEntry& b)
{
    int order = KxtPeerFoldedName(a).compare(KxtPeerFoldedName(b));
    if (order != 0) return order;
    order = a.foldedPath.compare(b.foldedPath);
    return order != 0 ? order : a.path.compare(b.path);
}

// Everything's path order: by the containing folder, then by name.
int KxtPeerCompareByPath(const KxtPeerEntry& a, const KxtPeerEntry& b)
{
    int order = KxtPeerFoldedFolder(a).compare(KxtPeerFoldedFolder(b));
    return order != 0 ? order : KxtPeerCompareByName(a, b);
}

int KxtPeerCompareByKey(const KxtPeerEntry& a, const KxtPeerEntry& b, KxtPeerSortKey key)
{
    int order = 0;
    switch (key) {
        case KXT_PEER_SORT_NAME:
            break;
        case KXT_PEER_SORT_PATH:
            return KxtPeerCompareByPath(a, b);
        case KXT_PEER_SORT_SIZE:
            order = KxtPeerCompareValues(a.size, b.size);
            break;
        case KXT_PEER_SORT_DATE_MODIFIED:
            order = KxtPeerCompareValues(a.lastWrite, b.lastWrite);
            break;
    }
    return order != 0 ? order : KxtPeerCompareByName(a, b);
}

}  // namespace

void KxtPeerSortHits(std::vector<const KxtPeerEntry*>& hits, uint32_t sortType, size_t needed)
{
    KxtPeerSortOrder order{1, KXT_PEER_SORT_NAME, false};
    for (const KxtPeerSortOrder& known : kKxtPeerSortOrders)
        if (known.sortType == sortType) order = known;
    auto before = [&order](const KxtPeerEntry* a, const KxtPeerEntry* b) {
        int compared = KxtPeerCompareByKey(*a, *b, order.key);
        return order.descending ? compared > 0 : compared < 0;
    };
    if (needed >= hits.size()) {
        std::sort(hits.begin(), hits.end(), before);
    } else {
        std::partial_sort(hits.begin(), hits.begin() + needed, hits.end(), before);
    }
}
