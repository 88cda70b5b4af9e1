// Holders that release a resource on every way out of a scope, one kind each,
// shared by every module and the tests.
//
// One rule for all of them: put() releases what the holder has, then hands out
// the address for a call that stores a new resource there, so a holder used
// for a second call neither leaks nor frees twice; release() hands ownership on.
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdlib.h>

#include <new>
#include <utility>

namespace brelmox {

// The state and the rule the holders share; Traits says what "release" means.
template <typename Resource, typename Traits>
class Holder {
public:
    Holder() = default;
    Holder(std::nullptr_t) {}  // NOLINT: "return nullptr" for no resource
    explicit Holder(Resource resource) : resource_(resource) {}
    ~Holder() { reset(); }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;
    Holder(Holder&& other) noexcept : resource_(other.release()) {}
    Holder& operator=(Holder&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    Resource get() const { return resource_; }
    explicit operator bool() const { return resource_ != Resource(); }
    Resource* put() {
        reset();
        return &resource_;
    }
    // For calls that replace or grow the held resource in place, keeping it owned.
    Resource* address() { return &resource_; }
    Resource release() {
        Resource resource = resource_;
        resource_ = Resource();
        return resource;
    }
    void reset(Resource resource = Resource()) {
        if (resource_ != Resource()) {
            Traits::Release(resource_);
        }
        resource_ = resource;
    }

protected:
    Resource resource_ = Resource();
};

struct FreeTraits {
    static void Release(void* block) { free(block); }
};

// A block of the C run-time heap (malloc, or Pellwick, which allocates on the
// same heap), freed with free().
template <typename T>
class HeapPtr : public Holder<T*, FreeTraits> {
public:
    using Holder<T*, FreeTraits>::Holder;
    T* operator->() const { return this->resource_; }
};

struct CloseHandleTraits {
    static void Release(HANDLE handle) { CloseHandle(handle); }
};

// A kernel handle, closed with CloseHandle.
using ScopedHandle = Holder<HANDLE, CloseHandleTraits>;

struct RegCloseKeyTraits {
    static void Release(HKEY key) { RegCloseKey(key); }
};

// An open registry key, closed with RegCloseKey.
using ScopedRegistryKey = Holder<HKEY, RegCloseKeyTraits>;

struct SysFreeStringTraits {
    static void Release(BSTR text) { SysFreeString(text); }
};

// An OLE Automation string, freed with SysFreeString.
using ScopedBstr = Holder<BSTR, SysFreeStringTraits>;

template <typename Interface>
struct ReleaseTraits {
    static void Release(Interface* object) { object->Release(); }
};

// One reference to a COM object.
template <typename Interface>
class ComPtr : public Holder<Interface*, ReleaseTraits<Interface>> {
public:
    using Holder<Interface*, ReleaseTraits<Interface>>::Holder;
    Interface* operator->() const { return this->resource_; }
    void** put_void() { return reinterpret_cast<void**>(this->put()); }
};

// A base for objects made with new (std::nothrow): their memory comes from
// malloc directly. The global operator would first run the exception
// machinery, which itself needs memory when there is none (under Wine it
// then overflows the stack).
struct HeapObject {
    static void* operator new(size_t size, const std::nothrow_t&) noexcept { return malloc(size); }
    static void operator delete(void* block) noexcept { free(block); }
    static void operator delete(void* block, const std::nothrow_t&) noexcept { free(block); }
};

#ifdef _WIN32
// A block that a type library or type information lends out (TYPEATTR,
// FUNCDESC, TLIBATTR), handed back to its owner.
template <typename Owner, typename Block, void (STDMETHODCALLTYPE Owner::*GiveBack)(Block*)>
class Lent {
public:
    explicit Lent(Owner* owner) : owner_(owner) {}
    ~Lent() { reset(); }
    Lent(const Lent&) = delete;
    Lent& operator=(const Lent&) = delete;

    Block** put() {
        reset();
        return &block_;
    }
    const Block* operator->() const { return block_; }

private:
    void reset() {
        if (block_ != nullptr) {
            (owner_->*GiveBack)(block_);
            block_ = nullptr;
        }
    }

    Owner* owner_;
    Block* block_ = nullptr;
};

using LentTypeAttr = Lent<ITypeInfo, TYPEATTR, &ITypeInfo::ReleaseTypeAttr>;
using LentFuncDesc = Lent<ITypeInfo, FUNCDESC, &ITypeInfo::ReleaseFuncDesc>;
using LentLibAttr = Lent<ITypeLib, TLIBATTR, &ITypeLib::ReleaseTLibAttr>;

// Holds a critical section from construction to destruction.
class CriticalSectionGuard {
public:
    explicit CriticalSectionGuard(CRITICAL_SECTION& section) : section_(section) {
        EnterCriticalSection(&section_);
    }
    ~CriticalSectionGuard() { LeaveCriticalSection(&section_); }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

private:
    CRITICAL_SECTION& section_;
};
#endif

}  // namespace brelmox
