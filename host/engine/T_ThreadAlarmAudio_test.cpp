#include "host/engine/T_ThreadAlarmAudio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

using namespace std::chrono_literals;

// Records what would play; "beep" for a missing file.
class FakePlayer : public TAlarmSoundPlayer {
public:
    bool FileExists(const std::string& path) override {
        std::lock_guard lock(mutex_);
        return !missing.count(path);
    }
    void PlayFile(const std::string& path) override { Add(path); }
    void Beep() override { Add("beep"); }

    // Waits until `count` sounds have played; false on timeout.
    bool WaitFor(size_t count, std::chrono::milliseconds timeout = 5s) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return played.size() >= count; });
    }
    std::vector<std::string> Played() {
        std::lock_guard lock(mutex_);
        return played;
    }
    std::set<std::string> missing;

private:
    void Add(const std::string& s) {
        {
            std::lock_guard lock(mutex_);
            played.push_back(s);
        }
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> played;
};

TEST(AlarmAudio, EachActiveKindPlaysOncePerRoundInKindOrder) {
    FakePlayer player;
    TThreadAlarmAudio audio(player, "C:\\Vantrel");
    audio.SetProbeSound(7, true);
    audio.SetMotionSound(3, true);
    audio.SetMotionSound(4, true);
    ASSERT_TRUE(player.WaitFor(5));
    auto played = player.Played();
    // The first round may have begun before the motion flags were set.
    size_t start = played[0] == "C:\\Vantrel\\HD.WAV" ? 1 : 0;
    for (size_t i = start; i + 1 < played.size(); i += 2) {
        EXPECT_EQ(played[i], "C:\\Vantrel\\VD.WAV");
        EXPECT_EQ(played[i + 1], "C:\\Vantrel\\HD.WAV");
    }
}

TEST(AlarmAudio, MissingFileBeepsAndRemoteAlarmPlaysItsOwnSound) {
    FakePlayer player;
    player.missing.insert("D:\\VD.WAV");
    TThreadAlarmAudio audio(player, "D:\\");
    audio.SetMotionSound(0, true);
    ASSERT_TRUE(player.WaitFor(2));
    EXPECT_EQ(player.Played()[0], "beep");
    audio.SetMotionSound(0, false);
    audio.SetRemoteAlarm(true);
    ASSERT_TRUE(player.WaitFor(6));
    auto played = player.Played();
    // At most the round under way still beeps; from then on only the remote sound plays.
    EXPECT_EQ(played[4], "D:\\CA.WAV");
    EXPECT_EQ(played[5], "D:\\CA.WAV");
}

TEST(AlarmAudio, LastFlagOffSuspendsAndANewFlagWakesIt) {
    FakePlayer player;
    TThreadAlarmAudio audio(player, "P");
    audio.SetVideoLostSound(2, true);
    ASSERT_TRUE(player.WaitFor(1));
    audio.SetVideoLostSound(2, false);
    std::this_thread::sleep_for(700ms); // the current round ends, then the thread sleeps
    size_t settled = player.Played().size();
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(player.Played().size(), settled);

    audio.SetProbeSound(48, true);
    ASSERT_TRUE(player.WaitFor(settled + 1));
    EXPECT_EQ(player.Played().back(), "P\\HD.WAV");
}

TEST(AlarmAudio, MuteHoldsTheLoopAndUnmuteResumesWithoutANewFlag) {
    FakePlayer player;
    TThreadAlarmAudio audio(player, "P");
    audio.SetMotionSound(1, true);
    ASSERT_TRUE(player.WaitFor(1));
    audio.Mute();
    std::this_thread::sleep_for(500ms);
    size_t muted = player.Played().size();
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(player.Played().size(), muted);
    audio.Unmute();
    EXPECT_TRUE(player.WaitFor(muted + 1));
}

TEST(AlarmAudio, FlagsOutsideTheTableAreIgnored) {
    FakePlayer player;
    TThreadAlarmAudio audio(player, "P");
    audio.SetSound(49, 0, true);
    audio.SetSound(-1, 0, true);
    audio.SetSound(0, 3, true);
    EXPECT_FALSE(audio.Sound(49, 0));
    EXPECT_FALSE(audio.Sound(0, 3));
    EXPECT_FALSE(player.WaitFor(1, 600ms));
}

} // namespace
} // namespace vantrel
