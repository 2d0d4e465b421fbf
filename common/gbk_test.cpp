#include "common/gbk.h"

#include <gtest/gtest.h>

namespace dvr {
namespace {

TEST(GbkTest, FitLengthNeverSplitsACharacter) {
    // "中文" in GBK is D6 D0 CE C4.
    const std::string zh = "\xD6\xD0\xCE\xC4";
    struct Case {
        std::string s;
        size_t max;
        size_t want;
    } cases[] = {
        {"abc", 5, 3},       {"abc", 2, 2},       {zh, 4, 4},      {zh, 3, 2},
        {zh, 1, 0},          {"a" + zh, 2, 1},    {"a" + zh, 3, 3}, {"", 4, 0},
        {"\xD6", 4, 1}, // a lone trailing lead byte is kept as one byte
    };
    for (const auto& c : cases) EXPECT_EQ(GbkFitLength(c.s, c.max), c.want) << c.s << " " << c.max;
}

TEST(GbkTest, PStringCutsOnBoundaryAndClampsCorruptLength) {
    PString<3> p;
    p.Set("\xD6\xD0\xCE\xC4");
    EXPECT_EQ(p.len, 2);
    EXPECT_EQ(p.Get(), "\xD6\xD0");
    p.len = 200; // corrupt record
    EXPECT_EQ(p.Get().size(), 3u);
    p.Clear(); // an empty view may carry a null pointer
    EXPECT_EQ(p.len, 0);
    EXPECT_EQ(p.Get(), "");
}

} // namespace
} // namespace dvr
