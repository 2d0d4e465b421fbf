#include "host/ui/U_ElectronMap.h"
#include "host/ui/U_StationMap.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vantrel {
namespace {

TMapCamera Camera(const char* name, const char* host, int channel, double x, double y) {
    TMapCamera c = NewCamera();
    c.Name.Set(name);
    c.HostAddress.Set(host);
    c.Channel = uint8_t(channel);
    c.X = x;
    c.Y = y;
    return c;
}

TMapDetector Detector(const char* host, int channel, int input) {
    TMapDetector d = NewDetector();
    d.Name.Set("door");
    d.HostAddress.Set(host);
    d.Channel = uint8_t(channel);
    d.Input = uint8_t(input);
    return d;
}

AlarmUploadRecord Alarm(const char* host, int channel, char kind, int index) {
    AlarmUploadRecord r{};
    r.HostAddress.Set(host);
    r.ViewerAddress.Clear();
    r.Channel = uint8_t(channel);
    r.Kind = uint8_t(kind);
    r.Index = uint8_t(index);
    return r;
}

TEST(ElectronMapFile, RoundTripKeepsEveryMarkerAndWritesNoAlarm) {
    TWatchers plan;
    TMapLeader l = NewLeader();
    l.Target.Set("floor2");
    l.X = 0.25;
    l.Y = 0.75;
    plan.Leaders.push_back(l);
    plan.Cameras.push_back(Camera("cam1", "127.0.0.1", 3, 0.1, 0.2));
    plan.Cameras.back().Alarm = 1;
    plan.Detectors.push_back(Detector("10.0.0.9", 1, 5));
    plan.Detectors.back().Alarm = 1;
    const std::string bytes = MarkerFileBytes(plan);
    ASSERT_EQ(bytes.size(), 12u + 64 + 192 + 200);
    int32_t counts[3];
    std::memcpy(counts, bytes.data(), 12);
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(counts[1], 1);
    EXPECT_EQ(counts[2], 1);
    EXPECT_EQ(uint8_t(bytes[12 + 64 + 175]), 0) << "camera alarm flag";
    EXPECT_EQ(uint8_t(bytes[12 + 64 + 192 + 176]), 0) << "detector alarm flag";
    EXPECT_EQ(uint8_t(bytes[12 + 64 + 192 + 175]), 5) << "detector input";

    TWatchers back;
    ASSERT_TRUE(ParseMarkerFile(bytes, back));
    ASSERT_EQ(back.Leaders.size(), 1u);
    EXPECT_EQ(back.Leaders[0].Target.Get(), "floor2");
    EXPECT_DOUBLE_EQ(back.Leaders[0].Y, 0.75);
    ASSERT_EQ(back.Cameras.size(), 1u);
    EXPECT_EQ(back.Cameras[0].HostAddress.Get(), "127.0.0.1");
    EXPECT_EQ(back.Cameras[0].Channel, 3);
    EXPECT_DOUBLE_EQ(back.Cameras[0].X, 0.1);
    ASSERT_EQ(back.Detectors.size(), 1u);
    EXPECT_EQ(back.Detectors[0].Input, 5);
}

TEST(ElectronMapFile, HostileOrCutFilesGiveEmptyPlans) {
    TWatchers plan;
    plan.Cameras.push_back(Camera("c", "h", 0, 0, 0));
    const std::string good = MarkerFileBytes(plan);
    auto header = [](int32_t a, int32_t b, int32_t c) {
        std::string s(12, '\0');
        const int32_t n[3] = {a, b, c};
        std::memcpy(s.data(), n, 12);
        return s;
    };
    const std::string cases[] = {
        "",
        std::string(7, '\0'),
        good.substr(0, good.size() - 1),
        header(-1, 0, 0),
        header(0, 0x7fffffff, 0) + std::string(400, '\0'),
        header(0x40000000, 0x40000000, 0x40000000) + std::string(64, '\0'),
    };
    for (const std::string& bytes : cases) {
        TWatchers back;
        back.Cameras.push_back(Camera("stale", "h", 0, 0, 0));
        EXPECT_FALSE(ParseMarkerFile(bytes, back)) << bytes.size();
        EXPECT_TRUE(back.Leaders.empty() && back.Cameras.empty() && back.Detectors.empty());
    }
}

TEST(ElectronMapAlarm, MatchesByHostChannelAndForProbesTheInput) {
    TWatchers plan;
    plan.Cameras = {Camera("a", "127.0.0.1", 3, 0, 0), Camera("b", "127.0.0.1", 4, 0, 0),
                    Camera("c", "10.0.0.2", 3, 0, 0)};
    plan.Detectors = {Detector("127.0.0.1", 0, 5), Detector("127.0.0.1", 0, 6),
                      Detector("127.0.0.1", 1, 5)};
    struct Case {
        AlarmUploadRecord record;
        int matched;
        std::vector<int> cameras, detectors;
    } cases[] = {
        {Alarm("127.0.0.1", 3, kAlarmMotion, 2), 1, {1, 0, 0}, {0, 0, 0}},
        {Alarm("127.0.0.1", 3, kAlarmVideoLoss, 0), 1, {1, 0, 0}, {0, 0, 0}},
        {Alarm("10.0.0.2", 3, kAlarmMotion, 0), 1, {0, 0, 1}, {0, 0, 0}},
        {Alarm("127.0.0.1", 0, kAlarmProbe, 5), 1, {0, 0, 0}, {1, 0, 0}},
        {Alarm("127.0.0.1", 0, kAlarmProbe, 7), 0, {0, 0, 0}, {0, 0, 0}},
        {Alarm("127.0.0.10", 3, kAlarmMotion, 0), 0, {0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        TWatchers p = plan;
        EXPECT_EQ(MarkAlarm(p, c.record, true), c.matched);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(p.Cameras[i].Alarm, c.cameras[i]) << c.record.Kind << " camera " << i;
            EXPECT_EQ(p.Detectors[i].Alarm, c.detectors[i]) << c.record.Kind << " detector " << i;
        }
        MarkAlarm(p, c.record, false);
        for (size_t i = 0; i < 3; ++i) EXPECT_EQ(p.Cameras[i].Alarm + p.Detectors[i].Alarm, 0);
    }
}

TEST(ElectronMapAlarm, QueueKeepsOrderAndDropsTheOldestWhenFull) {
    TMapAlarmQueue q;
    EXPECT_FALSE(q.Front());
    for (size_t i = 0; i < TMapAlarmQueue::kCapacity + 3; ++i)
        q.Push(Alarm("h", int(i % 256), kAlarmMotion, 0));
    EXPECT_EQ(q.Size(), TMapAlarmQueue::kCapacity);
    EXPECT_EQ(q.Front()->Channel, 3);
    q.PopFront();
    EXPECT_EQ(q.Front()->Channel, 4);
}

TEST(ElectronMapMarkers, PixelsWidthsAndPictures) {
    EXPECT_EQ(MarkerPixel(617, 0.5), 309);
    EXPECT_EQ(MarkerPixel(400, 0.0), 0);
    EXPECT_EQ(LeaderWidth("floor2"), 72);
    EXPECT_EQ(MarkerPicture(false, false), 0);
    EXPECT_EQ(MarkerPicture(false, true), 1);
    EXPECT_EQ(MarkerPicture(true, false), 2);
    EXPECT_EQ(MarkerPicture(true, true), 3);
}

TEST(StationMapFile, RecordsRoundTripAndACutRecordIsLeftOut) {
    std::vector<StationRecord> s(2, NewStation());
    s[0].Name.Set("north");
    s[0].Left = 120;
    s[0].Top = -4;
    s[1].Name.Set("south");
    s[1].Label = 0xdeadbeef;
    std::string bytes = StationBytes(s);
    ASSERT_EQ(bytes.size(), 72u);
    bytes += std::string(20, 'x');
    const auto back = ParseStations(bytes);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].Name.Get(), "north");
    EXPECT_EQ(int(back[0].Left), 120);
    EXPECT_EQ(int(back[0].Top), -4);
    EXPECT_EQ(unsigned(back[1].Label), 0u);
    EXPECT_TRUE(ParseStations("").empty());

    std::vector<TClientGroupRecord> groups(3);
    groups[0].Name.Set("south ");
    groups[1].Name.Set("south");
    groups[2].Name.Set("south");
    EXPECT_EQ(FindStationGroup(groups, "south"), 1);
    EXPECT_EQ(FindStationGroup(groups, "west"), -1);
}

} // namespace
} // namespace vantrel
