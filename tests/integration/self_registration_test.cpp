#include <gtest/gtest.h>

#include <algorithm>

#include "host/plugin_loader.h"
#include "support/test_support.h"

// The plug-in loaded with COMMANDER_INI pointing at a test copy of wincmd.ini. Wine's profile functions
// rewrite a file without its blank lines, so "the rest of the file is kept" is checked on the
// non-blank lines, byte for byte and in order.

namespace {

const std::wstring kRoot = L"\\\\\\Korvex\\";
const std::vector<std::wstring> kColumnsLines = {
    L"[CustomFields_Korvex]", L"Titles=Korvex",          L"AutoLoad=1",       L"Widths1=80,30,397",
    L"Headers1=Path",         L"Contents1=[=<fs>.Path]", L"Options1=-1|1|96",
};

// UTF-16 files are decoded; ANSI bytes are widened one to one, so both compare byte for byte.
std::vector<std::wstring> NonBlankLines(const std::wstring& path)
{
    std::string bytes = KxtReadFileBytes(path);
    std::wstring text = KxtReadUnicodeFile(path);
    if (bytes.compare(0, 2, "\xFF\xFE", 2) != 0) {
        text.clear();
        for (char byte : bytes) text += (wchar_t)(unsigned char)byte;
    }
    std::vector<std::wstring> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// after must be before with exactly the added lines inserted somewhere.
void ExpectOnlyAdded(const std::vector<std::wstring>& before, std::vector<std::wstring> after,
                     const std::vector<std::wstring>& added)
{
    for (const std::wstring& line : added) {
        auto at = std::find(after.begin(), after.end(), line);
        ASSERT_NE(at, after.end()) << "missing line " << KxtUtf8(line);
        after.erase(at);
    }
    EXPECT_EQ(after, before);
}

std::wstring Value(const std::wstring& file, const wchar_t* section, const wchar_t* key)
{
    wchar_t value[2048];
    GetPrivateProfileStringW(section, key, L"<none>", value, 2048, file.c_str());
    return value;
}

std::string ShortcutWrittenLine(const char* key, const std::wstring& file)
{
    return std::string("KxSelfRegisterHotkeyShortcut: OK writing ") + key + "=CD and " + key +
           "_params=\"\\\\\\Korvex\\\" to " + KxtUtf8(file) + ". Restart Total Commander";
}

struct SelfRegistration : ::testing::Test {
    std::wstring folder = KxtMakeTempFolder();
    std::wstring ini = folder + L"wincmd.ini";

    void SetUp() override
    {
        SetEnvironmentVariableW(L"COMMANDER_INI", ini.c_str());
        SetEnvironmentVariableW(L"COMMANDER_PATH", nullptr);
    }

    // Loads a fresh copy of the plug-in from pluginFolder and waits until registration is over.
    KxtPlugin Load(const std::wstring& hotkey = L"F", std::wstring pluginFolder = L"")
    {
        if (pluginFolder.empty()) pluginFolder = KxtPreparePluginFolder();
        EXPECT_TRUE(KxtWriteConfig(pluginFolder, KxtLoggingConfig(L"Hotkey=Ctrl+Alt+" + hotkey + L"\r\n")));
        KxtPlugin plugin = KxtLoadPlugin(pluginFolder);
        EXPECT_NE(plugin.module, nullptr);
        if (plugin.module) {
            EXPECT_TRUE(KxtWaitForHook(plugin));
        }
        return plugin;
    }

    std::string LibraryPath(const KxtPlugin& plugin) const { return KxtUtf8(plugin.folder + KXT_PLUGIN_NAME); }

    // A second load writes nothing and keeps each entry, whatever registered it.
    void ExpectSecondLoadLeavesAsIs(const std::vector<std::wstring>& files, const std::wstring& shortcutsFile,
                                    const std::string& registeredPath)
    {
        std::vector<std::string> before;
        for (const std::wstring& file : files) before.push_back(KxtReadFileBytes(file));
        KxtPlugin second = Load();
        for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(KxtReadFileBytes(files[i]), before[i]) << KxtUtf8(files[i]);
        std::vector<std::string> log = KxtReadLogLines(second.LogPath());
        EXPECT_GE(KxtFindLine(log, "KxSelfRegisterWfxPlugin: already registered in " + KxtUtf8(ini) + " as \"" +
                                       registeredPath + "\" - leaving as-is."),
                  0);
        EXPECT_GE(KxtFindLine(log, "KxSelfRegisterHotkeyShortcut: CA+F is already bound to \"CD\" in " +
                                       KxtUtf8(shortcutsFile) + " - leaving as-is"),
                  0);
        EXPECT_GE(KxtFindLine(log,
                              "KxSelfRegisterCustomColumnsView: [CustomFields_Korvex] Contents1 already set "
                              "([=<fs>.Path]) in " +
                                  KxtUtf8(ini) + " - leaving as-is."),
                  0);
        EXPECT_EQ(KxtCountLines(log, "KxPruneStaleHotkeyShortcuts"), 0);
    }
};

}  // namespace

TEST_F(SelfRegistration, CleanAnsiIniGetsTheThreeGroupsOnceAndKeepsEverythingElse)
{
    std::string original =
        "[Configuration]\r\n; the user's own note: caf\xE9\r\nLanguage=DEU\r\n\r\n[left]\r\npath=c:\\Temp\\\r\n"
        "[Shortcuts]\r\nC+T=cm_OpenNewTab\r\n";
    ASSERT_TRUE(KxtWriteFileBytes(ini, original));
    std::vector<std::wstring> before = NonBlankLines(ini);

    KxtPlugin plugin = Load();
    std::string path = LibraryPath(plugin);
    std::vector<std::wstring> added = {L"[FileSystemPlugins]", L"Korvex=" + KxtWide(path), L"CA+F=CD",
                                       L"CA+F_params=\"" + kRoot + L"\""};
    added.insert(added.end(), kColumnsLines.begin(), kColumnsLines.end());
    ExpectOnlyAdded(before, NonBlankLines(ini), added);
    EXPECT_NE(KxtReadFileBytes(ini).compare(0, 2, "\xFF\xFE", 2), 0) << "stays ANSI";
    EXPECT_EQ(Value(ini, L"Shortcuts", L"CA+F_params"), kRoot) << "in its section";

    std::vector<std::string> log = KxtReadLogLines(plugin.LogPath());
    int plugins = KxtFindLine(log, "KxSelfRegisterWfxPlugin: OK writing [FileSystemPlugins] Korvex=" + path + " to " +
                                       KxtUtf8(ini) + ". Restart Total Commander");
    int shortcut = KxtFindLine(log, ShortcutWrittenLine("CA+F", ini));
    int columns = KxtFindLine(log,
                              "KxSelfRegisterCustomColumnsView: OK writing [CustomFields_Korvex] (Name/Ext/Path "
                              "view, AutoLoad=1) to " +
                                  KxtUtf8(ini) + ". Restart Total Commander");
    int hook = KxtFindLine(log, "Low-level keyboard hook installed OK.");
    EXPECT_GE(plugins, 0);
    EXPECT_GT(shortcut, plugins);
    EXPECT_GT(columns, shortcut);
    EXPECT_GT(hook, columns) << "registration comes before the hook";

    ExpectSecondLoadLeavesAsIs({ini}, ini, path);
}

TEST_F(SelfRegistration, UnicodeIniAndRedirectedShortcutsKeepTheirScriptsAndGetTheirEntries)
{
    std::wstring shortcuts = folder + L"shortcuts.ini";
    ASSERT_TRUE(KxtWriteUnicodeFile(ini,
                                    L"[Configuration]\r\n; σχόλιο του χρήστη\r\nDarkMode=2\r\n"
                                    L"[Σελιδοδείκτες]\r\nΈγγραφα=C:\\Έγγραφα\\\r\n"
                                    L"[ショートカット]\r\n書類=D:\\書類\\\r\n"
                                    L"[Shortcuts]\r\nRedirectSection=shortcuts.ini\r\n"));
    ASSERT_TRUE(KxtWriteUnicodeFile(shortcuts, L"[Shortcuts]\r\nC+T=cm_OpenNewTab\r\n; 日本語のメモ\r\n"));
    std::vector<std::wstring> iniBefore = NonBlankLines(ini), shortcutsBefore = NonBlankLines(shortcuts);

    KxtPlugin plugin = Load();
    std::vector<std::wstring> iniAdded = {L"[FileSystemPlugins]", L"Korvex=" + plugin.folder + KXT_PLUGIN_NAME};
    iniAdded.insert(iniAdded.end(), kColumnsLines.begin(), kColumnsLines.end());
    ExpectOnlyAdded(iniBefore, NonBlankLines(ini), iniAdded);
    ExpectOnlyAdded(shortcutsBefore, NonBlankLines(shortcuts), {L"CA+F=CD", L"CA+F_params=\"" + kRoot + L"\""});
    EXPECT_EQ(KxtReadFileBytes(ini).compare(0, 2, "\xFF\xFE", 2), 0) << "stays UTF-16";
    EXPECT_GE(KxtFindLine(KxtReadLogLines(plugin.LogPath()), ShortcutWrittenLine("CA+F", shortcuts)), 0);

    ExpectSecondLoadLeavesAsIs({ini, shortcuts}, shortcuts, LibraryPath(plugin));
}

TEST_F(SelfRegistration, NewHotkeyLetterPrunesOnlyOurOwnStaleShortcuts)
{
    ASSERT_TRUE(KxtWriteUnicodeFile(ini,
                                    L"[Shortcuts]\r\n"
                                    L"CA+F1=cm_SrcQuickView\r\n"
                                    L"CA+F=CD\r\nCA+F_params=\"\\\\\\Korvex\\\"\r\n"
                                    L"CA+H=cd\r\nCA+H_params=\\\\\\korvex\\\r\n"
                                    L"CA+J=CD\r\nCA+J_params=C:\\Temp\\\r\n"
                                    L"ca+k=CD\r\nca+k_params=\"\\\\\\Korvex\\\"\r\n"
                                    L"CA+M=cm_SomeCommand\r\nCA+M_params=\"\\\\\\Korvex\\\"\r\n"
                                    L"[CustomFields_Korvex]\r\nContents1=[=<fs>.Path]\r\n"));
    KxtPlugin plugin = Load(L"G");

    std::vector<std::wstring> expected = {
        L"[Shortcuts]",
        L"CA+F1=cm_SrcQuickView",
        L"CA+J=CD",
        L"CA+J_params=C:\\Temp\\",
        L"ca+k=CD",
        L"ca+k_params=\"\\\\\\Korvex\\\"",
        L"CA+M=cm_SomeCommand",
        L"CA+M_params=\"\\\\\\Korvex\\\"",
        L"CA+G=CD",
        L"CA+G_params=\"\\\\\\Korvex\\\"",
        L"[CustomFields_Korvex]",
        L"Contents1=[=<fs>.Path]",
        L"[FileSystemPlugins]",
        L"Korvex=" + plugin.folder + KXT_PLUGIN_NAME,
    };
    EXPECT_EQ(NonBlankLines(ini), expected);
    std::vector<std::string> log = KxtReadLogLines(plugin.LogPath());
    EXPECT_GE(KxtFindLine(log, "KxPruneStaleHotkeyShortcuts: removed stale CA+F=CD / CA+F_params=\\\\\\Korvex\\ from " +
                                   KxtUtf8(ini) + " (OK/OK) - superseded by CA+G."),
              0);
    EXPECT_GE(KxtFindLine(log, "KxPruneStaleHotkeyShortcuts: removed stale CA+H=CD / CA+H_params=\\\\\\korvex\\"), 0);
    EXPECT_GE(KxtFindLine(log,
                          "KxPruneStaleHotkeyShortcuts: CA+J=CD has params=C:\\Temp\\ (expected \\\\\\Korvex\\) - "
                          "not ours, leaving as-is."),
              0);
    EXPECT_GE(KxtFindLine(log, ShortcutWrittenLine("CA+G", ini)), 0);
}

TEST_F(SelfRegistration, PruningNeverDeletesTheUsersLineOfTheSameName)
{
    // The user's own binding comes first under the same key in other letter case: a delete by name would
    // remove it and leave our CD without its parameters.
    ASSERT_TRUE(KxtWriteUnicodeFile(ini, L"[Shortcuts]\r\n"
                                         L"ca+f=cm_UserCommand\r\n"
                                         L"CA+F=CD\r\nCA+F_params=\"\\\\\\Korvex\\\"\r\n"
                                         L"[CustomFields_Korvex]\r\nContents1=[=<fs>.Path]\r\n"));
    std::vector<std::wstring> before = NonBlankLines(ini);
    KxtPlugin plugin = Load(L"G");
    ExpectOnlyAdded(before, NonBlankLines(ini),
                    {L"CA+G=CD", L"CA+G_params=\"" + kRoot + L"\"", L"[FileSystemPlugins]",
                     L"Korvex=" + KxtWide(LibraryPath(plugin))});
    std::vector<std::wstring> lines = NonBlankLines(ini);
    std::vector<std::wstring> head(lines.begin(), lines.begin() + std::min<size_t>(lines.size(), 6));
    EXPECT_EQ(head, (std::vector<std::wstring>{L"[Shortcuts]", L"ca+f=cm_UserCommand", L"CA+F=CD",
                                              L"CA+F_params=\"\\\\\\Korvex\\\"", L"CA+G=CD",
                                              L"CA+G_params=\"\\\\\\Korvex\\\""}));
    std::vector<std::string> log = KxtReadLogLines(plugin.LogPath());
    EXPECT_GE(KxtFindLine(log, "KxPruneStaleHotkeyShortcuts: CA+F reads as \"cm_UserCommand\", another line of "
                               "the same name - not ours, leaving as-is."),
              0);
    EXPECT_EQ(KxtFindLine(log, "KxPruneStaleHotkeyShortcuts: removed stale"), -1);
}

TEST_F(SelfRegistration, UserBindingOfTheHotkeyIsNeverOverwritten)
{
    ASSERT_TRUE(KxtWriteUnicodeFile(ini, L"[Shortcuts]\r\nCA+G=cm_SomeCommand\r\n"));
    KxtPlugin plugin = Load(L"G");
    EXPECT_EQ(Value(ini, L"Shortcuts", L"CA+G"), L"cm_SomeCommand");
    EXPECT_EQ(Value(ini, L"Shortcuts", L"CA+G_params"), L"<none>");
    EXPECT_GE(KxtFindLine(KxtReadLogLines(plugin.LogPath()),
                          "KxSelfRegisterHotkeyShortcut: CA+G is already bound to \"cm_SomeCommand\" in " +
                              KxtUtf8(ini) + " - leaving as-is (not overwriting a possibly user-assigned shortcut)."),
              0);
}

TEST_F(SelfRegistration, ColumnsViewWithEmptyContentsGetsOnlyTheKeysItLacks)
{
    ASSERT_TRUE(KxtWriteUnicodeFile(ini, L"[CustomFields_Korvex]\r\nTitles=Mine\r\nContents1=\r\nWidths1=1,2,3\r\n"));
    Load();
    std::vector<std::wstring> lines = NonBlankLines(ini);
    auto section = std::find(lines.begin(), lines.end(), L"[CustomFields_Korvex]");
    ASSERT_NE(section, lines.end());
    std::vector<std::wstring> keys(section + 1, section + 7);
    std::sort(keys.begin(), keys.end());
    std::vector<std::wstring> expected;
    for (auto line = kColumnsLines.begin() + 1; line != kColumnsLines.end(); ++line)
        if (line->rfind(L"Titles=", 0) != 0 && line->rfind(L"Widths1=", 0) != 0) expected.push_back(*line);
    expected.push_back(L"Titles=Mine");
    expected.push_back(L"Widths1=1,2,3");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(keys, expected) << "the user's own title and widths stay";
}

TEST_F(SelfRegistration, IniThatCannotBeReadGetsNothingWritten)
{
    std::string original = "[Configuration]\r\nLanguage=DEU\r\n[Shortcuts]\r\nC+T=cm_OpenNewTab\r\n";
    ASSERT_TRUE(KxtWriteFileBytes(ini, original));
    // Held the way a program does that lets nobody read it for a while.
    HANDLE lock = CreateFileW(ini.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    KxtPlugin plugin = Load();
    CloseHandle(lock);
    EXPECT_EQ(KxtReadFileBytes(ini), original);
    std::vector<std::string> log = KxtReadLogLines(plugin.LogPath());
    for (const char* step :
         {"KxSelfRegisterWfxPlugin", "KxPruneStaleHotkeyShortcuts", "KxSelfRegisterCustomColumnsView"})
        EXPECT_GE(KxtFindLine(log, std::string(step) + ": could not read " + KxtUtf8(ini) +
                                       " (GetLastError=32) - writing nothing."),
                  0)
            << step;
    EXPECT_LT(KxtFindLine(log, "OK writing"), 0) << "no write was tried";
    EXPECT_LT(KxtFindLine(log, "FAILED writing"), 0) << "no write was tried";
}

TEST_F(SelfRegistration, AnsiIniStoresOnlyAPathThatNamesTheLibrary)
{
    // A folder name no ANSI code page holds in full.
    std::wstring pluginFolder = KxtPreparePluginFolder() + L"Łukasz-日本\\";
    ASSERT_TRUE(CreateDirectoryW(pluginFolder.c_str(), nullptr));
    std::string original =
        "[Configuration]\r\n; Gr\xF6\xDF"
        "e\r\nLanguage=DEU\r\n[left]\r\npath=c:\\\r\n";
    ASSERT_TRUE(KxtWriteFileBytes(ini, original));
    std::vector<std::wstring> before = NonBlankLines(ini);

    KxtPlugin plugin = Load(L"F", pluginFolder);
    std::wstring entry = Value(ini, L"FileSystemPlugins", L"Korvex");
    std::vector<std::string> log = KxtReadLogLines(plugin.LogPath());
    std::vector<std::wstring> added = {L"[Shortcuts]", L"CA+F=CD", L"CA+F_params=\"" + kRoot + L"\""};
    added.insert(added.end(), kColumnsLines.begin(), kColumnsLines.end());
    if (entry == L"<none>") {
        // Wine gives some folders no short name; the removed entry leaves its section's header behind.
        EXPECT_GE(KxtFindLine(log, "KxSelfRegisterWfxPlugin: OK removing [FileSystemPlugins] Korvex from"), 0);
        added.insert(added.begin(), L"[FileSystemPlugins]");
    } else {
        wchar_t longPath[2048] = {};
        GetLongPathNameW(entry.c_str(), longPath, 2048);
        EXPECT_EQ(_wcsicmp(longPath, (pluginFolder + KXT_PLUGIN_NAME).c_str()), 0) << KxtUtf8(entry);
        EXPECT_EQ(entry.find(L'?'), std::wstring::npos);
        std::wstring name = std::wstring(L"\\") + KXT_PLUGIN_NAME;
        EXPECT_EQ(entry.substr(entry.size() - name.size()), name) << "the host derives the other bitness from it";
        added.insert(added.begin(), {L"[FileSystemPlugins]", L"Korvex=" + entry});
    }
    ExpectOnlyAdded(before, NonBlankLines(ini), added);
}
