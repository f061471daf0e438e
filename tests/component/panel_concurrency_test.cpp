#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "component/panel_fixture.h"
#include "core/log.h"
#include "panel/host_plugin_api.h"
#include "panel/virtual_folder.h"

namespace {

// Every hit carries its generation and index in its name, path, size and date, so a reader can tell
// an entry put together from two different publishes.
std::wstring KxtGenerationPath(int generation, int index)
{
    return L"C:\\gen" + std::to_wstring(generation) + L"\\item" + std::to_wstring(index) + L"-" +
           std::to_wstring(generation) + L".dat";
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

void KxtCheckName(KxtReaderState& state, const char* name, int* generation, int* index)
{
    *generation = *index = -1;
    if (sscanf(name, "item%d-%d.dat", index, generation) != 2) state.Fault(std::string("odd name ") + name);
}

void KxtReadWhilePublishing(KxtReaderState& state)
{
    while (!state.stop) {
        WIN32_FIND_DATAA find;
        HANDLE handle = FsFindFirst((char*)"\\", &find);
        if (handle == INVALID_HANDLE_VALUE) return state.Fault("no handle");
        std::vector<std::string> names;
        do {
            if (strcmp(find.cFileName, "Korvex is active.txt") == 0) continue;
            int generation, index;
            KxtCheckName(state, find.cFileName, &generation, &index);
            ULONGLONG size = ((ULONGLONG)find.nFileSizeHigh << 32) | find.nFileSizeLow;
            if (size != (ULONGLONG)generation * 1000 + index || KxtTimeOf(find.ftLastWriteTime) != size + 7)
                state.Fault(std::string("torn entry ") + find.cFileName);
            names.push_back(std::string("\\") + find.cFileName);
            state.entriesSeen++;
        } while (FsFindNext(handle, &find));
        FsFindClose(handle);

        for (const std::string& name : names) {
            int generation, index;
            KxtCheckName(state, name.c_str() + 1, &generation, &index);
            std::wstring expected = KxtGenerationPath(generation, index);
            char value[2048] = "";
            FsContentGetValue((char*)name.c_str(), 0, 0, value, sizeof value, 0);
            if (value[0] && std::wstring(value, value + strlen(value)) != expected) state.Fault("path of " + name);
            wchar_t real[KX_PATH_CHARS];
            int isFolder = 0;
            if (KxResolveVirtualPath(name.c_str(), real, &isFolder) && expected != real)
                state.Fault("resolved " + name);
        }
    }
}

}  // namespace

TEST_F(PanelFixture, ConcurrentReadersSeeWholeEntriesWhilePublishing)
{
    g_logPath[0] = L'\0';
    KxtReaderState state;
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) readers.emplace_back(KxtReadWhilePublishing, std::ref(state));

    DWORD start = GetTickCount();
    int publishes = 0;
    for (int generation = 1; generation <= 3000 && GetTickCount() - start < 20000; ++generation) {
        std::vector<KxtHit> hits;
        for (int index = 0; index < 1 + generation % 60; ++index) {
            ULONGLONG size = (ULONGLONG)generation * 1000 + index;
            hits.push_back({KxtGenerationPath(generation, index), size, size + 7, 0});
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
