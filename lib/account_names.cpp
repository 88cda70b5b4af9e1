// Who runs us and where: computer name, user name, and the account's domain and
// SID, each in narrow (ANSI code page) and wide (UTF-16) form. Each operation
// is written once, over the name calls of one width (name_calls.h).
#include "CBrelmoxLib.h"

#include "CPellwick.h"
#include "growing_text.h"
#include "name_calls.h"
#include "pellwick_strings.h"
#include "scoped.h"
#include "size_query.h"

namespace brelmox {
namespace {

// Scratch room for a computer name: 15 characters and the terminator, in wide
// characters or, for double-byte code pages, in up to two bytes each.
constexpr unsigned long kComputerNameBytes = 32;

// The identifier authority as one character: only the last byte counts.
char AuthorityCharacter(const SID_IDENTIFIER_AUTHORITY& authority) {
    BYTE last = authority.Value[5];
    return last <= 3 || last == 5 ? static_cast<char>('0' + last) : 'x';
}

// Hands each piece of the SID text ("sid=S-1-", authority, "-", then the
// sub-authorities joined by "-") to `emit`, stopping at the first refusal.
template <typename Emit>
bool ForEachSidPiece(PSID sid, Emit emit) {
    const char authority[1] = {AuthorityCharacter(*GetSidIdentifierAuthority(sid))};
    if (!emit("sid=S-1-", 8) || !emit(authority, 1) || !emit("-", 1)) {
        return false;
    }
    DWORD count = *GetSidSubAuthorityCount(sid);
    for (DWORD i = 0; i < count; ++i) {
        char digits[kDecimalCapacity];
        if (!emit(digits, FormatUnsigned(*GetSidSubAuthority(sid, i), digits))) {
            return false;
        }
        if (i + 1 < count && !emit("-", 1)) {
            return false;
        }
    }
    return true;
}

// Builds the SID text in `text`, one CPellwick call per piece.
template <typename Calls>
bool BuildSidText(CPellwick& pellwick, OutputString<typename Calls::Char>& text, PSID sid) {
    bool first = true;
    return ForEachSidPiece(sid, [&](const char* piece, size_t length) {
        typename Calls::Char units[kDecimalCapacity];
        for (size_t i = 0; i < length; ++i) {
            units[i] = static_cast<unsigned char>(piece[i]);
        }
        units[length] = 0;
        long result = first ? Calls::Copy(pellwick, text.put(), units)
                            : Calls::Append(pellwick, text.address(), units,
                                            static_cast<unsigned long>(length));
        first = false;
        return result >= 0;
    });
}

// The process token's TokenUser record, from its two-call size query.
HeapPtr<TOKEN_USER> QueryTokenUser(HANDLE token) {
    DWORD size = 0;
    HeapPtr<TOKEN_USER> record;
    DWORD error = QueryBySize(
        [&] { return GetTokenInformation(token, TokenUser, nullptr, 0, &size); },
        [&] {
            return static_cast<bool>(
                record = HeapPtr<TOKEN_USER>(static_cast<TOKEN_USER*>(malloc(size))));
        },
        [&] { return GetTokenInformation(token, TokenUser, record.get(), size, &size); });
    return error == ERROR_SUCCESS ? std::move(record) : nullptr;
}

// Room for `length` characters of the width, as a new string in `text`.
template <typename Char>
bool AllocateName(CPellwick& pellwick, OutputString<Char>& text, DWORD length) {
    if (length > 0xFFFFFFFFul / sizeof(Char)) {
        return false;
    }
    return pellwick.Smalloc(reinterpret_cast<unsigned char**>(text.put()), length * sizeof(Char)) >=
           0;
}

template <typename Calls>
bool ComputerName(typename Calls::Char** name) {
    using Char = typename Calls::Char;
    CPellwick pellwick;
    PellwickString<unsigned char> scratch(pellwick);
    if (pellwick.Smalloc(scratch.put(), kComputerNameBytes) < 0) {
        return false;
    }
    auto* found = reinterpret_cast<Char*>(scratch.get());
    DWORD capacity = kComputerNameBytes / sizeof(Char);
    return Calls::GetComputerName(found, &capacity) && Calls::Copy(pellwick, name, found) >= 0;
}

template <typename Calls>
bool UserName(typename Calls::Char** name) {
    using Char = typename Calls::Char;
    CPellwick pellwick;
    DWORD length = 0;
    PellwickString<unsigned char> scratch(pellwick);
    auto found = [&scratch] { return reinterpret_cast<Char*>(scratch.get()); };
    DWORD error = QueryBySize([&] { return Calls::GetUserName(nullptr, &length); },
                              [&] {
                                  // Room for `length` wide characters and a terminator, whatever
                                  // the width.
                                  return length <= (0xFFFFFFFFul - 2) / 2 &&
                                         pellwick.Smalloc(scratch.put(), 2 * length + 2) >= 0;
                              },
                              [&] { return Calls::GetUserName(found(), &length); });
    return error == ERROR_SUCCESS && Calls::Copy(pellwick, name, found()) >= 0;
}

template <typename Calls>
bool AccountTriple(typename Calls::Char** user_out, typename Calls::Char** domain_out,
                   typename Calls::Char** sid_out) {
    using Char = typename Calls::Char;
    if (user_out == nullptr || domain_out == nullptr || sid_out == nullptr) {
        return false;
    }
    CPellwick pellwick;
    ScopedHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_READ, token.put())) {
        return false;
    }
    HeapPtr<TOKEN_USER> record = QueryTokenUser(token.get());
    if (!record) {
        return false;
    }
    PSID account = record->User.Sid;

    OutputString<Char> sid(pellwick, sid_out);
    if (!BuildSidText<Calls>(pellwick, sid, account)) {
        return false;
    }

    OutputString<Char> user(pellwick, user_out);
    OutputString<Char> domain(pellwick, domain_out);
    DWORD user_length = 0;
    DWORD domain_length = 0;
    DWORD error = QueryBySize(
        [&] {
            return Calls::LookupAccountSid(account, nullptr, &user_length, nullptr, &domain_length);
        },
        [&] {
            return AllocateName(pellwick, user, user_length) &&
                   AllocateName(pellwick, domain, domain_length);
        },
        [&] {
            return Calls::LookupAccountSid(account, user.get(), &user_length, domain.get(),
                                           &domain_length);
        });
    if (error != ERROR_SUCCESS) {
        return false;
    }
    user.commit();
    domain.commit();
    sid.commit();
    return true;
}

template <typename Char>
Char** As(unsigned char** output) {
    return reinterpret_cast<Char**>(output);
}

}  // namespace
}  // namespace brelmox

using namespace brelmox;

bool CBrelmoxLib::GetComputerNameA(char** name) {
    return GetComputerNameMain(reinterpret_cast<unsigned char**>(name), false);
}

bool CBrelmoxLib::GetComputerNameW(unsigned short** name) {
    return GetComputerNameMain(reinterpret_cast<unsigned char**>(name), true);
}

bool CBrelmoxLib::GetUserNameA(char** name) {
    return GetUserNameMain(reinterpret_cast<unsigned char**>(name), false);
}

bool CBrelmoxLib::GetUserNameW(unsigned short** name) {
    return GetUserNameMain(reinterpret_cast<unsigned char**>(name), true);
}

bool CBrelmoxLib::GetUserNameAndDomainNameAndSidA(char** user, char** domain, char** sid) {
    return GetUserNameAndDomainNameAndSidMain(reinterpret_cast<unsigned char**>(user),
                                              reinterpret_cast<unsigned char**>(domain),
                                              reinterpret_cast<unsigned char**>(sid), false);
}

bool CBrelmoxLib::GetUserNameAndDomainNameAndSidW(unsigned short** user, unsigned short** domain,
                                                  unsigned short** sid) {
    return GetUserNameAndDomainNameAndSidMain(reinterpret_cast<unsigned char**>(user),
                                              reinterpret_cast<unsigned char**>(domain),
                                              reinterpret_cast<unsigned char**>(sid), true);
}

bool CBrelmoxLib::GetComputerNameMain(unsigned char** name, bool wide) {
    return wide ? ComputerName<WideNameCalls>(As<unsigned short>(name))
                : ComputerName<AnsiNameCalls>(name);
}

bool CBrelmoxLib::GetUserNameMain(unsigned char** name, bool wide) {
    return wide ? UserName<WideNameCalls>(As<unsigned short>(name)) : UserName<AnsiNameCalls>(name);
}

bool CBrelmoxLib::GetUserNameAndDomainNameAndSidMain(unsigned char** user, unsigned char** domain,
                                                     unsigned char** sid, bool wide) {
    if (wide) {
        return AccountTriple<WideNameCalls>(As<unsigned short>(user), As<unsigned short>(domain),
                                            As<unsigned short>(sid));
    }
    return AccountTriple<AnsiNameCalls>(user, domain, sid);
}
