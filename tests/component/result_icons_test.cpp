#include <gtest/gtest.h>

#include <set>
#include <string>

#include "overlay/result_icons.h"

namespace {

KxResult FileNamed(const std::wstring& name)
{
    KxResult result{};
    lstrcpynW(result.path, (L"C:\\data\\" + name).c_str(), KX_PATH_CHARS);
    return result;
}

}  // namespace

TEST(ResultIcons, EveryRowGetsAnIconBeyondTheCacheWithoutAHandlePerPaint)
{
    KxResult folder = FileNamed(L"sub");
    folder.isFolder = 1;
    HICON folderIcon = KxGetResultIcon(folder);
    EXPECT_NE(folderIcon, nullptr);
    EXPECT_EQ(KxGetResultIcon(folder), folderIcon) << "fetched once";

    HICON pdf = KxGetResultIcon(FileNamed(L"a.pdf"));
    EXPECT_NE(pdf, nullptr);
    EXPECT_EQ(KxGetResultIcon(FileNamed(L"B.PDF")), pdf) << "extensions compare ignoring case";

    // 200 distinct extensions: more than the cache holds.
    for (int i = 0; i < 200; ++i) {
        std::wstring name = L"file.e" + std::to_wstring(i);
        EXPECT_NE(KxGetResultIcon(FileNamed(name)), nullptr) << name;
    }
    HICON rare = KxGetResultIcon(FileNamed(L"x.e199"));
    EXPECT_EQ(KxGetResultIcon(FileNamed(L"y.e199")), rare) << "a recent spilled extension is served again";
    EXPECT_EQ(KxGetResultIcon(FileNamed(L"a.pdf")), pdf) << "cached icons stay";

    wchar_t key[KX_ICON_KEY_CHARS];
    KxIconKeyOf(L"C:\\a.b\\noextension", key);
    EXPECT_STREQ(key, L"") << "a folder's dot is no extension";
    KxIconKeyOf(L"C:\\a\\name.averyveryverylongextension", key);
    EXPECT_EQ(wcslen(key), 15u);
    KxIconKeyOf(L"C:\\a\\plain", key);
    EXPECT_STREQ(key, L"");
}
