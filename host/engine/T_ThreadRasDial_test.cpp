#include "host/engine/T_ThreadRasDial.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

class FakeDialer : public TRasDialer {
public:
    uint32_t Dial(const TRasDialParamsA& p, uintptr_t& handle) override {
        std::unique_lock<std::mutex> lock(mutex);
        dialled.push_back(p);
        if (hold) released.wait(lock, [this] { return !hold; });
        handle = nextHandle++;
        return result;
    }
    void HangUp(uintptr_t h) override {
        std::lock_guard<std::mutex> lock(mutex);
        hungUp.push_back(h);
    }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex);
        hold = false;
        released.notify_all();
    }
    std::mutex mutex;
    std::condition_variable released;
    std::vector<TRasDialParamsA> dialled;
    std::vector<uintptr_t> hungUp;
    uintptr_t nextHandle = 100;
    uint32_t result = 0;
    bool hold = false;
};

template <class F> void WaitFor(F done) {
    for (int i = 0; i < 3000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(RasDial, DialFillsTheParametersAndKeepsTheConnection) {
    FakeDialer dialer;
    TThreadRasDial ras(dialer);
    ras.Dial("95555", "user", "secret");
    WaitFor([&] { return ras.Dials() == 1 && ras.Suspended(); });
    ASSERT_EQ(dialer.dialled.size(), 1u);
    const TRasDialParamsA& p = dialer.dialled[0];
    EXPECT_EQ(p.dwSize, 1052u);
    EXPECT_STREQ(p.szEntryName, "");
    EXPECT_STREQ(p.szPhoneNumber, "95555");
    EXPECT_STREQ(p.szCallbackNumber, "");
    EXPECT_STREQ(p.szUserName, "user");
    EXPECT_STREQ(p.szPassword, "secret");
    EXPECT_STREQ(p.szDomain, "");
    EXPECT_EQ(ras.Connection(), 100u);

    ras.HangUp();
    EXPECT_EQ(ras.Connection(), 0u);
    ras.HangUp(); // nothing to hang up
    EXPECT_EQ(dialer.hungUp, (std::vector<uintptr_t>{100}));
}

TEST(RasDial, AnAlarmDialsTheRecordsNumber) {
    FakeDialer dialer;
    TThreadRasDial ras(dialer);
    TAlarmSetRecord record{};
    record.DialPhone.Set("16300");
    record.DialUser.Set("centre");
    record.DialPassword.Set("pw");
    DialForAlarm(ras, record);
    WaitFor([&] { return ras.Dials() == 1 && ras.Suspended(); });
    ASSERT_EQ(dialer.dialled.size(), 1u);
    EXPECT_STREQ(dialer.dialled[0].szPhoneNumber, "16300");
    EXPECT_STREQ(dialer.dialled[0].szUserName, "centre");
    EXPECT_STREQ(dialer.dialled[0].szPassword, "pw");
}

TEST(RasDial, EmptyNumberDialsNothingAndFailedDialsReleaseTheirHandle) {
    FakeDialer dialer;
    TThreadRasDial ras(dialer);
    ras.Dial("", "u", "p");
    WaitFor([&] { return ras.Suspended(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(dialer.dialled.empty());

    dialer.result = 678;
    ras.Dial("1", "u", "p");
    WaitFor([&] { return ras.Dials() == 1 && ras.Suspended(); });
    EXPECT_EQ(ras.Connection(), 0u);
    EXPECT_EQ(dialer.hungUp, (std::vector<uintptr_t>{100}));
}

TEST(RasDial, ASecondConnectionReplacesTheFirstWhichIsHungUp) {
    FakeDialer dialer;
    TThreadRasDial ras(dialer);
    ras.Dial("1", "u", "p");
    WaitFor([&] { return ras.Dials() == 1 && ras.Suspended(); });
    ras.Dial("2", "u", "p");
    WaitFor([&] { return ras.Dials() == 2 && ras.Suspended(); });
    EXPECT_EQ(ras.Connection(), 101u);
    EXPECT_EQ(dialer.hungUp, (std::vector<uintptr_t>{100}));
}

TEST(RasDial, ADialWhileDiallingIsNotCarriedOutButItsTextsWaitForTheNext) {
    FakeDialer dialer;
    dialer.hold = true;
    TThreadRasDial ras(dialer);
    ras.Dial("1", "u", "p");
    WaitFor([&] {
        std::lock_guard<std::mutex> lock(dialer.mutex);
        return !dialer.dialled.empty();
    });
    ras.Dial("2", "u2", "p2");
    dialer.Release();
    WaitFor([&] { return ras.Dials() == 1 && ras.Suspended(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ras.Dials(), 1);
    ras.Dial("3", "u3", "p3");
    WaitFor([&] { return ras.Dials() == 2; });
    std::lock_guard<std::mutex> lock(dialer.mutex);
    ASSERT_EQ(dialer.dialled.size(), 2u);
    EXPECT_STREQ(dialer.dialled[1].szPhoneNumber, "3");
}

} // namespace
} // namespace vantrel
