#include "host/engine/U_COM.h"
#include "host/engine/U_PtyPair_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace vantrel {
namespace {

using Clock = std::chrono::steady_clock;

using testing::Peer;
using testing::PtyPair;

// Reads end soon: most cases wait for silence.
constexpr DWORD kQuietMs = 100, kReadMs = 400;

// COM16 is the last port the table knows; the peers sit on ports the host never uses.
constexpr uint8_t kPortA = 15; // COM16
constexpr int kPeerA = 12;
constexpr uint8_t kPortB = 13; // COM14
constexpr int kPeerB = 11;

class SerialTest : public ::testing::Test {
protected:
    void SetUp() override {
        pairA_ = std::make_unique<PtyPair>(kPortA + 1, kPeerA);
        pairB_ = std::make_unique<PtyPair>(kPortB + 1, kPeerB);
        ASSERT_TRUE(pairA_->Ready() && pairB_->Ready()) << "socat pty pairs did not come up";
    }
    void TearDown() override {
        pairA_.reset();
        pairB_.reset();
    }

    int Write(uint8_t port, const std::string& frame) {
        uint32_t count = 0;
        return com_.Transact(port, 9600, 0, 8, 0, frame.data(), int32_t(frame.size()), false,
                             nullptr, count);
    }

    TCOM com_;
    std::unique_ptr<PtyPair> pairA_, pairB_;
};

TEST(SerialNames, PortIndexesNameCom1ToCom16) {
    const struct {
        int port;
        const wchar_t* name;
    } cases[] = {
        {0, L"\\\\.\\COM1"}, {8, L"\\\\.\\COM9"}, {9, L"\\\\.\\COM10"}, {15, L"\\\\.\\COM16"}};
    for (const auto& c : cases)
        EXPECT_EQ(TCOM::DeviceName(c.port), c.name) << c.port;
}

TEST_F(SerialTest, WriteOnlyFrameArrivesAndReportsSuccess) {
    Peer peer(kPeerA, kQuietMs, kReadMs);
    ASSERT_TRUE(peer.Open());
    const std::string frame("\xff\x01\x00\x08\x20\x00\x29", 7);
    EXPECT_EQ(Write(kPortA, frame), 0);
    EXPECT_EQ(peer.Read(), frame);
    EXPECT_EQ(com_.Handle(kPortA), INVALID_HANDLE_VALUE); // nothing left open in the table
}

TEST_F(SerialTest, ReadGetsTheAnswerOrGivesUpOnSilence) {
    Peer peer(kPeerA, kQuietMs, kReadMs);
    ASSERT_TRUE(peer.Open());
    std::thread answering([&] {
        if (peer.Read() == "poll") peer.Write("ok!");
    });
    char answer[16] = {};
    uint32_t count = sizeof answer;
    EXPECT_EQ(com_.Transact(kPortA, 9600, 0, 8, 0, "poll", 4, true, answer, count), 0);
    answering.join();
    EXPECT_EQ(std::string(answer, count), "ok!");

    // A silent device: -1 and nothing received, within the read time-outs (50 + 50 * 4 ms).
    count = 4;
    const auto start = Clock::now();
    EXPECT_EQ(com_.Transact(kPortA, 9600, 0, 8, 0, "poll", 4, true, answer, count), -1);
    EXPECT_EQ(count, 0u);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(peer.Read(), "poll");
}

TEST_F(SerialTest, UnusablePortsFailWithoutWriting) {
    char answer[8];
    const struct {
        uint8_t port;
        const char* why;
    } cases[] = {{4, "COM5 does not exist"}, {16, "beyond COM16"}, {255, "beyond COM16"}};
    for (const auto& c : cases) {
        uint32_t count = sizeof answer;
        EXPECT_EQ(com_.Transact(c.port, 9600, 0, 8, 0, "x", 1, true, answer, count), -1) << c.why;
        EXPECT_EQ(count, 0u) << c.why;
        EXPECT_EQ(Write(c.port, "x"), -1) << c.why;
    }
    EXPECT_FALSE(com_.OpenHeld(4));
    EXPECT_FALSE(com_.OpenHeld(16));
    EXPECT_EQ(com_.Handle(16), INVALID_HANDLE_VALUE);
}

TEST_F(SerialTest, PortHeldOpenRefusesTransactionsAndKeepsItsHandle) {
    Peer peer(kPeerA, kQuietMs, kReadMs);
    ASSERT_TRUE(peer.Open());
    ASSERT_TRUE(com_.OpenHeld(kPortA));
    const HANDLE held = com_.Handle(kPortA);
    EXPECT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(com_.OpenHeld(kPortA));
    EXPECT_EQ(Write(kPortA, "frame"), -1);
    EXPECT_EQ(com_.Handle(kPortA), held);
    EXPECT_EQ(peer.Read(), "");
    // The holder's handle still works.
    DWORD done = 0;
    EXPECT_TRUE(::WriteFile(held, "ups", 3, &done, nullptr));
    EXPECT_EQ(peer.Read(), "ups");

    com_.CloseHeld(kPortA);
    EXPECT_EQ(com_.Handle(kPortA), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Write(kPortA, "frame"), 0);
    EXPECT_EQ(peer.Read(), "frame");
}

TEST_F(SerialTest, OnePortSerialisesTransactionsTwoPortsRunTogether) {
    // Silent devices: every read transaction waits out its time-outs (50 + 50 * 20 ms).
    auto silentPoll = [this](uint8_t port) {
        char answer[20];
        uint32_t count = sizeof answer;
        return com_.Transact(port, 9600, 0, 8, 0, "?", 1, true, answer, count);
    };
    auto twoAtOnce = [&](uint8_t first, uint8_t second) {
        const auto start = Clock::now();
        std::thread a([&] { silentPoll(first); });
        std::thread b([&] { silentPoll(second); });
        a.join();
        b.join();
        return Clock::now() - start;
    };
    const auto onePort = twoAtOnce(kPortA, kPortA);
    const auto twoPorts = twoAtOnce(kPortA, kPortB);
    EXPECT_GE(onePort, std::chrono::milliseconds(1900));
    EXPECT_LT(twoPorts, std::chrono::milliseconds(1900));
}

} // namespace
} // namespace vantrel
