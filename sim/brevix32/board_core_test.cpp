#include "sim/brevix32/board_layout.h"
#include "sim/brevix32/board_pictures.h"
#include "sim/brevix32/board_script.h"
#include "sim/brevix32/preview_picture.h"
#include "sim/brevix32/sim_config.h"
#include "sim/brevix32/slot_stream.h"

#include "common/testing/testdata.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace sim {
namespace {

std::vector<uint8_t> Bytes(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = uint8_t(seed + i * 31);
    return v;
}

int32_t HeaderField(const Slot& s, size_t offset) {
    int32_t v;
    std::memcpy(&v, s.data.data() + offset, 4);
    return v;
}

// Reassembles records from slots the way a host does: a header slot starts a
// record, continuations extend it.
struct Reassembled {
    uint16_t type;
    int sub;
    int32_t declared;
    std::vector<uint8_t> bytes;
};
std::vector<Reassembled> Reassemble(const std::vector<TakenSlot>& slots) {
    std::vector<Reassembled> out;
    for (const TakenSlot& t : slots) {
        StreamSlotHeader h{};
        if (t.data.size() >= sizeof h) std::memcpy(&h, t.data.data(), sizeof h);
        if (h.marker == kSlotMarker && h.magic == kStreamMagic) {
            out.push_back({h.frameType, h.subChannel, h.payloadLength,
                           std::vector<uint8_t>(t.data.begin() + sizeof h, t.data.end())});
        } else {
            out.back().bytes.insert(out.back().bytes.end(), t.data.begin(), t.data.end());
        }
    }
    return out;
}

TEST(BoardScript, ParsesWhatItWritesAndRefusesBrokenFiles) {
    BoardScript s = BoardScript::Synthetic();
    std::vector<uint8_t> image = SerializeScript(s);
    auto back = BoardScript::Parse(image);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->fileHead, s.fileHead);
    ASSERT_EQ(back->records.size(), s.records.size());
    for (size_t i = 0; i < s.records.size(); ++i) {
        EXPECT_EQ(back->records[i].type, s.records[i].type);
        EXPECT_EQ(back->records[i].bytes, s.records[i].bytes);
    }

    auto noKey = s;
    std::erase_if(noKey.records, [](const ScriptRecord& r) { return r.type == kTypeKeyFrame; });
    auto badAudio = s;
    for (auto& r : badAudio.records)
        if (r.type == kTypeAudio) r.bytes.resize(5000);
    auto noFrameHead = s;
    noFrameHead.records[1].bytes[3] = 0;
    std::vector<uint8_t> truncated(image.begin(), image.end() - 1);
    std::vector<uint8_t> headerless(image.begin() + 8 + 19, image.end());
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
    } cases[] = {
        {"empty", {}},
        {"truncated record", truncated},
        {"no stream header first", headerless},
        {"no key frame", SerializeScript(noKey)},
        {"audio not 8 blocks", SerializeScript(badAudio)},
        {"record without FrameHead", SerializeScript(noFrameHead)},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(BoardScript::Parse(c.data)) << c.what;
}

TEST(RecordPlayer, ReplaysInRealTimeAndKeepsNumbersIncreasingAcrossLoops) {
    BoardScript s = BoardScript::Synthetic(); // 3.2 s per loop
    RecordPlayer p(&s, true);
    p.JumpToKeyFrame(1000);
    ScriptRecord r;
    ASSERT_TRUE(p.Next(1000, r));
    EXPECT_EQ(r.type, kTypeKeyFrame) << "a capture starts with a key frame";
    EXPECT_FALSE(p.Next(1039, r)) << "next picture is 40 ms later";
    ASSERT_TRUE(p.Next(1040, r));

    int64_t lastStamp = FrameStamp(r.bytes.data());
    int64_t expectFrame = FrameNumber(r.bytes.data()) + PicturesOf(r.type);
    int videos = 0, audios = 0;
    for (int64_t t = 1040; t < 1000 + 8000; t += 10) {
        while (p.Next(t, r)) {
            if (r.type == kTypeAudio) {
                ++audios;
                for (uint32_t b = 1; b < kAudioBlockCount; ++b)
                    EXPECT_EQ(FrameStamp(&r.bytes[b * kAudioBlockSize]),
                              FrameStamp(r.bytes.data()) + 3600 * b);
                continue;
            }
            ++videos;
            int64_t stamp = FrameStamp(r.bytes.data());
            EXPECT_EQ(stamp, lastStamp + 3600);
            EXPECT_EQ(FrameNumber(r.bytes.data()), expectFrame);
            // Due no earlier than its stamp says.
            EXPECT_GE(t - 1000, stamp / 90);
            lastStamp = stamp;
            expectFrame += PicturesOf(r.type);
        }
    }
    EXPECT_EQ(videos, 8000 / 40 - 2);
    EXPECT_EQ(audios, 8000 / 320 - 1);
}

// The scripts the fixture tool makes play as the boards expect: they parse,
// and two loops keep stamps and frame numbers rising.
TEST(RecordPlayer, FixtureScriptsLoop) {
    int found = 0;
    for (const char* name :
         {"cif_ip.brs", "cif_ipb1.brs", "cif_ipb2.brs", "d1_ip.brs", "d1_ipb2.brs"}) {
        std::string path = dvr::testing::TestDataPath(name);
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            std::fclose(f);
        } else {
            continue;
        }
        ++found;
        auto s = BoardScript::Load(path);
        ASSERT_TRUE(s) << name;
        RecordPlayer p(&*s, true);
        p.JumpToKeyFrame(0);
        ScriptRecord r;
        int64_t lastStamp = -1, lastNumber = -1;
        size_t videos = 0;
        for (int64_t t = 0; videos < 2 * s->records.size(); t += 20) {
            while (p.Next(t, r)) {
                if (PicturesOf(r.type) == 0) continue;
                ++videos;
                int64_t stamp = FrameStamp(r.bytes.data()), number = FrameNumber(r.bytes.data());
                EXPECT_GT(stamp, lastStamp) << name << " picture " << videos;
                EXPECT_GT(number, lastNumber) << name << " picture " << videos;
                lastStamp = stamp;
                lastNumber = number;
            }
        }
    }
    if (!found) GTEST_SKIP() << "no fixture scripts";
}

// A flood of key-frame requests makes key frames but never moves the stream's clock: the
// pictures stay 40 ms apart in stamp and due time, their numbers one apart.
TEST(RecordPlayer, KeyFrameRequestsKeepStreamTime) {
    BoardScript s = BoardScript::Synthetic();
    RecordPlayer p(&s, false);
    p.JumpToKeyFrame(0);
    ScriptRecord r;
    int64_t lastStamp = -1, lastNumber = -1, pictures = 0, keys = 0;
    for (int64_t t = 0; t <= 20000; t += 10) {
        if (t % 100 == 50) p.RequestKeyFrame();
        while (p.Next(t, r)) {
            if (PicturesOf(r.type) == 0) continue;
            const int64_t stamp = FrameStamp(r.bytes.data()), number = FrameNumber(r.bytes.data());
            if (lastStamp >= 0) {
                ASSERT_EQ(stamp, lastStamp + 3600) << "at " << t << " ms";
                ASSERT_EQ(number, lastNumber + 1) << "at " << t << " ms";
            }
            lastStamp = stamp;
            lastNumber = number;
            ++pictures;
            keys += r.type == kTypeKeyFrame;
        }
    }
    // 20 s of pictures at 25 a second, not more: the stream claims the time that passed.
    EXPECT_EQ(pictures, 20000 / 40 + 1);
    EXPECT_GT(keys, 150);
}

TEST(RecordPlayer, KeyFrameJumpAndSoundSetting) {
    BoardScript s = BoardScript::Synthetic();
    RecordPlayer p(&s, false);
    p.JumpToKeyFrame(0);
    ScriptRecord r;
    for (int64_t t = 0; t <= 400; t += 40) {
        while (p.Next(t, r))
            EXPECT_NE(r.type, kTypeAudio) << "no audio without sound";
    }
    p.JumpToKeyFrame(400);
    ASSERT_TRUE(p.Next(400, r));
    EXPECT_EQ(r.type, kTypeKeyFrame);
    EXPECT_EQ(FrameNumber(r.bytes.data()), 25u) << "the next key frame, not the first";
    EXPECT_FALSE(p.Next(400, r));

    for (bool sound : {false, true}) {
        RecordPlayer q(&s, sound);
        std::vector<uint8_t> h = q.FileHead();
        ASSERT_EQ(h.size(), 19u);
        EXPECT_EQ(h[8] | h[9] << 8, sound ? 1 : 0);
    }
}

// A script whose first key frame carries the sequence header (video object and VOL before its
// picture) and whose later key frames do not, as an encoder's stream cut from the middle has:
// the key frame that starts a capture or answers a request gets the header in front, with its
// length; key frames that come on their own stay as they are.
TEST(RecordPlayer, KeyFramesThatADecoderJoinsOnCarryTheSequenceHeader) {
    BoardScript s = BoardScript::Synthetic();
    const std::vector<uint8_t> header = {0, 0, 1, 0x00, 0, 0, 1, 0x20, 0x08, 0xC8, 0x0D, 0x8F};
    std::vector<ScriptRecord*> keys;
    for (ScriptRecord& r : s.records)
        if (r.type == kTypeKeyFrame) keys.push_back(&r);
    ASSERT_GE(keys.size(), 3u);
    std::vector<uint8_t>& first = keys[0]->bytes;
    first.insert(first.begin() + kFrameHeadSize, header.begin(), header.end());
    const uint32_t firstLength = uint32_t(first.size() - kFrameHeadSize);
    std::memcpy(&first[14], &firstLength, 4);

    auto payloadOf = [](const ScriptRecord& r) {
        uint32_t length = 0;
        std::memcpy(&length, &r.bytes[14], 4);
        EXPECT_EQ(length, r.bytes.size() - kFrameHeadSize) << "the head tells the length";
        return std::vector<uint8_t>(r.bytes.begin() + kFrameHeadSize, r.bytes.end());
    };
    auto startsWithHeader = [&](const std::vector<uint8_t>& payload) {
        return payload.size() > header.size() &&
               std::equal(header.begin(), header.end(), payload.begin());
    };
    RecordPlayer p(&s, false);
    // Capture start on the first key frame: it holds the header once, not twice.
    p.JumpToKeyFrame(0);
    ScriptRecord r;
    ASSERT_TRUE(p.Next(0, r));
    EXPECT_EQ(payloadOf(r), payloadOf(*keys[0]));
    // The next key frame comes on its own: unchanged.
    int64_t t = 0;
    for (;; t += 10) {
        if (p.Next(t, r) && r.type == kTypeKeyFrame) break;
        ASSERT_LT(t, 10000);
    }
    EXPECT_EQ(r.bytes, keys[1]->bytes);
    // A key-frame request: the key frame it brings has the header before its picture.
    p.RequestKeyFrame();
    for (;; t += 10) {
        if (p.Next(t, r) && PicturesOf(r.type)) break;
        ASSERT_LT(t, 20000);
    }
    ASSERT_EQ(r.type, kTypeKeyFrame);
    const std::vector<uint8_t> requested = payloadOf(r);
    EXPECT_TRUE(startsWithHeader(requested));
    EXPECT_EQ(requested.size(), header.size() + keys[2]->bytes.size() - kFrameHeadSize);
    // A capture started again in the middle of the script: the same.
    p.JumpToKeyFrame(t + 1000);
    ASSERT_TRUE(p.Next(t + 1000, r));
    ASSERT_EQ(r.type, kTypeKeyFrame);
    EXPECT_TRUE(startsWithHeader(payloadOf(r)));
}

TEST(SlotStream, RecordsAreCutIntoHeaderAndContinuationSlots) {
    struct Case {
        uint16_t type;
        size_t size;
        std::vector<int32_t> counts;
        int32_t declared;
    } cases[] = {
        {kTypeFileHead, 19, {35}, 19},
        {kTypeKeyFrame, 4080, {4096}, 4080},
        {kTypeKeyFrame, 4081, {4096, 1}, 4081},
        {kTypePFrame, 4080 + 4096 + 10, {4096, 4096, 10}, 4080 + 4096 + 10},
        {kTypeAudio, kAudioRecordSize, {4096, 1184}, 1104},
    };
    // Cut again into the slots of the case before (fewer, then more, then fewer slots),
    // as the firmware reuses them: the same slots.
    SlotSequence reused;
    for (const Case& c : cases) {
        auto bytes = Bytes(c.size, uint8_t(c.type));
        SlotSequence seq = SlotsForRecord(c.type, 3, bytes);
        ASSERT_EQ(seq.size(), c.counts.size()) << c.size;
        CutRecord(c.type, 3, bytes, reused);
        ASSERT_EQ(reused.size(), seq.size()) << c.size;
        for (size_t i = 0; i < seq.size(); ++i) {
            EXPECT_EQ(reused[i].data, seq[i].data) << c.size << " slot " << i;
            EXPECT_EQ(reused[i].byteCount, seq[i].byteCount) << c.size << " slot " << i;
        }
        std::vector<uint8_t> joined;
        for (size_t i = 0; i < seq.size(); ++i) {
            EXPECT_EQ(seq[i].byteCount, c.counts[i]);
            EXPECT_EQ(size_t(seq[i].byteCount), seq[i].data.size());
            joined.insert(joined.end(), seq[i].data.begin() + (i ? 0 : 16), seq[i].data.end());
        }
        EXPECT_EQ(HeaderField(seq[0], 0), kSlotMarker);
        EXPECT_EQ(uint32_t(HeaderField(seq[0], 4)), kStreamMagic);
        EXPECT_EQ(HeaderField(seq[0], 8), c.declared);
        EXPECT_EQ(seq[0].data[12] | seq[0].data[13] << 8, c.type);
        EXPECT_EQ(seq[0].data[14], 3);
        EXPECT_EQ(joined, bytes);
    }
}

TEST(SlotStream, WriterFillsSlotsInHostOrderAndWaitsForFreeSlots) {
    std::vector<uint8_t> block(kSharedBlockSize, 0);
    SlotWriter w;
    w.Reset();
    std::vector<std::vector<uint8_t>> sent;
    for (int i = 0; i < 12; ++i) {
        sent.push_back(Bytes(size_t(1000 + i * 1500), uint8_t(i)));
        ASSERT_TRUE(w.Enqueue(SlotsForRecord(kTypePFrame, i % 4, sent.back())));
    }
    // Nothing taken yet: the writer stops when all 14 slots are full.
    EXPECT_EQ(w.Pump(block.data()), kSlotCount);
    EXPECT_EQ(w.Pump(block.data()), 0);
    int32_t first;
    std::memcpy(&first, &block[kFullFlagsOffset + 4], 4);
    EXPECT_EQ(first, 1) << "slot 1 is written first";

    std::vector<TakenSlot> taken;
    for (int rounds = 0; rounds < 100 && w.QueuedSequences(); ++rounds) {
        for (TakenSlot t; (t = TakeSlot(block.data())).taken;)
            taken.push_back(t);
        w.Pump(block.data());
    }
    for (TakenSlot t; (t = TakeSlot(block.data())).taken;)
        taken.push_back(t);
    ASSERT_FALSE(taken.empty());
    EXPECT_EQ(taken.front().index, 1);
    for (size_t i = 1; i < taken.size(); ++i)
        EXPECT_EQ(taken[i].index, (taken[i - 1].index + 1) % kSlotCount);
    auto records = Reassemble(taken);
    ASSERT_EQ(records.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(records[i].bytes, sent[i]) << i;
        EXPECT_EQ(records[i].sub, int(i % 4));
    }
}

TEST(SlotStream, QueueIsBoundedAndResetForgetsIt) {
    SlotWriter w;
    w.Reset();
    auto big = Bytes(1 << 20, 1);
    int accepted = 0;
    while (w.Enqueue(SlotsForRecord(kTypeKeyFrame, 0, big)))
        ++accepted;
    EXPECT_EQ(size_t(accepted), SlotWriter::kMaxQueuedBytes / (big.size() + 16 * 1));
    EXPECT_EQ(w.Dropped(), 1u);
    w.Reset();
    EXPECT_EQ(w.QueuedSequences(), 0u);
    EXPECT_TRUE(w.Enqueue(SlotsForRecord(kTypeKeyFrame, 0, big)));
}

TEST(SlotStream, MalformedSequencesHaveTheAdvertisedFault) {
    auto header = [](const Slot& s) {
        StreamSlotHeader h{};
        std::memcpy(&h, s.data.data(), sizeof h);
        return h;
    };
    struct Case {
        int kind;
        bool (*check)(const SlotSequence&, StreamSlotHeader);
    } cases[] = {
        {kShortCount, [](const SlotSequence& q, StreamSlotHeader) { return q[0].byteCount < 16; }},
        {kLongCount, [](const SlotSequence& q, StreamSlotHeader) { return q[0].byteCount > 4096; }},
        {kEmptyPayload,
         [](const SlotSequence&, StreamSlotHeader h) { return h.payloadLength == 0; }},
        {kNegativePayload,
         [](const SlotSequence&, StreamSlotHeader h) { return h.payloadLength < 0; }},
        {kHugePayload,
         [](const SlotSequence&, StreamSlotHeader h) { return h.payloadLength > (1 << 20); }},
        {kOverrun,
         [](const SlotSequence& q, StreamSlotHeader h) {
             return q.size() == 2 && q[1].byteCount > h.payloadLength - (q[0].byteCount - 16);
         }},
        {kNewHeader,
         [](const SlotSequence& q, StreamSlotHeader h) {
             int32_t m;
             std::memcpy(&m, q[1].data.data(), 4);
             return h.payloadLength > q[0].byteCount - 16 && m == kSlotMarker;
         }},
        {kBadSubChannel, [](const SlotSequence&, StreamSlotHeader h) { return h.subChannel >= 4; }},
        {kBadAudioPair,
         [](const SlotSequence& q, StreamSlotHeader h) {
             return h.frameType == kTypeAudio && q.size() == 2 && q[0].byteCount != 4096 &&
                    q[0].byteCount + q[1].byteCount == 16 + int32_t(kAudioRecordSize);
         }},
    };
    for (const Case& c : cases) {
        SlotSequence q = MalformedSlots(c.kind, 4);
        ASSERT_FALSE(q.empty()) << c.kind;
        EXPECT_TRUE(c.check(q, header(q[0]))) << c.kind;
        for (const Slot& s : q)
            EXPECT_LE(s.data.size(), kSlotSize);
    }
    EXPECT_TRUE(MalformedSlots(99, 4).empty());
}

TEST(SimConfig, ParsesItemsAndRefusesMistakes) {
    std::string err;
    auto cfg = ParseConfig("# two boards\nprocessor 4\nprocessor 1 status 2\n"
                           "source 0 1 a/cif.brs\nsource 1 0 /abs/d1.brs\nsource 0 2 none\n"
                           "video 0 3 0\nspeed 8\nsound 0\n",
                           "/base", &err);
    ASSERT_TRUE(cfg) << err;
    ASSERT_EQ(cfg->processors.size(), 2u);
    EXPECT_EQ(cfg->processors[1].type, 1);
    EXPECT_EQ(cfg->processors[1].status, 2);
    EXPECT_EQ(cfg->processors[0].sources[1], "/base/a/cif.brs");
    EXPECT_EQ(cfg->processors[1].sources[0], "/abs/d1.brs");
    EXPECT_EQ(cfg->processors[0].sources[2], "none");
    EXPECT_EQ(cfg->processors[0].sources[0], "");
    EXPECT_FALSE(cfg->processors[0].video[3]);
    EXPECT_TRUE(cfg->processors[0].video[2]);
    EXPECT_EQ(cfg->speed, 8);
    EXPECT_FALSE(cfg->sound);

    auto empty = ParseConfig("", "", &err);
    ASSERT_TRUE(empty);
    ASSERT_EQ(empty->processors.size(), 1u);
    EXPECT_EQ(empty->processors[0].type, 4);

    for (const char* bad : {"processor", "processor x", "processor 4 state 2", "source 0 4 a.brs",
                            "source 1 0 a.brs", "video 0 0 2", "speed 0", "sound yes", "bogus 1"}) {
        EXPECT_FALSE(ParseConfig(bad, "", &err)) << bad;
        EXPECT_NE(err.find("line 1"), std::string::npos) << bad;
    }
    EXPECT_TRUE(LooksLikeConfig("# comment\n\nprocessor 4\n"));
    EXPECT_FALSE(LooksLikeConfig(""));
    EXPECT_FALSE(LooksLikeConfig("\x7f"
                                 "ELF binary"));
}

TEST(BoardPictures, PreviewPaintsInsideTheRectangleOnly) {
    for (uint32_t format : {kPreviewUyvy, kPreviewRgb565}) {
        const int w = 64, h = 20;
        const uint32_t pitch = 200; // wider than the rectangle
        std::vector<uint8_t> surface(pitch * (h + 2), 0xAB);
        uint8_t* first = surface.data() + pitch + 6;
        ASSERT_TRUE(PaintPreview(first, pitch, format, w, h, 1, 0x5));
        for (size_t i = 0; i < surface.size(); ++i) {
            size_t row = i / pitch, col = i % pitch;
            bool inside = row >= 1 && row <= size_t(h) && col >= 6 && col < 6 + 2 * w;
            if (!inside) {
                ASSERT_EQ(surface[i], 0xAB) << format << " at " << i;
            }
        }
        auto pixel = [&](int x, int y) {
            const uint8_t* p = first + size_t(y) * pitch + 2 * size_t(x);
            return format == kPreviewRgb565 ? uint32_t(p[0] | p[1] << 8) : uint32_t(p[1]);
        };
        // Counter 5: cells 0 and 2 white, 1 and 3 black; below the bar the fill.
        EXPECT_GT(pixel(0, 0), pixel(2, 0));
        EXPECT_EQ(pixel(4, 0), pixel(0, 0));
        EXPECT_EQ(pixel(6, 7), pixel(2, 0));
        EXPECT_NE(pixel(6, 8), pixel(0, 0));
        EXPECT_EQ(pixel(6, 8), pixel(40, 19));
    }
    std::vector<uint8_t> s(64);
    EXPECT_FALSE(PaintPreview(s.data(), 16, 32, 8, 2, 0, 0));
    EXPECT_NE(PreviewColour(0), PreviewColour(1));
}

TEST(BoardPictures, MotionGridFollowsPictureSizeAndRaisedBlocks) {
    struct Case {
        int type, standard, cols, rows;
    } cases[] = {{4, 2, 22, 18}, {4, 1, 20, 15}, {1, 2, 44, 36}, {1, 1, 40, 30}};
    for (const Case& c : cases) {
        std::vector<uint16_t> raised(size_t(c.cols * c.rows), 0);
        raised[size_t(c.cols + 1)] = 500;
        auto rec = MakeMotionRecord(PictureSizeFor(c.type, c.standard), 7, raised);
        ASSERT_EQ(rec.size(), 16u + size_t(c.cols * c.rows) * 2);
        int32_t perRow, rows;
        std::memcpy(&perRow, &rec[4], 4);
        std::memcpy(&rows, &rec[8], 4);
        EXPECT_EQ(perRow, c.cols);
        EXPECT_EQ(rows, c.rows);
        int hot = 0;
        for (int i = 0; i < c.cols * c.rows; ++i) {
            uint16_t v;
            std::memcpy(&v, &rec[16 + 2 * size_t(i)], 2);
            if (v > 100) {
                ++hot;
                EXPECT_EQ(i, c.cols + 1);
            }
        }
        EXPECT_EQ(hot, 1);
    }
}

} // namespace
} // namespace sim

namespace sim {
namespace {

// The first key frame of a clip, decoded and painted into a small rectangle in RGB 565.
struct PaintedClip {
    bool ok = false;
    std::vector<uint8_t> pixels;
};
PaintedClip PaintFirstKeyFrame(const std::string& name, int w, int h) {
    PaintedClip out;
    auto script = BoardScript::Load(dvr::testing::TestDataPath(name));
    if (!script) return out;
    PreviewPicture picture;
    for (const ScriptRecord& r : script->records)
        if (r.type == kTypeKeyFrame) {
            if (!picture.Feed(r)) return out;
            break;
        }
    out.pixels.assign(size_t(w) * 2 * size_t(h) + 4, 0xAB);
    out.ok = picture.Paint(out.pixels.data(), uint32_t(w * 2), kPreviewRgb565, w, h);
    return out;
}

// The preview shows the decoded stream, scaled into its rectangle and nowhere else, and each
// channel's clip gives a picture of its own.
TEST(PreviewPicture, PaintsTheDecodedPictureOfEachChannel) {
    std::FILE* f = std::fopen(dvr::testing::TestDataPath("ch01.brs").c_str(), "rb");
    if (!f) GTEST_SKIP() << "no channel clips";
    std::fclose(f);
    const int w = 88, h = 72;
    std::vector<PaintedClip> clips;
    for (const char* name : {"ch01.brs", "ch02.brs", "ch03.brs"}) {
        clips.push_back(PaintFirstKeyFrame(name, w, h));
        ASSERT_TRUE(clips.back().ok) << name;
        const auto& px = clips.back().pixels;
        EXPECT_EQ(px[px.size() - 1], 0xAB) << "nothing written past the rectangle";
    }
    EXPECT_NE(clips[0].pixels, clips[1].pixels);
    EXPECT_NE(clips[1].pixels, clips[2].pixels);
    // The channel number is drawn white in the middle of each picture.
    for (const PaintedClip& c : clips) {
        int white = 0;
        for (int y = h / 4; y < h * 3 / 4; ++y)
            for (int x = w / 4; x < w * 3 / 4; ++x) {
                uint16_t p;
                std::memcpy(&p, &c.pixels[size_t(y) * size_t(w) * 2 + size_t(x) * 2], 2);
                white += (p >> 11) >= 28 && (p >> 5 & 0x3F) >= 56 && (p & 0x1F) >= 28;
            }
        EXPECT_GT(white, w * h / 50);
    }

    // A record that is not a picture, or garbage, gives none.
    PreviewPicture picture;
    ScriptRecord junk{kTypePFrame, std::vector<uint8_t>(100, 0x55)};
    EXPECT_FALSE(picture.Feed(junk));
    EXPECT_FALSE(picture.HasPicture());
    std::vector<uint8_t> surface(64, 0);
    EXPECT_FALSE(picture.Paint(surface.data(), 16, kPreviewRgb565, 8, 4));
}

} // namespace
} // namespace sim
