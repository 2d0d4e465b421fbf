// The local operator accounts, the user logged on now and the rights rule.
#pragma once

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_Rights.h"

#include "common/win/handles.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {

class TUser {
public:
    // programPath: the program folder with its trailing "\" (GBK).
    TUser(TArithmetic& arithmetic, std::string programPath);

    // The last user from the registry, then the accounts of "USER\User.ifm" (or the default
    // account when there is no readable file).
    void Reload();
    // On true the given name and password become the current user.
    bool CheckRight(std::string_view name, std::string_view password, int right, int item,
                    int subItem);
    // Rewrites the account file with exactly these bytes; a failure keeps the old file.
    void SaveUsers(const void* buffer, int size);
    void SaveLastUser();
    static void SetLevelDefaults(TUserRecord& record, int level) {
        SetUserLevelDefaults(record, level);
    }

    // The current user, read as one pair.
    std::pair<std::string, std::string> Current() const;
    std::string CurrentName() const { return Current().first; }
    std::string CurrentPassword() const { return Current().second; }
    // The accounts as loaded; a reload replaces the list, a holder keeps the old one.
    std::shared_ptr<const std::vector<TUserRecord>> Users() const;

private:
    void UseDefaultAccount();

    TArithmetic& arithmetic_;
    std::string folder_, usersFile_;
    mutable dvr::win::CriticalSection lock_;
    std::shared_ptr<const std::vector<TUserRecord>> users_;
    std::string currentName_, currentPassword_;
};

} // namespace vantrel
