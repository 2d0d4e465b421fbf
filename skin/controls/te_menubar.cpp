#include "skin/controls/te_menubar.h"

#include "framework/ui/forms.h"
#include "skin/controls/te_controlbar.h"
#include "skin/controls/te_form.h"
#include "skin/controls/te_popupmenu.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_utils_win.h"
#include "skin/engine/te_winapi.h"

#include <windowsx.h>

namespace dvr::skin {

namespace {

void AddToMenuBar(fw::TComponent* Container, TTeItem* Item) {
    TTeMenuBar::AddItem(Container, Item);
}

const fw::TMetaClass* MenuBarItemClass() {
    return TTeMenuBar::GetItemClass();
}

} // namespace

// ---- the view ----

TTeMenuBarView::TTeMenuBarView(TTeMenuBar* Bar, TTeItem* Items)
    : TTeItemView(nullptr, Items, true, true), bar_(Bar) {}

void TTeMenuBarView::SetContentSize(SIZE Size) {
    if (!bar_->AutoSize()) return;
    TRect r;
    bar_->GetContentRect(r);
    bar_->SetAutoSizeRect(TRect{bar_->Left(), bar_->Top(), bar_->Left() + bar_->Width(),
                                bar_->Top() + Size.cy + r.Top + (bar_->CachedHeight() - r.Bottom)});
}

void TTeMenuBarView::Invalidate() {
    if (!bar_->UpdatingMDI()) bar_->Invalidate();
}

void TTeMenuBarView::InvalidateItem(TTeItem* Item) {
    if (bar_->UpdatingMDI() || !Item) return;
    if (dynamic_cast<TTeControlBar*>(bar_->Parent()) ||
        bar_->Performance() != TTePerformance::kpNoBuffer || !bar_->HandleAllocated()) {
        bar_->Invalidate();
        return;
    }
    fw::TCanvas* c = bar_->Canvas();
    c->SetFont(MenuFont());
    Item->PaintItem(c, this, GetItemRect(Item), Item == HotItem(), !Tracking());
}

// ---- the bar ----

TTeMenuBar::TTeMenuBar(fw::TComponent* AOwner)
    : TTeControl(AOwner), options_(std::make_unique<TTePopupMenuOptions>()) {
    RegisterItemContainer(StaticClass(), &AddToMenuBar, &MenuBarItemClass);
    InitPopupMenus();
    control_style_.Include(fw::TControlStyleItem::csActionClient);
    items_ = static_cast<TTeItem*>(GetItemClass()->CreateComponent(this));
    if (!items_) items_ = new TTeItem(this);
    items_->SetParentComponentValue(this);
    items_->OnTreeChange = fw::TNotifyEvent(this, &TTeMenuBar::ItemsChanged);
    view_ = new TTeMenuBarView(this, items_);
    view_->SetCanvas(Canvas());
    view_->SetContainer(this);
    view_->SetHost(this);
    SetColor(fw::clMenu);
    SetHeight(::GetSystemMetrics(SM_CYMENU));
    AddThemeNotification(this);
}

// Free tears the owned components down before the destructor runs: view and root go first,
// while the bar is whole.
void TTeMenuBar::BeforeDestruction() {
    TTeControl::BeforeDestruction();
    delete view_;
    view_ = nullptr;
    if (items_) {
        items_->SetPopupMenuOptions(nullptr);
        items_->Free();
        items_ = nullptr;
    }
}

TTeMenuBar::~TTeMenuBar() {
    RemoveThemeNotification(this);
    delete view_;
    view_ = nullptr;
    if (items_) {
        items_->SetPopupMenuOptions(nullptr);
        items_->Free();
        items_ = nullptr;
    }
    options_.reset();
    UnregisterItemContainer(StaticClass());
}

void TTeMenuBar::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    TTeControl::Notification(AComponent, Operation);
    if (Operation != fw::TOperation::opRemove) return;
    if (AComponent == items_) {
        items_ = nullptr;
        if (view_) {
            delete view_;
            view_ = nullptr;
        }
    }
    for (TTeItem*& i : mdi_items_)
        if (AComponent == i) i = nullptr;
    if (AComponent == mdi_form_) mdi_form_ = nullptr;
}

void TTeMenuBar::SetAutoSize(bool Value) {
    if (auto_size_ == Value) return;
    auto_size_ = Value;
    if (auto_size_) UpdateAutoSize();
}

void TTeMenuBar::SetShowBevel(bool Value) {
    if (show_bevel_ == Value) return;
    show_bevel_ = Value;
    Invalidate();
}

TTeItem* TTeMenuBar::MDIItem(int Kind) const {
    return Kind >= 1 && Kind <= 4 ? mdi_items_[Kind - 1] : nullptr;
}

bool TTeMenuBar::OnControlBar() const {
    return dynamic_cast<TTeControlBar*>(Parent()) != nullptr;
}

int TTeMenuBar::MenuKind() {
    return OnControlBar() && CurrentThemeHasMenuStyle(1, theme_object_) ? 1 : 0;
}

void TTeMenuBar::Loaded() {
    TTeControl::Loaded();
    items_->SetPopupMenuOptions(options_.get());
    auto* form = dynamic_cast<fw::TCustomForm*>(Owner());
    if (form && form->FormStyle() == fw::TFormStyle::fsMDIForm && !mdi_items_[0]) {
        // Icon first, then minimize, restore and close at the right.
        const uint8_t kinds[4] = {4, 3, 2, 1};
        for (uint8_t kind : kinds) {
            auto* item = static_cast<TTeItem*>(GetItemClass()->CreateComponent(Owner()));
            if (!item) item = new TTeItem(Owner());
            item->SetItemKind(kind);
            item->SetVisible(false);
            item->OnClick = fw::TNotifyEvent(this, &TTeMenuBar::MDIItemClick);
            if (kind == 4)
                items_->Insert(0, item);
            else
                items_->Add(item);
            mdi_items_[kind - 1] = item;
            item->FreeNotification(this);
        }
    }
    items_->SetBiDiMode(TTeBiDiMode::bdLeftToRight);
    UpdateAutoSize();
}

void TTeMenuBar::GetContentRect(TRect& Rect) {
    if (CurrentThemeHasMenuStyle(0, theme_object_)) {
        CurrentTheme()->GetMenuContentRect(0, TRect{0, 0, Width(), Height()}, Rect, theme_object_);
        return;
    }
    Rect = TRect{0, 0, cached_width_, cached_height_};
    if (Align() == fw::TAlign::alTop) Rect.Bottom -= 2;
    if (Align() == fw::TAlign::alBottom) Rect.Top += 2;
}

void TTeMenuBar::AddItem(fw::TComponent* Parent, TTeItem* Item) {
    if (auto* bar = dynamic_cast<TTeMenuBar*>(Parent); bar && bar->items_) bar->items_->Add(Item);
}

void TTeMenuBar::RebuildItems() {
    if (!items_) return;
    items_->SetPopupMenuOptions(options_.get());
    if (auto* owner = dynamic_cast<fw::TWinControl*>(Owner())) items_->SetOwnerControl(owner);
    if (view_) view_->CalcSize();
    Invalidate();
}

void TTeMenuBar::ItemsChanged(fw::TObject*) {
    if (Loading() || Destroying() || updating_mdi_) return;
    RebuildItems();
    UpdateAutoSize();
}

void TTeMenuBar::InitiateAction() {
    if (view_) view_->InitiateAction();
}

void TTeMenuBar::GetChildren(const std::function<void(fw::TComponent*)>& Proc,
                             fw::TComponent* Root) {
    if (items_)
        for (int i = 0; i < items_->Count(); ++i)
            if (items_->Items(i)->ItemKind() == 0) Proc(items_->Items(i));
    TTeControl::GetChildren(Proc, Root);
}

void TTeMenuBar::SetParent(fw::TWinControl* AParent) {
    TTeControl::SetParent(AParent);
}

void TTeMenuBar::UpdateAutoSize() {
    AdjustSize();
}

bool TTeMenuBar::CanAutoSize(int&, int& NewHeight) {
    if (!view_ || !auto_size_) return false;
    view_->CalcSize();
    NewHeight = auto_size_rect_.Height();
    return NewHeight > 0;
}

void TTeMenuBar::Track() {
    if (!view_) return;
    items_->SetAnimatePending(1);
    items_->SetAnimateFirstOnly(1);
    if (auto* owner = dynamic_cast<fw::TWinControl*>(Owner())) items_->SetOwnerControl(owner);
    items_->SetPopupMenuOptions(options_.get());
    Invalidate();
    view_->Track();
    Invalidate();
}

bool TTeMenuBar::IsShortCut(const MSG& Msg) {
    return items_ && items_->IsShortCut(Msg);
}

void TTeMenuBar::ShowMDIButtons(TTeDefaultForm* Form) {
    if (!mdi_items_[0] || !items_) return;
    updating_mdi_ = 1;
    try {
        for (TTeItem* i : mdi_items_)
            if (i) i->SetVisible(true);
    } catch (...) {
        updating_mdi_ = 0;
        throw;
    }
    mdi_form_ = Form;
    if (Form) Form->FreeNotification(this);
    items_->SetMDIChildForm(Form ? Form->GetForm() : nullptr);
    updating_mdi_ = 0;
    if (view_) view_->CalcSize();
    Invalidate();
}

void TTeMenuBar::HideMDIButtons() {
    if (!mdi_items_[0] || !items_) return;
    updating_mdi_ = 1;
    try {
        for (TTeItem* i : mdi_items_)
            if (i) i->SetVisible(false);
    } catch (...) {
        updating_mdi_ = 0;
        throw;
    }
    updating_mdi_ = 0;
    mdi_form_ = nullptr;
    items_->SetMDIChildForm(nullptr);
    if (view_) view_->CalcSize();
    Invalidate();
}

void TTeMenuBar::MDIItemClick(fw::TObject* Sender) {
    auto* item = dynamic_cast<TTeItem*>(Sender);
    TTeDefaultForm* form = mdi_form_;
    if (!item || !form) return;
    switch (item->ItemKind()) {
    case 1:
        form->Close();
        break;
    case 2:
        form->Restore();
        break;
    case 3:
        form->Minimize();
        break;
    case 4:
        form->ShowSystemMenu();
        if (view_ && HandleAllocated()) view_->MouseMove(ClientToScreen(TPoint{-1, -1}));
        break;
    default:
        break;
    }
}

void TTeMenuBar::PaintBackground() {
    const int kind = MenuKind();
    fw::TCanvas& canvas = *Canvas();
    auto paint_items = [&] {
        if (!view_) return;
        TRect r;
        GetContentRect(r);
        view_->SetOrigin(TPoint{r.Left, r.Top});
        view_->CalcSize();
        view_->Paint(&canvas);
    };
    if (CurrentThemeHasMenuStyle(kind, theme_object_)) {
        CurrentTheme()->PaintMenuFrame(kind, canvas, theme_object_, TRect{0, 0, Width(), Height()});
        paint_items();
        return;
    }
    HDC dc = canvas.Handle();
    const bool visual = IsSystemThemeActive();
    if (OnControlBar() && visual && ThemeFunctions().OpenThemeData) {
        if (HTHEME theme = ThemeFunctions().OpenThemeData(Parent()->WindowHandle(), L"Rebar")) {
            RECT pr{-Left(), -Top(), Parent()->ClientWidth() - Left(),
                    Parent()->ClientHeight() - Top()};
            ThemeFunctions().DrawThemeBackground(theme, dc, 0, 0, &pr, nullptr);
            ThemeFunctions().CloseThemeData(theme);
        }
    } else if (OnControlBar()) {
        FillRectCoords(dc, 0, 0, Width(), Height(), Parent()->Color());
    } else {
        TTeControl::PaintBackground();
    }
    paint_items();
    if (!show_bevel_) return;
    const int h = cached_height_, w = cached_width_;
    if (Align() == fw::TAlign::alTop) {
        if (visual) {
            FillRectCoords(dc, 0, h - 1, w, h, fw::clHighlight);
        } else {
            FillRectCoords(dc, 0, h - 2, w, h - 1, fw::clBtnShadow);
            FillRectCoords(dc, 0, h - 1, w, h, fw::clBtnHighlight);
        }
    } else if (Align() == fw::TAlign::alBottom) {
        if (visual) {
            FillRectCoords(dc, 0, 0, w, 1, fw::clHighlight);
        } else {
            FillRectCoords(dc, 0, 0, w, 1, fw::clBtnShadow);
            FillRectCoords(dc, 0, 1, w, 2, fw::clBtnHighlight);
        }
    }
}

void TTeMenuBar::MouseMove(fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseMove(Shift, X, Y);
    if (view_) view_->MouseMove(ClientToScreen(TPoint{X, Y}));
}

void TTeMenuBar::WMLButtonDown(fw::TMessage& M) {
    FW_INHERITED(M);
    if (!view_) return;
    TPoint p{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
    for (int i = 0; i < items_->Count(); ++i) {
        TTeItem* it = items_->Items(i);
        TRect r = view_->GetItemRect(it);
        if (it->Visible() && p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom) {
            view_->MouseMove(ClientToScreen(p));
            Track();
            return;
        }
    }
}

void TTeMenuBar::CMMouseLeave(fw::TMessage& M) {
    TTeControl::CMMouseLeave(M);
    if (view_) view_->MouseMove(TPoint{-1, -1});
}

void TTeMenuBar::CMDialogChar(fw::TMessage& M) {
    const wchar_t ch = wchar_t(M.WParam);
    const bool alt = (M.LParam & 0x20000000) || ::GetKeyState(VK_MENU) < 0;
    if (ch != 0 && alt && items_ && items_->FindAccelItem(ch) && Parent() &&
        Parent()->HandleAllocated()) {
        ::PostMessageW(Parent()->WindowHandle(), WM_CHAR, WPARAM(ch), 0);
        Track();
        M.Result = 1;
        return;
    }
    FW_INHERITED(M);
}

void TTeMenuBar::TMThemeChange(fw::TMessage& M) {
    if (M.WParam == 0 || M.WParam == 3 || M.WParam == 4) {
        UpdateAutoSize();
        Invalidate();
    } else if (M.WParam == 5) {
        Invalidate();
    }
}

} // namespace dvr::skin
