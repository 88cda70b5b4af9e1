// What Windows reports about the running account by means other than BrelmoxLib.
#pragma once

#include <windows.h>
#include <sddl.h>

#include <string>

namespace system_facts {

inline std::wstring Environment(const wchar_t* name) {
    wchar_t value[256];
    DWORD length = GetEnvironmentVariableW(name, value, 256);
    return std::wstring(value, length < 256 ? length : 0);
}

// The process token's SID in the system's own string form (S-1-...).
inline std::wstring TokenSidString() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return L"";
    }
    BYTE buffer[256];
    DWORD size = 0;
    std::wstring result;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)) {
        wchar_t* text = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
            result = text;
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return result;
}

// A wide text in the ANSI code page.
inline std::string Ansi(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) {
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], size, nullptr, nullptr);
    }
    return ansi;
}

}  // namespace system_facts
