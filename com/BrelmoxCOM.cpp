// BrelmoxCOM's module: the ATL 3.0 module record, the object map, the class
// object that makes Warpper objects, the four exports and the entry point.
#include "Warpper.h"
#include "registration.h"
#include "scoped.h"
#include "server_module.h"

namespace brelmox {
namespace {

// ATL.DLL checks the module record against the ATL 3.0 version GUID.
const GUID kAtlVersion30 = {
    0xB62F5910, 0x6528, 0x11D1, {0x96, 0x11, 0x00, 0x00, 0xF8, 0x1E, 0x0D, 0x0D}};

AtlModule30 g_module;

// The class object: hands out objects made by the instance creator of its map
// entry. Its count is guarded by its own section, so any thread may use it.
class CClassFactory final : public IClassFactory, public HeapObject {
public:
    // The map entry's class-object creator.
    static HRESULT WINAPI Create(void* instance_creator, REFIID iid, void** object);

    explicit CClassFactory(AtlCreatorFunction* instance_creator)
        : instance_creator_(instance_creator) {
        InitializeCriticalSection(&count_section_);
    }
    ~CClassFactory() { DeleteCriticalSection(&count_section_); }
    CClassFactory(const CClassFactory&) = delete;
    CClassFactory& operator=(const CClassFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    volatile LONG count_ = 0;
    CRITICAL_SECTION count_section_;
    AtlCreatorFunction* instance_creator_;
};

const AtlInterfaceEntry kClassFactoryInterfaces[] = {
    {&IID_IClassFactory, 0, ATL_INTERFACE_AT_OFFSET},
    {nullptr, 0, nullptr},
};

HRESULT WINAPI CClassFactory::Create(void* instance_creator, REFIID iid, void** object) {
    return CreateServerObject<CClassFactory>(
        iid, object, reinterpret_cast<AtlCreatorFunction*>(instance_creator));
}

STDMETHODIMP CClassFactory::QueryInterface(REFIID iid, void** object) {
    return QueryInterfaceTable(this, kClassFactoryInterfaces, iid, object);
}

// The object map's own reference (the first) does not lock the module; every
// client reference beyond it does, once.
STDMETHODIMP_(ULONG) CClassFactory::AddRef() {
    CriticalSectionGuard guard(count_section_);
    LONG count = InterlockedIncrement(&count_);
    if (count == 2) {
        LockServerModule();
    }
    return count;
}

STDMETHODIMP_(ULONG) CClassFactory::Release() {
    LONG count;
    {
        CriticalSectionGuard guard(count_section_);
        count = InterlockedDecrement(&count_);
    }
    if (count == 0) {
        delete this;
    } else if (count == 1) {
        UnlockServerModule();
    }
    return count;
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr && !IsEqualIID(iid, IID_IUnknown)) {
        return CLASS_E_NOAGGREGATION;
    }
    return instance_creator_(outer, iid, object);
}

STDMETHODIMP CClassFactory::LockServer(BOOL lock) {
    if (lock) {
        LockServerModule();
    } else {
        UnlockServerModule();
    }
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
    {&CLSID_Warpper, &CWarpper::UpdateRegistry, &CClassFactory::Create, &CWarpper::CreateInstance,
     nullptr, 0, &NoDescription, &NoCategories, &NoStartOrStop},
    {nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr},
};

// wine-differs: ATL 3.0's module termination (ordinal 21) releases the cached
// class objects; Wine's does not. Emptied fields are skipped by both.
void ReleaseCachedClassObjects() {
    for (AtlObjectMapEntry30* entry = g_object_map; entry->class_id != nullptr; ++entry) {
        if (entry->class_object != nullptr) {
            entry->class_object->Release();
            entry->class_object = nullptr;
        }
    }
}

// wine-differs: ATL 3.0's module termination (ordinal 21) deletes the three
// critical sections of the module record; Wine's leaves them, and with them
// the debug records Wine allocated for them, on every unload. Swapped first
// for sections without debug records, they leave nothing whichever ATL.DLL
// runs. Windows XP lacks InitializeCriticalSectionEx; its ATL.DLL deletes them.
void SwapModuleSectionsForBareOnes() {
    typedef BOOL(WINAPI * InitializeEx)(CRITICAL_SECTION*, DWORD, DWORD);
    auto initialize = reinterpret_cast<InitializeEx>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "InitializeCriticalSectionEx")));
    if (initialize == nullptr) {
        return;
    }
    CRITICAL_SECTION* sections[] = {&g_module.type_info_section, &g_module.window_create_section,
                                    &g_module.object_map_section};
    for (CRITICAL_SECTION* section : sections) {
        DeleteCriticalSection(section);
        initialize(section, 0, RTL_CRITICAL_SECTION_FLAG_NO_DEBUG_INFO);
    }
}

}  // namespace

AtlModule30& ServerModule() {
    return g_module;
}

}  // namespace brelmox

using brelmox::g_module;
using brelmox::g_object_map;

STDAPI DllCanUnloadNow() {
    // Zero, not "not positive": an unmatched LockServer(FALSE) keeps the server.
    return g_module.lock_count == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    // Published: every request gets the one class object ATL caches in the
    // object map, as ATL 3.0 servers do.
    // wine-differs: ATL.DLL's class-object lookup (ordinal 15) makes the cached
    // class object without the object-map section that ATL 3.0 holds, so two
    // first requests at once would make two.
    brelmox::CriticalSectionGuard guard(g_module.object_map_section);
    return AtlModuleGetClassObject(&g_module, clsid, iid, object);
}

STDAPI DllRegisterServer() {
    return AtlModuleRegisterServer(&g_module, TRUE, nullptr);
}

// wine-differs: ATL.DLL's server unregistration (ordinal 57) is a stub that
// reports success and removes nothing, so the server takes its steps itself:
// every class's keys, then the type library's, each only where the registry
// names this file. All steps run; the first failure is reported.
STDAPI DllUnregisterServer() {
    HRESULT first_failure = S_OK;
    for (AtlObjectMapEntry30* entry = g_object_map; entry->class_id != nullptr; ++entry) {
        HRESULT result = entry->update_registry(FALSE);
        if (FAILED(result) && SUCCEEDED(first_failure)) {
            first_failure = result;
        }
    }
    HRESULT result = brelmox::UnregisterTypeLibrary();
    return FAILED(first_failure) ? first_failure : result;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module.size = sizeof(g_module);
        g_module.atl_build_version = kAtlBuildVersion30;
        g_module.version_guid = &brelmox::kAtlVersion30;
        AtlModuleInit(&g_module, g_object_map, instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        brelmox::ReleaseCachedClassObjects();
        brelmox::SwapModuleSectionsForBareOnes();
        AtlModuleTerm(&g_module);
    }
    return TRUE;
}
