#include "integration/keys_fixture.h"

TEST_F(KeysFixture, CtrlCCopiesSelectedPathsOrTheActionRowOrTheBoxText)
{
    ASSERT_NO_FATAL_FAILURE(Start(5));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 5));
    ASSERT_TRUE(KxtHoldChord({VK_SHIFT}, {VK_DOWN, VK_DOWN}, [] { return KxtSelectedRows().size() == 3; }));
    std::wstring three = HitPath(0) + L"\r\n" + HitPath(1) + L"\r\n" + HitPath(2);
    EXPECT_TRUE(KxtHoldChord({VK_CONTROL}, {'C'}, [&] { return KxtReadClipboard() == three; }))
        << KxtUtf8(KxtReadClipboard());
    EXPECT_EQ(KxtOverlayText(), L"kbfile") << "the copy's character never reaches the box";

    // Ctrl+click on the only selected row leaves none selected, the caret on it: the action row.
    KxtClickRow(3);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtSelectedRows() == std::vector<int>{3}; }));
    // Away from the first click, or the two would make a double click. A click that came without Ctrl
    // selected row 3 alone again: the same state, so it is simply made again.
    for (int attempt = 0; attempt < 3; ++attempt)
        if (KxtClickRow(3, VK_CONTROL, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 40)) break;
    ASSERT_TRUE(KxtWaitUntil([] { return KxtSelectedRows().empty(); }));
    EXPECT_TRUE(KxtHoldChord({VK_CONTROL}, {'C'}, [&] { return KxtReadClipboard() == HitPath(3); }))
        << KxtUtf8(KxtReadClipboard()) << KxtFocusReport();

    // Text selected in the box: the box copies it.
    KxtClickWindow(KxtOverlayControl(201));
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayFocus() == KxtOverlayControl(201); }));
    KxtPressChord({}, VK_END);
    ASSERT_TRUE(KxtHoldChord({VK_SHIFT}, {VK_LEFT, VK_LEFT}, [] {
        DWORD start = 0, end = 0;
        SendMessageW(KxtOverlayControl(201), EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        return end - start == 2;
    })) << KxtFocusReport();
    EXPECT_TRUE(KxtHoldChord({VK_CONTROL}, {'C'}, [] { return KxtReadClipboard() == L"le"; }));

    // Without results the box gets the key: with nothing selected there, nothing is copied, and the
    // paste that follows brings back what was on the clipboard.
    KxtPressChord({}, VK_END);
    ASSERT_NO_FATAL_FAILURE(Search(L"zz", 0));
    KxtWriteClipboard(L"before");
    EXPECT_TRUE(KxtHoldChord({VK_CONTROL}, {'C', 'V'}, [] { return KxtOverlayText() == L"kbfilezzbefore"; }));
    EXPECT_EQ(KxtReadClipboard(), L"before");
}

TEST_F(KeysFixture, ViewEditAndGoToSendTheHostToTheHitFirst)
{
    ASSERT_NO_FATAL_FAILURE(Start(3));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 3));
    KxtPressChord({}, VK_F3);
    ASSERT_TRUE(KxtWaitUntil([&] { return !host->commands.empty() && host->commands.back() == 903; }));
    EXPECT_FALSE(IsWindowVisible(KxtFindOverlay()));
    ASSERT_EQ(host->changeDirs.size(), 1u);
    EXPECT_EQ(host->changeDirs[0].path, HitPath(0));
    EXPECT_EQ(host->changeDirs[0].commandsBefore, host->commands.size() - 1) << "the CD comes before the view";

    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 3));
    KxtPressChord({}, VK_DOWN);
    KxtPressChord({}, VK_F4);
    ASSERT_TRUE(KxtWaitUntil([&] { return host->commands.back() == 904; }));
    ASSERT_EQ(host->changeDirs.size(), 2u);
    EXPECT_EQ(host->changeDirs[1].path, HitPath(1));
    EXPECT_EQ(host->changeDirs[1].commandsBefore, host->commands.size() - 1);

    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 3));
    size_t commands = host->commands.size();
    // The overlay closes before the host is sent there.
    ASSERT_TRUE(KxtHoldChord({VK_MENU}, {VK_RETURN}, [&] {
        return !IsWindowVisible(KxtFindOverlay()) && host->changeDirs.size() == 3;
    }));
    EXPECT_EQ(host->changeDirs[2].path, HitPath(0));
    EXPECT_EQ(host->commands.size(), commands) << "Alt+Enter only goes there";

    // Without results Alt+Enter is consumed and does nothing.
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"zz", 0));
    KxtPressChord({VK_MENU}, VK_RETURN);
    KxtTypeText(L"q");
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayText() == L"zzq"; }));
    EXPECT_TRUE(IsWindowVisible(KxtFindOverlay()));
    EXPECT_EQ(host->changeDirs.size(), 3u);
}

// The host's viewer and editor take what its cursor is on: for a folder hit or a file gone since the
// search that would be another file. Nothing is sent, the overlay stays, and the log says why.
TEST_F(KeysFixture, ViewEditGoToAndOpenActOnlyOnAHitThatIsThere)
{
    ASSERT_NO_FATAL_FAILURE(Start(2, L"", {{L"docs\\kbfile_dir\\", 0, 0}}));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 3));
    std::wstring folderHit = tree + L"docs\\kbfile_dir";
    size_t changeDirs = host->changeDirs.size(), commands = host->commands.size();
    struct Case {
        WORD modifier, key;
        const char* line;
    };
    const Case folderCases[] = {
        {0, VK_F3, "KxViewOrEditResult: "},
        {0, VK_F4, "KxViewOrEditResult: "},
    };
    KxtPressChord({VK_CONTROL}, VK_END);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtSelectedRows() == std::vector<int>{2}; }));
    for (const Case& c : folderCases) {
        KxtPressChord({}, c.key);
        ASSERT_TRUE(KxtWaitUntil([&] {
            return KxtCountLines(KxtReadLogLines(plugin.LogPath()),
                                 std::string(c.line) + KxtUtf8(folderHit) + " is a folder - nothing to view or edit.") ==
                   (c.key == VK_F3 ? 1 : 2);
        }));
    }
    ASSERT_TRUE(DeleteFileW(HitPath(0).c_str()));
    KxtPressChord({VK_CONTROL}, VK_HOME);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtSelectedRows() == std::vector<int>{0}; }));
    const Case goneCases[] = {
        {0, VK_F4, "KxViewOrEditResult: "},
        {VK_MENU, VK_RETURN, "KxGoToResultLocation: "},
        {VK_SHIFT, VK_RETURN, "KxOpenResultWithShell: "},
    };
    for (const Case& c : goneCases) {
        std::string line = std::string(c.line) + KxtUtf8(HitPath(0)) + " is no longer there - nothing sent.";
        ASSERT_TRUE(KxtHoldChord(c.modifier ? std::vector<WORD>{c.modifier} : std::vector<WORD>{}, {c.key},
                                 [&] { return KxtFindLine(KxtReadLogLines(plugin.LogPath()), line) >= 0; }))
            << line;
    }
    EXPECT_TRUE(IsWindowVisible(KxtFindOverlay()));
    EXPECT_EQ(host->changeDirs.size(), changeDirs);
    EXPECT_EQ(host->commands.size(), commands);
}

TEST_F(KeysFixture, ShiftEnterOpensTheHitWithItsAssociatedProgram)
{
    ASSERT_NO_FATAL_FAILURE(Start(0, L"", {{L"opened\\kbopen.kxtopen", 5, 0}}));
    std::wstring record = KxtMakeTempFolder() + L"opened.txt";
    SetEnvironmentVariableW(L"KXT_OPEN_RECORD", record.c_str());
    HKEY key;
    std::wstring command = L"\"" KXT_OPEN_RECORDER_PATH L"\" \"%1\"";
    ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, L".kxtopen", REG_SZ, L"KxtOpenFile", 0), ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, L"KxtOpenFile\\shell\\open\\command", &key), ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, (const BYTE*)command.c_str(), (DWORD)(command.size() + 1) * 2);
    RegCloseKey(key);

    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbopen", 1));
    ASSERT_TRUE(KxtHoldChord({VK_SHIFT}, {VK_RETURN}, [] { return !IsWindowVisible(KxtFindOverlay()); }));
    ASSERT_TRUE(KxtWaitUntil([&] { return KxtFileExists(record) && !KxtReadFileBytes(record).empty(); }, 60000));
    std::string bytes = KxtReadFileBytes(record);
    EXPECT_EQ(std::wstring((const wchar_t*)bytes.data(), bytes.size() / 2), tree + L"opened\\kbopen.kxtopen");
    EXPECT_TRUE(host->changeDirs.empty());
}

TEST_F(KeysFixture, ContextMenuFromTheKeyboardAndTheMouse)
{
    ASSERT_NO_FATAL_FAILURE(Start(4));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile_01", 1));
    KxtClickRow(0);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOverlayFocus() == KxtList(); }));
    ASSERT_TRUE(KxtHoldChord({VK_SHIFT}, {VK_F10}, [] { return KxtOpenMenu() != nullptr; }));
    EXPECT_EQ(KxtMenuItems(KxtOpenMenu()),
              (std::vector<std::wstring>{L"Go to this location\tAlt+Enter", L"Show all 1 result in panel"}));
    RECT row = KxtRowScreenRect(0), menu = KxtWindowRect(KxtOpenMenu());
    EXPECT_EQ(menu.left, row.left) << "from the keyboard the menu opens at the row's bottom-left corner";
    EXPECT_EQ(menu.top, row.bottom);
    KxtPressChord({}, VK_ESCAPE);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOpenMenu() == nullptr; }));
    KxtPressChord({}, VK_APPS);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOpenMenu() != nullptr; }));
    KxtPressChord({}, VK_DOWN);
    KxtPressChord({}, VK_RETURN);
    ASSERT_TRUE(KxtWaitUntil([&] { return host->changeDirs.size() == 1; }));
    EXPECT_EQ(host->changeDirs[0].path, HitPath(1)) << "Go to this location";
    ASSERT_TRUE(KxtWaitForOverlayHidden());

    // A right click on a row of four: three items; dismissing leaves that row alone selected.
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 4));
    ASSERT_TRUE(KxtHoldChord({VK_SHIFT}, {VK_DOWN}, [] { return KxtSelectedRows().size() == 2; }));
    KxtClickRow(2, 0, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOpenMenu() != nullptr; }));
    EXPECT_EQ(KxtMenuItems(KxtOpenMenu()),
              (std::vector<std::wstring>{L"Go to this location\tAlt+Enter", L"Show just this 1 result in panel",
                                         L"Show all 4 results in panel"}));
    KxtPressChord({}, VK_ESCAPE);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOpenMenu() == nullptr; }));
    EXPECT_EQ(KxtSelectedRows(), std::vector<int>{2});
    EXPECT_TRUE(IsWindowVisible(KxtFindOverlay()));
    EXPECT_TRUE(host->changeDirs.size() == 1);

    KxtClickRow(2, 0, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(KxtWaitUntil([] { return KxtOpenMenu() != nullptr; }));
    KxtPressChord({}, VK_UP);
    KxtPressChord({}, VK_RETURN);
    ASSERT_TRUE(KxtWaitUntil([&] { return host->changeDirs.size() == 2; }));
    EXPECT_EQ(RootListing().size(), 4u) << "Show all publishes every hit";
}

TEST_F(KeysFixture, DoubleClickOnlyClosesAndLogsTheParkedLine)
{
    ASSERT_NO_FATAL_FAILURE(Start(3));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_NO_FATAL_FAILURE(Search(L"kbfile", 3));
    KxtClickRow(1);
    KxtClickRow(1);
    ASSERT_TRUE(KxtWaitForOverlayHidden());
    EXPECT_TRUE(KxtWaitForLogLine(plugin.LogPath(), "KxActivateSelectedResults: PARKED per user request - closing "
                                                     "the overlay, no TC panel/copy action taken."));
    EXPECT_TRUE(host->changeDirs.empty());
    EXPECT_TRUE(host->commands.empty());
    EXPECT_TRUE(RootListing().size() <= 1) << "nothing published";
}
