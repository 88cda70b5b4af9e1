// Registering the server from folders whose names the registration script's
// syntax treats specially, or that are merely unusual, and from several
// copies: each row is a run of registrations and unregistrations, each step
// with the copy whose registration must stand after it. A registration either
// names the module exactly, with nothing stray, and serves, or it fails and
// leaves nothing; unregistering removes only what names the copy itself.
//
// Runs in a prefix of its own, where nobody else registers the server.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "classes_registry.h"

namespace {

// The type library's platform key of this build's server.
#ifdef _WIN64
const wchar_t kPlatform[] = L"win64";
#else
const wchar_t kPlatform[] = L"win32";
#endif

using robustness::CollectKeys;
using robustness::GuidText;
using robustness::KeyExists;
using robustness::OwnedKeys;
using robustness::Subkeys;

typedef HRESULT(STDAPICALLTYPE* ServerFunction)();

std::string Narrow(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

// The keys of the areas a COM server writes to: whole subtrees of our own, and
// the top-level names and class keys, where a cut script makes keys of its own.
std::set<std::wstring> Snapshot() {
    std::set<std::wstring> keys;
    for (const std::wstring& area : OwnedKeys()) {
        if (KeyExists(area)) {
            keys.insert(area);
            CollectKeys(area, keys);
        }
    }
    for (const wchar_t* area : {L"", L"CLSID", L"AppID"}) {
        for (const std::wstring& name : Subkeys(area)) {
            keys.insert(std::wstring(area) + L"|" + name);
        }
    }
    return keys;
}

// The keys that `now` has and `then` lacks (+), and the other way (-); empty
// when the two are the same.
std::string KeyChanges(const std::set<std::wstring>& then, const std::set<std::wstring>& now) {
    std::string changes;
    for (const std::wstring& key : now) {
        if (then.count(key) == 0) {
            changes += " +" + Narrow(key);
        }
    }
    for (const std::wstring& key : then) {
        if (now.count(key) == 0) {
            changes += " -" + Narrow(key);
        }
    }
    return changes;
}

std::wstring StringValue(const std::wstring& path, const wchar_t* name) {
    wchar_t data[2048] = L"";
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return L"<no key>";
    }
    LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? data : L"<no value>";
}

// The class key's subkeys that registration makes, and nothing else.
const std::set<std::wstring> kClassSubkeys = {L"InprocServer32", L"ProgID", L"Programmable",
                                              L"TypeLib", L"VersionIndependentProgID"};

std::set<std::wstring> ClassSubkeys() {
    std::vector<std::wstring> names = Subkeys(L"CLSID\\" + GuidText(CLSID_Warpper));
    return std::set<std::wstring>(names.begin(), names.end());
}

// The folder of the server that the test program finds on its path.
std::wstring BuiltServerFolder() {
    wchar_t path[MAX_PATH];
    wchar_t* file = nullptr;
    if (SearchPathW(nullptr, L"BrelmoxCOM.dll", nullptr, MAX_PATH, path, &file) == 0) {
        return std::wstring();
    }
    return std::wstring(path, file - path);
}

const wchar_t* const kServerFiles[] = {L"BrelmoxCOM.dll", L"BrelmoxLib.dll", L"Pellwick.dll"};

bool CopyServer(const std::wstring& from, const std::wstring& to) {
    for (const wchar_t* file : kServerFiles) {
        if (!CopyFileW((from + file).c_str(), (to + L"\\" + file).c_str(), FALSE)) {
            return false;
        }
    }
    return true;
}

void RemoveServer(const std::wstring& folder) {
    for (const wchar_t* file : kServerFiles) {
        DeleteFileW((folder + L"\\" + file).c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

// The path of the server that makes an object for the ProgID, as a script
// would ask for one, and answers a call; <not created> when none does.
std::wstring ServingModule() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return L"<no apartment>";
    }
    std::wstring module = L"<not created>";
    CLSID clsid;
    IWarpper* warpper = nullptr;
    if (SUCCEEDED(CLSIDFromProgID(L"BrelmoxCOM.Warpper", &clsid)) &&
        SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IWarpper,
                                   reinterpret_cast<void**>(&warpper)))) {
        VARIANT name;
        VariantInit(&name);
        HMODULE server = nullptr;
        wchar_t path[MAX_PATH * 2] = L"";
        if (warpper->GetOSName(&name) == S_OK && V_VT(&name) == VT_BSTR &&
            GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                   GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               *reinterpret_cast<LPCWSTR*>(warpper), &server) &&
            GetModuleFileNameW(server, path, MAX_PATH * 2) != 0) {
            module = path;
        }
        VariantClear(&name);
        warpper->Release();
    }
    CoUninitialize();
    return module;
}

// What a row that failed left behind, so that the next row and the next run
// begin where this one began.
void RemoveLeftovers() {
    for (const std::wstring& key : OwnedKeys()) {
        SHDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    }
}

enum Call { kRegister, kRegisterFails, kUnregister };

// How a step loads its copy: by the path it was copied to, by that path's 8.3
// form, or by the path in upper case.
enum Naming { kAsCopied, kShortForm, kUpperCase };

struct Step {
    Call call;
    const wchar_t* folder;
    Naming naming;
    // The folder whose registration stands after the step; null: none, the
    // registry is as it began.
    const wchar_t* standing;
};

// The server at `path` loaded by the name `naming` gives it.
std::wstring NamedPath(const std::wstring& path, Naming naming) {
    std::wstring named = path;
    if (naming == kShortForm) {
        wchar_t short_path[MAX_PATH * 2];
        DWORD length = GetShortPathNameW(path.c_str(), short_path, MAX_PATH * 2);
        named.assign(short_path, length < MAX_PATH * 2 ? length : 0);
    } else if (naming == kUpperCase) {
        CharUpperBuffW(&named[0], static_cast<DWORD>(named.size()));
    }
    return named;
}

std::vector<Step> RegistersExactly(const wchar_t* folder) {
    return {{kRegister, folder, kAsCopied, folder}, {kUnregister, folder, kAsCopied, nullptr}};
}

std::vector<Step> FailsLeavingNothing(const wchar_t* folder) {
    return {{kRegisterFails, folder, kAsCopied, nullptr},
            {kUnregister, folder, kAsCopied, nullptr}};
}

// A folder whose server path is longer than MAX_PATH, which ATL.DLL's
// registrar cannot hand to the script whole.
#define TEN L"abcdefghi'"
const wchar_t kLongName[] =
    TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN;

const wchar_t kCopyA[] = L"copy A";
const wchar_t kCopyB[] = L"copy B";
const wchar_t kOneFile[] = L"J\u00FCrgen's One File";

TEST(RegistrationPaths, EveryFolderRegistersExactlyOrFailsCleanly) {
    const std::wstring built = BuiltServerFolder();
    ASSERT_FALSE(built.empty()) << "BrelmoxCOM.dll is not on the path";
    const std::wstring base = L"C:\\registration paths";
    CreateDirectoryW(base.c_str(), nullptr);
    const std::vector<Step> kCases[] = {
        RegistersExactly(L"O'Brien"),
        RegistersExactly(L"''"),
        RegistersExactly(L"it's 100% done"),
        RegistersExactly(L"%MODULE%"),
        RegistersExactly(L"%MODULE_QUOTED%"),
        RegistersExactly(L"%"),
        RegistersExactly(L"{5C01C9BA-A36B-45D9-B589-877A9B959E36}"),
        RegistersExactly(L"}{"),
        RegistersExactly(L"a = s 'b' { val c = s 'd' }"),
        RegistersExactly(L"NoRemove ForceRemove Delete"),
        RegistersExactly(L"semi;colon,comma [brackets] #hash &amp @at"),
        RegistersExactly(L"J\u00FCrgen's files"),
        RegistersExactly(L"\u65E5\u672C\u8A9E\u306E\u30D5\u30A9\u30EB\u30C0"),
        RegistersExactly(L"trailing quote'"),
        RegistersExactly(L"  leading blanks"),
        FailsLeavingNothing(kLongName),
        // The last copy registered serves; unregistering another leaves it be.
        {{kRegister, kCopyA, kAsCopied, kCopyA},
         {kRegister, kCopyB, kAsCopied, kCopyB},
         {kUnregister, kCopyA, kAsCopied, kCopyB},
         {kUnregister, kCopyB, kAsCopied, nullptr}},
        {{kRegister, kCopyA, kAsCopied, kCopyA},
         {kRegister, kCopyB, kAsCopied, kCopyB},
         {kUnregister, kCopyB, kAsCopied, nullptr},
         {kUnregister, kCopyA, kAsCopied, nullptr}},
        {{kRegister, kCopyA, kAsCopied, kCopyA},
         {kRegister, kCopyB, kAsCopied, kCopyB},
         {kUnregister, kCopyA, kShortForm, kCopyB},
         {kUnregister, kCopyB, kUpperCase, nullptr}},
        // One file by other names is still the one registered.
        {{kRegister, kOneFile, kAsCopied, kOneFile}, {kUnregister, kOneFile, kShortForm, nullptr}},
        {{kRegister, kOneFile, kShortForm, kOneFile}, {kUnregister, kOneFile, kAsCopied, nullptr}},
        {{kRegister, kOneFile, kAsCopied, kOneFile}, {kUnregister, kOneFile, kUpperCase, nullptr}},
    };
    RemoveLeftovers();
    const std::set<std::wstring> before = Snapshot();
    for (const std::vector<Step>& steps : kCases) {
        // Per folder of the row: the server's path as registered, and the keys then.
        std::map<std::wstring, std::wstring> registered_path;
        std::map<std::wstring, std::set<std::wstring>> registered_keys;
        std::set<std::wstring> copied_to;
        for (const Step& step : steps) {
            const std::wstring folder = base + L"\\" + step.folder;
            const std::wstring copied = folder + L"\\BrelmoxCOM.dll";
            SCOPED_TRACE(Narrow((step.call == kUnregister ? L"unregister " : L"register ") +
                                NamedPath(copied, step.naming)));
            if (copied_to.insert(folder).second) {
                CreateDirectoryW(folder.c_str(), nullptr);
                ASSERT_TRUE(CopyServer(built, folder));
            }
            const std::wstring named = NamedPath(copied, step.naming);
            ASSERT_FALSE(named.empty());
            HMODULE server = LoadLibraryExW(named.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
            ASSERT_NE(server, nullptr);
            wchar_t module_path[MAX_PATH * 2];
            GetModuleFileNameW(server, module_path, MAX_PATH * 2);
            if (step.naming != kAsCopied) {
                ASSERT_NE(module_path, copied) << "the server is not loaded by the other name";
            }
            auto server_function = reinterpret_cast<ServerFunction>(reinterpret_cast<void*>(
                GetProcAddress(server, step.call == kUnregister ? "DllUnregisterServer"
                                                                : "DllRegisterServer")));
            HRESULT result = server_function();
            FreeLibrary(server);
            if (step.call == kRegisterFails) {
                EXPECT_TRUE(FAILED(result)) << std::hex << result;
            } else {
                EXPECT_EQ(result, S_OK);
            }
            if (step.call == kRegister) {
                registered_path[step.folder] = module_path;
                registered_keys[step.folder] = Snapshot();
            }

            if (step.standing == nullptr) {
                EXPECT_EQ(KeyChanges(before, Snapshot()), "") << "keys left behind or taken away";
                continue;
            }
            const std::wstring& expected = registered_path[step.standing];
            const std::wstring class_key = L"CLSID\\" + GuidText(CLSID_Warpper);
            EXPECT_EQ(StringValue(class_key + L"\\InprocServer32", nullptr), expected);
            EXPECT_EQ(StringValue(class_key + L"\\InprocServer32", L"ThreadingModel"),
                      L"Apartment");
            EXPECT_EQ(ClassSubkeys(), kClassSubkeys) << "stray keys in the class key";
            const std::wstring library = L"TypeLib\\" + GuidText(LIBID_BRELMOXCOMLib) + L"\\1.0";
            EXPECT_EQ(StringValue(library + L"\\0\\" + kPlatform, nullptr), expected);
            EXPECT_EQ(StringValue(library + L"\\409\\" + kPlatform, nullptr), expected);
            EXPECT_EQ(KeyChanges(registered_keys[step.standing], Snapshot()), "")
                << "keys taken away or left behind";
            EXPECT_EQ(ServingModule(), expected);
        }
        RemoveLeftovers();
        for (const std::wstring& folder : copied_to) {
            RemoveServer(folder);
        }
    }
    RemoveDirectoryW(base.c_str());
}

}  // namespace
