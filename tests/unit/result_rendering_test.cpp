#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/icon_renderings.h"
#include "overlay/highlight_text.h"
#include "overlay/result_rows.h"
#include "support/test_support.h"

namespace {

std::string Marks(const wchar_t* text, const wchar_t* query, int count = -1)
{
    if (count < 0) count = (int)wcslen(text);
    BYTE marks[KX_MARK_CHARS];
    int any = KxMarkQueryWords(text, count, query, marks);
    std::string out;
    for (int i = 0; i < count; ++i) out += marks[i] ? '1' : '0';
    EXPECT_EQ(any != 0, out.find('1') != std::string::npos) << "the result tells whether anything is marked";
    return out;
}

std::wstring ThousandsSeparator()
{
    wchar_t separator[9];
    if (!GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, separator, 9)) return L",";
    return separator;
}

}  // namespace

TEST(ResultRendering, ColumnRectanglesFromTheRightEdge)
{
    struct Case {
        const char* what;
        RECT row;
        KxColumnInput input;
        RECT folder, size, date;
    } cases[] = {
        {"Name, unmeasured date", {0, 0, 800, 21}, {100, 0, 0, 0, 0, 0, 0}, {476, 0, 602, 21}, {608, 0, 672, 21},
         {678, 0, 796, 21}},
        {"Full takes 40 % of the row", {0, 0, 800, 21}, {100, 0, 0, 1, 0, 0, 0}, {282, 0, 602, 21}, {608, 0, 672, 21},
         {678, 0, 796, 21}},
        {"Full on a narrow row gives way to the size", {0, 0, 300, 21}, {100, 0, 0, 1, 0, 0, 0}, {32, 0, 102, 21},
         {108, 0, 172, 21}, {178, 0, 296, 21}},
        {"overflow: the row is already 12 narrower", {0, 0, 788, 21}, {100, 0, 0, 0, 0, 0, 0}, {464, 0, 590, 21},
         {596, 0, 660, 21}, {666, 0, 784, 21}},
        {"measured date and drive icons", {0, 40, 800, 61}, {100, 90, 23, 0, 0, 0, 0}, {481, 40, 630, 61},
         {636, 40, 700, 61}, {706, 40, 796, 61}},
        {"150 %", {10, 0, 1210, 32}, {150, 0, 0, 0, 0, 0, 0}, {724, 0, 913, 32}, {922, 0, 1018, 32}, {1027, 0, 1204, 32}},
        {"measured size", {0, 0, 800, 21}, {100, 0, 0, 0, 80, 0, 0}, {460, 0, 586, 21}, {592, 0, 672, 21},
         {678, 0, 796, 21}},
    };
    for (const Case& c : cases) {
        KxColumns columns = KxComputeColumnRects(c.row, c.input);
        RECT folder = columns.folder, size = columns.size, date = columns.date;
        EXPECT_TRUE(EqualRect(&folder, &c.folder)) << c.what << ": folder " << folder.left << ".." << folder.right;
        EXPECT_TRUE(EqualRect(&size, &c.size)) << c.what << ": size " << size.left << ".." << size.right;
        EXPECT_TRUE(EqualRect(&date, &c.date)) << c.what << ": date " << date.left << ".." << date.right;
    }
}

TEST(ResultRendering, DateAndSizeColumnsNeverCutTheirTexts)
{
    struct Case {
        int widest, scale, width;
    } cases[] = {
        {0, 100, 0},      // nothing measured: the stored width stays
        {40, 100, 60},    // raised to the minimum
        {80, 100, 90},    // text + 10
        {108, 100, 118},  // exactly the usual cap
        {130, 100, 140},  // a long date takes its width
        {40, 150, 90},    // minimum at 150 %
        {160, 150, 175},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KxDateColumnWidthFor(c.widest, c.scale), c.width) << c.widest << " px at " << c.scale << " %";
    Case sizes[] = {
        {0, 100, 0},     // nothing measured: the usual width
        {50, 100, 64},   // fits the usual width
        {70, 100, 72},   // "125.8 KB" in a wide font is never cut to ".25.8 KB"
        {50, 150, 96},
        {100, 150, 103},
    };
    for (const Case& c : sizes)
        EXPECT_EQ(KxSizeColumnWidthFor(c.widest, c.scale), c.width) << "size " << c.widest << " px at " << c.scale;
}

TEST(ResultRendering, QueryWordsMarkEveryMatchIgnoringCase)
{
    EXPECT_EQ(Marks(L"README.md", L"re ad"), "111100000");
    EXPECT_EQ(Marks(L"README.md", L"md README"), "111111011");
    EXPECT_EQ(Marks(L"ReadMe", L"e"), "010001");
    EXPECT_EQ(Marks(L"aaa", L"aa"), "111") << "overlapping matches";
    EXPECT_EQ(Marks(L"readme.md", L"me."), "000011100") << "punctuation belongs to the word";
    EXPECT_EQ(Marks(L"abc", L"abcd"), "000") << "a word longer than the text";
    EXPECT_EQ(Marks(L"README", L" \t  "), "000000") << "only gaps: no words";
    EXPECT_EQ(Marks(L"README", L""), "000000");
    EXPECT_EQ(Marks(L"abcabc", L"bc", 4), "0110") << "only the first count characters take part";
    EXPECT_EQ(Marks(L"report 2024.pdf", L"\t2024\t"), "000000011110000");
}

TEST(ResultRendering, CountsUseTheUsersThousandsSeparator)
{
    std::wstring sep = ThousandsSeparator();
    wchar_t text[KX_COUNT_TEXT_CHARS];
    KxFormatResultCount(200, 56789, text);
    EXPECT_EQ(std::wstring(text), L"200 of 56" + sep + L"789");
    KxFormatResultCount(150, 150, text);
    EXPECT_EQ(std::wstring(text), L"150") << "all matches shown";
    KxFormatResultCount(5, 3, text);
    EXPECT_EQ(std::wstring(text), L"5");
    KxFormatResultCount(0, 0, text);
    EXPECT_EQ(std::wstring(text), L"0");
    wchar_t count[KX_COUNT_CHARS];
    KxFormatCount(4294967295u, count);
    EXPECT_EQ(std::wstring(count), L"4" + sep + L"294" + sep + L"967" + sep + L"295");
}

TEST(ResultRendering, DriveIconStyleOfARow)
{
    EXPECT_EQ(KxDriveIconStyleFor(0, 1, 1), 0) << "colour pictures on every row";
    EXPECT_EQ(KxDriveIconStyleFor(1, 0, 0), 1);
    EXPECT_EQ(KxDriveIconStyleFor(1, 0, 1), 2);
    EXPECT_EQ(KxDriveIconStyleFor(1, 1, 0), 3);
    EXPECT_EQ(KxDriveIconStyleFor(1, 1, 1), 3);
}

namespace {

// The pixels of a 16 x 16 square filled with background and then given an icon by draw.
std::vector<COLORREF> IconPixels(COLORREF background, const std::function<void(HDC)>& draw)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SetDCBrushColor(dc, background);
    RECT square{0, 0, 16, 16};
    FillRect(dc, &square, (HBRUSH)GetStockObject(DC_BRUSH));
    draw(dc);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

}  // namespace

TEST(ResultRendering, KeptIconRenderingsMatchDrawingTheIcon)
{
    // A system icon scaled down, with soft edges that blend with what lies below.
    HICON icon = LoadIconW(nullptr, IDI_WARNING);
    ASSERT_NE(icon, nullptr);
    for (COLORREF background : {RGB(255, 255, 255), RGB(0x1D, 0x4E, 0xD8), RGB(255, 255, 255)}) {
        auto direct = IconPixels(background, [&](HDC dc) { DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL); });
        auto kept = IconPixels(background, [&](HDC dc) { KxDrawIconOver(dc, icon, 0, 0, 16, background); });
        EXPECT_EQ(kept, direct) << std::hex << background;
    }
}

TEST(ResultRendering, TextWidthsKeptByShapeMatchMeasuring)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontW(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Segoe UI");
    HGDIOBJ oldFont = SelectObject(dc, font);
    KxWidthCache cache;
    KxStartWidthCache(dc, cache);
    const wchar_t* texts[] = {
        L"12/31/2024 11:59", L"01/02/2023 08:05", L"1/2/2024 1:05", L"03/04/2025 10:10 AM", L"999 B", L"111 B",
        L"1.5 KB", L"8.8 KB", L"1023.9 MB", L"\xFF17\xFF18 KB" /* full-width digits are no shape digits */,
        L"\xFF11\xFF12 KB", L"", L"a text far longer than any shape the cache keeps, measured every time",
    };
    // Twice over, so that the second round comes from the kept shapes, and past the slots' number.
    for (int round = 0; round < 2; ++round)
        for (const wchar_t* text : texts) {
            SIZE extent{};
            GetTextExtentPoint32W(dc, text, (int)wcslen(text), &extent);
            EXPECT_EQ(KxCachedTextWidth(dc, cache, text), extent.cx) << KxtUtf8(text);
        }
    for (int i = 0; i < KX_SHAPE_SLOTS + 4; ++i) {
        std::wstring text = std::wstring(i + 1, L'x') + L" 12";
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &extent);
        EXPECT_EQ(KxCachedTextWidth(dc, cache, text.c_str()), extent.cx) << i;
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
    DeleteDC(dc);
}
