// Times publishing 500 hits that share one name (the one-pass naming against the plain counter rule),
// a root listing of 500 entries, and 500 content-value calls.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "panel/content_columns.h"
#include "panel/host_plugin_api.h"
#include "panel/published_index.h"
#include "panel/published_names.h"
#include "panel/published_set.h"
#include "search/search_composition.h"
#include "support/naming_reference.h"

namespace {

constexpr int KX_RUNS = 30;

template <typename Work>
std::vector<double> KxTimeRuns(int runs, Work work)
{
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        double before = KxNowMs();
        work();
        samples.push_back(KxNowMs() - before);
    }
    return samples;
}

template <typename Work>
double KxMedianMs(int runs, Work work)
{
    return KxSummarise(KxTimeRuns(runs, work)).median;
}

KxPublishedEntry g_benchSet[KX_PUBLISHED_CAPACITY];
KxNameIndex g_benchIndex;

// The plain rule's publish: the same steps, with each name found by trying counter after counter.
void KxPublishStraightforwardly(const KxResult* results, int count)
{
    for (int i = 0; i < count; ++i) {
        wchar_t baseName[KX_PATH_CHARS];
        KxBaseNameOfPath(results[i].path, baseName, KX_PATH_CHARS);
        KxtNameStraightforwardly(baseName, g_benchSet, i, g_benchSet[i].name, 1 << 30);
        lstrcpynW(g_benchSet[i].path, results[i].path, KX_PATH_CHARS);
    }
}

}  // namespace

int wmain()
{
    InitializeCriticalSection(&g_publishedLock);
    for (int i = 0; i < KX_RESULT_CAPACITY; ++i) {
        _snwprintf(g_results[i].path, KX_PATH_CHARS, L"C:\\projects\\module%03d\\README.md", i);
        g_results[i].size = 1000 + i;
    }

    double fastMs = KxMedianMs(20, [] {
        int count = 0;
        KxAddHitsToSet({g_benchSet, &count, &g_benchIndex, nullptr}, 0, g_results, KX_RESULT_CAPACITY, nullptr, 0, 0);
    });
    double plainMs = KxMedianMs(3, [] { KxPublishStraightforwardly(g_results, KX_RESULT_CAPACITY); });
    printf("  (naming 500 hits all named README.md: one pass per hit %.2f ms, plain counter rule %.2f ms)\n", fastMs,
           plainMs);

    // The whole publish through the shared set, the host reached through a window that ignores the command.
    HWND host = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::vector<double> publishing = KxTimeRuns(KX_RUNS, [&] {
        g_resultCount = KX_RESULT_CAPACITY;  // closing the overlay empties it each time
        KxPublishResultsToWfx(host, nullptr, 0, 0);
    });
    KxPrintFigure("publishing 500 hits named alike (KxPublishResultsToWfx)", publishing, "<= 5 ms");

    double listingMs = KxMedianMs(200, [] {
        WIN32_FIND_DATAA find;
        HANDLE handle = FsFindFirst((char*)"\\", &find);
        int entries = 1;
        while (FsFindNext(handle, &find)) entries++;
        FsFindClose(handle);
        if (entries != KX_PUBLISHED_CAPACITY) printf("listing gave %d entries\n", entries);
    });
    printf("  (root listing of 500 entries: %.3f ms)\n", listingMs);

    std::vector<std::string> names;
    for (int i = 0; i < g_publishedCount; ++i) {
        char name[MAX_PATH];
        WideCharToMultiByte(CP_ACP, 0, g_published[i].name, -1, name, MAX_PATH, nullptr, nullptr);
        names.push_back(std::string("\\") + name);
    }
    auto values = [&](bool reverse) {
        char value[2048];
        for (size_t i = 0; i < names.size(); ++i) {
            const std::string& name = names[reverse ? names.size() - 1 - i : i];
            FsContentGetValue((char*)name.c_str(), 0, 0, value, sizeof value, 0);
        }
    };
    KxPrintFigure("500 FsContentGetValue \"Path\", listing order", KxTimeRuns(KX_RUNS, [&] { values(false); }),
                  "<= 2 ms");
    KxPrintFigure("500 FsContentGetValue \"Path\", reverse order", KxTimeRuns(KX_RUNS, [&] { values(true); }),
                  "<= 2 ms");
    fflush(stdout);
    return 0;
}
