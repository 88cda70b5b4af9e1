// Holders for the strings that CPellwick's operations store: released with
// Sfree on every way out of a scope. They belong with Pellwick, so that the
// platform's holders (scoped.h) depend on nothing above them.
#pragma once

#include "CPellwick.h"

namespace brelmox {

// A string that a CPellwick call stores into the holder; released with Sfree
// unless release() hands it on.
template <typename Unit>
class PellwickString {
public:
    explicit PellwickString(CPellwick& pellwick) : pellwick_(pellwick) {}
    ~PellwickString() { reset(); }
    PellwickString(const PellwickString&) = delete;
    PellwickString& operator=(const PellwickString&) = delete;

    Unit* get() const { return text_; }
    Unit** put() {
        reset();
        return &text_;
    }
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
