// Naming the installed Windows from its facts: edition, family, Server Core,
// feature version, service pack, build and architecture.
#include "product_identity.h"

#include <string.h>

#include "growing_text.h"
#include "report_texts.h"

namespace brelmox {
namespace {

// How an edition's name depends on the version it runs on.
enum class EditionRule {
    kAnyVersion,    // the name on 6.0 and later
    kHome,          // the name from 10.0 on, the older name on 6.2 and 6.3, else unknown
    kProfessional,  // the older name on 6.0 and 6.1, the name from 6.2 on
    kVistaOrSeven,  // 6.0 and 6.1 only
    kLtsc,          // the name with its LTSB or LTSC release by build
    kIotLtsc,       // the name with the LTSC release's year by build
};

struct EditionRow {
    const char* edition_id;
    DWORD product_code;
    DWORD core_product_code;  // the same edition as a core installation, or 0
    EditionRule rule;
    const char* name;
    const char* older_name;
};

const EditionRow kEditions[] = {
    {"Core", 0x65, 0, EditionRule::kHome, "Home", ""},
    {"CoreN", 0x62, 0, EditionRule::kHome, "Home N", "N"},
    {"CoreSingleLanguage", 0x64, 0, EditionRule::kHome, "Home Single Language", "Single Language"},
    {"CoreCountrySpecific", 0x63, 0, EditionRule::kHome, "Home China", "China"},
    {"Professional", 0x30, 0, EditionRule::kProfessional, "Pro", "Professional"},
    {"ProfessionalN", 0x31, 0, EditionRule::kProfessional, "Pro N", "Professional N"},
    {"ProfessionalWorkstation", 0xA1, 0, EditionRule::kAnyVersion, "Pro for Workstations", nullptr},
    {"ProfessionalEducation", 0xA4, 0, EditionRule::kAnyVersion, "Pro Education", nullptr},
    {"Education", 0x79, 0, EditionRule::kAnyVersion, "Education", nullptr},
    {"EducationN", 0x7A, 0, EditionRule::kAnyVersion, "Education N", nullptr},
    {"Enterprise", 0x04, 0, EditionRule::kAnyVersion, "Enterprise", nullptr},
    {"EnterpriseN", 0x1B, 0, EditionRule::kAnyVersion, "Enterprise N", nullptr},
    {"EnterpriseS", 0x7D, 0, EditionRule::kLtsc, "Enterprise", nullptr},
    {"EnterpriseSN", 0x7E, 0, EditionRule::kLtsc, "Enterprise N", nullptr},
    {"IoTEnterprise", 0xBC, 0, EditionRule::kAnyVersion, "IoT Enterprise", nullptr},
    {"IoTEnterpriseS", 0xBF, 0, EditionRule::kIotLtsc, "IoT Enterprise LTSC", nullptr},
    {"ServerRdsh", 0xAF, 0, EditionRule::kAnyVersion, "Enterprise multi-session", nullptr},
    {"Ultimate", 0x01, 0, EditionRule::kVistaOrSeven, "Ultimate", nullptr},
    {"UltimateN", 0x1C, 0, EditionRule::kVistaOrSeven, "Ultimate N", nullptr},
    {"HomeBasic", 0x02, 0, EditionRule::kVistaOrSeven, "Home Basic", nullptr},
    {"HomePremium", 0x03, 0, EditionRule::kVistaOrSeven, "Home Premium", nullptr},
    {"Business", 0x06, 0, EditionRule::kVistaOrSeven, "Business", nullptr},
    {"Starter", 0x0B, 0, EditionRule::kVistaOrSeven, "Starter", nullptr},
    {"ServerStandard", 0x07, 0x0D, EditionRule::kAnyVersion, "Standard", nullptr},
    {"ServerDatacenter", 0x08, 0x0C, EditionRule::kAnyVersion, "Datacenter", nullptr},
    {"ServerEnterprise", 0x0A, 0x0E, EditionRule::kAnyVersion, "Enterprise", nullptr},
    {"ServerWeb", 0x11, 0x1D, EditionRule::kAnyVersion, "Web", nullptr},
    {"ServerStandardEval", 0x4F, 0, EditionRule::kAnyVersion, "Standard Evaluation", nullptr},
    {"ServerDatacenterEval", 0x50, 0, EditionRule::kAnyVersion, "Datacenter Evaluation", nullptr},
    {"ServerSolution", 0x32, 0, EditionRule::kAnyVersion, "Essentials", nullptr},
    {"ServerTurbine", 0x197, 0x198, EditionRule::kAnyVersion, "Datacenter: Azure Edition", nullptr},
};

const char kMultiSessionEditionId[] = "ServerRdsh";

struct BuildName {
    DWORD build;
    const char* name;
};

// Long-term servicing releases, told apart by their builds.
const BuildName kLtsbReleases[] = {{10240, " 2015 LTSB"}, {14393, " 2016 LTSB"}};
const BuildName kLtscYears[] = {{17763, " 2019"}, {19044, " 2021"}, {26100, " 2024"}};

const BuildName kServerYears[] = {
    {14393, "Windows Server 2016"},
    {17763, "Windows Server 2019"},
    {20348, "Windows Server 2022"},
    {26100, "Windows Server 2025"},
};

// The feature version of each Windows 10 and 11 (and Server 2022) build.
const BuildName kFeatureVersions[] = {
    {10240, "1507"}, {10586, "1511"}, {14393, "1607"}, {15063, "1703"}, {16299, "1709"},
    {17134, "1803"}, {17763, "1809"}, {18362, "1903"}, {18363, "1909"}, {19041, "2004"},
    {19042, "20H2"}, {19043, "21H1"}, {19044, "21H2"}, {19045, "22H2"}, {20348, "21H2"},
    {22000, "21H2"}, {22621, "22H2"}, {22631, "23H2"}, {26100, "24H2"}, {26200, "25H2"},
};

template <size_t N>
const char* NameOfBuild(const BuildName (&names)[N], DWORD build) {
    for (const BuildName& entry : names) {
        if (entry.build == build) {
            return entry.name;
        }
    }
    return nullptr;
}

// The texts here are short and fixed; a text that would not fit is cut, never overrun.
template <size_t N>
void AppendText(char (&target)[N], const char* text) {
    size_t length = strnlen(target, N - 1);
    size_t added = strnlen(text, N - 1 - length);
    memcpy(target + length, text, added);
    target[length + added] = '\0';
}

template <size_t N>
void CopyText(char (&target)[N], const char* first, const char* second = "") {
    target[0] = '\0';
    AppendText(target, first);
    AppendText(target, second);
}

struct Version {
    DWORD major;
    DWORD minor;
    bool AtLeast(DWORD other_major, DWORD other_minor) const {
        return major > other_major || (major == other_major && minor >= other_minor);
    }
    bool Is(DWORD other_major, DWORD other_minor) const {
        return major == other_major && minor == other_minor;
    }
};

// The edition's name on this version, or null when the row does not apply to it.
const char* EditionName(const EditionRow& row, Version version, DWORD build, char (&room)[48]) {
    switch (row.rule) {
        case EditionRule::kAnyVersion:
            return row.name;
        case EditionRule::kHome:
            if (version.AtLeast(10, 0)) {
                return row.name;
            }
            return version.Is(6, 2) || version.Is(6, 3) ? row.older_name : nullptr;
        case EditionRule::kProfessional:
            return version.AtLeast(6, 2) ? row.name : row.older_name;
        case EditionRule::kVistaOrSeven:
            return version.Is(6, 0) || version.Is(6, 1) ? row.name : nullptr;
        case EditionRule::kLtsc:
            if (const char* ltsb = NameOfBuild(kLtsbReleases, build)) {
                CopyText(room, row.name, ltsb);
            } else {
                CopyText(room, row.name, " LTSC");
                if (const char* year = NameOfBuild(kLtscYears, build)) {
                    AppendText(room, year);
                }
            }
            return room;
        case EditionRule::kIotLtsc: {
            const char* year = NameOfBuild(kLtscYears, build);
            CopyText(room, row.name, year != nullptr ? year : "");
            return room;
        }
    }
    return nullptr;
}

bool EndsWith(const char* text, size_t length, const char* end) {
    size_t end_length = strlen(end);
    return length > end_length && memcmp(text + length - end_length, end, end_length) == 0;
}

const EditionRow* RowOfEditionId(const char* id, size_t length) {
    for (const EditionRow& row : kEditions) {
        if (strlen(row.edition_id) == length && memcmp(row.edition_id, id, length) == 0) {
            return &row;
        }
    }
    return nullptr;
}

struct EditionChoice {
    const EditionRow* row = nullptr;
    bool core = false;
};

EditionChoice EditionOfRegistry(const RegistryText& edition_id) {
    EditionChoice choice;
    size_t length = strlen(edition_id.text);
    choice.row = RowOfEditionId(edition_id.text, length);
    if (choice.row != nullptr) {
        return choice;
    }
    // A core installation's EditionID is its edition's with "Core" or "Cor" added.
    static const char* const kCoreEnds[] = {"Core", "Cor"};
    for (const char* core_end : kCoreEnds) {
        if (EndsWith(edition_id.text, length, core_end)) {
            choice.row = RowOfEditionId(edition_id.text, length - strlen(core_end));
            choice.core = choice.row != nullptr;
            return choice;
        }
    }
    return choice;
}

EditionChoice EditionOfProductCode(DWORD code) {
    EditionChoice choice;
    for (const EditionRow& row : kEditions) {
        if (row.product_code == code ||
            (row.core_product_code != 0 && row.core_product_code == code)) {
            choice.row = &row;
            choice.core = row.core_product_code == code;
            return choice;
        }
    }
    return choice;
}

bool IsAllowedCharacter(unsigned short unit, bool digits_only) {
    bool digit = unit >= '0' && unit <= '9';
    if (digits_only) {
        return digit;
    }
    return digit || (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z') || unit == ' ';
}

// The first character of the service-pack text after any blanks.
unsigned short FirstNonBlank(const unsigned short* text) {
    while (*text == ' ') {
        ++text;
    }
    return *text;
}

void FamilyOf(const ProductFacts& facts, bool client, char (&family)[40]) {
    Version version{facts.major, facts.minor};
    char numbers[2 * kDecimalCapacity + 1];
    {
        char major[kDecimalCapacity];
        char minor[kDecimalCapacity];
        size_t major_length = FormatUnsigned(facts.major, major);
        size_t minor_length = FormatUnsigned(facts.minor, minor);
        memcpy(numbers, major, major_length);
        numbers[major_length] = '.';
        memcpy(numbers + major_length + 1, minor, minor_length);
        numbers[major_length + 1 + minor_length] = '\0';
    }
    switch (facts.platform_id) {
        case VER_PLATFORM_WIN32s:
            CopyText(family, "Windows 3.1 (Win32s)");
            return;
        case VER_PLATFORM_WIN32_WINDOWS: {
            unsigned short release = FirstNonBlank(facts.csd_version);
            if (version.Is(4, 0)) {
                CopyText(family, release == 'B'   ? "Windows 95 OSR2"
                                 : release == 'C' ? "Windows 95 OSR2.5"
                                                  : "Windows 95");
            } else if (version.Is(4, 10) || version.Is(4, 1)) {
                CopyText(family, release == 'A' ? "Windows 98 Second Edition" : "Windows 98");
            } else if (version.Is(4, 90)) {
                CopyText(family, "Windows Me");
            } else {
                CopyText(family, "Windows 9x ", numbers);
            }
            return;
        }
        case VER_PLATFORM_WIN32_CE:
            CopyText(family, "Windows CE");
            return;
        case VER_PLATFORM_WIN32_NT:
            break;
        default:
            CopyText(family, "Windows on an unknown platform");
            return;
    }
    struct NtFamily {
        DWORD major, minor;
        const char* client;
        const char* server;
    };
    static const NtFamily kNtFamilies[] = {
        {3, 10, "Windows NT 3.1", "Windows NT 3.1"},
        {3, 50, "Windows NT 3.5", "Windows NT 3.5"},
        {3, 51, "Windows NT 3.51", "Windows NT 3.51"},
        {4, 0, "Windows NT 4.0", "Windows NT 4.0"},
        {5, 0, "Windows 2000", "Windows 2000"},
        {5, 1, "Windows XP", "Windows XP"},
        {5, 2, "Windows XP", "Windows Server 2003"},
        {6, 0, "Windows Vista", "Windows Server 2008"},
        {6, 1, "Windows 7", "Windows Server 2008 R2"},
        {6, 2, "Windows 8", "Windows Server 2012"},
        {6, 3, "Windows 8.1", "Windows Server 2012 R2"},
    };
    for (const NtFamily& entry : kNtFamilies) {
        if (version.Is(entry.major, entry.minor)) {
            CopyText(family, client ? entry.client : entry.server);
            if (!client && version.Is(5, 2) && facts.server_r2) {
                AppendText(family, " R2");
            }
            return;
        }
    }
    if (version.Is(10, 0)) {
        if (client) {
            CopyText(family, facts.build >= 22000 ? "Windows 11" : "Windows 10");
        } else {
            const char* year = NameOfBuild(kServerYears, facts.build);
            CopyText(family, year != nullptr ? year : "Windows Server");
        }
        return;
    }
    CopyText(family, "Windows NT ", numbers);
}

}  // namespace

RegistryText CheckRegistryText(DWORD type, const BYTE* data, DWORD size, bool digits_only) {
    RegistryText result;
    if (type != REG_SZ || data == nullptr || size % sizeof(unsigned short) != 0) {
        return result;
    }
    size_t units = size / sizeof(unsigned short);
    auto unit_at = [data](size_t index) {
        unsigned short unit;
        memcpy(&unit, data + index * sizeof unit, sizeof unit);
        return unit;
    };
    while (units > 0 && unit_at(units - 1) == 0) {
        --units;  // terminators, if any
    }
    if (units == 0 || units > kRegistryTextLength) {
        return result;
    }
    for (size_t i = 0; i < units; ++i) {
        unsigned short unit = unit_at(i);
        if (!IsAllowedCharacter(unit, digits_only)) {
            return result;
        }
        result.text[i] = static_cast<char>(unit);
    }
    result.text[units] = '\0';
    result.present = true;
    return result;
}

Architecture ArchitectureOfMachine(WORD image_file_machine) {
    switch (image_file_machine) {
        case 0x014c:  // IMAGE_FILE_MACHINE_I386
            return Architecture::kX86;
        case 0x8664:  // IMAGE_FILE_MACHINE_AMD64
            return Architecture::kX64;
        case 0xAA64:  // IMAGE_FILE_MACHINE_ARM64
            return Architecture::kArm64;
        case 0x01c0:  // IMAGE_FILE_MACHINE_ARM
        case 0x01c2:  // IMAGE_FILE_MACHINE_THUMB
        case 0x01c4:  // IMAGE_FILE_MACHINE_ARMNT
            return Architecture::kArm;
        case 0x0200:  // IMAGE_FILE_MACHINE_IA64
            return Architecture::kItanium;
        default:
            return Architecture::kUnknown;
    }
}

Architecture ArchitectureOfProcessor(WORD processor_architecture) {
    switch (processor_architecture) {
        case 0:  // PROCESSOR_ARCHITECTURE_INTEL
            return Architecture::kX86;
        case 9:  // PROCESSOR_ARCHITECTURE_AMD64
            return Architecture::kX64;
        case 12:  // PROCESSOR_ARCHITECTURE_ARM64
            return Architecture::kArm64;
        case 5:  // PROCESSOR_ARCHITECTURE_ARM
            return Architecture::kArm;
        case 6:  // PROCESSOR_ARCHITECTURE_IA64
            return Architecture::kItanium;
        default:
            return Architecture::kUnknown;
    }
}

const char* ArchitectureName(Architecture architecture) {
    switch (architecture) {
        case Architecture::kX64:
            return "x64";
        case Architecture::kArm64:
            return "arm64";
        case Architecture::kX86:
            return "x86";
        case Architecture::kArm:
            return "arm";
        case Architecture::kItanium:
            return "ia64";
        case Architecture::kUnknown:
            break;
    }
    return nullptr;
}

ProductIdentity IdentifyProduct(const ProductFacts& facts) {
    ProductIdentity identity;
    const bool nt = facts.platform_id == VER_PLATFORM_WIN32_NT;
    const Version version{facts.major, facts.minor};

    // The registry is believed only on NT and only about the running build.
    RegistryFacts none;
    const RegistryFacts* registry = &none;
    if (nt && facts.registry.current_build_number.present) {
        char build[kDecimalCapacity];
        size_t length = FormatUnsigned(facts.build, build);
        build[length] = '\0';
        if (strcmp(build, facts.registry.current_build_number.text) == 0) {
            registry = &facts.registry;
        }
    }
    if (registry->edition_id.present) {
        identity.edition_id = registry->edition_id.text;
    }

    EditionChoice chosen;
    if (nt && facts.major >= 6) {
        char room[48];
        const char* name = nullptr;
        if (registry->edition_id.present) {
            EditionChoice choice = EditionOfRegistry(registry->edition_id);
            if (choice.row != nullptr &&
                (name = EditionName(*choice.row, version, facts.build, room)) != nullptr) {
                chosen = choice;
            }
        }
        if (chosen.row == nullptr && facts.product_code != 0) {
            EditionChoice choice = EditionOfProductCode(facts.product_code);
            if (choice.row != nullptr &&
                (name = EditionName(*choice.row, version, facts.build, room)) != nullptr) {
                chosen = choice;
            }
        }
        if (chosen.row != nullptr && name[0] != '\0') {
            CopyText(identity.edition, name);
            identity.has_edition = true;
        }
    }

    // Multi-session Enterprise reports a server's product type but is a client.
    const bool client =
        facts.product_type == VER_NT_WORKSTATION ||
        (chosen.row != nullptr && strcmp(chosen.row->edition_id, kMultiSessionEditionId) == 0);
    FamilyOf(facts, client, identity.family);

    if (nt && !client) {
        identity.server_core = registry->installation_type.present
                                   ? strcmp(registry->installation_type.text, "Server Core") == 0
                                   : chosen.core;
    }
    if (nt && version.Is(10, 0)) {
        if (registry->display_version.present) {
            identity.version = registry->display_version.text;
        } else if ((identity.version = NameOfBuild(kFeatureVersions, facts.build)) == nullptr &&
                   registry->release_id.present) {
            identity.version = registry->release_id.text;
        }
    }
    identity.has_service_pack = nt && facts.major < 10 && facts.csd_version[0] != 0;
    identity.build =
        facts.platform_id == VER_PLATFORM_WIN32_WINDOWS ? facts.build & 0xFFFF : facts.build;
    identity.has_ubr = registry->has_ubr;
    identity.ubr = registry->ubr;
    return identity;
}

void AppendProductName(const ProductFacts& facts, const ProductIdentity& identity, WideText& text) {
    text.AppendAscii(identity.family);
    if (identity.has_edition) {
        text.AppendAscii(" ");
        text.AppendAscii(identity.edition);
    }
    if (identity.server_core) {
        text.AppendAscii(" (Server Core)");
    }
    if (identity.version != nullptr) {
        text.AppendAscii(", version ");
        text.AppendAscii(identity.version);
    }
    if (identity.has_service_pack) {
        text.AppendAscii(", ");
        text.Append(facts.csd_version, WideLength(facts.csd_version));
    }
    text.AppendAscii(" (OS Build ");
    text.AppendUnsigned(identity.build);
    if (identity.has_ubr) {
        text.AppendAscii(".");
        text.AppendUnsigned(identity.ubr);
    }
    text.AppendAscii(")");
    switch (facts.architecture) {
        case Architecture::kX64:
            text.AppendAscii(", 64-bit (x64)");
            break;
        case Architecture::kArm64:
            text.AppendAscii(", 64-bit (ARM64)");
            break;
        case Architecture::kItanium:
            text.AppendAscii(", 64-bit (Itanium)");
            break;
        case Architecture::kX86:
            text.AppendAscii(", 32-bit (x86)");
            break;
        case Architecture::kArm:
            text.AppendAscii(", 32-bit (ARM)");
            break;
        case Architecture::kUnknown:
            break;
    }
}

}  // namespace brelmox
