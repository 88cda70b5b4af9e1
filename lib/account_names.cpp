// Who runs us and where: computer name, user name, and the account's domain and
// SID, each in narrow (ANSI code page) and wide (UTF-16) form.
#include "CBrelmoxLib.h"

#include "CPellwick.h"
#include "growing_text.h"
#include "scoped.h"

namespace brelmox {
namespace {

// Scratch room for a computer name: 15 characters and the terminator, in wide
// characters or, for double-byte code pages, in up to two bytes each.
constexpr unsigned long kComputerNameBytes = 32;
constexpr DWORD kComputerNameWideCapacity = kComputerNameBytes / sizeof(WCHAR);
constexpr DWORD kComputerNameNarrowCapacity = kComputerNameBytes;

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

// Builds the SID text in *text, one CPellwick call per piece. The output is the
// method's own from here on, so whatever the caller left there is not freed.
bool BuildSidText(CPellwick& pellwick, unsigned char** text, PSID sid, bool wide) {
    *text = nullptr;
    bool first = true;
    return ForEachSidPiece(sid, [&](const char* piece, size_t length) {
        long result;
        if (wide) {
            unsigned short units[kDecimalCapacity];
            for (size_t i = 0; i < length; ++i) {
                units[i] = static_cast<unsigned char>(piece[i]);
            }
            units[length] = 0;
            auto** target = reinterpret_cast<unsigned short**>(text);
            result =
                first ? pellwick.SmemStrCpyW(target, units) : pellwick.SmemAddCharW(target, units);
        } else {
            unsigned char bytes[kDecimalCapacity];
            memcpy(bytes, piece, length);
            bytes[length] = 0;
            result = first ? pellwick.SmemStrCpy(text, bytes)
                           : pellwick.SmemAddChar(text, strlen(reinterpret_cast<char*>(*text)),
                                                  bytes, static_cast<unsigned long>(length));
        }
        first = false;
        return result >= 0;
    });
}

// Copies a zero-terminated name from scratch into the caller's new string.
bool CopyName(CPellwick& pellwick, unsigned char** target, unsigned char* name, bool wide) {
    long result = wide ? pellwick.SmemStrCpyW(reinterpret_cast<unsigned short**>(target),
                                              reinterpret_cast<unsigned short*>(name))
                       : pellwick.SmemStrCpy(target, name);
    return result >= 0;
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
    CPellwick pellwick;
    PellwickString<unsigned char> scratch(pellwick);
    if (pellwick.Smalloc(scratch.put(), kComputerNameBytes) < 0) {
        return false;
    }
    BOOL found;
    if (wide) {
        DWORD capacity = kComputerNameWideCapacity;
        found = ::GetComputerNameW(reinterpret_cast<WCHAR*>(scratch.get()), &capacity);
    } else {
        DWORD capacity = kComputerNameNarrowCapacity;
        found = ::GetComputerNameA(reinterpret_cast<char*>(scratch.get()), &capacity);
    }
    return found && CopyName(pellwick, name, scratch.get(), wide);
}

bool CBrelmoxLib::GetUserNameMain(unsigned char** name, bool wide) {
    CPellwick pellwick;
    DWORD length = 0;
    if (wide) {
        ::GetUserNameW(nullptr, &length);
    } else {
        ::GetUserNameA(nullptr, &length);
    }
    // Room for `length` wide characters and a terminator, whatever the width.
    if (length > (0xFFFFFFFFul - 2) / 2) {
        return false;
    }
    PellwickString<unsigned char> scratch(pellwick);
    if (pellwick.Smalloc(scratch.put(), 2 * length + 2) < 0) {
        return false;
    }
    BOOL found = wide ? ::GetUserNameW(reinterpret_cast<WCHAR*>(scratch.get()), &length)
                      : ::GetUserNameA(reinterpret_cast<char*>(scratch.get()), &length);
    return found && CopyName(pellwick, name, scratch.get(), wide);
}

bool CBrelmoxLib::GetUserNameAndDomainNameAndSidMain(unsigned char** user, unsigned char** domain,
                                                     unsigned char** sid, bool wide) {
    CPellwick pellwick;
    ScopedHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_READ, token.put())) {
        return false;
    }

    DWORD record_size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &record_size);
    HeapPtr<TOKEN_USER> record(static_cast<TOKEN_USER*>(malloc(record_size)));
    if (!record ||
        !GetTokenInformation(token.get(), TokenUser, record.get(), record_size, &record_size)) {
        return false;
    }
    PSID account = record->User.Sid;

    if (!BuildSidText(pellwick, sid, account, wide)) {
        pellwick.Sfree(sid);
        return false;
    }

    *user = nullptr;
    *domain = nullptr;
    DWORD user_length = 0;
    DWORD domain_length = 0;
    SID_NAME_USE use;
    if (wide) {
        LookupAccountSidW(nullptr, account, nullptr, &user_length, nullptr, &domain_length, &use);
    } else {
        LookupAccountSidA(nullptr, account, nullptr, &user_length, nullptr, &domain_length, &use);
    }
    const unsigned long unit = wide ? sizeof(WCHAR) : 1;
    if (pellwick.Smalloc(user, user_length * unit) < 0) {
        pellwick.Sfree(sid);
        return false;
    }
    if (pellwick.Smalloc(domain, domain_length * unit) < 0) {
        pellwick.Sfree(user);
        pellwick.Sfree(sid);
        return false;
    }
    BOOL found =
        wide ? LookupAccountSidW(nullptr, account, reinterpret_cast<WCHAR*>(*user), &user_length,
                                 reinterpret_cast<WCHAR*>(*domain), &domain_length, &use)
             : LookupAccountSidA(nullptr, account, reinterpret_cast<char*>(*user), &user_length,
                                 reinterpret_cast<char*>(*domain), &domain_length, &use);
    if (!found) {
        pellwick.Sfree(user);
        pellwick.Sfree(domain);
        pellwick.Sfree(sid);
        return false;
    }
    return true;
}
