#include "player/lib/sound_feed.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/adpcm/adpcm.h"

namespace dvr::strovid {
namespace {

// Blocks whose first code byte is their position, so the test can see which were used.
class ListSource : public SoundBlockSource {
public:
    explicit ListSource(std::vector<uint32_t> times) : times_(std::move(times)) {}
    bool Next(SoundBlock* block) override {
        if (at_ >= times_.size()) return false;
        std::memset(block->codes, 0x55, sizeof block->codes);
        block->codes[0] = static_cast<uint8_t>(at_ + 1);
        block->timeStamp = times_[at_++];
        return true;
    }
    void PutBack() override { --at_; }
    size_t at_ = 0;

private:
    std::vector<uint32_t> times_;
};

std::vector<uint32_t> Times(uint32_t start, int n, uint32_t step = kSoundBlockTicks) {
    std::vector<uint32_t> t;
    for (int i = 0; i < n; ++i)
        t.push_back(start + i * step);
    return t;
}

// 0 for a silent block, else the source position of the block.
std::vector<int> Used(uint8_t codes[][kSoundBlockBytes], int n) {
    std::vector<int> u;
    for (int i = 0; i < n; ++i)
        u.push_back(codes[i][1] == 0x55 ? codes[i][0] : 0);
    return u;
}

TEST(SoundAttenuation, MapsTheLowSixteenBits) {
    struct Case {
        int level, attenuation;
    } cases[] = {{0, -10000}, {65535, 0}, {32768, -5000}, {0x10000, -10000}, {-1, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(SoundAttenuation(c.level), c.attenuation) << c.level;
}

TEST(SoundFeed, GapIsFilledWithWholeSilentBlocks) {
    // Three blocks, then a block 200 ms after the third: 160 ms are missing.
    std::vector<uint32_t> t = Times(90000, 3);
    t.push_back(t.back() + 18000);
    for (uint32_t x : Times(t.back() + 3600, 4))
        t.push_back(x);
    ListSource src(t);
    SoundFeed feed;
    feed.Restart();
    uint8_t codes[kSoundChunkBlocks][kSoundBlockBytes];
    ASSERT_EQ(feed.FillChunk(src, {}, codes), 8);
    EXPECT_EQ(Used(codes, 8), (std::vector<int>{1, 2, 3, 0, 0, 0, 0, 4}));
    ASSERT_EQ(feed.FillChunk(src, {}, codes), 4);
    EXPECT_EQ(Used(codes, 4), (std::vector<int>{5, 6, 7, 8}));
    // The end of the source leaves the chunk short; the caller fills silence.
    EXPECT_EQ(feed.FillChunk(src, {}, codes), 0);
    EXPECT_FALSE(feed.SilentChunk());
}

TEST(SoundFeed, SoundAheadOfThePicturesWaitsInSilence) {
    SoundFeed feed;
    feed.Restart();
    ListSource src(Times(900000, 100));
    uint8_t codes[kSoundChunkBlocks][kSoundBlockBytes];
    feed.FillChunk(src, {}, codes); // right after a restart: no comparison
    uint32_t last = feed.LastTime();

    struct Case {
        SoundPortKind kind;
        int64_t aheadTicks; // sound reference minus picture time
        int silent;         // inserted silent blocks
    } cases[] = {
        // own thread: ahead 290 ms with a 40 ms interval; 960 ms queued counted
        {SoundPortKind::kFileOrOwnThread, 86400 + 290 * 90, 1},
        {SoundPortKind::kFileOrOwnThread, 86400 + 289 * 90, 0},
        {SoundPortKind::kFileOrOwnThread, 86400 + 290 * 90 + 2 * 3600, 3},
        {SoundPortKind::kFileOrOwnThread, 86400 + 90000, 8},
        // shared thread: ahead 680 ms, nothing counted as queued
        {SoundPortKind::kSharedThread, 680 * 90, 1},
        {SoundPortKind::kSharedThread, 679 * 90, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.aheadTicks);
        ListSource s(Times(last + 3600, 20));
        SoundFeed f = feed;
        f.RequestResync(static_cast<uint32_t>(last - c.aheadTicks));
        SoundTiming timing;
        timing.kind = c.kind;
        int n = f.FillChunk(s, timing, codes);
        if (c.silent == 8) {
            EXPECT_EQ(n, 0);
            EXPECT_TRUE(f.SilentChunk());
            EXPECT_EQ(s.at_, 0u);
            continue;
        }
        ASSERT_EQ(n, 8);
        std::vector<int> want(c.silent, 0);
        for (int i = 1; i <= 8 - c.silent; ++i)
            want.push_back(i);
        EXPECT_EQ(Used(codes, 8), want);
        // The request is spent.
        ListSource again(Times(f.LastTime() + 3600, 8));
        EXPECT_EQ(f.FillChunk(again, timing, codes), 8);
        EXPECT_EQ(Used(codes, 1)[0], 1);
    }
}

TEST(SoundFeed, SoundBehindThePicturesSkipsBlocks) {
    SoundFeed feed;
    feed.Restart();
    ListSource first(Times(900000, 8));
    uint8_t codes[kSoundChunkBlocks][kSoundBlockBytes];
    feed.FillChunk(first, {}, codes);
    const uint32_t last = feed.LastTime();
    const uint32_t a = last - 86400;

    // Pictures 10 blocks past the reference: 10 blocks skipped.
    ListSource src(Times(last + 3600, 30));
    SoundFeed f = feed;
    f.RequestResync(a + 36000);
    ASSERT_EQ(f.FillChunk(src, {}, codes), 8);
    EXPECT_EQ(Used(codes, 1)[0], 11);

    // A gap inside the skipped part counts as two blocks.
    std::vector<uint32_t> t = Times(last + 3600, 3);
    for (uint32_t x : Times(t.back() + 9000, 30))
        t.push_back(x);
    ListSource gapped(t);
    f = feed;
    f.RequestResync(a + 36000);
    ASSERT_EQ(f.FillChunk(gapped, {}, codes), 8);
    EXPECT_EQ(Used(codes, 1)[0], 10);

    // Just inside the tolerance nothing is skipped.
    ListSource near(Times(last + 3600, 30));
    f = feed;
    f.RequestResync(a + 289 * 90);
    f.FillChunk(near, {}, codes);
    EXPECT_EQ(Used(codes, 1)[0], 1);
}

TEST(SoundFeed, EverySixthRefillAsksForAComparison) {
    SoundFeed feed;
    feed.Restart();
    std::vector<int> asked;
    for (int i = 1; i <= 13; ++i)
        if (feed.CountRefill()) asked.push_back(i);
    EXPECT_EQ(asked, (std::vector<int>{6, 12}));
}

TEST(SoundFeed, StartPassesOverSoundLongBeforeTheFirstPicture) {
    const uint32_t picture = 1000000;
    // Blocks from 1 s before the picture; with a 290 ms lead the first kept one starts
    // no more than 290 ms before it.
    ListSource src(Times(picture - 90000, 60));
    SoundFeed feed;
    feed.Restart();
    uint8_t codes[32][kSoundBlockBytes];
    ASSERT_EQ(feed.FillStart(src, picture, 290, 32, codes), 32);
    int first = codes[0][0]; // position 1 is at -1000 ms, 40 ms apart
    EXPECT_EQ(first, 19);    // -280 ms
    // Fewer blocks than asked for: what there is.
    ListSource few(Times(picture, 5));
    feed.Restart();
    EXPECT_EQ(feed.FillStart(few, picture, 290, 16, codes), 5);
}

TEST(SoundFeed, DecodesBlocksAndSilencesTheRest) {
    G723Decoder decoder;
    uint8_t codes[2][kSoundBlockBytes];
    std::memset(codes, 0x92, sizeof codes);
    std::vector<int16_t> samples(8 * kSoundBlockSamples, 0x1111);
    DecodeBlocks(decoder, codes, 2, 8, samples.data());
    bool sound = false;
    for (int i = 0; i < 2 * kSoundBlockSamples; ++i)
        sound |= samples[i] != 0;
    EXPECT_TRUE(sound);
    for (size_t i = 2 * kSoundBlockSamples; i < samples.size(); ++i)
        ASSERT_EQ(samples[i], 0);
}

} // namespace
} // namespace dvr::strovid
