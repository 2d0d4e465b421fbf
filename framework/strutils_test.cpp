#include "framework/strutils.h"

#include "framework/exceptions.h"

#include <gtest/gtest.h>

namespace dvr::fw {
namespace {

TEST(Strings, GbkAndUtf16ConvertBothWays) {
    // "本地设置" in GBK and UTF-16.
    const std::string gbk = "\xB1\xBE\xB5\xD8\xC9\xE8\xD6\xC3";
    const std::u16string wide = u"本地设置";
    EXPECT_EQ(GbkToUtf16(gbk), wide);
    EXPECT_EQ(Utf16ToGbk(wide), gbk);
    EXPECT_EQ(Utf8ToGbk("对不起！"), "\xB6\xD4\xB2\xBB\xC6\xF0\xA3\xA1");
    EXPECT_EQ(GbkToUtf16("ab"), u"ab");
    EXPECT_EQ(Utf16ToGbk(u""), "");
}

TEST(Strings, Utf8AndUtf16ConvertBothWaysAndRepairBadInput) {
    struct Case {
        std::string utf8;
        std::u16string wide;
    };
    const Case exact[] = {{"plain", u"plain"},
                          {"\xE7\x94\xBB", u"画"},
                          {"\xF0\x9F\x98\x80", u"\U0001F600"},
                          {"", u""}};
    for (const Case& c : exact) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.wide);
        EXPECT_EQ(Utf16ToUtf8(c.wide), c.utf8);
    }
    const Case repaired[] = {
        {"\xE7\x94", u"\uFFFD\uFFFD"},           // cut short
        {"\xC0\x80", u"\uFFFD\uFFFD"},           // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // surrogate
        {"a\xFF"
         "b",
         u"a\uFFFDb"},
    };
    for (const Case& c : repaired)
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.wide);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Strings, CaseChangesSkipTheSecondByteOfTwoByteCharacters) {
    // 0xB0 0x61: a two-byte character whose second byte is 'a'.
    EXPECT_EQ(UpperCase("ab\xB0\x61z"), "AB\xB0\x61Z");
    EXPECT_EQ(LowerCase("AB\xB0\x41Z"), "ab\xB0\x41z");
    EXPECT_EQ(CompareText("Form", "FORM"), 0);
    EXPECT_NE(CompareText("\xB0\x61", "\xB0\x41"), 0);
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("abcd", "ABC"), 0);
    EXPECT_TRUE(SameText("clWhite", "CLWHITE"));
    EXPECT_FALSE(SameText("a", "ab"));
    EXPECT_LT(CompareStr("B", "a"), 0);
}

TEST(Strings, TrimRemovesSpacesAndControlsOnly) {
    EXPECT_EQ(Trim(" \t\r\nx y \x01"), "x y");
    EXPECT_EQ(TrimLeft("  x "), "x ");
    EXPECT_EQ(TrimRight("  x "), "  x");
    EXPECT_EQ(Trim("\xB0\xA1 "), "\xB0\xA1"); // high bytes are text
    EXPECT_EQ(Trim("   "), "");
}

TEST(Strings, IntegerConversions) {
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"-2147483648", true, INT32_MIN},
        {"2147483647", true, INT32_MAX},
        {"2147483648", false, 0},
        {"+17", true, 17},
        {"$FF", true, 255},
        {"0x7f", true, 127},
        {"$FFFFFFFF", true, -1},
        {"$100000000", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {" 1", false, 0},
        {"12a", false, 0},
        {"99999999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        int32_t v = 12345;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
            EXPECT_EQ(StrToInt(c.text), c.value);
        } else {
            EXPECT_THROW(StrToInt(c.text), EConvertError) << c.text;
            EXPECT_EQ(StrToIntDef(c.text, -7), -7);
        }
    }
    EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(IntToHex(0x7F007F, 8), "007F007F");
    EXPECT_EQ(IntToHex(0xABC, 1), "ABC");
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
}

} // namespace
} // namespace dvr::fw
