#include "peers/everything_peer_query.h"

#include <wctype.h>

namespace {

// Deeper nesting (groups, negations, filters naming filters) matches nothing instead of recursing on.
constexpr int KXT_PEER_MAX_NESTING = 32;

enum KxtPeerTokenKind {
    KXT_PEER_TOKEN_WORD,
    KXT_PEER_TOKEN_OR,
    KXT_PEER_TOKEN_NOT,
    KXT_PEER_TOKEN_OPEN,
    KXT_PEER_TOKEN_CLOSE
};

struct KxtPeerToken {
    KxtPeerTokenKind kind;
    std::wstring text;  // quotes removed
    size_t plainLead;   // characters before the first quote: a function name must lie there
};

struct KxtPeerParser {
    std::vector<KxtPeerToken> tokens;
    size_t next;
    const std::vector<KxtPeerFilter>* filters;
    KxtPeerSearch* search;
};

struct KxtPeerFunction {
    const wchar_t* prefix;
    KxtPeerTermKind kind;
};

// filter: is handled apart, since it expands into a whole search.
const KxtPeerFunction kKxtPeerFunctions[] = {
    {L"file:", KXT_PEER_FILES_ONLY},
    {L"folder:", KXT_PEER_FOLDERS_ONLY},
    {L"path:", KXT_PEER_PATH_CONTAINS},
    {L"ext:", KXT_PEER_EXTENSION_IN},
};

std::vector<KxtPeerToken> KxtPeerTokenize(const std::wstring& search)
{
    std::vector<KxtPeerToken> tokens;
    KxtPeerToken word{KXT_PEER_TOKEN_WORD, L"", 0};
    bool inWord = false, quoted = false, sawQuote = false;
    auto endWord = [&] {
        if (!sawQuote) word.plainLead = word.text.size();
        if (inWord) tokens.push_back(word);
        word = {KXT_PEER_TOKEN_WORD, L"", 0};
        inWord = sawQuote = false;
    };
    for (wchar_t unit : search) {
        if (unit == L'"') {
            if (!sawQuote) word.plainLead = word.text.size();
            quoted = !quoted;
            inWord = sawQuote = true;
            continue;
        }
        if (quoted) {
            word.text.push_back(unit);
            continue;
        }
        if (unit == L' ' || unit == L'\t') {
            endWord();
        } else if (unit == L'|' || unit == L'<' || unit == L'>' || (unit == L'!' && !inWord)) {
            endWord();
            KxtPeerTokenKind kind = unit == L'|'   ? KXT_PEER_TOKEN_OR
                                    : unit == L'<' ? KXT_PEER_TOKEN_OPEN
                                    : unit == L'>' ? KXT_PEER_TOKEN_CLOSE
                                                   : KXT_PEER_TOKEN_NOT;
            tokens.push_back({kind, L"", 0});
        } else {
            word.text.push_back(unit);
            inWord = true;
        }
    }
    endWord();
    return tokens;
}

int KxtPeerAddTerm(KxtPeerParser& parser, KxtPeerTermKind kind, const std::wstring& text = L"")
{
    parser.search->terms.push_back({kind, KxtPeerFold(text), {}, {}});
    return (int)parser.search->terms.size() - 1;
}

int KxtPeerAddGroup(KxtPeerParser& parser, KxtPeerTermKind kind, std::vector<int> children)
{
    if (children.size() == 1 && kind != KXT_PEER_NOT) return children[0];
    int index = KxtPeerAddTerm(parser, kind);
    parser.search->terms[index].children = std::move(children);
    return index;
}

bool KxtPeerStartsWithFolded(const std::wstring& text, size_t plainLead, const wchar_t* prefix)
{
    size_t length = wcslen(prefix);
    if (plainLead < length) return false;
    for (size_t i = 0; i < length; ++i)
        if (towlower(text[i]) != prefix[i]) return false;
    return true;
}

bool KxtPeerIsDriveRoot(const std::wstring& text)
{
    return text.size() == 3 && iswalpha(text[0]) && text[1] == L':' && text[2] == L'\\';
}

int KxtPeerParseAll(KxtPeerParser& parser, int depth, bool inGroup);

int KxtPeerPlainWordTerm(KxtPeerParser& parser, const std::wstring& text)
{
    if (text.empty()) return KxtPeerAddTerm(parser, KXT_PEER_ALL);
    if (KxtPeerIsDriveRoot(text)) return KxtPeerAddTerm(parser, KXT_PEER_PATH_BEGINS, text);
    bool hasBackslash = text.find(L'\\') != std::wstring::npos;
    return KxtPeerAddTerm(parser, hasBackslash ? KXT_PEER_PATH_CONTAINS : KXT_PEER_NAME_CONTAINS, text);
}

int KxtPeerFilterTerm(KxtPeerParser& parser, const std::wstring& name, int depth)
{
    const KxtPeerFilter* filter = KxtPeerFindFilter(*parser.filters, name);
    if (filter == nullptr || depth >= KXT_PEER_MAX_NESTING) return KxtPeerAddTerm(parser, KXT_PEER_NOTHING);
    KxtPeerParser inner{KxtPeerTokenize(filter->search), 0, parser.filters, parser.search};
    return KxtPeerParseAll(inner, depth + 1, false);
}

int KxtPeerWordTerm(KxtPeerParser& parser, const KxtPeerToken& word, int depth)
{
    if (KxtPeerStartsWithFolded(word.text, word.plainLead, L"filter:"))
        return KxtPeerFilterTerm(parser, word.text.substr(7), depth);
    for (const KxtPeerFunction& function : kKxtPeerFunctions) {
        if (!KxtPeerStartsWithFolded(word.text, word.plainLead, function.prefix)) continue;
        std::wstring value = word.text.substr(wcslen(function.prefix));
        if (function.kind == KXT_PEER_PATH_CONTAINS) return KxtPeerAddTerm(parser, KXT_PEER_PATH_CONTAINS, value);
        if (function.kind == KXT_PEER_EXTENSION_IN) {
            int index = KxtPeerAddTerm(parser, KXT_PEER_EXTENSION_IN);
            std::wstring folded = KxtPeerFold(value);
            size_t start = 0;
            for (;;) {
                size_t end = folded.find(L';', start);
                parser.search->terms[index].extensions.push_back(folded.substr(start, end - start));
                if (end == std::wstring::npos) break;
                start = end + 1;
            }
            return index;
        }
        // file: and folder: alone restrict the kind; with a value they also need that word.
        int kind = KxtPeerAddTerm(parser, function.kind);
        if (value.empty()) return kind;
        return KxtPeerAddGroup(parser, KXT_PEER_ALL, {kind, KxtPeerPlainWordTerm(parser, value)});
    }
    return KxtPeerPlainWordTerm(parser, word.text);
}

int KxtPeerParseUnit(KxtPeerParser& parser, int depth)
{
    if (parser.next >= parser.tokens.size()) return KxtPeerAddTerm(parser, KXT_PEER_ALL);
    const KxtPeerToken& token = parser.tokens[parser.next++];
    if (depth >= KXT_PEER_MAX_NESTING) return KxtPeerAddTerm(parser, KXT_PEER_NOTHING);
    switch (token.kind) {
        case KXT_PEER_TOKEN_WORD:
            return KxtPeerWordTerm(parser, token, depth);
        case KXT_PEER_TOKEN_NOT:
            return KxtPeerAddGroup(parser, KXT_PEER_NOT, {KxtPeerParseUnit(parser, depth + 1)});
        case KXT_PEER_TOKEN_OPEN:
            return KxtPeerParseAll(parser, depth + 1, true);
        default:  // a stray "|" or ">" stands for nothing
            return KxtPeerAddTerm(parser, KXT_PEER_ALL);
    }
}

int KxtPeerParseAny(KxtPeerParser& parser, int depth)
{
    std::vector<int> choices{KxtPeerParseUnit(parser, depth)};
    while (parser.next < parser.tokens.size() && parser.tokens[parser.next].kind == KXT_PEER_TOKEN_OR) {
        ++parser.next;
        choices.push_back(KxtPeerParseUnit(parser, depth));
    }
    return KxtPeerAddGroup(parser, KXT_PEER_ANY, std::move(choices));
}

int KxtPeerParseAll(KxtPeerParser& parser, int depth, bool inGroup)
{
    std::vector<int> parts;
    while (parser.next < parser.tokens.size()) {
        if (parser.tokens[parser.next].kind == KXT_PEER_TOKEN_CLOSE) {
            ++parser.next;
            if (inGroup) break;
            continue;  // a ">" without its "<"
        }
        parts.push_back(KxtPeerParseAny(parser, depth));
    }
    if (parts.empty()) return KxtPeerAddTerm(parser, KXT_PEER_ALL);
    return KxtPeerAddGroup(parser, KXT_PEER_ALL, std::move(parts));
}

std::wstring_view KxtPeerFoldedExtension(const KxtPeerEntry& entry)
{
    std::wstring_view name = KxtPeerFoldedName(entry);
    size_t dot = name.rfind(L'.');
    return dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot + 1);
}

bool KxtPeerMatchesTerm(const KxtPeerSearch& search, int index, const KxtPeerEntry& entry)
{
    const KxtPeerTerm& term = search.terms[index];
    switch (term.kind) {
        case KXT_PEER_ALL:
            for (int child : term.children)
                if (!KxtPeerMatchesTerm(search, child, entry)) return false;
            return true;
        case KXT_PEER_ANY:
            for (int child : term.children)
                if (KxtPeerMatchesTerm(search, child, entry)) return true;
            return false;
        case KXT_PEER_NOT:
            return !KxtPeerMatchesTerm(search, term.children[0], entry);
        case KXT_PEER_NAME_CONTAINS:
            return KxtPeerFoldedName(entry).find(term.text) != std::wstring_view::npos;
        case KXT_PEER_PATH_CONTAINS:
            return entry.foldedPath.find(term.text) != std::wstring::npos;
        case KXT_PEER_PATH_BEGINS:
            return entry.foldedPath.compare(0, term.text.size(), term.text) == 0;
        case KXT_PEER_FILES_ONLY:
            return !entry.isFolder;
        case KXT_PEER_FOLDERS_ONLY:
            return entry.isFolder;
        case KXT_PEER_EXTENSION_IN: {
            std::wstring_view extension = KxtPeerFoldedExtension(entry);
            for (const std::wstring& wanted : term.extensions)
                if (extension == wanted) return true;
            return false;
        }
        case KXT_PEER_NOTHING:
            return false;
    }
    return false;
}

}  // namespace

KxtPeerSearch KxtPeerParseSearch(const std::wstring& search, const std::vector<KxtPeerFilter>& filters)
{
    KxtPeerSearch parsed{{}, 0};
    KxtPeerParser parser{KxtPeerTokenize(search), 0, &filters, &parsed};
    parsed.root = KxtPeerParseAll(parser, 0, false);
    return parsed;
}

bool KxtPeerMatches(const KxtPeerSearch& search, const KxtPeerEntry& entry)
{
    return KxtPeerMatchesTerm(search, search.root, entry);
}
