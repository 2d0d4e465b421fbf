#include "host/engine/U_SystemOtherSet.h"

#include "common/win/textconv.h"

namespace vantrel {
namespace {
constexpr const char* kKey = "SOFTWARE\\VQS\\OTHER";
}

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
    record.NameServerAddress.Set("");
    record.RegisteredName.Set(computerName);
}

int TSystemOtherSet::Load() {
    return arithmetic_.ReadRegBinary(HKEY_LOCAL_MACHINE, kKey, "OTHER", &Record, sizeof(Record));
}

int TSystemOtherSet::Save(const TOtherSettingsRecord& record) {
    return arithmetic_.WriteRegBinary(HKEY_LOCAL_MACHINE, kKey, "OTHER", &record, sizeof(record));
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
