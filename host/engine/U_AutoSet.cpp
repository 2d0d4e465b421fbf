#include "host/engine/U_AutoSet.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_Schedule.h"

#include <string>

namespace vantrel {

TAutoSet::TAutoSet() {
    Load();
}

void TAutoSet::SetDefaults(TAutoSetRecord& record) {
    SetScheduleDefaults(record);
}

void TAutoSet::Load() {
    for (TAutoSetRecord& record : Records)
        SetDefaults(record);
    TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, std::string(kSettingsKey) + "AUTO", "AUTO",
                               Records.data(), int(sizeof(TAutoSetRecord) * Records.size()));
}

int TAutoSet::SaveRecords(const TAutoSetRecord* records, int highChannel) {
    if (!records || highChannel < 0 || highChannel >= kAutoSetChannels) return -1;
    return TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, std::string(kSettingsKey) + "AUTO",
                                       "AUTO", records,
                                       int(sizeof(TAutoSetRecord)) * (highChannel + 1));
}

} // namespace vantrel
