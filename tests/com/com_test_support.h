// Helpers for the tests of BrelmoxCOM.dll as COM clients see it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "scoped.h"
#include "warpper_interface.h"

namespace comtest {

using brelmox::ComPtr;
using brelmox::ScopedBstr;

constexpr wchar_t kServerFile[] = L"BrelmoxCOM.dll";
// The locale our clients pass to IDispatch; the type library's own is 0x0409.
constexpr LCID kClientLocale = 0x0409;

class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&value_); }
    ~ScopedVariant() { VariantClear(&value_); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    VARIANT* get() { return &value_; }
    const VARIANT& operator*() const { return value_; }

private:
    VARIANT value_;
};

// A controlling object for aggregation, on the stack: it answers IUnknown
// itself, nothing else, and only counts its references.
class OuterObject : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!IsEqualIID(iid, IID_IUnknown)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++count; }
    STDMETHODIMP_(ULONG) Release() override { return --count; }

    LONG count = 1;
};

// The server loaded by this test alone, with its four exports. Tests that
// look at module state need a fresh load: they check that nobody else holds it.
class ServerLibrary {
public:
    ServerLibrary();
    ~ServerLibrary();
    ServerLibrary(const ServerLibrary&) = delete;
    ServerLibrary& operator=(const ServerLibrary&) = delete;

    HMODULE module() const { return module_; }
    HRESULT CanUnloadNow() const { return can_unload_now_(); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) const {
        return get_class_object_(clsid, iid, object);
    }
    // Unloads now; true when the file left the process.
    bool Unload();
    std::wstring Path() const;

private:
    typedef HRESULT(WINAPI* CanUnloadNowFunction)();
    typedef HRESULT(WINAPI* GetClassObjectFunction)(REFCLSID, REFIID, void**);

    HMODULE module_ = nullptr;
    CanUnloadNowFunction can_unload_now_ = nullptr;
    GetClassObjectFunction get_class_object_ = nullptr;
};

bool ServerIsLoaded();

// Fixture for tests that need a fresh server in a single-threaded apartment.
class FreshServerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    ComPtr<IClassFactory> ClassFactory();
    ComPtr<IWarpper2> NewWarpper();

    ServerLibrary* server() { return server_; }

private:
    ServerLibrary* server_ = nullptr;
    bool com_initialised_ = false;
};

// Fixture for tests of one Warpper, made through the fresh server's class
// object in SetUp.
class WarpperObjectTest : public FreshServerTest {
protected:
    void SetUp() override {
        FreshServerTest::SetUp();
        warpper_ = NewWarpper();
        ASSERT_NE(warpper_.get(), nullptr);
    }
    void TearDown() override {
        warpper_.reset();
        FreshServerTest::TearDown();
    }

    ComPtr<IWarpper2> warpper_;
};

// Replaces one entry of a loaded module's import address table while it lives.
// The import is named by function name, or by ordinal when name is null.
class ImportPatch {
public:
    ImportPatch(HMODULE module, const char* dll, const char* name, WORD ordinal, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool applied() const { return slot_ != nullptr; }
    void* original() const { return original_; }

private:
    HMODULE module_;
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

struct WatchState;

// Follows the C runtime heap blocks that the server and the libraries under it
// allocate and free, by patching their imports of malloc, calloc, realloc and
// free. One watch at a time.
class HeapWatch {
public:
    HeapWatch();
    ~HeapWatch();
    HeapWatch(const HeapWatch&) = delete;
    HeapWatch& operator=(const HeapWatch&) = delete;

    bool watching() const;
    size_t LiveBlocks() const;
    size_t Allocations() const;
    // While set, every allocation of the watched modules fails.
    void FailAllocations(bool fail);

private:
    std::unique_ptr<WatchState> state_;
    std::vector<std::unique_ptr<ImportPatch>> patches_;
};

// The five texts CBrelmoxLib gives, read directly, for comparison.
struct LibraryTexts {
    std::wstring user_name;
    std::wstring computer_name;
    std::wstring os_name;
    std::wstring os_name_all_pattern;
    std::wstring os_etc_info;
    std::wstring product_name;
    std::wstring report_json;
};
LibraryTexts ReadLibraryTexts();

std::wstring BstrText(const VARIANT& value);

}  // namespace comtest
