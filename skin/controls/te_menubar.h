// The skinned menu bar: a row of items whose sub-menus open as popup windows, by mouse,
// by Alt+letter and at the skinned form's request (Alt, F10). On an MDI parent it also
// carries the maximized child's system icon and its minimize, restore and close buttons.
#pragma once

#include "skin/controls/te_controls.h"
#include "skin/controls/te_form_options.h"
#include "skin/controls/te_items.h"
#include "skin/controls/te_itemview.h"
#include "skin/engine/te_theme.h"

#include <memory>
#include <string>

namespace dvr::skin {

class TTeMenuBar;
class TTeDefaultForm;

class TTeMenuBarView : public TTeItemView {
    FW_CLASS(TTeMenuBarView, TTeItemView)
public:
    TTeMenuBarView(TTeMenuBar* Bar, TTeItem* Items);
    TTeMenuBar* Bar() const { return bar_; }
    void SetContentSize(SIZE Size) override;
    void MoveTo(TPoint) override {}
    void Invalidate() override;
    void InvalidateItem(TTeItem* Item) override;

private:
    TTeMenuBar* bar_;
};

class TTeMenuBar : public TTeControl {
    FW_CLASS(TTeMenuBar, TTeControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_LBUTTONDOWN, WMLButtonDown)
    FW_MESSAGE(fw::CM_MOUSELEAVE, CMMouseLeave)
    FW_MESSAGE(fw::CM_DIALOGCHAR, CMDialogChar)
    FW_MESSAGE(TM_THEMECHANGE, TMThemeChange)
    FW_MESSAGES_END
public:
    explicit TTeMenuBar(fw::TComponent* AOwner);
    ~TTeMenuBar() override;

    bool AutoSize() const { return auto_size_; }
    void SetAutoSize(bool Value);
    fw::TImageList* Images() const { return items_->Images(); }
    void SetImages(fw::TImageList* Value) { items_->SetImages(Value); }
    TTeItem* Items() const { return items_; }
    TTePopupMenuOptions* PopupMenuOptions() const { return options_.get(); }
    void SetPopupMenuOptions(const TTePopupMenuOptions* Value) { options_->Assign(Value); }
    bool ShowBevel() const { return show_bevel_; }
    void SetShowBevel(bool Value);
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value) { theme_object_ = Value; }

    TTeMenuBarView* View() const { return view_; }
    TTeDefaultForm* MDIForm() const { return mdi_form_; }
    uint8_t UpdatingMDI() const { return updating_mdi_; }
    TRect AutoSizeRect() const { return auto_size_rect_; }
    void SetAutoSizeRect(TRect Value) { auto_size_rect_ = Value; }
    // The system icon, minimize, restore and close items (MDI parent forms only).
    TTeItem* MDIItem(int Kind) const;

    void Loaded() override;
    void BeforeDestruction() override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    void SetParent(fw::TWinControl* AParent) override;
    void PaintBackground() override;
    virtual void InitiateAction();
    virtual void GetContentRect(TRect& Rect);
    static void AddItem(fw::TComponent* Parent, TTeItem* Item);
    static const fw::TMetaClass* GetItemClass() { return TTeItem::StaticClass(); }
    virtual void RebuildItems();
    void GetChildren(const std::function<void(fw::TComponent*)>& Proc,
                     fw::TComponent* Root) override;

    // Opens the menus: the hot item's, or the first, and tracks until they close.
    void Track();
    bool IsShortCut(const MSG& Msg);
    void ShowMDIButtons(TTeDefaultForm* Form);
    void HideMDIButtons();
    // Whether the bar lies on a control bar and the theme styles menus there.
    int MenuKind();

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void WMLButtonDown(fw::TMessage& M);
    void CMMouseLeave(fw::TMessage& M);
    void CMDialogChar(fw::TMessage& M);
    void TMThemeChange(fw::TMessage& M);

private:
    void ItemsChanged(fw::TObject* Sender);
    // The height the items ask for, applied.
    void UpdateAutoSize();
    void MDIItemClick(fw::TObject* Sender);
    bool OnControlBar() const;

    bool auto_size_ = true;
    bool show_bevel_ = false;
    std::string theme_object_ = "default";
    TTeItem* items_ = nullptr;
    std::unique_ptr<TTePopupMenuOptions> options_;
    TTeMenuBarView* view_ = nullptr;
    TTeDefaultForm* mdi_form_ = nullptr;
    uint8_t updating_mdi_ = 0;
    TRect auto_size_rect_;
    TTeItem* mdi_items_[4] = {nullptr, nullptr, nullptr, nullptr};
};

} // namespace dvr::skin
