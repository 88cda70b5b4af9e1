#include "growing_text.h"

#include <stdlib.h>

namespace brelmox {

size_t FormatUnsigned(uint32_t value, char (&digits)[kDecimalCapacity]) {
    char* end = digits + kDecimalCapacity;
    char* start = DecimalBefore(end, value);
    size_t length = static_cast<size_t>(end - start);
    memmove(digits, start, length);
    return length;
}

GrowingText::~GrowingText() {
    if (data_ != storage_) {
        free(data_);
    }
}

void GrowingText::Fail() {
    failed_ = true;
    capacity_ = size_;
}

void GrowingText::AppendGrowing(const char* text, size_t length) {
    if (failed_) {
        return;
    }
    size_t needed = size_ + length + 1;
    if (needed <= size_) {
        Fail();  // the length wrapped around
        return;
    }
    size_t grown = capacity_ * 2 > needed ? capacity_ * 2 : needed;
    void* block = data_ == storage_ ? malloc(grown) : realloc(data_, grown);
    if (block == nullptr) {
        Fail();
        return;
    }
    if (data_ == storage_) {
        memcpy(block, data_, size_ + 1);
    }
    data_ = static_cast<char*>(block);
    capacity_ = grown;
    Append(text, length);
}

void GrowingText::Append(const GrowingText& other) {
    if (other.failed_) {
        Fail();
        return;
    }
    Append(other.data_, other.size_);
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
