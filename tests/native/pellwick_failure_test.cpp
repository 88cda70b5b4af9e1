// CPellwick's contracts when the heap or the platform refuses.
#include <gtest/gtest.h>
#include <string.h>

#include "CPellwick.h"
#include "owned_string.h"
#include "stand_in.h"

namespace {

using stand_in::Api;

unsigned char* Bytes(const char* text) {
    return reinterpret_cast<unsigned char*>(const_cast<char*>(text));
}

class PellwickFailure : public ::testing::Test {
protected:
    void SetUp() override { stand_in::Reset(); }
    void TearDown() override { stand_in::ClearFaults(); }
    CPellwick pellwick;
};

TEST_F(PellwickFailure, SmallocStoresNothing) {
    unsigned char* block = nullptr;
    stand_in::FailAllocation(1);
    EXPECT_LT(pellwick.Smalloc(&block, 32), 0);
    EXPECT_EQ(block, nullptr);
}

TEST_F(PellwickFailure, StrCpyLeavesTheTargetNull) {
    NarrowString narrow;
    WideString wide;
    unsigned short source[] = {'a', 0};
    stand_in::FailAllocation(1);
    EXPECT_LT(pellwick.SmemStrCpy(reinterpret_cast<unsigned char**>(narrow.put()), Bytes("a")), 0);
    stand_in::FailAllocation(1);
    EXPECT_LT(pellwick.SmemStrCpyW(wide.put(), source), 0);
    EXPECT_TRUE((narrow.get() == nullptr));
    EXPECT_TRUE((wide.get() == nullptr));
}

TEST_F(PellwickFailure, AddCharKeepsTheOldTextValid) {
    NarrowString narrow;
    auto** target = reinterpret_cast<unsigned char**>(narrow.put());
    ASSERT_GE(pellwick.SmemAddChar(target, 0, Bytes("keep"), 4), 0);
    stand_in::FailAllocation(1);
    EXPECT_LT(pellwick.SmemAddChar(target, 4, Bytes("lost"), 4), 0);
    EXPECT_STREQ(narrow.get(), "keep");

    WideString wide;
    unsigned short piece[] = {'k', 0};
    ASSERT_GE(pellwick.SmemAddCharW(wide.address(), piece), 0);
    stand_in::FailAllocation(1);
    EXPECT_LT(pellwick.SmemAddCharW(wide.address(), piece), 0);
    EXPECT_EQ(ToU16(wide.get()), u"k");
}

TEST_F(PellwickFailure, SChar2VariantLeavesAnEmptyVariant) {
    VARIANT value;
    stand_in::FailCall(Api::kSysAllocStringLen, 1);
    EXPECT_LT(pellwick.SChar2Variant(Bytes("text"), &value), 0);
    EXPECT_EQ(V_VT(&value), VT_EMPTY);
}

TEST_F(PellwickFailure, FileVersionIsFormattedFromTheFixedInfo) {
    stand_in::machine().file_versions[u"C:\\Brelmox.exe"] = {{1, 0, 0, 10}};
    unsigned short path[] = {'C', ':', '\\', 'B', 'r', 'e', 'l', 'm',
                             'o', 'x', '.',  'e', 'x', 'e', 0};
    WideString version;
    ASSERT_GE(pellwick.getFileVersionStringW(path, version.put()), 0);
    EXPECT_EQ(ToU16(version.get()), u"1.0.0.10");

    for (Api api :
         {Api::kGetFileVersionInfoSizeW, Api::kGetFileVersionInfoW, Api::kVerQueryValueW}) {
        SCOPED_TRACE(stand_in::ApiName(api));
        stand_in::FailCall(api, 1);
        WideString absent;
        EXPECT_LT(pellwick.getFileVersionStringW(path, absent.put()), 0);
        EXPECT_TRUE((absent.get() == nullptr));
    }
    for (int n = 1; n <= 2; ++n) {
        stand_in::FailAllocation(n);
        WideString absent;
        EXPECT_LT(pellwick.getFileVersionStringW(path, absent.put()), 0);
        EXPECT_TRUE((absent.get() == nullptr));
    }
}

}  // namespace
