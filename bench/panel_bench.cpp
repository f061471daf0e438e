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

template <typename Work>
double KxMedianMs(int runs, Work work)
{
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        double before = KxNowMs();
        work();
        samples.push_back(KxNowMs() - before);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
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
    printf("Publishing 500 hits all named README.md (names README.md ... README (500).md):\n");
    printf("  one pass per hit:          %9.2f ms\n", fastMs);
    printf("  plain counter rule:        %9.2f ms  (%.0fx slower)\n", plainMs, plainMs / fastMs);

    // The whole publish through the shared set, the host reached through a window that ignores the command.
    HWND host = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    double publishMs = KxMedianMs(20, [&] {
        g_resultCount = KX_RESULT_CAPACITY;  // closing the overlay empties it each time
        KxPublishResultsToWfx(host, nullptr, 0, 0);
    });
    printf("  KxPublishResultsToWfx:     %9.2f ms  (lock, naming, log gate, overlay close, CD command; goal <= 5 ms)\n",
           publishMs);

    double listingMs = KxMedianMs(200, [] {
        WIN32_FIND_DATAA find;
        HANDLE handle = FsFindFirst((char*)"\\", &find);
        int entries = 1;
        while (FsFindNext(handle, &find)) entries++;
        FsFindClose(handle);
        if (entries != KX_PUBLISHED_CAPACITY) printf("listing gave %d entries\n", entries);
    });
    printf("Root listing of 500 entries (FsFindFirst, 499 FsFindNext, FsFindClose):\n");
    printf("  %.3f ms, %.2f us per entry\n", listingMs, listingMs * 1000.0 / KX_PUBLISHED_CAPACITY);

    std::vector<std::string> names;
    for (int i = 0; i < g_publishedCount; ++i) {
        char name[MAX_PATH];
        WideCharToMultiByte(CP_ACP, 0, g_published[i].name, -1, name, MAX_PATH, nullptr, nullptr);
        names.push_back(std::string("\\") + name);
    }
    double valuesMs = KxMedianMs(200, [&] {
        char value[2048];
        for (const std::string& name : names) FsContentGetValue((char*)name.c_str(), 0, 0, value, sizeof value, 0);
    });
    double reverseMs = KxMedianMs(200, [&] {
        char value[2048];
        for (auto name = names.rbegin(); name != names.rend(); ++name)
            FsContentGetValue((char*)name->c_str(), 0, 0, value, sizeof value, 0);
    });
    printf("500 content values (FsContentGetValue \"Path\" of each root entry), goal <= 2 ms each:\n");
    printf("  listing order: %.3f ms, %.2f us per call\n", valuesMs, valuesMs * 1000.0 / (double)names.size());
    printf("  reverse order: %.3f ms, %.2f us per call\n", reverseMs, reverseMs * 1000.0 / (double)names.size());
    fflush(stdout);
    return 0;
}
