#include <windows.h>

#include <atomic>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "common/testing/testdata.h"
#include "player/format/test_records.h"
#include "player/lib/play_port.h"

namespace dvr::strovid {
namespace {

using dvr::testing::Append;
using dvr::testing::Bytes;
using dvr::testing::MakeFileHead;
using dvr::testing::MakeFrameHead;
using dvr::testing::TestDataPath;

// A file in the temporary folder, removed at the end of the test.
class TempFile {
public:
    TempFile(const std::string& name, const Bytes& bytes) {
        char dir[MAX_PATH];
        ::GetTempPathA(MAX_PATH, dir);
        path_ =
            std::string(dir) + "strovid_" + std::to_string(::GetCurrentProcessId()) + "_" + name;
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    ~TempFile() { ::DeleteFileA(path_.c_str()); }
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

Bytes KeyFrames(int count, uint32_t payload) {
    Bytes f = MakeFileHead(0x0000);
    for (int i = 0; i < count; ++i) {
        Append(f, MakeFrameHead(kFrameKey, 1000 + i, 324000000 + 3600 * i, payload));
        Append(f, dvr::testing::Payload(payload, static_cast<uint8_t>(i)));
    }
    return f;
}

// Counts index callbacks and lets a test wait for one.
struct IndexNotice {
    static void CALLBACK Called(int port, int user) {
        lastPort = port;
        lastUser = user;
        ++calls;
        ::SetEvent(event);
    }
    static inline std::atomic<int> calls{0};
    static inline std::atomic<int> lastPort{-1};
    static inline std::atomic<int> lastUser{0};
    static inline HANDLE event = nullptr;
};

class FileOpen : public ::testing::Test {
protected:
    void SetUp() override {
        IndexNotice::event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
        IndexNotice::calls = 0;
        SetPlayerError(0);
    }
    void TearDown() override {
        for (int p = 0; p < kPortCount; ++p)
            RE4Ravi_CloseFile(p);
        ::CloseHandle(IndexNotice::event);
    }
    bool WaitForIndex() {
        return ::WaitForSingleObject(IndexNotice::event, 20000) == WAIT_OBJECT_0;
    }
};

TEST_F(FileOpen, RecordingsGetHeaderTimesAndACompleteIndex) {
    struct Case {
        const char* name;
        unsigned pictures;
        uint32_t firstRecordAt;
        int height, width;
    };
    for (Case c : {Case{"cif_ip.MPG", 100, 19, 288, 352}, Case{"cif_ipb1.MPG", 100, 19, 288, 352},
                   Case{"cif_ipb2.MPG", 100, 19, 288, 352}, Case{"d1_ipb2.MPG", 50, 19, 576, 704},
                   Case{"cif_ip_text.MPG", 100, 47, 288, 352},
                   Case{"cif_ip_headeronly.MPG", 100, 19, 288, 352},
                   Case{"cif_ip_garbage.MPG", 100, 19, 288, 352}}) {
        SCOPED_TRACE(c.name);
        const std::string path = TestDataPath(c.name);
        ASSERT_EQ(RE4Ravi_SetFileRefCallBack(4, &IndexNotice::Called, 77), 1);
        IndexNotice::calls = 0;
        ASSERT_EQ(RE4Ravi_OpenFileEx(4, path.c_str()), 1);
        ASSERT_TRUE(WaitForIndex());
        EXPECT_EQ(IndexNotice::lastPort, 4);
        EXPECT_EQ(IndexNotice::lastUser, 77);
        EXPECT_EQ(RE4Ravi_GetFileTotalFrames(4), c.pictures);
        EXPECT_EQ(RE4Ravi_GetFileTime(4), RE4Ravi_GetFileTotalTime(path.c_str()) / 1000);
        EXPECT_EQ(RE4Ravi_GetCurrentFrameRate(4), 25);
        int h = 0, w = 0;
        EXPECT_EQ(RE4Ravi_GetPictureSize(4, &h, &w), 1);
        EXPECT_EQ(h, c.height);
        EXPECT_EQ(w, c.width);
        KeyFrameInfo first{};
        ASSERT_EQ(RE4Ravi_GetKeyFramePos(4, 0, 1, &first), 1);
        EXPECT_EQ(first.picture, 0u);
        EXPECT_EQ(first.timeMs, 0);
        EXPECT_EQ(first.filePos, c.firstRecordAt);
        EXPECT_EQ(RE4Ravi_CloseFile(4), 1);
        EXPECT_EQ(IndexNotice::calls, 1);
    }
}

TEST_F(FileOpen, KeyFrameQueriesOnARecording) {
    // Key frames every 12 pictures, 40 ms apart.
    ASSERT_EQ(RE4Ravi_SetFileRefCallBack(2, &IndexNotice::Called, 0), 1);
    ASSERT_EQ(RE4Ravi_OpenFile(2, TestDataPath("cif_ip.MPG").c_str()), 1);
    ASSERT_TRUE(WaitForIndex());
    struct Case {
        unsigned value;
        int mode;
        bool next;
        int result;
        uint32_t picture;
    };
    for (Case c :
         {Case{50, 1, false, 1, 48}, Case{48, 1, false, 1, 48}, Case{99, 1, false, 1, 96},
          Case{5000, 1, false, 1, 96}, Case{50, 1, true, 1, 60}, Case{96, 1, true, 1, 96},
          Case{97, 1, true, 0, 0}, Case{2000, 2, false, 1, 48}, Case{1921, 0, true, 1, 60}}) {
        SCOPED_TRACE(::testing::Message() << c.value << " mode " << c.mode << " next " << c.next);
        KeyFrameInfo info{};
        int r = c.next ? RE4Ravi_GetNextKeyFramePos(2, c.value, c.mode, &info)
                       : RE4Ravi_GetKeyFramePos(2, c.value, c.mode, &info);
        ASSERT_EQ(r, c.result);
        if (r) {
            EXPECT_EQ(info.picture, c.picture);
            EXPECT_EQ(info.timeMs, static_cast<int>(c.picture * 40));
            // The position is that of the key frame's record header.
            HANDLE h = ::CreateFileA(TestDataPath("cif_ip.MPG").c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            ::SetFilePointer(h, static_cast<LONG>(info.filePos), nullptr, FILE_BEGIN);
            EXPECT_EQ(::ReadOneFrameEx(7, 0, h), kRecordKey);
            ::CloseHandle(h);
        }
    }
}

TEST_F(FileOpen, RefusedFiles) {
    TempFile foreign("foreign.MPG", Bytes(8192, 0x47));
    Bytes shortFile = KeyFrames(10, 100); // a good header and records, under 4096 bytes
    TempFile tooShort("short.MPG", shortFile);
    struct Case {
        const char* path;
        int error;
    };
    for (Case c : {Case{"Z:\\no\\such\\file.MPG", 0}, Case{foreign.path(), 0},
                   Case{tooShort.path(), kErrorFileTooShort}}) {
        SCOPED_TRACE(c.path);
        SetPlayerError(0);
        EXPECT_EQ(RE4Ravi_OpenFileEx(1, c.path), 0);
        EXPECT_EQ(PlayerErrorCode.load(), c.error);
        EXPECT_EQ(PortTable[1].fileOpen.load(), 0);
    }
}

TEST_F(FileOpen, FailedAndRepeatedOpensGiveTheirDecoderBack) {
    TempFile tooShort("short2.MPG", KeyFrames(10, 100));
    const std::string good = TestDataPath("cif_ip.MPG");
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(RE4Ravi_OpenFileEx(0, tooShort.path()), 0);
        ASSERT_EQ(RE4Ravi_OpenFileEx(1, good.c_str()), 1) << round; // open again, no close
    }
    // Every one of the 16 decoder instances is still there for ports 0..15.
    for (int p = 0; p < 16; ++p)
        EXPECT_EQ(RE4Ravi_OpenFileEx(p, good.c_str()), 1) << p;
    SetPlayerError(0);
    EXPECT_EQ(RE4Ravi_OpenFileEx(16, good.c_str()), 0);
    EXPECT_EQ(PlayerErrorCode.load(), kErrorNoDecoder);
}

TEST_F(FileOpen, ClosingDuringIndexingStopsTheThreadWithoutCallback) {
    TempFile big("big.MPG", KeyFrames(60000, 1));
    ASSERT_EQ(RE4Ravi_SetFileRefCallBack(9, &IndexNotice::Called, 5), 1);
    ASSERT_EQ(RE4Ravi_OpenFileEx(9, big.path()), 1);
    KeyFrameInfo info{};
    SetPlayerError(0);
    EXPECT_EQ(RE4Ravi_GetKeyFramePos(9, 0, 1, &info), 0);
    EXPECT_EQ(PlayerErrorCode.load(), kErrorIndexIncomplete);
    EXPECT_EQ(RE4Ravi_CloseFile(9), 1);
    // The thread has ended: no callback can follow the close.
    const int calls = IndexNotice::calls;
    ::Sleep(200);
    EXPECT_EQ(IndexNotice::calls, calls);
    EXPECT_EQ(RE4Ravi_GetKeyFramePos(9, 0, 1, &info), 0);

    // Left alone, the same file's index completes, thinned to a fixed size.
    ASSERT_EQ(RE4Ravi_OpenFileEx(9, big.path()), 1);
    ASSERT_TRUE(WaitForIndex());
    EXPECT_EQ(RE4Ravi_GetFileTotalFrames(9), 60000u);
    EXPECT_LE(PortTable[9].keyFrames.count, kKeyFrameIndexSize);
    ASSERT_EQ(RE4Ravi_GetKeyFramePos(9, 54321, 1, &info), 1);
    EXPECT_LE(info.picture, 54321u);
    EXPECT_GT(info.picture + 2000, 54321u);
}

} // namespace
} // namespace dvr::strovid
