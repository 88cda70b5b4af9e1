// Warpper objects made, called and released on several threads at once, each
// thread in its own single-threaded apartment, through COM's own creation.
#include <array>

#include "com_test_support.h"

namespace comtest {
namespace {

constexpr int kThreads = 4;
constexpr int kObjectsPerThread = 3;

struct ThreadWork {
    const wchar_t* prog_id;
    const LibraryTexts* expected;
    HANDLE start;
    int objects_checked = 0;
    std::string failure;
};

std::string Describe(const char* step, HRESULT result) {
    char text[96];
    wsprintfA(text, "%s failed with 0x%08lX", step, static_cast<unsigned long>(result));
    return text;
}

// Creates objects, calls each through its virtual table and through IDispatch,
// and lets it go; the first failure ends the thread's work.
std::string UseObjects(ThreadWork& work) {
    CLSID clsid;
    HRESULT result = CLSIDFromProgID(work.prog_id, &clsid);
    if (FAILED(result)) {
        return Describe("CLSIDFromProgID", result);
    }
    for (int object = 0; object < kObjectsPerThread; ++object) {
        ComPtr<IWarpper> warpper;
        result = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IWarpper,
                                  warpper.put_void());
        if (FAILED(result)) {
            return Describe("CoCreateInstance", result);
        }
        ScopedVariant os_name;
        warpper->GetOSName(os_name.get());
        if (BstrText(*os_name) != work.expected->os_name) {
            return "GetOSName answered another text";
        }
        LPOLESTR name = const_cast<LPOLESTR>(L"GetUserName");
        DISPID id = 0;
        result = warpper->GetIDsOfNames(IID_NULL, &name, 1, kClientLocale, &id);
        if (FAILED(result)) {
            return Describe("GetIDsOfNames", result);
        }
        DISPPARAMS no_arguments = {nullptr, nullptr, 0, 0};
        ScopedVariant user_name;
        result = warpper->Invoke(id, IID_NULL, kClientLocale, DISPATCH_METHOD, &no_arguments,
                                 user_name.get(), nullptr, nullptr);
        if (FAILED(result)) {
            return Describe("Invoke", result);
        }
        if (BstrText(*user_name) != work.expected->user_name) {
            return "GetUserName answered another text";
        }
        ++work.objects_checked;
    }
    return std::string();
}

DWORD WINAPI ApartmentThread(void* argument) {
    auto& work = *static_cast<ThreadWork*>(argument);
    WaitForSingleObject(work.start, INFINITE);
    HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
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

}  // namespace
}  // namespace comtest
