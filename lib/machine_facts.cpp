// The machine beyond its version numbers: WOW64, product suites and the facts
// that the system metrics tell.
#include "CBrelmoxLib.h"
#include "report_texts.h"

#include <string.h>

namespace brelmox {
namespace {

struct SuiteName {
    unsigned long bit;
    const char* text;
};

// Tested in this order, which is not the order of the bit values. The
// wordings are published as they stand ("Componemt" included): never corrected.
const SuiteName kSuiteNames[] = {
    {VER_SUITE_ENTERPRISE, "Enterprise Edition,"},
    {VER_SUITE_BACKOFFICE, "BackOffice Componemt Installed,"},
    {VER_SUITE_BLADE, "Web Edition,"},
    {VER_SUITE_COMPUTE_SERVER, "Cluster Edition,"},
    {VER_SUITE_DATACENTER, "Data Center Edition,"},
    {VER_SUITE_EMBEDDEDNT, "Embedded Edition,"},
    {VER_SUITE_PERSONAL, "Home Edition(Home Basic/Premium),"},
    {VER_SUITE_SINGLEUSERTS, "SingleUserTS Edition,"},
    {VER_SUITE_SMALLBUSINESS, "SMS once Installed,"},
    {VER_SUITE_SMALLBUSINESS_RESTRICTED, "SMS Installed with the restrictive client license,"},
    {VER_SUITE_STORAGE_SERVER, "Storage Server Edition,"},
    {VER_SUITE_TERMINAL, "Terminal Services is installed,"},
    {VER_SUITE_WH_SERVER, "Home Server Installed,"},
};

template <typename Text>
void AppendSuites(Text& text, unsigned long suite_mask) {
    bool labelled = false;
    for (const SuiteName& suite : kSuiteNames) {
        if ((suite_mask & suite.bit) == 0) {
            continue;
        }
        if (!labelled) {
            text.Append("\r\nwSuiteMask=");
            labelled = true;
        }
        text.Append(suite.text);
    }
}

enum class MetricTest { kNonZero, kExactlyOne, kLowestBit };

struct FactLine {
    int MachineMetrics::*value;
    MetricTest test;
    const char* when_true;
    const char* when_false;  // null: no line
    const char* fact_name;   // the fact's name in the JSON report
};

// The lines between the boot mode and the screen figures, in report order.
// Published wordings ("Connectting", "computiong extentions", "Support DBMS"):
// programs parse them as they stand; never corrected.
const FactLine kFactLines[] = {
    {&MachineMetrics::dbcs_enabled, MetricTest::kNonZero, "Support DBMS\r\n", nullptr, "dbcs"},
    {&MachineMetrics::mideast_enabled, MetricTest::kExactlyOne, "Support MiddleEast\r\n", nullptr,
     "middle_east"},
    {&MachineMetrics::debug, MetricTest::kNonZero, "user.exe Debug Version\r\n",
     "user.exe no Debug Version\r\n", "debug_user"},
    {&MachineMetrics::mouse_present, MetricTest::kNonZero, "Connectting Mouse\r\n",
     "Not Connectting Mouse\r\n", "mouse"},
    {&MachineMetrics::mouse_wheel_present, MetricTest::kNonZero, "Connectting Mouse Wheel\r\n",
     "Not Connectting Mouse Wheel\r\n", "mouse_wheel"},
    {&MachineMetrics::network, MetricTest::kLowestBit, "Connectting Network\r\n",
     "Not Connectting Network\r\n", "network"},
    {&MachineMetrics::pen_windows, MetricTest::kNonZero,
     "Installed Windows for Pen computiong extentions\r\n", nullptr, "pen"},
    {&MachineMetrics::slow_machine, MetricTest::kExactlyOne, "This is Slow Machine\r\n", nullptr,
     "slow_machine"},
    {&MachineMetrics::swap_button, MetricTest::kNonZero, "Swap Mouse Left/Right Button\r\n",
     nullptr, "swap_buttons"},
};
static_assert(sizeof kFactLines / sizeof kFactLines[0] == kMachineFlagCount,
              "one flag per fact line");

bool Holds(MetricTest test, int value) {
    switch (test) {
        case MetricTest::kNonZero:
            return value != 0;
        case MetricTest::kExactlyOne:
            return value == 1;
        case MetricTest::kLowestBit:
            return (value & 1) != 0;
    }
    return false;
}

struct BootMode {
    const char* line;
    const char* name;
};

BootMode BootModeOf(int clean_boot) {
    switch (clean_boot) {
        case 0:
            return {"Normal Boot\r\n", "normal"};
        case 1:
            return {"Safe Boot\r\n", "safe"};
        case 2:
            return {"Network Safe Boot\r\n", "network_safe"};
        default:
            return {"Unknown Boot\r\n", "unknown"};
    }
}

}  // namespace

const char* BootModeName(int clean_boot) {
    return BootModeOf(clean_boot).name;
}

namespace {

bool Skip(const char*& cursor, const char* expected) {
    size_t length = strlen(expected);
    if (strncmp(cursor, expected, length) != 0) {
        return false;
    }
    cursor += length;
    return true;
}

bool ReadNumber(const char*& cursor, const char* label, int& value) {
    if (!Skip(cursor, label)) {
        return false;
    }
    bool negative = *cursor == '-';
    cursor += negative ? 1 : 0;
    uint32_t magnitude = 0;
    const char* digits = cursor;
    while (*cursor >= '0' && *cursor <= '9' && cursor - digits < 10) {
        magnitude = magnitude * 10 + static_cast<uint32_t>(*cursor++ - '0');
    }
    if (cursor == digits) {
        return false;
    }
    // The text holds signed 32-bit decimals; unsigned arithmetic keeps INT32_MIN defined.
    value = static_cast<int>(negative ? 0u - magnitude : magnitude);
    return Skip(cursor, ",");
}

}  // namespace

bool ReadMachineFacts(const char* text, MachineMetrics& metrics) {
    MachineMetrics read;
    const char* cursor = text;
    read.clean_boot = -1;
    for (int mode = 0; mode <= 3; ++mode) {
        if (Skip(cursor, BootModeOf(mode).line)) {
            read.clean_boot = mode;
            break;
        }
    }
    if (read.clean_boot < 0) {
        return false;
    }
    for (const FactLine& line : kFactLines) {
        if (Skip(cursor, line.when_true)) {
            read.*line.value = 1;
        } else if (line.when_false != nullptr && !Skip(cursor, line.when_false)) {
            return false;
        }
    }
    if (!ReadNumber(cursor, "ScreenX=", read.screen_width) ||
        !ReadNumber(cursor, "ScreenY=", read.screen_height) || !Skip(cursor, "\r\n") ||
        !ReadNumber(cursor, "MouseButtonCount=", read.mouse_buttons)) {
        return false;
    }
    // Only a text these metrics give again was read right.
    InlineText<kMachineFactsRoom> again;
    BuildMachineFacts(read, again);
    if (again.failed() || strcmp(again.c_str(), text) != 0) {
        return false;
    }
    metrics = read;
    return true;
}

void GetMachineFlags(const MachineMetrics& metrics, MachineFlag (&flags)[kMachineFlagCount]) {
    for (size_t i = 0; i < kMachineFlagCount; ++i) {
        flags[i] = {kFactLines[i].fact_name,
                    Holds(kFactLines[i].test, metrics.*kFactLines[i].value)};
    }
}

void AppendSuiteDescription(GrowingText& text, unsigned long suite_mask) {
    AppendSuites(text, suite_mask);
}

void AppendSuiteDescription(UnboundedText& text, unsigned long suite_mask) {
    AppendSuites(text, suite_mask);
}

void BuildMachineFacts(const MachineMetrics& metrics, GrowingText& facts) {
    facts.Append(BootModeOf(metrics.clean_boot).line);
    for (const FactLine& line : kFactLines) {
        const char* text = Holds(line.test, metrics.*line.value) ? line.when_true : line.when_false;
        if (text != nullptr) {
            facts.Append(text);
        }
    }
    AppendDebugNumber(facts, "ScreenX=", static_cast<unsigned long>(metrics.screen_width));
    AppendDebugNumber(facts, "ScreenY=", static_cast<unsigned long>(metrics.screen_height));
    facts.Append("\r\n");
    AppendDebugNumber(facts,
                      "MouseButtonCount=", static_cast<unsigned long>(metrics.mouse_buttons));
    facts.Append("\r\n");
}

MachineMetrics QueryMachineMetrics() {
    MachineMetrics metrics;
    metrics.clean_boot = GetSystemMetrics(SM_CLEANBOOT);
    metrics.dbcs_enabled = GetSystemMetrics(SM_DBCSENABLED);
    metrics.mideast_enabled = GetSystemMetrics(SM_MIDEASTENABLED);
    metrics.debug = GetSystemMetrics(SM_DEBUG);
    metrics.mouse_present = GetSystemMetrics(SM_MOUSEPRESENT);
    metrics.mouse_wheel_present = GetSystemMetrics(SM_MOUSEWHEELPRESENT);
    metrics.network = GetSystemMetrics(SM_NETWORK);
    metrics.pen_windows = GetSystemMetrics(SM_PENWINDOWS);
    metrics.slow_machine = GetSystemMetrics(SM_SLOWMACHINE);
    metrics.swap_button = GetSystemMetrics(SM_SWAPBUTTON);
    metrics.screen_width = GetSystemMetrics(SM_CXSCREEN);
    metrics.screen_height = GetSystemMetrics(SM_CYSCREEN);
    metrics.mouse_buttons = GetSystemMetrics(SM_CMOUSEBUTTONS);
    return metrics;
}

}  // namespace brelmox

using namespace brelmox;

int CBrelmoxLib::IsWow64() {
    typedef BOOL(WINAPI * IsWow64ProcessFunction)(HANDLE, PBOOL);
    BOOL wow64 = FALSE;
    // Looked up at run time: systems before XP SP2 lack the export. The address
    // stays local, so concurrent constructions share no state.
    HMODULE kernel32 = GetModuleHandleA("kernel32");
    if (kernel32 == nullptr) {
        return 0;
    }
    auto is_wow64_process = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "IsWow64Process")));
    if (is_wow64_process != nullptr) {
        is_wow64_process(GetCurrentProcess(), &wow64);
    }
    return wow64;
}

void CBrelmoxLib::GetSuiteMaskStr(char* text, unsigned long suite_mask, unsigned long,
                                  unsigned long) {
    UnboundedText target(text);
    AppendSuiteDescription(target, suite_mask);
}
