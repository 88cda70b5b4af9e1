// IClassFactory of the Warpper class object.
#include "com_test_support.h"

namespace comtest {
namespace {

using ClassFactoryTest = FreshServerTest;

TEST_F(ClassFactoryTest, CreateInstanceWithoutOutPointerIsRefused) {
    ComPtr<IClassFactory> factory = ClassFactory();
    ASSERT_NE(factory.get(), nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IWarpper, nullptr), E_POINTER);
}

TEST_F(ClassFactoryTest, FailedCreationsLeaveNoPointerAndNoLock) {
    OuterObject outer;
    const struct {
        const char* name;
        IUnknown* outer;
        const IID* iid;
        HRESULT expected;
    } kCases[] = {
        {"aggregated, asking for IDispatch", &outer, &IID_IDispatch, CLASS_E_NOAGGREGATION},
        {"aggregated, asking for IWarpper", &outer, &IID_IWarpper, CLASS_E_NOAGGREGATION},
        {"interface Warpper lacks", nullptr, &IID_IClassFactory, E_NOINTERFACE},
    };
    ComPtr<IClassFactory> factory = ClassFactory();
    ASSERT_NE(factory.get(), nullptr);
    for (const auto& creation : kCases) {
        SCOPED_TRACE(creation.name);
        void* object = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(factory->CreateInstance(creation.outer, *creation.iid, &object),
                  creation.expected);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(outer.count, 1);
    factory.reset();
    EXPECT_EQ(server()->CanUnloadNow(), S_OK);
}

TEST_F(ClassFactoryTest, CreationWithoutMemoryIsOutOfMemory) {
    ComPtr<IClassFactory> factory = ClassFactory();
    ASSERT_NE(factory.get(), nullptr);
    OuterObject outer;
    HeapWatch heap;
    ASSERT_TRUE(heap.watching());
    heap.FailAllocations(true);
    for (IUnknown* outer_object :
         {static_cast<IUnknown*>(nullptr), static_cast<IUnknown*>(&outer)}) {
        SCOPED_TRACE(outer_object == nullptr ? "stand-alone" : "aggregated");
        void* object = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(factory->CreateInstance(outer_object, IID_IUnknown, &object), E_OUTOFMEMORY);
        EXPECT_EQ(object, nullptr);
    }
    heap.FailAllocations(false);
    factory.reset();
    EXPECT_EQ(server()->CanUnloadNow(), S_OK);
}

TEST_F(ClassFactoryTest, EachObjectLocksTheServerUntilItsLastRelease) {
    ComPtr<IClassFactory> factory = ClassFactory();
    ASSERT_NE(factory.get(), nullptr);
    ComPtr<IWarpper> warpper;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IWarpper, warpper.put_void()), S_OK);
    factory.reset();
    EXPECT_EQ(server()->CanUnloadNow(), S_FALSE);
    warpper.reset();
    EXPECT_EQ(server()->CanUnloadNow(), S_OK);
}

// A client locks through the class object and then lets the class object go;
// the lock alone keeps the server.
class LockServerTest : public FreshServerTest {
protected:
    void LockServerAndLetGo(BOOL lock) {
        ComPtr<IClassFactory> factory = ClassFactory();
        ASSERT_NE(factory.get(), nullptr);
        EXPECT_EQ(factory->LockServer(lock), S_OK);
    }
};

TEST_F(LockServerTest, MatchedLocksAndUnlocks) {
    const struct {
        BOOL lock;
        HRESULT can_unload;
    } kSteps[] = {{TRUE, S_FALSE}, {TRUE, S_FALSE}, {FALSE, S_FALSE}, {FALSE, S_OK}};
    int step_number = 0;
    for (const auto& step : kSteps) {
        SCOPED_TRACE(++step_number);
        LockServerAndLetGo(step.lock);
        EXPECT_EQ(server()->CanUnloadNow(), step.can_unload);
    }
}

// The count is tested for zero, so an unlock without a lock keeps the server too.
TEST_F(LockServerTest, UnmatchedUnlockKeepsTheServer) {
    LockServerAndLetGo(FALSE);
    EXPECT_EQ(server()->CanUnloadNow(), S_FALSE);
    LockServerAndLetGo(TRUE);
    EXPECT_EQ(server()->CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace comtest
