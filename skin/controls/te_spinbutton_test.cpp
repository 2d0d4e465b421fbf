#include "skin/controls/te_spinbutton.h"

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::skin {
namespace {

struct FormDeleter {
    void operator()(fw::TForm* f) const { f->Free(); }
};

struct SpinEvents : fw::TObject {
    int changing = 0, ups = 0, downs = 0, seen = 0;
    bool veto = false;
    fw::TObject* spin = nullptr;
    void Changing(fw::TObject* s, bool& allow) {
        ++changing;
        seen = static_cast<TTeSpinButton*>(s)->Position();
        if (veto) allow = false;
    }
    void Up(fw::TObject*) { ++ups; }
    void Down(fw::TObject*) { ++downs; }
};

class SpinTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.reset(new fw::TForm(nullptr));
        form->SetBounds(0, 0, 300, 200);
        form->HandleNeeded();
        spin = new TTeSpinButton(form.get());
        spin->SetParent(form.get());
        spin->OnChanging = fw::TChangingEvent(&ev, &SpinEvents::Changing);
        spin->OnUpClick = fw::TNotifyEvent(&ev, &SpinEvents::Up);
        spin->OnDownClick = fw::TNotifyEvent(&ev, &SpinEvents::Down);
    }
    void TearDown() override { ::ReleaseCapture(); }
    static void ClickPart(TTeSpeedButton* b) {
        b->Perform(fw::CM_MOUSEENTER, 0, 0);
        b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    std::unique_ptr<fw::TForm, FormDeleter> form;
    TTeSpinButton* spin = nullptr;
    SpinEvents ev;
};

TEST_F(SpinTest, PartsLayOutWithAndWithoutTheSliderGap) {
    EXPECT_EQ(spin->Width(), 15);
    EXPECT_EQ(spin->Height(), 21);
    EXPECT_EQ(spin->UpButton()->BoundsRect(), (TRect{0, 0, 15, 9}));
    EXPECT_EQ(spin->DownButton()->BoundsRect(), (TRect{0, 12, 15, 21}));
    spin->SetEnabledSlider(false);
    EXPECT_EQ(spin->UpButton()->BoundsRect(), (TRect{0, 0, 15, 10}));
    EXPECT_EQ(spin->DownButton()->BoundsRect(), (TRect{0, 11, 15, 21}));
    EXPECT_EQ(spin->UpButton()->WideCaption(), L"up");
    EXPECT_TRUE(spin->UpButton()->Flat());
    EXPECT_TRUE(spin->UpButton()->AllowTimer());
}

TEST_F(SpinTest, ClicksStepWithinTheRangeAndMayBeVetoed) {
    ClickPart(spin->UpButton());
    EXPECT_EQ(spin->Position(), 1);
    EXPECT_EQ(ev.ups, 1);
    spin->SetPosition(100);
    ev.changing = 0;
    ClickPart(spin->UpButton()); // 101 requested: clamped, yet reported
    EXPECT_EQ(spin->Position(), 100);
    EXPECT_EQ(ev.changing, 1);
    EXPECT_EQ(ev.ups, 2);
    ClickPart(spin->DownButton());
    EXPECT_EQ(spin->Position(), 99);
    EXPECT_EQ(ev.downs, 1);

    auto* edit = new fw::TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(50, 40, 60, 23);
    spin->SetAssociate(edit);
    EXPECT_EQ(edit->GetText(), "99");
    EXPECT_EQ(spin->BoundsRect(), (TRect{110, 40, 125, 63}));
    EXPECT_TRUE(spin->SyncTimer()->Enabled());
    ev.veto = true;
    ClickPart(spin->DownButton());
    EXPECT_EQ(ev.seen, 98); // the handler sees the new position
    EXPECT_EQ(spin->Position(), 99);
    EXPECT_EQ(edit->GetText(), "99");
    ev.veto = false;

    // Text typed into the associate comes back on the timer; non-numbers are ignored.
    edit->SetText("42");
    spin->SyncFromAssociate(nullptr);
    EXPECT_EQ(spin->Position(), 42);
    edit->SetText("abc");
    spin->SyncFromAssociate(nullptr);
    EXPECT_EQ(spin->Position(), 42);
    edit->Free();
    EXPECT_EQ(spin->Associate(), nullptr);
    EXPECT_FALSE(spin->SyncTimer()->Enabled());
}

TEST_F(SpinTest, KeysAndSlider) {
    spin->SetPosition(50);
    spin->Perform(WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(spin->Position(), 51);
    spin->Perform(WM_KEYDOWN, VK_DOWN, 0);
    spin->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(spin->Position(), 49);
    EXPECT_EQ(spin->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);

    spin->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 10));
    EXPECT_TRUE(spin->Sliding());
    // Moves in the gap (over a part the part gets them): one row up from the press.
    spin->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 9));
    EXPECT_EQ(spin->Position(), 50);
    spin->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 9)); // again from the press point
    EXPECT_EQ(spin->Position(), 51);
    spin->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 9));
    EXPECT_FALSE(spin->Sliding());
}

} // namespace
} // namespace dvr::skin
