#pragma once
#include <windows.h>

#include <random>
#include <string>
#include <vector>

// Everything's reply lists built by hand, and broken on purpose, for the client's reader.

struct KxtReplyItem {
    std::wstring path;
    ULONGLONG size;
    ULONGLONG date;
    bool folder;
};

void KxtPut32(std::vector<BYTE>& out, size_t at, DWORD value);
// Header, one item record each, then each item's length, path, size and date.
std::vector<BYTE> KxtBuildReply(const std::vector<KxtReplyItem>& items, DWORD total, DWORD requestFlags = 0x54);
// A reply of random items, then broken the way a faulty or hostile sender might: counts, offsets, lengths
// and flags set to random or boundary values, bits flipped, the block cut short or replaced by junk.
std::vector<BYTE> KxtMutatedReply(std::mt19937& random);

// Pages that end at a page the process may not read; a reply placed against it faults on any read past its end.
struct KxtGuardedArea {
    static constexpr SIZE_T kBytes = 64 * 1024;
    BYTE* base = nullptr;
    BYTE* end = nullptr;

    KxtGuardedArea();
    ~KxtGuardedArea();
    const BYTE* Place(const std::vector<BYTE>& bytes);
};
