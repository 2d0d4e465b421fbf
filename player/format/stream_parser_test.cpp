#include "player/format/stream_parser.h"

#include <gtest/gtest.h>

#include <random>

#include "player/format/test_records.h"

namespace dvr {
namespace {

using testing::Append;
using testing::Bytes;
using testing::MakeFrameHead;
using testing::MakeRecord;
using testing::Payload;

struct Got {
    bool audio;
    uint8_t type;
    uint32_t frame, ts;
    Bytes payload;
    bool operator==(const Got&) const = default;
};

struct Collect : StreamRecordSink {
    std::vector<Got> records;
    void OnStreamRecord(const StreamRecord& r) override {
        records.push_back(
            {r.audio, r.type, r.frameNumber, r.timeStamp, Bytes(r.payload, r.payload + r.length)});
    }
};

std::vector<Got> FeedInPieces(const Bytes& stream, bool sound, const std::vector<size_t>& pieces,
                              size_t* left = nullptr) {
    StreamParser parser(sound);
    Collect sink;
    size_t at = 0, i = 0;
    while (at < stream.size()) {
        size_t n = std::min(pieces[i++ % pieces.size()], stream.size() - at);
        parser.Input(stream.data() + at, n, sink);
        EXPECT_LE(parser.Buffered(), StreamParser::kStreamBufferSize);
        at += n;
    }
    if (left) *left = parser.Buffered();
    return sink.records;
}

std::vector<Got> FeedWhole(const Bytes& stream, bool sound) {
    return FeedInPieces(stream, sound, {stream.size() ? stream.size() : 1});
}

// A stream with everything the parser must cope with, and the records it must give.
Bytes MixedStream(std::vector<Got>* expected, bool sound) {
    Bytes s = Payload(37, 1); // garbage before the first record
    auto add = [&](uint8_t type, uint32_t ts, size_t n, uint8_t flags, bool delivered) {
        Bytes p = Payload(n, static_cast<uint8_t>(ts));
        Append(s, MakeRecord(type, ts / 3600, ts, p, flags));
        if (delivered) expected->push_back({type == kFrameAudio, type, ts / 3600, ts, p});
    };
    add(kFrameKey, 3600, 5000, 0, true);
    add(kFrameAudio, 7200, 120, 0, sound);
    add(kFrameP, 10800, 900, 1, true); // byte 13 is not looked at by the stream parser
    add(kFramePB, 14400, 1300, 0, true);
    add(0x80, 18000, 19, 0, false); // other types are dropped
    add(kFrameAudio, 21600, 120, 0, sound);
    Append(s, Bytes{0x00, 0x00, 0x01, 0xC6, 0x00, 0x00, 0x01}); // near-magics
    add(kFramePBB, 25200, 2000, 0, true);
    Append(s, MakeFrameHead(kFrameP, 0, 1, 0));                             // impossible: empty
    Append(s, MakeFrameHead(kFrameP, 0, 2, StreamParser::kMaxPayload + 1)); // cannot fit
    Append(s, MakeFrameHead(kFrameP, 0, 3, 0xFFFFFFFF));                    // negative as an int
    add(kFrameP, 28800, 1, 0, true);
    add(0x10, 32400, 40, 0, false);
    add(kFrameKey, 36000, 70000, 0, true);
    return s;
}

TEST(StreamParser, RecordsDoNotDependOnHowTheBytesArrive) {
    for (bool sound : {true, false}) {
        SCOPED_TRACE(sound);
        std::vector<Got> expected;
        Bytes s = MixedStream(&expected, sound);
        EXPECT_EQ(FeedWhole(s, sound), expected);
        EXPECT_EQ(FeedInPieces(s, sound, {1}), expected);
        EXPECT_EQ(FeedInPieces(s, sound, {2, 3, 17, 18, 19}), expected);
        std::mt19937 rng(42);
        std::vector<size_t> random;
        for (int i = 0; i < 64; ++i)
            random.push_back(1 + rng() % 9000);
        EXPECT_EQ(FeedInPieces(s, sound, random), expected);
    }
}

TEST(StreamParser, IncompleteRecordsWaitForTheirBytes) {
    Bytes rec = MakeRecord(kFrameKey, 0, 90000, Payload(100, 1));
    Bytes junk = Payload(10, 2);
    StreamParser parser(true);
    Collect sink;
    parser.Input(junk.data(), junk.size(), sink);
    EXPECT_LE(parser.Buffered(), 3u);
    parser.Input(rec.data(), 17, sink); // header not complete
    EXPECT_TRUE(sink.records.empty());
    parser.Input(rec.data() + 17, 50, sink); // payload not complete
    EXPECT_TRUE(sink.records.empty());
    EXPECT_EQ(parser.Buffered(), 67u) << "the garbage before the magic is gone";
    parser.Input(rec.data() + 67, rec.size() - 67, sink);
    ASSERT_EQ(sink.records.size(), 1u);
    EXPECT_EQ(sink.records[0].ts, 90000u);
    EXPECT_EQ(sink.records[0].payload, Payload(100, 1));
    EXPECT_EQ(parser.Buffered(), 0u);
}

TEST(StreamParser, BufferStaysBoundedWithoutAMagic) {
    // Megabytes of bytes without a record keep only a possible magic start.
    Bytes junk = Payload(1200000, 3);
    junk[junk.size() - 3] = 0x00;
    junk[junk.size() - 2] = 0x00;
    junk[junk.size() - 1] = 0x01;
    size_t left = 0;
    EXPECT_TRUE(FeedInPieces(junk, true, {junk.size()}, &left).empty());
    EXPECT_EQ(left, 3u);
    // The magic completed by the next call is found.
    StreamParser parser(true);
    Collect sink;
    parser.Input(junk.data(), junk.size(), sink);
    Bytes rest = MakeRecord(kFrameP, 0, 5, Payload(10, 4));
    parser.Input(rest.data() + 3, rest.size() - 3, sink);
    ASSERT_EQ(sink.records.size(), 1u);
    EXPECT_EQ(sink.records[0].payload, Payload(10, 4));
}

TEST(StreamParser, TheLargestRecordThatFitsTheBufferPasses) {
    struct Case {
        uint32_t length;
        bool delivered;
    } cases[] = {{StreamParser::kMaxPayload, true},
                 {StreamParser::kMaxPayload + 1, false},
                 {499999, false},
                 {500000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        Bytes s = Payload(5, 1);
        Append(s, MakeRecord(kFrameKey, 0, 1, Payload(c.length, 2)));
        Append(s, MakeRecord(kFrameP, 1, 2, Payload(30, 3)));
        for (auto pieces :
             {std::vector<size_t>{s.size()}, std::vector<size_t>{4096}, std::vector<size_t>{1}}) {
            auto got = FeedInPieces(s, true, pieces);
            ASSERT_EQ(got.size(), c.delivered ? 2u : 1u);
            EXPECT_EQ(got.back().ts, 2u);
            if (c.delivered) {
                EXPECT_EQ(got[0].payload.size(), c.length);
            }
        }
    }
}

} // namespace
} // namespace dvr
