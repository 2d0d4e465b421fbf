// Drives the simulated board through the driver operations, the way the SDK
// boots and uses a processor, and checks the fault knobs.
#include "common/win/handles.h"
#include "common/testing/testdata.h"
#include "sim/brevix32/Brevix32.h"
#include "sim/brevix32/SimCtl.h"
#include "sim/brevix32/board_layout.h"
#include "sim/brevix32/board_script.h"
#include "sim/brevix32/slot_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace sim {
namespace {

using Words = std::array<uint32_t, 6>;
namespace fs = std::filesystem;

constexpr uint32_t Cmd(uint32_t code, int sub = 0, int value = 0) {
    return code << 16 |
           (SubChannelInLowByte(code) ? uint32_t(sub) : uint32_t(sub) << 8 | uint32_t(value));
}

fs::path TempFolder() {
    fs::path dir =
        fs::temp_directory_path() / ("brevix32-test-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(dir);
    return dir;
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A script whose key frames span three slots, to exercise continuations.
BoardScript TestScript() {
    BoardScript s = BoardScript::Synthetic();
    for (ScriptRecord& r : s.records)
        if (r.type == kTypeKeyFrame) {
            r.bytes.resize(kFrameHeadSize + 9000, 0x3C);
            uint32_t n = 9000;
            std::memcpy(&r.bytes[14], &n, 4);
        }
    return s;
}

struct Record {
    uint16_t type;
    int sub;
    int32_t declared;
    std::vector<uint8_t> bytes;
};

class Board {
public:
    explicit Board(int processor = 0) : index(processor) {}
    int index;
    BrevixDsp dsp{};
    BrevixEvent event{};
    BrevixMessage message{};
    BrevixSharedMemory memory{};
    BrevixDspInfo info{};
    uint8_t* block = nullptr;
    dvr::win::Event reply{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    dvr::win::Event arrival{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::vector<TakenSlot> slots;

    ~Board() { Shutdown(); }

    // The boot order of the SDK; returns the operation that failed, or 0.
    int Boot(const std::string& firmware, bool thirdSignal = true) {
        if (BrevixDSPOpen(index, &dsp)) return SIMCTL_OP_OPEN;
        int status = -1;
        if (BrevixDSPGetStatus(dsp, &status)) return SIMCTL_OP_GET_STATUS;
        if (status == BREVIX_STATUS_RUNNING && BrevixDSPStop(dsp)) return SIMCTL_OP_STOP;
        if (BrevixDSPGetInfo(dsp, &info)) return SIMCTL_OP_GET_INFO;
        if (BrevixDSPLoad(dsp, BREVIX_LOAD_ALL, firmware.c_str())) return SIMCTL_OP_LOAD;
        if (BrevixEventCreate(dsp, "MyEvent", reply.get(), BREVIX_NOTIFY_WIN_EVENT, &event))
            return SIMCTL_OP_EVENT_CREATE;
        if (BrevixDSPStart(dsp)) return SIMCTL_OP_START;
        if (WaitForSingleObject(reply.get(), 2000) != WAIT_OBJECT_0) return -1;
        if (BrevixMessageCreate(dsp, "MyMessage", arrival.get(), BREVIX_NOTIFY_WIN_EVENT, &message))
            return SIMCTL_OP_MESSAGE_CREATE;
        if (BrevixEventSignal(event)) return SIMCTL_OP_EVENT_SIGNAL;
        if (WaitForSingleObject(reply.get(), 2000) != WAIT_OBJECT_0) return -2;
        void* host = nullptr;
        if (BrevixSharedMemoryCreate(dsp, "Memory", kSharedBlockSize, &host, &memory))
            return SIMCTL_OP_SHARED_MEMORY_CREATE;
        block = static_cast<uint8_t*>(host);
        std::memset(block, 0, kSlotsOffset);
        if (!thirdSignal) return 0;
        if (BrevixEventSignal(event)) return SIMCTL_OP_EVENT_SIGNAL;
        return Send(Cmd(kCmdBoardStart, 0, 0));
    }

    void Shutdown() {
        if (memory) {
            EXPECT_EQ(BrevixSharedMemoryDestroy(memory), 0);
        }
        if (message) {
            EXPECT_EQ(BrevixMessageDestroy(message), 0);
        }
        if (event) {
            EXPECT_EQ(BrevixEventDestroy(event), 0);
        }
        if (dsp) {
            EXPECT_EQ(BrevixDSPStop(dsp), 0);
            EXPECT_EQ(BrevixDSPClose(dsp), 0);
        }
        memory = {};
        message = {};
        event = {};
        dsp = {};
    }

    int Send(uint32_t w0, uint32_t w1 = 0, uint32_t w2 = 0, uint32_t w3 = 0) {
        uint32_t w[6] = {w0, w1, w2, w3, 0, 0};
        return BrevixMessageSend(message, w);
    }

    // The next board message with `code`, others are skipped; nullopt on time-out.
    std::optional<Words> Await(uint32_t code, DWORD timeoutMs = 2000) {
        DWORD end = GetTickCount() + timeoutMs;
        for (;;) {
            Words w;
            while (BrevixMessageReceive(message, w.data()) == BREVIX_OK)
                if (w[0] >> 16 == code) return w;
            DWORD now = GetTickCount();
            if (now >= end) return std::nullopt;
            WaitForSingleObject(arrival.get(), end - now);
        }
    }

    uint8_t* Host(uint32_t boardAddress) const {
        return reinterpret_cast<uint8_t*>(uintptr_t(boardAddress) + info.hostBase - info.boardBase);
    }
    uint32_t ControlWord(size_t offset) const {
        uint32_t v;
        std::memcpy(&v, block + kControlBlockOffset + offset, 4);
        return v;
    }
    uint8_t* AreaOf(int sub, ChannelArea area) const {
        return Host(ControlWord(12 + 24 * size_t(sub) + 4 * size_t(area)));
    }

    // Takes slots as the host does for `ms` milliseconds.
    void Drain(DWORD ms) {
        DWORD end = GetTickCount() + ms;
        do {
            for (TakenSlot t; (t = TakeSlot(block)).taken;)
                slots.push_back(t);
            Sleep(10);
        } while (GetTickCount() < end);
    }

    // Takes slots until `count` whole records have come (or the generous limit passes).
    size_t DrainUntil(size_t count, DWORD limitMs = 30000) {
        DWORD start = GetTickCount();
        for (;;) {
            for (TakenSlot t; (t = TakeSlot(block)).taken;)
                slots.push_back(t);
            size_t have = Records().size();
            if (have >= count || GetTickCount() - start > limitMs) return have;
            Sleep(10);
        }
    }

    std::vector<Record> Records() const {
        std::vector<Record> out;
        for (const TakenSlot& t : slots) {
            StreamSlotHeader h{};
            if (t.data.size() >= sizeof h) std::memcpy(&h, t.data.data(), sizeof h);
            if (h.marker == kSlotMarker && h.magic == kStreamMagic)
                out.push_back({h.frameType,
                               h.subChannel,
                               h.payloadLength,
                               {t.data.begin() + sizeof h, t.data.end()}});
            else if (!out.empty())
                out.back().bytes.insert(out.back().bytes.end(), t.data.begin(), t.data.end());
        }
        return out;
    }
};

class BoardTest : public ::testing::Test {
protected:
    fs::path dir = TempFolder();
    std::string firmware = (dir / "Main.out").string();
    BoardScript script = TestScript();
    std::string scriptPath = (dir / "test.brs").string();

    void SetUp() override {
        WriteFile(firmware, {0x7F, 'b', 'o', 'a', 'r', 'd'});
        WriteFile(scriptPath, SerializeScript(script));
        Configure("processor 4\nspeed 4\nsource 0 1 " + scriptPath + "\nsource 0 0 synthetic\n");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
        ASSERT_EQ(SimCtl_Reset(), 0) << "a processor left open";
    }

    void Configure(const std::string& text) { ASSERT_EQ(SimCtl_Configure(text.c_str()), 0); }
};

TEST_F(BoardTest, BootHandshakeTimeCaptureGrabAndStop) {
    Board b;
    ASSERT_EQ(BrevixDSPGetNum(), 1);
    int type = 0;
    ASSERT_EQ(BrevixDSPGetType(0, &type), 0);
    EXPECT_EQ(type, 4);
    ASSERT_EQ(b.Boot(firmware, false), 0);
    EXPECT_LT(b.info.hostBase, 0x80000000u);
    EXPECT_EQ(uintptr_t(b.block), uintptr_t(b.info.hostBase)) << "the block is board memory";
    EXPECT_LT(uintptr_t(b.block), uintptr_t(0x80000000u));

    // Before the host's last signal the board leaves the block alone.
    Sleep(100);
    EXPECT_EQ(b.ControlWord(0), 0u);
    ASSERT_EQ(BrevixEventSignal(b.event), 0);
    ASSERT_EQ(b.Send(Cmd(kCmdBoardStart, 0, 0)), 0);

    auto request = b.Await(kMsgTimeRequest);
    ASSERT_TRUE(request);
    ASSERT_EQ(b.Send(Cmd(kCmdTime), 1234567, (*request)[2], (*request)[3]), 0);
    uint32_t time[6];
    ASSERT_GE(SimCtl_WaitCommand(0, kCmdTime, 0, 1000, time), 0);
    EXPECT_EQ(time[2], (*request)[2]);

    EXPECT_EQ(b.ControlWord(0), kStreamMagic);
    for (int sub = 0; sub < 4; ++sub) {
        uint32_t status[2];
        std::memcpy(status, b.AreaOf(sub, kStatusBlock), 8);
        EXPECT_NE(status[1], 0u) << "video present on " << sub;
    }

    // Capture on sub-channel 1: the stream header first, then the script's
    // records from its first key frame, byte for byte.
    ASSERT_EQ(b.Send(Cmd(kCmdCapture, 1, 1)), 0);
    b.Drain(700);
    ASSERT_EQ(b.Send(Cmd(kCmdCapture, 1, 0)), 0);
    b.Drain(100);
    auto records = b.Records();
    ASSERT_GT(records.size(), 20u);
    EXPECT_EQ(records[0].type, kTypeFileHead);
    EXPECT_EQ(records[0].bytes, RecordPlayer(&script, true).FileHead());
    size_t next = 0;
    while (script.records[next].type != kTypeKeyFrame)
        ++next;
    for (size_t i = 1; i < records.size() && next < script.records.size(); ++i, ++next) {
        const ScriptRecord& want = script.records[next];
        ASSERT_EQ(records[i].type, want.type) << i;
        EXPECT_EQ(records[i].sub, 1);
        EXPECT_EQ(records[i].bytes, want.bytes) << i;
        EXPECT_EQ(records[i].declared, want.type == kTypeAudio ? 1104 : int32_t(want.bytes.size()));
    }
    uint32_t pictures;
    std::memcpy(&pictures, b.AreaOf(1, kStatistics), 4);
    EXPECT_GT(pictures, 10u);

    // Grab: length word and picture, then nothing new until the host releases the buffer.
    ASSERT_EQ(b.Send(Cmd(kCmdGrab, 2)), 0);
    auto ready = b.Await(kMsgPictureReady);
    ASSERT_TRUE(ready);
    EXPECT_EQ(((*ready)[0] >> 8) & 0xFF, 2u);
    int32_t n;
    std::memcpy(&n, b.AreaOf(2, kGrabBuffer), 4);
    EXPECT_EQ(n, 352 * 288 * 3 / 2);
    ASSERT_EQ(b.Send(Cmd(kCmdGrab, 2)), 0);
    EXPECT_FALSE(b.Await(kMsgPictureReady, 300)) << "buffer still held by the host";
    ASSERT_EQ(BrevixEventSignal(b.event), 0);
    EXPECT_TRUE(b.Await(kMsgPictureReady));
    ASSERT_EQ(BrevixEventSignal(b.event), 0);

    // Board stop: answer 18, then the shared block is left alone.
    ASSERT_EQ(b.Send(Cmd(kCmdCapture, 0, 1)), 0);
    Sleep(100);
    ASSERT_EQ(b.Send(Cmd(kCmdBoardStop)), 0);
    ASSERT_TRUE(b.Await(kMsgBoardStopped));
    std::vector<uint8_t> before(b.block, b.block + kSlotsOffset);
    std::memset(b.block, 0, 56);
    Sleep(200);
    for (int i = 0; i < kSlotCount; ++i) {
        int32_t full;
        std::memcpy(&full, b.block + 4 * i, 4);
        EXPECT_EQ(full, 0) << "slot " << i << " written after stop";
    }
    b.Shutdown();
    EXPECT_EQ(SimCtl_GetRecordCount(0, 1), int(records.size()));
}

TEST_F(BoardTest, ReplaysTheFixtureScriptsByteForByte) {
    std::string fixture = dvr::testing::TestDataPath("cif_ip.brs");
    auto expected = BoardScript::Load(fixture);
    if (!expected) GTEST_SKIP() << "no fixture script " << fixture;
    Configure("processor 4\nspeed 8\nsource 0 3 " + fixture + "\n");
    Board b;
    ASSERT_EQ(b.Boot(firmware), 0);
    ASSERT_EQ(b.Send(Cmd(kCmdCapture, 3, 1)), 0);
    b.Drain(600);
    auto records = b.Records();
    ASSERT_GT(records.size(), 2u);
    size_t next = 0;
    while (expected->records[next].type != kTypeKeyFrame)
        ++next;
    for (size_t i = 1; i < records.size() && next < expected->records.size(); ++i, ++next)
        ASSERT_EQ(records[i].bytes, expected->records[next].bytes) << i;
}

// All processors share one board thread: each streams on while another stops, and the
// thread ends with the last one and comes back with the next start.
TEST_F(BoardTest, ProcessorsStreamSideBySideAndOneStopsAlone) {
    Configure("processor 4\nprocessor 4\nspeed 4\nsource 0 1 " + scriptPath + "\nsource 1 2 " +
              scriptPath + "\n");
    auto streams = [](Board& b, int sub) {
        size_t before = b.Records().size();
        if (b.DrainUntil(before + 10) < before + 10) return false;
        auto records = b.Records();
        return std::all_of(records.begin(), records.end(),
                           [&](const Record& r) { return r.sub == sub; });
    };
    {
        Board a(0), b(1);
        ASSERT_EQ(a.Boot(firmware), 0);
        ASSERT_EQ(b.Boot(firmware), 0);
        ASSERT_EQ(a.Send(Cmd(kCmdCapture, 1, 1)), 0);
        ASSERT_EQ(b.Send(Cmd(kCmdCapture, 2, 1)), 0);
        EXPECT_TRUE(streams(a, 1));
        EXPECT_TRUE(streams(b, 2));
        EXPECT_EQ(a.Records().front().type, kTypeFileHead);
        a.Shutdown();
        EXPECT_TRUE(streams(b, 2)) << "the other processor goes on";
    }
    // Both stopped: a new start is served again.
    Board again(1);
    ASSERT_EQ(again.Boot(firmware), 0);
    ASSERT_EQ(again.Send(Cmd(kCmdCapture, 2, 1)), 0);
    EXPECT_TRUE(streams(again, 2));
}

TEST_F(BoardTest, KeyFrameRequestMotionAndVideoLoss) {
    // Real time: the script's next key frame would come only after 1 s.
    Configure("processor 4\nspeed 1\nsource 0 0 synthetic\n");
    Board b;
    ASSERT_EQ(b.Boot(firmware), 0);
    ASSERT_EQ(SimCtl_SetMotion(0, 0, 5, 900), 0);
    ASSERT_EQ(SimCtl_SetVideoPresent(0, 2, 0), 0);
    ASSERT_EQ(b.Send(Cmd(kCmdCapture, 0, 1)), 0);
    ASSERT_EQ(b.Send(Cmd(kCmdMotion, 0, 1)), 0);
    b.Drain(400);
    ASSERT_EQ(b.Send(Cmd(kCmdKeyFrame, 0)), 0);
    b.Drain(300);
    auto records = b.Records();
    std::vector<uint32_t> keyNumbers;
    uint32_t lastNumber = 0, lastStamp = 0;
    bool first = true;
    for (const Record& r : records) {
        if (PicturesOf(r.type) == 0) continue;
        uint32_t number = FrameNumber(r.bytes.data()), stamp = FrameStamp(r.bytes.data());
        if (r.type == kTypeKeyFrame) keyNumbers.push_back(number);
        if (!first) {
            // The requested key frame takes the next picture's place: no number or time skipped.
            EXPECT_EQ(number, lastNumber + 1);
            EXPECT_EQ(stamp, lastStamp + 3600);
        }
        first = false;
        lastNumber = number;
        lastStamp = stamp;
    }
    ASSERT_EQ(keyNumbers.size(), 2u) << "the first picture and the requested one";
    EXPECT_GT(keyNumbers[1], 5u);
    EXPECT_LT(keyNumbers[1], 25u) << "the script's next key frame came early, in its time";

    int motions = 0;
    for (const Record& r : records) {
        if (r.type != kTypeMotion) continue;
        ++motions;
        int32_t perRow;
        std::memcpy(&perRow, &r.bytes[4], 4);
        EXPECT_EQ(perRow, 22);
        uint16_t v5, v6;
        std::memcpy(&v5, &r.bytes[16 + 2 * 5], 2);
        std::memcpy(&v6, &r.bytes[16 + 2 * 6], 2);
        EXPECT_GT(v5, 800);
        EXPECT_LT(v6, 100);
    }
    EXPECT_GE(motions, 2);

    uint32_t status[2];
    std::memcpy(status, b.AreaOf(2, kStatusBlock), 8);
    EXPECT_EQ(status[1], 0u);
    std::memcpy(status, b.AreaOf(1, kStatusBlock), 8);
    EXPECT_NE(status[1], 0u);
}

TEST_F(BoardTest, PreviewPaintsOnlyInsideTheTranslatedRange) {
    // Pictures that do not decode: the plain colour with its counter cells.
    Configure("processor 4\nsource 0 3 synthetic\n");
    Board b;
    ASSERT_EQ(b.Boot(firmware), 0);
    const uint32_t pitch = 1024 * 2, height = 100;
    std::vector<uint8_t> surface(pitch * height, 0);
    uint32_t bus = 0;
    ASSERT_EQ(BrevixTranslateAdapterAddress(surface.data(), uint32_t(surface.size()), &bus), 0);
    uint32_t other = 0;
    std::vector<uint8_t> second(4096);
    ASSERT_EQ(BrevixTranslateAdapterAddress(second.data(), 4096, &other), 0);
    EXPECT_NE(bus, other);

    // A rectangle running past the end of the surface is refused; one inside is painted.
    ASSERT_EQ(b.Send(Cmd(kCmdPreview, 3, 1), bus + 90 * pitch, pitch << 16 | 16, 64u << 16 | 20),
              0);
    Sleep(200);
    EXPECT_TRUE(std::all_of(surface.begin(), surface.end(), [](uint8_t v) { return v == 0; }));
    ASSERT_EQ(
        b.Send(Cmd(kCmdPreview, 3, 1), bus + 10 * pitch + 2 * 8, pitch << 16 | 16, 64u << 16 | 20),
        0);
    Sleep(200);
    auto pixel = [&](int x, int y) {
        uint16_t v;
        std::memcpy(&v, &surface[size_t(y) * pitch + 2 * size_t(x)], 2);
        return v;
    };
    EXPECT_NE(pixel(8 + 30, 10 + 15), 0) << "inside painted";
    EXPECT_EQ(pixel(7, 10 + 15), 0);
    EXPECT_EQ(pixel(8 + 64, 10 + 15), 0);
    EXPECT_EQ(pixel(8 + 30, 9), 0);
    EXPECT_EQ(pixel(8 + 30, 30), 0);
    std::vector<uint8_t> bar(surface.begin() + 10 * pitch, surface.begin() + 11 * pitch);
    Sleep(200);
    EXPECT_NE(bar, std::vector<uint8_t>(surface.begin() + 10 * pitch, surface.begin() + 11 * pitch))
        << "the counter moves";
    ASSERT_EQ(b.Send(Cmd(kCmdPreview, 3, 0)), 0);
    Sleep(100);
}

TEST_F(BoardTest, BootStepFailures) {
    const int steps[] = {SIMCTL_OP_OPEN,           SIMCTL_OP_GET_STATUS,
                         SIMCTL_OP_GET_INFO,       SIMCTL_OP_LOAD,
                         SIMCTL_OP_EVENT_CREATE,   SIMCTL_OP_START,
                         SIMCTL_OP_MESSAGE_CREATE, SIMCTL_OP_SHARED_MEMORY_CREATE};
    for (int op : steps) {
        ASSERT_EQ(SimCtl_FailOperation(0, op, 1), 0);
        {
            Board b;
            EXPECT_EQ(b.Boot(firmware), op);
        }
        Board again;
        EXPECT_EQ(again.Boot(firmware), 0) << "a failure counts down: " << op;
    }
    Board b;
    EXPECT_EQ(b.Boot((dir / "missing.out").string()), SIMCTL_OP_LOAD);
}

TEST_F(BoardTest, MissingHandshakeSignalsAndOneWayEvents) {
    for (int missing : {1, 2}) {
        ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_SKIP_SIGNAL, missing), 0);
        Board b;
        EXPECT_EQ(b.Boot(firmware), -missing);
        // The host's own signal never sets its own event.
        if (missing == 2) {
            EXPECT_EQ(WaitForSingleObject(b.reply.get(), 300), DWORD(WAIT_TIMEOUT));
        }
    }
}

TEST_F(BoardTest, ProcessorLeftRunningMustBeStoppedBeforeLoading) {
    Configure("processor 4 status 2\nprocessor 1\n");
    BrevixDsp dsp{};
    ASSERT_EQ(BrevixDSPOpen(0, &dsp), 0);
    int status = 0;
    ASSERT_EQ(BrevixDSPGetStatus(dsp, &status), 0);
    EXPECT_EQ(status, BREVIX_STATUS_RUNNING);
    EXPECT_NE(BrevixDSPLoad(dsp, BREVIX_LOAD_ALL, firmware.c_str()), 0);
    EXPECT_NE(BrevixDSPStart(dsp), 0);
    ASSERT_EQ(BrevixDSPStop(dsp), 0);
    ASSERT_EQ(BrevixDSPGetStatus(dsp, &status), 0);
    EXPECT_EQ(status, BREVIX_STATUS_RESET);
    EXPECT_EQ(BrevixDSPLoad(dsp, BREVIX_LOAD_ALL, firmware.c_str()), 0);
    EXPECT_EQ(BrevixDSPClose(dsp), 0);
    EXPECT_NE(BrevixDSPGetStatus(dsp, &status), 0) << "a closed handle is refused";

    int type = 0;
    EXPECT_EQ(BrevixDSPGetNum(), 2);
    EXPECT_EQ(BrevixDSPGetType(1, &type), 0);
    EXPECT_EQ(type, 1);
    EXPECT_NE(BrevixDSPGetType(2, &type), 0);
}

TEST_F(BoardTest, OddBoardsAreConfigurable) {
    std::string many;
    for (int i = 0; i < 17; ++i)
        many += "processor " + std::string(i == 3 ? "2" : "4") + "\n";
    Configure(many);
    EXPECT_EQ(BrevixDSPGetNum(), 17);
    int type = 0;
    EXPECT_EQ(BrevixDSPGetType(3, &type), 0);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(BrevixDSPGetType(16, &type), 0);
}

TEST_F(BoardTest, BusyChannelAndCommandLog) {
    Board b;
    ASSERT_EQ(b.Boot(firmware), 0);
    ASSERT_EQ(SimCtl_ClearCommandLog(0), 0);
    int start = SimCtl_GetCommandCount(0);
    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_BUSY, 3), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(b.Send(Cmd(kCmdEncoder, 1, 1), 500000), BREVIX_BUSY);
    EXPECT_EQ(b.Send(Cmd(kCmdEncoder, 1, 1), 500000, 0x04040664), 0);
    ASSERT_EQ(SimCtl_GetCommandCount(0), start + 1) << "busy answers are not received";
    uint32_t w[6];
    ASSERT_EQ(SimCtl_GetCommand(0, start, w), 0);
    EXPECT_EQ(w[0], Cmd(kCmdEncoder, 1, 1));
    EXPECT_EQ(w[2], 0x04040664u);
    EXPECT_NE(SimCtl_GetCommand(0, start + 1, w), 0);
    EXPECT_EQ(SimCtl_WaitCommand(0, kCmdGrab, start, 50, nullptr), -1);

    // Once the board has carried out a capture start, its stream header is delivered.
    const int before = SimCtl_GetRecordCount(0, 2);
    ASSERT_EQ(b.Send(Cmd(kCmdCapture, 2, 1)), 0);
    ASSERT_EQ(SimCtl_WaitCommandsObeyed(0, 30000), 0);
    EXPECT_GT(SimCtl_GetRecordCount(0, 2), before);
    ASSERT_EQ(b.Send(Cmd(kCmdCapture, 2, 0)), 0);
    ASSERT_EQ(SimCtl_WaitCommandsObeyed(0, 30000), 0);

    // Board messages on request; the host only has to take them.
    for (uint32_t code : {35u, 36u, 37u}) {
        uint32_t m[6] = {code << 16 | 1, 0, 0, 0, 0, 0};
        ASSERT_EQ(SimCtl_SendBoardMessage(0, m), 0);
        EXPECT_TRUE(b.Await(code));
    }
    int calls = SimCtl_GetCallCount();
    int op = 0, proc = 0;
    ASSERT_EQ(SimCtl_GetCall(calls - 1, &op, &proc), 0);
    EXPECT_EQ(op, SIMCTL_OP_MESSAGE_RECEIVE);
    EXPECT_EQ(proc, 0);
}

TEST_F(BoardTest, ControlBlockAndGrabFaults) {
    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_NO_MAGIC, 1), 0);
    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_GRAB_SIZE, 900000), 0);
    Board b;
    ASSERT_EQ(b.Boot(firmware), 0);
    ASSERT_TRUE(b.Await(kMsgTimeRequest));
    EXPECT_EQ(b.ControlWord(0), 0u);
    EXPECT_NE(b.ControlWord(12), 0u) << "areas are there, only the magic is missing";
    ASSERT_EQ(b.Send(Cmd(kCmdGrab, 0)), 0);
    ASSERT_TRUE(b.Await(kMsgPictureReady));
    int32_t n;
    std::memcpy(&n, b.AreaOf(0, kGrabBuffer), 4);
    EXPECT_EQ(n, 900000);
    ASSERT_EQ(BrevixEventSignal(b.event), 0);

    ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_GRAB_SILENT, 1), 0);
    ASSERT_EQ(b.Send(Cmd(kCmdGrab, 1)), 0);
    EXPECT_FALSE(b.Await(kMsgPictureReady, 300));
}

TEST_F(BoardTest, MalformedSlotsReachTheBlock) {
    Board b;
    ASSERT_EQ(b.Boot(firmware), 0);
    struct Case {
        int kind;
        bool (*check)(const TakenSlot&);
    } cases[] = {
        {SIMCTL_SLOTS_SHORT_COUNT, [](const TakenSlot& t) { return t.byteCount < 16; }},
        {SIMCTL_SLOTS_LONG_COUNT, [](const TakenSlot& t) { return t.byteCount > 4096; }},
        {SIMCTL_SLOTS_BAD_SUBCHANNEL, [](const TakenSlot& t) { return t.data[14] == 4; }},
    };
    for (const Case& c : cases) {
        b.slots.clear();
        ASSERT_EQ(SimCtl_InjectSlots(0, c.kind), 0);
        b.Drain(100);
        ASSERT_EQ(b.slots.size(), 1u) << c.kind;
        EXPECT_TRUE(c.check(b.slots[0])) << c.kind;
    }
    uint8_t raw[20] = {1, 2, 3};
    b.slots.clear();
    ASSERT_EQ(SimCtl_InjectRawSlot(0, raw, sizeof raw, -7), 0);
    b.Drain(100);
    ASSERT_EQ(b.slots.size(), 1u);
    EXPECT_EQ(b.slots[0].byteCount, -7);
    EXPECT_NE(SimCtl_InjectSlots(0, 0), 0);
}

TEST_F(BoardTest, HostCallsOnTheRunTimeChannel) {
    BrevixDsp dsp{};
    ASSERT_EQ(BrevixDSPOpen(0, &dsp), 0);
    dvr::win::Event arrival{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    BrevixMessage rt{};
    ASSERT_EQ(BrevixMessageCreate(dsp, "CRunTime", arrival.get(), BREVIX_NOTIFY_WIN_EVENT, &rt), 0);
    BrevixMessage dup{};
    EXPECT_NE(BrevixMessageCreate(dsp, "CRunTime", arrival.get(), BREVIX_NOTIFY_WIN_EVENT, &dup),
              0);
    SimCtlBoardMemory mem{};
    ASSERT_EQ(SimCtl_GetBoardMemory(0, &mem), 0);
    uint32_t record = mem.programArea;
    uint8_t* host = static_cast<uint8_t*>(mem.host) + (record - mem.boardBase);
    uint32_t code = 11;
    std::memcpy(host + 12, &code, 4);

    // A server that answers one call, writing a result into the record.
    std::thread server([&] {
        ASSERT_EQ(WaitForSingleObject(arrival.get(), 2000), WAIT_OBJECT_0);
        uint32_t m[6];
        ASSERT_EQ(BrevixMessageReceive(rt, m), 0);
        uint8_t* rec = static_cast<uint8_t*>(mem.host) + (m[0] - mem.boardBase);
        uint32_t result = 42;
        std::memcpy(rec + 56, &result, 4);
        ASSERT_EQ(BrevixMessageSend(rt, m), 0);
    });
    uint32_t msg[6] = {record, 1, 2, 3, 4, 5}, reply[6] = {};
    EXPECT_EQ(SimCtl_HostCall(0, msg, reply, 2000), 0);
    server.join();
    EXPECT_EQ(std::memcmp(msg, reply, sizeof msg), 0);
    uint32_t result;
    std::memcpy(&result, host + 56, 4);
    EXPECT_EQ(result, 42u);

    // An exit call gets no reply.
    EXPECT_EQ(SimCtl_HostCall(0, msg, reply, 200), BREVIX_NO_MESSAGE);
    ASSERT_EQ(BrevixMessageReceive(rt, reply), 0);
    EXPECT_NE(BrevixMessageReceive(rt, reply), 0);
    EXPECT_EQ(BrevixMessageDestroy(rt), 0);

    // A channel left behind at close is gone after the next configuration.
    BrevixMessage left{};
    ASSERT_EQ(BrevixMessageCreate(dsp, "CRunTime", arrival.get(), BREVIX_NOTIFY_WIN_EVENT, &left),
              0);
    EXPECT_EQ(BrevixDSPClose(dsp), 0);
    Configure("processor 1\n");
    EXPECT_EQ(BrevixMessageReceive(left, reply), BREVIX_BAD_ARGUMENT);
    EXPECT_EQ(BrevixMessageDestroy(left), BREVIX_BAD_ARGUMENT);
}

} // namespace
} // namespace sim
