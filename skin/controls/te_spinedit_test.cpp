#include "skin/controls/te_spinedit.h"

#include "framework/ui/forms.h"
#include "skin/controls/te_input_test_support.h"
#include "skin/engine/te_winapi.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::skin {
namespace {

using test::PumpUntil;

struct FormDeleter {
    void operator()(fw::TForm* f) const { f->Free(); }
};

struct SpinEditEvents : fw::TObject {
    int changes = 0, changing = 0, ups = 0, downs = 0, dialog_keys = 0;
    bool veto = false;
    void Reset() {
        changes = changing = ups = downs = dialog_keys = 0;
        veto = false;
    }
    void Changed(fw::TObject*) { ++changes; }
    void Changing(fw::TObject*, bool& allow) {
        ++changing;
        if (veto) allow = false;
    }
    void Up(fw::TObject*) { ++ups; }
    void Down(fw::TObject*) { ++downs; }
};

// A form that counts the dialog keys its controls pass on.
class TDialogKeyForm : public fw::TForm {
    FW_CLASS(TDialogKeyForm, fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(fw::CM_DIALOGKEY, CMDialogKey)
    FW_MESSAGES_END
public:
    using fw::TForm::TForm;
    std::vector<uintptr_t> Keys;
    void CMDialogKey(fw::TMessage& M) { Keys.push_back(M.WParam); }
};

class SpinEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.reset(new TDialogKeyForm(nullptr));
        form->SetBounds(60, 60, 300, 150);
        spin = new TTeSpinEdit(form.get());
        spin->SetParent(form.get());
        spin->SetBounds(10, 10, 120, 24);
        spin->OnChange = fw::TNotifyEvent(&ev, &SpinEditEvents::Changed);
        spin->OnChanging = fw::TChangingEvent(&ev, &SpinEditEvents::Changing);
        spin->OnUpClick = fw::TNotifyEvent(&ev, &SpinEditEvents::Up);
        spin->OnDownClick = fw::TNotifyEvent(&ev, &SpinEditEvents::Down);
        spin->HandleNeeded();
    }
    void TearDown() override { ::ReleaseCapture(); }
    void Key(WPARAM vk) { spin->Perform(WM_KEYDOWN, vk, 0); }
    void Char(wchar_t c) { spin->Perform(WM_CHAR, c, 0); }
    void ClickPart(TTeSpeedButton* b) {
        b->Perform(fw::CM_MOUSEENTER, 0, 0);
        b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    std::unique_ptr<TDialogKeyForm, FormDeleter> form;
    TTeSpinEdit* spin = nullptr;
    SpinEditEvents ev;
};

TEST_F(SpinEditTest, StartsAtZeroWithTheSpinButtonInsideTheFrame) {
    EXPECT_EQ(spin->Text(), L"0");
    EXPECT_EQ(spin->Value(), 0);
    TTeSpinButton* b = spin->SpinButton();
    EXPECT_EQ(b->Parent(), spin);
    EXPECT_EQ(b->Associate(), spin);
    EXPECT_EQ(b->Width(), 19);
    TRect t = spin->GetTextRect();
    int d = IsSystemThemeActive() ? 1 : 2;
    EXPECT_EQ(b->Left(), t.Right + d); // over the frame on its side
    EXPECT_EQ(b->Top(), t.Top - d);
    EXPECT_FALSE(b->UpGlyph()->Empty());
}

TEST_F(SpinEditTest, StepsByButtonsAndKeysWithinTheLimits) {
    spin->SetMinValue(1);
    spin->SetMaxValue(100);
    spin->SetValue(5);
    ev.Reset();
    ClickPart(spin->SpinButton()->UpButton());
    EXPECT_EQ(spin->Value(), 6);
    EXPECT_EQ(ev.ups, 1);
    EXPECT_EQ(ev.changes, 1);
    ClickPart(spin->SpinButton()->DownButton());
    EXPECT_EQ(spin->Value(), 5);
    EXPECT_EQ(ev.downs, 1);
    Key(VK_UP);
    Key(VK_UP);
    EXPECT_EQ(spin->Value(), 7);
    Key(VK_PRIOR);
    EXPECT_EQ(spin->Value(), 17);
    Key(VK_NEXT);
    Key(VK_NEXT);
    EXPECT_EQ(spin->Value(), 1); // -3 clamped to the lower limit
    spin->SetValue(99);
    Key(VK_PRIOR);
    EXPECT_EQ(spin->Text(), L"100");
    spin->SetReadOnly(true);
    Key(VK_DOWN);
    EXPECT_EQ(spin->Value(), 100);
    spin->SetReadOnly(false);

    // A vetoed step keeps the old text and reports no change.
    ev.Reset();
    ev.veto = true;
    Key(VK_DOWN);
    EXPECT_EQ(spin->Text(), L"100");
    EXPECT_GE(ev.changing, 1);
}

TEST_F(SpinEditTest, ClampsWhenLeavingTheFieldAndEqualLimitsMeanNone) {
    spin->SetValue(-500);
    EXPECT_EQ(spin->Value(), -500); // no limits
    spin->SetMinValue(1);
    spin->SetMaxValue(100);
    EXPECT_EQ(spin->Text(), L"-500"); // a change of limits leaves the text alone
    spin->SetText(std::wstring(L"250"));
    spin->Perform(WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(spin->Text(), L"100");
    // Limits set before the window exists survive the spin button's own position.
    std::unique_ptr<TTeSpinEdit> late(new TTeSpinEdit(nullptr));
    late->SetValue(42);
    late->SetMaxValue(100);
    late->SetParent(form.get());
    late->HandleNeeded();
    EXPECT_EQ(late->Value(), 42);
    late->SetParent(nullptr);
}

TEST_F(SpinEditTest, FloatAndHexForms) {
    spin->SetValueType(TTeSpinValueType::vtHex);
    spin->SetText(std::wstring(L"FF"));
    EXPECT_EQ(spin->Value(), 255);
    spin->SetValue(10);
    EXPECT_EQ(spin->Text(), L"A");
    spin->MoveCaret(1);
    Char(L'b');
    EXPECT_EQ(spin->Text(), L"Ab");
    EXPECT_EQ(spin->Value(), 171);

    spin->SetValueType(TTeSpinValueType::vtFloat); // 171 read as hex, written as 171.00
    wchar_t sep = SpinDecimalSeparator();
    EXPECT_EQ(spin->Text(), std::wstring(L"171") + sep + L"00");
    spin->SetValue(1.5);
    EXPECT_EQ(spin->Text(), std::wstring(L"1") + sep + L"50");
    spin->SetText(std::wstring(L"2") + sep + L"70");
    spin->SetIncrement(0.4);
    spin->SetValueType(TTeSpinValueType::vtInteger);
    EXPECT_EQ(spin->Text(), L"3");
    EXPECT_EQ(spin->Increment(), 1);

    // A second separator or a second E is refused; the text stays.
    spin->SetValueType(TTeSpinValueType::vtFloat);
    spin->SetText(std::wstring(L"1") + sep + L"5E2");
    spin->MoveCaret(int(spin->Text().size()));
    spin->SetSelLength(0);
    Char(sep);
    Char(L'e');
    EXPECT_EQ(spin->Text(), std::wstring(L"1") + sep + L"5E2");
    EXPECT_EQ(spin->Value(), 150);
}

TEST_F(SpinEditTest, BadTextIsRefusedAndTheOldValueKept) {
    spin->SetValue(12);
    spin->MoveCaret(2);
    spin->SetSelLength(0);
    Char(L'x');
    Char(L'.');
    spin->Perform(WM_CHAR, 0x4E2D, 0);
    spin->Perform(WM_IME_CHAR, 0x4E2D, 0);
    EXPECT_EQ(spin->Text(), L"12");
    test::SetClipboardText(L"abc");
    spin->SelectAllText();
    spin->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(spin->Text(), L"12");
    EXPECT_EQ(spin->UndoStack()->Count(), 0);
    test::SetClipboardText(L"34");
    spin->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(spin->Value(), 34);
    // A text that is no number (made by program) reads as the lower limit, truncated.
    spin->SetMinValue(2.9);
    spin->SetText(std::wstring(L"-"));
    EXPECT_EQ(spin->Value(), 2);
}

TEST_F(SpinEditTest, EditorDisabledStillStepsButTakesNoTyping) {
    spin->SetEditorEnabled(false);
    spin->SetValue(5);
    spin->MoveCaret(1);
    Char(L'7');
    Key(VK_BACK);
    Key(VK_DELETE);
    test::SetClipboardText(L"9");
    BYTE state[256], saved[256];
    ::GetKeyboardState(state);
    memcpy(saved, state, sizeof state);
    state[VK_CONTROL] = 0x80;
    ::SetKeyboardState(state);
    Key('V');
    Key('Z');
    ::SetKeyboardState(saved);
    EXPECT_EQ(spin->Text(), L"5");
    Key(VK_UP);
    EXPECT_EQ(spin->Value(), 6);
    ClickPart(spin->SpinButton()->DownButton());
    EXPECT_EQ(spin->Value(), 5);
}

TEST_F(SpinEditTest, EnterAndEscapeGoToTheForm) {
    Char(L'\r');
    Char(L'\x1b');
    ASSERT_EQ(form->Keys.size(), 2u);
    EXPECT_EQ(form->Keys[0], 13u);
    EXPECT_EQ(form->Keys[1], 27u);
    EXPECT_EQ(spin->Text(), L"0");
}

TEST_F(SpinEditTest, RealInputTypesAndSpins) {
    form->Show();
    ASSERT_TRUE(test::BringToFront(form->Handle()));
    spin->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return spin->HasFocus(); }));
    test::SendText(L"42");
    ASSERT_TRUE(PumpUntil([&] { return spin->Text() == L"42"; }));
    test::SendKey(VK_UP);
    ASSERT_TRUE(PumpUntil([&] { return spin->Value() == 43; }));
    TTeSpeedButton* down = spin->SpinButton()->DownButton();
    TPoint p = down->ClientToScreen(TPoint{down->Width() / 2, down->Height() / 2});
    test::SendClick(p);
    ASSERT_TRUE(PumpUntil([&] { return spin->Value() == 42; }));
    spin->Repaint();
    test::Pump();
    test::SaveScreenshot(form->Handle(), "spin_edit");
}

} // namespace
} // namespace dvr::skin
