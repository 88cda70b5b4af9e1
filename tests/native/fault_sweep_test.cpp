// Every operation with its 1st, 2nd, ... allocation failing, then with its 1st,
// 2nd, ... platform call failing, until it runs clean. Each run must end in a
// sound state: no crash, no leak (LeakSanitizer), no token handle left open,
// and only whole texts or none.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "CBrelmoxLib.h"
#include "all_os_names.h"
#include "owned_string.h"
#include "stand_in.h"

namespace {

enum class FaultKind { kAllocation, kPlatformCall };

const char* KindName(FaultKind kind) {
    return kind == FaultKind::kAllocation ? "allocation" : "platform call";
}

// Runs `operation` with the n-th fault of `kind` armed, n = 1, 2, ... until a
// run no longer reaches the fault; returns how many runs met a fault.
int Sweep(FaultKind kind, const std::function<void()>& operation) {
    int faults = 0;
    for (int n = 1; n < 500; ++n) {
        SCOPED_TRACE(std::string(KindName(kind)) + " " + std::to_string(n));
        stand_in::Reset();
        if (kind == FaultKind::kAllocation) {
            stand_in::FailAllocation(n);
        } else {
            stand_in::FailNthCall(n);
        }
        operation();
        bool reached = stand_in::FaultTriggered();
        stand_in::ClearFaults();
        EXPECT_EQ(stand_in::OpenTokenHandles(), 0);
        EXPECT_EQ(stand_in::OpenRegistryKeys(), 0);
        if (!reached) {
            return faults;
        }
        ++faults;
    }
    ADD_FAILURE() << "the operation never ran clean";
    return faults;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void ExpectSoundObject(const CBrelmoxLib& lib) {
    if (lib.m_pOSNameAllPattern != nullptr) {
        EXPECT_STREQ(lib.m_pOSNameAllPattern, brelmox::kAllOsNames);
    }
    if (lib.m_pOSName != nullptr) {
        std::string os_name = lib.m_pOSName;
        EXPECT_EQ(os_name.rfind("Microsoft Windows", 0), 0u) << os_name;
        EXPECT_TRUE(EndsWith(os_name, ",\r\n")) << os_name;
    }
    if (lib.m_pOSEtcInfo != nullptr) {
        std::string facts = lib.m_pOSEtcInfo;
        EXPECT_NE(facts.find(" Boot\r\n"), std::string::npos) << facts;
        EXPECT_NE(facts.find("ScreenX="), std::string::npos) << facts;
        EXPECT_TRUE(EndsWith(facts, ",\r\n")) << facts;
    }
}

TEST(FaultSweep, Construction) {
    for (FaultKind kind : {FaultKind::kAllocation, FaultKind::kPlatformCall}) {
        int faults = Sweep(kind, [] {
            CBrelmoxLib lib;
            ExpectSoundObject(lib);
        });
        EXPECT_GT(faults, 0) << KindName(kind);
    }
}

using Getter = std::function<bool(CBrelmoxLib&, std::vector<std::u16string>&, std::vector<bool>&)>;

template <typename Unit>
std::u16string Text(const Unit* text) {
    std::u16string result;
    for (; text != nullptr && *text != 0; ++text) {
        result.push_back(static_cast<char16_t>(static_cast<std::make_unsigned_t<Unit>>(*text)));
    }
    return result;
}

struct NamedGetter {
    const char* name;
    Getter call;
    // A fact the platform does not give counts as absent: the answer is then
    // another whole text, not a failure.
    bool tells_less_on_platform_faults = false;
    // The same for the names it asks for, whatever made them fail.
    bool tells_less_on_any_fault = false;
};

std::vector<NamedGetter> Getters() {
    return {
        {"GetComputerNameA",
         [](CBrelmoxLib& lib, auto& texts, auto& nulls) {
             NarrowString name;
             bool result = lib.GetComputerNameA(name.put());
             texts = {Text(name.get())};
             nulls = {(name.get() == nullptr)};
             return result;
         }},
        {"GetComputerNameW",
         [](CBrelmoxLib& lib, auto& texts, auto& nulls) {
             WideString name;
             bool result = lib.GetComputerNameW(name.put());
             texts = {Text(name.get())};
             nulls = {(name.get() == nullptr)};
             return result;
         }},
        {"GetUserNameA",
         [](CBrelmoxLib& lib, auto& texts, auto& nulls) {
             NarrowString name;
             bool result = lib.GetUserNameA(name.put());
             texts = {Text(name.get())};
             nulls = {(name.get() == nullptr)};
             return result;
         }},
        {"GetUserNameW",
         [](CBrelmoxLib& lib, auto& texts, auto& nulls) {
             WideString name;
             bool result = lib.GetUserNameW(name.put());
             texts = {Text(name.get())};
             nulls = {(name.get() == nullptr)};
             return result;
         }},
        {"GetUserNameAndDomainNameAndSidA",
         [](CBrelmoxLib& lib, auto& texts, auto& nulls) {
             NarrowString user, domain, sid;
             bool result = lib.GetUserNameAndDomainNameAndSidA(user.put(), domain.put(), sid.put());
             texts = {Text(user.get()), Text(domain.get()), Text(sid.get())};
             nulls = {(user.get() == nullptr), (domain.get() == nullptr), (sid.get() == nullptr)};
             return result;
         }},
        {"GetUserNameAndDomainNameAndSidW",
         [](CBrelmoxLib& lib, auto& texts, auto& nulls) {
             WideString user, domain, sid;
             bool result = lib.GetUserNameAndDomainNameAndSidW(user.put(), domain.put(), sid.put());
             texts = {Text(user.get()), Text(domain.get()), Text(sid.get())};
             nulls = {(user.get() == nullptr), (domain.get() == nullptr), (sid.get() == nullptr)};
             return result;
         }},
        {"GetOSProductNameA",
         [](CBrelmoxLib& lib, auto& texts, auto& nulls) {
             NarrowString name;
             bool result = lib.GetOSProductNameA(name.put());
             texts = {Text(name.get())};
             nulls = {(name.get() == nullptr)};
             return result;
         },
         true},
        {"GetOSProductNameW",
         [](CBrelmoxLib& lib, auto& texts, auto& nulls) {
             WideString name;
             bool result = lib.GetOSProductNameW(name.put());
             texts = {Text(name.get())};
             nulls = {(name.get() == nullptr)};
             return result;
         },
         true},
        {"GetReportJsonW",
         [](CBrelmoxLib& lib, auto& texts, auto& nulls) {
             WideString json;
             bool result = lib.GetReportJsonW(json.put());
             texts = {Text(json.get())};
             nulls = {(json.get() == nullptr)};
             return result;
         },
         true, true},
    };
}

// A getter either answers exactly what it answers without faults, or fails
// and leaves every output null (the callers all start from null).
TEST(FaultSweep, Getters) {
    for (const NamedGetter& getter : Getters()) {
        SCOPED_TRACE(getter.name);
        stand_in::Reset();
        CBrelmoxLib lib;
        std::vector<std::u16string> clean;
        std::vector<bool> clean_nulls;
        ASSERT_TRUE(getter.call(lib, clean, clean_nulls));
        for (FaultKind kind : {FaultKind::kAllocation, FaultKind::kPlatformCall}) {
            int faults = Sweep(kind, [&] {
                std::vector<std::u16string> texts;
                std::vector<bool> nulls;
                if (getter.call(lib, texts, nulls)) {
                    if ((kind == FaultKind::kPlatformCall &&
                         getter.tells_less_on_platform_faults) ||
                        getter.tells_less_on_any_fault) {
                        EXPECT_EQ(nulls, clean_nulls);
                        EXPECT_FALSE(texts[0].empty());
                        EXPECT_EQ(texts[0].back(), clean[0].back()) << "a whole text";
                    } else {
                        EXPECT_EQ(texts, clean);
                        EXPECT_EQ(nulls, clean_nulls);
                    }
                } else {
                    EXPECT_EQ(nulls, std::vector<bool>(clean.size(), true));
                }
            });
            EXPECT_GT(faults, 0) << KindName(kind);
        }
    }
}

// Every fault leaves the triple's outputs as the release table gives for the
// step it hit, told by the platform calls made until then: before the token's
// record has been read, as the caller left them; until the account lookup,
// the SID text null and the names as left; from the lookup on, all three null.
TEST(FaultSweep, AccountTripleOutputsFollowTheReleaseTable) {
    using stand_in::Api;
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "wide" : "narrow");
        for (FaultKind kind : {FaultKind::kAllocation, FaultKind::kPlatformCall}) {
            CBrelmoxLib lib;
            int faults = Sweep(kind, [wide, &lib] {
                char sentinel[] = "caller's";
                auto* untouched = reinterpret_cast<unsigned char*>(sentinel);
                unsigned char* outputs[3] = {untouched, untouched, untouched};
                bool result = wide ? lib.GetUserNameAndDomainNameAndSidW(
                                         reinterpret_cast<unsigned short**>(&outputs[0]),
                                         reinterpret_cast<unsigned short**>(&outputs[1]),
                                         reinterpret_cast<unsigned short**>(&outputs[2]))
                                   : lib.GetUserNameAndDomainNameAndSidA(
                                         reinterpret_cast<char**>(&outputs[0]),
                                         reinterpret_cast<char**>(&outputs[1]),
                                         reinterpret_cast<char**>(&outputs[2]));
                if (result) {
                    for (unsigned char* output : outputs) {
                        free(output);
                    }
                    return;
                }
                bool record_read = stand_in::Calls(Api::kGetTokenInformation) -
                                       stand_in::FailedCalls(Api::kGetTokenInformation) >=
                                   2;
                bool looked_up = stand_in::Calls(Api::kLookupAccountSidW) > 0;
                EXPECT_EQ(outputs[0], looked_up ? nullptr : untouched);
                EXPECT_EQ(outputs[1], looked_up ? nullptr : untouched);
                EXPECT_EQ(outputs[2], record_read ? nullptr : untouched);
            });
            EXPECT_GT(faults, 0) << KindName(kind);
        }
    }
}

}  // namespace

namespace {

// Assignment either copies all three texts or, without memory for them, leaves
// the target with none, never with its old texts beside the new record.
TEST(FaultSweep, AssignmentCopiesEverythingOrLeavesNoText) {
    stand_in::Reset();
    CBrelmoxLib source;
    int faults = 0;
    for (int n = 1; n < 50; ++n) {
        SCOPED_TRACE("allocation " + std::to_string(n));
        stand_in::machine().version.dwBuildNumber = 1234;  // the target's own, older record
        CBrelmoxLib target;
        stand_in::FailAllocation(n);
        target = source;
        bool reached = stand_in::FaultTriggered();
        stand_in::ClearFaults();
        EXPECT_EQ(
            memcmp(&target.m_OSVersionInfo, &source.m_OSVersionInfo, sizeof source.m_OSVersionInfo),
            0);
        if (!reached) {
            EXPECT_STREQ(target.m_pOSName, source.m_pOSName);
            EXPECT_STREQ(target.m_pOSNameAllPattern, source.m_pOSNameAllPattern);
            EXPECT_STREQ(target.m_pOSEtcInfo, source.m_pOSEtcInfo);
            break;
        }
        ++faults;
        EXPECT_EQ(target.m_pOSName, nullptr);
        EXPECT_EQ(target.m_pOSNameAllPattern, nullptr);
        EXPECT_EQ(target.m_pOSEtcInfo, nullptr);
    }
    EXPECT_GT(faults, 0);
}

}  // namespace
