#include "host/engine/U_ClientCheck.h"

#include "host/engine/T_ThreadWriteLogRecord.h"
#include "host/engine/U_WorkLog.h"
#include "host/engine/host_engine_testing.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <vector>

namespace vantrel {
namespace {

class ClientCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DeleteHostSettings();
        folder = testing::FreshProgramFolder("host_engine_clientcheck");
    }
    void TearDown() override { testing::DeleteHostSettings(); }
    std::string folder;
};

TEST_F(ClientCheckTest, NoListFilesMeansNoRestriction) {
    TClientCheckSet set(folder, nullptr);
    TClientCheck check(set);
    EXPECT_TRUE(check.CheckUser("anyone", "any", 15, -1, -1));
    EXPECT_TRUE(check.CheckIP("10.9.8.7", 1, 8, -1));
    EXPECT_NE(::GetFileAttributesA((folder + "USER").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ClientCheckTest, SavedListsAreEnforcedAfterLoad) {
    TClientCheckSet set(folder, nullptr);
    TClientCheck check(set);
    auto users = std::make_unique<TRemoteUserRecord[]>(2);
    TClientCheckSet::SetUserDefaults(users[0]); // not in use
    TClientCheckSet::SetUserDefaults(users[1]);
    users[1].InUse = 1;
    users[1].UserName.Set("viewer");
    users[1].Password.Set("pw");
    users[1].Rights[14].Enabled = 0;
    auto ips = std::make_unique<TRemoteIPRecord[]>(2);
    for (int i = 0; i < 2; ++i) {
        TClientCheckSet::SetIPDefaults(ips[i]);
        ips[i].InUse = 1;
        ips[i].Address.Set("10.0.0.5");
    }
    ips[0].Rights[1].Items[0].Sub[2] = 0;  // preview settings of channel 2: the second decides
    ips[0].Rights[2].Items[4].Enabled = 0; // preview of channel 4: refused by the first
    set.SaveUserFile(users.get(), 2 * sizeof(TRemoteUserRecord));
    set.SaveIPFile(ips.get(), 2 * sizeof(TRemoteIPRecord));
    EXPECT_TRUE(check.CheckUser("other", "x", 0, -1, -1)); // not loaded yet
    set.Load();

    const struct {
        const char* what;
        bool user;
        const char* name;
        int right, item, sub;
        bool want;
    } cases[] = {
        {"matching user", true, "viewer", 0, 2, -1, true},
        {"another user", true, "other", 0, -1, -1, false},
        {"user's right disabled", true, "viewer", 14, -1, -1, false},
        {"second entry allows the sub-item", false, "10.0.0.5", 1, 0, 2, true},
        {"first entry refuses the item", false, "10.0.0.5", 2, 4, -1, false},
        {"address with a leading zero", false, "10.0.0.05", 0, -1, -1, false},
        {"right beyond the record", false, "10.0.0.5", 16, -1, -1, false},
    };
    for (const auto& c : cases) {
        const bool got = c.user ? check.CheckUser(c.name, "pw", c.right, c.item, c.sub)
                                : check.CheckIP(c.name, c.right, c.item, c.sub);
        EXPECT_EQ(got, c.want) << c.what;
    }

    // An empty list removes its file: no restriction again.
    set.SaveUserFile(nullptr, 0);
    set.Load();
    EXPECT_TRUE(check.CheckUser("other", "x", 0, -1, -1));
}

TEST_F(ClientCheckTest, ACorruptedUserFileRefusesAndIsLogged) {
    ::CreateDirectoryA((folder + "USER").c_str(), nullptr);
    {
        std::ofstream f(folder + "USER\\CheckUser.ifm", std::ios::binary);
        f << std::string(100, '\x01');
    }
    TArithmetic arithmetic;
    TWorkLog log(arithmetic, folder);
    TThreadWriteLogRecord writer(log, [](DWORD) {});
    TClientCheckSet set(folder, &writer);
    TClientCheck check(set);
    EXPECT_FALSE(check.CheckUser("vorel", "", 0, -1, -1));
    EXPECT_FALSE(check.CheckUser("", "", 0, -1, -1));
    EXPECT_TRUE(check.CheckIP("10.0.0.1", 0, -1, -1)); // the address list is missing: open
    writer.Stop();

    TWorkLogRecord r{};
    ASSERT_EQ(log.ReadRecords(0, &r, 1), 1);
    EXPECT_EQ(r.Event, 74);
    EXPECT_EQ(r.HostAddress.Get(), "CheckUser.ifm");
    EXPECT_EQ(log.GetRecordCount(), 1);
}

} // namespace
} // namespace vantrel
