// The fixed list of every OS name, one per line (LF only, none after the
// last), as m_pOSNameAllPattern and the JSON report hand it out. Published:
// clients parse it as it stands, with the blank at the end of line 17; it is
// never corrected or extended.
#pragma once

#include <stddef.h>

namespace brelmox {

inline constexpr char kAllOsNames[] =
    "MS-Windows3.1 with Win32\n"
    "MS-Windows95 SP0\n"
    "MS-Windows95 SP1\n"
    "MS-Windows95 OSR2/OSR2.1\n"
    "MS-Windows95 OSR2.5\n"
    "MS-Windows98\n"
    "MS-Windows98 SE\n"
    "MS-WindowsME\n"
    "unknown MS-Windows9x Family\n"
    "MS-WindowsNT\n"
    "MS-WindowsNT Workstation\n"
    "MS-WindowsNT Server\n"
    "MS-WindowsNT Server Enterprise Edition\n"
    "MS-WindowsNT Server Domain Controller\n"
    "MS-Windows2000 Professional\n"
    "MS-Windows2000 Server\n"
    "MS-Windows2000 Datacenter Server \n"
    "MS-Windows2000 Advanced Server\n"
    "MS-Windows2000 Server Domain Controller\n"
    "MS-WindowsXP\n"
    "MS-WindowsXP Embedded Edition\n"
    "MS-WindowsXP Home Edition\n"
    "MS-WindowsXP Professional Edition\n"
    "MS-Windows Vista\n"
    "MS-Windows .Net Server\n"
    "MS-Windows .Net Server Domain Controller\n"
    "MS-Windows Server 2003 Workstation\n"
    "MS-Windows Server 2003\n"
    "MS-Windows Server 2003 R2\n"
    "MS-Windows Server 2003 Web Edition\n"
    "MS-Windows Server 2003 Datacenter Edition\n"
    "MS-Windows Server 2003 Enterprise Edition\n"
    "MS-Windows Server 2003 Domain Controller\n"
    "MS-Windows Server 2008\n"
    "unknown MS-WindowsNT Family\n"
    "MS-WindowsCE";
constexpr size_t kAllOsNamesLength = sizeof kAllOsNames - 1;
static_assert(kAllOsNamesLength == 955, "the published list of all OS names");

}  // namespace brelmox
