#include "config/host_ini.h"

#include <gtest/gtest.h>

#include "unit/host_sandbox.h"

namespace {

constexpr const wchar_t* kHostKey = L"Software\\Ghisler\\Total Commander";

struct HostIni : HostSandbox {
    std::string Locate()
    {
        wchar_t path[2048] = L"junk";
        int found = KxLocateHostIni(path, 2048);
        EXPECT_EQ(found != 0, path[0] != L'\0');
        return KxtUtf8(path);
    }
    std::string Resolve(const std::wstring& ini, const wchar_t* section, int capacity = 2048)
    {
        wchar_t out[2048];
        KxResolveHostIniSection(ini.c_str(), section, out, capacity);
        EXPECT_LT(wcslen(out), (size_t)capacity);
        return KxtUtf8(out);
    }
    void SetVariable(const wchar_t* name, const wchar_t* relative)
    {
        SetEnvironmentVariableW(name, *relative ? (folder + relative).c_str() : nullptr);
    }
    void SetIniFileName(DWORD type, const std::wstring& text, bool terminated = true)
    {
        SetValue(kHostKey, L"IniFileName", type, text.c_str(), (DWORD)((text.size() + terminated) * sizeof(wchar_t)));
    }
};

TEST_F(HostIni, LocateTakesTheFirstSourceThatNamesAnExistingFile)
{
    for (const wchar_t* file : {L"a\\wincmd.ini", L"b\\wincmd.ini", L"c\\GHISLER\\wincmd.ini", L"d\\wincmd.ini"})
        WriteIni(file, L"");
    CreateDirectoryW((folder + L"dir.ini").c_str(), nullptr);
    const struct {
        const wchar_t *commanderIni, *registry, *appData, *commanderPath, *winner;  // relative to the folder; "" unset
    } cases[] = {
        {L"a\\wincmd.ini", L"b\\wincmd.ini", L"c", L"d", L"a\\wincmd.ini"},
        {L"a\\none.ini", L"b\\wincmd.ini", L"c", L"d", L"b\\wincmd.ini"},
        {L"a\\none.ini", L"b\\none.ini", L"c", L"d", L"c\\GHISLER\\wincmd.ini"},
        {L"a\\none.ini", L"b\\none.ini", L"a", L"d", L"d\\wincmd.ini"},
        {L"dir.ini", L"", L"", L"d", L"d\\wincmd.ini"},  // a folder is not the file
        {L"", L"", L"", L"d", L"d\\wincmd.ini"},
        {L"a\\none.ini", L"b\\none.ini", L"a", L"c", L""},
    };
    for (const auto& c : cases) {
        SetVariable(L"COMMANDER_INI", c.commanderIni);
        SetVariable(L"APPDATA", c.appData);
        SetVariable(L"COMMANDER_PATH", c.commanderPath);
        RegDeleteTreeW(HKEY_CURRENT_USER, kHostKey);
        if (*c.registry) SetIniFileName(REG_SZ, folder + c.registry);
        EXPECT_EQ(Locate(), *c.winner ? KxtUtf8(folder + c.winner) : "") << KxtUtf8(c.winner);
    }
    // A variable too long for the lookup is skipped, and so is an answer too long for the caller.
    SetEnvironmentVariableW(L"COMMANDER_INI", (folder + L"a\\wincmd.ini" + std::wstring(3000, L' ')).c_str());
    SetVariable(L"COMMANDER_PATH", L"d");
    EXPECT_EQ(Locate(), KxtUtf8(folder + L"d\\wincmd.ini"));
    wchar_t small[8] = L"junk";
    EXPECT_EQ(KxLocateHostIni(small, 8), 0);
    EXPECT_EQ(small[0], L'\0');
}

TEST_F(HostIni, RegistryNameIsTakenAsStored)
{
    std::wstring fallback = WriteIni(L"d\\wincmd.ini", L""), literal = WriteIni(L"wincmd.ini", L"");
    SetVariable(L"COMMANDER_PATH", L"d");
    SetEnvironmentVariableW(L"KXT_HOST_FOLDER", folder.c_str());
    const struct {
        DWORD type;
        std::wstring text;
        bool terminated;
        const std::wstring& expected;
    } cases[] = {
        {REG_EXPAND_SZ, L"%KXT_HOST_FOLDER%wincmd.ini", true, fallback},  // never expanded
        {REG_EXPAND_SZ, literal, true, literal},
        {REG_SZ, literal, false, literal},  // stored without its terminator
        {REG_BINARY, literal, false, fallback},
        {REG_SZ, literal + std::wstring(3000, L'x'), true, fallback},
    };
    for (const auto& c : cases) {
        SetIniFileName(c.type, c.text, c.terminated);
        EXPECT_EQ(Locate(), KxtUtf8(c.expected)) << KxtUtf8(c.text.substr(0, 60));
    }
}

// A relative name is made full, so that the reads open the file that was found.
TEST_F(HostIni, RelativeCommanderIniIsMadeFull)
{
    std::wstring ini = WriteIni(L"wincmd.ini", L"[Configuration]\nDarkMode=2");
    wchar_t previous[2048];
    GetCurrentDirectoryW(2048, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
    SetEnvironmentVariableW(L"COMMANDER_INI", L"wincmd.ini");
    std::string located = Locate();
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(located, KxtUtf8(ini));
    EXPECT_EQ(KxReadHostDarkModeFromIni(KxtWide(located).c_str()), KX_HOST_DARK);
}

TEST_F(HostIni, RedirectSectionRules)
{
    SetEnvironmentVariableW(L"USERPROFILE", L"C:\\users\\kxt");
    const struct {
        const wchar_t *redirect, *alternate, *expected;  // redirect nullptr: no key; "<" the ini, "~" its folder
    } cases[] = {
        {nullptr, L"", L"<"},
        {L"", L"alt.ini", L"<"},
        {L"0", L"alt.ini", L"<"},
        {L"1", L"", L"<"},
        {L"1", L"alt.ini", L"~alt.ini"},
        {L"1", L"%USERPROFILE%\\alt.ini", L"C:\\users\\kxt\\alt.ini"},
        {L"fonts.ini", L"alt.ini", L"~fonts.ini"},
        {L"%USERPROFILE%\\tc.ini", L"", L"C:\\users\\kxt\\tc.ini"},
        {L"D:/shared/tc.ini", L"", L"D:/shared/tc.ini"},
        {L"%KXT_UNSET%.ini", L"", L"~%KXT_UNSET%.ini"},
        {L"01", L"", L"~01"},
    };
    for (const auto& c : cases) {
        std::wstring lines = L"[Configuration]\nAlternateUserIni=" + std::wstring(c.alternate) + L"\n[AllResolutions]";
        std::wstring ini =
            WriteIni(L"wincmd.ini", lines + (c.redirect ? L"\nRedirectSection=" + std::wstring(c.redirect) : L""));
        std::wstring expected = c.expected[0] == L'<'   ? ini
                                : c.expected[0] == L'~' ? folder + (c.expected + 1)
                                                        : c.expected;
        EXPECT_EQ(Resolve(ini, L"AllResolutions"), KxtUtf8(expected)) << KxtUtf8(c.redirect ? c.redirect : L"(none)");
        EXPECT_EQ(Resolve(ini, L"Shortcuts"), KxtUtf8(ini));
    }
    // Overlong: the bare name (it no longer fits beside the ini) cut at the buffer; the caller's capacity holds.
    std::wstring ini = WriteIni(L"wincmd.ini", L"[AllResolutions]\nRedirectSection=" + std::wstring(3000, L'r'));
    EXPECT_EQ(Resolve(ini, L"AllResolutions"), std::string(2047, 'r'));
    EXPECT_EQ(Resolve(ini, L"AllResolutions", 10), std::string(9, 'r'));
    EXPECT_EQ(Resolve(L"", L"AllResolutions"), "");
}

TEST_F(HostIni, FontRules)
{
    const struct {
        const wchar_t* lines;
        int found;
        const wchar_t* face;
        int size, weight;
    } cases[] = {
        {L"FontName=Tahoma\nFontSize=12\nFontWeight=700", 1, L"Tahoma", 12, 700},
        {L"FontName=Tahoma", 1, L"Tahoma", 11, 400},
        {L"FontName=Tahoma\nFontSize=5\nFontWeight=1200", 1, L"Tahoma", 11, 400},
        {L"FontName=Tahoma\nFontSize=6\nFontWeight=100", 1, L"Tahoma", 6, 100},
        {L"FontName=Tahoma\nFontSize=72\nFontWeight=1000", 1, L"Tahoma", 72, 1000},
        {L"FontName=Tahoma\nFontSize=73\nFontWeight=99", 1, L"Tahoma", 11, 400},
        {L"FontName=Tahoma\nFontSize=big\nFontWeight=bold", 1, L"Tahoma", 11, 400},
        {L"FontName=Tahoma\nFontSize=99999999999\nFontWeight=-700", 1, L"Tahoma", 11, 400},
        {L"FontSize=14\nFontWeight=700", 0, L"untouched", -5, -5},
        {L"FontName=\nFontSize=14", 0, L"untouched", -5, -5},
        {L"RedirectSection=gone.ini\nFontName=Tahoma", 0, L"untouched", -5, -5},
        {L"RedirectSection=fonts.ini\nFontName=Tahoma", 1, L"FFFFFFFFFFFFFFF", 9, 400},
    };
    WriteIni(L"fonts.ini", L"[AllResolutions]\nFontName=" + std::wstring(100, L'F') + L"\nFontSize=9");
    for (const auto& c : cases) {
        std::wstring ini = WriteIni(L"wincmd.ini", L"[AllResolutions]\n" + std::wstring(c.lines));
        wchar_t face[16] = L"untouched";
        int size = -5, weight = -5;
        EXPECT_EQ(KxReadHostFontFromIni(ini.c_str(), face, 16, &size, &weight), c.found) << KxtUtf8(c.lines);
        EXPECT_EQ(KxtUtf8(face) + " " + std::to_string(size) + " " + std::to_string(weight),
                  KxtUtf8(c.face) + " " + std::to_string(c.size) + " " + std::to_string(c.weight))
            << KxtUtf8(c.lines);
    }
    wchar_t face[16];
    int size, weight;
    EXPECT_EQ(KxReadHostFont(face, 16, &size, &weight), 0);  // no wincmd.ini anywhere
}

TEST_F(HostIni, DarkModeValues)
{
    const struct {
        const wchar_t* lines;
        int expected;
    } cases[] = {
        {L"", KX_HOST_LIGHT},
        {L"DarkMode=0", KX_HOST_LIGHT},
        {L"DarkMode=-999999", KX_HOST_LIGHT},
        {L"DarkMode=night", KX_HOST_LIGHT},
        {L"DarkMode=2", KX_HOST_DARK},
        {L"DarkMode=1", KX_HOST_FOLLOW_WINDOWS},
        {L"DarkMode=-1", KX_HOST_FOLLOW_WINDOWS},
        {L"RedirectSection=gone.ini\nDarkMode=2", KX_HOST_LIGHT},
        {L"RedirectSection=dark.ini\nDarkMode=0", KX_HOST_DARK},
    };
    WriteIni(L"dark.ini", L"[Configuration]\nDarkMode=2");
    for (const auto& c : cases) {
        std::wstring ini = WriteIni(L"wincmd.ini", L"[Configuration]\n" + std::wstring(c.lines));
        EXPECT_EQ(KxReadHostDarkModeFromIni(ini.c_str()), c.expected) << KxtUtf8(c.lines);
    }
    EXPECT_EQ(KxReadHostDarkMode(), KX_HOST_FOLLOW_WINDOWS);  // no wincmd.ini found
}

TEST_F(HostIni, WindowsAppsThemeAcceptsOnlyA32BitNumber)
{
    EXPECT_EQ(KxReadWindowsAppsTheme(), KX_WINDOWS_UNKNOWN);  // no key
    const struct {
        DWORD type, bytes;
        ULONGLONG value;
        int expected;
    } cases[] = {
        {REG_DWORD, 4, 0, KX_WINDOWS_DARK},    {REG_DWORD, 4, 1, KX_WINDOWS_LIGHT},
        {REG_DWORD, 4, 7, KX_WINDOWS_LIGHT},   {REG_DWORD, 2, 0, KX_WINDOWS_UNKNOWN},
        {REG_QWORD, 8, 0, KX_WINDOWS_UNKNOWN}, {REG_BINARY, 4, 0, KX_WINDOWS_UNKNOWN},
        {REG_SZ, 4, L'0', KX_WINDOWS_UNKNOWN},
    };
    for (const auto& c : cases) {
        SetWindowsAppsTheme(c.type, &c.value, c.bytes);
        EXPECT_EQ(KxReadWindowsAppsTheme(), c.expected) << c.type << " " << c.bytes << " " << c.value;
    }
}

}  // namespace
