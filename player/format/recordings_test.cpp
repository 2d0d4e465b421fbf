// Checks the recording fixtures (tools/fixturegen/recordings.py) with the readers: every
// record found, in order, with byte-identical payloads, against the elementary stream,
// the sound and the board record script each clip was made from.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/testing/testdata.h"
#include "player/format/file_reader.h"
#include "player/format/stream_parser.h"

namespace dvr {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kT0 = 324000000;
constexpr uint32_t kFrame0 = 1000;

Bytes Load(const std::string& name) {
    Bytes b;
    EXPECT_TRUE(ReadWholeFile(dvr::testing::TestDataPath(name), &b)) << name;
    return b;
}

struct Rec {
    int kind;
    uint8_t type;
    uint32_t frame, ts;
    Bytes payload; // video only
    bool operator==(const Rec&) const = default;
};

// Everything the play reader gives, up to the end.
std::vector<Rec> ReadAll(const std::string& name, StreamHeaderFields* head = nullptr) {
    StdioFile file;
    EXPECT_TRUE(file.Open(dvr::testing::TestDataPath(name))) << name;
    PortFileState port;
    Bytes input(kDecoderInputSize);
    port.decoderInput = input.data();
    EXPECT_TRUE(OpenRecordFile(&port, file)) << name;
    if (head) *head = port.head;
    std::vector<Rec> out;
    for (;;) {
        int kind = ReadOneFrameEx(&port, 1, &file);
        if (kind == kRecordEnd) break;
        Rec r{kind, port.play.type, port.play.frameNumber, port.play.timeStamp, {}};
        if (kind != kRecordAudio && kind != kRecordNoPicture)
            r.payload.assign(input.begin(), input.begin() + port.play.length);
        out.push_back(std::move(r));
    }
    // A torn last record ends the walk without reaching the end of the file.
    EXPECT_EQ(port.endOfFile, name.find("torn") == std::string::npos) << name;
    return out;
}

struct Collect : StreamRecordSink {
    std::vector<StreamRecord> records;
    std::vector<Bytes> payloads;
    void OnStreamRecord(const StreamRecord& r) override {
        records.push_back(r);
        payloads.emplace_back(r.payload, r.payload + r.length);
    }
};

// The bytes behind the header fed to a stream parser as a network client would.
Collect ParseAll(const std::string& name, size_t piece = 4096) {
    Bytes f = Load(name);
    StreamHeaderFields head;
    MemoryFile mf(f);
    EXPECT_TRUE(ReadFileHead(mf, &head));
    StreamParser parser(true);
    Collect sink;
    for (size_t at = head.headerLength; at < f.size(); at += piece)
        parser.Input(f.data() + at, std::min(piece, f.size() - at), sink);
    return sink;
}

std::vector<Rec> Without(std::vector<Rec> v, int kind) {
    std::erase_if(v, [&](const Rec& r) { return r.kind == kind; });
    return v;
}

struct Clip {
    const char* name;
    int height, width, pictures;
};
const Clip kClips[] = {{"cif_ip", 288, 352, 100},
                       {"cif_ipb1", 288, 352, 100},
                       {"cif_ipb2", 288, 352, 100},
                       {"d1_ip", 576, 704, 50},
                       {"d1_ipb2", 576, 704, 50}};

TEST(RecordingFixtures, FileReaderFindsEveryRecordOfEveryClip) {
    for (const auto& c : kClips) {
        SCOPED_TRACE(c.name);
        const std::string n = c.name;
        StreamHeaderFields head;
        auto recs = ReadAll(n + ".MPG", &head);
        EXPECT_EQ(head.headerLength, 19);
        EXPECT_EQ(head.height, c.height);
        EXPECT_EQ(head.width, c.width);
        EXPECT_EQ(head.frameRate, 25);
        EXPECT_EQ(head.noSound, 0);

        Bytes video;
        uint32_t pictures = 0, audio = 0;
        bool packed = false;
        for (const auto& r : recs) {
            if (r.kind == kRecordAudio) {
                EXPECT_EQ(r.ts, kT0 + kAudioBlockTicks * audio);
                ++audio;
                continue;
            }
            int expectKind = r.type == kFrameKey   ? kRecordKey
                             : r.type == kFrameP   ? kRecordP
                             : r.type == kFramePB  ? kRecordPB
                             : r.type == kFramePBB ? kRecordPBB
                                                   : -1;
            ASSERT_EQ(r.kind, expectKind) << int(r.type);
            packed |= r.kind == kRecordPB || r.kind == kRecordPBB;
            EXPECT_EQ(r.frame, kFrame0 + pictures);
            pictures += PicturesInRecord(r.type);
            EXPECT_EQ(r.ts, kT0 + 3600 * (pictures - 1));
            video.insert(video.end(), r.payload.begin(), r.payload.end());
        }
        EXPECT_EQ(recs.front().kind, kRecordKey);
        EXPECT_EQ(pictures, uint32_t(c.pictures));
        EXPECT_EQ(packed, std::string(c.name).find('b') != std::string::npos);
        EXPECT_TRUE(video == Load(n + ".m4v")) << "video payloads rebuild the stream";
        EXPECT_EQ(audio * kAudioBlockBytes, Load(n + ".g726").size());

        StdioFile f;
        ASSERT_TRUE(f.Open(dvr::testing::TestDataPath(n + ".MPG")));
        EXPECT_EQ(FileTotalTimeMs(f), (recs.back().ts - kT0) / 90);
    }
}

TEST(RecordingFixtures, StreamParserGivesTheSameRecordsAndTheSound) {
    for (const auto& c : kClips) {
        SCOPED_TRACE(c.name);
        const std::string n = c.name;
        auto recs = ReadAll(n + ".MPG");
        for (size_t piece : {size_t(1) << 20, size_t(1000), size_t(7)}) {
            Collect s = ParseAll(n + ".MPG", piece);
            ASSERT_EQ(s.records.size(), recs.size());
            Bytes sound;
            for (size_t i = 0; i < recs.size(); ++i) {
                EXPECT_EQ(s.records[i].type, recs[i].type);
                EXPECT_EQ(s.records[i].timeStamp, recs[i].ts);
                EXPECT_EQ(s.records[i].audio, recs[i].kind == kRecordAudio);
                if (s.records[i].audio)
                    sound.insert(sound.end(), s.payloads[i].begin(), s.payloads[i].end());
                else
                    EXPECT_TRUE(s.payloads[i] == recs[i].payload) << i;
            }
            EXPECT_TRUE(sound == Load(n + ".g726"));
        }
    }
}

uint32_t Le32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

TEST(RecordingFixtures, BoardScriptsCarryTheSameCaptureWithRawSound) {
    for (const auto& c : kClips) {
        SCOPED_TRACE(c.name);
        const std::string n = c.name;
        const Bytes script = Load(n + ".brs");
        const Bytes mpg = Load(n + ".MPG");
        auto recs = ReadAll(n + ".MPG");
        size_t at = 0, next = 0;
        Bytes pcm;
        bool first = true;
        while (at < script.size()) {
            ASSERT_LE(at + 8, script.size());
            uint32_t type = Le32(&script[at]), length = Le32(&script[at + 4]);
            ASSERT_LE(at + 8 + length, script.size());
            const uint8_t* body = &script[at + 8];
            at += 8 + length;
            if (first) {
                ASSERT_EQ(type, 128u);
                ASSERT_EQ(length, 19u);
                EXPECT_EQ(std::memcmp(body, mpg.data(), 19), 0);
                first = false;
                continue;
            }
            if (type == kFrameAudio) {
                ASSERT_EQ(length, 5264u);
                for (int b = 0; b < kAudioBlocksPerGroup; ++b) {
                    FrameHead h;
                    std::memcpy(&h, body + 658 * b, sizeof h);
                    EXPECT_EQ(std::memcmp(h.magic, kFrameHeadMagic, 4), 0);
                    EXPECT_EQ(+h.type, kFrameAudio);
                    EXPECT_EQ(+h.length, 120u);
                    ASSERT_LT(next, recs.size());
                    EXPECT_EQ(recs[next].kind, kRecordAudio);
                    EXPECT_EQ(+h.timeStamp, recs[next].ts);
                    ++next;
                    pcm.insert(pcm.end(), body + 658 * b + 18, body + 658 * (b + 1));
                }
                continue;
            }
            ASSERT_LT(next, recs.size());
            const Rec& r = recs[next++];
            FrameHead h;
            ASSERT_GE(length, 18u);
            std::memcpy(&h, body, sizeof h);
            EXPECT_EQ(type, r.type);
            EXPECT_EQ(+h.type, r.type);
            EXPECT_EQ(+h.frameNumber, r.frame);
            EXPECT_EQ(+h.timeStamp, r.ts);
            EXPECT_EQ(+h.length, length - 18);
            EXPECT_TRUE(Bytes(body + 18, body + length) == r.payload) << next;
        }
        EXPECT_EQ(next, recs.size());
        EXPECT_TRUE(pcm == Load(n + ".pcm"));
    }
}

TEST(RecordingFixtures, DamagedFilesLoseOnlyTheDamagedRecords) {
    const auto base = ReadAll("cif_ip.MPG");
    const auto baseStream = ParseAll("cif_ip.MPG");

    EXPECT_EQ(ReadAll("cif_ip_garbage.MPG"), base);
    EXPECT_EQ(ParseAll("cif_ip_garbage.MPG").payloads, baseStream.payloads);

    StreamHeaderFields head;
    EXPECT_EQ(ReadAll("cif_ip_text.MPG", &head), base);
    EXPECT_EQ(head.headerLength, 47);
    EXPECT_EQ(ParseAll("cif_ip_text.MPG").payloads, baseStream.payloads);

    auto headerOnly = ReadAll("cif_ip_headeronly.MPG");
    EXPECT_GT(headerOnly.size(), base.size());
    EXPECT_EQ(Without(headerOnly, kRecordNoPicture), base);

    // The oversize key frame reads as no picture; the oversize audio record is skipped
    // like any other. A stream drops both.
    auto oversize = ReadAll("cif_ip_oversize.MPG");
    EXPECT_EQ(oversize.size(), base.size() + 2);
    EXPECT_EQ(Without(oversize, kRecordAudio).size(), Without(base, kRecordAudio).size() + 1);
    EXPECT_EQ(Without(Without(oversize, kRecordAudio), kRecordNoPicture),
              Without(base, kRecordAudio));
    EXPECT_EQ(ParseAll("cif_ip_oversize.MPG").payloads, baseStream.payloads);

    // Damage inside a file does not change its played length.
    auto totalMs = [](const std::string& name) {
        StdioFile f;
        EXPECT_TRUE(f.Open(dvr::testing::TestDataPath(name))) << name;
        return FileTotalTimeMs(f);
    };
    const uint32_t baseMs = totalMs("cif_ip.MPG");
    EXPECT_EQ(baseMs, (base.back().ts - kT0) / 90);
    for (const char* name :
         {"cif_ip_garbage.MPG", "cif_ip_text.MPG", "cif_ip_headeronly.MPG", "cif_ip_oversize.MPG"})
        EXPECT_EQ(totalMs(name), baseMs) << name;

    // The torn last video record and the sound behind it are gone, nothing else.
    auto torn = ReadAll("cif_ip_torn.MPG");
    size_t lastVideo = base.size();
    while (base[lastVideo - 1].kind == kRecordAudio)
        --lastVideo;
    ASSERT_EQ(torn.size(), lastVideo - 1);
    EXPECT_TRUE(std::equal(torn.begin(), torn.end(), base.begin()));
    // Its header is whole, so its time stamp still counts as the last one.
    EXPECT_EQ(totalMs("cif_ip_torn.MPG"), (base[lastVideo - 1].ts - kT0) / 90);
}

} // namespace
} // namespace dvr
