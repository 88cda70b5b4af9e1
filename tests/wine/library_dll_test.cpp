// BrelmoxLib.dll and Pellwick.dll as built: shared heap, exported members
// reached by their exported names, version resources.
#include <gtest/gtest.h>
#include <malloc.h>
#include <windows.h>

#include <string>

#include "CBrelmoxLib.h"
#include "CPellwick.h"
#include "owned_string.h"

namespace {

HMODULE BrelmoxLibModule() {
    return GetModuleHandleA("BrelmoxLib.dll");
}

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length);
}

TEST(SharedHeap, BlocksCrossBetweenTheDlls) {
    CPellwick pellwick;
    {
        // A text BrelmoxLib.dll allocated, released by Pellwick.dll.
        CBrelmoxLib lib;
        ASSERT_NE(lib.m_pOSEtcInfo, nullptr);
        pellwick.Sfree(reinterpret_cast<unsigned char**>(&lib.m_pOSEtcInfo));
        // A text Pellwick.dll allocated, released by BrelmoxLib.dll's destructor.
        unsigned char text[] = "made by Pellwick";
        ASSERT_GE(pellwick.SmemStrCpy(reinterpret_cast<unsigned char**>(&lib.m_pOSEtcInfo), text),
                  0);
    }
    // And one from each released here, by the program's own runtime.
    CBrelmoxLib lib;
    NarrowString name;
    ASSERT_TRUE(lib.GetComputerNameA(name.put()));
    EXPECT_EQ(_heapchk(), _HEAPOK);
}

// Private members are exported too; call two through their exported names.
typedef void(__thiscall* AddDebugStringDWORDFunction)(CBrelmoxLib*, char*, char*, unsigned long);
typedef void(__thiscall* GetSuiteMaskStrFunction)(CBrelmoxLib*, char*, unsigned long, unsigned long,
                                                  unsigned long);

TEST(ExportedMembers, AddDebugStringDWORDWritesTheValueAsSigned) {
    auto add = reinterpret_cast<AddDebugStringDWORDFunction>(reinterpret_cast<void*>(
        GetProcAddress(BrelmoxLibModule(), "_ZN11CBrelmoxLib19AddDebugStringDWORDEPcS0_m")));
    ASSERT_NE(add, nullptr);
    CBrelmoxLib lib;
    char text[64] = "start,";
    char label[] = "PlatformId=";
    add(&lib, text, label, 4294967295ul);
    add(&lib, text, label, 2);
    EXPECT_STREQ(text, "start,PlatformId=-1,PlatformId=2,");
}

TEST(ExportedMembers, GetSuiteMaskStrListsAllThirteenSuites) {
    auto describe = reinterpret_cast<GetSuiteMaskStrFunction>(reinterpret_cast<void*>(
        GetProcAddress(BrelmoxLibModule(), "_ZN11CBrelmoxLib15GetSuiteMaskStrEPcmmm")));
    ASSERT_NE(describe, nullptr);
    CBrelmoxLib lib;
    char text[512] = "";
    describe(&lib, text, 0xFFFF, 5, 1);
    EXPECT_EQ(strlen(text), 327u);
    EXPECT_EQ(std::string(text, 13), "\r\nwSuiteMask=");
}

struct VersionCase {
    const wchar_t* file;  // next to BrelmoxLib.dll
    const wchar_t* name;  // FileDescription, InternalName and ProductName
    DWORD file_type;
    DWORD file_os;
};

TEST(VersionResource, DeliverablesCarryTheirVersionBlocks) {
    const VersionCase cases[] = {
        {L"BrelmoxLib.dll", L"BrelmoxLib", VFT_DLL, VOS__WINDOWS32},
        {L"Brelmox.exe", L"Brelmox", VFT_APP, VOS_NT_WINDOWS32},
    };
    std::wstring library = ModulePath(BrelmoxLibModule());
    std::wstring folder = library.substr(0, library.rfind(L'\\') + 1);
    for (const VersionCase& c : cases) {
        std::wstring path = folder + c.file;
        SCOPED_TRACE(std::string(path.begin(), path.end()));

        CPellwick pellwick;
        WideString version;
        ASSERT_GE(pellwick.getFileVersionStringW(
                      reinterpret_cast<unsigned short*>(const_cast<wchar_t*>(path.c_str())),
                      version.put()),
                  0);
        EXPECT_EQ(ToU16(version.get()), ToU16(std::string(BRELMOX_VERSION)));

        DWORD ignored;
        DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u);
        std::string block(size, '\0');
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, &block[0]));
        const std::pair<const wchar_t*, std::wstring> strings[] = {
            {L"FileVersion", L"" BRELMOX_VERSION_COMMAS},
            {L"ProductVersion", L"" BRELMOX_VERSION_COMMAS},
            {L"FileDescription", c.name},
            {L"InternalName", c.name},
            {L"ProductName", c.name},
            {L"OriginalFilename", c.file},
        };
        for (const auto& entry : strings) {
            std::wstring query = std::wstring(L"\\StringFileInfo\\041104b0\\") + entry.first;
            void* value = nullptr;
            UINT length = 0;
            ASSERT_TRUE(VerQueryValueW(&block[0], query.c_str(), &value, &length));
            EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), entry.second);
        }
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(&block[0], L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileType, c.file_type);
        EXPECT_EQ(fixed->dwFileOS, c.file_os);
    }
}

}  // namespace
