#include "host/engine/U_DogSet.h"

namespace vantrel {

void SetDogDefaults(TDogSettingsRecord& record) {
    record.CardDogOn = record.CardDogPort = record.HangRestart = record.TimedPowerOn = 0;
    record.UpsOn = record.UpsPort = record.SoftDogOn = 0;
}

} // namespace vantrel
