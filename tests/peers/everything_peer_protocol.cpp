#include "peers/everything_peer_protocol.h"

#include <string.h>
#include <wchar.h>

bool KxtPeerDecodeQuery(const void* data, size_t size, KxtPeerQuery& query)
{
    if (data == nullptr || size < sizeof(KxtPeerQuery2)) return false;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    memcpy(&query.record, bytes, sizeof(KxtPeerQuery2));
    size_t units = (size - sizeof(KxtPeerQuery2)) / sizeof(wchar_t);
    query.search.clear();
    // Copied unit by unit: the block carries no alignment promise for the text.
    for (size_t i = 0; i < units; ++i) {
        wchar_t unit;
        memcpy(&unit, bytes + sizeof(KxtPeerQuery2) + i * sizeof(wchar_t), sizeof unit);
        if (unit == L'\0') return true;
        query.search.push_back(unit);
    }
    query.search.clear();
    return false;
}

std::wstring KxtPeerFormatQueryLine(const KxtPeerQuery* query)
{
    if (query == nullptr) return L"bad query";
    wchar_t head[128];
    _snwprintf(head, 128, L"max=%u offset=%u flags=0x%x sort=%u search=[", query->record.maxResults,
               query->record.offset, query->record.requestFlags, query->record.sortType);
    head[127] = L'\0';
    std::wstring line = head;
    // One query stays one line.
    for (wchar_t unit : query->search) line.push_back(unit < L' ' ? L'?' : unit);
    line.push_back(L']');
    return line;
}
