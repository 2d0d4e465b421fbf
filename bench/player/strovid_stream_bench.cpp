// Sixteen live channels on the shared stream thread, as the host's network client plays
// them: each port is fed the records of a D1 recording at 25 pictures a second and shows
// them in its own window. Reports pictures fed and shown per port (every record of the
// recording is a key or P picture, so each one not shown is a dropped P picture) and the
// process's CPU time per port-second. Not a test: it prints what it measured.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/testing/testdata.h"
#include "player/format/stream_parser.h"
#include "player/format/test_records.h"
#include "player/lib/frame_queue.h"
#include "player/lib/play_port.h"
#include "player/lib/stream_rules.h"

namespace {

using namespace dvr::strovid;
using dvr::kDecoderInputSize;
using dvr::StreamParser;

constexpr int kPorts = 16;
constexpr int kSeconds = 20;
constexpr int kPicturesPerSecond = 25;

std::atomic<int> Shown[kPorts];

void CALLBACK CountShown(int port, const uint8_t*, int, int, int, uint32_t, int, int) {
    if (port >= 0 && port < kPorts) ++Shown[port];
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> b;
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    if (f == INVALID_HANDLE_VALUE) return b;
    b.resize(::GetFileSize(f, nullptr));
    DWORD got = 0;
    ::ReadFile(f, b.data(), static_cast<DWORD>(b.size()), &got, nullptr);
    ::CloseHandle(f);
    b.resize(got);
    return b;
}

// The recording's video records, each whole as a stream carries it.
std::vector<std::vector<uint8_t>> VideoRecords(const std::vector<uint8_t>& all) {
    FrameQueue queue(1 << 30, 0);
    QueueSink sink(&queue, nullptr);
    StreamParser parser(false);
    parser.Input(all.data() + 19, all.size() - 19, sink);
    std::vector<std::vector<uint8_t>> out;
    std::vector<uint8_t> payload(kDecoderInputSize);
    uint8_t type = 0;
    uint32_t ts = 0;
    int count = 0;
    while (uint32_t n = queue.Pop(payload.data(), payload.size(), &type, &ts, &count, true)) {
        std::vector<uint8_t> rec = dvr::testing::MakeFrameHead(type, 0, ts, n);
        rec.insert(rec.end(), payload.begin(), payload.begin() + n);
        out.push_back(std::move(rec));
    }
    return out;
}

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto secs = [](const FILETIME& t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
    };
    return secs(kernel) + secs(user);
}

} // namespace

int main(int argc, char** argv) {
    LoadLibraryState();
    // "hidden": the same without drawing, to tell the decoding from the display.
    const bool hidden = argc > 1 && std::strcmp(argv[1], "hidden") == 0;
    // "surface": DirectDraw surfaces even where the display does not report every
    // capability (as under Wine), instead of DrawDib.
    if (argc > 1 && std::strcmp(argv[1], "surface") == 0 && SetUpDirectDraw())
        DirectDrawPathAllowed = 1;
    const std::vector<uint8_t> all = ReadAll(dvr::testing::TestDataPath("d1_ip.MPG"));
    if (all.size() < 19) {
        std::printf("no d1_ip.MPG in the fixtures\n");
        return 1;
    }
    const auto records = VideoRecords(all);
    std::vector<HWND> windows;
    for (int p = 0; p < kPorts; ++p) {
        HWND w = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | (hidden ? 0 : WS_VISIBLE),
                                   (p % 4) * 180, (p / 4) * 148, 176, 144, nullptr, nullptr,
                                   nullptr, nullptr);
        windows.push_back(w);
        RE4Ravi_SetStreamOpenMode(p, 0);
        if (RE4Ravi_OpenStream(p, all.data(), 19, 1024000) != 1 ||
            RE4Ravi_SetDisplayCallBack(p, &CountShown) != 1 || RE4Ravi_Play(p, w) != 1) {
            std::printf("port %d did not start\n", p);
            return 1;
        }
    }
    const double cpuStart = CpuSeconds();
    const DWORD start = ::GetTickCount();
    const int total = kSeconds * kPicturesPerSecond;
    // Pictures shown by all ports at the end of each second, and the feeding's worst lateness:
    // a stall shows as a flat stretch of the timeline (or as lateness when it was the feeder's).
    std::vector<int> timeline;
    int latestMs = 0;
    for (int i = 0; i < total; ++i) {
        // Each record at its own 40 ms mark, the recording looped.
        const DWORD due = start + static_cast<DWORD>(i) * 1000 / kPicturesPerSecond;
        const DWORD now = ::GetTickCount();
        if (static_cast<int32_t>(due - now) > 0) ::Sleep(due - now);
        latestMs = std::max(latestMs, static_cast<int>(::GetTickCount() - due));
        if (i % kPicturesPerSecond == 0) {
            int shown = 0;
            for (const auto& s : Shown)
                shown += s.load();
            timeline.push_back(shown);
        }
        const auto& rec = records[static_cast<size_t>(i) % records.size()];
        for (int p = 0; p < kPorts; ++p)
            RE4Ravi_InputData(p, rec.data(), static_cast<unsigned>(rec.size()));
    }
    // What is queued yet is played before counting.
    for (int t = 0; t < 200; ++t) {
        bool empty = true;
        for (int p = 0; p < kPorts; ++p)
            empty &= RE4Ravi_GetSourceBufferRemain(p) == 0;
        if (empty) break;
        ::Sleep(10);
    }
    ::Sleep(100);
    const double seconds = (::GetTickCount() - start) / 1000.0;
    const double cpu = CpuSeconds() - cpuStart;
    int dropped = 0;
    for (int p = 0; p < kPorts; ++p) {
        dropped += total - Shown[p].load();
        RE4Ravi_CloseStream(p);
        ::DestroyWindow(windows[static_cast<size_t>(p)]);
    }
    std::printf("%d D1 channels, %d pictures fed each over %.1f s\n", kPorts, total, seconds);
    std::printf("P pictures not shown: %d of %d\n", dropped, kPorts * total);
    std::printf("CPU: %.2f s, %.1f ms per port-second\n", cpu, cpu * 1000.0 / (kPorts * seconds));
    std::printf("feeding at most %d ms late; pictures shown by the end of each second:", latestMs);
    for (size_t t = 1; t < timeline.size(); ++t)
        std::printf(" %d", timeline[t] - timeline[t - 1]);
    std::printf("\n");
    return dropped == 0 ? 0 : 2;
}
