#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "host/host_window.h"
#include "host/overlay_probe.h"
#include "host/plugin_loader.h"
#include "peers/everything_peer_launcher.h"
#include "support/test_support.h"

// The host with the plug-in loaded, the Everything stand-in serving "kbfile_00.txt" ... (newest
// first, so a search lists them in that order) and a few others, and what a test reads of the overlay.
struct KeysFixture : ::testing::Test {
    KxtHost* host = nullptr;
    KxtPlugin plugin{};
    KxtEverythingPeer peer;
    std::wstring tree;

    void TearDown() override { KxtStopEverythingPeer(peer); }

    void Start(int files, const std::wstring& displayLines = L"", const std::vector<KxtTreeItem>& extra = {});
    void Open();
    // Types text into the box and waits until the list shows rows hits.
    void Search(const std::wstring& text, int rows);
    // The path of hit kbfile_NN.
    std::wstring HitPath(int n) const;
    std::vector<std::string> RootListing() const;
};

// Holds the modifiers down while the keys are tapped and until done() holds, as a user's hand does;
// a loaded machine may otherwise handle the keys after the modifiers were already released.
bool KxtHoldChord(const std::vector<WORD>& modifiers, const std::vector<WORD>& keys,
                  const std::function<bool()>& done);

HWND KxtList();
std::vector<int> KxtSelectedRows();
int KxtTopIndex();
RECT KxtRowScreenRect(int row);
POINT KxtCentreOf(const RECT& rect);
// A real click on a row, dx pixels right of its centre, with a key (Shift, Ctrl) held down while it lasts.
// False when the click reached the overlay without the key (Wine dropped it): the caller may click again
// from the same state.
bool KxtClickRow(int row, WORD heldKey = 0, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP,
                 int dx = 0);
// Foreground, focus, capture, cursor and clipboard owner, for the message of a failed wait.
std::string KxtFocusReport();
// The control that has the keyboard focus in the overlay's thread.
HWND KxtOverlayFocus();
std::wstring KxtReadClipboard();
void KxtWriteClipboard(const std::wstring& text);
// The shown popup menu and its item texts; none while no menu is open.
HWND KxtOpenMenu();
std::vector<std::wstring> KxtMenuItems(HWND menu);
