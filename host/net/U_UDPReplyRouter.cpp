#include "host/net/U_UDPReplyRouter.h"

#include "host/engine/U_Conversions.h"

#include <cstdio>

namespace vantrel {

namespace {

template <typename T> T Read(const uint8_t* data) {
    T value;
    std::memcpy(&value, data, sizeof(T));
    return value;
}

// Work-log event codes the log windows can show.
constexpr int kHighestLogEvent = 74;

} // namespace

std::string DayText(double oleDate) {
    const DateTimeParts p = DecodeOleDate(oleDate);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", p.Year, p.Month, p.Day);
    return text;
}

void RunRemoteAlarmSteps(TRemoteAlarmHost& host, const AlarmUploadRecord& record,
                         const std::string& sender) {
    // The kind decides the sound and the outputs; an unknown one would index past them.
    const int kindIndex = AlarmKindIndex(record.Kind);
    if (kindIndex < 0) return;
    try {
        const int boards = host.BoardChannelCount();
        const int channels = std::min(host.ChannelCount(), kSettingsChannels);
        const std::string_view address = record.HostAddress.View();
        for (int i = boards; i < channels; ++i) {
            const int slot = i - boards;
            if (host.SlotRemoteChannel(slot) != record.Channel) continue;
            bool matches = host.SlotGroupAddress(slot) == address;
            if (!matches && !sender.empty()) matches = host.SlotConnectionAddress(slot) == sender;
            if (!matches) continue;
            const TAlarmSetRecord& settings = host.AlarmRecord(i);
            const uint8_t soundOn[kAlarmKinds] = {settings.VideoLossSound, settings.MotionSound,
                                                  settings.ProbeSound};
            if (soundOn[kindIndex]) host.SetSound(i, kindIndex, true);
            host.ShowAlarming(i);
            if (settings.OutputToBox) host.SwitchAlarmOutputs(i, kindIndex, true);
            if (settings.OpenPreview && !host.PanePreviewing(i)) host.RequestOpenOnAlarm(i);
            host.ResetAlarmTimers(i);
            if (settings.RecordOnAlarm) host.RequestRecordOnAlarm(i);
        }
        host.QueueMapAlarm(record);
        host.PostAlarmMessage(ReplyWindow::EMap, 1);
        host.AddRemoteAlarm(record);
        host.PostAlarmMessage(ReplyWindow::AlarmList, 0);
    } catch (...) {
    }
}

void TUDPReplyRouter::Route(const uint8_t* data, size_t length, const std::string& sender) {
    const UdpMsgKind kind = ClassifyReply(data, length);
    if (kind == UdpMsgKind::None) return;
    try {
        RouteKind(kind, data, length, sender);
    } catch (...) {
    }
}

void TUDPReplyRouter::StoreAndPost(ReplyWindow window, const uint8_t* data, size_t length,
                                   unsigned message, intptr_t wParam, intptr_t lParam) {
    TReceiveArea* area = windows_.Area(window);
    if (!area) return;
    area->Store(data, length);
    windows_.Post(window, message, wParam, lParam);
}

void TUDPReplyRouter::RouteKind(UdpMsgKind kind, const uint8_t* data, size_t length,
                                const std::string& sender) {
    switch (kind) {
    case UdpMsgKind::UdpMsgNetDogEcho: {
        const std::vector<std::string> rows = windows_.NetDogAddresses();
        for (size_t r = 0; r < rows.size(); ++r)
            if (rows[r] == sender)
                windows_.Post(ReplyWindow::NetDog, WM_NETDOGREPLY, intptr_t(r), 0);
        break;
    }
    case UdpMsgKind::UdpMsgSetSuccess:
        windows_.Post(ReplyWindow::Settings, WM_SETSUCCESS, 0, 0);
        break;
    case UdpMsgKind::UdpMsgSettingsRecord: {
        const int settingsKind = SettingsKindOfReplyLength(length);
        windows_.StoreSettingsRecord(settingsKind, data, length);
        windows_.Post(ReplyWindow::Settings, WM_SETTINGSRECORD, settingsKind, 0);
        break;
    }
    case UdpMsgKind::UdpMsgWorkLogRecord: {
        const auto record = Read<TWorkLogRecord>(data);
        if (record.Event == kWorkLogEndEvent)
            windows_.Post(ReplyWindow::WorkLog, WM_WORKLOGEND, 0, 0);
        ui_.Run([this, record] {
            if (windows_.WorkLogTimedOut()) return;
            windows_.ClearWorkLogStatus();
            if (record.Event <= kHighestLogEvent) windows_.AddWorkLogRow(record);
        });
        break;
    }
    case UdpMsgKind::AlarmUploadRecord: {
        const auto record = Read<AlarmUploadRecord>(data);
        ui_.Run([this, record, sender] { RunRemoteAlarmSteps(alarms_, record, sender); });
        break;
    }
    case UdpMsgKind::UdpMsgWorkState:
        StoreAndPost(ReplyWindow::NetDog, data, length, WM_NETDOGREPLY, 0, kNetDogWorkStateReply);
        break;
    case UdpMsgKind::UdpMsgDiskInfo:
        StoreAndPost(ReplyWindow::DiskView, data, length, WM_DISKINFO, 0, 0);
        break;
    case UdpMsgKind::UdpMsgRemoteCtrlInfo:
        StoreAndPost(ReplyWindow::RemoteCtrl, data, length, WM_REMOTECTRLINFO, 0, 0);
        break;
    case UdpMsgKind::UdpMsgSettingsInfo:
        StoreAndPost(ReplyWindow::Settings, data, length, WM_SETTINGSSESSION, 0, 0);
        break;
    case UdpMsgKind::UdpMsgWorkLogDays: {
        const auto m = Read<UdpMsgWorkLogDays>(data);
        windows_.Post(ReplyWindow::WorkLog, WM_WORKLOGDAYS, 0, 0);
        // A count beyond the room would read past the lists.
        const int count = std::clamp<int32_t>(m.Count, 0, kWorkLogDaysCapacity);
        std::vector<std::pair<std::string, int>> days;
        for (int i = 0; i < count; ++i)
            days.emplace_back(DayText(m.Times[i]), m.Indexes[i]);
        const int total = m.Total;
        ui_.Run([this, total, days = std::move(days)] { windows_.FillWorkLogDays(total, days); });
        break;
    }
    default:
        break; // the remote user and address records are not taken up
    }
}

void TUDPReplyRouter::AlarmListenerDatagram(const uint8_t* data, size_t length) {
    if (!data || length != sizeof(AlarmUploadRecord)) return;
    RunRemoteAlarmSteps(alarms_, Read<AlarmUploadRecord>(data), std::string());
}

} // namespace vantrel
