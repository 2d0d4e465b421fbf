// Recording and viewing while peers flood the host: four live ports fed at 25 records a
// second each (as the board's stream callback does, through the fan-out), one admitted viewer
// on channel 0, and then, phase by phase, thousands of silent connections, thousands of
// connect-and-drop peers and a flood of datagrams on the UDP message port. For each phase it
// reports the records the channels got out against their rate, the bytes the real viewer
// received, the connections still held, and the process's threads and sockets; at the end,
// how long the host took to return to its idle count.
//   live_flood_bench.exe [peers per phase, default 2000]
#include "host/net/T_ThreadFreeTCPMainConnecter.h"
#include "host/net/U_TCPMainServer.h"
#include "host/net/U_UDPMessageServer.h"
#include "host/net/live_testing.h"
#include "host/net/udp_testing.h"
#include "host/net/udp_win_testing.h"

#include <tlhelp32.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace vantrel;
using Clock = std::chrono::steady_clock;

constexpr int kChannels = 4;
constexpr int kRecordsPerSecond = 25;
constexpr int kRecordBytes = 6000;

int ThreadCount() {
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 e{};
    e.dwSize = sizeof e;
    int n = 0;
    const DWORD self = ::GetCurrentProcessId();
    for (BOOL ok = ::Thread32First(snap, &e); ok; ok = ::Thread32Next(snap, &e))
        if (e.th32OwnerProcessID == self) ++n;
    ::CloseHandle(snap);
    return n;
}

// Open sockets of the process's own (the count of handles is not kept everywhere): the
// highest socket handle value that still answers getsockopt, counted.
int SocketCount() {
    int n = 0;
    for (uintptr_t h = 4; h < 200000; h += 4) {
        int type = 0, length = sizeof type;
        if (::getsockopt(SOCKET(h), SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type),
                         &length) == 0)
            ++n;
    }
    return n;
}

int HeldViewers(TLiveServers& servers) {
    int n = 0;
    for (int ch = 0; ch < kChannels; ++ch)
        if (TTCPMainConnecter* list = servers.Viewers(ch))
            for (TTCPConnecter* v = list->Head.load(); v; v = v->Next.load())
                ++n;
    return n;
}

// The board's stream callback: a record per channel every 40 ms, counted when the fan-out
// has taken it (a slow fan-out holds the callback and the recording behind it).
struct Recorder {
    TLiveServers& servers;
    std::atomic<bool> stop{false};
    std::atomic<long long> delivered{0};
    std::thread thread;
    explicit Recorder(TLiveServers& s) : servers(s) {
        thread = std::thread([this] {
            std::vector<uint8_t> record(kRecordBytes, 0x5A);
            record[0] = 0;
            record[1] = 0;
            record[2] = 1;
            record[3] = 0xC7;
            auto next = Clock::now();
            const auto period = std::chrono::microseconds(1000000 / kRecordsPerSecond);
            for (long long n = 0; !stop; ++n) {
                next += period;
                // A key frame a second, as the board's encoder gives.
                const uint8_t type = n % kRecordsPerSecond == 0 ? kFrameTypeKey : 2;
                for (int ch = 0; ch < kChannels; ++ch) {
                    record[4] = type;
                    servers.FanOutFrame(ch, type, record.data(), int(record.size()));
                    ++delivered;
                }
                std::this_thread::sleep_until(next);
            }
        });
    }
    ~Recorder() {
        stop = true;
        thread.join();
    }
};

// The admitted viewer, reading on its own thread.
struct Viewer {
    std::unique_ptr<testing::TestViewer> socket;
    std::atomic<long long> bytes{0};
    std::atomic<bool> stop{false};
    std::thread thread;
    explicit Viewer(int port) : socket(std::make_unique<testing::TestViewer>(port)) {
        socket->SendRequest(0);
        thread = std::thread([this] {
            while (!stop) {
                const auto got = socket->Read(65536, 200);
                bytes += static_cast<long long>(got.size());
                if (socket->PeerClosed()) return;
            }
        });
    }
    ~Viewer() {
        stop = true;
        thread.join();
    }
};

void Pump(Clock::duration d) {
    const auto end = Clock::now() + d;
    while (Clock::now() < end) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::Sleep(5);
    }
}

struct Phase {
    const char* name;
    std::function<void()> start;
    std::function<void()> end;
};

} // namespace

int main(int argc, char** argv) {
    const int peers = argc > 1 ? std::atoi(argv[1]) : 2000;
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    testing::FakeLiveHost host;
    host.Channels = kChannels;
    TLiveServers servers(host);
    int base = 0;
    for (int b = 31000; b < 40000 && !base; b += 10)
        if (servers.StartLiveServers(b, kChannels)) base = b;
        else servers.StopAll();
    if (!base) {
        std::printf("no free live ports\n");
        return 1;
    }
    TThreadFreeTCPMainConnecter sweeper(servers);
    testing::FakeUdpHost udpHost;
    udpHost.users = {testing::RemoteUser("op", "pw")};
    TUDPMessageServer udp(udpHost, 0);

    const int idleThreads = ThreadCount(), idleSockets = SocketCount();
    Recorder recorder(servers);
    Viewer viewer(base);
    Pump(std::chrono::seconds(2));
    std::printf("peers per phase %d; idle: %d threads, %d sockets\n", peers, idleThreads,
                idleSockets);
    std::printf("%-22s %10s %12s %8s %8s %8s\n", "phase", "records %", "viewer KB/s", "held",
                "threads", "sockets");

    std::vector<std::unique_ptr<testing::TestViewer>> silent;
    std::atomic<bool> churning{false}, flooding{false};
    std::thread churn, flood;
    const Phase phases[] = {
        {"quiet", [] {}, [] {}},
        {"silent connections",
         [&] {
             for (int i = 0; i < peers; ++i)
                 silent.push_back(std::make_unique<testing::TestViewer>(base + i % kChannels));
         },
         [&] { silent.clear(); }},
        {"connect and drop",
         [&] {
             churning = true;
             churn = std::thread([&] {
                 for (int i = 0; i < peers && churning; ++i)
                     testing::TestViewer drop(base + i % kChannels);
             });
         },
         [&] {
             churning = false;
             churn.join();
         }},
        {"udp flood",
         [&] {
             flooding = true;
             flood = std::thread([&] {
                 testing::Peer sender;
                 const auto q = MakeStateQuery();
                 for (int i = 0; i < peers * 10 && flooding; ++i)
                     sender.Send(q, udp.Port());
             });
         },
         [&] {
             flooding = false;
             flood.join();
         }},
    };
    for (const Phase& p : phases) {
        const long long records0 = recorder.delivered, bytes0 = viewer.bytes;
        const auto t0 = Clock::now();
        p.start();
        Pump(std::chrono::seconds(5));
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        const double rate = double(recorder.delivered - records0) /
                            (seconds * kChannels * kRecordsPerSecond) * 100.0;
        std::printf("%-22s %10.1f %12.1f %8d %8d %8d\n", p.name, rate,
                    double(viewer.bytes - bytes0) / 1024.0 / seconds, HeldViewers(servers),
                    ThreadCount(), SocketCount());
        p.end();
    }
    // The peers have left: the time until only the real viewer is held again.
    const auto t0 = Clock::now();
    while (HeldViewers(servers) > 1 && Clock::now() - t0 < std::chrono::seconds(30))
        Pump(std::chrono::milliseconds(50));
    std::printf("peers gone: %d held after %.2f s; %d threads, %d sockets\n",
                HeldViewers(servers),
                std::chrono::duration<double>(Clock::now() - t0).count(), ThreadCount(),
                SocketCount());
    const long long bytes0 = viewer.bytes;
    Pump(std::chrono::seconds(3));
    std::printf("the viewer afterwards: %.1f KB/s%s\n", double(viewer.bytes - bytes0) / 1024.0 / 3,
                viewer.socket->PeerClosed() ? ", closed" : "");
    return 0;
}
