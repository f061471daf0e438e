// The product's main job, runnable without Windows: a host stand-in with the plug-in loaded, the
// Everything stand-in serving a real folder, the hot key pressed and a query typed. scripts/demo
// takes the screenshot once this program reports that the results are on screen.
#include <windows.h>

#include <cstdio>
#include <string>

#include "host/host_window.h"
#include "host/overlay_probe.h"
#include "host/plugin_loader.h"
#include "peers/everything_peer_launcher.h"
#include "support/test_support.h"

namespace {

std::wstring KxtArgument(int argc, wchar_t** argv, const wchar_t* name, const wchar_t* fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (wcscmp(argv[i], name) == 0) return argv[i + 1];
    return fallback;
}

int KxtFail(const char* what)
{
    printf("demo failed: %s\n", what);
    fflush(stdout);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring root = KxtArgument(argc, argv, L"--root", L"Z:\\usr\\share");
    std::wstring theme = KxtArgument(argc, argv, L"--theme", L"Light");
    std::wstring query = KxtArgument(argc, argv, L"--query", L"readme");
    std::wstring readyFile = KxtArgument(argc, argv, L"--ready-file", L"");
    std::wstring show = KxtArgument(argc, argv, L"--show", L"list");
    // Settings lines for [Display], separated by ';' ("DriveIconStyle=Line;FolderColumn=Name").
    std::wstring extraLines;
    for (wchar_t c : KxtArgument(argc, argv, L"--display-lines", L"") + L";")
        extraLines += c == L';' ? std::wstring(L"\r\n") : std::wstring(1, c);

    // "running", "none" (no Everything at all) or "loading" (its index not ready yet).
    std::wstring everything = KxtArgument(argc, argv, L"--everything", L"running");

    KxtHost& host = KxtCreateHost(40, 30, 1200, 760);
    KxtEverythingPeerOptions options;
    options.roots.push_back(root);
    options.readyTimeoutMs = 600000;
    options.loading = everything == L"loading";
    KxtEverythingPeer peer;
    if (everything != L"none" && !KxtStartEverythingPeer(options, peer))
        return KxtFail("the Everything stand-in did not start");

    std::wstring folder = KxtPreparePluginFolder();
    KxtWriteConfig(folder, KxtLoggingConfig(L"ThemeMode=" + theme + L"\r\n" + extraLines));
    KxtPlugin plugin = KxtLoadPlugin(folder);
    if (!plugin.module || !KxtWaitForHook(plugin)) return KxtFail("the plug-in did not start");

    KxtFocusHost(host, host.rightPanel);
    KxtPressChord({VK_CONTROL, VK_MENU}, 'F');
    if (!KxtWaitForOverlayShown()) return KxtFail("the overlay did not open");
    KxtTypeText(query);
    std::string summary = "typed=\"" + KxtUtf8(query) + "\"";
    if (!KxtWaitForLogLine(plugin.LogPath(), summary, 60000)) return KxtFail("the search did not finish");
    if (everything == L"running") KxtWaitUntil([] { return KxtOverlayRowCount() > 0; }, 10000);
    // Let the overlay paint its rows before the picture is taken.
    RedrawWindow(KxtFindOverlay(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    KxtPumpMessages();
    if (show == L"menu" || show == L"about") {
        KxtClickWindow(KxtOverlayControl(203));
        if (!KxtWaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)) != FALSE; }, 30000))
            return KxtFail("the filter menu did not open");
    }
    if (show == L"about") {
        KxtPressChord({}, VK_UP);
        KxtPressChord({}, VK_RETURN);
        if (!KxtWaitUntil([] { return IsWindowVisible(FindWindowW(L"TC_Korvex_AboutBox", nullptr)) != FALSE; }, 30000))
            return KxtFail("the about box did not open");
    }
    KxtPumpMessages();
    printf("demo ready: %d rows for \"%ls\" over %ls\n", KxtOverlayRowCount(), query.c_str(), root.c_str());
    fflush(stdout);
    if (!readyFile.empty()) KxtWriteFileBytes(readyFile, "ready");
    // Keep serving the windows until the script has its picture and ends the session.
    KxtWaitUntil([] { return false; }, INFINITE);
    KxtStopEverythingPeer(peer);
    return 0;
}
