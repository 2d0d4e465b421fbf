#include "common/adpcm/adpcm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/testing/testdata.h"

namespace dvr {
namespace {

std::vector<uint8_t> ReadFile(const std::string& name) {
    std::ifstream f(testing::TestDataPath(name), std::ios::binary);
    EXPECT_TRUE(f.good()) << "missing fixture " << name;
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::vector<int16_t> ReadPcm(const std::string& name) {
    std::vector<uint8_t> b = ReadFile(name);
    std::vector<int16_t> s(b.size() / 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<int16_t>(b[2 * i] | b[2 * i + 1] << 8);
    return s;
}

// Encodes a whole signal block by block with one channel, as the board path does.
std::vector<uint8_t> EncodeStream(const std::vector<int16_t>& pcm,
                                  G726Mix mix = G726Mix::kStandard) {
    AdpcmChannelState ch;
    AdpcmInitState(ch);
    G726Reset(ch.g726, mix);
    std::vector<uint8_t> out;
    uint8_t block[kAudioBlockCodeBytes];
    for (size_t at = 0; at + kAudioBlockSamples <= pcm.size(); at += kAudioBlockSamples) {
        size_t n = AdpcmEncodeBlock(&pcm[at], block, kAudioBlockSamples, sizeof block, ch);
        EXPECT_EQ(n, kAudioBlockCodeBytes);
        out.insert(out.end(), block, block + n);
    }
    return out;
}

// Decodes 120-byte blocks with one decoder, as a player port does.
std::vector<int16_t> DecodeStream(const std::vector<uint8_t>& codes,
                                  G726Mix mix = G726Mix::kStandard) {
    G723Decoder dec;
    dec.Reset(mix);
    std::vector<int16_t> out;
    int16_t block[kAudioBlockSamples];
    for (size_t at = 0; at + kAudioBlockCodeBytes <= codes.size(); at += kAudioBlockCodeBytes) {
        size_t n = dec.Decode(&codes[at], kAudioBlockCodeBytes, block, kAudioBlockSamples);
        EXPECT_EQ(n, kAudioBlockSamples);
        out.insert(out.end(), block, block + n);
    }
    return out;
}

template <typename T>
::testing::AssertionResult SameSequence(const std::vector<T>& got, const std::vector<T>& want) {
    if (got.size() != want.size())
        return ::testing::AssertionFailure() << "size " << got.size() << " vs " << want.size();
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i])
            return ::testing::AssertionFailure()
                   << "first difference at " << i << ": " << int(got[i]) << " vs " << int(want[i]);
    return ::testing::AssertionSuccess();
}

// The sample as the coder sees it: halved and limited.
int Scaled(int16_t s) {
    return std::min(6143, std::max(-6144, s >> 1));
}

const char* const kSignals[] = {"sine1k", "speech", "tones"};

// ffmpeg's coder differs from ours in one rounding of the step-size mix (G726Mix); with
// that rounding matched, tables, predictor, adaptation, scaling and packing must agree
// with it bit for bit.
TEST(AdpcmReferenceTest, EncoderMatchesFfmpegBitForBit) {
    for (const char* name : kSignals) {
        std::vector<int16_t> pcm = ReadPcm(std::string("adpcm_") + name + ".pcm");
        ASSERT_EQ(pcm.size() % kAudioBlockSamples, 0u) << name;
        EXPECT_TRUE(SameSequence(EncodeStream(pcm, G726Mix::kKeepSlowFraction),
                                 ReadFile(std::string("adpcm_") + name + ".g726")))
            << name;
    }
}

// Agreement with ffmpeg's decoding, except where the reconstructed signal overshoots the
// 14-bit range: times 4 it wraps round in ffmpeg's output and clips in ours.
::testing::AssertionResult SameUnlessWrapped(const std::vector<int16_t>& ours,
                                             const std::vector<int16_t>& ff, size_t& wrapped) {
    if (ours.size() != ff.size())
        return ::testing::AssertionFailure() << "size " << ours.size() << " vs " << ff.size();
    wrapped = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
        if (ours[i] == ff[i]) continue;
        bool at_limit = ours[i] == 32767 || ours[i] == -32768;
        if (!at_limit || (ours[i] < 0) == (ff[i] < 0))
            return ::testing::AssertionFailure()
                   << "sample " << i << ": " << ours[i] << " vs " << ff[i];
        ++wrapped;
    }
    return ::testing::AssertionSuccess();
}

TEST(AdpcmReferenceTest, FfmpegDecodesOurBlocksToOurSamples) {
    struct Case {
        const char* name;
        bool overshoots;
    } cases[] = {{"sine1k", false}, {"speech", false}, {"tones", true}, {"random", true}};
    for (const auto& c : cases) {
        std::string stem = std::string("adpcm_") + c.name;
        // Our encoding of the signal, or for "random" arbitrary code words, which reach
        // states a real signal seldom does.
        std::vector<uint8_t> codes =
            c.name == std::string("random")
                ? ReadFile(stem + ".g726")
                : EncodeStream(ReadPcm(stem + ".pcm"), G726Mix::kKeepSlowFraction);
        size_t wrapped = 0;
        EXPECT_TRUE(SameUnlessWrapped(DecodeStream(codes, G726Mix::kKeepSlowFraction),
                                      ReadPcm(stem + ".dec.pcm"), wrapped))
            << c.name;
        EXPECT_EQ(wrapped > 0, c.overshoots) << c.name << ": " << wrapped << " samples wrapped";
    }
}

// Hand-worked from the reset state for the code words 7 3 3 3 7 4 4 4 7 3 3 3: both
// mixes agree until the twelfth word. Before it the standard mix gives y = 662 +
// (1295 * 60 >> 6) = 1876 and yu = 1876 + ((18624 - 1876) >> 5) = 2399; with the
// speed control now at 257, y = yu, so dq = 204, plus the estimate 9 gives 213, times
// 4 is 852. Keeping the slow factor's fraction made y 1878 and yu 2401, so dq = 205.
TEST(AdpcmReferenceTest, MixRoundingIsTheOneDifference) {
    const uint8_t codes[] = {7, 3, 3, 3, 7, 4, 4, 4, 7, 3, 3, 3};
    const int common[] = {0, 60, 76, 92, 0, -88, -128, -196, -12, 212, 416};
    struct Case {
        G726Mix mix;
        int last;
    } cases[] = {{G726Mix::kStandard, 852}, {G726Mix::kKeepSlowFraction, 856}};
    for (const auto& c : cases) {
        G726State s;
        G726Reset(s, c.mix);
        for (size_t i = 0; i < std::size(codes); ++i) {
            int want = i < std::size(common) ? common[i] : c.last;
            EXPECT_EQ(4 * G726Decode24(s, codes[i]), want) << "word " << i;
        }
    }
}

// With the fast factor below the slow one the mix subtracts, in sign and magnitude: yl >> 6
// = 4000, yu = 3596, al = 132 >> 2 = 33: 404 * 33 / 64 = 208.3, so y = 4000 - 208 = 3792
// and, for the largest positive word with a zero estimate, dql = 373 + 948 = 1321,
// dq = (128 + 41) << 3 = 1352, times 4 is 5408. Rounding the product down, or keeping
// the slow fraction (which is 0 here), gives y = 3791, dq = 1344.
TEST(AdpcmReferenceTest, StandardMixRoundsTheDecreaseTowardZero) {
    struct Case {
        G726Mix mix;
        int want;
    } cases[] = {{G726Mix::kStandard, 5408}, {G726Mix::kKeepSlowFraction, 5376}};
    for (const auto& c : cases) {
        G726State s;
        G726Reset(s, c.mix);
        s.yl = 4000 << 6;
        s.yu = 3596;
        s.ap = 132;
        EXPECT_EQ(4 * G726Decode24(s, 3), c.want) << static_cast<int>(c.mix);
    }
}

// Signal-to-noise ratio of one encode and decode, against what the coder was given.
TEST(AdpcmReferenceTest, RoundTripSignalToNoise) {
    struct Case {
        const char* name;
        double min_db;
    } cases[] = {{"sine1k", 18.0}, {"speech", 12.0}};
    for (const auto& c : cases) {
        std::vector<int16_t> pcm = ReadPcm(std::string("adpcm_") + c.name + ".pcm");
        std::vector<int16_t> dec = DecodeStream(EncodeStream(pcm));
        ASSERT_EQ(dec.size(), pcm.size());
        std::vector<int16_t> ff = ReadPcm(std::string("adpcm_") + c.name + ".dec.pcm");
        double sig = 0, err = 0, ff_err = 0;
        for (size_t i = 0; i < pcm.size(); ++i) {
            double want = 4.0 * Scaled(pcm[i]);
            sig += want * want;
            err += (dec[i] - want) * (dec[i] - want);
            ff_err += (ff[i] - want) * (ff[i] - want);
        }
        double snr = 10 * std::log10(sig / err);
        std::printf("round trip SNR %s: %.2f dB (ffmpeg's coder: %.2f dB)\n", c.name, snr,
                    10 * std::log10(sig / ff_err));
        RecordProperty(std::string("snr_") + c.name, std::to_string(snr));
        EXPECT_GE(snr, c.min_db) << c.name;
    }
}

// Loud input is limited after halving, so everything from 12286 up codes like 6143 and
// everything from -12288 down like -6144; just inside the limits it does not.
TEST(AdpcmEncodeTest, ScalingLimitsLoudInput) {
    auto encode_constant = [](int16_t v) {
        std::vector<int16_t> pcm(kAudioBlockSamples, v);
        AdpcmChannelState ch;
        AdpcmInitState(ch);
        std::vector<uint8_t> out(kAudioBlockCodeBytes);
        AdpcmEncodeBlock(pcm.data(), out.data(), pcm.size(), out.size(), ch);
        return out;
    };
    struct Case {
        int16_t a, b;
        bool same;
    } cases[] = {
        {12286, 32767, true},   {12287, 12286, true},   {12284, 12286, false},
        {-12288, -32768, true}, {-12289, -12288, true}, {-12286, -12288, false},
        {-12287, -12288, true}, // halving rounds down, not toward zero
        {1, 0, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encode_constant(c.a) == encode_constant(c.b), c.same) << c.a << " vs " << c.b;
}

// Code words go out least significant bit first, three bits each, and the last group of
// 8 is completed with zero codes.
TEST(AdpcmEncodeTest, PacksCodeWordsLsbFirstAndPadsToGroupsOfEight) {
    for (size_t count : {size_t{320}, size_t{1}, size_t{3}, size_t{8}, size_t{9}, size_t{14}}) {
        std::vector<int16_t> pcm(count);
        for (size_t i = 0; i < count; ++i)
            pcm[i] = static_cast<int16_t>(9000 * std::sin(0.7 * double(i)) + (i % 5) * 800);
        G726State ref;
        G726Reset(ref);
        std::vector<int> codes;
        for (int16_t s : pcm)
            codes.push_back(G726Encode24(ref, Scaled(s)));
        codes.resize((count + 7) / 8 * 8, 0);

        AdpcmChannelState ch;
        AdpcmInitState(ch);
        std::vector<uint8_t> out(AdpcmEncodedSize(count) + 4, 0xEE);
        size_t n = AdpcmEncodeBlock(pcm.data(), out.data(), count, out.size(), ch);
        ASSERT_EQ(n, codes.size() * 3 / 8) << count;
        for (size_t k = 0; k < codes.size(); ++k) {
            size_t bit = 3 * k;
            unsigned word =
                (out[bit / 8] | (bit / 8 + 1 < n ? out[bit / 8 + 1] << 8 : 0)) >> (bit % 8);
            EXPECT_EQ(int(word & 7), codes[k]) << "count " << count << " word " << k;
        }
        EXPECT_EQ(out[n], 0xEE) << "wrote past the packed words, count " << count;
    }
}

TEST(AdpcmEncodeTest, RefusesTooSmallOutputWithoutTouchingState) {
    std::vector<int16_t> pcm(kAudioBlockSamples, 3000);
    AdpcmChannelState ch, fresh;
    AdpcmInitState(ch);
    AdpcmInitState(fresh);
    std::vector<uint8_t> out(kAudioBlockCodeBytes, 0xEE);
    EXPECT_EQ(AdpcmEncodeBlock(pcm.data(), out.data(), pcm.size(), out.size() - 1, ch), 0u);
    EXPECT_EQ(out, std::vector<uint8_t>(kAudioBlockCodeBytes, 0xEE));
    EXPECT_EQ(std::memcmp(&ch, &fresh, sizeof ch), 0);
    // 9 samples need two groups of three bytes.
    EXPECT_EQ(AdpcmEncodeBlock(pcm.data(), out.data(), 9, 5, ch), 0u);
    EXPECT_EQ(AdpcmEncodeBlock(pcm.data(), out.data(), 9, 6, ch), 6u);
}

// A raw record as the firmware delivers it: 8 x (FrameHead + 320 samples little-endian).
std::vector<uint8_t> MakeRawRecord(int seed) {
    std::vector<uint8_t> raw(kRawAudioRecordSize);
    for (size_t k = 0; k < kAudioBlocksPerRecord; ++k) {
        uint8_t* block = &raw[k * kRawAudioBlockSize];
        // FrameHead: magic, type 8, frame number, time stamp 3600 ticks apart, flags,
        // payload length 120 as the firmware sets it.
        auto put32 = [](uint8_t* p, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                p[i] = static_cast<uint8_t>(v >> (8 * i));
        };
        const uint8_t magic[4] = {0x00, 0x00, 0x01, 0xC7};
        std::copy(magic, magic + 4, block);
        block[4] = 8;
        put32(block + 5, 1000u + uint32_t(seed));
        put32(block + 9, 90000u * uint32_t(seed) + 3600u * uint32_t(k));
        block[13] = 0;
        put32(block + 14, 120);
        for (size_t i = 0; i < kAudioBlockSamples; ++i) {
            double t = double(k * kAudioBlockSamples + i) / 8000;
            auto v = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265 * (300 + 200 * seed) * t));
            block[kAudioFrameHeadSize + 2 * i] = static_cast<uint8_t>(v);
            block[kAudioFrameHeadSize + 2 * i + 1] = static_cast<uint8_t>(uint16_t(v) >> 8);
        }
    }
    return raw;
}

TEST(AdpcmRecordTest, CopiesEachFrameHeadAndEncodesEachBlockInTurn) {
    std::vector<uint8_t> raw = MakeRawRecord(1);
    // Odd offsets: the staged record and the ring need not be aligned.
    std::vector<uint8_t> in(raw.size() + 1), out(kEncodedAudioRecordSize + 2, 0xEE);
    std::copy(raw.begin(), raw.end(), in.begin() + 1);
    AdpcmChannelState ch, ref;
    AdpcmInitState(ch);
    AdpcmInitState(ref);
    AdpcmEncodeRecord(&in[1], &out[1], ch);
    EXPECT_EQ(out[0], 0xEE);
    EXPECT_EQ(out[kEncodedAudioRecordSize + 1], 0xEE);

    for (size_t k = 0; k < kAudioBlocksPerRecord; ++k) {
        const uint8_t* rb = &raw[k * kRawAudioBlockSize];
        const uint8_t* eb = &out[1 + k * kEncodedAudioBlockSize];
        EXPECT_TRUE(std::equal(rb, rb + kAudioFrameHeadSize, eb)) << "FrameHead of block " << k;
        int16_t pcm[kAudioBlockSamples];
        for (size_t i = 0; i < kAudioBlockSamples; ++i)
            pcm[i] = static_cast<int16_t>(rb[18 + 2 * i] | rb[19 + 2 * i] << 8);
        uint8_t want[kAudioBlockCodeBytes];
        AdpcmEncodeBlock(pcm, want, kAudioBlockSamples, sizeof want, ref);
        EXPECT_TRUE(std::equal(want, want + sizeof want, eb + kAudioFrameHeadSize))
            << "block " << k;
    }
}

// The coder's state runs on from record to record; only AdpcmInitState starts it afresh.
TEST(AdpcmRecordTest, StateCarriesOverUntilInit) {
    std::vector<uint8_t> raw = MakeRawRecord(2);
    std::vector<uint8_t> first(kEncodedAudioRecordSize), second(kEncodedAudioRecordSize),
        again(kEncodedAudioRecordSize);
    AdpcmChannelState ch;
    AdpcmInitState(ch);
    AdpcmEncodeRecord(raw.data(), first.data(), ch);
    AdpcmEncodeRecord(raw.data(), second.data(), ch);
    EXPECT_NE(first, second);
    AdpcmInitState(ch);
    AdpcmEncodeRecord(raw.data(), again.data(), ch);
    EXPECT_EQ(first, again);
}

TEST(AdpcmRecordTest, ChannelsInterleavedEncodeAsEachAlone) {
    const int kRecords = 4;
    std::vector<uint8_t> raw_a = MakeRawRecord(3), raw_b = MakeRawRecord(7);
    auto alone = [&](const std::vector<uint8_t>& raw) {
        AdpcmChannelState ch;
        AdpcmInitState(ch);
        std::vector<uint8_t> all, rec(kEncodedAudioRecordSize);
        for (int r = 0; r < kRecords; ++r) {
            AdpcmEncodeRecord(raw.data(), rec.data(), ch);
            all.insert(all.end(), rec.begin(), rec.end());
        }
        return all;
    };
    AdpcmChannelState a, b;
    AdpcmInitState(a);
    AdpcmInitState(b);
    std::vector<uint8_t> got_a, got_b, rec(kEncodedAudioRecordSize);
    for (int r = 0; r < kRecords; ++r) {
        AdpcmEncodeRecord(raw_a.data(), rec.data(), a);
        got_a.insert(got_a.end(), rec.begin(), rec.end());
        AdpcmEncodeRecord(raw_b.data(), rec.data(), b);
        got_b.insert(got_b.end(), rec.begin(), rec.end());
    }
    EXPECT_EQ(got_a, alone(raw_a));
    EXPECT_EQ(got_b, alone(raw_b));
}

// Whole 3-bit words come out of any byte count; a fragment at the end is dropped and
// the caller's capacity is never passed.
TEST(G723DecoderTest, DecodesWholeWordsWithinCapacity) {
    std::vector<uint8_t> codes = EncodeStream(ReadPcm("adpcm_speech.pcm"));
    codes.resize(kAudioBlockCodeBytes);
    G723Decoder full;
    std::vector<int16_t> want(kAudioBlockSamples);
    ASSERT_EQ(full.Decode(codes.data(), codes.size(), want.data(), want.size()), 320u);

    struct Case {
        size_t bytes, capacity, produced;
    } cases[] = {{120, 320, 320}, {120, 1000, 320}, {120, 100, 100}, {1, 10, 2},
                 {2, 10, 5},      {3, 10, 8},       {0, 10, 0},      {119, 320, 317}};
    for (const auto& c : cases) {
        G723Decoder dec;
        std::vector<int16_t> out(c.capacity + 1, 0x5A5A);
        EXPECT_EQ(dec.Decode(codes.data(), c.bytes, out.data(), c.capacity), c.produced)
            << c.bytes << " bytes";
        EXPECT_EQ(out[c.capacity], 0x5A5A) << "wrote past capacity, " << c.bytes << " bytes";
        for (size_t i = 0; i < c.produced; ++i)
            ASSERT_EQ(out[i], want[i]) << c.bytes << " " << i;
    }
}

TEST(G723DecoderTest, ResetStartsAfresh) {
    std::vector<uint8_t> codes = EncodeStream(ReadPcm("adpcm_sine1k.pcm"));
    G723Decoder dec;
    int16_t a[320], b[320], c[320];
    dec.Decode(codes.data(), 120, a, 320);
    dec.Decode(codes.data(), 120, b, 320);
    dec.Reset();
    dec.Decode(codes.data(), 120, c, 320);
    EXPECT_FALSE(std::equal(a, a + 320, b));
    EXPECT_TRUE(std::equal(a, a + 320, c));
}

// The reconstructed signal can overshoot the 14-bit range; times 4 it must clip at the
// 16-bit limits instead of wrapping round to the opposite sign.
TEST(G723DecoderTest, OvershootClipsInsteadOfWrapping) {
    struct Case {
        const char* name;
        int code;
    } cases[] = {{"largest positive", 3}, {"largest negative", 4}};
    for (const auto& c : cases) {
        std::vector<uint8_t> codes(kAudioBlockCodeBytes);
        for (size_t k = 0; k < kAudioBlockSamples; ++k) {
            size_t bit = 3 * k;
            codes[bit / 8] |= static_cast<uint8_t>(c.code << (bit % 8));
            if (bit % 8 > 5) codes[bit / 8 + 1] |= static_cast<uint8_t>(c.code >> (8 - bit % 8));
        }
        G726State ref;
        G726Reset(ref);
        G723Decoder dec;
        int16_t out[kAudioBlockSamples];
        ASSERT_EQ(dec.Decode(codes.data(), codes.size(), out, kAudioBlockSamples), 320u);
        bool clipped = false;
        for (size_t k = 0; k < kAudioBlockSamples; ++k) {
            long want = 4L * G726Decode24(ref, c.code);
            if (want > 32767 || want < -32768) clipped = true;
            EXPECT_EQ(out[k], std::clamp(want, -32768L, 32767L)) << c.name << " " << k;
        }
        EXPECT_TRUE(clipped) << c.name << ": the signal never left the 16-bit range";
    }
}

} // namespace
} // namespace dvr
