// The resources built into BrelmoxCOM.dll: registration script, type library,
// string table and version block, all in Japanese (0x0411).
#include <string>
#include <vector>

#include "com_test_support.h"

namespace comtest {
namespace {

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

class ResourcesTest : public ::testing::Test {
protected:
    std::string ResourceBytes(const wchar_t* type, WORD id) {
        HRSRC found = FindResourceExW(server_.module(), type, MAKEINTRESOURCEW(id), kJapanese);
        if (found == nullptr) {
            return std::string();
        }
        auto* bytes = static_cast<const char*>(LockResource(LoadResource(server_.module(), found)));
        return std::string(bytes, SizeofResource(server_.module(), found));
    }

    ServerLibrary server_;
};

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

TEST_F(ResourcesTest, EveryResourceIsJapanese) {
    const struct {
        const char* name;
        const wchar_t* type;
        WORD id;
    } kResources[] = {
        {"class registration script", L"REGISTRY", 101},
        {"neutral-locale registration script", L"REGISTRY", 102},
        {"type library", L"TYPELIB", 1},
        {"string table block of 100", MAKEINTRESOURCEW(6), 100 / 16 + 1},
        {"version", MAKEINTRESOURCEW(16), 1},
    };
    for (const auto& resource : kResources) {
        SCOPED_TRACE(resource.name);
        std::vector<WORD> languages;
        EnumResourceLanguagesW(server_.module(), resource.type, MAKEINTRESOURCEW(resource.id),
                               AddLanguage, reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, std::vector<WORD>{kJapanese});
    }
}

std::string NarrowGuid(REFGUID guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return std::string(text, text + lstrlenW(text));
}

// A script as the registrar reads it: its words, whatever the layout.
std::string Words(const std::string& script) {
    std::string words;
    bool blank = false;
    for (char c : script) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = !words.empty();
            continue;
        }
        if (blank) {
            words += ' ';
            blank = false;
        }
        words += c;
    }
    return words;
}

// Whole for the registrar, whatever their layout: one HKCR block each, every
// brace and quote closed. What they write is checked in the registry itself
// (com.registry.registered, robustness.registration_paths).
TEST_F(ResourcesTest, RegistrationScriptsAreWholeForTheRegistrar) {
    for (WORD id : {101, 102}) {
        SCOPED_TRACE(id);
        std::string script = Words(ResourceBytes(L"REGISTRY", id));
        ASSERT_EQ(script.rfind("HKCR {", 0), 0u);
        int depth = 0;
        bool quoted = false;
        for (char c : script) {
            if (c == '\'') {
                quoted = !quoted;
            } else if (!quoted && c == '{') {
                ++depth;
            } else if (!quoted && c == '}') {
                ASSERT_GT(depth, 0);
                --depth;
            }
        }
        EXPECT_FALSE(quoted);
        EXPECT_EQ(depth, 0);
        EXPECT_EQ(script.back(), '}');
    }
}

TEST_F(ResourcesTest, RegistrationScriptNamesTheIdlGuids) {
    std::string script = Words(ResourceBytes(L"REGISTRY", 101));
    EXPECT_NE(script.find("ForceRemove " + NarrowGuid(CLSID_Warpper) + " = s 'Warpper Class'"),
              std::string::npos);
    EXPECT_NE(script.find("'TypeLib' = s '" + NarrowGuid(LIBID_BRELMOXCOMLib) + "'"),
              std::string::npos);
}

// The module's path comes quoted for the script from the server itself.
TEST_F(ResourcesTest, RegistrationScriptTakesTheQuotedModulePath) {
    std::string script = ResourceBytes(L"REGISTRY", 101);
    EXPECT_NE(script.find("InprocServer32 = s '%MODULE_QUOTED%'"), std::string::npos);
    EXPECT_EQ(script.find("'%MODULE%'"), std::string::npos);
}

TEST_F(ResourcesTest, RegistrationScriptNamesTheDllSurrogate) {
    std::string script = Words(ResourceBytes(L"REGISTRY", 101));
    EXPECT_NE(script.find("NoRemove AppID { ForceRemove " + NarrowGuid(CLSID_Warpper) +
                          " = s 'Warpper Class' { val DllSurrogate = s ''"),
              std::string::npos);
    EXPECT_NE(script.find("val AppID = s '" + NarrowGuid(CLSID_Warpper) + "'"), std::string::npos);
}

// For the type-library marshaler, which asks for the neutral locale. The entry
// has a script of its own: the class's script is run only for the class's keys.
// Only this platform's entry is replaced; the other platform's stays.
TEST_F(ResourcesTest, RegistrationScriptRegistersTheTypeLibraryUnderTheNeutralLocale) {
    EXPECT_EQ(ResourceBytes(L"REGISTRY", 101).find("NoRemove TypeLib"), std::string::npos);
    std::string script = Words(ResourceBytes(L"REGISTRY", 102));
    EXPECT_NE(script.find("NoRemove " + NarrowGuid(LIBID_BRELMOXCOMLib) +
                          " { NoRemove '1.0' { NoRemove '0' { ForceRemove '%PLATFORM%' = s "
                          "'%MODULE_QUOTED%'"),
              std::string::npos);
}

TEST_F(ResourcesTest, StringTableNamesTheProject) {
    wchar_t text[32] = L"";
    EXPECT_EQ(LoadStringW(server_.module(), 100, text, 32), 10);
    EXPECT_STREQ(text, L"BrelmoxCOM");
}

TEST_F(ResourcesTest, VersionBlock) {
    std::wstring path = server_.Path();
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, block.size(), block.data()));

    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &size));
    const auto& fixed = *static_cast<VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00000009u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0x00000009u);
    EXPECT_EQ(fixed.dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed.dwFileFlags, 0u);
    EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_DLL));

    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &size));
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(static_cast<WORD*>(value)[0], 0x0411);
    EXPECT_EQ(static_cast<WORD*>(value)[1], 0x04B0);

    const struct {
        const wchar_t* key;
        const wchar_t* text;
    } kStrings[] = {
        {L"Comments", L"Brelmox.dll 's wrapper"},
        {L"FileDescription", L"BrelmoxCOM Module"},
        {L"FileVersion", L"1, 0, 0, 9"},
        {L"InternalName", L"BrelmoxCOM"},
        {L"LegalTrademarks", L""},
        {L"OLESelfRegister", L""},
        {L"OriginalFilename", L"BrelmoxCOM.DLL"},
        {L"PrivateBuild", L""},
        {L"ProductName", L"BrelmoxCOM Module"},
        {L"ProductVersion", L"1, 0, 0, 9"},
        {L"SpecialBuild", L""},
    };
    for (const auto& entry : kStrings) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(entry.key)));
        std::wstring query = std::wstring(L"\\StringFileInfo\\041104b0\\") + entry.key;
        value = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), &value, &size));
        EXPECT_STREQ(static_cast<const wchar_t*>(value), entry.text);
    }
}

}  // namespace
}  // namespace comtest
