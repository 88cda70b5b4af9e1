#include "CPellwick.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "scoped.h"

namespace {

using brelmox::HeapPtr;

constexpr long kOk = 0;
constexpr long kInvalidArgument = -1;
constexpr long kOutOfMemory = -2;
constexpr long kNotAvailable = -3;

size_t WideLength(const unsigned short* text) {
    size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

// Copies `length` units and a terminator into a new heap block.
template <typename Unit>
Unit* HeapCopy(const Unit* source, size_t length) {
    auto* copy = static_cast<Unit*>(malloc((length + 1) * sizeof(Unit)));
    if (copy != nullptr) {
        memcpy(copy, source, length * sizeof(Unit));
        copy[length] = 0;
    }
    return copy;
}

// Units before the terminator, counting no further than `limit`.
template <typename Unit>
size_t BoundedLength(const Unit* text, size_t limit) {
    size_t length = 0;
    while (length < limit && text[length] != 0) {
        ++length;
    }
    return length;
}

// Replaces *target with a new block holding its first `length` units, then
// `count` units of `source`, then a terminator. A new block, not realloc: the
// source may lie inside the old one, which must stay readable until copied.
template <typename Unit>
long Append(Unit** target, size_t length, const Unit* source, size_t count) {
    const size_t most_units = static_cast<size_t>(-1) / sizeof(Unit);
    if (length >= most_units || count >= most_units - length) {
        return kOutOfMemory;  // length + count + 1 units do not fit in memory
    }
    auto* grown = static_cast<Unit*>(malloc((length + count + 1) * sizeof(Unit)));
    if (grown == nullptr) {
        return kOutOfMemory;
    }
    if (length != 0) {
        memcpy(grown, *target, length * sizeof(Unit));
    }
    if (count != 0) {
        memcpy(grown + length, source, count * sizeof(Unit));
    }
    grown[length + count] = 0;
    free(*target);
    *target = grown;
    return kOk;
}

}  // namespace

CPellwick::CPellwick() = default;
CPellwick::~CPellwick() = default;

long CPellwick::Smalloc(unsigned char** buffer, unsigned long size) {
    if (buffer == nullptr) {
        return kInvalidArgument;
    }
    void* block = calloc(1, size != 0 ? size : 1);
    if (block == nullptr) {
        return kOutOfMemory;
    }
    *buffer = static_cast<unsigned char*>(block);
    return kOk;
}

void CPellwick::Sfree(unsigned char** buffer) {
    if (buffer != nullptr) {
        free(*buffer);
        *buffer = nullptr;
    }
}

long CPellwick::SmemStrCpy(unsigned char** target, unsigned char* source) {
    if (target == nullptr || source == nullptr) {
        return kInvalidArgument;
    }
    unsigned char* copy = HeapCopy(source, strlen(reinterpret_cast<char*>(source)));
    if (copy == nullptr) {
        return kOutOfMemory;
    }
    *target = copy;
    return kOk;
}

long CPellwick::SmemStrCpyW(unsigned short** target, unsigned short* source) {
    if (target == nullptr || source == nullptr) {
        return kInvalidArgument;
    }
    unsigned short* copy = HeapCopy(source, WideLength(source));
    if (copy == nullptr) {
        return kOutOfMemory;
    }
    *target = copy;
    return kOk;
}

long CPellwick::SmemAddChar(unsigned char** target, unsigned long length, unsigned char* source,
                            unsigned long count) {
    if (target == nullptr || (source == nullptr && count != 0)) {
        return kInvalidArgument;
    }
    // Lengths past either text's end would copy bytes from beyond its block.
    size_t text_length = *target == nullptr ? 0 : BoundedLength(*target, length);
    if (text_length != length || (count != 0 && BoundedLength(source, count) != count)) {
        return kInvalidArgument;
    }
    return Append(target, length, source, count);
}

long CPellwick::SmemAddCharW(unsigned short** target, unsigned short* source) {
    if (target == nullptr || source == nullptr) {
        return kInvalidArgument;
    }
    size_t length = *target == nullptr ? 0 : WideLength(*target);
    return Append(target, length, source, WideLength(source));
}

long CPellwick::getFileVersionStringW(unsigned short* path, unsigned short** version) {
    if (path == nullptr || version == nullptr) {
        return kInvalidArgument;
    }
    auto* file = reinterpret_cast<const WCHAR*>(path);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    if (size == 0) {
        return kNotAvailable;
    }
    HeapPtr<BYTE> block(static_cast<BYTE*>(malloc(size)));
    if (!block) {
        return kOutOfMemory;
    }
    if (!GetFileVersionInfoW(file, 0, size, block.get())) {
        return kNotAvailable;
    }
    static const WCHAR kRootBlock[] = {'\\', 0};
    void* value = nullptr;
    UINT value_size = 0;
    if (!VerQueryValueW(block.get(), kRootBlock, &value, &value_size) ||
        value_size < sizeof(VS_FIXEDFILEINFO)) {
        return kNotAvailable;
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    char text[4 * 5 + 4];
    int length = snprintf(text, sizeof text, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                          LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                          LOWORD(fixed->dwFileVersionLS));
    auto* wide = static_cast<unsigned short*>(malloc((length + 1) * sizeof(unsigned short)));
    if (wide == nullptr) {
        return kOutOfMemory;
    }
    for (int i = 0; i <= length; ++i) {
        wide[i] = static_cast<unsigned char>(text[i]);
    }
    *version = wide;
    return kOk;
}

long CPellwick::SChar2Variant(unsigned char* text, VARIANT* variant) {
    if (variant == nullptr) {
        return kInvalidArgument;
    }
    V_VT(variant) = VT_EMPTY;
    if (text == nullptr) {
        return kOk;
    }
    auto* narrow = reinterpret_cast<const char*>(text);
    int units = MultiByteToWideChar(CP_ACP, 0, narrow, -1, nullptr, 0);
    if (units <= 0) {
        return kInvalidArgument;
    }
    BSTR string = SysAllocStringLen(nullptr, static_cast<UINT>(units - 1));
    if (string == nullptr) {
        return kOutOfMemory;
    }
    if (MultiByteToWideChar(CP_ACP, 0, narrow, -1, string, units) != units) {
        SysFreeString(string);
        return kInvalidArgument;
    }
    V_VT(variant) = VT_BSTR;
    V_BSTR(variant) = string;
    return kOk;
}
