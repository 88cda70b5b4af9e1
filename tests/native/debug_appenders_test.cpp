// The appenders behind the exported AddDebugStringDWORD, AddDebugStringStr and
// GetSuiteMaskStr, which append to a caller's zero-terminated text.
#include <gtest/gtest.h>

#include <string>

#include "report_texts.h"

namespace {

using brelmox::UnboundedText;

std::string AppendNumber(const char* start, const char* label, unsigned long value) {
    char buffer[128] = {};
    strcpy(buffer, start);
    UnboundedText text(buffer);
    brelmox::AppendDebugNumber(text, label, value);
    return buffer;
}

TEST(AddDebugStringDWORD, AppendsLabelSignedValueAndComma) {
    struct Case {
        unsigned long value;
        const char* expected;
    } const cases[] = {
        {2, "x,PlatformId=2,"},
        {0, "x,PlatformId=0,"},
        {4294967295ul, "x,PlatformId=-1,"},
        {2147483648ul, "x,PlatformId=-2147483648,"},
        {2147483647ul, "x,PlatformId=2147483647,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(AppendNumber("x,", "PlatformId=", c.value), c.expected);
    }
}

TEST(AddDebugStringStr, AppendsLabelTextAndCommaEvenForAnEmptyText) {
    char buffer[64] = "getOSVERSIONINFO,";
    UnboundedText text(buffer);
    brelmox::AppendDebugString(text, "szCSDVersion=", "");
    brelmox::AppendDebugString(text, "szCSDVersion=", " A ");
    EXPECT_STREQ(buffer, "getOSVERSIONINFO,szCSDVersion=,szCSDVersion= A ,");
}

}  // namespace
