#include "growing_text.h"

#include <stdlib.h>

namespace brelmox {

size_t FormatUnsigned(uint32_t value, char (&digits)[kDecimalCapacity]) {
    char reversed[kDecimalCapacity];
    size_t count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (size_t i = 0; i < count; ++i) {
        digits[i] = reversed[count - 1 - i];
    }
    return count;
}

size_t FormatSigned(int32_t value, char (&digits)[kDecimalCapacity]) {
    if (value >= 0) {
        return FormatUnsigned(static_cast<uint32_t>(value), digits);
    }
    char magnitude[kDecimalCapacity];
    // Negating in unsigned arithmetic keeps INT32_MIN well defined.
    size_t count = FormatUnsigned(0u - static_cast<uint32_t>(value), magnitude);
    digits[0] = '-';
    memcpy(digits + 1, magnitude, count);
    return count + 1;
}

GrowingText::~GrowingText() {
    if (data_ != storage_) {
        free(data_);
    }
}

bool GrowingText::Reserve(size_t additional) {
    if (failed_) {
        return false;
    }
    if (additional < capacity_ - size_) {
        return true;  // room for the text and the terminator
    }
    size_t needed = size_ + additional + 1;
    if (needed <= size_) {
        failed_ = true;
        return false;
    }
    size_t grown = capacity_ * 2 > needed ? capacity_ * 2 : needed;
    char* block = static_cast<char*>(data_ == storage_ ? malloc(grown) : realloc(data_, grown));
    if (block == nullptr) {
        failed_ = true;
        return false;
    }
    if (data_ == storage_) {
        memcpy(block, data_, size_ + 1);
    }
    data_ = block;
    capacity_ = grown;
    return true;
}

void GrowingText::Append(const char* text, size_t length) {
    if (!Reserve(length)) {
        return;
    }
    memcpy(data_ + size_, text, length);
    size_ += length;
    data_[size_] = '\0';
}

void GrowingText::Append(const GrowingText& other) {
    if (other.failed_) {
        failed_ = true;
        return;
    }
    Append(other.data_, other.size_);
}

void GrowingText::AppendUnsigned(uint32_t value) {
    char digits[kDecimalCapacity];
    Append(digits, FormatUnsigned(value, digits));
}

void GrowingText::AppendSigned(int32_t value) {
    char digits[kDecimalCapacity];
    Append(digits, FormatSigned(value, digits));
}

char* GrowingText::CopyToHeap() const {
    if (failed_) {
        return nullptr;
    }
    char* copy = static_cast<char*>(malloc(size_ + 1));
    if (copy != nullptr) {
        memcpy(copy, data_, size_ + 1);
    }
    return copy;
}

}  // namespace brelmox
