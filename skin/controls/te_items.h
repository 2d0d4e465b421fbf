// Menu items of the skinned menus: a tree of windowless items with captions, check
// marks, images, shortcuts and sub-items. An item measures and paints itself when its
// view asks; a click always runs after the menu has closed, through a hidden window.
#pragma once

#include "framework/component.h"
#include "framework/events.h"
#include "framework/exceptions.h"
#include "framework/ui/actions.h"
#include "framework/ui/controls.h"
#include "framework/ui/imglist.h"
#include "framework/ui/menus.h"
#include "skin/engine/te_bitmap.h"

#include <windows.h>

#include <string>
#include <vector>

namespace dvr::skin {

class TTeItemView;
class TTeItemActionLink;

constexpr uint32_t TM_ITEMCLICK = 0x8BA;

// Raised when an item that already has a parent is inserted again.
class EZrItemError : public fw::Exception {
public:
    using fw::Exception::Exception;
};

enum class TTeBiDiMode : uint8_t {
    bdLeftToRight,
    bdRightToLeft,
    bdRightToLeftNoAlign,
    bdRightToLeftReadingOnly
};

class TTeItem : public fw::TComponent {
    FW_CLASS(TTeItem, fw::TComponent)
public:
    explicit TTeItem(fw::TComponent* AOwner);
    ~TTeItem() override;

    // ---- published ----
    // An action gives the item its caption, states, shortcut and click while the item's
    // values still match it; nullptr unlinks.
    fw::TBasicAction* Action() const;
    void SetAction(fw::TBasicAction* Value);
    TTeItemActionLink* ActionLink() const { return action_link_; }
    // "-" makes the item a separator.
    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& Value);
    bool Checked() const { return checked_; }
    void SetChecked(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    int HelpContext() const { return help_context_; }
    void SetHelpContext(int Value) { help_context_ = Value; }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& Value) { hint_ = Value; }
    int ImageIndex() const { return image_index_; }
    void SetImageIndex(int Value) { image_index_ = Value; }
    fw::TImageList* Images() const { return images_; }
    void SetImages(fw::TImageList* Value);
    fw::TShortCut ShortCut() const { return short_cut_; }
    void SetShortCut(fw::TShortCut Value) { short_cut_ = Value; }
    bool Scrolled() const { return scrolled_; }
    void SetScrolled(bool Value) { scrolled_ = Value; }
    int ScrollCount() const { return scroll_count_; }
    void SetScrollCount(int Value) { scroll_count_ = Value; }
    fw::TNotifyEvent OnClick;
    fw::TNotifyEvent OnBeforeDropDown;

    // ---- sub-items ----
    int Count() const { return int(items_.size()); }
    TTeItem* GetItem(int Index) const;
    TTeItem* Items(int Index) const { return GetItem(Index); }
    int MenuIndex() const;
    TTeItem* Parent() const { return parent_; }
    void Add(TTeItem* Item) { Insert(Count(), Item); }
    void Insert(int Index, TTeItem* Item);
    void Delete(int Index);
    int IndexOf(const TTeItem* Item) const;
    void Remove(TTeItem* Item);
    bool IsSeparator() const { return caption_ == L"-"; }

    fw::TComponent* ParentComponent() const { return parent_component_; }
    void SetParentComponentValue(fw::TComponent* Value) { parent_component_ = Value; }

    // ---- internal state ----
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value) { theme_object_ = Value; }
    uint8_t ItemKind() const { return item_kind_; }
    void SetItemKind(uint8_t Value) { item_kind_ = Value; }
    fw::TWinControl* MDIChildForm() const { return mdi_child_form_; }
    fw::TNotifyEvent OnTreeChange;
    uint8_t AnimatePending() const { return animate_pending_; }
    uint8_t AnimateFirstOnly() const { return animate_first_only_; }
    fw::TWinControl* OwnerControl() const { return owner_control_; }
    TTeBiDiMode BiDiMode() const { return bidi_mode_; }
    uint8_t ForegroundOnPopup() const { return foreground_on_popup_; }
    int FirstVisible() const { return first_visible_; }
    void SetFirstVisible(int Value) { first_visible_ = Value; }
    TRect BoundsRect() const { return bounds_rect_; }
    void SetBoundsRect(const TRect& R) { bounds_rect_ = R; }
    uint8_t SkipPaint() const { return skip_paint_; }
    void* PopupMenuOptions() const { return popup_menu_options_; }

    // Recursive settings: the item and every descendant.
    void SetPopupMenuOptions(void* Value);
    void SetOwnerControl(fw::TWinControl* Value);
    void SetMDIChildForm(fw::TWinControl* Value);
    void SetAnimatePending(uint8_t Value);
    void SetAnimateFirstOnly(uint8_t Value);
    void SetSkipPaint(uint8_t Value);
    void SetForegroundOnPopup(uint8_t Value);
    // The item and its direct children.
    void SetBiDiMode(TTeBiDiMode Value);

    // ---- queries ----
    fw::TImageList* GetImageList() const;
    int GetImageColumnWidth() const;
    fw::TComponent* FindSkinnedForm() const;
    // Kind 1: the item whose OnClick code is Value; kind 2: the item with shortcut Value.
    TTeItem* FindItem(const void* Value, int Kind);
    TTeItem* FindItemByShortCut(fw::TShortCut Value) { return FindItem(&Value, 2); }
    TTeItem* FindAccelItem(wchar_t Char) const;
    bool IsShortCut(const MSG& Msg);
    bool UseRightToLeftReading() const;
    bool UseRightToLeftAlignment() const;
    UINT DrawTextBiDiModeFlags(UINT Flags) const;

    // ---- behaviour ----
    virtual void Click();
    virtual void DoClick();
    virtual void Changed();
    // The action updates its state (OnUpdate).
    virtual void InitiateAction();
    // Opens the popup window of the sub-items at a screen point and runs its loop. The
    // popup window belongs to the skinned popup menus; without it nothing opens.
    virtual void DropDown(TTeItemView* View, TPoint Point, TRect ItemRect);

    // ---- drawing ----
    virtual void MeasureItem(fw::TCanvas* Canvas, TTeItemView* View, int& Width, int& Height);
    virtual void PaintItem(fw::TCanvas* Canvas, TTeItemView* View, TRect Rect, bool Hot,
                           bool Idle);
    virtual void PaintScrollButton(fw::TCanvas* Canvas, TTeItemView* View, TRect Rect, int Kind,
                                   bool Hot);

    // ---- streaming ----
    void GetChildren(const std::function<void(fw::TComponent*)>& Proc,
                     fw::TComponent* Root) override;
    bool HasParent() const { return true; }
    fw::TComponent* GetParentComponent() const;
    void SetParentComponent(fw::TComponent* Value) override;
    void Loaded() override;

    // Whether the item (or its root) lies on a menu bar; set by the menu bar.
    bool InMenuBar() const;

    // Takes the action's values; with CheckDefaults only those the item still has at
    // their defaults.
    virtual void ActionChange(fw::TObject* Sender, bool CheckDefaults);

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;

private:
    friend class TTeClickHandler;
    void DoActionChange(fw::TObject* Sender);
    // What the deferred click runs: OnClick, or the action.
    void RunClick();
    void PaintBarItem(fw::TCanvas& Canvas, TTeItemView* View, TRect Rect, bool Hot, bool Idle,
                      int State);
    void PaintPopupItem(fw::TCanvas& Canvas, TTeItemView* View, TRect Rect, bool Hot, bool Idle,
                        int State);
    TTeItem* RootItem();
    // Clicks the found item with its ancestors; 0 done, 1 disabled, 2 the shortcut moved.
    int ClickWithAncestors(TTeItem* Found, fw::TShortCut Key);

    std::wstring caption_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    int help_context_ = 0;
    std::string hint_;
    int image_index_ = -1;
    fw::TImageList* images_ = nullptr;
    fw::TShortCut short_cut_ = 0;
    bool scrolled_ = false;
    int scroll_count_ = 0;
    std::vector<TTeItem*> items_;
    TTeItem* parent_ = nullptr;
    fw::TComponent* parent_component_ = nullptr;
    std::string theme_object_ = "default";
    uint8_t item_kind_ = 0;
    fw::TWinControl* mdi_child_form_ = nullptr;
    uint8_t animate_pending_ = 0;
    uint8_t animate_first_only_ = 0;
    fw::TWinControl* owner_control_ = nullptr;
    TTeBiDiMode bidi_mode_ = TTeBiDiMode::bdLeftToRight;
    uint8_t foreground_on_popup_ = 0;
    int first_visible_ = 0;
    TRect bounds_rect_{};
    uint8_t skip_paint_ = 0;
    void* popup_menu_options_ = nullptr;
    bool destroying_ = false;
    TTeItemActionLink* action_link_ = nullptr;
};

// Keeps an item in step with its action: a property follows the action while the item's
// value equals the action's.
class TTeItemActionLink : public fw::TActionLink {
public:
    explicit TTeItemActionLink(fw::TObject* AClient);

    bool IsOnExecuteLinked() override;
    void SetOnExecute(fw::TNotifyEvent Value) override;
    bool IsCaptionLinked() override;
    bool IsCheckedLinked() override;
    bool IsEnabledLinked() override;
    bool IsHelpContextLinked() override;
    bool IsHintLinked() override;
    bool IsImageIndexLinked() override;
    bool IsShortCutLinked() override;
    bool IsVisibleLinked() override;
    void SetCaption(const std::string& Value) override;
    void SetChecked(bool Value) override;
    void SetEnabled(bool Value) override;
    void SetHelpContext(int Value) override;
    void SetHint(const std::string& Value) override;
    void SetImageIndex(int Value) override;
    void SetShortCut(fw::TShortCut Value) override;
    void SetVisible(bool Value) override;

protected:
    void AssignClient(fw::TObject* AClient) override;

private:
    TTeItem* client_ = nullptr;
};

// The hidden window that runs item clicks after their menu has closed.
class TTeClickHandler : public fw::TObject {
    FW_CLASS(TTeClickHandler, fw::TObject)
public:
    TTeClickHandler();
    ~TTeClickHandler() override;
    HWND Handle() const { return wnd_; }
    void WndProc(fw::TMessage& M);

private:
    HWND wnd_ = nullptr;
};
// The process's click handler (made on first use).
TTeClickHandler* ClickHandler();
void FreeClickHandler();
// Opens the popup window of an item's sub-items and runs its loop; the popup menus give
// it. Without one an item's drop-down opens nothing.
using TTeDropDownProc = void (*)(TTeItem* Item, TTeItemView* View, TPoint Point, TRect ItemRect);
void SetItemDropDownProc(TTeDropDownProc Proc);
// Live items, so a posted click for an item freed meanwhile is dropped.
bool IsLiveItem(const TTeItem* Item);

// Containers that own a root item (popup menus, menu bars) register how a streamed item
// is added to them.
using TAddItemProc = void (*)(fw::TComponent* Container, TTeItem* Item);
using TGetItemClassProc = const fw::TMetaClass* (*)();
void RegisterItemContainer(const fw::TMetaClass* Class, TAddItemProc AddItem,
                           TGetItemClassProc GetItemClass);
void UnregisterItemContainer(const fw::TMetaClass* Class);
void ClearItemContainers();
int ItemContainerCount();

// Process-wide menu resources.
int MenuItemWidth();
int MenuItemHeight();
fw::TFont* MenuFont();
// Frees the menu metrics, MenuFont and SubMenuArrow (made again on next use).
void FreeMenuResources();
TteBitmap& SubMenuArrow();
void DrawSubMenuArrow(fw::TCanvas& Canvas, int X, int Y, fw::TColor Color);
void PaintRaisedBox(fw::TCanvas& Canvas, int Left, int Top, int Right, int Bottom);
void PaintFlatBox(fw::TCanvas& Canvas, int Left, int Top, int Right, int Bottom);
// The second colour of a checked popup item's checker background (-1: none set, the
// system's 3-D light colour is used).
extern fw::TColor CheckedItemCheckerColor;

} // namespace dvr::skin
