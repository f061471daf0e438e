// The pictures in both plug-in DLLs, read as data files: the 32-bit one cannot run here, and
// the 64-bit loader reads any PE file's resources this way.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kIconSizes[] = {12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 24, 26, 28, 30, 32, 36, 40, 44, 48};
const int kPictureSizes[][2] = {{23, 16}, {26, 18}, {29, 20}, {33, 23}, {39, 27},
                                {46, 32}, {52, 36}, {59, 41}, {65, 45}, {78, 54}};
constexpr int kIconSizeCount = sizeof(kIconSizes) / sizeof(kIconSizes[0]);
constexpr DWORD kPictureBytes = 64640;

struct KxtResource {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

KxtResource KxtFindResource(HMODULE module, int id, const wchar_t* type)
{
    KxtResource resource;
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!info) return resource;
    HGLOBAL handle = LoadResource(module, info);
    resource.data = handle ? static_cast<const BYTE*>(LockResource(handle)) : nullptr;
    resource.size = resource.data ? SizeofResource(module, info) : 0;
    return resource;
}

DWORD KxtReadU32(const BYTE* p)
{
    DWORD v;
    memcpy(&v, p, 4);
    return v;
}

WORD KxtReadU16(const BYTE* p)
{
    WORD v;
    memcpy(&v, p, 2);
    return v;
}

// One image of an icon group, as the group's directory lists it.
struct KxtIconEntry {
    int width, height, bitCount, id;
};

// GRPICONDIR: 6-byte header, then 14-byte entries (sizes, colour count, planes, bit count, bytes, id).
std::vector<KxtIconEntry> KxtIconGroupEntries(const KxtResource& group)
{
    std::vector<KxtIconEntry> entries;
    if (group.size < 6 || KxtReadU16(group.data + 2) != 1) return entries;
    int count = KxtReadU16(group.data + 4);
    if (group.size < 6u + 14u * count) return entries;
    for (int i = 0; i < count; ++i) {
        const BYTE* e = group.data + 6 + 14 * i;
        entries.push_back({e[0] ? e[0] : 256, e[1] ? e[1] : 256, KxtReadU16(e + 6), KxtReadU16(e + 12)});
    }
    return entries;
}

// A 32-bit icon image of the entry's size with at least one fully opaque pixel.
::testing::AssertionResult KxtIconImageIsOpaqueSomewhere(HMODULE module, const KxtIconEntry& entry)
{
    KxtResource image = KxtFindResource(module, entry.id, MAKEINTRESOURCEW(3) /* RT_ICON */);
    if (image.size < sizeof(BITMAPINFOHEADER)) return ::testing::AssertionFailure() << "no image " << entry.id;
    BITMAPINFOHEADER header;
    memcpy(&header, image.data, sizeof header);
    if (header.biSize != sizeof header || header.biWidth != entry.width || header.biHeight != 2 * entry.height ||
        header.biBitCount != 32 || header.biCompression != BI_RGB)
        return ::testing::AssertionFailure()
               << "image " << entry.id << " is not a " << entry.width << " px BGRA bitmap";
    DWORD pixelBytes = 4u * entry.width * entry.height;
    if (image.size < header.biSize + pixelBytes) return ::testing::AssertionFailure() << "image " << entry.id << " cut";
    const BYTE* pixels = image.data + header.biSize;
    for (DWORD i = 3; i < pixelBytes; i += 4)
        if (pixels[i] == 255) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "image " << entry.id << " has no opaque pixel";
}

// The alpha channel of a group's 16 px image, one byte per pixel; empty when there is none.
std::vector<BYTE> KxtIconAlphaAt16(HMODULE module, int groupId)
{
    KxtResource group = KxtFindResource(module, groupId, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    for (const KxtIconEntry& entry : KxtIconGroupEntries(group)) {
        if (entry.width != 16 || entry.height != 16) continue;
        KxtResource image = KxtFindResource(module, entry.id, MAKEINTRESOURCEW(3) /* RT_ICON */);
        if (image.size < sizeof(BITMAPINFOHEADER) + 16 * 16 * 4) return {};
        std::vector<BYTE> alpha;
        for (int i = 0; i < 16 * 16; ++i) alpha.push_back(image.data[sizeof(BITMAPINFOHEADER) + 4 * i + 3]);
        return alpha;
    }
    return {};
}

class PluginResources : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryExW(GetParam(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr) << "GetLastError=" << GetLastError();
    }
    void TearDown() override
    {
        if (module_) FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
};

TEST_P(PluginResources, EveryDriveIconGroupHoldsTheTwentySizesAt32BitsAndTheLoaderPicksEachExactly)
{
    for (int style = 0; style < 4; ++style) {
        for (int index = 0; index < 9; ++index) {
            int id = 200 + 16 * style + index;
            SCOPED_TRACE("icon group " + std::to_string(id));
            KxtResource group = KxtFindResource(module_, id, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
            std::vector<KxtIconEntry> entries = KxtIconGroupEntries(group);
            ASSERT_EQ(entries.size(), (size_t)kIconSizeCount);
            std::vector<int> sizes;
            for (const KxtIconEntry& entry : entries) {
                EXPECT_EQ(entry.width, entry.height);
                EXPECT_EQ(entry.bitCount, 32);
                EXPECT_TRUE(KxtIconImageIsOpaqueSomewhere(module_, entry));
                sizes.push_back(entry.width);
            }
            std::sort(sizes.begin(), sizes.end());
            EXPECT_EQ(sizes, std::vector<int>(kIconSizes, kIconSizes + kIconSizeCount));
            // The row draws the icon at one of these sizes: the system must take that image, not scale another.
            for (const KxtIconEntry& entry : entries) {
                int chosen = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group.data), TRUE, entry.width, entry.height,
                                                         LR_DEFAULTCOLOR);
                EXPECT_EQ(chosen, entry.id) << "size " << entry.width;
            }
        }
    }
}

// A group wired to the wrong drawing, or two indices sharing one, shows up as near-equal shapes.
TEST_P(PluginResources, TheNineDriveIconsOfEachStyleDifferInShapeAt16Pixels)
{
    for (int style = 0; style < 4; ++style) {
        std::vector<std::vector<BYTE>> shapes;
        for (int index = 0; index < 9; ++index) {
            shapes.push_back(KxtIconAlphaAt16(module_, 200 + 16 * style + index));
            ASSERT_EQ(shapes.back().size(), 256u) << "group " << 200 + 16 * style + index;
        }
        for (int a = 0; a < 9; ++a) {
            for (int b = a + 1; b < 9; ++b) {
                int differing = 0;
                for (int i = 0; i < 256; ++i) differing += (shapes[a][i] >= 128) != (shapes[b][i] >= 128);
                EXPECT_GE(differing, 8) << "style " << style << ": indices " << a << " and " << b;
            }
        }
    }
}

TEST_P(PluginResources, AboutPictureHoldsTenPremultipliedSizesFromOffset128)
{
    KxtResource picture = KxtFindResource(module_, 103, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    ASSERT_EQ(picture.size, kPictureBytes);
    ASSERT_EQ(memcmp(picture.data, "VSLG", 4), 0);
    ASSERT_EQ(KxtReadU32(picture.data + 4), 10u);
    DWORD expectedOffset = 128;
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE("picture " + std::to_string(i));
        DWORD width = KxtReadU32(picture.data + 8 + 12 * i);
        DWORD height = KxtReadU32(picture.data + 12 + 12 * i);
        DWORD offset = KxtReadU32(picture.data + 16 + 12 * i);
        EXPECT_EQ(width, (DWORD)kPictureSizes[i][0]);
        EXPECT_EQ(height, (DWORD)kPictureSizes[i][1]);
        ASSERT_EQ(offset, expectedOffset);
        DWORD bytes = 4 * width * height;
        ASSERT_LE(offset + bytes, picture.size);
        const BYTE* pixels = picture.data + offset;
        int opaque = 0, overflowing = 0;
        for (DWORD p = 0; p < bytes; p += 4) {
            opaque += pixels[p + 3] == 255;
            for (int c = 0; c < 3; ++c) overflowing += pixels[p + c] > pixels[p + 3];
        }
        EXPECT_GT(opaque, 0);
        EXPECT_EQ(overflowing, 0) << "colour bytes above their alpha";
        expectedOffset += bytes;
    }
    EXPECT_EQ(expectedOffset, picture.size);
}

#ifdef KXT_DLL32_PATH
INSTANTIATE_TEST_SUITE_P(Dll32, PluginResources, ::testing::Values(KXT_DLL32_PATH));
#endif
INSTANTIATE_TEST_SUITE_P(Dll64, PluginResources, ::testing::Values(KXT_DLL64_PATH));

}  // namespace
