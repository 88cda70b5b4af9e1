#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "growing_text.h"
#include "stand_in.h"

namespace {

using brelmox::FormatUnsigned;
using brelmox::InlineText;
using brelmox::kDecimalCapacity;

struct DecimalCase {
    int64_t value;
    const char* as_unsigned;
    const char* as_signed;
};

TEST(Decimal, FormatsEveryWidthWithoutPaddingOrGrouping) {
    const DecimalCase cases[] = {
        {0, "0", "0"},
        {7, "7", "7"},
        {10, "10", "10"},
        {4294967295LL, "4294967295", "-1"},
        {2147483647LL, "2147483647", "2147483647"},
        {2147483648LL, "2147483648", "-2147483648"},
        {1000000000LL, "1000000000", "1000000000"},
    };
    for (const DecimalCase& c : cases) {
        SCOPED_TRACE(c.as_unsigned);
        char digits[kDecimalCapacity];
        uint32_t value = static_cast<uint32_t>(c.value);
        EXPECT_EQ(std::string(digits, FormatUnsigned(value, digits)), c.as_unsigned);
        InlineText<4> text;
        text.AppendUnsigned(value);
        text.Append("|");
        text.AppendSigned(static_cast<int32_t>(value));
        EXPECT_EQ(std::string(text.c_str()), std::string(c.as_unsigned) + "|" + c.as_signed);
    }
}

TEST(GrowingText, GrowsPastItsOwnStorageWithoutLosingAnything) {
    InlineText<4> text;
    std::string expected;
    for (int i = 0; i < 200; ++i) {
        text.Append("ab");
        text.AppendSigned(-i);
        expected += "ab" + std::to_string(-i);
    }
    EXPECT_FALSE(text.failed());
    EXPECT_EQ(std::string(text.c_str()), expected);
    EXPECT_EQ(text.size(), expected.size());

    char* copy = text.CopyToHeap();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::string(copy), expected);
    free(copy);
}

TEST(GrowingText, AFailedGrowthYieldsNoTextRatherThanACutOne) {
    stand_in::Reset();
    InlineText<8> text;
    text.Append("1234567");  // fills the storage exactly
    stand_in::FailAllocation(1);
    text.Append("89");
    stand_in::ClearFaults();
    text.Append("more");
    EXPECT_TRUE(text.failed());
    EXPECT_STREQ(text.c_str(), "1234567");
    EXPECT_EQ(text.CopyToHeap(), nullptr);

    InlineText<64> outer;
    outer.Append("head");
    outer.Append(text);
    EXPECT_TRUE(outer.failed()) << "an incomplete part makes the whole incomplete";
}

TEST(GrowingText, CopyToHeapReportsAFailedAllocation) {
    stand_in::Reset();
    InlineText<16> text;
    text.Append("abc");
    stand_in::FailAllocation(1);
    EXPECT_EQ(text.CopyToHeap(), nullptr);
    stand_in::ClearFaults();
}

}  // namespace
