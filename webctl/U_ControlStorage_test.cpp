#include "webctl/U_ControlStorage.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/storage_testing.h"

#include <gtest/gtest.h>

namespace vantrel::webctl {
namespace {

using namespace vantrel::testing;

void StoreCapture(const std::vector<char>& image) {
    ASSERT_EQ(TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, std::string(kSettingsKey) + "CAPTURE",
                                          "CAPTURE", image.data(), static_cast<int>(image.size())),
              0);
}

class ControlStorage : public ::testing::Test {
protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQSIE\\CAPTURE"); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQSIE\\CAPTURE"); }
};

TEST_F(ControlStorage, RangesComeFromTheControlsOwnShortCaptureRecords) {
    std::vector<char> image(49 * 48, 0);
    image[40] = 'E';
    image[41] = 'F';
    image[48 + 40] = 'D';
    image[48 + 41] = 'D';
    StoreCapture(image);
    TControlDriveRanges ranges(60);
    EXPECT_EQ(ranges.ChannelCount(), 49);
    ranges.Load();
    EXPECT_EQ(ranges.Range(0), (TDriveRange{'E', 'F'}));
    EXPECT_EQ(ranges.Range(1), (TDriveRange{'D', 'D'}));

    // One record only: the other channels keep what they had.
    StoreCapture(std::vector<char>(48, 'G'));
    ranges.Load();
    EXPECT_EQ(ranges.Range(0), (TDriveRange{'G', 'G'}));
    EXPECT_EQ(ranges.Range(1), (TDriveRange{'D', 'D'}));
}

TEST_F(ControlStorage, IndexIsScannedAndTheCycleDeletesTheOldestDayUntilThereIsRoom) {
    std::vector<char> image(49 * 48, 0);
    for (int c = 0; c < 49; ++c) {
        image[c * 48 + 40] = 'E';
        image[c * 48 + 41] = 'F';
    }
    StoreCapture(image);
    FakeDrives drives("webctl-cycle");
    for (const char* day : {"20040101", "20040102"})
        WriteFile(drives.Root('E') + "DVRDat\\" + day + "\\1\\CC\\0-0-" + day + "120000.MPG");
    // A day folder without recordings is dropped by the scan.
    ForceDirectories(drives.Root('E') + "DVRDat\\20031231\\1\\CC\\");
    // E has room once only one day is left on it; F never has.
    drives.Free = [&drives](char letter) -> uint64_t {
        return letter == 'E' && drives.DaysOn('E') <= 1 ? 100000ull * 1024 * 1024 : 0;
    };
    TControlDriveRanges ranges(1);
    ranges.Load();
    TDataLockTable locks;
    FakeRecording recording;
    FaultLog faults;
    std::vector<std::string> log;
    std::mutex logLock;
    {
        TControlStorage storage(drives, ranges, locks, recording, faults.List,
                                TDiskManager::Hooks{[] { return 38061.5; },
                                                    [&](std::string_view line) {
                                                        std::lock_guard<std::mutex> g(logLock);
                                                        log.emplace_back(line);
                                                    },
                                                    [] { return std::string(); }},
                                drives.Base);
        for (int i = 0; i < 1000 && storage.Files.FindDay("20040101") >= 0; ++i)
            ::Sleep(10);
        EXPECT_EQ(storage.Files.FindDay("20040101"), -1);
        EXPECT_GE(storage.Files.FindDay("20040102"), 0);
        std::vector<std::string> dates;
        storage.Files.ListDates(dates);
        EXPECT_EQ(dates, (std::vector<std::string>{"2004-01-02"}));
    }
    EXPECT_EQ(drives.DaysOn('E'), 1);
    std::lock_guard<std::mutex> g(logLock);
    ASSERT_FALSE(log.empty());
}

} // namespace
} // namespace vantrel::webctl
