#include "host/plugin_loader.h"

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

KxtPlugin KxtLoadPlugin(const std::wstring& folder)
{
    KxtPlugin plugin{folder, nullptr};
    std::wstring target = folder + L"Korvex.wdx64";
    if (CopyFileW(KXT_PLUGIN_PATH, target.c_str(), FALSE)) plugin.module = LoadLibraryW(target.c_str());
    return plugin;
}

bool KxtWaitForHook(const KxtPlugin& plugin)
{
    return KxtWaitForLogLine(plugin.LogPath(), "Low-level keyboard hook installed OK.");
}

std::wstring KxtLoggingConfig(const std::wstring& extraDisplayLines)
{
    return L"[Display]\r\nLogging=Y\r\n" + extraDisplayLines;
}
