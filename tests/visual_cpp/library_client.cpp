// A client of BrelmoxLib.dll and Pellwick.dll built twice from this one file:
// by MinGW g++ against the g++ names and by a Visual C++ compiler against
// BrelmoxLib.lib and Pellwick.lib. It prints everything it gets back; run in
// the same prefix, both builds must print the same bytes. It uses the C
// run-time only, because the Visual C++ build has no C++ library.
//
// Exit status: 0, or the number of checks that failed.
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <CBrelmoxLib.h>
#include <CPellwick.h>

// The public members sit where both compilers put them: three pointers, then
// the version record (the x64 object padded to its pointers' alignment).
#ifdef _WIN64
constexpr size_t kPointer = 8, kObjectSize = 184;
#else
constexpr size_t kPointer = 4, kObjectSize = 168;
#endif
static_assert(sizeof(CBrelmoxLib) == kObjectSize, "object size");
static_assert(offsetof(CBrelmoxLib, m_pOSName) == 0, "m_pOSName");
static_assert(offsetof(CBrelmoxLib, m_pOSNameAllPattern) == kPointer, "m_pOSNameAllPattern");
static_assert(offsetof(CBrelmoxLib, m_pOSEtcInfo) == 2 * kPointer, "m_pOSEtcInfo");
static_assert(offsetof(CBrelmoxLib, m_OSVersionInfo) == 3 * kPointer, "m_OSVersionInfo");
static_assert(sizeof(OSVERSIONINFOEXA) == 156, "OSVERSIONINFOEXA");

static int failures = 0;

static void Check(bool holds, const char* what) {
    if (!holds) {
        printf("FAILED: %s\n", what);
        ++failures;
    }
}

static void PrintNarrow(const char* label, const char* text) {
    printf("%s: %s\n", label, text != nullptr ? text : "(null)");
}

// Wide texts go out as UTF-8, so that both builds print the same bytes.
static void PrintWide(const char* label, const unsigned short* text) {
    if (text == nullptr) {
        PrintNarrow(label, nullptr);
        return;
    }
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
    int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    char* utf8 = static_cast<char*>(malloc(size > 0 ? size : 1));
    Check(utf8 != nullptr && size > 0, "UTF-8 conversion");
    if (utf8 != nullptr && size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, size, nullptr, nullptr);
        PrintNarrow(label, utf8);
    }
    free(utf8);
}

static void PrintGetters(CBrelmoxLib& library) {
    char* narrow = nullptr;
    Check(library.GetComputerNameA(&narrow), "GetComputerNameA");
    PrintNarrow("GetComputerNameA", narrow);
    free(narrow);

    unsigned short* wide = nullptr;
    Check(library.GetComputerNameW(&wide), "GetComputerNameW");
    PrintWide("GetComputerNameW", wide);
    free(wide);

    narrow = nullptr;
    Check(library.GetUserNameA(&narrow), "GetUserNameA");
    PrintNarrow("GetUserNameA", narrow);
    free(narrow);

    wide = nullptr;
    Check(library.GetUserNameW(&wide), "GetUserNameW");
    PrintWide("GetUserNameW", wide);
    free(wide);

    char* user = nullptr;
    char* domain = nullptr;
    char* sid = nullptr;
    Check(library.GetUserNameAndDomainNameAndSidA(&user, &domain, &sid),
          "GetUserNameAndDomainNameAndSidA");
    PrintNarrow("GetUserNameAndDomainNameAndSidA user", user);
    PrintNarrow("GetUserNameAndDomainNameAndSidA domain", domain);
    PrintNarrow("GetUserNameAndDomainNameAndSidA sid", sid);
    free(user);
    free(domain);
    free(sid);

    unsigned short* wide_user = nullptr;
    unsigned short* wide_domain = nullptr;
    unsigned short* wide_sid = nullptr;
    Check(library.GetUserNameAndDomainNameAndSidW(&wide_user, &wide_domain, &wide_sid),
          "GetUserNameAndDomainNameAndSidW");
    PrintWide("GetUserNameAndDomainNameAndSidW user", wide_user);
    PrintWide("GetUserNameAndDomainNameAndSidW domain", wide_domain);
    PrintWide("GetUserNameAndDomainNameAndSidW sid", wide_sid);
    free(wide_user);
    free(wide_domain);
    free(wide_sid);

    narrow = nullptr;
    Check(library.GetOSProductNameA(&narrow), "GetOSProductNameA");
    PrintNarrow("GetOSProductNameA", narrow);
    free(narrow);

    wide = nullptr;
    Check(library.GetOSProductNameW(&wide), "GetOSProductNameW");
    PrintWide("GetOSProductNameW", wide);
    free(wide);

    wide = nullptr;
    Check(library.GetReportJsonW(&wide), "GetReportJsonW");
    PrintWide("GetReportJsonW", wide);
    free(wide);
}

static void PrintVersionRecord(const OSVERSIONINFOEXA& record) {
    printf(
        "record: size %lu, version %lu.%lu.%lu, platform %lu, \"%.128s\", "
        "service pack %u.%u, suites 0x%04X, product type %u\n",
        record.dwOSVersionInfoSize, record.dwMajorVersion, record.dwMinorVersion,
        record.dwBuildNumber, record.dwPlatformId, record.szCSDVersion, record.wServicePackMajor,
        record.wServicePackMinor, record.wSuiteMask, record.wProductType);
}

static bool SameText(const char* left, const char* right) {
    if (left == nullptr || right == nullptr) {
        return left == right;
    }
    return strcmp(left, right) == 0;
}

// Copy assignment returns the target and gives it texts of its own.
static void CheckAssignment(const CBrelmoxLib& source) {
    CBrelmoxLib target;
    CBrelmoxLib& result = (target = source);
    Check(&result == &target, "assignment returns its target");
    Check(SameText(target.m_pOSName, source.m_pOSName) &&
              SameText(target.m_pOSNameAllPattern, source.m_pOSNameAllPattern) &&
              SameText(target.m_pOSEtcInfo, source.m_pOSEtcInfo),
          "assignment copies the texts");
    Check(target.m_pOSName != source.m_pOSName && target.m_pOSEtcInfo != source.m_pOSEtcInfo,
          "assignment makes copies of its own");
    Check(memcmp(&target.m_OSVersionInfo, &source.m_OSVersionInfo,
                 sizeof(source.m_OSVersionInfo)) == 0,
          "assignment copies the version record");
    printf("assignment: done\n");
}

// Pellwick from this build: a heap copy, released by Sfree.
static void CheckPellwick(const CBrelmoxLib& library) {
    CPellwick helper;
    unsigned char* copy = nullptr;
    Check(helper.SmemStrCpy(&copy, reinterpret_cast<unsigned char*>(library.m_pOSEtcInfo)) >= 0,
          "SmemStrCpy");
    Check(copy != nullptr && SameText(reinterpret_cast<char*>(copy), library.m_pOSEtcInfo),
          "SmemStrCpy copies the text");
    helper.Sfree(&copy);
    Check(copy == nullptr, "Sfree clears the pointer");
    printf("pellwick: done\n");
}

using ConstructorEntry = void*(__attribute__((thiscall)) *)(void* storage);
using DestructorEntry = void(__attribute__((thiscall)) *)(void* object);

// A Visual C++ caller takes `this` back from the constructor in EAX (RAX on
// x64); checked through the exported Visual C++ names, which this build need
// not link to. Their public members' code: QAE for x86's __thiscall, QEAA for x64.
#ifdef _WIN64
#define MEMBER_CODE "QEAA"
#else
#define MEMBER_CODE "QAE"
#endif
static void CheckConstructorEntry(const char* module_name, const char* constructor,
                                  const char* destructor) {
    HMODULE module = GetModuleHandleA(module_name);
    auto construct = reinterpret_cast<ConstructorEntry>(
        reinterpret_cast<void*>(GetProcAddress(module, constructor)));
    auto destroy = reinterpret_cast<DestructorEntry>(
        reinterpret_cast<void*>(GetProcAddress(module, destructor)));
    Check(construct != nullptr && destroy != nullptr, constructor);
    if (construct == nullptr || destroy == nullptr) {
        return;
    }
    alignas(8) unsigned char storage[sizeof(CBrelmoxLib)];
    bool returns_this = construct(storage) == storage;
    Check(returns_this, constructor);
    destroy(storage);
    printf("%s: the constructor %s this\n", module_name,
           returns_this ? "returns" : "does not return");
}

int main() {
    CBrelmoxLib library;
    PrintNarrow("m_pOSName", library.m_pOSName);
    PrintNarrow("m_pOSNameAllPattern", library.m_pOSNameAllPattern);
    PrintNarrow("m_pOSEtcInfo", library.m_pOSEtcInfo);
    PrintVersionRecord(library.m_OSVersionInfo);
    PrintGetters(library);
    CheckAssignment(library);
    CheckPellwick(library);
    CheckConstructorEntry("BrelmoxLib.dll", "??0CBrelmoxLib@@" MEMBER_CODE "@XZ",
                          "??1CBrelmoxLib@@" MEMBER_CODE "@XZ");
    CheckConstructorEntry("Pellwick.dll", "??0CPellwick@@" MEMBER_CODE "@XZ",
                          "??1CPellwick@@" MEMBER_CODE "@XZ");
    printf("failures: %d\n", failures);
    return failures;
}
