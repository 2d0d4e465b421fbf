// Skinned popup menus. Every open menu level is its own top-most tool window, skinned by a
// form hook that gives it the menu frame, shadow, blending and opening animation; the
// level's item view lays out, paints and tracks the items. A level opens through the
// item's drop-down, which places the window on the monitor and runs its loop; sub-menus
// cascade by opening the next level from inside that loop.
#pragma once

#include "framework/ui/forms.h"
#include "framework/ui/menus.h"
#include "skin/controls/te_form_options.h"
#include "skin/controls/te_form_theme.h"
#include "skin/controls/te_items.h"
#include "skin/controls/te_itemview.h"

namespace dvr::skin {

class TTePopupWindow;

class TTePopupMenu : public fw::TPopupMenu {
    FW_CLASS(TTePopupMenu, fw::TPopupMenu)
public:
    explicit TTePopupMenu(fw::TComponent* AOwner);
    ~TTePopupMenu() override;

    // The root item: its sub-items are the menu's entries.
    TTeItem* Items() const { return items_; }
    fw::TImageList* Images() const { return items_->Images(); }
    void SetImages(fw::TImageList* Value) { items_->SetImages(Value); }
    TTePopupMenuOptions* PopupMenuOptions() const { return options_.get(); }
    void SetPopupMenuOptions(const TTePopupMenuOptions* Value) { options_->Assign(Value); }
    TTeBiDiMode BiDiMode() const { return bidi_mode_; }
    void SetBiDiMode(TTeBiDiMode Value) { bidi_mode_ = Value; }

    void Loaded() override;
    void BeforeDestruction() override;
    // Shows the menu at a screen point and returns when it has closed.
    void Popup(int X, int Y) override;
    void GetChildren(const std::function<void(fw::TComponent*)>& Proc,
                     fw::TComponent* Root) override;
    static void AddItem(fw::TComponent* Parent, TTeItem* Item);
    static const fw::TMetaClass* GetItemClass() { return TTeItem::StaticClass(); }
    // Asks a running menu to close: its tracking loop takes the posted non-client click
    // as a click outside every level.
    virtual void CloseMenu();

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;

private:
    TTeItem* items_;
    std::unique_ptr<TTePopupMenuOptions> options_;
    TTeBiDiMode bidi_mode_ = TTeBiDiMode::bdLeftToRight;
};

// The popup menu whose Popup is running, or nullptr.
extern TTePopupMenu* ActivePopupMenu;

// The hook that skins one menu level's window.
class TTePopupForm : public TTeForm {
    FW_CLASS(TTePopupForm, TTeForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_ACTIVATE, WMActivate)
    FW_MESSAGE(WM_MOUSEACTIVATE, WMMouseActivate)
    FW_MESSAGES_END
public:
    explicit TTePopupForm(fw::TComponent* AOwner);

    TTePopupWindow* PopupWindow() const { return popup_window_; }
    void SetPopupWindow(TTePopupWindow* Value) { popup_window_ = Value; }
    fw::TWinControl* NotifyControl() const { return notify_control_; }
    void SetNotifyControl(fw::TWinControl* Value) { notify_control_ = Value; }

    void GetFrameMargins(TRect& Rect) override;
    void GetMinTrackSize(TPoint& Size) override;
    void PaintNonClient(fw::TCanvas& Canvas) override;
    void PaintClientBackground() override;
    // The content rectangle of a window of the given size.
    TRect ContentRectFor(int Width, int Height);

protected:
    void WMActivate(fw::TMessage& M);
    void WMMouseActivate(fw::TMessage& M);

private:
    void NotifyOwnerActive();
    TTePopupWindow* popup_window_ = nullptr;
    fw::TWinControl* notify_control_ = nullptr;
};

class TTePopupView : public TTeItemView {
    FW_CLASS(TTePopupView, TTeItemView)
public:
    TTePopupView(TTePopupWindow* Window, TTeItem* Items);
    TTePopupWindow* Window() const { return window_; }
    void SetContentSize(SIZE Size) override;
    void MoveTo(TPoint Point) override;
    void Invalidate() override;
    void InvalidateItem(TTeItem* Item) override;
    void InvalidateScrollButton(int Kind) override;

private:
    TTePopupWindow* window_;
};

// One open menu level. Lives only while its level is open.
class TTePopupWindow : public fw::TForm {
    FW_CLASS(TTePopupWindow, fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(fw::CM_SHOWINGCHANGED, CMShowingChanged)
    FW_MESSAGES_END
public:
    TTePopupWindow(fw::TComponent* AOwner, TTeItemView* ParentView, TTeItem* Item);
    ~TTePopupWindow() override;
    void BeforeDestruction() override;

    TTePopupForm* PopupForm() const { return popup_form_; }
    TTePopupView* View() const { return view_; }
    virtual const fw::TMetaClass* GetPopupFormClass() { return TTePopupForm::StaticClass(); }
    void UpdateSize();
    void Track();

protected:
    void CreateParams(fw::TCreateParams& Params) override;
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void CMShowingChanged(fw::TMessage& M);

private:
    TTePopupForm* popup_form_ = nullptr;
    TTePopupView* view_ = nullptr;
};

// Opens one level of an item's sub-items: creates the window, places it on the monitor of
// the point, shows it without activation and runs its loop; the window is gone on return.
void PopupDropDown(TTeItem* Item, TTeItemView* View, TPoint Point, TRect ItemRect);
// Makes item drop-downs open popup windows (done by every popup menu and skinned form;
// programs that open item menus otherwise call it once at start).
void InitPopupMenus();
// Where a level of size W x H opens for the point, the opening item's rectangle (empty for
// a popup menu) and the monitor rectangle R.
TPoint PopupPlacement(TPoint Point, TRect ItemRect, bool FromMenuBar, int W, int H, TRect R);

} // namespace dvr::skin
