#include "host/engine/U_DogSet.h"

#include "host/engine/U_Arithmetic.h"

namespace vantrel {

void TDogSet::Load() {
    TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\DOG", "DOG", &Record,
                               sizeof Record);
}

int TDogSet::Save(const TDogSettingsRecord& record) {
    return TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\DOG", "DOG", &record,
                                       sizeof record);
}

} // namespace vantrel
