#include "Warpper.h"

#include <string.h>

#include "CBrelmoxLib.h"
#include "CPellwick.h"
#include "registration.h"
#include "scoped.h"
#include "server_module.h"

namespace brelmox {
namespace {

constexpr LCID kTypeLibraryLocale = 0x0409;

const AtlInterfaceEntry kWarpperInterfaces[] = {
    {&IID_IWarpper2, 0, ATL_INTERFACE_AT_OFFSET},
    {&IID_IWarpper, 0, ATL_INTERFACE_AT_OFFSET},
    {&IID_IDispatch, 0, ATL_INTERFACE_AT_OFFSET},
    {nullptr, 0, nullptr},
};

// --- Type information shared by every Warpper in the process ---

struct NameCacheEntry {
    BSTR name;  // null when the member's name could not be read
    int length;
    DISPID id;
};

struct TypeInfoHolder {
    const GUID* interface_id;
    const GUID* older_interface_id;  // served when the registered library lacks the first
    const GUID* library_id;
    WORD major_version;
    WORD minor_version;
    ITypeInfo* volatile type_info;  // published last, read without the lock
    NameCacheEntry* name_cache;
    int entry_count;
    bool clean_up_listed;
};

TypeInfoHolder g_type_info = {
    &IID_IWarpper2, &IID_IWarpper, &LIBID_BRELMOXCOMLib, 1, 0, nullptr, nullptr, 0, false};

void WINAPI CleanUpTypeInfo(DWORD_PTR argument) {
    auto* holder = reinterpret_cast<TypeInfoHolder*>(argument);
    if (holder->type_info != nullptr) {
        holder->type_info->Release();
        holder->type_info = nullptr;
    }
    if (holder->name_cache != nullptr) {
        for (int index = holder->entry_count - 1; index >= 0; --index) {
            SysFreeString(holder->name_cache[index].name);
        }
        free(holder->name_cache);
        holder->name_cache = nullptr;
    }
    holder->entry_count = 0;
}

// Member names with their DISPIDs, so that exact-case lookups need no call into
// the type information. Entries whose name cannot be read stay without one;
// without memory for the array there is no cache at all.
void BuildNameCache(TypeInfoHolder& holder, ITypeInfo* info) {
    LentTypeAttr attributes(info);
    if (FAILED(info->GetTypeAttr(attributes.put()))) {
        return;
    }
    int count = attributes->cFuncs;
    NameCacheEntry* cache = nullptr;
    if (count > 0) {
        cache = static_cast<NameCacheEntry*>(malloc(count * sizeof(NameCacheEntry)));
        if (cache == nullptr) {
            return;
        }
        for (int index = 0; index < count; ++index) {
            cache[index] = NameCacheEntry{nullptr, 0, DISPID_UNKNOWN};
        }
    }
    for (int index = 0; index < count; ++index) {
        LentFuncDesc description(info);
        if (FAILED(info->GetFuncDesc(index, description.put()))) {
            continue;
        }
        ScopedBstr name;
        if (FAILED(info->GetDocumentation(description->memid, name.put(), nullptr, nullptr,
                                          nullptr))) {
            continue;
        }
        cache[index].length = static_cast<int>(SysStringLen(name.get()));
        cache[index].id = description->memid;
        cache[index].name = name.release();
    }
    holder.name_cache = cache;
    holder.entry_count = count;
}

// Called with the module's type-information section held.
HRESULT LoadTypeInfo(TypeInfoHolder& holder, LCID locale) {
    ComPtr<ITypeLib> library;
    HRESULT result = LoadRegTypeLib(*holder.library_id, holder.major_version, holder.minor_version,
                                    locale, library.put());
    // wine-differs: LoadRegTypeLib finds a registration by the exact locale
    // only, and callers pass theirs (0x0411, the user's), so another locale
    // gets a second try with the library's own.
    if (FAILED(result) && locale != kTypeLibraryLocale &&
        SUCCEEDED(LoadRegTypeLib(*holder.library_id, holder.major_version, holder.minor_version,
                                 kTypeLibraryLocale, library.put()))) {
        result = S_OK;
    }
    if (FAILED(result)) {
        return result;
    }
    ComPtr<ITypeInfo> info;
    result = library->GetTypeInfoOfGuid(*holder.interface_id, info.put());
    if (result == TYPE_E_ELEMENTNOTFOUND) {
        // A copy of the library from before IWarpper2, registered last: its
        // five methods still work.
        result = library->GetTypeInfoOfGuid(*holder.older_interface_id, info.put());
    }
    if (FAILED(result)) {
        return result;
    }
    ComPtr<ITypeInfo2> info2;
    if (SUCCEEDED(info->QueryInterface(IID_ITypeInfo2, info2.put_void()))) {
        AtlComPtrAssign(reinterpret_cast<IUnknown**>(info.address()), info2.get());
    }
    BuildNameCache(holder, info.get());
    InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&holder.type_info),
                               info.release());
    return S_OK;
}

HRESULT EnsureTypeInfo(LCID locale) {
    TypeInfoHolder& holder = g_type_info;
    if (holder.type_info != nullptr) {
        return S_OK;
    }
    AtlModule30& module = ServerModule();
    CriticalSectionGuard guard(module.type_info_section);
    HRESULT result = holder.type_info != nullptr ? S_OK : LoadTypeInfo(holder, locale);
    // Listed once per load of the module: listing it after every pass would add
    // an entry for each failing call while the type library is not registered.
    if (!holder.clean_up_listed) {
        holder.clean_up_listed = SUCCEEDED(
            AtlModuleAddTermFunc(&module, CleanUpTypeInfo, reinterpret_cast<DWORD_PTR>(&holder)));
    }
    return result;
}

bool FindCachedId(const TypeInfoHolder& holder, LPCOLESTR name, DISPID* id) {
    if (name == nullptr) {
        return false;
    }
    int length = lstrlenW(name);
    for (int index = holder.entry_count - 1; index >= 0; --index) {
        const NameCacheEntry& entry = holder.name_cache[index];
        if (entry.name != nullptr && entry.length == length &&
            memcmp(entry.name, name, length * sizeof(OLECHAR)) == 0) {
            *id = entry.id;
            return true;
        }
    }
    return false;
}

// --- The seven methods ---

unsigned char* AsBytes(char* text) {
    return reinterpret_cast<unsigned char*>(text);
}

// Each call identifies the system afresh; nothing is kept between calls. Every
// method answers S_OK whatever happens, a null VARIANT* included, as the ATL
// 3.0 server did: published, clients rely on it. A UTF-16 text goes into the
// BSTR unchanged, so no name loses a character the
// ANSI code page lacks; without it, or without memory for the BSTR, the
// answer is VT_EMPTY, and the call still succeeds.
HRESULT AnswerWideText(bool (CBrelmoxLib::*query)(unsigned short**), VARIANT* vout) {
    CBrelmoxLib library;
    HeapPtr<unsigned short> text;
    (library.*query)(text.put());
    if (vout == nullptr) {
        return S_OK;  // as the other methods: the work is done, nothing is written
    }
    V_VT(vout) = VT_EMPTY;
    if (text) {
        BSTR answer = SysAllocString(reinterpret_cast<const OLECHAR*>(text.get()));
        if (answer != nullptr) {
            V_VT(vout) = VT_BSTR;
            V_BSTR(vout) = answer;
        }
    }
    return S_OK;
}

HRESULT AnswerLibraryText(char* CBrelmoxLib::*text, VARIANT* vout) {
    CPellwick pellwick;
    CBrelmoxLib library;
    pellwick.SChar2Variant(AsBytes(library.*text), vout);
    return S_OK;
}

// --- The two forms of the object ---

class CStandaloneWarpper final : public CWarpper, public HeapObject {
public:
    CStandaloneWarpper() { LockServerModule(); }
    ~CStandaloneWarpper() { UnlockServerModule(); }
    CStandaloneWarpper(const CStandaloneWarpper&) = delete;
    CStandaloneWarpper& operator=(const CStandaloneWarpper&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        return QueryOwnInterface(iid, object);
    }
    // Apartment-threaded: only the creating thread calls, so no interlocking.
    STDMETHODIMP_(ULONG) AddRef() override { return ++count_; }
    STDMETHODIMP_(ULONG) Release() override {
        LONG count = --count_;
        if (count == 0) {
            count_ = 1;  // a call back into the object while it goes must not free it twice
            delete this;
        }
        return count;
    }

private:
    LONG count_ = 0;
};

// The inner part of an aggregate: its identity and lifetime belong to the outer
// object, which it does not hold a reference to.
class CAggregatedWarpperInner final : public CWarpper {
public:
    explicit CAggregatedWarpperInner(IUnknown* outer) : outer_(outer) {}
    CAggregatedWarpperInner(const CAggregatedWarpperInner&) = delete;
    CAggregatedWarpperInner& operator=(const CAggregatedWarpperInner&) = delete;

    // Published behaviour: asks the outer object first and falls back to its
    // own table, as ATL 3.0's aggregated objects do; not to be corrected.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        HRESULT result = outer_->QueryInterface(iid, object);
        if (FAILED(result) && outer_ != static_cast<IUnknown*>(this)) {
            result = QueryOwnInterface(iid, object);
        }
        return result;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return outer_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return outer_->Release(); }

private:
    IUnknown* outer_;
};

// What the outer object holds: a non-delegating IUnknown, then the inner part.
class CAggregatedWarpper final : public IUnknown, public HeapObject {
public:
    explicit CAggregatedWarpper(IUnknown* outer) : inner_(outer) { LockServerModule(); }
    ~CAggregatedWarpper() { UnlockServerModule(); }
    CAggregatedWarpper(const CAggregatedWarpper&) = delete;
    CAggregatedWarpper& operator=(const CAggregatedWarpper&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!IsEqualIID(iid, IID_IUnknown)) {
            return inner_.QueryOwnInterface(iid, object);
        }
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++count_; }
    STDMETHODIMP_(ULONG) Release() override {
        LONG count = --count_;
        if (count == 0) {
            count_ = 1;
            delete this;
        }
        return count;
    }

private:
    LONG count_ = 0;
    CAggregatedWarpperInner inner_;
};

}  // namespace

HRESULT WINAPI CWarpper::UpdateRegistry(BOOL do_register) {
    return UpdateWarpperRegistry(do_register);
}

HRESULT WINAPI CWarpper::CreateInstance(void* outer, REFIID iid, void** object) {
    if (outer == nullptr) {
        return CreateServerObject<CStandaloneWarpper>(iid, object);
    }
    return CreateServerObject<CAggregatedWarpper>(iid, object, static_cast<IUnknown*>(outer));
}

HRESULT CWarpper::QueryOwnInterface(REFIID iid, void** object) {
    return QueryInterfaceTable(this, kWarpperInterfaces, iid, object);
}

STDMETHODIMP CWarpper::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 1;
    return S_OK;
}

// Every index gives IWarpper2's type information (IWarpper's, when the
// registered library is older).
STDMETHODIMP CWarpper::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    HRESULT result = EnsureTypeInfo(locale);
    *info = g_type_info.type_info;
    if (*info == nullptr) {
        return result;
    }
    (*info)->AddRef();
    return S_OK;
}

STDMETHODIMP CWarpper::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                     DISPID* ids) {
    HRESULT result = EnsureTypeInfo(locale);
    ITypeInfo* info = g_type_info.type_info;
    if (info == nullptr) {
        return result;
    }
    if (count == 0) {
        return result;
    }
    if (names == nullptr || ids == nullptr) {
        return E_POINTER;
    }
    // Only the first name is a member's; the others name that member's
    // parameters, which the type information resolves relative to it, so a
    // member name in a parameter's place is no hit whatever its letter case.
    if (count == 1 && FindCachedId(g_type_info, names[0], &ids[0])) {
        return result;
    }
    return info->GetIDsOfNames(names, count, ids);
}

namespace {

// Counts that their arrays contradict would be read through null pointers by
// the type information's Invoke.
bool ArgumentsAreConsistent(const DISPPARAMS* parameters) {
    return parameters != nullptr && (parameters->cArgs == 0 || parameters->rgvarg != nullptr) &&
           (parameters->cNamedArgs == 0 || parameters->rgdispidNamedArgs != nullptr) &&
           parameters->cNamedArgs <= parameters->cArgs;
}

}  // namespace

STDMETHODIMP CWarpper::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                              DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                              UINT* argument_error) {
    HRESULT loaded = EnsureTypeInfo(locale);
    ITypeInfo* info = g_type_info.type_info;
    if (info == nullptr) {
        return loaded;
    }
    if (!ArgumentsAreConsistent(parameters)) {
        return E_INVALIDARG;
    }
    return info->Invoke(static_cast<IWarpper2*>(this), id, flags, parameters, result, exception,
                        argument_error);
}

STDMETHODIMP CWarpper::GetUserName(VARIANT* vout) {
    return AnswerWideText(&CBrelmoxLib::GetUserNameW, vout);
}

STDMETHODIMP CWarpper::GetComputerName(VARIANT* vout) {
    return AnswerWideText(&CBrelmoxLib::GetComputerNameW, vout);
}

STDMETHODIMP CWarpper::GetOSName(VARIANT* vout) {
    return AnswerLibraryText(&CBrelmoxLib::m_pOSName, vout);
}

STDMETHODIMP CWarpper::GetOSNameAllPattern(VARIANT* vout) {
    return AnswerLibraryText(&CBrelmoxLib::m_pOSNameAllPattern, vout);
}

STDMETHODIMP CWarpper::GetOSEtcInfo(VARIANT* vout) {
    return AnswerLibraryText(&CBrelmoxLib::m_pOSEtcInfo, vout);
}

STDMETHODIMP CWarpper::GetOSProductName(VARIANT* vout) {
    return AnswerWideText(&CBrelmoxLib::GetOSProductNameW, vout);
}

STDMETHODIMP CWarpper::GetReportJson(VARIANT* vout) {
    return AnswerWideText(&CBrelmoxLib::GetReportJsonW, vout);
}

}  // namespace brelmox
