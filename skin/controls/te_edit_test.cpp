#include "skin/controls/te_edit.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"
#include "skin/controls/te_input_test_support.h"
#include "skin/controls/te_items.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::skin {
namespace {

using test::Pump;
using test::PumpUntil;

struct FormDeleter {
    void operator()(fw::TForm* f) const { f->Free(); }
};

struct ChangeCounter : fw::TObject {
    int changes = 0;
    void Changed(fw::TObject*) { ++changes; }
};

class EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.reset(new fw::TForm(nullptr));
        form->SetBounds(40, 40, 320, 160);
        edit = new TTeEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 200, 24);
        edit->OnChange = fw::TNotifyEvent(&counter, &ChangeCounter::Changed);
    }
    void TearDown() override { ::ReleaseCapture(); }

    void Key(WPARAM vk) { edit->Perform(WM_KEYDOWN, vk, 0); }
    // A key with modifiers held as the framework reads them (GetKeyState).
    void KeyWith(WPARAM vk, std::initializer_list<BYTE> mods) {
        BYTE state[256];
        ::GetKeyboardState(state);
        BYTE saved[256];
        memcpy(saved, state, sizeof state);
        for (BYTE m : mods) state[m] = 0x80;
        ::SetKeyboardState(state);
        edit->Perform(WM_KEYDOWN, vk, 0);
        ::SetKeyboardState(saved);
    }
    void Type(const std::wstring& s) {
        for (wchar_t c : s) edit->Perform(WM_CHAR, c, 0);
    }
    void Put(const std::wstring& s, int caret) {
        edit->SetText(s);
        edit->MoveCaret(caret);
        edit->SetSelLength(0);
    }

    std::unique_ptr<fw::TForm, FormDeleter> form;
    TTeEdit* edit = nullptr;
    ChangeCounter counter;
};

TEST_F(EditTest, TypingMergesIntoOneUndoStepAndUndoRemovesIt) {
    edit->HandleNeeded();
    Put(L"xy", 2);
    Type(L"abc");
    EXPECT_EQ(edit->Text(), L"xyabc");
    ASSERT_EQ(edit->UndoStack()->Count(), 1);
    EXPECT_EQ(edit->UndoStack()->Top()->Kind, kEditActionInsertion);
    EXPECT_EQ(edit->UndoStack()->Top()->Count, 3);
    EXPECT_TRUE(edit->Undo());
    EXPECT_EQ(edit->Text(), L"xy");
    EXPECT_EQ(edit->CaretPos(), 2);
    EXPECT_FALSE(edit->Undo()); // empty history: nothing to do
    EXPECT_EQ(edit->Text(), L"xy");
}

TEST_F(EditTest, BackspacesAndDeletesMergeAndComeBackSelected) {
    edit->HandleNeeded();
    Put(L"abcdefg", 5);
    Key(VK_BACK);
    Key(VK_BACK);
    Key(VK_BACK);
    EXPECT_EQ(edit->Text(), L"abfg");
    ASSERT_EQ(edit->UndoStack()->Count(), 1);
    EXPECT_EQ(edit->UndoStack()->Top()->Text, L"cde");
    EXPECT_EQ(edit->UndoStack()->Top()->Position, 3);
    edit->Undo();
    EXPECT_EQ(edit->Text(), L"abcdefg");
    EXPECT_EQ(edit->GetSelStart(), 2);
    EXPECT_EQ(edit->SelectedText(), L"cde");

    Put(L"abcdefg", 1);
    Key(VK_DELETE);
    Key(VK_DELETE);
    EXPECT_EQ(edit->Text(), L"adefg");
    EXPECT_EQ(edit->UndoStack()->Top()->Text, L"bc");
    edit->Undo();
    EXPECT_EQ(edit->Text(), L"abcdefg");

    // At the ends nothing changes and nothing is recorded.
    int steps = edit->UndoStack()->Count();
    Put(L"abc", 3);
    Key(VK_DELETE);
    Put(L"abc", 0);
    Key(VK_BACK);
    EXPECT_EQ(edit->Text(), L"abc");
    EXPECT_EQ(edit->UndoStack()->Count(), steps);
}

TEST_F(EditTest, ReplacedSelectionUndoesInOneStep) {
    edit->HandleNeeded();
    Put(L"one two", 0);
    edit->SetSelStart(0);
    edit->SetSelLength(4);
    Type(L"x");
    EXPECT_EQ(edit->Text(), L"xtwo");
    ASSERT_EQ(edit->UndoStack()->Count(), 2);
    EXPECT_TRUE(edit->UndoStack()->Top()->Chained);
    edit->Undo();
    EXPECT_EQ(edit->Text(), L"one two");
    EXPECT_EQ(edit->SelectedText(), L"one ");
    EXPECT_EQ(edit->UndoStack()->Count(), 0);
}

TEST_F(EditTest, CaretAndSelectionFollowTheKeys) {
    edit->HandleNeeded();
    Put(L"hello big world", 2);
    KeyWith(VK_RIGHT, {VK_SHIFT});
    KeyWith(VK_RIGHT, {VK_SHIFT});
    EXPECT_EQ(edit->GetSelStart(), 2);
    EXPECT_EQ(edit->GetSelLength(), 2);
    KeyWith(VK_LEFT, {VK_SHIFT});
    EXPECT_EQ(edit->GetSelLength(), 1);
    EXPECT_EQ(edit->SelectedText(), L"l");
    Key(VK_END);
    EXPECT_EQ(edit->CaretPos(), 15);
    EXPECT_EQ(edit->GetSelLength(), 0);
    KeyWith(VK_LEFT, {VK_CONTROL});
    EXPECT_EQ(edit->CaretPos(), 10);
    KeyWith(VK_LEFT, {VK_CONTROL});
    EXPECT_EQ(edit->CaretPos(), 6);
    KeyWith(VK_RIGHT, {VK_CONTROL});
    EXPECT_EQ(edit->CaretPos(), 10);
    KeyWith(VK_HOME, {VK_SHIFT});
    EXPECT_EQ(edit->SelectedText(), L"hello big ");
    Key(VK_UP); // nothing
    EXPECT_EQ(edit->CaretPos(), 0);
}

TEST_F(EditTest, DoubleClickSelectsTheWordAndTheSpaceAfterIt) {
    form->Show();
    edit->SetText(std::wstring(L"alpha beta"));
    int x = edit->PosToX(2);
    edit->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 8));
    edit->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, 8));
    EXPECT_EQ(edit->CaretPos(), 2);
    edit->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, 8));
    edit->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, 8));
    EXPECT_EQ(edit->SelectedText(), L"alpha ");
}

TEST_F(EditTest, MaximumLengthRefusesWholeEditsAndNeverSplitsACharacter) {
    edit->HandleNeeded();
    edit->SetMaxLength(5);
    Put(L"abcde", 5);
    Type(L"f");
    EXPECT_EQ(edit->Text(), L"abcde");
    EXPECT_EQ(edit->UndoStack()->Count(), 0);

    // Two selected characters replaced by one: four remain.
    edit->SetSelStart(1);
    edit->SetSelLength(2);
    Type(L"X");
    EXPECT_EQ(edit->Text(), L"aXde");

    // Four characters pasted over two selected ones would make six: refused whole.
    int steps = edit->UndoStack()->Count();
    test::SetClipboardText(L"1234");
    edit->SetSelStart(1);
    edit->SetSelLength(2);
    edit->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(edit->Text(), L"aXde");
    EXPECT_EQ(edit->GetSelLength(), 0);
    EXPECT_EQ(edit->UndoStack()->Count(), steps);

    // Chinese typed as wide characters and through the input method keeps whole
    // characters; at the limit the next one is refused.
    Put(L"", 0);
    edit->Perform(WM_CHAR, 0x4E2D, 0);     // 中
    edit->Perform(WM_IME_CHAR, 0x6587, 0); // 文
    Type(L"abc");
    EXPECT_EQ(edit->Text(), L"\x4E2D\x6587" L"abc");
    edit->Perform(WM_IME_CHAR, 0x5B57, 0);
    EXPECT_EQ(edit->Text(), L"\x4E2D\x6587" L"abc");
    EXPECT_EQ(edit->GetText(), win::WideToGbk(L"\x4E2D\x6587" L"abc"));

    // A character outside the basic plane (two units) with one unit left: refused, not
    // cut in half.
    Put(L"abcd", 4);
    edit->Perform(WM_CHAR, 0xD840, 0);
    edit->Perform(WM_CHAR, 0xDC00, 0);
    EXPECT_EQ(edit->Text(), L"abcd");
    edit->SetMaxLength(0);
    Put(L"", 0);
    edit->Perform(WM_CHAR, 0xD840, 0);
    edit->Perform(WM_CHAR, 0xDC00, 0);
    EXPECT_EQ(edit->Text(), std::wstring(L"\xD840\xDC00"));

    // Keys step over and delete such a character whole.
    Put(std::wstring(L"\xD840\xDC00") + L"x", 0);
    Key(VK_RIGHT);
    EXPECT_EQ(edit->CaretPos(), 2);
    Key(VK_LEFT);
    EXPECT_EQ(edit->CaretPos(), 0);
    Key(VK_DELETE);
    EXPECT_EQ(edit->Text(), L"x");

    // Undo re-inserting into a fuller text cuts on a whole character: with room for one
    // unit, the deleted pair does not come back as half a character.
    Put(L"\xD840\xDC00\x4E2D", 3);
    Key(VK_BACK);
    Key(VK_BACK);
    EXPECT_EQ(edit->Text(), L"");
    edit->SetText(std::wstring(L"abcd")); // not typed: no step of its own
    edit->SetMaxLength(5);
    EXPECT_TRUE(edit->Undo());
    EXPECT_EQ(edit->Text(), L"abcd");
    edit->SetMaxLength(6); // room for the pair, not for the character after it
    Put(L"\xD840\xDC00\x4E2D", 3);
    Key(VK_BACK);
    Key(VK_BACK);
    edit->SetText(std::wstring(L"abcd"));
    EXPECT_TRUE(edit->Undo());
    EXPECT_EQ(edit->Text(), std::wstring(L"\xD840\xDC00") + L"abcd");
}

TEST_F(EditTest, GbkTextAndCharCase) {
    edit->SetText(win::WideToGbk(L"\x4E2D\x6587 ok"));
    EXPECT_EQ(edit->Text(), L"\x4E2D\x6587 ok");
    EXPECT_EQ(counter.changes, 1);
    edit->SetText(std::wstring(L"\x4E2D\x6587 ok")); // same text: no change event
    EXPECT_EQ(counter.changes, 1);

    edit->HandleNeeded();
    edit->SetCharCase(TEditCharCase::ecUpperCase);
    EXPECT_EQ(edit->Text(), L"\x4E2D\x6587 OK"); // Chinese survives the case change
    Put(L"", 0);
    Type(L"a");
    EXPECT_EQ(edit->Text(), L"A");
}

TEST_F(EditTest, ClipboardCutCopyPasteAndMaskedEditsKeepItOut) {
    edit->HandleNeeded();
    Put(L"copy \x4E2D me", 0);
    edit->SetSelStart(5);
    edit->SetSelLength(1);
    edit->Perform(WM_COPY, 0, 0);
    EXPECT_EQ(test::ClipboardText(), L"\x4E2D");
    Key('X');
    EXPECT_EQ(edit->Text(), L"copy \x4E2D me"); // X alone is no shortcut
    KeyWith('X', {VK_CONTROL});
    EXPECT_EQ(edit->Text(), L"copy  me");
    EXPECT_EQ(test::ClipboardText(), L"\x4E2D");
    edit->MoveCaret(0);
    KeyWith('V', {VK_CONTROL});
    EXPECT_EQ(edit->Text(), L"\x4E2D" L"copy  me");
    KeyWith(VK_INSERT, {VK_SHIFT});
    EXPECT_EQ(edit->Text(), L"\x4E2D\x4E2D" L"copy  me");
    KeyWith('Z', {VK_CONTROL}); // both pastes went in one after the other: one step
    EXPECT_EQ(edit->Text(), L"copy  me");
    KeyWith('Z', {VK_CONTROL});
    EXPECT_EQ(edit->Text(), L"copy \x4E2D me");

    test::SetClipboardText(L"sentinel");
    edit->SetPasswordKind(TPasswordKind::pkCircle);
    edit->SelectAllText();
    edit->Perform(WM_COPY, 0, 0);
    KeyWith('C', {VK_CONTROL});
    EXPECT_EQ(test::ClipboardText(), L"sentinel");
    TTeItem* menu = edit->PrepareContextMenu();
    ASSERT_EQ(menu->Count(), 8);
    EXPECT_FALSE(menu->Items(2)->Enabled()); // Cut
    EXPECT_FALSE(menu->Items(3)->Enabled()); // Copy
    EXPECT_TRUE(menu->Items(4)->Enabled());  // Paste
    EXPECT_TRUE(menu->Items(5)->Enabled());  // Delete
    EXPECT_FALSE(menu->Items(0)->Enabled()); // Undo: the history is used up
    EXPECT_FALSE(menu->Items(7)->Enabled()); // all selected already
    KeyWith('X', {VK_CONTROL});              // masked: deleted, nothing copied
    EXPECT_EQ(edit->Text(), L"");
    EXPECT_EQ(test::ClipboardText(), L"sentinel");
}

TEST_F(EditTest, ContextMenuClicksRunAfterTheMenuCloses) {
    edit->HandleNeeded();
    Put(L"words here", 0);
    edit->SetSelStart(0);
    edit->SetSelLength(6);
    edit->SetReadOnly(true);
    TTeItem* menu = edit->PrepareContextMenu();
    EXPECT_EQ(menu->Items(0)->Caption(), L"Undo");
    EXPECT_TRUE(menu->Items(1)->IsSeparator());
    EXPECT_FALSE(menu->Items(0)->Enabled());
    EXPECT_FALSE(menu->Items(2)->Enabled());
    EXPECT_TRUE(menu->Items(3)->Enabled());
    EXPECT_FALSE(menu->Items(5)->Enabled());
    edit->SetReadOnly(false);
    menu = edit->PrepareContextMenu();
    menu->Items(5)->Click(); // Delete: posted, runs from the queue
    EXPECT_EQ(edit->Text(), L"words here");
    EXPECT_TRUE(PumpUntil([&] { return edit->Text() == L"here"; }));
    menu = edit->PrepareContextMenu(); // the history has a step now
    menu->Items(0)->Click();           // Undo
    EXPECT_TRUE(PumpUntil([&] { return edit->Text() == L"words here"; }));
}

TEST_F(EditTest, FocusSelectsAllAndRealInputEdits) {
    form->Show();
    edit->SetText(std::wstring(L"old"));
    ASSERT_TRUE(test::BringToFront(form->Handle()));
    edit->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return edit->HasFocus(); }));
    EXPECT_EQ(edit->SelectedText(), L"old");

    test::SendText(L"new text");
    ASSERT_TRUE(PumpUntil([&] { return edit->Text() == L"new text"; })) << win::WideToGbk(edit->Text());
    test::SendKey(VK_LEFT, {VK_CONTROL, VK_SHIFT});
    ASSERT_TRUE(PumpUntil([&] { return edit->SelectedText() == L"text"; }));
    test::SendKey('C', {VK_CONTROL});
    ASSERT_TRUE(PumpUntil([&] { return test::ClipboardText() == L"text"; }));
    test::SendKey(VK_HOME);
    test::SendKey('V', {VK_CONTROL});
    ASSERT_TRUE(PumpUntil([&] { return edit->Text() == L"textnew text"; }));
    test::SendKey('Z', {VK_CONTROL});
    ASSERT_TRUE(PumpUntil([&] { return edit->Text() == L"new text"; }));

    // A click between two characters puts the caret there; a drag selects.
    TPoint at = edit->ClientToScreen(TPoint{edit->PosToX(3), 10});
    test::SendClick(at);
    ASSERT_TRUE(PumpUntil([&] { return edit->CaretPos() == 3 && edit->GetSelLength() == 0; }))
        << edit->CaretPos();
    // Dragged backwards from a point away from that click (not a double click).
    TPoint from = edit->ClientToScreen(TPoint{edit->PosToX(7), 10});
    test::SendDrag(from, at);
    ASSERT_TRUE(PumpUntil([&] { return edit->SelectedText() == L" tex"; }))
        << win::WideToGbk(edit->SelectedText());

    // The selection shows in the highlight colour.
    edit->Repaint();
    Pump();
    TRect sel = edit->GetSelectionRect();
    TPoint mid = edit->ClientToScreen(TPoint{(sel.Left + sel.Right) / 2, sel.Top + 1});
    EXPECT_EQ(test::ScreenPixelNear(mid, fw::ColorToRGB(fw::clHighlight)), true);
    test::SaveScreenshot(form->Handle(), "edit_selection");
}

} // namespace
} // namespace dvr::skin
