// 100,000 constructions in a row leave the process's memory where it was.
#include <gtest/gtest.h>

#include "CBrelmoxLib.h"
#include "process_memory.h"

namespace {

constexpr int kWarmUp = 1000;
constexpr int kConstructions = 100000;

TEST(ConstructionLoop, MemoryStaysFlat) {
    unsigned checksum = 0;
    auto construct = [&checksum] {
        CBrelmoxLib lib;
        checksum += static_cast<unsigned char>(lib.m_pOSName[0]);
    };
    for (int index = 0; index < kWarmUp; ++index) {
        construct();
    }
    SIZE_T before = robustness::PrivateBytes();
    ASSERT_GT(before, 0u);
    for (int index = kWarmUp; index < kConstructions; ++index) {
        construct();
    }
    SIZE_T after = robustness::PrivateBytes();
    EXPECT_LE(robustness::Growth(before, after), 0.01)
        << before << " bytes after " << kWarmUp << " constructions, " << after << " after "
        << kConstructions;
    EXPECT_EQ(checksum, static_cast<unsigned>(kConstructions) * 'M');
}

}  // namespace
