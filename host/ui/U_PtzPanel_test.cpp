#include "host/ui/U_PtzPanel.h"
#include "host/ui/U_PtzMouse.h"
#include "host/ui/F_YunTaiSpeed.h"

#include "host/engine/U_FakeSerial_test.h"

#include "framework/ui/forms.h"
#include "host/ui/window_shot_testing.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace dvr::fw;

class Host : public TYunTaiHost {
public:
    bool CheckPtzRight(int) const override { return true; }
    int BoardChannelCount() const override { return 2; }
    int ChannelCount() const override { return 2; }
    bool NetTarget(int, TPtzNetTarget&) const override { return false; }
    std::string OwnAddress() const override { return "127.0.0.1"; }
    void RepeatTimerChanged(bool, int) override {}
};

class NoUdp : public TUdpSender {
public:
    void SendTo(const void*, int, int, const std::string&) override {}
};

class PanelHost : public TPtzPanelHost {
public:
    int SelectedChannel() override { return selected; }
    void WriteLog(int e) override { log.push_back(e); }
    void ShowSpeedDome() override { shown.push_back("dome"); }
    void ShowSpeedWindow() override { shown.push_back("speed"); }
    void Pause(DWORD) override {}
    int selected = 1;
    std::vector<int> log;
    std::vector<std::string> shown;
};

// A protocol whose start frames name their command in byte 3 (command + 0x20) and whose stop
// frames carry 0x7F there.
TYunTaiProtocol Protocol() {
    TYunTaiProtocol p{};
    p.Name.Set("TEST");
    p.BaudRate = 2400;
    p.DataBits = 8;
    for (int c = 0; c < kYunTaiCommands; ++c) {
        p.Commands[c].Start.Frame[0] = 0xFF;
        p.Commands[c].Start.Frame[3] = uint8_t(0x20 + c);
        p.Commands[c].Start.Length = 4;
        p.Commands[c].Stop.Frame[0] = 0xFF;
        p.Commands[c].Stop.Frame[3] = 0x7F;
        p.Commands[c].Stop.Length = 4;
    }
    return p;
}

class PtzPanelTest : public ::testing::Test {
protected:
    PtzPanelTest() {
        protocols.push_back(Protocol());
        settings.Entries[1] = TYunTaiEntry{1, 0, {}, 4800, 3, 1, {}};
        ptz = std::make_unique<TYunTai>(host, settings, protocols, com, udp);
        form = new TForm(nullptr);
        form->SetBounds(0, 0, 1024, 768);
        panel = new TPtzPanel(form, *ptz, panelHost);
        panel->PopupAux = [this](TPopupMenu* m) { popped = m; };
    }
    ~PtzPanelTest() override { form->Free(); }
    // Byte 3 of every frame written, in order.
    std::vector<int> Commands() {
        std::vector<int> out;
        for (const std::string& f : com.Frames())
            out.push_back(f.size() > 3 ? uint8_t(f[3]) : -1);
        com.log.clear();
        return out;
    }

    Host host;
    testing::FakeSerial com;
    NoUdp udp;
    TYunTaiSetRecord settings{};
    std::vector<TYunTaiProtocol> protocols;
    std::unique_ptr<TYunTai> ptz;
    PanelHost panelHost;
    TForm* form = nullptr;
    TPtzPanel* panel = nullptr;
    TPopupMenu* popped = nullptr;
};

TEST_F(PtzPanelTest, HeldControlsMoveTheSelectedChannelsCamera) {
    for (int tag = 0; tag < 20; ++tag)
        EXPECT_TRUE(panel->Images[size_t(tag)]->Picture()->Graphic()) << tag;
    EXPECT_EQ(panel->Images[12]->Left(), 947);
    const struct {
        int tag;
        std::vector<int> press, release;
    } rows[] = {
        {12, {0x20}, {0x7F, 0x7F, 0x7F, 0x7F}},        // up
        {14, {0x23}, {0x7F, 0x7F, 0x7F, 0x7F}},        // right
        {19, {0x20, 0x22}, {0x7F, 0x7F, 0x7F, 0x7F}},  // up-left: up, then left
        {15, {0x23, 0x21}, {0x7F, 0x7F, 0x7F, 0x7F}},  // down-right: right, then down
        {8, {0x26}, {0x7F}},                           // focus
        {11, {0x29}, {0x7F}},                          // zoom
    };
    for (const auto& r : rows) {
        panel->Press(r.tag);
        EXPECT_EQ(panel->PictureOf(r.tag), -(r.tag + 1));
        EXPECT_EQ(Commands(), r.press) << r.tag;
        panel->Release(r.tag);
        EXPECT_EQ(panel->PictureOf(r.tag), r.tag + 1);
        EXPECT_EQ(Commands(), r.release) << r.tag;
    }
    panel->Press(17);
    EXPECT_EQ(ptz->RepeatTag(), 4);
    EXPECT_EQ(ptz->CurrentChannel, 1);
}

TEST_F(PtzPanelTest, TogglesAuxiliaryOutputsAndTheLock) {
    panel->Press(1);
    panel->Release(1);
    panel->Click(1);
    EXPECT_TRUE(panel->AutoPanOn);
    EXPECT_EQ(panel->PictureOf(1), -2);
    panel->Click(1);
    EXPECT_EQ(Commands(), (std::vector<int>{0x2A, 0x7F}));
    panel->Click(0);
    EXPECT_TRUE(panel->MouseMode);
    panel->Click(3);
    panel->Click(4);
    EXPECT_EQ(panelHost.shown, (std::vector<std::string>{"dome", "speed"}));
    EXPECT_EQ(panelHost.log, (std::vector<int>{25, 25, 25, 25, 25}));

    panel->Press(2);
    panel->Release(2);
    ASSERT_EQ(popped, panel->AuxMenu);
    panel->AuxMenu->Items()->Items(2)->Click();
    EXPECT_TRUE(ptz->AuxState[2]);
    panel->Release(2);
    EXPECT_TRUE(panel->AuxMenu->Items()->Items(2)->Checked());
    panel->AuxMenu->Items()->Items(2)->Click();
    EXPECT_FALSE(ptz->AuxState[2]);
    EXPECT_EQ(Commands(), (std::vector<int>{0x2D, 0x7F}));

    // Locked, nothing but the unlock is taken.
    panel->Click(5);
    EXPECT_TRUE(panel->PanelLocked);
    panel->Press(12);
    panel->Release(12);
    panel->Click(1);
    EXPECT_TRUE(Commands().empty());
    EXPECT_FALSE(panel->AutoPanOn);
    panel->Click(5);
    EXPECT_FALSE(panel->PanelLocked);
    panel->Press(12);
    EXPECT_EQ(Commands(), (std::vector<int>{0x20}));

    form->SetColor(0x303030);
    form->Show();
    form->Repaint();
    vantrel::testing::PumpWaiting();
    vantrel::testing::SaveWindowShot(form->WindowHandle(), "host_ptz_panel");
}

TEST_F(PtzPanelTest, SpeedBarsArePercentagesOfTheProtocolsDefaults) {
    protocols[0].Speeds[0].Default = 32;
    protocols[0].Speeds[1].Default = 32;
    protocols[0].Speeds[2].Default = 16;
    protocols[0].Speeds[3].Default = 16;
    auto* f = new TYunTaiSpeedForm(nullptr, *ptz, settings, protocols,
                                   [this] { return panelHost.selected; });
    f->AfterConstruction();
    f->Show();
    ptz->SpeedState[1][0] = 16;
    ptz->SpeedState[1][2] = 16;
    ::SendMessageW(f->WindowHandle(), WM_PTZCHANNEL, 1, 0);
    EXPECT_EQ(f->Bars[0]->Position(), 50);
    EXPECT_EQ(f->Bars[1]->Position(), 100);
    EXPECT_EQ(f->Bars[2]->Position(), 0); // no default speed: left alone
    f->Bars[0]->SetPosition(25);
    f->BarChange(f->Bars[0]);
    EXPECT_EQ(ptz->SpeedState[1][0], 8);
    EXPECT_EQ(ptz->SpeedState[1][1], 8);
    // A channel without an enabled PTZ entry changes nothing.
    panelHost.selected = 0;
    ptz->SpeedState[0][0] = 7;
    f->Bars[0]->SetPosition(90);
    f->BarChange(f->Bars[0]);
    EXPECT_EQ(ptz->SpeedState[0][0], 7);
    f->Repaint();
    vantrel::testing::PumpWaiting();
    vantrel::testing::SaveWindowShot(f->WindowHandle(), "host_ptz_speed_form");
    f->bt_Close->Click();
    EXPECT_FALSE(::IsWindowVisible(f->WindowHandle()));
    f->Free();
}

TEST(PtzMouseCells, EachCellShowsItsDirectionAndTheCentreTheArrow) {
    const struct {
        int x, y, cursor;
    } cells[] = {{150, 120, 0}, {10, 10, 1},  {150, 10, 3},   {290, 10, 5},  {10, 120, 7},
                 {290, 120, 9}, {10, 230, 11}, {150, 230, 13}, {290, 230, 15}, {300, 10, 0}};
    for (const auto& c : cells)
        EXPECT_EQ(PtzCursorAt(c.x, c.y, 300, 240), c.cursor) << c.x << "," << c.y;
    EXPECT_EQ(PtzTagFor(3, false), 12);
    EXPECT_EQ(PtzTagFor(16, false), 15);
    EXPECT_EQ(PtzTagFor(1, true), -1); // a corner does nothing with the right button
    EXPECT_EQ(PtzTagFor(13, true), 11);
}

TEST_F(PtzPanelTest, PressesOnAPaneDriveThatPanesCameraInTheMouseMode) {
    std::vector<int> selected;
    TPtzMouse mouse(*panel, [&](int ch) {
        selected.push_back(ch);
        panelHost.selected = ch;
    });
    EXPECT_FALSE(mouse.Active());
    panel->Click(0);
    ASSERT_TRUE(mouse.Active());
    panelHost.selected = 0;

    // Top middle, left button: up on the pane's channel while held.
    mouse.MouseMove(1, {}, 150, 10, 300, 240);
    EXPECT_EQ(mouse.Cursor(), 3);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(::GetModuleHandleW(nullptr), L"Cursor_Up_2"));
    mouse.MouseDown(1, TMouseButton::mbLeft);
    EXPECT_EQ(mouse.Cursor(), 4);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(::GetModuleHandleW(nullptr), L"Cursor_Down_2"));
    EXPECT_EQ(Commands(), (std::vector<int>{0x20}));
    EXPECT_TRUE(mouse.MouseUp(1, TMouseButton::mbLeft));
    EXPECT_EQ(mouse.Cursor(), 3);
    EXPECT_EQ(Commands(), (std::vector<int>{0x7F, 0x7F, 0x7F, 0x7F}));
    EXPECT_EQ(selected, (std::vector<int>{1, 1}));

    // Left cell, right button: focus.
    mouse.MouseMove(1, {}, 10, 120, 300, 240);
    mouse.MouseDown(1, TMouseButton::mbRight);
    EXPECT_EQ(Commands(), (std::vector<int>{0x26}));
    mouse.MouseUp(1, TMouseButton::mbRight);
    EXPECT_EQ(Commands(), (std::vector<int>{0x7F}));

    // The centre: nothing, and the release is the pane's own.
    mouse.MouseMove(1, {}, 150, 120, 300, 240);
    mouse.MouseDown(1, TMouseButton::mbRight);
    EXPECT_FALSE(mouse.MouseUp(1, TMouseButton::mbRight));
    EXPECT_TRUE(Commands().empty());

    // A locked panel: the cursor and the selection follow, nothing is sent.
    panel->Click(5);
    selected.clear();
    mouse.MouseMove(1, {}, 290, 230, 300, 240);
    mouse.MouseDown(1, TMouseButton::mbLeft);
    EXPECT_EQ(mouse.Cursor(), 16);
    mouse.MouseUp(1, TMouseButton::mbLeft);
    EXPECT_EQ(selected, (std::vector<int>{1, 1}));
    EXPECT_TRUE(Commands().empty());
}

TEST_F(PtzPanelTest, LeavingAPaneShowsTheArrowButAHeldPressStillStopsOnRelease) {
    TPtzMouse mouse(*panel, [&](int ch) { panelHost.selected = ch; });
    panel->Click(0);
    ASSERT_TRUE(mouse.Active());
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);

    mouse.MouseMove(1, {}, 10, 10, 300, 240);
    ASSERT_EQ(mouse.Cursor(), 1);
    mouse.MouseLeave();
    EXPECT_EQ(mouse.Cursor(), 0);
    EXPECT_EQ(::GetCursor(), arrow);
    // Back on the pane, no press follows from the old cell.
    mouse.MouseDown(1, TMouseButton::mbLeft);
    EXPECT_TRUE(Commands().empty());
    EXPECT_FALSE(mouse.MouseUp(1, TMouseButton::mbLeft));

    // Pressed, then out of the pane before the release: the camera still stops.
    mouse.MouseMove(1, {}, 150, 230, 300, 240);
    mouse.MouseDown(1, TMouseButton::mbLeft);
    EXPECT_EQ(Commands(), (std::vector<int>{0x21}));
    mouse.MouseLeave();
    EXPECT_TRUE(mouse.MouseUp(1, TMouseButton::mbLeft));
    EXPECT_EQ(Commands(), (std::vector<int>{0x7F, 0x7F, 0x7F, 0x7F}));
    mouse.MouseLeave();
    EXPECT_EQ(::GetCursor(), arrow);
}

} // namespace
} // namespace vantrel
