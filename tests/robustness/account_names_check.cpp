// Checks the names one process gets in the ANSI code page it runs with: every
// narrow name must be the wide one converted, whole, with the heap intact,
// and the COM server's GetUserName and GetComputerName must hand scripts the
// wide names unchanged, whatever the code page lacks.
//
//   account_names_check CODE_PAGE
//   account_names_check CODE_PAGE canary
// Prints one line per fault; exits with 1 when there was any. With "canary"
// it checks instead that the platform's own narrow calls still mishandle the
// user's double-byte name, as the library's narrow names work around
// (wine-differs, lib/name_calls.h).
#include <windows.h>
#include <malloc.h>
#include <oleauto.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "CBrelmoxLib.h"
#include "warpper_interface.h"

namespace {

int g_faults = 0;

void Fault(const char* what) {
    printf("FAULT: %s\n", what);
    ++g_faults;
}

void Expect(bool holds, const char* what) {
    if (!holds) {
        Fault(what);
    }
}

std::string ToAnsi(const std::wstring& wide) {
    int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &ansi[0], size, nullptr, nullptr);
    return ansi;
}

// Takes over a string a getter returned (null as empty) and frees it.
std::string Take(char* text) {
    std::string copy = text != nullptr ? text : "";
    free(text);
    return copy;
}

std::wstring Take(unsigned short* text) {
    std::wstring copy = text != nullptr ? reinterpret_cast<wchar_t*>(text) : L"";
    free(text);
    return copy;
}

// A block written past its end shows in the C run-time's heap, at once here
// or at a later allocation.
void ExpectSoundHeap(const char* after) {
    for (int i = 0; i < 256; ++i) {
        free(malloc(16 + i));
    }
    if (_heapchk() != _HEAPOK) {
        printf("FAULT: the heap is corrupt after %s\n", after);
        ++g_faults;
    }
}

std::wstring PlatformUserName() {
    wchar_t name[512];
    DWORD size = 512;
    return GetUserNameW(name, &size) ? name : L"";
}

std::wstring PlatformComputerName() {
    wchar_t name[64];
    DWORD size = 64;
    return GetComputerNameW(name, &size) ? name : L"";
}

// The account and domain of this process's token, from the wide lookup.
void PlatformAccount(std::wstring& account, std::wstring& domain) {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return;
    }
    BYTE record[512];
    DWORD size = sizeof record;
    if (GetTokenInformation(token, TokenUser, record, size, &size)) {
        wchar_t name[512], domain_name[512];
        DWORD name_size = 512, domain_size = 512;
        SID_NAME_USE use;
        if (LookupAccountSidW(nullptr, reinterpret_cast<TOKEN_USER*>(record)->User.Sid, name,
                              &name_size, domain_name, &domain_size, &use)) {
            account = name;
            domain = domain_name;
        }
    }
    CloseHandle(token);
}

void CheckLibrary() {
    const std::wstring user = PlatformUserName();
    Expect(!user.empty(), "the platform gives no user name");
    CBrelmoxLib lib;

    char* narrow = nullptr;
    Expect(lib.GetUserNameA(&narrow), "GetUserNameA failed");
    Expect(Take(narrow) == ToAnsi(user), "GetUserNameA is not the wide name converted");
    ExpectSoundHeap("GetUserNameA");
    unsigned short* wide = nullptr;
    Expect(lib.GetUserNameW(&wide), "GetUserNameW failed");
    Expect(Take(wide) == user, "GetUserNameW is not the platform's name");

    narrow = nullptr;
    Expect(lib.GetComputerNameA(&narrow), "GetComputerNameA failed");
    Expect(Take(narrow) == ToAnsi(PlatformComputerName()),
           "GetComputerNameA is not the wide name converted");
    ExpectSoundHeap("GetComputerNameA");

    std::wstring account, domain;
    PlatformAccount(account, domain);
    char *user_a = nullptr, *domain_a = nullptr, *sid_a = nullptr;
    Expect(lib.GetUserNameAndDomainNameAndSidA(&user_a, &domain_a, &sid_a),
           "GetUserNameAndDomainNameAndSidA failed");
    ExpectSoundHeap("GetUserNameAndDomainNameAndSidA");
    Expect(Take(user_a) == ToAnsi(account), "the narrow account is not the wide one converted");
    Expect(Take(domain_a) == ToAnsi(domain), "the narrow domain is not the wide one converted");
    unsigned short *user_w = nullptr, *domain_w = nullptr, *sid_w = nullptr;
    Expect(lib.GetUserNameAndDomainNameAndSidW(&user_w, &domain_w, &sid_w),
           "GetUserNameAndDomainNameAndSidW failed");
    Expect(Take(user_w) == account, "the wide account is not the platform's");
    Expect(Take(domain_w) == domain, "the wide domain is not the platform's");
    std::wstring sid_wide = Take(sid_w);
    Expect(Take(sid_a) == ToAnsi(sid_wide), "the SID texts differ");
    ExpectSoundHeap("the account triples");
}

// What a script gets: the names through IDispatch, by name, each the
// platform's wide name as it is.
void CheckServer() {
    if (FAILED(CoInitialize(nullptr))) {
        Fault("CoInitialize failed");
        return;
    }
    CLSID clsid;
    IDispatch* warpper = nullptr;
    if (FAILED(CLSIDFromProgID(L"BrelmoxCOM.Warpper", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&warpper)))) {
        Fault("BrelmoxCOM.Warpper cannot be created");
        CoUninitialize();
        return;
    }
    const struct {
        const wchar_t* method;
        std::wstring expected;
        const char* fault;
    } calls[] = {
        {L"GetUserName", PlatformUserName(), "the server's GetUserName is not the user's name"},
        {L"GetComputerName", PlatformComputerName(),
         "the server's GetComputerName is not the computer's name"},
    };
    VARIANT result;
    VariantInit(&result);
    for (const auto& call : calls) {
        LPOLESTR name = const_cast<LPOLESTR>(call.method);
        DISPID id = 0;
        DISPPARAMS no_arguments = {nullptr, nullptr, 0, 0};
        VariantClear(&result);
        if (FAILED(warpper->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)) ||
            FAILED(warpper->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &no_arguments, &result,
                                   nullptr, nullptr)) ||
            V_VT(&result) != VT_BSTR) {
            Fault("a name cannot be called by name");
        } else {
            Expect(std::wstring(V_BSTR(&result), SysStringLen(V_BSTR(&result))) == call.expected,
                   call.fault);
        }
    }
    VariantClear(&result);
    warpper->Release();
    CoUninitialize();
    ExpectSoundHeap("the server's GetUserName");
}

// Wine's narrow calls with a double-byte name: GetUserNameA gives half of it,
// LookupAccountSidA asks for a length in characters, fewer than its bytes.
void CheckPlatformNarrowCalls() {
    const std::string whole = ToAnsi(PlatformUserName());
    char name[512];
    DWORD size = 512;
    Expect(GetUserNameA(name, &size), "GetUserNameA failed");
    Expect(std::string(name) != whole, "GetUserNameA gives the whole name now");
    HANDLE token;
    BYTE record[512];
    DWORD record_size = sizeof record;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ||
        !GetTokenInformation(token, TokenUser, record, record_size, &record_size)) {
        Fault("the token cannot be read");
        return;
    }
    CloseHandle(token);
    DWORD name_size = 0, domain_size = 0;
    SID_NAME_USE use;
    LookupAccountSidA(nullptr, reinterpret_cast<TOKEN_USER*>(record)->User.Sid, nullptr, &name_size,
                      nullptr, &domain_size, &use);
    Expect(name_size < whole.size() + 1, "LookupAccountSidA asks for the name's bytes now");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    bool canary = argc == 3 && std::wstring(argv[2]) == L"canary";
    if (argc != 2 && !canary) {
        fprintf(stderr, "usage: account_names_check CODE_PAGE [canary]\n");
        return 2;
    }
    UINT code_page = static_cast<UINT>(_wtoi(argv[1]));
    if (GetACP() != code_page) {
        printf("FAULT: the ANSI code page is %u, not %u\n", GetACP(), code_page);
        return 1;
    }
    if (canary) {
        CheckPlatformNarrowCalls();
    } else {
        CheckLibrary();
        CheckServer();
    }
    return g_faults == 0 ? 0 : 1;
}
