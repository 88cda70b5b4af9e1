// The texts of CBrelmoxLib as pure functions of the facts they describe.
//
// The constructor gathers the facts from the system (version record, metrics,
// WOW64 flag) and hands them to these builders, so every wording can be tested
// from plain data.
#pragma once

#include <windows.h>

#include "growing_text.h"

// Older SDK headers lack the Windows CE platform id.
#ifndef VER_PLATFORM_WIN32_CE
#define VER_PLATFORM_WIN32_CE 3
#endif

namespace brelmox {

// Metrics that name an edition; nonzero means present.
struct EditionMetrics {
    int media_center = 0;  // SM_MEDIACENTER
    int starter = 0;       // SM_STARTER
    int tablet_pc = 0;     // SM_TABLETPC
    int server_r2 = 0;     // SM_SERVERR2
};

// The raw metric values behind the machine-facts text.
struct MachineMetrics {
    int clean_boot = 0;           // SM_CLEANBOOT
    int dbcs_enabled = 0;         // SM_DBCSENABLED
    int mideast_enabled = 0;      // SM_MIDEASTENABLED
    int debug = 0;                // SM_DEBUG
    int mouse_present = 0;        // SM_MOUSEPRESENT
    int mouse_wheel_present = 0;  // SM_MOUSEWHEELPRESENT
    int network = 0;              // SM_NETWORK
    int pen_windows = 0;          // SM_PENWINDOWS
    int slow_machine = 0;         // SM_SLOWMACHINE
    int swap_button = 0;          // SM_SWAPBUTTON
    int screen_width = 0;         // SM_CXSCREEN
    int screen_height = 0;        // SM_CYSCREEN
    int mouse_buttons = 0;        // SM_CMOUSEBUTTONS
};

// Record sizes the version queries leave in dwOSVersionInfoSize.
constexpr DWORD kExtendedRecordSize = 156;
constexpr DWORD kBasicRecordSize = 148;

// Appends label, the value as a signed 32-bit decimal and ",".
template <typename Text>
void AppendDebugNumber(Text& text, const char* label, unsigned long value) {
    text.Append(label);
    text.AppendSigned(static_cast<int32_t>(static_cast<uint32_t>(value)));
    text.Append(",", 1);
}

// Appends label, the value and ",".
template <typename Text>
void AppendDebugString(Text& text, const char* label, const char* value) {
    text.Append(label);
    text.Append(value);
    text.Append(",", 1);
}

// Appends the description of the product-suite bits: nothing when no known bit
// is set, else "\r\nwSuiteMask=" and one comma-terminated name per set bit.
void AppendSuiteDescription(GrowingText& text, unsigned long suite_mask);
void AppendSuiteDescription(UnboundedText& text, unsigned long suite_mask);

// Whether the process is a 32-bit one (native or under WOW64) or a 64-bit one,
// which no WOW line of the 32-bit wording would describe.
enum class ProcessBits { k32, k64 };
#ifdef _WIN64
constexpr ProcessBits kThisProcess = ProcessBits::k64;
#else
constexpr ProcessBits kThisProcess = ProcessBits::k32;
#endif

// Writes the OS text for a version record; returns false (writing nothing) when
// the record is empty because neither version query succeeded. A 64-bit
// process's text says "Running on 64-bit Windows" wherever a 32-bit one's has
// its WOW line.
bool BuildOsText(const OSVERSIONINFOEXA& version, const EditionMetrics& editions, bool wow64,
                 GrowingText& os_text, ProcessBits process = kThisProcess);

// Writes the machine-facts text.
void BuildMachineFacts(const MachineMetrics& metrics, GrowingText& facts);

// The machine facts as values: the boot mode's name ("normal", "safe",
// "network_safe", "unknown") and each yes-or-no fact, true exactly when the
// text says so, in the text's order.
struct MachineFlag {
    const char* name;
    bool holds;
};
constexpr size_t kMachineFlagCount = 9;
const char* BootModeName(int clean_boot);
// Reads the metrics back from a machine-facts text (the "Unknown Boot" mode
// as 3, each yes-or-no fact as 0 or 1); false for a text they cannot give.
bool ReadMachineFacts(const char* text, MachineMetrics& metrics);
void GetMachineFlags(const MachineMetrics& metrics, MachineFlag (&flags)[kMachineFlagCount]);

// Room that covers every text these builders produce without growing; growth
// beyond it still works.
constexpr size_t kOsTextRoom = 2048;
constexpr size_t kMachineFactsRoom = 512;

// System queries behind the texts.
void QueryVersion(OSVERSIONINFOEXA& version);
EditionMetrics QueryEditionMetrics();
MachineMetrics QueryMachineMetrics();

}  // namespace brelmox
