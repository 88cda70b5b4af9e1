// The platform's name calls in one width each, with the CPellwick string
// operations of that width: the account code is written once, over these.
#pragma once

#include <windows.h>
#include <string.h>

#include "CPellwick.h"

namespace brelmox {

// UTF-16 names, straight from the platform's wide calls.
struct WideNameCalls {
    using Char = unsigned short;

    static BOOL GetComputerName(Char* buffer, DWORD* size) {
        return ::GetComputerNameW(reinterpret_cast<WCHAR*>(buffer), size);
    }
    static BOOL GetUserName(Char* buffer, DWORD* size) {
        return ::GetUserNameW(reinterpret_cast<WCHAR*>(buffer), size);
    }
    static BOOL LookupAccountSid(PSID sid, Char* name, DWORD* name_size, Char* domain,
                                 DWORD* domain_size) {
        SID_NAME_USE use;
        return ::LookupAccountSidW(nullptr, sid, reinterpret_cast<WCHAR*>(name), name_size,
                                   reinterpret_cast<WCHAR*>(domain), domain_size, &use);
    }
    static long Copy(CPellwick& pellwick, Char** target, Char* source) {
        return pellwick.SmemStrCpyW(target, source);
    }
    static long Append(CPellwick& pellwick, Char** target, Char* source, unsigned long) {
        return pellwick.SmemAddCharW(target, source);
    }
};

// Names in the ANSI code page: each is the wide call's result converted, with
// the sizes the narrow calls document (bytes; on success the computer name's
// and the account's without, the user name's with the terminator). The
// platform's own narrow calls are not used. wine-differs: with a double-byte
// code page GetUserNameA cuts the name and reports success, and
// LookupAccountSidA reports lengths in characters but writes every byte.
struct AnsiNameCalls {
    using Char = unsigned char;

    static BOOL GetComputerName(Char* buffer, DWORD* size);
    static BOOL GetUserName(Char* buffer, DWORD* size);
    static BOOL LookupAccountSid(PSID sid, Char* name, DWORD* name_size, Char* domain,
                                 DWORD* domain_size);
    static long Copy(CPellwick& pellwick, Char** target, Char* source) {
        return pellwick.SmemStrCpy(target, source);
    }
    static long Append(CPellwick& pellwick, Char** target, Char* source, unsigned long count) {
        return pellwick.SmemAddChar(
            target, static_cast<unsigned long>(strlen(reinterpret_cast<char*>(*target))), source,
            count);
    }
};

}  // namespace brelmox
