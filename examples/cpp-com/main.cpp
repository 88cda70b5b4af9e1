// Asks BrelmoxCOM's Warpper for its seven facts through IWarpper2's vtable:
// early binding, with the interface as the type library declares it
// (BrelmoxCOM.h; MSVC users may #import "BrelmoxCOM.tlb" instead).
//
// BrelmoxCOM.dll must be registered (register.cmd). It is a 32-bit in-process
// server, so only 32-bit programs such as this one can load it.
#include <windows.h>
#include <ole2.h>

// windows.h maps GetUserName and GetComputerName to their A/W functions;
// free the names for the Warpper's methods.
#undef GetUserName
#undef GetComputerName
#include "BrelmoxCOM.h"
#include "write_line.h"

#include <stdio.h>

#include <string>

namespace {

// COM for this thread, in a single-threaded apartment as scripts use it.
class ComApartment {
public:
    ComApartment() : result_(CoInitialize(nullptr)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};

// One reference to an interface, released at the end of its scope.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (pointer_ != nullptr) {
            pointer_->Release();
        }
    }
    void** out() { return reinterpret_cast<void**>(&pointer_); }
    Interface* operator->() const { return pointer_; }

private:
    Interface* pointer_ = nullptr;
};

// An [out, retval] VARIANT, cleared at the end of its scope.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }
    VARIANT* out() { return &value_; }

    // The answer as text; Empty (the system could not tell) is no text.
    std::wstring Text() const {
        if (V_VT(&value_) == VT_BSTR) {
            return std::wstring(V_BSTR(&value_), SysStringLen(V_BSTR(&value_)));
        }
        return std::wstring();
    }

private:
    VARIANT value_;
};

int Fail(const char* what, HRESULT result) {
    fprintf(stderr, "%s failed: 0x%08lX\n", what, static_cast<unsigned long>(result));
    if (result == REGDB_E_CLASSNOTREG) {
        fprintf(stderr, "BrelmoxCOM is not registered: run register.cmd as administrator.\n");
    }
    return 1;
}

}  // namespace

int main() {
    ComApartment apartment;
    if (FAILED(apartment.result())) {
        return Fail("CoInitialize", apartment.result());
    }

    // IWarpper2 extends IWarpper; a server older than it answers E_NOINTERFACE here.
    ComPtr<IWarpper2> warpper;
    HRESULT result = CoCreateInstance(__uuidof(Warpper), nullptr, CLSCTX_INPROC_SERVER,
                                      __uuidof(IWarpper2), warpper.out());
    if (FAILED(result)) {
        return Fail("Creating a BrelmoxCOM.Warpper", result);
    }

    Variant user_name;
    Variant computer_name;
    Variant os_name;
    Variant all_os_names;
    Variant machine_facts;
    Variant product_name;
    Variant report;
    if (FAILED(result = warpper->GetUserName(user_name.out())) ||
        FAILED(result = warpper->GetComputerName(computer_name.out())) ||
        FAILED(result = warpper->GetOSName(os_name.out())) ||
        FAILED(result = warpper->GetOSNameAllPattern(all_os_names.out())) ||
        FAILED(result = warpper->GetOSEtcInfo(machine_facts.out())) ||
        FAILED(result = warpper->GetOSProductName(product_name.out())) ||
        FAILED(result = warpper->GetReportJson(report.out()))) {
        return Fail("Asking the Warpper", result);
    }

    WriteLine(L"User name: " + user_name.Text());
    WriteLine(L"Computer name: " + computer_name.Text());
    WriteLine(L"OS name:");
    WriteLine(os_name.Text());
    WriteLine(L"All OS names:");
    WriteLine(all_os_names.Text());
    WriteLine(L"Machine facts:");
    WriteLine(machine_facts.Text());
    WriteLine(L"Product name: " + product_name.Text());
    WriteLine(L"JSON report:");
    WriteLine(report.Text());
    return 0;
}
