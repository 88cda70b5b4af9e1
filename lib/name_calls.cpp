// The narrow name calls, made from the wide ones and one conversion each.
#include "name_calls.h"

#include <stdlib.h>

#include "scoped.h"
#include "size_query.h"

namespace brelmox {
namespace {

// Longer answers of a size query are refused rather than allocated.
constexpr DWORD kLongestName = 32767;

// A wide block for `size` characters and a terminator; null when too large.
HeapPtr<unsigned short> WideBlock(DWORD size) {
    if (size > kLongestName) {
        return nullptr;
    }
    return HeapPtr<unsigned short>(
        static_cast<unsigned short*>(calloc(size + 1, sizeof(unsigned short))));
}

// The wide text of a call that reports the size it needs when given none.
template <typename Call>
HeapPtr<unsigned short> QueryWide(Call call) {
    DWORD size = 0;
    HeapPtr<unsigned short> text;
    DWORD error = QueryBySize([&] { return call(nullptr, &size); },
                              [&] { return static_cast<bool>(text = WideBlock(size)); },
                              [&] { return call(text.get(), &size); });
    return error == ERROR_SUCCESS ? std::move(text) : nullptr;
}

// Bytes of the text in the ANSI code page, terminator included; 0 on failure.
DWORD AnsiSize(const unsigned short* wide) {
    int size = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const WCHAR*>(wide), -1, nullptr, 0,
                                   nullptr, nullptr);
    return size > 0 ? static_cast<DWORD>(size) : 0;
}

bool ConvertToAnsi(const unsigned short* wide, unsigned char* buffer, DWORD size) {
    return WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const WCHAR*>(wide), -1,
                               reinterpret_cast<char*>(buffer), static_cast<int>(size), nullptr,
                               nullptr) == static_cast<int>(size);
}

// Hands a converted name over as the narrow calls do: too small a buffer (or
// none) fails with the size needed, terminator included.
BOOL DeliverAnsi(const unsigned short* wide, unsigned char* buffer, DWORD* size,
                 bool count_terminator) {
    DWORD needed = AnsiSize(wide);
    if (needed == 0) {
        return FALSE;
    }
    if (buffer == nullptr || *size < needed) {
        *size = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (!ConvertToAnsi(wide, buffer, needed)) {
        return FALSE;
    }
    *size = count_terminator ? needed : needed - 1;
    return TRUE;
}

}  // namespace

BOOL AnsiNameCalls::GetComputerName(Char* buffer, DWORD* size) {
    HeapPtr<unsigned short> name = QueryWide(WideNameCalls::GetComputerName);
    return name && DeliverAnsi(name.get(), buffer, size, false);
}

BOOL AnsiNameCalls::GetUserName(Char* buffer, DWORD* size) {
    HeapPtr<unsigned short> name = QueryWide(WideNameCalls::GetUserName);
    return name && DeliverAnsi(name.get(), buffer, size, true);
}

BOOL AnsiNameCalls::LookupAccountSid(PSID sid, Char* name, DWORD* name_size, Char* domain,
                                     DWORD* domain_size) {
    DWORD wide_name_size = 0;
    DWORD wide_domain_size = 0;
    HeapPtr<unsigned short> wide_name;
    HeapPtr<unsigned short> wide_domain;
    DWORD error = QueryBySize(
        [&] {
            return WideNameCalls::LookupAccountSid(sid, nullptr, &wide_name_size, nullptr,
                                                   &wide_domain_size);
        },
        [&] {
            wide_name = WideBlock(wide_name_size);
            wide_domain = WideBlock(wide_domain_size);
            return wide_name && wide_domain;
        },
        [&] {
            return WideNameCalls::LookupAccountSid(sid, wide_name.get(), &wide_name_size,
                                                   wide_domain.get(), &wide_domain_size);
        });
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    DWORD name_needed = AnsiSize(wide_name.get());
    DWORD domain_needed = AnsiSize(wide_domain.get());
    if (name_needed == 0 || domain_needed == 0) {
        return FALSE;
    }
    if (name == nullptr || domain == nullptr || *name_size < name_needed ||
        *domain_size < domain_needed) {
        *name_size = name_needed;
        *domain_size = domain_needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (!ConvertToAnsi(wide_name.get(), name, name_needed) ||
        !ConvertToAnsi(wide_domain.get(), domain, domain_needed)) {
        return FALSE;
    }
    *name_size = name_needed - 1;
    *domain_size = domain_needed - 1;
    return TRUE;
}

}  // namespace brelmox
