#include "sdk/dorsk/sim_fixture.h"
#include "sdk/dorsk/stream_rings.h"

#include "common/testing/testdata.h"
#include "sim/brevix32/board_script.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>

namespace dvr::dorsk {
namespace {

struct Record {
    int type = 0;
    std::vector<uint8_t> bytes;
    bool operator==(const Record&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Record& r) {
    return os << "{type " << r.type << ", " << r.bytes.size() << " bytes}";
}

// The host's side: a callback that reads what it is told about.
struct Host {
    std::mutex m;
    std::vector<Record> records[kMaxChannels];
    std::atomic<int> notices[kMaxChannels] = {};
    std::atomic<int> badReads{0};
    std::vector<uint8_t> buffer = std::vector<uint8_t>(kHostReadBufferSize);
    bool drain = true; // read everything waiting, else one record per notice

    static void __stdcall Callback(int channel, intptr_t user) {
        Host& host = *reinterpret_cast<Host*>(user);
        ++host.notices[channel];
        do {
        } while (host.ReadOne(channel) && host.drain);
    }
    bool ReadOne(int channel) {
        intptr_t handle = HandleOf(g_sdk.channels[channel]);
        int length = int(buffer.size());
        int type = -5;
        int key = RU4Dov_ReadStreamData(handle, buffer.data(), &length, &type);
        if (key < 0) {
            if (g_sdk.lastError.load() != kSdkNoStreamRecord) ++badReads;
            return false;
        }
        if (key != (type == kFrameKey ? 1 : 0)) ++badReads;
        std::lock_guard<std::mutex> lock(m);
        records[channel].push_back({type, {buffer.begin(), buffer.begin() + length}});
        return true;
    }
    // Pictures read so far on `channel`, leaving out records that `foreign` recognises.
    int Pictures(int channel, bool (*foreign)(const Record&) = nullptr) {
        std::lock_guard<std::mutex> lock(m);
        int pictures = 0;
        for (const Record& r : records[channel])
            if (!foreign || !foreign(r)) pictures += PicturesIn(uint16_t(r.type));
        return pictures;
    }
    int RecordCount(int channel) {
        std::lock_guard<std::mutex> lock(m);
        return int(records[channel].size());
    }
    std::vector<Record> Take(int channel) {
        std::lock_guard<std::mutex> lock(m);
        return std::move(records[channel]);
    }
};

// What a channel replaying `script` delivers after a capture start: the stream header,
// then the records from the first key frame on, audio re-encoded with a fresh coder.
std::vector<Record> Expected(const sim::BoardScript& script, size_t count) {
    sim::RecordPlayer player(&script, true);
    std::vector<Record> out{{kFrameFileHead, player.FileHead()}};
    player.JumpToKeyFrame(0);
    AdpcmChannelState coder;
    AdpcmInitState(coder);
    sim::ScriptRecord r;
    while (out.size() < count && player.Next(INT64_MAX / 2, r)) {
        if (r.type == kFrameAudio) {
            std::vector<uint8_t> encoded(kEncodedAudioRecordSize);
            AdpcmEncodeRecord(r.bytes.data(), encoded.data(), coder);
            out.push_back({r.type, encoded});
        } else {
            out.push_back({r.type, r.bytes});
        }
    }
    return out;
}

class StreamDeliveryTest : public testing::SimBoardTest {
protected:
    static constexpr const char* kScripts[5] = {"cif_ip.brs", "cif_ipb1.brs", "cif_ipb2.brs",
                                                "cif_ip.brs", "d1_ip.brs"};

    void SetUp() override {
        SimBoardTest::SetUp();
        for (int ch = 0; ch < 5; ++ch) {
            std::string path = dvr::testing::TestDataPath(kScripts[ch]);
            scripts_[ch] = sim::BoardScript::Load(path);
            ASSERT_TRUE(scripts_[ch]) << path;
        }
    }

    void StartAll(int speed) {
        std::string config = "processor 4\nprocessor 1\nspeed " + std::to_string(speed) + "\n";
        for (int ch = 0; ch < 5; ++ch)
            config += "source " + std::to_string(ch / 4) + " " + std::to_string(ch % 4) + " " +
                      dvr::testing::TestDataPath(kScripts[ch]) + "\n";
        ASSERT_EQ(SimCtl_Configure(config.c_str()), 0);
        ASSERT_EQ(RU4Dov_InitDSPs(), 5);
        ASSERT_EQ(
            RU4Dov_RegisterStreamReadCallback(&Host::Callback, reinterpret_cast<intptr_t>(&host_)),
            0);
        for (int ch = 0; ch < 5; ++ch) {
            handles_[ch] = RU4Dov_ChannelOpen(ch);
            ASSERT_NE(handles_[ch], kNoChannel);
        }
        for (int ch = 0; ch < 5; ++ch)
            ASSERT_EQ(RU4Dov_StartVideoCapture(handles_[ch]), 0);
    }

    // Compares what channel `ch` delivered with its script, leaving out records that
    // `foreign` recognises, and checks that enough pictures came.
    void CheckChannel(int ch, int pictures_at_least, bool (*foreign)(const Record&) = nullptr) {
        std::vector<Record> got = host_.Take(ch);
        if (foreign) std::erase_if(got, foreign);
        int pictures = 0;
        for (const Record& r : got)
            pictures += PicturesIn(uint16_t(r.type));
        EXPECT_GE(pictures, pictures_at_least) << "channel " << ch;
        std::vector<Record> expected = Expected(*scripts_[ch], got.size());
        ASSERT_EQ(expected.size(), got.size());
        for (size_t i = 0; i < got.size(); ++i)
            ASSERT_EQ(got[i], expected[i]) << "channel " << ch << " record " << i;
    }

    void TearDown() override {
        SimBoardTest::TearDown();
        g_sdk.readerPeriodMs = kSlotReaderPeriodMs;
        // Registrations outlive the library; this host does not.
        g_sdk.streamCallback = nullptr;
        g_sdk.streamUser = 0;
        g_sdk.notifyWindow = nullptr;
        g_sdk.notifyMessage = 0;
    }

    // Waits until every channel has read `count` of what `got` counts: the stand-in plays
    // its scripts in real time, and a busy machine gets there later, not with less.
    bool WaitForAll(int count, const std::function<int(int)>& got, int limitMs) {
        for (int waited = 0;; waited += 20) {
            bool all = true;
            for (int ch = 0; ch < 5; ++ch)
                all = all && got(ch) >= count;
            if (all) return true;
            if (waited >= limitMs) return false;
            ::Sleep(20);
        }
    }

    Host host_;
    std::optional<sim::BoardScript> scripts_[5];
    intptr_t handles_[5] = {};
};

TEST_F(StreamDeliveryTest, EveryRecordArrivesInOrderOnItsChannelForMinutes) {
    // Two minutes of board time. The slot reader is the bottleneck (14 slots a pass): it
    // runs faster here to keep up with the stand-in's faster clock, which stays slow enough
    // that a busy machine still reads every slot in time.
    constexpr int kSpeed = 3;
    constexpr int kBoardSeconds = 120;
    g_sdk.readerPeriodMs = 5;
    StartAll(kSpeed);
    ::Sleep(kBoardSeconds * 1000 / kSpeed);
    EXPECT_TRUE(WaitForAll(kBoardSeconds * 25 * 8 / 10, [&](int ch) { return host_.Pictures(ch); },
                           kBoardSeconds * 1000));
    for (int ch = 0; ch < 5; ++ch)
        ASSERT_EQ(RU4Dov_StopVideoCapture(handles_[ch]), 0);
    EXPECT_EQ(host_.badReads.load(), 0);

    RU4DovFramesStatistics stats{};
    ASSERT_EQ(RU4Dov_GetFramesStatistics(handles_[1], &stats), 0);
    EXPECT_GT(stats.boardWord, 0);
    int pictures = 0, audio_blocks = 0;
    {
        std::lock_guard<std::mutex> lock(host_.m);
        for (const Record& r : host_.records[1]) {
            pictures += PicturesIn(uint16_t(r.type));
            audio_blocks += AudioBlocksIn(uint16_t(r.type));
        }
    }
    // Counted as they entered the ring; the stop dropped what was not read yet.
    EXPECT_GE(stats.pictures, pictures);
    EXPECT_GE(stats.audioBlocks, audio_blocks);
    EXPECT_LE(stats.pictures, pictures + 25);
    EXPECT_GT(audio_blocks, 0);

    // Most of the board time arrives (the rest was still on its way at the stop).
    for (int ch = 0; ch < 5; ++ch)
        CheckChannel(ch, kBoardSeconds * 25 * 8 / 10);
    // Nothing is left over after the stop.
    int length = int(host_.buffer.size()), type = 0;
    EXPECT_EQ(RU4Dov_ReadStreamData(handles_[0], host_.buffer.data(), &length, &type), -1);
    EXPECT_EQ(g_sdk.lastError.load(), kSdkNoStreamRecord);
}

bool InjectedRecord(const Record& r) {
    // The one well-formed record among the malformed slots: a 100-byte P picture.
    return r.type == kFrameP && r.bytes == std::vector<uint8_t>(100, 0x55);
}

TEST_F(StreamDeliveryTest, MalformedSlotStreamsLeaveTheOtherRecordsIntact) {
    g_sdk.readerPeriodMs = 5;
    StartAll(4);
    for (int round = 0; round < 3; ++round) {
        for (int kind = SIMCTL_SLOTS_SHORT_COUNT; kind <= SIMCTL_SLOTS_BAD_AUDIO_PAIR; ++kind) {
            ASSERT_EQ(SimCtl_InjectSlots(0, kind), 0);
            ASSERT_EQ(SimCtl_InjectSlots(1, kind), 0);
            ::Sleep(60);
        }
    }
    // Raw slots: byte counts the firmware should never write, between two records.
    uint8_t junk[kSlotSize];
    std::memset(junk, 0x77, sizeof junk);
    for (int32_t count : {-1, 0, 4097, 100000, 4096})
        ASSERT_EQ(SimCtl_InjectRawSlot(0, junk, sizeof junk, count), 0);
    EXPECT_TRUE(WaitForAll(
        100, [&](int ch) { return host_.Pictures(ch, ch % 4 == 0 ? InjectedRecord : nullptr); },
        60000));
    for (int ch = 0; ch < 5; ++ch)
        ASSERT_EQ(RU4Dov_StopVideoCapture(handles_[ch]), 0);
    EXPECT_EQ(host_.badReads.load(), 0);
    // The stand-in's malformed shapes name sub-channel 0 of each processor.
    for (int ch = 0; ch < 5; ++ch)
        CheckChannel(ch, 100, ch % 4 == 0 ? InjectedRecord : nullptr);
}

TEST_F(StreamDeliveryTest, OneReadPerNoticeAndRepeatedNoticesWhileRecordsWait) {
    host_.drain = false;
    StartAll(1);
    EXPECT_TRUE(WaitForAll(15, [&](int ch) { return host_.RecordCount(ch); }, 60000));
    for (int ch = 0; ch < 5; ++ch)
        ASSERT_EQ(RU4Dov_StopVideoCapture(handles_[ch]), 0);
    for (int ch = 0; ch < 5; ++ch) {
        // Each notice read one record; a notice racing the stop may have found none.
        int read = int(host_.Take(ch).size());
        EXPECT_GE(host_.notices[ch].load(), read) << ch;
        EXPECT_LE(host_.notices[ch].load(), read + 1) << ch;
        EXPECT_GE(read, 15) << ch;
    }
}

TEST_F(StreamDeliveryTest, WithoutACallbackNoticesArePostedToTheWindow) {
    ASSERT_EQ(SimCtl_Configure("processor 1\nsource 0 0 synthetic\nspeed 1\n"), 0);
    ASSERT_EQ(RU4Dov_InitDSPs(), 1);
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
    ASSERT_TRUE(window);
    constexpr UINT kMessage = WM_APP + 7;
    EXPECT_EQ(RU4Dov_RegisterMessageNotifyHandle(nullptr, kMessage), AsResult(kSdkBadArgument));
    EXPECT_EQ(RU4Dov_RegisterMessageNotifyHandle(window, 0), AsResult(kSdkBadArgument));
    EXPECT_EQ(RU4Dov_RegisterStreamReadCallback(nullptr, 1), AsResult(kSdkBadArgument));
    EXPECT_EQ(RU4Dov_RegisterStreamReadCallback(&Host::Callback, 0), AsResult(kSdkBadArgument));
    ASSERT_EQ(RU4Dov_RegisterMessageNotifyHandle(window, kMessage), 0);
    intptr_t h = RU4Dov_ChannelOpen(0);
    ASSERT_NE(h, kNoChannel);
    ASSERT_EQ(RU4Dov_StartVideoCapture(h), 0);

    // The host never reads: the first notice, then one every 20th pass (about 200 ms).
    int posted = 0;
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 1500) {
        MSG msg;
        while (::PeekMessageW(&msg, window, kMessage, kMessage, PM_REMOVE)) {
            EXPECT_EQ(msg.wParam, 0u);
            EXPECT_EQ(msg.lParam, 0);
            ++posted;
        }
        ::Sleep(5);
    }
    EXPECT_GE(posted, 3);
    EXPECT_LE(posted, 10);

    // A buffer one byte short: the size needed comes back and the record stays.
    std::vector<uint8_t> buffer(kHostReadBufferSize);
    int length = 1, type = -7;
    ASSERT_EQ(RU4Dov_ReadStreamData(h, buffer.data(), &length, &type), -1);
    EXPECT_EQ(g_sdk.lastError.load(), kSdkBufferTooSmall);
    ASSERT_GT(length, 1);
    int needed = length;
    length = needed - 1;
    ASSERT_EQ(RU4Dov_ReadStreamData(h, buffer.data(), &length, &type), -1);
    EXPECT_EQ(length, needed);
    EXPECT_EQ(type, -7);
    ASSERT_EQ(RU4Dov_ReadStreamData(h, buffer.data(), &length, &type), 0);
    EXPECT_EQ(type, kFrameFileHead);
    EXPECT_EQ(length, needed);

    // After the stop the ring is empty.
    ASSERT_EQ(RU4Dov_StopVideoCapture(h), 0);
    length = int(buffer.size());
    EXPECT_EQ(RU4Dov_ReadStreamData(h, buffer.data(), &length, &type), -1);
    EXPECT_EQ(g_sdk.lastError.load(), kSdkNoStreamRecord);
    EXPECT_EQ(RU4Dov_ReadStreamData(12345, buffer.data(), &length, &type), -1);
    EXPECT_EQ(g_sdk.lastError.load(), kSdkBadHandle);
    ::DestroyWindow(window);
}

} // namespace
} // namespace dvr::dorsk
