#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "overlay/about_box.h"

namespace {

struct Size {
    unsigned width, height;
};

const Size kShipped[] = {{23, 16}, {26, 18}, {29, 20}, {33, 23}, {39, 27},
                         {46, 32}, {52, 36}, {59, 41}, {65, 45}, {78, 54}};

void Put(std::vector<BYTE>& bytes, size_t at, unsigned value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = (BYTE)(value >> (8 * i));
}

// A resource laid out as the plug-in ships it: ten pictures from offset 128.
std::vector<BYTE> ShippedLayout()
{
    std::vector<BYTE> bytes(128);
    bytes[0] = 'V', bytes[1] = 'S', bytes[2] = 'L', bytes[3] = 'G';
    Put(bytes, 4, 10);
    size_t offset = 128;
    for (int i = 0; i < 10; ++i) {
        Put(bytes, 8 + 12 * i, kShipped[i].width);
        Put(bytes, 12 + 12 * i, kShipped[i].height);
        Put(bytes, 16 + 12 * i, (unsigned)offset);
        offset += kShipped[i].width * kShipped[i].height * 4;
    }
    bytes.resize(offset);
    return bytes;
}

std::string Chosen(const std::vector<BYTE>& bytes, int lineHeight, size_t size = (size_t)-1)
{
    KxAboutPicture picture{};
    if (size == (size_t)-1) size = bytes.size();
    if (!KxChooseAboutPicture(bytes.data(), (DWORD)size, lineHeight, &picture)) {
        EXPECT_EQ(picture.pixels, nullptr);
        return "none";
    }
    EXPECT_GE(picture.pixels, bytes.data() + 8);
    EXPECT_LE(picture.pixels + picture.width * picture.height * 4, bytes.data() + size) << "inside the resource";
    return std::to_string(picture.width) + "x" + std::to_string(picture.height);
}

int LineHeightAt(int dpi)
{
    return MulDiv(18, KxAboutScalePercent(dpi), 100);
}

}  // namespace

TEST(AboutPicture, TheHeightClosestToTheLineWins)
{
    std::vector<BYTE> shipped = ShippedLayout();
    ASSERT_EQ(shipped.size(), 64640u);
    struct Case {
        int dpi;
        const char* chosen;
    } cases[] = {{96, "26x18"}, {120, "33x23"}, {130, "33x23"}, {144, "39x27"}, {288, "78x54"}, {72, "23x16"}};
    for (const Case& c : cases) EXPECT_EQ(Chosen(shipped, LineHeightAt(c.dpi)), c.chosen) << c.dpi << " dpi";
    EXPECT_EQ(Chosen(shipped, 17), "23x16") << "a tie goes to the earlier picture";
}

TEST(AboutPicture, MalformedResourcesGiveNoPictureOrOnlyPicturesInside)
{
    std::vector<BYTE> shipped = ShippedLayout();
    EXPECT_EQ(Chosen(shipped, 27, 5792), "29x20") << "cut after the third picture";
    EXPECT_EQ(Chosen(shipped, 18, 128), "none") << "the table fits, no picture does";
    EXPECT_EQ(Chosen(shipped, 18, 127), "none") << "the table runs past the end";
    EXPECT_EQ(Chosen(shipped, 18, 7), "none");

    std::vector<BYTE> magic = shipped;
    magic[3] = 'X';
    EXPECT_EQ(Chosen(magic, 18), "none");

    std::vector<BYTE> empty = shipped;
    Put(empty, 4, 0);
    EXPECT_EQ(Chosen(empty, 18), "none");

    std::vector<BYTE> tooMany = shipped;
    Put(tooMany, 4, 0xFFFFFFFFu);
    EXPECT_EQ(Chosen(tooMany, 18), "none") << "the table would run past the end";

    std::vector<BYTE> huge = shipped;
    Put(huge, 8 + 12, 0x10000);  // 65536 x 65536 from a small offset: must not wrap round
    Put(huge, 12 + 12, 0x10000);
    Put(huge, 8 + 24, 0xFFFFFFFFu);
    Put(huge, 12 + 24, 18);
    Put(huge, 16 + 36, 0xFFFFFFF0u);  // offset past the end
    EXPECT_EQ(Chosen(huge, 18), "23x16");
}
