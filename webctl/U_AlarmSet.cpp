#include "webctl/U_AlarmSet.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_SettingsDefaults.h"

#include <string>

namespace vantrel::webctl {

namespace {

const std::string& Key() {
    static const std::string key = std::string(kSettingsKey) + "ALARM";
    return key;
}

// The control's motion area ratio; the host starts at 3.
constexpr uint8_t kControlAreaRatio = 7;

} // namespace

TAlarmSet::TAlarmSet() {
    Load();
}

void TAlarmSet::SetDefaults(TAlarmSetRecord& record) {
    // As a host's network channel: no detection, no links, then the control's own ratio.
    SetAlarmDefaults(record, -1, 0);
    record.Sensitivity = kControlAreaRatio;
}

void TAlarmSet::Load() {
    for (int channel = 0; channel < kSettingsChannels; ++channel) {
        SetDefaults(Records[channel]);
        Records[channel].LinkedChannels[channel] = 1;
    }
    LoadRecords();
}

void TAlarmSet::LoadRecords() {
    TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, Key(), "ALARM", Records.data(), kAlarmValueSize);
}

int TAlarmSet::SaveRecords(const TAlarmSetRecord* buffer, int highChannel) {
    if (!buffer || highChannel < 0 || highChannel >= kSettingsChannels) return -1;
    return TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, Key(), "ALARM", buffer,
                                       int(sizeof(TAlarmSetRecord)) * (highChannel + 1));
}

} // namespace vantrel::webctl
