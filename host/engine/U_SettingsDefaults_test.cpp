#include "host/engine/U_SettingsDefaults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vantrel {
namespace {

// Packed fields are read by value: the test macros would bind references to them.
template <typename T> T Value(T v) {
    return v;
}

TCaptureSetRecord Capture() {
    TCaptureSetRecord r;
    SetCaptureDefaults(r);
    return r;
}

std::string Describe(const EncoderParams& p) {
    return "format " + std::to_string(p.PictureFormat) + " row " + std::to_string(p.Row.QuantI) +
           "/" + std::to_string(p.Row.QuantB) + "/" + std::to_string(p.Row.QuantP) + "/" +
           std::to_string(p.Row.KeyFrameInterval) + " mode " + std::to_string(p.BitrateMode) +
           " mb " + std::to_string(p.MegabytesPerHour) + " rate " + std::to_string(p.FrameRate) +
           " stream " + std::to_string(p.StreamType);
}

TEST(EncoderParams, ModeRowFormatAndStream) {
    struct Case {
        const char* what;
        void (*edit)(TCaptureSetRecord&);
        const char* expected;
    } cases[] = {
        {"defaults", [](TCaptureSetRecord&) {},
         "format 0 row 12/17/12/301 mode 0 mb 0 rate 25 stream 3"},
        {"normal level 5, limited size, 12 fps",
         [](TCaptureSetRecord& r) {
             r.QualityLevel = 5;
             r.LimitFileSize = 1;
             r.MaxFileSize = 450;
             r.FrameRate = 12;
         },
         "format 0 row 27/30/27/301 mode 0 mb 450 rate 12 stream 3"},
        {"size limit off ignores the size", [](TCaptureSetRecord& r) { r.MaxFileSize = 450; },
         "format 0 row 12/17/12/301 mode 0 mb 0 rate 25 stream 3"},
        {"4CIF takes its own level over every other mode",
         [](TCaptureSetRecord& r) {
             r.FourCifMode = r.DcifMode = r.UltraMode = 1;
             r.FourCifLevel = 0;
             r.QualityLevel = 4;
         },
         "format 3 row 10/15/10/301 mode 0 mb 0 rate 25 stream 3"},
        {"DCIF keeps the format and takes the normal level",
         [](TCaptureSetRecord& r) {
             r.DcifMode = r.UltraMode = 1;
             r.QualityLevel = 3;
             r.DcifLevel = 5;
         },
         "format -1 row 21/26/21/301 mode 0 mb 0 rate 25 stream 3"},
        {"ultra level 0 switches the bit-rate mode",
         [](TCaptureSetRecord& r) {
             r.UltraMode = 1;
             r.UltraLevel = 0;
         },
         "format 0 row 0/40/0/301 mode 1 mb 0 rate 25 stream 3"},
        {"ultra level 3",
         [](TCaptureSetRecord& r) {
             r.UltraMode = 1;
             r.UltraLevel = 3;
         },
         "format 0 row 8/13/8/301 mode 0 mb 0 rate 25 stream 3"},
        {"video only", [](TCaptureSetRecord& r) { r.AudioMode = 2; },
         "format 0 row 12/17/12/301 mode 0 mb 0 rate 25 stream 1"},
        // 2 reaches the board, whose wrapper takes every kind but 3 as video only.
        {"audio mode 1 is not sound", [](TCaptureSetRecord& r) { r.AudioMode = 1; },
         "format 0 row 12/17/12/301 mode 0 mb 0 rate 25 stream 2"},
        {"levels outside the tables take the default row",
         [](TCaptureSetRecord& r) { r.QualityLevel = 6; },
         "format 0 row 12/17/12/301 mode 0 mb 0 rate 25 stream 3"},
        {"negative level", [](TCaptureSetRecord& r) { r.QualityLevel = -1; },
         "format 0 row 12/17/12/301 mode 0 mb 0 rate 25 stream 3"},
        {"4CIF level 200",
         [](TCaptureSetRecord& r) {
             r.FourCifMode = 1;
             r.FourCifLevel = 200;
         },
         "format 3 row 12/17/12/301 mode 0 mb 0 rate 25 stream 3"},
        {"ultra level 4 neither reads past the table nor switches the mode",
         [](TCaptureSetRecord& r) {
             r.UltraMode = 1;
             r.UltraLevel = 4;
         },
         "format 0 row 1/5/1/301 mode 0 mb 0 rate 25 stream 3"},
    };
    for (const Case& c : cases) {
        TCaptureSetRecord r = Capture();
        c.edit(r);
        EXPECT_EQ(Describe(ChooseEncoderParams(r)), c.expected) << c.what;
    }
}

TEST(EncoderParams, ExtremeAudioModesKeepTheLow16BitsTheEncoderReads) {
    for (int32_t mode : {INT32_MIN, INT32_MAX, 0x10000, -1}) {
        TCaptureSetRecord r = Capture();
        r.AudioMode = mode;
        EXPECT_EQ(ChooseEncoderParams(r).StreamType & 0xFFFF, (3 - (mode & 0xFFFF)) & 0xFFFF)
            << mode;
    }
}

TEST(CaptureDefaults, StoredBytes) {
    const TCaptureSetRecord r = Capture();
    const uint8_t expected[52] = {200, 0, 0,  0, 0,   0,   0,  0, 1, 0, 0,  0, 45, 1, 0, 0, 25, 0,
                                  0,   0, 15, 0, 0,   0,   20, 0, 0, 0, 15, 0, 0,  0, 0, 0, 0,  0,
                                  30,  0, 0,  0, 'D', 'Z', 0,  1, 2, 0, 1,  0, 1,  0, 0, 0};
    EXPECT_EQ(std::memcmp(&r, expected, sizeof expected), 0);
}

TEST(PreviewDefaults, ChannelTwelveAndKeptBytes) {
    TPreviewSetRecord r;
    std::memset(&r, 0xEE, sizeof r);
    SetPreviewDefaults(12, r);
    EXPECT_EQ(r.Title, "13");
    EXPECT_EQ(Value(r.Picture.Brightness), 140u);
    EXPECT_EQ(Value(r.Picture.Contrast), 50);
    EXPECT_EQ(Value(r.Picture.Saturation), 70);
    EXPECT_EQ(Value(r.Picture.Hue), 128u);
    EXPECT_EQ(Value(r.DateTimeX), 7);
    EXPECT_EQ(Value(r.DateTimeY), 1);
    EXPECT_EQ(Value(r.TitleX), 8);
    EXPECT_EQ(Value(r.TitleY), 23);
    EXPECT_EQ(r.ShowTitle, 1);
    EXPECT_EQ(r.ShowDateTime, 1);
    EXPECT_EQ(r.ShowBackground, 1);
    EXPECT_EQ(r.TimeAutoBrightness, 0);
    EXPECT_EQ(r.MaskOn, 0);
    EXPECT_EQ(Value(r.MaskLeft | r.MaskTop | r.MaskRight | r.MaskBottom), 0);
    EXPECT_EQ(r.Reserved74[0], 0xEE);
    EXPECT_EQ(r.Reserved74[1], 0xEE);
    SetPreviewDefaults(48, r);
    EXPECT_EQ(r.Title, "49");
}

TEST(AlarmDefaults, BoardAndNetworkChannels) {
    TAlarmSetRecord board{}, network{};
    SetAlarmDefaults(board, 3, 4);
    SetAlarmDefaults(network, 4, 4);
    EXPECT_EQ(board.MotionOn, 1);
    EXPECT_EQ(board.PreRecord, 1);
    EXPECT_EQ(board.RecordOnAlarm, 1);
    EXPECT_EQ(board.LinkedChannels[3], 1);
    EXPECT_EQ(network.MotionOn | network.PreRecord | network.RecordOnAlarm, 0);
    for (const TAlarmSetRecord* r : {&board, &network}) {
        EXPECT_EQ(r->VideoLossOn | r->ProbeOn, 0);
        EXPECT_EQ(r->MotionLevel, 1);
        EXPECT_EQ(r->Sensitivity, 3);
        EXPECT_EQ(Value(r->AlarmHoldSeconds), 120);
        EXPECT_EQ(Value(r->RecordDelaySeconds), 60);
        EXPECT_EQ(r->InputNames[0], "1");
        EXPECT_EQ(r->InputNames[15], "16");
        EXPECT_EQ(r->OutputNames[Probe][9], "10");
        EXPECT_EQ(r->OutputNames[VideoLoss][15], "16");
        EXPECT_EQ(r->Sms.Dcs, 8);
        // The text is empty though the rest of its field holds the end-of-message filler.
        EXPECT_EQ(r->Sms.Text[0], 0);
        for (int i = 1; i < 161; ++i)
            ASSERT_EQ(r->Sms.Text[i], 0x1A) << i;
    }
    int links = 0;
    for (uint8_t l : network.LinkedChannels)
        links += l;
    EXPECT_EQ(links, 0);
}

TEST(AlarmDefaults, KeepWhatTheyDoNotName) {
    TAlarmSetRecord r{};
    r.DialUser.Set("dialer");
    r.DialPassword.Set("secret");
    r.Areas[2] = {0.1, 0.2, 0.3, 0.4};
    r.UploadAddresses[7].Set("10.0.0.7");
    r.UploadAddressOn[7] = 1;
    r.Reserved300[1] = 9;
    r.LinkedChannels[20] = 1;
    r.AreaCount = 3;
    r.DialPhone.Set("12345");
    SetAlarmDefaults(r, 0, 4);
    EXPECT_EQ(r.DialUser, "dialer");
    EXPECT_EQ(r.DialPassword, "secret");
    EXPECT_EQ(Value(r.Areas[2].Bottom), 0.4);
    EXPECT_EQ(r.UploadAddresses[7], "10.0.0.7");
    EXPECT_EQ(r.UploadAddressOn[7], 1);
    EXPECT_EQ(r.Reserved300[1], 9);
    // Named fields are reset.
    EXPECT_EQ(r.LinkedChannels[20], 0);
    EXPECT_EQ(Value(r.AreaCount), 0);
    EXPECT_EQ(r.DialPhone, "");
}

TEST(AlarmDefaults, ChannelOutsideTheSlotsTouchesNoLink) {
    TAlarmSetRecord r{};
    SetAlarmDefaults(r, 49, 60);
    SetAlarmDefaults(r, -1, 4);
    for (uint8_t l : r.LinkedChannels)
        EXPECT_EQ(l, 0);
}

} // namespace
} // namespace vantrel
