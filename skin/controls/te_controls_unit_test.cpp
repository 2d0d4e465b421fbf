#include "skin/controls/te_controls_unit.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "skin/controls/te_button.h"
#include "skin/controls/te_form.h"
#include "skin/controls/te_form_options.h"
#include "skin/controls/te_inplacescrollbar.h"
#include "skin/controls/te_items.h"
#include "skin/controls/te_listbox.h"
#include "skin/controls/te_lists_test_support.h"
#include "skin/controls/te_message.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <vector>

namespace dvr::skin {
namespace {

using namespace listtest;

// Live GDI objects of the process. Where GetGuiResources is only a stub, the handle table
// is probed: a handle whose high word is zero names its slot whatever the slot's
// generation.
DWORD GdiObjects() {
    if (DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return n;
    DWORD n = 0;
    for (uintptr_t i = 1; i < 0x10000; ++i)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++n;
    return n;
}

BOOL CALLBACK CountWindow(HWND Wnd, LPARAM Count) {
    ++*reinterpret_cast<DWORD*>(Count);
    ::EnumChildWindows(Wnd, &CountWindow, Count);
    return TRUE;
}

// Live USER objects: GetGuiResources, or else the thread's windows, message-only ones too.
DWORD UserObjects() {
    if (DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)) return n;
    DWORD n = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountWindow, LPARAM(&n));
    for (HWND w = nullptr; (w = ::FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr));) {
        DWORD pid = 0;
        if (::GetWindowThreadProcessId(w, &pid) == ::GetCurrentThreadId()) ++n;
    }
    return n;
}

// What the controls draw with, so that every resource is really made.
void UseResources() {
    SharedPaintBuffer();
    EnsureSharedPaintBuffer();
    MenuFont()->Handle();
    SubMenuArrow();
    CaptionFont()->Handle();
    SmallCaptionFont()->Handle();
    FormButtonImages();
    ClickHandler();
    ListTrueTypeGlyph();
    GetKindGlyph(TBitBtnKind::bkOK);
    DefaultBlending();
}

TEST(ControlsUnit, StartMakesAndEndFreesTheResources) {
    while (ControlsUnitStarts() > 0)
        EndControlsUnit();
    StartControlsUnit();
    EXPECT_EQ(ControlsUnitStarts(), 1);
    EXPECT_TRUE(ControlsWinNT);
    ASSERT_NE(GlobalMessage(), nullptr);
    EXPECT_EQ(GlobalMessage()->Owner(), fw::Application);
    EXPECT_EQ(ParkedMDIChildBounds(), (TRect{0, 0, 10, 10}));
    EXPECT_FALSE(CommonPopupOptions());
    EXPECT_FALSE(SharedPaintBuffer().IsEmpty()); // the screen plus 500 each way
    EXPECT_EQ(SharedPaintBuffer().Width, ::GetSystemMetrics(SM_CXSCREEN) + 500);
    ASSERT_NE(FormButtonImages(), nullptr);
    EXPECT_EQ(FormButtonImages()->Count(), 6); // close, minimize, maximize, restore, roll-up, tray
    EXPECT_NE(fw::GetClass("TTeTabSheet"), nullptr);
    EXPECT_NE(fw::GetClass("TTeSpeedDivider"), nullptr);
    EXPECT_NE(fw::GetClass("TteAnimationRec"), nullptr);
    EXPECT_NE(fw::GetClass("TTeItem"), nullptr);

    // Nested starts end with the outermost end.
    StartControlsUnit();
    EndControlsUnit();
    EXPECT_NE(GlobalMessage(), nullptr);
    EndControlsUnit();
    EXPECT_EQ(ControlsUnitStarts(), 0);
    EXPECT_EQ(GlobalMessage(), nullptr);
    EndControlsUnit(); // one end too many does nothing
    EXPECT_EQ(ControlsUnitStarts(), 0);

    // A global component on a form is not the unit's to free.
    StartControlsUnit();
    fw::TComponent form(nullptr);
    auto* mine = new TTeMessage(&form);
    mine->SetGlobal(true);
    EndControlsUnit();
    EXPECT_EQ(GlobalMessage(), mine);
    mine->Free();
}

TEST(ControlsUnit, StartAndEndTwiceLeaveNoGdiOrUserObjects) {
    while (ControlsUnitStarts() > 0)
        EndControlsUnit();
    // A first round makes what the framework keeps for itself (stock objects, classes).
    StartControlsUnit();
    UseResources();
    EndControlsUnit();
    const DWORD gdi = GdiObjects(), user = UserObjects();
    ASSERT_GT(gdi, 0u);
    for (int round = 0; round < 2; ++round) {
        StartControlsUnit();
        UseResources();
        EXPECT_GT(GdiObjects(), gdi) << round; // the resources are there while started
        EndControlsUnit();
        EXPECT_EQ(GdiObjects(), gdi) << round;
        EXPECT_EQ(UserObjects(), user) << round;
    }
}

// Records the scroll messages a window gets.
class ScrollTarget : public fw::TWinControl {
public:
    using fw::TWinControl::TWinControl;
    std::vector<std::pair<UINT, WPARAM>> got;
    TTeInplaceScrollBar* holder = nullptr;
    bool synced_while_sent = true;

protected:
    void WndProc(fw::TMessage& M) override {
        if (M.Msg == WM_VSCROLL || M.Msg == WM_HSCROLL) {
            got.emplace_back(M.Msg, M.WParam);
            if (holder) synced_while_sent = holder->Syncing();
        }
        fw::TWinControl::WndProc(M);
    }
};

class InplaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.reset(NewShownForm(60, 60, 400, 300));
        holder = new TTeInplaceScrollBar(form.get());
        holder->SetParent(form.get());
        holder->SetBounds(360, 0, 17, 200);
        holder->HandleNeeded();
    }
    std::unique_ptr<fw::TForm, FormDeleter> form;
    TTeInplaceScrollBar* holder = nullptr;
};

TEST_F(InplaceTest, HolderSetsUpItsBar) {
    TTeScrollBar* bar = holder->ScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Parent(), holder);
    EXPECT_EQ(bar->Align(), fw::TAlign::alClient);
    EXPECT_EQ(bar->Performance(), TTePerformance::kpDoubleBuffer);
    EXPECT_TRUE(holder->IsVertical());
    EXPECT_EQ(bar->BorderWidth(), 0);
    EXPECT_EQ(bar->Width(), holder->ClientWidth());
    // Without a target every scroll event is ignored.
    int pos = 5;
    holder->BarScroll(bar, kscTrack, pos);
    holder->BarScroll(bar, kscLineDown, pos);
    EXPECT_EQ(pos, 5);
}

TEST_F(InplaceTest, OtherWindowsGetScrollMessages) {
    auto* target = new ScrollTarget(form.get());
    target->SetParent(form.get());
    target->SetBounds(0, 0, 100, 100);
    target->HandleNeeded();
    target->holder = holder;
    holder->Target = target;
    int pos = 7;
    holder->BarScroll(holder->ScrollBar(), kscTrack, pos);
    holder->BarScroll(holder->ScrollBar(), kscLineDown, pos);
    holder->ScrollBar()->SetOrientation(ksoHorizontal);
    holder->BarScroll(holder->ScrollBar(), kscPageUp, pos);
    ASSERT_EQ(target->got.size(), 3u);
    EXPECT_EQ(target->got[0], (std::pair<UINT, WPARAM>{WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 7)}));
    EXPECT_EQ(target->got[1], (std::pair<UINT, WPARAM>{WM_VSCROLL, SB_LINEDOWN}));
    EXPECT_EQ(target->got[2], (std::pair<UINT, WPARAM>{WM_HSCROLL, MAKEWPARAM(SB_PAGEUP, 7)}));
    EXPECT_FALSE(target->synced_while_sent);
    EXPECT_TRUE(holder->Syncing());
}

TEST_F(InplaceTest, ListViewsScrollDirectly) {
    auto* list = new fw::TListView(form.get());
    list->SetParent(form.get());
    list->SetBounds(0, 0, 300, 120);
    list->SetViewStyle(fw::TViewStyle::vsReport);
    list->AddColumn()->SetWidth(200);
    for (int i = 0; i < 60; ++i)
        list->Items()->Add()->SetCaption("Row " + std::to_string(i));
    list->HandleNeeded();
    PumpPending();
    holder->Target = list;
    RECT item{LVIR_BOUNDS, 0, 0, 0};
    ::SendMessageW(list->Handle(), LVM_GETITEMRECT, 0, LPARAM(&item));
    const int row = item.bottom - item.top;
    int pos = 3;
    holder->BarScroll(holder->ScrollBar(), kscTrack, pos);
    PumpPending();
    const int top = int(::SendMessageW(list->Handle(), LVM_GETTOPINDEX, 0, 0));
    // Three font heights of pixels: three rows where a row is as high as the font.
    const int font = std::abs(list->Font()->Height());
    ASSERT_GT(row, 0);
    if (row == font)
        EXPECT_EQ(top, 3);
    else
        EXPECT_NEAR(top, 3 * font / row, 1) << "row " << row << " font " << font;

    // Icon views scroll lines by 16 pixels.
    list->SetViewStyle(fw::TViewStyle::vsIcon);
    PumpPending();
    POINT before{}, after{};
    ::SendMessageW(list->Handle(), LVM_GETORIGIN, 0, LPARAM(&before));
    pos = 0;
    holder->BarScroll(holder->ScrollBar(), kscLineDown, pos);
    PumpPending();
    ::SendMessageW(list->Handle(), LVM_GETORIGIN, 0, LPARAM(&after));
    EXPECT_EQ(std::abs(after.y - before.y), 16);
}

} // namespace
} // namespace dvr::skin
