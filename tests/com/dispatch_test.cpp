// IDispatch of a Warpper, served from the registered type library.
#include "com_test_support.h"

namespace comtest {
namespace {

class DispatchTest : public WarpperObjectTest {
protected:
    HRESULT CallMethod(DISPID id, VARIANT* result) {
        DISPPARAMS no_arguments = {nullptr, nullptr, 0, 0};
        return warpper_->Invoke(id, IID_NULL, kClientLocale, DISPATCH_METHOD, &no_arguments, result,
                                nullptr, nullptr);
    }
};

TEST_F(DispatchTest, OffersOneTypeInformation) {
    UINT count = 0;
    EXPECT_EQ(warpper_->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(warpper_->GetTypeInfoCount(nullptr), E_POINTER);
}

// IWarpper2's, so that late binding sees all seven methods (it was IWarpper's
// before IWarpper2 existed).
TEST_F(DispatchTest, EveryIndexGivesTheSameTypeInformationOfIWarpper2) {
    ComPtr<ITypeInfo> first;
    ComPtr<ITypeInfo> seventh;
    ASSERT_EQ(warpper_->GetTypeInfo(0, kClientLocale, first.put()), S_OK);
    ASSERT_EQ(warpper_->GetTypeInfo(7, kClientLocale, seventh.put()), S_OK);
    EXPECT_EQ(first.get(), seventh.get());
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(first->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_IWarpper2));
    first->ReleaseTypeAttr(attributes);
    EXPECT_EQ(warpper_->GetTypeInfo(0, kClientLocale, nullptr), E_POINTER);
}

TEST_F(DispatchTest, GetIDsOfNamesFindsMembersAndTheirParameter) {
    const struct {
        std::vector<const wchar_t*> names;
        HRESULT expected;
        std::vector<DISPID> ids;
    } kCases[] = {
        {{L"GetUserName"}, S_OK, {1}},
        {{L"GetComputerName"}, S_OK, {2}},
        {{L"GetOSName"}, S_OK, {3}},
        {{L"GetOSNameAllPattern"}, S_OK, {4}},
        {{L"GetOSEtcInfo"}, S_OK, {5}},
        {{L"GetOSProductName"}, S_OK, {6}},
        {{L"GetReportJson"}, S_OK, {7}},
        {{L"getreportjson"}, S_OK, {7}},
        // Other letter cases miss the name cache and are the type information's.
        {{L"getosname"}, S_OK, {3}},
        {{L"GETOSETCINFO"}, S_OK, {5}},
        {{L"GetOSName", L"vout"}, S_OK, {3, 0}},
        {{L"GetOSNam"}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
        {{L"GetOSName", L"text"}, DISP_E_UNKNOWNNAME, {3, DISPID_UNKNOWN}},
    };
    for (const auto& lookup : kCases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(lookup.names[0])));
        std::vector<LPOLESTR> names;
        for (const wchar_t* name : lookup.names) {
            names.push_back(const_cast<LPOLESTR>(name));
        }
        std::vector<DISPID> ids(names.size(), 1234);
        EXPECT_EQ(warpper_->GetIDsOfNames(IID_NULL, names.data(), names.size(), kClientLocale,
                                          ids.data()),
                  lookup.expected);
        EXPECT_EQ(ids, lookup.ids);
    }
    EXPECT_EQ(warpper_->GetIDsOfNames(IID_NULL, nullptr, 0, kClientLocale, nullptr), S_OK);
    DISPID id;
    EXPECT_EQ(warpper_->GetIDsOfNames(IID_NULL, nullptr, 1, kClientLocale, &id), E_POINTER);
}

// Without memory for the name cache every name goes to the type information.
TEST_F(DispatchTest, NamesAreFoundWithoutTheNameCache) {
    HeapWatch heap;
    ASSERT_TRUE(heap.watching());
    heap.FailAllocations(true);
    const struct {
        const wchar_t* name;
        DISPID id;
    } kCases[] = {{L"GetUserName", 1}, {L"GetOSName", 3}, {L"getosetcinfo", 5}};
    for (const auto& lookup : kCases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(lookup.name)));
        LPOLESTR name = const_cast<LPOLESTR>(lookup.name);
        DISPID id = 1234;
        EXPECT_EQ(warpper_->GetIDsOfNames(IID_NULL, &name, 1, kClientLocale, &id), S_OK);
        EXPECT_EQ(id, lookup.id);
    }
    heap.FailAllocations(false);
    EXPECT_EQ(heap.Allocations(), 0u);
}

TEST_F(DispatchTest, InvokeCallsTheMethodOfEachDispid) {
    LibraryTexts library = ReadLibraryTexts();
    const struct {
        DISPID id;
        const std::wstring& expected;
    } kCases[] = {
        {1, library.user_name},           {2, library.computer_name}, {3, library.os_name},
        {4, library.os_name_all_pattern}, {5, library.os_etc_info},   {6, library.product_name},
        {7, library.report_json},
    };
    for (const auto& call : kCases) {
        SCOPED_TRACE(call.id);
        ScopedVariant result;
        ASSERT_EQ(CallMethod(call.id, result.get()), S_OK);
        ASSERT_EQ(V_VT(result.get()), VT_BSTR);
        EXPECT_EQ(BstrText(*result), call.expected);
    }
}

TEST_F(DispatchTest, InvokeReturnsTheTypeInformationsAnswerForAnUnknownDispid) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(warpper_->GetTypeInfo(0, kClientLocale, info.put()), S_OK);
    DISPPARAMS no_arguments = {nullptr, nullptr, 0, 0};
    ScopedVariant direct_result;
    HRESULT direct = info->Invoke(warpper_.get(), 99, DISPATCH_METHOD, &no_arguments,
                                  direct_result.get(), nullptr, nullptr);
    ASSERT_TRUE(FAILED(direct));
    ScopedVariant result;
    EXPECT_EQ(CallMethod(99, result.get()), direct);
    EXPECT_EQ(V_VT(result.get()), VT_EMPTY);
}

// The script engines pass locale 0, other clients their user's or system's;
// the type library is registered under its own 0x0409 and serves them all.
TEST(DispatchLocaleTest, TypeInformationLoadsForAnyCallerLocale) {
    const LCID kLocales[] = {0, LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT, 0x0409, 0x0411};
    for (LCID locale : kLocales) {
        SCOPED_TRACE(locale);
        ASSERT_FALSE(ServerIsLoaded()) << "the type information is loaded once per load";
        ServerLibrary server;
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(server.GetClassObject(CLSID_Warpper, IID_IClassFactory, factory.put_void()),
                  S_OK);
        ComPtr<IWarpper> warpper;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IWarpper, warpper.put_void()), S_OK);
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(warpper->GetTypeInfo(0, locale, info.put()), S_OK);
        info.reset();
        warpper.reset();
        factory.reset();
        ASSERT_TRUE(server.Unload());
    }
}

}  // namespace
}  // namespace comtest
