// Narrow texts that the library builds: they grow as needed, are never cut, and
// turn a failed growth into "no text" instead of a shortened one.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace brelmox {

// Longest decimal form of a 32-bit value: sign, ten digits, terminator.
constexpr size_t kDecimalCapacity = 12;

// Writes the decimal form of `value` so that it ends just before `end`;
// returns where it starts.
inline char* DecimalBefore(char* end, uint32_t value) {
    do {
        *--end = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return end;
}

inline char* SignedDecimalBefore(char* end, int32_t value) {
    // Negating in unsigned arithmetic keeps INT32_MIN well defined.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : value;
    char* start = DecimalBefore(end, magnitude);
    if (value < 0) {
        *--start = '-';
    }
    return start;
}

// Writes the decimal form of `value` (no terminator) and returns its length.
size_t FormatUnsigned(uint32_t value, char (&digits)[kDecimalCapacity]);

class GrowingText {
public:
    GrowingText(const GrowingText&) = delete;
    GrowingText& operator=(const GrowingText&) = delete;

    void Append(const char* text, size_t length) {
        if (length < capacity_ - size_) {  // room for the text and its terminator
            memcpy(data_ + size_, text, length);
            size_ += length;
            data_[size_] = '\0';
        } else {
            AppendGrowing(text, length);
        }
    }
    void Append(const char* text) { Append(text, strlen(text)); }
    // Appends another text; an incomplete one makes this one incomplete too.
    void Append(const GrowingText& other);
    void AppendUnsigned(uint32_t value) {
        char digits[kDecimalCapacity];
        char* end = digits + kDecimalCapacity;
        char* start = DecimalBefore(end, value);
        Append(start, static_cast<size_t>(end - start));
    }
    void AppendSigned(int32_t value) {
        char digits[kDecimalCapacity];
        char* end = digits + kDecimalCapacity;
        char* start = SignedDecimalBefore(end, value);
        Append(start, static_cast<size_t>(end - start));
    }

    const char* c_str() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // True once a growth failed; the text then holds only what came before.
    bool failed() const { return failed_; }

    // A malloc'ed copy of exactly size() + 1 bytes, or null when the text is
    // incomplete or the copy cannot be allocated. The caller frees it.
    char* CopyToHeap() const;

protected:
    GrowingText(char* storage, size_t capacity)
        : data_(storage), size_(0), capacity_(capacity), storage_(storage), failed_(false) {}
    ~GrowingText();

private:
    void AppendGrowing(const char* text, size_t length);
    void Fail();

    char* data_;
    size_t size_;
    size_t capacity_;  // kept equal to size_ once failed, so nothing more fits
    char* storage_;    // the owner's fixed storage; data_ moves to the heap beyond it
    bool failed_;
};

// A GrowingText that starts in `Capacity` bytes of its own storage.
template <size_t Capacity>
class InlineText final : public GrowingText {
    static_assert(Capacity > 0, "room for the terminator");

public:
    InlineText() : GrowingText(storage_, Capacity) { storage_[0] = '\0'; }

private:
    char storage_[Capacity];
};

// Appends to the end of a caller's zero-terminated text without any bound: the
// contract of the exported appenders, whose callers size their buffers.
class UnboundedText {
public:
    explicit UnboundedText(char* text) : end_(text + strlen(text)) {}
    void Append(const char* text, size_t length) {
        memcpy(end_, text, length);
        end_ += length;
        *end_ = '\0';
    }
    void Append(const char* text) { Append(text, strlen(text)); }
    void AppendSigned(int32_t value) {
        char digits[kDecimalCapacity];
        char* end = digits + kDecimalCapacity;
        char* start = SignedDecimalBefore(end, value);
        Append(start, static_cast<size_t>(end - start));
    }

private:
    char* end_;
};

}  // namespace brelmox
