#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "core/clipboard_snapshot.h"
#include "core/log.h"
#include "panel/result_actions.h"
#include "support/test_support.h"

namespace {

struct ClipboardItem {
    UINT format;
    std::string bytes;
};

HWND KxtClipboardOwner()
{
    static HWND owner = CreateWindowExW(0, L"STATIC", L"owner", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    return owner;
}

void KxtPutOnClipboard(const std::vector<ClipboardItem>& items)
{
    ASSERT_TRUE(OpenClipboard(KxtClipboardOwner()));
    EmptyClipboard();
    for (const ClipboardItem& item : items) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, item.bytes.size());
        memcpy(GlobalLock(block), item.bytes.data(), item.bytes.size());
        GlobalUnlock(block);
        SetClipboardData(item.format, block);
    }
    CloseClipboard();
}

std::string KxtClipboardBytes(UINT format)
{
    std::string bytes;
    if (!OpenClipboard(KxtClipboardOwner())) return bytes;
    HANDLE data = GetClipboardData(format);
    if (data) {
        const char* from = (const char*)GlobalLock((HGLOBAL)data);
        bytes.assign(from, GlobalSize((HGLOBAL)data));
        GlobalUnlock((HGLOBAL)data);
    }
    CloseClipboard();
    return bytes;
}

std::string KxtWideBytes(const std::wstring& text)
{
    return std::string((const char*)text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

// A file list as Explorer puts it on the clipboard: DROPFILES, then NUL-separated wide paths.
std::string KxtFileList(const std::vector<std::wstring>& paths)
{
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::string bytes((const char*)&header, sizeof header);
    for (const std::wstring& path : paths) bytes += KxtWideBytes(path);
    bytes.append(2, '\0');
    return bytes;
}

}  // namespace

TEST(ClipboardSnapshot, TextFilesAndPrivateFormatsComeBackIntact)
{
    UINT custom = RegisterClipboardFormatW(L"Korvex test format");
    std::string text = KxtWideBytes(L"my copied text, 日本語");
    std::string files = KxtFileList({L"C:\\a.txt", L"C:\\dir\\b.pdf"});
    std::string binary("\x00\x01\x02\xFF", 4);
    KxtPutOnClipboard({{CF_UNICODETEXT, text}, {CF_HDROP, files}, {custom, binary}});

    KxClipboardSnapshot snapshot;
    ASSERT_TRUE(KxSaveClipboard(KxtClipboardOwner(), snapshot));
    KxtPutOnClipboard({{CF_UNICODETEXT, KxtWideBytes(L"C:\\host\\folder")}});
    KxRestoreClipboard(KxtClipboardOwner(), snapshot);

    EXPECT_EQ(snapshot.count, 0);
    EXPECT_EQ(KxtClipboardBytes(CF_UNICODETEXT).substr(0, text.size()), text);
    EXPECT_EQ(KxtClipboardBytes(CF_HDROP).substr(0, files.size()), files);
    EXPECT_EQ(KxtClipboardBytes(custom).substr(0, binary.size()), binary);
}

TEST(ClipboardSnapshot, AnEmptyClipboardStaysEmpty)
{
    ASSERT_TRUE(OpenClipboard(KxtClipboardOwner()));
    EmptyClipboard();
    CloseClipboard();
    KxClipboardSnapshot snapshot;
    ASSERT_TRUE(KxSaveClipboard(KxtClipboardOwner(), snapshot));
    KxtPutOnClipboard({{CF_UNICODETEXT, KxtWideBytes(L"C:\\host\\folder")}});
    KxRestoreClipboard(KxtClipboardOwner(), snapshot);
    ASSERT_TRUE(OpenClipboard(KxtClipboardOwner()));
    EXPECT_EQ(CountClipboardFormats(), 0);
    CloseClipboard();
}

TEST(ClipboardText, ReadIsBoundedByCapacityAndByTheBlock)
{
    KxtPutOnClipboard({{CF_UNICODETEXT, KxtWideBytes(L"C:\\some\\folder")}});
    wchar_t out[8];
    EXPECT_TRUE(KxReadClipboardText(KxtClipboardOwner(), out, 8));
    EXPECT_STREQ(out, L"C:\\some");

    // Text without a terminator inside its block is read no further than the block.
    KxtPutOnClipboard({{CF_UNICODETEXT, std::string("A\0B\0C\0", 6)}});
    wchar_t whole[64];
    EXPECT_TRUE(KxReadClipboardText(KxtClipboardOwner(), whole, 64));
    EXPECT_LE(wcslen(whole), 3u);
    EXPECT_EQ(std::wstring(whole).substr(0, 2), L"AB");
}

TEST(ClipboardSnapshot, FormatsWindowsMakesFromAnotherAreNotCopied)
{
    UINT registered = RegisterClipboardFormatW(L"Korvex test format");
    struct Case {
        const char* what;
        std::vector<UINT> formats;
        int ok;
        std::vector<bool> keep;
    } cases[] = {
        {"Unicode text and its 8-bit forms", {CF_UNICODETEXT, CF_LOCALE, CF_TEXT, CF_OEMTEXT}, 1, {1, 1, 0, 0}},
        {"8-bit text placed first", {CF_TEXT, CF_UNICODETEXT}, 1, {1, 0}},
        {"a bitmap and its device-independent forms", {CF_BITMAP, CF_DIB, CF_PALETTE, CF_DIBV5}, 1, {0, 1, 0, 0}},
        {"a bitmap alone", {CF_BITMAP}, 0, {0}},
        {"an old metafile and its enhanced form", {CF_METAFILEPICT, CF_ENHMETAFILE}, 1, {0, 1}},
        {"a GDI object", {CF_HDROP, CF_GDIOBJFIRST + 1}, 0, {1, 0}},
        {"files and a registered format", {CF_HDROP, registered}, 1, {1, 1}},
    };
    for (const Case& c : cases) {
        bool keep[8] = {};
        EXPECT_EQ(KxChooseClipboardFormats(c.formats.data(), (int)c.formats.size(), keep), c.ok) << c.what;
        for (size_t i = 0; c.ok && i < c.formats.size(); ++i) EXPECT_EQ(keep[i], c.keep[i]) << c.what << " " << i;
    }
}

namespace {

struct KxtHold {
    HANDLE opened, release;
};

DWORD WINAPI KxtHoldClipboard(LPVOID parameter)
{
    KxtHold* hold = (KxtHold*)parameter;
    HWND owner = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    BOOL opened = OpenClipboard(owner);
    SetEvent(hold->opened);
    if (opened) {
        WaitForSingleObject(hold->release, 30000);
        CloseClipboard();
    }
    DestroyWindow(owner);
    return 0;
}

VOID CALLBACK KxtReleaseHold(PVOID release, BOOLEAN)
{
    SetEvent((HANDLE)release);
}

}  // namespace

// A copy waits out another program's brief hold of the clipboard; a hold that lasts leaves the clipboard
// as it was and says so in the log.
TEST(ClipboardText, ACopyWaitsOutABriefHoldAndSaysSoWhenTheHoldLasts)
{
    std::wstring folder = KxtMakeTempFolder();
    lstrcpynW(g_logPath, (folder + L"Korvex.log").c_str(), 2048);
    g_loggingEnabled = 1;
    const struct {
        DWORD heldMs;
        bool copied;
    } cases[] = {{10, true}, {INFINITE, false}};
    for (const auto& c : cases) {
        KxtPutOnClipboard({{CF_UNICODETEXT, KxtWideBytes(L"before")}});
        KxtHold hold{CreateEventW(nullptr, TRUE, FALSE, nullptr), CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        HANDLE holder = CreateThread(nullptr, 0, KxtHoldClipboard, &hold, 0, nullptr);
        ASSERT_EQ(WaitForSingleObject(hold.opened, 30000), WAIT_OBJECT_0);
        // The release comes from a timer of the system, while the copy is already waiting.
        HANDLE timer = nullptr;
        if (c.heldMs != INFINITE)
            CreateTimerQueueTimer(&timer, nullptr, KxtReleaseHold, hold.release, c.heldMs, 0, WT_EXECUTEONLYONCE);
        KxCopyTextToClipboard(KxtClipboardOwner(), L"C:\\docs\\a.txt");
        SetEvent(hold.release);
        WaitForSingleObject(holder, 30000);
        if (timer) DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE);
        CloseHandle(holder);
        CloseHandle(hold.opened);
        CloseHandle(hold.release);
        EXPECT_EQ(KxtClipboardBytes(CF_UNICODETEXT), KxtWideBytes(c.copied ? L"C:\\docs\\a.txt" : L"before"))
            << c.heldMs;
    }
    std::vector<std::string> log = KxtReadLogLines(folder + L"Korvex.log");
    EXPECT_EQ(KxtCountLines(log, "KxCopyTextToClipboard: the clipboard is held by another program - nothing copied."), 1);
    g_loggingEnabled = 0;
}
