// The structures ATL.DLL 3.0 works on and the functions of it that the server
// imports by ordinal (see atl30.def). The layouts must match ATL 3.0 exactly:
// ATL.DLL reads and writes these records in place.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <stddef.h>

typedef HRESULT(WINAPI AtlCreatorFunction)(void* context, REFIID iid, void** object);
typedef HRESULT(WINAPI AtlInterfaceFunction)(void* object, REFIID iid, void** interface_out,
                                             DWORD_PTR argument);
typedef void(WINAPI AtlTermFunction)(DWORD_PTR argument);

struct AtlCategoryMapEntry {
    int kind;
    const GUID* category_id;
};

// One entry of the object map; the map ends with an entry of zeros.
struct AtlObjectMapEntry30 {
    const CLSID* class_id;
    HRESULT(WINAPI* update_registry)(BOOL do_register);
    AtlCreatorFunction* get_class_object;  // called with create_instance as context
    AtlCreatorFunction* create_instance;   // called with the outer object as context
    IUnknown* class_object;                // cached by ATL on the first request
    DWORD register_cookie;
    LPCWSTR(WINAPI* get_description)();
    const AtlCategoryMapEntry* (*get_category_map)();
    void(WINAPI* object_main)(bool starting);
};

struct AtlTermFunctionElement {
    AtlTermFunction* function;
    DWORD_PTR argument;
    AtlTermFunctionElement* next;
};

// The module record (ATL 3.0's _ATL_MODULE).
struct AtlModule30 {
    UINT size;
    HINSTANCE instance;
    HINSTANCE resource_instance;
    HINSTANCE type_library_instance;
    AtlObjectMapEntry30* object_map;
    volatile LONG lock_count;
    HANDLE heap;
    CRITICAL_SECTION type_info_section;
    CRITICAL_SECTION window_create_section;
    CRITICAL_SECTION object_map_section;
    DWORD atl_build_version;
    void* create_window_list;
    BOOL destroy_heap;
    const GUID* version_guid;
    DWORD heap_count;
    HANDLE* heaps;
    int heap_index;
    AtlTermFunctionElement* term_functions;
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(AtlModule30) == 132, "ATL 3.0 expects a module record of 132 bytes");
static_assert(offsetof(AtlModule30, lock_count) == 20, "ATL 3.0 module record layout");
static_assert(offsetof(AtlModule30, atl_build_version) == 100, "ATL 3.0 module record layout");
static_assert(offsetof(AtlModule30, term_functions) == 128, "ATL 3.0 module record layout");
static_assert(sizeof(AtlObjectMapEntry30) == 36, "ATL 3.0 object map entry layout");
#elif defined(_WIN64)
// The 64-bit ATL.DLL reads the same fields at their natural 64-bit places, as
// Wine's atlbase.h lays them out (no 64-bit ATL 3.0 header exists elsewhere).
static_assert(sizeof(AtlModule30) == 240, "64-bit ATL module record size");
static_assert(offsetof(AtlModule30, lock_count) == 40, "64-bit ATL module record layout");
static_assert(offsetof(AtlModule30, type_info_section) == 56, "64-bit ATL module record layout");
static_assert(offsetof(AtlModule30, atl_build_version) == 176, "64-bit ATL module record layout");
static_assert(offsetof(AtlModule30, term_functions) == 232, "64-bit ATL module record layout");
static_assert(sizeof(AtlObjectMapEntry30) == 72, "64-bit ATL object map entry layout");
static_assert(offsetof(AtlObjectMapEntry30, class_object) == 32, "64-bit ATL object map entry");
#endif

constexpr DWORD kAtlBuildVersion30 = 0x0300;

// An interface table entry whose function is this value means "the interface
// lies at offset `offset` within the object".
#define ATL_INTERFACE_AT_OFFSET ((AtlInterfaceFunction*)1)

// One entry of an interface table; the table ends with an entry of zeros.
struct AtlInterfaceEntry {
    const IID* iid;
    DWORD_PTR offset;
    AtlInterfaceFunction* function;
};
static_assert(sizeof(AtlInterfaceEntry) == 3 * sizeof(void*), "ATL interface table entry layout");

extern "C" {
__declspec(dllimport) HRESULT WINAPI
    AtlModuleGetClassObject(AtlModule30* module, REFCLSID clsid, REFIID iid, void** object);
__declspec(dllimport) HRESULT WINAPI
    AtlModuleInit(AtlModule30* module, AtlObjectMapEntry30* object_map, HINSTANCE instance);
__declspec(dllimport) HRESULT WINAPI
    AtlModuleRegisterServer(AtlModule30* module, BOOL register_type_library,
                            const CLSID* only_class);
__declspec(dllimport) HRESULT WINAPI AtlModuleTerm(AtlModule30* module);
__declspec(dllimport) HRESULT WINAPI
    AtlModuleUpdateRegistryFromResourceD(AtlModule30* module, LPCOLESTR resource, BOOL do_register,
                                         void* replacements, IUnknown* registrar);
__declspec(dllimport) IUnknown* WINAPI AtlComPtrAssign(IUnknown** holder, IUnknown* object);
__declspec(dllimport) HRESULT WINAPI
    AtlInternalQueryInterface(void* object, const AtlInterfaceEntry* table, REFIID iid,
                              void** interface_out);
__declspec(dllimport) HRESULT WINAPI
    AtlModuleAddTermFunc(AtlModule30* module, AtlTermFunction* function, DWORD_PTR argument);
}
