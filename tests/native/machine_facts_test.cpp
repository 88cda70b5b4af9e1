// The suite description and the machine-facts text, from plain values.
#include <gtest/gtest.h>

#include <string>

#include "report_texts.h"

namespace {

using brelmox::MachineMetrics;

std::string Suites(unsigned long mask, const char* start = "") {
    brelmox::InlineText<32> text;
    text.Append(start);
    brelmox::AppendSuiteDescription(text, mask);
    EXPECT_FALSE(text.failed());
    return text.c_str();
}

TEST(SuiteDescription, NamesSetBitsInTableOrder) {
    struct Case {
        unsigned long mask;
        const char* expected;
    } const cases[] = {
        {0, ""},
        {0x0008, ""},
        {0x0800 | 0x1000, ""},
        {0x10000, ""},
        {0xFFFF0000ul, ""},
        {0x8000, "\r\nwSuiteMask=Home Server Installed,"},
        {0x0003, "\r\nwSuiteMask=Enterprise Edition,SMS once Installed,"},
        {0x0310,
         "\r\nwSuiteMask=Home Edition(Home Basic/Premium),SingleUserTS Edition,"
         "Terminal Services is installed,"},
        {0x10002, "\r\nwSuiteMask=Enterprise Edition,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        EXPECT_EQ(Suites(c.mask), c.expected);
    }
}

TEST(SuiteDescription, AllThirteenSuitesTake327Characters) {
    std::string all = Suites(0xFFFF);
    EXPECT_EQ(all.size(), 327u);
    EXPECT_EQ(all,
              "\r\nwSuiteMask=Enterprise Edition,BackOffice Componemt Installed,Web Edition,"
              "Cluster Edition,Data Center Edition,Embedded Edition,"
              "Home Edition(Home Basic/Premium),SingleUserTS Edition,SMS once Installed,"
              "SMS Installed with the restrictive client license,Storage Server Edition,"
              "Terminal Services is installed,Home Server Installed,");
}

TEST(SuiteDescription, AppendsBehindExistingWords) {
    EXPECT_EQ(Suites(0x0100, "MS-WindowsXP"), "MS-WindowsXP\r\nwSuiteMask=SingleUserTS Edition,");
}

TEST(SuiteDescription, ExportedFormAppendsToARawText) {
    char buffer[400] = "words";
    brelmox::UnboundedText text(buffer);
    brelmox::AppendSuiteDescription(text, 0xFFFF);
    EXPECT_EQ(std::string(buffer), "words" + Suites(0xFFFF));
}

std::string Facts(const MachineMetrics& metrics) {
    brelmox::InlineText<16> text;
    brelmox::BuildMachineFacts(metrics, text);
    EXPECT_FALSE(text.failed());
    return text.c_str();
}

// The text for a machine with every optional line absent, with one column changed.
std::string BareWith(
    const std::string& boot, const std::string& debug, const std::string& mouse,
    const std::string& wheel, const std::string& network,
    const std::string& numbers = "ScreenX=0,ScreenY=0,\r\nMouseButtonCount=0,\r\n") {
    return boot + debug + mouse + wheel + network + numbers;
}

TEST(MachineFacts, EveryOptionalLineAbsentStillGivesSevenLines) {
    std::string text = Facts(MachineMetrics());
    EXPECT_EQ(text,
              "Normal Boot\r\nuser.exe no Debug Version\r\nNot Connectting Mouse\r\n"
              "Not Connectting Mouse Wheel\r\nNot Connectting Network\r\n"
              "ScreenX=0,ScreenY=0,\r\nMouseButtonCount=0,\r\n");
}

TEST(MachineFacts, BootMode) {
    struct Case {
        int value;
        const char* line;
    } const cases[] = {{0, "Normal Boot\r\n"},
                       {1, "Safe Boot\r\n"},
                       {2, "Network Safe Boot\r\n"},
                       {3, "Unknown Boot\r\n"},
                       {-1, "Unknown Boot\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        MachineMetrics metrics;
        metrics.clean_boot = c.value;
        EXPECT_EQ(Facts(metrics).rfind(c.line, 0), 0u);
    }
}

TEST(MachineFacts, OptionalLinesAndTheirTests) {
    struct Case {
        const char* name;
        int MachineMetrics::*field;
        int value;
        const char* line;  // null: no line
    } const cases[] = {
        {"DBCS 1", &MachineMetrics::dbcs_enabled, 1, "Support DBMS\r\n"},
        {"DBCS 2", &MachineMetrics::dbcs_enabled, 2, "Support DBMS\r\n"},
        {"Middle East 1", &MachineMetrics::mideast_enabled, 1, "Support MiddleEast\r\n"},
        {"Middle East 2", &MachineMetrics::mideast_enabled, 2, nullptr},
        {"pen 2", &MachineMetrics::pen_windows, 2,
         "Installed Windows for Pen computiong extentions\r\n"},
        {"slow 1", &MachineMetrics::slow_machine, 1, "This is Slow Machine\r\n"},
        {"slow 2", &MachineMetrics::slow_machine, 2, nullptr},
        {"swap -1", &MachineMetrics::swap_button, -1, "Swap Mouse Left/Right Button\r\n"},
    };
    const std::string bare = Facts(MachineMetrics());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MachineMetrics metrics;
        metrics.*c.field = c.value;
        std::string text = Facts(metrics);
        if (c.line == nullptr) {
            EXPECT_EQ(text, bare);
        } else {
            EXPECT_EQ(text.size(), bare.size() + strlen(c.line));
            EXPECT_NE(text.find(c.line), std::string::npos);
        }
    }
}

TEST(MachineFacts, TwoWayLinesAndNumbers) {
    MachineMetrics metrics;
    metrics.debug = 5;
    metrics.mouse_present = -1;
    metrics.mouse_wheel_present = 1;
    metrics.network = 3;
    metrics.screen_width = 1024;
    metrics.screen_height = -768;
    metrics.mouse_buttons = 3;
    EXPECT_EQ(Facts(metrics),
              BareWith("Normal Boot\r\n", "user.exe Debug Version\r\n", "Connectting Mouse\r\n",
                       "Connectting Mouse Wheel\r\n", "Connectting Network\r\n",
                       "ScreenX=1024,ScreenY=-768,\r\nMouseButtonCount=3,\r\n"));

    metrics.network = 2;  // only the lowest bit counts
    EXPECT_NE(Facts(metrics).find("Not Connectting Network\r\n"), std::string::npos);
}

TEST(MachineFacts, EveryLineAtOnceInReportOrder) {
    MachineMetrics metrics{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2147483647, -2147483647 - 1, 16};
    EXPECT_EQ(Facts(metrics),
              "Safe Boot\r\nSupport DBMS\r\nSupport MiddleEast\r\nuser.exe Debug Version\r\n"
              "Connectting Mouse\r\nConnectting Mouse Wheel\r\nConnectting Network\r\n"
              "Installed Windows for Pen computiong extentions\r\nThis is Slow Machine\r\n"
              "Swap Mouse Left/Right Button\r\nScreenX=2147483647,ScreenY=-2147483648,\r\n"
              "MouseButtonCount=16,\r\n");
}

}  // namespace

namespace {

// The JSON report reads its values back from the text: each flag must come out
// as the text says, and only a text the metrics give is taken.
TEST(MachineFacts, ReadBackFromTheTextGivesTheSameFlagsAndNumbers) {
    const MachineMetrics cases[] = {
        MachineMetrics(),
        {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2147483647, -2147483647 - 1, 16},
        {2, 2, 2, 0, 0, 0, 2, 2, 2, -1, 1024, 768, 3},
        {7, 0, 1, 1, 0, 1, 3, 0, 1, 0, 0, 0, 0},
    };
    for (const MachineMetrics& metrics : cases) {
        std::string text = Facts(metrics);
        SCOPED_TRACE(text);
        MachineMetrics read;
        ASSERT_TRUE(brelmox::ReadMachineFacts(text.c_str(), read));
        brelmox::MachineFlag expected[brelmox::kMachineFlagCount];
        brelmox::MachineFlag actual[brelmox::kMachineFlagCount];
        brelmox::GetMachineFlags(metrics, expected);
        brelmox::GetMachineFlags(read, actual);
        for (size_t i = 0; i < brelmox::kMachineFlagCount; ++i) {
            EXPECT_STREQ(actual[i].name, expected[i].name);
            EXPECT_EQ(actual[i].holds, expected[i].holds) << expected[i].name;
        }
        EXPECT_STREQ(brelmox::BootModeName(read.clean_boot),
                     brelmox::BootModeName(metrics.clean_boot));
        EXPECT_EQ(read.screen_width, metrics.screen_width);
        EXPECT_EQ(read.screen_height, metrics.screen_height);
        EXPECT_EQ(read.mouse_buttons, metrics.mouse_buttons);
    }
    const std::string good = Facts(MachineMetrics());
    for (const std::string& bad :
         {std::string(), good.substr(0, good.size() - 1), good + "x",
          "Odd Boot\r\n" + good.substr(13),
          std::string("Normal Boot\r\nuser.exe no Debug Version\r\nConnectting Mouse\r\n")}) {
        SCOPED_TRACE(bad);
        MachineMetrics read;
        EXPECT_FALSE(brelmox::ReadMachineFacts(bad.c_str(), read));
    }
}

}  // namespace
