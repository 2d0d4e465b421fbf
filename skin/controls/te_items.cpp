#include "skin/controls/te_items.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"
#include "skin/controls/te_itemview.h"

#include <algorithm>
#include <set>

namespace dvr::skin {

using fw::TMessage;

namespace {

// Never destroyed: items of forms the application frees during the program's exit run
// after the statics made before them are gone.
std::set<const TTeItem*>& LiveItems() {
    static auto* items = new std::set<const TTeItem*>;
    return *items;
}

bool ClassNamed(const fw::TObject* Object, const char* Name) {
    for (const fw::TMetaClass* c = Object ? Object->ClassType() : nullptr; c; c = c->ClassParent())
        if (c->ClassName() == Name) return true;
    return false;
}

struct ItemContainerEntry {
    const fw::TMetaClass* Class;
    TAddItemProc AddItem;
    TGetItemClassProc GetItemClass;
    int RefCount;
};

std::vector<ItemContainerEntry>*& ItemContainers() {
    static std::vector<ItemContainerEntry>* list = nullptr;
    return list;
}

TTeDropDownProc g_drop_down_proc = nullptr;

} // namespace

bool IsLiveItem(const TTeItem* Item) {
    return Item && LiveItems().count(Item) != 0;
}

void SetItemDropDownProc(TTeDropDownProc Proc) {
    g_drop_down_proc = Proc;
}

// ---- the item ----

TTeItem::TTeItem(fw::TComponent* AOwner) : fw::TComponent(AOwner) {
    LiveItems().insert(this);
}

TTeItem::~TTeItem() {
    destroying_ = true;
    LiveItems().erase(this);
    while (!items_.empty()) {
        TTeItem* last = items_.back();
        items_.pop_back();
        last->parent_ = nullptr;
        delete last;
    }
    if (parent_) parent_->Remove(this);
    if (images_) images_->RemoveFreeNotification(this);
    if (action_link_) {
        if (fw::TBasicAction* a = action_link_->Action()) a->RemoveFreeNotification(this);
        delete action_link_;
        action_link_ = nullptr;
    }
}

void TTeItem::SetCaption(const std::wstring& Value) {
    if (Value == caption_) return;
    caption_ = Value;
    Changed();
}

void TTeItem::SetChecked(bool Value) {
    if (Value == checked_) return;
    checked_ = Value;
    Changed();
}

void TTeItem::SetEnabled(bool Value) {
    if (Value == enabled_) return;
    enabled_ = Value;
    Changed();
}

void TTeItem::SetVisible(bool Value) {
    if (Value == visible_) return;
    visible_ = Value;
    Changed();
}

void TTeItem::SetImages(fw::TImageList* Value) {
    if (Value == images_) return;
    if (images_) images_->RemoveFreeNotification(this);
    images_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TTeItem::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    fw::TComponent::Notification(AComponent, Operation);
    if (Operation != fw::TOperation::opRemove) return;
    if (AComponent == images_) images_ = nullptr;
    if (AComponent && AComponent == Action()) SetAction(nullptr);
}

// ---- action ----

fw::TBasicAction* TTeItem::Action() const {
    return action_link_ ? action_link_->Action() : nullptr;
}

void TTeItem::SetAction(fw::TBasicAction* Value) {
    if (!Value) {
        if (action_link_) {
            if (fw::TBasicAction* a = action_link_->Action()) a->RemoveFreeNotification(this);
            delete action_link_;
            action_link_ = nullptr;
        }
        return;
    }
    if (!action_link_) action_link_ = new TTeItemActionLink(this);
    if (fw::TBasicAction* old = action_link_->Action(); old && old != Value)
        old->RemoveFreeNotification(this);
    action_link_->SetAction(Value);
    action_link_->OnChange = fw::TNotifyEvent(this, &TTeItem::DoActionChange);
    ActionChange(Value, Value->Loading());
    Value->FreeNotification(this);
}

void TTeItem::DoActionChange(fw::TObject* Sender) {
    if (Sender && Sender == Action()) ActionChange(Sender, false);
}

void TTeItem::ActionChange(fw::TObject* Sender, bool CheckDefaults) {
    auto* a = dynamic_cast<fw::TCustomAction*>(Sender);
    if (!a) return;
    if (!CheckDefaults || caption_.empty()) SetCaption(win::GbkToWide(a->Caption()));
    if (!CheckDefaults || !checked_) SetChecked(a->Checked());
    if (!CheckDefaults || enabled_) SetEnabled(a->Enabled());
    if (!CheckDefaults || help_context_ == 0) help_context_ = a->HelpContext();
    if (!CheckDefaults || hint_.empty()) hint_ = a->Hint();
    if (!CheckDefaults || image_index_ == -1) SetImageIndex(a->ImageIndex());
    if (!CheckDefaults || short_cut_ == 0) short_cut_ = a->ShortCut();
    if (!CheckDefaults || visible_) SetVisible(a->Visible());
    if (!CheckDefaults || !OnClick) OnClick = a->OnExecute();
}

void TTeItem::InitiateAction() {
    if (action_link_) action_link_->Update();
}

// ---- action link ----

TTeItemActionLink::TTeItemActionLink(fw::TObject* AClient) : fw::TActionLink(AClient) {
    AssignClient(AClient);
}

void TTeItemActionLink::AssignClient(fw::TObject* AClient) {
    client_ = dynamic_cast<TTeItem*>(AClient);
}

bool TTeItemActionLink::IsOnExecuteLinked() {
    return fw::TActionLink::IsOnExecuteLinked() && Action() &&
           client_->OnClick == Action()->OnExecute();
}

void TTeItemActionLink::SetOnExecute(fw::TNotifyEvent Value) {
    if (IsOnExecuteLinked()) client_->OnClick = Value;
}

bool TTeItemActionLink::IsCaptionLinked() {
    return fw::TActionLink::IsCaptionLinked() &&
           client_->Caption() == win::GbkToWide(CustomAction()->Caption());
}
bool TTeItemActionLink::IsCheckedLinked() {
    return fw::TActionLink::IsCheckedLinked() && client_->Checked() == CustomAction()->Checked();
}
bool TTeItemActionLink::IsEnabledLinked() {
    return fw::TActionLink::IsEnabledLinked() && client_->Enabled() == CustomAction()->Enabled();
}
bool TTeItemActionLink::IsHelpContextLinked() {
    return fw::TActionLink::IsHelpContextLinked() &&
           client_->HelpContext() == CustomAction()->HelpContext();
}
bool TTeItemActionLink::IsHintLinked() {
    return fw::TActionLink::IsHintLinked() && client_->Hint() == CustomAction()->Hint();
}
bool TTeItemActionLink::IsImageIndexLinked() {
    return fw::TActionLink::IsImageIndexLinked() &&
           client_->ImageIndex() == CustomAction()->ImageIndex();
}
bool TTeItemActionLink::IsShortCutLinked() {
    return fw::TActionLink::IsShortCutLinked() &&
           client_->ShortCut() == CustomAction()->ShortCut();
}
bool TTeItemActionLink::IsVisibleLinked() {
    return fw::TActionLink::IsVisibleLinked() && client_->Visible() == CustomAction()->Visible();
}

void TTeItemActionLink::SetCaption(const std::string& Value) {
    if (IsCaptionLinked()) client_->SetCaption(win::GbkToWide(Value));
}
void TTeItemActionLink::SetChecked(bool Value) {
    if (IsCheckedLinked()) client_->SetChecked(Value);
}
void TTeItemActionLink::SetEnabled(bool Value) {
    if (IsEnabledLinked()) client_->SetEnabled(Value);
}
void TTeItemActionLink::SetHelpContext(int Value) {
    if (IsHelpContextLinked()) client_->SetHelpContext(Value);
}
void TTeItemActionLink::SetHint(const std::string& Value) {
    if (IsHintLinked()) client_->SetHint(Value);
}
void TTeItemActionLink::SetImageIndex(int Value) {
    if (IsImageIndexLinked()) client_->SetImageIndex(Value);
}
void TTeItemActionLink::SetShortCut(fw::TShortCut Value) {
    if (IsShortCutLinked()) client_->SetShortCut(Value);
}
void TTeItemActionLink::SetVisible(bool Value) {
    if (IsVisibleLinked()) client_->SetVisible(Value);
}

// ---- sub-items ----

TTeItem* TTeItem::GetItem(int Index) const {
    if (Index < 0 || Index >= Count())
        throw fw::EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return items_[size_t(Index)];
}

int TTeItem::MenuIndex() const {
    return parent_ ? parent_->IndexOf(this) : -1;
}

int TTeItem::IndexOf(const TTeItem* Item) const {
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

void TTeItem::Insert(int Index, TTeItem* Item) {
    if (!Item) return;
    if (Item->parent_) throw EZrItemError("Toolbar item already inserted");
    if (Index < 0 || Index > Count())
        throw fw::EListError("List index out of bounds (" + std::to_string(Index) + ")");
    items_.insert(items_.begin() + Index, Item);
    Item->parent_ = this;
    Changed();
}

void TTeItem::Delete(int Index) {
    TTeItem* item = GetItem(Index);
    items_.erase(items_.begin() + Index);
    item->parent_ = nullptr;
    Changed();
}

void TTeItem::Remove(TTeItem* Item) {
    int i = IndexOf(Item);
    if (i >= 0) Delete(i);
}

TTeItem* TTeItem::RootItem() {
    TTeItem* r = this;
    while (r->parent_) r = r->parent_;
    return r;
}

// ---- recursive settings ----

void TTeItem::SetPopupMenuOptions(void* Value) {
    popup_menu_options_ = Value;
    for (TTeItem* i : items_) i->SetPopupMenuOptions(Value);
}
void TTeItem::SetOwnerControl(fw::TWinControl* Value) {
    owner_control_ = Value;
    for (TTeItem* i : items_) i->SetOwnerControl(Value);
}
void TTeItem::SetMDIChildForm(fw::TWinControl* Value) {
    mdi_child_form_ = Value;
    for (TTeItem* i : items_) i->SetMDIChildForm(Value);
}
void TTeItem::SetAnimatePending(uint8_t Value) {
    animate_pending_ = Value;
    for (TTeItem* i : items_) i->SetAnimatePending(Value);
}
void TTeItem::SetAnimateFirstOnly(uint8_t Value) {
    animate_first_only_ = Value;
    for (TTeItem* i : items_) i->SetAnimateFirstOnly(Value);
}
void TTeItem::SetSkipPaint(uint8_t Value) {
    skip_paint_ = Value;
    for (TTeItem* i : items_) i->SetSkipPaint(Value);
}
void TTeItem::SetForegroundOnPopup(uint8_t Value) {
    foreground_on_popup_ = Value;
    for (TTeItem* i : items_) i->SetForegroundOnPopup(Value);
}
void TTeItem::SetBiDiMode(TTeBiDiMode Value) {
    bidi_mode_ = Value;
    for (TTeItem* i : items_) i->bidi_mode_ = Value;
}

// ---- queries ----

fw::TImageList* TTeItem::GetImageList() const {
    if (images_) return images_;
    const TTeItem* r = this;
    while (r->parent_) r = r->parent_;
    return r->images_;
}

int TTeItem::GetImageColumnWidth() const {
    fw::TImageList* list = GetImageList();
    if (list && list->Width() > MenuItemHeight()) return list->Width() + 6;
    return 22;
}

fw::TComponent* TTeItem::FindSkinnedForm() const {
    if (!owner_control_) return nullptr;
    for (int i = 0; i < owner_control_->ComponentCount(); ++i) {
        fw::TComponent* c = owner_control_->Components(i);
        if (ClassNamed(c, "TTeForm")) return c;
    }
    return nullptr;
}

TTeItem* TTeItem::FindItem(const void* Value, int Kind) {
    if (Kind == 1 && OnClick && OnClick == *static_cast<const fw::TNotifyEvent*>(Value)) return this;
    if (Kind == 2 && short_cut_ == *static_cast<const fw::TShortCut*>(Value)) return this;
    for (TTeItem* i : items_)
        if (TTeItem* f = i->FindItem(Value, Kind)) return f;
    return nullptr;
}

TTeItem* TTeItem::FindAccelItem(wchar_t Char) const {
    wchar_t up[2] = {Char, 0};
    ::CharUpperW(up);
    const std::wstring key{L'&', up[0]};
    for (TTeItem* i : items_) {
        std::wstring c = i->caption_;
        if (!c.empty()) ::CharUpperBuffW(c.data(), DWORD(c.size()));
        if (c.find(key) != std::wstring::npos) return i;
    }
    return nullptr;
}

bool TTeItem::UseRightToLeftReading() const {
    return bidi_mode_ != TTeBiDiMode::bdLeftToRight && ::GetSystemMetrics(SM_MIDEASTENABLED);
}

bool TTeItem::UseRightToLeftAlignment() const {
    return bidi_mode_ == TTeBiDiMode::bdRightToLeft && ::GetSystemMetrics(SM_MIDEASTENABLED);
}

UINT TTeItem::DrawTextBiDiModeFlags(UINT Flags) const {
    if (UseRightToLeftAlignment()) {
        if (Flags & DT_RIGHT)
            Flags &= ~UINT(DT_RIGHT);
        else if (!(Flags & DT_CENTER))
            Flags |= DT_RIGHT;
    }
    if (UseRightToLeftReading()) Flags |= DT_RTLREADING;
    return Flags;
}

bool TTeItem::InMenuBar() const {
    const TTeItem* r = this;
    while (r->parent_) r = r->parent_;
    return r->parent_component_ && ClassNamed(r->parent_component_, "TTeMenuBar");
}

// ---- clicks ----

void TTeItem::Click() {
    if (IsSeparator() || !items_.empty() || !enabled_) return;
    if (TTeClickHandler* h = ClickHandler(); h && h->Handle()) {
        ::PostMessageW(h->Handle(), TM_ITEMCLICK, 0, LPARAM(this));
        return;
    }
    RunClick();
}

void TTeItem::DoClick() {
    if (OnClick) OnClick(this);
}

void TTeItem::RunClick() {
    fw::TBasicAction* a = Action();
    if (OnClick && a && !(OnClick == a->OnExecute()))
        OnClick(this);
    else if (action_link_ && a)
        action_link_->Execute();
    else if (OnClick)
        OnClick(this);
}

int TTeItem::ClickWithAncestors(TTeItem* Found, fw::TShortCut Key) {
    std::vector<TTeItem*> path;
    for (TTeItem* i = Found; i && i != this; i = i->parent_) path.push_back(i);
    path.push_back(this);
    std::reverse(path.begin(), path.end());
    for (size_t level = 0; level < path.size(); ++level) {
        TTeItem* item = path[level];
        if (!item->enabled_) return 1;
        try {
            item->Click();
        } catch (...) {
            if (fw::Application) fw::Application->HandleException(this);
            return 0;
        }
        if (item != Found && (!IsLiveItem(Found) || FindItem(&Key, 2) != Found)) {
            // The shortcut moved while an ancestor ran: go on only when it is still at the
            // same place in the tree.
            TTeItem* again = FindItem(&Key, 2);
            if (!again) return 2;
            size_t depth = 0;
            for (TTeItem* i = again; i && i != this; i = i->parent_) ++depth;
            if (depth + 1 != path.size() || again->parent_ != path[path.size() - 2]) return 2;
            path.back() = again;
            Found = again;
        }
    }
    return 0;
}

bool TTeItem::IsShortCut(const MSG& Msg) {
    fw::TShortCut key = fw::TShortCut(Msg.wParam & 0xFF);
    if (::GetKeyState(VK_SHIFT) < 0) key |= fw::scShift;
    if (::GetKeyState(VK_CONTROL) < 0) key |= fw::scCtrl;
    if (Msg.lParam & 0x20000000) key |= fw::scAlt;
    bool found_any = false;
    for (int pass = 0; pass < 16; ++pass) { // a shortcut that keeps moving gives up in the end
        TTeItem* found = FindItem(&key, 2);
        if (!found) break;
        found_any = true;
        if (ClickWithAncestors(found, key) != 2) break;
    }
    return found_any;
}

void TTeItem::Changed() {
    if (Loading() || destroying_ || Destroying()) return;
    if (OnTreeChange) OnTreeChange(this);
    TTeItem* r = RootItem();
    if (r->OnTreeChange) r->OnTreeChange(this);
}

void TTeItem::DropDown(TTeItemView* View, TPoint Point, TRect ItemRect) {
    bool any_visible = false;
    for (TTeItem* i : items_) any_visible = any_visible || i->Visible();
    if (!any_visible) return;
    if (OnBeforeDropDown) OnBeforeDropDown(this);
    if (g_drop_down_proc) g_drop_down_proc(this, View, Point, ItemRect);
}

// ---- streaming ----

void TTeItem::GetChildren(const std::function<void(fw::TComponent*)>& Proc, fw::TComponent*) {
    for (TTeItem* i : items_) Proc(i);
}

fw::TComponent* TTeItem::GetParentComponent() const {
    if (!parent_) return nullptr;
    if (parent_->parent_component_) return parent_->parent_component_;
    return parent_;
}

void TTeItem::SetParentComponent(fw::TComponent* Value) {
    if (parent_) parent_->Remove(this);
    if (!Value) return;
    if (Value->InheritsFrom(TTeItem::StaticClass())) {
        static_cast<TTeItem*>(Value)->Add(this);
        return;
    }
    std::vector<ItemContainerEntry>* list = ItemContainers();
    if (!list) return;
    for (auto it = list->rbegin(); it != list->rend(); ++it) {
        if (Value->InheritsFrom(it->Class)) {
            it->AddItem(Value, this);
            return;
        }
    }
}

void TTeItem::Loaded() {
    fw::TComponent::Loaded();
    if (fw::TBasicAction* a = Action()) ActionChange(a, true);
}

// ---- click handler ----

TTeClickHandler::TTeClickHandler() {
    wnd_ = fw::AllocateHWnd(fw::TWndMethod(this, &TTeClickHandler::WndProc));
}

TTeClickHandler::~TTeClickHandler() {
    if (wnd_) fw::DeallocateHWnd(wnd_);
}

void TTeClickHandler::WndProc(TMessage& M) {
    if (M.Msg != TM_ITEMCLICK) {
        M.Result = ::DefWindowProcW(wnd_, M.Msg, M.WParam, M.LParam);
        return;
    }
    auto* item = reinterpret_cast<TTeItem*>(M.LParam);
    // An item freed after its click was posted is not there any more.
    if (!IsLiveItem(item)) return;
    if (fw::Application) fw::Application->ProcessMessages();
    if (!IsLiveItem(item)) return;
    try {
        item->RunClick();
    } catch (...) {
        if (fw::Application) fw::Application->HandleException(item);
    }
}

namespace {
TTeClickHandler* g_click_handler = nullptr;
}

TTeClickHandler* ClickHandler() {
    if (!g_click_handler) g_click_handler = new TTeClickHandler();
    return g_click_handler;
}

void FreeClickHandler() {
    TTeClickHandler* h = g_click_handler;
    g_click_handler = nullptr;
    delete h;
}

// ---- container registry ----

void RegisterItemContainer(const fw::TMetaClass* Class, TAddItemProc AddItem,
                           TGetItemClassProc GetItemClass) {
    std::vector<ItemContainerEntry>*& list = ItemContainers();
    if (!list) list = new std::vector<ItemContainerEntry>();
    for (ItemContainerEntry& e : *list) {
        if (e.Class == Class) {
            ++e.RefCount;
            e.AddItem = AddItem;
            e.GetItemClass = GetItemClass;
            return;
        }
    }
    list->push_back(ItemContainerEntry{Class, AddItem, GetItemClass, 1});
}

void UnregisterItemContainer(const fw::TMetaClass* Class) {
    std::vector<ItemContainerEntry>*& list = ItemContainers();
    if (!list) return;
    for (auto it = list->begin(); it != list->end(); ++it) {
        if (it->Class == Class) {
            if (--it->RefCount <= 0) list->erase(it);
            break;
        }
    }
    if (list->empty()) {
        delete list;
        list = nullptr;
    }
}

void ClearItemContainers() {
    delete ItemContainers();
    ItemContainers() = nullptr;
}

int ItemContainerCount() {
    return ItemContainers() ? int(ItemContainers()->size()) : 0;
}

} // namespace dvr::skin
