// The product name and the JSON report, one simulated machine per row.
#include <gtest/gtest.h>
#include <string.h>

#include <functional>
#include <string>

#include "CBrelmoxLib.h"
#include "owned_string.h"
#include "report_json.h"
#include "stand_in.h"

namespace {

using stand_in::Api;
using stand_in::Machine;
using stand_in::RegistryDword;
using stand_in::RegistryString;
using stand_in::RegistryValue;

class ProductName : public ::testing::Test {
protected:
    void SetUp() override { stand_in::Reset(); }
    void TearDown() override {
        stand_in::ClearFaults();
        EXPECT_EQ(stand_in::OpenRegistryKeys(), 0) << "the registry key must always be closed";
    }
};

// An NT machine whose every version query tells the truth; no registry yet.
void Nt(Machine& m, DWORD major, DWORD minor, DWORD build, BYTE product_type,
        const char* csd = "") {
    OSVERSIONINFOEXA& v = m.version;
    memset(&v, 0, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
    v.dwPlatformId = VER_PLATFORM_WIN32_NT;
    v.dwMajorVersion = major;
    v.dwMinorVersion = minor;
    v.dwBuildNumber = build;
    v.wProductType = product_type;
    v.wSuiteMask = VER_SUITE_SINGLEUSERTS;
    strncpy(v.szCSDVersion, csd, sizeof v.szCSDVersion - 1);
    m.current_version.clear();
    m.current_version[u"CurrentBuildNumber"] = RegistryString(ToU16(std::to_string(build)));
    m.kernel32_exports_get_product_info = major >= 6;
    m.kernel32_exports_is_wow64_process2 = major >= 10;
}

// A 32-bit process on 64-bit Windows, whose 32-bit registry view copies the 64-bit one.
void Wow64OnX64(Machine& m) {
    m.is_wow64 = TRUE;
    m.native_machine = IMAGE_FILE_MACHINE_AMD64;
    m.native_processor_architecture = PROCESSOR_ARCHITECTURE_AMD64;
    m.current_version_wow64 = m.current_version;
}

void Set(Machine& m, const std::u16string& name, const std::u16string& value) {
    m.current_version[name] = RegistryString(value);
}

// A Windows 10 or 11 as its registry describes it.
void Modern(Machine& m, DWORD build, BYTE product_type, const char16_t* edition_id,
            const char16_t* display_version, DWORD ubr, const char16_t* installation_type) {
    Nt(m, 10, 0, build, product_type);
    if (edition_id != nullptr) {
        Set(m, u"EditionID", edition_id);
    }
    if (display_version != nullptr) {
        Set(m, u"DisplayVersion", display_version);
    }
    if (installation_type != nullptr) {
        Set(m, u"InstallationType", installation_type);
    }
    m.current_version[u"UBR"] = RegistryDword(ubr);
    Wow64OnX64(m);
}

std::string ProductNameA(CBrelmoxLib& lib) {
    NarrowString name;
    EXPECT_TRUE(lib.GetOSProductNameA(name.put()));
    return name.get() != nullptr ? name.get() : "(null)";
}

std::string ProductNameW(CBrelmoxLib& lib) {
    WideString name;
    EXPECT_TRUE(lib.GetOSProductNameW(name.put()));
    return ToAscii(ToU16(name.get()));
}

struct MachineRow {
    const char* name;
    std::function<void(Machine&)> shape;
    const char* expected;
};

void ExpectRows(const MachineRow* rows, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const MachineRow& row = rows[i];
        SCOPED_TRACE(row.name);
        stand_in::Reset();
        row.shape(stand_in::machine());
        CBrelmoxLib lib;
        EXPECT_EQ(ProductNameW(lib), row.expected);
        EXPECT_EQ(ProductNameA(lib), row.expected);
        EXPECT_EQ(stand_in::OpenRegistryKeys(), 0);
    }
}

TEST_F(ProductName, NamesEachMachine) {
    const MachineRow rows[] = {
        {"Windows 11 23H2, whose ProductName says Windows 10 Pro",
         [](Machine& m) {
             Modern(m, 22631, VER_NT_WORKSTATION, u"Professional", u"23H2", 4602, u"Client");
             Set(m, u"ProductName", u"Windows 10 Pro");
         },
         "Windows 11 Pro, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"Windows 11 24H2",
         [](Machine& m) {
             Modern(m, 26100, VER_NT_WORKSTATION, u"Professional", u"24H2", 2605, u"Client");
         },
         "Windows 11 Pro, version 24H2 (OS Build 26100.2605), 64-bit (x64)"},
        {"Server 2025 Server Core shares Windows 11 24H2's build",
         [](Machine& m) {
             Modern(m, 26100, VER_NT_SERVER, u"ServerDatacenter", u"24H2", 2605, u"Server Core");
         },
         "Windows Server 2025 Datacenter (Server Core), version 24H2 (OS Build 26100.2605), "
         "64-bit (x64)"},
        {"Server 2016",
         [](Machine& m) {
             Modern(m, 14393, VER_NT_SERVER, u"ServerStandard", nullptr, 7515, u"Server");
         },
         "Windows Server 2016 Standard, version 1607 (OS Build 14393.7515), 64-bit (x64)"},
        {"Server 2019",
         [](Machine& m) {
             Modern(m, 17763, VER_NT_SERVER, u"ServerDatacenter", nullptr, 6659, u"Server");
         },
         "Windows Server 2019 Datacenter, version 1809 (OS Build 17763.6659), 64-bit (x64)"},
        {"Server 2022",
         [](Machine& m) {
             Modern(m, 20348, VER_NT_SERVER, u"ServerStandard", u"21H2", 2849, u"Server");
         },
         "Windows Server 2022 Standard, version 21H2 (OS Build 20348.2849), 64-bit (x64)"},
        {"Server 2019 domain controller",
         [](Machine& m) {
             Modern(m, 17763, VER_NT_DOMAIN_CONTROLLER, u"ServerStandard", nullptr, 6659,
                    u"Server");
         },
         "Windows Server 2019 Standard, version 1809 (OS Build 17763.6659), 64-bit (x64)"},
        {"Enterprise multi-session reports a server's product type",
         [](Machine& m) {
             Modern(m, 22631, VER_NT_SERVER, u"ServerRdsh", u"23H2", 4602, u"Client");
         },
         "Windows 11 Enterprise multi-session, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"Enterprise LTSC 2019",
         [](Machine& m) {
             Modern(m, 17763, VER_NT_WORKSTATION, u"EnterpriseS", nullptr, 6659, u"Client");
         },
         "Windows 10 Enterprise LTSC 2019, version 1809 (OS Build 17763.6659), 64-bit (x64)"},
        {"Enterprise LTSB 2016",
         [](Machine& m) {
             Modern(m, 14393, VER_NT_WORKSTATION, u"EnterpriseS", nullptr, 7515, u"Client");
         },
         "Windows 10 Enterprise 2016 LTSB, version 1607 (OS Build 14393.7515), 64-bit (x64)"},
        {"Enterprise N LTSC 2021",
         [](Machine& m) {
             Modern(m, 19044, VER_NT_WORKSTATION, u"EnterpriseSN", u"21H2", 5247, u"Client");
         },
         "Windows 10 Enterprise N LTSC 2021, version 21H2 (OS Build 19044.5247), 64-bit (x64)"},
        {"IoT Enterprise LTSC 2024",
         [](Machine& m) {
             Modern(m, 26100, VER_NT_WORKSTATION, u"IoTEnterpriseS", u"24H2", 2605, u"Client");
         },
         "Windows 11 IoT Enterprise LTSC 2024, version 24H2 (OS Build 26100.2605), 64-bit (x64)"},
        {"a server build no year belongs to",
         [](Machine& m) {
             Modern(m, 25398, VER_NT_SERVER, u"ServerDatacenter", u"23H2", 1308, u"Server Core");
         },
         "Windows Server Datacenter (Server Core), version 23H2 (OS Build 25398.1308), 64-bit "
         "(x64)"},
        {"GetVersionEx caps at 6.2.9200, RtlGetVersion tells 10.0",
         [](Machine& m) {
             Modern(m, 19045, VER_NT_WORKSTATION, u"Professional", u"22H2", 5247, u"Client");
             m.true_version = m.version;
             m.version.dwMajorVersion = 6;
             m.version.dwMinorVersion = 2;
             m.version.dwBuildNumber = 9200;
         },
         "Windows 10 Pro, version 22H2 (OS Build 19045.5247), 64-bit (x64)"},
        {"the registry describes another build: GetProductInfo names the edition",
         [](Machine& m) {
             Modern(m, 19045, VER_NT_WORKSTATION, u"Enterprise", u"22H2", 5247, u"Client");
             m.version.dwBuildNumber = 22631;
             m.product_info = 0x30;
         },
         "Windows 11 Pro, version 23H2 (OS Build 22631), 64-bit (x64)"},
        {"a stale EditionID in WOW6432Node",
         [](Machine& m) {
             Modern(m, 22631, VER_NT_WORKSTATION, u"Enterprise", u"23H2", 4602, u"Client");
             m.current_version_wow64[u"EditionID"] = RegistryString(u"Professional");
             m.current_version_wow64[u"DisplayVersion"] = RegistryString(u"22H2");
         },
         "Windows 11 Enterprise, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"an x86 process on ARM64, told x64 by GetNativeSystemInfo",
         [](Machine& m) {
             Modern(m, 26100, VER_NT_WORKSTATION, u"Professional", u"24H2", 2605, u"Client");
             m.native_machine = IMAGE_FILE_MACHINE_ARM64;
         },
         "Windows 11 Pro, version 24H2 (OS Build 26100.2605), 64-bit (ARM64)"},
        {"an x64 process on ARM64",
         [](Machine& m) {
             Modern(m, 26100, VER_NT_WORKSTATION, u"Professional", u"24H2", 2605, u"Client");
             m.is_wow64 = FALSE;
             m.native_machine = IMAGE_FILE_MACHINE_ARM64;
         },
         "Windows 11 Pro, version 24H2 (OS Build 26100.2605), 64-bit (ARM64)"},
        {"without IsWow64Process2, GetNativeSystemInfo tells",
         [](Machine& m) {
             Nt(m, 6, 1, 7601, VER_NT_WORKSTATION, "Service Pack 1");
             Wow64OnX64(m);
             m.native_machine = IMAGE_FILE_MACHINE_UNKNOWN;
             m.product_info = 0x30;
         },
         "Windows 7 Professional, Service Pack 1 (OS Build 7601), 64-bit (x64)"},
        {"without GetNativeSystemInfo, GetSystemInfo tells",
         [](Machine& m) {
             Nt(m, 5, 0, 2195, VER_NT_WORKSTATION, "Service Pack 4");
             m.kernel32_exports_get_native_system_info = false;
             m.native_processor_architecture = PROCESSOR_ARCHITECTURE_AMD64;
         },
         "Windows 2000, Service Pack 4 (OS Build 2195), 32-bit (x86)"},
        {"Windows 98 Second Edition, without RtlGetVersion",
         [](Machine& m) {
             Nt(m, 4, 10, 67766446, 0, " A ");
             m.version.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
             m.ntdll_exports_rtl_get_version = false;
             m.kernel32_exports_get_native_system_info = false;
         },
         "Windows 98 Second Edition (OS Build 2222), 32-bit (x86)"},
        {"GetProductInfo's 0x1C names Windows 7's editions only",
         [](Machine& m) {
             Nt(m, 10, 0, 18362, VER_NT_WORKSTATION);
             m.current_version[u"CurrentBuildNumber"] = RegistryString(u"7601");
             m.product_info = 0x1C;
         },
         "Windows 10, version 1903 (OS Build 18362), 32-bit (x86)"},
        {"Windows XP SP3",
         [](Machine& m) { Nt(m, 5, 1, 2600, VER_NT_WORKSTATION, "Service Pack 3"); },
         "Windows XP, Service Pack 3 (OS Build 2600), 32-bit (x86)"},
        {"Windows XP x64 Edition",
         [](Machine& m) {
             Nt(m, 5, 2, 3790, VER_NT_WORKSTATION, "Service Pack 2");
             Wow64OnX64(m);
         },
         "Windows XP, Service Pack 2 (OS Build 3790), 64-bit (x64)"},
        {"Server 2003 R2",
         [](Machine& m) {
             Nt(m, 5, 2, 3790, VER_NT_SERVER, "Service Pack 2");
             m.metrics[SM_SERVERR2] = 1;
         },
         "Windows Server 2003 R2, Service Pack 2 (OS Build 3790), 32-bit (x86)"},
        {"Windows NT 4.0",
         [](Machine& m) { Nt(m, 4, 0, 1381, VER_NT_WORKSTATION, "Service Pack 6a"); },
         "Windows NT 4.0, Service Pack 6a (OS Build 1381), 32-bit (x86)"},
        {"Vista Home Premium from GetProductInfo",
         [](Machine& m) {
             Nt(m, 6, 0, 6002, VER_NT_WORKSTATION, "Service Pack 2");
             m.product_info = 0x03;
         },
         "Windows Vista Home Premium, Service Pack 2 (OS Build 6002), 32-bit (x86)"},
        {"Windows 8's Core edition has no word of its own",
         [](Machine& m) {
             Nt(m, 6, 2, 9200, VER_NT_WORKSTATION);
             Set(m, u"EditionID", u"Core");
         },
         "Windows 8 (OS Build 9200), 32-bit (x86)"},
        {"Windows 8.1 CoreN",
         [](Machine& m) {
             Nt(m, 6, 3, 9600, VER_NT_WORKSTATION);
             Set(m, u"EditionID", u"CoreN");
         },
         "Windows 8.1 N (OS Build 9600), 32-bit (x86)"},
        {"Server Core told by the EditionID alone",
         [](Machine& m) {
             Nt(m, 6, 1, 7601, VER_NT_SERVER, "Service Pack 1");
             Set(m, u"EditionID", u"ServerEnterpriseCor");
         },
         "Windows Server 2008 R2 Enterprise (Server Core), Service Pack 1 (OS Build 7601), "
         "32-bit (x86)"},
        {"Server Core told by GetProductInfo alone",
         [](Machine& m) {
             Nt(m, 6, 3, 9600, VER_NT_SERVER);
             m.product_info = 0x0C;
         },
         "Windows Server 2012 R2 Datacenter (Server Core) (OS Build 9600), 32-bit (x86)"},
        {"InstallationType outweighs a core product code",
         [](Machine& m) {
             Nt(m, 6, 3, 9600, VER_NT_SERVER);
             Set(m, u"InstallationType", u"Server");
             m.product_info = 0x0C;
         },
         "Windows Server 2012 R2 Datacenter (OS Build 9600), 32-bit (x86)"},
        {"a Windows 10 build the table lacks takes the ReleaseId",
         [](Machine& m) {
             Nt(m, 10, 0, 19999, VER_NT_WORKSTATION);
             Set(m, u"ReleaseId", u"2009");
             Set(m, u"EditionID", u"Education");
         },
         "Windows 10 Education, version 2009 (OS Build 19999), 32-bit (x86)"},
        {"a later NT", [](Machine& m) { Nt(m, 11, 2, 30000, VER_NT_WORKSTATION); },
         "Windows NT 11.2 (OS Build 30000), 32-bit (x86)"},
    };
    ExpectRows(rows, sizeof rows / sizeof rows[0]);
}

// Registry values are anyone's to write: what breaks a rule counts as absent,
// and nothing else changes.
TEST_F(ProductName, HostileRegistryValuesCountAsAbsent) {
    auto windows11 = [](Machine& m) {
        Modern(m, 22631, VER_NT_WORKSTATION, u"Professional", u"23H2", 4602, u"Client");
    };
    auto with = [windows11](const char16_t* name, RegistryValue value) {
        return [windows11, name, value](Machine& m) {
            windows11(m);
            m.current_version[name] = value;
        };
    };
    auto bytes = [](DWORD type, const std::u16string& text, size_t units) {
        RegistryValue value;
        value.type = type;
        const BYTE* data = reinterpret_cast<const BYTE*>(text.data());
        value.data.assign(data, data + units * sizeof(char16_t));
        return value;
    };
    const std::u16string thirty_two(32, u'A');
    const std::u16string long_text(32768, u'A');
    const MachineRow rows[] = {
        {"UBR as a string", with(u"UBR", RegistryString(u"4602")),
         "Windows 11 Pro, version 23H2 (OS Build 22631), 64-bit (x64)"},
        {"UBR of two bytes", with(u"UBR", bytes(REG_DWORD, u"x", 1)),
         "Windows 11 Pro, version 23H2 (OS Build 22631), 64-bit (x64)"},
        {"DisplayVersion as a DWORD", with(u"DisplayVersion", RegistryDword(0x23)),
         "Windows 11 Pro, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"EditionID without its terminator", with(u"EditionID", bytes(REG_SZ, u"Education", 9)),
         "Windows 11 Education, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"EditionID of an odd length",
         [windows11](Machine& m) {
             windows11(m);
             m.current_version[u"EditionID"] = RegistryString(u"Education");
             m.current_version[u"EditionID"].data.push_back('x');
         },
         "Windows 11, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"an empty EditionID", with(u"EditionID", RegistryString(u"")),
         "Windows 11, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"EditionID as REG_EXPAND_SZ", with(u"EditionID", bytes(REG_EXPAND_SZ, u"Education", 10)),
         "Windows 11, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"a DisplayVersion of 64 KiB", with(u"DisplayVersion", RegistryString(long_text)),
         "Windows 11 Pro, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"a DisplayVersion of 32 characters", with(u"DisplayVersion", RegistryString(thirty_two)),
         "Windows 11 Pro, version AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA (OS Build 22631.4602), "
         "64-bit (x64)"},
        {"a DisplayVersion of 33 characters",
         with(u"DisplayVersion", RegistryString(thirty_two + u"A")),
         "Windows 11 Pro, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"33 characters without a terminator",
         with(u"DisplayVersion", bytes(REG_SZ, thirty_two + u"A", 33)),
         "Windows 11 Pro, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"a DisplayVersion with punctuation", with(u"DisplayVersion", RegistryString(u"23H2\")")),
         "Windows 11 Pro, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"a line break in the EditionID", with(u"EditionID", RegistryString(u"Pro\r\nfessional")),
         "Windows 11, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"a letter outside ASCII", with(u"EditionID", RegistryString(u"Educ\u00e4tion")),
         "Windows 11, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"a zero inside the text",
         with(u"EditionID", bytes(REG_SZ, std::u16string(u"Pro\0x", 5), 5)),
         "Windows 11, version 23H2 (OS Build 22631.4602), 64-bit (x64)"},
        {"CurrentBuildNumber not a number", with(u"CurrentBuildNumber", RegistryString(u"22631a")),
         "Windows 11, version 23H2 (OS Build 22631), 64-bit (x64)"},
        {"CurrentBuildNumber as a DWORD", with(u"CurrentBuildNumber", RegistryDword(22631)),
         "Windows 11, version 23H2 (OS Build 22631), 64-bit (x64)"},
        {"the key missing",
         [windows11](Machine& m) {
             windows11(m);
             m.current_version_error = ERROR_FILE_NOT_FOUND;
         },
         "Windows 11, version 23H2 (OS Build 22631), 64-bit (x64)"},
        {"access denied",
         [windows11](Machine& m) {
             windows11(m);
             m.current_version_error = ERROR_ACCESS_DENIED;
         },
         "Windows 11, version 23H2 (OS Build 22631), 64-bit (x64)"},
    };
    ExpectRows(rows, sizeof rows / sizeof rows[0]);
}

TEST_F(ProductName, RefusesAMissingOutputAndFailsWithoutAVersion) {
    CBrelmoxLib lib;
    EXPECT_FALSE(lib.GetOSProductNameA(nullptr));
    EXPECT_FALSE(lib.GetOSProductNameW(nullptr));
    EXPECT_FALSE(lib.GetReportJsonW(nullptr));
    stand_in::machine().ntdll_exports_rtl_get_version = false;
    stand_in::FailCall(Api::kGetVersionExA);
    char sentinel[] = "caller's";
    char* name = sentinel;
    EXPECT_FALSE(lib.GetOSProductNameA(&name));
    EXPECT_EQ(name, nullptr);
}

TEST(ReportJson, EscapesEveryStringAndReplacesLoneSurrogates) {
    struct Case {
        const char* name;
        std::u16string text;
        std::u16string json;
    } const cases[] = {
        {"plain", u"Windows", u"\"Windows\""},
        {"quote and backslash", u"a\"b\\c", u"\"a\\\"b\\\\c\""},
        {"line breaks and tab", u"\r\n\t", u"\"\\r\\n\\t\""},
        {"other controls", std::u16string(u"\x01\x1f\b\f\0", 5),
         u"\"\\u0001\\u001f\\b\\f\\u0000\""},
        {"a character outside the BMP", u"\U0001F600", u"\"\U0001F600\""},
        {"a lone high surrogate",
         u"a\xD83D"
         u"b",
         u"\"a\xFFFD"
         u"b\""},
        {"a lone low surrogate", u"\xDE00", u"\"\xFFFD\""},
        {"a high surrogate at the end", u"a\xD83D", u"\"a\xFFFD\""},
        {"two high surrogates and a low", u"\xD83D\xD83D\xDE00", u"\"\xFFFD\U0001F600\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        brelmox::WideText json;
        brelmox::AppendJsonString(reinterpret_cast<const unsigned short*>(c.text.data()),
                                  c.text.size(), json);
        ASSERT_FALSE(json.failed());
        EXPECT_EQ(ToU16(json.c_str()), c.json);
    }
}

std::string ReportJson(CBrelmoxLib& lib) {
    WideString json;
    EXPECT_TRUE(lib.GetReportJsonW(json.put()));
    return ToAscii(ToU16(json.get()));
}

// Each row's lines must appear in the report as they stand.
TEST_F(ProductName, ReportJsonHoldsTheFactsAndNullForWhatFailed) {
    struct Case {
        const char* name;
        std::function<void(Machine&)> shape;
        std::vector<std::string> lines;
    } const cases[] = {
        {"a typical XP machine",
         [](Machine&) {},
         {"\"format_version\": 1,",
          "\"product_name\": \"Windows XP, Service Pack 2 (OS Build 2600), 32-bit (x86)\",",
          "\"family\": \"Windows XP\",",
          "\"edition\": null,",
          "\"edition_id\": null,",
          "\"product_code\": null,",
          "\"version\": null,",
          "\"major\": 5,",
          "\"build\": 2600,",
          "\"ubr\": null,",
          "\"platform_id\": 2,",
          "\"product_type\": 1,",
          "\"suite_mask\": 256,",
          "\"service_pack\": \"Service Pack 2\",",
          "\"server_core\": false,",
          "\"architecture\": \"x86\",",
          "\"wow64\": false,",
          "\"text\": \"Microsoft WindowsNT ver.5.1.2600 Service Pack 2\\r\\nMS-WindowsXP "
          "Professional Edition\\r\\nRunning on Native Win32",
          "\"boot\": \"normal\",",
          "\"dbcs\": false,",
          "\"mouse\": true,",
          "\"network\": true,",
          "\"screen_width\": 1024,",
          "\"mouse_buttons\": 3,",
          "\"text\": \"Normal Boot\\r\\nuser.exe no Debug Version\\r\\nConnectting Mouse\\r\\n",
          "\"MS-Windows2000 Datacenter Server \",",
          "\"MS-WindowsCE\"\n",
          "\"computer_name\": \"WORKSTATION7\",",
          "\"user_name\": \"alice\",",
          "\"name\": \"alice\",",
          "\"domain\": \"WORKSTATION7\",",
          "\"sid\": \"sid=S-1-5-21-100-200-300-1004\"\n"}},
        {"Server 2025 Server Core under WOW64",
         [](Machine& m) {
             Modern(m, 26100, VER_NT_SERVER, u"ServerDatacenter", u"24H2", 2605, u"Server Core");
             m.product_info = 0x08;
         },
         {"\"family\": \"Windows Server 2025\",", "\"edition\": \"Datacenter\",",
          "\"edition_id\": \"ServerDatacenter\",", "\"product_code\": 8,", "\"version\": \"24H2\",",
          "\"ubr\": 2605,", "\"server_core\": true,", "\"architecture\": \"x64\",",
          "\"wow64\": true,", "\"service_pack\": \"\","}},
        {"names that could not be had",
         [](Machine&) {
             stand_in::FailCall(Api::kGetComputerNameW);
             stand_in::FailCall(Api::kOpenProcessToken);
         },
         {"\"computer_name\": null,", "\"name\": null,", "\"domain\": null,", "\"sid\": null\n"}},
        {"a name that needs escaping",
         [](Machine& m) { m.user_name = u"o\"brien\\\x01"; },
         {"\"user_name\": \"o\\\"brien\\\\\\u0001\","}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stand_in::Reset();
        c.shape(stand_in::machine());
        CBrelmoxLib lib;
        std::string json = ReportJson(lib);
        for (const std::string& line : c.lines) {
            EXPECT_NE(json.find(line), std::string::npos) << line << "\nin\n" << json;
        }
    }
}

TEST_F(ProductName, ReportJsonWithoutAnyVersionSaysNull) {
    stand_in::FailCall(Api::kGetVersionExA);
    stand_in::machine().ntdll_exports_rtl_get_version = false;
    CBrelmoxLib lib;
    std::string json = ReportJson(lib);
    for (const char* line : {"\"product_name\": null,", "\"family\": null,", "\"major\": null,",
                             "\"service_pack\": null,", "\"text\": null\n"}) {
        EXPECT_NE(json.find(line), std::string::npos) << line << "\nin\n" << json;
    }
}

}  // namespace
