// 49 channels recording at a camera's pace, each into its own file, with and without the
// recording engine's durability work: every open file flushed to disk once a second (a
// duplicate of its handle flushed off the writers' path, as the engine's flush thread does)
// and a flush before every close at a file cut. Reports the time a flush pass over the 49
// files takes, the time one flush-and-close at a cut takes, the process's CPU time per
// second, and the slowest single write (a flush must not hold the writers up).
// Not a test: it prints what it measured.
//   recording_flush_bench.exe [FOLDER] [KBITS per channel, default 2048] [SECONDS, default 20]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kChannels = 49;
constexpr int kRecordsPerSecond = 25;

double Now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(freq.QuadPart);
}

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto s = [](FILETIME f) {
        return double((uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
    };
    return s(kernel) + s(user);
}

struct Channel {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::mutex lock; // the slot lock: writes and switches
    int cuts = 0;
};

struct Result {
    double cpuPerSecond = 0, worstWriteMs = 0, bytesPerSecond = 0;
    std::vector<double> passMs, cutMs;
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
double Max(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

HANDLE OpenRecording(const std::string& folder, int channel, int cut) {
    const std::string name =
        folder + "\\flush_bench_" + std::to_string(channel) + "_" + std::to_string(cut) + ".mpg";
    return ::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

Result Run(const std::string& folder, int kbits, int seconds, bool durable) {
    std::vector<Channel> channels(kChannels);
    for (int c = 0; c < kChannels; ++c)
        channels[size_t(c)].file = OpenRecording(folder, c, 0);
    const size_t recordSize = size_t(kbits) * 1000 / 8 / kRecordsPerSecond;
    std::vector<char> record(recordSize, 0x5A);
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> written{0};
    std::mutex resultLock;
    Result result;

    // Four writer threads, as the board's stream callback threads deliver channels in turn.
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w)
        writers.emplace_back([&, w] {
            double worst = 0;
            const double start = Now();
            for (int tick = 0; !stop; ++tick) {
                for (int c = w; c < kChannels; c += 4) {
                    Channel& ch = channels[size_t(c)];
                    std::lock_guard guard(ch.lock);
                    const double t0 = Now();
                    DWORD put = 0;
                    ::WriteFile(ch.file, record.data(), DWORD(record.size()), &put, nullptr);
                    worst = std::max(worst, Now() - t0);
                    written += put;
                }
                const double due = start + double(tick + 1) / kRecordsPerSecond;
                const double wait = due - Now();
                if (wait > 0) ::Sleep(DWORD(wait * 1000));
            }
            std::lock_guard guard(resultLock);
            result.worstWriteMs = std::max(result.worstWriteMs, worst * 1000);
        });

    // The flush thread: once a second, every open file through a duplicate of its handle.
    std::thread flusher;
    if (durable)
        flusher = std::thread([&] {
            while (!stop) {
                ::Sleep(1000);
                const double t0 = Now();
                for (Channel& ch : channels) {
                    HANDLE copy = nullptr;
                    {
                        std::lock_guard guard(ch.lock);
                        ::DuplicateHandle(::GetCurrentProcess(), ch.file, ::GetCurrentProcess(),
                                          &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
                    }
                    if (!copy) continue;
                    ::FlushFileBuffers(copy);
                    ::CloseHandle(copy);
                }
                std::lock_guard guard(resultLock);
                result.passMs.push_back((Now() - t0) * 1000);
            }
        });

    // File cuts: every 2 s one channel in turn switches to a new file (in the host a channel
    // switches every 30 minutes; here often enough to measure the cut).
    const double cpu0 = ProcessCpuSeconds(), wall0 = Now();
    for (int s = 0; s < seconds * 2; ++s) {
        ::Sleep(500);
        if (s % 4 != 3) continue;
        Channel& ch = channels[size_t((s / 4) % kChannels)];
        HANDLE next = OpenRecording(folder, int(&ch - channels.data()), ++ch.cuts);
        HANDLE old = nullptr;
        {
            std::lock_guard guard(ch.lock);
            old = ch.file;
            ch.file = next;
        }
        const double t0 = Now();
        if (durable) ::FlushFileBuffers(old);
        ::CloseHandle(old);
        result.cutMs.push_back((Now() - t0) * 1000);
    }
    stop = true;
    for (std::thread& t : writers)
        t.join();
    if (flusher.joinable()) flusher.join();
    const double wall = Now() - wall0;
    result.cpuPerSecond = (ProcessCpuSeconds() - cpu0) / wall;
    result.bytesPerSecond = double(written) / wall;
    for (Channel& ch : channels)
        ::CloseHandle(ch.file);
    for (int c = 0; c < kChannels; ++c)
        for (int cut = 0; cut <= channels[size_t(c)].cuts; ++cut) {
            const std::string name = folder + "\\flush_bench_" + std::to_string(c) + "_" +
                                     std::to_string(cut) + ".mpg";
            ::DeleteFileA(name.c_str());
        }
    return result;
}

void Print(const char* what, const Result& r) {
    std::printf("%-22s %7.1f MB/s written  CPU %.3f s/s  flush pass median %.1f ms, max %.1f ms "
                "(%zu passes)  cut median %.2f ms, max %.2f ms  slowest write %.2f ms\n",
                what, r.bytesPerSecond / 1e6, r.cpuPerSecond, Median(r.passMs), Max(r.passMs),
                r.passMs.size(), Median(r.cutMs), Max(r.cutMs), r.worstWriteMs);
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    const int kbits = argc > 2 ? std::atoi(argv[2]) : 2048;
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 20;
    std::printf("%d channels, %d kbit/s each, %d s per case, files in %s\n", kChannels, kbits,
                seconds, folder.c_str());
    // Alternating, so that a change of the machine's load hits both cases alike.
    for (int turn = 0; turn < 2; ++turn) {
        Print("without flushing", Run(folder, kbits, seconds, false));
        Print("flush 1/s and at cuts", Run(folder, kbits, seconds, true));
    }
    return 0;
}
