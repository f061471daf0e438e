#include "search/everything_client.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "config/settings.h"
#include "core/log.h"
#include "core/module_path.h"
#include "search/search_composition.h"

const wchar_t* g_searchFailureText = nullptr;

namespace {

constexpr const wchar_t* KX_EVERYTHING_CLASS = L"EVERYTHING_TASKBAR_NOTIFICATION";
constexpr const wchar_t* KX_REPLY_WINDOW_CLASS = L"KorvexEverythingIpcHelper";
constexpr ULONG_PTR KX_COPYDATA_QUERY2 = 18;
constexpr DWORD KX_REPLY_MESSAGE = 18;
constexpr DWORD KX_REQUEST_FULL_PATH = 0x4;
constexpr DWORD KX_REQUEST_SIZE = 0x10;
constexpr DWORD KX_REQUEST_DATE_MODIFIED = 0x40;
constexpr DWORD KX_REQUEST_FLAGS = KX_REQUEST_FULL_PATH | KX_REQUEST_SIZE | KX_REQUEST_DATE_MODIFIED;
constexpr DWORD KX_QUERY_TIMEOUT_MS = 1500;
constexpr int KX_QUERY_CHARS = 1024;

#pragma pack(push, 1)
struct KxQuery2Header {
    DWORD replyWindow;
    DWORD replyCopyDataMessage;
    DWORD searchFlags;
    DWORD offset;
    DWORD maxResults;
    DWORD requestFlags;
    DWORD sortType;
};
struct KxList2Header {
    DWORD totalItems;
    DWORD itemCount;
    DWORD offset;
    DWORD requestFlags;
    DWORD sortType;
};
struct KxItem2 {
    DWORD flags;
    DWORD dataOffset;
};
#pragma pack(pop)
static_assert(sizeof(KxQuery2Header) == 28 && sizeof(KxList2Header) == 20 && sizeof(KxItem2) == 8);

wchar_t g_lastEverythingClass[128];

template <typename T>
T KxReadAt(const BYTE* data, ULONGLONG offset)
{
    T value;
    memcpy(&value, data + offset, sizeof value);
    return value;
}

// Copies one item into result; 0 when any part of it lies outside the block.
int KxReadReplyItem(const BYTE* data, DWORD size, const KxItem2& item, KxResult& result)
{
    ULONGLONG offset = item.dataOffset;
    if (offset + sizeof(DWORD) > size) return 0;
    ULONGLONG length = KxReadAt<DWORD>(data, offset);
    ULONGLONG pathStart = offset + sizeof(DWORD);
    ULONGLONG sizeStart = pathStart + 2 * (length + 1);
    if (sizeStart + 2 * sizeof(ULONGLONG) > size) return 0;
    int kept = length < KX_PATH_CHARS - 1 ? (int)length : KX_PATH_CHARS - 1;
    memcpy(result.path, data + pathStart, kept * sizeof(wchar_t));
    result.path[kept] = L'\0';
    result.size = KxReadAt<ULONGLONG>(data, sizeStart);
    result.dateModified = KxReadAt<ULONGLONG>(data, sizeStart + sizeof(ULONGLONG));
    result.isFolder = item.flags & 1;
    return 1;
}

LRESULT CALLBACK KxEverythingReplyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA) return DefWindowProcW(window, message, wParam, lParam);
    KxQueryReply* reply = (KxQueryReply*)GetWindowLongPtrW(window, GWLP_USERDATA);
    const COPYDATASTRUCT* copy = (const COPYDATASTRUCT*)lParam;
    if (!reply || !copy || copy->dwData != KX_REPLY_MESSAGE) return TRUE;
    KxReadEverythingReply((const BYTE*)copy->lpData, copy->cbData, *reply);
    return TRUE;
}

struct KxInstanceSearch {
    HWND window;
    wchar_t* className;
    int capacity;
};

BOOL CALLBACK KxMatchInstanceWindow(HWND window, LPARAM parameter)
{
    KxInstanceSearch* search = (KxInstanceSearch*)parameter;
    wchar_t className[128];
    int length = GetClassNameW(window, className, 128);
    size_t plainLength = wcslen(KX_EVERYTHING_CLASS);
    if (length < (int)plainLength + 3 || wcsncmp(className, KX_EVERYTHING_CLASS, plainLength) != 0 ||
        wcsncmp(className + plainLength, L"_(", 2) != 0 || className[length - 1] != L')')
        return TRUE;
    search->window = window;
    lstrcpynW(search->className, className, search->capacity);
    return FALSE;
}

// Runs the wait of one query; 0 when a WM_QUIT ended it (the window is then already gone).
int KxWaitForReply(HWND replyWindow, const KxQueryReply& reply)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (reply.done || g_searchRestart) return 1;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed > KX_QUERY_TIMEOUT_MS - 1) return 1;
        MsgWaitForMultipleObjectsEx(0, nullptr, KX_QUERY_TIMEOUT_MS - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (!reply.done && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The thread's own loop must still see the quit.
                DestroyWindow(replyWindow);
                PostQuitMessage((int)message.wParam);
                return 0;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace

void KxComposeQueryString(const wchar_t* prefix, const wchar_t* text, const wchar_t* suffix, wchar_t* out,
                          int capacity)
{
    out[0] = L'\0';
    int length = 0;
    const wchar_t* parts[3] = {prefix, text, suffix};
    for (const wchar_t* part : parts) {
        if (!part || !part[0]) continue;
        if (length > 0 && length < capacity - 1) out[length++] = L' ';
        out[length] = L'\0';
        lstrcpynW(out + length, part, capacity - length);
        length = (int)wcslen(out);
    }
}

void KxReadEverythingReply(const BYTE* data, DWORD size, KxQueryReply& reply)
{
    // A later reply replaces an earlier one.
    reply.valid = 0;
    reply.count = 0;
    if (data && size >= sizeof(KxList2Header)) {
        KxList2Header header = KxReadAt<KxList2Header>(data, 0);
        // Without all three kinds of data the items cannot be read.
        if ((header.requestFlags & KX_REQUEST_FLAGS) == KX_REQUEST_FLAGS) {
            reply.total = header.totalItems;
            int n = (int)header.itemCount < reply.capacity ? (int)header.itemCount : reply.capacity;
            for (int j = 0; j < n; ++j) {
                ULONGLONG itemOffset = sizeof(KxList2Header) + (ULONGLONG)j * sizeof(KxItem2);
                if (itemOffset + sizeof(KxItem2) > size) break;
                if (!KxReadReplyItem(data, size, KxReadAt<KxItem2>(data, itemOffset), reply.results[reply.count]))
                    break;
                reply.count++;
            }
            reply.valid = 1;
        }
    }
    reply.done = 1;
}

HWND KxFindEverythingWindow(wchar_t* className, int capacity)
{
    lstrcpynW(className, KX_EVERYTHING_CLASS, capacity);
    HWND window = FindWindowW(KX_EVERYTHING_CLASS, nullptr);
    if (window) return window;
    KxInstanceSearch search{nullptr, className, capacity};
    EnumWindows(KxMatchInstanceWindow, (LPARAM)&search);
    return search.window;
}

int KxRunEverythingQuery(const wchar_t* prefix, const wchar_t* text, const wchar_t* suffix, KxResult* results,
                         int capacity, int* outCount, DWORD* outTotal)
{
    *outCount = 0;
    if (outTotal) *outTotal = 0;
    wchar_t className[128];
    HWND everything = KxFindEverythingWindow(className, 128);
    if (!everything) {
        KxLog(L"KxRunEverythingQuery: Everything's IPC window not found - is Everything running?");
        return 0;
    }
    if (wcscmp(className, g_lastEverythingClass) != 0) {
        lstrcpynW(g_lastEverythingClass, className, 128);
        KxLog(L"KxRunEverythingQuery: Everything answers through window class %ls", className);
    }

    wchar_t search[KX_QUERY_CHARS];
    KxComposeQueryString(prefix, text, suffix, search, KX_QUERY_CHARS);
    KxLog(L"KxRunEverythingQuery: IPC query=[%ls] cap=%d", search, capacity);
    if (g_settings.everythingDebug) {
        wchar_t line[1100];
        _snwprintf(line, 1100, L"Query: [%ls]", search);
        line[1099] = L'\0';
        KxDebugLog(line);
    }

    size_t searchBytes = (wcslen(search) + 1) * sizeof(wchar_t);
    size_t blockSize = sizeof(KxQuery2Header) + searchBytes;
    BYTE* block = (BYTE*)malloc(blockSize);
    if (!block) return 0;

    WNDCLASSW replyClass{};
    replyClass.lpfnWndProc = KxEverythingReplyProc;
    replyClass.hInstance = g_pluginModule;
    replyClass.lpszClassName = KX_REPLY_WINDOW_CLASS;
    RegisterClassW(&replyClass);
    HWND replyWindow = CreateWindowExW(0, KX_REPLY_WINDOW_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       g_pluginModule, nullptr);
    if (!replyWindow) {
        free(block);
        return 0;
    }
    ChangeWindowMessageFilterEx(replyWindow, WM_COPYDATA, MSGFLT_ALLOW, nullptr);

    KxQuery2Header header{(DWORD)(ULONG_PTR)replyWindow, KX_REPLY_MESSAGE, 0, 0, (DWORD)capacity,
                          KX_REQUEST_FLAGS, g_settings.sortType};
    memcpy(block, &header, sizeof header);
    memcpy(block + sizeof header, search, searchBytes);

    KxQueryReply reply{0, 0, 0, results, capacity, 0};
    SetWindowLongPtrW(replyWindow, GWLP_USERDATA, (LONG_PTR)&reply);
    COPYDATASTRUCT copy{KX_COPYDATA_QUERY2, (DWORD)blockSize, block};
    SendMessageW(everything, WM_COPYDATA, (WPARAM)replyWindow, (LPARAM)&copy);
    free(block);

    if (KxWaitForReply(replyWindow, reply)) DestroyWindow(replyWindow);
    if (!reply.done || !reply.valid) return 0;
    *outCount = reply.count;
    if (outTotal) *outTotal = reply.total;
    return 1;
}
