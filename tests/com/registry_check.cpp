// Checks BrelmoxCOM's registry entries, in the registry view of this
// program's bitness, after regsvr32 has registered or unregistered a server:
//
//   com_registry_check registered SERVER_PATH [OTHER_SERVER_PATH]
//       the class, the shared keys and this platform's type-library entries
//       name SERVER_PATH; the other platform's (win64 beside win32, or win32
//       beside win64) name OTHER_SERVER_PATH, or there are none
//   com_registry_check class-unregistered OTHER_SERVER_PATH
//       no class in this view and no type-library entry of this platform;
//       the keys both views share stay for the other platform's server
//   com_registry_check unregistered [SERVER_PATH]
//       none of the server's keys
#include <stdio.h>

#include <string>

#include "warpper_interface.h"

namespace {

std::wstring RegistryForm(REFGUID guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

struct Key {
    HKEY handle = nullptr;
    ~Key() {
        if (handle != nullptr) {
            RegCloseKey(handle);
        }
    }
};

bool KeyExists(const std::wstring& path) {
    Key key;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key.handle) ==
           ERROR_SUCCESS;
}

// The string value, or null when the key or value is missing.
bool ReadString(const std::wstring& path, const wchar_t* value_name, std::wstring* value) {
    Key key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key.handle) != ERROR_SUCCESS) {
        return false;
    }
    wchar_t data[1024] = L"";
    DWORD type = 0;
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegQueryValueExW(key.handle, value_name, nullptr, &type, reinterpret_cast<BYTE*>(data),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    *value = data;
    return true;
}

int g_failures = 0;

void Fail(const std::wstring& what) {
    printf("FAILED: %ls\n", what.c_str());
    ++g_failures;
}

void ExpectString(const std::wstring& path, const wchar_t* value_name, const std::wstring& expected,
                  bool ignore_case = false) {
    std::wstring name = path + L" [" + (value_name != nullptr ? value_name : L"(default)") + L"]";
    std::wstring actual;
    if (!ReadString(path, value_name, &actual)) {
        Fail(name + L" is missing");
    } else if (ignore_case ? lstrcmpiW(actual.c_str(), expected.c_str()) != 0
                           : actual != expected) {
        Fail(name + L" is \"" + actual + L"\", not \"" + expected + L"\"");
    }
}

#ifdef _WIN64
const wchar_t kPlatform[] = L"win64";
const wchar_t kOtherPlatform[] = L"win32";
#else
const wchar_t kPlatform[] = L"win32";
const wchar_t kOtherPlatform[] = L"win64";
#endif

// The type library's entries of `platform` under the neutral locale and its
// own: naming `server_path`, or none when it is empty.
void CheckLibraryEntries(const wchar_t* platform, const std::wstring& server_path) {
    const std::wstring version = L"TypeLib\\" + RegistryForm(LIBID_BRELMOXCOMLib) + L"\\1.0\\";
    for (const wchar_t* locale : {L"0\\", L"409\\"}) {
        const std::wstring entry = version + locale + platform;
        if (!server_path.empty()) {
            ExpectString(entry, nullptr, server_path, true);
        } else if (KeyExists(entry)) {
            Fail(entry + L" is still there");
        }
    }
}

// What both views share: the ProgIDs, the AppID that lets 64-bit clients use
// the 32-bit server in the system's DLL surrogate, and the dual interfaces,
// marshaled by the type library (whose registration writes them into both
// views).
void CheckSharedKeys() {
    const std::wstring clsid = RegistryForm(CLSID_Warpper);
    const std::wstring libid = RegistryForm(LIBID_BRELMOXCOMLib);
    for (const wchar_t* prog_id : {L"BrelmoxCOM.Warpper.1", L"BrelmoxCOM.Warpper"}) {
        ExpectString(prog_id, nullptr, L"Warpper Class");
        ExpectString(std::wstring(prog_id) + L"\\CLSID", nullptr, clsid);
    }
    ExpectString(L"BrelmoxCOM.Warpper\\CurVer", nullptr, L"BrelmoxCOM.Warpper.1");
    ExpectString(L"AppID\\" + clsid, nullptr, L"Warpper Class");
    ExpectString(L"AppID\\" + clsid, L"DllSurrogate", L"");
    const struct {
        const IID* iid;
        const wchar_t* name;
    } kInterfaces[] = {{&IID_IWarpper, L"IWarpper"}, {&IID_IWarpper2, L"IWarpper2"}};
    for (const auto& entry : kInterfaces) {
        const std::wstring key = L"Interface\\" + RegistryForm(*entry.iid);
        ExpectString(key, nullptr, entry.name);
        ExpectString(key + L"\\ProxyStubClsid32", nullptr,
                     L"{00020424-0000-0000-C000-000000000046}");
        ExpectString(key + L"\\TypeLib", nullptr, libid);
    }
}

void CheckRegistered(const std::wstring& server_path, const std::wstring& other_server_path) {
    const std::wstring clsid = RegistryForm(CLSID_Warpper);
    const std::wstring libid = RegistryForm(LIBID_BRELMOXCOMLib);
    CheckSharedKeys();
    const std::wstring class_key = L"CLSID\\" + clsid;
    ExpectString(class_key, nullptr, L"Warpper Class");
    ExpectString(class_key + L"\\ProgID", nullptr, L"BrelmoxCOM.Warpper.1");
    ExpectString(class_key + L"\\VersionIndependentProgID", nullptr, L"BrelmoxCOM.Warpper");
    if (!KeyExists(class_key + L"\\Programmable")) {
        Fail(class_key + L"\\Programmable is missing");
    }
    ExpectString(class_key + L"\\InprocServer32", nullptr, server_path, true);
    ExpectString(class_key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    ExpectString(class_key + L"\\TypeLib", nullptr, libid);
    ExpectString(class_key, L"AppID", clsid);

    // Under its own locale, and under the neutral one that the type-library
    // marshaler asks for.
    for (LCID locale : {0x0409, 0}) {
        BSTR type_library_path = nullptr;
        HRESULT result =
            QueryPathOfRegTypeLib(LIBID_BRELMOXCOMLib, 1, 0, locale, &type_library_path);
        std::wstring locale_text = locale == 0 ? L"the neutral locale" : L"locale 0x0409";
        if (FAILED(result)) {
            Fail(L"type library " + libid + L" 1.0 is not registered under " + locale_text);
        } else if (lstrcmpiW(type_library_path, server_path.c_str()) != 0) {
            Fail(L"type library is registered under " + locale_text + L" as " +
                 std::wstring(type_library_path));
        }
        SysFreeString(type_library_path);
    }
    CheckLibraryEntries(kPlatform, server_path);
    CheckLibraryEntries(kOtherPlatform, other_server_path);
}

// The other platform's server is still registered, this one's is not.
void CheckClassUnregistered(const std::wstring& other_server_path) {
    const std::wstring class_key = L"CLSID\\" + RegistryForm(CLSID_Warpper);
    if (KeyExists(class_key)) {
        Fail(class_key + L" is still there");
    }
    CheckSharedKeys();
    CheckLibraryEntries(kPlatform, L"");
    CheckLibraryEntries(kOtherPlatform, other_server_path);
}

void CheckUnregistered() {
    const std::wstring clsid = RegistryForm(CLSID_Warpper);
    for (const std::wstring& key :
         {std::wstring(L"BrelmoxCOM.Warpper.1"), std::wstring(L"BrelmoxCOM.Warpper"),
          L"CLSID\\" + clsid, L"AppID\\" + clsid, L"TypeLib\\" + RegistryForm(LIBID_BRELMOXCOMLib),
          L"Interface\\" + RegistryForm(IID_IWarpper),
          L"Interface\\" + RegistryForm(IID_IWarpper2)}) {
        if (KeyExists(key)) {
            Fail(key + L" is still there");
        }
    }
    for (const wchar_t* kept : {L"CLSID", L"AppID"}) {
        if (!KeyExists(kept)) {
            Fail(std::wstring(kept) + L" was removed");
        }
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring mode = argc >= 2 ? argv[1] : L"";
    if (mode == L"registered" && (argc == 3 || argc == 4)) {
        CheckRegistered(argv[2], argc == 4 ? argv[3] : L"");
    } else if (mode == L"class-unregistered" && argc == 3) {
        CheckClassUnregistered(argv[2]);
    } else if (mode == L"unregistered" && argc <= 3) {
        CheckUnregistered();
    } else {
        fprintf(stderr,
                "usage: com_registry_check registered SERVER_PATH [OTHER_SERVER_PATH]\n"
                "       com_registry_check class-unregistered OTHER_SERVER_PATH\n"
                "       com_registry_check unregistered [SERVER_PATH]\n");
        return 2;
    }
    printf("%s: %d failure(s)\n", g_failures == 0 ? "passed" : "FAILED", g_failures);
    return g_failures == 0 ? 0 : 1;
}
