#include "host/net/F_NetTalk.h"

#include "host/engine/U_Arithmetic.h"
#include "host/net/netsvc_testing.h"
#include "sim/g729/G729Dll.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <vector>

namespace vantrel {
namespace {

std::vector<uint8_t> Tone(int frame) {
    std::vector<uint8_t> pcm(kVoicePcmBytes);
    for (int k = 0; k < 480; ++k) {
        const auto v = static_cast<int16_t>(
            std::lround(9000 * std::sin(2 * std::numbers::pi * 300 * (frame * 480 + k) / 8000.0)));
        std::memcpy(&pcm[2 * static_cast<size_t>(k)], &v, 2);
    }
    return pcm;
}

std::vector<uint8_t> Encoded(const std::vector<uint8_t>& pcm) {
    std::vector<uint8_t> code(60);
    int n = 0;
    G729Encode(pcm.data(), 960, code.data(), &n);
    return code;
}

void SendTo(int port, const void* data, size_t length) {
    testing::WsaSession wsa;
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = testing::Loopback(port);
    ::sendto(s, static_cast<const char*>(data), static_cast<int>(length), 0,
             reinterpret_cast<sockaddr*>(&a), sizeof(a));
    ::closesocket(s);
}

// One station's voice objects as the start-up sequence makes them, and its window.
struct Station {
    TWaveIn waveIn;
    TWaveOut waveOut;
    TThreadWaveIn threadWaveIn{waveIn};
    TThreadWaveOut threadWaveOut{waveOut};
    TNetTalkForm form;
    std::vector<std::string> messages;
    Station(uint16_t defaultPort, uint16_t receivePort)
        : form(waveIn, waveOut, threadWaveIn, threadWaveOut, defaultPort, receivePort) {
        form.ShowMessage = [this](const std::string& m) { messages.push_back(m); };
    }
};

class VoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::waveOutGetNumDevs() == 0 || ::waveInGetNumDevs() == 0)
            GTEST_SKIP() << "no sound device (run through tools/with-session)";
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\NetTalk");
        portA_ = static_cast<uint16_t>(testing::FreePort(SOCK_DGRAM));
        portB_ = static_cast<uint16_t>(testing::FreePort(SOCK_DGRAM));
    }
    void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\NetTalk"); }
    uint16_t portA_ = 0, portB_ = 0;
};

TEST_F(VoiceTest, DatagramsOfSixtyBytesOrMoreAreDecodedAndPlayed) {
    Station b(59000, portB_);
    ASSERT_TRUE(b.form.Receiving());
    const auto code = Encoded(Tone(0));
    SendTo(portB_, code.data(), 59);
    ASSERT_TRUE(PumpUntil([&] { return b.form.DatagramsReceived() == 1; }, 3000));
    EXPECT_EQ(b.form.DatagramsDecoded(), 0);
    EXPECT_FALSE(b.waveOut.Opened()); // nothing to play yet

    std::vector<uint8_t> longer = code;
    longer.resize(70, 0xEE); // only the first 60 bytes count
    for (int i = 0; i < 5; ++i)
        SendTo(portB_, longer.data(), longer.size());
    ASSERT_TRUE(PumpUntil([&] { return b.form.DatagramsDecoded() == 5; }, 3000));
    EXPECT_TRUE(b.waveOut.Opened());
    // The device plays them in real time and hands each back to the release thread.
    ASSERT_TRUE(PumpUntil([&] { return b.waveOut.Released() == 5; }, 5000));
    EXPECT_EQ(b.waveOut.Queued(), 0);
}

TEST_F(VoiceTest, OutputQueueHoldsAtMostTwentyOneBlocks) {
    TWaveOut out;
    TThreadWaveOut release(out);
    ASSERT_TRUE(out.Open(VoiceFormat(), release.ThreadId()));
    for (int i = 0; i < 30; ++i) {
        out.Write(std::make_unique<uint8_t[]>(960), 960);
        EXPECT_LE(out.Queued(), TWaveOut::kMaxQueued);
    }
    EXPECT_GE(out.Queued(), 20); // about 1.3 s queued, the rest dropped
    EXPECT_TRUE(out.Close());    // the reset hands the blocks back
    ASSERT_TRUE(PumpUntil([&] { return out.Queued() == 0; }, 3000));
    out.Write(std::make_unique<uint8_t[]>(960), 960); // closed: dropped
    EXPECT_EQ(out.Queued(), 0);
}

TEST_F(VoiceTest, BroadcastReachesEveryCheckedAddress) {
    Station b(59000, portB_);
    Station a(portB_, portA_);  // a port text that is no number goes to portB_
    a.form.bt_BroadcastClick(); // nothing checked: no device opened
    EXPECT_FALSE(a.waveIn.Opened());

    a.form.bt_AddClick();
    EXPECT_FALSE(a.form.ListEnabled);
    EXPECT_EQ(a.form.se_UDPNetTalkPort, portB_);
    a.form.bt_OKClick(); // no address: stays open
    EXPECT_TRUE(a.form.pn_EditVisible);
    a.form.ed_Name = "Nowhere";
    a.form.ed_Addr = "bad address!";
    a.form.bt_OKClick();
    EXPECT_FALSE(a.form.pn_EditVisible);
    EXPECT_TRUE(a.form.ListEnabled);
    a.form.bt_AddClick();
    a.form.ed_Name = "B";
    a.form.ed_Addr = "127.0.0.1";
    a.form.se_UDPNetTalkPort = portB_;
    a.form.bt_OKClick();
    ASSERT_EQ(a.form.Rows().size(), 2u);
    a.form.SetChecked(0, true); // its send fails; the next address still gets every block
    a.form.SetChecked(1, true);

    // A known block straight through the encoder and the window's sender.
    a.threadWaveIn.SendBlock(Tone(0).data(), 960);
    a.threadWaveIn.SendBlock(Tone(0).data(), 959); // not a whole block: not sent
    ASSERT_TRUE(PumpUntil([&] { return b.form.DatagramsDecoded() == 1; }, 3000));

    // The microphone: capture runs from 广播 to 停止.
    a.form.bt_BroadcastClick();
    EXPECT_TRUE(a.waveIn.Opened());
    EXPECT_FALSE(a.form.AddEnabled);
    EXPECT_FALSE(a.form.DeleteEnabled);
    ASSERT_TRUE(PumpUntil([&] { return b.form.DatagramsDecoded() >= 4; }, 5000));
    a.form.bt_StopClick();
    EXPECT_FALSE(a.waveIn.Opened());
    EXPECT_TRUE(a.form.AddEnabled);
    const int sent = a.threadWaveIn.BlocksSent();
    ::Sleep(300);
    EXPECT_EQ(a.threadWaveIn.BlocksSent(), sent); // nothing after the stop
    EXPECT_TRUE(a.messages.empty());
}

TEST_F(VoiceTest, ACaptureBufferShortOfABlockIsQueuedAgainAndNotTaken) {
    // The device reports to this thread, so the test sees each returned buffer first.
    TWaveIn in;
    ASSERT_TRUE(in.Open(VoiceFormat(), ::GetCurrentThreadId()));
    ASSERT_TRUE(in.Start());
    auto next = [&] {
        MSG m{};
        const ULONGLONG end = ::GetTickCount64() + 3000;
        while (::GetTickCount64() < end) {
            if (::PeekMessageW(&m, nullptr, MM_WIM_DATA, MM_WIM_DATA, PM_REMOVE))
                return reinterpret_cast<WAVEHDR*>(m.lParam);
            ::Sleep(5);
        }
        return static_cast<WAVEHDR*>(nullptr);
    };
    uint8_t block[960];
    WAVEHDR* full = next();
    ASSERT_NE(full, nullptr);
    EXPECT_TRUE(in.TakeBlock(full, block));
    WAVEHDR* shortOne = next();
    ASSERT_NE(shortOne, nullptr);
    shortOne->dwBytesRecorded = 500;
    EXPECT_FALSE(in.TakeBlock(shortOne, block));
    EXPECT_TRUE(shortOne->dwFlags & WHDR_INQUEUE); // back with the device
    EXPECT_FALSE(in.TakeBlock(shortOne, block));   // not done: a stale notice changes nothing
    // The buffer comes back full next time round.
    for (int i = 0; i < 6; ++i) {
        WAVEHDR* h = next();
        ASSERT_NE(h, nullptr);
        if (h == shortOne) {
            EXPECT_TRUE(in.TakeBlock(h, block));
            break;
        }
        in.TakeBlock(h, block);
    }
    EXPECT_TRUE(in.Close());
    EXPECT_FALSE(in.Opened());
}

TEST_F(VoiceTest, RecordingCommandsReportThemselves) {
    Station a(59000, portA_);
    a.form.bt_StartRecordClick();
    EXPECT_TRUE(a.waveIn.Opened());
    a.form.bt_CloseRecordClick();
    EXPECT_FALSE(a.waveIn.Opened());
    ASSERT_EQ(a.messages.size(), 2u);
    EXPECT_EQ(a.messages[0], "\xD2\xD1\xBF\xAA\xCA\xBC\xC2\xBC\xD2\xF4"); // 已开始录音
    EXPECT_EQ(a.messages[1], "\xD2\xD1\xB9\xD8\xB1\xD5\xC2\xBC\xD2\xF4"); // 已关闭录音
}

TEST_F(VoiceTest, TheListIsSavedAndReadBack) {
    TArithmetic::WriteRegString(HKEY_LOCAL_MACHINE, kNetTalkKey, "NetTalk",
                                "Gate/10.0.0.1|59000;Yard/10.0.0.2|abc;Dock/10.0.0.3|59");
    {
        Station a(59000, portA_);
        ASSERT_EQ(a.form.Rows().size(), 2u);
        EXPECT_EQ(a.form.Rows()[1].Port, "abc");
        a.form.Selected = {0};
        a.form.bt_DeleteClick();
        a.form.bt_SaveClick();
    }
    std::string text;
    TArithmetic::ReadRegString(HKEY_LOCAL_MACHINE, kNetTalkKey, text, "NetTalk");
    EXPECT_EQ(text, "Yard/10.0.0.2|abc;");
}

} // namespace
} // namespace vantrel
