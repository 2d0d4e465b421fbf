#include "host/engine/U_Rights.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vantrel {
namespace {

TUserRecord Account(const char* name, const char* password) {
    TUserRecord r{};
    SetUserLevelDefaults(r, 0);
    r.UserName.Set(name);
    r.Password.Set(password);
    return r;
}

struct Check {
    const char* what;
    const char* name;
    const char* password;
    int right, item, sub;
    bool want;
};

TEST(CheckUserRight, FirstMatchingAccountDecides) {
    auto users = std::make_unique<std::vector<TUserRecord>>();
    users->push_back(Account("ann", "wrong"));
    users->push_back(Account("ann", "pw"));
    users->back().Rights[3].Items[5].Enabled = 0;
    users->back().Rights[4].Items[1].Sub[7] = 0;
    users->back().Rights[6].Enabled = 0;
    users->push_back(Account("ann", "pw")); // would allow everything, never reached
    users->push_back(DefaultUserRecord());

    const Check cases[] = {
        {"default account, user management", "vorel", "", 15, -1, -1, true},
        {"default account, last right, last sub-item", "vorel", "", 32, 48, 48, true},
        {"wrong password of the first record skipped", "ann", "pw", 0, -1, -1, true},
        {"right disabled", "ann", "pw", 6, -1, -1, false},
        {"item disabled", "ann", "pw", 3, 5, -1, false},
        {"right without item", "ann", "pw", 3, -1, -1, true},
        {"other item", "ann", "pw", 3, 4, 0, true},
        {"sub-item refused, later record not asked", "ann", "pw", 4, 1, 7, false},
        {"password differs in case", "ann", "PW", 0, -1, -1, false},
        {"name differs in case", "Ann", "pw", 0, -1, -1, false},
        {"unknown user", "bob", "", 0, -1, -1, false},
        {"negative right", "vorel", "", -1, -1, -1, false},
        {"right beyond the record", "vorel", "", 33, -1, -1, false},
        {"item beyond the record", "vorel", "", 3, 49, -1, false},
        {"sub-item beyond the record", "vorel", "", 3, 0, 49, false},
    };
    for (const Check& c : cases)
        EXPECT_EQ(CheckUserRight(*users, c.name, c.password, c.right, c.item, c.sub), c.want)
            << c.what;
}

TEST(SetUserLevelDefaults, LevelsNarrowTheirRights) {
    const struct {
        int level, stored;
        std::vector<int> off;
    } cases[] = {{0, 0, {}},
                 {1, 1, {15}},
                 {2, 2, {1, 2, 8, 9, 10, 13, 15, 22}},
                 {9, 2, {1, 2, 8, 9, 10, 13, 15, 22}}};
    for (const auto& c : cases) {
        auto r = std::make_unique<TUserRecord>();
        r->UserName.Set("x");
        SetUserLevelDefaults(*r, c.level);
        EXPECT_EQ(r->Level, c.stored);
        EXPECT_EQ(r->UserName.len, 0);
        for (int right = 0; right < kUserRights; ++right) {
            const bool off = std::find(c.off.begin(), c.off.end(), right) != c.off.end();
            EXPECT_EQ(r->Rights[right].Enabled, off ? 0 : 1) << c.level << " right " << right;
            EXPECT_EQ(r->Rights[right].Items[48].Sub[48], 1);
        }
    }
}

TRemoteUserRecord RemoteUser(const char* name, const char* password, bool inUse = true) {
    TRemoteUserRecord r{};
    SetRemoteUserDefaults(r);
    r.InUse = inUse;
    r.UserName.Set(name);
    r.Password.Set(password);
    return r;
}

TRemoteIPRecord RemoteIP(const char* address, bool inUse = true) {
    TRemoteIPRecord r{};
    SetRemoteIPDefaults(r);
    r.InUse = inUse;
    r.Address.Set(address);
    return r;
}

TEST(CheckRemoteUser, EmptyListsAllowAndEntriesRestrict) {
    std::vector<TRemoteUserRecord> none;
    EXPECT_TRUE(CheckRemoteUser(none, "any", "thing", 0, -1, -1));
    std::vector<TRemoteUserRecord> unused = {RemoteUser("a", "b", false)};
    EXPECT_TRUE(CheckRemoteUser(unused, "any", "thing", 12, -1, -1));

    std::vector<TRemoteUserRecord> one = {RemoteUser("guest", "1234")};
    one[0].Rights[12].Enabled = 0;
    const Check cases[] = {
        {"matching entry", "guest", "1234", 0, 3, 3, true},
        {"another name", "other", "1234", 0, -1, -1, false},
        {"another password", "guest", "12345", 0, -1, -1, false},
        {"right disabled", "guest", "1234", 12, -1, -1, false},
        {"remote right beyond the record", "guest", "1234", 16, -1, -1, false},
        {"item beyond the record", "guest", "1234", 0, 49, -1, false},
    };
    for (const Check& c : cases)
        EXPECT_EQ(CheckRemoteUser(one, c.name, c.password, c.right, c.item, c.sub), c.want)
            << c.what;
}

TEST(CheckRemoteIP, ARefusedSubItemLetsTheNextEntryDecide) {
    const struct {
        const char* what;
        bool firstRefusesItem;
        bool secondAllowsSub;
        const char* address;
        bool want;
    } cases[] = {
        {"second entry allows the channel", false, true, "10.1.1.7", true},
        {"neither allows the channel", false, false, "10.1.1.7", false},
        {"first refuses the item itself", true, true, "10.1.1.7", false},
        {"address compared as text", false, true, "10.1.1.07", false},
    };
    for (const auto& c : cases) {
        std::vector<TRemoteIPRecord> ips = {RemoteIP("10.1.1.9"), RemoteIP("10.1.1.7"),
                                            RemoteIP("10.1.1.7")};
        ips[1].Rights[1].Items[0].Sub[2] = 0;
        if (c.firstRefusesItem) ips[1].Rights[1].Items[0].Enabled = 0;
        if (!c.secondAllowsSub) ips[2].Rights[1].Items[0].Sub[2] = 0;
        EXPECT_EQ(CheckRemoteIP(ips, c.address, 1, 0, 2), c.want) << c.what;
    }
}

} // namespace
} // namespace vantrel
