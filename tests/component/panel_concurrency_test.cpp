#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "component/panel_fixture.h"
#include "config/settings.h"
#include "core/log.h"
#include "panel/host_plugin_api.h"
#include "panel/virtual_folder.h"
#include "support/test_support.h"

namespace {

// Hits come from four folders that all hold item0.dat, item1.dat, ...: publishes keep giving the same base
// names to different real paths. Size and date encode folder and index, so a reader can tell a torn entry.
constexpr int KXT_FOLDERS = 4;

std::wstring KxtItemPath(int folder, int index)
{
    return L"C:\\f" + std::to_wstring(folder) + L"\\item" + std::to_wstring(index) + L".dat";
}

struct KxtReaderState {
    std::atomic<bool> stop{false};
    std::atomic<int> faults{0};
    std::atomic<long> entriesSeen{0};
    std::string firstFault;
    std::atomic_flag faultRecorded = ATOMIC_FLAG_INIT;

    void Fault(const std::string& text)
    {
        faults++;
        if (!faultRecorded.test_and_set()) firstFault = text;
    }
};

// With deletion allowed, a name stands for one real path for the life of the process: what a reader once
// resolved a name to, it must always resolve it to.
void KxtCheckSameRealPath(KxtReaderState& state, std::map<std::string, std::wstring>& seen, const std::string& name,
                          const std::wstring& real)
{
    auto known = seen.find(name);
    if (known == seen.end()) {
        seen[name] = real;
    } else if (known->second != real) {
        state.Fault(name + " passed to another real path");
    }
}

void KxtReadWhilePublishing(KxtReaderState& state)
{
    std::map<std::string, std::wstring> seen;
    while (!state.stop) {
        WIN32_FIND_DATAA find;
        HANDLE handle = FsFindFirst((char*)"\\", &find);
        if (handle == INVALID_HANDLE_VALUE) return state.Fault("no handle");
        std::vector<std::string> names;
        do {
            if (strcmp(find.cFileName, "Korvex is active.txt") == 0) continue;
            int index = -1;
            if (sscanf(find.cFileName, "item%d", &index) != 1) state.Fault(std::string("odd name ") + find.cFileName);
            ULONGLONG size = ((ULONGLONG)find.nFileSizeHigh << 32) | find.nFileSizeLow;
            if ((int)(size % 1000) != index || KxtTimeOf(find.ftLastWriteTime) != size + 7)
                state.Fault(std::string("torn entry ") + find.cFileName);
            names.push_back(std::string("\\") + find.cFileName);
            state.entriesSeen++;
        } while (FsFindNext(handle, &find));
        FsFindClose(handle);

        for (const std::string& name : names) {
            char value[2048] = "";
            FsContentGetValue((char*)name.c_str(), 0, 0, value, sizeof value, 0);
            if (value[0]) KxtCheckSameRealPath(state, seen, name, KxtWide(value));
            wchar_t real[KX_PATH_CHARS];
            int isFolder = 0;
            if (KxResolveVirtualPath(KxtWide(name).c_str(), real, &isFolder))
                KxtCheckSameRealPath(state, seen, name, real);
        }
    }
}

}  // namespace

TEST_F(PanelFixture, ConcurrentReadersSeeWholeEntriesAndNamesKeepTheirPaths)
{
    g_logPath[0] = L'\0';
    g_settings.allowDelete = 1;
    KxtReaderState state;
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) readers.emplace_back(KxtReadWhilePublishing, std::ref(state));

    DWORD start = GetTickCount();
    int publishes = 0;
    for (int generation = 1; generation <= 3000 && GetTickCount() - start < 20000; ++generation) {
        std::vector<KxtHit> hits;
        for (int index = 0; index < 1 + generation % 60; ++index) {
            int folder = (generation + index) % KXT_FOLDERS;
            ULONGLONG size = (ULONGLONG)folder * 1000 + index;
            hits.push_back({KxtItemPath(folder, index), size, size + 7, 0});
        }
        Publish(hits, nullptr, generation % 3 == 0);
        publishes++;
    }
    state.stop = true;
    for (std::thread& reader : readers) reader.join();

    EXPECT_GE(publishes, 500);
    EXPECT_EQ(state.faults, 0) << state.firstFault;
    EXPECT_GT(state.entriesSeen, 0);
    EXPECT_EQ(host->changeDirs.size(), (size_t)publishes);
}
