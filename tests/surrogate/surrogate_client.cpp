// A COM client of Warpper, built both as a 32-bit and as a 64-bit program:
// creates the object with the given class context, prints which server file
// serves it, then all seven answers got through the virtual tables of
// IWarpper and IWarpper2 and then through IDispatch by name, each after a
// line naming the interface and the method.
//
//   surrogate_client inproc|local|all
// The first line is "server: " and the path of the BrelmoxCOM.dll that runs
// the object in this process, or "server: not in this process" (a proxy).
// With only the 32-bit server registered, a 64-bit client gets it in the
// system's DLL surrogate, for "local" and for "all" alike; a 32-bit one loads
// it in-process for "inproc" and "all". The answers do not name the context,
// so two runs compare whole after the first line.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <oleauto.h>
#include <stdio.h>
#include <string.h>

#include "warpper_interface.h"

namespace {

const wchar_t* const kMethods[] = {L"GetUserName",         L"GetComputerName", L"GetOSName",
                                   L"GetOSNameAllPattern", L"GetOSEtcInfo",    L"GetOSProductName",
                                   L"GetReportJson"};

typedef HRESULT (STDMETHODCALLTYPE IWarpper::*Method)(VARIANT*);
const Method kEarlyBound[] = {&IWarpper::GetUserName, &IWarpper::GetComputerName,
                              &IWarpper::GetOSName, &IWarpper::GetOSNameAllPattern,
                              &IWarpper::GetOSEtcInfo};
typedef HRESULT (STDMETHODCALLTYPE IWarpper2::*Method2)(VARIANT*);
const Method2 kEarlyBound2[] = {&IWarpper2::GetOSProductName, &IWarpper2::GetReportJson};

// Writes the text as UTF-8, so both builds write the same bytes.
void WriteUtf8(const wchar_t* text, int length) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    char* utf8 = static_cast<char*>(malloc(size + 1));
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, size, nullptr, nullptr);
    fwrite(utf8, 1, size, stdout);
    putchar('\n');
    free(utf8);
}

bool Print(const wchar_t* interface_name, const wchar_t* method, HRESULT result, VARIANT* answer) {
    printf("-- %ls %ls\n", interface_name, method);
    if (FAILED(result) || V_VT(answer) != VT_BSTR) {
        printf("FAILED: 0x%08lX, type %d\n", static_cast<unsigned long>(result), V_VT(answer));
        return false;
    }
    WriteUtf8(V_BSTR(answer), SysStringLen(V_BSTR(answer)));
    return true;
}

// The server's file when the object's code is that of the BrelmoxCOM.dll
// loaded in this process; a proxy's code is not.
void PrintServer(IUnknown* object) {
    HMODULE server = GetModuleHandleW(L"BrelmoxCOM.dll");
    HMODULE code = nullptr;
    wchar_t path[MAX_PATH * 2];
    DWORD length = 0;
    if (server != nullptr &&
        GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            *reinterpret_cast<LPCWSTR*>(object), &code) &&
        code == server) {
        length = GetModuleFileNameW(server, path, MAX_PATH * 2);
    }
    if (length == 0) {
        printf("server: not in this process\n");
        return;
    }
    printf("server: ");
    WriteUtf8(path, static_cast<int>(length));
}

bool CallThroughVirtualTables(IWarpper* warpper) {
    bool passed = true;
    for (size_t index = 0; index < 5; ++index) {
        VARIANT answer;
        VariantInit(&answer);
        HRESULT result = (warpper->*kEarlyBound[index])(&answer);
        passed = Print(L"IWarpper", kMethods[index], result, &answer) && passed;
        VariantClear(&answer);
    }
    IWarpper2* warpper2 = nullptr;
    HRESULT result = warpper->QueryInterface(IID_IWarpper2, reinterpret_cast<void**>(&warpper2));
    if (FAILED(result)) {
        printf("FAILED: QueryInterface for IWarpper2: 0x%08lX\n",
               static_cast<unsigned long>(result));
        return false;
    }
    for (size_t index = 0; index < 2; ++index) {
        VARIANT answer;
        VariantInit(&answer);
        result = (warpper2->*kEarlyBound2[index])(&answer);
        passed = Print(L"IWarpper2", kMethods[5 + index], result, &answer) && passed;
        VariantClear(&answer);
    }
    warpper2->Release();
    return passed;
}

bool CallThroughIDispatch(IDispatch* dispatch) {
    bool passed = true;
    for (const wchar_t* method : kMethods) {
        LPOLESTR name = const_cast<LPOLESTR>(method);
        DISPID id = DISPID_UNKNOWN;
        DISPPARAMS no_arguments = {nullptr, nullptr, 0, 0};
        VARIANT answer;
        VariantInit(&answer);
        HRESULT result = dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id);
        if (SUCCEEDED(result)) {
            result = dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &no_arguments, &answer,
                                      nullptr, nullptr);
        }
        passed = Print(L"IDispatch", method, result, &answer) && passed;
        VariantClear(&answer);
    }
    return passed;
}

}  // namespace

int main(int argc, char** argv) {
    DWORD context = 0;
    if (argc == 2 && strcmp(argv[1], "inproc") == 0) {
        context = CLSCTX_INPROC_SERVER;
    } else if (argc == 2 && strcmp(argv[1], "local") == 0) {
        context = CLSCTX_LOCAL_SERVER;
    } else if (argc == 2 && strcmp(argv[1], "all") == 0) {
        context = CLSCTX_ALL;
    } else {
        fprintf(stderr, "usage: surrogate_client inproc|local|all\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);  // the texts carry their own CR LF
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return 1;
    }
    bool passed = false;
    IWarpper* warpper = nullptr;
    IDispatch* dispatch = nullptr;
    HRESULT result = CoCreateInstance(CLSID_Warpper, nullptr, context, IID_IWarpper,
                                      reinterpret_cast<void**>(&warpper));
    if (FAILED(result)) {
        printf("FAILED: CoCreateInstance for IWarpper: 0x%08lX\n",
               static_cast<unsigned long>(result));
    } else {
        PrintServer(warpper);
        passed = CallThroughVirtualTables(warpper);
        warpper->Release();
        result = CoCreateInstance(CLSID_Warpper, nullptr, context, IID_IDispatch,
                                  reinterpret_cast<void**>(&dispatch));
        if (FAILED(result)) {
            printf("FAILED: CoCreateInstance for IDispatch: 0x%08lX\n",
                   static_cast<unsigned long>(result));
            passed = false;
        } else {
            passed = CallThroughIDispatch(dispatch) && passed;
            dispatch->Release();
        }
    }
    fflush(stdout);
    CoUninitialize();
    return passed ? 0 : 1;
}
