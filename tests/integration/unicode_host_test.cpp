#include <gtest/gtest.h>

#include "host/host_window.h"
#include "host/overlay_probe.h"
#include "host/plugin_loader.h"
#include "peers/everything_peer_launcher.h"
#include "support/test_support.h"

namespace {

typedef int(__stdcall* KxtGetFileWProc)(WCHAR*, WCHAR*, int, void*);
typedef int(__stdcall* KxtGetFileProc)(char*, char*, int, void*);
typedef BOOL(__stdcall* KxtDeleteFileWProc)(WCHAR*);
typedef BOOL(__stdcall* KxtDeleteFileProc)(char*);
typedef int(__stdcall* KxtValueWProc)(WCHAR*, int, int, void*, int, int);

}  // namespace

// The host publishes two look-alike names through the overlay and reaches each real file only through its
// own exact name; the 8-bit exports see the dotless i as '?', which reaches nothing.
TEST(UnicodeHost, LookAlikeNamesReachOnlyTheirOwnFilesThroughTheExports)
{
    KxtHost& host = KxtCreateHost();
    std::wstring folder = KxtPreparePluginFolder();
    std::wstring tree = folder + L"tree\\";
    ASSERT_TRUE(KxtCreateTree(tree, {{L"f\u0131le.txt", 18, 0}, {L"file.txt", 3, 0}}));
    KxtEverythingPeerOptions options;
    options.roots.push_back(tree);
    KxtEverythingPeer peer;
    ASSERT_TRUE(KxtStartEverythingPeer(options, peer));
    ASSERT_TRUE(KxtWriteConfig(folder, KxtLoggingConfig() + L"[Safety]\r\nAllowDelete=Y\r\n"));
    KxtPlugin plugin = KxtLoadPlugin(folder);
    ASSERT_NE(plugin.module, nullptr);
    ASSERT_TRUE(KxtWaitForHook(plugin));

    // One hit per search: Enter publishes the first, Ctrl+Enter adds the second.
    const std::pair<const wchar_t*, std::vector<WORD>> searches[] = {{L"\u0131le", {}}, {L"file", {VK_CONTROL}}};
    for (size_t i = 0; i < 2; ++i) {
        ASSERT_TRUE(KxtOpenOverlayByHotkey(host));
        KxtTypeText(searches[i].first);
        std::wstring summary = std::wstring(L"typed=\"") + searches[i].first + L"\" includeFolders=";
        ASSERT_TRUE(KxtWaitForLogLine(plugin.LogPath(), KxtUtf8(summary)));
        ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayRowCount() == 1; }));
        KxtPressChord(searches[i].second, VK_RETURN);
        ASSERT_TRUE(KxtWaitUntil([&] { return host.changeDirs.size() == i + 1; }));
        ASSERT_TRUE(KxtWaitForOverlayHidden());
    }
    KxtStopEverythingPeer(peer);

    EXPECT_EQ(KxtListPluginRoot<wchar_t>(plugin), (std::vector<std::wstring>{L"f\u0131le.txt", L"file.txt"}));
    std::vector<std::string> ansi = KxtListPluginRoot<char>(plugin);
    ASSERT_EQ(ansi.size(), 2u);
    EXPECT_NE(ansi[0], "file.txt") << "no look-alike letter";
    EXPECT_EQ(ansi[1], "file.txt");

    auto getFile = plugin.Get<KxtGetFileProc>("FsGetFile");
    auto getFileW = plugin.Get<KxtGetFileWProc>("FsGetFileW");
    std::wstring target = folder + L"copy.txt";
    EXPECT_EQ(getFile((char*)("\\" + ansi[0]).c_str(), (char*)KxtUtf8(target).c_str(), 0, nullptr), 2);
    EXPECT_FALSE(KxtFileExists(target));
    EXPECT_EQ(getFile((char*)"\\file.txt", (char*)KxtUtf8(target).c_str(), 0, nullptr), 0);
    EXPECT_EQ(KxtReadFileBytes(target).size(), 3u);
    EXPECT_EQ(getFileW((WCHAR*)L"\\f\u0131le.txt", (WCHAR*)target.c_str(), 1, nullptr), 0);
    EXPECT_EQ(KxtReadFileBytes(target).size(), 18u);

    wchar_t value[1024] = L"";
    EXPECT_EQ(plugin.Get<KxtValueWProc>("FsContentGetValueW")((WCHAR*)L"\\f\u0131le.txt", 0, 0, value, sizeof value, 0),
              11);
    EXPECT_EQ(value, tree + L"f\u0131le.txt");

    EXPECT_FALSE(plugin.Get<KxtDeleteFileProc>("FsDeleteFile")((char*)("\\" + ansi[0]).c_str()));
    EXPECT_TRUE(KxtFileExists(tree + L"f\u0131le.txt"));
    EXPECT_TRUE(plugin.Get<KxtDeleteFileWProc>("FsDeleteFileW")((WCHAR*)L"\\f\u0131le.txt"));
    EXPECT_FALSE(KxtFileExists(tree + L"f\u0131le.txt"));
    EXPECT_EQ(KxtReadFileBytes(tree + L"file.txt").size(), 3u) << "the look-alike is untouched";

    for (const char* name : {"FsInitW", "FsExecuteFileW", "ContentGetValueW"})
        EXPECT_NE(plugin.Export(name), nullptr) << name;
}
