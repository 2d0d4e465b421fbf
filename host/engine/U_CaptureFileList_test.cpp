#include "host/engine/U_CaptureFileList.h"

#include "host/engine/storage_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace vantrel::testing;

struct Index {
    explicit Index(const char* name, int channels = 2) : drives(name) {
        ranges.Ranges.assign(channels, TDriveRange{'D', 'F'});
    }
    std::unique_ptr<TCaptureFileList> Make() {
        return std::make_unique<TCaptureFileList>(drives, ranges, locks, recording, faults.List,
                                                  [](DWORD) {});
    }
    std::string Day(char letter, const char* day) { return drives.Root(letter) + "DVRDat\\" + day; }
    FakeDrives drives;
    FakeRanges ranges;
    TDataLockTable locks;
    FakeRecording recording;
    FaultLog faults;
};

TEST(CaptureFileList, ScanIndexesRecognisedFilesAndDropsDaysWithout) {
    Index x("storage-scan");
    const std::string d15 = x.Day('D', "20040315"), e15 = x.Day('E', "20040315");
    WriteFile(d15 + "\\1\\CC\\0-0-20040315143005.MPG");
    WriteFile(d15 + "\\1\\PB\\0-2-20040315143100.BMP");
    WriteFile(e15 + "\\2\\AC\\1-1-20040315150000.MPG");
    WriteFile(d15 + "\\1\\CC\\" + std::string(21, 'a'));
    WriteFile(d15 + "\\1\\CC\\" + std::string(24, 'a'));
    WriteFile(d15 + "\\1\\XX\\0-0-20040315143005.MPG"); // no such kind
    WriteFile(d15 + "\\3\\CC\\2-0-20040315143005.MPG"); // channel beyond the count
    WriteFile(x.Day('D', "2004031") + "\\1\\CC\\0-0-20040315143005.MPG"); // 7 digits
    WriteFile(x.Day('D', "ABCDEFGH") + "\\1\\CC\\0-0-20040315143005.MPG");
    WriteFile(x.Day('D', "20040316") + "\\1\\CC\\notes.txt");
    ForceDirectories(x.Day('E', "20040317") + "\\1\\CC\\");
    WriteFile(x.Day('G', "20040318") + "\\1\\CC\\0-0-20040318143005.MPG"); // not in any range

    auto list = x.Make();
    std::vector<std::string> dates;
    list->ListDates(dates);
    EXPECT_EQ(dates, std::vector<std::string>{"2004-03-15"});
    EXPECT_EQ(list->GetDatesText(), "2004-03-15,");
    const auto lists = list->GetDayChannelLists("20040315");
    ASSERT_TRUE(lists);
    EXPECT_EQ((*lists)[0], (std::vector<std::string>{d15 + "\\1\\CC\\0-0-20040315143005.MPG",
                                                     d15 + "\\1\\PB\\0-2-20040315143100.BMP"}));
    EXPECT_EQ((*lists)[1], std::vector<std::string>{e15 + "\\2\\AC\\1-1-20040315150000.MPG"});
    EXPECT_TRUE((*lists)[2].empty());
    // Day folders without a recognised file are gone; what is not a day is left alone.
    EXPECT_FALSE(FolderExists(x.Day('D', "20040316")));
    EXPECT_FALSE(FolderExists(x.Day('E', "20040317")));
    EXPECT_TRUE(FolderExists(x.Day('D', "2004031")));
    EXPECT_TRUE(FolderExists(x.Day('D', "ABCDEFGH")));
    EXPECT_TRUE(FolderExists(x.Day('G', "20040318")));
}

TEST(CaptureFileList, AddedFilesKeepHandlesSortAndCollapseRepeats) {
    Index x("storage-add");
    auto list = x.Make();
    EXPECT_EQ(list->FindDay("20040316"), -1);
    list->AddFile("20040316", 0, "D:\\b.MPG#1234");
    list->AddFile("20040316", 0, "D:\\a.MPG");
    list->AddFile("20040316", 0, "D:\\b.MPG#1234");
    list->AddFile("20040315", 48, "E:\\c.MPG");
    list->AddFile("20040315", 49, "E:\\lost.MPG");
    list->AddFile("20040315", -1, "E:\\lost.MPG");
    EXPECT_EQ(list->FindDay("20040315"), 0);
    EXPECT_EQ(list->FindDay("20040316xyz"), 1);
    EXPECT_EQ(list->FindOrAddDay("20040314"), 0);
    EXPECT_EQ(list->GetDatesText(), "2004-03-14,2004-03-15,2004-03-16,");
    EXPECT_EQ((*list->GetDayChannelLists("20040316"))[0],
              (std::vector<std::string>{"D:\\a.MPG", "D:\\b.MPG#1234"}));
    EXPECT_EQ((*list->GetDayChannelLists("20040315"))[48], std::vector<std::string>{"E:\\c.MPG"});
    list->RemoveDay("20040315");
    EXPECT_FALSE(list->GetDayChannelLists("20040315"));
    list->Clear();
    EXPECT_EQ(list->GetDatesText(), "");
}

TEST(CaptureFileList, OldestDaySkipsLockedDaysAndDaysWithoutFilesInRange) {
    Index x("storage-oldest");
    auto list = x.Make();
    list->AddFile("20040313", 0, "F:\\a.MPG");
    list->FindOrAddDay("20040312");
    list->AddFile("20040314", 0, "D:\\a.MPG");
    list->AddFile("20040315", 1, "E:\\a.MPG");
    struct Case {
        char first, last;
        const char* day;
    } cases[] = {
        {'D', 'F', "20040313"}, {'D', 'E', "20040314"}, {'E', 'E', "20040315"}, {'G', 'Z', ""}};
    for (const Case& c : cases)
        EXPECT_EQ(list->FindOldestDay(c.first, c.last), c.day);
    x.locks.AddLock(OleDateFromParts(2004, 3, 13, 0, 0, 0));
    x.locks.AddLock(OleDateFromParts(2004, 3, 14, 0, 0, 0));
    EXPECT_EQ(list->FindOldestDay('D', 'F'), "20040315");
    EXPECT_EQ(list->FindOldestDay('D', 'D'), "");
}

TEST(CaptureFileList, DeletingADayRemovesItsFilesFolderAndEntriesOnTheRangeOnly) {
    Index x("storage-delete");
    const std::string d = x.Day('D', "20040315"), e = x.Day('E', "20040315");
    WriteFile(d + "\\1\\CC\\0-0-20040315143005.MPG");
    WriteFile(e + "\\2\\CC\\1-0-20040315143005.MPG");
    WriteFile(x.Day('D', "20040316") + "\\1\\CC\\0-0-20040316143005.MPG");
    auto list = x.Make();
    list->DeleteDayFiles('D', 'D', "20040315");
    EXPECT_FALSE(FolderExists(d));
    EXPECT_TRUE(FolderExists(e));
    EXPECT_TRUE(FolderExists(x.Day('D', "20040316")));
    const auto lists = list->GetDayChannelLists("20040315");
    ASSERT_TRUE(lists);
    EXPECT_TRUE((*lists)[0].empty());
    EXPECT_EQ((*lists)[1].size(), 1u);
    ASSERT_EQ(x.faults.Posts.size(), 1u);
    EXPECT_EQ(x.faults.Posts[0].w, kDiskFaultNormal);
    EXPECT_EQ(x.faults.Posts[0].l, 68);
    const auto lines = x.faults.List.Take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "2004-03-15 12:00:00    " + dvr::win::Utf8ToGbk("系统清盘，目录 [") + d +
                            dvr::win::Utf8ToGbk("] 已经被正常删除！（注：本条信息为正常信息，非故"
                                                "障信息，仅供用户参考，特此声明！）") +
                            "\r\n");
    EXPECT_TRUE(x.faults.List.Take().empty());
    // The day's last files go: so does the day.
    list->DeleteDayFiles('E', 'F', "20040315");
    EXPECT_EQ(list->FindDay("20040315"), -1);
    EXPECT_FALSE(FolderExists(e));
    list->DeleteDayFiles('D', 'F', "20040301"); // no such day: nothing happens
    EXPECT_EQ(x.faults.Posts.size(), 2u);
}

TEST(CaptureFileList, AFolderHoldingTheOpenRecordingIsReportedAsCleaned) {
    Index x("storage-recording");
    const std::string d = x.Day('D', "20040315");
    const std::string open = d + "\\2\\CC\\1-0-20040315150000.MPG";
    WriteFile(d + "\\1\\CC\\0-0-20040315143005.MPG");
    WriteFile(open);
    dvr::win::File held(::CreateFileA(open.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    auto list = x.Make();
    list->AddFile("20040315", 1,
                  open + "#" + std::to_string(reinterpret_cast<intptr_t>(held.get())));
    x.recording.Open[1] = open;
    list->DeleteDayFiles('D', 'D', "20040315");
    EXPECT_TRUE(PathExists(open));
    EXPECT_FALSE(PathExists(d + "\\1\\CC\\0-0-20040315143005.MPG"));
    // The engine's handle was left alone.
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(held.get(), "y", 1, &written, nullptr));
    ASSERT_EQ(x.faults.Posts.size(), 1u);
    EXPECT_EQ(x.faults.Posts[0].w, kDiskFaultNormal);
    const auto lines = x.faults.List.Take();
    EXPECT_NE(lines[0].find(dvr::win::Utf8ToGbk("] 下的数据已经被正常删除")), std::string::npos);
    EXPECT_EQ(x.faults.List.Take().size(), 0u);
    EXPECT_EQ(list->FailedFolderCount(), 0u);
    // Dropped from the index all the same.
    EXPECT_EQ(list->FindDay("20040315"), -1);
}

TEST(CaptureFileList, OnlyAHandleStillOnItsFileIsClosed) {
    Index x("storage-handles");
    const std::string d = x.Day('D', "20040315");
    const std::string leaked = d + "\\1\\CC\\0-0-20040315143005.MPG";
    const std::string closed = d + "\\1\\CC\\0-0-20040315153005.MPG";
    const std::string other = x.drives.Base + "other.dat";
    WriteFile(leaked);
    WriteFile(closed);
    WriteFile(other);
    // A file the engine forgot to close, and one whose handle value now belongs to another
    // file: only the first may be closed.
    HANDLE forgotten = ::CreateFileA(leaked.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    dvr::win::File unrelated(::CreateFileA(other.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    dvr::win::File stillOpen(::CreateFileA(closed.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(forgotten, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(unrelated && stillOpen);
    auto list = x.Make();
    list->AddFile("20040315", 0,
                  leaked + "#" + std::to_string(reinterpret_cast<intptr_t>(forgotten)));
    list->AddFile("20040315", 0,
                  closed + "#" + std::to_string(reinterpret_cast<intptr_t>(unrelated.get())));
    list->DeleteDayFiles('D', 'D', "20040315");
    // The held file stays; its day folder could not go and may carry the error mark.
    const auto marked = [&](const std::string& p) { return d + "_Error" + p.substr(d.size()); };
    EXPECT_FALSE(PathExists(leaked) || PathExists(marked(leaked)));
    EXPECT_TRUE(PathExists(closed) || PathExists(marked(closed)));
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(unrelated.get(), "y", 1, &written, nullptr));
    EXPECT_TRUE(::WriteFile(stillOpen.get(), "y", 1, &written, nullptr));
}

TEST(CaptureFileList, AFolderThatCannotGoIsMarkedAndQueued) {
    Index x("storage-error");
    const std::string d = x.Day('E', "20040315");
    WriteFile(d + "\\1\\CC\\0-0-20040315143005.MPG");
    const std::string stuck = d + "\\1\\CC\\held.txt";
    WriteFile(stuck);
    auto list = x.Make();
    {
        dvr::win::File held(
            ::CreateFileA(stuck.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        list->DeleteDayFiles('D', 'F', "20040315");
    }
    ASSERT_EQ(x.faults.Posts.size(), 1u);
    EXPECT_EQ(x.faults.Posts[0].w, 0u);
    EXPECT_EQ(x.faults.Posts[0].l, 'E');
    const auto lines = x.faults.List.Take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].find("2004-03-15 12:00:00    " + dvr::win::Utf8ToGbk("清盘故障！目录 [") +
                            d +
                            dvr::win::Utf8ToGbk("] 删除失败！已被标志为异常目录！。尊敬的用户")),
              0u);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 2), "\r\n");
    std::string first;
    ASSERT_TRUE(list->FirstFailedFolder(first));
    EXPECT_EQ(first, d);
    EXPECT_EQ(list->FailedFolderCount(), 2u);
}

} // namespace
} // namespace vantrel
