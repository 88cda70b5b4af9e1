// The process's private bytes, as a leak shows in them.
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

// Growth from `before` to `after` as a fraction of `before`.
inline double Growth(SIZE_T before, SIZE_T after) {
    return before == 0 ? 1.0 : (static_cast<double>(after) - before) / before;
}

}  // namespace robustness
