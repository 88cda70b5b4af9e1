// Reading HKEY_CLASSES_ROOT, for the tests that register and unregister the
// server and must find every key of it, and nothing else, or none.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "warpper_interface.h"

namespace robustness {

inline std::wstring GuidText(const GUID& guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

// The names of the subkeys of HKCR\`path` ("" for the root itself).
inline std::vector<std::wstring> Subkeys(const std::wstring& path) {
    std::vector<std::wstring> names;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return names;
    }
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

inline bool KeyExists(const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Every key below HKCR\`path`, as paths from HKCR.
inline void CollectKeys(const std::wstring& path, std::set<std::wstring>& keys) {
    for (const std::wstring& child : Subkeys(path)) {
        std::wstring child_path = path.empty() ? child : path + L"\\" + child;
        keys.insert(child_path);
        CollectKeys(child_path, keys);
    }
}

// The keys that registration owns; all present after it, none after removal.
inline std::vector<std::wstring> OwnedKeys() {
    return {L"BrelmoxCOM.Warpper",
            L"BrelmoxCOM.Warpper.1",
            L"CLSID\\" + GuidText(CLSID_Warpper),
            L"AppID\\" + GuidText(CLSID_Warpper),
            L"TypeLib\\" + GuidText(LIBID_BRELMOXCOMLib),
            L"Interface\\" + GuidText(IID_IWarpper)};
}

}  // namespace robustness
