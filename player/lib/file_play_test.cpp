#include <windows.h>

#include <atomic>
#include <string>

#include <gtest/gtest.h>

#include "common/testing/testdata.h"
#include "player/decoder/decoder.h"
#include "player/lib/play_port.h"

namespace dvr::strovid {
namespace {

constexpr UINT kEndMessage = WM_USER + 4;

struct Pictures {
    static void CALLBACK Shown(int, const uint8_t* yuv, int size, int width, int height,
                               uint32_t timeStamp, int type, int) {
        if (!yuv || size != width * height * 3 / 2 || type != 3) ++bad;
        // A paused port shows its picture again; time never goes back.
        if (timeStamp < lastTimeStamp) ++bad;
        lastTimeStamp = timeStamp;
        ++count;
    }
    static inline std::atomic<int> count{0};
    static inline std::atomic<int> bad{0};
    static inline std::atomic<uint32_t> lastTimeStamp{0};
};

struct Handed {
    static void CALLBACK Picture(int port, const uint8_t* yuv, int size,
                                 const DecodedFrameInfo* info, int reserved1, int reserved2) {
        if (port != 12 || !yuv || !info || info->pictureType != 3 || reserved1 != 0 ||
            reserved2 != 0 || size != info->width * info->height * 3 / 2 || info->frameRate != 25)
            ++bad;
        if (count.load() == 0 || info->timeStamp != lastTimeStamp.load()) ++distinct;
        lastTimeStamp = info->timeStamp;
        ++count;
    }
    static inline std::atomic<int> count{0};
    static inline std::atomic<int> distinct{0};
    static inline std::atomic<uint32_t> lastTimeStamp{0};
    static inline std::atomic<int> bad{0};
};

// A digest of each picture shown, by its number.
struct Digests {
    static uint64_t Of(const uint8_t* yuv, int size) {
        uint64_t h = 1469598103934665603ull;
        for (int i = 0; i < size; ++i)
            h = (h ^ yuv[i]) * 1099511628211ull;
        return h;
    }
    static void CALLBACK Shown(int port, const uint8_t* yuv, int size, int, int, uint32_t, int,
                               int) {
        const int n = PortTable[port].currentPicture;
        if (n > 0 && n <= 100 && !PortTable[port].userPause.load()) byPicture[n] = Of(yuv, size);
    }
    static inline uint64_t byPicture[101] = {};

    // The latest picture shown, paused or not.
    static void CALLBACK Latest(int port, const uint8_t* yuv, int size, int, int, uint32_t, int,
                                int) {
        latest = Of(yuv, size);
        latestNumber = PortTable[port].currentPicture;
    }
    static inline std::atomic<uint64_t> latest{0};
    static inline std::atomic<int> latestNumber{0};
};

class FilePlay : public ::testing::Test {
protected:
    void SetUp() override {
        DirectDrawPathAllowed = 0; // DrawDib: the same under every display
        Pictures::count = 0;
        Pictures::bad = 0;
        Pictures::lastTimeStamp = 0;
        Handed::count = 0;
        Handed::distinct = 0;
        Handed::bad = 0;
        SetPlayerError(0);
    }
    void TearDown() override {
        RE4Ravi_Stop(kPort);
        RE4Ravi_SetDisplayCallBack(kPort, nullptr);
        RE4Ravi_SetFileEndMsg(kPort, nullptr, 0);
        RE4Ravi_CloseFile(kPort);
        if (wnd_) ::DestroyWindow(wnd_);
    }
    // Opens a recording and waits for its key-frame index.
    void Open(const char* name) {
        ASSERT_EQ(RE4Ravi_OpenFileEx(kPort, dvr::testing::TestDataPath(name).c_str()), 1);
        for (int i = 0; i < 500 && !port().indexComplete.load(); ++i)
            ::Sleep(20);
        ASSERT_TRUE(port().indexComplete.load());
    }
    HWND Window() {
        wnd_ = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 352, 288, nullptr,
                                 nullptr, nullptr, nullptr);
        return wnd_;
    }
    // The next video record's frame number, audio skipped.
    uint32_t NextVideoFrame() {
        for (;;) {
            const int kind = ::ReadOneFrameEx(kPort, 1, port().playFile.Get());
            if (kind == kRecordEnd) return 0;
            if (kind != kRecordAudio) return port().file.play.frameNumber;
        }
    }
    // Pumps messages until the end-of-file notice (true) or the time is up.
    bool WaitForEnd(DWORD ms) {
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < ms) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == kEndMessage) return true;
                ::DispatchMessageW(&msg);
            }
            ::Sleep(10);
        }
        return false;
    }
    static PlayPort& port() { return PortTable[kPort]; }
    static constexpr int kPort = 12;
    HWND wnd_ = nullptr;
};

TEST_F(FilePlay, PlaysToTheEndNoticesOnceAndKeepsTheLastPicture) {
    Open("cif_ip.MPG");
    HWND wnd = Window();
    ASSERT_NE(wnd, nullptr);
    ASSERT_EQ(RE4Ravi_SetFileEndMsg(kPort, wnd, kEndMessage), 1);
    ASSERT_EQ(RE4Ravi_SetDisplayCallBack(kPort, &Pictures::Shown), 1);
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd), 1);
    RE4Ravi_SetPlaySpeed(kPort, 2);
    // Play on a playing port resumes it at normal speed.
    EXPECT_EQ(RE4Ravi_Play(kPort, wnd), 0);
    EXPECT_EQ(port().speedStep.load(), 0);
    RE4Ravi_SetPlaySpeed(kPort, 2);

    int notices = 0;
    WPARAM noticePort = 99;
    LPARAM noticeParam = 99;
    // Until the notice, then a while longer: a second one would show there.
    DWORD until = ::GetTickCount() + 15000;
    while (static_cast<int>(until - ::GetTickCount()) > 0) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == kEndMessage) {
                if (++notices == 1) until = ::GetTickCount() + 600;
                noticePort = msg.wParam;
                noticeParam = msg.lParam;
            }
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
    EXPECT_EQ(noticeParam, 0);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(noticePort, static_cast<WPARAM>(kPort));
    EXPECT_EQ(Pictures::bad.load(), 0);
    EXPECT_GE(Pictures::count.load(), 100); // paused redisplays come on top
    EXPECT_EQ(RE4Ravi_GetCurrentFrameNum(kPort), 100);
    EXPECT_FLOAT_EQ(RE4Ravi_GetPlayPos(kPort), 1.0f);
    EXPECT_EQ(port().userPause.load(), 1);
    EXPECT_EQ(port().running.load(), 1);
    EXPECT_GE(RE4Ravi_GetPlayedTimeEx(kPort), 3800u);

    // The last picture is still in the window.
    HDC dc = ::GetDC(wnd);
    int lit = 0;
    for (int y = 20; y < 288; y += 40)
        for (int x = 20; x < 352; x += 40)
            if ((::GetPixel(dc, x, y) & 0xFFFFFF) != 0) ++lit;
    ::ReleaseDC(wnd, dc);
    EXPECT_GT(lit, 10);

    EXPECT_EQ(RE4Ravi_Stop(kPort), 1);
    EXPECT_FALSE(port().playThread);
    EXPECT_EQ(port().running.load(), 0);
    EXPECT_EQ(port().userPause.load(), 0);
}

// Dropped B pictures are neither decoded for showing nor counted twice.
TEST_F(FilePlay, DroppedBPicturesAreNotShown) {
    struct Case {
        const char* name;
        unsigned drop;
        int shown; // ten I pictures alone, the rest P with one or two B each
    };
    const Case cases[] = {{"cif_ipb2.MPG", 0, 100},
                          {"cif_ipb2.MPG", 1, 70},
                          {"cif_ipb2.MPG", 2, 40},
                          {"cif_ipb1.MPG", 1, 55},
                          {"cif_ipb1.MPG", 2, 55}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " drop " + std::to_string(c.drop));
        Open(c.name);
        HWND wnd = Window();
        RE4Ravi_SetFileEndMsg(kPort, wnd, kEndMessage);
        RE4Ravi_ThrowBFrameNum(kPort, c.drop);
        RE4Ravi_SetDisplayCallBack(kPort, &Pictures::Shown);
        Pictures::count = 0;
        Pictures::bad = 0;
        Pictures::lastTimeStamp = 0;
        ASSERT_EQ(RE4Ravi_Play(kPort, wnd), 1);
        RE4Ravi_SetPlaySpeed(kPort, 3);
        EXPECT_TRUE(WaitForEnd(15000));
        RE4Ravi_Stop(kPort);
        EXPECT_EQ(port().currentPicture, c.shown);
        // The last one is shown again while the port waits paused at the end.
        EXPECT_GE(Pictures::count.load(), c.shown);
        EXPECT_LE(Pictures::count.load(), c.shown + 3);
        EXPECT_EQ(Pictures::bad.load(), 0);
        RE4Ravi_ThrowBFrameNum(kPort, 0);
        RE4Ravi_CloseFile(kPort);
        ::DestroyWindow(wnd_);
        wnd_ = nullptr;
    }
}

// With a decode callback every picture goes to it and nothing is paced; paused at the
// end, the last picture is handed over again and again, as a paused port shows it.
TEST_F(FilePlay, DecodeCallbackTakesEveryPictureAndThePausedOneAgain) {
    Open("cif_ip.MPG");
    HWND wnd = Window();
    RE4Ravi_SetFileEndMsg(kPort, wnd, kEndMessage);
    ASSERT_EQ(RE4Ravi_SetDecCallBack(kPort, &Handed::Picture), 1);
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd), 1);
    EXPECT_TRUE(WaitForEnd(15000));
    const int atEnd = Handed::count.load();
    for (int i = 0; i < 500 && Handed::count.load() < atEnd + 3; ++i)
        ::Sleep(10);
    EXPECT_GE(Handed::count.load(), atEnd + 3);
    EXPECT_EQ(Handed::distinct.load(), 100);
    EXPECT_EQ(Handed::bad.load(), 0);
}

TEST_F(FilePlay, PauseStepAndResume) {
    Open("cif_ip.MPG");
    HWND wnd = Window();
    EXPECT_EQ(RE4Ravi_OneByOne(kPort), 0); // nothing playing
    ASSERT_EQ(RE4Ravi_SetDisplayCallBack(kPort, &Pictures::Shown), 1);
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd), 1);
    ::Sleep(200);
    ASSERT_EQ(RE4Ravi_Pause(kPort, 1), 1);
    ::Sleep(200);
    const int paused = RE4Ravi_GetCurrentFrameNum(kPort);
    EXPECT_GT(paused, 0);
    ::Sleep(300);
    EXPECT_EQ(RE4Ravi_GetCurrentFrameNum(kPort), paused);
    ASSERT_EQ(RE4Ravi_OneByOne(kPort), 1);
    ::Sleep(300);
    EXPECT_EQ(RE4Ravi_GetCurrentFrameNum(kPort), paused + 1);
    EXPECT_EQ(port().userPause.load(), 1);
    ASSERT_EQ(RE4Ravi_Pause(kPort, 0), 1);
    ::Sleep(300);
    EXPECT_GT(RE4Ravi_GetCurrentFrameNum(kPort), paused + 1);
    EXPECT_EQ(Pictures::bad.load(), 0);
}

TEST_F(FilePlay, ClosingOrReopeningAPlayingPortStopsIt) {
    for (bool reopen : {false, true}) {
        Open("cif_ip.MPG");
        HWND wnd = Window();
        ASSERT_EQ(RE4Ravi_Play(kPort, wnd), 1);
        ::Sleep(150);
        if (reopen)
            Open("cif_ipb1.MPG");
        else
            EXPECT_EQ(RE4Ravi_CloseFile(kPort), 1);
        EXPECT_FALSE(port().playThread);
        EXPECT_EQ(port().running.load(), 0);
        ::DestroyWindow(wnd_);
        wnd_ = nullptr;
    }
}

TEST_F(FilePlay, ControlsKeepTheirLimits) {
    EXPECT_EQ(RE4Ravi_Play(kPort, nullptr), 0); // no file
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(RE4Ravi_Fast(kPort), 1);
    EXPECT_EQ(port().speedStep.load(), 4);
    for (int i = 0; i < 9; ++i)
        RE4Ravi_Slow(kPort);
    EXPECT_EQ(port().speedStep.load(), -4);
    struct Case {
        int asked;
        int stored;
    };
    for (Case c : {Case{9, 4}, Case{-100, -4}, Case{1, 1}, Case{0, 0}}) {
        RE4Ravi_SetPlaySpeed(kPort, c.asked);
        EXPECT_EQ(port().speedStep.load(), c.stored);
    }
    for (Case c : {Case{1, 1}, Case{2, 2}, Case{3, 2}, Case{-1, 2}}) {
        EXPECT_EQ(RE4Ravi_ThrowBFrameNum(kPort, static_cast<unsigned>(c.asked)), 1);
        EXPECT_EQ(port().throwB.load(), c.stored);
    }
    RE4Ravi_ThrowBFrameNum(kPort, 0);
    EXPECT_EQ(RE4Ravi_SetDisplayCallBack(kPort, nullptr), 0);
    EXPECT_EQ(RE4Ravi_SetRoundPlay(kPort, 1), 1);
    EXPECT_EQ(RE4Ravi_SetRoundPlay(kPortCount, 1), 0);
    EXPECT_EQ(RE4Ravi_ThrowBFrameNum(-1, 1), 0);
    EXPECT_EQ(RE4Ravi_GetLastError(0), kErrorBadPort);
    EXPECT_EQ(RE4Ravi_GetPlayedTime(kPort), 0u); // nothing read
}

TEST_F(FilePlay, SeeksLandBeforeTheWantedPicture) {
    Open("cif_ip.MPG"); // a key frame every 12 pictures
    struct Case {
        unsigned picture;
        int current;   // where the port stands afterwards
        uint32_t next; // the next video record's frame number
    };
    // A key frame's own number and the one after it both start at the key frame.
    const Case cases[] = {{24, 23, 1024}, {30, 29, 1029}, {13, 12, 1012}, {14, 13, 1013},
                          {0, 0, 1000},   {1, 0, 1000},   {99, 98, 1098}, {500, 99, 1099}};
    for (const Case& c : cases) {
        ASSERT_EQ(RE4Ravi_SetCurrentFrameNum(kPort, c.picture), 1) << c.picture;
        EXPECT_EQ(port().currentPicture, c.current) << c.picture;
        EXPECT_EQ(port().seekDone.load(), 1);
        EXPECT_EQ(port().seekInProgress.load(), 0);
        EXPECT_EQ(NextVideoFrame(), c.next) << c.picture;
    }

    EXPECT_EQ(RE4Ravi_SetPlayPos(kPort, 0.305f), 1);
    EXPECT_EQ(port().currentPicture, 29);
    EXPECT_EQ(RE4Ravi_SetPlayPos(kPort, 0.0f), 1);
    EXPECT_EQ(NextVideoFrame(), 1000u);
    EXPECT_EQ(RE4Ravi_SetPlayPos(kPort, 1.0f), 1);
    EXPECT_EQ(port().currentPicture, 99);
    EXPECT_EQ(RE4Ravi_SetPlayPos(kPort, -0.5f), 0);
    EXPECT_EQ(RE4Ravi_GetLastError(kPort), kErrorBadPort);

    // 1 s is picture 25; the port stands on the picture after the one at 1 s.
    ASSERT_EQ(RE4Ravi_SetPlayedTimeEx(kPort, 1000), 1);
    EXPECT_EQ(port().currentPicture, 26);
    EXPECT_EQ(port().file.play.frameNumber, 1025u);
    EXPECT_EQ(RE4Ravi_GetPlayedTimeEx(kPort), 1000u);
    EXPECT_EQ(RE4Ravi_GetPlayedTime(kPort), 1u);
    // Beyond the end the decoding stops at the end of the file.
    ASSERT_EQ(RE4Ravi_SetPlayedTimeEx(kPort, 100000000), 1);
    EXPECT_EQ(NextVideoFrame(), 0u);
}

// Seeking and stepping back through records that carry B pictures give the picture
// that playing showed under the same number.
TEST_F(FilePlay, SeekAndStepBackGiveThePlayedPicture) {
    Open("cif_ipb2.MPG");
    HWND wnd = Window();
    RE4Ravi_SetFileEndMsg(kPort, wnd, kEndMessage);
    RE4Ravi_SetDisplayCallBack(kPort, &Digests::Shown);
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd), 1);
    RE4Ravi_SetPlaySpeed(kPort, 4);
    ASSERT_TRUE(WaitForEnd(15000));
    RE4Ravi_Stop(kPort);
    RE4Ravi_SetDisplayCallBack(kPort, nullptr);

    // Seeking a paused port shows the wanted picture and stays paused.
    RE4Ravi_SetDisplayCallBack(kPort, &Digests::Latest);
    ASSERT_EQ(RE4Ravi_Play(kPort, wnd), 1);
    RE4Ravi_Pause(kPort, 1);
    struct Case {
        unsigned n;
        int shows; // a key frame's number and the next both start at the key frame
    };
    for (Case c : {Case{23, 23}, Case{35, 35}, Case{47, 47}, Case{58, 58}, Case{99, 99},
                   Case{20, 21}, Case{21, 21}}) {
        SCOPED_TRACE(c.n);
        ASSERT_EQ(RE4Ravi_SetCurrentFrameNum(kPort, c.n), 1);
        ::Sleep(300);
        EXPECT_EQ(Digests::latestNumber.load(), static_cast<int>(c.n));
        EXPECT_EQ(Digests::latest.load(), Digests::byPicture[c.shows]);
        EXPECT_EQ(port().userPause.load(), 1);
    }
    RE4Ravi_Stop(kPort);
    RE4Ravi_SetDisplayCallBack(kPort, nullptr);

    int width = 0, height = 0;
    decoder::GetWH(port().decoderHandle, &width, &height);
    const int size = width * height * 3 / 2;
    int compared = 0;
    for (unsigned from : {20u, 21u, 22u, 30u, 47u, 50u, 60u, 98u}) {
        SCOPED_TRACE(from);
        ASSERT_EQ(RE4Ravi_SetCurrentFrameNum(kPort, from), 1);
        ASSERT_EQ(RE4Ravi_OneByOneBack(kPort), 1);
        const int target = static_cast<int>(from) - 2;
        if (port().seekDone.load()) continue; // the play thread decodes it
        EXPECT_EQ(port().currentPicture, target);
        ASSERT_NE(port().lastShownPicture, nullptr);
        EXPECT_NE(Digests::byPicture[target], 0u);
        EXPECT_EQ(Digests::Of(port().lastShownPicture, size), Digests::byPicture[target]);
        ++compared;
    }
    EXPECT_GE(compared, 6); // only key frames are left to the play thread
}

TEST_F(FilePlay, SeekByTimeWaitsForTheIndex) {
    ASSERT_EQ(RE4Ravi_OpenFileEx(kPort, dvr::testing::TestDataPath("d1_ipb2.MPG").c_str()), 1);
    ASSERT_EQ(RE4Ravi_SetPlayedTimeEx(kPort, 1000), 1);
    EXPECT_EQ(port().indexComplete.load(), 1);
    // A record's time stamp is that of its last picture: up to two B pictures further.
    EXPECT_GE(RE4Ravi_GetPlayedTimeEx(kPort), 1000u);
    EXPECT_LE(RE4Ravi_GetPlayedTimeEx(kPort), 1080u);
    EXPECT_GT(port().currentPicture, 20);
}

TEST_F(FilePlay, SeekingNeedsTheIndex) {
    EXPECT_EQ(RE4Ravi_SetCurrentFrameNum(kPort, 3), 0); // no file, no index
    EXPECT_EQ(RE4Ravi_GetLastError(kPort), kErrorIndexIncomplete);
    EXPECT_EQ(RE4Ravi_OneByOneBack(kPort), 0);
    // A port with no file does not wait for an index that never comes.
    EXPECT_EQ(RE4Ravi_SetPlayedTimeEx(kPort, 500), 0);
    EXPECT_EQ(RE4Ravi_SetCurrentFrameNum(kPortCount, 3), 0);
    EXPECT_EQ(RE4Ravi_GetLastError(0), kErrorBadPort);
}

TEST_F(FilePlay, StepBackDecodesFromTheKeyFrame) {
    Open("cif_ip.MPG");
    struct Case {
        unsigned from; // seek target first: the port then stands on from - 1
        int current;   // after stepping back
        int seekDone;  // the play thread decodes the next picture itself
        uint32_t next;
    };
    const Case cases[] = {
        {31, 29, 0, 1029}, {26, 23, 1, 1024}, {25, 23, 0, 1023}, {3, 1, 0, 1001}, {2, 0, 1, 1000}};
    for (const Case& c : cases) {
        ASSERT_EQ(RE4Ravi_SetCurrentFrameNum(kPort, c.from), 1);
        ASSERT_EQ(RE4Ravi_OneByOneBack(kPort), 1) << c.from;
        EXPECT_EQ(port().userPause.load(), 1);
        EXPECT_EQ(port().currentPicture, c.current) << c.from;
        EXPECT_EQ(port().seekDone.load(), c.seekDone) << c.from;
        EXPECT_EQ(NextVideoFrame(), c.next) << c.from;
    }
}

} // namespace
} // namespace dvr::strovid
