#include "host/engine/U_AlarmDispatcher.h"

#include <algorithm>

namespace vantrel {

namespace {
template <class F> void Guarded(F&& f) {
    try {
        f();
    } catch (...) {
    }
}
} // namespace

void TAlarmDispatcher::Handle(unsigned message, uintptr_t wParam, intptr_t lParam) {
    // Only board channels are ever armed, so other channels (and stray values) stop here
    // instead of indexing the latch tables out of range.
    if (wParam >= static_cast<uintptr_t>(std::min(host_.BoardChannelCount(), kSettingsChannels)))
        return;
    int channel = static_cast<int>(wParam);
    int kind = static_cast<int>(lParam & 0xFF);
    int index = static_cast<int>((lParam >> 8) & 0xFF);
    try {
        if (message == WM_ALARMCLEARED)
            Clear(channel, kind);
        else
            Raise(channel, kind, index);
    } catch (...) {
    }
}

void TAlarmDispatcher::SetAddresses(const std::string& host, const std::string& viewer) {
    record_.HostAddress.Set(host);
    record_.ViewerAddress.Set(viewer);
}

void TAlarmDispatcher::Clear(int channel, int kind) {
    latches_.Clear(channel, kind);
    if (kind == kAlarmVideoLoss || AlarmKindIndex(kind) < 0) return;
    latches_.Clear(channel, kAlarmMotion);
    record_.Channel = static_cast<uint8_t>(channel);
    record_.Kind = static_cast<uint8_t>(kind);
    SetAddresses("127.0.0.1", "");
    if (kind == kAlarmProbe) {
        const TAlarmSetRecord& record = host_.Record(channel);
        for (int j = 0; j < kBoxPoints; ++j) {
            if (!record.InputOn[j]) continue;
            record_.Index = static_cast<uint8_t>(j);
            host_.QueueMapAlarm(record_);
            host_.PostMapAlarm(0);
        }
    } else {
        record_.Index = 0;
        host_.QueueMapAlarm(record_);
        host_.PostMapAlarm(0);
    }
}

bool TAlarmDispatcher::Gate(int channel, int kind, int index) {
    // A kind or index with no latch could never be cleared again: drop it.
    std::atomic<uint8_t>* latch = latches_.Find(channel, kind, index);
    if (!latch || *latch) return false;
    try {
        const TAlarmSetRecord& record = host_.Record(channel);
        bool automatic = host_.AutoMode();
        int kindIndex = AlarmKindIndex(kind);
        const uint8_t enabled[] = {record.VideoLossOn, record.MotionOn, record.ProbeOn};
        const uint8_t sound[] = {record.VideoLossSound, record.MotionSound, record.ProbeSound};
        if (!automatic && !enabled[kindIndex]) return false;
        if (sound[kindIndex]) host_.SetSound(channel, kindIndex, true);
        *latch = 1;
        if (kind == kAlarmMotion) {
            if (index < host_.OutlineCount(channel)) host_.ShowAlarmOutline(channel, index);
            if (host_.AutoFullScreenSelects(channel)) host_.PostAutoFullScreen(channel);
        }
    } catch (...) {
    }
    return true;
}

void TAlarmDispatcher::Raise(int channel, int kind, int index) {
    if (!Gate(channel, kind, index)) return;
    Common(channel, kind, index);
}

void TAlarmDispatcher::LinkRecording(int channel, const TAlarmSetRecord& record) {
    int count = std::min(host_.ChannelCount(), kSettingsChannels);
    int boards = host_.BoardChannelCount();
    for (int j = 0; j < count; ++j) {
        if (!host_.Armed(channel)) return;
        if (!record.LinkedChannels[j]) continue;
        Guarded([&] {
            if (host_.Alarming(j)) return;
            if (host_.FileOpen(j) && host_.RecordingType(j) == 1) return;
            host_.StartChannel(j, j < boards ? ')' : '+', 1);
        });
    }
}

void TAlarmDispatcher::Upload(int channel, const TAlarmSetRecord& record) {
    if (record.UploadToViewers) {
        std::vector<TAlarmViewer> viewers;
        Guarded([&] { viewers = host_.Viewers(channel); });
        for (const TAlarmViewer& viewer : viewers) {
            if (!host_.Armed(channel)) return;
            if (viewer.Closed) continue;
            Guarded([&] {
                SetAddresses(viewer.RequestHostAddress, viewer.Address);
                if (!viewer.SubscriptionAddress.empty() && viewer.SubscriptionPort >= 0)
                    host_.SendRecord(record_, viewer.SubscriptionAddress, viewer.SubscriptionPort);
                else
                    host_.SendRecord(record_, viewer.Address, host_.MessagePort());
            });
        }
    }
    // A stored count beyond the table would read past the addresses.
    int count = std::min<int>(record.UploadAddressCount, kUploadAddresses);
    for (int k = 0; k < count; ++k) {
        if (!host_.Armed(channel)) return;
        if (!record.UploadAddressOn[k]) continue;
        Guarded([&] {
            std::string address = record.UploadAddresses[k].Get();
            SetAddresses(host_.OwnAddress(), address);
            host_.SendRecord(record_, address, host_.MessagePort());
        });
    }
}

void TAlarmDispatcher::Common(int channel, int kind, int index) {
    const TAlarmSetRecord& record = host_.Record(channel);
    if (!host_.Armed(channel)) return;
    if (record.RecordOnAlarm) Guarded([&] { LinkRecording(channel, record); });
    Guarded([&] { host_.EmptyPreAlarmChain(channel); });
    if (!host_.Armed(channel)) return;
    Guarded([&] { host_.ShowAlarming(channel); });
    if (!host_.Armed(channel)) return;
    Guarded([&] {
        SetAddresses("127.0.0.1", "");
        record_.Channel = static_cast<uint8_t>(channel);
        record_.Kind = static_cast<uint8_t>(kind);
        record_.Index = static_cast<uint8_t>(index);
        record_.Time = host_.Now();
        record_.InBoxAddress = record.InBoxAddress;
        host_.QueueMapAlarm(record_);
        host_.PostMapAlarm(1);
    });
    if (!host_.Armed(channel)) return;
    Guarded([&] { host_.WorkLog(AlarmKindLogEvent(kind), channel, index); });
    if (!host_.Armed(channel)) return;
    if (record.OutputToBox) {
        Guarded([&] {
            for (int attempt = 0; attempt < 5; ++attempt) {
                if (host_.SwitchAlarmOutputs(channel, AlarmKindIndex(kind), true)) break;
                host_.Sleep(10);
            }
        });
    }
    if (!host_.Armed(channel)) return;
    if (kind == kAlarmProbe && record.CallPreset)
        Guarded([&] { host_.PostCallPreset(channel, index + 1); });
    if (!host_.Armed(channel)) return;
    if (record.Sms.SmsOn) Guarded([&] { host_.StartSms(channel); });
    if (!host_.Armed(channel)) return;
    if (record.DialUp) Guarded([&] { host_.Dial(record); });
    if (!host_.Armed(channel)) return;
    if (record.NetUpload) Guarded([&] { Upload(channel, record); });
}

} // namespace vantrel
