// Hostile values in the registry's CurrentVersion key, which anyone with the
// rights may write: each must count exactly as absent (or, where only its form
// is odd, as the well-formed value), never crash or garble the product name.
// Runs in a prefix of its own, whose registry it changes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "CBrelmoxLib.h"

namespace {

const wchar_t kCurrentVersion[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

struct Value {
    DWORD type;
    std::vector<BYTE> bytes;
};

Value Text(const std::wstring& text, bool terminated = true) {
    const BYTE* data = reinterpret_cast<const BYTE*>(text.c_str());
    size_t size = (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t);
    return {REG_SZ, std::vector<BYTE>(data, data + size)};
}

Value Number(DWORD number) {
    const BYTE* data = reinterpret_cast<const BYTE*>(&number);
    return {REG_DWORD, std::vector<BYTE>(data, data + sizeof number)};
}

Value Raw(DWORD type, std::vector<BYTE> bytes) {
    return {type, bytes};
}

class RegistryValues : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCurrentVersion, 0,
                                KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, &key_),
                  ERROR_SUCCESS);
        // The key describes the running build, so the library believes it.
        typedef LONG(WINAPI * GetVersionFunction)(OSVERSIONINFOW*);
        auto get_version = reinterpret_cast<GetVersionFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
        ASSERT_NE(get_version, nullptr);
        OSVERSIONINFOW version = {};
        version.dwOSVersionInfoSize = sizeof version;
        ASSERT_EQ(get_version(&version), 0);
        ASSERT_EQ(version.dwMajorVersion, 10u) << "the test runs as Windows 10";
        build_ = std::to_wstring(version.dwBuildNumber);
    }
    void TearDown() override {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }

    void Set(const wchar_t* name, const Value& value) {
        ASSERT_EQ(RegSetValueExW(key_, name, 0, value.type, value.bytes.data(),
                                 static_cast<DWORD>(value.bytes.size())),
                  ERROR_SUCCESS);
    }
    void Remove(const wchar_t* name) { RegDeleteValueW(key_, name); }
    // A Windows 10 that names its edition, feature version and update revision.
    void DescribeWindows10() {
        Set(L"CurrentBuildNumber", Text(build_));
        Set(L"EditionID", Text(L"Professional"));
        Set(L"DisplayVersion", Text(L"23H2"));
        Set(L"UBR", Number(4602));
    }

    std::wstring ProductName() {
        CBrelmoxLib lib;
        unsigned short* name = nullptr;
        EXPECT_TRUE(lib.GetOSProductNameW(&name));
        std::wstring text = name != nullptr ? reinterpret_cast<wchar_t*>(name) : L"(null)";
        free(name);
        return text;
    }

    HKEY key_ = nullptr;
    std::wstring build_;
};

TEST_F(RegistryValues, HostileValuesCountAsAbsentOrAsTheirWellFormedSelves) {
    const std::wstring sixty_four_kib(32768, L'A');
    const std::wstring thirty_three(33, L'A');
    const struct Row {
        const char* name;
        const wchar_t* value;
        Value well_formed;  // a value that counts, and changes the name
        Value hostile;
        bool counts_as_well_formed;  // else as absent
    } rows[] = {
        {"UBR as a string", L"UBR", Number(4602), Text(L"4602"), false},
        {"UBR as binary bytes", L"UBR", Number(4602), Raw(REG_BINARY, {0xFA, 0x11, 0, 0}), false},
        {"UBR of two bytes", L"UBR", Number(4602), Raw(REG_DWORD, {0xFA, 0x11}), false},
        {"DisplayVersion as a DWORD", L"DisplayVersion", Text(L"23H2"), Number(0x2332), false},
        {"EditionID without its terminator", L"EditionID", Text(L"Education"),
         Text(L"Education", false), true},
        {"an empty EditionID", L"EditionID", Text(L"Education"), Text(L""), false},
        {"an EditionID of no bytes at all", L"EditionID", Text(L"Education"), Raw(REG_SZ, {}),
         false},
        {"EditionID of an odd length", L"EditionID", Text(L"Education"),
         Raw(REG_SZ, {'E', 0, 'd', 0, 'u'}), false},
        {"EditionID as REG_EXPAND_SZ", L"EditionID", Text(L"Education"),
         Raw(REG_EXPAND_SZ, Text(L"Education").bytes), false},
        {"a DisplayVersion of 64 KiB", L"DisplayVersion", Text(L"23H2"), Text(sixty_four_kib),
         false},
        {"a DisplayVersion of 33 characters", L"DisplayVersion", Text(L"23H2"), Text(thirty_three),
         false},
        {"a DisplayVersion that would break out of the name", L"DisplayVersion", Text(L"23H2"),
         Text(L"23H2), 64-bit (x64)"), false},
        {"a DisplayVersion with a line break", L"DisplayVersion", Text(L"23H2"), Text(L"23H2\r\nx"),
         false},
        {"a letter outside ASCII", L"EditionID", Text(L"Education"), Text(L"Educ\u00e4tion"),
         false},
        {"CurrentBuildNumber not a number", L"CurrentBuildNumber", Value(), Value(), false},
        {"CurrentBuildNumber as a DWORD", L"CurrentBuildNumber", Value(), Value(), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DescribeWindows10();
        Value well_formed = row.well_formed;
        Value hostile = row.hostile;
        if (std::wstring(row.value) == L"CurrentBuildNumber") {
            // Without a build that is the running one, nothing of the key counts.
            well_formed = Text(build_);
            hostile = std::string(row.name).find("DWORD") != std::string::npos
                          ? Number(std::stoul(build_))
                          : Text(build_ + L"x");
        }
        Set(row.value, well_formed);
        std::wstring with_value = ProductName();
        Remove(row.value);
        std::wstring without_value = ProductName();
        ASSERT_NE(with_value, without_value) << "the row checks nothing";
        Set(row.value, hostile);
        EXPECT_EQ(ProductName(), row.counts_as_well_formed ? with_value : without_value);
    }
}

}  // namespace
