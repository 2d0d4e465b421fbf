#include "player/format/stream_format.h"

#include <gtest/gtest.h>

#include "player/format/test_records.h"

namespace dvr {
namespace {

using testing::MakeFileHead;

TEST(HeaderFlags, OnlyTheMaskedValueCountsAndAsAWhole) {
    struct Case {
        uint16_t flags;
        bool listed, sound;
        int blocks;
    } cases[] = {
        {0x0000, true, false, 0},
        {0x0001, true, true, 0},
        {0x4000, true, false, 1},
        {0x6003, true, true, 0},
        {0x8000, true, false, 0},
        {0xC000, true, false, 1},
        {0xE003, true, true, 2},
        // Bits outside 0xE003 are ignored.
        {0x1FFD, true, true, 0},
        {0x5FFC, true, false, 1},
        // Not an enumerated value: the bits are not read one by one.
        {0x0002, false, false, 0},
        {0x0003, false, false, 0},
        {0x2000, false, false, 0},
        {0x4001, false, false, 0},
        {0xE000, false, false, 0},
        {0xC003, false, false, 0},
        {0x6000, false, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        HeaderFlagsInfo info = DecodeHeaderFlags(c.flags);
        EXPECT_EQ(info.listed, c.listed);
        EXPECT_EQ(info.sound, c.sound);
        EXPECT_EQ(info.textBlocks, c.blocks);
    }
}

TEST(StreamHeader, TakesSizeAtFixedOffsetsAndSoundFromTheFlags) {
    struct Case {
        uint16_t flags;
        int noSound;
    } cases[] = {{0x0001, 0}, {0x6003, 0}, {0xE003, 0}, {0x0000, 1},
                 {0x4000, 1}, {0x8000, 1}, {0xC000, 1}, {0x0002, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        auto head = MakeFileHead(c.flags, 576, 704, 12);
        StreamHeaderFields f;
        ASSERT_TRUE(ParseStreamHeader(head.data(), head.size(), &f));
        EXPECT_EQ(f.noSound, c.noSound);
        EXPECT_EQ(f.height, 576);
        EXPECT_EQ(f.width, 704);
        EXPECT_EQ(f.headerLength, 19);
        EXPECT_EQ(f.frameRate, 0) << "a stream header's rate is not taken";
        EXPECT_EQ(f.word4, 0x11223344u);
    }
}

TEST(StreamHeader, TextBlockFlagsDoNotMoveTheSizeFields) {
    // A file with this header would carry a text block; a stream header does not.
    auto head = MakeFileHead(0x4000, 288, 352);
    head.resize(40, 0xAA); // the caller may hand over more bytes than 19
    StreamHeaderFields f;
    ASSERT_TRUE(ParseStreamHeader(head.data(), head.size(), &f));
    EXPECT_EQ(f.height, 288);
    EXPECT_EQ(f.width, 352);
    EXPECT_EQ(f.headerLength, 40);
    EXPECT_EQ(f.noSound, 1);
}

TEST(StreamHeader, RefusesShortOrForeignHeaders) {
    auto head = MakeFileHead(0x0001);
    StreamHeaderFields f;
    f.height = 7;
    EXPECT_FALSE(ParseStreamHeader(head.data(), 18, &f));
    EXPECT_FALSE(ParseStreamHeader(head.data(), 0, &f));
    EXPECT_FALSE(ParseStreamHeader(nullptr, 19, &f));
    for (int i = 0; i < 4; ++i) {
        auto bad = head;
        bad[i] ^= 0x01;
        EXPECT_FALSE(ParseStreamHeader(bad.data(), bad.size(), &f));
    }
    auto frameMagic = head;
    frameMagic[3] = 0xC7;
    EXPECT_FALSE(ParseStreamHeader(frameMagic.data(), frameMagic.size(), &f));
    EXPECT_EQ(f.height, 7) << "a refused header writes nothing";
}

TEST(PictureSize, HeightsAboveOneThousandReportD1AndFail) {
    struct Case {
        uint16_t height, width;
        bool ok;
        int outH, outW;
    } cases[] = {{288, 352, true, 288, 352},     {576, 704, true, 576, 704},
                 {1000, 1920, true, 1000, 1920}, {1001, 1920, false, 576, 720},
                 {1080, 1920, false, 576, 720},  {0xFFFF, 0xFFFF, false, 576, 720}};
    for (const auto& c : cases) {
        StreamHeaderFields f;
        f.height = c.height;
        f.width = c.width;
        int h = -1, w = -1;
        EXPECT_EQ(PictureSize(f, &h, &w), c.ok) << c.height;
        EXPECT_EQ(h, c.outH);
        EXPECT_EQ(w, c.outW);
    }
}

TEST(AudioBlock, CodesArePackedLeastSignificantBitFirst) {
    uint8_t codes[kAudioBlockSamples] = {};
    codes[0] = 5; // bits 0..2 of byte 0
    codes[1] = 3; // bits 3..5 of byte 0
    codes[2] = 7; // bits 6..7 of byte 0, bit 0 of byte 1
    codes[7] = 6; // bits 5..7 of byte 2
    codes[319] = 1;
    uint8_t block[kAudioBlockBytes];
    PackAudioBlock(codes, block);
    EXPECT_EQ(block[0], 0b11011101);
    EXPECT_EQ(block[1], 0b00000001);
    EXPECT_EQ(block[2], 0b11000000);
    EXPECT_EQ(block[119], 0b00100000);
    for (size_t i = 0; i < kAudioBlockSamples; ++i)
        EXPECT_EQ(AudioBlockCode(block, int(i)), codes[i]) << i;
}

TEST(AudioBlock, EveryCodeSurvivesPackingAtEveryPosition) {
    uint8_t codes[kAudioBlockSamples];
    for (size_t i = 0; i < kAudioBlockSamples; ++i)
        codes[i] = static_cast<uint8_t>((i * 5 + i / 8) & 7);
    uint8_t block[kAudioBlockBytes];
    PackAudioBlock(codes, block);
    for (size_t i = 0; i < kAudioBlockSamples; ++i)
        EXPECT_EQ(AudioBlockCode(block, int(i)), codes[i]) << i;
}

TEST(RecordTypes, PicturesPerRecord) {
    EXPECT_EQ(PicturesInRecord(kFrameKey), 1);
    EXPECT_EQ(PicturesInRecord(kFrameP), 1);
    EXPECT_EQ(PicturesInRecord(kFramePB), 2);
    EXPECT_EQ(PicturesInRecord(kFramePBB), 3);
    EXPECT_EQ(PicturesInRecord(kFrameAudio), 0);
    EXPECT_EQ(PicturesInRecord(0x80), 0);
}

TEST(TimeBase, PlayedTimeIsTheDifferenceFromTheFirstStampAcrossTheWrap) {
    EXPECT_EQ(PlayedSeconds(90000 * 5 + 89999, 0), 5u);
    EXPECT_EQ(PlayedMs(1000 + 89, 1000), 0u);
    EXPECT_EQ(PlayedMs(1000 + 90, 1000), 1u);
    EXPECT_EQ(PlayedMs(900, 0xFFFFFFFFu - 899), 20u);
    EXPECT_EQ(PlayedSeconds(90000 - 10, 0xFFFFFFFFu - 9), 1u);
}

} // namespace
} // namespace dvr
