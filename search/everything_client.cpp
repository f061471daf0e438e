#include "search/everything_client.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "config/settings.h"
#include "core/background_thread.h"
#include "core/log.h"
#include "core/module_path.h"
#include "search/search_composition.h"

const wchar_t* g_searchFailureText = nullptr;

namespace {

constexpr const wchar_t* KX_EVERYTHING_CLASS = L"EVERYTHING_TASKBAR_NOTIFICATION";
constexpr const wchar_t* KX_REPLY_WINDOW_CLASS = L"KorvexEverythingIpcHelper";
constexpr ULONG_PTR KX_COPYDATA_QUERY2 = 18;
constexpr DWORD KX_REQUEST_FULL_PATH = 0x4;
constexpr DWORD KX_REQUEST_SIZE = 0x10;
constexpr DWORD KX_REQUEST_DATE_MODIFIED = 0x40;
constexpr DWORD KX_REQUEST_FLAGS = KX_REQUEST_FULL_PATH | KX_REQUEST_SIZE | KX_REQUEST_DATE_MODIFIED;
// The send and the wait for the reply share this budget.
constexpr DWORD KX_QUERY_TIMEOUT_MS = 1500;
// Everything has just answered the query's send, so its window is pumping; a short limit suffices.
constexpr DWORD KX_DB_LOADED_TIMEOUT_MS = 100;
constexpr WPARAM KX_IPC_IS_DB_LOADED = 401;
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

enum KxItemRead { KX_ITEM_OUTSIDE, KX_ITEM_COPIED, KX_ITEM_TOO_LONG };

// Copies one item into result. A path longer than a KxResult holds is not copied: its cut would name
// another file, which every action would then reach.
KxItemRead KxReadReplyItem(const BYTE* data, DWORD size, const KxItem2& item, KxResult& result)
{
    ULONGLONG offset = item.dataOffset;
    if (offset + sizeof(DWORD) > size) return KX_ITEM_OUTSIDE;
    ULONGLONG length = KxReadAt<DWORD>(data, offset);
    ULONGLONG pathStart = offset + sizeof(DWORD);
    ULONGLONG sizeStart = pathStart + 2 * (length + 1);
    if (sizeStart + 2 * sizeof(ULONGLONG) > size) return KX_ITEM_OUTSIDE;
    if (length > KX_PATH_CHARS - 1) return KX_ITEM_TOO_LONG;
    memcpy(result.path, data + pathStart, length * sizeof(wchar_t));
    result.path[length] = L'\0';
    result.size = KxReadAt<ULONGLONG>(data, sizeStart);
    result.dateModified = KxReadAt<ULONGLONG>(data, sizeStart + sizeof(ULONGLONG));
    result.isFolder = item.flags & 1;
    return KX_ITEM_COPIED;
}

// The query being waited for; null between queries. Kept here, not in the window's data, because each
// change of a window's data is a round trip to the window server.
KxQueryReply* g_awaitedReply;

LRESULT CALLBACK KxEverythingReplyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA) return DefWindowProcW(window, message, wParam, lParam);
    KxQueryReply* reply = g_awaitedReply;
    const COPYDATASTRUCT* copy = (const COPYDATASTRUCT*)lParam;
    // Between queries, and for the late reply of an abandoned query, nobody waits: dropped.
    if (!reply || !copy || copy->dwData != reply->message) return TRUE;
    KxReadEverythingReply((const BYTE*)copy->lpData, copy->cbData, *reply);
    return TRUE;
}

int KxCountQuotes(const wchar_t* text, int length)
{
    int quotes = 0;
    for (int i = 0; i < length; ++i) quotes += text[i] == L'"';
    return quotes;
}

typedef BOOL(WINAPI* KxChangeWindowMessageFilterExProc)(HWND, UINT, DWORD, void*);

// Lets an Everything of any integrity level reply; looked up at run time, as older Windows lack it.
void KxAllowRepliesFromAnyLevel(HWND window)
{
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto allow = reinterpret_cast<KxChangeWindowMessageFilterExProc>(reinterpret_cast<void (*)()>(
        user32 ? GetProcAddress(user32, "ChangeWindowMessageFilterEx") : nullptr));
    if (allow) allow(window, WM_COPYDATA, 1 /* MSGFLT_ALLOW */, nullptr);
}

// One reply window for the life of the thread: creating one per query cost more than the query itself.
HWND g_replyWindow;
DWORD g_lastReplyMessage;

HWND KxReplyWindow()
{
    if (g_replyWindow && IsWindow(g_replyWindow)) return g_replyWindow;
    static bool registered;
    if (!registered) {
        WNDCLASSW replyClass{};
        replyClass.lpfnWndProc = KxEverythingReplyProc;
        replyClass.hInstance = g_pluginModule;
        replyClass.lpszClassName = KX_REPLY_WINDOW_CLASS;
        registered = RegisterClassW(&replyClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    g_replyWindow = CreateWindowExW(0, KX_REPLY_WINDOW_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    g_pluginModule, nullptr);
    if (g_replyWindow) KxAllowRepliesFromAnyLevel(g_replyWindow);
    return g_replyWindow;
}

// Each query its own number, so that a reply to an earlier query can be told apart.
DWORD KxNextReplyMessage()
{
    if (++g_lastReplyMessage == 0) g_lastReplyMessage = 1;
    return g_lastReplyMessage;
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

enum KxWaitOutcome { KX_WAIT_REPLIED, KX_WAIT_ABANDONED, KX_WAIT_TIMED_OUT, KX_WAIT_QUIT };

// Serves the thread's messages until the reply is in, a restart is asked for, the budget that began
// at start is spent, or a WM_QUIT arrives (posted again, so the thread's own loop still sees it).
KxWaitOutcome KxWaitForReply(const KxQueryReply& reply, DWORD start)
{
    for (;;) {
        if (reply.done) return KX_WAIT_REPLIED;
        if (g_searchRestart) return KX_WAIT_ABANDONED;
        DWORD elapsed = GetTickCount() - start;
        if (elapsed > KX_QUERY_TIMEOUT_MS - 1) return KX_WAIT_TIMED_OUT;
        MsgWaitForMultipleObjectsEx(0, nullptr, KX_QUERY_TIMEOUT_MS - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (!reply.done && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage((int)message.wParam);
                return KX_WAIT_QUIT;
            }
            if (KxHandleThreadMessage(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// An empty or missing answer may only mean that Everything has not finished reading its index.
int KxIsEverythingLoading(HWND everything)
{
    DWORD_PTR loaded = 1;
    if (!SendMessageTimeoutW(everything, WM_USER, KX_IPC_IS_DB_LOADED, 0, SMTO_ABORTIFHUNG, KX_DB_LOADED_TIMEOUT_MS,
                             &loaded))
        return 0;
    return loaded == 0;
}

// The overlay shows why, and the log says the same; a query that was answered clears it.
void KxReportQueryOutcome(KxQueryFailure failure)
{
    g_searchFailureText = KxQueryFailureText(failure);
    if (g_searchFailureText) KxLog(L"KxRunEverythingQuery: %ls", g_searchFailureText);
}

struct KxQueryBlock {
    BYTE* bytes;
    DWORD size;
};

KxQueryBlock KxBuildQueryBlock(const wchar_t* search, HWND replyWindow, DWORD replyMessage, int capacity)
{
    size_t searchBytes = (wcslen(search) + 1) * sizeof(wchar_t);
    KxQueryBlock block{(BYTE*)malloc(sizeof(KxQuery2Header) + searchBytes),
                       (DWORD)(sizeof(KxQuery2Header) + searchBytes)};
    if (!block.bytes) return block;
    KxQuery2Header header{(DWORD)(ULONG_PTR)replyWindow, replyMessage, 0, 0, (DWORD)capacity, KX_REQUEST_FLAGS,
                          g_settings.sortType};
    memcpy(block.bytes, &header, sizeof header);
    memcpy(block.bytes + sizeof header, search, searchBytes);
    return block;
}

void KxLogQuery(const wchar_t* search, int capacity)
{
    KxLog(L"KxRunEverythingQuery: IPC query=[%ls] cap=%d", search, capacity);
    if (!g_settings.everythingDebug) return;
    wchar_t line[1100];
    _snwprintf(line, 1100, L"Query: [%ls]", search);
    line[1099] = L'\0';
    KxDebugLog(line);
}

}  // namespace

void KxComposeQueryString(const wchar_t* prefix, const wchar_t* text, const wchar_t* suffix, wchar_t* out,
                          int capacity)
{
    out[0] = L'\0';
    if (capacity < 1) return;
    int prefixLength = prefix ? (int)wcslen(prefix) : 0;
    int textLength = text ? (int)wcslen(text) : 0;
    int suffixLength = suffix ? (int)wcslen(suffix) : 0;
    int separators = (prefixLength > 0) + (textLength > 0) + (suffixLength > 0) - 1;
    // Room for the typed text: the prefix and the suffix are never cut.
    int room = (capacity - 1) - prefixLength - suffixLength - (separators > 0 ? separators : 0);
    int keep = textLength < room ? textLength : (room > 0 ? room : 0);
    if (keep < textLength && keep > 0 && IS_HIGH_SURROGATE(text[keep - 1])) keep--;
    // A phrase still open (being typed, or opened before the cut) would take the suffix into it, and the
    // file query would then find nothing: close it, giving up one more unit when there is no room.
    bool closeQuote = suffixLength > 0 && KxCountQuotes(text, keep) % 2 == 1;
    if (closeQuote && keep + 1 > room) {
        keep--;
        if (keep > 0 && IS_HIGH_SURROGATE(text[keep - 1])) keep--;
        closeQuote = KxCountQuotes(text, keep) % 2 == 1;
    }
    int length = 0;
    auto append = [&](const wchar_t* part, int partLength) {
        if (partLength <= 0) return;
        if (length > 0 && length < capacity - 1) out[length++] = L' ';
        int space = capacity - 1 - length;
        int copied = partLength < space ? partLength : space;
        memcpy(out + length, part, copied * sizeof(wchar_t));
        length += copied;
    };
    append(prefix, prefixLength);
    append(text, keep);
    if (closeQuote && length < capacity - 1) out[length++] = L'"';
    append(suffix, suffixLength);
    out[length] = L'\0';
}

KxQueryFailure KxClassifyQuerySend(LRESULT sendResult, DWORD lastError)
{
    if (sendResult) return KX_QUERY_ANSWERED;
    switch (lastError) {
    // User interface privilege isolation refuses messages to a process of a higher integrity level.
    case ERROR_ACCESS_DENIED: return KX_QUERY_ACCESS_DENIED;
    // The window went away between finding it and sending to it.
    case ERROR_INVALID_WINDOW_HANDLE: return KX_QUERY_NOT_RUNNING;
    default: return KX_QUERY_NO_ANSWER;
    }
}

const wchar_t* KxQueryFailureText(KxQueryFailure failure)
{
    static const wchar_t* const kTexts[] = {
        nullptr,
        L"Everything is not running",
        L"Everything runs as administrator \u2014 start it without, or run it as a service",
        L"Everything is still loading its index",
        L"Everything did not answer in time",
    };
    return failure >= 0 && failure < (int)(sizeof kTexts / sizeof kTexts[0]) ? kTexts[failure] : nullptr;
}

void KxReadEverythingReply(const BYTE* data, DWORD size, KxQueryReply& reply)
{
    // A later reply replaces an earlier one.
    reply.valid = 0;
    reply.count = 0;
    reply.leftOut = 0;
    if (data && size >= sizeof(KxList2Header)) {
        KxList2Header header = KxReadAt<KxList2Header>(data, 0);
        // Without all three kinds of data the items cannot be read.
        if ((header.requestFlags & KX_REQUEST_FLAGS) == KX_REQUEST_FLAGS) {
            reply.total = header.totalItems;
            // A hit left out makes room for the next one, up to capacity.
            for (DWORD j = 0; j < header.itemCount && reply.count < reply.capacity; ++j) {
                ULONGLONG itemOffset = sizeof(KxList2Header) + (ULONGLONG)j * sizeof(KxItem2);
                if (itemOffset + sizeof(KxItem2) > size) break;
                KxItemRead read =
                    KxReadReplyItem(data, size, KxReadAt<KxItem2>(data, itemOffset), reply.results[reply.count]);
                if (read == KX_ITEM_OUTSIDE) break;
                if (read == KX_ITEM_TOO_LONG)
                    reply.leftOut++;
                else
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
        KxReportQueryOutcome(KX_QUERY_NOT_RUNNING);
        return 0;
    }
    if (wcscmp(className, g_lastEverythingClass) != 0) {
        lstrcpynW(g_lastEverythingClass, className, 128);
        KxLog(L"KxRunEverythingQuery: Everything answers through window class %ls", className);
    }

    wchar_t search[KX_QUERY_CHARS];
    KxComposeQueryString(prefix, text, suffix, search, KX_QUERY_CHARS);
    KxLogQuery(search, capacity);
    HWND replyWindow = KxReplyWindow();
    if (!replyWindow) return 0;
    KxQueryReply reply{0, 0, 0, results, capacity, 0, KxNextReplyMessage(), 0};
    KxQueryBlock block = KxBuildQueryBlock(search, replyWindow, reply.message, capacity);
    if (!block.bytes) return 0;

    g_awaitedReply = &reply;
    // A hung Everything must not hold the thread: the send and the wait share one budget.
    DWORD start = GetTickCount();
    COPYDATASTRUCT copy{KX_COPYDATA_QUERY2, block.size, block.bytes};
    DWORD_PTR answer = 0;
    LRESULT sent = SendMessageTimeoutW(everything, WM_COPYDATA, (WPARAM)replyWindow, (LPARAM)&copy, SMTO_ABORTIFHUNG,
                                       KX_QUERY_TIMEOUT_MS, &answer);
    KxQueryFailure failure = KxClassifyQuerySend(sent, sent ? 0 : GetLastError());
    free(block.bytes);
    KxWaitOutcome outcome = failure == KX_QUERY_ANSWERED ? KxWaitForReply(reply, start) : KX_WAIT_TIMED_OUT;
    g_awaitedReply = nullptr;

    // An abandoned query says nothing about Everything.
    if (outcome != KX_WAIT_ABANDONED && outcome != KX_WAIT_QUIT) {
        if (failure == KX_QUERY_ANSWERED && (!reply.valid || reply.count == 0) && KxIsEverythingLoading(everything))
            failure = KX_QUERY_LOADING;
        else if (failure == KX_QUERY_ANSWERED && !reply.done)
            failure = KX_QUERY_NO_ANSWER;
        KxReportQueryOutcome(failure);
    }
    if (failure != KX_QUERY_ANSWERED || !reply.done || !reply.valid) return 0;
    if (reply.leftOut > 0)
        KxLog(L"KxRunEverythingQuery: left out %d hit(s) whose paths are longer than %d characters", reply.leftOut,
              KX_PATH_CHARS - 1);
    *outCount = reply.count;
    if (outTotal) *outTotal = reply.total;
    return 1;
}
