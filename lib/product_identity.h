// Today's name of the installed Windows ("Windows 11 Pro, version 24H2 (OS
// Build 26100.2605), 64-bit (x64)"), beside the classic OS text.
//
// The facts come from several places, each trusted only as far as it goes:
// the true version record (RtlGetVersion, which no manifest caps), the
// registry's CurrentVersion key in its 64-bit view (anyone may write it, so
// every value is checked and the whole key is ignored when its build is not
// the running one), GetProductInfo, and the machine's native architecture.
// Gathering them is apart from naming them, so every machine can be named from
// plain data.
#pragma once

#include <windows.h>

#include "wide_text.h"

namespace brelmox {

// A registry string that counts: 1 to 32 ASCII letters, digits and spaces.
constexpr size_t kRegistryTextLength = 32;
struct RegistryText {
    bool present = false;
    char text[kRegistryTextLength + 1] = {};
};

// The values of HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion, each one
// already checked; what failed a check is absent.
struct RegistryFacts {
    RegistryText current_build_number;
    RegistryText edition_id;
    RegistryText display_version;
    RegistryText release_id;
    RegistryText installation_type;
    bool has_ubr = false;
    DWORD ubr = 0;
};

enum class Architecture { kUnknown, kX86, kX64, kArm, kArm64, kItanium };

struct ProductFacts {
    bool version_known = false;  // false when no version query succeeded
    DWORD platform_id = 0;
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
    WORD service_pack_major = 0;
    WORD service_pack_minor = 0;
    WORD suite_mask = 0;
    BYTE product_type = 0;
    unsigned short csd_version[129] = {};  // zero-terminated
    RegistryFacts registry;
    DWORD product_code = 0;  // GetProductInfo; 0 when absent or meaningless
    Architecture architecture = Architecture::kUnknown;
    bool server_r2 = false;  // SM_SERVERR2
};

// What the facts mean. Texts point into static tables or into the facts.
struct ProductIdentity {
    char family[40] = {};
    char edition[48] = {};  // empty: none
    bool has_edition = false;
    bool server_core = false;
    const char* version = nullptr;     // feature version ("24H2"), or null
    const char* edition_id = nullptr;  // the registry's EditionID when it counts
    bool has_service_pack = false;
    DWORD build = 0;
    bool has_ubr = false;
    DWORD ubr = 0;
};

// The registry value's text if it counts: REG_SZ, 1 to 32 characters of the
// allowed set (digits only when `digits_only`), with or without terminators.
RegistryText CheckRegistryText(DWORD type, const BYTE* data, DWORD size, bool digits_only);

Architecture ArchitectureOfMachine(WORD image_file_machine);
Architecture ArchitectureOfProcessor(WORD processor_architecture);
// "x64", "arm64", "x86", "arm", "ia64", or null for an unknown machine.
const char* ArchitectureName(Architecture architecture);

ProductIdentity IdentifyProduct(const ProductFacts& facts);

// Appends the product name of `facts` as `identity` names it.
void AppendProductName(const ProductFacts& facts, const ProductIdentity& identity, WideText& text);

// Asks the system; each call gathers afresh.
ProductFacts QueryProductFacts();

}  // namespace brelmox
