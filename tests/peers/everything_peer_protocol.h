#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>

// Everything's window-message query records as they travel: little-endian 32-bit fields, no padding.

constexpr uint32_t KXT_PEER_COPYDATA_QUERY2W = 18;
// Sent to the peer's window: answers with the microseconds of its own work since the last such message.
constexpr uint32_t KXT_PEER_TAKE_WORK_TIME = 0x8002;  // WM_APP + 2
constexpr const wchar_t* KXT_PEER_DEFAULT_CLASS = L"EVERYTHING_TASKBAR_NOTIFICATION";

constexpr uint32_t KXT_PEER_REQUEST_FULL_PATH = 0x4;
constexpr uint32_t KXT_PEER_REQUEST_SIZE = 0x10;
constexpr uint32_t KXT_PEER_REQUEST_DATE_MODIFIED = 0x40;
// The only kinds of item data this peer can deliver; other requested bits are left out of the reply's header.
constexpr uint32_t KXT_PEER_SUPPORTED_REQUESTS =
    KXT_PEER_REQUEST_FULL_PATH | KXT_PEER_REQUEST_SIZE | KXT_PEER_REQUEST_DATE_MODIFIED;

constexpr uint32_t KXT_PEER_ITEM_FOLDER = 0x1;

struct KxtPeerQuery2 {
    uint32_t replyWindow;
    uint32_t replyMessage;
    uint32_t searchFlags;
    uint32_t offset;
    uint32_t maxResults;
    uint32_t requestFlags;
    uint32_t sortType;
};
static_assert(sizeof(KxtPeerQuery2) == 28);

struct KxtPeerList2 {
    uint32_t totalItems;
    uint32_t itemCount;
    uint32_t offset;
    uint32_t requestFlags;
    uint32_t sortType;
};
static_assert(sizeof(KxtPeerList2) == 20);

struct KxtPeerItem2 {
    uint32_t flags;
    uint32_t dataOffset;  // from the start of the list
};
static_assert(sizeof(KxtPeerItem2) == 8);

// One received query: its record and the search string that follows it.
struct KxtPeerQuery {
    KxtPeerQuery2 record;
    std::wstring search;
};

// False for a block too short for the record or whose search string has no terminator inside the block.
bool KxtPeerDecodeQuery(const void* data, size_t size, KxtPeerQuery& query);

// The record file's line for a query, or "bad query" for null; without line end.
std::wstring KxtPeerFormatQueryLine(const KxtPeerQuery* query);
