// The OS text and the machine facts under each Windows version Wine emulates.
//
//   os_identification_tests <version>   (the name given to Wine: win98, winxp64, ...)
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "CBrelmoxLib.h"

namespace {

std::string g_windows;  // the emulated version, from the command line

struct Expected {
    const char* windows;
    const char* os_name;
};

// What the identification must say for the version record and metrics Wine 8
// reports for each version (written out by hand, not computed).
const Expected kExpected[] = {
    {"win31",
     "Microsoft Windows3.1 with Win32 ver.3.10.0 Win32s 1.3\r\n"
     "Service Pack ver.0.0 \r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=0,\r\n"},
    {"win95",
     "Microsoft Windows9x ver.4.0.67109814 Service Pack 0\r\nMS-Windows95 SP0\r\n"
     "Service Pack ver.0.0 \r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=1,dwMajorVersion=4,dwMinorVersion=0,"
     "szCSDVersion=,\r\n"},
    {"win98",
     "Microsoft Windows9x ver.4.10.67766446  A \r\nMS-Windows98\r\n"
     "Service Pack ver.0.0 \r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=1,dwMajorVersion=4,dwMinorVersion=10,"
     "szCSDVersion= A ,\r\n"},
    {"winme",
     "Microsoft Windows9x ver.4.90.73010104  \r\nMS-WindowsME\r\n"
     "Service Pack ver.0.0 \r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=1,dwMajorVersion=4,dwMinorVersion=90,"
     "szCSDVersion= ,\r\n"},
    {"nt351",
     "Microsoft WindowsNT ver.3.51.1057 Service Pack 5\r\nMS-WindowsNT Workstation\r\n"
     "Service Pack ver.5.0 \r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=3,dwMinorVersion=51,"
     "wProductType=1,wSuiteMask=0,\r\n"},
    {"nt40",
     "Microsoft WindowsNT ver.4.0.1381 Service Pack 6a\r\nMS-WindowsNT Workstation\r\n"
     "Service Pack ver.6.0 \r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=4,dwMinorVersion=0,"
     "wProductType=1,wSuiteMask=0,\r\n"},
    {"win2k",
     "Microsoft WindowsNT ver.5.0.2195 Service Pack 4\r\nMS-Windows2000 Professional\r\n"
     "Service Pack ver.4.0 \r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=5,dwMinorVersion=0,"
     "wProductType=1,wSuiteMask=0,\r\n"},
    {"winxp",
     "Microsoft WindowsNT ver.5.1.2600 Service Pack 3\r\n"
     "MS-WindowsXP Professional Edition\r\nRunning on Native Win32\r\n"
     "wSuiteMask=SingleUserTS Edition,\r\n"
     "Service Pack ver.3.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=5,dwMinorVersion=1,"
     "wProductType=1,wSuiteMask=256,\r\n"},
    {"win2003",
     "Microsoft WindowsNT ver.5.2.3790 Service Pack 2\r\n"
     "MS-Windows Server 2003\r\nRunning on 32-bit Windows\r\n"
     "wSuiteMask=SingleUserTS Edition,\r\n"
     "Service Pack ver.2.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=5,dwMinorVersion=2,"
     "wProductType=3,wSuiteMask=256,\r\n"},
    {"vista",
     "Microsoft WindowsNT ver.6.0.6002 Service Pack 2\r\n"
     "MS-Windows Vista\r\nRunning on 32-bit Windows\r\n"
     "wSuiteMask=SingleUserTS Edition,\r\n"
     "Service Pack ver.2.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=6,dwMinorVersion=0,"
     "wProductType=1,wSuiteMask=256,\r\n"},
    {"win2008",
     "Microsoft WindowsNT ver.6.0.6002 Service Pack 2\r\n"
     "MS-Windows Server 2008\r\nRunning on 32-bit Windows\r\n"
     "wSuiteMask=SingleUserTS Edition,\r\n"
     "Service Pack ver.2.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=6,dwMinorVersion=0,"
     "wProductType=3,wSuiteMask=256,\r\n"},
    {"win7",
     "Microsoft WindowsNT ver.6.1.7601 Service Pack 1\r\n"
     "unknown MS-WindowsNT Family\r\nRunning on 32-bit Windows\r\n"
     "wSuiteMask=SingleUserTS Edition,\r\n"
     "Service Pack ver.1.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=6,dwMinorVersion=1,"
     "wProductType=3,wSuiteMask=256,\r\n"},
    {"win10",
     "Microsoft WindowsNT ver.6.2.9200 Service Pack 0\r\n"
     "unknown MS-WindowsNT Family\r\nRunning on 32-bit Windows\r\n"
     "wSuiteMask=SingleUserTS Edition,\r\n"
     "Service Pack ver.0.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=6,dwMinorVersion=2,"
     "wProductType=1,wSuiteMask=256,\r\n"},
    // A 32-bit process in a 64-bit prefix runs under WOW64.
    {"winxp64-wow64",
     "Microsoft WindowsNT ver.5.2.3790 Service Pack 2\r\n"
     "MS-Windows Server 2003 unknown ProductType\r\nRunning on WOW64\r\n"
     "wSuiteMask=SingleUserTS Edition,\r\n"
     "Service Pack ver.2.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=5,dwMinorVersion=2,"
     "wProductType=1,wSuiteMask=256,\r\n"},
    {"win7-wow64",
     "Microsoft WindowsNT ver.6.1.7601 Service Pack 1\r\n"
     "unknown MS-WindowsNT Family\r\nRunning on WOW64\r\n"
     "wSuiteMask=SingleUserTS Edition,\r\n"
     "Service Pack ver.1.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=6,dwMinorVersion=1,"
     "wProductType=3,wSuiteMask=256,\r\n"},
};

const Expected* Find(const std::string& windows) {
    for (const Expected& expected : kExpected) {
        if (windows == expected.windows) {
            return &expected;
        }
    }
    return nullptr;
}

TEST(OsIdentification, NamesTheEmulatedWindows) {
    SCOPED_TRACE(g_windows);
    const Expected* expected = Find(g_windows);
    ASSERT_NE(expected, nullptr) << "no expectation for " << g_windows;
    CBrelmoxLib lib;
    ASSERT_NE(lib.m_pOSName, nullptr);
    EXPECT_EQ(std::string(lib.m_pOSName), expected->os_name);
}

TEST(OsIdentification, MachineFactsFollowTheMetrics) {
    SCOPED_TRACE(g_windows);
    // Wine's display-less machine: normal boot, no debug build, a wheel mouse and
    // a network; the screen and button figures are read here independently.
    std::string expected =
        "Normal Boot\r\nuser.exe no Debug Version\r\nConnectting Mouse\r\n"
        "Connectting Mouse Wheel\r\nConnectting Network\r\n";
    expected += "ScreenX=" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + ",";
    expected += "ScreenY=" + std::to_string(GetSystemMetrics(SM_CYSCREEN)) + ",\r\n";
    expected += "MouseButtonCount=" + std::to_string(GetSystemMetrics(SM_CMOUSEBUTTONS)) + ",\r\n";
    CBrelmoxLib lib;
    ASSERT_NE(lib.m_pOSEtcInfo, nullptr);
    EXPECT_EQ(std::string(lib.m_pOSEtcInfo), expected);
}

TEST(OsIdentification, RecordIsTheExtendedOne) {
    CBrelmoxLib lib;
    OSVERSIONINFOEXA direct = {};
    direct.dwOSVersionInfoSize = sizeof direct;
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&direct)));
    EXPECT_EQ(memcmp(&direct, &lib.m_OSVersionInfo, sizeof direct), 0);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: %s <emulated windows version>\n", argv[0]);
        return 2;
    }
    g_windows = argv[1];
    return RUN_ALL_TESTS();
}
