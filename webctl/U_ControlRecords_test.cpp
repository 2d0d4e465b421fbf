// The control's build of the shared settings records and defaults: the shorter recording,
// alarm and other-settings records, and the defaults that differ from the host's.
#include "host/engine/U_HostRecords.h"
#include "host/engine/U_SettingsDefaults.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vantrel {
namespace {

static_assert(sizeof(TCaptureSetRecord) == 48);
static_assert(sizeof(TAlarmSetRecord) == 3552);
static_assert(sizeof(TOtherSettingsRecord) == 136);
static_assert(kSettingsChannels * sizeof(TCaptureSetRecord) == 2352);
static_assert(kSettingsChannels * sizeof(TAlarmSetRecord) == 174048);

TEST(ControlRecords, RecordingDefaultsLimitTheFileSizeAndLeaveThePaddingZero) {
    TCaptureSetRecord r;
    std::memset(&r, 0x5A, sizeof r);
    SetCaptureDefaults(r);
    EXPECT_EQ(r.LimitFileSize, 1);
    EXPECT_EQ(r.MaxFileSize, 200);
    EXPECT_EQ(r.FirstDrive, 'D');
    EXPECT_EQ(r.LastDrive, 'Z');
    EXPECT_EQ(r.FourCifLevel, 1);
    EXPECT_EQ(r.Reserved47, 0);
}

TEST(ControlRecords, PreviewDefaultsUseTheViewersPictureValues) {
    TPreviewSetRecord r{};
    SetPreviewDefaults(4, r);
    EXPECT_EQ(r.Picture.Brightness, 150u);
    EXPECT_EQ(r.Picture.Contrast, 80);
    EXPECT_EQ(r.Picture.Saturation, 110);
    EXPECT_EQ(r.Picture.Hue, 130u);
    EXPECT_EQ(r.Title, "5");
}

TEST(ControlRecords, EncoderChoiceWithoutTheDcifFieldsFallsToTheNormalRow) {
    TCaptureSetRecord r;
    SetCaptureDefaults(r);
    const EncoderParams p = ChooseEncoderParams(r);
    EXPECT_EQ(p.PictureFormat, 0);
    EXPECT_EQ(p.MegabytesPerHour, 200); // the size limit is on by default here
}

} // namespace
} // namespace vantrel
