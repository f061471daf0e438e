#include <gtest/gtest.h>

#include "host/plugin_loader.h"
#include "support/test_support.h"

namespace {

typedef HANDLE(__stdcall* KxtFindFirstProc)(char*, WIN32_FIND_DATAA*);
typedef BOOL(__stdcall* KxtFindNextProc)(HANDLE, WIN32_FIND_DATAA*);
typedef int(__stdcall* KxtFindCloseProc)(HANDLE);

}  // namespace

// What the host sees on entering the plug-in's root before anything was published.
TEST(VirtualFolderHost, EmptyRootListsOnlyThePlaceholderThroughTheExports)
{
    std::wstring folder = KxtPreparePluginFolder();
    ASSERT_TRUE(KxtWriteConfig(folder, KxtLoggingConfig()));
    KxtPlugin plugin = KxtLoadPlugin(folder);
    ASSERT_NE(plugin.module, nullptr);
    // Start-up writes files; Wine aborts a process that ends while another thread is in the middle of that.
    ASSERT_TRUE(KxtWaitForHook(plugin));
    auto findFirst = plugin.Get<KxtFindFirstProc>("FsFindFirst");
    auto findNext = plugin.Get<KxtFindNextProc>("FsFindNext");
    auto findClose = plugin.Get<KxtFindCloseProc>("FsFindClose");
    ASSERT_TRUE(findFirst && findNext && findClose);

    WIN32_FIND_DATAA find;
    memset(&find, 0xCC, sizeof find);
    HANDLE handle = findFirst((char*)"\\", &find);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_NE(handle, nullptr);
    EXPECT_STREQ(find.cFileName, "Korvex is active.txt");
    EXPECT_EQ(find.dwFileAttributes, (DWORD)FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(find.nFileSizeLow | find.nFileSizeHigh, 0u);
    EXPECT_EQ(find.ftLastWriteTime.dwLowDateTime | find.ftLastWriteTime.dwHighDateTime, 0u) << "no date";
    EXPECT_EQ(find.cAlternateFileName[0], '\0');
    SetLastError(0);
    EXPECT_FALSE(findNext(handle, &find));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NO_MORE_FILES);
    EXPECT_EQ(findClose(handle), 0);

    // Any other path of an empty set is the folder placeholder, with its log line.
    handle = findFirst((char*)"\\Photos\\2024\\", &find);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(find.cFileName, "This folder could not be opened - go back to the root and re-run your search.txt");
    EXPECT_FALSE(findNext(handle, &find));
    EXPECT_EQ(findClose(handle), 0);
    EXPECT_TRUE(KxtWaitForLogLine(plugin.LogPath(),
                                  "FsFindFirst: could not resolve subpath \\Photos\\2024\\ to a real folder - showing "
                                  "placeholder instead."));
}
