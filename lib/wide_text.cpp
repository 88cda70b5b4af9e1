#include "wide_text.h"

#include <stdlib.h>
#include <string.h>

#include "growing_text.h"

namespace brelmox {

WideText::~WideText() {
    free(data_);
}

bool WideText::Reserve(size_t extra) {
    if (failed_) {
        return false;
    }
    if (extra < capacity_ - size_) {  // room for the units and the terminator
        return true;
    }
    size_t limit = SIZE_MAX / sizeof(unsigned short) / 2;
    if (extra >= limit - size_) {
        failed_ = true;
        return false;
    }
    size_t capacity = capacity_ == 0 ? 64 : capacity_;
    while (capacity <= size_ + extra) {
        capacity *= 2;
    }
    auto* grown = static_cast<unsigned short*>(realloc(data_, capacity * sizeof(unsigned short)));
    if (grown == nullptr) {
        failed_ = true;
        return false;
    }
    data_ = grown;
    capacity_ = capacity;
    return true;
}

void WideText::Append(const unsigned short* text, size_t length) {
    if (!Reserve(length)) {
        return;
    }
    if (length > 0) {
        memcpy(data_ + size_, text, length * sizeof(unsigned short));
    }
    size_ += length;
    data_[size_] = 0;
}

void WideText::AppendAscii(const char* text) {
    size_t length = strlen(text);
    if (!Reserve(length)) {
        return;
    }
    for (size_t i = 0; i < length; ++i) {
        data_[size_ + i] = static_cast<unsigned char>(text[i]);
    }
    size_ += length;
    data_[size_] = 0;
}

void WideText::AppendUnsigned(uint32_t value) {
    char digits[kDecimalCapacity];
    size_t length = FormatUnsigned(value, digits);
    digits[length] = '\0';
    AppendAscii(digits);
}

size_t WideLength(const unsigned short* text) {
    size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

}  // namespace brelmox
