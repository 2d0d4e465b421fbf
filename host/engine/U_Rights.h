// The rights rule of the local accounts and of the remote access lists.
#pragma once

#include "host/engine/U_HostRecords.h"

#include <string_view>
#include <vector>

namespace vantrel {

enum class RightsAnswer { Refused, Allowed, SubItemRefused };

// One block's answer for a right (0..count-1), item (-1 none, 0..48) and sub-item (-1 none,
// 0..48). Numbers outside the record are refused.
RightsAnswer CheckRightsBlocks(const TRightsBlock* rights, int count, int right, int item,
                               int subItem);

// Local accounts: the first account whose name and password match decides.
bool CheckUserRight(const std::vector<TUserRecord>& users, std::string_view name,
                    std::string_view password, int right, int item, int subItem);

// Remote lists: no entry in use allows everything; a matching entry refuses at once on its
// right or item, while a refused sub-item lets the next matching entry decide.
bool CheckRemoteUser(const std::vector<TRemoteUserRecord>& users, std::string_view name,
                     std::string_view password, int right, int item, int subItem);
bool CheckRemoteIP(const std::vector<TRemoteIPRecord>& ips, std::string_view address, int right,
                   int item, int subItem);
// Whether a list restricts anything (an entry in use), and whether an address has an entry in
// use of its own: requests that carry no credentials are judged by that alone.
bool RemoteUsersInUse(const std::vector<TRemoteUserRecord>& users);
bool RemoteIPsInUse(const std::vector<TRemoteIPRecord>& ips);
bool RemoteAddressListed(const std::vector<TRemoteIPRecord>& ips, std::string_view address);

// New records: every right, item and sub-item enabled, empty texts; then the level's limits.
void SetUserLevelDefaults(TUserRecord& record, int level);
void SetRemoteUserDefaults(TRemoteUserRecord& record);
void SetRemoteIPDefaults(TRemoteIPRecord& record);

// The account used when no account file can be read.
constexpr const char* kDefaultUserName = "vorel";
TUserRecord DefaultUserRecord();

} // namespace vantrel
