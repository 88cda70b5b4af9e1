// Constructing and destroying a CBrelmoxLib against the raw floor: the same
// platform calls with no text work; the product name against its own floor;
// the JSON report against a construction and the account getters. Batches of the two alternate in
// one process, so both see the same machine; prints "name value unit" lines.
//
//   construction_bench [batches] [iterations per batch]
#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "CBrelmoxLib.h"
#include "timing.h"

namespace {

volatile unsigned g_sink;

// What the constructor asks the system, in its order, and nothing else.
void RawFloor() {
    OSVERSIONINFOEXA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version));
    unsigned sum = version.dwMajorVersion + version.wProductType;
    for (int index : {SM_MEDIACENTER, SM_STARTER, SM_TABLETPC, SM_SERVERR2}) {
        sum += GetSystemMetrics(index);
    }
    typedef BOOL(WINAPI * IsWow64ProcessFunction)(HANDLE, PBOOL);
    BOOL wow64 = FALSE;
    auto is_wow64_process = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process")));
    if (is_wow64_process != nullptr) {
        is_wow64_process(GetCurrentProcess(), &wow64);
    }
    sum += wow64;
    for (int index : {SM_CLEANBOOT, SM_DBCSENABLED, SM_MIDEASTENABLED, SM_DEBUG, SM_MOUSEPRESENT,
                      SM_MOUSEWHEELPRESENT, SM_NETWORK, SM_PENWINDOWS, SM_SLOWMACHINE,
                      SM_SWAPBUTTON, SM_CXSCREEN, SM_CYSCREEN, SM_CMOUSEBUTTONS}) {
        sum += GetSystemMetrics(index);
    }
    g_sink = g_sink + sum;
}

// The two screen metrics alone, which Wine answers through its wineserver.
void ScreenMetrics() {
    g_sink = g_sink + GetSystemMetrics(SM_CXSCREEN) + GetSystemMetrics(SM_CYSCREEN);
}

// What GetOSProductNameW asks the system, in its order, and nothing else.
void ProductNameFloor() {
    typedef LONG(WINAPI * RtlGetVersionFunction)(RTL_OSVERSIONINFOEXW*);
    typedef BOOL(WINAPI * GetProductInfoFunction)(DWORD, DWORD, DWORD, DWORD, PDWORD);
    typedef BOOL(WINAPI * IsWow64Process2Function)(HANDLE, USHORT*, USHORT*);
    auto rtl_get_version = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll"), "RtlGetVersion")));
    RTL_OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    rtl_get_version(&version);
    unsigned sum = version.dwBuildNumber;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
        // The values the name may use on this version, as the library asks them.
        bool windows10 = version.dwMajorVersion == 10;
        bool workstation = version.wProductType == VER_NT_WORKSTATION;
        const struct {
            const wchar_t* name;
            bool asked;
        } values[] = {{L"CurrentBuildNumber", true},       {L"EditionID", true},
                      {L"DisplayVersion", windows10},      {L"ReleaseId", false},
                      {L"InstallationType", !workstation}, {L"UBR", true}};
        for (const auto& value : values) {
            BYTE data[68];
            DWORD size = sizeof data;
            DWORD type = 0;
            if (value.asked) {
                sum += RegQueryValueExW(key, value.name, nullptr, &type, data, &size);
            }
        }
        RegCloseKey(key);
    }
    HMODULE kernel32 = GetModuleHandleA("kernel32");
    auto get_product_info = reinterpret_cast<GetProductInfoFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "GetProductInfo")));
    DWORD code = 0;
    if (get_product_info != nullptr) {
        get_product_info(version.dwMajorVersion, version.dwMinorVersion, 0, 0, &code);
    }
    auto is_wow64_process2 = reinterpret_cast<IsWow64Process2Function>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "IsWow64Process2")));
    USHORT process_machine = 0;
    USHORT native_machine = 0;
    if (is_wow64_process2 != nullptr) {
        is_wow64_process2(GetCurrentProcess(), &process_machine, &native_machine);
    }
    g_sink = g_sink + sum + code + native_machine;
}

void ProductName() {
    static CBrelmoxLib lib;
    unsigned short* name = nullptr;
    lib.GetOSProductNameW(&name);
    g_sink = g_sink + name[0];
    free(name);
}

// The JSON report holds what one construction and the account getters give.
void ConstructionAndAccountGetters() {
    CBrelmoxLib lib;
    unsigned short* texts[5] = {};
    lib.GetComputerNameW(&texts[0]);
    lib.GetUserNameW(&texts[1]);
    lib.GetUserNameAndDomainNameAndSidW(&texts[2], &texts[3], &texts[4]);
    g_sink = g_sink + static_cast<unsigned char>(lib.m_pOSName[0]) + texts[4][0];
    for (unsigned short* text : texts) {
        free(text);
    }
}

void JsonReport() {
    static CBrelmoxLib lib;
    unsigned short* json = nullptr;
    lib.GetReportJsonW(&json);
    g_sink = g_sink + json[0];
    free(json);
}

void Construction() {
    CBrelmoxLib lib;
    g_sink = g_sink + static_cast<unsigned char>(lib.m_pOSName[0]) +
             static_cast<unsigned char>(lib.m_pOSEtcInfo[0]);
}

}  // namespace

int main(int argc, char** argv) {
    int batches = argc > 1 ? atoi(argv[1]) : 21;
    int iterations = argc > 2 ? atoi(argv[2]) : 500;
    bench::BatchMean(iterations, RawFloor);  // warm-up
    bench::BatchMean(iterations, Construction);
    bench::BatchMean(iterations, ProductNameFloor);
    bench::BatchMean(iterations, ProductName);
    bench::BatchMean(iterations / 5, JsonReport);
    std::vector<double> floor, construction, screen, name_floor, name, getters, json;
    for (int batch = 0; batch < batches; ++batch) {
        floor.push_back(bench::BatchMean(iterations, RawFloor));
        construction.push_back(bench::BatchMean(iterations, Construction));
        screen.push_back(bench::BatchMean(iterations, ScreenMetrics));
        name_floor.push_back(bench::BatchMean(iterations, ProductNameFloor));
        name.push_back(bench::BatchMean(iterations, ProductName));
        getters.push_back(bench::BatchMean(iterations / 5, ConstructionAndAccountGetters));
        json.push_back(bench::BatchMean(iterations / 5, JsonReport));
    }
    double floor_us = bench::Median(floor);
    double construction_us = bench::Median(construction);
    printf("construction_floor_us %.3f us\n", floor_us);
    printf("construction_us %.3f us\n", construction_us);
    printf("construction_screen_metrics_us %.3f us\n", bench::Median(screen));
    printf("product_name_floor_us %.3f us\n", bench::Median(name_floor));
    printf("product_name_us %.3f us\n", bench::Median(name));
    printf("construction_and_account_getters_us %.3f us\n", bench::Median(getters));
    printf("json_report_us %.3f us\n", bench::Median(json));
    printf("construction_batches %dx%d iterations\n", batches, iterations);
    return 0;
}
