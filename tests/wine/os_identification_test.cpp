// The OS text and the machine facts under each Windows version Wine emulates.
//
//   os_identification_tests <version>   (the name given to Wine: win98, winxp64, ...)
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "CBrelmoxLib.h"
#include "expected_texts.h"

namespace {

std::string g_windows;  // the emulated version, from the command line

TEST(OsIdentification, NamesTheEmulatedWindows) {
    SCOPED_TRACE(g_windows);
    const expected::OsText* expected = expected::FindOsText(g_windows);
    ASSERT_NE(expected, nullptr) << "no expectation for " << g_windows;
    CBrelmoxLib lib;
    ASSERT_NE(lib.m_pOSName, nullptr);
    EXPECT_EQ(std::string(lib.m_pOSName), expected::OsName(*expected));
}

TEST(OsIdentification, MachineFactsFollowTheMetrics) {
    SCOPED_TRACE(g_windows);
    CBrelmoxLib lib;
    ASSERT_NE(lib.m_pOSEtcInfo, nullptr);
    EXPECT_EQ(std::string(lib.m_pOSEtcInfo), expected::MachineFacts());
}

TEST(OsIdentification, RecordIsTheExtendedOne) {
    CBrelmoxLib lib;
    OSVERSIONINFOEXA direct = {};
    direct.dwOSVersionInfoSize = sizeof direct;
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&direct)));
    EXPECT_EQ(memcmp(&direct, &lib.m_OSVersionInfo, sizeof direct), 0);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc == 2) {
        g_windows = argv[1];
    } else if (!GTEST_FLAG_GET(list_tests)) {  // CTest lists the cases without arguments
        fprintf(stderr, "usage: %s <emulated windows version>\n", argv[0]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
