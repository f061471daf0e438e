#include "support/reply_fuzz.h"

#include <string.h>

void KxtPut32(std::vector<BYTE>& out, size_t at, DWORD value)
{
    if (out.size() < at + 4) out.resize(at + 4);
    memcpy(out.data() + at, &value, 4);
}

std::vector<BYTE> KxtBuildReply(const std::vector<KxtReplyItem>& items, DWORD total, DWORD requestFlags)
{
    std::vector<BYTE> out(20 + 8 * items.size());
    KxtPut32(out, 0, total);
    KxtPut32(out, 4, (DWORD)items.size());
    KxtPut32(out, 8, 0);
    KxtPut32(out, 12, requestFlags);
    KxtPut32(out, 16, 14);
    for (size_t i = 0; i < items.size(); ++i) {
        size_t dataOffset = out.size();
        KxtPut32(out, 20 + 8 * i, items[i].folder ? 1 : 0);
        KxtPut32(out, 24 + 8 * i, (DWORD)dataOffset);
        KxtPut32(out, dataOffset, (DWORD)items[i].path.size());
        const BYTE* path = (const BYTE*)items[i].path.c_str();
        out.insert(out.end(), path, path + (items[i].path.size() + 1) * 2);
        const BYTE* size = (const BYTE*)&items[i].size;
        out.insert(out.end(), size, size + 8);
        const BYTE* date = (const BYTE*)&items[i].date;
        out.insert(out.end(), date, date + 8);
    }
    return out;
}

std::vector<BYTE> KxtMutatedReply(std::mt19937& random)
{
    std::vector<KxtReplyItem> items;
    int itemCount = (int)(random() % 6);
    for (int i = 0; i < itemCount; ++i)
        items.push_back({std::wstring(random() % 40, (wchar_t)(L'a' + i)), random(), random(), (random() & 1) != 0});
    std::vector<BYTE> bytes = KxtBuildReply(items, random() % 100, random() % 4 ? 0x54 : random());
    static const DWORD kEdges[] = {0, 1, 19, 20, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFF0};
    int mutations = (int)(random() % 4);
    for (int m = 0; m < mutations; ++m) {
        DWORD value = random() % 2 ? kEdges[random() % 9] : (DWORD)(random() % (bytes.size() + 8));
        size_t item = 20 + 8 * (itemCount ? random() % itemCount : 0);
        DWORD dataOffset = 0;
        if (itemCount) memcpy(&dataOffset, bytes.data() + item + 4, 4);
        switch (random() % 5) {
        case 0: KxtPut32(bytes, (random() % (bytes.size() / 4)) * 4, value); break;
        case 1: bytes[random() % bytes.size()] ^= (BYTE)(1 << (random() % 8)); break;
        case 2: KxtPut32(bytes, 4, value); break;  // numitems
        case 3:
            if (itemCount) KxtPut32(bytes, item + 4, value);  // data_offset
            break;
        default:
            if (itemCount && (size_t)dataOffset + 4 <= bytes.size()) KxtPut32(bytes, dataOffset, value);  // path length
            break;
        }
    }
    if (random() % 3 == 0) bytes.resize(random() % (bytes.size() + 1));
    if (random() % 8 == 0) bytes.assign(random() % 64, (BYTE)random());
    return bytes;
}

KxtGuardedArea::KxtGuardedArea()
{
    base = (BYTE*)VirtualAlloc(nullptr, kBytes + 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD old;
    VirtualProtect(base + kBytes, 4096, PAGE_NOACCESS, &old);
    end = base + kBytes;
}

KxtGuardedArea::~KxtGuardedArea()
{
    VirtualFree(base, 0, MEM_RELEASE);
}

const BYTE* KxtGuardedArea::Place(const std::vector<BYTE>& bytes)
{
    memcpy(end - bytes.size(), bytes.data(), bytes.size());
    return end - bytes.size();
}
