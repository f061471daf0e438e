#pragma once
#include <string>
#include <vector>

// A named search as the user defines it in Everything; "filter:"<name>"" in a search applies it.
struct KxtPeerFilter {
    std::wstring name;
    std::wstring search;
};

// Reads the filter table's text: UTF-8, one "name=search text" per line. Lines without '=' and
// lines with an empty name are skipped; a byte-order mark and CR line ends are allowed.
std::vector<KxtPeerFilter> KxtPeerParseFilterTable(const std::string& utf8);

// The first filter of that name, ignoring case, or null.
const KxtPeerFilter* KxtPeerFindFilter(const std::vector<KxtPeerFilter>& filters, const std::wstring& name);
