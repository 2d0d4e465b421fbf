#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace dvr::win {
namespace {

TEST(TextConvTest, GbkRoundTripIsIndependentOfAnsiCodePage) {
    const std::string gbk = "\xB6\xD4\xB2\xBB\xC6\xF0\xA3\xA1"; // 对不起！
    EXPECT_EQ(GbkToWide(gbk), L"\u5BF9\u4E0D\u8D77\uFF01");
    EXPECT_EQ(WideToGbk(L"\u5BF9\u4E0D\u8D77\uFF01"), gbk);
    EXPECT_EQ(Utf8ToGbk("对不起！"), gbk);
    EXPECT_EQ(WideToUtf8(GbkToWide(gbk)), "对不起！");
    EXPECT_EQ(GbkToWide(""), L"");
}

} // namespace
} // namespace dvr::win
