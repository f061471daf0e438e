#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "peers/everything_peer_index.h"
#include "peers/everything_peer_protocol.h"

// Ways to break a reply on purpose, so that a client's checks meet each fault. The corrupted item is the
// middle one (index count / 2); a list without items cannot carry an item fault and goes out well-formed.
enum KxtPeerMalformation {
    KXT_PEER_WELL_FORMED,
    KXT_PEER_MALFORMED_SHORT,              // 12 bytes: less than the list header
    KXT_PEER_MALFORMED_EMPTY,              // no data at all (cbData 0, lpData null)
    KXT_PEER_MALFORMED_NUMITEMS_OVERFLOW,  // numitems 0x20000001: far past the items, and 8 x numitems wraps
    KXT_PEER_MALFORMED_OFFSET_OUTSIDE,     // one data_offset equal to cbData
    KXT_PEER_MALFORMED_OFFSET_HUGE,        // one data_offset of 0xFFFFFFFE, which wraps when 4 is added
    KXT_PEER_MALFORMED_LENGTH_OUTSIDE,     // one path length running one code unit past cbData
    KXT_PEER_MALFORMED_LENGTH_HUGE,        // one path length of 0x7FFFFFFF, whose byte count wraps
    KXT_PEER_MALFORMED_NO_REQUEST_FLAGS,   // header request_flags 0 and, consistently, no item data at all
    KXT_PEER_MALFORMED_WRONG_DWDATA,       // a well-formed list under reply_copydata_message + 1
};

// The switch's names ("short", "numitems-overflow", ...); false for an unknown name.
bool KxtPeerParseMalformation(const std::wstring& name, KxtPeerMalformation& kind);

struct KxtPeerReply {
    uint32_t message;                  // the COPYDATASTRUCT's dwData
    std::vector<unsigned char> block;  // sent as it is; empty goes out with a null lpData
};

// The list for the given items: header, one item record each, then each item's data in the order of the
// request bits (full path, size, date modified). Only those requested bits that the peer supports are
// delivered and reported in the header.
std::vector<unsigned char> KxtPeerBuildList(const std::vector<const KxtPeerEntry*>& items, uint32_t totalItems,
                                            uint32_t offset, uint32_t requestFlags, uint32_t sortType);

KxtPeerReply KxtPeerMakeReply(const KxtPeerQuery2& query, const std::vector<const KxtPeerEntry*>& items,
                              uint32_t totalItems, KxtPeerMalformation kind);
