#include "host/engine/U_MatrixsCtrl.h"

#include "host/engine/U_FakeSerial_test.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

namespace vantrel {
namespace {

using testing::FakeSerial;

class MemoryStore : public TMatrixStore {
public:
    int Read(const char* name, void* buffer, int size) override {
        auto it = values.find(name);
        if (it == values.end() || int(it->second.size()) > size) return 0;
        std::memcpy(buffer, it->second.data(), it->second.size());
        return int(it->second.size());
    }
    void Write(const char* name, const void* buffer, int size) override {
        values[name] = std::string(static_cast<const char*>(buffer), size_t(size));
    }
    std::map<std::string, std::string> values;
};

class Timer : public TMatrixStepTimer {
public:
    void SetTimer(bool e, uint32_t ms) override {
        enabled = e;
        interval = ms;
    }
    void PostStep() override { ++posted; }
    bool enabled = false;
    uint32_t interval = 0;
    int posted = 0;
};

std::string Frame(std::initializer_list<std::pair<int, int>> slots) {
    std::string f = "AT";
    f.append(16, '\0');
    for (auto [output, input] : slots)
        f[size_t(1 + output)] = char(input);
    return f + "\r\n";
}

class MatrixTest : public ::testing::Test {
protected:
    FakeSerial com;
    MemoryStore store;
};

TEST_F(MatrixTest, DirectSwitchesAccumulateInTheFrame) {
    TMatrixsCtrl matrix(com, store);
    matrix.DirectSwitch(4, 2, 3); // input 5 -> output 3 on COM4
    matrix.DirectSwitch(6, 8, 3); // input 7 -> output 9
    const auto frames = com.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], Frame({{3, 5}}));
    EXPECT_EQ(frames[1], Frame({{3, 5}, {9, 7}}));
    EXPECT_EQ(com.log[0].port, 3);
    EXPECT_EQ(com.log[0].baud, 4800);
    EXPECT_EQ(matrix.PortIndex, 3);
}

TEST_F(MatrixTest, RemoteSwitchUsesTheLastPortAndTakesTheInputAsReceived) {
    TMatrixsCtrl matrix(com, store);
    matrix.RemoteSwitch(40, 1);
    EXPECT_EQ(com.log.back().port, 0); // COM1 before any local switch
    EXPECT_EQ(com.Frames().back(), Frame({{1, 40}}));
    matrix.DirectSwitch(0, 0, 5);
    matrix.RemoteSwitch(3, 16);
    EXPECT_EQ(com.log.back().port, 5);
    EXPECT_EQ(com.Frames().back(), Frame({{1, 1}, {16, 3}}));
    const size_t sent = com.Count();
    matrix.RemoteSwitch(3, 0);
    matrix.RemoteSwitch(3, 17);
    EXPECT_EQ(com.Count(), sent); // no slot: nothing
    EXPECT_EQ(com.Frames().back(), Frame({{1, 1}, {16, 3}}));
}

TEST_F(MatrixTest, OtherModelsLoadStoreAndSendNothing) {
    store.values["Matrixs"] = std::string(1, '\1');
    TMatrixsCtrl other(com, store);
    EXPECT_EQ(other.MatrixType, 1);
    other.DirectSwitch(0, 0, 2);
    other.RemoteSwitch(1, 1);
    other.SaveGroups(other.MatrixType);
    EXPECT_EQ(com.Count(), 0u);
    EXPECT_EQ(other.PortIndex, 2); // the port is kept whatever the type
    EXPECT_EQ(store.values.count("XM_Group"), 0u);
    other.SaveMatrixType(0);
    EXPECT_EQ(other.MatrixType, 1); // from the next start
}

TEST_F(MatrixTest, NamesAndGroupsRoundTripAndDamagedCountsAreBounded) {
    {
        TMatrixsCtrl matrix(com, store);
        matrix.InputNames.Names[0].Set("gate");
        ASSERT_TRUE(matrix.AddGroup("day", 30));
        ASSERT_TRUE(matrix.AddPair(0, 4, 2));
        matrix.SaveInputNames(0);
        matrix.SaveGroups(0);
    }
    EXPECT_EQ(store.values["XM"].size(), 992u);
    EXPECT_EQ(store.values["XM_Group"].size(), 1764u);
    TMatrixsCtrl loaded(com, store);
    EXPECT_EQ(loaded.InputNames.Names[0].Get(), "gate");
    ASSERT_EQ(loaded.Groups.GroupCount, 1);
    EXPECT_EQ(loaded.Groups.Groups[0].DwellSeconds, 30);
    EXPECT_EQ(loaded.Groups.Groups[0].Pairs[0].Input, 4);
    EXPECT_EQ(loaded.Groups.Groups[0].Pairs[0].Output, 2);

    store.values["XM_Group"][0] = char(200);
    store.values["XM_Group"][4 + 36] = char(99);
    TMatrixsCtrl damaged(com, store);
    EXPECT_EQ(damaged.Groups.GroupCount, 20);
    EXPECT_EQ(damaged.Groups.Groups[0].PairCount, 25);
}

TEST_F(MatrixTest, GroupAndPairEditing) {
    TMatrixsCtrl matrix(com, store);
    for (int g = 0; g < 3; ++g) {
        ASSERT_TRUE(matrix.AddGroup("g" + std::to_string(g), 5 + g));
        ASSERT_TRUE(matrix.AddPair(g, g, g));
    }
    ASSERT_TRUE(matrix.DeleteGroup(1));
    ASSERT_EQ(matrix.Groups.GroupCount, 2);
    EXPECT_EQ(matrix.Groups.Groups[1].Name.Get(), "g2");
    EXPECT_EQ(matrix.Groups.Groups[1].DwellSeconds, 7);
    EXPECT_EQ(matrix.Groups.Groups[1].Pairs[0].Input, 2);

    ASSERT_TRUE(matrix.AddPair(0, 9, 9));
    ASSERT_TRUE(matrix.ModifyPair(0, 1, 10, 11));
    ASSERT_TRUE(matrix.DeletePair(0, 0));
    ASSERT_EQ(matrix.Groups.Groups[0].PairCount, 1);
    EXPECT_EQ(matrix.Groups.Groups[0].Pairs[0].Input, 10);
    EXPECT_EQ(matrix.Groups.Groups[0].Pairs[0].Output, 11);

    // The table's room and the matrix's size bound every edit.
    EXPECT_FALSE(matrix.AddPair(0, 32, 0));
    EXPECT_FALSE(matrix.AddPair(0, 0, 16));
    EXPECT_FALSE(matrix.AddPair(5, 0, 0));
    EXPECT_FALSE(matrix.ModifyPair(0, 3, 0, 0));
    while (matrix.Groups.Groups[0].PairCount < 25)
        ASSERT_TRUE(matrix.AddPair(0, 1, 1));
    EXPECT_FALSE(matrix.AddPair(0, 1, 1));
    while (matrix.Groups.GroupCount < 20)
        ASSERT_TRUE(matrix.AddGroup("x", 5));
    EXPECT_FALSE(matrix.AddGroup("x", 5));
}

TEST_F(MatrixTest, SteppingGoesThroughTheGroupsEachForItsDwell) {
    TMatrixsCtrl matrix(com, store);
    Timer timer;
    TMatrixGroupStepper stepper(matrix, timer);
    stepper.Start();
    EXPECT_EQ(timer.posted, 0); // no groups: nothing

    matrix.AddGroup("a", 5);
    matrix.AddPair(0, 0, 0);
    matrix.AddPair(0, 1, 0); // a later pair for the same output wins
    matrix.AddGroup("b", 8); // no pairs: the unchanged frame is sent
    stepper.Start();
    EXPECT_TRUE(timer.enabled);
    EXPECT_EQ(timer.interval, 10000u);
    EXPECT_EQ(timer.posted, 1);
    stepper.StepMessage(2);
    EXPECT_EQ(timer.interval, 5000u);
    EXPECT_EQ(com.Frames().back(), Frame({{1, 2}}));
    stepper.TimerTick();
    stepper.StepMessage(2);
    EXPECT_EQ(timer.interval, 8000u);
    EXPECT_EQ(com.Count(), 2u);
    EXPECT_EQ(com.Frames().back(), Frame({{1, 2}}));
    stepper.TimerTick();
    stepper.StepMessage(2);
    EXPECT_EQ(stepper.Tag, 0); // back to the first
    EXPECT_EQ(timer.interval, 5000u);

    stepper.Stop();
    stepper.StepMessage(2); // posted before the stop
    EXPECT_EQ(com.Count(), 3u);
    EXPECT_FALSE(timer.enabled);

    stepper.SwitchGroup(1, 4); // now, without starting the timer
    EXPECT_EQ(com.Count(), 4u);
    EXPECT_EQ(com.log.back().port, 4);
    EXPECT_FALSE(timer.enabled);
    EXPECT_EQ(stepper.Tag, 1);
}

TEST(MatrixStepping, DwellIntervalsFitTheTimer) {
    EXPECT_EQ(TMatrixGroupStepper::DwellInterval(5), 5000u);
    EXPECT_EQ(TMatrixGroupStepper::DwellInterval(4294967), 4294967000u);
    EXPECT_EQ(TMatrixGroupStepper::DwellInterval(10000000), 4294967295u);
    EXPECT_EQ(TMatrixGroupStepper::DwellInterval(0), 1000u);
    EXPECT_EQ(TMatrixGroupStepper::DwellInterval(-3), 1000u);
}

} // namespace
} // namespace vantrel
