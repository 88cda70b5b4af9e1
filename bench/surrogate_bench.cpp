// Cost of a call from a 64-bit client into the 32-bit server in the system's
// DLL surrogate, and of the cheapest round trip through the same proxy:
// prints "name value unit" lines, each the median over batches of the mean
// time per call.
//
//   surrogate_bench   (a 64-bit program)
#include <stdio.h>

#include "timing.h"
#include "warpper_interface.h"

namespace {

constexpr int kBatches = 9;

// Batches of the two calls in turn, after one of each to warm up, so that
// drift in the surrogate's speed reaches both alike.
struct Figures {
    std::vector<double> type_info_count, get_os_name;
    bool failed = false;
};

Figures MeasureInTurn(IWarpper* warpper) {
    Figures figures;
    auto type_info_count = [&] {
        UINT count = 0;
        figures.failed |= FAILED(warpper->GetTypeInfoCount(&count));
    };
    auto get_os_name = [&] {
        VARIANT result;
        VariantInit(&result);
        figures.failed |= FAILED(warpper->GetOSName(&result));
        VariantClear(&result);
    };
    bench::BatchMean(50, type_info_count);
    bench::BatchMean(20, get_os_name);
    for (int batch = 0; batch < kBatches; ++batch) {
        figures.type_info_count.push_back(bench::BatchMean(100, type_info_count));
        figures.get_os_name.push_back(bench::BatchMean(20, get_os_name));
    }
    return figures;
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWarpper* warpper = nullptr;
    HRESULT created = CoCreateInstance(CLSID_Warpper, nullptr, CLSCTX_LOCAL_SERVER, IID_IWarpper,
                                       reinterpret_cast<void**>(&warpper));
    if (FAILED(created)) {
        printf("surrogate_note CoCreateInstance FAILED 0x%08lX\n",
               static_cast<unsigned long>(created));
        return 1;
    }
    // The proxy's floor is a call that does no work in the server.
    Figures figures = MeasureInTurn(warpper);
    if (figures.failed) {
        printf("surrogate_note FAILED text\n");
        return 1;
    }
    printf("surrogate_typeinfocount_us %.2f us\n", bench::Median(figures.type_info_count));
    printf("surrogate_getosname_us %.2f us\n", bench::Median(figures.get_os_name));
    warpper->Release();
    CoUninitialize();
    return 0;
}
