// The OS text for every branch of the identification, from plain version records.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "report_texts.h"

namespace {

using brelmox::EditionMetrics;

constexpr DWORD kExtended = 156;
constexpr DWORD kBasic = 148;

struct Record {
    DWORD size = kExtended;
    DWORD platform = VER_PLATFORM_WIN32_NT;
    DWORD major = 5;
    DWORD minor = 1;
    DWORD build = 2600;
    const char* csd = "Service Pack 1";
    WORD sp_major = 1;
    WORD sp_minor = 0;
    WORD suite = 0;
    BYTE product = VER_NT_WORKSTATION;
};

OSVERSIONINFOEXA MakeRecord(const Record& r) {
    OSVERSIONINFOEXA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = r.size;
    version.dwMajorVersion = r.major;
    version.dwMinorVersion = r.minor;
    version.dwBuildNumber = r.build;
    version.dwPlatformId = r.platform;
    strncpy(version.szCSDVersion, r.csd, sizeof version.szCSDVersion);
    if (r.size == kExtended) {
        version.wServicePackMajor = r.sp_major;
        version.wServicePackMinor = r.sp_minor;
        version.wSuiteMask = r.suite;
        version.wProductType = r.product;
    }
    return version;
}

std::string OsText(const OSVERSIONINFOEXA& version, EditionMetrics editions = {},
                   bool wow64 = false) {
    brelmox::InlineText<64> text;  // small on purpose: the text must grow
    EXPECT_TRUE(brelmox::BuildOsText(version, editions, wow64, text));
    EXPECT_FALSE(text.failed());
    return text.c_str();
}

// The edition block: what follows the service-pack text up to the service-pack
// line of the extended record (or the debug trailer).
std::string EditionBlock(const std::string& os_text) {
    size_t start = os_text.find("\r\n");
    size_t end = os_text.find("\r\nService Pack ver.");
    if (end == std::string::npos) {
        end = os_text.find("\r\n\r\nDebugInfo=");
    }
    if (start == end) {
        return "";
    }
    return os_text.substr(start + 2, end - start - 2);
}

TEST(OsText, WholeTextForEachFamily) {
    struct Case {
        const char* name;
        Record record;
        const char* expected;
    } const cases[] = {
        {"XP Professional SP2",
         {kExtended, 2, 5, 1, 2600, "Service Pack 2", 2, 0, 0x0100, 1},
         "Microsoft WindowsNT ver.5.1.2600 Service Pack 2\r\n"
         "MS-WindowsXP Professional Edition\r\nRunning on Native Win32\r\n"
         "wSuiteMask=SingleUserTS Edition,\r\n"
         "Service Pack ver.2.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
         "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=5,dwMinorVersion=1,"
         "wProductType=1,wSuiteMask=256,\r\n"},
        {"Win32s",
         {kExtended, 0, 3, 10, 0, "Win32s 1.3", 0, 0, 0, 0},
         "Microsoft Windows3.1 with Win32 ver.3.10.0 Win32s 1.3\r\nService Pack ver.0.0 \r\n\r\n"
         "DebugInfo=getOSVERSIONINFOEX,PlatformId=0,\r\n"},
        {"CE through the basic query",
         {kBasic, 3, 4, 20, 1081, "", 0, 0, 0, 0},
         "Microsoft WindowsCE ver.4.20.1081 Service Pack 0\r\n\r\n"
         "DebugInfo=getOSVERSIONINFO,PlatformId=3,\r\n"},
        {"unknown platform",
         {kExtended, 0xFFFFFFFF, 1, 2, 3, "x", 0, 0, 0, 0},
         "Microsoft Windowsunknown ver.1.2.3 x\r\nService Pack ver.0.0 \r\n\r\n"
         "DebugInfo=getOSVERSIONINFOEX,PlatformId=-1,\r\n"},
        {"Windows 95 through the basic query, build with its high word",
         {kBasic, 1, 4, 0, 67109814, "", 0, 0, 0, 0},
         "Microsoft Windows9x ver.4.0.67109814 Service Pack 0\r\nMS-Windows95 SP0\r\n\r\n"
         "DebugInfo=getOSVERSIONINFO,PlatformId=1,dwMajorVersion=4,dwMinorVersion=0,"
         "szCSDVersion=,\r\n"},
        {"Windows 98 with a blank service-pack text",
         {kExtended, 1, 4, 10, 67766446, " A ", 0, 0, 0, 0},
         "Microsoft Windows9x ver.4.10.67766446  A \r\nMS-Windows98\r\nService Pack ver.0.0 \r\n"
         "\r\nDebugInfo=getOSVERSIONINFOEX,PlatformId=1,dwMajorVersion=4,dwMinorVersion=10,"
         "szCSDVersion= A ,\r\n"},
        {"NT 3.51 through the basic query",
         {kBasic, 2, 3, 51, 1057, "Service Pack 5", 0, 0, 0, 0},
         "Microsoft WindowsNT ver.3.51.1057 Service Pack 5\r\nMS-WindowsNT\r\n\r\n"
         "DebugInfo=getOSVERSIONINFO,PlatformId=2,dwMajorVersion=3,dwMinorVersion=51,"
         "wProductType=0,wSuiteMask=0,\r\n"},
        {"NT 4.0 Server with BackOffice",
         {kExtended, 2, 4, 0, 1381, "Service Pack 6a", 6, 0, 0x0004, 3},
         "Microsoft WindowsNT ver.4.0.1381 Service Pack 6a\r\n"
         "MS-WindowsNT Server\r\nwSuiteMask=BackOffice Componemt Installed,\r\n"
         "Service Pack ver.6.0 \r\nBackOffice installed\r\n\r\n"
         "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=4,dwMinorVersion=0,"
         "wProductType=3,wSuiteMask=4,\r\n"},
        {"a later 5.x without suites has no edition block",
         {kExtended, 2, 5, 3, 100, "", 0, 0, 0, 1},
         "Microsoft WindowsNT ver.5.3.100 Service Pack 0\r\nService Pack ver.0.0 \r\n\r\n"
         "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=5,dwMinorVersion=3,"
         "wProductType=1,wSuiteMask=0,\r\n"},
        {"a later 5.x with a suite",
         {kExtended, 2, 5, 3, 100, "", 0, 0, 0x0010, 1},
         "Microsoft WindowsNT ver.5.3.100 Service Pack 0\r\n"
         "\r\nwSuiteMask=Terminal Services is installed,\r\n"
         "Service Pack ver.0.0 \r\nTerminal Server installed\r\n\r\n"
         "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=5,dwMinorVersion=3,"
         "wProductType=1,wSuiteMask=16,\r\n"},
        {"Server 2003 for Small Business",
         {kExtended, 2, 5, 2, 3790, "Service Pack 2", 2, 1, 0x0001, 3},
         "Microsoft WindowsNT ver.5.2.3790 Service Pack 2\r\n"
         "MS-Windows Server 2003\r\nRunning on 32-bit Windows\r\nwSuiteMask=SMS once Installed,\r\n"
         "Service Pack ver.2.1 \r\nSBS Server installed once more\r\n\r\n"
         "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=5,dwMinorVersion=2,"
         "wProductType=3,wSuiteMask=1,\r\n"},
        {"Windows 10 as the version query reports it without a manifest",
         {kExtended, 2, 10, 0, 19045, "", 0, 0, 0x0100, 1},
         "Microsoft WindowsNT ver.10.0.19045 Service Pack 0\r\nunknown MS-WindowsNT Family\r\n"
         "Service Pack ver.0.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
         "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=10,dwMinorVersion=0,"
         "wProductType=1,wSuiteMask=256,\r\n"},
        {"large fields: unsigned in the text, signed in the trailer",
         {kExtended, 2, 7, 4294967295u, 4294967295u, "", 65535, 65535, 0xFFFF, 255},
         "Microsoft WindowsNT ver.7.4294967295.4294967295 Service Pack 0\r\n"
         "unknown MS-WindowsNT Family\r\nService Pack ver.65535.65535 \r\n\r\n"
         "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=7,dwMinorVersion=-1,"
         "wProductType=255,wSuiteMask=65535,\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OsText(MakeRecord(c.record)), c.expected);
    }
}

TEST(OsText, Windows9xReleaseFromMinorVersionAndFirstServicePackCharacter) {
    struct Case {
        DWORD major, minor;
        const char* csd;
        const char* edition;
    } const cases[] = {
        {4, 0, "", "MS-Windows95 SP0"},
        {4, 0, "a", "MS-Windows95 SP1"},
        {4, 0, "A", "MS-Windows95 SP0"},   // compared case-sensitively
        {4, 0, " C", "MS-Windows95 SP0"},  // only the first character counts
        {4, 0, "B", "MS-Windows95 OSR2/OSR2.1"},
        {4, 0, "C", "MS-Windows95 OSR2.5"},
        {4, 1, "A", "MS-Windows98 SE"},
        {4, 1, "", "MS-Windows98"},
        {4, 10, "A", "MS-Windows98 SE"},
        {4, 10, " A ", "MS-Windows98"},
        {4, 10, "a", "MS-Windows98"},
        {4, 90, " ", "MS-WindowsME"},
        {4, 90, "A", "MS-WindowsME"},
        {4, 3, "", "unknown MS-Windows9x Family"},
        {3, 95, "a", ""},
        {5, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor) + " '" + c.csd + "'");
        Record record;
        record.platform = VER_PLATFORM_WIN32_WINDOWS;
        record.major = c.major;
        record.minor = c.minor;
        record.csd = c.csd;
        EXPECT_EQ(EditionBlock(OsText(MakeRecord(record), {1, 1, 1, 1}, true)), c.edition);
    }
}

struct EditionCase {
    const char* name;
    DWORD major, minor;
    BYTE product;
    WORD suite;
    EditionMetrics editions;
    bool wow64;
    const char* edition;
};

void ExpectEditions(const EditionCase* cases, size_t count, DWORD record_size = kExtended) {
    for (size_t i = 0; i < count; ++i) {
        const EditionCase& c = cases[i];
        SCOPED_TRACE(c.name);
        Record record;
        record.size = record_size;
        record.major = c.major;
        record.minor = c.minor;
        record.product = c.product;
        record.suite = c.suite;
        EXPECT_EQ(EditionBlock(OsText(MakeRecord(record), c.editions, c.wow64)), c.edition);
    }
}

const EditionMetrics kNone = {0, 0, 0, 0};
const EditionMetrics kMediaCenter = {1, 0, 0, 0};
const EditionMetrics kStarter = {0, 1, 0, 0};
const EditionMetrics kTabletPc = {0, 0, 1, 0};
const EditionMetrics kAllXpMetrics = {1, 1, 1, 0};
const EditionMetrics kServerR2 = {0, 0, 0, 1};

TEST(OsText, WindowsNt4AndOlder) {
    const EditionCase cases[] = {
        {"workstation", 4, 0, 1, 0, kNone, true, "MS-WindowsNT Workstation"},
        {"domain controller", 4, 0, 2, 0, kNone, false, "MS-WindowsNT Server (Domain Controller)"},
        {"server", 3, 51, 3, 0, kNone, false, "MS-WindowsNT Server"},
        {"product type 0", 4, 0, 0, 0, kNone, false, "MS-WindowsNT unknown ProductType"},
        {"product type 9", 4, 0, 9, 0, kNone, false, "MS-WindowsNT unknown ProductType"},
        {"enterprise server", 4, 0, 3, 0x0002, kNone, false,
         "MS-WindowsNT Server\r\nwSuiteMask=Enterprise Edition,"},
    };
    ExpectEditions(cases, std::size(cases));

    const EditionCase basic[] = {
        {"basic record: no product type, no suites", 4, 0, 3, 0x0002, kNone, true, "MS-WindowsNT"},
    };
    ExpectEditions(basic, std::size(basic), kBasic);
}

TEST(OsText, Windows2000) {
    const EditionCase cases[] = {
        {"professional, no WOW line", 5, 0, 1, 0, kNone, true, "MS-Windows2000 Professional"},
        {"server", 5, 0, 3, 0, kNone, false, "MS-Windows2000 Server"},
        {"advanced server", 5, 0, 3, 0x0002, kNone, false,
         "MS-Windows2000 Advanced Server\r\nwSuiteMask=Enterprise Edition,"},
        {"datacenter server", 5, 0, 3, 0x0080, kNone, false,
         "MS-Windows2000 Datacenter Server\r\nwSuiteMask=Data Center Edition,"},
        {"advanced domain controller", 5, 0, 2, 0x0002, kNone, false,
         "MS-Windows2000 Advanced Server (Domain Controller)\r\nwSuiteMask=Enterprise Edition,"},
        {"mixed suites compare unequal", 5, 0, 2, 0x0082, kNone, false,
         "MS-Windows2000 Server (Domain Controller)\r\n"
         "wSuiteMask=Enterprise Edition,Data Center Edition,"},
        {"product type 0", 5, 0, 0, 0, kNone, false, "MS-Windows2000 unknown ProductType"},
        {"product type 4", 5, 0, 4, 0, kNone, false, "MS-Windows2000 unknown ProductType"},
    };
    ExpectEditions(cases, std::size(cases));
}

TEST(OsText, WindowsXp) {
    const EditionCase cases[] = {
        {"professional", 5, 1, 1, 0, kNone, false,
         "MS-WindowsXP Professional Edition\r\nRunning on Native Win32"},
        {"under WOW64", 5, 1, 1, 0, kNone, true,
         "MS-WindowsXP Professional Edition\r\nRunning on WOW64"},
        {"home", 5, 1, 1, 0x0200, kNone, false,
         "MS-WindowsXP Home Edition\r\nRunning on Native Win32\r\n"
         "wSuiteMask=Home Edition(Home Basic/Premium),"},
        {"personal with single-user TS is not home", 5, 1, 1, 0x0300, kNone, false,
         "MS-WindowsXP Professional Edition\r\nRunning on Native Win32\r\n"
         "wSuiteMask=Home Edition(Home Basic/Premium),SingleUserTS Edition,"},
        {"embedded", 5, 1, 1, 0x0040, kNone, false,
         "MS-WindowsXP Embedded Edition\r\nRunning on Native Win32\r\nwSuiteMask=Embedded "
         "Edition,"},
        {"home server", 5, 1, 1, 0x8000, kNone, false,
         "MS-WindowsXP Home Server Edition\r\nRunning on Native Win32\r\n"
         "wSuiteMask=Home Server Installed,"},
        {"media center home", 5, 1, 1, 0x0200, kMediaCenter, false,
         "MS-WindowsXP Media Center Edition & Home Edition\r\nRunning on Native Win32\r\n"
         "wSuiteMask=Home Edition(Home Basic/Premium),"},
        {"tablet PC alone", 5, 1, 1, 0, kTabletPc, false,
         "MS-WindowsXP Tablet PC Edition\r\nRunning on Native Win32"},
        {"starter embedded", 5, 1, 1, 0x0040, kStarter, false,
         "MS-WindowsXP Starter Edition & Embedded Edition\r\nRunning on Native Win32\r\n"
         "wSuiteMask=Embedded Edition,"},
        {"every metric at once", 5, 1, 1, 0, kAllXpMetrics, false,
         "MS-WindowsXP Media Center Edition Starter Edition Tablet PC Edition\r\n"
         "Running on Native Win32"},
        {"server R2 metric means nothing on XP", 5, 1, 1, 0, kServerR2, false,
         "MS-WindowsXP Professional Edition\r\nRunning on Native Win32"},
        {"not a workstation", 5, 1, 3, 0x0200, kNone, false,
         "MS-WindowsXP unknown ProductType\r\nRunning on Native Win32\r\n"
         "wSuiteMask=Home Edition(Home Basic/Premium),"},
        {"no domain controller word", 5, 1, 2, 0, kMediaCenter, true,
         "MS-WindowsXP Media Center Edition unknown ProductType\r\nRunning on WOW64"},
    };
    ExpectEditions(cases, std::size(cases));
}

TEST(OsText, WindowsServer2003) {
    const EditionCase cases[] = {
        {"standard", 5, 2, 3, 0, kNone, false,
         "MS-Windows Server 2003\r\nRunning on 32-bit Windows"},
        {"R2 enterprise", 5, 2, 3, 0x0002, kServerR2, false,
         "MS-Windows Server 2003 R2 Enterprise Edition\r\nRunning on 32-bit Windows\r\n"
         "wSuiteMask=Enterprise Edition,"},
        {"datacenter domain controller", 5, 2, 2, 0x0080, kNone, false,
         "MS-Windows Server 2003 Datacenter Edition (Domain Controller)\r\n"
         "Running on 32-bit Windows\r\nwSuiteMask=Data Center Edition,"},
        {"web", 5, 2, 3, 0x0400, kNone, false,
         "MS-Windows Server 2003 Web Edition\r\nRunning on 32-bit Windows\r\nwSuiteMask=Web "
         "Edition,"},
        {"storage", 5, 2, 3, 0x2000, kNone, false,
         "MS-Windows Server 2003 Storage Server Edition\r\nRunning on 32-bit Windows\r\n"
         "wSuiteMask=Storage Server Edition,"},
        {"compute cluster", 5, 2, 3, 0x4000, kNone, false,
         "MS-Windows Server 2003 Compute Cluster Edition\r\nRunning on 32-bit Windows\r\n"
         "wSuiteMask=Cluster Edition,"},
        {"home server", 5, 2, 3, 0x8000, kNone, true,
         "MS-Windows Server 2003 Home Server Edition\r\nRunning on WOW64\r\n"
         "wSuiteMask=Home Server Installed,"},
        {"enterprise with terminal services names no edition", 5, 2, 3, 0x0012, kNone, false,
         "MS-Windows Server 2003\r\nRunning on 32-bit Windows\r\n"
         "wSuiteMask=Enterprise Edition,Terminal Services is installed,"},
        {"XP x64 reports a workstation", 5, 2, 1, 0x0100, kNone, true,
         "MS-Windows Server 2003 unknown ProductType\r\nRunning on WOW64\r\n"
         "wSuiteMask=SingleUserTS Edition,"},
    };
    ExpectEditions(cases, std::size(cases));
}

TEST(OsText, WindowsVistaAndServer2008) {
    const EditionCase cases[] = {
        {"vista", 6, 0, 1, 0, kNone, false, "MS-Windows Vista\r\nRunning on 32-bit Windows"},
        {"vista home", 6, 0, 1, 0x0200, kNone, false,
         "MS-Windows Vista Home Premium/Basic\r\nRunning on 32-bit Windows\r\n"
         "wSuiteMask=Home Edition(Home Basic/Premium),"},
        {"vista under WOW64", 6, 0, 1, 0x0100, kNone, true,
         "MS-Windows Vista\r\nRunning on WOW64\r\nwSuiteMask=SingleUserTS Edition,"},
        {"server 2008 enterprise", 6, 0, 3, 0x0002, kNone, false,
         "MS-Windows Server 2008 Enterprise Edition\r\nRunning on 32-bit Windows\r\n"
         "wSuiteMask=Enterprise Edition,"},
        {"server 2008 domain controller", 6, 0, 2, 0, kNone, false,
         "MS-Windows Server 2008 (Domain Controller)\r\nRunning on 32-bit Windows"},
        {"product type 0", 6, 0, 0, 0, kNone, false,
         "unknown MS-Windows Vista/Server 2008\r\nRunning on 32-bit Windows"},
    };
    ExpectEditions(cases, std::size(cases));
}

TEST(OsText, LaterNtFamilies) {
    const EditionCase cases[] = {
        {"6.1", 6, 1, 1, 0, kNone, false,
         "unknown MS-WindowsNT Family\r\nRunning on 32-bit Windows"},
        {"6.1 server: no domain controller word", 6, 1, 2, 0x0100, kNone, true,
         "unknown MS-WindowsNT Family\r\nRunning on WOW64\r\nwSuiteMask=SingleUserTS Edition,"},
        {"6.3", 6, 3, 1, 0, kNone, false,
         "unknown MS-WindowsNT Family\r\nRunning on 32-bit Windows"},
        {"7.0: nothing more", 7, 0, 2, 0xFFFF, kAllXpMetrics, true, "unknown MS-WindowsNT Family"},
    };
    ExpectEditions(cases, std::size(cases));
}

TEST(OsText, InstalledSuiteLinesNeedTheExactMask) {
    struct Case {
        WORD suite;
        const char* line;
    } const cases[] = {
        {0x0004, "\r\nBackOffice installed"},
        {0x0100, "\r\nTerminal Server (Only 1Session Mode) installed"},
        {0x0010, "\r\nTerminal Server installed"},
        {0x0001, "\r\nSBS Server installed once more"},
        {0x0020, "\r\nSBS Server installed with Restrictive Client Lisence"},
        {0x0300, ""},
        {0x0014, ""},
        {0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.suite);
        Record record;
        record.suite = c.suite;
        std::string text = OsText(MakeRecord(record));
        size_t start = text.find("\r\nService Pack ver.1.0 ") + strlen("\r\nService Pack ver.1.0 ");
        size_t end = text.find("\r\n\r\nDebugInfo=");
        EXPECT_EQ(text.substr(start, end - start), c.line);
    }
}

TEST(OsText, ServicePackTextIsReadWithinItsField) {
    Record record;
    OSVERSIONINFOEXA version = MakeRecord(record);
    memset(version.szCSDVersion, 'x', sizeof version.szCSDVersion);  // no terminator
    std::string text = OsText(version);
    EXPECT_NE(text.find(" " + std::string(128, 'x') + "\r\n"), std::string::npos);
    EXPECT_EQ(text.find(std::string(129, 'x')), std::string::npos);

    record.platform = VER_PLATFORM_WIN32_WINDOWS;
    version = MakeRecord(record);
    memset(version.szCSDVersion, 'y', sizeof version.szCSDVersion);
    text = OsText(version);
    EXPECT_NE(text.find("szCSDVersion=" + std::string(128, 'y') + ",\r\n"), std::string::npos);
}

TEST(OsText, NothingWithoutAVersionRecord) {
    OSVERSIONINFOEXA empty;
    memset(&empty, 0, sizeof empty);
    brelmox::InlineText<16> text;
    EXPECT_FALSE(brelmox::BuildOsText(empty, {}, false, text));
    EXPECT_TRUE(text.empty());
}

TEST(OsText, LongestTextsGrowWithoutBeingCut) {
    Record record;
    record.platform = VER_PLATFORM_WIN32_NT;
    record.major = 5;
    record.minor = 1;
    record.suite = 0xFFFF;
    record.product = VER_NT_WORKSTATION;
    OSVERSIONINFOEXA version = MakeRecord(record);
    memset(version.szCSDVersion, 'z', sizeof version.szCSDVersion - 1);
    std::string text = OsText(version, kAllXpMetrics, true);
    EXPECT_NE(text.find("MS-WindowsXP Media Center Edition Starter Edition Tablet PC Edition\r\n"
                        "Running on WOW64\r\nwSuiteMask=Enterprise Edition,"),
              std::string::npos);
    EXPECT_NE(text.find("Home Server Installed,\r\nService Pack ver.1.0 \r\n\r\nDebugInfo="),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 19), "wSuiteMask=65535,\r\n");
}

}  // namespace

namespace {

// A 64-bit process's text is the 32-bit one's, but for its WOW line, which
// says "Running on 64-bit Windows" in every branch that has one; the other
// branches do not change.
TEST(OsText, A64BitProcessSaysSoWhereTheWowLineStands) {
    struct Case {
        DWORD major, minor;
        BYTE product;
        const char* native_line;  // the 32-bit process's WOW line, or null: none
    } const cases[] = {
        {4, 0, 1, nullptr},
        {5, 0, 3, nullptr},
        {5, 1, 1, "\r\nRunning on Native Win32"},
        {5, 2, 3, "\r\nRunning on 32-bit Windows"},
        {6, 0, 1, "\r\nRunning on 32-bit Windows"},
        {6, 1, 1, "\r\nRunning on 32-bit Windows"},
        {6, 3, 3, "\r\nRunning on 32-bit Windows"},
        {10, 0, 1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
        Record record;
        record.major = c.major;
        record.minor = c.minor;
        record.product = c.product;
        record.suite = 0x0100;
        OSVERSIONINFOEXA version = MakeRecord(record);
        for (bool wow64 : {false, true}) {
            std::string thirty_two = OsText(version, {}, wow64);
            brelmox::InlineText<64> text;
            ASSERT_TRUE(brelmox::BuildOsText(version, {}, wow64, text, brelmox::ProcessBits::k64));
            std::string sixty_four = text.c_str();
            if (c.native_line == nullptr) {
                EXPECT_EQ(sixty_four, thirty_two);
                continue;
            }
            std::string line = wow64 ? "\r\nRunning on WOW64" : c.native_line;
            size_t at = thirty_two.find(line);
            ASSERT_NE(at, std::string::npos);
            EXPECT_EQ(sixty_four,
                      thirty_two.replace(at, line.size(), "\r\nRunning on 64-bit Windows"));
        }
    }
}

}  // namespace
