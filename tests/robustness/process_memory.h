// The process's private bytes and free TLS indexes, as a leak shows in them.
#pragma once

#include <windows.h>
#include <psapi.h>

namespace robustness {

// Committed private memory. Windows reports it as PrivateUsage and, equally, as
// PagefileUsage; wine-differs: Wine fills only the latter.
inline SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(),
                              reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters)) {
        return 0;
    }
    return counters.PrivateUsage > counters.PagefileUsage ? counters.PrivateUsage
                                                          : counters.PagefileUsage;
}

// How many TLS indexes the process could still allocate: all of them are
// taken, counted and given back. Windows has 1,088.
inline int FreeTlsIndexes() {
    constexpr int kMore = 4096;
    DWORD taken[kMore];
    int count = 0;
    while (count < kMore) {
        DWORD index = TlsAlloc();
        if (index == TLS_OUT_OF_INDEXES) {
            break;
        }
        taken[count++] = index;
    }
    for (int index = 0; index < count; ++index) {
        TlsFree(taken[index]);
    }
    return count;
}

// Growth from `before` to `after` as a fraction of `before`.
inline double Growth(SIZE_T before, SIZE_T after) {
    return before == 0 ? 1.0 : (static_cast<double>(after) - before) / before;
}

}  // namespace robustness
