// Holders that release the server's resources on every way out of a scope, and
// the allocation of its objects on the C runtime heap.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <stdlib.h>

#include <new>
#include <utility>

namespace brelmox {

// Objects live in malloc'd blocks, so running out of memory is a null result
// that callers turn into E_OUTOFMEMORY, never an exception.
template <typename T, typename... Args>
T* HeapNew(Args&&... args) {
    void* block = malloc(sizeof(T));
    if (block == nullptr) {
        return nullptr;
    }
    return ::new (block) T(std::forward<Args>(args)...);
}

template <typename T>
void HeapDelete(T* object) {
    object->~T();
    free(object);
}

// One reference to a COM object, released when the holder goes.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : object_(other.release()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = other.release();
        }
        return *this;
    }

    Interface* get() const { return object_; }
    Interface* operator->() const { return object_; }
    // For out-parameters: the holder must be empty.
    Interface** put() { return &object_; }
    void** put_void() { return reinterpret_cast<void**>(&object_); }
    // For functions that replace the held pointer in place, keeping it owned.
    Interface** address() { return &object_; }
    Interface* release() {
        Interface* object = object_;
        object_ = nullptr;
        return object;
    }
    void reset() {
        if (object_ != nullptr) {
            object_->Release();
            object_ = nullptr;
        }
    }

private:
    Interface* object_ = nullptr;
};

class ScopedBstr {
public:
    ScopedBstr() = default;
    ~ScopedBstr() { SysFreeString(text_); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;

    BSTR get() const { return text_; }
    BSTR* put() { return &text_; }
    BSTR release() {
        BSTR text = text_;
        text_ = nullptr;
        return text;
    }

private:
    BSTR text_ = nullptr;
};

// A block that a type library or type information lends out (TYPEATTR,
// FUNCDESC, TLIBATTR), handed back to its owner on scope exit.
template <typename Owner, typename Block, void (STDMETHODCALLTYPE Owner::*GiveBack)(Block*)>
class Lent {
public:
    explicit Lent(Owner* owner) : owner_(owner) {}
    ~Lent() {
        if (block_ != nullptr) {
            (owner_->*GiveBack)(block_);
        }
    }
    Lent(const Lent&) = delete;
    Lent& operator=(const Lent&) = delete;
    Block** put() { return &block_; }
    const Block* operator->() const { return block_; }

private:
    Owner* owner_;
    Block* block_ = nullptr;
};
using LentTypeAttr = Lent<ITypeInfo, TYPEATTR, &ITypeInfo::ReleaseTypeAttr>;
using LentFuncDesc = Lent<ITypeInfo, FUNCDESC, &ITypeInfo::ReleaseFuncDesc>;
using LentLibAttr = Lent<ITypeLib, TLIBATTR, &ITypeLib::ReleaseTLibAttr>;

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

}  // namespace brelmox
