// Building the OS text and the machine facts against copying the same bytes
// into fresh heap blocks, for a few real records. Prints "name value unit"
// lines, the ratio last.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "report_texts.h"

namespace {

struct Machine {
    OSVERSIONINFOEXA version;
    brelmox::EditionMetrics editions;
    bool wow64;
};

OSVERSIONINFOEXA Record(DWORD platform, DWORD major, DWORD minor, DWORD build, const char* csd,
                        WORD service_pack, WORD suite, BYTE product) {
    OSVERSIONINFOEXA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    version.dwPlatformId = platform;
    version.dwMajorVersion = major;
    version.dwMinorVersion = minor;
    version.dwBuildNumber = build;
    strcpy(version.szCSDVersion, csd);
    version.wServicePackMajor = service_pack;
    version.wSuiteMask = suite;
    version.wProductType = product;
    return version;
}

const std::vector<Machine>& Machines() {
    static const std::vector<Machine> machines = {
        {Record(2, 5, 1, 2600, "Service Pack 2", 2, 0x0100, 1), {}, false},
        {Record(1, 4, 10, 67766446, " A ", 0, 0, 0), {}, false},
        {Record(2, 5, 2, 3790, "Service Pack 2", 2, 0x0012, 2), {0, 0, 0, 1}, false},
        {Record(2, 6, 0, 6002, "Service Pack 2", 2, 0x0300, 1), {}, true},
    };
    return machines;
}

brelmox::MachineMetrics Metrics() {
    brelmox::MachineMetrics metrics;
    metrics.mouse_present = 1;
    metrics.mouse_wheel_present = 1;
    metrics.network = 3;
    metrics.screen_width = 1920;
    metrics.screen_height = 1080;
    metrics.mouse_buttons = 5;
    return metrics;
}

void BuildTexts(benchmark::State& state) {
    const brelmox::MachineMetrics metrics = Metrics();
    for (auto _ : state) {
        for (const Machine& machine : Machines()) {
            brelmox::InlineText<brelmox::kOsTextRoom> os_text;
            brelmox::BuildOsText(machine.version, machine.editions, machine.wow64, os_text);
            char* os_copy = os_text.CopyToHeap();
            brelmox::InlineText<brelmox::kMachineFactsRoom> facts;
            brelmox::BuildMachineFacts(metrics, facts);
            char* facts_copy = facts.CopyToHeap();
            benchmark::DoNotOptimize(os_copy);
            benchmark::DoNotOptimize(facts_copy);
            free(facts_copy);
            free(os_copy);
        }
    }
}

// The finished texts of BuildTexts, to copy byte for byte.
std::vector<std::string> FinishedTexts() {
    std::vector<std::string> texts;
    for (const Machine& machine : Machines()) {
        brelmox::InlineText<brelmox::kOsTextRoom> os_text;
        brelmox::BuildOsText(machine.version, machine.editions, machine.wow64, os_text);
        texts.push_back(os_text.c_str());
        brelmox::InlineText<brelmox::kMachineFactsRoom> facts;
        brelmox::BuildMachineFacts(Metrics(), facts);
        texts.push_back(facts.c_str());
    }
    return texts;
}

void CopyTexts(benchmark::State& state) {
    const std::vector<std::string> texts = FinishedTexts();
    for (auto _ : state) {
        for (const std::string& text : texts) {
            char* copy = static_cast<char*>(malloc(text.size() + 1));
            memcpy(copy, text.c_str(), text.size() + 1);
            benchmark::DoNotOptimize(copy);
            free(copy);
        }
    }
}

BENCHMARK(BuildTexts)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(CopyTexts)->Repetitions(9)->ReportAggregatesOnly(true);

// Keeps the median of each benchmark instead of printing a table.
class MedianReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
    }
    std::map<std::string, double> medians;  // nanoseconds per iteration
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    size_t bytes = 0;
    for (const std::string& text : FinishedTexts()) {
        bytes += text.size() + 1;
    }
    double build = reporter.medians["BuildTexts"];
    double copy = reporter.medians["CopyTexts"];
    printf("text_records %zu count\n", Machines().size());
    printf("text_bytes %zu bytes\n", bytes);
    printf("text_build_ns %.1f ns\n", build);
    printf("text_copy_ns %.1f ns\n", copy);
    printf("text_vs_copy %.2f ratio\n", build / copy);
    return 0;
}
