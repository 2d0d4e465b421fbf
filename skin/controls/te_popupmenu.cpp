#include "skin/controls/te_popupmenu.h"

#include "skin/engine/te_theme.h"
#include "skin/engine/te_utils_win.h"
#include "skin/engine/te_winapi.h"

#include <algorithm>

namespace dvr::skin {

TTePopupMenu* ActivePopupMenu = nullptr;

namespace {

void AddToPopupMenu(fw::TComponent* Container, TTeItem* Item) {
    TTePopupMenu::AddItem(Container, Item);
}

const fw::TMetaClass* PopupMenuItemClass() {
    return TTePopupMenu::GetItemClass();
}

// Top-left and bottom-right lines of a one-pixel bevel.
void Bevel(HDC DC, TRect R, fw::TColor TopLeft, fw::TColor BottomRight) {
    FillRectCoords(DC, R.Left, R.Top, R.Right, R.Top + 1, TopLeft);
    FillRectCoords(DC, R.Left, R.Top, R.Left + 1, R.Bottom, TopLeft);
    FillRectCoords(DC, R.Left, R.Bottom - 1, R.Right, R.Bottom, BottomRight);
    FillRectCoords(DC, R.Right - 1, R.Top, R.Right, R.Bottom, BottomRight);
}

TRect Shrunk(TRect R, int By) {
    return TRect{R.Left + By, R.Top + By, R.Right - By, R.Bottom - By};
}

bool HasVisibleSubItem(TTeItem* Item) {
    for (int i = 0; i < Item->Count(); ++i)
        if (Item->Items(i)->Visible()) return true;
    return false;
}

} // namespace

void InitPopupMenus() {
    SetItemDropDownProc(&PopupDropDown);
}

// ---- the popup menu ----

TTePopupMenu::TTePopupMenu(fw::TComponent* AOwner)
    : fw::TPopupMenu(AOwner), options_(std::make_unique<TTePopupMenuOptions>()) {
    RegisterItemContainer(StaticClass(), &AddToPopupMenu, &PopupMenuItemClass);
    InitPopupMenus();
    items_ = static_cast<TTeItem*>(GetItemClass()->CreateComponent(this));
    if (!items_) items_ = new TTeItem(this);
}

// Free tears the owned components down before the destructor runs: the root goes first,
// while the menu is whole.
void TTePopupMenu::BeforeDestruction() {
    fw::TPopupMenu::BeforeDestruction();
    if (items_) {
        items_->SetPopupMenuOptions(nullptr);
        items_->Free();
        items_ = nullptr;
    }
}

TTePopupMenu::~TTePopupMenu() {
    if (ActivePopupMenu == this) ActivePopupMenu = nullptr;
    if (items_) {
        items_->SetPopupMenuOptions(nullptr);
        items_->Free();
        items_ = nullptr;
    }
    options_.reset();
    UnregisterItemContainer(StaticClass());
}

void TTePopupMenu::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    fw::TPopupMenu::Notification(AComponent, Operation);
    if (Operation == fw::TOperation::opRemove && AComponent == items_) items_ = nullptr;
}

void TTePopupMenu::Loaded() {
    fw::TPopupMenu::Loaded();
    if (items_) items_->SetBiDiMode(bidi_mode_);
}

void TTePopupMenu::GetChildren(const std::function<void(fw::TComponent*)>& Proc,
                               fw::TComponent* Root) {
    fw::TPopupMenu::GetChildren(Proc, Root);
    if (items_)
        for (int i = 0; i < items_->Count(); ++i) Proc(items_->Items(i));
}

void TTePopupMenu::AddItem(fw::TComponent* Parent, TTeItem* Item) {
    if (auto* menu = dynamic_cast<TTePopupMenu*>(Parent); menu && menu->items_)
        menu->items_->Add(Item);
}

void TTePopupMenu::CloseMenu() {
    if (auto* owner = dynamic_cast<fw::TWinControl*>(Owner()))
        if (owner->HandleAllocated()) ::PostMessageW(owner->WindowHandle(), WM_NCMBUTTONDBLCLK, 0, 0);
}

void TTePopupMenu::Popup(int X, int Y) {
    if (!items_) return;
    if (ActivePopupMenu) {
        ActivePopupMenu->CloseMenu();
        if (fw::Application) fw::Application->ProcessMessages();
    }
    ActivePopupMenu = this;
    struct Reset {
        ~Reset() { ActivePopupMenu = nullptr; }
    } reset;
    items_->SetPopupMenuOptions(options_.get());
    if (auto* owner = dynamic_cast<fw::TWinControl*>(Owner())) items_->SetOwnerControl(owner);
    items_->SetAnimatePending(1);
    items_->SetAnimateFirstOnly(1);
    if (OnPopup) OnPopup(this);
    items_->DropDown(nullptr, TPoint{X, Y}, TRect{});
}

// ---- the form of a level ----

TTePopupForm::TTePopupForm(fw::TComponent* AOwner) : TTeForm(AOwner) {
    SetBorderIcons(TTeBorderIcons{});
    SetBorderStyle(TTeBorderStyle::kbsNone);
    dragging_->Sizeable = false;
    dragging_->Moveable = false;
    performance_ = TTeFormPerformance::kfpNoBuffer;
    SetThemeObject("default");
    SetActive(true);
}

TRect TTePopupForm::ContentRectFor(int Width, int Height) {
    TRect menu{0, 0, Width, Height};
    if (CurrentThemeHasMenuStyle(2, ThemeObject())) {
        TRect content;
        CurrentTheme()->GetMenuContentRect(2, menu, content, ThemeObject());
        return content;
    }
    return Shrunk(menu, 3);
}

// The frame is taken from the form's size without the shadow, so that the shadow lies
// outside it.
void TTePopupForm::GetFrameMargins(TRect& Rect) {
    Rect = ContentRectFor(form_width_, form_height_);
}

void TTePopupForm::GetMinTrackSize(TPoint& Size) {
    Size = TPoint{10, 10};
}

void TTePopupForm::PaintNonClient(fw::TCanvas& Canvas) {
    TTePopupView* view = popup_window_ ? popup_window_->View() : nullptr;
    if (!view || !view->Items() || view->Items()->Count() == 0) return;
    TRect r{0, 0, form_width_, form_height_};
    if (CurrentThemeHasMenuStyle(2, ThemeObject())) {
        CurrentTheme()->PaintMenuFrame(2, Canvas, ThemeObject(), r);
        return;
    }
    HDC dc = Canvas.Handle();
    if (IsSystemThemeActive()) {
        DrawFrameRect(dc, r, fw::clBtnShadow);
        DrawFrameRect(dc, Shrunk(r, 1), fw::clMenu);
        DrawFrameRect(dc, Shrunk(r, 2), fw::clMenu);
        return;
    }
    Bevel(dc, r, fw::clBtnFace, fw::clBlack);
    Bevel(dc, Shrunk(r, 1), fw::clBtnHighlight, fw::clBtnShadow);
    Bevel(dc, Shrunk(r, 2), fw::clMenu, fw::clMenu);
}

void TTePopupForm::PaintClientBackground() {
    TTePopupView* view = popup_window_ ? popup_window_->View() : nullptr;
    if (!view) return;
    view->SetOrigin(TPoint{0, 0});
    view->Paint(Canvas());
}

void TTePopupForm::NotifyOwnerActive() {
    if (notify_control_ && notify_control_->HandleAllocated())
        ::SendMessageW(notify_control_->WindowHandle(), WM_NCACTIVATE, 1, 0);
}

void TTePopupForm::WMActivate(fw::TMessage& M) {
    TTeDefaultForm::WMActivate(M);
    NotifyOwnerActive();
}

void TTePopupForm::WMMouseActivate(fw::TMessage&) {
    NotifyOwnerActive();
}

// ---- the view of a level ----

TTePopupView::TTePopupView(TTePopupWindow* Window, TTeItem* Items)
    : TTeItemView(nullptr, Items, false, false), window_(Window) {}

void TTePopupView::SetContentSize(SIZE Size) {
    TTePopupForm* form = window_->PopupForm();
    TRect content = form->ContentRectFor(1000, 1000);
    const int s = form->Shadow()->Enabled() ? form->Shadow()->Size() : 0;
    window_->SetBounds(window_->Left(), window_->Top(),
                       Size.cx + content.Left + (1000 - content.Right) + s,
                       Size.cy + content.Top + (1000 - content.Bottom) + s);
}

void TTePopupView::MoveTo(TPoint Point) {
    window_->SetBounds(Point.X, Point.Y, window_->Width(), window_->Height());
}

void TTePopupView::Invalidate() {
    if (window_->PopupForm()) window_->PopupForm()->Invalidate();
}

void TTePopupView::InvalidateItem(TTeItem* Item) {
    TTePopupForm* form = window_->PopupForm();
    if (!Item || !form) return;
    const bool buffered =
        form->Performance() != TTeFormPerformance::kfpNoBuffer || form->Blending()->Enabled();
    if (buffered && Item->Parent()) {
        TTeItem* parent = Item->Parent();
        parent->SetSkipPaint(1);
        Item->SetSkipPaint(0);
        try {
            form->PaintBackgroundRect(GetItemRect(Item));
        } catch (...) {
            parent->SetSkipPaint(0);
            throw;
        }
        parent->SetSkipPaint(0);
        return;
    }
    if (!window_->HandleAllocated() || !form->Canvas()->HandleAllocated()) return;
    form->Canvas()->SetFont(MenuFont());
    Item->PaintItem(form->Canvas(), this, GetItemRect(Item), Item == HotItem(), !Tracking());
}

void TTePopupView::InvalidateScrollButton(int Kind) {
    TTePopupForm* form = window_->PopupForm();
    if (!form) return;
    const bool buffered =
        form->Performance() != TTeFormPerformance::kfpNoBuffer || form->Blending()->Enabled();
    if (buffered) {
        Items()->SetSkipPaint(1);
        try {
            form->PaintBackgroundRect(GetScrollButtonRect(Kind));
        } catch (...) {
            Items()->SetSkipPaint(0);
            throw;
        }
        Items()->SetSkipPaint(0);
        return;
    }
    if (!window_->HandleAllocated() || !form->Canvas()->HandleAllocated()) return;
    Items()->PaintScrollButton(form->Canvas(), this, GetScrollButtonRect(Kind), Kind,
                               ScrollDirection() == Kind);
}

// ---- the window of a level ----

TTePopupWindow::TTePopupWindow(fw::TComponent* AOwner, TTeItemView* ParentView, TTeItem* Item)
    : fw::TForm(AOwner) {
    const fw::TMetaClass* form_class = GetPopupFormClass();
    popup_form_ = dynamic_cast<TTePopupForm*>(form_class->CreateComponent(this));
    if (!popup_form_) popup_form_ = new TTePopupForm(this);
    popup_form_->SetPopupWindow(this);
    popup_form_->SetStayOnTop(true);
    auto* options = static_cast<TTePopupMenuOptions*>(Item->PopupMenuOptions());
    if (options) {
        popup_form_->SetBlending(options->Blending());
        popup_form_->SetShadow(options->Shadow());
        if (!Item->AnimateFirstOnly() || Item->AnimatePending()) {
            popup_form_->SetAnimation(options->Animation());
            (Item->Parent() ? Item->Parent() : Item)->SetAnimatePending(0);
        }
    }
    if (auto* oo = AOwner ? dynamic_cast<fw::TWinControl*>(AOwner->Owner()) : nullptr)
        popup_form_->SetNotifyControl(oo);
    else if (auto* o = dynamic_cast<fw::TWinControl*>(AOwner))
        popup_form_->SetNotifyControl(o);
    view_ = new TTePopupView(this, Item);
    view_->SetCanvas(popup_form_->Canvas());
    view_->SetContainer(this);
    view_->SetHost(this);
    view_->SetParentView(ParentView);
    popup_form_->Loaded();
    SetCursor(fw::crDefault);
}

// Free tears the owned components down before the destructor runs: the view and then the
// form hook go first, while the window is whole.
void TTePopupWindow::BeforeDestruction() {
    delete view_;
    view_ = nullptr;
    if (popup_form_) popup_form_->Free();
    popup_form_ = nullptr;
    fw::TForm::BeforeDestruction();
}

TTePopupWindow::~TTePopupWindow() {
    delete view_;
    view_ = nullptr;
    if (popup_form_) popup_form_->Free();
    popup_form_ = nullptr;
}

void TTePopupWindow::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    fw::TForm::Notification(AComponent, Operation);
    if (Operation == fw::TOperation::opRemove && AComponent == popup_form_) popup_form_ = nullptr;
}

void TTePopupWindow::CreateParams(fw::TCreateParams& Params) {
    fw::TForm::CreateParams(Params);
    // The hook draws the whole frame: a bare popup window, never in the task bar.
    Params.Style &= ~DWORD(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                           WS_MAXIMIZEBOX);
    Params.Style |= WS_POPUP;
    Params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
}

void TTePopupWindow::CMShowingChanged(fw::TMessage&) {
    HandleNeeded();
    ::SetWindowPos(WindowHandle(), nullptr, 0, 0, 0, 0, Visible() ? 0x57 : 0x97);
}

void TTePopupWindow::UpdateSize() {
    view_->CalcSize();
}

void TTePopupWindow::Track() {
    view_->Track();
}

// ---- opening a level ----

TPoint PopupPlacement(TPoint P, TRect IR, bool FromMenuBar, int W, int H, TRect R) {
    const bool no_item = IR.Right <= IR.Left || IR.Bottom <= IR.Top;
    TPoint at;
    if (no_item) {
        at = P;
        if (at.X + W > R.Right) at.X = P.X - W;
        if (at.Y + H > R.Bottom) at.Y = P.Y - H;
        return at;
    }
    if (FromMenuBar) {
        at = TPoint{IR.Left, IR.Bottom};
        if (at.X + W > R.Right) at.X = IR.Right - W;
        if (at.Y + H > R.Bottom) {
            at.Y = IR.Top - H;
            if (at.Y < R.Top) at.Y = R.Top;
        }
    } else {
        at = TPoint{IR.Right, IR.Top};
        if (at.X + W > R.Right) at.X = IR.Left - W;
        if (at.Y + H > R.Bottom) at.Y = IR.Bottom - H;
    }
    if (at.X + W > R.Right) at.X = R.Right - W;
    if (at.Y + H > R.Bottom) at.Y = R.Bottom - H;
    return at;
}

void PopupDropDown(TTeItem* Item, TTeItemView* View, TPoint Point, TRect ItemRect) {
    if (!Item || !HasVisibleSubItem(Item)) return;
    struct FreeWindow {
        void operator()(TTePopupWindow* W) const { W->Free(); }
    };
    std::unique_ptr<TTePopupWindow, FreeWindow> window(
        new TTePopupWindow(Item->Owner(), View, Item));
    RECT mr{};
    GetMonitorRectFromPoint(POINT{Point.X, Point.Y}, false, mr);
    TRect monitor{mr.left, mr.top, mr.right, mr.bottom};
    window->SetBounds(Point.X, Point.Y, window->Width(), window->Height());
    window->UpdateSize();
    TPoint at = PopupPlacement(Point, ItemRect, View && View->IsMenuBar(), window->Width(),
                               window->Height(), monitor);
    window->SetBounds(at.X, at.Y, window->Width(), window->Height());
    auto* skinned = dynamic_cast<TTeDefaultForm*>(Item->FindSkinnedForm());
    if (skinned) skinned->DisablePainting();
    try {
        window->SetVisible(true);
    } catch (...) {
        if (skinned) skinned->EnablePainting();
        throw;
    }
    if (skinned) skinned->EnablePainting();
    if (Item->ForegroundOnPopup()) ::SetForegroundWindow(window->WindowHandle());
    if (View) View->SetChildView(window->View());
    try {
        window->Track();
    } catch (...) {
        if (View) View->SetChildView(nullptr);
        throw;
    }
    if (View) View->SetChildView(nullptr);
}

} // namespace dvr::skin
