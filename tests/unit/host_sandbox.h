#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/test_support.h"

// A private world for reading the host's settings: a fresh folder, the variables the lookup
// reads cleared, and HKEY_CURRENT_USER redirected for this process to a key of its own, so
// cases running side by side never see each other's registry values.
struct HostSandbox : ::testing::Test {
    static constexpr const wchar_t* kVariables[3] = {L"COMMANDER_INI", L"APPDATA", L"COMMANDER_PATH"};
    std::wstring folder = KxtMakeTempFolder();
    wchar_t userKey[64] = {};
    HKEY user = nullptr;

    void SetUp() override
    {
        for (const wchar_t* name : kVariables) SetEnvironmentVariableW(name, nullptr);
        _snwprintf(userKey, 64, L"Software\\KorvexTests\\user-%lu", GetCurrentProcessId());
        RegDeleteTreeW(HKEY_CURRENT_USER, userKey);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, userKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user, nullptr),
                  0);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, user), 0);
    }
    void TearDown() override
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (user) RegCloseKey(user);
        RegDeleteTreeW(HKEY_CURRENT_USER, userKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KorvexTests");  // fails while another case still uses it
    }

    // A value under the redirected HKEY_CURRENT_USER.
    static void SetValue(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD bytes)
    {
        HKEY opened;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr), 0);
        EXPECT_EQ(RegSetValueExW(opened, name, 0, type, (const BYTE*)data, bytes), 0);
        RegCloseKey(opened);
    }
    static void SetWindowsAppsTheme(DWORD type, const void* data, DWORD bytes)
    {
        SetValue(L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", L"AppsUseLightTheme", type, data,
                 bytes);
    }

    // A UTF-16 ini under the folder, lines separated by \n; missing folders are created.
    std::wstring WriteIni(const std::wstring& relativePath, std::wstring lines)
    {
        std::wstring path = folder + relativePath;
        for (size_t at = path.find(L'\\', folder.size()); at != std::wstring::npos; at = path.find(L'\\', at + 1))
            CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
        for (size_t at = lines.find(L'\n'); at != std::wstring::npos; at = lines.find(L'\n', at + 2))
            lines.insert(at, 1, L'\r');
        EXPECT_TRUE(KxtWriteUnicodeFile(path, lines + L"\r\n"));
        return path;
    }
};
