// Constructing and destroying a CBrelmoxLib against the raw floor: the same
// platform calls with no text work. Batches of the two alternate in one process,
// so both see the same machine; prints "name value unit" lines.
//
//   construction_bench [batches] [iterations per batch]
#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "CBrelmoxLib.h"
#include "timing.h"

namespace {

volatile unsigned g_sink;

// What the constructor asks the system, in its order, and nothing else.
void RawFloor() {
    OSVERSIONINFOEXA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version));
    unsigned sum = version.dwMajorVersion + version.wProductType;
    for (int index : {SM_MEDIACENTER, SM_STARTER, SM_TABLETPC, SM_SERVERR2}) {
        sum += GetSystemMetrics(index);
    }
    typedef BOOL(WINAPI * IsWow64ProcessFunction)(HANDLE, PBOOL);
    BOOL wow64 = FALSE;
    auto is_wow64_process = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process")));
    if (is_wow64_process != nullptr) {
        is_wow64_process(GetCurrentProcess(), &wow64);
    }
    sum += wow64;
    for (int index : {SM_CLEANBOOT, SM_DBCSENABLED, SM_MIDEASTENABLED, SM_DEBUG, SM_MOUSEPRESENT,
                      SM_MOUSEWHEELPRESENT, SM_NETWORK, SM_PENWINDOWS, SM_SLOWMACHINE,
                      SM_SWAPBUTTON, SM_CXSCREEN, SM_CYSCREEN, SM_CMOUSEBUTTONS}) {
        sum += GetSystemMetrics(index);
    }
    g_sink = g_sink + sum;
}

// The two screen metrics alone, which Wine answers through its wineserver.
void ScreenMetrics() {
    g_sink = g_sink + GetSystemMetrics(SM_CXSCREEN) + GetSystemMetrics(SM_CYSCREEN);
}

void Construction() {
    CBrelmoxLib lib;
    g_sink = g_sink + static_cast<unsigned char>(lib.m_pOSName[0]) +
             static_cast<unsigned char>(lib.m_pOSEtcInfo[0]);
}

}  // namespace

int main(int argc, char** argv) {
    int batches = argc > 1 ? atoi(argv[1]) : 21;
    int iterations = argc > 2 ? atoi(argv[2]) : 500;
    bench::BatchMean(iterations, RawFloor);  // warm-up
    bench::BatchMean(iterations, Construction);
    std::vector<double> floor, construction, screen;
    for (int batch = 0; batch < batches; ++batch) {
        floor.push_back(bench::BatchMean(iterations, RawFloor));
        construction.push_back(bench::BatchMean(iterations, Construction));
        screen.push_back(bench::BatchMean(iterations, ScreenMetrics));
    }
    double floor_us = bench::Median(floor);
    double construction_us = bench::Median(construction);
    printf("construction_floor_us %.3f us\n", floor_us);
    printf("construction_us %.3f us\n", construction_us);
    printf("construction_screen_metrics_us %.3f us\n", bench::Median(screen));
    printf("construction_batches %dx%d iterations\n", batches, iterations);
    return 0;
}
