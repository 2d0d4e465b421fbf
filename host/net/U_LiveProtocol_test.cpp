#include "host/net/U_LiveProtocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vantrel {
namespace {

TEST(LiveProtocol, RequestFieldsSitAtTheirOffsets) {
    TChannelOpenRequest r =
        MakeChannelOpenRequest("10.0.0.5", 50000, "10.0.0.9", 3, "", "user", "pw");
    const auto* b = reinterpret_cast<const uint8_t*>(&r);
    EXPECT_EQ(b[0], 8);
    EXPECT_EQ(0, std::memcmp(b + 1, "10.0.0.5", 8));
    int32_t port = 0, channel = 0;
    std::memcpy(&port, b + 52, 4);
    std::memcpy(&channel, b + 108, 4);
    EXPECT_EQ(port, 50000);
    EXPECT_EQ(channel, 3);
    EXPECT_EQ(b[112], 0); // empty keyword opens
    EXPECT_EQ(b[163], 4);
    EXPECT_EQ(0, std::memcmp(b + 164, "user", 4));
    EXPECT_EQ(b[174], 2);
}

TEST(LiveProtocol, RequestNeedsAllItsBytesAndIgnoresWhatFollows) {
    TChannelOpenRequest sent = MakeChannelOpenRequest("h", 1, "o", 7, "IFrame", "u", "p");
    std::vector<uint8_t> bytes(sizeof(sent) * 2, 0xAB);
    std::memcpy(bytes.data(), &sent, sizeof(sent));
    TChannelOpenRequest got;
    EXPECT_FALSE(ReadChannelOpenRequest(bytes.data(), 187, got));
    ASSERT_TRUE(ReadChannelOpenRequest(bytes.data(), bytes.size(), got));
    EXPECT_EQ(got.Channel, 7);
    EXPECT_TRUE(IsKeyFrameRequest(got));
}

TEST(LiveProtocol, KeyFrameKeywordIsExact) {
    struct Case {
        const char* keyword;
        bool keyFrame;
    };
    for (Case c : {Case{"IFrame", true}, Case{"iframe", false}, Case{"IFrame ", false},
                   Case{"IFram", false}, Case{"", false}}) {
        TChannelOpenRequest r = MakeChannelOpenRequest("", 0, "", 0, c.keyword, "", "");
        EXPECT_EQ(IsKeyFrameRequest(r), c.keyFrame) << c.keyword;
    }
}

TEST(LiveProtocol, HostileLengthBytesStayInsideTheirFields) {
    std::vector<uint8_t> bytes(188, 0xFF); // every length byte 255
    TChannelOpenRequest r;
    ASSERT_TRUE(ReadChannelOpenRequest(bytes.data(), bytes.size(), r));
    EXPECT_EQ(r.Keyword.View().size(), 50u);
    EXPECT_EQ(r.User.Get().size(), 10u);
    EXPECT_EQ(r.Password.Get().size(), 10u);
    EXPECT_FALSE(IsKeyFrameRequest(r));
}

TEST(LiveProtocol, RefusalIsTenBytesOfFF) {
    EXPECT_TRUE(IsStreamRefusal(StreamRefusalHead, sizeof(StreamRefusalHead)));
    uint8_t head[19] = {0x00, 0x00, 0x01, 0xC6};
    EXPECT_FALSE(IsStreamRefusal(head, sizeof(head)));
    EXPECT_FALSE(IsStreamRefusal(StreamRefusalHead, 9));
    std::vector<uint8_t> refusalThenRecord(StreamRefusalHead, StreamRefusalHead + 10);
    refusalThenRecord.push_back(0);
    EXPECT_TRUE(IsStreamRefusal(refusalThenRecord.data(), refusalThenRecord.size()));
}

} // namespace
} // namespace vantrel
