#include "com_test_support.h"

#include <memory>
#include <set>

#include "CBrelmoxLib.h"

namespace comtest {

ServerLibrary::ServerLibrary() : module_(LoadLibraryW(kServerFile)) {
    if (module_ != nullptr) {
        can_unload_now_ = reinterpret_cast<CanUnloadNowFunction>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
        get_class_object_ = reinterpret_cast<GetClassObjectFunction>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    }
}

ServerLibrary::~ServerLibrary() {
    if (module_ != nullptr) {
        FreeLibrary(module_);
    }
}

bool ServerLibrary::Unload() {
    FreeLibrary(module_);
    module_ = nullptr;
    return !ServerIsLoaded();
}

std::wstring ServerLibrary::Path() const {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(module_, path, MAX_PATH);
    return std::wstring(path, length);
}

bool ServerIsLoaded() {
    return GetModuleHandleW(kServerFile) != nullptr;
}

namespace {
std::unique_ptr<ServerLibrary> g_fresh_server;
}

void FreshServerTest::SetUp() {
    ASSERT_FALSE(ServerIsLoaded()) << "an earlier test left the server loaded";
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    com_initialised_ = true;
    g_fresh_server = std::make_unique<ServerLibrary>();
    server_ = g_fresh_server.get();
    ASSERT_NE(server_->module(), nullptr);
}

void FreshServerTest::TearDown() {
    if (g_fresh_server) {
        if (server_->module() != nullptr) {
            EXPECT_EQ(server_->CanUnloadNow(), S_OK) << "the test left a lock on the server";
        }
        g_fresh_server.reset();
        server_ = nullptr;
    }
    if (com_initialised_) {
        CoUninitialize();
    }
}

ComPtr<IClassFactory> FreshServerTest::ClassFactory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(server_->GetClassObject(CLSID_Warpper, IID_IClassFactory, factory.put_void()), S_OK);
    return factory;
}

ComPtr<IWarpper2> FreshServerTest::NewWarpper() {
    ComPtr<IWarpper2> warpper;
    ComPtr<IClassFactory> factory = ClassFactory();
    if (factory.get() != nullptr) {
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IWarpper2, warpper.put_void()), S_OK);
    }
    return warpper;
}

ImportPatch::ImportPatch(HMODULE module, const char* dll, const char* name, WORD ordinal,
                         void* replacement)
    : module_(module) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; imports.VirtualAddress != 0 && descriptor->Name != 0; ++descriptor) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + descriptor->Name), dll) != 0) {
            continue;
        }
        auto* lookup = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
        auto* address = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; lookup->u1.AddressOfData != 0; ++lookup, ++address) {
            bool by_ordinal = IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal);
            bool match = name == nullptr
                             ? by_ordinal && IMAGE_ORDINAL(lookup->u1.Ordinal) == ordinal
                             : !by_ordinal && lstrcmpA(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(
                                                           base + lookup->u1.AddressOfData)
                                                           ->Name,
                                                       name) == 0;
            if (!match) {
                continue;
            }
            slot_ = reinterpret_cast<void**>(&address->u1.Function);
            DWORD protection;
            VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &protection);
            original_ = *slot_;
            *slot_ = replacement;
            VirtualProtect(slot_, sizeof(void*), protection, &protection);
            return;
        }
    }
}

ImportPatch::~ImportPatch() {
    HMODULE still_loaded = nullptr;
    if (slot_ == nullptr ||
        !GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(slot_), &still_loaded) ||
        still_loaded != module_) {
        return;  // the module left with its table
    }
    DWORD protection;
    VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &protection);
    *slot_ = original_;
    VirtualProtect(slot_, sizeof(void*), protection, &protection);
}

typedef void*(__cdecl* MallocFunction)(size_t);
typedef void*(__cdecl* CallocFunction)(size_t, size_t);
typedef void*(__cdecl* ReallocFunction)(void*, size_t);
typedef void(__cdecl* FreeFunction)(void*);

struct WatchState {
    WatchState() { InitializeCriticalSection(&section); }
    ~WatchState() { DeleteCriticalSection(&section); }
    CRITICAL_SECTION section;
    std::set<void*> live;
    size_t allocations = 0;
    volatile LONG fail = 0;
    MallocFunction real_malloc;
    CallocFunction real_calloc;
    ReallocFunction real_realloc;
    FreeFunction real_free;
};

namespace {

WatchState* g_watch = nullptr;

void Track(void* block) {
    EnterCriticalSection(&g_watch->section);
    g_watch->live.insert(block);
    ++g_watch->allocations;
    LeaveCriticalSection(&g_watch->section);
}

void Untrack(void* block) {
    EnterCriticalSection(&g_watch->section);
    g_watch->live.erase(block);
    LeaveCriticalSection(&g_watch->section);
}

void* __cdecl WatchedMalloc(size_t size) {
    if (g_watch->fail) {
        return nullptr;
    }
    void* block = g_watch->real_malloc(size);
    if (block != nullptr) {
        Track(block);
    }
    return block;
}

void* __cdecl WatchedCalloc(size_t count, size_t size) {
    if (g_watch->fail) {
        return nullptr;
    }
    void* block = g_watch->real_calloc(count, size);
    if (block != nullptr) {
        Track(block);
    }
    return block;
}

void* __cdecl WatchedRealloc(void* block, size_t size) {
    if (g_watch->fail) {
        return nullptr;
    }
    void* moved = g_watch->real_realloc(block, size);
    if (block != nullptr && (moved != nullptr || size == 0)) {
        Untrack(block);
    }
    if (moved != nullptr) {
        Track(moved);
    }
    return moved;
}

void __cdecl WatchedFree(void* block) {
    if (block != nullptr) {
        Untrack(block);
    }
    g_watch->real_free(block);
}

template <typename Function>
Function RuntimeFunction(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), name)));
}

}  // namespace

HeapWatch::HeapWatch() : state_(std::make_unique<WatchState>()) {
    g_watch = state_.get();
    g_watch->real_malloc = RuntimeFunction<MallocFunction>("malloc");
    g_watch->real_calloc = RuntimeFunction<CallocFunction>("calloc");
    g_watch->real_realloc = RuntimeFunction<ReallocFunction>("realloc");
    g_watch->real_free = RuntimeFunction<FreeFunction>("free");
    const struct {
        const char* name;
        void* replacement;
    } kHooks[] = {
        {"malloc", reinterpret_cast<void*>(&WatchedMalloc)},
        {"calloc", reinterpret_cast<void*>(&WatchedCalloc)},
        {"realloc", reinterpret_cast<void*>(&WatchedRealloc)},
        {"free", reinterpret_cast<void*>(&WatchedFree)},
    };
    for (const wchar_t* file : {kServerFile, L"BrelmoxLib.dll", L"Pellwick.dll"}) {
        HMODULE module = GetModuleHandleW(file);
        if (module == nullptr) {
            continue;
        }
        for (const auto& hook : kHooks) {
            patches_.push_back(std::make_unique<ImportPatch>(module, "msvcrt.dll", hook.name, 0,
                                                             hook.replacement));
        }
    }
}

HeapWatch::~HeapWatch() {
    patches_.clear();
    g_watch = nullptr;
}

bool HeapWatch::watching() const {
    return !patches_.empty() && patches_.front()->applied();
}

size_t HeapWatch::LiveBlocks() const {
    EnterCriticalSection(&state_->section);
    size_t count = state_->live.size();
    LeaveCriticalSection(&state_->section);
    return count;
}

size_t HeapWatch::Allocations() const {
    EnterCriticalSection(&state_->section);
    size_t count = state_->allocations;
    LeaveCriticalSection(&state_->section);
    return count;
}

void HeapWatch::FailAllocations(bool fail) {
    InterlockedExchange(&state_->fail, fail ? 1 : 0);
}

namespace {

std::wstring Widen(const char* text) {
    if (text == nullptr) {
        return std::wstring();
    }
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(units > 0 ? units - 1 : 0, L'\0');
    if (units > 1) {
        MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], units);
    }
    return wide;
}

std::wstring WideText(const unsigned short* text) {
    return text != nullptr ? std::wstring(reinterpret_cast<const wchar_t*>(text)) : std::wstring();
}

}  // namespace

LibraryTexts ReadLibraryTexts() {
    CBrelmoxLib library;
    char* user = nullptr;
    char* computer = nullptr;
    library.GetUserNameA(&user);
    library.GetComputerNameA(&computer);
    unsigned short* product_name = nullptr;
    unsigned short* report_json = nullptr;
    library.GetOSProductNameW(&product_name);
    library.GetReportJsonW(&report_json);
    LibraryTexts texts{Widen(user),
                       Widen(computer),
                       Widen(library.m_pOSName),
                       Widen(library.m_pOSNameAllPattern),
                       Widen(library.m_pOSEtcInfo),
                       WideText(product_name),
                       WideText(report_json)};
    free(user);
    free(computer);
    free(product_name);
    free(report_json);
    return texts;
}

std::wstring BstrText(const VARIANT& value) {
    if (V_VT(&value) != VT_BSTR || V_BSTR(&value) == nullptr) {
        return std::wstring();
    }
    return std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
}

}  // namespace comtest
