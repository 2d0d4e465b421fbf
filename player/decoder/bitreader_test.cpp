#include "player/decoder/bitreader.h"

#include <gtest/gtest.h>

#include <vector>

namespace dvr::decoder {
namespace {

TEST(BitReader, ReadsMostSignificantBitFirstAcrossBytes) {
    const std::vector<uint8_t> data = {0xA5, 0x0F, 0xF0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE};
    BitReader br;
    br.Point(data.data(), data.size());
    EXPECT_EQ(br.Peek(0), 0u);
    EXPECT_EQ(br.Get(1), 1u);
    EXPECT_EQ(br.Get(3), 0b010u);
    EXPECT_EQ(br.Get(8), 0x50u);
    EXPECT_EQ(br.Peek(32), 0xFF012345u);
    EXPECT_EQ(br.Get(25), 0xFF012345u >> 7);
    EXPECT_EQ(br.Consumed(), 37u);
    EXPECT_FALSE(br.Aligned());
    br.Align();
    EXPECT_EQ(br.Consumed(), 40u);
    EXPECT_EQ(br.Peek(32), 0x56789ABCu);
    br.Align(); // already aligned: nothing consumed
    EXPECT_EQ(br.Consumed(), 40u);
}

// Past the end of the record the reader yields zero bits, never bytes of memory beyond it.
TEST(BitReader, PastTheEndReadsZeros) {
    const uint8_t buffer[12] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    BitReader br;
    br.Point(buffer, 3);
    EXPECT_EQ(br.Peek(32), 0xFFFFFF00u);
    br.Skip(20);
    EXPECT_EQ(br.Peek(8), 0xF0u);
    br.Skip(100);
    EXPECT_EQ(br.Peek(32), 0u);
}

} // namespace
} // namespace dvr::decoder
