// A whole-host test program's client settings: the defaults, no name server (a group's own
// address is the one to reach) and the test's host groups, whatever earlier test programs of
// the session stored; what they stored is put back when the test ends, passed or not.
#pragma once

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_HostRecords.h"
#include "host/engine/U_NetClientSet.h"
#include "host/engine/U_SystemOtherSet.h"

#include <cstddef>
#include <cstdint>

namespace vantrel::testing {

class ClientSettingsForTest {
public:
    // `actAsClient`: the host also shows other hosts' cameras after its own channels.
    explicit ClientSettingsForTest(bool actAsClient) {
        TArithmetic arithmetic;
        storedLogonServer_ = arithmetic.LogonServer;
        TLogonServerRecord noServer{};
        TArithmetic::ClearLogonServer(noServer);
        TArithmetic::SaveLogonServer(noServer);
        TSystemOtherSet other(arithmetic);
        storedOther_ = other.Record;
        TOtherSettingsRecord record{};
        TSystemOtherSet::SetDefaults(record);
        if (actAsClient) record.ActAsClient = 1;
        saved_ = other.Save(record) == 0;
    }
    ~ClientSettingsForTest() {
        TArithmetic arithmetic;
        TSystemOtherSet other(arithmetic);
        other.Save(storedOther_);
        TArithmetic::SaveLogonServer(storedLogonServer_);
        TNetClientSet set(arithmetic, other, 0);
        const uint8_t none = 0;
        set.SaveGroupInfo(&none, 1);
        set.SaveChannelInfo(&none, 1);
    }
    ClientSettingsForTest(const ClientSettingsForTest&) = delete;
    ClientSettingsForTest& operator=(const ClientSettingsForTest&) = delete;

    bool Saved() const { return saved_; }

    // Stores the host groups and their channels; true when both were written.
    template <size_t Groups, size_t Channels>
    bool SaveGroups(const TClientGroupRecord (&groups)[Groups],
                    const TClientChannelRecord (&channels)[Channels]) {
        TArithmetic arithmetic;
        TSystemOtherSet other(arithmetic);
        TNetClientSet set(arithmetic, other, 0);
        return set.SaveGroupInfo(groups, sizeof groups) == 0 &&
               set.SaveChannelInfo(channels, sizeof channels) == 0;
    }

private:
    TOtherSettingsRecord storedOther_{};
    TLogonServerRecord storedLogonServer_{};
    bool saved_ = false;
};

} // namespace vantrel::testing
