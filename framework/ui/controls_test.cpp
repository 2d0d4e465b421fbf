#include "framework/ui/controls.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"
#include "framework/ui/ui_test_controls.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::fw {
namespace {

using testing::TTestBox;
using testing::TTestSwatch;
using testing::WM_TEST_PING;

struct FormDeleter {
    void operator()(TForm* f) const { f->Free(); }
};
using FormPtr = std::unique_ptr<TForm, FormDeleter>;

FormPtr NewForm() {
    FormPtr f(new TForm(nullptr));
    f->SetBounds(0, 0, 300, 200);
    return f;
}

std::wstring WindowText(HWND w) {
    wchar_t buf[256] = {};
    ::GetWindowTextW(w, buf, 256);
    return buf;
}

TEST(WinControl, RecreatingAWindowKeepsChildrenTextBoundsAndState) {
    FormPtr form = NewForm();
    auto* box = new TTestBox(form.get());
    box->SetParent(form.get());
    box->SetBounds(10, 20, 120, 80);
    auto* inner = new TTestBox(form.get());
    inner->SetParent(box);
    inner->SetBounds(5, 6, 40, 30);
    std::string caption = win::Utf8ToGbk("通道一");
    inner->SetCaption(caption);
    inner->SetEnabled(false);
    auto* swatch = new TTestSwatch(form.get());
    swatch->SetParent(box);

    form->HandleNeeded();
    HWND old_box = box->WindowHandle(), old_inner = inner->WindowHandle();
    ASSERT_TRUE(old_box && old_inner);
    EXPECT_EQ(box->Creations, 1);
    EXPECT_EQ(::GetParent(old_inner), old_box);

    box->RecreateWnd();
    HWND new_box = box->WindowHandle(), new_inner = inner->WindowHandle();
    ASSERT_TRUE(new_box && new_inner);
    EXPECT_FALSE(::IsWindow(old_box));
    EXPECT_FALSE(::IsWindow(old_inner));
    EXPECT_EQ(box->Creations, 2);
    EXPECT_EQ(inner->Creations, 2);
    EXPECT_EQ(::GetParent(new_inner), new_box);
    EXPECT_EQ(::GetParent(new_box), form->WindowHandle());
    EXPECT_EQ(box->ControlCount(), 2);
    EXPECT_EQ(swatch->Parent(), box);
    EXPECT_EQ(WindowText(new_inner), win::Utf8ToWide("通道一"));
    EXPECT_EQ(inner->Caption(), caption);
    EXPECT_FALSE(::IsWindowEnabled(new_inner));
    RECT r{};
    ::GetWindowRect(new_inner, &r);
    ::MapWindowPoints(HWND_DESKTOP, new_box, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 6);
    EXPECT_EQ(r.right - r.left, 40);
    EXPECT_EQ(TWinControl::FindControl(new_inner), inner);
    EXPECT_EQ(TWinControl::FindControl(old_inner), nullptr);
}

TEST(WinControl, MessagesReachMessageMethodsAndFallThroughToTheWindow) {
    FormPtr form = NewForm();
    auto* box = new TTestBox(form.get());
    box->SetParent(form.get());
    HWND w = box->Handle();

    EXPECT_EQ(::SendMessageW(w, WM_TEST_PING, 0, 0), 42);
    ::SendMessageW(w, WM_SETTEXT, 0, LPARAM(L"abc"));
    EXPECT_EQ(WindowText(w), L"abc"); // the handler passed it on
    EXPECT_EQ(box->Caption(), "abc");
    box->SetEnabled(false); // CM_ENABLEDCHANGED: logged, then the window is disabled
    EXPECT_FALSE(::IsWindowEnabled(w));
    EXPECT_EQ(box->Log, (std::vector<std::string>{"ping", "settext", "enabled"}));
    // Perform goes the same way without a window message.
    EXPECT_EQ(box->Perform(WM_TEST_PING, 0, 0), 42);

    // A replaced WindowProc sees every message first and may pass it on.
    struct Spy : TObject {
        TWndMethod old;
        int seen = 0;
        void Proc(TMessage& M) {
            if (M.Msg == WM_TEST_PING) ++seen;
            old(M);
        }
    } spy;
    spy.old = box->WindowProc;
    box->WindowProc = TWndMethod(&spy, &Spy::Proc);
    EXPECT_EQ(::SendMessageW(w, WM_TEST_PING, 0, 0), 42);
    EXPECT_EQ(spy.seen, 1);
    box->WindowProc = spy.old;
}

TEST(WinControl, ExceptionsInMessageHandlersGoToTheApplication) {
    FormPtr form = NewForm();
    struct Thrower : TObject {
        void Proc(TMessage&) { throw EInvalidOperation("boom"); }
        std::string caught;
        void OnException(TObject*, const Exception& E) { caught = E.Message(); }
    } t;
    auto* box = new TTestBox(form.get());
    box->SetParent(form.get());
    HWND w = box->Handle();
    TWndMethod old = box->WindowProc;
    box->WindowProc = TWndMethod(&t, &Thrower::Proc);
    TExceptionEvent saved = Application->OnException;
    Application->OnException = TExceptionEvent(&t, &Thrower::OnException);
    ::SendMessageW(w, WM_TEST_PING, 0, 0);
    Application->OnException = saved;
    box->WindowProc = old;
    EXPECT_EQ(t.caught, "boom");
}

TEST(WinControl, AlignLaysChildrenOutByEdgeAndFollowsChanges) {
    for (bool windowed : {false, true}) {
        SCOPED_TRACE(windowed ? "with windows" : "without windows");
        FormPtr form = NewForm();
        auto* host = new TTestBox(form.get());
        host->SetParent(form.get());
        host->SetBounds(0, 0, 200, 100);
        if (windowed) form->HandleNeeded();
        auto add = [&](TAlign a, int w, int h) {
            auto* c = new TTestSwatch(form.get());
            c->SetBounds(0, 0, w, h);
            c->SetParent(host);
            c->SetAlign(a);
            return c;
        };
        TControl* client = add(TAlign::alClient, 5, 5);
        TControl* top = add(TAlign::alTop, 5, 10);
        TControl* bottom = add(TAlign::alBottom, 5, 20);
        TControl* left = add(TAlign::alLeft, 30, 5);
        TControl* right = add(TAlign::alRight, 40, 5);
        TControl* top2 = add(TAlign::alTop, 5, 7);
        top2->SetTop(50); // below the first top control
        EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 200, 10));
        EXPECT_EQ(top2->BoundsRect(), Rect(0, 10, 200, 17));
        EXPECT_EQ(bottom->BoundsRect(), Rect(0, 80, 200, 100));
        EXPECT_EQ(left->BoundsRect(), Rect(0, 17, 30, 80));
        EXPECT_EQ(right->BoundsRect(), Rect(160, 17, 200, 80));
        EXPECT_EQ(client->BoundsRect(), Rect(30, 17, 160, 80));

        top->SetVisible(false);
        EXPECT_EQ(top2->BoundsRect(), Rect(0, 0, 200, 7));
        EXPECT_EQ(client->BoundsRect(), Rect(30, 7, 160, 80));
        host->SetBounds(0, 0, 300, 150);
        EXPECT_EQ(bottom->BoundsRect(), Rect(0, 130, 300, 150));
        EXPECT_EQ(client->BoundsRect(), Rect(30, 7, 260, 130));
        right->SetWidth(60);
        EXPECT_EQ(right->BoundsRect(), Rect(240, 7, 300, 130));
        EXPECT_EQ(client->BoundsRect(), Rect(30, 7, 240, 130));
        bottom->SetAlign(TAlign::alNone);
        EXPECT_EQ(client->BoundsRect(), Rect(30, 7, 240, 150));
    }
}

TEST(WinControl, PaintingDrawsTheControlAndItsGraphicChildrenIntoTheGivenDC) {
    FormPtr form = NewForm();
    auto* box = new TTestBox(form.get());
    box->SetParent(form.get());
    box->SetBounds(0, 0, 40, 30);
    box->Fill = clBlue;
    auto* swatch = new TTestSwatch(form.get());
    swatch->SetParent(box);
    swatch->SetBounds(10, 5, 8, 6);
    swatch->Fill = clYellow;
    auto* hidden = new TTestSwatch(form.get());
    hidden->SetParent(box);
    hidden->SetBounds(20, 5, 8, 6);
    hidden->SetVisible(false);
    box->HandleNeeded();

    TBitmap bmp;
    bmp.SetSize(40, 30);
    box->Perform(WM_PAINT, uintptr_t(bmp.Canvas()->Handle()), 0);
    EXPECT_EQ(bmp.Canvas()->Pixels(1, 1), clBlue);
    EXPECT_EQ(bmp.Canvas()->Pixels(12, 7), clYellow);
    EXPECT_EQ(bmp.Canvas()->Pixels(17, 10), clYellow);
    EXPECT_EQ(bmp.Canvas()->Pixels(18, 7), clBlue); // clipped to the swatch
    EXPECT_EQ(bmp.Canvas()->Pixels(22, 7), clBlue);
    EXPECT_EQ(hidden->Paints, 0);
}

TEST(Control, MouseMessagesBecomeClicksOnGraphicChildrenAndEnterLeave) {
    FormPtr form = NewForm();
    auto* box = new TTestBox(form.get());
    box->SetParent(form.get());
    box->SetBounds(0, 0, 100, 50);
    auto* swatch = new TTestSwatch(form.get());
    swatch->SetParent(box);
    swatch->SetBounds(10, 10, 20, 20);
    struct Clicks : TObject {
        int n = 0;
        TPoint down;
        void Click(TObject*) { ++n; }
        void Down(TObject*, TMouseButton, TShiftState, int X, int Y) { down = {X, Y}; }
    } clicks;
    swatch->OnClick = TNotifyEvent(&clicks, &Clicks::Click);
    swatch->OnMouseDown = TMouseEvent(&clicks, &Clicks::Down);
    HWND w = box->Handle();

    ::SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(60, 5));  // over the box
    ::SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(15, 12)); // over the swatch
    ::SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 12));
    ::SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(16, 13));
    EXPECT_EQ(clicks.n, 1);
    EXPECT_EQ(clicks.down, (TPoint{5, 2})); // in the swatch's own coordinates
    // Released outside: no click.
    ::SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 12));
    ::SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(90, 40));
    EXPECT_EQ(clicks.n, 1);
    // The mouse entered the box, then went over the swatch (leaving the box).
    EXPECT_EQ(box->Log, (std::vector<std::string>{"enter", "leave"}));
    EXPECT_EQ(Application->MouseControl(), swatch);
    ::SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(60, 5));
    EXPECT_EQ(box->Log.back(), "enter");
    delete swatch;
    EXPECT_EQ(box->ControlCount(), 0);
}

TEST(Control, GbkCaptionsSurviveTheWindowRoundTrip) {
    FormPtr form = NewForm();
    auto* box = new TTestBox(form.get());
    box->SetParent(form.get());
    const char* texts[] = {"", "ASCII only", "报警联动设置", "混合 Mixed 文本 123"};
    for (const char* t : texts) {
        std::string gbk = win::Utf8ToGbk(t);
        box->SetCaption(gbk);
        EXPECT_EQ(WindowText(box->Handle()), win::Utf8ToWide(t));
        EXPECT_EQ(box->Caption(), gbk);
        form->SetCaption(gbk);
        EXPECT_EQ(WindowText(form->Handle()), win::Utf8ToWide(t));
    }
    // Text typed into the window (set by another party) is read back from it.
    ::SetWindowTextW(box->Handle(), win::Utf8ToWide("云台").c_str());
    EXPECT_EQ(box->Caption(), win::Utf8ToGbk("云台"));
}

TEST(Control, ParentFontAndColorFlowDownUntilSetOnTheChild) {
    FormPtr form = NewForm();
    auto* box = new TTestBox(form.get());
    box->SetParent(form.get());
    auto* child = new TTestSwatch(form.get());
    child->SetParent(box);
    box->Font()->SetHeight(-20);
    box->SetColor(clNavy);
    EXPECT_EQ(child->Font()->Height(), -20);
    EXPECT_EQ(child->Color(), clNavy);
    EXPECT_TRUE(child->ParentFont());
    child->Font()->SetHeight(-9);
    EXPECT_FALSE(child->ParentFont());
    box->Font()->SetHeight(-30);
    EXPECT_EQ(child->Font()->Height(), -9);
    child->SetParentFont(true);
    EXPECT_EQ(child->Font()->Height(), -30);
}

TEST(Control, AdjustSizeTakesTheWantedSizeWithinTheConstraints) {
    struct TSized : TTestSwatch {
        using TTestSwatch::TTestSwatch;
        int wantW = 0, wantH = 0;
        bool CanAutoSize(int& W, int& H) override {
            if (wantW <= 0) return false;
            W = wantW;
            H = wantH;
            return true;
        }
    };
    FormPtr form = NewForm();
    auto* c = new TSized(form.get());
    c->SetParent(form.get());
    c->SetBounds(5, 6, 40, 30);
    c->AdjustSize(); // nothing wanted: unchanged
    EXPECT_EQ(c->BoundsRect(), (TRect{5, 6, 45, 36}));
    c->wantW = 70;
    c->wantH = 12;
    c->AdjustSize();
    EXPECT_EQ(c->BoundsRect(), (TRect{5, 6, 75, 18}));
    c->Constraints()->MaxWidth = 50;
    c->AdjustSize();
    EXPECT_EQ(c->Width(), 50);
}

} // namespace
} // namespace dvr::fw
