#include "host/engine/U_AlarmSet.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_SettingsDefaults.h"

#include <string>

namespace vantrel {

namespace {

const std::string& Key() {
    static const std::string key = std::string(kSettingsKey) + "ALARM";
    return key;
}

} // namespace

TAlarmSet::TAlarmSet(int boardChannels) : boardChannels_(boardChannels) {
    Load();
}

void TAlarmSet::SetDefaults(TAlarmSetRecord& record, int channel) const {
    SetAlarmDefaults(record, channel, boardChannels_);
}

void TAlarmSet::Load() {
    for (int channel = 0; channel < kSettingsChannels; ++channel)
        SetDefaults(Records[channel], channel);
    // Network channels too are linked to themselves, though they detect nothing by default.
    for (int channel = 0; channel < kSettingsChannels; ++channel)
        Records[channel].LinkedChannels[channel] = 1;
    ReadRecords();
}

void TAlarmSet::ReadRecords() {
    TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, Key(), "ALARM", Records.data(),
                               int(sizeof(TAlarmSetRecord) * Records.size()));
}

int TAlarmSet::SaveRecords(const TAlarmSetRecord* buffer, int highChannel) {
    if (!buffer || highChannel < 0 || highChannel >= kSettingsChannels) return -1;
    return TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, Key(), "ALARM", buffer,
                                       int(sizeof(TAlarmSetRecord)) * (highChannel + 1));
}

} // namespace vantrel
