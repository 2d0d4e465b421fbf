// The control's recorder over drives in a scratch tree: what a recording file starts with, when
// the cutting switches files, and the requests it refuses.
#include "webctl/U_Capture.h"

#include "host/engine/recording_testing.h"
#include "host/engine/storage_testing.h"

#include <gtest/gtest.h>

namespace vantrel::webctl {
namespace {

using namespace vantrel::testing;

struct Recorder {
    FakeDrives drives{"webctl-capture"};
    FakeRanges ranges;
    TDataLockTable locks;
    FakeRecording open;
    FaultLog faults;
    uint64_t freeBytes = uint64_t(1) << 40;
    double now = OleDateFromParts(2026, 12, 10, 9, 0, 0);
    std::unique_ptr<TCaptureFileList> files;
    std::unique_ptr<TDiskManager> disks;
    std::unique_ptr<TCapture> capture;
    bool previewing = false;

    Recorder() {
        ranges.Ranges.assign(49, TDriveRange{'D', 'D'});
        drives.Free = [this](char) { return freeBytes; };
        files = std::make_unique<TCaptureFileList>(drives, ranges, locks, open, faults.List,
                                                   [](DWORD) {});
        disks = std::make_unique<TDiskManager>(
            drives, ranges, *files, faults.List, drives.Base,
            TDiskManager::Hooks{[this] { return now; }, [](std::string_view) {},
                                [] { return std::string(); }});
        TCapture::Hooks hooks;
        hooks.PanePreviewing = [this](int) { return previewing; };
        hooks.ChannelCount = [] { return 2; };
        hooks.MinutesPerFile = [](int) { return 2; };
        capture = std::make_unique<TCapture>(*disks, *files, std::move(hooks));
    }
    void Tick() { now += 1.0 / 86400; }
    size_t IndexEntries(const std::string& name) {
        const auto lists = files->GetDayChannelLists(std::string(RecordingDay(name)));
        return lists ? (*lists)[0].size() : 0;
    }
};

TEST(ControlCapture, RecordingAPreviewedChannelStartsTheFileWithTheSavedHeadOnce) {
    Recorder r;
    TCaptureSlot& slot = r.capture->Slots[0];
    for (int i = 0; i < 19; ++i)
        slot.SavedHeader[i] = uint8_t(i + 1);
    slot.SavedHeaderLength = 19;
    slot.HeaderSaved = true;
    r.previewing = true;

    EXPECT_EQ(r.capture->StartChannel(0, ')', 0), -1) << "only network recordings";
    EXPECT_EQ(slot.FileHandle, -1);
    ASSERT_EQ(r.capture->StartChannel(0, '+', 0), 0);
    EXPECT_TRUE(slot.CaptureRunning);
    EXPECT_TRUE(slot.FileOpen) << "the receive thread must not write the head again";
    EXPECT_EQ(slot.State, kStateNetwork);
    const std::string name = slot.FileName;
    EXPECT_NE(name.find("\\DVRDat\\20261210\\1\\CC\\0-0-20261210090000.MPG"), std::string::npos)
        << name;
    EXPECT_EQ(r.IndexEntries(name), 1u);
    std::string current;
    ASSERT_TRUE(r.capture->CurrentFile(0, current));
    EXPECT_EQ(current, name);

    // The file is closed by the next start: it holds exactly the saved head.
    r.Tick();
    ASSERT_EQ(r.capture->StartNetworkRecording(0, 0), 0);
    const std::vector<uint8_t> bytes = ReadWholeFile(name);
    EXPECT_EQ(bytes, std::vector<uint8_t>(slot.SavedHeader, slot.SavedHeader + 19));
    EXPECT_NE(slot.FileName, name);
}

TEST(ControlCapture, TheCuttingSwitchesAtTheMinutesPerFileAndWhenTheDriveIsFull) {
    Recorder r;
    r.previewing = true;
    TCaptureSlot& slot = r.capture->Slots[1];
    ASSERT_EQ(r.capture->StartChannel(1, '+', 0), 0);
    std::string name = slot.FileName;
    r.Tick();
    r.capture->CutPass();
    EXPECT_EQ(slot.FileName, name) << "one minute of two";
    r.capture->CutPass();
    EXPECT_NE(slot.FileName, name) << "the second minute switches";
    EXPECT_EQ(slot.MinutesRecorded, 0);

    name = slot.FileName;
    r.Tick();
    r.freeBytes = 0; // the drive has no room left: the next pass switches at once
    r.capture->CutPass();
    EXPECT_NE(slot.FileName, name);
    // A channel that does not record is passed over.
    EXPECT_EQ(r.capture->Slots[0].FileHandle, -1);
}

} // namespace
} // namespace vantrel::webctl
