#include "sim/g729/G729Dll.h"

#include <gtest/gtest.h>

#include <vector>

TEST(G729Dll, EncodesNineHundredSixtyBytesToSixtyAndBack) {
    G729InitEncoder();
    G729InitDecoder();
    std::vector<uint8_t> pcm(960, 0), code(60), back(960, 1);
    int n = -1;
    EXPECT_EQ(G729Encode(pcm.data(), 960, code.data(), &n), 0);
    EXPECT_EQ(n, 60);
    n = -1;
    EXPECT_EQ(G729Decode(code.data(), 60, back.data(), &n), 0);
    EXPECT_EQ(n, 960);
    EXPECT_EQ(back, pcm);
    n = -1;
    EXPECT_NE(G729Encode(pcm.data(), 900, code.data(), &n), 0);
    EXPECT_EQ(n, 0);
}
