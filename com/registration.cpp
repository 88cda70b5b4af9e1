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
#else
const WCHAR kPlatform[] = L"win32";
#endif

// ATL 3.0's replacement map entry.
struct AtlRegistryMapEntry {
    LPCOLESTR key;
    LPCOLESTR value;
};

// The embedded type library's entries for this platform under its version
// 1.0: the neutral locale's, which the second script adds, and its own
// locale's, which the platform's registration writes.
#ifdef _WIN64
const WCHAR* const kLibraryPlatformEntries[] = {L"0\\win64", L"409\\win64"};
#else
const WCHAR* const kLibraryPlatformEntries[] = {L"0\\win32", L"409\\win32"};
#endif
const WCHAR kNeutralLocaleEntry[] = L"0";
const WCHAR kLibraryLocaleEntry[] = L"409";

// The keys of the class that both registry views share (Windows 7 and later
// redirect CLSID and Interface, not the ProgIDs or AppID), as Warpper.rgs names
// them: removed only once neither view has the class.
const WCHAR* const kSharedClassKeys[] = {L"BrelmoxCOM.Warpper.1", L"BrelmoxCOM.Warpper",
                                         L"AppID\\{5C01C9BA-A36B-45D9-B589-877A9B959E36}"};
// Both views, each named explicitly.
const REGSAM kRegistryViews[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};

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

// TypeLib\{LIBID}, or with `below` (null: nothing) after another backslash;
// false when the GUID cannot be written.
bool LibraryKeyName(WCHAR (&key)[80], const WCHAR* below) {
    wcscpy(key, L"TypeLib\\");
    if (StringFromGUID2(LIBID_BRELMOXCOMLib, key + 8, 40) == 0) {
        return false;
    }
    if (below != nullptr) {
        wcscat(key, L"\\");
        wcscat(key, below);
    }
    return true;
}

// Whether this platform's entries of the type library in `classes`, under the
// neutral locale and its own, are this module's: none names another file and
// one names this one.
bool TypeLibraryIsModule(HKEY classes, const WCHAR* module_path) {
    WCHAR key[80];
    if (!LibraryKeyName(key, L"1.0\\")) {
        return false;
    }
    size_t version_length = wcslen(key);
    bool named = false;
    for (const WCHAR* entry : kLibraryPlatformEntries) {
        wcscpy(key + version_length, entry);
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

// Registers what the script `resource` names. Removal never runs the scripts:
// they would take the keys that the other registry view's server shares.
HRESULT RegisterScript(WORD resource, const WCHAR* quoted_path) {
    AtlRegistryMapEntry replacements[] = {
        {kQuotedModuleName, quoted_path}, {kPlatformName, kPlatform}, {nullptr, nullptr}};
    return AtlModuleUpdateRegistryFromResourceD(&ServerModule(), MAKEINTRESOURCEW(resource), TRUE,
                                                replacements, nullptr);
}

// Both scripts; each runs, the first failure is reported.
HRESULT RegisterScripts(const WCHAR* quoted_path) {
    HRESULT result = RegisterScript(kClassScriptResource, quoted_path);
    HRESULT locale_result = RegisterScript(kNeutralLocaleScriptResource, quoted_path);
    return FAILED(result) ? result : locale_result;
}

HRESULT FromStatus(LONG status) {
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK
                                                                     : HRESULT_FROM_WIN32(status);
}

// Deletes `parent`\`name`, which has no subkeys, in `view` (0: the process's
// own). 32-bit Windows XP lacks RegDeleteKeyEx, and has one view only.
LONG DeleteKey(HKEY parent, const WCHAR* name, REGSAM view) {
    typedef LONG(WINAPI * DeleteKeyEx)(HKEY, LPCWSTR, REGSAM, DWORD);
    auto delete_key_ex = reinterpret_cast<DeleteKeyEx>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "RegDeleteKeyExW")));
    return delete_key_ex != nullptr ? delete_key_ex(parent, name, view, 0)
                                    : RegDeleteKeyW(parent, name);
}

// Removes `parent`\`name` with everything below it, in `view` (0: the
// process's own); S_OK too when there is none.
HRESULT DeleteKeyTree(HKEY parent, const WCHAR* name, REGSAM view) {
    ScopedRegistryKey key;
    LONG status =
        RegOpenKeyExW(parent, name, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | view, key.put());
    if (status != ERROR_SUCCESS) {
        return FromStatus(status);
    }
    WCHAR child[256];  // key names are at most 255 characters
    for (;;) {
        DWORD length = ARRAYSIZE(child);
        status = RegEnumKeyExW(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        HRESULT result = status == ERROR_SUCCESS ? DeleteKeyTree(key.get(), child, view)
                                                 : HRESULT_FROM_WIN32(status);
        if (FAILED(result)) {
            return result;
        }
    }
    key.reset();
    return FromStatus(DeleteKey(parent, name, view));
}

// Whether either registry view has the class's in-process server. A view that
// cannot be read counts as having it, so its shared keys stay. On 32-bit
// Windows both flags name the one view there is.
bool ClassRegisteredInAnyView() {
    WCHAR key[80];
    if (!ServerKeyName(key)) {
        return true;
    }
    for (REGSAM view : kRegistryViews) {
        ScopedRegistryKey server;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_QUERY_VALUE | view, server.put()) !=
            ERROR_FILE_NOT_FOUND) {
            return true;
        }
    }
    return false;
}

// The class key of this process's view; then, once neither view has the
// class, the keys both share. Every step runs; the first failure is reported.
HRESULT RemoveClass() {
    WCHAR key[80];
    if (!ServerKeyName(key)) {
        return E_FAIL;
    }
    *wcsrchr(key, L'\\') = 0;
    HRESULT result = DeleteKeyTree(HKEY_CLASSES_ROOT, key, 0);
    if (ClassRegisteredInAnyView()) {
        return result;
    }
    for (const WCHAR* shared : kSharedClassKeys) {
        HRESULT shared_result = DeleteKeyTree(HKEY_CLASSES_ROOT, shared, 0);
        result = FAILED(result) ? result : shared_result;
    }
    return result;
}

// Whether any locale of the library's version `version` still names a file
// for some platform (win32, win64 or another). A locale that cannot be read
// counts as naming one.
bool PlatformEntriesRemain(HKEY version) {
    WCHAR name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = ARRAYSIZE(name);
        LONG status =
            RegEnumKeyExW(version, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            return false;
        }
        if (status != ERROR_SUCCESS) {
            return true;
        }
        if (lstrcmpiW(name, L"FLAGS") == 0 || lstrcmpiW(name, L"HELPDIR") == 0) {
            continue;
        }
        ScopedRegistryKey locale;
        DWORD platforms = 1;
        if (RegOpenKeyExW(version, name, 0, KEY_QUERY_VALUE, locale.put()) != ERROR_SUCCESS ||
            RegQueryInfoKeyW(locale.get(), nullptr, nullptr, nullptr, &platforms, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            platforms != 0) {
            return true;
        }
    }
}

// The Interface keys of the library's automation interfaces (those the
// platform's registration writes), in both views: the platform writes them
// into both, whichever view registers.
HRESULT RemoveInterfaceKeys(const WCHAR* library_path) {
    ComPtr<ITypeLib> library;
    HRESULT result = LoadTypeLibEx(library_path, REGKIND_NONE, library.put());
    if (FAILED(result)) {
        return result;
    }
    for (UINT index = 0, count = library->GetTypeInfoCount(); index < count; ++index) {
        ComPtr<ITypeInfo> info;
        if (FAILED(library->GetTypeInfo(index, info.put()))) {
            continue;
        }
        LentTypeAttr attributes(info.get());
        if (FAILED(info->GetTypeAttr(attributes.put())) ||
            !(attributes->typekind == TKIND_DISPATCH ||
              (attributes->typekind == TKIND_INTERFACE &&
               (attributes->wTypeFlags & TYPEFLAG_FOLEAUTOMATION) != 0))) {
            continue;
        }
        WCHAR interface_name[40];
        if (StringFromGUID2(attributes->guid, interface_name, 40) == 0) {
            continue;
        }
        for (REGSAM view : kRegistryViews) {
            ScopedRegistryKey interfaces;
            LONG status = RegOpenKeyExW(HKEY_CLASSES_ROOT, L"Interface", 0,
                                        KEY_ENUMERATE_SUB_KEYS | view, interfaces.put());
            HRESULT view_result = status == ERROR_SUCCESS
                                      ? DeleteKeyTree(interfaces.get(), interface_name, view)
                                      : FromStatus(status);
            result = FAILED(result) ? result : view_result;
        }
    }
    return result;
}

// Removes the library's `entries` (locale\platform under its version) and
// the locale keys they leave empty; then, once no platform's entry remains,
// the version key, the library key if no other version is left, and the
// Interface keys. Every step runs; the first failure is reported.
template <size_t count>
HRESULT RemoveLibraryEntries(const WCHAR* const (&entries)[count], const WCHAR* library_path) {
    WCHAR key[80];
    if (!LibraryKeyName(key, L"1.0")) {
        return E_FAIL;
    }
    ScopedRegistryKey version;
    LONG status = RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE,
                                version.put());
    if (status != ERROR_SUCCESS) {
        return FromStatus(status);
    }
    HRESULT result = S_OK;
    for (const WCHAR* entry : entries) {
        HRESULT entry_result = DeleteKeyTree(version.get(), entry, 0);
        result = FAILED(result) ? result : entry_result;
    }
    // A locale key that still holds another platform's entry is not deleted.
    RegDeleteKeyW(version.get(), kNeutralLocaleEntry);
    RegDeleteKeyW(version.get(), kLibraryLocaleEntry);
    if (PlatformEntriesRemain(version.get())) {
        return result;
    }
    version.reset();
    HRESULT version_result = DeleteKeyTree(HKEY_CLASSES_ROOT, key, 0);
    result = FAILED(result) ? result : version_result;
    if (LibraryKeyName(key, nullptr)) {
        RegDeleteKeyW(HKEY_CLASSES_ROOT, key);
    }
    HRESULT interface_result = RemoveInterfaceKeys(library_path);
    return FAILED(result) ? result : interface_result;
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
        return RemoveClass();
    }
    HRESULT result = RegisterScripts(quoted.get());
    if (SUCCEEDED(result) && !ServerKeysAreExact(path.get())) {
        // What the scripts wrote, as unregistration removes it.
        RemoveClass();
        const WCHAR* const neutral_entry[] = {kLibraryPlatformEntries[0]};
        RemoveLibraryEntries(neutral_entry, path.get());
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
    // Not UnRegisterTypeLib: it takes the Interface keys of both views while
    // the other platform's entries still need them.
    return RemoveLibraryEntries(kLibraryPlatformEntries, path.get());
}

}  // namespace brelmox
