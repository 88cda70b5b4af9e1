// Test helpers for the strings the library hands to its callers.
#pragma once

#include <string>

#include "scoped.h"

// A string a getter stores through its out-parameter; freed with free() as the
// library's callers do.
using NarrowString = brelmox::HeapPtr<char>;
using WideString = brelmox::HeapPtr<unsigned short>;

inline std::u16string ToU16(const unsigned short* text) {
    std::u16string result;
    for (; text != nullptr && *text != 0; ++text) {
        result.push_back(static_cast<char16_t>(*text));
    }
    return result;
}

inline std::u16string ToU16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

inline std::string ToAscii(const std::u16string& text) {
    std::string result;
    for (char16_t unit : text) {
        result.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    return result;
}
