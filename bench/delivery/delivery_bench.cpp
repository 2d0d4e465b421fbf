// CPU cost of delivering records from the board's shared slots to the host: the slot
// walk and intake (with audio re-encoding) and the host's one-record reads, for five
// channels at 25 pictures per second (four on one processor, one on another), replaying
// the fixture scripts. Reports nanoseconds per record and CPU milliseconds per second of
// stream. The stand-in's slot writing is not counted. Run from a Release tree without
// sanitizers; fixtures from DVR_TEST_DATA or build/testdata.
#include "common/testing/testdata.h"
#include "sdk/dorsk/stream_intake.h"
#include "sim/brevix32/board_script.h"
#include "sim/brevix32/slot_stream.h"

#include <chrono>
#include <ctime>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

using namespace dvr::dorsk;
using Clock = std::chrono::steady_clock;

constexpr int kChannels = 5;
constexpr const char* kScripts[kChannels] = {"cif_ip.brs", "cif_ipb1.brs", "cif_ipb2.brs",
                                             "cif_ip.brs", "d1_ip.brs"};
constexpr int kStreamSeconds = 60;

class Rings final : public StreamIntakeHost {
public:
    Rings() {
        for (int i = 0; i < kChannels; ++i) {
            buffers[i] = std::make_unique<uint8_t[]>(kRingSize);
            stagings[i] = std::make_unique<uint8_t[]>(kStagingSize);
            state[i].buffer = buffers[i].get();
            state[i].staging = stagings[i].get();
            dvr::AdpcmInitState(state[i].adpcm);
        }
    }
    StreamRingState* LockRing(int ch) override { return &state[ch]; }
    void UnlockRing(int) override {}
    void CountRecord(int, uint16_t) override {}
    void RecordCompleted(int) override {}

    std::unique_ptr<uint8_t[]> buffers[kChannels];
    std::unique_ptr<uint8_t[]> stagings[kChannels];
    StreamRingState state[kChannels];
};

struct Processor {
    std::vector<int32_t> block = std::vector<int32_t>(60000 / 4);
    sim::SlotWriter writer;
    ProcessorIntake intake;
    uint8_t* Block() { return reinterpret_cast<uint8_t*>(block.data()); }
};

} // namespace

int main() {
    std::optional<sim::BoardScript> scripts[kChannels];
    for (int ch = 0; ch < kChannels; ++ch) {
        std::string path = dvr::testing::TestDataPath(kScripts[ch]);
        scripts[ch] = sim::BoardScript::Load(path);
        if (!scripts[ch]) {
            std::fprintf(stderr, "missing fixture %s\n", path.c_str());
            return 1;
        }
    }
    Processor processors[2];
    processors[0].intake.type = 4;
    processors[1].intake.type = 1;
    for (int ch = 0; ch < kChannels; ++ch)
        processors[ch / 4].intake.channels[ch % 4] = ch;

    // The records of kStreamSeconds of board time, in board order per processor, as the
    // firmware would cut them into slots.
    std::vector<sim::SlotSequence> sequences[2];
    size_t records = 0;
    {
        std::vector<std::unique_ptr<sim::RecordPlayer>> players;
        for (int ch = 0; ch < kChannels; ++ch) {
            players.push_back(std::make_unique<sim::RecordPlayer>(&*scripts[ch], true));
            players.back()->JumpToKeyFrame(0);
            sequences[ch / 4].push_back(
                sim::SlotsForRecord(kFrameFileHead, ch % 4, players.back()->FileHead()));
            ++records;
        }
        sim::ScriptRecord r;
        for (int64_t ms = 0; ms < kStreamSeconds * 1000; ms += 40)
            for (int ch = 0; ch < kChannels; ++ch)
                while (players[size_t(ch)]->Next(ms, r)) {
                    sequences[ch / 4].push_back(sim::SlotsForRecord(r.type, ch % 4, r.bytes));
                    ++records;
                }
    }

    Rings rings;
    std::vector<uint8_t> host_buffer(kHostReadBufferSize);
    size_t next[2] = {0, 0};
    size_t read = 0;
    Clock::duration spent{};
    auto cpu_start = std::clock();
    double pump_cpu = 0;
    for (;;) {
        bool more = false;
        for (int p = 0; p < 2; ++p) {
            Processor& proc = processors[p];
            auto pump_start = std::clock();
            while (next[p] < sequences[p].size() && proc.writer.QueuedSequences() < 64)
                proc.writer.Enqueue(sequences[p][next[p]++]);
            proc.writer.Pump(proc.Block());
            pump_cpu += double(std::clock() - pump_start);
            more = more || next[p] < sequences[p].size() || proc.writer.QueuedSequences() > 0;

            auto start = Clock::now();
            WalkSlots(proc.Block(), proc.intake, rings);
            for (int ch = 0; ch < kChannels; ++ch) {
                RingRecordHeader head;
                while (ReadRecord(rings.state[ch], host_buffer.data(), kHostReadBufferSize, head) ==
                       ReadAnswer::Read)
                    ++read;
            }
            spent += Clock::now() - start;
        }
        if (!more) break;
    }
    double cpu_ms = (double(std::clock() - cpu_start) - pump_cpu) * 1000.0 / CLOCKS_PER_SEC;
    double wall_ms = std::chrono::duration<double, std::milli>(spent).count();
    if (read != records) {
        std::fprintf(stderr, "delivered %zu of %zu records\n", read, records);
        return 1;
    }
    std::printf("delivery: %d channels, %d s of stream, %zu records\n", kChannels, kStreamSeconds,
                records);
    std::printf("  %.0f ns per record, %.2f ms per second of stream (CPU %.2f ms/s)\n",
                wall_ms * 1e6 / double(records), wall_ms / kStreamSeconds, cpu_ms / kStreamSeconds);
    return 0;
}
