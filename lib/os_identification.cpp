// Which Windows is installed: family, version, build, service pack, edition and
// suites, written as the OS text.
#include "CBrelmoxLib.h"
#include "report_texts.h"

namespace brelmox {
namespace {

constexpr int kAnyCharacter = -1;

struct Windows9xName {
    DWORD minor_version;
    int first_csd_character;  // compared case-sensitively, or kAnyCharacter
    const char* name;
};

// The first matching row names the release.
const Windows9xName kWindows9xNames[] = {
    {0, 'a', "MS-Windows95 SP1"},        {0, 'B', "MS-Windows95 OSR2/OSR2.1"},
    {0, 'C', "MS-Windows95 OSR2.5"},     {0, kAnyCharacter, "MS-Windows95 SP0"},
    {1, 'A', "MS-Windows98 SE"},         {1, kAnyCharacter, "MS-Windows98"},
    {10, 'A', "MS-Windows98 SE"},        {10, kAnyCharacter, "MS-Windows98"},
    {90, kAnyCharacter, "MS-WindowsME"},
};

struct SuiteWord {
    WORD suite_mask;  // matched against the whole mask
    const char* text;
};

template <size_t N>
const char* WordForSuite(const SuiteWord (&words)[N], WORD suite_mask) {
    for (const SuiteWord& word : words) {
        if (word.suite_mask == suite_mask) {
            return word.text;
        }
    }
    return nullptr;
}

const SuiteWord kWindows2000ServerWords[] = {
    {VER_SUITE_ENTERPRISE, " Advanced Server"},
    {VER_SUITE_DATACENTER, " Datacenter Server"},
};

const SuiteWord kWindowsXpWords[] = {
    {VER_SUITE_EMBEDDEDNT, " Embedded Edition"},
    {VER_SUITE_PERSONAL, " Home Edition"},
    {VER_SUITE_WH_SERVER, " Home Server Edition"},
};

// Server 2003 and Server 2008 name their editions alike.
const SuiteWord kServerEditionWords[] = {
    {VER_SUITE_STORAGE_SERVER, " Storage Server Edition"},
    {VER_SUITE_ENTERPRISE, " Enterprise Edition"},
    {VER_SUITE_DATACENTER, " Datacenter Edition"},
    {VER_SUITE_BLADE, " Web Edition"},
    {VER_SUITE_COMPUTE_SERVER, " Compute Cluster Edition"},
    {VER_SUITE_WH_SERVER, " Home Server Edition"},
};

// The lines that close the extended record's service-pack block; published
// wordings ("Lisence" included), never corrected.
const SuiteWord kInstalledSuiteLines[] = {
    {VER_SUITE_BACKOFFICE, "\r\nBackOffice installed"},
    {VER_SUITE_SINGLEUSERTS, "\r\nTerminal Server (Only 1Session Mode) installed"},
    {VER_SUITE_TERMINAL, "\r\nTerminal Server installed"},
    {VER_SUITE_SMALLBUSINESS, "\r\nSBS Server installed once more"},
    {VER_SUITE_SMALLBUSINESS_RESTRICTED,
     "\r\nSBS Server installed with Restrictive Client Lisence"},
};

struct EditionMetricWord {
    int EditionMetrics::*present;
    const char* text;
};

const EditionMetricWord kWindowsXpMetricWords[] = {
    {&EditionMetrics::media_center, " Media Center Edition"},
    {&EditionMetrics::starter, " Starter Edition"},
    {&EditionMetrics::tablet_pc, " Tablet PC Edition"},
};

// The inputs of one identification, with the service-pack text made safe to read.
struct Identification {
    const OSVERSIONINFOEXA& version;
    const EditionMetrics& editions;
    bool wow64;
    ProcessBits process;
    bool extended;
    const char* csd_version;
    GrowingText& edition;
    GrowingText& debug;

    void AppendIfDomainController() {
        if (version.wProductType == VER_NT_DOMAIN_CONTROLLER) {
            edition.Append(" (Domain Controller)");
        }
    }
    void AppendWowLine(const char* native_line) {
        if (process == ProcessBits::k64) {
            edition.Append("\r\nRunning on 64-bit Windows");
            return;
        }
        edition.Append(wow64 ? "\r\nRunning on WOW64" : native_line);
    }
    void AppendSuites() { AppendSuiteDescription(edition, version.wSuiteMask); }
    void AppendWord(const char* word) {
        if (word != nullptr) {
            edition.Append(word);
        }
    }

    void Windows9x();
    void WindowsNt();
    void WindowsNt4OrOlder();
    void Windows2000();
    void WindowsXp();
    void WindowsServer2003();
    void WindowsVistaOrServer2008();
};

void Identification::Windows9x() {
    AppendDebugNumber(debug, "dwMajorVersion=", version.dwMajorVersion);
    AppendDebugNumber(debug, "dwMinorVersion=", version.dwMinorVersion);
    AppendDebugString(debug, "szCSDVersion=", csd_version);
    if (version.dwMajorVersion != 4) {
        return;
    }
    int first = static_cast<unsigned char>(csd_version[0]);
    for (const Windows9xName& row : kWindows9xNames) {
        if (row.minor_version == version.dwMinorVersion &&
            (row.first_csd_character == kAnyCharacter || row.first_csd_character == first)) {
            edition.Append(row.name);
            return;
        }
    }
    edition.Append("unknown MS-Windows9x Family");
}

void Identification::WindowsNt4OrOlder() {
    edition.Append("MS-WindowsNT");
    if (!extended) {
        return;  // the basic record carries no product type
    }
    switch (version.wProductType) {
        case VER_NT_WORKSTATION:
            edition.Append(" Workstation");
            break;
        case VER_NT_DOMAIN_CONTROLLER:
            edition.Append(" Server (Domain Controller)");
            break;
        case VER_NT_SERVER:
            edition.Append(" Server");
            break;
        default:
            edition.Append(" unknown ProductType");
            break;
    }
    AppendSuites();
}

void Identification::Windows2000() {
    edition.Append("MS-Windows2000");
    switch (version.wProductType) {
        case VER_NT_WORKSTATION:
            edition.Append(" Professional");
            break;
        case VER_NT_DOMAIN_CONTROLLER:
        case VER_NT_SERVER: {
            const char* word = WordForSuite(kWindows2000ServerWords, version.wSuiteMask);
            edition.Append(word != nullptr ? word : " Server");
            break;
        }
        default:
            edition.Append(" unknown ProductType");
            break;
    }
    AppendIfDomainController();
    AppendSuites();
}

void Identification::WindowsXp() {
    edition.Append("MS-WindowsXP");
    bool edition_found = false;
    for (const EditionMetricWord& word : kWindowsXpMetricWords) {
        if (editions.*word.present != 0) {
            edition.Append(word.text);
            edition_found = true;
        }
    }
    if (version.wProductType != VER_NT_WORKSTATION) {
        edition.Append(" unknown ProductType");
    } else if (const char* word = WordForSuite(kWindowsXpWords, version.wSuiteMask)) {
        if (edition_found) {
            edition.Append(" &");
        }
        edition.Append(word);
    } else if (!edition_found) {
        edition.Append(" Professional Edition");
    }
    AppendWowLine("\r\nRunning on Native Win32");
    AppendSuites();
}

void Identification::WindowsServer2003() {
    edition.Append("MS-Windows Server 2003");
    if (editions.server_r2 != 0) {
        edition.Append(" R2");
    }
    if (version.wProductType == VER_NT_WORKSTATION) {
        edition.Append(" unknown ProductType");
    } else {
        AppendWord(WordForSuite(kServerEditionWords, version.wSuiteMask));
    }
    AppendIfDomainController();
    AppendWowLine("\r\nRunning on 32-bit Windows");
    AppendSuites();
}

void Identification::WindowsVistaOrServer2008() {
    switch (version.wProductType) {
        case VER_NT_WORKSTATION:
            edition.Append("MS-Windows Vista");
            if (version.wSuiteMask == VER_SUITE_PERSONAL) {
                edition.Append(" Home Premium/Basic");
            }
            break;
        case VER_NT_DOMAIN_CONTROLLER:
        case VER_NT_SERVER:
            edition.Append("MS-Windows Server 2008");
            AppendWord(WordForSuite(kServerEditionWords, version.wSuiteMask));
            break;
        default:
            edition.Append("unknown MS-Windows Vista/Server 2008");
            break;
    }
    AppendIfDomainController();
    AppendWowLine("\r\nRunning on 32-bit Windows");
    AppendSuites();
}

void Identification::WindowsNt() {
    AppendDebugNumber(debug, "dwMajorVersion=", version.dwMajorVersion);
    AppendDebugNumber(debug, "dwMinorVersion=", version.dwMinorVersion);
    AppendDebugNumber(debug, "wProductType=", version.wProductType);
    AppendDebugNumber(debug, "wSuiteMask=", version.wSuiteMask);

    DWORD major = version.dwMajorVersion;
    DWORD minor = version.dwMinorVersion;
    if (major < 5) {
        WindowsNt4OrOlder();
    } else if (major == 5 && minor == 0) {
        Windows2000();
    } else if (major == 5 && minor == 1) {
        WindowsXp();
    } else if (major == 5 && minor == 2) {
        WindowsServer2003();
    } else if (major == 5) {
        AppendSuites();  // a later 5.x gets no name of its own
    } else if (major == 6 && minor == 0) {
        WindowsVistaOrServer2008();
    } else if (major == 6) {
        // Published: every later Windows stays "unknown" here; its name is the
        // product name's (product_identity.cpp).
        edition.Append("unknown MS-WindowsNT Family");
        AppendWowLine("\r\nRunning on 32-bit Windows");
        AppendSuites();
    } else {
        edition.Append("unknown MS-WindowsNT Family");
    }
}

}  // namespace

bool BuildOsText(const OSVERSIONINFOEXA& version, const EditionMetrics& editions, bool wow64,
                 GrowingText& os_text, ProcessBits process) {
    if (version.dwOSVersionInfoSize == 0) {
        return false;  // neither version query succeeded
    }
    // The record may come from anywhere: never read past its service-pack field.
    char csd_version[sizeof version.szCSDVersion + 1];
    memcpy(csd_version, version.szCSDVersion, sizeof version.szCSDVersion);
    csd_version[sizeof version.szCSDVersion] = '\0';

    const bool extended = version.dwOSVersionInfoSize == kExtendedRecordSize;
    InlineText<512> edition;
    InlineText<512> debug;
    debug.Append(extended ? "getOSVERSIONINFOEX," : "getOSVERSIONINFO,");
    AppendDebugNumber(debug, "PlatformId=", version.dwPlatformId);

    Identification identify{version,  editions,    wow64,   process,
                            extended, csd_version, edition, debug};
    os_text.Append("Microsoft Windows");
    switch (version.dwPlatformId) {
        case VER_PLATFORM_WIN32s:
            os_text.Append("3.1 with Win32");
            break;
        case VER_PLATFORM_WIN32_WINDOWS:
            os_text.Append("9x");
            identify.Windows9x();
            break;
        case VER_PLATFORM_WIN32_NT:
            os_text.Append("NT");
            identify.WindowsNt();
            break;
        case VER_PLATFORM_WIN32_CE:
            os_text.Append("CE");
            break;
        default:
            os_text.Append("unknown");
            break;
    }

    os_text.Append(" ver.");
    os_text.AppendUnsigned(version.dwMajorVersion);
    os_text.Append(".");
    os_text.AppendUnsigned(version.dwMinorVersion);
    os_text.Append(".");
    os_text.AppendUnsigned(version.dwBuildNumber);
    os_text.Append(" ");
    os_text.Append(csd_version[0] != '\0' ? csd_version : "Service Pack 0");
    if (!edition.empty() || edition.failed()) {
        os_text.Append("\r\n");
        os_text.Append(edition);
    }
    if (extended) {
        os_text.Append("\r\nService Pack ver.");
        os_text.AppendUnsigned(version.wServicePackMajor);
        os_text.Append(".");
        os_text.AppendUnsigned(version.wServicePackMinor);
        os_text.Append(" ");
        for (const SuiteWord& line : kInstalledSuiteLines) {
            if (version.wSuiteMask == line.suite_mask) {
                os_text.Append(line.text);
            }
        }
    }
    if (!debug.empty() || debug.failed()) {
        os_text.Append("\r\n\r\nDebugInfo=");
        os_text.Append(debug);
    }
    os_text.Append("\r\n");
    return true;
}

void QueryVersion(OSVERSIONINFOEXA& version) {
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = kExtendedRecordSize;
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) {
        return;
    }
    // Systems before NT 4.0 SP6 know only the basic record.
    version.dwOSVersionInfoSize = kBasicRecordSize;
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) {
        return;
    }
    memset(&version, 0, sizeof version);
}

EditionMetrics QueryEditionMetrics() {
    EditionMetrics editions;
    editions.media_center = GetSystemMetrics(SM_MEDIACENTER);
    editions.starter = GetSystemMetrics(SM_STARTER);
    editions.tablet_pc = GetSystemMetrics(SM_TABLETPC);
    editions.server_r2 = GetSystemMetrics(SM_SERVERR2);
    return editions;
}

}  // namespace brelmox
