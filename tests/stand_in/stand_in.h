// Test control of the Win32 stand-in used by host builds.
//
// The stand-in answers every Win32 call from one simulated machine, which tests
// shape before they act, and can make any call or any heap allocation fail on
// demand. Allocations are counted and failed through the linker's --wrap of
// malloc, calloc and realloc, which every target linking the stand-in gets.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace stand_in {

enum class Api {
    kGetVersionExA,
    kGetSystemMetrics,
    kGetModuleHandleA,
    kGetProcAddress,
    kIsWow64Process,
    kGetComputerNameA,
    kGetComputerNameW,
    kGetUserNameA,
    kGetUserNameW,
    kOpenProcessToken,
    kGetTokenInformation,
    kLookupAccountSidA,
    kLookupAccountSidW,
    kGetFileVersionInfoSizeW,
    kGetFileVersionInfoW,
    kVerQueryValueW,
    kMultiByteToWideChar,
    kWideCharToMultiByte,
    kSysAllocStringLen,
    kRtlGetVersion,
    kGetProductInfo,
    kIsWow64Process2,
    kGetNativeSystemInfo,
    kGetSystemInfo,
    kRegOpenKeyExW,
    kRegQueryValueExW,
    kWriteConsoleW,
    kCount
};

const char* ApiName(Api api);

// The text in the machine's ANSI code page, as WideCharToMultiByte gives it.
std::string ToAnsi(const std::u16string& text);

struct Sid {
    BYTE authority[6];
    std::vector<DWORD> sub_authorities;
};

struct FileVersion {
    WORD parts[4];
};

// A registry value as stored: its type and raw bytes, which need not be what
// the type promises (a string without its terminator, an odd length).
struct RegistryValue {
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
};
using RegistryValues = std::map<std::u16string, RegistryValue>;

// A REG_SZ with its terminator, as the registry editor writes it.
RegistryValue RegistryString(const std::u16string& text);
RegistryValue RegistryDword(DWORD value);

// The ANSI code page the narrow calls convert to.
enum class AnsiCodePage {
    kLatin1,      // one byte per character up to U+00FF, '?' for the rest
    kDoubleByte,  // ASCII in one byte, every other character in two (as code page 932)
};

// What the simulated machine answers.
struct Machine {
    // The record the extended query fills; the basic query copies its first 148 bytes.
    OSVERSIONINFOEXA version;
    bool extended_query_supported = true;
    std::map<int, int> metrics;  // GetSystemMetrics; an absent index answers 0
    bool kernel32_exports_is_wow64 = true;
    BOOL is_wow64 = FALSE;

    // Names as the wide calls give them. The narrow calls give them converted
    // to the ANSI code page, and with a double-byte code page they fail as
    // Wine's do: GetUserNameA cuts the name in half and reports success, and
    // LookupAccountSidA reports lengths in characters but writes every byte.
    AnsiCodePage ansi_code_page = AnsiCodePage::kLatin1;
    std::u16string computer_name;
    std::u16string user_name;
    Sid token_sid;
    std::u16string account, domain;

    std::map<std::u16string, FileVersion> file_versions;

    // What ntdll's RtlGetVersion reports; without it, the record GetVersionExA
    // fills (as on Windows 8.1 and later, that may be a lower version).
    bool ntdll_exports_rtl_get_version = true;
    std::optional<OSVERSIONINFOEXA> true_version;

    // kernel32's exports of Vista and later, and what they answer.
    bool kernel32_exports_get_product_info = false;
    DWORD product_info = 0;
    bool kernel32_exports_is_wow64_process2 = false;
    WORD native_machine = IMAGE_FILE_MACHINE_I386;  // IsWow64Process2's IMAGE_FILE_MACHINE_*
    bool kernel32_exports_get_native_system_info = true;
    WORD native_processor_architecture = PROCESSOR_ARCHITECTURE_INTEL;  // GetNativeSystemInfo
    WORD processor_architecture = PROCESSOR_ARCHITECTURE_INTEL;         // GetSystemInfo

    // HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion: the 64-bit view, and the
    // WOW6432Node copy that a WOW64 process reads unless it asks for the 64-bit
    // view. Opening the key fails with current_version_error when it is set.
    RegistryValues current_version;
    RegistryValues current_version_wow64;
    LONG current_version_error = ERROR_SUCCESS;

    // What WriteConsoleW wrote to kConsole, and how many units it takes per
    // call at most (0: all it is given).
    std::u16string console_output;
    DWORD console_chunk = 0;
};

// The console handle of the simulated machine.
extern HANDLE const kConsole;

constexpr int kEveryCall = 0;

// Puts back a typical 32-bit XP Professional SP2 machine, clears faults and counters.
void Reset();
Machine& machine();

// Makes the given occurrence of a call fail (1 = the next call from now on),
// or every call with kEveryCall.
void FailCall(Api api, int occurrence = kEveryCall);
// Makes the n-th platform call from now on fail, whichever it is (1 = the next).
void FailNthCall(int occurrence);
// Makes the n-th heap allocation from now on fail (1 = the next); 0 disarms.
void FailAllocation(int occurrence);
void ClearFaults();

// Counters since the last Reset(): calls made, and how many of them an armed
// fault failed.
int Calls(Api api);
int FailedCalls(Api api);
int TotalCalls();
long Allocations();
// Token handles opened and not closed yet.
int OpenTokenHandles();
// Registry keys opened and not closed yet.
int OpenRegistryKeys();
// Whether an armed fault was triggered since it was armed.
bool FaultTriggered();

}  // namespace stand_in
