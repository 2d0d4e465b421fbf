#include "host/engine/U_DiskManager.h"

#include "host/engine/storage_testing.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace vantrel::testing;
constexpr uint64_t MB = 1024 * 1024;

struct Storage {
    explicit Storage(const char* name, std::vector<TDriveRange> channelRanges) : drives(name) {
        ranges.Ranges = std::move(channelRanges);
    }
    void Start() {
        files = std::make_unique<TCaptureFileList>(drives, ranges, locks, recording, faults.List,
                                                   [](DWORD) {});
        manager = std::make_unique<TDiskManager>(
            drives, ranges, *files, faults.List, drives.Base,
            TDiskManager::Hooks{[this] { return now; },
                                [this](std::string_view line) { log.emplace_back(line); },
                                [] { return std::string("admin"); }});
    }
    // One recording of channel 0 on each day, on the given drive.
    void Record(char letter, std::initializer_list<const char*> days) {
        for (const char* day : days)
            WriteFile(drives.Root(letter) + "DVRDat\\" + day + "\\1\\CC\\0-0-" + day +
                      "120000.MPG");
    }
    FakeDrives drives;
    FakeRanges ranges;
    TDataLockTable locks;
    FakeRecording recording;
    FaultLog faults;
    double now = OleDateFromParts(2004, 3, 15, 14, 30, 5);
    std::vector<std::string> log;
    std::unique_ptr<TCaptureFileList> files;
    std::unique_ptr<TDiskManager> manager;
};

TEST(DiskManager, DriveChoiceTakesTheFirstFixedDriveWithRoomAndCorrectsTheRange) {
    Storage s("storage-choice", {{'D', 'F'}, {'E', 'D'}, {'C', '?'}, {'D', 'F'}});
    s.Start();
    s.drives.Bytes = {{'D', 1600 * MB}, {'E', 801 * MB}, {'F', 5000 * MB}};
    EXPECT_EQ(s.manager->ChooseRecordingDrive(0), 'E');
    EXPECT_EQ(s.manager->ChooseRecordingDrive(1), 0);
    EXPECT_EQ(s.ranges.Ranges[1], (TDriveRange{'D', 'D'}));
    EXPECT_EQ(s.manager->ChooseRecordingDrive(2), 'E');
    EXPECT_EQ(s.ranges.Ranges[2], (TDriveRange{'D', 'Z'}));
    s.drives.Broken = {'E'};
    s.drives.Fixed.erase('F');
    EXPECT_EQ(s.manager->ChooseRecordingDrive(3), 0);
    EXPECT_FALSE(s.manager->HasRoom('E'));
    EXPECT_EQ(s.manager->GetFreeMegabytes('E'), 0u);
    EXPECT_EQ(s.manager->GetFreeMegabytes('D'), 1600u);
    // Without a drive with room the file still gets a name, on the range's first drive.
    EXPECT_EQ(s.manager->MakeRecordingFileName(1, 1),
              s.drives.Root('D') + "DVRDat\\20040315\\2\\AC\\1-1-20040315143005.MPG");
    s.drives.Broken.clear();
    EXPECT_EQ(s.manager->MakeRecordingFileName(0, 2),
              s.drives.Root('E') + "DVRDat\\20040315\\1\\PB\\0-2-20040315143005.BMP");
}

TEST(DiskManager, RecordingFilesOpenInTheirModes) {
    Storage s("storage-open", {{'D', 'D'}});
    s.Start();
    const std::string path = s.drives.Root('D') + "DVRDat\\20040315\\1\\CC\\0-0-x.MPG";
    EXPECT_EQ(TDiskManager::OpenRecordingFile(path, kOpenExisting), -1);
    intptr_t h = TDiskManager::OpenRecordingFile(path, kOpenCreate);
    ASSERT_NE(h, -1);
    DWORD n = 0;
    ::WriteFile(reinterpret_cast<HANDLE>(h), "abcd", 4, &n, nullptr);
    TDiskManager::CloseRecordingFile(path, h, 0);
    EXPECT_EQ(TArithmetic::GetFileLength(path), 4);
    h = TDiskManager::OpenRecordingFile(path, kOpenExisting);
    ASSERT_NE(h, -1);
    // Shared for reading only.
    EXPECT_EQ(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    TDiskManager::CloseRecordingFile(path, h, 0);
    h = TDiskManager::OpenRecordingFile(path, kOpenTruncate);
    ASSERT_NE(h, -1);
    TDiskManager::CloseRecordingFile(path, h, 0);
    EXPECT_EQ(TArithmetic::GetFileLength(path), 0);
    h = TDiskManager::OpenRecordingFile(path, kOpenCreate);
    TDiskManager::CloseRecordingFile(path, h, kCloseDelete);
    EXPECT_FALSE(PathExists(path));
    EXPECT_EQ(TDiskManager::OpenRecordingFile(path, 7), -1);
}

TEST(DiskManager, FoldersAreMadeLevelByLevelAndRemovedWhole) {
    FakeDrives d("storage-folders");
    EXPECT_EQ(ForceDirectories(""), -1);
    EXPECT_EQ(ForceDirectories(d.Base + "a\\\\b\\c"), 0);
    EXPECT_TRUE(FolderExists(d.Base + "a\\b\\c"));
    // A folder whose name has a dot is still a folder.
    WriteFile(d.Base + "a\\b\\v1.0\\x.MPG");
    WriteFile(d.Base + "a\\b\\c\\y");
    WriteFile(d.Base + "a\\z.txt");
    EXPECT_TRUE(DeleteFolder(d.Base + "a"));
    EXPECT_FALSE(PathExists(d.Base + "a"));
    EXPECT_FALSE(DeleteFolder(d.Base + "missing"));
    // Start-up clears the remote replay's temporary files.
    Storage s("storage-folders", {{'D', 'D'}});
    WriteFile(s.drives.Base + "RemotePlay\\t.MPG");
    s.Start();
    EXPECT_FALSE(PathExists(s.drives.Base + "RemotePlay"));
}

// Room grows as day folders go: each day on a drive takes 300 MB of 1000.
void RoomByDays(Storage& s) {
    s.drives.Free = [&s](char letter) {
        const int64_t free = 1000 - 300 * static_cast<int64_t>(s.drives.DaysOn(letter));
        return static_cast<uint64_t>(std::max<int64_t>(free, 0)) * MB;
    };
}

TEST(DiskManager, CycleDeletesOldestDaysUntilEveryChannelHasRoom) {
    Storage s("storage-cycle", {{'D', 'D'}});
    s.Record('D', {"20040313", "20040314", "20040315"});
    RoomByDays(s);
    s.Start();
    s.manager->CycleDeleteOldest();
    EXPECT_EQ(s.drives.DaysOn('D'), 1);
    EXPECT_TRUE(FolderExists(s.drives.Root('D') + "DVRDat\\20040315"));
    ASSERT_EQ(s.log.size(), 2u);
    EXPECT_EQ(s.log[0].substr(s.log[0].find(';')), ";71;-1;-1;-1;;;admin;");
    EXPECT_EQ(s.files->GetDatesText(), "2004-03-15,");
}

TEST(DiskManager, LockedDaysStayAndACycleWithNothingToDeleteEnds) {
    Storage s("storage-locked", {{'D', 'D'}});
    s.Record('D', {"20040313", "20040314", "20040315"});
    RoomByDays(s);
    s.locks.AddLock(OleDateFromParts(2004, 3, 13, 0, 0, 0));
    s.locks.AddLock(OleDateFromParts(2004, 3, 15, 0, 0, 0));
    s.Start();
    s.manager->CycleDeleteOldest();
    EXPECT_TRUE(FolderExists(s.drives.Root('D') + "DVRDat\\20040313"));
    EXPECT_FALSE(FolderExists(s.drives.Root('D') + "DVRDat\\20040314"));
    EXPECT_TRUE(FolderExists(s.drives.Root('D') + "DVRDat\\20040315"));
    // One pass deleted the free day, the next found nothing and the cycle returned.
    EXPECT_EQ(s.log.size(), 2u);
}

TEST(DiskManager, ContainedRangesShareADeletionPassOverlappingOnesDoNot) {
    struct Case {
        std::vector<TDriveRange> ranges;
        size_t passes;
    } cases[] = {
        {{{'D', 'F'}, {'E', 'E'}}, 1},
        {{{'D', 'E'}, {'E', 'F'}}, 2},
        {{{'E', 'F'}, {'E', 'F'}}, 1},
    };
    for (const Case& c : cases) {
        Storage s("storage-merge", c.ranges);
        s.drives.Bytes = {}; // no drive ever has room
        s.Start();
        s.manager->CycleDeleteOldest();
        EXPECT_EQ(s.log.size(), c.passes) << c.ranges.size();
    }
}

TEST(DiskManager, DiskCycleThreadRunsAtOnceAndStops) {
    Storage s("storage-thread", {{'D', 'D'}});
    s.Record('D', {"20040313", "20040314", "20040315"});
    RoomByDays(s);
    s.Start();
    {
        TThreadDiskCycle cycle(*s.manager, 50);
        EXPECT_TRUE(PumpMessagesUntil([&] { return cycle.Passes() >= 2; }, 5000));
    }
    EXPECT_EQ(s.drives.DaysOn('D'), 1);
}

TEST(DiskManager, CleaningThreadRetriesFailedFoldersUntilTheyGo) {
    Storage s("storage-clean", {{'D', 'D'}});
    s.Start();
    const std::string gone = s.drives.Root('D') + "DVRDat\\20040313";
    const std::string stuck = s.drives.Root('D') + "DVRDat\\20040314_Error";
    const std::string later = s.drives.Root('D') + "DVRDat\\20040315_Error";
    WriteFile(stuck + "\\1\\CC\\held");
    WriteFile(later + "\\1\\CC\\x");
    s.files->AddFailedFolder(gone);
    s.files->AddFailedFolder(stuck);
    s.files->AddFailedFolder(later);
    dvr::win::File held(::CreateFileA((stuck + "\\1\\CC\\held").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    TThreadClearErrorData cleaner(*s.files, 20, 5);
    // A folder that keeps failing does not hold up the one behind it.
    EXPECT_TRUE(PumpMessagesUntil([&] { return !PathExists(later); }, 5000));
    EXPECT_TRUE(PathExists(stuck));
    held.reset();
    EXPECT_TRUE(PumpMessagesUntil(
        [&] { return !PathExists(stuck) && s.files->FailedFolderCount() == 0; }, 5000));
    cleaner.Stop();
}

TEST(DriveAccess, RealDrivesByLetter) {
    const TDriveAccess drives;
    EXPECT_EQ(drives.Root('D'), "D:\\");
    EXPECT_EQ(drives.LetterOf("E:\\DVRDat\\20040315"), 'E');
    EXPECT_TRUE(drives.IsFixed('C'));
    uint64_t bytes = 0;
    EXPECT_TRUE(drives.FreeBytes('C', bytes));
    EXPECT_GT(bytes, 0u);
    // A letter with no drive behind it has no room.
    EXPECT_FALSE(drives.IsFixed('Q'));
    EXPECT_FALSE(drives.FreeBytes('Q', bytes));
}

} // namespace
} // namespace vantrel
