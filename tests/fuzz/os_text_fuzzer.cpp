// Fuzz target: the OS text and the machine facts from arbitrary facts.
//
// Input: a version record (156 bytes), the four edition metrics, the thirteen
// machine metrics (4 bytes each) and a WOW64 byte; short inputs are padded with
// zeros. Whatever the facts, the texts must come out whole: the same when they
// grow from one byte as when they never grow, closed by CR LF, and within the
// room their readers were promised.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "report_texts.h"

namespace {

constexpr size_t kOsTextCapacity = 10240;  // what readers of the OS text may rely on
constexpr size_t kLongestMachineFacts = 331;

struct Facts {
    OSVERSIONINFOEXA version;
    int32_t editions[4];
    int32_t machine[13];
    uint8_t wow64;
};

void Require(bool condition) {
    if (!condition) {
        abort();
    }
}

bool EndsWithLineBreak(const brelmox::GrowingText& text) {
    return text.size() >= 2 && memcmp(text.c_str() + text.size() - 2, "\r\n", 2) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Facts facts;
    memset(&facts, 0, sizeof facts);
    memcpy(&facts.version, data, size < sizeof facts.version ? size : sizeof facts.version);
    size_t offset = sizeof facts.version;
    if (size > offset) {
        size_t rest = size - offset;
        size_t numbers = sizeof facts.editions + sizeof facts.machine;
        memcpy(facts.editions, data + offset, rest < numbers ? rest : numbers);
        if (rest > numbers) {
            facts.wow64 = data[offset + numbers];
        }
    }
    brelmox::EditionMetrics editions{facts.editions[0], facts.editions[1], facts.editions[2],
                                     facts.editions[3]};
    brelmox::MachineMetrics machine;
    int* fields[] = {&machine.clean_boot,   &machine.dbcs_enabled,  &machine.mideast_enabled,
                     &machine.debug,        &machine.mouse_present, &machine.mouse_wheel_present,
                     &machine.network,      &machine.pen_windows,   &machine.slow_machine,
                     &machine.swap_button,  &machine.screen_width,  &machine.screen_height,
                     &machine.mouse_buttons};
    for (int i = 0; i < 13; ++i) {
        *fields[i] = facts.machine[i];
    }
    bool wow64 = (facts.wow64 & 1) != 0;

    brelmox::InlineText<1> grown;
    brelmox::InlineText<kOsTextCapacity> roomy;
    bool built = brelmox::BuildOsText(facts.version, editions, wow64, grown);
    Require(built == brelmox::BuildOsText(facts.version, editions, wow64, roomy));
    Require(built == (facts.version.dwOSVersionInfoSize != 0));
    if (built) {
        Require(!grown.failed() && !roomy.failed());
        Require(grown.size() == roomy.size() && strcmp(grown.c_str(), roomy.c_str()) == 0);
        Require(grown.size() < kOsTextCapacity);
        Require(strncmp(grown.c_str(), "Microsoft Windows", 17) == 0);
        Require(strstr(grown.c_str(), "\r\n\r\nDebugInfo=getOSVERSIONINFO") != nullptr);
        Require(EndsWithLineBreak(grown));
    }

    brelmox::InlineText<1> facts_grown;
    brelmox::InlineText<kLongestMachineFacts + 1> facts_roomy;
    brelmox::BuildMachineFacts(machine, facts_grown);
    brelmox::BuildMachineFacts(machine, facts_roomy);
    Require(!facts_grown.failed() && !facts_roomy.failed());
    Require(strcmp(facts_grown.c_str(), facts_roomy.c_str()) == 0);
    Require(facts_grown.size() <= kLongestMachineFacts);
    Require(EndsWithLineBreak(facts_grown));
    return 0;
}
