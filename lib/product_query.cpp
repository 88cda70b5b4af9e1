// Gathering the facts behind the product name, and the product-name getters.
#include "CBrelmoxLib.h"
#include "CPellwick.h"
#include "product_identity.h"
#include "report_texts.h"
#include "scoped.h"

namespace brelmox {
namespace {

typedef LONG(WINAPI* RtlGetVersionFunction)(RTL_OSVERSIONINFOEXW*);
typedef BOOL(WINAPI* GetProductInfoFunction)(DWORD, DWORD, DWORD, DWORD, PDWORD);
typedef BOOL(WINAPI* IsWow64Process2Function)(HANDLE, WORD*, WORD*);
typedef void(WINAPI* GetNativeSystemInfoFunction)(SYSTEM_INFO*);

constexpr DWORD kProductUnlicensed = 0xABCDABCD;

// Every call here is looked up at run time: each is missing from some
// Windows the library runs on.
template <typename Function>
Function LookUp(const char* module_name, const char* name) {
    HMODULE module = GetModuleHandleA(module_name);
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void CopyWide(unsigned short (&target)[129], const WCHAR* source, size_t capacity) {
    size_t i = 0;
    for (; i < capacity && i + 1 < 129 && source[i] != 0; ++i) {
        target[i] = static_cast<unsigned short>(source[i]);
    }
    target[i] = 0;
}

// The numbers of either version record, narrow or wide.
template <typename Record>
void TakeNumbers(const Record& record, ProductFacts& facts) {
    facts.version_known = true;
    facts.platform_id = record.dwPlatformId;
    facts.major = record.dwMajorVersion;
    facts.minor = record.dwMinorVersion;
    facts.build = record.dwBuildNumber;
    facts.service_pack_major = record.wServicePackMajor;
    facts.service_pack_minor = record.wServicePackMinor;
    facts.suite_mask = record.wSuiteMask;
    facts.product_type = record.wProductType;
}

// The true version: RtlGetVersion, which no application manifest caps, else
// (Windows 9x, Win32s) the record GetVersionExA fills.
void QueryTrueVersion(ProductFacts& facts) {
    auto rtl_get_version = LookUp<RtlGetVersionFunction>("ntdll", "RtlGetVersion");
    RTL_OSVERSIONINFOEXW wide = {};
    wide.dwOSVersionInfoSize = sizeof wide;
    if (rtl_get_version != nullptr && rtl_get_version(&wide) == 0) {
        TakeNumbers(wide, facts);
        CopyWide(facts.csd_version, wide.szCSDVersion, 128);
        return;
    }
    OSVERSIONINFOEXA narrow;
    QueryVersion(narrow);
    if (narrow.dwOSVersionInfoSize == 0) {
        return;
    }
    TakeNumbers(narrow, facts);
    // The record may come from anywhere: never read past its service-pack field.
    char csd[sizeof narrow.szCSDVersion + 1];
    memcpy(csd, narrow.szCSDVersion, sizeof narrow.szCSDVersion);
    csd[sizeof narrow.szCSDVersion] = '\0';
    WCHAR converted[129] = {};
    if (csd[0] != '\0' && MultiByteToWideChar(CP_ACP, 0, csd, -1, converted, 129) <= 0) {
        converted[0] = 0;
    }
    CopyWide(facts.csd_version, converted, 128);
}

// Wide literals are char16_t in host builds and wchar_t on Windows; both are UTF-16.
const WCHAR* Wide(const char16_t* text) {
    return reinterpret_cast<const WCHAR*>(text);
}

RegistryText QueryText(HKEY key, const WCHAR* name, bool digits_only) {
    // Room for the longest text that counts, its terminator and one unit more,
    // so that a longer text without a terminator is seen to be too long.
    BYTE data[(kRegistryTextLength + 2) * sizeof(WCHAR)];
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS ||
        size > sizeof data) {
        return RegistryText();
    }
    return CheckRegistryText(type, data, size, digits_only);
}

void QueryRegistry(const ProductFacts& facts, RegistryFacts& registry) {
    // The 64-bit view: a 32-bit process on 64-bit Windows would otherwise read
    // WOW6432Node's copy, which may hold values of an earlier Windows.
    ScopedRegistryKey current_version;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
                      0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                      current_version.put()) != ERROR_SUCCESS) {
        return;
    }
    HKEY key = current_version.get();
    registry.current_build_number = QueryText(key, Wide(u"CurrentBuildNumber"), true);
    if (!registry.current_build_number.present) {
        return;  // nothing else of the key could be believed
    }
    // Each round trip costs: only what the name may use is asked.
    registry.edition_id = QueryText(key, Wide(u"EditionID"), false);
    if (facts.major == 10 && facts.minor == 0) {
        registry.display_version = QueryText(key, Wide(u"DisplayVersion"), false);
        if (!registry.display_version.present) {
            registry.release_id = QueryText(key, Wide(u"ReleaseId"), false);
        }
    }
    if (facts.product_type != VER_NT_WORKSTATION) {
        registry.installation_type = QueryText(key, Wide(u"InstallationType"), false);
    }
    DWORD ubr = 0;
    DWORD size = sizeof ubr;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, Wide(u"UBR"), nullptr, &type, reinterpret_cast<BYTE*>(&ubr), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof ubr) {
        registry.has_ubr = true;
        registry.ubr = ubr;
    }
}

DWORD QueryProductCode(const ProductFacts& facts) {
    auto get_product_info = LookUp<GetProductInfoFunction>("kernel32", "GetProductInfo");
    DWORD code = 0;
    if (get_product_info == nullptr ||
        !get_product_info(facts.major, facts.minor, facts.service_pack_major,
                          facts.service_pack_minor, &code) ||
        code == kProductUnlicensed) {
        return 0;
    }
    return code;
}

// IsWow64Process2 alone tells an emulated x86 or x64 process that the machine
// is ARM64; GetNativeSystemInfo says x64 there.
Architecture QueryArchitecture() {
    auto is_wow64_process2 = LookUp<IsWow64Process2Function>("kernel32", "IsWow64Process2");
    WORD process_machine = 0;
    WORD native_machine = 0;
    if (is_wow64_process2 != nullptr &&
        is_wow64_process2(GetCurrentProcess(), &process_machine, &native_machine)) {
        return ArchitectureOfMachine(native_machine);
    }
    SYSTEM_INFO info = {};
    auto get_native_system_info =
        LookUp<GetNativeSystemInfoFunction>("kernel32", "GetNativeSystemInfo");
    if (get_native_system_info != nullptr) {
        get_native_system_info(&info);
    } else {
        GetSystemInfo(&info);
    }
    return ArchitectureOfProcessor(info.wProcessorArchitecture);
}

}  // namespace

ProductFacts QueryProductFacts() {
    ProductFacts facts;
    QueryTrueVersion(facts);
    if (facts.version_known && facts.platform_id == VER_PLATFORM_WIN32_NT) {
        QueryRegistry(facts, facts.registry);
        if (facts.major >= 6) {
            facts.product_code = QueryProductCode(facts);
        }
        if (facts.major == 5 && facts.minor == 2) {
            facts.server_r2 = GetSystemMetrics(SM_SERVERR2) != 0;
        }
    }
    facts.architecture = QueryArchitecture();
    return facts;
}

}  // namespace brelmox

using namespace brelmox;

namespace {

// The product name in UTF-16; false when the version is unknown or memory ran out.
bool BuildProductName(WideText& text) {
    ProductFacts facts = QueryProductFacts();
    if (!facts.version_known) {
        return false;
    }
    AppendProductName(facts, IdentifyProduct(facts), text);
    return !text.failed();
}

}  // namespace

bool CBrelmoxLib::GetOSProductNameW(unsigned short** name) {
    if (name == nullptr) {
        return false;
    }
    *name = nullptr;
    WideText text;
    if (!BuildProductName(text)) {
        return false;
    }
    CPellwick pellwick;
    return pellwick.SmemStrCpyW(name, const_cast<unsigned short*>(text.c_str())) >= 0;
}

bool CBrelmoxLib::GetOSProductNameA(char** name) {
    if (name == nullptr) {
        return false;
    }
    *name = nullptr;
    WideText text;
    if (!BuildProductName(text)) {
        return false;
    }
    const WCHAR* wide = reinterpret_cast<const WCHAR*>(text.c_str());
    int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return false;
    }
    HeapPtr<char> narrow(static_cast<char*>(malloc(size)));
    if (!narrow ||
        WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow.get(), size, nullptr, nullptr) != size) {
        return false;
    }
    CPellwick pellwick;
    return pellwick.SmemStrCpy(reinterpret_cast<unsigned char**>(name),
                               reinterpret_cast<unsigned char*>(narrow.get())) >= 0;
}
