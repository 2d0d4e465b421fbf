#include "framework/ui/menus.h"

#include "common/win/textconv.h"
#include "framework/exceptions.h"
#include "framework/ui/controls.h"
#include "framework/ui/forms.h"

#include <algorithm>

namespace dvr::fw {

using win::GbkToWide;

namespace {

uint16_t NextCommand() {
    // Command numbers are 16 bits; 0 means none.
    static uint16_t next = 0;
    if (++next == 0) next = 1;
    return next;
}

std::vector<TPopupMenu*>& PopupMenus() {
    static std::vector<TPopupMenu*> list;
    return list;
}

struct KeyName {
    uint16_t key;
    const char* name;
};
const KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},    {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},  {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

} // namespace

TShortCut ShortCut(uint16_t Key, TShiftState Shift) {
    if (Key & 0xFF00) return 0;
    TShortCut s = Key;
    if (Shift.Contains(TShiftStateItem::ssShift)) s |= scShift;
    if (Shift.Contains(TShiftStateItem::ssCtrl)) s |= scCtrl;
    if (Shift.Contains(TShiftStateItem::ssAlt)) s |= scAlt;
    return s;
}

std::string ShortCutToText(TShortCut Value) {
    uint16_t key = Value & 0xFF;
    std::string name;
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        name = std::string(1, char(key));
    else if (key >= VK_F1 && key <= VK_F24)
        name = "F" + std::to_string(key - VK_F1 + 1);
    else
        for (const KeyName& k : kKeyNames)
            if (k.key == key) name = k.name;
    if (name.empty()) return {};
    std::string s;
    if (Value & scShift) s += "Shift+";
    if (Value & scCtrl) s += "Ctrl+";
    if (Value & scAlt) s += "Alt+";
    return s + name;
}

TShortCut TextToShortCut(const std::string& Text) {
    for (uint32_t v = 1; v <= 0xFFFF; ++v) {
        // Only the combinations ShortCutToText makes.
        if ((v & 0x1F00) != 0) continue;
        if (ShortCutToText(TShortCut(v)) == Text) return TShortCut(v);
    }
    return 0;
}

// ---- TMenuItem ----------------------------------------------------------------------------

void TMenuItem::Publish(TPublisher<TMenuItem>& p) {
    p.Property("Caption", nullptr, &TMenuItem::Caption, &TMenuItem::SetCaption);
    p.Property("Checked", nullptr, &TMenuItem::Checked, &TMenuItem::SetChecked).Default(0);
    p.Property("Default", nullptr, &TMenuItem::Default, &TMenuItem::SetDefault).Default(0);
    p.Property("Enabled", nullptr, &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(1);
    p.Property("RadioItem", nullptr, &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(0);
    p.Property("ShortCut", nullptr, &TMenuItem::ShortCutKey, &TMenuItem::SetShortCut).Default(0);
    p.Property("Visible", nullptr, &TMenuItem::Visible, &TMenuItem::SetVisible).Default(1);
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(NextCommand()) {}

TMenuItem::~TMenuItem() {
    while (!items_.empty()) {
        TMenuItem* c = items_.back();
        items_.pop_back();
        c->parent_ = nullptr;
        c->Free();
    }
    if (parent_) parent_->Remove(this);
}

TMenuItem* TMenuItem::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError("Menu index out of range");
    return items_[size_t(Index)];
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

int TMenuItem::MenuIndex() const {
    return parent_ ? parent_->IndexOf(this) : -1;
}

void TMenuItem::Add(TMenuItem* Item) {
    Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) return;
    if (Item->parent_) throw EInvalidOperation("Menu inserted twice");
    if (Index < 0 || Index > Count()) throw EListError("Menu index out of range");
    items_.insert(items_.begin() + Index, Item);
    Item->parent_ = this;
    Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
    int i = IndexOf(Item);
    if (i < 0) return;
    items_.erase(items_.begin() + i);
    Item->parent_ = nullptr;
    Changed();
}

void TMenuItem::Delete(int Index) {
    Remove(Items(Index));
}

void TMenuItem::Clear() {
    while (!items_.empty())
        items_.back()->Free();
}

TMenuItem* TMenuItem::FindCommand(uint16_t Command) {
    if (command_ == Command && parent_) return this;
    for (TMenuItem* i : items_)
        if (TMenuItem* f = i->FindCommand(Command)) return f;
    return nullptr;
}

TMenuItem* TMenuItem::FindShortCut(TShortCut Value) {
    if (Value == 0) return nullptr;
    for (TMenuItem* i : items_) {
        if (i->short_cut_ == Value && i->visible_) return i;
        if (TMenuItem* f = i->FindShortCut(Value)) return f;
    }
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* i = this;
    while (i->parent_)
        i = i->parent_;
    return i->menu_;
}

void TMenuItem::Changed() {
    if (TMenu* m = GetParentMenu()) m->MenuChanged();
}

void TMenuItem::SetCaption(const std::string& Value) {
    if (Value == caption_) return;
    caption_ = Value;
    Changed();
}
void TMenuItem::SetChecked(bool Value) {
    if (Value == checked_) return;
    checked_ = Value;
    // Radio items of one group: only one is checked.
    if (Value && radio_item_ && parent_)
        for (TMenuItem* i : parent_->items_)
            if (i != this && i->radio_item_ && i->group_index_ == group_index_) i->checked_ = false;
    Changed();
}
void TMenuItem::SetEnabled(bool Value) {
    if (Value == enabled_) return;
    enabled_ = Value;
    Changed();
}
void TMenuItem::SetVisible(bool Value) {
    if (Value == visible_) return;
    visible_ = Value;
    Changed();
}
void TMenuItem::SetDefault(bool Value) {
    if (Value == default_) return;
    default_ = Value;
    Changed();
}
void TMenuItem::SetRadioItem(bool Value) {
    if (Value == radio_item_) return;
    radio_item_ = Value;
    Changed();
}
void TMenuItem::SetShortCut(TShortCut Value) {
    if (Value == short_cut_) return;
    short_cut_ = Value;
    Changed();
}

void TMenuItem::Click() {
    if (auto_check_) SetChecked(!checked_);
    OnClick(this);
}

void TMenuItem::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) {
    for (TMenuItem* i : items_)
        Proc(i);
}

void TMenuItem::SetParentComponent(TComponent* Value) {
    if (parent_) parent_->Remove(this);
    if (auto* m = dynamic_cast<TMenu*>(Value))
        m->Items()->Add(this);
    else if (auto* i = dynamic_cast<TMenuItem*>(Value))
        i->Add(this);
}

void TMenuItem::AppendTo(HMENU Menu) {
    for (TMenuItem* i : items_) {
        if (!i->visible_) continue;
        MENUITEMINFOW mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        std::wstring text = GbkToWide(i->caption_);
        if (i->short_cut_) {
            std::string sc = ShortCutToText(i->short_cut_);
            if (!sc.empty()) text += L"\t" + GbkToWide(sc);
        }
        if (i->IsLine()) {
            mi.fType = MFT_SEPARATOR;
            mi.fMask = MIIM_FTYPE | MIIM_ID;
        } else {
            mi.fType = MFT_STRING | (i->radio_item_ ? MFT_RADIOCHECK : 0);
            mi.dwTypeData = text.data();
        }
        mi.fState = (i->checked_ ? MFS_CHECKED : 0) | (i->enabled_ ? 0 : MFS_GRAYED) |
                    (i->default_ ? MFS_DEFAULT : 0);
        mi.wID = i->command_;
        if (!i->items_.empty()) {
            HMENU sub = ::CreatePopupMenu();
            i->AppendTo(sub);
            mi.fMask |= MIIM_SUBMENU;
            mi.hSubMenu = sub;
        }
        ::InsertMenuItemW(Menu, UINT(::GetMenuItemCount(Menu)), TRUE, &mi);
    }
}

// ---- TMenu --------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), items_(new TMenuItem(nullptr)) {
    items_->menu_ = this;
}

TMenu::~TMenu() {
    items_->Free();
    if (handle_) ::DestroyMenu(handle_);
}

HMENU TMenu::Handle() {
    if (!handle_) {
        handle_ = CreateMenuHandle();
        items_->AppendTo(handle_);
    }
    return handle_;
}

void TMenu::MenuChanged() {
    if (handle_) {
        ::DestroyMenu(handle_);
        handle_ = nullptr;
    }
}

bool TMenu::DispatchCommand(uint16_t Command) {
    TMenuItem* i = items_->FindCommand(Command);
    if (!i) return false;
    i->Click();
    return true;
}

bool TMenu::IsShortCut(const MSG& Msg) {
    TShiftState shift;
    if (::GetKeyState(VK_SHIFT) < 0) shift.Include(TShiftStateItem::ssShift);
    if (::GetKeyState(VK_CONTROL) < 0) shift.Include(TShiftStateItem::ssCtrl);
    if (Msg.lParam & 0x20000000) shift.Include(TShiftStateItem::ssAlt);
    TShortCut sc = ShortCut(uint16_t(Msg.wParam), shift);
    TMenuItem* i = items_->FindShortCut(sc);
    if (!i) return false;
    for (TMenuItem* p = i; p; p = p->Parent())
        if (!p->Enabled() || !p->Visible()) return false;
    i->Click();
    return true;
}

void TMenu::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    items_->GetChildren(Proc, Root);
}

// ---- TMainMenu ----------------------------------------------------------------------------

TMainMenu::~TMainMenu() {
    if (window_ && ::IsWindow(window_) && ::GetMenu(window_) == handle_)
        ::SetMenu(window_, nullptr);
}

HMENU TMainMenu::CreateMenuHandle() {
    return ::CreateMenu();
}

void TMainMenu::SetWindow(HWND Wnd) {
    if (window_ && window_ != Wnd && ::IsWindow(window_) && ::GetMenu(window_) == handle_)
        ::SetMenu(window_, nullptr);
    window_ = Wnd;
    if (Wnd) {
        ::SetMenu(Wnd, Handle());
        ::DrawMenuBar(Wnd);
    }
}

void TMainMenu::MenuChanged() {
    HMENU old = handle_;
    handle_ = nullptr;
    if (window_ && ::IsWindow(window_)) {
        ::SetMenu(window_, Handle());
        ::DrawMenuBar(window_);
    }
    if (old) ::DestroyMenu(old);
}

// ---- TPopupMenu ---------------------------------------------------------------------------

namespace {

void PopupWndProc(TMessage& M);

struct PopupSink : TObject {
    void WndProc(TMessage& M) { PopupWndProc(M); }
};

void PopupWndProc(TMessage& M) {
    if (M.Msg == WM_COMMAND && M.LParam == 0) {
        uint16_t cmd = LOWORD(M.WParam);
        auto list = PopupMenus();
        for (TPopupMenu* p : list)
            if (p->DispatchCommand(cmd)) return;
        return;
    }
    M.Result = ::DefWindowProcW(TPopupMenu::Window(), M.Msg, M.WParam, M.LParam);
}

} // namespace

HWND TPopupMenu::Window() {
    static PopupSink sink;
    static HWND wnd = AllocateHWnd(TWndMethod(&sink, &PopupSink::WndProc));
    return wnd;
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {
    PopupMenus().push_back(this);
}

TPopupMenu::~TPopupMenu() {
    auto& l = PopupMenus();
    l.erase(std::remove(l.begin(), l.end(), this), l.end());
}

HMENU TPopupMenu::CreateMenuHandle() {
    return ::CreatePopupMenu();
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
    if (popup_component_ == Value) return;
    if (popup_component_) popup_component_->RemoveFreeNotification(this);
    popup_component_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TMenu::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == popup_component_)
        popup_component_ = nullptr;
}

void TPopupMenu::Popup(int X, int Y) {
    OnPopup(this);
    static const UINT align[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
    HWND wnd = Window();
    ::TrackPopupMenu(Handle(), align[int(alignment_)] | TPM_RIGHTBUTTON, X, Y, 0, wnd, nullptr);
    ::PostMessageW(wnd, WM_NULL, 0, 0);
}

} // namespace dvr::fw
