#include "peers/everything_peer_reply.h"

#include <stddef.h>
#include <string.h>

namespace {

struct KxtPeerMalformationName {
    const wchar_t* name;
    KxtPeerMalformation kind;
};

const KxtPeerMalformationName kKxtPeerMalformationNames[] = {
    {L"short", KXT_PEER_MALFORMED_SHORT},
    {L"empty", KXT_PEER_MALFORMED_EMPTY},
    {L"numitems-overflow", KXT_PEER_MALFORMED_NUMITEMS_OVERFLOW},
    {L"offset-outside", KXT_PEER_MALFORMED_OFFSET_OUTSIDE},
    {L"offset-huge", KXT_PEER_MALFORMED_OFFSET_HUGE},
    {L"length-outside", KXT_PEER_MALFORMED_LENGTH_OUTSIDE},
    {L"length-huge", KXT_PEER_MALFORMED_LENGTH_HUGE},
    {L"no-request-flags", KXT_PEER_MALFORMED_NO_REQUEST_FLAGS},
    {L"wrong-dwdata", KXT_PEER_MALFORMED_WRONG_DWDATA},
};

constexpr size_t KXT_PEER_LIST_ITEM_COUNT_AT = offsetof(KxtPeerList2, itemCount);
constexpr size_t KXT_PEER_LIST_REQUEST_FLAGS_AT = offsetof(KxtPeerList2, requestFlags);

void KxtPeerPut32(std::vector<unsigned char>& block, size_t at, uint32_t value)
{
    memcpy(block.data() + at, &value, sizeof value);
}

uint32_t KxtPeerGet32(const std::vector<unsigned char>& block, size_t at)
{
    uint32_t value;
    memcpy(&value, block.data() + at, sizeof value);
    return value;
}

void KxtPeerAppend(std::vector<unsigned char>& block, const void* data, size_t size)
{
    size_t at = block.size();
    block.resize(at + size);
    memcpy(block.data() + at, data, size);
}

size_t KxtPeerItemAt(size_t index)
{
    return sizeof(KxtPeerList2) + index * sizeof(KxtPeerItem2);
}

// Corrupts the middle item of a list built by KxtPeerBuildList.
void KxtPeerCorruptMiddleItem(std::vector<unsigned char>& block, KxtPeerMalformation kind)
{
    uint32_t count = KxtPeerGet32(block, KXT_PEER_LIST_ITEM_COUNT_AT);
    if (count == 0) return;
    size_t offsetAt = KxtPeerItemAt(count / 2) + offsetof(KxtPeerItem2, dataOffset);
    uint32_t dataOffset = KxtPeerGet32(block, offsetAt);
    uint32_t blockSize = (uint32_t)block.size();
    // Without paths in the data there is no length to corrupt.
    bool hasPaths = (KxtPeerGet32(block, KXT_PEER_LIST_REQUEST_FLAGS_AT) & KXT_PEER_REQUEST_FULL_PATH) != 0;
    switch (kind) {
        case KXT_PEER_MALFORMED_OFFSET_OUTSIDE:
            KxtPeerPut32(block, offsetAt, blockSize);
            break;
        case KXT_PEER_MALFORMED_OFFSET_HUGE:
            KxtPeerPut32(block, offsetAt, 0xFFFFFFFEu);
            break;
        case KXT_PEER_MALFORMED_LENGTH_OUTSIDE:
            if (hasPaths) KxtPeerPut32(block, dataOffset, (blockSize - dataOffset - 4) / 2 + 1);
            break;
        case KXT_PEER_MALFORMED_LENGTH_HUGE:
            if (hasPaths) KxtPeerPut32(block, dataOffset, 0x7FFFFFFFu);
            break;
        default:
            break;
    }
}

}  // namespace

bool KxtPeerParseMalformation(const std::wstring& name, KxtPeerMalformation& kind)
{
    for (const KxtPeerMalformationName& known : kKxtPeerMalformationNames) {
        if (name == known.name) {
            kind = known.kind;
            return true;
        }
    }
    return false;
}

std::vector<unsigned char> KxtPeerBuildList(const std::vector<const KxtPeerEntry*>& items, uint32_t totalItems,
                                            uint32_t offset, uint32_t requestFlags, uint32_t sortType)
{
    uint32_t delivered = requestFlags & KXT_PEER_SUPPORTED_REQUESTS;
    KxtPeerList2 header{totalItems, (uint32_t)items.size(), offset, delivered, sortType};
    std::vector<unsigned char> block;
    KxtPeerAppend(block, &header, sizeof header);
    block.resize(KxtPeerItemAt(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        const KxtPeerEntry& entry = *items[i];
        KxtPeerItem2 item{entry.isFolder ? KXT_PEER_ITEM_FOLDER : 0u, (uint32_t)block.size()};
        memcpy(block.data() + KxtPeerItemAt(i), &item, sizeof item);
        if (delivered & KXT_PEER_REQUEST_FULL_PATH) {
            uint32_t length = (uint32_t)entry.path.size();
            KxtPeerAppend(block, &length, sizeof length);
            KxtPeerAppend(block, entry.path.c_str(), (entry.path.size() + 1) * sizeof(wchar_t));
        }
        if (delivered & KXT_PEER_REQUEST_SIZE) KxtPeerAppend(block, &entry.size, sizeof entry.size);
        if (delivered & KXT_PEER_REQUEST_DATE_MODIFIED) KxtPeerAppend(block, &entry.lastWrite, sizeof entry.lastWrite);
    }
    return block;
}

KxtPeerReply KxtPeerMakeReply(const KxtPeerQuery2& query, const std::vector<const KxtPeerEntry*>& items,
                              uint32_t totalItems, KxtPeerMalformation kind)
{
    bool noData = kind == KXT_PEER_MALFORMED_NO_REQUEST_FLAGS;
    KxtPeerReply reply{query.replyMessage, KxtPeerBuildList(items, totalItems, query.offset,
                                                            noData ? 0 : query.requestFlags, query.sortType)};
    switch (kind) {
        case KXT_PEER_MALFORMED_SHORT:
            reply.block.resize(12);
            break;
        case KXT_PEER_MALFORMED_EMPTY:
            reply.block.clear();
            break;
        case KXT_PEER_MALFORMED_NUMITEMS_OVERFLOW:
            KxtPeerPut32(reply.block, KXT_PEER_LIST_ITEM_COUNT_AT, 0x20000001u);
            break;
        case KXT_PEER_MALFORMED_WRONG_DWDATA:
            reply.message = query.replyMessage + 1;
            break;
        default:
            KxtPeerCorruptMiddleItem(reply.block, kind);
            break;
    }
    return reply;
}
