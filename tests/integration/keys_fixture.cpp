#include "integration/keys_fixture.h"

#include <stdio.h>

#include <wchar.h>

void KeysFixture::Start(int files, const std::wstring& displayLines, const std::vector<KxtTreeItem>& extra)
{
    host = &KxtCreateHost();
    std::wstring folder = KxtPreparePluginFolder();
    tree = folder + L"tree\\";
    std::vector<KxtTreeItem> items = extra;
    for (int i = 0; i < files; ++i) {
        wchar_t name[64];
        _snwprintf(name, 64, L"docs\\kbfile_%02d.txt", i);
        items.push_back({name, (ULONGLONG)i, KxtFileTimeOf(2025, 1, 1) - (ULONGLONG)i * 36000000000ULL});
    }
    ASSERT_TRUE(KxtCreateTree(tree, items));
    KxtEverythingPeerOptions options;
    options.roots.push_back(tree);
    ASSERT_TRUE(KxtStartEverythingPeer(options, peer));
    ASSERT_TRUE(KxtWriteConfig(folder, KxtLoggingConfig(displayLines)));
    plugin = KxtLoadPlugin(folder);
    ASSERT_NE(plugin.module, nullptr);
    ASSERT_TRUE(KxtWaitForHook(plugin));
}

void KeysFixture::Open()
{
    ASSERT_TRUE(KxtOpenOverlayByHotkey(*host));
}

void KeysFixture::Search(const std::wstring& text, int rows)
{
    // Every search logs one summary line; the list's count may still be an earlier search's.
    auto summaries = [&] { return KxtCountLines(KxtReadLogLines(plugin.LogPath()), "includeFolders="); };
    int before = summaries();
    KxtTypeText(text);
    ASSERT_TRUE(KxtWaitUntil([&] { return summaries() > before && KxtOverlayRowCount() == rows; }))
        << KxtUtf8(KxtOverlayText()) << " rows " << KxtOverlayRowCount();
}

std::wstring KeysFixture::HitPath(int n) const
{
    wchar_t name[64];
    _snwprintf(name, 64, L"docs\\kbfile_%02d.txt", n);
    return tree + name;
}

std::vector<std::string> KeysFixture::RootListing() const
{
    return KxtListPluginRoot<char>(plugin);
}

namespace {

// What the overlay's thread has taken from its queue, seen by a hook on that thread: the held key's
// press, the key bits of the click's button press, then its release.
volatile WPARAM g_kxtHeldKey;
volatile LONG g_kxtKeyTaken, g_kxtReleaseTaken, g_kxtPressBits;
volatile LONG g_kxtPointerX = -1, g_kxtPointerY = -1;

LRESULT CALLBACK KxtTakenInputHook(int code, WPARAM removed, LPARAM lParam)
{
    const MSG* message = (const MSG*)lParam;
    if (code == HC_ACTION && removed == PM_REMOVE) {
        if (message->message == WM_MOUSEMOVE) {
            InterlockedExchange(&g_kxtPointerX, message->pt.x);
            InterlockedExchange(&g_kxtPointerY, message->pt.y);
        }
        if (message->message == WM_KEYDOWN && message->wParam == g_kxtHeldKey) InterlockedExchange(&g_kxtKeyTaken, 1);
        if (message->message == WM_LBUTTONDOWN || message->message == WM_RBUTTONDOWN)
            InterlockedExchange(&g_kxtPressBits, (LONG)message->wParam);
        if (message->message == WM_LBUTTONUP || message->message == WM_RBUTTONUP || message->message == WM_MBUTTONUP)
            InterlockedExchange(&g_kxtReleaseTaken, 1);
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
}

}  // namespace

bool KxtClickRow(int row, WORD heldKey, DWORD down, DWORD up, int dx)
{
    POINT point = KxtCentreOf(KxtRowScreenRect(row));
    point.x += dx;
    if (!heldKey) {
        KxtMouseAt(point, down);
        KxtMouseAt(point, up);
        return true;
    }
    // Wine gives a click the modifier bits of the key state when the click is queued. Moving the pointer
    // makes Wine grab and release the display's pointer, after which the display reports its own key
    // state (where the held key is up) to the overlay's window, and Wine takes that over. So the pointer
    // goes to the row first, and the key is pressed once the overlay's thread has seen the move and
    // served its window's events; the click then carries the same position, so nothing moves.
    HWND overlay = KxtFindOverlay();
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, KxtTakenInputHook, nullptr,
                                   GetWindowThreadProcessId(overlay, nullptr));
    g_kxtHeldKey = heldKey;
    InterlockedExchange(&g_kxtKeyTaken, 0);
    InterlockedExchange(&g_kxtReleaseTaken, 0);
    InterlockedExchange(&g_kxtPressBits, 0);
    KxtMouseAt(point);
    // A pointer already there makes no move to see.
    KxtWaitUntil([&] { return g_kxtPointerX == point.x && g_kxtPointerY == point.y; }, 2000);
    for (int round = 0; round < 2; ++round) SendMessageTimeoutW(overlay, WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);
    KxtSendKey(heldKey, false);
    KxtWaitUntil([] { return g_kxtKeyTaken != 0; });
    KxtMouseAt(point, down);
    KxtMouseAt(point, up);
    KxtWaitUntil([] { return g_kxtReleaseTaken != 0; });
    KxtSendKey(heldKey, true);
    if (hook) UnhookWindowsHookEx(hook);
    LONG bit = heldKey == VK_SHIFT ? MK_SHIFT : heldKey == VK_CONTROL ? MK_CONTROL : 0;
    return (g_kxtPressBits & bit) == bit;
}

namespace {

// A chord's key that the overlay's thread takes while one of the chord's modifiers is up in that
// thread (Wine dropped it, see KxtClickRow) is turned into WM_NULL there, so that it changes nothing and
// the chord can be pressed again.
WORD g_kxtChordModifiers[4];
int g_kxtChordModifierCount;
volatile WPARAM g_kxtChordKey;
volatile LONG g_kxtChordKeyTaken, g_kxtChordKeyDropped;

LRESULT CALLBACK KxtChordGuardHook(int code, WPARAM removed, LPARAM lParam)
{
    MSG* message = (MSG*)lParam;
    if (code == HC_ACTION && removed == PM_REMOVE && message->wParam == g_kxtChordKey &&
        (message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN)) {
        bool held = true;
        for (int i = 0; i < g_kxtChordModifierCount; ++i) held = held && GetKeyState(g_kxtChordModifiers[i]) < 0;
        if (!held) {
            message->message = WM_NULL;
            InterlockedExchange(&g_kxtChordKeyDropped, 1);
        }
        InterlockedExchange(&g_kxtChordKeyTaken, 1);
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
}

bool KxtPressModifiers(const std::vector<WORD>& modifiers)
{
    for (WORD modifier : modifiers) KxtSendKey(modifier, false);
    return KxtWaitUntil([&] {
        for (WORD modifier : modifiers)
            if (GetAsyncKeyState(modifier) >= 0) return false;
        return true;
    });
}

}  // namespace

bool KxtHoldChord(const std::vector<WORD>& modifiers, const std::vector<WORD>& keys,
                  const std::function<bool()>& done)
{
    // Guarded only where the keys go to the overlay, which then takes each of them.
    HWND overlay = KxtFindOverlay();
    DWORD thread = overlay ? GetWindowThreadProcessId(overlay, nullptr) : 0;
    HWND front = GetForegroundWindow();
    HHOOK hook = nullptr;
    if (thread && front && GetWindowThreadProcessId(front, nullptr) == thread && modifiers.size() <= 4) {
        g_kxtChordModifierCount = (int)modifiers.size();
        for (size_t i = 0; i < modifiers.size(); ++i) g_kxtChordModifiers[i] = modifiers[i];
        hook = SetWindowsHookExW(WH_GETMESSAGE, KxtChordGuardHook, nullptr, thread);
    }
    bool held = KxtPressModifiers(modifiers);
    for (WORD key : keys) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            g_kxtChordKey = key;
            InterlockedExchange(&g_kxtChordKeyTaken, 0);
            InterlockedExchange(&g_kxtChordKeyDropped, 0);
            KxtPressChord({}, key);
            if (!hook || !KxtWaitUntil([] { return g_kxtChordKeyTaken != 0; }, 2000) || !g_kxtChordKeyDropped) break;
            held = KxtPressModifiers(modifiers);
        }
    }
    g_kxtChordKey = 0;
    if (hook) UnhookWindowsHookEx(hook);
    bool reached = held && KxtWaitUntil(done);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) KxtSendKey(*it, true);
    return reached;
}

HWND KxtList()
{
    return KxtOverlayControl(205);
}

std::vector<int> KxtSelectedRows()
{
    int count = (int)SendMessageW(KxtList(), LB_GETSELCOUNT, 0, 0);
    std::vector<int> rows(count > 0 ? count : 0);
    if (count > 0) SendMessageW(KxtList(), LB_GETSELITEMS, count, (LPARAM)rows.data());
    return rows;
}

int KxtTopIndex()
{
    return (int)SendMessageW(KxtList(), LB_GETTOPINDEX, 0, 0);
}

RECT KxtRowScreenRect(int row)
{
    RECT rect{};
    SendMessageW(KxtList(), LB_GETITEMRECT, row, (LPARAM)&rect);
    MapWindowPoints(KxtList(), nullptr, (POINT*)&rect, 2);
    return rect;
}

POINT KxtCentreOf(const RECT& rect)
{
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

HWND KxtOverlayFocus()
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(KxtFindOverlay(), nullptr), &info);
    return info.hwndFocus;
}

std::string KxtFocusReport()
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(KxtFindOverlay(), nullptr), &info);
    POINT cursor{};
    GetCursorPos(&cursor);
    // Who set the clipboard last: the overlay, or Wine's copy of the display's selection.
    char owner[64] = "";
    GetClassNameA(GetClipboardOwner(), owner, sizeof owner);
    char report[320];
    _snprintf(report, sizeof report,
              " [foreground %p overlay %p focus id %d capture %p cursor %ld,%ld clipboard owner %s]",
              (void*)GetForegroundWindow(), (void*)KxtFindOverlay(), GetDlgCtrlID(info.hwndFocus),
              (void*)info.hwndCapture, cursor.x, cursor.y, owner);
    report[sizeof report - 1] = 0;
    return report;
}

std::wstring KxtReadClipboard()
{
    std::wstring text;
    if (!OpenClipboard(nullptr)) return L"<clipboard busy>";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* locked = data ? (const wchar_t*)GlobalLock(data) : nullptr;
    if (locked) text = std::wstring(locked, wcsnlen(locked, GlobalSize(data) / sizeof(wchar_t)));
    if (locked) GlobalUnlock(data);
    CloseClipboard();
    return text;
}

void KxtWriteClipboard(const std::wstring& text)
{
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block) {
        memcpy(GlobalLock(block), text.c_str(), bytes);
        GlobalUnlock(block);
        if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
}

HWND KxtOpenMenu()
{
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

std::vector<std::wstring> KxtMenuItems(HWND menu)
{
    std::vector<std::wstring> items;
    HMENU handle = (HMENU)SendMessageW(menu, MN_GETHMENU, 0, 0);
    int count = handle ? GetMenuItemCount(handle) : 0;
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = L"";
        GetMenuStringW(handle, i, text, 128, MF_BYPOSITION);
        items.push_back(text);
    }
    return items;
}
