// Eight apartments at once, each creating a Warpper, calling its five methods
// and releasing it 2,000 times: afterwards the server can unload and the
// process's private bytes are where they were after the first thousand.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "scoped.h"
#include "process_memory.h"
#include "warpper_interface.h"

namespace {

using brelmox::ComPtr;
using brelmox::ScopedHandle;

constexpr int kThreads = 8;
constexpr int kRoundsPerHalf = 1000;

typedef HRESULT (STDMETHODCALLTYPE IWarpper::*Method)(VARIANT*);
const Method kMethods[] = {&IWarpper::GetUserName, &IWarpper::GetComputerName, &IWarpper::GetOSName,
                           &IWarpper::GetOSNameAllPattern, &IWarpper::GetOSEtcInfo};

// Lets the main thread look at the process between the two halves while no
// apartment works.
class Halfway {
public:
    void Arrive() {
        arrived_.fetch_add(1);
        while (!resume_.load()) {
            Sleep(1);
        }
    }
    void WaitForAll() {
        while (arrived_.load() < kThreads) {
            Sleep(1);
        }
    }
    void Resume() { resume_.store(true); }

private:
    std::atomic<int> arrived_{0};
    std::atomic<bool> resume_{false};
};

// One round; false when anything failed or answered no text.
bool Round() {
    ComPtr<IWarpper> warpper;
    if (FAILED(CoCreateInstance(CLSID_Warpper, nullptr, CLSCTX_INPROC_SERVER, IID_IWarpper,
                                warpper.put_void()))) {
        return false;
    }
    bool answered = true;
    for (Method method : kMethods) {
        VARIANT result;
        VariantInit(&result);
        HRESULT status = (warpper.get()->*method)(&result);
        answered &= status == S_OK && V_VT(&result) == VT_BSTR && SysStringLen(V_BSTR(&result)) > 0;
        VariantClear(&result);
    }
    return answered;
}

// What every apartment thread shares with the main thread.
struct Shared {
    Halfway halfway;
    std::atomic<int> failures{0};
};

DWORD WINAPI Apartment(void* context) {
    Shared& shared = *static_cast<Shared*>(context);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        shared.failures.fetch_add(1);
        shared.halfway.Arrive();
        return 0;
    }
    for (int half = 0; half < 2; ++half) {
        for (int round = 0; round < kRoundsPerHalf; ++round) {
            if (!Round()) {
                shared.failures.fetch_add(1);
            }
        }
        if (half == 0) {
            shared.halfway.Arrive();
        }
    }
    CoUninitialize();
    return 0;
}

TEST(ComStress, EightApartmentsLeaveNothingBehind) {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    // Our own reference keeps the server loaded for the question at the end.
    HMODULE server = LoadLibraryW(L"BrelmoxCOM.dll");
    ASSERT_NE(server, nullptr);
    auto can_unload_now = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(server, "DllCanUnloadNow")));
    ASSERT_NE(can_unload_now, nullptr);

    Shared shared;
    ScopedHandle apartments[kThreads];
    HANDLE handles[kThreads];
    int started = 0;
    for (; started < kThreads; ++started) {
        *apartments[started].put() = CreateThread(nullptr, 0, Apartment, &shared, 0, nullptr);
        if (!apartments[started]) {
            break;
        }
        handles[started] = apartments[started].get();
    }
    if (started < kThreads) {
        // The halfway point would never come: let the others run to their end.
        DWORD error = GetLastError();
        shared.halfway.Resume();
        WaitForMultipleObjects(started, handles, TRUE, INFINITE);
        FAIL() << "thread " << started << " not started: " << error;
    }
    shared.halfway.WaitForAll();
    SIZE_T after_first_thousand = robustness::PrivateBytes();
    shared.halfway.Resume();
    ASSERT_EQ(WaitForMultipleObjects(kThreads, handles, TRUE, INFINITE), WAIT_OBJECT_0);
    SIZE_T after_last_thousand = robustness::PrivateBytes();

    EXPECT_EQ(shared.failures.load(), 0);
    EXPECT_EQ(can_unload_now(), S_OK);
    EXPECT_LE(robustness::Growth(after_first_thousand, after_last_thousand), 0.01)
        << after_first_thousand << " private bytes after the first thousand rounds, "
        << after_last_thousand << " after the last";
    FreeLibrary(server);
    CoUninitialize();
}

}  // namespace
