#pragma once
#include <string>
#include <vector>

#include "peers/everything_peer_filters.h"
#include "peers/everything_peer_index.h"

// The part of Everything's search syntax that the plug-in produces: words (AND), "|" (OR, binding tighter
// than AND), a leading "!" (NOT), "<" ">" groups, double quotes keeping text together, and the functions
// file:, folder:, path:, filter: and ext:. Everything else is an ordinary word.

enum KxtPeerTermKind {
    KXT_PEER_ALL,            // children all match (no children: matches everything)
    KXT_PEER_ANY,            // one of the children matches
    KXT_PEER_NOT,            // the single child does not match
    KXT_PEER_NAME_CONTAINS,  // a plain word
    KXT_PEER_PATH_CONTAINS,  // a word with a backslash, or path:
    KXT_PEER_PATH_BEGINS,    // a drive root such as C:\ (a full path can only begin with one)
    KXT_PEER_FILES_ONLY,
    KXT_PEER_FOLDERS_ONLY,
    KXT_PEER_EXTENSION_IN,
    KXT_PEER_NOTHING,  // an unknown filter, or nesting beyond what the parser follows
};

struct KxtPeerTerm {
    KxtPeerTermKind kind;
    std::wstring text;                     // folded
    std::vector<std::wstring> extensions;  // folded, without dots
    std::vector<int> children;             // indexes into the search's terms
};

struct KxtPeerSearch {
    std::vector<KxtPeerTerm> terms;
    int root;
};

KxtPeerSearch KxtPeerParseSearch(const std::wstring& search, const std::vector<KxtPeerFilter>& filters);
bool KxtPeerMatches(const KxtPeerSearch& search, const KxtPeerEntry& entry);
