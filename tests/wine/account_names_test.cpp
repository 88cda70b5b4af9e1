// Account and machine names against what Windows reports by other means.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "CBrelmoxLib.h"
#include "owned_string.h"
#include "system_facts.h"

namespace {

std::u16string Environment(const wchar_t* name) {
    std::wstring value = system_facts::Environment(name);
    return std::u16string(value.begin(), value.end());
}

std::u16string Narrowed(const char* ansi) {
    wchar_t wide[256];
    int length = MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 256);
    return std::u16string(reinterpret_cast<const char16_t*>(wide), length > 0 ? length - 1 : 0);
}

std::u16string TokenSidString() {
    std::wstring sid = system_facts::TokenSidString();
    return std::u16string(sid.begin(), sid.end());
}

TEST(AccountNames, NamesMatchTheEnvironmentInBothWidths) {
    struct Case {
        const wchar_t* variable;
        bool (CBrelmoxLib::*narrow)(char**);
        bool (CBrelmoxLib::*wide)(unsigned short**);
    } const cases[] = {
        {L"COMPUTERNAME", &CBrelmoxLib::GetComputerNameA, &CBrelmoxLib::GetComputerNameW},
        {L"USERNAME", &CBrelmoxLib::GetUserNameA, &CBrelmoxLib::GetUserNameW},
    };
    CBrelmoxLib lib;
    for (const Case& c : cases) {
        std::u16string expected = Environment(c.variable);
        SCOPED_TRACE(ToAscii(expected));
        ASSERT_FALSE(expected.empty());
        NarrowString narrow;
        WideString wide;
        ASSERT_TRUE((lib.*c.narrow)(narrow.put()));
        ASSERT_TRUE((lib.*c.wide)(wide.put()));
        EXPECT_EQ(ToU16(wide.get()), expected);
        EXPECT_EQ(Narrowed(narrow.get()), expected);
    }
}

TEST(AccountNames, TripleNamesTheTokenAccount) {
    std::u16string sid = TokenSidString();
    ASSERT_EQ(sid.rfind(u"S-1-5-", 0), 0u) << ToAscii(sid);
    CBrelmoxLib lib;
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "wide" : "narrow");
        std::u16string user, domain, sid_text;
        if (wide) {
            WideString u, d, s;
            ASSERT_TRUE(lib.GetUserNameAndDomainNameAndSidW(u.put(), d.put(), s.put()));
            user = ToU16(u.get()), domain = ToU16(d.get()), sid_text = ToU16(s.get());
        } else {
            NarrowString u, d, s;
            ASSERT_TRUE(lib.GetUserNameAndDomainNameAndSidA(u.put(), d.put(), s.put()));
            user = Narrowed(u.get()), domain = Narrowed(d.get()), sid_text = Narrowed(s.get());
        }
        EXPECT_EQ(sid_text, u"sid=" + sid);
        EXPECT_EQ(user, Environment(L"USERNAME"));
        EXPECT_EQ(domain, Environment(L"USERDOMAIN"));
    }
}

}  // namespace
