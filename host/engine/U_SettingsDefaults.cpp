#include "host/engine/U_SettingsDefaults.h"

#include <cstring>
#include <string>

namespace vantrel {

namespace {

constexpr int kDefaultQualityLevel = 1;
constexpr int kDefaultUltraLevel = 1;

const QualityRow& NormalRow(int64_t level) {
    return QualityTable[level >= 0 && level < kQualityLevels ? level : kDefaultQualityLevel];
}

} // namespace

void SetCaptureDefaults(TCaptureSetRecord& record) {
    std::memset(&record, 0, sizeof record);
    record.MaxFileSize = 200;
#ifdef VANTREL_CONTROL_BUILD
    // The viewer keeps its local recordings to the size limit from the start.
    record.LimitFileSize = 1;
#else
    record.LimitFileSize = 0;
#endif
    record.QualityLevel = 1;
    record.KeyFrameInterval = 301;
    record.FrameRate = 25;
    record.QuantI = 15;
    record.QuantB = 20;
    record.QuantP = 15;
    record.AudioMode = 0;
    record.MinutesPerFile = 30;
    record.FirstDrive = 'D';
    record.LastDrive = 'Z';
    record.UltraMode = 0;
    record.UltraLevel = 1;
    record.VideoStandard = 2;
    record.FourCifMode = 0;
    record.FourCifLevel = 1;
#ifndef VANTREL_CONTROL_BUILD
    record.DcifMode = 0;
    record.DcifLevel = 1;
#endif
}

void SetPreviewDefaults(int channel, TPreviewSetRecord& record) {
#ifdef VANTREL_CONTROL_BUILD
    record.Picture = {150, 80, 110, 130};
#else
    record.Picture = {140, 50, 70, 128};
#endif
    record.Title.Set(std::to_string(channel + 1));
    record.MaskOn = 0;
    record.MaskLeft = record.MaskTop = record.MaskRight = record.MaskBottom = 0;
    record.ShowTitle = 1;
    record.ShowDateTime = 1;
    record.ShowBackground = 1;
    record.TimeAutoBrightness = 0;
    record.DateTimeX = 7;
    record.DateTimeY = 1;
    record.TitleX = 8;
    record.TitleY = 23;
}

void SetAlarmDefaults(TAlarmSetRecord& record, int channel, int boardChannels) {
    const uint8_t board = channel >= 0 && channel < boardChannels ? 1 : 0;
    record.VideoLossOn = 0;
    record.ProbeOn = 0;
    record.MotionOn = board;
    record.PreRecord = board;
    record.RecordOnAlarm = board;
    record.MotionLevel = 1;
    record.Sensitivity = 3;
    record.VideoLossSound = record.MotionSound = record.ProbeSound = 0;
    record.OpenPreview = 0;
    std::memset(record.LinkedChannels, 0, sizeof record.LinkedChannels);
    if (channel >= 0 && channel < kSettingsChannels) record.LinkedChannels[channel] = board;
    record.OutputToBox = record.CallPreset = record.NetUpload = record.DialUp = 0;
    record.AlarmHoldSeconds = 120;
    record.RecordDelaySeconds = 60;
    record.AreaCount = 0;
    record.InBoxType = record.InBoxPort = record.InBoxAddress = 0;
    record.OutBoxType = record.OutBoxPort = record.OutBoxAddress = 0;
    std::memset(record.InputOn, 0, sizeof record.InputOn);
    std::memset(record.OutputMap, 0, sizeof record.OutputMap);
    for (int i = 0; i < kBoxPoints; ++i) {
        const std::string number = std::to_string(i + 1);
        record.InputNames[i].Set(number);
        for (int kind = 0; kind < kAlarmKinds; ++kind)
            record.OutputNames[kind][i].Set(number);
    }
    record.DialPhone.Clear();
    record.DialPlaySound = 0;
    record.UploadToViewers = 0;
    record.UploadAddressCount = 0;
    SmsMessageBlock& sms = record.Sms;
    sms.SmsOn = 0;
    sms.GsmPort = 0;
    sms.Pid = 0;
    sms.Dcs = 8;
    std::memset(sms.CentreNumber, 0, sizeof sms.CentreNumber);
    std::memset(sms.PhoneNumber, 0, sizeof sms.PhoneNumber);
    // An empty text whose filler is the modem's end-of-message byte.
    sms.Text[0] = 0;
    std::memset(sms.Text + 1, 0x1A, sizeof sms.Text - 1);
}

EncoderParams ChooseEncoderParams(const TCaptureSetRecord& record) {
    EncoderParams p{};
    if (record.FourCifMode) {
        p.Row = NormalRow(record.FourCifLevel);
        p.PictureFormat = 3;
#ifndef VANTREL_CONTROL_BUILD
    } else if (record.DcifMode) {
        p.Row = NormalRow(record.QualityLevel);
        p.PictureFormat = -1;
#endif
    } else if (record.UltraMode) {
        const int level =
            record.UltraLevel < kUltraQualityLevels ? record.UltraLevel : kDefaultUltraLevel;
        p.Row = UltraQualityTable[level];
        p.PictureFormat = 0;
        p.BitrateMode = level == 0;
    } else {
        p.Row = NormalRow(record.QualityLevel);
        p.PictureFormat = 0;
    }
    p.MegabytesPerHour = record.LimitFileSize ? record.MaxFileSize : 0;
    p.FrameRate = record.FrameRate;
    // Unsigned, so that any stored value gives the same low 16 bits the encoder reads.
    p.StreamType = int32_t(3u - uint32_t(record.AudioMode));
    return p;
}

} // namespace vantrel
