// What the player tests that play recordings share: reading a recording, cutting it into
// its video records, a window to play into, and waiting for what a thread does.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/testing/testdata.h"
#include "player/format/stream_parser.h"
#include "player/format/test_records.h"
#include "player/lib/frame_queue.h"
#include "player/lib/play_port.h"
#include "player/lib/stream_rules.h"

namespace dvr::strovid::test_support {

using dvr::testing::Bytes;

inline Bytes ReadAll(const std::string& path) {
    Bytes b;
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

// A recorded stream: its header, then its records as a network client hands them over.
struct Recorded {
    Bytes head, records;
};
inline Recorded Recording(const char* name = "cif_ip.MPG") {
    Bytes all = ReadAll(dvr::testing::TestDataPath(name));
    Recorded r;
    if (all.size() < 19) return r;
    r.head.assign(all.begin(), all.begin() + 19);
    r.records.assign(all.begin() + 19, all.end());
    return r;
}

// One video record of a recording: its type byte, time stamp and payload.
struct VideoRecord {
    uint8_t type;
    uint32_t timeStamp;
    Bytes payload;
    // The record again as a stream carries it.
    Bytes Whole() const {
        Bytes rec =
            dvr::testing::MakeFrameHead(type, 0, timeStamp, static_cast<uint32_t>(payload.size()));
        rec.insert(rec.end(), payload.begin(), payload.end());
        return rec;
    }
};
inline std::vector<VideoRecord> VideoRecordsOf(const Recorded& r) {
    FrameQueue queue(1 << 30, 0);
    QueueSink sink(&queue, nullptr);
    StreamParser parser(false);
    parser.Input(r.records.data(), r.records.size(), sink);
    std::vector<VideoRecord> out;
    Bytes payload(kDecoderInputSize);
    uint8_t type = 0;
    uint32_t ts = 0;
    int count = 0;
    while (uint32_t n = queue.Pop(payload.data(), payload.size(), &type, &ts, &count, true))
        out.push_back({type, ts, Bytes(payload.begin(), payload.begin() + n)});
    return out;
}

inline bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
    for (int t = 0; t < ms; t += 10) {
        if (done()) return true;
        ::Sleep(10);
    }
    return done();
}

inline void OpenRecorded(int port, int mode, const Recorded& r) {
    ASSERT_EQ(RE4Ravi_SetStreamOpenMode(port, mode), 1);
    ASSERT_EQ(RE4Ravi_OpenStream(port, r.head.data(), 19, 1024000), 1);
}

// A visible top-level window of the picture's size at the screen's corner.
class TestWindow {
public:
    TestWindow(int width = 352, int height = 288, int x = 0, int y = 0) {
        wnd_ = ::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, x, y, width,
                                 height, nullptr, nullptr, nullptr, nullptr);
    }
    ~TestWindow() {
        if (wnd_) ::DestroyWindow(wnd_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return wnd_; }
    // Paints the window white until the screen shows it: a picture drawn before the
    // window is really on screen would be lost.
    bool WaitOnScreen() {
        RECT r{};
        ::GetWindowRect(wnd_, &r);
        for (int i = 0; i < 500; ++i) {
            HDC dc = ::GetDC(wnd_);
            RECT client{};
            ::GetClientRect(wnd_, &client);
            ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            ::ReleaseDC(wnd_, dc);
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&msg);
            HDC screen = ::GetDC(nullptr);
            const COLORREF c = ::GetPixel(screen, r.left + 10, r.top + 10);
            ::ReleaseDC(nullptr, screen);
            if ((c & 0xFFFFFF) == 0xFFFFFF) return true;
            ::Sleep(10);
        }
        return false;
    }

private:
    HWND wnd_ = nullptr;
};

// FNV-1a of a picture.
inline uint64_t PictureDigest(const uint8_t* yuv, int size) {
    uint64_t h = 1469598103934665603ull;
    for (int i = 0; i < size; ++i)
        h = (h ^ yuv[i]) * 1099511628211ull;
    return h;
}

} // namespace dvr::strovid::test_support
