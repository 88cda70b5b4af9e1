// CBrelmoxLib's lifetime and texts through its public interface.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

#include "CBrelmoxLib.h"
#include "all_os_names.h"
#include "owned_string.h"

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

TEST(AllOsNames, IsTheFixedListOfThirtySixNames) {
    CBrelmoxLib lib;
    ASSERT_NE(lib.m_pOSNameAllPattern, nullptr);
    std::string list = lib.m_pOSNameAllPattern;

    EXPECT_EQ(list.size(), 955u);
    EXPECT_EQ(list.find('\r'), std::string::npos) << "names are separated by LF alone";
    EXPECT_NE(list.back(), '\n') << "no line feed after the last name";
    std::vector<std::string> lines = SplitLines(list);
    ASSERT_EQ(lines.size(), 36u);
    EXPECT_EQ(lines[0], "MS-Windows3.1 with Win32");
    EXPECT_EQ(lines[16], "MS-Windows2000 Datacenter Server ");
    EXPECT_EQ(lines[35], "MS-WindowsCE");
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i != 16) {
            EXPECT_NE(lines[i].back(), ' ') << "line " << i + 1;
        }
    }
}

TEST(Construction, FillsAllThreeTextsAndTheVersionRecord) {
    CBrelmoxLib lib;
    ASSERT_NE(lib.m_pOSName, nullptr);
    ASSERT_NE(lib.m_pOSEtcInfo, nullptr);
    std::string os_name = lib.m_pOSName;
    EXPECT_EQ(os_name.rfind("Microsoft Windows", 0), 0u) << os_name;
    EXPECT_NE(os_name.find("\r\n\r\nDebugInfo=getOSVERSIONINFO"), std::string::npos) << os_name;
    EXPECT_EQ(os_name.substr(os_name.size() - 2), "\r\n");

    std::string facts = lib.m_pOSEtcInfo;
    EXPECT_NE(facts.find("ScreenX="), std::string::npos) << facts;
    EXPECT_EQ(facts.substr(facts.size() - 2), "\r\n");

    EXPECT_EQ(lib.m_OSVersionInfo.dwOSVersionInfoSize, 156u);
    EXPECT_NE(lib.m_OSVersionInfo.dwMajorVersion, 0u);
}

TEST(Construction, EveryObjectOwnsItsOwnTexts) {
    CBrelmoxLib first;
    CBrelmoxLib second;
    EXPECT_NE(first.m_pOSName, second.m_pOSName);
    EXPECT_NE(first.m_pOSNameAllPattern, second.m_pOSNameAllPattern);
    EXPECT_NE(first.m_pOSEtcInfo, second.m_pOSEtcInfo);
    EXPECT_STREQ(first.m_pOSName, second.m_pOSName);
    EXPECT_STREQ(first.m_pOSEtcInfo, second.m_pOSEtcInfo);
}

void ExpectSameContentNotSameTexts(const CBrelmoxLib& target, const CBrelmoxLib& source) {
    EXPECT_STREQ(target.m_pOSName, source.m_pOSName);
    EXPECT_STREQ(target.m_pOSNameAllPattern, source.m_pOSNameAllPattern);
    EXPECT_STREQ(target.m_pOSEtcInfo, source.m_pOSEtcInfo);
    EXPECT_NE(target.m_pOSName, source.m_pOSName);
    EXPECT_NE(target.m_pOSNameAllPattern, source.m_pOSNameAllPattern);
    EXPECT_NE(target.m_pOSEtcInfo, source.m_pOSEtcInfo);
    EXPECT_EQ(
        memcmp(&target.m_OSVersionInfo, &source.m_OSVersionInfo, sizeof source.m_OSVersionInfo), 0);
}

TEST(CopyAssignment, TakesDeepCopiesSoBothObjectsReleaseTheirOwn) {
    CBrelmoxLib source;
    {
        CBrelmoxLib target;
        target = source;
        ExpectSameContentNotSameTexts(target, source);
    }
    // The source's texts outlived the target.
    EXPECT_EQ(strlen(source.m_pOSNameAllPattern), brelmox::kAllOsNamesLength);
}

TEST(CopyAssignment, IsSafeOnItselfAndWhenRepeated) {
    CBrelmoxLib lib;
    std::string before = lib.m_pOSName;
    CBrelmoxLib& same = lib;
    lib = same;
    EXPECT_EQ(before, lib.m_pOSName);

    CBrelmoxLib other;
    for (int i = 0; i < 3; ++i) {
        other = lib;  // the previous copies must be released, not leaked
    }
    ExpectSameContentNotSameTexts(other, lib);
}

// A member-wise copy would leave two objects releasing the same texts.
static_assert(!std::is_copy_constructible<CBrelmoxLib>::value,
              "copies are made by assignment, which copies the texts");

TEST(CopyAssignment, ReturnsTheTarget) {
    CBrelmoxLib source, target;
    EXPECT_EQ(&(target = source), &target);
}

TEST(Getters, AnswerInBothWidthsWithTheSameText) {
    CBrelmoxLib lib;
    NarrowString computer_a, user_a;
    WideString computer_w, user_w;
    ASSERT_TRUE(lib.GetComputerNameA(computer_a.put()));
    ASSERT_TRUE(lib.GetComputerNameW(computer_w.put()));
    ASSERT_TRUE(lib.GetUserNameA(user_a.put()));
    ASSERT_TRUE(lib.GetUserNameW(user_w.put()));
    EXPECT_GT(strlen(computer_a.get()), 0u);
    EXPECT_LE(strlen(computer_a.get()), 15u);
    EXPECT_GT(strlen(user_a.get()), 0u);
    EXPECT_EQ(ToU16(computer_a.get()), ToU16(computer_w.get()));
    EXPECT_EQ(ToU16(user_a.get()), ToU16(user_w.get()));
}

TEST(Getters, AccountTripleAgreesAcrossWidths) {
    CBrelmoxLib lib;
    NarrowString user_a, domain_a, sid_a;
    WideString user_w, domain_w, sid_w;
    ASSERT_TRUE(lib.GetUserNameAndDomainNameAndSidA(user_a.put(), domain_a.put(), sid_a.put()));
    ASSERT_TRUE(lib.GetUserNameAndDomainNameAndSidW(user_w.put(), domain_w.put(), sid_w.put()));
    EXPECT_EQ(std::string(sid_a.get()).rfind("sid=S-1-", 0), 0u) << sid_a.get();
    EXPECT_EQ(ToU16(sid_a.get()), ToU16(sid_w.get()));
    EXPECT_EQ(ToU16(user_a.get()), ToU16(user_w.get()));
    EXPECT_EQ(ToU16(domain_a.get()), ToU16(domain_w.get()));
}

TEST(Getters, HandOutANewStringOnEveryCall) {
    CBrelmoxLib lib;
    NarrowString first, second;
    ASSERT_TRUE(lib.GetUserNameA(first.put()));
    ASSERT_TRUE(lib.GetUserNameA(second.put()));
    EXPECT_NE(first.get(), second.get());
    EXPECT_STREQ(first.get(), second.get());
}

}  // namespace
