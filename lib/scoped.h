// Holders that release the library's resources on every way out of a scope.
#pragma once

#include <windows.h>
#include <stdlib.h>

#include <memory>

#include "CPellwick.h"

namespace brelmox {

struct FreeDeleter {
    void operator()(void* block) const { free(block); }
};

// A block from malloc (or from CPellwick, which allocates on the same heap).
template <typename T>
using HeapPtr = std::unique_ptr<T, FreeDeleter>;

// A kernel handle closed with CloseHandle.
class ScopedHandle {
public:
    ScopedHandle() = default;
    ~ScopedHandle() { reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE get() const { return handle_; }
    HANDLE* put() {
        reset();
        return &handle_;
    }
    void reset() {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
            handle_ = nullptr;
        }
    }

private:
    HANDLE handle_ = nullptr;
};

// A string that a CPellwick call stores into the caller's pointer; released with
// Sfree unless release() hands it to the caller.
template <typename Unit>
class PellwickString {
public:
    explicit PellwickString(CPellwick& pellwick) : pellwick_(pellwick) {}
    ~PellwickString() { reset(); }
    PellwickString(const PellwickString&) = delete;
    PellwickString& operator=(const PellwickString&) = delete;

    Unit* get() const { return text_; }
    Unit** put() { return &text_; }
    Unit* release() {
        Unit* text = text_;
        text_ = nullptr;
        return text;
    }
    void reset() { pellwick_.Sfree(reinterpret_cast<unsigned char**>(&text_)); }

private:
    CPellwick& pellwick_;
    Unit* text_ = nullptr;
};

// A string a method hands back through the caller's pointer: the caller's
// slot is nulled when the holder is made, and what it holds then is released
// with Sfree on every way out unless commit() hands it to the caller.
template <typename Unit>
class OutputString {
public:
    OutputString(CPellwick& pellwick, Unit** slot) : pellwick_(pellwick), slot_(slot) {
        *slot_ = nullptr;
    }
    ~OutputString() {
        if (!committed_) {
            reset();
        }
    }
    OutputString(const OutputString&) = delete;
    OutputString& operator=(const OutputString&) = delete;

    Unit* get() const { return *slot_; }
    Unit** put() {
        reset();
        return slot_;
    }
    // For calls that grow the held string in place.
    Unit** address() { return slot_; }
    void commit() { committed_ = true; }

private:
    void reset() { pellwick_.Sfree(reinterpret_cast<unsigned char**>(slot_)); }

    CPellwick& pellwick_;
    Unit** slot_;
    bool committed_ = false;
};

}  // namespace brelmox
