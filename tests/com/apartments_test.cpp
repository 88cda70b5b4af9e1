// Warpper objects made, called and released on several threads at once, in
// single-threaded apartments and in the multithreaded one, through COM's own
// creation, and handed from one apartment to another.
#include <array>
#include <functional>
#include <utility>

#include "com_test_support.h"

namespace comtest {
namespace {

constexpr int kThreads = 4;
constexpr int kObjectsPerThread = 3;

struct ThreadWork {
    const wchar_t* prog_id;
    const LibraryTexts* expected;
    HANDLE start;
    DWORD apartment = COINIT_APARTMENTTHREADED;
    int objects_checked = 0;
    std::string failure;
};

std::string Describe(const char* step, HRESULT result) {
    char text[96];
    wsprintfA(text, "%s failed with 0x%08lX", step, static_cast<unsigned long>(result));
    return text;
}

// Calls an object through its virtual table and, by name, through IDispatch,
// as a script does (locale 0); an empty answer means both gave the right texts.
std::string CallBothWays(IWarpper* warpper, const LibraryTexts& expected) {
    ScopedVariant os_name;
    HRESULT result = warpper->GetOSName(os_name.get());
    if (FAILED(result)) {
        return Describe("GetOSName", result);
    }
    if (V_VT(os_name.get()) != VT_BSTR || BstrText(*os_name) != expected.os_name) {
        return "GetOSName answered another text";
    }
    LPOLESTR name = const_cast<LPOLESTR>(L"GetUserName");
    DISPID id = 0;
    result = warpper->GetIDsOfNames(IID_NULL, &name, 1, 0, &id);
    if (FAILED(result)) {
        return Describe("GetIDsOfNames", result);
    }
    DISPPARAMS no_arguments = {nullptr, nullptr, 0, 0};
    ScopedVariant user_name;
    result = warpper->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &no_arguments, user_name.get(),
                             nullptr, nullptr);
    if (FAILED(result)) {
        return Describe("Invoke", result);
    }
    if (V_VT(user_name.get()) != VT_BSTR || BstrText(*user_name) != expected.user_name) {
        return "GetUserName answered another text";
    }
    return std::string();
}

// Creates objects, asking for IWarpper and for IDispatch in turn, calls each
// both ways and lets it go; the first failure ends the thread's work.
std::string UseObjects(ThreadWork& work) {
    CLSID clsid;
    HRESULT result = CLSIDFromProgID(work.prog_id, &clsid);
    if (FAILED(result)) {
        return Describe("CLSIDFromProgID", result);
    }
    for (int object = 0; object < kObjectsPerThread; ++object) {
        const IID& asked = object % 2 == 0 ? IID_IWarpper : IID_IDispatch;
        ComPtr<IUnknown> created;
        result = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, asked, created.put_void());
        if (FAILED(result)) {
            return Describe("CoCreateInstance", result);
        }
        ComPtr<IWarpper> warpper;
        result = created->QueryInterface(IID_IWarpper, warpper.put_void());
        if (FAILED(result)) {
            return Describe("QueryInterface for IWarpper", result);
        }
        std::string failure = CallBothWays(warpper.get(), *work.expected);
        if (!failure.empty()) {
            return failure;
        }
        ++work.objects_checked;
    }
    return std::string();
}

DWORD WINAPI ApartmentThread(void* argument) {
    auto& work = *static_cast<ThreadWork*>(argument);
    WaitForSingleObject(work.start, INFINITE);
    HRESULT result = CoInitializeEx(nullptr, work.apartment);
    if (FAILED(result)) {
        work.failure = Describe("CoInitializeEx", result);
        return 1;
    }
    work.failure = UseObjects(work);
    CoUninitialize();
    return 0;
}

TEST(ApartmentsTest, ObjectsOnManyThreadsLeaveNothingBehind) {
    ASSERT_FALSE(ServerIsLoaded()) << "an earlier test left the server loaded";
    LibraryTexts expected = ReadLibraryTexts();
    ServerLibrary server;  // keeps the module here to ask it afterwards
    ASSERT_NE(server.module(), nullptr);
    HeapWatch heap;
    ASSERT_TRUE(heap.watching());

    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::array<ThreadWork, kThreads> work;
    std::array<HANDLE, kThreads> threads;
    for (int index = 0; index < kThreads; ++index) {
        work[index].prog_id = index % 2 == 0 ? L"BrelmoxCOM.Warpper" : L"BrelmoxCOM.Warpper.1";
        work[index].expected = &expected;
        work[index].start = start;
        threads[index] = CreateThread(nullptr, 0, ApartmentThread, &work[index], 0, nullptr);
        ASSERT_NE(threads[index], nullptr);
    }
    SetEvent(start);  // all at once, so the first type-information loads race
    WaitForMultipleObjects(kThreads, threads.data(), TRUE, INFINITE);
    for (int index = 0; index < kThreads; ++index) {
        CloseHandle(threads[index]);
        SCOPED_TRACE(index);
        EXPECT_EQ(work[index].failure, "");
        EXPECT_EQ(work[index].objects_checked, kObjectsPerThread);
    }
    CloseHandle(start);

    EXPECT_EQ(server.CanUnloadNow(), S_OK);
    ASSERT_TRUE(server.Unload()) << "COM still holds the server";
    EXPECT_EQ(heap.LiveBlocks(), 0u);
}

// A client thread in the multithreaded apartment gets an object of this
// apartment-threaded class from COM's host apartment, through the marshaler
// of the type library; single-threaded ones run beside it at the same time.
TEST(ApartmentsTest, SingleAndMultithreadedClientsAtOnceGetTheRightTexts) {
    LibraryTexts expected = ReadLibraryTexts();
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::array<ThreadWork, kThreads> work;
    std::array<HANDLE, kThreads> threads;
    for (int index = 0; index < kThreads; ++index) {
        work[index].prog_id = index % 2 == 0 ? L"BrelmoxCOM.Warpper" : L"BrelmoxCOM.Warpper.1";
        work[index].apartment = index < 2 ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED;
        work[index].expected = &expected;
        work[index].start = start;
        threads[index] = CreateThread(nullptr, 0, ApartmentThread, &work[index], 0, nullptr);
        ASSERT_NE(threads[index], nullptr);
    }
    SetEvent(start);
    WaitForMultipleObjects(kThreads, threads.data(), TRUE, INFINITE);
    for (int index = 0; index < kThreads; ++index) {
        CloseHandle(threads[index]);
        SCOPED_TRACE(index < 2 ? "multithreaded apartment" : "single-threaded apartment");
        EXPECT_EQ(work[index].failure, "");
        EXPECT_EQ(work[index].objects_checked, kObjectsPerThread);
    }
    CloseHandle(start);
}

// An object made in this thread's single-threaded apartment, handed to other
// threads: by a marshaled stream, and through the global interface table.
class HandedOnTest : public ::testing::TestWithParam<DWORD> {
protected:
    void SetUp() override {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        expected_ = ReadLibraryTexts();
        ASSERT_EQ(CoCreateInstance(CLSID_Warpper, nullptr, CLSCTX_INPROC_SERVER, IID_IWarpper,
                                   warpper_.put_void()),
                  S_OK);
    }
    void TearDown() override {
        warpper_.reset();
        CoUninitialize();
    }

    // Runs `use` on a thread of the apartment kind under test while this
    // apartment serves the calls that come back to its object.
    std::string OnOtherThread(std::function<std::string()> use) {
        OtherThreadCall call = {GetParam(), std::move(use), std::string()};
        HANDLE thread = CreateThread(nullptr, 0, OtherThread, &call, 0, nullptr);
        if (thread == nullptr) {
            return "CreateThread failed";
        }
        DWORD index = 0;
        CoWaitForMultipleHandles(0, INFINITE, 1, &thread, &index);
        CloseHandle(thread);
        return call.failure;
    }

    struct OtherThreadCall {
        DWORD apartment;
        std::function<std::string()> use;
        std::string failure;
    };
    static DWORD WINAPI OtherThread(void* argument) {
        auto& call = *static_cast<OtherThreadCall*>(argument);
        HRESULT result = CoInitializeEx(nullptr, call.apartment);
        if (FAILED(result)) {
            call.failure = Describe("CoInitializeEx", result);
            return 1;
        }
        call.failure = call.use();
        CoUninitialize();
        return 0;
    }

    LibraryTexts expected_;
    ComPtr<IWarpper> warpper_;
};

TEST_P(HandedOnTest, ByAMarshaledStream) {
    IStream* stream = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IWarpper, warpper_.get(), &stream), S_OK);
    EXPECT_EQ(OnOtherThread([&]() -> std::string {
                  ComPtr<IWarpper> proxy;
                  HRESULT result =
                      CoGetInterfaceAndReleaseStream(stream, IID_IWarpper, proxy.put_void());
                  if (FAILED(result)) {
                      return Describe("CoGetInterfaceAndReleaseStream", result);
                  }
                  return CallBothWays(proxy.get(), expected_);
              }),
              "");
}

TEST_P(HandedOnTest, ThroughTheGlobalInterfaceTable) {
    ComPtr<IGlobalInterfaceTable> table;
    ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IGlobalInterfaceTable, table.put_void()),
              S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(table->RegisterInterfaceInGlobal(warpper_.get(), IID_IWarpper, &cookie), S_OK);
    EXPECT_EQ(OnOtherThread([&]() -> std::string {
                  ComPtr<IWarpper> proxy;
                  HRESULT result =
                      table->GetInterfaceFromGlobal(cookie, IID_IWarpper, proxy.put_void());
                  if (FAILED(result)) {
                      return Describe("GetInterfaceFromGlobal", result);
                  }
                  return CallBothWays(proxy.get(), expected_);
              }),
              "");
    EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), S_OK);
}

INSTANTIATE_TEST_SUITE_P(ToEachApartmentKind, HandedOnTest,
                         ::testing::Values(COINIT_MULTITHREADED, COINIT_APARTMENTTHREADED),
                         [](const ::testing::TestParamInfo<DWORD>& info) {
                             return std::string(info.param == COINIT_MULTITHREADED
                                                    ? "Multithreaded"
                                                    : "SingleThreaded");
                         });

}  // namespace
}  // namespace comtest
