#include "host/ui/F_RasDial.h"

#include "host/ui/window_shot_testing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

namespace vantrel {
namespace {

class FakeDialer : public TRasDialer {
public:
    uint32_t Dial(const TRasDialParamsA& p, uintptr_t& handle) override {
        std::lock_guard<std::mutex> lock(mutex);
        dialled.push_back(p);
        handle = 100;
        return 0;
    }
    void HangUp(uintptr_t h) override {
        std::lock_guard<std::mutex> lock(mutex);
        hungUp.push_back(h);
    }
    size_t Dialled() {
        std::lock_guard<std::mutex> lock(mutex);
        return dialled.size();
    }
    std::mutex mutex;
    std::vector<TRasDialParamsA> dialled;
    std::vector<uintptr_t> hungUp;
};

TEST(RasDialForm, DialsTheTypedNumberAndHangsUp) {
    FakeDialer dialer;
    TThreadRasDial ras(dialer);
    auto* f = new TRasDialForm(nullptr, ras);
    f->AfterConstruction();
    f->Show();
    f->ed_PhoneCode->SetText("0571123456");
    f->ed_UserName->SetText("dvr");
    f->ed_Password->SetText("secret");
    f->Repaint();
    testing::PumpWaiting();
    testing::SaveWindowShot(f->WindowHandle(), "host_ras_dial_form");
    f->bt_Dial->Click();
    EXPECT_FALSE(::IsWindowVisible(f->WindowHandle()));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (ras.Connection() == 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(dialer.Dialled(), 1u);
    EXPECT_STREQ(dialer.dialled[0].szPhoneNumber, "0571123456");
    EXPECT_STREQ(dialer.dialled[0].szUserName, "dvr");
    EXPECT_STREQ(dialer.dialled[0].szPassword, "secret");
    f->Show();
    f->bt_HangUp->Click();
    EXPECT_EQ(dialer.hungUp, (std::vector<uintptr_t>{100}));
    EXPECT_FALSE(::IsWindowVisible(f->WindowHandle()));
    f->Free();
}

} // namespace
} // namespace vantrel
