#include "skin/controls/te_button.h"

#include "skin/controls/te_listbox.h"
#include "skin/engine/te_pixels.h"

#include "framework/ui/stdctrls.h"
#include "skin/controls/te_lists_test_support.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_winapi.h"
#include "skin/engine/theme_flat.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::skin {
namespace {

using namespace listtest;

struct ClickCounter : fw::TObject {
    int clicks = 0, key_ups = 0;
    void Click(fw::TObject*) { ++clicks; }
    void KeyUp(fw::TObject*, uint16_t&, fw::TShiftState) { ++key_ups; }
};

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearCurrentTheme();
        form.reset(NewShownForm(40, 40, 320, 200));
    }
    void TearDown() override {
        ::ReleaseCapture();
        ClearCurrentTheme();
    }
    TTeButton* AddButton(int X, int Y, const std::wstring& Caption) {
        auto* b = new TTeButton(form.get());
        b->SetParent(form.get());
        b->SetBounds(X, Y, 75, 25);
        b->SetWideCaption(Caption);
        b->OnClick = fw::TNotifyEvent(&counter, &ClickCounter::Click);
        return b;
    }
    std::unique_ptr<fw::TForm, FormDeleter> form;
    ClickCounter counter;
};

TEST_F(ButtonTest, KindsSetCaptionResultAndDefault) {
    auto* b = AddButton(10, 10, L"");
    EXPECT_EQ(b->Width(), 75);
    EXPECT_EQ(b->Height(), 25);
    b->SetKind(TBitBtnKind::bkOK);
    EXPECT_EQ(b->WideCaption(), L"OK");
    EXPECT_EQ(b->ModalResult(), 1);
    EXPECT_TRUE(b->Default());
    EXPECT_EQ(b->NumGlyphs(), 2);
    b->SetKind(TBitBtnKind::bkNo);
    EXPECT_EQ(b->WideCaption(), L"&No");
    EXPECT_EQ(b->ModalResult(), 7);
    EXPECT_FALSE(b->Default());

    // While loading, a stored caption stays; result and default still follow the kind.
    auto* loaded = AddButton(100, 10, L"好");
    loaded->SetLoading(true);
    loaded->SetKind(TBitBtnKind::bkOK);
    loaded->SetLoading(false);
    EXPECT_EQ(loaded->WideCaption(), L"好");
    EXPECT_EQ(loaded->ModalResult(), 1);
    EXPECT_TRUE(loaded->Default());

    // A click hands the result to the form.
    loaded->Click();
    EXPECT_EQ(form->ModalResult(), 1);
}

TEST_F(ButtonTest, DraggingOutAndBackPressesOnlyInside) {
    auto* b = AddButton(10, 10, L"Press");
    MouseDownAt(b, 20, 12);
    EXPECT_TRUE(b->Pressed());
    MouseMoveTo(b, 120, 12);
    EXPECT_TRUE(PumpUntil([&] { return !b->Pressed(); }));
    MouseMoveTo(b, 30, 10);
    EXPECT_TRUE(PumpUntil([&] { return b->Pressed(); }));
    MouseMoveTo(b, 30, 60);
    EXPECT_TRUE(PumpUntil([&] { return !b->Pressed(); }));
    MouseUp();
    EXPECT_EQ(counter.clicks, 0); // released outside
    MouseClickAt(b, 30, 12);
    EXPECT_TRUE(PumpUntil([&] { return counter.clicks == 1; }));
    EXPECT_FALSE(b->Pressed());
}

TEST_F(ButtonTest, EnterGoesToTheFocusedButtonElseTheDefaultOne) {
    auto* ok = AddButton(10, 10, L"OK");
    auto* other = AddButton(100, 10, L"Other");
    auto* cancel = AddButton(190, 10, L"Cancel");
    ok->SetDefault(true);
    cancel->SetCancel(true);
    ClickCounter other_counter;
    other->OnClick = fw::TNotifyEvent(&other_counter, &ClickCounter::Click);
    auto* edit = new fw::TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 60, 100, 23);

    edit->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
    EXPECT_TRUE(ok->ActiveDefault());
    KeyTap(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return counter.clicks == 1; }));
    EXPECT_EQ(other_counter.clicks, 0);

    // Another button with the focus takes Enter; the default one lets go meanwhile.
    other->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return other->HasFocus(); }));
    EXPECT_FALSE(ok->ActiveDefault());
    KeyTap(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return other_counter.clicks == 1; }));
    EXPECT_EQ(counter.clicks, 1);

    // Space clicks on release; Escape goes to the cancel button.
    KeyTap(VK_SPACE);
    EXPECT_TRUE(PumpUntil([&] { return other_counter.clicks == 2; }));
    KeyTap(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return counter.clicks == 2; }));

    // Alt with the accelerator letter clicks the button marked with it.
    auto* help = AddButton(10, 100, L"");
    help->SetKind(TBitBtnKind::bkHelp);
    EXPECT_EQ(form->Perform(fw::CM_DIALOGCHAR, 'h', 0), 0); // Perform reaches only the form
    EXPECT_EQ(help->Perform(fw::CM_DIALOGCHAR, 'h', 0), 1);
    EXPECT_EQ(counter.clicks, 3);
    EXPECT_EQ(help->Perform(fw::CM_DIALOGCHAR, 'x', 0), 0);
}

TEST_F(ButtonTest, FacePaintsPlainFlatAndSkinned) {
    auto* b = AddButton(10, 10, L"Face");
    TteBitmap shot;
    // Plain (where no visual style draws it): a button-face fill inside a raised bevel.
    if (!IsSystemThemeActive()) {
        Snapshot(b, shot);
        EXPECT_EQ(Rgb(shot, 5, 20), Rgb(fw::clBtnFace));
        EXPECT_EQ(Rgb(shot, 0, 0), Rgb(fw::clBtnHighlight));
        EXPECT_EQ(Rgb(shot, 74, 24), Rgb(fw::clBlack));
    }

    TTeFlatTheme* flat = new TTeFlatTheme();
    SetCurrentTheme(flat);
    Snapshot(b, shot);
    EXPECT_EQ(Rgb(shot, 5, 20), Rgb(flat->Color(ktcButtonNormal)));

    UseTestSkin();
    Snapshot(b, shot);
    EXPECT_EQ(Rgb(shot, 5, 20), Rgb(kSkinButtonFace));
    MouseMoveTo(b, 40, 12);
    ASSERT_TRUE(PumpUntil([&] { return b->MouseInControl(); }));
    Snapshot(b, shot);
    EXPECT_EQ(Rgb(shot, 5, 20), Rgb(kSkinButtonHot));
    MouseDownAt(b, 40, 12);
    Snapshot(b, shot);
    EXPECT_EQ(Rgb(shot, 5, 20), Rgb(kSkinButtonPressed));
    SaveScreen("button_skinned_pressed", form.get());
    MouseUp();
    MouseMoveTo(form.get(), 300, 180);
}

TEST_F(ButtonTest, GlyphCellsFollowTheState) {
    auto* b = AddButton(10, 10, L"");
    // Two 8 x 8 cells: red (normal), green (disabled); the bottom-left pixel is the
    // transparent colour (white).
    fw::TBitmap g;
    g.SetSize(16, 8);
    fw::TCanvas* c = g.Canvas();
    c->Brush()->SetColor(fw::clRed);
    c->FillRect(TRect{0, 0, 8, 8});
    c->Brush()->SetColor(fw::clLime);
    c->FillRect(TRect{8, 0, 16, 8});
    c->SetPixel(0, 7, fw::clWhite);
    c->SetPixel(8, 7, fw::clWhite);
    b->SetGlyph(&g);
    EXPECT_EQ(b->NumGlyphs(), 2);
    TteBitmap shot;
    Snapshot(b, shot);
    // Centred: the glyph area is 8 + spacing 4 wide, the cell centred in it.
    const TRect gr = b->GetGlyphRect();
    const int x = gr.Left + (gr.Width() - 8) / 2 + 4, y = gr.Top + 4;
    EXPECT_EQ(Rgb(shot, x, y), Rgb(fw::clRed));
    b->SetEnabled(false);
    Snapshot(b, shot);
    EXPECT_EQ(Rgb(shot, x, y), Rgb(fw::clLime));
}

TEST_F(ButtonTest, KindGlyphsComeFromTheResources) {
    fw::TBitmap* ok = GetKindGlyph(TBitBtnKind::bkOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->Width(), 32);
    EXPECT_EQ(ok->Height(), 16);
    EXPECT_EQ(GetKindGlyph(TBitBtnKind::bkOK), ok); // loaded once
    EXPECT_EQ(GetKindGlyph(TBitBtnKind::bkCustom)->Width(), 0);

    auto* b = AddButton(10, 10, L"");
    b->SetKind(TBitBtnKind::bkOK);
    EXPECT_EQ(b->Glyph()->Width(), 32);
    TteBitmap shot;
    Snapshot(b, shot);
    const TRect area = b->GetGlyphRect();
    const int x = area.Left + (area.Width() - 16) / 2, y = area.Top + (area.Height() - 16) / 2;
    EXPECT_EQ(Rgb(shot, x + 5, y + 11), Rgb(TColor(0x008000))); // the green check
    const uint32_t face = Rgb(shot, 3, 12);
    EXPECT_EQ(Rgb(shot, x, y + 15), face); // the olive ground shows the face
    EXPECT_EQ(Rgb(shot, x + 1, y + 1), face);
    b->SetEnabled(false);
    Snapshot(b, shot);
    EXPECT_EQ(Rgb(shot, x + 5, y + 11), Rgb(TColor(0x808080))); // the disabled cell
    SaveScreen("button_ok_disabled", form.get());

    TteBitmap* tt = ListTrueTypeGlyph();
    ASSERT_NE(tt, nullptr);
    EXPECT_EQ(tt->Width, 12);
    EXPECT_EQ(tt->GetPixel(11, 11), KeyColor);
}

class CheckBoxTest : public ButtonTest {
protected:
    TTeCheckBox* AddCheck(int X, int Y, const std::wstring& Caption) {
        auto* k = new TTeCheckBox(form.get());
        k->SetParent(form.get());
        k->SetBounds(X, Y, 98, 20);
        k->SetWideCaption(Caption);
        k->OnClick = fw::TNotifyEvent(&counter, &ClickCounter::Click);
        return k;
    }
};

TEST_F(CheckBoxTest, StatesCycleAndEveryChangeClicks) {
    auto* k = AddCheck(10, 10, L"&Real Time");
    EXPECT_EQ(k->Width(), 98);
    EXPECT_EQ(k->Height(), 20);
    k->SetAllowGrayed(true);
    const TTeCheckBoxState cycle[] = {TTeCheckBoxState::kcbsMixed, TTeCheckBoxState::kcbsChecked,
                                      TTeCheckBoxState::kcbsUnChecked};
    for (TTeCheckBoxState s : cycle) {
        k->Toggle();
        EXPECT_EQ(k->State(), s);
    }
    EXPECT_EQ(counter.clicks, 3);
    k->SetState(TTeCheckBoxState::kcbsMixed);
    k->SetChecked(true);
    EXPECT_EQ(k->State(), TTeCheckBoxState::kcbsChecked);
    EXPECT_EQ(counter.clicks, 5);
    k->SetChecked(true); // unchanged: no click
    EXPECT_EQ(counter.clicks, 5);

    // The accelerator toggles.
    EXPECT_EQ(k->Perform(fw::CM_DIALOGCHAR, 'r', 0), 1);
    EXPECT_EQ(k->State(), TTeCheckBoxState::kcbsUnChecked);
}

TEST_F(CheckBoxTest, MouseAndSpaceToggle) {
    auto* k = AddCheck(10, 10, L"Check");
    k->OnKeyUp = fw::TKeyEvent(&counter, &ClickCounter::KeyUp);
    MouseClickAt(k, 6, 10);
    EXPECT_TRUE(PumpUntil([&] { return k->Checked(); }));
    // Released exactly on the right and bottom edges: still a toggle.
    k->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    k->Perform(WM_LBUTTONUP, 0, MAKELPARAM(98, 20));
    EXPECT_FALSE(k->Checked());
    k->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    k->Perform(WM_LBUTTONUP, 0, MAKELPARAM(99, 5));
    EXPECT_FALSE(k->Checked());

    k->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return k->HasFocus(); }));
    KeyTap(VK_SPACE);
    EXPECT_TRUE(PumpUntil([&] { return k->Checked(); }));
    EXPECT_EQ(counter.key_ups, 0); // the check box keeps Space's release to itself
}

TEST_F(CheckBoxTest, CheckPaintsPlainFlatAndSkinned) {
    auto* k = AddCheck(10, 10, L"Real Time");
    k->SetTransparent(false);
    TteBitmap shot;
    Snapshot(k, shot);
    EXPECT_EQ(Rgb(shot, 6, 9), Rgb(fw::clWindow)); // inside the plain 3-D box
    auto* flat = new TTeFlatTheme();
    SetCurrentTheme(flat);
    Snapshot(k, shot);
    EXPECT_EQ(Rgb(shot, 2, 9), Rgb(flat->Color(ktcButtonNormal)));
    UseTestSkin();
    k->SetChecked(true);
    Snapshot(k, shot);
    EXPECT_EQ(Rgb(shot, 6, 10), Rgb(kSkinCheckChecked));
    k->SetChecked(false);
    Snapshot(k, shot);
    EXPECT_EQ(Rgb(shot, 6, 10), Rgb(kSkinCheckUnchecked));
    SaveScreen("checkbox_skinned", form.get());
}

} // namespace
} // namespace dvr::skin
