#include "player/format/file_reader.h"

#include <gtest/gtest.h>

#include "player/format/test_records.h"

namespace dvr {
namespace {

using testing::Append;
using testing::Bytes;
using testing::MakeFileHead;
using testing::MakeFrameHead;
using testing::MakeRecord;
using testing::Payload;

// A port over an in-memory file, opened the way the player opens a recording.
struct Opened {
    MemoryFile file;
    PortFileState port;
    std::vector<uint8_t> input = std::vector<uint8_t>(kDecoderInputSize);

    explicit Opened(const Bytes& bytes) : file(bytes) {
        port.decoderInput = input.data();
        EXPECT_TRUE(OpenRecordFile(&port, file));
    }
    int Play(int readPayload = 1) { return ReadOneFrameEx(&port, readPayload, &file); }
    int Index() { return ReadOneFrameExIndex(&port, 0, &file); }
    Bytes Input(size_t n) const { return Bytes(input.begin(), input.begin() + n); }
};

Bytes Head() {
    return MakeFileHead(0x0001);
}

TEST(FileHead, TextBlocksMoveTheFirstRecord) {
    Bytes f = MakeFileHead(0xE003, 576, 704, 25, {{1, "ABCDE"}, {2, "1234567"}});
    ASSERT_EQ(f.size(), 35u);
    Append(f, MakeRecord(kFrameKey, 10, 9000, Payload(30, 1)));
    Opened o(f);
    EXPECT_EQ(o.port.head.headerLength, 35);
    EXPECT_EQ(o.port.head.height, 576);
    EXPECT_EQ(o.port.head.width, 704);
    EXPECT_EQ(o.port.head.frameRate, 25);
    EXPECT_EQ(o.port.head.noSound, 0);
    EXPECT_EQ(o.file.Tell(), 35u);
    EXPECT_EQ(o.Play(), kRecordKey);
    EXPECT_EQ(o.port.play.timeStamp, 9000u);
    EXPECT_EQ(o.Input(30), Payload(30, 1));
}

TEST(FileHead, SoundAndBlocksFollowTheFlagsTable) {
    struct Case {
        uint16_t flags;
        int blocks, noSound;
    } cases[] = {{0x0000, 0, 1},
                 {0x0001, 0, 0},
                 {0x4000, 1, 1},
                 {0x6003, 0, 0},
                 {0x8000, 0, 1},
                 {0xC000, 1, 1},
                 {0xE003, 2, 0},
                 // Unlisted: no text blocks, and taken as soundless like a stream header.
                 {0x0002, 0, 1},
                 {0xA001, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        std::vector<testing::TextBlock> blocks;
        for (int i = 0; i < c.blocks; ++i)
            blocks.push_back({uint8_t(i), std::string(3 + i, 'x')});
        Bytes f = MakeFileHead(c.flags, 288, 352, 12, blocks);
        MemoryFile file(f);
        StreamHeaderFields h;
        ASSERT_TRUE(ReadFileHead(file, &h));
        EXPECT_EQ(h.noSound, c.noSound);
        EXPECT_EQ(h.headerLength, static_cast<int>(f.size()));
        EXPECT_EQ(h.frameRate, 12);
        EXPECT_EQ(h.height, 288);
        EXPECT_EQ(h.width, 352);
    }
}

TEST(FileHead, ForeignOrCutHeadersAreRefused) {
    Bytes good = MakeFileHead(0xE003, 288, 352, 25, {{1, "ABCDE"}, {2, "1234567"}});
    std::vector<Bytes> bad;
    for (int i = 0; i < 4; ++i) {
        bad.push_back(good);
        bad.back()[i] ^= 0x80;
    }
    for (size_t n : {0, 3, 9, 12, 20, 34})
        bad.push_back(Bytes(good.begin(), good.begin() + n));
    for (size_t i = 0; i < bad.size(); ++i) {
        MemoryFile file(bad[i]);
        StreamHeaderFields h;
        EXPECT_FALSE(ReadFileHead(file, &h)) << i;
        PortFileState port;
        EXPECT_FALSE(OpenRecordFile(&port, file)) << i;
    }
}

TEST(FileReader, TypeByteGivesTheRecordKindAndTheNextRecordIsFound) {
    struct Case {
        uint8_t type;
        uint8_t flags;
        int kind;
    } cases[] = {
        {0x01, 0, kRecordKey},       {0x02, 0, kRecordP},         {0x20, 0, kRecordPB},
        {0x04, 0, kRecordPBB},       {0x24, 0, kRecordPBB},       {0x21, 0, kRecordPB},
        {0x03, 0, kRecordKey},       {0x10, 0, kRecordP},         {0x08, 0, kRecordAudio},
        {0x09, 0, kRecordAudio},     {0x00, 0, kRecordNoPicture}, {0x40, 0, kRecordNoPicture},
        {0x80, 0, kRecordNoPicture}, {0x41, 0, kRecordNoPicture}, {0x01, 1, kRecordNoPicture},
        {0x08, 1, kRecordNoPicture}, {0x02, 3, kRecordNoPicture},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << int(c.type) << " flags " << int(c.flags));
        Bytes f = Head();
        Append(f, MakeRecord(c.type, 7, 1000, Payload(50, 2), c.flags));
        Append(f, MakeRecord(kFrameP, 8, 4600, Payload(40, 3)));
        for (int readPayload : {0, 1}) {
            Opened o(f);
            EXPECT_EQ(o.Play(readPayload), c.kind);
            EXPECT_EQ(o.port.play.type, c.type);
            EXPECT_EQ(o.port.play.frameNumber, 7u);
            EXPECT_EQ(o.port.play.timeStamp, 1000u);
            EXPECT_EQ(o.port.play.flags, c.flags);
            EXPECT_EQ(o.Play(readPayload), kRecordP);
            EXPECT_EQ(o.port.play.timeStamp, 4600u);
            EXPECT_EQ(o.port.play.length, 40u);
            if (readPayload) {
                EXPECT_EQ(o.Input(40), Payload(40, 3));
            }
            EXPECT_EQ(o.Play(readPayload), kRecordEnd);
            EXPECT_EQ(o.port.endOfFile, readPayload);
        }
    }
}

TEST(FileReader, AudioIsSkippedWithoutTrustingItsLength) {
    // An audio record claiming 2 GB must neither be read nor stop the file cold
    // before its end: the reader steps past it and finds the end.
    Bytes f = Head();
    Append(f, MakeRecord(kFrameAudio, 0, 0, Payload(120, 4)));
    Append(f, MakeRecord(kFrameKey, 0, 0, Payload(64, 5)));
    Append(f, MakeFrameHead(kFrameAudio, 0, 3600, 0x7FFFFFF0));
    Append(f, Payload(120, 6));
    Opened o(f);
    EXPECT_EQ(o.Play(), kRecordAudio);
    EXPECT_EQ(o.Play(), kRecordKey);
    EXPECT_EQ(o.Input(64), Payload(64, 5));
    EXPECT_EQ(o.Play(), kRecordAudio);
    EXPECT_EQ(o.Play(), kRecordEnd);
    EXPECT_EQ(o.port.endOfFile, 1);
}

TEST(FileReader, OversizeVideoIsSteppedOverAndReadingGoesOn) {
    struct Case {
        uint32_t length;
        int kind;
    } cases[] = {{kDecoderInputSize - 1, kRecordKey},
                 {kDecoderInputSize, kRecordKey},
                 {kDecoderInputSize + 1, kRecordNoPicture},
                 {1000000, kRecordNoPicture}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        Bytes f = Head();
        Append(f, MakeRecord(kFrameKey, 0, 0, Payload(c.length, 7)));
        Append(f, MakeRecord(kFrameP, 1, 3600, Payload(33, 8)));
        Opened o(f);
        EXPECT_EQ(o.Play(), c.kind);
        EXPECT_EQ(o.port.play.length, c.length);
        EXPECT_EQ(o.Play(), kRecordP);
        EXPECT_EQ(o.Input(33), Payload(33, 8));
        EXPECT_EQ(o.Play(), kRecordEnd);
    }
}

TEST(FileReader, GarbageBetweenRecordsIsSkippedWhereverTheWindowsFall) {
    // Lengths put the next record's magic at and around every edge of the 4096-byte
    // search windows, including magics cut by a window's end.
    for (size_t garbage :
         {1,    3,    4,    5,    17,   18,   19,   100,  4060, 4073, 4074, 4076, 4077, 4078,
          4079, 4090, 4092, 4093, 4094, 4095, 4096, 4097, 8150, 8155, 8170, 8175, 8192, 20000}) {
        SCOPED_TRACE(garbage);
        Bytes junk = Payload(garbage, 9);
        if (garbage >= 3) { // a false start of a magic right before the real one
            junk[garbage - 3] = 0x00;
            junk[garbage - 2] = 0x00;
            junk[garbage - 1] = 0x01;
        }
        Bytes f = Head();
        Append(f, MakeRecord(kFrameKey, 0, 100, Payload(10, 1)));
        Append(f, junk);
        Append(f, MakeRecord(kFrameP, 1, 3700, Payload(11, 2)));
        Append(f, MakeRecord(kFrameP, 2, 7300, Payload(12, 3)));
        Opened o(f);
        EXPECT_EQ(o.Play(), kRecordKey);
        EXPECT_EQ(o.Play(), kRecordP);
        EXPECT_EQ(o.port.play.timeStamp, 3700u);
        EXPECT_EQ(o.Input(11), Payload(11, 2));
        EXPECT_EQ(o.Play(), kRecordP);
        EXPECT_EQ(o.port.play.timeStamp, 7300u);
        EXPECT_EQ(o.Play(), kRecordEnd);

        Opened index(f);
        EXPECT_EQ(index.Index(), kRecordKey);
        EXPECT_EQ(index.Index(), kRecordP);
        EXPECT_EQ(index.port.index.timeStamp, 3700u);
    }
}

TEST(FileReader, TornLastRecordEndsTheFileAndReadsOnOnceItGrows) {
    Bytes full = Head();
    Append(full, MakeRecord(kFrameKey, 0, 0, Payload(500, 1)));
    Bytes last = MakeRecord(kFrameP, 1, 3600, Payload(300, 2));
    const size_t firstEnd = full.size();
    Append(full, last);
    // Cut inside the magic, the header fields, the length and the payload.
    for (size_t keep : {1, 3, 4, 8, 13, 14, 16, 18, 19, 317}) {
        SCOPED_TRACE(keep);
        Opened o(Bytes(full.begin(), full.begin() + firstEnd + keep));
        EXPECT_EQ(o.Play(), kRecordKey);
        EXPECT_EQ(o.Play(), kRecordEnd);
        EXPECT_EQ(o.Play(), kRecordEnd);
        // The writer completes the record: the play reader follows the file's size.
        o.file.Bytes() = full;
        EXPECT_EQ(o.Play(), kRecordP);
        EXPECT_EQ(o.Input(300), Payload(300, 2));
        EXPECT_EQ(o.Play(), kRecordEnd);
    }
}

TEST(FileReader, IndexReaderStopsAtTheSizeStoredAtOpen) {
    Bytes f = Head();
    Append(f, MakeRecord(kFrameKey, 0, 0, Payload(100, 1)));
    Append(f, MakeRecord(kFrameAudio, 0, 0, Payload(120, 2)));
    Append(f, MakeRecord(kFrameP, 1, 3600, Payload(100, 3)));
    Opened o(f);
    Append(o.file.Bytes(), MakeRecord(kFrameKey, 2, 7200, Payload(100, 4)));
    Append(o.file.Bytes(), MakeRecord(kFrameP, 3, 10800, Payload(100, 5)));
    EXPECT_EQ(o.Index(), kRecordKey);
    EXPECT_EQ(o.Index(), kRecordAudio);
    EXPECT_EQ(o.Index(), kRecordP);
    EXPECT_EQ(o.Index(), kRecordEnd);
    // The play reader goes on to the current end.
    o.file.Seek(static_cast<uint64_t>(o.port.head.headerLength));
    int kinds[5];
    for (int& k : kinds)
        k = o.Play(0);
    EXPECT_EQ(kinds[3], kRecordKey);
    EXPECT_EQ(kinds[4], kRecordP);
    EXPECT_EQ(o.Play(0), kRecordEnd);
}

TEST(FileReader, IndexReaderCountsASkipThatReachesTheEndAsTheEnd) {
    for (uint8_t type : {kFrameKey, kFrameAudio}) {
        Bytes f = Head();
        Append(f, MakeRecord(kFrameP, 0, 0, Payload(20, 1)));
        Append(f, MakeRecord(type, 1, 3600, Payload(20, 2)));
        Opened o(f);
        EXPECT_EQ(o.Index(), kRecordP) << int(type);
        EXPECT_EQ(o.Index(), kRecordEnd) << int(type);
    }
}

TEST(FileReader, NullFileOrPortReadsNothing) {
    PortFileState port;
    MemoryFile file(Head());
    EXPECT_EQ(ReadOneFrameEx(&port, 1, nullptr), 0);
    EXPECT_EQ(ReadOneFrameExIndex(&port, 0, nullptr), 0);
    EXPECT_EQ(ReadOneFrameEx(nullptr, 1, &file), 0);
}

TEST(Resync, FindsTheFirstWholeHeaderAndFailsWithoutOne) {
    struct Case {
        size_t before;    // garbage before the magic
        size_t headerLen; // bytes of the header present (18 = whole)
        bool found;
    } cases[] = {{0, 18, true},     {1, 18, true},     {4095, 18, true}, {4096, 18, true},
                 {4078, 18, true},  {10000, 18, true}, {0, 17, false},   {100, 17, false},
                 {4090, 10, false}, {4096, 4, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.before << " " << c.headerLen);
        Bytes f = {0xAB, 0xCD, 0xEF, 0x12}; // the 4 bytes that were not a magic
        Append(f, Payload(c.before, 3));
        Bytes h = MakeFrameHead(kFrameP, 1, 2, 3);
        f.insert(f.end(), h.begin(), h.begin() + c.headerLen);
        MemoryFile file(f);
        file.Seek(4);
        EXPECT_EQ(ResyncToFrameHead(file, f.size()), c.found);
        EXPECT_EQ(file.Tell(), c.found ? 4 + c.before + 4 : 4u);
    }
}

TEST(FindPattern, FirstOccurrence) {
    const uint8_t m[4] = {0, 0, 1, 0xC7};
    Bytes a = {1, 0, 0, 1, 0, 0, 1, 0xC7, 0, 0, 1, 0xC7};
    EXPECT_EQ(FindPattern(a.data(), a.size(), m, 4), 4);
    EXPECT_EQ(FindPattern(a.data(), 7, m, 4), -1);
    EXPECT_EQ(FindPattern(a.data(), 0, m, 4), -1);
}

Bytes ClipWithAudioFirst(uint32_t t0, int pictures) {
    Bytes f = Head();
    for (int i = 0; i < 3; ++i)
        Append(f, MakeRecord(kFrameAudio, i, t0 - 100 + i * 3600, Payload(120, 1)));
    Append(f, MakeRecord(0, 0, 5, Payload(8, 1)));
    for (int i = 0; i < pictures; ++i)
        Append(f, MakeRecord(i % 12 ? kFrameP : kFrameKey, i, t0 + i * 3600u, Payload(900, 2)));
    return f;
}

TEST(FrameTimes, FirstSkipsLeadingAudioAndLastTakesTheFinalHeader) {
    struct Case {
        uint32_t t0;
        int pictures; // 900-byte records: from under 2048 bytes to several 10240-byte blocks
    } cases[] = {{1, 1},      {90000, 2},  {90000, 11},
                 {90000, 12}, {90000, 40}, {0xFFFFFFFFu - 36000, 30}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pictures);
        MemoryFile file(ClipWithAudioFirst(c.t0, c.pictures));
        file.Seek(77);
        uint32_t last = c.t0 + (c.pictures - 1) * 3600u;
        EXPECT_EQ(FirstFrameTime(file), c.t0);
        EXPECT_EQ(LastFrameTime(file), last);
        EXPECT_EQ(FileTotalTimeMs(file), (c.pictures - 1) * 40u);
        EXPECT_EQ(file.Tell(), 77u) << "the position is restored";
    }
}

TEST(FrameTimes, FirstIsFoundBehindTextBlocksInASmallFile) {
    Bytes f = MakeFileHead(0xE003, 288, 352, 25, {{1, "ABCDE"}, {2, "1234567"}});
    Append(f, MakeRecord(kFrameKey, 0, 9000, Payload(100, 1)));
    Append(f, MakeRecord(kFrameP, 1, 12600, Payload(100, 1)));
    MemoryFile file(f);
    EXPECT_EQ(FirstFrameTime(file), 9000u);
    EXPECT_EQ(FileTotalTimeMs(file), 40u);
}

TEST(FrameTimes, LastWalksBackOverBigRecordsAndTornTails) {
    // A key frame far longer than the 10240-byte blocks, then a torn header.
    Bytes f = Head();
    Append(f, MakeRecord(kFrameKey, 0, 1000, Payload(100, 1)));
    Append(f, MakeRecord(kFrameP, 1, 4600, Payload(50000, 2)));
    Bytes torn = MakeFrameHead(kFrameP, 2, 8200, 10);
    f.insert(f.end(), torn.begin(), torn.begin() + 12);
    MemoryFile file(f);
    EXPECT_EQ(LastFrameTime(file), 4600u);
    EXPECT_EQ(FileTotalTimeMs(file), 40u);
}

TEST(FrameTimes, LastLooksBehindForeignBytesBetweenRecords) {
    Bytes f = Head();
    Append(f, MakeRecord(kFrameKey, 0, 1000, Payload(100, 1)));
    Append(f, Payload(33, 9));
    Append(f, MakeRecord(kFrameP, 1, 4600, Payload(100, 1)));
    Append(f, Bytes{0x00, 0x00, 0x01, 0xC6, 0x00});
    Append(f, MakeRecord(kFrameP, 2, 8200, Payload(100, 1)));
    MemoryFile file(f);
    EXPECT_EQ(LastFrameTime(file), 8200u);
}

TEST(FrameTimes, DamagedLengthsNeitherWrapNorStallTheWalk) {
    for (uint32_t length : {0xFFFFFFFFu, 0xFFFFFFEEu, 0xFFFFFFEDu, 0x80000000u}) {
        SCOPED_TRACE(length);
        Bytes f = Head();
        Append(f, MakeRecord(kFrameKey, 0, 1000, Payload(100, 1)));
        Append(f, MakeFrameHead(kFrameP, 1, 4600, length));
        Append(f, MakeRecord(kFrameP, 2, 8200, Payload(100, 1)));
        MemoryFile file(f);
        EXPECT_EQ(LastFrameTime(file), 4600u);
    }
}

TEST(FrameTimes, FilesWithoutRecordsHaveNoTime) {
    std::vector<Bytes> files = {{}, Head(), Payload(30000, 1)};
    Bytes onlyAudio = Head();
    Append(onlyAudio, MakeRecord(kFrameAudio, 0, 0, Payload(120, 1)));
    Bytes zeroLast = Head();
    Append(zeroLast, MakeRecord(kFrameKey, 0, 0, Payload(100, 1)));
    for (auto& f : files) {
        MemoryFile file(f);
        EXPECT_EQ(FirstFrameTime(file), 0u);
        EXPECT_EQ(LastFrameTime(file), 0u);
        EXPECT_EQ(FileTotalTimeMs(file), 0u);
    }
    MemoryFile z(zeroLast);
    EXPECT_EQ(FileTotalTimeMs(z), 0u);
}

} // namespace
} // namespace dvr
