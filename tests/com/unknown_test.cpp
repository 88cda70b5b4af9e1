// IUnknown of a Warpper, created on its own and as part of an aggregate.
#include "com_test_support.h"

namespace comtest {
namespace {

using UnknownTest = FreshServerTest;

TEST_F(UnknownTest, StandaloneObjectAnswersItsInterfacesWithItself) {
    ComPtr<IWarpper2> warpper = NewWarpper();
    ASSERT_NE(warpper.get(), nullptr);
    const struct {
        const char* name;
        const IID* iid;
        HRESULT expected;
    } kCases[] = {
        {"IUnknown", &IID_IUnknown, S_OK},
        {"IDispatch", &IID_IDispatch, S_OK},
        {"IWarpper", &IID_IWarpper, S_OK},
        {"IWarpper2", &IID_IWarpper2, S_OK},
        {"IClassFactory", &IID_IClassFactory, E_NOINTERFACE},
        {"ISupportErrorInfo", &IID_ISupportErrorInfo, E_NOINTERFACE},
        {"IProvideClassInfo", &IID_IProvideClassInfo, E_NOINTERFACE},
    };
    for (const auto& query : kCases) {
        SCOPED_TRACE(query.name);
        void* object = reinterpret_cast<void*>(0x1234);
        ASSERT_EQ(warpper->QueryInterface(*query.iid, &object), query.expected);
        EXPECT_EQ(object, query.expected == S_OK ? warpper.get() : nullptr);
        if (query.expected == S_OK) {
            EXPECT_EQ(static_cast<IUnknown*>(object)->Release(), 1u);
        }
    }
    EXPECT_EQ(warpper->QueryInterface(IID_IWarpper, nullptr), E_POINTER);
    EXPECT_EQ(warpper->AddRef(), 2u);
    EXPECT_EQ(warpper->Release(), 1u);
}

class AggregateTest : public FreshServerTest {
protected:
    void SetUp() override {
        FreshServerTest::SetUp();
        ComPtr<IClassFactory> factory = ClassFactory();
        ASSERT_NE(factory.get(), nullptr);
        ASSERT_EQ(factory->CreateInstance(&outer_, IID_IUnknown, holder_.put_void()), S_OK);
    }
    void TearDown() override {
        holder_.reset();
        EXPECT_EQ(outer_.count, 1) << "references the outer object did not get back";
        FreshServerTest::TearDown();
    }

    OuterObject outer_;
    ComPtr<IUnknown> holder_;
};

TEST_F(AggregateTest, HolderStartsWithOneReferenceOfItsOwn) {
    EXPECT_EQ(holder_->AddRef(), 2u);
    EXPECT_EQ(holder_->Release(), 1u);
    EXPECT_EQ(outer_.count, 1);
    ComPtr<IUnknown> same;
    ASSERT_EQ(holder_->QueryInterface(IID_IUnknown, same.put_void()), S_OK);
    EXPECT_EQ(same.get(), holder_.get());
    EXPECT_EQ(holder_->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(holder_->QueryInterface(IID_IWarpper, nullptr), E_POINTER);
}

TEST_F(AggregateTest, HolderHandsOutTheInnerPartCountedByTheOuterObject) {
    ComPtr<IWarpper> inner;
    ASSERT_EQ(holder_->QueryInterface(IID_IWarpper, inner.put_void()), S_OK);
    EXPECT_NE(static_cast<void*>(inner.get()), static_cast<void*>(holder_.get()));
    EXPECT_EQ(outer_.count, 2);
    EXPECT_EQ(holder_->AddRef(), 2u) << "the inner part's reference went to the holder";
    holder_->Release();
    inner->AddRef();
    EXPECT_EQ(outer_.count, 3);
    inner->Release();

    ScopedVariant name;
    EXPECT_EQ(inner->GetComputerName(name.get()), S_OK);
    EXPECT_EQ(V_VT(name.get()), VT_BSTR);
}

TEST_F(AggregateTest, InnerPartAsksTheOuterObjectFirst) {
    ComPtr<IWarpper> inner;
    ASSERT_EQ(holder_->QueryInterface(IID_IWarpper, inner.put_void()), S_OK);
    ComPtr<IUnknown> identity;
    ASSERT_EQ(inner->QueryInterface(IID_IUnknown, identity.put_void()), S_OK);
    EXPECT_EQ(identity.get(), static_cast<IUnknown*>(&outer_));
    identity.reset();
    // The outer object does not offer IDispatch; the inner part answers for it.
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(inner->QueryInterface(IID_IDispatch, dispatch.put_void()), S_OK);
    EXPECT_EQ(static_cast<void*>(dispatch.get()), static_cast<void*>(inner.get()));
    EXPECT_EQ(outer_.count, 3);
}

}  // namespace
}  // namespace comtest
