// The console's line writer: one format, one text, bytes in the ANSI code page.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>

#include "report_output.h"
#include "stand_in.h"

namespace {

// Everything written to a temporary stream by `write`.
template <typename Write>
std::string Written(Write write) {
    FILE* out = tmpfile();
    write(out);
    std::string bytes(static_cast<size_t>(ftell(out)), '\0');
    rewind(out);
    size_t read = fread(&bytes[0], 1, bytes.size(), out);
    fclose(out);
    bytes.resize(read);
    return bytes;
}

TEST(ConsoleOutput, NarrowLinesKeepTheirBytesAndAnAbsentTextPrintsNothing) {
    EXPECT_EQ(Written([](FILE* out) { brelmox::PrintNarrow(out, "OSName = %s\n", "a\r\nb"); }),
              "OSName = a\r\nb\n");
    EXPECT_EQ(Written([](FILE* out) { brelmox::PrintNarrow(out, "OSName = %s\n", nullptr); }),
              "OSName = \n");
    EXPECT_EQ(Written([](FILE* out) {
                  brelmox::PrintNarrow(out, "\n\nAll OSName Pattern\n%s\n\n", "x\ny");
              }),
              "\n\nAll OSName Pattern\nx\ny\n\n");
}

TEST(ConsoleOutput, WideLinesGoOutInTheAnsiCodePage) {
    stand_in::Reset();
    EXPECT_EQ(
        Written([](FILE* out) { brelmox::PrintWide(out, u"username = %s\n", u"J\u00FCrgen"); }),
        "username = J\xFCrgen\n");
    EXPECT_EQ(
        Written([](FILE* out) { brelmox::PrintWide(out, u"DomainName\\UserName = %s", u"VM"); }),
        "DomainName\\UserName = VM");
    EXPECT_EQ(Written([](FILE* out) { brelmox::PrintWide(out, u"\\%s\n", nullptr); }), "\\\n");
    EXPECT_EQ(Written([](FILE* out) { brelmox::PrintWide(out, u"%s", u"\n"); }), "\n");
}

TEST(ConsoleOutput, AFailedConversionLeavesTheTextOutButNotTheLine) {
    stand_in::Reset();
    stand_in::FailCall(stand_in::Api::kWideCharToMultiByte, 3);  // the text's second step
    EXPECT_EQ(Written([](FILE* out) { brelmox::PrintWide(out, u"ComputerName = %s\n", u"PC"); }),
              "ComputerName = \n");
    stand_in::ClearFaults();
}

}  // namespace
