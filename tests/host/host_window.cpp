#include "host/host_window.h"

#include "support/test_support.h"

std::vector<KxtKeyRecord> g_kxtKeys;

namespace {

KxtHost g_host;
constexpr WORD KXT_SYNC_KEY = VK_F24;

bool KxtDecodeChangeDir(const BYTE* data, size_t size, std::wstring& path)
{
    static const BYTE kBom[3] = {0xEF, 0xBB, 0xBF};
    static const BYTE kTail[7] = {0xEF, 0xBB, 0xBF, 0x00, 'S', 'A', 0x00};
    if (!data || size < 11 || memcmp(data, kBom, 3) != 0) return false;
    const BYTE* separator = (const BYTE*)memchr(data + 3, 0x0D, size - 3);
    if (!separator || (size_t)(data + size - separator) != 1 + sizeof kTail) return false;
    if (memcmp(separator + 1, kTail, sizeof kTail) != 0) return false;
    path = KxtWide(std::string((const char*)data + 3, separator - (data + 3)));
    return true;
}

void KxtPutSourceFolderOnClipboard(HWND owner)
{
    if (!OpenClipboard(owner)) return;
    EmptyClipboard();
    size_t bytes = (g_host.sourceFolder.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block) {
        memcpy(GlobalLock(block), g_host.sourceFolder.c_str(), bytes);
        GlobalUnlock(block);
        if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
}

// A panel shows a folder's entries, as the host's file lists do, so pictures of the desktop read naturally.
void KxtPaintPanel(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, (HBRUSH)GetStockObject(WHITE_BRUSH));
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    const wchar_t* pattern = window == g_host.leftPanel ? L"C:\\windows\\*" : L"C:\\windows\\system32\\*";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    int y = 4;
    while (search != INVALID_HANDLE_VALUE && y < client.bottom) {
        if (wcscmp(found.cFileName, L".") != 0) {
            bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            wchar_t line[320];
            _snwprintf(line, 320, folder ? L"[%ls]" : L"%ls", found.cFileName);
            line[319] = L'\0';
            SetTextColor(dc, folder ? RGB(0, 0, 128) : RGB(0, 0, 0));
            TextOutW(dc, 6, y, line, (int)wcslen(line));
            y += 18;
        }
        if (!FindNextFileW(search, &found)) break;
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    SelectObject(dc, oldFont);
    EndPaint(window, &paint);
}

LRESULT CALLBACK KxtRecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT && (window == g_host.leftPanel || window == g_host.rightPanel)) {
        KxtPaintPanel(window);
        return 0;
    }
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        g_kxtKeys.push_back({window, message, wParam});
        return 0;
    }
    if (message == WM_LBUTTONDOWN) SetFocus(window);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK KxtHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_USER + 51:
        g_host.commands.push_back(wParam);
        if (wParam == 2029 && !g_host.ignoreCopyPath) KxtPutSourceFolderOnClipboard(window);
        return 1;
    case WM_COPYDATA: {
        const COPYDATASTRUCT* copy = (const COPYDATASTRUCT*)lParam;
        if (!copy || copy->dwData != 0x4443) return FALSE;
        KxtChangeDirRecord record{};
        record.byteCount = copy->cbData;
        record.sender = (HWND)wParam;
        record.commandsBefore = g_host.commands.size();
        record.wellFormed = KxtDecodeChangeDir((const BYTE*)copy->lpData, copy->cbData, record.path);
        g_host.changeDirs.push_back(record);
        if (g_host.hangMs) Sleep(g_host.hangMs);
        return TRUE;
    }
    case WM_SIZE: {
        // Panels side by side under a button bar, the command line at the bottom, as the host lays them out.
        int width = LOWORD(lParam), height = HIWORD(lParam);
        int panelsHeight = height - 30 - 26;
        MoveWindow(g_host.leftPanel, 0, 30, width / 2 - 2, panelsHeight, TRUE);
        MoveWindow(g_host.rightPanel, width / 2 + 2, 30, width - width / 2 - 2, panelsHeight, TRUE);
        MoveWindow(g_host.commandLine, 0, height - 24, width, 24, TRUE);
        return 0;
    }
    }
    return KxtRecordingProc(window, message, wParam, lParam);
}

void KxtRegisterClass(const wchar_t* name, WNDPROC procedure, HBRUSH background)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    RegisterClassW(&windowClass);
}

HWND KxtCreateChild(const wchar_t* className, HWND parent)
{
    return CreateWindowExW(WS_EX_CLIENTEDGE, className, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10, parent,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}


// Wine releases the Ctrl, Alt and Shift that X does not know are down (all that SendInput holds) whenever
// the display's focus or pointer moves between windows, with key-ups that are not marked injected. Every
// real key here is injected by a test, so those releases are swallowed before they reach anyone.
LRESULT CALLBACK KxtKeepHeldKeysProc(int code, WPARAM message, LPARAM event)
{
    const KBDLLHOOKSTRUCT* key = (const KBDLLHOOKSTRUCT*)event;
    if (code == HC_ACTION && (message == WM_KEYUP || message == WM_SYSKEYUP) && !(key->flags & LLKHF_INJECTED))
        return 1;
    return CallNextHookEx(nullptr, code, message, event);
}

DWORD WINAPI KxtKeepHeldKeysThread(LPVOID installed)
{
    SetWindowsHookExW(WH_KEYBOARD_LL, KxtKeepHeldKeysProc, GetModuleHandleW(nullptr), 0);
    SetEvent((HANDLE)installed);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0)) DispatchMessageW(&message);
    return 0;
}

void KxtKeepHeldKeys()
{
    static bool started;
    if (started || !g_kxtKeepHeldKeys) return;
    started = true;
    HANDLE installed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, KxtKeepHeldKeysThread, installed, 0, nullptr);
    if (thread) WaitForSingleObject(installed, 10000);
    if (thread) CloseHandle(thread);
    CloseHandle(installed);
}

}  // namespace

void KxtSendKey(WORD key, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

bool g_kxtKeepHeldKeys = true;

KxtHost& KxtCreateHost(int x, int y, int width, int height)
{
    KxtKeepHeldKeys();
    KxtRegisterClass(L"TTOTAL_CMD", KxtHostProc, (HBRUSH)(COLOR_BTNFACE + 1));
    KxtRegisterClass(L"TMyListBox", KxtRecordingProc, (HBRUSH)GetStockObject(WHITE_BRUSH));
    KxtRegisterClass(L"TInEdit", KxtRecordingProc, (HBRUSH)GetStockObject(WHITE_BRUSH));
    g_host.sourceFolder = L"C:\\windows\\";
    g_host.main = CreateWindowExW(0, L"TTOTAL_CMD", L"Total Commander (test host)", WS_OVERLAPPEDWINDOW, x, y,
                                  width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    g_host.leftPanel = KxtCreateChild(L"TMyListBox", g_host.main);
    g_host.rightPanel = KxtCreateChild(L"TMyListBox", g_host.main);
    g_host.commandLine = KxtCreateChild(L"TInEdit", g_host.main);
    ShowWindow(g_host.main, SW_SHOW);
    RECT client;
    GetClientRect(g_host.main, &client);
    SendMessageW(g_host.main, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    UpdateWindow(g_host.main);
    KxtFocusHost(g_host);
    return g_host;
}

void KxtFocusHost(KxtHost& host, HWND focus)
{
    HWND target = focus ? focus : host.leftPanel;
    // Under Wine the display's own focus events can take the foreground away again shortly after a
    // window hides; the host has the focus once a key really reaches it.
    for (int attempt = 0; attempt < 10; ++attempt) {
        SetForegroundWindow(host.main);
        SetFocus(target);
        if (KxtWaitUntil([&] { return GetForegroundWindow() == host.main; }, 2000) &&
            KxtSyncKeyboard(target, 2000))
            return;
    }
}

HWND KxtCreateOtherWindow()
{
    KxtRegisterClass(L"KxtOtherApp", KxtRecordingProc, (HBRUSH)(COLOR_WINDOW + 1));
    HWND window = CreateWindowExW(0, L"KxtOtherApp", L"Another application", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300,
                                  300, 400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(window);
    SetFocus(window);
    KxtWaitUntil([&] { return GetForegroundWindow() == window; }, 10000);
    return window;
}

void KxtPressChord(const std::vector<WORD>& modifiers, WORD key)
{
    for (WORD modifier : modifiers) KxtSendKey(modifier, false);
    KxtSendKey(key, false);
    KxtSendKey(key, true);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) KxtSendKey(*it, true);
}

bool KxtKeyReached(HWND window, WPARAM virtualKey)
{
    for (const KxtKeyRecord& record : g_kxtKeys)
        if (record.window == window && record.virtualKey == virtualKey) return true;
    return false;
}

bool KxtSyncKeyboard(HWND window, DWORD timeoutMs)
{
    size_t before = g_kxtKeys.size();
    KxtSendKey(KXT_SYNC_KEY, false);
    KxtSendKey(KXT_SYNC_KEY, true);
    return KxtWaitUntil([&] {
        for (size_t i = before; i < g_kxtKeys.size(); ++i)
            if (g_kxtKeys[i].window == window && g_kxtKeys[i].virtualKey == KXT_SYNC_KEY) return true;
        return false;
    }, timeoutMs);
}
