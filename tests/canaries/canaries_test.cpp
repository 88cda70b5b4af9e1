// Canaries: each checks one behaviour of Wine that the product works around
// (grep for "wine-differs"). When one fails, Wine has changed: look whether the
// workaround it names is still needed under Wine and on Windows, and update
// the tag, the README's list and this file together.
//
// Runs in a prefix of its own: it registers a type library and writes keys.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <shlwapi.h>

#include <cstdlib>
#include <string>

#include "atl30.h"
#include "warpper_interface.h"

namespace {

FARPROC AtlOrdinal(WORD ordinal) {
    static HMODULE atl = LoadLibraryW(L"atl.dll");
    return GetProcAddress(atl, MAKEINTRESOURCEA(ordinal));
}

const GUID kAtlVersion30 = {
    0xB62F5910, 0x6528, 0x11D1, {0x96, 0x11, 0x00, 0x00, 0xF8, 0x1E, 0x0D, 0x0D}};
const CLSID kCanaryClass = {
    0x4F6A1B5E, 0x2C3D, 0x4E8F, {0x9A, 0x0B, 0x1C, 0x2D, 0x3E, 0x4F, 0x50, 0x61}};

// A class object that counts the references taken back from it.
struct CountingObject : IUnknown {
    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        *object = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return ++releases, 1; }
    LONG releases = 0;
};

AtlModule30 g_module;
CountingObject g_class_object;
int g_scripts_run = 0;
bool g_creator_held_the_map_section = false;

HRESULT WINAPI CountScriptRuns(BOOL) {
    ++g_scripts_run;
    return S_OK;
}

HRESULT WINAPI CreateClassObject(void*, REFIID, void** object) {
    g_creator_held_the_map_section =
        g_module.object_map_section.OwningThread ==
        reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentThreadId()));
    *object = &g_class_object;
    return S_OK;
}

LPCWSTR WINAPI NoDescription() {
    return nullptr;
}
const AtlCategoryMapEntry* NoCategories() {
    return nullptr;
}
void WINAPI NoStartOrStop(bool) {}

AtlObjectMapEntry30 g_object_map[] = {
    {&kCanaryClass, &CountScriptRuns, &CreateClassObject, nullptr, nullptr, 0, &NoDescription,
     &NoCategories, &NoStartOrStop},
    {nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr},
};

// A module record of ATL 3.0 over a one-class map, as the server sets it up.
class AtlCanary : public ::testing::Test {
protected:
    void SetUp() override {
        g_module.size = sizeof g_module;
        g_module.atl_build_version = kAtlBuildVersion30;
        g_module.version_guid = &kAtlVersion30;
        ASSERT_EQ(AtlModuleInit(&g_module, g_object_map, GetModuleHandleW(nullptr)), S_OK);
    }
};

// Guards DllUnregisterServer, which runs the scripts and unregisters the type
// library itself.
TEST_F(AtlCanary, ServerUnregistrationRunsNoScript) {
    typedef HRESULT(WINAPI * UnregisterServer)(AtlModule30*, BOOL, const CLSID*);
    auto unregister_server =
        reinterpret_cast<UnregisterServer>(reinterpret_cast<void*>(AtlOrdinal(57)));
    ASSERT_NE(unregister_server, nullptr);
    ASSERT_EQ(AtlModuleRegisterServer(&g_module, FALSE, nullptr), S_OK);
    ASSERT_EQ(g_scripts_run, 1) << "registration (ordinal 18) runs the script";
    EXPECT_EQ(unregister_server(&g_module, FALSE, nullptr), S_OK);
    EXPECT_EQ(g_scripts_run, 1) << "ordinal 57 runs the classes' scripts now";
}

// Guards ReleaseCachedClassObjects in the server's DLL_PROCESS_DETACH.
TEST_F(AtlCanary, ModuleTerminationKeepsTheCachedClassObject) {
    g_object_map[0].class_object = &g_class_object;
    AtlModuleTerm(&g_module);
    EXPECT_EQ(g_class_object.releases, 0) << "ordinal 21 releases the cached class object now";
}

// Guards SwapModuleSectionsForBareOnes in the server's DLL_PROCESS_DETACH:
// a section this thread holds names it as its owner until it is deleted.
TEST_F(AtlCanary, ModuleTerminationKeepsTheSections) {
    CRITICAL_SECTION* sections[] = {&g_module.type_info_section, &g_module.window_create_section,
                                    &g_module.object_map_section};
    for (CRITICAL_SECTION* section : sections) {
        EnterCriticalSection(section);
    }
    AtlModuleTerm(&g_module);
    HANDLE self = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentThreadId()));
    for (CRITICAL_SECTION* section : sections) {
        EXPECT_EQ(section->OwningThread, self) << "ordinal 21 deletes the module's sections now";
        if (section->OwningThread == self) {
            LeaveCriticalSection(section);
            DeleteCriticalSection(section);
        }
    }
}

// Guards the object-map section that DllGetClassObject holds.
TEST_F(AtlCanary, ClassObjectLookupMakesTheObjectOutsideTheMapSection) {
    IUnknown* object = nullptr;
    ASSERT_EQ(AtlModuleGetClassObject(&g_module, kCanaryClass, IID_IUnknown,
                                      reinterpret_cast<void**>(&object)),
              S_OK);
    EXPECT_FALSE(g_creator_held_the_map_section) << "ordinal 15 holds the object-map section now";
}

// Guards QueryInterfaceTable, which nulls the out pointer first.
TEST_F(AtlCanary, TableLookupLeavesTheOutPointerOnAMiss) {
    const AtlInterfaceEntry table[] = {{&IID_IClassFactory, 0, ATL_INTERFACE_AT_OFFSET},
                                       {nullptr, 0, nullptr}};
    void* object = nullptr;
    ASSERT_EQ(AtlInternalQueryInterface(&g_class_object, table, IID_IClassFactory, &object), S_OK);
    ASSERT_EQ(object, &g_class_object);
    object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(AtlInternalQueryInterface(&g_class_object, table, IID_IDispatch, &object),
              E_NOINTERFACE);
    EXPECT_EQ(object, reinterpret_cast<void*>(0x1234)) << "ordinal 32 nulls it on a miss now";
}

std::wstring OwnPath() {
    wchar_t path[MAX_PATH];
    return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}

// Guards the server's %MODULE_QUOTED% replacement: this program's own script
// (canaries.rc) names %MODULE%, run from a copy in a folder with a quote.
TEST_F(AtlCanary, ScriptRunnerPutsTheModulePathInUnquoted) {
    std::wstring folder = L"C:\\canaries O'Brien";
    std::wstring copy = folder + L"\\canaries.exe";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(OwnPath().c_str(), copy.c_str(), FALSE));
    HMODULE module = LoadLibraryW(copy.c_str());
    ASSERT_NE(module, nullptr);
    g_module.instance = module;
    g_module.resource_instance = module;
    AtlModuleUpdateRegistryFromResourceD(&g_module, MAKEINTRESOURCEW(101), TRUE, nullptr, nullptr);
    wchar_t value[MAX_PATH] = L"";
    DWORD size = sizeof value - sizeof(wchar_t);
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\BrelmoxCanary", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        RegQueryValueExW(key, L"Module", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
        RegCloseKey(key);
    }
    // The quote ends the script's string: the path is cut there.
    EXPECT_EQ(std::wstring(value), L"C:\\canaries O") << "ordinal 23 quotes %MODULE% now";
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\BrelmoxCanary");
    FreeLibrary(module);
}

// The server's type library, registered under its own locale 0x0409 only, as
// the platform's type-library registration does.
class TypeLibraryCanary : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t path[MAX_PATH];
        ASSERT_NE(SearchPathW(nullptr, L"BrelmoxCOM.dll", nullptr, MAX_PATH, path, nullptr), 0u);
        ITypeLib* library = nullptr;
        ASSERT_EQ(LoadTypeLibEx(path, REGKIND_REGISTER, &library), S_OK);
        library->Release();
    }
    void TearDown() override { UnRegisterTypeLib(LIBID_BRELMOXCOMLib, 1, 0, 0x0409, SYS_WIN32); }
};

// Guards the second LoadRegTypeLib with the library's own locale.
TEST_F(TypeLibraryCanary, LoadRegTypeLibFindsOnlyTheExactLocale) {
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadRegTypeLib(LIBID_BRELMOXCOMLib, 1, 0, 0x0409, &library), S_OK);
    library->Release();
    library = nullptr;
    EXPECT_TRUE(FAILED(LoadRegTypeLib(LIBID_BRELMOXCOMLib, 1, 0, 0x0411, &library)))
        << "LoadRegTypeLib falls back to another locale now";
    if (library != nullptr) {
        library->Release();
    }
}

// Guards the registration under the neutral locale: without it, IWarpper
// cannot cross to another apartment.
TEST_F(TypeLibraryCanary, MarshalerAsksForTheNeutralLocale) {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    {
        HMODULE server = LoadLibraryW(L"BrelmoxCOM.dll");
        ASSERT_NE(server, nullptr);
        auto get_class_object = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
            reinterpret_cast<void*>(GetProcAddress(server, "DllGetClassObject")));
        IClassFactory* factory = nullptr;
        ASSERT_EQ(
            get_class_object(CLSID_Warpper, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
            S_OK);
        IWarpper* warpper = nullptr;
        ASSERT_EQ(
            factory->CreateInstance(nullptr, IID_IWarpper, reinterpret_cast<void**>(&warpper)),
            S_OK);
        IStream* stream = nullptr;
        HRESULT marshaled = CoMarshalInterThreadInterfaceInStream(IID_IWarpper, warpper, &stream);
        EXPECT_TRUE(FAILED(marshaled)) << "the marshaler finds the library under 0x0409 now";
        if (stream != nullptr) {
            CoReleaseMarshalData(stream);
            stream->Release();
            stream = nullptr;
        }
        // With the neutral locale's entry, as the server registers it, it does.
        wchar_t path[MAX_PATH];
        ASSERT_NE(SearchPathW(nullptr, L"BrelmoxCOM.dll", nullptr, MAX_PATH, path, nullptr), 0u);
        wchar_t guid[40];
        StringFromGUID2(LIBID_BRELMOXCOMLib, guid, 40);
        std::wstring neutral = std::wstring(L"TypeLib\\") + guid + L"\\1.0\\0\\win32";
        ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, neutral.c_str(), REG_SZ, path, 0), ERROR_SUCCESS);
        EXPECT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IWarpper, warpper, &stream), S_OK);
        if (stream != nullptr) {
            CoReleaseMarshalData(stream);
            stream->Release();
        }
        SHDeleteKeyW(HKEY_CLASSES_ROOT, (std::wstring(L"TypeLib\\") + guid + L"\\1.0\\0").c_str());
        warpper->Release();
        factory->Release();
    }
    CoUninitialize();
}

#ifdef _WIN64
// Wine's major version number; 0 on Windows.
int WineMajorVersion() {
    using VersionText = const char*(CDECL*)();
    auto version = reinterpret_cast<VersionText>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
    return version != nullptr ? atoi(version()) : 0;
}

// Guards the side-by-side test's registry checkers, one of each bitness:
// Windows 7 and later share HKCR's ProgIDs between the views, so the 32-bit
// view opened explicitly finds a key the 64-bit view made. Wine 8 (Debian 12)
// does not; Wine 10 (Debian 13) does. The checkers stay while Wine 8 is run.
TEST(RegistryViewCanary, ExplicitThirtyTwoBitViewSharesClassesKeysFromWine10On) {
    const wchar_t kName[] = L"BrelmoxCanary.SharedProgID";
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CLASSES_ROOT, kName, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
    LONG status = RegOpenKeyExW(HKEY_CLASSES_ROOT, kName, 0, KEY_READ | KEY_WOW64_32KEY, &key);
    if (status == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    int wine = WineMajorVersion();
    if (wine != 0 && wine < 10) {
        EXPECT_EQ(status, ERROR_FILE_NOT_FOUND) << "this Wine's 32-bit view shares HKCR's ProgIDs";
    } else {
        EXPECT_EQ(status, ERROR_SUCCESS) << "this Wine's 32-bit view lacks HKCR's shared ProgIDs";
    }
    SHDeleteKeyW(HKEY_CLASSES_ROOT, kName);
}
#endif

}  // namespace
