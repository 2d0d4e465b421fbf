// The control's local replay window over the control's own recordings index: the day's search,
// playing two windows, the position bar, the missing stop-all button and closing.
#include "webctl/F_ControlReplay.h"
#include "webctl/U_ControlStorage.h"

#include "host/engine/U_Arithmetic.h"
#include "host/ui/T_ThreadSearchCaptureFile.h"
#include "host/ui/replay_testing.h"
#include "host/ui/window_shot_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vantrel::webctl {
namespace {

using namespace vantrel::testing;
using dvr::win::Utf8ToGbk;

class ControlReplay : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQSIE\\CAPTURE");
        // Every channel records on E: only.
        std::vector<char> image(49 * 48, 0);
        for (int c = 0; c < 49; ++c) {
            image[size_t(c) * 48 + 40] = 'E';
            image[size_t(c) * 48 + 41] = 'E';
        }
        TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, std::string(kSettingsKey) + "CAPTURE",
                                    "CAPTURE", image.data(), int(image.size()));
    }
    void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQSIE\\CAPTURE"); }
};

TEST_F(ControlReplay, OwnRecordingsAreSearchedPlayedAndTheBarSeeks) {
    FakeDrives drives("webctl-replay");
    drives.Free = [](char) -> uint64_t { return 100000ull * 1024 * 1024; };
    const std::vector<uint8_t> clip = ReadAll(dvr::testing::TestDataPath("cif_ip.MPG"));
    ASSERT_FALSE(clip.empty());
    const std::string day = drives.Root('E') + "DVRDat\\20261210\\";
    WriteFile(day + "1\\CC\\0-0-20261210100000.MPG", std::string(clip.begin(), clip.end()));
    WriteFile(day + "2\\CC\\1-0-20261210101500.MPG", std::string(clip.begin(), clip.end()));
    TControlDriveRanges ranges(2);
    ranges.Load();
    TDataLockTable locks;
    FakeRecording recording;
    FaultLog faults;
    TControlStorage storage(drives, ranges, locks, recording, faults.List,
                            TDiskManager::Hooks{[] { return 46000.5; }, [](std::string_view) {},
                                                [] { return std::string(); }},
                            drives.Base);
    MessageSink pump;
    ASSERT_TRUE(pump.PumpUntil([&] { return storage.Files.FindDay("20261210") >= 0; }, 30000));

    std::vector<std::string> messages;
    TControlReplayParts parts;
    parts.Files = &storage.Files;
    parts.Locks = &locks;
    parts.Disk = &storage.Disk;
    parts.ChannelCount = [] { return 2; };
    parts.ChannelTitle = [](int ch) { return Utf8ToGbk(ch == 0 ? "大门" : "车库"); };
    parts.ShowMessage = [&](const std::string& m) { messages.push_back(m); };
    parts.Confirm = [](const std::string&) { return true; };
    TControlReplay replay(parts);
    TReplayForm& form = replay.Form();
    form.Show();
    pump.Pump();
    EXPECT_EQ(form.ToolButton9, nullptr); // no stop-all button
    ASSERT_EQ(form.lv_ReplayDateList->Items()->Count(), 1);
    ASSERT_EQ(form.clb_ReplayChannelList->Items()->Count(), 2);
    for (int i = 0; i < 2; ++i)
        form.clb_ReplayChannelList->SetChecked(i, true);

    // Selecting the day searches it; the list is filled and the window enabled at the end.
    TReplay& r = form.Replay();
    form.lv_ReplayDateList->SetSelected(form.lv_ReplayDateList->Items()->Item(0));
    ASSERT_TRUE(pump.PumpUntil([&] { return r.SearchThread().Scans() == 1; }, 30000));
    ASSERT_TRUE(pump.PumpUntil(
        [&] { return form.Enabled() && form.lv_ReplayFileList->Items()->Count() == 2; }, 30000));

    // Both files play, each in its window.
    for (int i = 0; i < 2; ++i)
        form.lv_ReplayFileList->Items()->Item(i)->SetChecked(true);
    form.tb_SinglePlayClick(&form);
    ASSERT_TRUE(r.Playing[0]);
    ASSERT_TRUE(r.Playing[1]);

    // Paused, the operator's move of the bar seeks at once; the window's own moves never do.
    form.tb_PauseClick(&form);
    form.PosBar->SetPosition(60);
    EXPECT_NEAR(r.GetPlayPos(r.CurrentWindow), 0.6, 0.2);
    form.tb_FirstClick(&form);
    EXPECT_EQ(form.PosBar->Position(), 0);
    EXPECT_EQ(form.PosBar->Tag(), 0);
    form.tb_EndClick(&form);
    EXPECT_EQ(form.PosBar->Position(), 100);

    // A snapshot needs no right.
    form.tb_CaptureBmpClick(&form);
    pump.Pump();
    EXPECT_TRUE(messages.empty());

    // Maximising one window leaves the other playing.
    r.ToggleMaximise(0);
    pump.Pump();
    EXPECT_TRUE(r.Playing[1]);
    r.ToggleMaximise(0);
    pump.Pump();
    SaveWindowShot(form.Handle(), "webctl_local_replay");
    // Closing with two windows playing.
}

} // namespace
} // namespace vantrel::webctl
