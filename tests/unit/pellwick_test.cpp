// CPellwick's heap strings and VARIANT conversion, as the library's callers use them.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "CPellwick.h"
#include "owned_string.h"

namespace {

unsigned char* Bytes(const char* text) {
    return reinterpret_cast<unsigned char*>(const_cast<char*>(text));
}

std::u16string WideFromAscii(const char* text) {
    return ToU16(std::string(text));
}

TEST(PellwickSmalloc, HandsOutAZeroFilledBlockAndIgnoresTheOldPointer) {
    CPellwick pellwick;
    unsigned char* block = reinterpret_cast<unsigned char*>(0x1234);  // callers may pass garbage
    ASSERT_GE(pellwick.Smalloc(&block, 64), 0);
    ASSERT_NE(block, reinterpret_cast<unsigned char*>(0x1234));
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(block[i], 0) << "byte " << i;
    }
    pellwick.Sfree(&block);
    EXPECT_EQ(block, nullptr);
}

TEST(PellwickSfree, AcceptsANullPointer) {
    CPellwick pellwick;
    unsigned char* block = nullptr;
    pellwick.Sfree(&block);
    EXPECT_EQ(block, nullptr);
}

TEST(PellwickSmemStrCpy, CopiesNarrowAndWideTexts) {
    CPellwick pellwick;
    NarrowString narrow;
    ASSERT_GE(pellwick.SmemStrCpy(reinterpret_cast<unsigned char**>(narrow.put()), Bytes("abc")),
              0);
    EXPECT_STREQ(narrow.get(), "abc");

    unsigned short source[] = {'x', 0x263A, 'y', 0};
    WideString wide;
    ASSERT_GE(pellwick.SmemStrCpyW(wide.put(), source), 0);
    EXPECT_EQ(ToU16(wide.get()), std::u16string(u"x\u263Ay"));
    EXPECT_NE(wide.get(), source);
}

TEST(PellwickSmemAddChar, GrowsFromNothingAndAppendsExactlyTheGivenCount) {
    CPellwick pellwick;
    NarrowString text;
    auto** target = reinterpret_cast<unsigned char**>(text.put());
    ASSERT_GE(pellwick.SmemAddChar(target, 0, Bytes("sid=S-1-"), 8), 0);
    ASSERT_GE(pellwick.SmemAddChar(target, strlen(text.get()), Bytes("5-and-more"), 2), 0);
    std::string long_piece(1000, 'z');
    ASSERT_GE(pellwick.SmemAddChar(target, strlen(text.get()), Bytes(long_piece.c_str()), 1000), 0);
    EXPECT_EQ(std::string(text.get()), "sid=S-1-5-" + long_piece);
}

TEST(PellwickSmemAddCharW, AppendsUpToTheTerminators) {
    CPellwick pellwick;
    WideString text;
    unsigned short first[] = {'a', 'b', 0};
    unsigned short second[] = {'-', 0x00E9, 0};
    ASSERT_GE(pellwick.SmemAddCharW(text.address(), first), 0);
    ASSERT_GE(pellwick.SmemAddCharW(text.address(), second), 0);
    ASSERT_GE(pellwick.SmemAddCharW(text.address(), second), 0);
    EXPECT_EQ(ToU16(text.get()), std::u16string(u"ab-\u00E9-\u00E9"));
}

// The source may lie inside the target's own block: the block moves as it
// grows, and what is appended must still be the source's old bytes.
TEST(PellwickSmemAddChar, AppendsPartsOfTheTargetItself) {
    struct Case {
        size_t offset, count;
        const char* result;
    } const cases[] = {
        {0, 6, "abcdefabcdef"},
        {2, 3, "abcdefcde"},
        {5, 1, "abcdeff"},
        {6, 0, "abcdef"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        CPellwick pellwick;
        NarrowString text;
        auto** target = reinterpret_cast<unsigned char**>(text.put());
        ASSERT_GE(pellwick.SmemStrCpy(target, Bytes("abcdef")), 0);
        ASSERT_GE(pellwick.SmemAddChar(target, 6, *target + c.offset,
                                       static_cast<unsigned long>(c.count)),
                  0);
        EXPECT_STREQ(text.get(), c.result);
    }
}

TEST(PellwickSmemAddCharW, AppendsTheTargetItself) {
    CPellwick pellwick;
    WideString text;
    unsigned short start[] = {'x', 0x00E9, 0};
    ASSERT_GE(pellwick.SmemStrCpyW(text.put(), start), 0);
    for (int i = 0; i < 3; ++i) {
        ASSERT_GE(pellwick.SmemAddCharW(text.address(), text.get()), 0);
    }
    EXPECT_EQ(ToU16(text.get()), std::u16string(u"x\u00E9x\u00E9x\u00E9x\u00E9x\u00E9x\u00E9x"
                                                u"\u00E9x\u00E9"));
}

// A length that no text of these sizes can have is refused, and the target
// keeps its block and text, whatever the width of unsigned long.
TEST(PellwickSmemAddChar, RefusesLengthsBeyondTheTexts) {
    const unsigned long kMost = static_cast<unsigned long>(-1);
    struct Case {
        const char* what;
        unsigned long length, count;
    } const cases[] = {
        {"length 0xFFFFFFFF", 0xFFFFFFFFul, 4}, {"the largest length", kMost, 4},
        {"length one past the text", 7, 4},     {"count 0xFFFFFFFF", 6, 0xFFFFFFFFul},
        {"the largest count", 6, kMost},        {"count one past the source", 6, 5},
        {"both the largest", kMost, kMost},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPellwick pellwick;
        NarrowString text;
        auto** target = reinterpret_cast<unsigned char**>(text.put());
        ASSERT_GE(pellwick.SmemStrCpy(target, Bytes("abcdef")), 0);
        unsigned char* block = *target;
        EXPECT_LT(pellwick.SmemAddChar(target, c.length, Bytes("wxyz"), c.count), 0);
        EXPECT_EQ(*target, block);
        EXPECT_STREQ(text.get(), "abcdef");
    }
}

TEST(PellwickSChar2Variant, StoresAnOwnedBstr) {
    CPellwick pellwick;
    VARIANT value;
    ASSERT_GE(pellwick.SChar2Variant(Bytes("Microsoft Windows\r\nline"), &value), 0);
    ASSERT_EQ(V_VT(&value), VT_BSTR);
    EXPECT_EQ(SysStringLen(V_BSTR(&value)), 23u);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(V_BSTR(&value))),
              WideFromAscii("Microsoft Windows\r\nline"));
    VariantClear(&value);
}

TEST(PellwickSChar2Variant, NullTextGivesEmptyAndNullVariantIsRefused) {
    CPellwick pellwick;
    VARIANT value;
    V_VT(&value) = VT_I4;
    EXPECT_GE(pellwick.SChar2Variant(nullptr, &value), 0);
    EXPECT_EQ(V_VT(&value), VT_EMPTY);
    EXPECT_LT(pellwick.SChar2Variant(Bytes("text"), nullptr), 0);
}

TEST(PellwickSChar2Variant, EmptyTextGivesAnEmptyBstr) {
    CPellwick pellwick;
    VARIANT value;
    ASSERT_GE(pellwick.SChar2Variant(Bytes(""), &value), 0);
    ASSERT_EQ(V_VT(&value), VT_BSTR);
    ASSERT_NE(V_BSTR(&value), nullptr);
    EXPECT_EQ(SysStringLen(V_BSTR(&value)), 0u);
    VariantClear(&value);
}

TEST(PellwickFileVersion, LeavesThePointerNullForAFileWithoutVersion) {
    CPellwick pellwick;
    unsigned short missing[] = {'n', 'o', '-', 's', 'u', 'c', 'h', '.', 'd', 'l', 'l', 0};
    WideString version;
    EXPECT_LT(pellwick.getFileVersionStringW(missing, version.put()), 0);
    EXPECT_TRUE((version.get() == nullptr));
}

}  // namespace
