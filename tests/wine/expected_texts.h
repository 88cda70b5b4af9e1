// The texts BrelmoxLib must give under the Windows versions Wine emulates,
// written out by hand for the version record and metrics Wine reports.
#pragma once

#include <windows.h>

#include <string.h>

#include <string>

#include "all_os_names.h"

namespace expected {

struct OsText {
    const char* windows;
    const char* os_name;
};

const OsText kOsTexts[] = {
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
    // Windows 8.1 and 10 tell a program without a compatibility manifest that
    // they are Windows 8 (the test programs); Brelmox.exe has one.
    {"win81",
     "Microsoft WindowsNT ver.6.2.9200 Service Pack 0\r\n"
     "unknown MS-WindowsNT Family\r\nRunning on 32-bit Windows\r\n"
     "wSuiteMask=SingleUserTS Edition,\r\n"
     "Service Pack ver.0.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=6,dwMinorVersion=2,"
     "wProductType=1,wSuiteMask=256,\r\n"},
    {"win81-manifested",
     "Microsoft WindowsNT ver.6.3.9600 Service Pack 0\r\n"
     "unknown MS-WindowsNT Family\r\nRunning on 32-bit Windows\r\n"
     "wSuiteMask=SingleUserTS Edition,\r\n"
     "Service Pack ver.0.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=6,dwMinorVersion=3,"
     "wProductType=1,wSuiteMask=256,\r\n"},
    // Version 10 and later get the family name only: no WOW line, no suites.
    // The build is Wine's own: 18362 in Wine 8, 19043 in Wine 10.
    {"win10-manifested",
     "Microsoft WindowsNT ver.10.0.{build} Service Pack 0\r\n"
     "unknown MS-WindowsNT Family\r\n"
     "Service Pack ver.0.0 \r\nTerminal Server (Only 1Session Mode) installed\r\n\r\n"
     "DebugInfo=getOSVERSIONINFOEX,PlatformId=2,dwMajorVersion=10,dwMinorVersion=0,"
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

inline const OsText* FindOsText(const std::string& windows) {
    for (const OsText& text : kOsTexts) {
        if (windows == text.windows) {
            return &text;
        }
    }
    return nullptr;
}

// The build number of the emulated Windows, which no manifest hides.
inline unsigned long EmulatedBuild() {
    typedef LONG(WINAPI * GetVersionFunction)(OSVERSIONINFOW*);
    auto get_version = reinterpret_cast<GetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return get_version != nullptr && get_version(&version) == 0 ? version.dwBuildNumber : 0;
}

// The OS text of an expectation, with "{build}" replaced by the emulated build.
// The texts are a 32-bit process's; a 64-bit one's differs in its WOW line
// alone.
inline std::string OsName(const OsText& text) {
    std::string name = text.os_name;
    size_t slot = name.find("{build}");
    if (slot != std::string::npos) {
        name.replace(slot, 7, std::to_string(EmulatedBuild()));
    }
#ifdef _WIN64
    for (const char* line : {"\r\nRunning on WOW64\r\n", "\r\nRunning on 32-bit Windows\r\n",
                             "\r\nRunning on Native Win32\r\n"}) {
        size_t at = name.find(line);
        if (at != std::string::npos) {
            name.replace(at, strlen(line), "\r\nRunning on 64-bit Windows\r\n");
        }
    }
#endif
    return name;
}

// Wine's display-less machine: normal boot, no debug build, a wheel mouse and a
// network; the screen and button figures are read here, independently.
inline std::string MachineFacts() {
    return "Normal Boot\r\nuser.exe no Debug Version\r\nConnectting Mouse\r\n"
           "Connectting Mouse Wheel\r\nConnectting Network\r\n"
           "ScreenX=" +
           std::to_string(GetSystemMetrics(SM_CXSCREEN)) +
           ",ScreenY=" + std::to_string(GetSystemMetrics(SM_CYSCREEN)) + ",\r\n" +
           "MouseButtonCount=" + std::to_string(GetSystemMetrics(SM_CMOUSEBUTTONS)) + ",\r\n";
}

}  // namespace expected
