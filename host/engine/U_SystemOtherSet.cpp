#include "host/engine/U_SystemOtherSet.h"

#include "common/win/textconv.h"

#include <string>

namespace vantrel {
namespace {
const std::string& Key() {
    static const std::string key = std::string(kSettingsKey) + "OTHER";
    return key;
}
} // namespace

TSystemOtherSet::TSystemOtherSet(TArithmetic& arithmetic) : arithmetic_(arithmetic) {
    Reload();
}

void TSystemOtherSet::Reload() {
    SetDefaults(Record);
    Load();
}

void TSystemOtherSet::SetDefaults(TOtherSettingsRecord& record) {
    SetDefaults(record, ComputerName());
}

void TSystemOtherSet::SetDefaults(TOtherSettingsRecord& record, std::string_view computerName) {
    record.LockSystemKeys = 0;
    record.RunAtWindowsStart = 0;
    record.WindowsLogonPassword.Set("");
    record.TimedPowerOff = 0;
    record.PowerOffDays = 0;
    record.TimedRestart = 0;
    record.RestartDays = 0;
    record.ActAsClient = 0;
    record.ShowLogonAtStart = 1;
#ifdef VANTREL_CONTROL_BUILD
    // A viewer searches a name server on its own machine until told otherwise.
    record.NameServerAddress.Set("127.0.0.1");
#else
    record.NameServerAddress.Set("");
#endif
    record.RegisteredName.Set(computerName);
}

int TSystemOtherSet::Load() {
    return arithmetic_.ReadRegBinary(HKEY_LOCAL_MACHINE, Key(), "OTHER", &Record, sizeof(Record));
}

int TSystemOtherSet::Save(const TOtherSettingsRecord& record) {
    return arithmetic_.WriteRegBinary(HKEY_LOCAL_MACHINE, Key(), "OTHER", &record, sizeof(record));
}

std::string TSystemOtherSet::ComputerName() {
    wchar_t name[256] = {};
    DWORD n = 256;
    if (!::GetComputerNameExW(ComputerNameDnsHostname, name, &n)) {
        n = 256;
        if (!::GetComputerNameW(name, &n)) return {};
    }
    return dvr::win::WideToGbk(std::wstring_view(name, n));
}

} // namespace vantrel
