// Constructing CBrelmoxLib when the platform or the heap lets it down.
#include <gtest/gtest.h>
#include <string.h>

#include <set>
#include <string>
#include <tuple>

#include "CBrelmoxLib.h"
#include "all_os_names.h"
#include "stand_in.h"

namespace {

using stand_in::Api;

class Construction : public ::testing::Test {
protected:
    void SetUp() override { stand_in::Reset(); }
    void TearDown() override { stand_in::ClearFaults(); }
};

bool IsAllZero(const OSVERSIONINFOEXA& record) {
    static const OSVERSIONINFOEXA zero = {};
    return memcmp(&record, &zero, sizeof record) == 0;
}

TEST_F(Construction, WithoutAnyVersionQueryKeepsTheListAndTheMachineFacts) {
    stand_in::FailCall(Api::kGetVersionExA);
    CBrelmoxLib lib;
    EXPECT_EQ(stand_in::Calls(Api::kGetVersionExA), 2) << "extended, then basic query";
    EXPECT_EQ(lib.m_pOSName, nullptr);
    EXPECT_TRUE(IsAllZero(lib.m_OSVersionInfo));
    ASSERT_NE(lib.m_pOSNameAllPattern, nullptr);
    EXPECT_STREQ(lib.m_pOSNameAllPattern, brelmox::kAllOsNames);
    ASSERT_NE(lib.m_pOSEtcInfo, nullptr);
    EXPECT_EQ(std::string(lib.m_pOSEtcInfo).rfind("Normal Boot\r\n", 0), 0u);
    // Destruction skips the absent OS text; the sanitizers watch the rest.
}

TEST_F(Construction, FallsBackToTheBasicRecord) {
    stand_in::machine().extended_query_supported = false;
    CBrelmoxLib lib;
    EXPECT_EQ(lib.m_OSVersionInfo.dwOSVersionInfoSize, 148u);
    EXPECT_EQ(lib.m_OSVersionInfo.wSuiteMask, 0) << "the basic record has no suite fields";
    ASSERT_NE(lib.m_pOSName, nullptr);
    EXPECT_NE(strstr(lib.m_pOSName, "DebugInfo=getOSVERSIONINFO,PlatformId=2,"), nullptr)
        << lib.m_pOSName;
}

// Every allocation of the constructor fails in turn; each leaves exactly the
// text it was meant for absent, never a cut or a dangling one.
TEST_F(Construction, SurvivesEachAllocationFailingInTurn) {
    std::string os_name, all_names, facts;
    {
        CBrelmoxLib reference;
        os_name = reference.m_pOSName;
        all_names = reference.m_pOSNameAllPattern;
        facts = reference.m_pOSEtcInfo;
    }
    std::set<std::string> missed;
    for (int n = 1; n < 50; ++n) {
        SCOPED_TRACE("allocation " + std::to_string(n));
        stand_in::FailAllocation(n);
        CBrelmoxLib lib;
        bool triggered = stand_in::FaultTriggered();
        stand_in::ClearFaults();
        if (!triggered) {
            break;
        }
        int absent = 0;
        for (auto [name, text, expected] :
             {std::tuple<const char*, const char*, const std::string&>{"OS text", lib.m_pOSName,
                                                                       os_name},
              {"list", lib.m_pOSNameAllPattern, all_names},
              {"machine facts", lib.m_pOSEtcInfo, facts}}) {
            if (text == nullptr) {
                ++absent;
                missed.insert(name);
            } else {
                EXPECT_EQ(text, expected);
            }
        }
        EXPECT_EQ(absent, 1);
    }
    // Each text's own allocation was reached, and failing it cost that text.
    EXPECT_EQ(missed, (std::set<std::string>{"OS text", "list", "machine facts"}));
}

}  // namespace
