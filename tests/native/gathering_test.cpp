// The constructor asks the system for the right facts and files them under the
// right names.
#include <gtest/gtest.h>

#include <string>

#include "CBrelmoxLib.h"
#include "stand_in.h"

namespace {

using stand_in::Api;

class Gathering : public ::testing::Test {
protected:
    void SetUp() override { stand_in::Reset(); }
    void TearDown() override { stand_in::ClearFaults(); }
};

std::string OsName() {
    CBrelmoxLib lib;
    return lib.m_pOSName != nullptr ? lib.m_pOSName : "(null)";
}

TEST_F(Gathering, Wow64FlagComesFromIsWow64ProcessWhenKernel32HasIt) {
    struct Case {
        const char* what;
        bool exported;
        BOOL wow64;
        Api failing;
        const char* line;
    } const cases[] = {
        {"32-bit Windows", true, FALSE, Api::kCount, "\r\nRunning on Native Win32"},
        {"WOW64", true, TRUE, Api::kCount, "\r\nRunning on WOW64"},
        {"kernel32 without the export", false, TRUE, Api::kCount, "\r\nRunning on Native Win32"},
        {"IsWow64Process failing", true, TRUE, Api::kIsWow64Process, "\r\nRunning on Native Win32"},
        {"no kernel32 handle", true, TRUE, Api::kGetModuleHandleA, "\r\nRunning on Native Win32"},
        {"lookup failing", true, TRUE, Api::kGetProcAddress, "\r\nRunning on Native Win32"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        stand_in::machine().kernel32_exports_is_wow64 = c.exported;
        stand_in::machine().is_wow64 = c.wow64;
        if (c.failing != Api::kCount) {
            stand_in::FailCall(c.failing);
        }
        EXPECT_NE(OsName().find(c.line), std::string::npos);
        stand_in::ClearFaults();
    }
}

TEST_F(Gathering, EditionMetricsNameTheEdition) {
    stand_in::machine().metrics[SM_MEDIACENTER] = 1;
    stand_in::machine().metrics[SM_TABLETPC] = 1;
    EXPECT_NE(OsName().find("MS-WindowsXP Media Center Edition Tablet PC Edition\r\n"),
              std::string::npos);

    stand_in::Reset();
    stand_in::machine().version.dwMinorVersion = 2;
    stand_in::machine().version.wProductType = VER_NT_SERVER;
    stand_in::machine().metrics[SM_SERVERR2] = 1;
    stand_in::machine().metrics[SM_STARTER] = 1;
    EXPECT_NE(OsName().find("MS-Windows Server 2003 R2\r\n"), std::string::npos);
}

TEST_F(Gathering, MachineFactsReadEachMetric) {
    stand_in::machine().metrics = {
        {SM_CLEANBOOT, 2},     {SM_DBCSENABLED, 1},  {SM_MIDEASTENABLED, 1},
        {SM_DEBUG, 1},         {SM_MOUSEPRESENT, 0}, {SM_MOUSEWHEELPRESENT, 1},
        {SM_NETWORK, 1},       {SM_PENWINDOWS, 1},   {SM_SLOWMACHINE, 1},
        {SM_SWAPBUTTON, 1},    {SM_CXSCREEN, 1280},  {SM_CYSCREEN, 1024},
        {SM_CMOUSEBUTTONS, 5},
    };
    CBrelmoxLib lib;
    ASSERT_NE(lib.m_pOSEtcInfo, nullptr);
    EXPECT_STREQ(lib.m_pOSEtcInfo,
                 "Network Safe Boot\r\nSupport DBMS\r\nSupport MiddleEast\r\n"
                 "user.exe Debug Version\r\nNot Connectting Mouse\r\nConnectting Mouse Wheel\r\n"
                 "Connectting Network\r\nInstalled Windows for Pen computiong extentions\r\n"
                 "This is Slow Machine\r\nSwap Mouse Left/Right Button\r\n"
                 "ScreenX=1280,ScreenY=1024,\r\nMouseButtonCount=5,\r\n");
}

TEST_F(Gathering, VersionRecordIsKeptAsTheSystemFilledIt) {
    CBrelmoxLib lib;
    EXPECT_EQ(
        memcmp(&lib.m_OSVersionInfo, &stand_in::machine().version, sizeof lib.m_OSVersionInfo), 0);
}

}  // namespace
