// Hosts load and free our DLLs again and again, and a COM host lets COM unload
// the server after each use. Each row: hundreds of such cycles leave the
// process as many free TLS indexes as before, and, beyond one step of the
// heap, no more private bytes than as many cycles of a DLL without any C
// run-time.
//
// The program imports none of the DLLs: one it held would never unload.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <ostream>
#include <string>

#include "process_memory.h"
#include "scoped.h"
#include "warpper_interface.h"

namespace {

using brelmox::ComPtr;

constexpr int kWarmUp = 20;
constexpr int kCycles = 500;
// The heap may commit a step of memory at any time, up to 44 KiB at once in a
// 64-bit Wine 10 process even for the control DLL; over the cycles above a
// leak of 140 bytes a cycle grows more than this allowance (the leaks this
// guards against cost 4.5 KB and more a cycle).
constexpr long long kHeapStep = 64 * 1024;

const wchar_t kControl[] = L"unload_control.dll";
const wchar_t kServer[] = L"BrelmoxCOM.dll";

// One load and free of `module`; false unless it is gone afterwards.
bool LoadAndFree(const wchar_t* module) {
    HMODULE loaded = LoadLibraryW(module);
    if (loaded == nullptr) {
        return false;
    }
    FreeLibrary(loaded);
    return GetModuleHandleW(module) == nullptr;
}

// One round of a COM host: create, call, release, and let COM unload the
// server at once; false unless the call answered and the server is gone.
bool ComRound(const wchar_t* server) {
    bool answered = false;
    {
        ComPtr<IWarpper> warpper;
        if (FAILED(CoCreateInstance(CLSID_Warpper, nullptr, CLSCTX_INPROC_SERVER, IID_IWarpper,
                                    warpper.put_void()))) {
            return false;
        }
        VARIANT result;
        VariantInit(&result);
        answered = warpper->GetOSName(&result) == S_OK && V_VT(&result) == VT_BSTR;
        VariantClear(&result);
    }
    CoFreeUnusedLibrariesEx(0, 0);
    return answered && GetModuleHandleW(server) == nullptr;
}

struct Row {
    const char* name;
    const wchar_t* module;
    bool (*cycle)(const wchar_t* module);
};

// Names the row in the test's name.
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

const Row kRows[] = {
    {"Pellwick", L"Pellwick.dll", LoadAndFree},
    {"BrelmoxLib", L"BrelmoxLib.dll", LoadAndFree},
    {"BrelmoxCOM", kServer, LoadAndFree},
    {"ComRound", kServer, ComRound},
};

// What `count` cycles cost the process.
struct Cost {
    int failed = 0;
    int tls_indexes_lost = 0;
    long long private_growth = 0;
};

Cost Measure(bool (*cycle)(const wchar_t*), const wchar_t* module, int count) {
    Cost cost;
    SIZE_T bytes_before = robustness::PrivateBytes();
    int free_before = robustness::FreeTlsIndexes();
    for (int index = 0; index < count; ++index) {
        cost.failed += cycle(module) ? 0 : 1;
    }
    SIZE_T bytes_after = robustness::PrivateBytes();
    cost.tls_indexes_lost = free_before - robustness::FreeTlsIndexes();
    cost.private_growth =
        static_cast<long long>(bytes_after) - static_cast<long long>(bytes_before);
    return cost;
}

class UnloadCycles : public ::testing::TestWithParam<Row> {};

TEST_P(UnloadCycles, LeaveNothingBehind) {
    const Row& row = GetParam();
    ASSERT_EQ(GetModuleHandleW(row.module), nullptr) << "the program holds the DLL itself";
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ASSERT_GT(robustness::PrivateBytes(), 0u);
    // The first loads fill what the loader, the heap and COM keep for later ones.
    Measure(LoadAndFree, kControl, kWarmUp);
    Measure(row.cycle, row.module, kWarmUp);

    Cost control = Measure(LoadAndFree, kControl, kCycles);
    Cost cost = Measure(row.cycle, row.module, kCycles);
    ASSERT_EQ(control.failed, 0) << "cycles of " << kControl << " that failed";
    EXPECT_EQ(cost.failed, 0) << "cycles that failed to load, answer or unload";
    EXPECT_EQ(control.tls_indexes_lost, 0);
    EXPECT_EQ(cost.tls_indexes_lost, 0) << "TLS indexes lost in " << kCycles << " cycles";
    EXPECT_LE(cost.private_growth, control.private_growth + kHeapStep)
        << "private bytes grew by " << cost.private_growth << " in " << kCycles << " cycles, "
        << control.private_growth << " in as many of the control DLL";
    CoUninitialize();
}

INSTANTIATE_TEST_SUITE_P(EachModule, UnloadCycles, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
