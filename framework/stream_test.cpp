#include "framework/stream.h"

#include "framework/exceptions.h"
#include "framework/zstream.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace dvr::fw {
namespace {

std::string Contents(TMemoryStream& s) {
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

TEST(MemoryStream, ShortReadRaisesAndKeepsWhatWasRead) {
    TMemoryStream s("abc", 3);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 3u); // plain Read reports the short count
    s.SetPosition(1);
    EXPECT_THROW(s.ReadBuffer(buf, 3), EReadError);
    EXPECT_EQ(s.Position(), 3);
    s.SetPosition(0);
    EXPECT_NO_THROW(s.ReadBuffer(buf, 3));
    EXPECT_THROW(s.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
}

TEST(MemoryStream, WritingPastTheEndFillsTheGapWithZeros) {
    TMemoryStream s;
    s.Seek(3, TSeekOrigin::soEnd);
    s.WriteBuffer("x", 1);
    EXPECT_EQ(Contents(s), std::string("\0\0\0x", 4));
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(s.Size(), 2);

    TMemoryStream copy;
    copy.WriteBuffer("head", 4);
    copy.CopyFrom(s, 0); // whole source from its beginning
    EXPECT_EQ(Contents(copy), std::string("head\0\0", 6));
    s.SetPosition(1);
    EXPECT_THROW(copy.CopyFrom(s, 5), EReadError);
}

std::string Deflate(const std::string& data, int level) {
    TMemoryStream out;
    {
        TCompressionStream z(out, level);
        // Several writes, as a body is written field by field.
        for (size_t i = 0; i < data.size(); i += 1000)
            z.WriteBuffer(data.data() + i, std::min<size_t>(1000, data.size() - i));
    }
    return Contents(out);
}

std::string Inflate(const std::string& packed, size_t size) {
    TMemoryStream in(packed.data(), packed.size());
    TDecompressionStream z(in);
    std::string out(size, '\0');
    z.ReadBuffer(out.data(), size);
    return out;
}

// Everything up to the end of the zlib stream.
std::string InflateAll(const std::string& packed) {
    TMemoryStream in(packed.data(), packed.size());
    TDecompressionStream z(in);
    std::string out;
    char buf[7];
    for (size_t n; (n = z.Read(buf, sizeof buf)) > 0;)
        out.append(buf, n);
    return out;
}

TEST(ZlibStreams, RoundTripsAtLevelsOneAndNineWithTheirHeaders) {
    std::string data;
    std::mt19937 rng(7);
    for (int i = 0; i < 300000; ++i)
        data += char(i % 97 < 60 ? 'a' + i % 7 : rng() & 0xFF);
    struct Case {
        int level;
        uint8_t header[2];
    };
    for (const Case& c : {Case{1, {0x78, 0x01}}, Case{9, {0x78, 0xDA}}}) {
        std::string packed = Deflate(data, c.level);
        ASSERT_GE(packed.size(), 6u);
        EXPECT_EQ(uint8_t(packed[0]), c.header[0]);
        EXPECT_EQ(uint8_t(packed[1]), c.header[1]);
        EXPECT_LT(packed.size(), data.size());
        EXPECT_EQ(Inflate(packed, data.size()), data) << "level " << c.level;
    }
    EXPECT_EQ(Inflate(Deflate("", 9), 0), "");
}

TEST(ZlibStreams, ReadingPastTheEndOrCorruptDataRaises) {
    std::string packed = Deflate("hello, world", 9);
    // Asking for more than the stream holds.
    EXPECT_THROW(Inflate(packed, 13), EReadError);
    EXPECT_EQ(InflateAll(packed), "hello, world");
    // Truncated anywhere, even in the checksum: reading to the end raises.
    for (size_t cut = 1; cut < packed.size(); ++cut)
        EXPECT_THROW(InflateAll(packed.substr(0, cut)), EReadError) << "cut at " << cut;
    // A flipped bit in the checksum, or no zlib header at all.
    std::string bad = packed;
    bad[bad.size() - 1] ^= 1;
    EXPECT_THROW(InflateAll(bad), EReadError);
    EXPECT_THROW(InflateAll(std::string("ZRLZ") + packed), EReadError);
}

TEST(ZlibStreams, InflationStopsAtTheZlibEndAndLeavesTheRestOfTheSource) {
    std::string packed = Deflate("body", 1) + "TAIL";
    TMemoryStream in(packed.data(), packed.size());
    {
        TDecompressionStream z(in);
        char body[4];
        z.ReadBuffer(body, 4);
        char more;
        EXPECT_EQ(z.Read(&more, 1), 0u);
        // Seeking back to the start inflates again.
        z.SetPosition(0);
        z.SetPosition(2);
        z.ReadBuffer(body, 2);
        EXPECT_EQ(std::string(body, 2), "dy");
    }
    char tail[4];
    in.ReadBuffer(tail, 4);
    EXPECT_EQ(std::string(tail, 4), "TAIL");
}

TEST(ZlibStreams, OneWayStreamsRefuseTheOtherWay) {
    TMemoryStream m;
    TCompressionStream c(m, 1);
    char b;
    EXPECT_THROW(c.Read(&b, 1), EStreamError);
    c.Finish();
    EXPECT_THROW(c.Write("x", 1), EStreamError);
    EXPECT_THROW(TCompressionStream(m, 0), EStreamError);
    m.SetPosition(0);
    TDecompressionStream d(m);
    EXPECT_THROW(d.Write("x", 1), EStreamError);
}

} // namespace
} // namespace dvr::fw
