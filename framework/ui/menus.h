// Menus: items in a tree with captions, check marks, shortcuts and click events; the
// menu bar of a form (TMainMenu) and context menus (TPopupMenu). Windows' menus are
// built from the items when first needed and rebuilt after any change; a chosen item
// comes back as WM_COMMAND with the item's command number.
#pragma once

#include "framework/component.h"
#include "framework/events.h"

#include <windows.h>

#include <string>
#include <vector>

namespace dvr::fw {

class TMenu;

// A key with modifiers: the virtual key in the low byte, plus scShift, scCtrl, scAlt.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(uint16_t Key, TShiftState Shift);
// "Ctrl+S", "F5", "Shift+Del".
std::string ShortCutToText(TShortCut ShortCut);
TShortCut TextToShortCut(const std::string& Text);

class TMenuItem : public TComponent {
    FW_PUBLISHED(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    // "-" is a separator.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& Value);
    bool Checked() const { return checked_; }
    void SetChecked(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    bool Default() const { return default_; }
    void SetDefault(bool Value);
    bool RadioItem() const { return radio_item_; }
    void SetRadioItem(bool Value);
    uint8_t GroupIndex() const { return group_index_; }
    void SetGroupIndex(uint8_t Value) { group_index_ = Value; }
    TShortCut ShortCutKey() const { return short_cut_; }
    void SetShortCut(TShortCut Value);
    bool AutoCheck() const { return auto_check_; }
    void SetAutoCheck(bool Value) { auto_check_ = Value; }
    int ImageIndex() const { return image_index_; }
    void SetImageIndex(int Value) { image_index_ = Value; }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& Value) { hint_ = Value; }
    bool IsLine() const { return caption_ == "-"; }

    int Count() const { return int(items_.size()); }
    TMenuItem* Items(int Index) const;
    TMenuItem* Parent() const { return parent_; }
    int MenuIndex() const;
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    void Remove(TMenuItem* Item);
    void Delete(int Index);
    // Frees every sub-item.
    void Clear();
    int IndexOf(const TMenuItem* Item) const;
    // The sub-item (at any depth) with that command number or shortcut.
    TMenuItem* FindCommand(uint16_t Command);
    TMenuItem* FindShortCut(TShortCut Value);
    // The command number WM_COMMAND carries for this item.
    uint16_t Command() const { return command_; }
    // The menu this item belongs to, or nullptr.
    TMenu* GetParentMenu() const;

    virtual void Click();
    TNotifyEvent OnClick;

    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
    void SetParentComponent(TComponent* Value) override;

private:
    void Changed();
    void AppendTo(HMENU Menu);
    friend class TMenu;

    std::string caption_;
    bool checked_ = false, enabled_ = true, visible_ = true, default_ = false;
    bool radio_item_ = false, auto_check_ = false;
    uint8_t group_index_ = 0;
    TShortCut short_cut_ = 0;
    int image_index_ = -1;
    std::string hint_;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr; // set on a menu's root item
    uint16_t command_;
};

class TMenu : public TComponent {
    FW_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;

    // The root item; its sub-items are the menu's entries.
    TMenuItem* Items() const { return items_; }
    HMENU Handle();
    // Clicks the item with that command number; false when there is none.
    bool DispatchCommand(uint16_t Command);
    // Clicks the enabled item whose shortcut the key message is; true when found.
    bool IsShortCut(const MSG& Msg);
    TMenuItem* FindItem(uint16_t Command) { return items_->FindCommand(Command); }

    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

protected:
    // The items changed: the Windows menu is made again when next needed.
    virtual void MenuChanged();
    virtual HMENU CreateMenuHandle() = 0;
    HMENU handle_ = nullptr;
    friend class TMenuItem;

private:
    TMenuItem* items_;
};

class TMainMenu : public TMenu {
    FW_CLASS(TMainMenu, TMenu)
public:
    using TMenu::TMenu;
    ~TMainMenu() override;
    // The form window whose menu bar this is.
    void SetWindow(HWND Wnd);

protected:
    void MenuChanged() override;
    HMENU CreateMenuHandle() override;

private:
    HWND window_ = nullptr;
};

enum class TPopupAlignment : uint8_t { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
    FW_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // Shows the menu at a screen point; the chosen item's command arrives as WM_COMMAND at
    // Window() and is dispatched from the message loop.
    virtual void Popup(int X, int Y);
    bool AutoPopup() const { return auto_popup_; }
    void SetAutoPopup(bool Value) { auto_popup_ = Value; }
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
    // The control the menu was last shown for.
    TComponent* PopupComponent() const { return popup_component_; }
    void SetPopupComponent(TComponent* Value);

    // The hidden window that receives every popup menu's commands.
    static HWND Window();

    TNotifyEvent OnPopup;

protected:
    HMENU CreateMenuHandle() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool auto_popup_ = true;
    TPopupAlignment alignment_ = TPopupAlignment::paLeft;
    TComponent* popup_component_ = nullptr;
};

} // namespace dvr::fw
