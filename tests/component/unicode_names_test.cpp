#include <gtest/gtest.h>

#include "component/panel_fixture.h"
#include "config/settings.h"
#include "core/log.h"
#include "host/host_window.h"
#include "overlay/overlay_placement.h"
#include "panel/host_plugin_api.h"
#include "support/test_support.h"

namespace {

// A file written through the long form, with its folders, so that any length works.
bool KxtWriteLongFile(const std::wstring& path, const std::string& bytes)
{
    std::wstring extended = L"\\\\?\\" + path;
    for (size_t at = extended.find(L'\\', 7); at != std::wstring::npos; at = extended.find(L'\\', at + 1))
        CreateDirectoryW(extended.substr(0, at).c_str(), nullptr);
    HANDLE file = CreateFileW(extended.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool KxtLongFileExists(const std::wstring& path)
{
    return GetFileAttributesW((L"\\\\?\\" + path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string KxtReadLongFile(const std::wstring& path)
{
    return KxtReadFileBytes(L"\\\\?\\" + path);
}

// What the host passes with a copy: the listing's size and date of the entry.
template <typename FindData>
KxRemoteInfo KxtRemoteInfoOf(const FindData& find)
{
    return {find.nFileSizeLow, find.nFileSizeHigh, find.ftLastWriteTime, (int)find.dwFileAttributes};
}

std::string KxtAnsiOf(const std::wstring& text)
{
    char ansi[1024] = "";
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

// Names from several scripts, two that a best-fit conversion makes one, and a file 400 characters deep.
struct UnicodeSetFixture : PanelFixture {
    std::vector<std::wstring> names{L"日本語.txt", L"Ελληνικά.txt", L"fıle.txt", L"file.txt", L"łódź.txt", L"deep.txt"};
    std::vector<std::string> contents{"nihongo", "ellinika", "dotless i, eighteen", "abc", "lodz", "deep"};
    std::vector<std::wstring> paths;

    void SetUp() override
    {
        PanelFixture::SetUp();
        std::wstring tree = folder + L"u\\";
        std::vector<KxtHit> hits;
        for (size_t i = 0; i < names.size(); ++i) {
            std::wstring path = tree + names[i];
            if (names[i] == L"deep.txt") {
                std::wstring deep = tree + std::wstring(200, L'd') + L"\\";
                path = deep + std::wstring(400 - deep.size() - 9, L'e') + L"\\deep.txt";
                ASSERT_EQ(path.size(), 400u);
            }
            ASSERT_TRUE(KxtWriteLongFile(path, contents[i]));
            paths.push_back(path);
            hits.push_back({path, contents[i].size(), 133500000000000000ull + i, 0});
        }
        Publish(hits);
        ASSERT_EQ(g_publishedCount, (int)names.size());
    }
    int IndexOfFile(const std::wstring& path) const
    {
        for (size_t i = 0; i < paths.size(); ++i)
            if (paths[i] == path) return (int)i;
        return -1;
    }
};

}  // namespace

TEST_F(UnicodeSetFixture, UnicodeExportsListCopyAndDeleteTheExactFiles)
{
    std::vector<WIN32_FIND_DATAW> listed = KxtListVirtualFolder(L"\\");
    ASSERT_EQ(listed.size(), names.size());
    std::wstring out = folder + L"out\\";
    ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
    for (size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(std::wstring(listed[i].cFileName), names[i]);
        std::wstring remote = L"\\" + names[i];
        std::wstring target = out + names[i];
        KxRemoteInfo info = KxtRemoteInfoOf(listed[i]);
        ASSERT_EQ(FsGetFileW((WCHAR*)remote.c_str(), (WCHAR*)target.c_str(), 0, &info), FS_FILE_OK) << i;
        EXPECT_EQ(KxtReadFileBytes(target), contents[i]) << i;
        wchar_t value[KX_PATH_CHARS] = L"";
        EXPECT_EQ(FsContentGetValueW((WCHAR*)remote.c_str(), 0, 0, value, sizeof value, 0), ft_stringw);
        EXPECT_EQ(value, paths[i]);
        EXPECT_EQ(ContentGetValueW((WCHAR*)(L"C:\\any" + remote).c_str(), 1, 0, value, sizeof value, 0), ft_stringw);
        EXPECT_EQ(value, paths[i]);
    }
    wchar_t cut[4];
    EXPECT_EQ(ContentGetValueW((WCHAR*)L"\\日本語.txt", 0, 0, cut, sizeof cut, 0), ft_stringw);
    EXPECT_STREQ(cut, L"Act") << "cut to the host's buffer";

    EXPECT_EQ(FsExecuteFileW(host->main, (WCHAR*)L"\\fıle.txt", (WCHAR*)L"OPEN"), FS_EXEC_YOURSELF);
    EXPECT_EQ(FsExecuteFileW(host->main, (WCHAR*)L"\\f?le.txt", (WCHAR*)L"open"), FS_EXEC_ERROR);
    EXPECT_EQ(LogCount("] FsExecuteFile: could not resolve \\f?le.txt back to a real source path."), 1);

    g_settings.allowDelete = 1;
    ASSERT_TRUE(FsDeleteFileW((WCHAR*)L"\\fıle.txt"));
    EXPECT_FALSE(KxtFileExists(paths[2]));
    EXPECT_EQ(KxtReadFileBytes(paths[3]), "abc") << "the look-alike stays";
    ASSERT_TRUE(FsDeleteFileW((WCHAR*)L"\\DEEP.txt"));
    EXPECT_FALSE(KxtLongFileExists(paths[5]));
    EXPECT_EQ(g_publishedCount, 4);
}

TEST_F(UnicodeSetFixture, EightBitNamesResolveToTheirOwnFileOrToNothing)
{
    g_settings.allowDelete = 1;
    std::vector<WIN32_FIND_DATAA> listed = KxtListVirtualFolder("\\");
    ASSERT_EQ(listed.size(), names.size());
    EXPECT_STRNE(listed[2].cFileName, "file.txt") << "the dotless i is no i";
    std::string out = KxtUtf8(folder) + "out8-";
    for (size_t i = 0; i < listed.size(); ++i) {
        std::string name = listed[i].cFileName;
        EXPECT_EQ(name, KxtAnsiOf(names[i])) << "never a look-alike letter";
        // A name resolves only when it comes back as the very name it was listed for.
        wchar_t back[MAX_PATH] = L"";
        MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, back, MAX_PATH);
        bool own = names[i] == back;

        std::string remote = "\\" + name;
        std::string target = out + std::to_string(i);
        KxRemoteInfo info = KxtRemoteInfoOf(listed[i]);
        int copied = FsGetFile((char*)remote.c_str(), (char*)target.c_str(), 0, &info);
        EXPECT_EQ(copied, own ? FS_FILE_OK : FS_FILE_NOTFOUND) << name;
        if (own) {
            EXPECT_EQ(KxtReadFileBytes(KxtWide(target)), contents[i]);
        }
        char value[2048] = "x";
        FsContentGetValue((char*)remote.c_str(), 0, 0, value, sizeof value, 0);
        EXPECT_EQ(std::string(value), own ? KxtAnsiOf(paths[i]) : "") << name;
        EXPECT_EQ(FsDeleteFile((char*)remote.c_str()), own ? TRUE : FALSE) << name;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        wchar_t back[MAX_PATH] = L"";
        MultiByteToWideChar(CP_ACP, 0, KxtAnsiOf(names[i]).c_str(), -1, back, MAX_PATH);
        if (names[i] != back) {
            EXPECT_EQ(KxtReadLongFile(paths[i]), contents[i]) << "untouched: " << i;
        }
    }
}

TEST_F(PanelFixture, StaleListingNeverReachesTheNewSetsFile)
{
    std::wstring a = folder + L"a\\README.md";
    std::wstring b = folder + L"b\\README.md";
    ASSERT_TRUE(KxtWriteLongFile(a, "from a"));
    ASSERT_TRUE(KxtWriteLongFile(b, "from b, longer"));
    Publish({{a, 6, 1000, 0}});
    std::vector<WIN32_FIND_DATAA> old = KxtListVirtualFolder("\\");
    ASSERT_EQ(KxtFileNames(old), std::vector<std::string>{"README.md"});
    KxRemoteInfo stale = KxtRemoteInfoOf(old[0]);

    Publish({{b, 14, 2000, 0}});
    std::wstring target = folder + L"copy.md";
    EXPECT_EQ(FsGetFileW((WCHAR*)L"\\README.md", (WCHAR*)target.c_str(), 0, &stale), FS_FILE_NOTFOUND);
    EXPECT_EQ(FsGetFile((char*)"\\README.md", (char*)KxtUtf8(target).c_str(), 0, &stale), FS_FILE_NOTFOUND);
    EXPECT_FALSE(KxtFileExists(target));
    EXPECT_EQ(LogCount("] FsGetFile: \\README.md no longer has the size and date the host listed - not copied."), 2);
    KxRemoteInfo current = KxtRemoteInfoOf(KxtListVirtualFolder("\\")[0]);
    EXPECT_EQ(FsGetFileW((WCHAR*)L"\\README.md", (WCHAR*)target.c_str(), 0, &current), FS_FILE_OK);
    EXPECT_EQ(KxtReadFileBytes(target), "from b, longer");

    // With deletion allowed, the second set names B anew, and the old name reaches nothing.
    ForgetGivenNames();
    g_settings.allowDelete = 1;
    Publish({{a, 6, 1000, 0}});
    Publish({{b, 14, 2000, 0}});
    EXPECT_EQ(KxtPublishedNames(), std::vector<std::string>{"README (2).md"});
    EXPECT_FALSE(FsDeleteFile((char*)"\\README.md"));
    EXPECT_FALSE(FsDeleteFileW((WCHAR*)L"\\README.md"));
    EXPECT_EQ(KxtReadFileBytes(b), "from b, longer");
    Publish({{a, 6, 1000, 0}});
    EXPECT_EQ(KxtPublishedNames(), std::vector<std::string>{"README.md"}) << "a keeps its own name";

    // Off again, names are as the plain rule gives them.
    g_settings.allowDelete = 0;
    Publish({{b, 14, 2000, 0}});
    EXPECT_EQ(KxtPublishedNames(), std::vector<std::string>{"README.md"});
}

TEST_F(PanelFixture, OverlongPathsFailWithoutTouchingAnyFile)
{
    // A published folder whose victim.txt lies so deep that "\Photos\...\victim.txt" is 899 characters.
    std::wstring photos = folder + L"Photos";
    std::wstring below;
    while (below.size() + 250 < 880) below += std::wstring(249, L's') + L"\\";
    below += std::wstring(899 - 8 - 11 - below.size(), L't') + L"\\victim.txt";
    ASSERT_EQ(below.size() + 8, 899u);
    ASSERT_TRUE(KxtWriteLongFile(photos + L"\\" + below, "victim"));
    ASSERT_TRUE(KxtWriteLongFile(folder + L"source.txt", "source"));
    Publish({{photos, 0, 0, 1}, {folder + L"source.txt", 6, 0, 0}});
    g_settings.allowDelete = 1;

    std::wstring remote900 = L"\\Photos\\" + below + L".bak";
    std::wstring remote2100 = remote900 + std::wstring(2100 - remote900.size(), L'k');
    std::wstring target = folder + L"copy.txt";
    for (const std::wstring& remote : {remote900, remote2100}) {
        std::string ansi = KxtUtf8(remote);
        EXPECT_FALSE(FsDeleteFileW((WCHAR*)remote.c_str()));
        EXPECT_FALSE(FsDeleteFile((char*)ansi.c_str()));
        EXPECT_NE(FsGetFileW((WCHAR*)remote.c_str(), (WCHAR*)target.c_str(), 0, nullptr), FS_FILE_OK);
        EXPECT_NE(FsGetFile((char*)ansi.c_str(), (char*)KxtUtf8(target).c_str(), 0, nullptr), FS_FILE_OK);
    }
    EXPECT_EQ(KxtReadLongFile(photos + L"\\" + below), "victim");
    EXPECT_FALSE(KxtFileExists(target));

    // A target of 2,051 characters whose first 2,047 name an existing keep.txt.
    std::wstring keepFolder = folder + L"k\\";
    while (keepFolder.size() + 250 + 5 <= 2038) keepFolder += std::wstring(249, L'k') + L"\\";
    keepFolder += std::wstring(2047 - 9 - keepFolder.size(), L'q') + L"\\";
    std::wstring keep = keepFolder + L"keep.txt";
    ASSERT_EQ(keep.size(), 2047u);
    ASSERT_TRUE(KxtWriteLongFile(keep, "keep"));
    std::wstring longTarget = keep + L".new";
    for (int flags : {0, FS_COPYFLAGS_OVERWRITE}) {
        EXPECT_EQ(FsGetFileW((WCHAR*)L"\\source.txt", (WCHAR*)longTarget.c_str(), flags, nullptr), FS_FILE_WRITEERROR);
        EXPECT_EQ(FsGetFile((char*)"\\source.txt", (char*)KxtUtf8(longTarget).c_str(), flags, nullptr),
                  FS_FILE_WRITEERROR);
    }
    EXPECT_EQ(KxtReadLongFile(keep), "keep");
    EXPECT_EQ(LogCount("] FsGetFile: FAILED, the target path is empty or too long."), 4);
}

// A path with a lone surrogate has no UTF-8 form: the host is never sent to the path that replacing it
// would name.
TEST(HostChangeDir, APathWithoutAUtf8FormIsNotSent)
{
    std::wstring folder = KxtMakeTempFolder();
    lstrcpynW(g_logPath, (folder + L"Korvex.log").c_str(), 2048);
    g_loggingEnabled = 1;
    KxtHost& host = KxtCreateHost();
    const struct {
        const wchar_t* path;
        int sent;
    } cases[] = {
        {L"C:\\docs\\a\xD800.txt", 0},
        {L"C:\\docs\\\xDC00", 0},
        {L"C:\\docs\\\xD83D\xDE00.txt", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(KxSendHostChangeDir(host.main, c.path), c.sent) << KxtUtf8(c.path);
    ASSERT_EQ(host.changeDirs.size(), 1u);
    EXPECT_EQ(host.changeDirs[0].path, L"C:\\docs\\\xD83D\xDE00.txt");
    EXPECT_EQ(KxtCountLines(KxtReadLogLines(folder + L"Korvex.log"), "KxSendHostChangeDir: "), 2);
    g_loggingEnabled = 0;
}
