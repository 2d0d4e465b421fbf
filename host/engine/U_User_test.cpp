#include "host/engine/U_User.h"

#include "host/engine/host_engine_testing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

namespace vantrel {
namespace {

class UserTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DeleteHostSettings();
        folder = testing::FreshProgramFolder("host_engine_user");
    }
    void TearDown() override { testing::DeleteHostSettings(); }

    void WriteFile(const std::string& name, const void* data, size_t size) {
        ::CreateDirectoryA((folder + "USER").c_str(), nullptr);
        std::ofstream f(folder + "USER\\" + name, std::ios::binary | std::ios::trunc);
        f.write(static_cast<const char*>(data), std::streamsize(size));
    }

    std::string folder;
    TArithmetic arithmetic;
};

void ExpectDefaultAccount(TUser& user) {
    EXPECT_EQ(user.CurrentName(), "vorel");
    EXPECT_EQ(user.CurrentPassword(), "");
    ASSERT_EQ(user.Users()->size(), 1u);
    for (int right = 0; right < kUserRights; ++right) {
        EXPECT_TRUE(user.CheckRight("vorel", "", right, -1, -1)) << right;
        EXPECT_TRUE(user.CheckRight("vorel", "", right, 48, 48)) << right;
    }
}

TEST_F(UserTest, FreshInstallationHasTheDefaultAccount) {
    TUser user(arithmetic, folder);
    ExpectDefaultAccount(user);
    EXPECT_NE(::GetFileAttributesA((folder + "USER").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesA((folder + "USER\\User.ifm").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(UserTest, AnAccountFileShorterThanOneRecordGivesTheDefaultAccount) {
    const std::vector<uint8_t> junk(100, 0);
    WriteFile("User.ifm", junk.data(), junk.size());
    TUser user(arithmetic, folder);
    ExpectDefaultAccount(user);
}

TEST_F(UserTest, AccountsFromTheFileAndTheCurrentUser) {
    auto accounts = std::make_unique<TUserRecord[]>(2);
    TUser::SetLevelDefaults(accounts[0], 2);
    accounts[0].UserName.Set("op");
    accounts[0].Password.Set("1");
    TUser::SetLevelDefaults(accounts[1], 0);
    accounts[1].UserName.Set("boss");
    accounts[1].Password.Set("22");
    accounts[1].Rights[7].Items[3].Sub[4] = 0;
    std::vector<uint8_t> file(2 * sizeof(TUserRecord) + 10, 0xCC); // a partial record follows
    std::memcpy(file.data(), accounts.get(), 2 * sizeof(TUserRecord));
    WriteFile("User.ifm", file.data(), file.size());

    TUser user(arithmetic, folder);
    ASSERT_EQ(user.Users()->size(), 2u);
    EXPECT_EQ(user.CurrentName(), "vorel"); // no last user stored
    const struct {
        const char* name;
        const char* password;
        int right, item, sub;
        bool want;
        const char* currentAfter;
    } cases[] = {
        {"vorel", "", 0, -1, -1, false, "vorel"}, // the default account is gone
        {"op", "1", 0, -1, -1, true, "op"},
        {"op", "1", 15, -1, -1, false, "op"}, // operators manage no users
        {"boss", "22", 15, -1, -1, true, "boss"},
        {"op", "2", 0, -1, -1, false, "boss"}, // a failed check changes nothing
        {"boss", "22", 7, 3, 4, false, "boss"},
        {"boss", "22", 7, 3, 5, true, "boss"},
        {"op", "1", 33, -1, -1, false, "boss"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(user.CheckRight(c.name, c.password, c.right, c.item, c.sub), c.want)
            << c.name << " right " << c.right;
        EXPECT_EQ(user.CurrentName(), c.currentAfter);
    }
}

TEST_F(UserTest, LastUserIsPaddedToTenAndReadBack) {
    TUser user(arithmetic, folder);
    ASSERT_TRUE(user.CheckRight("vorel", "", 0, -1, -1));
    user.SaveLastUser();
    auto accounts = std::make_unique<TUserRecord>();
    TUser::SetLevelDefaults(*accounts, 1);
    accounts->UserName.Set("abc");
    accounts->Password.Set("xy");
    user.SaveUsers(accounts.get(), sizeof(TUserRecord));
    user.Reload();
    ASSERT_TRUE(user.CheckRight("abc", "xy", 0, -1, -1));
    user.SaveLastUser();

    char stored[21] = {};
    ASSERT_EQ(
        TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\USPW", "USPW", stored, 20),
        20);
    EXPECT_STREQ(stored, "abc       xy        ");
    TUser again(arithmetic, folder);
    EXPECT_EQ(again.Current(), (std::pair<std::string, std::string>{"abc", "xy"}));

    // A blank stored name means the default user.
    TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\USPW", "USPW",
                                "          secret    ", 20);
    EXPECT_EQ(TUser(arithmetic, folder).Current(),
              (std::pair<std::string, std::string>{"vorel", ""}));
}

TEST_F(UserTest, SaveUsersCreatesTheFolderAndWritesExactlyTheBytes) {
    TUser user(arithmetic, folder);
    testing::RemoveTree(std::wstring(folder.begin(), folder.end()) + L"USER");
    auto account = std::make_unique<TUserRecord>();
    TUser::SetLevelDefaults(*account, 0);
    account->UserName.Set("new");
    user.SaveUsers(account.get(), sizeof(TUserRecord));
    EXPECT_EQ(TArithmetic::GetFileLength(folder + "USER\\User.ifm"), int64_t(sizeof(TUserRecord)));
    user.Reload();
    EXPECT_TRUE(user.CheckRight("new", "", 32, -1, -1));
}

} // namespace
} // namespace vantrel
