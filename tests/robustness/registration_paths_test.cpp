// Registering the server from folders whose names the registration script's
// syntax treats specially, or that are merely unusual: each row is a folder
// and the outcome it must get. A registration either names the module
// exactly, with nothing stray, and unregisters completely, or it fails and
// leaves nothing.
//
// Runs in a prefix of its own, where nobody else registers the server.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "classes_registry.h"

namespace {

using robustness::CollectKeys;
using robustness::GuidText;
using robustness::KeyExists;
using robustness::OwnedKeys;
using robustness::Subkeys;

typedef HRESULT(STDAPICALLTYPE* ServerFunction)();

std::string Narrow(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

// The keys of the areas a COM server writes to: whole subtrees of our own, and
// the top-level names and class keys, where a cut script makes keys of its own.
std::set<std::wstring> Snapshot() {
    std::set<std::wstring> keys;
    for (const std::wstring& area : OwnedKeys()) {
        if (KeyExists(area)) {
            keys.insert(area);
            CollectKeys(area, keys);
        }
    }
    for (const wchar_t* area : {L"", L"CLSID", L"AppID"}) {
        for (const std::wstring& name : Subkeys(area)) {
            keys.insert(std::wstring(area) + L"|" + name);
        }
    }
    return keys;
}

std::wstring StringValue(const std::wstring& path, const wchar_t* name) {
    wchar_t data[2048] = L"";
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return L"<no key>";
    }
    LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? data : L"<no value>";
}

// The class key's subkeys that registration makes, and nothing else.
const std::set<std::wstring> kClassSubkeys = {L"InprocServer32", L"ProgID", L"Programmable",
                                              L"TypeLib", L"VersionIndependentProgID"};

std::set<std::wstring> ClassSubkeys() {
    std::vector<std::wstring> names = Subkeys(L"CLSID\\" + GuidText(CLSID_Warpper));
    return std::set<std::wstring>(names.begin(), names.end());
}

// The folder of the server that the test program finds on its path.
std::wstring BuiltServerFolder() {
    wchar_t path[MAX_PATH];
    wchar_t* file = nullptr;
    if (SearchPathW(nullptr, L"BrelmoxCOM.dll", nullptr, MAX_PATH, path, &file) == 0) {
        return std::wstring();
    }
    return std::wstring(path, file - path);
}

const wchar_t* const kServerFiles[] = {L"BrelmoxCOM.dll", L"BrelmoxLib.dll", L"Pellwick.dll"};

bool CopyServer(const std::wstring& from, const std::wstring& to) {
    for (const wchar_t* file : kServerFiles) {
        if (!CopyFileW((from + file).c_str(), (to + L"\\" + file).c_str(), FALSE)) {
            return false;
        }
    }
    return true;
}

void RemoveServer(const std::wstring& folder) {
    for (const wchar_t* file : kServerFiles) {
        DeleteFileW((folder + L"\\" + file).c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

enum Outcome { kRegisters, kFailsLeavingNothing };

// A folder whose server path is longer than MAX_PATH, which ATL.DLL's
// registrar cannot hand to the script whole.
#define TEN L"abcdefghi'"
const wchar_t kLongName[] =
    TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN;

TEST(RegistrationPaths, EveryFolderRegistersExactlyOrFailsCleanly) {
    const std::wstring built = BuiltServerFolder();
    ASSERT_FALSE(built.empty()) << "BrelmoxCOM.dll is not on the path";
    const std::wstring base = L"C:\\registration paths";
    CreateDirectoryW(base.c_str(), nullptr);
    const struct {
        const wchar_t* folder;
        Outcome outcome;
    } kCases[] = {
        {L"O'Brien", kRegisters},
        {L"''", kRegisters},
        {L"it's 100% done", kRegisters},
        {L"%MODULE%", kRegisters},
        {L"%MODULE_QUOTED%", kRegisters},
        {L"%", kRegisters},
        {L"{5C01C9BA-A36B-45D9-B589-877A9B959E36}", kRegisters},
        {L"}{", kRegisters},
        {L"a = s 'b' { val c = s 'd' }", kRegisters},
        {L"NoRemove ForceRemove Delete", kRegisters},
        {L"semi;colon,comma [brackets] #hash &amp @at", kRegisters},
        {L"J\u00FCrgen's files", kRegisters},
        {L"\u65E5\u672C\u8A9E\u306E\u30D5\u30A9\u30EB\u30C0", kRegisters},
        {L"trailing quote'", kRegisters},
        {L"  leading blanks", kRegisters},
        {kLongName, kFailsLeavingNothing},
    };
    const std::set<std::wstring> before = Snapshot();
    for (const auto& c : kCases) {
        std::wstring folder = base + L"\\" + c.folder;
        SCOPED_TRACE(Narrow(folder));
        CreateDirectoryW(folder.c_str(), nullptr);
        ASSERT_TRUE(CopyServer(built, folder));
        HMODULE server = LoadLibraryExW((folder + L"\\BrelmoxCOM.dll").c_str(), nullptr,
                                        LOAD_WITH_ALTERED_SEARCH_PATH);
        ASSERT_NE(server, nullptr);
        wchar_t module_path[MAX_PATH * 2];
        GetModuleFileNameW(server, module_path, MAX_PATH * 2);
        auto register_server = reinterpret_cast<ServerFunction>(
            reinterpret_cast<void*>(GetProcAddress(server, "DllRegisterServer")));
        auto unregister_server = reinterpret_cast<ServerFunction>(
            reinterpret_cast<void*>(GetProcAddress(server, "DllUnregisterServer")));

        HRESULT registered = register_server();
        if (c.outcome == kRegisters) {
            EXPECT_EQ(registered, S_OK);
            const std::wstring class_key = L"CLSID\\" + GuidText(CLSID_Warpper);
            EXPECT_EQ(StringValue(class_key + L"\\InprocServer32", nullptr), module_path);
            EXPECT_EQ(StringValue(class_key + L"\\InprocServer32", L"ThreadingModel"),
                      L"Apartment");
            EXPECT_EQ(ClassSubkeys(), kClassSubkeys) << "stray keys in the class key";
            const std::wstring library = L"TypeLib\\" + GuidText(LIBID_BRELMOXCOMLib) + L"\\1.0";
            EXPECT_EQ(StringValue(library + L"\\0\\win32", nullptr), module_path);
            EXPECT_EQ(StringValue(library + L"\\409\\win32", nullptr), module_path);
            EXPECT_EQ(unregister_server(), S_OK);
        } else {
            EXPECT_TRUE(FAILED(registered)) << std::hex << registered;
            unregister_server();
        }
        EXPECT_EQ(Snapshot(), before) << "keys left behind or taken away";
        FreeLibrary(server);
        RemoveServer(folder);
    }
    RemoveDirectoryW(base.c_str());
}

}  // namespace
