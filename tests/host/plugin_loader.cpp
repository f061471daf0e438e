#include "host/plugin_loader.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_support.h"

std::wstring KxtPreparePluginFolder()
{
    return KxtMakeTempFolder();
}

bool KxtWriteConfig(const std::wstring& folder, const std::wstring& lines)
{
    return KxtWriteUnicodeFile(folder + L"Korvex.cfg", lines);
}

std::wstring KxtPluginBuildPath()
{
    return KXT_PLUGIN_PATH;
}

namespace {

std::vector<HMODULE> g_kxtLoadedPlugins;

// Wine aborts a process that ends while another thread is still making windows or writing files: before a
// test program ends, every copy of the plug-in it loaded has finished its start-up, whether its test waited
// for that or not.
struct KxtStartupsEnded : ::testing::Environment {
    void TearDown() override
    {
        for (HMODULE module : g_kxtLoadedPlugins) KxtWaitForStartupEnd(module);
    }
};
const bool g_kxtStartupsEndedAdded = (::testing::AddGlobalTestEnvironment(new KxtStartupsEnded), true);

}  // namespace

KxtPlugin KxtLoadPlugin(const std::wstring& folder)
{
    KxtPlugin plugin{folder, nullptr};
    std::wstring target = folder + KXT_PLUGIN_NAME;
    if (CopyFileW(KXT_PLUGIN_PATH, target.c_str(), FALSE)) plugin.module = LoadLibraryW(target.c_str());
    if (plugin.module) g_kxtLoadedPlugins.push_back(plugin.module);
    return plugin;
}

namespace {

// The overlay of this process, made by the given copy of the plug-in (any copy when none is given): a
// second copy loaded beside the first has an overlay of its own, made later.
HWND KxtOwnOverlay(HMODULE module)
{
    for (HWND window = FindWindowExW(nullptr, nullptr, L"KorvexOverlay", nullptr); window;
         window = FindWindowExW(nullptr, window, L"KorvexOverlay", nullptr)) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        HMODULE maker = (HMODULE)GetWindowLongPtrW(window, GWLP_HINSTANCE);
        if (processId == GetCurrentProcessId() && (!module || maker == module)) return window;
    }
    return nullptr;
}

}  // namespace

bool KxtWaitForHook(const KxtPlugin& plugin)
{
    return KxtWaitForLogLine(plugin.LogPath(), "Low-level keyboard hook installed OK.") &&
           KxtWaitForStartupEnd(plugin.module);
}

bool KxtWaitForStartupEnd(HMODULE module)
{
    // Start-up ends with the overlay's windows made; once its thread answers a message, it is in its loop.
    // (Wine aborts a process that ends while another thread is still making windows or writing files.)
    if (!KxtWaitUntil([&] { return KxtOwnOverlay(module) != nullptr; })) return false;
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(KxtOwnOverlay(module), WM_NULL, 0, 0, SMTO_BLOCK, 30000, &answer) != 0;
}

std::wstring KxtLoggingConfig(const std::wstring& extraDisplayLines)
{
    return L"[Display]\r\nLogging=Y\r\n" + extraDisplayLines;
}
