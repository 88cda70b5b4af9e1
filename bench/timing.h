// Timing for the Windows benchmarks: QueryPerformanceCounter, medians of batches.
#pragma once

#include <windows.h>
#include <stdio.h>

#include <algorithm>
#include <vector>

namespace bench {

inline double NowMicroseconds() {
    static const double ticks_per_microsecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart / 1e6;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart / ticks_per_microsecond;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Mean time per call of one batch of `calls` calls.
template <typename Call>
double BatchMean(int calls, Call call) {
    double start = NowMicroseconds();
    for (int index = 0; index < calls; ++index) {
        call();
    }
    return (NowMicroseconds() - start) / calls;
}

}  // namespace bench
