#include "peers/everything_peer_filters.h"

#include "peers/everything_peer_index.h"

namespace {

std::wstring KxtPeerWideFromUtf8(const std::string& utf8)
{
    if (utf8.empty()) return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), wide.data(), length);
    return wide;
}

}  // namespace

std::vector<KxtPeerFilter> KxtPeerParseFilterTable(const std::string& utf8)
{
    std::wstring text = KxtPeerWideFromUtf8(utf8);
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    std::vector<KxtPeerFilter> filters;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        size_t equals = line.find(L'=');
        if (equals == std::wstring::npos || equals == 0) continue;
        filters.push_back({line.substr(0, equals), line.substr(equals + 1)});
    }
    return filters;
}

const KxtPeerFilter* KxtPeerFindFilter(const std::vector<KxtPeerFilter>& filters, const std::wstring& name)
{
    std::wstring folded = KxtPeerFold(name);
    for (const KxtPeerFilter& filter : filters)
        if (KxtPeerFold(filter.name) == folded) return &filter;
    return nullptr;
}
