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
// The type library's platform key, as the platform's registration names it.
const WCHAR kPlatformName[] = L"PLATFORM";
#ifdef _WIN64
const WCHAR kPlatform[] = L"win64";
constexpr SYSKIND kSysKind = SYS_WIN64;
#else
const WCHAR kPlatform[] = L"win32";
constexpr SYSKIND kSysKind = SYS_WIN32;
#endif

// ATL 3.0's replacement map entry.
struct AtlRegistryMapEntry {
    LPCOLESTR key;
    LPCOLESTR value;
};

// The embedded type library as its registration names it: its version and its
// own locale, beside the neutral locale that the second script adds.
constexpr WORD kLibraryMajor = 1;
constexpr WORD kLibraryMinor = 0;
constexpr LCID kLibraryLocale = 0x0409;
#ifdef _WIN64
const WCHAR* const kLibraryWin32Entries[] = {L"\\1.0\\0\\win64", L"\\1.0\\409\\win64"};
#else
const WCHAR* const kLibraryWin32Entries[] = {L"\\1.0\\0\\win32", L"\\1.0\\409\\win32"};
#endif

// The string value `name` (null: the default value) of HKCR\`key`, if it
// equals `expected` exactly.
bool RegistryValueIs(const WCHAR* key, const WCHAR* name, const WCHAR* expected) {
    size_t expected_bytes = (wcslen(expected) + 1) * sizeof(WCHAR);
    HeapPtr<BYTE> value(static_cast<BYTE*>(malloc(expected_bytes + sizeof(WCHAR))));
    if (!value) {
        return false;
    }
    ScopedRegistryKey opened;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_QUERY_VALUE, opened.put()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(expected_bytes + sizeof(WCHAR));
    LONG status = RegQueryValueExW(opened.get(), name, nullptr, &type, value.get(), &size);
    return status == ERROR_SUCCESS && type == REG_SZ && size == expected_bytes &&
           memcmp(value.get(), expected, expected_bytes) == 0;
}

// The string value `name` (null: the default value) of `root`\`key`; null when
// there is none, it is of another type, or memory is short.
HeapPtr<WCHAR> RegistryString(HKEY root, const WCHAR* key, const WCHAR* name) {
    ScopedRegistryKey opened;
    if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE, opened.put()) != ERROR_SUCCESS) {
        return nullptr;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(opened.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return nullptr;
    }
    // Room for the terminating null that a stored string may lack.
    HeapPtr<WCHAR> value(static_cast<WCHAR*>(malloc(size + sizeof(WCHAR))));
    if (!value) {
        return nullptr;
    }
    if (RegQueryValueExW(opened.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.get()),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return nullptr;
    }
    value.get()[size / sizeof(WCHAR)] = 0;
    return value;
}

// `path` as the file system compares it: every component in its long form
// (the path as it is when the file cannot be found), in upper case. Null
// without memory.
HeapPtr<WCHAR> ComparablePath(const WCHAR* path) {
    size_t path_length = wcslen(path);
    DWORD long_capacity = GetLongPathNameW(path, nullptr, 0);
    size_t capacity = long_capacity > path_length ? long_capacity : path_length + 1;
    HeapPtr<WCHAR> comparable(static_cast<WCHAR*>(malloc(capacity * sizeof(WCHAR))));
    if (!comparable) {
        return nullptr;
    }
    DWORD length = GetLongPathNameW(path, comparable.get(), static_cast<DWORD>(capacity));
    if (length == 0 || length >= capacity) {
        memcpy(comparable.get(), path, (path_length + 1) * sizeof(WCHAR));
        length = static_cast<DWORD>(path_length);
    }
    if (length != 0) {
        // The file system's casing rules, not a language's.
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, comparable.get(), static_cast<int>(length),
                     comparable.get(), static_cast<int>(length));
    }
    return comparable;
}

// Whether `registered`, a path the registry holds, names the file at
// `module_path`, by its 8.3 form or in another letter case too.
bool NamesModule(const WCHAR* registered, const WCHAR* module_path) {
    HeapPtr<WCHAR> registered_file = ComparablePath(registered);
    HeapPtr<WCHAR> module_file = ComparablePath(module_path);
    return registered_file && module_file && wcscmp(registered_file.get(), module_file.get()) == 0;
}

// CLSID\{Warpper}\InprocServer32, or false when the GUID cannot be written.
bool ServerKeyName(WCHAR (&key)[80]) {
    wcscpy(key, L"CLSID\\");
    if (StringFromGUID2(CLSID_Warpper, key + 6, 40) == 0) {
        return false;
    }
    wcscat(key, L"\\InprocServer32");
    return true;
}

// What the script registered for the in-process server names this file and
// its threading model exactly.
bool ServerKeysAreExact(const WCHAR* module_path) {
    WCHAR key[80];
    return ServerKeyName(key) && RegistryValueIs(key, nullptr, module_path) &&
           RegistryValueIs(key, L"ThreadingModel", L"Apartment");
}

// Whether the class's in-process server in `classes` is this module: only then
// are the class, its ProgIDs and its AppID this module's to remove. Another
// copy registered since owns them now.
bool ClassServerIsModule(HKEY classes, const WCHAR* module_path) {
    WCHAR key[80];
    if (!ServerKeyName(key)) {
        return false;
    }
    HeapPtr<WCHAR> server = RegistryString(classes, key, nullptr);
    return server && NamesModule(server.get(), module_path);
}

// Whether the type library's win32 entries in `classes`, under the neutral
// locale and its own, are this module's: none names another file and one
// names this one.
bool TypeLibraryIsModule(HKEY classes, const WCHAR* module_path) {
    WCHAR key[80] = L"TypeLib\\";
    if (StringFromGUID2(LIBID_BRELMOXCOMLib, key + 8, 40) == 0) {
        return false;
    }
    size_t library_length = wcslen(key);
    bool named = false;
    for (const WCHAR* entry : kLibraryWin32Entries) {
        wcscpy(key + library_length, entry);
        HeapPtr<WCHAR> registered = RegistryString(classes, key, nullptr);
        if (!registered) {
            continue;
        }
        if (!NamesModule(registered.get(), module_path)) {
            return false;
        }
        named = true;
    }
    return named;
}

HRESULT RunScript(WORD resource, const WCHAR* quoted_path, BOOL do_register) {
    AtlRegistryMapEntry replacements[] = {
        {kQuotedModuleName, quoted_path}, {kPlatformName, kPlatform}, {nullptr, nullptr}};
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
    if (!do_register) {
        if (!ClassServerIsModule(HKEY_CLASSES_ROOT, path.get())) {
            return S_OK;
        }
        return RunScript(kClassScriptResource, quoted.get(), FALSE);
    }
    HRESULT result = RunScripts(quoted.get(), TRUE);
    if (SUCCEEDED(result) && !ServerKeysAreExact(path.get())) {
        RunScripts(quoted.get(), FALSE);
        result = SELFREG_E_CLASS;
    }
    return result;
}

HRESULT UnregisterTypeLibrary() {
    HeapPtr<WCHAR> path = ModuleFilePath(ServerModule().type_library_instance);
    if (!path) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    if (!TypeLibraryIsModule(HKEY_CLASSES_ROOT, path.get())) {
        return S_OK;
    }
    HeapPtr<WCHAR> quoted = QuoteForRegistrarScript(path.get());
    if (!quoted) {
        return E_OUTOFMEMORY;
    }
    // The neutral locale first: the platform's removal takes the version's key
    // only when no other locale is left in it.
    HRESULT result = RunScript(kNeutralLocaleScriptResource, quoted.get(), FALSE);
    ScopedBstr registered_path;
    if (FAILED(QueryPathOfRegTypeLib(LIBID_BRELMOXCOMLib, kLibraryMajor, kLibraryMinor,
                                     kLibraryLocale, registered_path.put()))) {
        return result;
    }
    HRESULT platform_result = UnRegisterTypeLib(LIBID_BRELMOXCOMLib, kLibraryMajor, kLibraryMinor,
                                                kLibraryLocale, kSysKind);
    return FAILED(result) ? result : platform_result;
}

}  // namespace brelmox
