#include <gtest/gtest.h>

#include "host/host_window.h"
#include "host/overlay_probe.h"
#include "host/plugin_loader.h"
#include "support/test_support.h"

namespace {

const char kHotkeyFired[] = "KxOpenOverlay: hotkey fired.";

struct HotkeyFixture : ::testing::Test {
    KxtHost* host = nullptr;
    KxtPlugin plugin{};

    void Load(const std::wstring& extraDisplayLines = L"")
    {
        host = &KxtCreateHost();
        std::wstring folder = KxtPreparePluginFolder();
        ASSERT_TRUE(KxtWriteConfig(folder, KxtLoggingConfig(extraDisplayLines)));
        plugin = KxtLoadPlugin(folder);
        ASSERT_NE(plugin.module, nullptr);
        ASSERT_TRUE(KxtWaitForHook(plugin));
    }

    int FiredCount() const { return KxtCountLines(KxtReadLogLines(plugin.LogPath()), kHotkeyFired); }
    // The opened overlay takes the focus; the host gets it back so that its keys can be watched again.
    void ExpectOpenedAndRefocus(int firedCount)
    {
        ASSERT_TRUE(KxtWaitUntil([&] { return FiredCount() == firedCount; }));
        ASSERT_TRUE(KxtWaitForOverlayShown());
        KxtFocusHost(*host);
        ASSERT_TRUE(KxtSyncKeyboard(host->leftPanel));
    }
};

}  // namespace

TEST_F(HotkeyFixture, CtrlAltFOverTheHostIsSwallowedAndOpensTheOverlay)
{
    Load();
    KxtFocusHost(*host);
    KxtPressChord({VK_CONTROL, VK_MENU}, 'F');
    ExpectOpenedAndRefocus(1);
    EXPECT_FALSE(KxtKeyReached(host->leftPanel, 'F')) << "the hot key must not reach the host";
    EXPECT_LT(KxtFindLine(KxtReadLogLines(plugin.LogPath()), "TTOTAL_CMD window not found"), 0)
        << "the overlay's entry point finds the host window";

    // Shift is not looked at.
    KxtPressChord({VK_CONTROL, VK_MENU, VK_SHIFT}, 'F');
    ExpectOpenedAndRefocus(2);
    EXPECT_FALSE(KxtKeyReached(host->leftPanel, 'F'));
}

TEST_F(HotkeyFixture, OtherLettersAndIncompleteChordsPassThrough)
{
    Load();
    KxtFocusHost(*host);
    KxtPressChord({VK_CONTROL, VK_MENU}, 'G');
    KxtPressChord({VK_CONTROL}, 'F');
    KxtPressChord({VK_MENU}, 'F');
    ASSERT_TRUE(KxtSyncKeyboard(host->leftPanel));
    EXPECT_TRUE(KxtKeyReached(host->leftPanel, 'G'));
    int fKeys = 0;
    for (const KxtKeyRecord& key : g_kxtKeys) fKeys += key.window == host->leftPanel && key.virtualKey == 'F';
    EXPECT_EQ(fKeys, 2) << "Ctrl+F and Alt+F belong to the host";
    EXPECT_EQ(FiredCount(), 0);
}

TEST_F(HotkeyFixture, HotkeyOverAnotherApplicationPassesThroughUntouched)
{
    Load();
    HWND other = KxtCreateOtherWindow();
    KxtPressChord({VK_CONTROL, VK_MENU}, 'F');
    ASSERT_TRUE(KxtSyncKeyboard(other));
    EXPECT_TRUE(KxtKeyReached(other, 'F'));
    EXPECT_EQ(FiredCount(), 0);
}

TEST_F(HotkeyFixture, ConfiguredLetterReplacesF)
{
    Load(L"Hotkey=Ctrl+Shift+g\r\n");
    KxtFocusHost(*host);
    KxtPressChord({VK_CONTROL, VK_MENU}, 'F');
    ASSERT_TRUE(KxtSyncKeyboard(host->leftPanel));
    EXPECT_TRUE(KxtKeyReached(host->leftPanel, 'F'));
    KxtPressChord({VK_CONTROL, VK_MENU}, 'G');
    ExpectOpenedAndRefocus(1);
    EXPECT_FALSE(KxtKeyReached(host->leftPanel, 'G'));
}

TEST_F(HotkeyFixture, EditedHotkeyIsReloadedButTheOldLetterStaysBound)
{
    Load();
    KxtFocusHost(*host);
    // A later last-write time marks the file as changed whatever the clock's resolution.
    ASSERT_TRUE(KxtWriteConfig(plugin.folder, KxtLoggingConfig(L"Hotkey=Ctrl+Alt+J\r\n")));
    HANDLE file = CreateFileW(plugin.ConfigPath().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME later{0x10000000, 0x02000000};
    SetFileTime(file, nullptr, nullptr, &later);
    CloseHandle(file);

    KxtPressChord({VK_CONTROL, VK_MENU}, 'F');
    ExpectOpenedAndRefocus(1);
    KxtPressChord({VK_CONTROL, VK_MENU}, 'J');
    ASSERT_TRUE(KxtSyncKeyboard(host->leftPanel));
    EXPECT_FALSE(KxtKeyReached(host->leftPanel, 'F'));
    EXPECT_TRUE(KxtKeyReached(host->leftPanel, 'J'));
    std::vector<std::string> lines = KxtReadLogLines(plugin.LogPath());
    EXPECT_EQ(KxtCountLines(lines, "Korvex.cfg changed since it was last read - reloaded (hotkey letter stays F "
                                   "until TC restarts)"),
              1);
    EXPECT_EQ(FiredCount(), 1);
}
