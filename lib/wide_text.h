// UTF-16 texts that the library builds on the heap: they grow as needed, are
// never cut, and turn a failed growth into "no text" instead of a shorter one.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace brelmox {

class WideText {
public:
    WideText() = default;
    // Starts with room for `units`, for a text whose size is known roughly.
    explicit WideText(size_t units) {
        if (Reserve(units)) {
            data_[0] = 0;
        }
    }
    ~WideText();
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    void Append(const unsigned short* text, size_t length);
    // An ASCII text, one unit per byte.
    void AppendAscii(const char* text);
    void AppendUnit(unsigned short unit) { Append(&unit, 1); }
    void AppendUnsigned(uint32_t value);

    // The text so far, zero-terminated; null while nothing was appended.
    const unsigned short* c_str() const { return data_; }
    size_t size() const { return size_; }
    // True once a growth failed: the text is then incomplete and must not be used.
    bool failed() const { return failed_; }

private:
    bool Reserve(size_t extra);

    unsigned short* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
    bool failed_ = false;
};

// Length of a zero-terminated UTF-16 text.
size_t WideLength(const unsigned short* text);

}  // namespace brelmox
