#include "component/panel_fixture.h"

#include <algorithm>

#include "config/settings.h"
#include "core/log.h"
#include "panel/content_columns.h"
#include "panel/host_plugin_api.h"
#include "panel/published_index.h"
#include "peers/everything_peer_launcher.h"
#include "search/search_composition.h"
#include "support/test_support.h"

void PanelFixture::SetUp()
{
    // The library's attach notification does this in the product.
    static bool lockReady = (InitializeCriticalSection(&g_publishedLock), true);
    (void)lockReady;
    folder = KxtMakeTempFolder();
    lstrcpynW(g_logPath, LogPath().c_str(), 2048);
    g_loggingEnabled = 1;
    g_publishedCount = 0;
    ForgetGivenNames();
    g_settings.allowDelete = 0;
    g_contentLogQuiet = 0;
    host = &KxtCreateHost();
    host->changeDirs.clear();
}

void PanelFixture::ForgetGivenNames()
{
    if (g_nameHistory.pairs) memset(g_nameHistory.pairs, 0, (size_t)g_nameHistory.capacity * sizeof(KxNamePair));
    g_nameHistory.count = 0;
}

int PanelFixture::LogCount(const std::string& text) const
{
    return KxtCountLines(KxtReadLogLines(LogPath()), text);
}

void PanelFixture::SetResults(const std::vector<KxtHit>& hits)
{
    g_resultCount = 0;
    for (const KxtHit& hit : hits) {
        KxResult& result = g_results[g_resultCount++];
        lstrcpynW(result.path, hit.path.c_str(), KX_PATH_CHARS);
        result.size = hit.size;
        result.dateModified = hit.date;
        result.isFolder = hit.isFolder;
    }
}

void PanelFixture::Publish(const std::vector<KxtHit>& hits, const std::vector<int>* indices, int append)
{
    SetResults(hits);
    KxPublishResultsToWfx(host->main, indices ? indices->data() : nullptr, indices ? (int)indices->size() : 0, append);
}

void PublishedTreeFixture::SetUp()
{
    PanelFixture::SetUp();
    tree = folder + L"tree\\";
    ASSERT_TRUE(KxtCreateTree(tree, {{L"docs\\report.pdf", 5000, 0},
                                     {L"other\\report.pdf", 7, 0},
                                     {L"Photos\\a.jpg", 1234, KxtFileTimeOf(2023, 5, 6, 7, 8, 9)},
                                     {L"Photos\\.hidden", 1, 0},
                                     {L"Photos\\2024\\b.jpg", 10, 0},
                                     {L"Photos\\2024\\c.jpg", 20, 0},
                                     {L"Photos\\empty\\", 0, 0}}));
    ASSERT_TRUE(SetFileAttributesW((tree + L"Photos\\.hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    Publish({{tree + L"docs\\report.pdf", 5000, KXT_REPORT_DATE, 0},
             {tree + L"Photos", 0, KXT_PHOTOS_DATE, 1},
             {tree + L"other\\report.pdf", 7, KXT_REPORT_DATE + 1, 0}});
    ASSERT_EQ(KxtPublishedNames(), (std::vector<std::string>{"report.pdf", "Photos", "report (2).pdf"}));
}

std::string PublishedTreeFixture::Ansi(const std::wstring& relative) const
{
    return KxtUtf8(tree + relative);  // the temporary folder's path is plain ASCII
}

namespace {

template <typename FindData, typename Text>
std::vector<FindData> KxtList(HANDLE(__stdcall* findFirst)(Text*, FindData*),
                              BOOL(__stdcall* findNext)(HANDLE, FindData*), const Text* path)
{
    std::vector<FindData> entries;
    FindData find;
    HANDLE handle = findFirst((Text*)path, &find);
    if (handle == INVALID_HANDLE_VALUE) return entries;
    do entries.push_back(find);
    while (findNext(handle, &find));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NO_MORE_FILES);
    EXPECT_FALSE(findNext(handle, &find)) << "stays at its end";
    FsFindClose(handle);
    return entries;
}

}  // namespace

std::vector<WIN32_FIND_DATAA> KxtListVirtualFolder(const char* path)
{
    return KxtList(FsFindFirst, FsFindNext, path);
}

std::vector<WIN32_FIND_DATAW> KxtListVirtualFolder(const wchar_t* path)
{
    return KxtList(FsFindFirstW, FsFindNextW, path);
}

std::vector<std::string> KxtFileNames(const std::vector<WIN32_FIND_DATAA>& entries, bool sorted)
{
    std::vector<std::string> names;
    for (const WIN32_FIND_DATAA& entry : entries) names.push_back(entry.cFileName);
    if (sorted) std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> KxtPublishedNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < g_publishedCount; ++i) names.push_back(KxtUtf8(g_published[i].name));
    return names;
}

ULONGLONG KxtTimeOf(const FILETIME& time)
{
    return ((ULONGLONG)time.dwHighDateTime << 32) | time.dwLowDateTime;
}
