#include "player/lib/stream_rules.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "player/format/test_records.h"

namespace dvr::strovid {
namespace {

using testing::Append;
using testing::Bytes;
using testing::MakeFrameHead;
using testing::Payload;

TEST(StreamRules, SourceBufferLimits) {
    EXPECT_FALSE(SourceBufferSizeValid(51199));
    EXPECT_TRUE(SourceBufferSizeValid(51200));
    EXPECT_TRUE(SourceBufferSizeValid(1024000));
    EXPECT_FALSE(SourceBufferSizeValid(1024001));
}

TEST(StreamRules, KindsAndPendingPictures) {
    struct Case {
        uint8_t type;
        int kind;
        int drop;
        int pending;
    } cases[] = {
        {kFrameKey, 3, 0, 0}, {kFrameP, 4, 0, 0},     {kFramePB, 6, 0, 1},  {kFramePB, 6, 1, 0},
        {kFramePB, 6, 2, 0},  {kFramePBB, 7, 0, 2},   {kFramePBB, 7, 1, 1}, {kFramePBB, 7, 2, 0},
        {0, 1, 0, 0},         {kFrameAudio, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.type) << " drop " << c.drop);
        EXPECT_EQ(RecordKind(c.type), c.kind);
        EXPECT_EQ(PendingBPictures(c.type, c.drop), c.pending);
    }
}

TEST(StreamRules, SharedThreadShedsLoadByQueueDepth) {
    struct Case {
        int queued;
        int setting;
        bool flush;
        int drop;
    } cases[] = {
        {0, 0, false, 0},  {15, 0, false, 0}, {16, 0, false, 2}, {30, 1, false, 2},
        {31, 0, false, 1}, {31, 2, false, 2}, {60, 0, false, 1}, {61, 0, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.queued);
        SharedLoad l = SharedLoadFor(c.queued, c.setting);
        EXPECT_EQ(l.flush, c.flush);
        if (!c.flush) {
            EXPECT_EQ(l.dropCount, c.drop);
        }
    }
}

TEST(StreamRules, InputCutInAnyPiecesFillsTheSameQueues) {
    Bytes stream;
    const uint8_t types[] = {kFrameKey, kFrameAudio, kFrameP, kFramePB, kFrameAudio, kFramePBB};
    uint32_t ts = 1000;
    for (uint8_t t : types) {
        uint32_t n = t == kFrameAudio ? 120 : 300;
        Append(stream, MakeFrameHead(t, 1, ts, n));
        Append(stream, Payload(n, t));
        ts += 3600;
    }
    for (size_t piece : {stream.size(), size_t{1}, size_t{7}}) {
        SCOPED_TRACE(piece);
        FrameQueue video(100000, 1), audio(100000, 1);
        QueueSink sink(&video, &audio);
        StreamParser parser(true);
        for (size_t at = 0; at < stream.size(); at += piece)
            parser.Input(stream.data() + at, std::min(piece, stream.size() - at), sink);
        EXPECT_EQ(video.Count(), 4);
        EXPECT_EQ(video.ByteTotal(), 1200u);
        EXPECT_EQ(audio.Count(), 2);
        uint8_t out[300], type;
        uint32_t t;
        int c;
        video.Pop(out, sizeof out, &type, &t, &c, true);
        EXPECT_EQ(type, kFrameKey);
        EXPECT_EQ(t, 1000u);
        EXPECT_EQ(Bytes(out, out + 300), Payload(300, kFrameKey));
    }
}

} // namespace
} // namespace dvr::strovid
