#include "peers/everything_peer_index.h"

namespace {

constexpr int KXT_PEER_MAX_DEPTH = 64;

struct KxtPeerPendingFolder {
    std::wstring path;
    int depth;
};

bool KxtPeerIsDotEntry(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

}  // namespace

std::wstring KxtPeerFold(std::wstring_view text)
{
    std::wstring folded(text);
    if (!folded.empty()) CharLowerBuffW(folded.data(), (DWORD)folded.size());
    return folded;
}

std::wstring KxtPeerNormalizeRoot(const std::wstring& root)
{
    std::wstring normalized = root;
    while (normalized.size() > 1 && normalized.back() == L'\\') normalized.pop_back();
    if (normalized.size() == 2 && normalized[1] == L':') normalized.push_back(L'\\');
    return normalized;
}

KxtPeerEntry KxtPeerMakeEntry(const std::wstring& folder, const WIN32_FIND_DATAW& found)
{
    KxtPeerEntry entry;
    entry.path = folder;
    if (entry.path.empty() || entry.path.back() != L'\\') entry.path.push_back(L'\\');
    entry.nameStart = entry.path.size();
    entry.path.append(found.cFileName, wcsnlen(found.cFileName, MAX_PATH));
    entry.foldedPath = KxtPeerFold(entry.path);
    entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.size = entry.isFolder ? 0 : ((uint64_t)found.nFileSizeHigh << 32) | found.nFileSizeLow;
    entry.lastWrite = ((uint64_t)found.ftLastWriteTime.dwHighDateTime << 32) | found.ftLastWriteTime.dwLowDateTime;
    return entry;
}

void KxtPeerIndexTree(const std::wstring& root, std::vector<KxtPeerEntry>& entries, KxtPeerIndexStats& stats)
{
    std::vector<KxtPeerPendingFolder> pending{{KxtPeerNormalizeRoot(root), 0}};
    while (!pending.empty()) {
        KxtPeerPendingFolder folder = std::move(pending.back());
        pending.pop_back();
        std::wstring pattern = folder.path;
        if (pattern.back() != L'\\') pattern.push_back(L'\\');
        pattern.push_back(L'*');
        WIN32_FIND_DATAW found;
        // The basic level skips the short names, which the index never needs.
        HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH);
        if (search == INVALID_HANDLE_VALUE) {
            ++stats.unreadableFolders;
            continue;
        }
        do {
            if (KxtPeerIsDotEntry(found.cFileName)) continue;
            entries.push_back(KxtPeerMakeEntry(folder.path, found));
            const KxtPeerEntry& entry = entries.back();
            if (!entry.isFolder) {
                ++stats.files;
                continue;
            }
            ++stats.folders;
            bool enter =
                (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && folder.depth + 1 < KXT_PEER_MAX_DEPTH;
            if (enter) pending.push_back({entry.path, folder.depth + 1});
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
}
