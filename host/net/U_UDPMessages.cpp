#include "host/net/U_UDPMessages.h"

#include <cstring>

namespace vantrel {

namespace {

template <typename T> const T& As(const uint8_t* data) {
    return *reinterpret_cast<const T*>(data);
}

} // namespace

UdpMsgKind ClassifyRequest(const uint8_t* data, size_t length) {
    if (!data) return UdpMsgKind::None;
    switch (length) {
    case 2:
        return UdpMsgKind::UdpMsgMatrixSwitch;
    case 7:
        if (KeywordIs(As<UdpMsgNetDog>(data).Keyword, kKeyNetDog)) return UdpMsgKind::UdpMsgNetDog;
        if (KeywordIs(As<UdpMsgStateQuery>(data).Keyword, kKeyState))
            return UdpMsgKind::UdpMsgStateQuery;
        return UdpMsgKind::None;
    case 8:
        return UdpMsgKind::UdpMsgWorkLogQuery;
    case 9:
        return KeywordIs(As<UdpMsgWorkLogDaysQuery>(data).Keyword, kKeyWorkLog)
                   ? UdpMsgKind::UdpMsgWorkLogDaysQuery
                   : UdpMsgKind::None;
    case 14:
        return KeywordIs(As<UdpMsgDiskInfoQuery>(data).Keyword, kKeyViewDiskInfo)
                   ? UdpMsgKind::UdpMsgDiskInfoQuery
                   : UdpMsgKind::None;
    case 21:
        return KeywordIs(As<UdpMsgRemoteCtrlConnect>(data).Keyword, kKeyRemoteCtrlConnect)
                   ? UdpMsgKind::UdpMsgRemoteCtrlConnect
                   : UdpMsgKind::None;
    case 22:
        return KeywordIs(As<UdpMsgGetSettings>(data).Keyword, kKeyRemoteGetSystemSet)
                   ? UdpMsgKind::UdpMsgGetSettings
                   : UdpMsgKind::None;
    case 28:
        return UdpMsgKind::UdpMsgPictureParams;
    case 36:
        return UdpMsgKind::UdpMsgAlarmSubscribe;
    case 42:
        return UdpMsgKind::UdpMsgAlarmOutput;
    case 46:
        return KeywordIs(As<UdpMsgSettingsConnect>(data).Keyword, kKeyRemoteSystemSetConnect)
                   ? UdpMsgKind::UdpMsgSettingsConnect
                   : UdpMsgKind::None;
    case 56:
        return UdpMsgKind::UdpMsgSetDogSettings;
    case 72:
        return UdpMsgKind::UdpMsgRemoteControl;
    case 80:
        return UdpMsgKind::UdpMsgSetCaptureSettings;
    case 84:
        return UdpMsgKind::UdpMsgSetPortTable;
    case 93:
        return UdpMsgKind::UdpMsgChannelCommand;
    case 104:
        return UdpMsgKind::UdpMsgSetPreviewSettings;
    case 130:
        return UdpMsgKind::UdpMsgPtzCommand;
    case 144:
        return UdpMsgKind::UdpMsgSetOtherSettings;
    case 1572:
        return UdpMsgKind::UdpMsgSetPtzSettings;
    case 3624:
        return UdpMsgKind::UdpMsgSetAlarmSettings;
    case 9888:
        return UdpMsgKind::UdpMsgSetScheduleSettings;
    default:
        return UdpMsgKind::None;
    }
}

int SettingsKindOfReplyLength(size_t length) {
    switch (length) {
    case sizeof(TPreviewSetRecord):
        return SettingsPreview;
    case sizeof(TCaptureSetRecord):
        return SettingsCapture;
    case sizeof(TAlarmSetRecord):
        return SettingsAlarm;
    case sizeof(TAutoSetRecord):
        return SettingsSchedule;
    case sizeof(TYunTaiSetRecord):
        return SettingsPtz;
    case kDogSettingsSize:
        return SettingsDog;
    case sizeof(TOtherSettingsRecord):
        return SettingsOther;
    default:
        return -1;
    }
}

size_t SettingsRecordLength(int kind) {
    switch (kind) {
    case SettingsPreview:
        return sizeof(TPreviewSetRecord);
    case SettingsCapture:
        return sizeof(TCaptureSetRecord);
    case SettingsAlarm:
        return sizeof(TAlarmSetRecord);
    case SettingsSchedule:
        return sizeof(TAutoSetRecord);
    case SettingsPtz:
        return sizeof(TYunTaiSetRecord);
    case SettingsRemoteLists:
        return sizeof(TRemoteUserRecord);
    case SettingsDog:
        return kDogSettingsSize;
    case SettingsOther:
        return sizeof(TOtherSettingsRecord);
    default:
        return 0;
    }
}

UdpMsgKind ClassifyReply(const uint8_t* data, size_t length) {
    if (!data) return UdpMsgKind::None;
    switch (length) {
    case 7:
        return KeywordIs(As<UdpMsgNetDog>(data).Keyword, kKeyNetDog) ? UdpMsgKind::UdpMsgNetDogEcho
                                                                     : UdpMsgKind::None;
    case 19:
        return KeywordIs(As<UdpMsgSetSuccess>(data).Keyword, kKeyRemoteSetSuccess)
                   ? UdpMsgKind::UdpMsgSetSuccess
                   : UdpMsgKind::None;
    case 72:
        return UdpMsgKind::UdpMsgWorkLogRecord;
#ifndef VANTREL_CONTROL_BUILD
    // The control takes uploads only at its alarm listener.
    case 128:
        return IsAlarmUploadKind(As<vantrel::AlarmUploadRecord>(data).Kind)
                   ? UdpMsgKind::AlarmUploadRecord
                   : UdpMsgKind::None;
#endif
    case 198:
        return UdpMsgKind::UdpMsgWorkState;
    case 208:
        return UdpMsgKind::UdpMsgDiskInfo;
    case 1030:
        return UdpMsgKind::UdpMsgRemoteCtrlInfo;
    case 1036:
        return UdpMsgKind::UdpMsgSettingsInfo;
    case 1224:
        return UdpMsgKind::UdpMsgWorkLogDays;
    case sizeof(TRemoteUserRecord):
    case sizeof(TRemoteIPRecord):
        return UdpMsgKind::UdpMsgRemoteListRecord;
    default:
        return SettingsKindOfReplyLength(length) >= 0 ? UdpMsgKind::UdpMsgSettingsRecord
                                                      : UdpMsgKind::None;
    }
}

bool IsAlarmUploadKind(uint8_t kind) {
    return kind == uint8_t(kAlarmVideoLoss) || kind == uint8_t(kAlarmMotion) ||
           kind == uint8_t(kAlarmProbe);
}

UdpMsgNetDog MakeNetDog() {
    UdpMsgNetDog m{};
    m.Keyword.Set(kKeyNetDog);
    return m;
}

UdpMsgStateQuery MakeStateQuery() {
    UdpMsgStateQuery m{};
    m.Keyword.Set(kKeyState);
    return m;
}

UdpMsgSetSuccess MakeSetSuccess() {
    UdpMsgSetSuccess m{};
    m.Keyword.Set(kKeyRemoteSetSuccess);
    return m;
}

TWorkLogRecord MakeWorkLogEnd(const TWorkLogRecord& first) {
    TWorkLogRecord end = first;
    end.Event = kWorkLogEndEvent;
    end.Link = kWorkLogEndLink;
    return end;
}

} // namespace vantrel
