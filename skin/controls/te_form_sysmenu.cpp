// The skinned form's own system menu and its emulated MDI handling: one maximized child
// covers the parent and parks the others, the parent's caption names that child, and the
// window menu lists the children.
#include "skin/controls/te_form.h"
#include "skin/controls/te_menubar.h"
#include "skin/controls/te_popupmenu.h"

#include "common/win/textconv.h"

#include <random>

namespace dvr::skin {

namespace {

const wchar_t* const kRestoreCaption = L"&Restore";
const wchar_t* const kMinimizeCaption = L"Mi&nimize";
const wchar_t* const kMaximizeCaption = L"Ma&ximize";
const wchar_t* const kRollupCaption = L"Ro&llup";
const wchar_t* const kTrayCaption = L"Minimize to &Tray";
const wchar_t* const kCloseCaption = L"&Close";

// The marker in the names of the items the form adds to the window menu.
const char* const kWindowMenuMarker = "zrmdiwi_rty";

std::string RandomNumberText() {
    static std::mt19937 gen{std::random_device{}()};
    return std::to_string(std::uniform_int_distribution<int>(0, 0xFFFFFE)(gen));
}

bool IsMarked(const TTeItem* Item) {
    return Item->Name().find(kWindowMenuMarker) != std::string::npos;
}

TTeDefaultForm* ActiveHookOf(fw::TComponent* Form) {
    if (!Form) return nullptr;
    for (int i = 0; i < Form->ComponentCount(); ++i)
        if (auto* h = dynamic_cast<TTeDefaultForm*>(Form->Components(i)))
            if (h->Active()) return h;
    return nullptr;
}

} // namespace

// ---- system menu ----

TTeItem* TTeDefaultForm::CreateItem(fw::TComponent* AOwner) {
    return new TTeItem(AOwner);
}

TTeItem* TTeDefaultForm::AddSystemMenuItem(const std::wstring& Caption, fw::TShortCut ShortCut) {
    TTeItem* item = CreateItem(this);
    item->SetCaption(Caption);
    item->SetShortCut(ShortCut);
    item->OnClick = fw::TNotifyEvent(this, &TTeDefaultForm::SystemMenuClick);
    system_menu_->Add(item);
    return item;
}

void TTeDefaultForm::BuildSystemMenu() {
    if (system_menu_) system_menu_->Free();
    system_menu_ = CreateItem(this);
    using S = TTeWindowState;
    const S st = window_state_;
    auto in = [st](std::initializer_list<S> states) {
        for (S s : states)
            if (s == st) return true;
        return false;
    };
    if (in({S::kwsMaximized, S::kwsMinimized, S::kwsRollup, S::kwsTray}))
        AddSystemMenuItem(kRestoreCaption, 0)->SetImageIndex(3);
    if (border_icons_.Contains(TTeBorderIcon::kbiMinimize) &&
        in({S::kwsNormal, S::kwsMaximized, S::kwsRollup}))
        AddSystemMenuItem(kMinimizeCaption, 0)->SetImageIndex(1);
    if (border_icons_.Contains(TTeBorderIcon::kbiMaximize) && in({S::kwsNormal, S::kwsRollup}))
        AddSystemMenuItem(kMaximizeCaption, 0)->SetImageIndex(2);
    if (border_icons_.Contains(TTeBorderIcon::kbiRollup) && in({S::kwsNormal, S::kwsMaximized}))
        AddSystemMenuItem(kRollupCaption, 0)->SetImageIndex(4);
    if (border_icons_.Contains(TTeBorderIcon::kbiTray) &&
        in({S::kwsNormal, S::kwsMaximized, S::kwsRollup}))
        AddSystemMenuItem(kTrayCaption, 0)->SetImageIndex(5);
    if (border_icons_.Contains(TTeBorderIcon::kbiClose)) {
        if (system_menu_->Count() > 0) AddSystemMenuItem(L"-", 0);
        AddSystemMenuItem(kCloseCaption, fw::TextToShortCut("Alt+F4"))->SetImageIndex(0);
    }
    system_menu_->SetPopupMenuOptions(system_menu_options_.get());
}

void TTeDefaultForm::SystemMenuClick(fw::TObject* Sender) {
    auto* item = dynamic_cast<TTeItem*>(Sender);
    if (!item) return;
    const std::wstring& c = item->Caption();
    if (c == kMaximizeCaption)
        Maximize();
    else if (c == kMinimizeCaption)
        Minimize();
    else if (c == kCloseCaption)
        Close();
    else if (c == kRollupCaption)
        Rollup();
    else if (c == kRestoreCaption)
        Restore();
    else if (c == kTrayCaption)
        MinimizeToTray();
}

void TTeDefaultForm::ShowSystemMenu() {
    hot_part_ = kfhAfterStateChange;
    InitPopupMenus();
    const bool tray = window_state_ == TTeWindowState::kwsTray;
    TPoint p;
    if (tray) {
        POINT cp{};
        ::GetCursorPos(&cp);
        p = TPoint{cp.x, cp.y};
    } else if (menu_point_.X != 0 || menu_point_.Y != 0) {
        p = menu_point_;
    } else if (fw::TWinControl* c = GetControl()) {
        p = c->ClientToScreen(TPoint{0, 0});
    }
    if (tray && tray_menu_link_) {
        if (auto* m = dynamic_cast<TTePopupMenu*>(tray_menu_link_)) {
            m->SetPopupMenuOptions(tray_menu_options_.get());
            m->Items()->SetForegroundOnPopup(1);
        }
        tray_menu_link_->Popup(p.X, p.Y);
        return;
    }
    if (!tray && system_menu_link_) {
        if (auto* m = dynamic_cast<TTePopupMenu*>(system_menu_link_))
            m->SetPopupMenuOptions(system_menu_options_.get());
        system_menu_link_->Popup(p.X, p.Y);
        return;
    }
    BuildSystemMenu();
    system_menu_->SetForegroundOnPopup(tray ? 1 : 0);
    system_menu_->DropDown(nullptr, p, TRect{});
}

// ---- emulated MDI ----

fw::TCustomForm* TTeDefaultForm::GetMDIParentForm() {
    fw::TCustomForm* form = GetForm();
    if (!form || form->FormStyle() != fw::TFormStyle::fsMDIChild) return nullptr;
    if (auto* owner = dynamic_cast<fw::TCustomForm*>(form->Owner())) return owner;
    return fw::Application ? fw::Application->MainForm() : nullptr;
}

TTeDefaultForm* TTeDefaultForm::FindParentFormHook() {
    return ActiveHookOf(GetMDIParentForm());
}

std::vector<fw::TCustomForm*> TTeDefaultForm::MDIChildren() {
    std::vector<fw::TCustomForm*> list;
    fw::TCustomForm* parent = IsMDIForm() ? GetForm() : GetMDIParentForm();
    if (!parent || !fw::Screen) return list;
    if (parent->FormStyle() == fw::TFormStyle::fsMDIForm) {
        for (int i = 0; i < parent->MDIChildCount(); ++i) list.push_back(parent->MDIChildren(i));
        return list;
    }
    for (int i = 0; i < fw::Screen->FormCount(); ++i) {
        fw::TCustomForm* f = fw::Screen->Forms(i);
        if (f->FormStyle() != fw::TFormStyle::fsMDIChild) continue;
        fw::TCustomForm* p = dynamic_cast<fw::TCustomForm*>(f->Owner());
        if (!p && fw::Application) p = fw::Application->MainForm();
        if (p == parent) list.push_back(f);
    }
    return list;
}

bool TTeDefaultForm::HasMaximizedMDIChild() {
    if (!IsMDIChild() && !IsMDIForm()) return false;
    for (fw::TCustomForm* f : MDIChildren()) {
        if (IsMDIChild() && f->WindowState() == fw::TWindowState::wsMaximized) return true;
        TTeDefaultForm* h = ActiveHookOf(f);
        if (h && h->WindowState() == TTeWindowState::kwsMaximized) return true;
    }
    return false;
}

void TTeDefaultForm::UpdateMDIParentCaption() {
    fw::TCustomForm* p = GetMDIParentForm();
    if (!p) return;
    std::wstring t = win::GbkToWide(p->GetText());
    size_t bracket = t.find(L'[');
    if (bracket != std::wstring::npos) t = t.substr(0, bracket >= 3 ? bracket - 3 : 0);
    if (HasMaximizedMDIChild()) {
        p->SetText(win::WideToGbk(t + L" - [" + caption_ + L"]"));
        if (p->HandleAllocated()) ::PostMessageW(p->WindowHandle(), TM_FRAMECHANGED, 0, 0);
    } else {
        p->SetText(win::WideToGbk(t));
    }
}

void TTeDefaultForm::RebuildWindowMenu() {
    auto* menu = dynamic_cast<TTeItem*>(window_menu_);
    if (switching_child_ || !menu || !IsMDIForm()) return;
    for (int i = 0; i < menu->Count(); ++i) {
        if (!IsMarked(menu->Items(i))) continue;
        while (menu->Count() > i) {
            TTeItem* gone = menu->Items(menu->Count() - 1);
            menu->Remove(gone);
            gone->Free();
        }
        break;
    }
    window_menu_hooks_.clear();
    std::vector<fw::TCustomForm*> children = MDIChildren();
    fw::TCustomForm* active = GetForm() ? GetForm()->ActiveMDIChild() : nullptr;
    if (!active && fw::Screen) active = fw::Screen->ActiveForm();
    const fw::TMetaClass* cls = menu->ClassType();
    auto make = [&]() {
        auto* item = static_cast<TTeItem*>(cls->CreateComponent(menu->Owner()));
        return item ? item : new TTeItem(menu->Owner());
    };
    bool first = true;
    for (int i = int(children.size()) - 1; i >= 0; --i) {
        fw::TCustomForm* child = children[size_t(i)];
        if (first) {
            TTeItem* sep = make();
            sep->SetCaption(L"-");
            sep->SetName(std::string(kWindowMenuMarker) + "_" + RandomNumberText() + "_sep" +
                         RandomNumberText());
            menu->Add(sep);
            first = false;
        }
        TTeDefaultForm* hook = ActiveHookOf(child);
        TTeItem* entry = make();
        entry->SetCaption(hook ? hook->Caption() : win::GbkToWide(child->GetText()));
        entry->SetChecked(child == active);
        entry->SetName(std::string(kWindowMenuMarker) + "_" + RandomNumberText() +
                       RandomNumberText());
        entry->OnClick = fw::TNotifyEvent(this, &TTeDefaultForm::WindowMenuItemClick);
        // The tag is 32 bits: the entry's child hook is kept beside the menu instead.
        window_menu_hooks_.emplace_back(entry, hook);
        menu->Add(entry);
    }
}

void TTeDefaultForm::WindowMenuItemClick(fw::TObject* Sender) {
    auto* item = dynamic_cast<TTeItem*>(Sender);
    auto* menu = dynamic_cast<TTeItem*>(window_menu_);
    if (!item) return;
    if (menu)
        for (int i = 0; i < menu->Count(); ++i)
            if (IsMarked(menu->Items(i))) menu->Items(i)->SetChecked(false);
    TTeDefaultForm* hook = nullptr;
    for (auto& e : window_menu_hooks_)
        if (e.first == item) hook = e.second;
    // Only a hook still on one of the children counts: the child may be gone meanwhile.
    bool live = false;
    for (fw::TCustomForm* f : MDIChildren()) live = live || (hook && ActiveHookOf(f) == hook);
    if (!live) hook = nullptr;
    if (hook && hook->GetForm()) {
        switching_child_ = true;
        try {
            fw::TCustomForm* child = hook->GetForm();
            if (child->CanFocus()) child->SetFocus();
            child->BringToFront();
        } catch (...) {
            switching_child_ = false;
            throw;
        }
        switching_child_ = false;
    }
    item->SetChecked(true);
}

void TTeDefaultForm::ParkOtherMDIChildren() {
    if (!FindParentFormHook()) return;
    for (fw::TCustomForm* f : MDIChildren()) {
        for (int i = 0; i < f->ComponentCount(); ++i) {
            auto* h = dynamic_cast<TTeDefaultForm*>(f->Components(i));
            if (!h) continue;
            // Parked once: a second maximize must not save the parking limits.
            if (!h->mdi_parked_) h->saved_constraints_.Assign(h->constraints_.get());
            h->mdi_parked_ = true;
            h->constraints_->MinWidth = 5;
            h->constraints_->MinHeight = 5;
            if (h == this) continue; // the maximized child itself keeps its bounds
            if (h->window_state_ != TTeWindowState::kwsNormal) {
                h->mdi_restore_rect_ = TRect{};
            } else {
                h->mdi_restore_rect_ = f->BoundsRect();
                f->SetBounds(0, 0, 10, 10);
            }
        }
    }
    UpdateMDIParentCaption();
}

void TTeDefaultForm::RestoreOtherMDIChildren() {
    if (IsMDIForm()) {
        for (fw::TCustomForm* f : MDIChildren()) {
            TTeDefaultForm* h = ActiveHookOf(f);
            if (h && h->window_state_ == TTeWindowState::kwsMaximized) h->Restore();
        }
        return;
    }
    if (!IsMDIChild()) return;
    for (fw::TCustomForm* f : MDIChildren()) {
        TTeDefaultForm* h = ActiveHookOf(f);
        if (!h) continue;
        h->constraints_->MinHeight = h->saved_constraints_.MinHeight;
        h->constraints_->MinWidth = h->saved_constraints_.MinWidth;
        h->mdi_parked_ = false;
        if (h == this) continue;
        if (h->mdi_restore_rect_.Width() <= 0)
            h->Restore();
        else
            f->SetBoundsRect(h->mdi_restore_rect_);
    }
    UpdateMDIParentCaption();
}

void TTeDefaultForm::MDIChildMaximized() {
    if (!IsMDIChild()) return;
    ParkOtherMDIChildren();
    if (TTeDefaultForm* parent = FindParentFormHook())
        if (auto* bar = dynamic_cast<TTeMenuBar*>(parent->MenuBar())) bar->ShowMDIButtons(this);
}

void TTeDefaultForm::MDIActivated(HWND Deactivated, HWND Activated) {
    HWND wnd = GetHandle();
    TTeDefaultForm* parent = FindParentFormHook();
    if (parent) parent->RebuildWindowMenu();
    if (!HasMaximizedMDIChild()) return;
    UpdateMDIParentCaption();
    if (wnd && Deactivated == wnd) {
        if (parent)
            if (auto* bar = dynamic_cast<TTeMenuBar*>(parent->MenuBar())) bar->ShowMDIButtons(this);
    }
    // The maximized look passes to the child coming to the front.
    if (wnd && Activated == wnd && window_state_ != TTeWindowState::kwsMaximized)
        ::PostMessageW(wnd, TM_MAXIMIZECHILD, 0, 0);
}

void TTeDefaultForm::MDIChildLeftMaximized() {
    if (!IsMDIChild()) return;
    if (TTeDefaultForm* parent = FindParentFormHook())
        if (auto* bar = dynamic_cast<TTeMenuBar*>(parent->MenuBar())) bar->HideMDIButtons();
    RestoreOtherMDIChildren();
}

} // namespace dvr::skin
