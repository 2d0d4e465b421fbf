#include "host/engine/T_AlarmThreads.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <fstream>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// Counts work-log lines; everything else is inert.
class CountingHost : public TAlarmDispatchHost {
public:
    CountingHost() {
        record.MotionOn = 1;
        record.VideoLossOn = 1;
    }
    int BoardChannelCount() const override { return 2; }
    int ChannelCount() const override { return 2; }
    const TAlarmSetRecord& Record(int) const override { return record; }
    bool AutoMode() const override { return false; }
    bool Armed(int) const override { return true; }
    bool Alarming(int) const override { return false; }
    void SetSound(int, int, bool) override {}
    int OutlineCount(int) const override { return 0; }
    void ShowAlarmOutline(int, int) override {}
    bool AutoFullScreenSelects(int) const override { return false; }
    void PostAutoFullScreen(int) override {}
    bool FileOpen(int) const override { return false; }
    int RecordingType(int) const override { return 0; }
    void StartChannel(int, char, int) override {}
    void EmptyPreAlarmChain(int) override {}
    void ShowAlarming(int) override {}
    void QueueMapAlarm(const AlarmUploadRecord&) override {}
    void PostMapAlarm(int) override {}
    void WorkLog(int, int, int) override { ++lines; }
    bool SwitchAlarmOutputs(int, int, bool) override { return true; }
    void PostCallPreset(int, int) override {}
    void StartSms(int) override {}
    void Dial(const TAlarmSetRecord&) override {}
    std::vector<TAlarmViewer> Viewers(int) const override { return {}; }
    std::string OwnAddress() const override { return {}; }
    int MessagePort() const override { return 56000; }
    void SendRecord(const AlarmUploadRecord&, const std::string&, int) override {}
    double Now() const override { return 0; }
    void Sleep(int) override {}

    TAlarmSetRecord record{};
    std::atomic<int> lines{0};
};

TEST(AlarmThreads, DispatcherTakesMessagesPostedAtOnceAndEndsOnQuit) {
    CountingHost host;
    {
        TThreadAlarmingMsg dispatcher(host);
        // No wait between creation and the posts: the queue must already exist.
        ASSERT_TRUE(::PostThreadMessageW(dispatcher.ThreadId(), WM_ALARMRAISED, 0, '>'));
        ASSERT_TRUE(::PostThreadMessageW(dispatcher.ThreadId(), WM_ALARMRAISED, 0, '>'));
        ASSERT_TRUE(::PostThreadMessageW(dispatcher.ThreadId(), WM_ALARMRAISED, 1, 256 + '>'));
        ASSERT_TRUE(::PostThreadMessageW(dispatcher.ThreadId(), WM_ALARMCLEARED, 0, '>'));
        ASSERT_TRUE(::PostThreadMessageW(dispatcher.ThreadId(), WM_ALARMRAISED, 0, '>'));
        // The destructor's quit comes after these in the queue.
    }
    EXPECT_EQ(host.lines, 3);
}

TEST(AlarmThreads, KeepEndRunsOnlyItsTwoRequests) {
    std::vector<int> runs;
    {
        TThreadAlarmKeepEnd keepEnd(
            [&](int channel, int what) { runs.push_back(channel * 10 + what); });
        ::PostThreadMessageW(keepEnd.ThreadId(), WM_ALARMKEEPEND, 3, 1);
        ::PostThreadMessageW(keepEnd.ThreadId(), WM_ALARMKEEPEND, 4, 7);
        ::PostThreadMessageW(keepEnd.ThreadId(), WM_ALARMRAISED, 5, 2);
        ::PostThreadMessageW(keepEnd.ThreadId(), WM_ALARMKEEPEND, 6, 2);
    }
    EXPECT_EQ(runs, (std::vector<int>{31, 62}));
}

TEST(AlarmThreads, PlayerFindsFilesByGbkName) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"\u62a5\u8b66"; // a non-ASCII folder
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = folder + L"\\VD.WAV";
    {
        dvr::win::File f(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(f);
    }
    TPlaySoundPlayer player;
    EXPECT_TRUE(player.FileExists(dvr::win::WideToGbk(file)));
    EXPECT_FALSE(player.FileExists(dvr::win::WideToGbk(folder + L"\\HD.WAV")));
    EXPECT_FALSE(player.FileExists(dvr::win::WideToGbk(folder))); // a folder is no sound
    ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

} // namespace
} // namespace vantrel
