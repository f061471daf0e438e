#pragma once
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <vector>

// Milliseconds from the performance counter.
inline double KxNowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * (double)now.QuadPart / (double)frequency.QuadPart;
}

struct KxFigures {
    double median, p90, min;
};

inline KxFigures KxSummarise(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples[samples.size() * 9 / 10], samples.front()};
}

// One row of the figures table that bench/run prints: median and p90 of the samples, the goal beside them.
inline void KxPrintFigure(const char* figure, const std::vector<double>& samples, const char* goal)
{
    KxFigures f = KxSummarise(samples);
    printf("%-62s %8.2f ms %8.2f ms   %-14s (%zu runs)\n", figure, f.median, f.p90, goal, samples.size());
    fflush(stdout);
}

// A row whose figure is a ratio of two medians.
inline void KxPrintRatio(const char* figure, double ratio, const char* goal, size_t runs)
{
    printf("%-62s %8.2f x  %11s   %-14s (%zu runs each)\n", figure, ratio, "", goal, runs);
    fflush(stdout);
}
