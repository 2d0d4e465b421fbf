#include "host/ui/U_SpeedDomeSet.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace vantrel {
namespace {

std::vector<std::pair<int, int>> RunTicks(SpeedDomeSet& s, int ticks, int channels = 1) {
    std::vector<std::pair<int, int>> calls; // (tick, preset)
    for (int t = 1; t <= ticks; ++t)
        s.Tick(channels, [&](int ch, int entry) {
            calls.push_back({t, s.Records[ch].Tour[entry].Preset});
        });
    return calls;
}

TEST(SpeedDomeTour, CallsEnabledPointsAfterTheirDwellAndStartsOver) {
    SpeedDomeSet s;
    auto& r = s.Records[0];
    AppendTourEntry(r, 3, 5);
    AppendTourEntry(r, 7, 10);
    AppendTourEntry(r, 9, 2);
    r.Tour[0].Enabled = 1;
    r.Tour[2].Enabled = 1;
    r.TourEnabled = 1;
    const auto calls = RunTicks(s, 9);
    const std::vector<std::pair<int, int>> expected{{1, 3}, {6, 9}, {8, 3}};
    EXPECT_EQ(calls, expected);
}

TEST(SpeedDomeTour, NothingIsCalledWhenNoPointIsEnabledOrTheTourIsOff) {
    SpeedDomeSet s;
    for (int ch : {0, 1}) {
        AppendTourEntry(s.Records[ch], 3, 1);
        AppendTourEntry(s.Records[ch], 4, 1);
    }
    s.Records[0].TourEnabled = 1;       // points all disabled
    s.Records[1].Tour[0].Enabled = 1;   // tour itself off
    EXPECT_TRUE(RunTicks(s, 10, 2).empty());
    // Channels beyond the host's count never tour.
    s.Records[1].TourEnabled = 1;
    EXPECT_TRUE(RunTicks(s, 3, 1).empty());
}

TEST(SpeedDomeTour, AFullListWrapsWithoutReadingPastIt) {
    SpeedDomeSet s;
    auto& r = s.Records[0];
    for (int k = 0; k < kDomeListEntries; ++k)
        ASSERT_TRUE(AppendTourEntry(r, k % 200, 0));
    EXPECT_FALSE(AppendTourEntry(r, 1, 1));
    r.Tour[kDomeListEntries - 2].Enabled = 1;
    r.Tour[kDomeListEntries - 1].Enabled = 1;
    r.TourEnabled = 1;
    std::vector<int> entries;
    for (int t = 0; t < 8; ++t)
        s.Tick(1, [&](int, int entry) { entries.push_back(entry); });
    // The last entry is called, then the tour starts over from the top.
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries[0], kDomeListEntries - 2);
    EXPECT_EQ(entries[1], kDomeListEntries - 1);
    EXPECT_EQ(entries[2], kDomeListEntries - 2);
}

TEST(SpeedDomeLists, DeleteMovesLaterEntriesUpAndKeepsTheEndMarker) {
    SpeedDomeRecord r;
    SetDomeDefaults(r);
    AppendAlarmLink(r, 10, 1);
    AppendAlarmLink(r, 11, 2);
    AppendAlarmLink(r, 12, 3);
    DeleteAlarmLink(r, 0);
    ASSERT_EQ(LinkLength(r), 2);
    EXPECT_EQ(r.Links[0].Preset, 11);
    EXPECT_EQ(r.Links[1].Preset, 12);
    EXPECT_EQ(r.Links[1].Input, 3);
    EXPECT_EQ(r.Links[2].Preset, -1);
    EXPECT_EQ(r.Links[2].Input, 0);
    DeleteAlarmLink(r, 5); // beyond the list: nothing
    EXPECT_EQ(LinkLength(r), 2);

    AppendTourEntry(r, 1, 5);
    AppendTourEntry(r, 2, 6);
    r.Tour[1].Enabled = 1;
    DeleteTourEntry(r, 0);
    EXPECT_EQ(TourLength(r), 1);
    EXPECT_EQ(r.Tour[0].Preset, 2);
    EXPECT_EQ(r.Tour[0].Enabled, 1);
    EXPECT_EQ(r.Tour[1].DwellSeconds, 0);
}

TEST(SpeedDomeLists, AlarmInputFindsTheFirstLiveLink) {
    SpeedDomeRecord r;
    SetDomeDefaults(r);
    AppendAlarmLink(r, 20, 2);
    AppendAlarmLink(r, 30, 4);
    AppendAlarmLink(r, 40, 4);
    EXPECT_EQ(PresetForInput(r, 4), 30);
    EXPECT_EQ(PresetForInput(r, 5), -1);
    AppendAlarmLink(r, 50, 260); // the low 8 bits are kept
    EXPECT_EQ(PresetForInput(r, 4), 30);
    EXPECT_EQ(r.Links[3].Input, 4);
}

TEST(SpeedDomeFile, AShortFileFillsOnlyItsCompleteRecords) {
    SpeedDomeSet a;
    a.Records[0].LinePoint1 = 7;
    a.Records[2].LinePoint2 = 9;
    a.Records[3].LinePoint1 = 11;
    std::string bytes = a.Bytes();
    ASSERT_EQ(bytes.size(), 49u * 7336u);
    SpeedDomeSet b;
    b.Load(bytes.substr(0, 7336 * 3 + 100));
    EXPECT_EQ(b.Records[0].LinePoint1, 7);
    EXPECT_EQ(b.Records[2].LinePoint2, 9);
    EXPECT_EQ(b.Records[3].LinePoint1, 0);
    EXPECT_EQ(b.Records[3].Tour[0].Preset, -1);
    b.Load(bytes + std::string(7336, '\x01')); // longer: the 49 records only
    EXPECT_EQ(b.Records[3].LinePoint1, 11);
}

} // namespace
} // namespace vantrel
