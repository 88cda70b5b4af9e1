// Cost of calls into a Warpper under Wine: prints "name value unit" lines.
// Each figure is the median over batches of the mean time per call.
//
//   com_call_bench [NAME_PREFIX]   (NAME_PREFIX goes before every figure's name)
#include <stdio.h>

#include "scoped.h"
#include "timing.h"
#include "warpper_interface.h"

namespace {

using brelmox::ComPtr;

constexpr int kBatches = 7;
constexpr LCID kLocale = 0x0409;
const char* g_name_prefix = "";

// Runs `call` in batches and prints the median per-call time; false when a
// call failed, which makes the figure meaningless.
template <typename Call>
bool Measure(const char* name, int calls_per_batch, Call call) {
    bool failed = false;
    std::vector<double> means;
    for (int batch = 0; batch < kBatches; ++batch) {
        means.push_back(bench::BatchMean(calls_per_batch, [&] { failed |= FAILED(call()); }));
    }
    if (failed) {
        printf("%scom_%s_note FAILED text\n", g_name_prefix, name);
        return false;
    }
    printf("%scom_%s_us %.2f us\n", g_name_prefix, name, bench::Median(means));
    return true;
}

HRESULT CallAndClear(IWarpper* warpper, HRESULT (STDMETHODCALLTYPE IWarpper::*method)(VARIANT*)) {
    VARIANT result;
    VariantInit(&result);
    HRESULT status = (warpper->*method)(&result);
    VariantClear(&result);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        g_name_prefix = argv[1];
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool ok = true;
    {
        ComPtr<IWarpper> warpper;
        HRESULT created = CoCreateInstance(CLSID_Warpper, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IWarpper, warpper.put_void());
        if (FAILED(created)) {
            printf("CoCreateInstance FAILED 0x%08lX\n", static_cast<unsigned long>(created));
            return 1;
        }
        IWarpper* object = warpper.get();
        ok &= Measure("create_release", 200, [] {
            ComPtr<IWarpper> another;
            return CoCreateInstance(CLSID_Warpper, nullptr, CLSCTX_INPROC_SERVER, IID_IWarpper,
                                    another.put_void());
        });
        ok &= Measure("vtable_GetComputerName", 20,
                      [object] { return CallAndClear(object, &IWarpper::GetComputerName); });
        ok &= Measure("vtable_GetOSName", 20,
                      [object] { return CallAndClear(object, &IWarpper::GetOSName); });
        ok &= Measure("invoke_GetOSName", 20, [object] {
            DISPPARAMS no_arguments = {nullptr, nullptr, 0, 0};
            VARIANT result;
            VariantInit(&result);
            HRESULT status = object->Invoke(3, IID_NULL, kLocale, DISPATCH_METHOD, &no_arguments,
                                            &result, nullptr, nullptr);
            VariantClear(&result);
            return status;
        });
        for (const wchar_t* name : {L"GetOSEtcInfo", L"getosetcinfo"}) {
            LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
            ok &= Measure(name[0] == L'G' ? "ids_of_names_exact_case" : "ids_of_names_other_case",
                          2000, [object, &names] {
                              DISPID id;
                              return object->GetIDsOfNames(IID_NULL, names, 1, kLocale, &id);
                          });
        }
    }
    CoUninitialize();
    return ok ? 0 : 1;
}
