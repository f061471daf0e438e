#include <gtest/gtest.h>

#include "component/panel_fixture.h"
#include "config/settings.h"
#include "panel/host_plugin_api.h"
#include "support/test_support.h"

namespace {

int KxtGet(const std::string& remote, const std::string& local, int flags)
{
    return FsGetFile((char*)remote.c_str(), (char*)local.c_str(), flags, nullptr);
}

}  // namespace

TEST_F(PublishedTreeFixture, FileOpCopiesRealFilesOutWithoutTouchingThem)
{
    std::string target = KxtUtf8(folder) + "copy.pdf";
    ASSERT_EQ(KxtGet("\\report (2).pdf", target, 0), FS_FILE_OK);
    EXPECT_EQ(KxtReadFileBytes(KxtWide(target)).size(), 7u) << "the real file of that entry";

    EXPECT_EQ(KxtGet("\\report.pdf", target, 0), FS_FILE_EXISTS) << "the host then asks before overwriting";
    EXPECT_EQ(LogCount("] FsGetFile: CopyFileW failed, GetLastError="), 1);
    EXPECT_EQ(KxtReadFileBytes(KxtWide(target)).size(), 7u);
    EXPECT_EQ(KxtGet("\\report.pdf", target, FS_COPYFLAGS_OVERWRITE), FS_FILE_OK);
    EXPECT_EQ(KxtReadFileBytes(KxtWide(target)).size(), 5000u);

    std::string moved = KxtUtf8(folder) + "b.jpg";
    EXPECT_EQ(KxtGet("\\Photos\\2024\\b.jpg", moved, FS_COPYFLAGS_MOVE), FS_FILE_OK);
    EXPECT_EQ(KxtReadFileBytes(KxtWide(moved)).size(), 10u);
    EXPECT_TRUE(KxtFileExists(tree + L"Photos\\2024\\b.jpg")) << "a move leaves the real source";

    EXPECT_EQ(KxtGet("\\Photos", target, 0), FS_FILE_NOTSUPPORTED);
    EXPECT_EQ(KxtGet("\\Photos\\2024", target, 0), FS_FILE_NOTSUPPORTED);
    EXPECT_EQ(KxtGet("\\report.pdf", KxtUtf8(folder) + "no\\such\\folder.pdf", 0), FS_FILE_READERROR);
    for (const char* remote : {"\\nosuch.pdf", "\\Photos\\..\\docs\\report.pdf"}) {
        EXPECT_EQ(KxtGet(remote, target, FS_COPYFLAGS_OVERWRITE), FS_FILE_NOTFOUND);
        EXPECT_EQ(LogCount(std::string("] FsGetFile: could not resolve ") + remote + " back to a real source path."),
                  1);
    }
    EXPECT_EQ(FsGetFile(nullptr, nullptr, 0, nullptr), FS_FILE_NOTFOUND);
    EXPECT_EQ(LogCount("] FsGetFile(RemoteName=\\report (2).pdf, LocalName=" + target + ", CopyFlags=0)"), 1);
}

TEST_F(PublishedTreeFixture, FileOpExecutesOnlyOpenAndProperties)
{
    for (const char* verb : {"OPEN", "Open", "Properties", "quote x", "chmod 644", "", (const char*)nullptr})
        EXPECT_EQ(FsExecuteFile(host->main, (char*)"\\nosuch", (char*)verb), FS_EXEC_YOURSELF)
            << (verb ? verb : "null");
    EXPECT_EQ(LogCount("could not resolve"), 0) << "other verbs are not even resolved";

    for (const char* verb : {"open", "properties"}) {
        EXPECT_EQ(FsExecuteFile(host->main, (char*)"\\nosuch", (char*)verb), FS_EXEC_ERROR);
        EXPECT_EQ(FsExecuteFile(host->main, (char*)"\\Photos\\..\\docs\\report.pdf", (char*)verb), FS_EXEC_ERROR);
    }
    EXPECT_EQ(LogCount("] FsExecuteFile: could not resolve \\nosuch back to a real source path."), 2);
    EXPECT_EQ(LogCount("] FsExecuteFile(RemoteName=\\nosuch, Verb=properties)"), 1);

    // A file nothing is associated with: the shell may refuse it, which must then be logged.
    ASSERT_TRUE(KxtWriteFileBytes(tree + L"Photos\\plain.kxnoassoc", "x"));
    int result = FsExecuteFile(host->main, (char*)"\\Photos\\plain.kxnoassoc", (char*)"open");
    EXPECT_TRUE(result == FS_EXEC_OK || result == FS_EXEC_ERROR);
    if (result == FS_EXEC_ERROR) {
        EXPECT_EQ(LogCount("] FsExecuteFile: ShellExecuteW failed, code="), 1);
    }
}

TEST_F(PublishedTreeFixture, FileOpDeletesOnlyWhenAllowedAndNeverFolders)
{
    EXPECT_FALSE(FsDeleteFile((char*)"\\report.pdf"));
    EXPECT_TRUE(KxtFileExists(tree + L"docs\\report.pdf"));
    EXPECT_EQ(LogCount("] FsDeleteFile(RemoteName=\\report.pdf) - refused: AllowDelete=N in Korvex.cfg (default)."), 1);

    g_settings.allowDelete = 1;
    ASSERT_TRUE(FsDeleteFile((char*)"\\report.pdf"));
    EXPECT_FALSE(KxtFileExists(tree + L"docs\\report.pdf"));
    EXPECT_EQ(KxtPublishedNames(), (std::vector<std::string>{"Photos", "report (2).pdf"})) << "later entries move up";
    EXPECT_EQ(LogCount("] FsDeleteFile: deleted real source file " + Ansi(L"docs\\report.pdf") + " (AllowDelete=Y)."),
              1);

    EXPECT_TRUE(FsDeleteFile((char*)"\\Photos\\2024\\b.jpg"));
    EXPECT_FALSE(KxtFileExists(tree + L"Photos\\2024\\b.jpg"));
    EXPECT_EQ(g_publishedCount, 2) << "a file inside a published folder is no entry";

    EXPECT_FALSE(FsDeleteFile((char*)"\\Photos"));
    EXPECT_FALSE(FsDeleteFile((char*)"\\Photos\\2024"));
    EXPECT_TRUE(KxtFileExists(tree + L"Photos\\2024\\c.jpg"));
    EXPECT_EQ(LogCount("] FsDeleteFile: refused - \\Photos resolved to a folder, not a file"), 1);
    EXPECT_FALSE(FsDeleteFile((char*)"\\Photos\\..\\other\\report.pdf"));
    EXPECT_FALSE(FsDeleteFile((char*)"\\report.pdf"));
    EXPECT_EQ(LogCount("] FsDeleteFile: could not resolve \\report.pdf back to a real source path."), 1);
    EXPECT_FALSE(FsDeleteFile((char*)"\\Photos\\gone.txt"));
    EXPECT_EQ(LogCount("] FsDeleteFile: DeleteFileW failed for " + Ansi(L"Photos\\gone.txt") + ", GetLastError=2"), 1);
    EXPECT_TRUE(KxtFileExists(tree + L"other\\report.pdf"));
}
