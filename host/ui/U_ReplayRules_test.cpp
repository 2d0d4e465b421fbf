#include "host/ui/U_ReplayRules.h"

#include "player/format/test_records.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(ReplayRules, SpeedStepsStopAtTheirBoundsAndKeepSingleSteps) {
    struct Case {
        int from, slow, fast;
    } cases[] = {{4, 3, 5}, {0, 0, 1}, {8, 7, 8}, {9, 8, 9}, {-1, -1, 0}, {1, 0, 2}};
    for (const Case& c : cases) {
        EXPECT_EQ(SpeedAfterSlow(c.from), c.slow) << c.from;
        EXPECT_EQ(SpeedAfterFast(c.from), c.fast) << c.from;
    }
    EXPECT_EQ(ReplaySpeedText(0), "4\xB1\xB6\xC2\xFD\xCB\xD9");
    EXPECT_EQ(ReplaySpeedText(4), "\xB3\xA3\xCB\xD9");
    EXPECT_EQ(ReplaySpeedText(8), "4\xB1\xB6\xBF\xEC\xCB\xD9");
    EXPECT_EQ(ReplaySpeedText(9), "\xB5\xA5\xD6\xA1\xBD\xF8");
    EXPECT_EQ(ReplaySpeedText(-1), "\xB5\xA5\xD6\xA1\xCD\xCB");
    EXPECT_EQ(PlayedTimeText(3725), "1:2:5");
    EXPECT_EQ(PlayedTimeText(0), "0:0:0");
}

TEST(ReplayRules, LayoutIsTheSmallestListedCountAndAtLeastFour) {
    const int want[17] = {4, 4, 4, 4, 4, 6, 6, 9, 9, 9, 10, 11, 13, 13, 16, 16, 16};
    for (int n = 0; n <= 16; ++n)
        EXPECT_EQ(ReplayLayoutFor(n), want[n]) << n;
}

TEST(ReplayRules, DragRectangleSpansStartAndClampedPointer) {
    EXPECT_EQ(DragRect(100, 80, 40, 120, 300, 200), (PaneRect{40, 80, 100, 120}));
    EXPECT_EQ(DragRect(100, 80, 140, 30, 300, 200), (PaneRect{100, 30, 140, 80}));
    EXPECT_EQ(DragRect(100, 80, 500, -20, 300, 200), (PaneRect{100, 0, 300, 80}));
}

TEST(ReplayRules, ZoomMapsWindowPixelsIntoTheCifPicture) {
    for (auto [w, h] : {std::pair{352, 288}, {704, 576}, {133, 97}, {1, 1}})
        EXPECT_EQ(ZoomToPicture({0, 0, w, h}, w, h), (PaneRect{0, 0, 352, 288})) << w;
    EXPECT_EQ(ZoomToPicture({-5, -5, 900, 900}, 704, 576), (PaneRect{0, 0, 352, 288}));
    EXPECT_EQ(ZoomToPicture({100, 50, 300, 150}, 400, 300), (PaneRect{88, 48, 264, 144}));
}

TEST(ReplayRules, RecordingPathsTellTimeTypeChannelAndKind) {
    const std::string rec = "D:\\DVRDat\\20261210\\12\\CC\\11-0-20261210135907.MPG";
    EXPECT_EQ(StartTimeFromPath(rec), "2026-12-10 13:59:07");
    EXPECT_EQ(DayFromPath(rec), "2026-12-10");
    EXPECT_EQ(TimeOfDayFromPath(rec), "13:59:07");
    EXPECT_EQ(RecordTypeFromPath(rec), 0);
    EXPECT_EQ(ChannelFromFileName(rec), 11);
    EXPECT_FALSE(IsSnapshotPath(rec));
    const std::string snap = "E:\\DVRDat\\20261210\\3\\RB\\2-3-20261210140000.BMP";
    EXPECT_TRUE(IsSnapshotPath(snap));
    EXPECT_EQ(RecordTypeFromPath(snap), 3);
    EXPECT_EQ(ChannelFromFileName(snap), 2);
    EXPECT_EQ(RecordTypeFromPath("D:\\x\\a-z.MPG"), 1);
    EXPECT_EQ(ChannelFromFileName("D:\\x\\abc.MPG"), -1);
    EXPECT_EQ(StartTimeFromPath("short"), "");
}

TEST(ReplayRules, SizesAndDurations) {
    EXPECT_EQ(SizeText(0), "0 KB");
    EXPECT_EQ(SizeText(1023), "1 KB");
    EXPECT_EQ(SizeText(1024ull * 1234567), "1,234,567 KB");
    EXPECT_EQ(SecondsBetween("2026-12-10 23:59:30", "2026-12-11 00:00:15"), 45);
    EXPECT_EQ(SecondsBetween("2026-12-10 12:00:00", "2026-12-10 11:00:00"), -3600);
    EXPECT_EQ(SecondsBetween("", "2026-12-10 11:00:00"), 0);
    EXPECT_EQ(CaptureTypeName(1), "\xB1\xA8\xBE\xAF\xC2\xBC\xCF\xF1");
    EXPECT_EQ(CaptureTypeName(7), "");
}

TEST(ReplayRules, BackupKeepsDriveAndFoldersAndClipNamesCarryTheTime) {
    EXPECT_EQ(
        BackupTargetPath(BackupRoot('E'), "D:\\DVRDat\\20261210\\1\\CC\\0-0-20261210120000.MPG"),
        "E:\\VQS_Backup\\D$\\DVRDat\\20261210\\1\\CC\\0-0-20261210120000.MPG");
    EXPECT_EQ(ClipTargetName('F', 2026, 12, 10, 9, 5, 7),
              "F:\\CaptureCut\\2026-12-10 09-05-07.mpg");
}

TEST(ReplayRules, ClipPlanBoundsTheCopy) {
    // 30000 bytes between the marks: three whole blocks.
    ClipPlan p = PlanClip(100000, 19, 1000, 31000);
    EXPECT_TRUE(p.Ok);
    EXPECT_EQ(p.End - p.Start, 30000);
    EXPECT_EQ(p.Blocks, 3);
    // No end mark, or an end beyond the file: to the end.
    p = PlanClip(50000, 19, 1000, -1);
    EXPECT_EQ(p.End, 50000);
    EXPECT_EQ(PlanClip(50000, 19, 1000, 900000).End, 50000);
    EXPECT_EQ(PlanClip(50000, 19, 1000, 900000).Blocks, 5);
    // A start at or beyond the end, or not a recording, fails.
    EXPECT_FALSE(PlanClip(50000, 19, 50000, -1).Ok);
    EXPECT_FALSE(PlanClip(50000, 0, 1000, -1).Ok);
    EXPECT_FALSE(PlanClip(50000, 19, 3000, 2000).Ok);
    // A start inside the header begins behind it.
    EXPECT_EQ(PlanClip(50000, 47, 0, -1).Start, 47);
}

TEST(ReplayRules, HeaderLengthCountsTextBlocks) {
    using namespace dvr::testing;
    const Bytes plain = MakeFileHead(0x0001);
    EXPECT_EQ(RecordingHeaderLength(plain.data(), plain.size()), 19);
    const Bytes junk(40, 0x55);
    EXPECT_EQ(RecordingHeaderLength(junk.data(), junk.size()), 0);
}

TEST(ReplayRules, ChainsMoveADayAndKeepOrder) {
    ReplayFileChain common, locked;
    const char* paths[] = {"D:\\a\\0-0-20261210100000.MPG", "D:\\a\\0-0-20261211100000.MPG",
                           "D:\\a\\1-1-20261210110000.MPG", "D:\\a\\1-0-20261212110000.MPG"};
    for (const char* p : paths) {
        auto* r = new ReplayFileRecord;
        r->Path = p;
        common.Append(r);
    }
    common.MoveDay("2026-12-10", locked);
    ASSERT_EQ(locked.Count(), 2u);
    EXPECT_EQ(locked.Head->Path, paths[0]);
    EXPECT_EQ(locked.Tail->Path, paths[2]);
    ASSERT_EQ(common.Count(), 2u);
    EXPECT_EQ(common.Head->Path, paths[1]);
    EXPECT_EQ(common.Tail->Next, nullptr);
    common.Clear();
    locked.Clear();
    EXPECT_TRUE(common.Empty());
    EXPECT_EQ(common.Tail, nullptr);
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

std::vector<ReplayListRow> Rows(std::initializer_list<std::pair<int, bool>> rows) {
    std::vector<ReplayListRow> out;
    int i = 0;
    for (auto [ch, checked] : rows)
        out.push_back({ch, "f" + std::to_string(i++), checked});
    return out;
}

TEST(ReplayPlayLists, CheckedRowsGiveOneWindowEachOrTheirChannelsChain) {
    // Channels 2, 5, 2 checked, in list order.
    auto rows = Rows({{2, true}, {5, true}, {2, true}});
    auto lists = AssignPlayLists(rows, 0, false);
    EXPECT_EQ(lists, (std::vector<std::vector<std::string>>{{"f0"}, {"f1"}, {"f2"}}));
    EXPECT_EQ(ReplayLayoutFor(static_cast<int>(lists.size())), 4);
    for (auto& r : rows)
        EXPECT_FALSE(r.Checked);
    rows = Rows({{2, true}, {5, true}, {2, true}});
    lists = AssignPlayLists(rows, 0, true);
    EXPECT_EQ(lists, (std::vector<std::vector<std::string>>{{"f0", "f2"}, {"f1"}, {"f2"}}));
}

TEST(ReplayPlayLists, SeventeenCheckedFillSixteenWindowsAndUncheckTheRest) {
    std::vector<ReplayListRow> rows;
    for (int i = 0; i < 18; ++i)
        rows.push_back({i % 3, "f" + std::to_string(i), i != 5});
    const auto lists = AssignPlayLists(rows, -1, false);
    EXPECT_EQ(lists.size(), 16u);
    EXPECT_EQ(lists.back(), std::vector<std::string>{"f16"});
    for (auto& r : rows)
        EXPECT_FALSE(r.Checked);
    EXPECT_EQ(ReplayLayoutFor(16), 16);
}

TEST(ReplayPlayLists, WithoutChecksTheSelectionPlaysInWindowZero) {
    auto rows = Rows({{1, false}, {3, false}, {1, false}, {1, false}});
    EXPECT_EQ(AssignPlayLists(rows, 1, true), (std::vector<std::vector<std::string>>{{"f1"}}));
    EXPECT_EQ(AssignPlayLists(rows, 0, true),
              (std::vector<std::vector<std::string>>{{"f0", "f2", "f3"}}));
    EXPECT_TRUE(AssignPlayLists(rows, -1, true).empty());
}

TEST(ReplayFileList, FiltersByChannelTypeDayAndInclusiveTimes) {
    ReplayFileRecord r;
    r.Channel = 2;
    r.RecordType = 0;
    r.Path = "D:\\DVRDat\\20261210\\3\\CC\\2-0-20261210080000.MPG";
    const std::vector<bool> checked{false, false, true};
    EXPECT_TRUE(FileListShows(r, checked, true, false, "2026-12-10", "08:00:00", "09:00:00"));
    EXPECT_TRUE(FileListShows(r, checked, true, false, "2026-12-10", "07:00:00", "08:00:00"));
    EXPECT_FALSE(FileListShows(r, checked, true, false, "2026-12-10", "08:00:01", "23:59:59"));
    EXPECT_FALSE(FileListShows(r, checked, true, false, "2026-12-11", "00:00:00", "23:59:59"));
    EXPECT_FALSE(FileListShows(r, checked, false, true, "2026-12-10", "00:00:00", "23:59:59"));
    EXPECT_FALSE(
        FileListShows(r, {true, true, false}, true, true, "2026-12-10", "00:00:00", "23:59:59"));
    r.RecordType = 2;
    EXPECT_FALSE(FileListShows(r, checked, true, true, "2026-12-10", "00:00:00", "23:59:59"));
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

TEST(ReplayBackupRoom, EqualIsEnoughAndNoNumberIsZero) {
    EXPECT_TRUE(BackupHasRoom("100", "100"));
    EXPECT_FALSE(BackupHasRoom("99", "100"));
    EXPECT_FALSE(BackupHasRoom("", "1"));
    EXPECT_FALSE(BackupHasRoom("12a", "1"));
    EXPECT_TRUE(BackupHasRoom("5", ""));
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

TEST(SnapshotBrowser, ZoomInTwiceOutOnceAndPlacing) {
    // A 352 x 288 picture centred in a 400 x 300 panel.
    PictureAxis x{352, 24}, y{288, 6};
    x = ZoomAxis(x, 400, 1.5);
    y = ZoomAxis(y, 300, 1.5);
    EXPECT_EQ(x.Size, 528);
    EXPECT_EQ(y.Size, 432);
    x = ZoomAxis(x, 400, 1.5);
    y = ZoomAxis(y, 300, 1.5);
    EXPECT_EQ(x.Size, 792);
    EXPECT_EQ(y.Size, 648);
    x = PlaceAxis(ZoomAxis(x, 400, 0.75), 400);
    y = PlaceAxis(ZoomAxis(y, 300, 0.75), 300);
    EXPECT_EQ(x.Size, 594);
    EXPECT_EQ(y.Size, 486);
    EXPECT_LE(x.Pos, 0);
    EXPECT_GE(x.Pos + x.Size, 400);
    EXPECT_EQ(PlaceAxis({200, -50}, 400), (PictureAxis{200, 100}));
    EXPECT_EQ(PlaceAxis({600, 30}, 400), (PictureAxis{600, 0}));
    EXPECT_EQ(PlaceAxis({600, -500}, 400), (PictureAxis{600, -200}));
}

TEST(SnapshotBrowser, TheRecordingAroundASnapshotIsFoundByTimesInclusive) {
    const std::string snap = "D:\\DVRDat\\20261210\\3\\PB\\2-2-20261210120005.BMP";
    EXPECT_EQ(SnapshotStamp(snap), "20261210120005");
    EXPECT_EQ(RecordingFolderFor(snap, 'C'), "D:\\DVRDat\\20261210\\3\\CC\\");
    EXPECT_EQ(RecordingFolderFor(snap, 'A'), "D:\\DVRDat\\20261210\\3\\AC\\");
    const std::string snapName = "2-2-20261210120005.BMP";
    EXPECT_TRUE(RecordingCovers("2-0-20261210115800.MPG", "20261210120500", snapName));
    EXPECT_TRUE(RecordingCovers("2-0-20261210120005.MPG", "20261210120500", snapName));
    EXPECT_TRUE(RecordingCovers("2-0-20261210115800.MPG", "20261210120005", snapName));
    EXPECT_FALSE(RecordingCovers("2-0-20261210115800.MPG", "20261210120004", snapName));
    EXPECT_FALSE(RecordingCovers("2-0-20261210120006.MPG", "20261210120500", snapName));
    EXPECT_FALSE(RecordingCovers("12-0-20261210115800.MPG", "20261210120500", snapName));
}

} // namespace
} // namespace vantrel
