#include <gtest/gtest.h>

#include "host/host_window.h"
#include "host/plugin_loader.h"
#include "support/test_support.h"

TEST(AutoOpen, FsInitSendsTheHostBackAndOpensTheOverlay)
{
    KxtHost& host = KxtCreateHost();
    std::wstring folder = KxtPreparePluginFolder();
    ASSERT_TRUE(KxtWriteConfig(folder, KxtLoggingConfig()));
    KxtPlugin plugin = KxtLoadPlugin(folder);
    ASSERT_NE(plugin.module, nullptr);
    ASSERT_TRUE(KxtWaitForHook(plugin));

    auto fsInit = plugin.Get<KxtFsInitProc>("FsInit");
    EXPECT_EQ(fsInit(7, nullptr, nullptr, nullptr), 0);
    ASSERT_TRUE(KxtWaitForLogLine(plugin.LogPath(), "KxOpenOverlay: hotkey fired."));
    EXPECT_EQ(host.commands, std::vector<WPARAM>{570});

    std::vector<std::string> lines = KxtReadLogLines(plugin.LogPath());
    // FsInit's report of the post may land before or after the thread's first line.
    EXPECT_GE(KxtFindLine(lines, "FsInit: OK posting WM_KX_AUTOOPEN_OVERLAY to background thread (tid="), 0);
    const char* expectedOrder[] = {
        "FsInit(PluginNr=7) - WFX plugin reached.",
        "Background thread: WM_KX_AUTOOPEN_OVERLAY received - auto-opening the search box after a cold WFX-triggered "
        "load.",
        "KxTriggerGoToPreviousDir: sending cm_GotoPreviousDir (570) to TC's main window.",
        "KxOpenOverlay: hotkey fired.",
    };
    int previous = -1;
    for (const char* text : expectedOrder) {
        int index = KxtFindLine(lines, text);
        EXPECT_GT(index, previous) << text;
        previous = index;
    }
}

TEST(AutoOpen, WithoutAHostWindowTheSendIsSkippedAndTheOverlayGivesUp)
{
    std::wstring folder = KxtPreparePluginFolder();
    ASSERT_TRUE(KxtWriteConfig(folder, KxtLoggingConfig()));
    KxtPlugin plugin = KxtLoadPlugin(folder);
    ASSERT_NE(plugin.module, nullptr);
    ASSERT_TRUE(KxtWaitForHook(plugin));

    plugin.Get<KxtFsInitProc>("FsInit")(1, nullptr, nullptr, nullptr);
    ASSERT_TRUE(KxtWaitForLogLine(plugin.LogPath(), "KxOpenOverlay: TTOTAL_CMD window not found, aborting."));
    EXPECT_LT(KxtFindLine(KxtReadLogLines(plugin.LogPath()), "KxTriggerGoToPreviousDir"), 0);
}
