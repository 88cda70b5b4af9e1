// Computer name, user name and the account triple, with every failure the
// release table names.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "CBrelmoxLib.h"
#include "owned_string.h"
#include "stand_in.h"

namespace {

using stand_in::Api;

class AccountNames : public ::testing::Test {
protected:
    void SetUp() override { stand_in::Reset(); }
    void TearDown() override {
        stand_in::ClearFaults();
        EXPECT_EQ(stand_in::OpenTokenHandles(), 0) << "the token handle must always be closed";
    }
    CBrelmoxLib lib;
};

// The three outputs of one call, in the caller's order: user, domain, SID text.
struct Triple {
    std::u16string user, domain, sid;
    bool user_null, domain_null, sid_null;
};

Triple CallTriple(CBrelmoxLib& lib, bool wide, bool* result) {
    Triple triple;
    if (wide) {
        WideString user, domain, sid;
        *result = lib.GetUserNameAndDomainNameAndSidW(user.put(), domain.put(), sid.put());
        triple = {ToU16(user.get()), ToU16(domain.get()), ToU16(sid.get()),
                  user.is_null(),    domain.is_null(),    sid.is_null()};
    } else {
        NarrowString user, domain, sid;
        *result = lib.GetUserNameAndDomainNameAndSidA(user.put(), domain.put(), sid.put());
        triple = {ToU16(user.is_null() ? "" : user.get()),
                  ToU16(domain.is_null() ? "" : domain.get()),
                  ToU16(sid.is_null() ? "" : sid.get()),
                  user.is_null(),
                  domain.is_null(),
                  sid.is_null()};
    }
    return triple;
}

TEST_F(AccountNames, SidTextFromAuthorityAndSubAuthorities) {
    struct Case {
        stand_in::Sid sid;
        const char* text;
    } const cases[] = {
        {{{0, 0, 0, 0, 0, 5}, {21, 100, 200, 300, 500}}, "sid=S-1-5-21-100-200-300-500"},
        {{{0, 0, 0, 0, 0, 1}, {0}}, "sid=S-1-1-0"},
        {{{0, 0, 0, 0, 0, 0}, {}}, "sid=S-1-0-"},
        {{{0, 0, 0, 0, 1, 0}, {7}}, "sid=S-1-0-7"},  // authority 256: the last byte is 0
        {{{9, 9, 9, 9, 9, 2}, {1}}, "sid=S-1-2-1"},  // the first five bytes are not read
        {{{0, 0, 0, 0, 0, 3}, {1}}, "sid=S-1-3-1"},
        {{{0, 0, 0, 0, 0, 4}, {1}}, "sid=S-1-x-1"},
        {{{0, 0, 0, 0, 0, 16}, {32, 544}}, "sid=S-1-x-32-544"},
        {{{0, 0, 0, 0, 0, 255}, {1}}, "sid=S-1-x-1"},
        {{{0, 0, 0, 0, 0, 5}, {4294967295u, 0}}, "sid=S-1-5-4294967295-0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        stand_in::machine().token_sid = c.sid;
        for (bool wide : {false, true}) {
            SCOPED_TRACE(wide ? "wide" : "narrow");
            bool result = false;
            Triple triple = CallTriple(lib, wide, &result);
            EXPECT_TRUE(result);
            EXPECT_EQ(triple.sid, ToU16(std::string(c.text)));
            EXPECT_EQ(triple.user, u"alice");
            EXPECT_EQ(triple.domain, u"WORKSTATION7");
        }
    }
}

// Each failure ends with the outputs the release table gives; the sanitizers
// report anything left unreleased.
TEST_F(AccountNames, ReleaseTableRowByRow) {
    enum Outputs { kUntouched, kSidNull, kAllNull };
    struct Case {
        const char* what;
        Api call;        // the failing call, or kCount with an allocation
        int occurrence;  // which call or allocation fails
        Outputs outputs;
    } const cases[] = {
        {"opening the token", Api::kOpenProcessToken, 1, kUntouched},
        {"reading the TokenUser record", Api::kGetTokenInformation, 2, kUntouched},
        {"allocating the TokenUser record", Api::kCount, 1, kUntouched},
        {"copying the SID text's start", Api::kCount, 2, kSidNull},
        {"appending the SID text's last piece", Api::kCount, 5, kSidNull},
        {"allocating the user-name buffer", Api::kCount, 6, kAllNull},
        {"allocating the domain-name buffer", Api::kCount, 7, kAllNull},
        {"the length query of the lookup", Api::kLookupAccountSidA, 1, kAllNull},
        {"the second lookup", Api::kLookupAccountSidA, 2, kAllNull},
    };
    // One sub-authority: the SID text takes pieces "sid=S-1-", "5", "-", "18".
    stand_in::machine().token_sid = {{0, 0, 0, 0, 0, 5}, {18}};
    char sentinel[] = "caller's";
    for (const Case& c : cases) {
        for (bool wide : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (wide ? " (wide)" : " (narrow)"));
            Api call = c.call;
            if (wide && call == Api::kLookupAccountSidA) {
                call = Api::kLookupAccountSidW;
            }
            if (call == Api::kCount) {
                stand_in::FailAllocation(c.occurrence);
            } else {
                stand_in::FailCall(call, c.occurrence);
            }
            unsigned char* outputs[3] = {reinterpret_cast<unsigned char*>(sentinel),
                                         reinterpret_cast<unsigned char*>(sentinel),
                                         reinterpret_cast<unsigned char*>(sentinel)};
            bool result =
                wide ? lib.GetUserNameAndDomainNameAndSidW(
                           reinterpret_cast<unsigned short**>(&outputs[0]),
                           reinterpret_cast<unsigned short**>(&outputs[1]),
                           reinterpret_cast<unsigned short**>(&outputs[2]))
                     : lib.GetUserNameAndDomainNameAndSidA(reinterpret_cast<char**>(&outputs[0]),
                                                           reinterpret_cast<char**>(&outputs[1]),
                                                           reinterpret_cast<char**>(&outputs[2]));
            EXPECT_TRUE(stand_in::FaultTriggered());
            stand_in::ClearFaults();
            EXPECT_FALSE(result);
            EXPECT_EQ(stand_in::OpenTokenHandles(), 0);
            auto* untouched = reinterpret_cast<unsigned char*>(sentinel);
            switch (c.outputs) {
                case kUntouched:
                    EXPECT_EQ(outputs[0], untouched);
                    EXPECT_EQ(outputs[1], untouched);
                    EXPECT_EQ(outputs[2], untouched);
                    break;
                case kSidNull:
                    EXPECT_EQ(outputs[0], untouched);
                    EXPECT_EQ(outputs[1], untouched);
                    EXPECT_EQ(outputs[2], nullptr);
                    break;
                case kAllNull:
                    EXPECT_EQ(outputs[0], nullptr);
                    EXPECT_EQ(outputs[1], nullptr);
                    EXPECT_EQ(outputs[2], nullptr);
                    break;
            }
        }
    }
    // With the allocations above all passing, the call succeeds.
    bool result = false;
    stand_in::FailAllocation(8);
    CallTriple(lib, false, &result);
    EXPECT_FALSE(stand_in::FaultTriggered()) << "the narrow call makes 7 allocations";
    EXPECT_TRUE(result);
}

TEST_F(AccountNames, ComputerNameOfFifteenCharactersIsWhole) {
    stand_in::machine().computer_name_a = "ABCDEFGHIJKLMNO";
    stand_in::machine().computer_name_w = u"ABCDEFGHIJKLMNO";
    NarrowString narrow;
    WideString wide;
    ASSERT_TRUE(lib.GetComputerNameA(narrow.put()));
    ASSERT_TRUE(lib.GetComputerNameW(wide.put()));
    EXPECT_STREQ(narrow.get(), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(ToU16(wide.get()), u"ABCDEFGHIJKLMNO");
}

TEST_F(AccountNames, DoubleByteComputerNameFitsTheNarrowCall) {
    // Fifteen double-byte characters (Shift JIS) take thirty bytes.
    std::string name;
    for (int i = 0; i < 15; ++i) {
        name += "\x83\x41";
    }
    stand_in::machine().computer_name_a = name;
    NarrowString narrow;
    ASSERT_TRUE(lib.GetComputerNameA(narrow.put()));
    EXPECT_EQ(std::string(narrow.get()), name);
}

TEST_F(AccountNames, SimpleNamesLeaveTheOutputAloneOnFailure) {
    struct Case {
        const char* what;
        Api call;
        int occurrence;
    } const cases[] = {
        {"computer name, narrow call", Api::kGetComputerNameA, 1},
        {"computer name, wide call", Api::kGetComputerNameW, 1},
        {"computer name, scratch", Api::kCount, 1},
        {"computer name, copy", Api::kCount, 2},
        {"user name, length query", Api::kGetUserNameA, 1},
        {"user name, narrow call", Api::kGetUserNameA, 2},
        {"user name, wide call", Api::kGetUserNameW, 2},
        {"user name, scratch", Api::kCount, 1},
        {"user name, copy", Api::kCount, 2},
    };
    for (const Case& c : cases) {
        std::string what = c.what;
        bool computer = what.rfind("computer", 0) == 0;
        for (bool wide : {false, true}) {
            if ((c.call == Api::kGetComputerNameA || c.call == Api::kGetUserNameA) && wide) {
                continue;
            }
            if ((c.call == Api::kGetComputerNameW || c.call == Api::kGetUserNameW) && !wide) {
                continue;
            }
            SCOPED_TRACE(what + (wide ? " (wide)" : " (narrow)"));
            if (c.call == Api::kCount) {
                stand_in::FailAllocation(c.occurrence);
            } else {
                stand_in::FailCall(c.call, c.occurrence);
            }
            NarrowString narrow;
            WideString wide_name;
            bool result = computer ? (wide ? lib.GetComputerNameW(wide_name.put())
                                           : lib.GetComputerNameA(narrow.put()))
                                   : (wide ? lib.GetUserNameW(wide_name.put())
                                           : lib.GetUserNameA(narrow.put()));
            EXPECT_TRUE(stand_in::FaultTriggered());
            stand_in::ClearFaults();
            EXPECT_FALSE(result);
            EXPECT_TRUE(narrow.is_null());
            EXPECT_TRUE(wide_name.is_null());
        }
    }
}

}  // namespace
