#include "registration.h"

#include <olectl.h>
#include <stdlib.h>
#include <string.h>

#include "module_path.h"
#include "scoped.h"
#include "server_module.h"
#include "warpper_interface.h"

namespace brelmox {
namespace {

// The class with its ProgIDs and AppID; the type library's entry under the
// neutral locale, which goes with the type library rather than the class.
constexpr WORD kClassScriptResource = 101;
constexpr WORD kNeutralLocaleScriptResource = 102;

// The script's own name for the module path. wine-differs: ATL.DLL's script
// runner (ordinal 23) puts its %MODULE% into the script as it is, so a path
// with a ' cut the string it stood in and the rest of the path became keys;
// this one is quoted.
const WCHAR kQuotedModuleName[] = L"MODULE_QUOTED";

// ATL 3.0's replacement map entry.
struct AtlRegistryMapEntry {
    LPCOLESTR key;
    LPCOLESTR value;
};

// The string value `name` (null: the default value) of HKCR\`key`, if it
// equals `expected` exactly.
bool RegistryValueIs(const WCHAR* key, const WCHAR* name, const WCHAR* expected) {
    size_t expected_bytes = (wcslen(expected) + 1) * sizeof(WCHAR);
    HeapPtr<BYTE> value(static_cast<BYTE*>(malloc(expected_bytes + sizeof(WCHAR))));
    if (!value) {
        return false;
    }
    HKEY opened;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(expected_bytes + sizeof(WCHAR));
    LONG status = RegQueryValueExW(opened, name, nullptr, &type, value.get(), &size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS && type == REG_SZ && size == expected_bytes &&
           memcmp(value.get(), expected, expected_bytes) == 0;
}

// What the script registered for the in-process server names this file and
// its threading model exactly.
bool ServerKeysAreExact(const WCHAR* module_path) {
    WCHAR key[80] = L"CLSID\\";
    if (StringFromGUID2(CLSID_Warpper, key + 6, 40) == 0) {
        return false;
    }
    wcscat(key, L"\\InprocServer32");
    return RegistryValueIs(key, nullptr, module_path) &&
           RegistryValueIs(key, L"ThreadingModel", L"Apartment");
}

HRESULT RunScript(WORD resource, const WCHAR* quoted_path, BOOL do_register) {
    AtlRegistryMapEntry replacements[] = {{kQuotedModuleName, quoted_path}, {nullptr, nullptr}};
    return AtlModuleUpdateRegistryFromResourceD(&ServerModule(), MAKEINTRESOURCEW(resource),
                                                do_register, replacements, nullptr);
}

// Both scripts; each runs, the first failure is reported.
HRESULT RunScripts(const WCHAR* quoted_path, BOOL do_register) {
    HRESULT result = RunScript(kClassScriptResource, quoted_path, do_register);
    HRESULT locale_result = RunScript(kNeutralLocaleScriptResource, quoted_path, do_register);
    return FAILED(result) ? result : locale_result;
}

// `path` with every ' doubled, as the script's quoted strings take it; null
// without memory.
HeapPtr<WCHAR> QuoteForRegistrarScript(const WCHAR* path) {
    size_t length = wcslen(path);
    size_t quotes = 0;
    for (size_t i = 0; i < length; ++i) {
        quotes += path[i] == L'\'';
    }
    HeapPtr<WCHAR> quoted(static_cast<WCHAR*>(malloc((length + quotes + 1) * sizeof(WCHAR))));
    if (!quoted) {
        return nullptr;
    }
    WCHAR* out = quoted.get();
    for (size_t i = 0; i < length; ++i) {
        *out++ = path[i];
        if (path[i] == L'\'') {
            *out++ = L'\'';
        }
    }
    *out = 0;
    return quoted;
}

}  // namespace

HRESULT UpdateWarpperRegistry(BOOL do_register) {
    HeapPtr<WCHAR> path = ModuleFilePath(ServerModule().instance);
    if (!path) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    HeapPtr<WCHAR> quoted = QuoteForRegistrarScript(path.get());
    if (!quoted) {
        return E_OUTOFMEMORY;
    }
    HRESULT result = RunScripts(quoted.get(), do_register);
    if (SUCCEEDED(result) && do_register && !ServerKeysAreExact(path.get())) {
        RunScripts(quoted.get(), FALSE);
        result = SELFREG_E_CLASS;
    }
    return result;
}

}  // namespace brelmox
