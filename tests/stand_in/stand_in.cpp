// The simulated Win32 API of host builds; see stand_in.h.
#include "stand_in.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <set>

namespace stand_in {
namespace {

struct CallFault {
    int occurrence = -1;  // -1: none armed, kEveryCall: every call, n: the n-th call from arming
    int seen = 0;
};

Machine TypicalMachine();

struct State {
    Machine machine = TypicalMachine();
    CallFault call_faults[static_cast<int>(Api::kCount)];
    int calls[static_cast<int>(Api::kCount)] = {};
    int failed_calls[static_cast<int>(Api::kCount)] = {};
    int total_calls = 0;
    int any_call_fault = 0;  // fail the n-th call of any kind; 0: disarmed
    int any_call_seen = 0;
    long allocations = 0;
    long allocation_fault = 0;  // fail the n-th allocation; 0: disarmed
    long allocations_since_arming = 0;
    bool fault_triggered = false;
    std::set<HANDLE> open_tokens;
    std::set<HKEY> open_keys;
    int next_handle = 0x100;
    DWORD last_error = 0;
};

State& state() {
    static State* instance = new State();  // never destroyed: allocations may run at exit
    return *instance;
}

// Counts the call and tells whether an armed fault makes it fail.
bool Fails(Api api) {
    State& s = state();
    int index = static_cast<int>(api);
    s.calls[index]++;
    s.total_calls++;
    bool fail = false;
    if (s.any_call_fault > 0 && ++s.any_call_seen == s.any_call_fault) {
        fail = true;
    }
    CallFault& fault = s.call_faults[index];
    if (fault.occurrence == kEveryCall) {
        fail = true;
    } else if (fault.occurrence > 0 && ++fault.seen == fault.occurrence) {
        fail = true;
    }
    if (fail) {
        s.failed_calls[index]++;
        s.fault_triggered = true;
        s.last_error = ERROR_CALL_NOT_IMPLEMENTED;
    }
    return fail;
}

Machine TypicalMachine() {
    Machine m;
    memset(&m.version, 0, sizeof m.version);
    m.version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    m.version.dwMajorVersion = 5;
    m.version.dwMinorVersion = 1;
    m.version.dwBuildNumber = 2600;
    m.version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    strcpy(m.version.szCSDVersion, "Service Pack 2");
    m.version.wServicePackMajor = 2;
    m.version.wSuiteMask = VER_SUITE_SINGLEUSERTS;
    m.version.wProductType = VER_NT_WORKSTATION;
    m.metrics = {{SM_MOUSEPRESENT, 1}, {SM_MOUSEWHEELPRESENT, 1}, {SM_NETWORK, 3},
                 {SM_CXSCREEN, 1024},  {SM_CYSCREEN, 768},        {SM_CMOUSEBUTTONS, 3}};
    m.computer_name = u"WORKSTATION7";
    m.user_name = u"alice";
    m.token_sid = Sid{{0, 0, 0, 0, 0, 5}, {21, 100, 200, 300, 1004}};
    m.account = u"alice";
    m.domain = u"WORKSTATION7";
    m.current_version[u"CurrentBuildNumber"] = RegistryString(u"2600");
    return m;
}

HMODULE const kKernel32 = reinterpret_cast<HMODULE>(0x7b800000);
HMODULE const kNtdll = reinterpret_cast<HMODULE>(0x7bc00000);
HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(-1);

BOOL WINAPI StandInIsWow64Process(HANDLE process, PBOOL wow64) {
    if (Fails(Api::kIsWow64Process) || process != kCurrentProcess || wow64 == nullptr) {
        return FALSE;
    }
    *wow64 = state().machine.is_wow64;
    return TRUE;
}

LONG WINAPI StandInRtlGetVersion(RTL_OSVERSIONINFOEXW* info) {
    if (Fails(Api::kRtlGetVersion) || info == nullptr) {
        return static_cast<LONG>(0xC000000D);  // STATUS_INVALID_PARAMETER
    }
    const Machine& m = state().machine;
    const OSVERSIONINFOEXA& source = m.true_version ? *m.true_version : m.version;
    DWORD size = info->dwOSVersionInfoSize;
    if (size != sizeof(RTL_OSVERSIONINFOEXW)) {
        return static_cast<LONG>(0xC000000D);
    }
    memset(info, 0, sizeof *info);
    info->dwOSVersionInfoSize = size;
    info->dwMajorVersion = source.dwMajorVersion;
    info->dwMinorVersion = source.dwMinorVersion;
    info->dwBuildNumber = source.dwBuildNumber;
    info->dwPlatformId = source.dwPlatformId;
    for (size_t i = 0; i + 1 < 128 && source.szCSDVersion[i] != '\0'; ++i) {
        info->szCSDVersion[i] = static_cast<unsigned char>(source.szCSDVersion[i]);
    }
    info->wServicePackMajor = source.wServicePackMajor;
    info->wServicePackMinor = source.wServicePackMinor;
    info->wSuiteMask = source.wSuiteMask;
    info->wProductType = source.wProductType;
    return 0;
}

BOOL WINAPI StandInGetProductInfo(DWORD, DWORD, DWORD, DWORD, PDWORD product) {
    if (Fails(Api::kGetProductInfo) || product == nullptr) {
        return FALSE;
    }
    *product = state().machine.product_info;
    return TRUE;
}

BOOL WINAPI StandInIsWow64Process2(HANDLE process, WORD* process_machine, WORD* native_machine) {
    if (Fails(Api::kIsWow64Process2) || process != kCurrentProcess || process_machine == nullptr) {
        return FALSE;
    }
    const Machine& m = state().machine;
    *process_machine = m.is_wow64 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_UNKNOWN;
    if (native_machine != nullptr) {
        *native_machine = m.native_machine;
    }
    return TRUE;
}

void AnswerSystemInfo(SYSTEM_INFO* info, WORD architecture) {
    memset(info, 0, sizeof *info);
    info->wProcessorArchitecture = architecture;
    info->dwPageSize = 4096;
    info->dwNumberOfProcessors = 1;
}

void WINAPI StandInGetNativeSystemInfo(SYSTEM_INFO* info) {
    if (info == nullptr) {
        return;
    }
    // Like the real call it cannot fail; a failure leaves an unknown processor.
    bool fails = Fails(Api::kGetNativeSystemInfo);
    AnswerSystemInfo(info, fails ? PROCESSOR_ARCHITECTURE_UNKNOWN
                                 : state().machine.native_processor_architecture);
}

size_t SidBytes(const Sid& sid) {
    return 8 + 4 * sid.sub_authorities.size();
}

// The version resource block handed out by GetFileVersionInfoW.
struct VersionBlock {
    DWORD magic;
    VS_FIXEDFILEINFO fixed;
};
constexpr DWORD kVersionBlockMagic = 0x56455253;

template <typename Char>
BOOL AnswerName(const std::basic_string<Char>& name, Char* buffer, LPDWORD size,
                bool count_terminator_on_success) {
    DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (buffer == nullptr || *size < needed) {
        *size = needed;
        state().last_error = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    memcpy(buffer, name.c_str(), needed * sizeof(Char));
    *size = count_terminator_on_success ? needed : needed - 1;
    return TRUE;
}

// `reported` is the length the size checks use: the text's own, or (for
// Wine's narrow lookup with a double-byte code page) its length in characters.
template <typename Char>
BOOL AnswerAccount(const std::basic_string<Char>& account, const std::basic_string<Char>& domain,
                   DWORD account_reported, DWORD domain_reported, Char* name, LPDWORD name_size,
                   Char* domain_name, LPDWORD domain_size, PSID_NAME_USE use) {
    DWORD name_needed = account_reported + 1;
    DWORD domain_needed = domain_reported + 1;
    if (name == nullptr || domain_name == nullptr || *name_size < name_needed ||
        *domain_size < domain_needed) {
        *name_size = name_needed;
        *domain_size = domain_needed;
        state().last_error = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    memcpy(name, account.c_str(), (account.size() + 1) * sizeof(Char));
    memcpy(domain_name, domain.c_str(), (domain.size() + 1) * sizeof(Char));
    *name_size = name_needed - 1;
    *domain_size = domain_needed - 1;
    if (use != nullptr) {
        *use = SidTypeUser;
    }
    return TRUE;
}

bool DoubleByte() {
    return state().machine.ansi_code_page == AnsiCodePage::kDoubleByte;
}

// One character in the ANSI code page; false when it lacks the character.
bool AppendAnsi(char16_t unit, std::string& text) {
    if (unit < 0x80 || (unit <= 0xFF && !DoubleByte())) {
        text.push_back(static_cast<char>(unit));
        return true;
    }
    if (!DoubleByte()) {
        text.push_back('?');
        return false;
    }
    // Lead and trail byte in the ranges of code page 932; no byte is zero.
    text.push_back(static_cast<char>(0x81 + (unit >> 8) % 0x1F));
    text.push_back(static_cast<char>(0x40 + unit % 0x3F));
    return true;
}

}  // namespace

RegistryValue RegistryString(const std::u16string& text) {
    RegistryValue value;
    value.type = REG_SZ;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    value.data.assign(bytes, bytes + (text.size() + 1) * sizeof(char16_t));
    return value;
}

RegistryValue RegistryDword(DWORD number) {
    RegistryValue value;
    value.type = REG_DWORD;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&number);
    value.data.assign(bytes, bytes + sizeof number);
    return value;
}

std::string ToAnsi(const std::u16string& text) {
    std::string ansi;
    for (char16_t unit : text) {
        AppendAnsi(unit, ansi);
    }
    return ansi;
}

const char* ApiName(Api api) {
    static const char* const kNames[] = {
        "GetVersionExA",       "GetSystemMetrics",
        "GetModuleHandleA",    "GetProcAddress",
        "IsWow64Process",      "GetComputerNameA",
        "GetComputerNameW",    "GetUserNameA",
        "GetUserNameW",        "OpenProcessToken",
        "GetTokenInformation", "LookupAccountSidA",
        "LookupAccountSidW",   "GetFileVersionInfoSizeW",
        "GetFileVersionInfoW", "VerQueryValueW",
        "MultiByteToWideChar", "WideCharToMultiByte",
        "SysAllocStringLen",   "RtlGetVersion",
        "GetProductInfo",      "IsWow64Process2",
        "GetNativeSystemInfo", "GetSystemInfo",
        "RegOpenKeyExW",       "RegQueryValueExW",
        "WriteConsoleW",
    };
    static_assert(sizeof kNames / sizeof kNames[0] == static_cast<size_t>(Api::kCount),
                  "one name per call");
    return kNames[static_cast<int>(api)];
}

void Reset() {
    State& s = state();
    s.machine = TypicalMachine();
    ClearFaults();
    std::fill(std::begin(s.calls), std::end(s.calls), 0);
    std::fill(std::begin(s.failed_calls), std::end(s.failed_calls), 0);
    s.total_calls = 0;
    s.allocations = 0;
    s.open_tokens.clear();
    s.open_keys.clear();
}

Machine& machine() {
    return state().machine;
}

void FailCall(Api api, int occurrence) {
    CallFault& fault = state().call_faults[static_cast<int>(api)];
    fault.occurrence = occurrence;
    fault.seen = 0;
    state().fault_triggered = false;
}

void FailNthCall(int occurrence) {
    state().any_call_fault = occurrence;
    state().any_call_seen = 0;
    state().fault_triggered = false;
}

void FailAllocation(int occurrence) {
    state().allocation_fault = occurrence;
    state().allocations_since_arming = 0;
    state().fault_triggered = false;
}

void ClearFaults() {
    State& s = state();
    for (CallFault& fault : s.call_faults) {
        fault = CallFault();
    }
    s.any_call_fault = 0;
    s.any_call_seen = 0;
    s.allocation_fault = 0;
    s.allocations_since_arming = 0;
    s.fault_triggered = false;
}

int Calls(Api api) {
    return state().calls[static_cast<int>(api)];
}
int FailedCalls(Api api) {
    return state().failed_calls[static_cast<int>(api)];
}
int TotalCalls() {
    return state().total_calls;
}
long Allocations() {
    return state().allocations;
}
int OpenTokenHandles() {
    return static_cast<int>(state().open_tokens.size());
}
int OpenRegistryKeys() {
    return static_cast<int>(state().open_keys.size());
}
bool FaultTriggered() {
    return state().fault_triggered;
}

// Called by the allocation hooks: counts the allocation and tells whether it fails.
bool AllocationFails() {
    State& s = state();
    s.allocations++;
    if (s.allocation_fault > 0 && ++s.allocations_since_arming == s.allocation_fault) {
        s.fault_triggered = true;
        return true;
    }
    return false;
}

}  // namespace stand_in

using stand_in::Api;
using stand_in::Fails;
using stand_in::state;

// ---- Allocation hooks (linked in place of malloc, calloc, realloc) ---------------------------

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);

void* __wrap_malloc(size_t size) {
    return stand_in::AllocationFails() ? nullptr : __real_malloc(size);
}

void* __wrap_calloc(size_t count, size_t size) {
    return stand_in::AllocationFails() ? nullptr : __real_calloc(count, size);
}

void* __wrap_realloc(void* block, size_t size) {
    return stand_in::AllocationFails() ? nullptr : __real_realloc(block, size);
}
}

// ---- Kernel ---------------------------------------------------------------------------------

DWORD WINAPI GetLastError(void) {
    return state().last_error;
}
void WINAPI SetLastError(DWORD code) {
    state().last_error = code;
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    if (Fails(Api::kGetVersionExA) || info == nullptr) {
        return FALSE;
    }
    const stand_in::Machine& m = state().machine;
    DWORD size = info->dwOSVersionInfoSize;
    if (size == sizeof(OSVERSIONINFOEXA) && m.extended_query_supported) {
        memcpy(info, &m.version, sizeof(OSVERSIONINFOEXA));
    } else if (size == sizeof(OSVERSIONINFOA)) {
        memcpy(info, &m.version, sizeof(OSVERSIONINFOA));
    } else {
        state().last_error = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    info->dwOSVersionInfoSize = size;
    return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
    if (Fails(Api::kGetSystemMetrics)) {
        return 0;
    }
    const auto& metrics = state().machine.metrics;
    auto found = metrics.find(index);
    return found == metrics.end() ? 0 : found->second;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    if (Fails(Api::kGetModuleHandleA) || name == nullptr) {
        return nullptr;
    }
    if (strcasecmp(name, "kernel32") == 0 || strcasecmp(name, "kernel32.dll") == 0) {
        return stand_in::kKernel32;
    }
    if (strcasecmp(name, "ntdll") == 0 || strcasecmp(name, "ntdll.dll") == 0) {
        return stand_in::kNtdll;
    }
    return nullptr;
}

namespace {

template <typename Function>
FARPROC Export(Function* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

}  // namespace

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    if (Fails(Api::kGetProcAddress) || name == nullptr) {
        return nullptr;
    }
    const stand_in::Machine& m = state().machine;
    if (module == stand_in::kNtdll) {
        if (strcmp(name, "RtlGetVersion") == 0 && m.ntdll_exports_rtl_get_version) {
            return Export(&stand_in::StandInRtlGetVersion);
        }
        return nullptr;
    }
    if (module != stand_in::kKernel32) {
        return nullptr;
    }
    if (strcmp(name, "IsWow64Process") == 0 && m.kernel32_exports_is_wow64) {
        return Export(&stand_in::StandInIsWow64Process);
    }
    if (strcmp(name, "IsWow64Process2") == 0 && m.kernel32_exports_is_wow64_process2) {
        return Export(&stand_in::StandInIsWow64Process2);
    }
    if (strcmp(name, "GetProductInfo") == 0 && m.kernel32_exports_get_product_info) {
        return Export(&stand_in::StandInGetProductInfo);
    }
    if (strcmp(name, "GetNativeSystemInfo") == 0 && m.kernel32_exports_get_native_system_info) {
        return Export(&stand_in::StandInGetNativeSystemInfo);
    }
    return nullptr;
}

void WINAPI GetSystemInfo(LPSYSTEM_INFO info) {
    if (info == nullptr) {
        return;
    }
    bool fails = Fails(Api::kGetSystemInfo);
    stand_in::AnswerSystemInfo(
        info, fails ? PROCESSOR_ARCHITECTURE_UNKNOWN : state().machine.processor_architecture);
}

// ---- Registry: only HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion exists -------------

namespace {

const char16_t kCurrentVersionKey[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
HKEY const kCurrentVersion64 = reinterpret_cast<HKEY>(0x4000);
HKEY const kCurrentVersion32 = reinterpret_cast<HKEY>(0x4004);

}  // namespace

LONG WINAPI RegOpenKeyExW(HKEY parent, LPCWSTR name, DWORD, REGSAM access, PHKEY key) {
    if (key == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *key = nullptr;
    if (Fails(Api::kRegOpenKeyExW)) {
        return ERROR_ACCESS_DENIED;
    }
    const stand_in::Machine& m = state().machine;
    if (parent != HKEY_LOCAL_MACHINE || name == nullptr ||
        std::u16string(name) != kCurrentVersionKey) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (m.current_version_error != ERROR_SUCCESS) {
        return m.current_version_error;
    }
    // A WOW64 process sees the WOW6432Node copy unless it asks for the 64-bit view.
    bool own_view = m.is_wow64 && (access & KEY_WOW64_64KEY) == 0;
    *key = own_view ? kCurrentVersion32 : kCurrentVersion64;
    state().open_keys.insert(*key);
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
    if (Fails(Api::kRegQueryValueExW)) {
        return ERROR_ACCESS_DENIED;
    }
    if (state().open_keys.count(key) == 0 || reserved != nullptr ||
        (data != nullptr && size == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    const stand_in::Machine& m = state().machine;
    const stand_in::RegistryValues& values =
        key == kCurrentVersion32 ? m.current_version_wow64 : m.current_version;
    auto found = values.find(name == nullptr ? std::u16string() : std::u16string(name));
    if (found == values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const stand_in::RegistryValue& value = found->second;
    if (type != nullptr) {
        *type = value.type;
    }
    DWORD needed = static_cast<DWORD>(value.data.size());
    if (size == nullptr) {
        return ERROR_SUCCESS;
    }
    if (data == nullptr) {
        *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (!value.data.empty()) {
        memcpy(data, value.data.data(), needed);
    }
    *size = needed;
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
    return state().open_keys.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

HANDLE WINAPI GetCurrentProcess(void) {
    return stand_in::kCurrentProcess;
}

BOOL WINAPI CloseHandle(HANDLE handle) {
    return state().open_tokens.erase(handle) == 1 ? TRUE : FALSE;
}

HANDLE const stand_in::kConsole = reinterpret_cast<HANDLE>(0x3c0);

BOOL WINAPI WriteConsoleW(HANDLE console, const void* text, DWORD units, LPDWORD written, LPVOID) {
    if (Fails(Api::kWriteConsoleW) || console != stand_in::kConsole || written == nullptr) {
        return FALSE;
    }
    stand_in::Machine& m = state().machine;
    DWORD taken = m.console_chunk != 0 && units > m.console_chunk ? m.console_chunk : units;
    m.console_output.append(static_cast<const char16_t*>(text), taken);
    *written = taken;
    return TRUE;
}

BOOL WINAPI GetComputerNameA(LPSTR buffer, LPDWORD size) {
    if (Fails(Api::kGetComputerNameA) || size == nullptr) {
        return FALSE;
    }
    return stand_in::AnswerName(stand_in::ToAnsi(state().machine.computer_name), buffer, size,
                                false);
}

BOOL WINAPI GetComputerNameW(LPWSTR buffer, LPDWORD size) {
    if (Fails(Api::kGetComputerNameW) || size == nullptr) {
        return FALSE;
    }
    return stand_in::AnswerName(state().machine.computer_name, buffer, size, false);
}

// ---- Security -------------------------------------------------------------------------------

BOOL WINAPI GetUserNameA(LPSTR buffer, LPDWORD size) {
    if (Fails(Api::kGetUserNameA) || size == nullptr) {
        return FALSE;
    }
    std::string name = stand_in::ToAnsi(state().machine.user_name);
    if (stand_in::DoubleByte()) {
        name.resize(name.size() / 2);
    }
    return stand_in::AnswerName(name, buffer, size, true);
}

BOOL WINAPI GetUserNameW(LPWSTR buffer, LPDWORD size) {
    if (Fails(Api::kGetUserNameW) || size == nullptr) {
        return FALSE;
    }
    return stand_in::AnswerName(state().machine.user_name, buffer, size, true);
}

BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    if (Fails(Api::kOpenProcessToken) || process != stand_in::kCurrentProcess ||
        (access & TOKEN_QUERY) == 0 || token == nullptr) {
        return FALSE;
    }
    HANDLE handle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(state().next_handle += 4));
    state().open_tokens.insert(handle);
    *token = handle;
    return TRUE;
}

BOOL WINAPI GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID buffer,
                                DWORD length, PDWORD needed) {
    if (Fails(Api::kGetTokenInformation) || state().open_tokens.count(token) == 0 ||
        kind != TokenUser || needed == nullptr) {
        return FALSE;
    }
    const stand_in::Sid& sid = state().machine.token_sid;
    DWORD total = static_cast<DWORD>(sizeof(TOKEN_USER) + stand_in::SidBytes(sid));
    *needed = total;
    if (buffer == nullptr || length < total) {
        state().last_error = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    auto* user = static_cast<TOKEN_USER*>(buffer);
    auto* raw = reinterpret_cast<BYTE*>(user + 1);
    raw[0] = 1;
    raw[1] = static_cast<BYTE>(sid.sub_authorities.size());
    memcpy(raw + 2, sid.authority, 6);
    if (!sid.sub_authorities.empty()) {
        memcpy(raw + 8, sid.sub_authorities.data(), 4 * sid.sub_authorities.size());
    }
    user->User.Sid = raw;
    user->User.Attributes = 0;
    return TRUE;
}

PSID_IDENTIFIER_AUTHORITY WINAPI GetSidIdentifierAuthority(PSID sid) {
    return reinterpret_cast<PSID_IDENTIFIER_AUTHORITY>(static_cast<BYTE*>(sid) + 2);
}

PUCHAR WINAPI GetSidSubAuthorityCount(PSID sid) {
    return static_cast<BYTE*>(sid) + 1;
}

PDWORD WINAPI GetSidSubAuthority(PSID sid, DWORD index) {
    return reinterpret_cast<PDWORD>(static_cast<BYTE*>(sid) + 8 + 4 * index);
}

BOOL WINAPI LookupAccountSidA(LPCSTR, PSID, LPSTR name, LPDWORD name_size, LPSTR domain,
                              LPDWORD domain_size, PSID_NAME_USE use) {
    if (Fails(Api::kLookupAccountSidA) || name_size == nullptr || domain_size == nullptr) {
        return FALSE;
    }
    const stand_in::Machine& m = state().machine;
    std::string account = stand_in::ToAnsi(m.account), domain_name = stand_in::ToAnsi(m.domain);
    bool in_characters = stand_in::DoubleByte();
    return stand_in::AnswerAccount(
        account, domain_name, static_cast<DWORD>(in_characters ? m.account.size() : account.size()),
        static_cast<DWORD>(in_characters ? m.domain.size() : domain_name.size()), name, name_size,
        domain, domain_size, use);
}

BOOL WINAPI LookupAccountSidW(LPCWSTR, PSID, LPWSTR name, LPDWORD name_size, LPWSTR domain,
                              LPDWORD domain_size, PSID_NAME_USE use) {
    if (Fails(Api::kLookupAccountSidW) || name_size == nullptr || domain_size == nullptr) {
        return FALSE;
    }
    const stand_in::Machine& m = state().machine;
    return stand_in::AnswerAccount(m.account, m.domain, static_cast<DWORD>(m.account.size()),
                                   static_cast<DWORD>(m.domain.size()), name, name_size, domain,
                                   domain_size, use);
}

// ---- File version information ---------------------------------------------------------------

DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle) {
    if (handle != nullptr) {
        *handle = 0;
    }
    if (Fails(Api::kGetFileVersionInfoSizeW) || file == nullptr ||
        state().machine.file_versions.count(file) == 0) {
        state().last_error = ERROR_RESOURCE_TYPE_NOT_FOUND;
        return 0;
    }
    return sizeof(stand_in::VersionBlock);
}

BOOL WINAPI GetFileVersionInfoW(LPCWSTR file, DWORD, DWORD length, LPVOID data) {
    if (Fails(Api::kGetFileVersionInfoW) || file == nullptr || data == nullptr) {
        return FALSE;
    }
    auto found = state().machine.file_versions.find(file);
    if (found == state().machine.file_versions.end() || length < sizeof(stand_in::VersionBlock)) {
        return FALSE;
    }
    stand_in::VersionBlock block = {};
    block.magic = stand_in::kVersionBlockMagic;
    block.fixed.dwSignature = VS_FFI_SIGNATURE;
    const WORD* parts = found->second.parts;
    block.fixed.dwFileVersionMS = static_cast<DWORD>(parts[0]) << 16 | parts[1];
    block.fixed.dwFileVersionLS = static_cast<DWORD>(parts[2]) << 16 | parts[3];
    block.fixed.dwProductVersionMS = block.fixed.dwFileVersionMS;
    block.fixed.dwProductVersionLS = block.fixed.dwFileVersionLS;
    memcpy(data, &block, sizeof block);
    return TRUE;
}

BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR sub_block, LPVOID* value, UINT* length) {
    if (Fails(Api::kVerQueryValueW) || block == nullptr || sub_block == nullptr ||
        value == nullptr || length == nullptr) {
        return FALSE;
    }
    const auto* version = static_cast<const stand_in::VersionBlock*>(block);
    if (version->magic != stand_in::kVersionBlockMagic || std::u16string(sub_block) != u"\\") {
        return FALSE;
    }
    *value = const_cast<VS_FIXEDFILEINFO*>(&version->fixed);
    *length = sizeof(VS_FIXEDFILEINFO);
    return TRUE;
}

// ---- Code pages: the stand-in's ANSI code page is ISO 8859-1 ---------------------------------

int WINAPI MultiByteToWideChar(UINT, DWORD, LPCSTR text, int bytes, LPWSTR wide, int capacity) {
    if (Fails(Api::kMultiByteToWideChar) || text == nullptr || bytes == 0) {
        return 0;
    }
    int count = bytes < 0 ? static_cast<int>(strlen(text)) + 1 : bytes;
    if (capacity == 0) {
        return count;
    }
    if (wide == nullptr || capacity < count) {
        state().last_error = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
    }
    return count;
}

int WINAPI WideCharToMultiByte(UINT, DWORD, LPCWSTR wide, int units, LPSTR text, int capacity,
                               LPCSTR, BOOL* used_default) {
    if (Fails(Api::kWideCharToMultiByte) || wide == nullptr || units == 0) {
        return 0;
    }
    int count = units;
    if (units < 0) {
        count = 1;
        while (wide[count - 1] != 0) {
            ++count;
        }
    }
    std::string ansi;
    bool representable = true;
    for (int i = 0; i < count; ++i) {
        representable = stand_in::AppendAnsi(wide[i], ansi) && representable;
    }
    if (used_default != nullptr && !representable) {
        *used_default = TRUE;
    }
    int bytes = static_cast<int>(ansi.size());
    if (capacity == 0) {
        return bytes;
    }
    if (text == nullptr || capacity < bytes) {
        state().last_error = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    memcpy(text, ansi.data(), ansi.size());
    return bytes;
}

// ---- OLE Automation strings, laid out as on Windows: byte length, text, terminator -----------

BSTR WINAPI SysAllocStringLen(const OLECHAR* text, UINT length) {
    if (Fails(Api::kSysAllocStringLen)) {
        return nullptr;
    }
    auto* block = static_cast<DWORD*>(malloc(sizeof(DWORD) + (length + 1) * sizeof(OLECHAR)));
    if (block == nullptr) {
        return nullptr;
    }
    block[0] = length * sizeof(OLECHAR);
    auto* string = reinterpret_cast<OLECHAR*>(block + 1);
    if (text != nullptr) {
        memcpy(string, text, length * sizeof(OLECHAR));
    } else {
        memset(string, 0, length * sizeof(OLECHAR));
    }
    string[length] = 0;
    return string;
}

void WINAPI SysFreeString(BSTR string) {
    if (string != nullptr) {
        free(reinterpret_cast<DWORD*>(string) - 1);
    }
}

UINT WINAPI SysStringLen(BSTR string) {
    return string == nullptr ? 0 : reinterpret_cast<DWORD*>(string)[-1] / sizeof(OLECHAR);
}

void WINAPI VariantInit(VARIANTARG* variant) {
    memset(variant, 0, sizeof *variant);
    variant->vt = VT_EMPTY;
}

HRESULT WINAPI VariantClear(VARIANTARG* variant) {
    if (variant == nullptr) {
        return E_INVALIDARG;
    }
    if (variant->vt == VT_BSTR) {
        SysFreeString(variant->bstrVal);
    }
    variant->vt = VT_EMPTY;
    return S_OK;
}
