#include "framework/ui/stdctrls.h"

#include "common/win/textconv.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/timer.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::fw {
namespace {

struct FormDeleter {
    void operator()(TCustomForm* f) const { f->Free(); }
};
using FormPtr = std::unique_ptr<TForm, FormDeleter>;

FormPtr NewForm() {
    FormPtr f(new TForm(nullptr));
    f->SetBounds(0, 0, 400, 300);
    return f;
}

template <class T> T* Put(TForm* f, int x = 0, int y = 0) {
    auto* c = new T(f);
    c->SetParent(f);
    c->SetLeft(x);
    c->SetTop(y);
    return c;
}

std::wstring ListText(HWND w, UINT msg, int i) {
    wchar_t buf[128] = {};
    ::SendMessageW(w, msg, WPARAM(i), LPARAM(buf));
    return buf;
}

struct Events : TObject {
    std::vector<std::string> log;
    void Click(TObject* S) { log.push_back("click " + static_cast<TComponent*>(S)->Name()); }
    void Change(TObject* S) { log.push_back("change " + static_cast<TComponent*>(S)->Name()); }
};

TEST(Button, ClickingEndsTheModalLoopWithTheButtonsResult) {
    FormPtr f = NewForm();
    auto* ok = Put<TButton>(f.get());
    ok->SetName("Ok");
    ok->SetModalResult(mrOk);
    Events e;
    ok->OnClick = TNotifyEvent(&e, &Events::Click);
    struct Clicker : TObject {
        TButton* button;
        void Tick(TObject* S) {
            static_cast<TTimer*>(S)->SetEnabled(false);
            ::PostMessageW(button->Handle(), BM_CLICK, 0, 0);
        }
    } clicker;
    clicker.button = ok;
    TTimer t(nullptr);
    t.SetInterval(5);
    t.SetOnTimer(TNotifyEvent(&clicker, &Clicker::Tick));
    EXPECT_EQ(f->ShowModal(), mrOk);
    EXPECT_EQ(e.log, (std::vector<std::string>{"click Ok"}));
}

TEST(CheckBox, ClicksCycleTheStateAndTheStateOutlivesTheWindow) {
    FormPtr f = NewForm();
    auto* box = Put<TCheckBox>(f.get());
    box->SetName("Box");
    Events e;
    box->OnClick = TNotifyEvent(&e, &Events::Click);
    HWND w = box->Handle();
    ::SendMessageW(w, BM_CLICK, 0, 0);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(::SendMessageW(w, BM_GETCHECK, 0, 0), BST_CHECKED);
    box->SetAllowGrayed(true);
    ::SendMessageW(w, BM_CLICK, 0, 0);
    EXPECT_EQ(box->State(), TCheckBoxState::cbGrayed);
    ::SendMessageW(w, BM_CLICK, 0, 0);
    EXPECT_EQ(box->State(), TCheckBoxState::cbUnchecked);
    box->SetChecked(true); // set in code: clicked too
    box->SetChecked(true); // unchanged: nothing
    EXPECT_EQ(e.log.size(), 4u);
    box->RecreateWnd();
    EXPECT_EQ(::SendMessageW(box->WindowHandle(), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST(RadioButton, CheckingOneUnchecksItsSiblingsOnly) {
    FormPtr f = NewForm();
    auto* a = Put<TRadioButton>(f.get());
    auto* b = Put<TRadioButton>(f.get());
    auto* group = Put<TGroupBox>(f.get());
    auto* c = new TRadioButton(f.get());
    c->SetParent(group);
    c->SetChecked(true);
    a->SetChecked(true);
    ::SendMessageW(b->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(c->Checked()); // another parent, another group
    EXPECT_EQ(::SendMessageW(a->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST(Edit, GbkTextChangesAndLimitsSurviveRecreation) {
    FormPtr f = NewForm();
    auto* edit = Put<TEdit>(f.get());
    edit->SetName("Edit");
    Events e;
    edit->OnChange = TNotifyEvent(&e, &Events::Change);
    edit->SetMaxLength(6);
    std::string text = win::Utf8ToGbk("主机名称");
    edit->SetText(text);
    EXPECT_EQ(e.log, (std::vector<std::string>{"change Edit"}));
    EXPECT_EQ(edit->GetText(), text);
    ::SendMessageW(edit->Handle(), WM_CHAR, 'x', 0); // typed: the window reports it
    EXPECT_EQ(e.log.size(), 2u);
    edit->SetText(text);
    ::SendMessageW(edit->Handle(), EM_SETSEL, 2, 4);
    EXPECT_EQ(edit->SelText(), win::Utf8ToGbk("名称"));
    edit->SetSelText("AB");
    EXPECT_EQ(edit->GetText(), win::Utf8ToGbk("主机AB"));
    // Typing beyond MaxLength characters (not bytes) is refused by the window.
    for (wchar_t ch : std::wstring(L"xyz"))
        ::SendMessageW(edit->Handle(), WM_CHAR, ch, 0);
    EXPECT_EQ(edit->GetText(), win::Utf8ToGbk("主机ABxy"));
    edit->SetCharCase(TEditCharCase::ecUpperCase); // a new window, which upper-cases
    EXPECT_EQ(edit->GetText(), win::Utf8ToGbk("主机ABXY"));
    EXPECT_EQ(::SendMessageW(edit->WindowHandle(), EM_GETLIMITTEXT, 0, 0), 6);
    edit->SetText("abc");
    EXPECT_EQ(edit->GetText(), "ABC");
}

TEST(Memo, LinesReadAndWriteTheWindowText) {
    FormPtr f = NewForm();
    auto* memo = Put<TMemo>(f.get());
    memo->Lines()->Add("one");
    memo->Lines()->Add(win::Utf8ToGbk("二"));
    memo->Lines()->Insert(0, "zero");
    EXPECT_EQ(memo->GetText(), "zero\r\none\r\n" + win::Utf8ToGbk("二"));
    EXPECT_EQ(memo->Lines()->Count(), 3);
    memo->Lines()->Delete(1);
    EXPECT_EQ(memo->Lines()->Strings(1), win::Utf8ToGbk("二"));
    EXPECT_EQ(::SendMessageW(memo->Handle(), EM_GETLINECOUNT, 0, 0), 2);
}

TEST(ListBox, ItemsAndSelectionFollowTheWindowThroughRecreation) {
    FormPtr f = NewForm();
    auto* list = Put<TListBox>(f.get());
    list->SetName("List");
    list->Items()->Add("b");
    HWND w = list->Handle();
    list->Items()->Add(win::Utf8ToGbk("通道"));
    list->Items()->Insert(0, "a");
    EXPECT_EQ(::SendMessageW(w, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(ListText(w, LB_GETTEXT, 2), win::Utf8ToWide("通道"));
    list->SetItemIndex(1);
    EXPECT_EQ(::SendMessageW(w, LB_GETCURSEL, 0, 0), 1);
    Events e;
    list->OnClick = TNotifyEvent(&e, &Events::Click);
    // The user's choice arrives as LBN_SELCHANGE at the parent.
    ::SendMessageW(w, LB_SETCURSEL, 2, 0);
    ::SendMessageW(f->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(w), LBN_SELCHANGE),
                   LPARAM(w));
    EXPECT_EQ(e.log, (std::vector<std::string>{"click List"}));
    EXPECT_EQ(list->ItemIndex(), 2);
    list->Items()->Delete(0);
    EXPECT_EQ(ListText(w, LB_GETTEXT, 0), L"b");

    list->SetMultiSelect(true);
    EXPECT_NE(list->WindowHandle(), w);
    EXPECT_EQ(::SendMessageW(list->WindowHandle(), LB_GETCOUNT, 0, 0), 2);
    list->SetSelected(0, true);
    list->SetSelected(1, true);
    EXPECT_EQ(list->SelCount(), 2);
    list->RecreateWnd();
    EXPECT_EQ(list->SelCount(), 2);
    list->Clear();
    EXPECT_EQ(::SendMessageW(list->WindowHandle(), LB_GETCOUNT, 0, 0), 0);
    EXPECT_THROW(list->Selected(0), EListError);
}

TEST(ComboBox, ItemsTextAndSelectionInEveryStyle) {
    FormPtr f = NewForm();
    auto* combo = Put<TComboBox>(f.get());
    combo->SetName("Combo");
    for (const char* s : {"CIF", "D1", "QCIF"})
        combo->Items()->Add(s);
    combo->SetItemIndex(1);
    HWND w = combo->Handle();
    EXPECT_EQ(::SendMessageW(w, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(combo->GetText(), "D1");
    combo->SetText(win::Utf8ToGbk("自定义")); // not an item: free text in a drop-down
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->GetText(), win::Utf8ToGbk("自定义"));
    combo->SetText("QCIF");
    EXPECT_EQ(combo->ItemIndex(), 2);
    Events e;
    combo->OnChange = TNotifyEvent(&e, &Events::Change);
    ::SendMessageW(w, CB_SETCURSEL, 0, 0);
    ::SendMessageW(f->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(w), CBN_SELCHANGE),
                   LPARAM(w));
    EXPECT_EQ(e.log, (std::vector<std::string>{"change Combo"}));
    combo->SetStyle(TComboBoxStyle::csDropDownList);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->GetText(), "CIF");
    combo->SetText("none of them");
    EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST(ScrollBar, ParamsAreCheckedAndScrollingMovesThePosition) {
    FormPtr f = NewForm();
    auto* bar = Put<TScrollBar>(f.get());
    bar->SetName("Bar");
    Events e;
    bar->OnChange = TNotifyEvent(&e, &Events::Change);
    EXPECT_THROW(bar->SetParams(0, 10, 5), EInvalidOperation);
    bar->SetParams(150, 0, 200);
    EXPECT_EQ(bar->Position(), 150);
    bar->SetMax(100); // the position is kept inside
    EXPECT_EQ(bar->Position(), 100);
    bar->SetLargeChange(30);
    HWND w = bar->Handle();
    ::SendMessageW(f->Handle(), WM_HSCROLL, SB_PAGEUP, LPARAM(w));
    EXPECT_EQ(bar->Position(), 70);
    EXPECT_EQ(::GetScrollPos(w, SB_CTL), 70);
    ::SendMessageW(f->Handle(), WM_HSCROLL, SB_TOP, LPARAM(w));
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(e.log.size(), 4u);
}

TEST(Panel, ChildrenAlignInsideTheBevelsAndTheCaptionIsPainted) {
    FormPtr f = NewForm();
    auto* panel = Put<TPanel>(f.get());
    panel->SetBounds(0, 0, 100, 60);
    panel->SetBevelInner(TBevelCut::bvLowered);
    panel->SetBorderWidth(2);
    auto* inner = new TPanel(f.get());
    inner->SetParent(panel);
    inner->SetAlign(TAlign::alClient);
    EXPECT_EQ(inner->BoundsRect(), Rect(4, 4, 96, 56));
    panel->SetBevelOuter(TBevelCut::bvNone);
    EXPECT_EQ(inner->BoundsRect(), Rect(3, 3, 97, 57));

    auto* shape = Put<TShape>(f.get(), 0, 0);
    shape->SetParent(panel);
    shape->SetBounds(10, 10, 20, 20);
    shape->Brush()->SetColor(clRed);
    inner->SetVisible(false);
    TBitmap bmp;
    bmp.SetSize(100, 60);
    panel->HandleNeeded();
    panel->Perform(WM_PAINT, uintptr_t(bmp.Canvas()->Handle()), 0);
    EXPECT_EQ(bmp.Canvas()->Pixels(20, 20), clRed);
    EXPECT_EQ(bmp.Canvas()->Pixels(10, 10), clBlack); // the shape's pen
    EXPECT_EQ(bmp.Canvas()->Pixels(50, 50), TColor(ColorToRGB(clBtnFace)));
}

TEST(Image, PaintsItsPictureStretchedOrAsIs) {
    FormPtr f = NewForm();
    auto* host = Put<TPanel>(f.get());
    host->SetBevelOuter(TBevelCut::bvNone);
    host->SetBounds(0, 0, 40, 40);
    auto* img = new TImage(f.get());
    img->SetParent(host);
    img->SetBounds(0, 0, 40, 40);
    TBitmap pic;
    pic.SetSize(2, 2);
    pic.Canvas()->Brush()->SetColor(clLime);
    pic.Canvas()->FillRect(Rect(0, 0, 2, 2));
    img->Picture()->SetGraphic(&pic);
    TBitmap out;
    out.SetSize(40, 40);
    host->HandleNeeded();
    host->Perform(WM_PAINT, uintptr_t(out.Canvas()->Handle()), 0);
    EXPECT_EQ(out.Canvas()->Pixels(1, 1), clLime);
    EXPECT_NE(out.Canvas()->Pixels(30, 30), clLime);
    img->SetStretch(true);
    host->Perform(WM_PAINT, uintptr_t(out.Canvas()->Handle()), 0);
    EXPECT_EQ(out.Canvas()->Pixels(30, 30), clLime);
}

// A shorter text leaves nothing of the longer one: the part the label gave up shows the
// form's colour again.
TEST(Label, ShorterTextErasesWhatTheLongerLeft) {
    FormPtr f = NewForm();
    f->SetColor(clTeal);
    auto* label = Put<TLabel>(f.get(), 10, 10);
    label->SetColor(clWhite);
    label->SetCaption(win::Utf8ToGbk("发送文件结束。收文件。收文件。"));
    const int wide = label->Width();
    f->Show();
    f->Repaint();
    label->SetCaption(win::Utf8ToGbk("发送"));
    ASSERT_LT(label->Width() + 10, wide);
    ::UpdateWindow(f->Handle());
    win::WindowDc dc(f->Handle());
    const COLORREF c = ::GetPixel(dc.get(), 10 + wide - 4, 10 + label->Height() / 2);
    const uint32_t teal = uint32_t(ColorToRGB(clTeal));
    for (int shift : {0, 8, 16})
        EXPECT_LE(std::abs(int((c >> shift) & 0xFF) - int((teal >> shift) & 0xFF)), 8)
            << std::hex << c;
}

TEST(Label, AutoSizeFollowsTheTextAndTheFont) {
    FormPtr f = NewForm();
    auto* label = Put<TLabel>(f.get());
    label->SetCaption("Hi");
    int w1 = label->Width();
    label->SetCaption(win::Utf8ToGbk("通道名称设置"));
    EXPECT_GT(label->Width(), w1);
    int h1 = label->Height();
    label->Font()->SetHeight(-30);
    EXPECT_GT(label->Height(), h1);
    label->SetAutoSize(false);
    label->SetCaption("x");
    EXPECT_GT(label->Height(), h1);
}

} // namespace
} // namespace dvr::fw

namespace dvr::fw {
namespace {

TEST(Form, DialogKeysMoveTheFocusAndPressTheDefaultAndCancelButtons) {
    FormPtr f = NewForm();
    auto* e1 = Put<TEdit>(f.get(), 10, 10);
    auto* e2 = Put<TEdit>(f.get(), 10, 40);
    auto* memo = Put<TMemo>(f.get(), 10, 70);
    auto* ok = Put<TButton>(f.get(), 10, 170);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = Put<TButton>(f.get(), 100, 170);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    f->Show();
    f->SetActiveControl(e1);
    ASSERT_EQ(::GetFocus(), e1->WindowHandle());

    auto key = [](TWinControl* c, WPARAM k) {
        MSG m{c->WindowHandle(), WM_KEYDOWN, k, 0, 0, {}};
        return GetParentForm(c)->DialogKey(m);
    };
    EXPECT_TRUE(key(e1, VK_TAB));
    EXPECT_EQ(::GetFocus(), e2->WindowHandle());
    EXPECT_EQ(f->ActiveControl(), e2);
    EXPECT_FALSE(key(memo, VK_RETURN)); // a memo wants its Enter
    EXPECT_TRUE(key(e2, VK_RETURN));
    EXPECT_EQ(f->ModalResult(), mrOk);
    EXPECT_TRUE(key(e2, VK_ESCAPE));
    EXPECT_EQ(f->ModalResult(), mrCancel);
    // Through the message loop as typed.
    f->SetModalResult(mrNone);
    ::PostMessageW(e2->WindowHandle(), WM_KEYDOWN, VK_TAB, 0);
    Application->ProcessMessages();
    EXPECT_EQ(::GetFocus(), memo->WindowHandle());
}

TEST(WinControl, DoubleBufferedPaintingStillReachesTheWindow) {
    FormPtr f = NewForm();
    auto* panel = Put<TPanel>(f.get());
    panel->SetBevelOuter(TBevelCut::bvNone);
    panel->SetBounds(0, 0, 60, 40);
    panel->SetColor(clTeal);
    panel->SetDoubleBuffered(true);
    auto* shape = new TShape(f.get());
    shape->SetParent(panel);
    shape->SetBounds(20, 10, 10, 10);
    shape->Brush()->SetColor(clYellow);
    shape->Pen()->SetStyle(TPenStyle::psClear);
    f->Show();
    panel->Repaint();
    win::WindowDc dc(panel->Handle());
    // The screen may hold fewer bits per colour than asked for.
    auto close_to = [](COLORREF a, TColor b) {
        for (int shift : {0, 8, 16})
            if (std::abs(int((a >> shift) & 0xFF) - int((uint32_t(b) >> shift) & 0xFF)) > 8)
                return false;
        return true;
    };
    EXPECT_TRUE(close_to(::GetPixel(dc.get(), 5, 5), clTeal));
    EXPECT_TRUE(close_to(::GetPixel(dc.get(), 24, 14), clYellow));
}

} // namespace
} // namespace dvr::fw
