#include "player/lib/stream_mode.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "common/adpcm/g726.h"
#include "common/testing/testdata.h"
#include "player/format/test_records.h"
#include "player/lib/play_port.h"
#include "player/lib/sound.h"
#include "player/lib/stream_rules.h"

namespace dvr::strovid {
namespace {

using testing::Append;
using testing::Bytes;
using testing::MakeFileHead;
using testing::MakeFrameHead;
using testing::Payload;

constexpr int kPort = 6;

// A visible window for the ports to play in.
class PlayWindow {
public:
    PlayWindow() {
        DirectDrawPathAllowed = 0;
        wnd_ = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 352, 288, nullptr,
                                 nullptr, nullptr, nullptr);
    }
    ~PlayWindow() { ::DestroyWindow(wnd_); }
    PlayWindow(const PlayWindow&) = delete;
    PlayWindow& operator=(const PlayWindow&) = delete;
    HWND get() const { return wnd_; }

private:
    HWND wnd_;
};

struct Redisplays {
    static void CALLBACK Seen(int, const uint8_t*, int, int, int, uint32_t, int, int) { ++count; }
    static inline std::atomic<int> count{0};
};

bool WaitFor(const std::function<bool()>& done, DWORD ms = 10000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(5);
    }
    return true;
}

// A port opened on a stream with sound and played in the window, as a program does it.
// `paused`: an own-thread port is paused before anything is fed, so that what is fed stays
// queued (its thread shows the paused picture again instead of taking records).
void OpenPort(int port, int mode, HWND window, bool paused, unsigned bufferSize = 51200) {
    ASSERT_EQ(RE4Ravi_SetStreamOpenMode(port, mode), 1);
    Bytes head = MakeFileHead(0x0001);
    ASSERT_EQ(RE4Ravi_OpenStream(port, head.data(), static_cast<unsigned>(head.size()), bufferSize),
              1);
    Redisplays::count = 0;
    if (paused) ASSERT_EQ(RE4Ravi_SetDisplayCallBack(port, &Redisplays::Seen), 1);
    ASSERT_EQ(RE4Ravi_Play(port, window), 1);
    if (!paused) return;
    ASSERT_EQ(mode, 1);
    ASSERT_EQ(RE4Ravi_Pause(port, 1), 1);
    // Only a paused cycle shows a picture before any record came: from then on the thread
    // takes none.
    ASSERT_TRUE(WaitFor([] { return Redisplays::count.load() > 0; }));
}

void ClosePort(int port) {
    RE4Ravi_CloseStream(port);
    RE4Ravi_SetDisplayCallBack(port, nullptr);
}

Bytes VideoRecords(int n, uint32_t payload) {
    Bytes s;
    for (int i = 0; i < n; ++i) {
        Append(s, MakeFrameHead(i == 0 ? kFrameKey : kFrameP, i, 9000 + 3600 * i, payload));
        Append(s, Payload(payload, static_cast<uint8_t>(i)));
    }
    return s;
}

TEST(StreamMode, OpeningChecksBufferSizeAndHeader) {
    Bytes good = MakeFileHead(0x0001);
    Bytes badMagic = good;
    badMagic[3] = 0xC7;
    struct Case {
        const char* what;
        int port;
        const Bytes* head;
        unsigned length;
        unsigned size;
        int result;
    } cases[] = {
        {"smallest buffer", kPort, &good, 19, 51200, 1},
        {"largest buffer", kPort, &good, 19, 1024000, 1},
        {"buffer too small", kPort, &good, 19, 51199, 0},
        {"buffer too large", kPort, &good, 19, 1024001, 0},
        {"wrong magic", kPort, &badMagic, 19, 51200, 0},
        {"header cut short", kPort, &good, 18, 51200, 0},
        {"port outside the table", 20, &good, 19, 51200, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RE4Ravi_OpenStream(c.port, c.head->data(), c.length, c.size), c.result);
        if (c.result) {
            EXPECT_EQ(PortTable[c.port].streamFlag, 1);
            EXPECT_EQ(RE4Ravi_CloseStream(c.port), 1);
            EXPECT_EQ(PortTable[c.port].streamOpenMode, 2);
            EXPECT_EQ(PortTable[c.port].decoderHandle, 0);
        }
    }
}

TEST(StreamMode, InputIsQueuedWhateverThePieces) {
    Bytes stream = VideoRecords(5, 1000);
    Bytes audio;
    Append(audio, MakeFrameHead(kFrameAudio, 0, 9000, 120));
    Append(audio, Payload(120, 9));
    Append(stream, audio);
    PlayWindow wnd;
    for (size_t piece : {stream.size(), size_t{1}}) {
        SCOPED_TRACE(piece);
        OpenPort(kPort, 1, wnd.get(), true);
        // Sound not started: audio records are not kept.
        for (size_t at = 0; at < stream.size(); at += piece)
            ASSERT_EQ(RE4Ravi_InputData(kPort, stream.data() + at,
                                        static_cast<unsigned>(std::min(piece, stream.size() - at))),
                      1);
        EXPECT_EQ(RE4Ravi_GetSourceBufferRemain(kPort), 5000u);
        EXPECT_EQ(RE4Ravi_ResetSourceBuffer(kPort), 1);
        EXPECT_EQ(RE4Ravi_GetSourceBufferRemain(kPort), 0u);
        EXPECT_EQ(PortTable[kPort].streamFlag, 1);
        ClosePort(kPort);
    }
}

TEST(StreamMode, InputRefusedWithoutAQueueOrBuffer) {
    uint8_t b = 0;
    EXPECT_EQ(RE4Ravi_InputData(kPort, &b, 1), 0);
    EXPECT_EQ(RE4Ravi_InputData(25, &b, 1), 0);
    EXPECT_EQ(RE4Ravi_ResetSourceBufFlag(kPort), 0);
    // Opened but not playing: no stream buffer yet.
    ASSERT_EQ(RE4Ravi_SetStreamOpenMode(kPort, 1), 1);
    Bytes head = MakeFileHead(0x0001);
    ASSERT_EQ(RE4Ravi_OpenStream(kPort, head.data(), 19, 51200), 1);
    EXPECT_EQ(RE4Ravi_InputData(kPort, &b, 1), 0);
    PlayWindow wnd;
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd.get()), 1);
    EXPECT_EQ(RE4Ravi_InputData(kPort, &b, 0), 0);
    EXPECT_EQ(RE4Ravi_InputData(kPort, nullptr, 1), 0);
    EXPECT_EQ(RE4Ravi_InputData(kPort, &b, 1), 1);
    ClosePort(kPort);
    EXPECT_EQ(RE4Ravi_InputData(kPort, &b, 1), 0);
}

TEST(StreamMode, OwnThreadPortsPushBackAboveTheSourceBuffer) {
    PlayWindow wnd;
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        OpenPort(kPort, mode, wnd.get(), mode == 1, 51200);
        Bytes big = VideoRecords(6, 10000); // 60,000 bytes queued
        ASSERT_EQ(RE4Ravi_InputData(kPort, big.data(), static_cast<unsigned>(big.size())), 1);
        PortTable[kPort].stream.lowWaterNotice.store(1);
        Bytes more = VideoRecords(1, 100);
        // The shared-thread kind never refuses; it sheds load while playing.
        EXPECT_EQ(RE4Ravi_InputData(kPort, more.data(), static_cast<unsigned>(more.size())),
                  mode == 1 ? 0 : 1);
        EXPECT_EQ(PortTable[kPort].stream.lowWaterNotice.load(), mode == 1 ? 0 : 1);
        ClosePort(kPort);
    }
}

TEST(StreamMode, CallbackRegistration) {
    auto cb = [](int, unsigned, int, int) {};
    EXPECT_EQ(RE4Ravi_SetSourceBufCallBack(kPort, 10000, nullptr, 5, nullptr), 0);
    EXPECT_EQ(RE4Ravi_SetSourceBufCallBack(kPort, 10000, cb, 5, nullptr), 1);
    EXPECT_EQ(PortTable[kPort].stream.threshold.load(), 10000u);
    EXPECT_EQ(PortTable[kPort].userValue.load(), 5);
    RE4Ravi_SetSourceBufCallBack(kPort, 0, cb, 0, nullptr);
}

TEST(Sound, VolumeIsStoredAsAttenuation) {
    struct Case {
        unsigned volume;
        int stored;
    } cases[] = {{0, -10000}, {65535, 0}, {0x1FFFF, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(RE4Ravi_SetVolume(kPort, c.volume), 1);
        EXPECT_EQ(RE4Ravi_GetVolume(kPort), c.stored);
    }
    EXPECT_EQ(RE4Ravi_SetVolume(20, 0), 0);
    RE4Ravi_SetVolume(kPort, 65535);
}

TEST(Sound, PortWithoutSoundOrNotPlayingIsRefused) {
    ASSERT_EQ(RE4Ravi_SetStreamOpenMode(kPort, 1), 1);
    Bytes head = MakeFileHead(0x0000); // no sound
    ASSERT_EQ(RE4Ravi_OpenStream(kPort, head.data(), 19, 51200), 1);
    EXPECT_EQ(RE4Ravi_PlaySound(kPort), 0);
    EXPECT_FALSE(PortTable[kPort].sound.buffer);
    RE4Ravi_CloseStream(kPort);
    EXPECT_EQ(RE4Ravi_StopSoundShare(kPort), 0);
    EXPECT_EQ(RE4Ravi_GetLastError(kPort), 2);
}

// Audio records of `blocks` blocks, each a tone coded with the board's coder.
Bytes AudioRecords(int blocks, uint32_t firstTime) {
    G726State coder;
    G726Reset(coder);
    Bytes s;
    for (int b = 0; b < blocks; ++b) {
        uint8_t words[320];
        // A 400 Hz square wave at about half scale.
        for (int i = 0; i < 320; ++i)
            words[i] = static_cast<uint8_t>(G726Encode24(coder, (i / 10 % 2) ? 3000 : -3000));
        uint8_t codes[120];
        PackAudioBlock(words, codes);
        Append(s, MakeFrameHead(kFrameAudio, b, firstTime + 3600 * b, 120));
        s.insert(s.end(), codes, codes + 120);
    }
    return s;
}

// Samples beyond `threshold` that the sound session's sink wrote from byte `from` on.
int LoudSamples(const char* capture, LONGLONG from, int threshold) {
    HANDLE f = ::CreateFileA(capture, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return -1;
    LARGE_INTEGER start{};
    start.QuadPart = from;
    ::SetFilePointerEx(f, start, nullptr, FILE_BEGIN);
    std::vector<int16_t> pcm(200000);
    DWORD got = 0;
    ::ReadFile(f, pcm.data(), static_cast<DWORD>(pcm.size() * 2), &got, nullptr);
    ::CloseHandle(f);
    int loud = 0;
    for (DWORD i = 0; i < got / 2; ++i)
        loud += std::abs(pcm[i]) > threshold;
    return loud;
}

LONGLONG CaptureSize(const char* capture) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!::GetFileAttributesExA(capture, GetFileExInfoStandard, &a)) return 0;
    return (LONGLONG(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// The sink paces in real time and a busy machine delays it: wait until it heard enough.
int WaitForLoud(const char* capture, LONGLONG from, int threshold, int enough) {
    int loud = 0;
    for (int waited = 0; waited < 15000; waited += 250) {
        ::Sleep(250);
        loud = LoudSamples(capture, from, threshold);
        if (loud > enough) break;
    }
    return loud;
}

TEST(Sound, StreamSoundPlaysOrTheLibraryCarriesOnSilently) {
    const char* capture = std::getenv("DVR_SOUND_CAPTURE");
    const bool haveSound = capture && *capture;
    PlayWindow wnd;
    OpenPort(kPort, 1, wnd.get(), false);
    // Sound starts with an empty queue; blocks fed after it are picked up at refills.
    int started = RE4Ravi_PlaySound(kPort);
    if (!haveSound) {
        EXPECT_EQ(started, 0);
        EXPECT_EQ(RE4Ravi_GetLastError(kPort), 12);
        EXPECT_FALSE(PortTable[kPort].sound.buffer);
        // The stream still takes its input.
        Bytes v = VideoRecords(2, 100);
        EXPECT_EQ(RE4Ravi_InputData(kPort, v.data(), static_cast<unsigned>(v.size())), 1);
        EXPECT_EQ(RE4Ravi_StopSound(), 1);
        RE4Ravi_CloseStream(kPort);
        return;
    }
    ASSERT_EQ(started, 1);
    const LONGLONG before = CaptureSize(capture);
    Bytes a = AudioRecords(50, 9000);
    ASSERT_EQ(RE4Ravi_InputData(kPort, a.data(), static_cast<unsigned>(a.size())), 1);
    // The sink heard the tone: some samples far from zero.
    const int loud = WaitForLoud(capture, before, 4000, 1000);
    EXPECT_EQ(RE4Ravi_StopSound(), 1);
    EXPECT_FALSE(PortTable[kPort].sound.buffer);
    RE4Ravi_CloseStream(kPort);
    EXPECT_GT(loud, 1000);
}

TEST(Sound, FilePortPlaysItsAudioRecords) {
    const char* capture = std::getenv("DVR_SOUND_CAPTURE");
    if (!capture || !*capture) GTEST_SKIP() << "needs the sound session";
    const std::string path = dvr::testing::TestDataPath("cif_ip.MPG");
    ASSERT_EQ(RE4Ravi_OpenFile(kPort, path.c_str()), 1);
    ASSERT_FALSE(PortTable[kPort].file.head.noSound);
    // Only what this case plays.
    const LONGLONG before = CaptureSize(capture);
    RE4Ravi_SetVolume(kPort, 65535);
    ASSERT_EQ(RE4Ravi_PlaySound(kPort), 1);
    const int heard = WaitForLoud(capture, before, 500, 500);
    RE4Ravi_StopSound();
    RE4Ravi_CloseFile(kPort);
    EXPECT_GT(heard, 500);
}

TEST(Sound, SharedSoundPlaysOnSeveralPortsAndPlainSoundOnOne) {
    const char* capture = std::getenv("DVR_SOUND_CAPTURE");
    if (!capture || !*capture) GTEST_SKIP() << "needs the sound session";
    HWND wnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 352, 288, nullptr,
                                 nullptr, nullptr, nullptr);
    DirectDrawPathAllowed = 0;
    OpenPort(1, 1, wnd, false);
    // Port 3 is opened but not yet playing.
    ASSERT_EQ(RE4Ravi_SetStreamOpenMode(3, 0), 1);
    Bytes head = MakeFileHead(0x0001);
    ASSERT_EQ(RE4Ravi_OpenStream(3, head.data(), 19, 51200), 1);
    EXPECT_EQ(RE4Ravi_PlaySoundShare(1), 1);
    EXPECT_EQ(RE4Ravi_PlaySoundShare(3), 1);
    EXPECT_TRUE(PortTable[1].sound.buffer);
    EXPECT_TRUE(PortTable[3].sound.buffer);
    EXPECT_EQ(PortTable[3].sound.bufferSize, 10240); // shared-thread stream port
    EXPECT_EQ(PortTable[1].sound.bufferSize, 20480);
    // Shared sound is stopped only on a playing port.
    EXPECT_EQ(RE4Ravi_StopSoundShare(3), 0);
    EXPECT_TRUE(PortTable[3].sound.buffer);
    ASSERT_EQ(RE4Ravi_Play(3, wnd), 1);
    EXPECT_EQ(RE4Ravi_StopSoundShare(3), 1);
    EXPECT_FALSE(PortTable[3].sound.buffer);
    EXPECT_EQ(RE4Ravi_PlaySound(3), 1);
    EXPECT_FALSE(PortTable[1].sound.buffer);
    EXPECT_TRUE(PortTable[3].sound.buffer);
    RE4Ravi_StopSound();
    EXPECT_FALSE(PortTable[3].sound.buffer);
    EXPECT_EQ(PortTable[3].sound.mute.load(), 1);
    RE4Ravi_CloseStream(1);
    RE4Ravi_CloseStream(3);
    ::DestroyWindow(wnd);
}

} // namespace
} // namespace dvr::strovid
