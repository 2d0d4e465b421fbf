#include "host/engine/U_User.h"

#include "host/engine/U_DataFiles.h"

#include <cstring>
#include <mutex>

namespace vantrel {
namespace {

constexpr const char* kLastUserKey = "SOFTWARE\\VQS\\USPW";

// Blanks and control characters off both ends.
std::string Trim(std::string_view s) {
    while (!s.empty() && static_cast<uint8_t>(s.front()) <= 0x20)
        s.remove_prefix(1);
    while (!s.empty() && static_cast<uint8_t>(s.back()) <= 0x20)
        s.remove_suffix(1);
    return std::string(s);
}

// Cut to 10 bytes on a character boundary, padded with spaces.
void PadTo10(char* field, std::string_view text) {
    std::memset(field, ' ', 10);
    std::memcpy(field, text.data(), dvr::GbkFitLength(text, 10));
}

} // namespace

TUser::TUser(TArithmetic& arithmetic, std::string programPath)
    : arithmetic_(arithmetic), folder_(std::move(programPath) + "USER\\"),
      usersFile_(folder_ + "User.ifm") {
    Reload();
}

void TUser::UseDefaultAccount() {
    auto users = std::make_shared<std::vector<TUserRecord>>(1, DefaultUserRecord());
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    users_ = std::move(users);
    currentName_ = kDefaultUserName;
    currentPassword_.clear();
}

void TUser::Reload() {
    TLastUserRecord last;
    std::memset(&last, ' ', sizeof(last));
    arithmetic_.ReadRegBinary(HKEY_LOCAL_MACHINE, kLastUserKey, "USPW", &last, sizeof(last));
    std::string name = Trim(std::string_view(last.UserName, 10));
    std::string password = Trim(std::string_view(last.Password, 10));
    if (name.empty()) name = kDefaultUserName, password.clear();
    {
        std::lock_guard<dvr::win::CriticalSection> hold(lock_);
        currentName_ = name;
        currentPassword_ = password;
    }

    if (!FolderExists(folder_)) {
        CreateFolderLevels(folder_);
        UseDefaultAccount();
        return;
    }
    std::vector<uint8_t> data;
    if (ReadWholeFile(usersFile_, data) != FileRead::Read || data.size() < sizeof(TUserRecord)) {
        UseDefaultAccount();
        return;
    }
    auto users = std::make_shared<std::vector<TUserRecord>>(data.size() / sizeof(TUserRecord));
    std::memcpy(users->data(), data.data(), users->size() * sizeof(TUserRecord));
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    users_ = std::move(users);
}

bool TUser::CheckRight(std::string_view name, std::string_view password, int right, int item,
                       int subItem) {
    const std::shared_ptr<const std::vector<TUserRecord>> users = Users();
    if (!users || !CheckUserRight(*users, name, password, right, item, subItem)) return false;
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    currentName_ = name;
    currentPassword_ = password;
    return true;
}

void TUser::SaveUsers(const void* buffer, int size) {
    if (size < 0 || (size > 0 && !buffer)) return;
    CreateFolderLevels(folder_);
    ReplaceWholeFile(usersFile_, buffer, static_cast<size_t>(size));
}

void TUser::SaveLastUser() {
    const auto [name, password] = Current();
    TLastUserRecord last;
    PadTo10(last.UserName, name);
    PadTo10(last.Password, password);
    arithmetic_.WriteRegBinary(HKEY_LOCAL_MACHINE, kLastUserKey, "USPW", &last, sizeof(last));
}

std::pair<std::string, std::string> TUser::Current() const {
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    return {currentName_, currentPassword_};
}

std::shared_ptr<const std::vector<TUserRecord>> TUser::Users() const {
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    return users_;
}

} // namespace vantrel
