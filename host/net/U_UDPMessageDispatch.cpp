#include "host/net/U_UDPMessageDispatch.h"

#include "host/engine/U_HostMessages.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

namespace vantrel {

namespace {

// A datagram's bytes as a record; copied so that no unaligned field is read in place.
template <typename T> T Read(const uint8_t* data) {
    T value;
    std::memcpy(&value, data, sizeof(T));
    return value;
}

bool IsSettingsChannel(int channel) {
    return channel >= 0 && channel < kSettingsChannels;
}

int32_t Megabytes(uint64_t bytes) {
    const uint64_t mb = bytes / 1024 / 1024;
    return mb > uint64_t(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max()
                                                              : int32_t(mb);
}

} // namespace

void TSenderSessions::Admit(const std::string& address, std::chrono::steady_clock::time_point now) {
    for (auto it = until_.begin(); it != until_.end();)
        it = it->second <= now ? until_.erase(it) : std::next(it);
    if (until_.size() >= kMaxSenderSessions && !until_.count(address)) {
        auto oldest = until_.begin();
        for (auto it = until_.begin(); it != until_.end(); ++it)
            if (it->second < oldest->second) oldest = it;
        until_.erase(oldest);
    }
    until_[address] = now + kSenderSessionLifetime;
}

bool TSenderSessions::Has(const std::string& address,
                          std::chrono::steady_clock::time_point now) const {
    const auto it = until_.find(address);
    return it != until_.end() && now < it->second;
}

std::chrono::steady_clock::time_point TUDPMessageDispatch::Now() const {
    return clock_ ? clock_() : std::chrono::steady_clock::now();
}

void TUDPMessageDispatch::Dispatch(const uint8_t* data, size_t length, const std::string& sender,
                                   int senderPort) {
    const UdpMsgKind kind = ClassifyRequest(data, length);
    if (kind == UdpMsgKind::None) return;
    sender_ = sender;
    senderPort_ = senderPort;
    try {
        Run(kind, data, length);
    } catch (...) {
        // A failing engine call ends the request; what it already did stays.
    }
}

void TUDPMessageDispatch::Reply(const void* buffer, size_t length) {
    try {
        replies_.SendTo(buffer, int(length), senderPort_, sender_);
    } catch (...) {
    }
}

bool TUDPMessageDispatch::Checks(std::string_view name, std::string_view password, int right,
                                 int item) {
    // Rights are judged by the address the datagram came from, never by one written in it.
    if (!host_.CheckUser(name, password, right, item, -1) ||
        !host_.CheckIP(sender_, right, item, -1))
        return false;
    checked_.Admit(sender_, Now());
    return true;
}

bool TUDPMessageDispatch::MayAnswerUnchecked() {
    return !host_.RemoteListsInUse() || host_.AddressListed(sender_) ||
           checked_.Has(sender_, Now());
}

void TUDPMessageDispatch::SetSuccessAndNotify() {
    host_.PostToMainForm(WM_SETTINGSCHANGED, 0, 0);
    const UdpMsgSetSuccess ok = MakeSetSuccess();
    Reply(&ok, sizeof ok);
}

void TUDPMessageDispatch::Run(UdpMsgKind kind, const uint8_t* data, size_t length) {
    switch (kind) {
    case UdpMsgKind::UdpMsgMatrixSwitch:
        MatrixSwitch(Read<UdpMsgMatrixSwitch>(data));
        break;
    case UdpMsgKind::UdpMsgNetDog:
        Reply(data, length);
        break;
    case UdpMsgKind::UdpMsgStateQuery: {
        if (!MayAnswerUnchecked()) break;
        const WorkStateRecord state = host_.CaptureWorkState();
        Reply(&state, sizeof state);
        break;
    }
    case UdpMsgKind::UdpMsgWorkLogQuery:
        if (MayAnswerUnchecked()) WorkLogQuery(Read<UdpMsgWorkLogQuery>(data));
        break;
    case UdpMsgKind::UdpMsgWorkLogDaysQuery:
        if (MayAnswerUnchecked()) WorkLogDays();
        break;
    case UdpMsgKind::UdpMsgDiskInfoQuery:
        if (MayAnswerUnchecked()) DiskInfo();
        break;
    case UdpMsgKind::UdpMsgRemoteCtrlConnect:
        if (host_.BoardChannelCount() > 0 && MayAnswerUnchecked()) ChannelInfo(false);
        break;
    case UdpMsgKind::UdpMsgGetSettings:
        GetSettings(Read<UdpMsgGetSettings>(data));
        break;
    case UdpMsgKind::UdpMsgPictureParams: {
        const auto m = Read<UdpMsgPictureParams>(data);
        if (m.Channel < host_.ChannelCount()) host_.SetPictureParams(m.Channel, m.Params);
        break;
    }
    case UdpMsgKind::UdpMsgAlarmSubscribe: {
        const auto m = Read<UdpMsgAlarmSubscribe>(data);
        const int boards = host_.BoardChannelCount();
        if (boards > 0 && m.Channel >= 0 && m.Channel < boards)
            host_.SubscribeAlarms(m.Channel, sender_, senderPort_);
        break;
    }
    case UdpMsgKind::UdpMsgAlarmOutput:
        AlarmOutput(Read<UdpMsgAlarmOutput>(data));
        break;
    case UdpMsgKind::UdpMsgSettingsConnect: {
        const auto m = Read<UdpMsgSettingsConnect>(data);
        if (host_.BoardChannelCount() > 0 && Checks(m.UserName.View(), m.Password.View(), 1, -1)) {
            settings_.Admit(sender_, Now());
            ChannelInfo(true);
        }
        break;
    }
    case UdpMsgKind::UdpMsgSetDogSettings: {
        const auto m = Read<UdpMsgSetDogSettings>(data);
        if (Checks(m.UserName.View(), m.Password.View(), 1, 5)) SetDogSettings(data);
        break;
    }
    case UdpMsgKind::UdpMsgRemoteControl:
        RemoteControl(Read<UdpMsgRemoteControl>(data));
        break;
    case UdpMsgKind::UdpMsgSetCaptureSettings: {
        const auto m = Read<UdpMsgSetCaptureSettings>(data);
        if (!IsSettingsChannel(m.Channel) ||
            !Checks(m.UserName.View(), m.Password.View(), 1, 1))
            break;
        host_.CaptureRecords()[m.Channel] = m.Record;
        host_.SaveCaptureRecords();
        SetSuccessAndNotify();
        break;
    }
    case UdpMsgKind::UdpMsgSetPortTable:
        break; // hosts do not act on it
    case UdpMsgKind::UdpMsgChannelCommand:
        ChannelCommand(Read<UdpMsgChannelCommand>(data));
        break;
    case UdpMsgKind::UdpMsgSetPreviewSettings: {
        const auto m = Read<UdpMsgSetPreviewSettings>(data);
        if (!IsSettingsChannel(m.Channel) ||
            !Checks(m.UserName.View(), m.Password.View(), 1, 0))
            break;
        host_.PreviewRecords()[m.Channel] = m.Record;
        host_.SavePreviewRecords();
        SetSuccessAndNotify();
        break;
    }
    case UdpMsgKind::UdpMsgPtzCommand: {
        const auto m = Read<UdpMsgPtzCommand>(data);
        if (!IsSettingsChannel(m.Channel) ||
            !Checks(m.UserName.View(), m.Password.View(), 6, m.Channel))
            break;
        if (m.Stop == 0)
            host_.PtzStart(m.Channel, m.Command, m.Value1, m.Value2);
        else
            host_.PtzStop(m.Channel, m.Command, m.Value1, m.Value2);
        break;
    }
    case UdpMsgKind::UdpMsgSetOtherSettings: {
        const auto m = Read<TOtherSettingsRecord>(data);
        if (Checks(m.RemoteUserName.View(), m.RemotePassword.View(), 1, 7)) SetOtherSettings(m);
        break;
    }
    case UdpMsgKind::UdpMsgSetPtzSettings: {
        const auto m = Read<TYunTaiSetRecord>(data);
        if (Checks(m.UserName.View(), m.Password.View(), 1, 4)) SetPtzSettings(m);
        break;
    }
    case UdpMsgKind::UdpMsgSetAlarmSettings: {
        const auto m = std::make_unique<UdpMsgSetAlarmSettings>(Read<UdpMsgSetAlarmSettings>(data));
        if (!IsSettingsChannel(m->Channel) ||
            !Checks(m->UserName.View(), m->Password.View(), 1, 2))
            break;
        host_.AlarmRecords()[m->Channel] = m->Record;
        host_.SaveAlarmRecords();
        SetSuccessAndNotify();
        break;
    }
    case UdpMsgKind::UdpMsgSetScheduleSettings: {
        const auto m =
            std::make_unique<UdpMsgSetScheduleSettings>(Read<UdpMsgSetScheduleSettings>(data));
        if (!IsSettingsChannel(m->Channel) ||
            !Checks(m->UserName.View(), m->Password.View(), 1, 3))
            break;
        host_.AutoRecords()[m->Channel] = m->Record;
        host_.SaveAutoRecords();
        SetSuccessAndNotify();
        break;
    }
    default:
        break;
    }
}

void TUDPMessageDispatch::MatrixSwitch(const UdpMsgMatrixSwitch& m) {
    if (host_.MatrixType() != 0) return;
    // An output past the table would write beyond it.
    if (m.Output > kMatrixHighestOutput) return;
    host_.SwitchMatrix(m.Input, m.Output);
}

void TUDPMessageDispatch::SetOtherSettings(const TOtherSettingsRecord& m) {
    TOtherSettingsRecord& live = host_.OtherSettings();
    TOtherSettingsRecord stored = m;
    // Reads send the passwords blank: a blank one written back keeps what is stored.
    if (stored.WindowsLogonPassword.len == 0) stored.WindowsLogonPassword = live.WindowsLogonPassword;
    if (stored.RemotePassword.len == 0) stored.RemotePassword = live.RemotePassword;
    live = stored;
    host_.SaveOtherSettings();
    SetSuccessAndNotify();
}

void TUDPMessageDispatch::SetPtzSettings(const TYunTaiSetRecord& m) {
    TYunTaiSetRecord& live = host_.YunTaiSettings();
    const auto keep = live.Password;
    live = m;
    if (live.Password.len == 0) live.Password = keep;
    host_.SaveYunTaiSettings();
    SetSuccessAndNotify();
}

void TUDPMessageDispatch::SetDogSettings(const uint8_t* data) {
    uint8_t* live = host_.DogSettings();
    UdpMsgSetDogSettings keep;
    std::memcpy(&keep, live, sizeof keep);
    std::memcpy(live, data, kDogSettingsSize);
    if (live[offsetof(UdpMsgSetDogSettings, Password)] == 0)
        std::memcpy(live + offsetof(UdpMsgSetDogSettings, Password), &keep.Password,
                    sizeof keep.Password);
    host_.SaveDogSettings();
    SetSuccessAndNotify();
}

void TUDPMessageDispatch::WorkLogQuery(const UdpMsgWorkLogQuery& m) {
    if (m.Count < 1 || m.First < 0) return;
    // Only what the log holds for the day of the first record, and never more than a window
    // shows at once.
    int64_t dayEnd = host_.WorkLogRecordCount();
    std::vector<double> times;
    std::vector<int32_t> indexes;
    host_.ListWorkLogDays(times, indexes);
    for (int32_t dayStart : indexes)
        if (dayStart > m.First && dayStart < dayEnd) dayEnd = dayStart;
    if (m.First >= dayEnd) return;
    const int count = int(std::min<int64_t>({int64_t(m.Count), dayEnd - m.First, int64_t(kMaxWorkLogAnswer)}));
    std::vector<TWorkLogRecord> records(static_cast<size_t>(count));
    host_.ReadWorkLog(m.First, records.data(), count);
    for (const TWorkLogRecord& r : records)
        Reply(&r, sizeof r);
    const TWorkLogRecord end = MakeWorkLogEnd(records.front());
    Reply(&end, sizeof end);
}

void TUDPMessageDispatch::WorkLogDays() {
    std::vector<double> times;
    std::vector<int32_t> indexes;
    host_.ListWorkLogDays(times, indexes);
    const size_t days = std::min(times.size(), indexes.size());
    if (days == 0) return;
    UdpMsgWorkLogDays m{};
    // With more days than room, the newest ones: the oldest are the next to be dropped.
    const size_t from = days > size_t(kWorkLogDaysCapacity) ? days - kWorkLogDaysCapacity : 0;
    m.Count = int32_t(days - from);
    for (size_t i = from; i < days; ++i) {
        m.Times[i - from] = times[i];
        m.Indexes[i - from] = indexes[i];
    }
    m.Total = host_.WorkLogRecordCount();
    Reply(&m, sizeof m);
}

void TUDPMessageDispatch::DiskInfo() {
    UdpMsgDiskInfo m{};
    for (int k = 0; k < kDriveLetters; ++k) {
        uint64_t total = 0, free = 0;
        if (host_.FixedDriveSpace(char('A' + k), total, free)) {
            m.TotalMB[k] = Megabytes(total);
            m.FreeMB[k] = Megabytes(free);
        } else {
            m.TotalMB[k] = -1;
            m.FreeMB[k] = 0;
        }
    }
    Reply(&m, sizeof m);
}

void TUDPMessageDispatch::ChannelInfo(bool settingsSession) {
    UdpMsgSettingsInfo m{};
    const int count = std::min(host_.BoardChannelCount(), kSettingsChannels);
    m.Info.Count = uint8_t(count);
    const TPreviewSetRecord* records = host_.PreviewRecords();
    for (int i = 0; i < count; ++i)
        m.Info.Titles[i].Set(records[i].Title.View());
    if (settingsSession)
        Reply(&m, sizeof m);
    else
        Reply(&m.Info, sizeof m.Info);
}

void TUDPMessageDispatch::GetSettings(const UdpMsgGetSettings& m) {
    const int kind = m.Kind;
    // Only for a settings session of this very address; the remote lists never leave.
    if (kind > SettingsOther || kind == SettingsRemoteLists) return;
    if (!settings_.Has(sender_, Now())) return;
    if (kind <= SettingsSchedule && !IsSettingsChannel(m.Channel)) return;
    switch (kind) {
    case SettingsPreview: {
        const TPreviewSetRecord r = host_.PreviewRecords()[m.Channel];
        Reply(&r, sizeof r);
        break;
    }
    case SettingsCapture: {
        const TCaptureSetRecord r = host_.CaptureRecords()[m.Channel];
        Reply(&r, sizeof r);
        break;
    }
    case SettingsAlarm:
        Reply(&host_.AlarmRecords()[m.Channel], sizeof(TAlarmSetRecord));
        break;
    case SettingsSchedule:
        Reply(&host_.AutoRecords()[m.Channel], sizeof(TAutoSetRecord));
        break;
    case SettingsPtz: {
        // Stored passwords go out blank.
        auto r = std::make_unique<TYunTaiSetRecord>(host_.YunTaiSettings());
        r->Password.Set("");
        Reply(r.get(), sizeof(TYunTaiSetRecord));
        break;
    }
    case SettingsDog: {
        UdpMsgSetDogSettings r;
        std::memcpy(&r, host_.DogSettings(), kDogSettingsSize);
        r.Password.Set("");
        Reply(&r, kDogSettingsSize);
        break;
    }
    case SettingsOther: {
        TOtherSettingsRecord r = host_.OtherSettings();
        r.WindowsLogonPassword.Set("");
        r.RemotePassword.Set("");
        Reply(&r, sizeof r);
        break;
    }
    default:
        break;
    }
}

void TUDPMessageDispatch::AlarmOutput(const UdpMsgAlarmOutput& m) {
    if (!Checks(m.UserName.View(), m.Password.View(), 11, -1)) return;
    if (m.BoxType > 3) return;
    uint8_t* states = host_.RemoteOutputStates();
    for (int i = 0; i < kRemoteOutputs; ++i)
        if (m.Outputs[i]) states[i] = m.On;
    host_.SendAlarmOutputs(m.BoxType, m.Port, m.BoxAddress, states);
}

void TUDPMessageDispatch::RemoteControl(const UdpMsgRemoteControl& m) {
    const std::string_view name = m.UserName.View(), password = m.Password.View();
    auto allowed = [&](int right) { return Checks(name, password, right, -1); };
    switch (m.Command) {
    case 0:
        if (allowed(15)) host_.PostToMainForm(WM_POWERACTION, 0, 0);
        break;
    case 1:
        if (allowed(14)) host_.PostToMainForm(WM_POWERACTION, 1, 0);
        break;
    case 2:
        if (allowed(12)) host_.PostToMainForm(WM_REMOTECLOSE, 0, 0);
        break;
    case 3:
        if (allowed(13)) host_.SetLocalTime(m.Time);
        break;
    case 4:
        if (!host_.AutoMode() && allowed(5)) host_.ToggleAutoWork();
        break;
    case 5:
        if (host_.AutoMode() && allowed(5)) host_.ToggleAutoWork();
        break;
    case 6:
        // Closing for a restart closes the program: the same right as closing it.
        if (allowed(12)) host_.PostToMainForm(WM_POWERACTION, -1, -1);
        break;
    default:
        break;
    }
}

void TUDPMessageDispatch::ChannelCommand(const UdpMsgChannelCommand& m) {
    if (host_.AutoMode()) return;
    static constexpr int kRights[] = {3, 3, 4, 4, 2, 2};
    if (m.Command > 5) return;
    const int right = kRights[m.Command];
    const int boards = std::min(host_.BoardChannelCount(), kSettingsChannels);
    for (int ch = 0; ch < boards; ++ch) {
        if (!m.Channels[ch]) continue;
        if (!Checks(m.UserName.View(), m.Password.View(), right, ch)) return;
        switch (m.Command) {
        case 0:
            host_.StartRecording(ch);
            break;
        case 1:
            host_.StopRecording(ch);
            break;
        case 2:
            host_.StartDetection(ch);
            break;
        case 3:
            host_.StopDetection(ch);
            break;
        case 4:
            host_.OpenPreview(ch);
            break;
        case 5:
            host_.ClosePreview(ch);
            break;
        }
    }
}

} // namespace vantrel
