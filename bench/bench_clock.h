#pragma once
#include <windows.h>

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
