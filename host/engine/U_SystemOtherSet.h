// The host's "其它" settings: desktop lock, start with Windows, timed power actions, client
// mode, logon window, name server and bandwidth limit.
#pragma once

#include "host/engine/U_Arithmetic.h"

#include <string_view>

namespace vantrel {

class TSystemOtherSet {
public:
    explicit TSystemOtherSet(TArithmetic& arithmetic);

    TOtherSettingsRecord Record{};

    // Defaults, then the stored record over them.
    void Reload();
    // Sets the fields that have a default; the registered name is the computer's name.
    static void SetDefaults(TOtherSettingsRecord& record);
    static void SetDefaults(TOtherSettingsRecord& record, std::string_view computerName);
    int Load();
    int Save(const TOtherSettingsRecord& record);

    // The computer's network name, GBK.
    static std::string ComputerName();

private:
    TArithmetic& arithmetic_;
};

} // namespace vantrel
