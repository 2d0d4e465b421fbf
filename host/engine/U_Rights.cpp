#include "host/engine/U_Rights.h"

#include <cstring>

namespace vantrel {

RightsAnswer CheckRightsBlocks(const TRightsBlock* rights, int count, int right, int item,
                               int subItem) {
    if (right < 0 || right >= count) return RightsAnswer::Refused;
    const TRightsBlock& block = rights[right];
    if (!block.Enabled) return RightsAnswer::Refused;
    if (item < 0) return RightsAnswer::Allowed;
    if (item >= TRightsBlock::kItems || !block.Items[item].Enabled) return RightsAnswer::Refused;
    if (subItem < 0) return RightsAnswer::Allowed;
    if (subItem >= TRightsBlock::kItems) return RightsAnswer::Refused;
    return block.Items[item].Sub[subItem] ? RightsAnswer::Allowed : RightsAnswer::SubItemRefused;
}

bool CheckUserRight(const std::vector<TUserRecord>& users, std::string_view name,
                    std::string_view password, int right, int item, int subItem) {
    for (const TUserRecord& u : users) {
        if (u.UserName.View() != name || u.Password.View() != password) continue;
        return CheckRightsBlocks(u.Rights, kUserRights, right, item, subItem) ==
               RightsAnswer::Allowed;
    }
    return false;
}

namespace {

template <typename Record, typename Match>
bool CheckRemote(const std::vector<Record>& list, int right, int item, int subItem, Match match) {
    bool anyInUse = false;
    for (const Record& r : list)
        anyInUse = anyInUse || r.InUse;
    if (!anyInUse) return true;
    for (const Record& r : list) {
        if (!r.InUse || !match(r)) continue;
        switch (CheckRightsBlocks(r.Rights, kRemoteRights, right, item, subItem)) {
        case RightsAnswer::Refused:
            return false;
        case RightsAnswer::Allowed:
            return true;
        case RightsAnswer::SubItemRefused:
            break;
        }
    }
    return false;
}

} // namespace

bool CheckRemoteUser(const std::vector<TRemoteUserRecord>& users, std::string_view name,
                     std::string_view password, int right, int item, int subItem) {
    return CheckRemote(users, right, item, subItem, [&](const TRemoteUserRecord& r) {
        return r.UserName.View() == name && r.Password.View() == password;
    });
}

bool CheckRemoteIP(const std::vector<TRemoteIPRecord>& ips, std::string_view address, int right,
                   int item, int subItem) {
    return CheckRemote(ips, right, item, subItem,
                       [&](const TRemoteIPRecord& r) { return r.Address.View() == address; });
}

bool RemoteUsersInUse(const std::vector<TRemoteUserRecord>& users) {
    for (const TRemoteUserRecord& r : users)
        if (r.InUse) return true;
    return false;
}

bool RemoteIPsInUse(const std::vector<TRemoteIPRecord>& ips) {
    for (const TRemoteIPRecord& r : ips)
        if (r.InUse) return true;
    return false;
}

bool RemoteAddressListed(const std::vector<TRemoteIPRecord>& ips, std::string_view address) {
    for (const TRemoteIPRecord& r : ips)
        if (r.InUse && r.Address.View() == address) return true;
    return false;
}

void SetUserLevelDefaults(TUserRecord& record, int level) {
    if (level > 2) level = 2;
    if (level < 0) level = 0;
    record.UserName.Set("");
    record.Password.Set("");
    std::memset(record.Rights, 1, sizeof(record.Rights));
    if (level == 1) record.Rights[15].Enabled = 0;
    if (level == 2)
        for (int r : {1, 2, 8, 9, 10, 13, 15, 22})
            record.Rights[r].Enabled = 0;
    record.Level = static_cast<uint8_t>(level);
}

void SetRemoteUserDefaults(TRemoteUserRecord& record) {
    record.InUse = 0;
    record.UserName.Set("");
    record.Password.Set("");
    std::memset(record.Rights, 1, sizeof(record.Rights));
}

void SetRemoteIPDefaults(TRemoteIPRecord& record) {
    record.InUse = 0;
    record.Address.Set("");
    std::memset(record.Rights, 1, sizeof(record.Rights));
}

TUserRecord DefaultUserRecord() {
    TUserRecord r{};
    SetUserLevelDefaults(r, 0);
    r.UserName.Set(kDefaultUserName);
    return r;
}

} // namespace vantrel
