// The server's exports DllCanUnloadNow and DllGetClassObject, and what the
// module holds from load to unload.
#include "com_test_support.h"

namespace comtest {
namespace {

using ModuleTest = FreshServerTest;

TEST_F(ModuleTest, CanUnloadRightAfterLoading) {
    EXPECT_EQ(server()->CanUnloadNow(), S_OK);
}

TEST_F(ModuleTest, HeldClassObjectKeepsTheServerUntilReleased) {
    ComPtr<IClassFactory> factory = ClassFactory();
    ASSERT_NE(factory.get(), nullptr);
    EXPECT_EQ(server()->CanUnloadNow(), S_FALSE);
    factory.reset();
    // The object map still caches the class object, but that does not lock.
    EXPECT_EQ(server()->CanUnloadNow(), S_OK);
}

TEST_F(ModuleTest, EveryRequestGetsTheOneClassObject) {
    ComPtr<IClassFactory> first = ClassFactory();
    ComPtr<IClassFactory> second = ClassFactory();
    ComPtr<IUnknown> as_unknown;
    ASSERT_EQ(server()->GetClassObject(CLSID_Warpper, IID_IUnknown, as_unknown.put_void()), S_OK);
    ASSERT_NE(first.get(), nullptr);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(static_cast<IUnknown*>(first.get()), as_unknown.get());
}

TEST_F(ModuleTest, ClassObjectRequestsThatFailLeaveNoPointer) {
    const struct {
        const char* name;
        const CLSID* clsid;
        const IID* iid;
        HRESULT expected;
    } kCases[] = {
        {"unknown class", &IID_IWarpper, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {"interface the class object lacks", &CLSID_Warpper, &IID_IWarpper, E_NOINTERFACE},
    };
    for (const auto& request : kCases) {
        SCOPED_TRACE(request.name);
        void* object = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(server()->GetClassObject(*request.clsid, *request.iid, &object),
                  request.expected);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(server()->GetClassObject(CLSID_Warpper, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(server()->CanUnloadNow(), S_OK);
}

TEST_F(ModuleTest, ClassObjectWithoutMemoryIsOutOfMemoryUntilThereIsSome) {
    HeapWatch heap;
    ASSERT_TRUE(heap.watching());
    heap.FailAllocations(true);
    void* object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(server()->GetClassObject(CLSID_Warpper, IID_IClassFactory, &object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
    heap.FailAllocations(false);
    EXPECT_NE(ClassFactory().get(), nullptr);
}

// Unloading ends the module: the cached class object and the loaded type
// information go with it, and nothing the server allocated stays behind.
TEST_F(ModuleTest, UnloadingLeavesNothingAllocated) {
    HeapWatch heap;
    ASSERT_TRUE(heap.watching());
    {
        ComPtr<IWarpper2> warpper = NewWarpper();
        ASSERT_NE(warpper.get(), nullptr);
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(warpper->GetTypeInfo(0, kClientLocale, info.put()), S_OK);
        ScopedVariant name;
        EXPECT_EQ(warpper->GetComputerName(name.get()), S_OK);
    }
    EXPECT_GT(heap.LiveBlocks(), 0u) << "the class object and the name cache should be alive";
    ASSERT_EQ(server()->CanUnloadNow(), S_OK);
    ASSERT_TRUE(server()->Unload());
    EXPECT_EQ(heap.LiveBlocks(), 0u);
}

}  // namespace
}  // namespace comtest
