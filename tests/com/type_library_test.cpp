// The type library BRELMOXCOMLib as embedded in BrelmoxCOM.dll, read without
// registering it.
#include "com_test_support.h"

namespace comtest {
namespace {

class TypeLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadTypeLibEx(server_.Path().c_str(), REGKIND_NONE, library_.put()), S_OK);
    }

    ComPtr<ITypeInfo> TypeInfoOf(REFGUID guid) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(library_->GetTypeInfoOfGuid(guid, info.put()), S_OK);
        return info;
    }

    ServerLibrary server_;
    ComPtr<ITypeLib> library_;
};

// TYPEATTR and TLIBATTR lent by their owner, given back on scope exit.
using brelmox::LentFuncDesc;
using brelmox::LentLibAttr;
using brelmox::LentTypeAttr;

std::wstring Text(BSTR text) {
    return text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

TEST_F(TypeLibraryTest, LibraryAttributes) {
    LentLibAttr attributes(library_.get());
    ASSERT_EQ(library_->GetLibAttr(attributes.put()), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_BRELMOXCOMLib));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->lcid, 0x0409u);
#ifdef _WIN64
    EXPECT_EQ(attributes->syskind, SYS_WIN64);
#else
    EXPECT_EQ(attributes->syskind, SYS_WIN32);
#endif
    ScopedBstr name;
    ScopedBstr help_file;
    ASSERT_EQ(library_->GetDocumentation(-1, name.put(), nullptr, nullptr, help_file.put()), S_OK);
    EXPECT_EQ(Text(name.get()), L"BRELMOXCOMLib");
    EXPECT_EQ(help_file.get(), nullptr);
}

// IWarpper2 is the default since it came; IWarpper stays listed for the
// clients built against it.
TEST_F(TypeLibraryTest, WarpperIsCreatableWithIWarpper2AsDefault) {
    ComPtr<ITypeInfo> coclass = TypeInfoOf(CLSID_Warpper);
    ASSERT_NE(coclass.get(), nullptr);
    LentTypeAttr attributes(coclass.get());
    ASSERT_EQ(coclass->GetTypeAttr(attributes.put()), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_EQ(attributes->wTypeFlags, TYPEFLAG_FCANCREATE);
    ASSERT_EQ(attributes->cImplTypes, 2);
    const struct {
        const IID* iid;
        INT flags;
    } kImplemented[] = {{&IID_IWarpper2, IMPLTYPEFLAG_FDEFAULT}, {&IID_IWarpper, 0}};
    for (UINT index = 0; index < 2; ++index) {
        SCOPED_TRACE(index);
        INT flags = -1;
        ASSERT_EQ(coclass->GetImplTypeFlags(index, &flags), S_OK);
        EXPECT_EQ(flags, kImplemented[index].flags);
        HREFTYPE implemented;
        ComPtr<ITypeInfo> interface_info;
        ASSERT_EQ(coclass->GetRefTypeOfImplType(index, &implemented), S_OK);
        ASSERT_EQ(coclass->GetRefTypeInfo(implemented, interface_info.put()), S_OK);
        LentTypeAttr interface_attributes(interface_info.get());
        ASSERT_EQ(interface_info->GetTypeAttr(interface_attributes.put()), S_OK);
        EXPECT_TRUE(IsEqualGUID(interface_attributes->guid, *kImplemented[index].iid));
    }
    ScopedBstr help;
    ASSERT_EQ(coclass->GetDocumentation(MEMBERID_NIL, nullptr, help.put(), nullptr, nullptr), S_OK);
    EXPECT_EQ(Text(help.get()), L"Warpper Class");
}

// The virtual-table half of each dual interface: its methods after its base's
// slots (whose DISPIDs and slots the IDispatch tests call through).
TEST_F(TypeLibraryTest, BothAreDualInterfacesOverTheirBase) {
    const struct {
        const char* name;
        const IID* iid;
        int functions;
        size_t slots;
        const wchar_t* base;
        const wchar_t* base_library;
        MEMBERID first_id;
    } kInterfaces[] = {
        {"IWarpper", &IID_IWarpper, 5, 12, L"IDispatch", L"stdole", 1},
        {"IWarpper2", &IID_IWarpper2, 2, 14, L"IWarpper", L"BRELMOXCOMLib", 6},
    };
    for (const auto& expected : kInterfaces) {
        SCOPED_TRACE(expected.name);
        ComPtr<ITypeInfo> dispatch_half = TypeInfoOf(*expected.iid);
        ASSERT_NE(dispatch_half.get(), nullptr);
        LentTypeAttr dispatch_attributes(dispatch_half.get());
        ASSERT_EQ(dispatch_half->GetTypeAttr(dispatch_attributes.put()), S_OK);
        EXPECT_EQ(dispatch_attributes->typekind, TKIND_DISPATCH);
        HREFTYPE vtable_half_type;
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(dispatch_half->GetRefTypeOfImplType(-1, &vtable_half_type), S_OK);
        ASSERT_EQ(dispatch_half->GetRefTypeInfo(vtable_half_type, info.put()), S_OK);

        LentTypeAttr attributes(info.get());
        ASSERT_EQ(info->GetTypeAttr(attributes.put()), S_OK);
        EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
        EXPECT_EQ(attributes->wTypeFlags,
                  TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
        EXPECT_EQ(attributes->cbSizeVft, expected.slots * sizeof(void*));
        ASSERT_EQ(attributes->cFuncs, expected.functions);
        LentFuncDesc first(info.get());
        ASSERT_EQ(info->GetFuncDesc(0, first.put()), S_OK);
        EXPECT_EQ(first->memid, expected.first_id);

        HREFTYPE base_type;
        ComPtr<ITypeInfo> base;
        ComPtr<ITypeLib> base_library;
        UINT index;
        ASSERT_EQ(info->GetRefTypeOfImplType(0, &base_type), S_OK);
        ASSERT_EQ(info->GetRefTypeInfo(base_type, base.put()), S_OK);
        ASSERT_EQ(base->GetContainingTypeLib(base_library.put(), &index), S_OK);
        ScopedBstr base_name;
        ScopedBstr base_library_name;
        base->GetDocumentation(MEMBERID_NIL, base_name.put(), nullptr, nullptr, nullptr);
        base_library->GetDocumentation(-1, base_library_name.put(), nullptr, nullptr, nullptr);
        EXPECT_EQ(Text(base_name.get()), expected.base);
        EXPECT_EQ(Text(base_library_name.get()), expected.base_library);
    }
}

}  // namespace
}  // namespace comtest
