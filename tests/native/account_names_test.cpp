// Computer name, user name and the account triple, with every failure the
// release table names.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

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
        triple = {ToU16(user.get()),       ToU16(domain.get()),       ToU16(sid.get()),
                  (user.get() == nullptr), (domain.get() == nullptr), (sid.get() == nullptr)};
    } else {
        NarrowString user, domain, sid;
        *result = lib.GetUserNameAndDomainNameAndSidA(user.put(), domain.put(), sid.put());
        triple = {ToU16((user.get() == nullptr) ? "" : user.get()),
                  ToU16((domain.get() == nullptr) ? "" : domain.get()),
                  ToU16((sid.get() == nullptr) ? "" : sid.get()),
                  (user.get() == nullptr),
                  (domain.get() == nullptr),
                  (sid.get() == nullptr)};
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

// How a case makes a named platform call fail: at which occurrence
// (stand_in::kEveryCall for all); kNotApplicable where the case does not
// apply to that width. Allocations fail in the fault sweep, every one in turn.
struct Fault {
    Api call;
    int occurrence;
};

bool Arm(const Fault& fault) {
    if (fault.call == Api::kCount) {
        return false;
    }
    stand_in::FailCall(fault.call, fault.occurrence);
    return true;
}

constexpr Fault kNotApplicable = {Api::kCount, -1};

// The release table's rows for the named platform calls that can fail; the
// fault sweep (fault_sweep_test.cpp) fails every allocation and every call in
// turn and checks each outcome against the same table.
TEST_F(AccountNames, ReleaseTableRowByRow) {
    enum Outputs { kUntouched, kSidNull, kAllNull };
    struct Case {
        const char* what;
        Fault narrow, wide;
        Outputs outputs;
    } const cases[] = {
        {"opening the token", {Api::kOpenProcessToken, 1}, {Api::kOpenProcessToken, 1}, kUntouched},
        {"reading the TokenUser record",
         {Api::kGetTokenInformation, 2},
         {Api::kGetTokenInformation, 2},
         kUntouched},
        {"the length query of the lookup",
         {Api::kLookupAccountSidW, 1},
         {Api::kLookupAccountSidW, 1},
         kAllNull},
        // The narrow form asks the wide lookup twice for each of its own calls.
        {"the lookup that fills the names",
         {Api::kLookupAccountSidW, 4},
         {Api::kLookupAccountSidW, 2},
         kAllNull},
        {"every lookup",
         {Api::kLookupAccountSidW, stand_in::kEveryCall},
         {Api::kLookupAccountSidW, stand_in::kEveryCall},
         kAllNull},
        {"converting to the ANSI code page",
         {Api::kWideCharToMultiByte, 1},
         kNotApplicable,
         kAllNull},
    };
    // One sub-authority: the SID text takes pieces "sid=S-1-", "5", "-", "18".
    stand_in::machine().token_sid = {{0, 0, 0, 0, 0, 5}, {18}};
    char sentinel[] = "caller's";
    for (const Case& c : cases) {
        for (bool wide : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (wide ? " (wide)" : " (narrow)"));
            if (!Arm(wide ? c.wide : c.narrow)) {
                continue;
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
}

TEST_F(AccountNames, ComputerNameOfFifteenCharactersIsWhole) {
    stand_in::machine().computer_name = u"ABCDEFGHIJKLMNO";
    NarrowString narrow;
    WideString wide;
    ASSERT_TRUE(lib.GetComputerNameA(narrow.put()));
    ASSERT_TRUE(lib.GetComputerNameW(wide.put()));
    EXPECT_STREQ(narrow.get(), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(ToU16(wide.get()), u"ABCDEFGHIJKLMNO");
}

TEST_F(AccountNames, DoubleByteComputerNameFitsTheNarrowCall) {
    // Fifteen double-byte characters take thirty bytes.
    stand_in::machine().ansi_code_page = stand_in::AnsiCodePage::kDoubleByte;
    stand_in::machine().computer_name = std::u16string(15, u'\u30A2');
    NarrowString narrow;
    ASSERT_TRUE(lib.GetComputerNameA(narrow.put()));
    EXPECT_EQ(std::string(narrow.get()), stand_in::ToAnsi(stand_in::machine().computer_name));
    EXPECT_EQ(strlen(narrow.get()), 30u);
}

// Every narrow name is the wide one in the ANSI code page, whole, whatever the
// platform's narrow calls would report: with a double-byte code page they cut
// the user name and under-report the account's lengths (the sanitizers catch
// a block written past its end).
TEST_F(AccountNames, NarrowNamesAreTheWideNamesConverted) {
    using stand_in::AnsiCodePage;
    struct Case {
        const char* what;
        AnsiCodePage code_page;
        std::u16string user, domain;
    } const cases[] = {
        {"ASCII", AnsiCodePage::kLatin1, u"alice", u"WORKSTATION7"},
        {"Latin-1", AnsiCodePage::kLatin1, u"J\u00FCrgen", u"B\u00DCRO"},
        {"not in the code page", AnsiCodePage::kLatin1, u"\u65E5\u672C", u"PC"},
        {"4 kanji", AnsiCodePage::kDoubleByte, u"\u5C71\u7530\u592A\u90CE", u"PC"},
        {"10 kanji", AnsiCodePage::kDoubleByte, std::u16string(10, u'\u6F22'),
         std::u16string(10, u'\u5B57')},
        {"40 kanji", AnsiCodePage::kDoubleByte, std::u16string(40, u'\u6F22'), u"PC"},
        {"kanji and ASCII", AnsiCodePage::kDoubleByte, u"a\u6F22b\u5B57c", u"\u793E-1"},
        {"half-width katakana", AnsiCodePage::kDoubleByte, u"\uFF80\uFF9B\uFF73", u"PC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        stand_in::Machine& machine = stand_in::machine();
        machine.ansi_code_page = c.code_page;
        machine.user_name = machine.account = c.user;
        machine.domain = c.domain;

        NarrowString user;
        ASSERT_TRUE(lib.GetUserNameA(user.put()));
        EXPECT_EQ(std::string(user.get()), stand_in::ToAnsi(c.user));

        bool result = false;
        Triple narrow = CallTriple(lib, false, &result);
        ASSERT_TRUE(result);
        Triple wide = CallTriple(lib, true, &result);
        ASSERT_TRUE(result);
        EXPECT_EQ(wide.user, c.user);
        EXPECT_EQ(wide.domain, c.domain);
        EXPECT_EQ(narrow.sid, wide.sid);
        NarrowString account, domain, sid;
        ASSERT_TRUE(lib.GetUserNameAndDomainNameAndSidA(account.put(), domain.put(), sid.put()));
        EXPECT_EQ(std::string(account.get()), stand_in::ToAnsi(c.user));
        EXPECT_EQ(std::string(domain.get()), stand_in::ToAnsi(c.domain));
    }
}

// A caller that passes no place for a result gets false, not a crash.
TEST_F(AccountNames, MissingOutputPointersAreRefused) {
    char* text = nullptr;
    unsigned short* wide = nullptr;
    EXPECT_FALSE(lib.GetComputerNameA(nullptr));
    EXPECT_FALSE(lib.GetComputerNameW(nullptr));
    EXPECT_FALSE(lib.GetUserNameA(nullptr));
    EXPECT_FALSE(lib.GetUserNameW(nullptr));
    EXPECT_FALSE(lib.GetUserNameAndDomainNameAndSidA(nullptr, &text, &text));
    EXPECT_FALSE(lib.GetUserNameAndDomainNameAndSidA(&text, nullptr, &text));
    EXPECT_FALSE(lib.GetUserNameAndDomainNameAndSidW(&wide, &wide, nullptr));
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(wide, nullptr);
}

TEST_F(AccountNames, SimpleNamesLeaveTheOutputAloneOnFailure) {
    enum Query { kComputerName, kUserName };
    struct Case {
        const char* what;
        Query query;
        Fault narrow, wide;
    } const cases[] = {
        {"the platform call",
         kComputerName,
         {Api::kGetComputerNameW, 1},
         {Api::kGetComputerNameW, 1}},
        {"converting to the ANSI code page",
         kComputerName,
         {Api::kWideCharToMultiByte, 1},
         kNotApplicable},
        {"the length query", kUserName, {Api::kGetUserNameW, 1}, {Api::kGetUserNameW, 1}},
        // The narrow form asks the wide call twice for each of its own calls.
        {"the second call", kUserName, {Api::kGetUserNameW, 4}, {Api::kGetUserNameW, 2}},
        {"converting to the ANSI code page",
         kUserName,
         {Api::kWideCharToMultiByte, 1},
         kNotApplicable},
    };
    for (const Case& c : cases) {
        for (bool wide : {false, true}) {
            SCOPED_TRACE(std::string(c.query == kComputerName ? "computer name, " : "user name, ") +
                         c.what + (wide ? " (wide)" : " (narrow)"));
            if (!Arm(wide ? c.wide : c.narrow)) {
                continue;
            }
            NarrowString narrow;
            WideString wide_name;
            bool result = c.query == kComputerName ? (wide ? lib.GetComputerNameW(wide_name.put())
                                                           : lib.GetComputerNameA(narrow.put()))
                                                   : (wide ? lib.GetUserNameW(wide_name.put())
                                                           : lib.GetUserNameA(narrow.put()));
            EXPECT_TRUE(stand_in::FaultTriggered());
            stand_in::ClearFaults();
            EXPECT_FALSE(result);
            EXPECT_TRUE((narrow.get() == nullptr));
            EXPECT_TRUE((wide_name.get() == nullptr));
        }
    }
}

}  // namespace
