// IWarpper2 (and the IWarpper it extends) called early-bound through its virtual table.
#include <memory>

#include "com_test_support.h"

namespace comtest {
namespace {

typedef HRESULT (STDMETHODCALLTYPE IWarpper2::*WarpperMethod)(VARIANT*);

struct MethodCase {
    const char* name;
    WarpperMethod method;
    std::wstring LibraryTexts::*text;
};

const MethodCase kMethods[] = {
    {"GetUserName", &IWarpper::GetUserName, &LibraryTexts::user_name},
    {"GetComputerName", &IWarpper::GetComputerName, &LibraryTexts::computer_name},
    {"GetOSName", &IWarpper::GetOSName, &LibraryTexts::os_name},
    {"GetOSNameAllPattern", &IWarpper::GetOSNameAllPattern, &LibraryTexts::os_name_all_pattern},
    {"GetOSEtcInfo", &IWarpper::GetOSEtcInfo, &LibraryTexts::os_etc_info},
    {"GetOSProductName", &IWarpper2::GetOSProductName, &LibraryTexts::product_name},
    {"GetReportJson", &IWarpper2::GetReportJson, &LibraryTexts::report_json},
};

using WarpperTest = FreshServerTest;

TEST_F(WarpperTest, EachMethodAnswersTheLibrarysText) {
    LibraryTexts library = ReadLibraryTexts();
    ComPtr<IWarpper2> warpper = NewWarpper();
    ASSERT_NE(warpper.get(), nullptr);
    for (const MethodCase& call : kMethods) {
        SCOPED_TRACE(call.name);
        ScopedVariant result;
        ASSERT_EQ((warpper.get()->*call.method)(result.get()), S_OK);
        ASSERT_EQ(V_VT(result.get()), VT_BSTR);
        EXPECT_EQ(BstrText(*result), library.*call.text);
        EXPECT_FALSE((library.*call.text).empty());
    }
}

// The library refuses a null VARIANT*; the methods still succeed and free
// the texts they made.
TEST_F(WarpperTest, NullResultPointerIsHarmless) {
    ComPtr<IWarpper2> warpper = NewWarpper();
    ASSERT_NE(warpper.get(), nullptr);
    HeapWatch heap;
    ASSERT_TRUE(heap.watching());
    for (const MethodCase& call : kMethods) {
        SCOPED_TRACE(call.name);
        size_t allocations = heap.Allocations();
        EXPECT_EQ((warpper.get()->*call.method)(nullptr), S_OK);
        EXPECT_GT(heap.Allocations(), allocations);
        EXPECT_EQ(heap.LiveBlocks(), 0u);
    }
}

// Every call constructs and destroys its own library object.
TEST_F(WarpperTest, SuccessiveCallsReuseNothing) {
    ComPtr<IWarpper2> warpper = NewWarpper();
    ASSERT_NE(warpper.get(), nullptr);
    HeapWatch heap;
    ASSERT_TRUE(heap.watching());
    ScopedVariant first;
    ScopedVariant second;
    ASSERT_EQ(warpper->GetOSName(first.get()), S_OK);
    size_t first_call_allocations = heap.Allocations();
    EXPECT_EQ(heap.LiveBlocks(), 0u);
    ASSERT_EQ(warpper->GetOSName(second.get()), S_OK);
    EXPECT_EQ(heap.Allocations(), 2 * first_call_allocations);
    EXPECT_EQ(heap.LiveBlocks(), 0u);
    ASSERT_EQ(V_VT(second.get()), VT_BSTR);
    EXPECT_NE(V_BSTR(first.get()), V_BSTR(second.get()));
    EXPECT_EQ(BstrText(*first), BstrText(*second));
}

// Takes the server's whole registration away (the type library is reachable
// under more than one locale) and registers it again when the test is done,
// whatever happened.
class TypeLibraryUnregistered {
public:
    explicit TypeLibraryUnregistered(HMODULE server)
        : register_(Export(server, "DllRegisterServer")),
          unregistered_(Export(server, "DllUnregisterServer")()) {}
    ~TypeLibraryUnregistered() { EXPECT_EQ(Register(), S_OK); }
    HRESULT unregistered() const { return unregistered_; }
    HRESULT Register() { return register_(); }

private:
    typedef HRESULT(STDAPICALLTYPE* ServerFunction)();
    static ServerFunction Export(HMODULE server, const char* name) {
        return reinterpret_cast<ServerFunction>(
            reinterpret_cast<void*>(GetProcAddress(server, name)));
    }

    ServerFunction register_;
    HRESULT unregistered_;
};

LONG g_term_function_additions = 0;
typedef HRESULT(WINAPI* AddTermFunction)(void*, void*, DWORD_PTR);
AddTermFunction g_add_term_function = nullptr;

HRESULT WINAPI CountingAddTermFunction(void* module, void* function, DWORD_PTR argument) {
    InterlockedIncrement(&g_term_function_additions);
    return g_add_term_function(module, function, argument);
}

// With the whole registration taken away: the load's failure, a Warpper made
// through the class object, and the loaded type library's own answer.
class WithoutTypeLibraryTest : public WarpperTest {
protected:
    void SetUp() override {
        WarpperTest::SetUp();
        unregistered_ = std::make_unique<TypeLibraryUnregistered>(server()->module());
        ASSERT_EQ(unregistered_->unregistered(), S_OK);
        ComPtr<ITypeLib> library;
        load_failure_ = LoadRegTypeLib(LIBID_BRELMOXCOMLib, 1, 0, kClientLocale, library.put());
        ASSERT_TRUE(FAILED(load_failure_));
        warpper_ = NewWarpper();
        ASSERT_NE(warpper_.get(), nullptr);
    }
    void TearDown() override {
        warpper_.reset();
        unregistered_.reset();
        WarpperTest::TearDown();
    }

    std::unique_ptr<TypeLibraryUnregistered> unregistered_;
    HRESULT load_failure_ = S_OK;
    ComPtr<IWarpper2> warpper_;
};

TEST_F(WithoutTypeLibraryTest, VirtualTableStillAnswers) {
    ScopedVariant user_name;
    EXPECT_EQ(warpper_->GetUserName(user_name.get()), S_OK);
    EXPECT_EQ(V_VT(user_name.get()), VT_BSTR);
}

TEST_F(WithoutTypeLibraryTest, DispatchAnswersTheLoadsFailureEveryTime) {
    LPOLESTR name = const_cast<LPOLESTR>(L"GetOSName");
    for (int attempt = 1; attempt <= 5; ++attempt) {
        SCOPED_TRACE(attempt);
        DISPID id = 1234;
        EXPECT_EQ(warpper_->GetIDsOfNames(IID_NULL, &name, 1, kClientLocale, &id), load_failure_);
        ITypeInfo* info = reinterpret_cast<ITypeInfo*>(0x1234);
        EXPECT_EQ(warpper_->GetTypeInfo(0, kClientLocale, &info), load_failure_);
        EXPECT_EQ(info, nullptr);
    }
}

// The clean-up is listed with the module once, not once per failed load, nor
// again when a later load succeeds.
TEST_F(WithoutTypeLibraryTest, CleanUpIsListedOnce) {
    ImportPatch add_term_function(server()->module(), "atl.dll", nullptr, 58,
                                  reinterpret_cast<void*>(&CountingAddTermFunction));
    ASSERT_TRUE(add_term_function.applied());
    g_add_term_function = reinterpret_cast<AddTermFunction>(add_term_function.original());
    g_term_function_additions = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"GetOSName");
    DISPID id = 0;
    for (int attempt = 1; attempt <= 5; ++attempt) {
        warpper_->GetIDsOfNames(IID_NULL, &name, 1, kClientLocale, &id);
    }
    EXPECT_EQ(g_term_function_additions, 1);
    ASSERT_EQ(unregistered_->Register(), S_OK);
    ASSERT_EQ(warpper_->GetIDsOfNames(IID_NULL, &name, 1, kClientLocale, &id), S_OK);
    EXPECT_EQ(g_term_function_additions, 1);
}

TEST_F(WithoutTypeLibraryTest, TypeInformationLoadsOnceTheLibraryIsBack) {
    LPOLESTR name = const_cast<LPOLESTR>(L"GetOSName");
    DISPID id = 0;
    EXPECT_EQ(warpper_->GetIDsOfNames(IID_NULL, &name, 1, kClientLocale, &id), load_failure_);
    ASSERT_EQ(unregistered_->Register(), S_OK);
    EXPECT_EQ(warpper_->GetIDsOfNames(IID_NULL, &name, 1, kClientLocale, &id), S_OK);
    EXPECT_EQ(id, 3);
}

// An older copy of the type library, without IWarpper2, registered last over
// the server's own: IDispatch serves IWarpper's type information from it.
class OlderTypeLibraryTest : public WarpperTest {
protected:
    void SetUp() override {
        WarpperTest::SetUp();
        wchar_t program[MAX_PATH];
        DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
        ASSERT_GT(length, 0u);
        std::wstring path(program, length);
        path = path.substr(0, path.find_last_of(L'\\') + 1) + L"older_BrelmoxCOM.tlb";
        ComPtr<ITypeLib> older;
        ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, older.put()), S_OK);
        ASSERT_EQ(RegisterTypeLib(older.get(), &path[0], nullptr), S_OK);
        registered_older_ = true;
        // The server's script also registers the neutral locale; the older copy takes it too.
        wchar_t libid[40];
        ASSERT_GT(StringFromGUID2(LIBID_BRELMOXCOMLib, libid, 40), 0);
#ifdef _WIN64
        std::wstring key = std::wstring(L"TypeLib\\") + libid + L"\\1.0\\0\\win64";
#else
        std::wstring key = std::wstring(L"TypeLib\\") + libid + L"\\1.0\\0\\win32";
#endif
        ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, path.c_str(),
                               static_cast<DWORD>(path.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        warpper_ = NewWarpper();
        ASSERT_NE(warpper_.get(), nullptr);
    }
    void TearDown() override {
        warpper_.reset();
        if (registered_older_) {
            typedef HRESULT(STDAPICALLTYPE * ServerFunction)();
            auto register_server = reinterpret_cast<ServerFunction>(
                reinterpret_cast<void*>(GetProcAddress(server()->module(), "DllRegisterServer")));
            EXPECT_EQ(register_server(), S_OK);
        }
        WarpperTest::TearDown();
    }

    bool registered_older_ = false;
    ComPtr<IWarpper2> warpper_;
};

TEST_F(OlderTypeLibraryTest, DispatchServesTheFiveMethods) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(warpper_->GetTypeInfo(0, kClientLocale, info.put()), S_OK);
    brelmox::LentTypeAttr attributes(info.get());
    ASSERT_EQ(info->GetTypeAttr(attributes.put()), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_IWarpper));

    LibraryTexts library = ReadLibraryTexts();
    LPOLESTR name = const_cast<LPOLESTR>(L"GetOSName");
    DISPID id = 0;
    ASSERT_EQ(warpper_->GetIDsOfNames(IID_NULL, &name, 1, kClientLocale, &id), S_OK);
    EXPECT_EQ(id, 3);
    DISPPARAMS no_arguments = {nullptr, nullptr, 0, 0};
    ScopedVariant result;
    ASSERT_EQ(warpper_->Invoke(id, IID_NULL, kClientLocale, DISPATCH_METHOD, &no_arguments,
                               result.get(), nullptr, nullptr),
              S_OK);
    EXPECT_EQ(BstrText(*result), library.os_name);

    name = const_cast<LPOLESTR>(L"GetOSProductName");
    EXPECT_EQ(warpper_->GetIDsOfNames(IID_NULL, &name, 1, kClientLocale, &id), DISP_E_UNKNOWNNAME);
    // Early binding does not need the type library.
    ScopedVariant product_name;
    ASSERT_EQ(warpper_->GetOSProductName(product_name.get()), S_OK);
    EXPECT_EQ(BstrText(*product_name), library.product_name);
}

}  // namespace
}  // namespace comtest
