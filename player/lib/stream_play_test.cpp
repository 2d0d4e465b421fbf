// Stream ports played through the exported calls as a program plays them, the races
// between the controls and the threads, the sound of file ports and the orientation of
// the pictures in the window.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "player/decoder/decoder.h"
#include "player/lib/play_port.h"
#include "player/lib/sound.h"
#include "player/lib/stream_mode.h"
#include "player/lib/stream_test_support.h"

namespace dvr::strovid {
namespace {

using namespace test_support;
using dvr::testing::Append;

constexpr int kPort = 7;

int ThreadCount() {
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 e{};
    e.dwSize = sizeof e;
    int n = 0;
    const DWORD me = ::GetCurrentProcessId();
    for (BOOL ok = ::Thread32First(snap, &e); ok; ok = ::Thread32Next(snap, &e))
        if (e.th32OwnerProcessID == me) ++n;
    ::CloseHandle(snap);
    return n;
}

struct Shown {
    static void CALLBACK Picture(int port, const uint8_t*, int, int, int, uint32_t, int, int) {
        ++count;
        number = PortTable[port].currentPicture;
    }
    static inline std::atomic<int> count{0};
    static inline std::atomic<int> number{0};
};

struct Decoded {
    static void CALLBACK Picture(int, const uint8_t* yuv, int size, const DecodedFrameInfo* info,
                                 int reserved1, int reserved2) {
        if (!yuv || !info || size != info->width * info->height * 3 / 2 || reserved1 != 0 ||
            reserved2 != 0)
            ++bad;
        ++count;
    }
    static inline std::atomic<int> count{0};
    static inline std::atomic<int> bad{0};
};

class StreamPlay : public ::testing::Test {
protected:
    void SetUp() override {
        DirectDrawPathAllowed = 0; // DrawDib: the same under every display
        Shown::count = 0;
        Shown::number = 0;
        Decoded::count = 0;
        Decoded::bad = 0;
    }
    void TearDown() override {
        for (int p : {kPort, kPort + 1}) {
            RE4Ravi_CloseStream(p);
            RE4Ravi_SetDisplayCallBack(p, nullptr);
            RE4Ravi_ThrowBFrameNum(p, 0);
        }
    }
};

// Open mode 1: speed steps, stepping, pausing with redisplay, the decode callback and
// resuming by playing again, all through the exported calls.
TEST_F(StreamPlay, OwnThreadPortHasTheWholePlayer) {
    Recorded r = Recording();
    ASSERT_FALSE(r.records.empty());
    TestWindow wnd;
    OpenRecorded(kPort, 1, r);
    ASSERT_EQ(RE4Ravi_SetDisplayCallBack(kPort, &Shown::Picture), 1);
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    ASSERT_EQ(RE4Ravi_InputData(kPort, r.records.data(), static_cast<unsigned>(r.records.size())),
              1);
    ASSERT_TRUE(WaitFor([] { return RE4Ravi_GetCurrentFrameNum(kPort) > 3; }));

    // Paused: the picture is shown again, no new one is played.
    ASSERT_EQ(RE4Ravi_Pause(kPort, 1), 1);
    ASSERT_TRUE(WaitFor([] { return Shown::number.load() == RE4Ravi_GetCurrentFrameNum(kPort); }));
    const int paused = RE4Ravi_GetCurrentFrameNum(kPort);
    const int shownAtPause = Shown::count.load();
    ASSERT_TRUE(WaitFor([=] { return Shown::count.load() >= shownAtPause + 5; }));
    EXPECT_EQ(RE4Ravi_GetCurrentFrameNum(kPort), paused);

    // One picture forward, and paused again.
    ASSERT_EQ(RE4Ravi_OneByOne(kPort), 1);
    ASSERT_TRUE(WaitFor([=] { return RE4Ravi_GetCurrentFrameNum(kPort) == paused + 1; }));
    const int shownAfterStep = Shown::count.load();
    ASSERT_TRUE(WaitFor([=] { return Shown::count.load() >= shownAfterStep + 5; }));
    EXPECT_EQ(RE4Ravi_GetCurrentFrameNum(kPort), paused + 1);
    EXPECT_EQ(PortTable[kPort].userPause.load(), 1);

    // The decode callback takes the pictures, the paused one again too.
    ASSERT_EQ(RE4Ravi_SetDecCallBack(kPort, &Decoded::Picture), 1);
    ASSERT_TRUE(WaitFor([] { return Decoded::count.load() >= 3; }));
    EXPECT_EQ(RE4Ravi_GetCurrentFrameNum(kPort), paused + 1);

    // Speed steps, then playing again resumes at normal speed without starting anew.
    EXPECT_EQ(RE4Ravi_Fast(kPort), 1);
    EXPECT_EQ(RE4Ravi_Fast(kPort), 1);
    EXPECT_EQ(PortTable[kPort].speedStep.load(), 2);
    EXPECT_EQ(RE4Ravi_Play(kPort, wnd.get()), 0);
    EXPECT_EQ(PortTable[kPort].speedStep.load(), 0);
    EXPECT_EQ(PortTable[kPort].userPause.load(), 0);
    ASSERT_TRUE(WaitFor([=] { return RE4Ravi_GetCurrentFrameNum(kPort) > paused + 3; }));
    EXPECT_EQ(Decoded::bad.load(), 0);

    EXPECT_EQ(RE4Ravi_CloseStream(kPort), 1);
    EXPECT_FALSE(PortTable[kPort].playThread);
}

struct SourceCalls {
    static void CALLBACK Called(int, unsigned bytes, int user, int) {
        if (user != 77) return;
        const int i = count.fetch_add(1);
        if (i < 16) seen[i] = bytes;
    }
    static inline std::atomic<int> count{0};
    static inline unsigned seen[16] = {};
};

TEST_F(StreamPlay, OwnThreadAsksForMoreOnceEachTime) {
    Recorded r = Recording();
    ASSERT_FALSE(r.records.empty());
    TestWindow wnd;
    OpenRecorded(kPort, 1, r);
    ASSERT_EQ(RE4Ravi_SetSourceBufCallBack(kPort, 10000, &SourceCalls::Called, 77, nullptr), 1);
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    ASSERT_EQ(RE4Ravi_InputData(kPort, r.records.data(), static_cast<unsigned>(r.records.size())),
              1);
    ASSERT_TRUE(WaitFor([] { return RE4Ravi_GetCurrentFrameNum(kPort) > 3; }));
    EXPECT_EQ(PortTable[kPort].pictureWidth, 352);
    // Whatever the empty start reported, from here: below the threshold once, then empty
    // once, nothing more while the notice stays set.
    EXPECT_EQ(RE4Ravi_ResetSourceBufFlag(kPort), 1);
    SourceCalls::count = 0;
    ASSERT_TRUE(WaitFor([] { return SourceCalls::count.load() >= 2; }, 30000));
    EXPECT_EQ(SourceCalls::count.load(), 2);
    EXPECT_GT(SourceCalls::seen[0], 0u);
    EXPECT_LT(SourceCalls::seen[0], 10000u);
    EXPECT_EQ(SourceCalls::seen[1], 0u);
    // Re-armed: the empty queue is below the threshold again.
    EXPECT_EQ(RE4Ravi_ResetSourceBufFlag(kPort), 1);
    ASSERT_TRUE(WaitFor([] { return SourceCalls::count.load() >= 3; }));
    EXPECT_EQ(SourceCalls::count.load(), 3);
    EXPECT_EQ(SourceCalls::seen[2], 0u);
}

TEST_F(StreamPlay, SharedThreadWaitsForAKeyFrameAndEndsWithItsLastPort) {
    Recorded r = Recording();
    std::vector<VideoRecord> recs = VideoRecordsOf(r);
    Bytes ps;
    const VideoRecord* key = nullptr;
    for (const VideoRecord& v : recs) {
        if (v.type == kFrameKey && !key) key = &v;
        if (v.type != kFrameKey) Append(ps, v.Whole());
    }
    ASSERT_NE(key, nullptr);
    TestWindow wnd;
    OpenRecorded(kPort, 0, r);
    PortTable[kPort].pictureWidth = 0; // as the decoder last reported it
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    EXPECT_TRUE(SharedStreamThreadRunning());
    ASSERT_EQ(RE4Ravi_InputData(kPort, ps.data(), static_cast<unsigned>(ps.size())), 1);
    ASSERT_TRUE(WaitFor([] { return RE4Ravi_GetSourceBufferRemain(kPort) == 0; }));
    EXPECT_EQ(PortTable[kPort].pictureWidth, 0); // nothing shown without a key frame
    Bytes k = key->Whole();
    ASSERT_EQ(RE4Ravi_InputData(kPort, k.data(), static_cast<unsigned>(k.size())), 1);
    EXPECT_TRUE(WaitFor([] { return PortTable[kPort].pictureWidth == 352; }));

    // The last member leaving ends the shared thread; the next one starts a new one.
    EXPECT_EQ(RE4Ravi_CloseStream(kPort), 1);
    EXPECT_FALSE(SharedStreamThreadRunning());
    OpenRecorded(kPort + 1, 0, r);
    ASSERT_EQ(RE4Ravi_Play(kPort + 1, wnd.get()), 1);
    EXPECT_TRUE(SharedStreamThreadRunning());
    EXPECT_EQ(RE4Ravi_CloseStream(kPort + 1), 1);
    EXPECT_FALSE(SharedStreamThreadRunning());
}

// Playing a playing stream port resumes it and reports 0; its display stays as it is.
TEST_F(StreamPlay, PlayOnAPlayingStreamPortResumesIt) {
    Recorded r = Recording();
    TestWindow wnd, other(352, 288, 400, 0);
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        OpenRecorded(kPort, mode, r);
        ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
        ASSERT_EQ(
            RE4Ravi_InputData(kPort, r.records.data(), static_cast<unsigned>(r.records.size())), 1);
        RE4Ravi_Pause(kPort, 1);
        RE4Ravi_SetPlaySpeed(kPort, -2);
        EXPECT_EQ(RE4Ravi_Play(kPort, other.get()), 0);
        EXPECT_EQ(PortTable[kPort].window, wnd.get());
        EXPECT_EQ(PortTable[kPort].userPause.load(), 0);
        EXPECT_EQ(PortTable[kPort].speedStep.load(), 0);
        EXPECT_EQ(RE4Ravi_CloseStream(kPort), 1);
    }
}

// Digests of the pictures a decoder that leaves out every B picture gives: key frames
// and P pictures only.
std::set<uint64_t> AnchorDigests(const std::vector<VideoRecord>& recs) {
    std::set<uint64_t> out;
    uint8_t* input = nullptr;
    uint8_t* rgb = nullptr;
    const int h = decoder::InitDecoder(&input, &rgb, 720, 576);
    if (!h) return out;
    for (const VideoRecord& v : recs) {
        const int packed = v.type == kFramePBB ? 2 : v.type == kFramePB ? 1 : 0;
        decoder::SetBFrameType(h, packed);
        decoder::GetThrowBNum(h, packed);
        std::memcpy(input, v.payload.data(), v.payload.size());
        if (!decoder::DecoderOneFrame(h, static_cast<int>(v.payload.size()))) continue;
        int w = 0, ht = 0;
        decoder::GetWH(h, &w, &ht);
        out.insert(PictureDigest(decoder::GetYUV(h), w * ht * 3 / 2));
    }
    decoder::FreeDecoder(h);
    return out;
}

struct Anchors {
    static void CALLBACK Picture(int port, const uint8_t* yuv, int size, int, int, uint32_t, int,
                                 int) {
        if (!judge.load() || skip.fetch_sub(1) > 0) return;
        // Judged only at the depth where both B pictures go: each of these pictures was
        // popped with 16 to 30 records queued (above 30 only one goes).
        const auto& q = PortTable[port].stream.video;
        if (onlyDeep.load() && (!q || q->Count() < 16 || q->Count() > 28)) return;
        ++judged;
        if (!digests->count(PictureDigest(yuv, size))) ++notAnchor;
    }
    static inline const std::set<uint64_t>* digests = nullptr;
    static inline std::atomic<int> judge{0};
    static inline std::atomic<int> skip{0};
    static inline std::atomic<int> onlyDeep{0};
    static inline std::atomic<int> judged{0};
    static inline std::atomic<int> notAnchor{0};
};

TEST_F(StreamPlay, DroppedBPicturesLeaveThePPicturesOnEveryThread) {
    Recorded r = Recording("cif_ipb2.MPG");
    const std::vector<VideoRecord> recs = VideoRecordsOf(r);
    ASSERT_GT(recs.size(), 10u);
    const std::set<uint64_t> anchors = AnchorDigests(recs);
    ASSERT_FALSE(anchors.empty());
    Anchors::digests = &anchors;
    TestWindow wnd;
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        Anchors::judged = 0;
        Anchors::notAnchor = 0;
        Anchors::onlyDeep = 0;
        Anchors::skip = 0;
        Anchors::judge = 1;
        OpenRecorded(kPort, mode, r);
        ASSERT_EQ(RE4Ravi_ThrowBFrameNum(kPort, 2), 1);
        ASSERT_EQ(RE4Ravi_SetDisplayCallBack(kPort, &Anchors::Picture), 1);
        ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
        // Fed a few records at a time, so that the shared thread never sheds load.
        for (const VideoRecord& v : recs) {
            Bytes w = v.Whole();
            ASSERT_TRUE(WaitFor([] { return RE4Ravi_GetSourceBufferRemain(kPort) < 60000; }));
            while (!RE4Ravi_InputData(kPort, w.data(), static_cast<unsigned>(w.size())))
                ::Sleep(3);
        }
        ASSERT_TRUE(WaitFor([] { return RE4Ravi_GetSourceBufferRemain(kPort) == 0; }, 30000));
        ASSERT_TRUE(WaitFor([] { return Anchors::judged.load() >= 10; }));
        Anchors::judge = 0;
        EXPECT_EQ(Anchors::notAnchor.load(), 0);
        RE4Ravi_CloseStream(kPort);
        RE4Ravi_ThrowBFrameNum(kPort, 0);
    }
}

// Without a drop setting the shared thread drops B pictures itself when a port's queue is
// deep, and what it then shows is the P picture of each record.
TEST_F(StreamPlay, SharedThreadUnderLoadShowsThePPicture) {
    Recorded r = Recording("cif_ipb2.MPG");
    const std::vector<VideoRecord> recs = VideoRecordsOf(r);
    ASSERT_GT(recs.size(), 30u);
    const std::set<uint64_t> anchors = AnchorDigests(recs);
    Anchors::digests = &anchors;
    Anchors::judged = 0;
    Anchors::notAnchor = 0;
    Anchors::judge = 0;
    TestWindow wnd;
    OpenRecorded(kPort, 0, r);
    ASSERT_EQ(RE4Ravi_SetDisplayCallBack(kPort, &Anchors::Picture), 1);
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    Bytes first = recs[0].Whole();
    ASSERT_EQ(recs[0].type, kFrameKey);
    ASSERT_EQ(RE4Ravi_InputData(kPort, first.data(), static_cast<unsigned>(first.size())), 1);
    ASSERT_TRUE(WaitFor([] { return PortTable[kPort].pictureWidth == 352; }));
    // The rest at once (fewer than 61 records: no flush), then judged from the pictures
    // after the one that may have been under way.
    Bytes rest;
    const size_t n = std::min<size_t>(recs.size(), 55);
    for (size_t i = 1; i < n; ++i)
        Append(rest, recs[i].Whole());
    Anchors::onlyDeep = 1;
    Anchors::skip = 3;
    Anchors::judge = 1;
    ASSERT_EQ(RE4Ravi_InputData(kPort, rest.data(), static_cast<unsigned>(rest.size())), 1);
    ASSERT_TRUE(WaitFor([] { return RE4Ravi_GetSourceBufferRemain(kPort) == 0; }, 30000));
    Anchors::judge = 0;
    EXPECT_GT(Anchors::judged.load(), 5);
    EXPECT_EQ(Anchors::notAnchor.load(), 0);
}

// Pictures of many ports on the shared thread, as the display callback saw them.
struct ManyPorts {
    static void CALLBACK Picture(int port, const uint8_t*, int, int, int, uint32_t timeStamp, int,
                                 int) {
        std::lock_guard<std::mutex> hold(lock);
        stamps[port].push_back(timeStamp);
        threads.insert(::GetCurrentThreadId());
    }
    static inline std::mutex lock;
    static inline std::vector<uint32_t> stamps[kPortCount];
    static inline std::set<DWORD> threads;
};

// The shared thread serves its ports' pictures on several threads when there are many
// ports: every port still shows every one of its pictures once, in order, and one port's
// pictures never overtake each other.
TEST(SharedPorts, ManyPortsEachShowTheirPicturesInOrder) {
    DirectDrawPathAllowed = 0;
    Recorded r = Recording();
    const std::vector<VideoRecord> recs = VideoRecordsOf(r);
    ASSERT_GT(recs.size(), 20u);
    ASSERT_EQ(recs[0].type, kFrameKey);
    constexpr int kFirst = 10, kCount = 10;
    std::vector<std::unique_ptr<TestWindow>> windows;
    for (int i = 0; i < kCount; ++i) {
        const int p = kFirst + i;
        ManyPorts::stamps[p].clear();
        windows.push_back(std::make_unique<TestWindow>(176, 144, (i % 5) * 180, (i / 5) * 150));
        OpenRecorded(p, 0, r);
        ASSERT_EQ(RE4Ravi_SetDisplayCallBack(p, &ManyPorts::Picture), 1);
        ASSERT_EQ(RE4Ravi_Play(p, windows.back()->get()), 1);
    }
    // A few records a port at a time: the queues stay short, so nothing is dropped.
    std::vector<uint32_t> fed;
    for (size_t i = 0; i < recs.size(); i += 5) {
        Bytes some;
        for (size_t k = i; k < std::min(recs.size(), i + 5); ++k) {
            Append(some, recs[k].Whole());
            fed.push_back(recs[k].timeStamp);
        }
        for (int p = kFirst; p < kFirst + kCount; ++p)
            ASSERT_EQ(RE4Ravi_InputData(p, some.data(), static_cast<unsigned>(some.size())), 1);
        ASSERT_TRUE(WaitFor([] {
            for (int p = kFirst; p < kFirst + kCount; ++p)
                if (RE4Ravi_GetSourceBufferRemain(p) != 0) return false;
            return true;
        }, 30000));
    }
    EXPECT_TRUE(WaitFor([&] {
        std::lock_guard<std::mutex> hold(ManyPorts::lock);
        for (int p = kFirst; p < kFirst + kCount; ++p)
            if (ManyPorts::stamps[p].size() < fed.size()) return false;
        return true;
    }));
    for (int p = kFirst; p < kFirst + kCount; ++p) {
        EXPECT_EQ(RE4Ravi_CloseStream(p), 1);
        RE4Ravi_SetDisplayCallBack(p, nullptr);
        PortTable[p].pictureWidth = PortTable[p].pictureHeight = 0; // for the tests after
    }
    std::lock_guard<std::mutex> hold(ManyPorts::lock);
    for (int p = kFirst; p < kFirst + kCount; ++p)
        EXPECT_EQ(ManyPorts::stamps[p], fed) << "port " << p;
    std::printf("pictures of %d ports shown on %zu threads\n", kCount, ManyPorts::threads.size());
    EXPECT_LE(static_cast<int>(ManyPorts::threads.size()), SharedStreamThreadsAtMost());
}

// Querying the queue while another thread opens and closes the stream: the queue is
// never read after it is freed.
TEST(StreamRaces, SourceBufferQueriesWhileTheStreamCloses) {
    Recorded r = Recording();
    std::atomic<bool> stop{false};
    std::thread closer([&] {
        while (!stop.load()) {
            RE4Ravi_SetStreamOpenMode(kPort, 1);
            RE4Ravi_OpenStream(kPort, r.head.data(), 19, 1024000);
            RE4Ravi_CloseStream(kPort);
        }
    });
    const DWORD start = ::GetTickCount();
    long calls = 0;
    while (::GetTickCount() - start < 3000) {
        RE4Ravi_GetSourceBufferRemain(kPort);
        RE4Ravi_ResetSourceBufFlag(kPort);
        ++calls;
    }
    stop = true;
    closer.join();
    EXPECT_GT(calls, 0);
    EXPECT_EQ(RE4Ravi_GetSourceBufferRemain(kPort), 0u);
}

// Two ports joining and leaving the shared thread at once: one shared thread (with its
// helpers) at most, and none once both have stopped.
TEST(StreamRaces, TwoSharedPortsStartAndStopAtOnce) {
    DirectDrawPathAllowed = 0;
    Recorded r = Recording();
    TestWindow wnd;
    for (int p : {kPort, kPort + 1})
        OpenRecorded(p, 0, r);
    const int before = ThreadCount();
    std::atomic<int> go{0};
    std::atomic<int> extraThreads{0};
    auto hammer = [&](int port) {
        go.fetch_add(1);
        while (go.load() < 2) {
        }
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < 3000) {
            RE4Ravi_Play(port, wnd.get());
            // This thread, the other one and at most one shared thread beside the rest.
            if (ThreadCount() > before + 2 + SharedStreamThreadsAtMost()) ++extraThreads;
            RE4Ravi_Stop(port);
        }
    };
    std::thread a(hammer, kPort), b(hammer, kPort + 1);
    a.join();
    b.join();
    EXPECT_EQ(extraThreads.load(), 0);
    EXPECT_FALSE(SharedStreamThreadRunning());
    for (int p : {kPort, kPort + 1})
        EXPECT_EQ(RE4Ravi_CloseStream(p), 1);
    EXPECT_TRUE(WaitFor([&] { return ThreadCount() <= before; }));
}

// A caller redrawing a playing port from its own thread while the window changes size
// and the shown region changes: the port's own drawing and the caller's take turns (a
// picture copied into a DrawDib that the other thread is setting up again crashed).
TEST(StreamRaces, RedrawsFromAnotherThreadWhileThePortPlaysAndTheWindowResizes) {
    DirectDrawPathAllowed = 0;
    Recorded r = Recording();
    const std::vector<VideoRecord> recs = VideoRecordsOf(r);
    ASSERT_GT(recs.size(), 20u);
    TestWindow wnd(352, 288);
    OpenRecorded(kPort, 0, r);
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        while (!stop.load())
            for (const VideoRecord& rec : recs) {
                if (stop.load()) break;
                const Bytes whole = rec.Whole();
                while (!stop.load() && RE4Ravi_GetSourceBufferRemain(kPort) > 200000) ::Sleep(1);
                RE4Ravi_InputData(kPort, whole.data(), static_cast<unsigned>(whole.size()));
            }
    });
    std::thread redrawer([&] {
        for (int i = 0; !stop.load(); ++i) {
            if (i % 2)
                RE4Ravi_DirectDraw(kPort, 0, 0, 0, 0, nullptr);
            else
                RE4Ravi_DirectDraw(kPort, 16, 16, 120, 100, nullptr);
        }
    });
    // Window sizes on both sides of the picture's: shrinking and stretching alternate.
    const SIZE sizes[] = {{377, 278}, {176, 144}, {352, 288}, {500, 400}, {90, 70}};
    const DWORD start = ::GetTickCount();
    for (int i = 0; ::GetTickCount() - start < 3000; ++i) {
        const SIZE s = sizes[i % 5];
        ::SetWindowPos(wnd.get(), nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT region{0, 0, (i % 3) * 100, (i % 3) * 80};
        QEL_SetSrcAndDstRect(kPort, &region);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
    }
    stop = true;
    feeder.join();
    redrawer.join();
    EXPECT_EQ(RE4Ravi_Stop(kPort), 1);
    EXPECT_EQ(RE4Ravi_CloseStream(kPort), 1);
}

// DrawDib contexts opened from many threads at once, as the connections of a viewer start
// their ports together: every context is one of its own (two ports handed one context
// drew into the picture buffer the other was setting up again, and crashed).
TEST(StreamRaces, DrawDibContextsOpenedAtOnceFromManyThreadsAreDistinct) {
    constexpr int kThreads = 8, kEach = 300;
    std::vector<std::vector<win::DrawDib>> opened(kThreads);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            ready.fetch_add(1);
            while (ready.load() < kThreads)
                std::this_thread::yield();
            for (int k = 0; k < kEach; ++k) {
                opened[size_t(i)].emplace_back();
                OpenDrawDib(opened[size_t(i)].back());
            }
        });
    for (auto& t : threads)
        t.join();
    std::set<HDRAWDIB> distinct;
    for (const auto& list : opened)
        for (const win::DrawDib& c : list) {
            EXPECT_TRUE(c);
            distinct.insert(c.get());
        }
    EXPECT_EQ(distinct.size(), size_t(kThreads) * kEach);
    for (auto& list : opened)
        for (win::DrawDib& c : list)
            CloseDrawDib(c);
}

class FileSound : public ::testing::Test {
protected:
    void SetUp() override {
        DirectDrawPathAllowed = 0;
        const char* capture = std::getenv("DVR_SOUND_CAPTURE");
        if (!capture || !*capture) GTEST_SKIP() << "needs the sound session";
    }
    void TearDown() override {
        RE4Ravi_Stop(kPort);
        RE4Ravi_CloseFile(kPort);
    }
    void Open(const std::string& path) {
        ASSERT_EQ(RE4Ravi_OpenFileEx(kPort, path.c_str()), 1);
        ASSERT_TRUE(WaitFor([] { return PortTable[kPort].indexComplete.load() != 0; }));
    }
    // The loudest sample of the first chunk in the port's sound buffer.
    static int FirstChunkPeak() {
        PortSound& s = PortTable[kPort].sound;
        std::lock_guard<win::CriticalSection> filling(s.lock);
        if (!s.buffer) return -1;
        void* a = nullptr;
        void* b = nullptr;
        DWORD na = 0, nb = 0;
        if (FAILED(s.buffer->Lock(0, kSoundChunkBytes, &a, &na, &b, &nb, 0))) return -1;
        int peak = 0;
        const auto* samples = static_cast<const int16_t*>(a);
        for (DWORD i = 0; i < na / 2; ++i)
            peak = std::max(peak, std::abs(int{samples[i]}));
        s.buffer->Unlock(a, na, b, nb);
        return peak;
    }
    // The bytes of the first chunk in the port's sound buffer; the caller holds the sound lock.
    static std::vector<uint8_t> FirstChunk() {
        PortSound& s = PortTable[kPort].sound;
        void* a = nullptr;
        void* b = nullptr;
        DWORD na = 0, nb = 0;
        if (!s.buffer || FAILED(s.buffer->Lock(0, kSoundChunkBytes, &a, &na, &b, &nb, 0)))
            return {};
        std::vector<uint8_t> bytes(static_cast<uint8_t*>(a), static_cast<uint8_t*>(a) + na);
        s.buffer->Unlock(a, na, b, nb);
        return bytes;
    }
    static DWORD PlayCursor() {
        DWORD play = 0, write = 0;
        PortTable[kPort].sound.buffer->GetCurrentPosition(&play, &write);
        return play;
    }
};

// The first chunk of a file port holds the file's own sound, not the silence of an
// empty stream queue.
TEST_F(FileSound, StartsWithTheFilesOwnSound) {
    Open(dvr::testing::TestDataPath("cif_ip.MPG"));
    TestWindow wnd;
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    ASSERT_EQ(RE4Ravi_PlaySound(kPort), 1);
    EXPECT_GT(FirstChunkPeak(), 500);
    // Resumed after a pause and back at normal speed: again from the file.
    RE4Ravi_Pause(kPort, 1);
    RE4Ravi_Pause(kPort, 0);
    EXPECT_GT(FirstChunkPeak(), 500);
    RE4Ravi_SetPlaySpeed(kPort, 2);
    RE4Ravi_SetPlaySpeed(kPort, 0);
    EXPECT_GT(FirstChunkPeak(), 500);
}

// A refill notice raised just before the sound restarts from the buffer's start does not
// overwrite the chunk about to be heard.
TEST_F(FileSound, ARefillNoticeFromBeforeARestartIsDropped) {
    Open(dvr::testing::TestDataPath("cif_ip.MPG"));
    TestWindow wnd;
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    ASSERT_EQ(RE4Ravi_PlaySound(kPort), 1);
    PortSound& s = PortTable[kPort].sound;
    std::vector<uint8_t> fresh;
    {
        std::lock_guard<win::CriticalSection> filling(s.lock);
        // The first chunk has been heard: its notice is raised and the sound thread waits
        // for the lock to refill it.
        ASSERT_TRUE(WaitFor([] { return PlayCursor() >= kSoundChunkBytes; }));
        ResumePortSound(kPort);
        fresh = FirstChunk();
        ASSERT_EQ(fresh.size(), size_t{kSoundChunkBytes});
    }
    // While the restarted cursor is in the first half of that chunk, it keeps what the
    // restart put there.
    bool overwritten = false, moved = false;
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 30000) {
        {
            std::lock_guard<win::CriticalSection> filling(s.lock);
            if (PlayCursor() >= kSoundChunkBytes / 2) {
                moved = true;
                break;
            }
            if (FirstChunk() != fresh) overwritten = true;
        }
        ::Sleep(5); // let the sound thread take the lock
    }
    EXPECT_TRUE(moved) << "the restarted sound did not play, cursor " << PlayCursor();
    EXPECT_FALSE(overwritten);
}

// Playing on after a single step keeps the sound going past its first refill.
TEST_F(FileSound, PlayingOnAfterAStepKeepsTheSound) {
    Open(dvr::testing::TestDataPath("cif_ip.MPG"));
    TestWindow wnd;
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    ASSERT_EQ(RE4Ravi_PlaySound(kPort), 1);
    ASSERT_EQ(RE4Ravi_OneByOne(kPort), 1);
    ASSERT_TRUE(WaitFor([] { return PortTable[kPort].userPause.load() != 0; }));
    RE4Ravi_Play(kPort, wnd.get());
    // Through the first chunk's refill into the third chunk.
    EXPECT_TRUE(WaitFor([] { return PlayCursor() >= 2 * kSoundChunkBytes; }, 20000))
        << "cursor " << PlayCursor();
}

// A file whose last record is still being written: its sound picks up again once the
// record is complete.
TEST_F(FileSound, AFileStillBeingWrittenDoesNotEndItsSound) {
    const Bytes all = ReadAll(dvr::testing::TestDataPath("cif_ip.MPG"));
    ASSERT_GT(all.size(), 200000u);
    // Cut inside the first audio record after the first 20,000 bytes.
    const uint8_t magic[4] = {0x00, 0x00, 0x01, 0xC7};
    size_t cut = 0;
    for (size_t i = 20000; i + 18 < all.size() && !cut; ++i)
        if (std::memcmp(&all[i], magic, 4) == 0 && all[i + 4] == kFrameAudio) cut = i + 30;
    ASSERT_NE(cut, 0u);
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "strovid_growing.MPG";
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ::WriteFile(f, all.data(), static_cast<DWORD>(cut), &done, nullptr);
    Open(path);
    TestWindow wnd;
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    ASSERT_EQ(RE4Ravi_PlaySound(kPort), 1);
    // The sound reader has met the cut record; then the rest is written.
    RE4Ravi_Pause(kPort, 1);
    ::WriteFile(f, all.data() + cut, static_cast<DWORD>(all.size() - cut), &done, nullptr);
    ::CloseHandle(f);
    RE4Ravi_Pause(kPort, 0);
    EXPECT_GT(FirstChunkPeak(), 500);
    RE4Ravi_Stop(kPort);
    RE4Ravi_CloseFile(kPort);
    ::DeleteFileA(path.c_str());
}

// Stepping back moves the pictures: the sound starts afresh from the new position.
TEST_F(FileSound, SteppingBackResynchronisesTheSound) {
    Open(dvr::testing::TestDataPath("cif_ip.MPG"));
    TestWindow wnd;
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    ASSERT_EQ(RE4Ravi_PlaySound(kPort), 1);
    ASSERT_TRUE(WaitFor([] { return RE4Ravi_GetCurrentFrameNum(kPort) > 30; }));
    ASSERT_TRUE(WaitFor([] {
        std::lock_guard<win::CriticalSection> l(PortTable[kPort].sound.lock);
        return PortTable[kPort].sound.feed.HaveLast();
    }));
    RE4Ravi_Pause(kPort, 1);
    ASSERT_EQ(RE4Ravi_OneByOneBack(kPort), 1);
    std::lock_guard<win::CriticalSection> l(PortTable[kPort].sound.lock);
    EXPECT_FALSE(PortTable[kPort].sound.feed.HaveLast());
}

// Shared sound is stopped only on a playing port.
TEST_F(FileSound, StopSoundShareNeedsAPlayingPort) {
    Open(dvr::testing::TestDataPath("cif_ip.MPG"));
    SetPlayerError(0);
    EXPECT_EQ(RE4Ravi_StopSoundShare(kPort), 0);
    EXPECT_EQ(RE4Ravi_GetLastError(kPort), 2);
    TestWindow wnd;
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    ASSERT_EQ(RE4Ravi_PlaySoundShare(kPort), 1);
    EXPECT_EQ(RE4Ravi_StopSoundShare(kPort), 1);
    EXPECT_FALSE(PortTable[kPort].sound.buffer);
}

// Pausing and resuming while the sound thread refills: the feed is restarted only
// between refills, and the sound keeps coming.
TEST_F(FileSound, ResumeAndSilenceWhileTheSoundThreadRefills) {
    Open(dvr::testing::TestDataPath("cif_ip.MPG"));
    TestWindow wnd;
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    ASSERT_EQ(RE4Ravi_PlaySound(kPort), 1);
    std::atomic<bool> stop{false};
    std::thread other([&] {
        while (!stop.load()) {
            SilencePortSound(kPort);
            MarkSoundResync(kPort);
        }
    });
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 3000) {
        RE4Ravi_Pause(kPort, 1);
        RE4Ravi_Pause(kPort, 0);
    }
    stop = true;
    other.join();
    RE4Ravi_SetPlayPos(kPort, 0.0f);
    RE4Ravi_Pause(kPort, 0);
    EXPECT_GT(FirstChunkPeak(), 500);
}

// The picture as the window shows it, read back from the screen, against the decoded
// picture upright and upside down: it must match the upright one.
struct Upright {
    static void CALLBACK Picture(int, const uint8_t* yuv, int size, int width, int height, uint32_t,
                                 int, int) {
        if (width != 352 || height != 288 || size < 352 * 288) return;
        std::lock_guard<std::mutex> l(lock);
        std::memcpy(luma, yuv, sizeof luma);
        have = true;
    }
    // Sum of luma differences over a grid, upright and flipped.
    static bool Compare(long* upright, long* flipped) {
        std::lock_guard<std::mutex> l(lock);
        if (!have) return false;
        HDC screen = ::GetDC(nullptr);
        *upright = *flipped = 0;
        for (int y = 4; y < 288; y += 12)
            for (int x = 4; x < 352; x += 12) {
                const COLORREF c = ::GetPixel(screen, x, y);
                const int shown =
                    (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000;
                *upright += std::abs(shown - luma[y * 352 + x]);
                *flipped += std::abs(shown - luma[(287 - y) * 352 + x]);
            }
        ::ReleaseDC(nullptr, screen);
        return true;
    }
    static inline std::mutex lock;
    static inline uint8_t luma[352 * 288] = {};
    static inline bool have = false;
};

class Orientation : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        Upright::have = false;
        allowed_ = DirectDrawPathAllowed.load();
        if (GetParam() >= 1) {
            if (!SetUpDirectDraw()) GTEST_SKIP() << "no DirectDraw primary surface here";
            DirectDrawPathAllowed = 1;
            // 2: an overlay is asked for; without overlay hardware the port falls back.
            RE4Ravi_SetOverlayMode(kPort, GetParam() == 2, 0x00FF00FF);
        } else {
            DirectDrawPathAllowed = 0;
        }
    }
    void TearDown() override {
        RE4Ravi_Stop(kPort);
        RE4Ravi_CloseStream(kPort);
        RE4Ravi_CloseFile(kPort);
        RE4Ravi_SetDisplayCallBack(kPort, nullptr);
        RE4Ravi_SetOverlayMode(kPort, 0, 0);
        DirectDrawPathAllowed = allowed_;
    }
    // Waits until the window shows the last picture, then judges it.
    void ExpectUpright() {
        // A path that could not be prepared fell back to DrawDib: say which one was seen.
        const PlayPort& p = PortTable[kPort];
        std::printf("display path (last error %d): %s\n", PlayerErrorCode.load(),
                    p.drawDibFlag      ? "DrawDib"
                    : p.overlay.load() ? "YUY2 overlay"
                    : p.surfaceYuy2    ? "YUY2 surface"
                                       : "RGB surface");
        // A port draws through exactly one path, and only an overlay reports one.
        EXPECT_EQ(RE4Ravi_GetOverlayMode(kPort), p.overlay.load());
        EXPECT_EQ(p.drawDibFlag != 0, !p.surface);
        long upright = 0, flipped = 0;
        ASSERT_TRUE(WaitFor([&] {
            return Upright::Compare(&upright, &flipped) && upright * 2 < flipped;
        })) << "upright "
            << upright << ", flipped " << flipped;
        EXPECT_LT(upright * 2, flipped);
    }
    int allowed_ = 0;
};

TEST_P(Orientation, StreamPortsAreDrawnUpright) {
    Recorded r = Recording();
    std::vector<VideoRecord> recs = VideoRecordsOf(r);
    ASSERT_FALSE(recs.empty());
    TestWindow wnd;
    ASSERT_TRUE(wnd.WaitOnScreen());
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        Upright::have = false;
        OpenRecorded(kPort, mode, r);
        ASSERT_EQ(RE4Ravi_SetDisplayCallBack(kPort, &Upright::Picture), 1);
        ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
        // A few pictures, the last one then shown again while paused (own thread).
        Bytes some;
        for (size_t i = 0; i < 5 && i < recs.size(); ++i)
            Append(some, recs[i].Whole());
        ASSERT_EQ(RE4Ravi_InputData(kPort, some.data(), static_cast<unsigned>(some.size())), 1);
        ASSERT_TRUE(WaitFor([] { return RE4Ravi_GetSourceBufferRemain(kPort) == 0; }));
        if (mode == 1) {
            ASSERT_TRUE(WaitFor([] { return RE4Ravi_GetCurrentFrameNum(kPort) == 5; }));
            RE4Ravi_Pause(kPort, 1);
        }
        ExpectUpright();
        RE4Ravi_CloseStream(kPort);
    }
}

TEST_P(Orientation, FilePortsAreDrawnUpright) {
    TestWindow wnd;
    ASSERT_TRUE(wnd.WaitOnScreen());
    ASSERT_EQ(RE4Ravi_OpenFileEx(kPort, dvr::testing::TestDataPath("cif_ip.MPG").c_str()), 1);
    ASSERT_EQ(RE4Ravi_SetDisplayCallBack(kPort, &Upright::Picture), 1);
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    ASSERT_TRUE(WaitFor([] { return RE4Ravi_GetCurrentFrameNum(kPort) > 2; }));
    RE4Ravi_Pause(kPort, 1);
    ExpectUpright();
}

// 0: DrawDib; 1: DirectDraw surfaces where the display has them; 2: an overlay asked
// for, or what the port falls back to.
INSTANTIATE_TEST_SUITE_P(EveryPath, Orientation, ::testing::Values(0, 1, 2));

// Unloading the library gives DirectDraw back and forgets the ports' windows.
TEST(DisplayRelease, UnloadReleasesTheSurfacesAndForgetsTheWindows) {
    const int allowed = DirectDrawPathAllowed.load();
    DirectDrawPathAllowed = 0;
    Recorded r = Recording();
    TestWindow wnd;
    OpenRecorded(kPort, 1, r);
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    ASSERT_EQ(RE4Ravi_CloseStream(kPort), 1);
    EXPECT_EQ(PortTable[kPort].window, wnd.get());
    UnloadLibraryState();
    LoadLibraryState();
    EXPECT_EQ(PortTable[kPort].window, nullptr);
    EXPECT_FALSE(PortTable[kPort].surface);
    DirectDrawPathAllowed = allowed;
}

} // namespace
} // namespace dvr::strovid
