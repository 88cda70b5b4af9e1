// The console's line writer: one format, one text, bytes in the ANSI code page.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

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

namespace {

TEST(ConsoleOutput, Utf8OfEachRangeAndLoneSurrogates) {
    struct Case {
        const char16_t* text;
        const char* utf8;
    } const cases[] = {
        {u"ascii", "ascii"},
        {u"J\u00FCrgen", "J\xC3\xBCrgen"},
        {u"\u5C71\u7530", "\xE5\xB1\xB1\xE7\x94\xB0"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"a\xD83D", "a\xEF\xBF\xBD"},
        {u"\xDE00z", "\xEF\xBF\xBDz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Written([&](FILE* out) { brelmox::PrintUtf8(out, c.text); }), c.utf8);
    }
}

TEST(ConsoleOutput, ArgumentsAskForOneThingOrNameWhatIsNotUnderstood) {
    using brelmox::ConsoleRequest;
    struct Case {
        std::vector<const char16_t*> arguments;
        ConsoleRequest request;
        const char16_t* unknown;
    } const cases[] = {
        {{}, ConsoleRequest::kReport, nullptr},
        {{u"/json"}, ConsoleRequest::kJson, nullptr},
        {{u"-json"}, ConsoleRequest::kJson, nullptr},
        {{u"--json"}, ConsoleRequest::kJson, nullptr},
        {{u"/JSON"}, ConsoleRequest::kJson, nullptr},
        {{u"/?"}, ConsoleRequest::kHelp, nullptr},
        {{u"-h"}, ConsoleRequest::kHelp, nullptr},
        {{u"--help"}, ConsoleRequest::kHelp, nullptr},
        {{u"/jsonx"}, ConsoleRequest::kUnknownArgument, u"/jsonx"},
        {{u"/js"}, ConsoleRequest::kUnknownArgument, u"/js"},
        {{u""}, ConsoleRequest::kUnknownArgument, u""},
        {{u"json"}, ConsoleRequest::kUnknownArgument, u"json"},
        {{u"/json", u"/json"}, ConsoleRequest::kUnknownArgument, u"/json"},
        {{u"/?", u"extra"}, ConsoleRequest::kUnknownArgument, u"extra"},
    };
    for (const Case& c : cases) {
        std::vector<WCHAR*> argv = {const_cast<WCHAR*>(u"Brelmox.exe")};
        for (const char16_t* argument : c.arguments) {
            argv.push_back(const_cast<WCHAR*>(argument));
        }
        SCOPED_TRACE(argv.size());
        const WCHAR* unknown = u"untouched";
        EXPECT_EQ(brelmox::ParseArguments(static_cast<int>(argv.size()), argv.data(), &unknown),
                  c.request);
        if (c.unknown == nullptr) {
            EXPECT_EQ(unknown, nullptr);
        } else {
            ASSERT_NE(unknown, nullptr);
            EXPECT_EQ(std::u16string(unknown), c.unknown);
        }
    }
}

}  // namespace

namespace {

// A console is given the texts as UTF-16, whatever its code page: the narrow
// ones converted from the ANSI code page, the wide ones as they are.
TEST(ConsoleOutput, AConsoleGetsUtf16WholeEvenInPieces) {
    for (DWORD chunk : {0u, 1u, 3u}) {
        SCOPED_TRACE(chunk);
        stand_in::Reset();
        stand_in::machine().console_chunk = chunk;
        brelmox::ReportStream out(nullptr, stand_in::kConsole);
        out.Narrow("username = %s\n", "J\xFCrgen");
        out.Wide(u"ComputerName = %s\n", u"PC\U0001F600");
        out.Narrow("%s", nullptr);
        out.Wide(u"\\%s\n", nullptr);
        out.Json(u"{\"a\": \"\u5C71\"}");
        EXPECT_TRUE(out.Finish());
        EXPECT_EQ(
            stand_in::machine().console_output,
            u"username = J\u00FCrgen\nComputerName = PC\U0001F600\n\\\n{\"a\": \"\u5C71\"}\n");
    }
}

TEST(ConsoleOutput, AConsoleThatRefusesMakesTheOutputIncomplete) {
    stand_in::Reset();
    stand_in::FailCall(stand_in::Api::kWriteConsoleW, 2);
    brelmox::ReportStream out(nullptr, stand_in::kConsole);
    out.Narrow("OSName = %s\n", "Microsoft");
    out.Wide(u"%s", u"after the failure");
    EXPECT_FALSE(out.Finish());
    EXPECT_EQ(stand_in::machine().console_output, u"OSName = ");
}

TEST(ConsoleOutput, FilesAndPipesGetTheBytesAsBefore) {
    stand_in::Reset();
    EXPECT_EQ(Written([](FILE* file) {
                  brelmox::ReportStream out(file, nullptr);
                  out.Narrow("username = %s\n", "J\xFCrgen");
                  out.Wide(u"ComputerName = %s\n", u"J\u00FCrgen");
                  out.Json(u"{\"a\": \"\u00FC\"}");
                  EXPECT_TRUE(out.Finish());
              }),
              "username = J\xFCrgen\nComputerName = J\xFCrgen\n{\"a\": \"\xC3\xBC\"}\n");
    EXPECT_EQ(stand_in::machine().console_output, u"");
}

}  // namespace
