// The view of one menu level: lays out the sub-items of an item inside a host control
// (stacked in popups, side by side in a menu bar), keeps the highlighted item, scrolls
// long lists with two buttons and runs the level's modal keyboard and mouse loop. Open
// levels form a chain; each runs its loop nested inside its parent's.
#pragma once

#include "framework/component.h"
#include "framework/ui/controls.h"
#include "framework/ui/timer.h"
#include "skin/controls/te_items.h"

namespace dvr::skin {

constexpr uint32_t TM_MENUDROPDOWN = 0x46F;
constexpr int kMenuScrollButtonHeight = 10;
constexpr int kMenuScrollInterval = 100;

class TTeItemView : public fw::TComponent {
    FW_CLASS(TTeItemView, fw::TComponent)
public:
    TTeItemView(fw::TComponent* AOwner, TTeItem* Items, bool IsMenuBar, bool Horizontal);
    ~TTeItemView() override;

    TTeItem* Items() const { return items_; }
    bool IsMenuBar() const { return is_menu_bar_; }
    bool Horizontal() const { return horizontal_; }
    fw::TWinControl* Container() const { return container_; }
    void SetContainer(fw::TWinControl* Value) { container_ = Value; }
    fw::TWinControl* Host() const { return host_; }
    void SetHost(fw::TWinControl* Value) { host_ = Value; }
    TTeItem* HotItem() const { return hot_item_; }
    void SetHotItem(TTeItem* Value) { hot_item_ = Value; }
    bool AutoDropDown() const { return auto_drop_down_; }
    void SetAutoDropDown(bool Value) { auto_drop_down_ = Value; }
    bool Tracking() const { return tracking_; }
    TTeItemView* ParentView() const { return parent_view_; }
    void SetParentView(TTeItemView* Value) { parent_view_ = Value; }
    TTeItemView* ChildView() const { return child_view_; }
    void SetChildView(TTeItemView* Value) { child_view_ = Value; }
    fw::TCanvas* Canvas() const { return canvas_; }
    void SetCanvas(fw::TCanvas* Value) { canvas_ = Value; }
    TPoint Origin() const { return origin_; }
    void SetOrigin(TPoint Value) { origin_ = Value; }
    SIZE ContentSize() const { return content_size_; }
    uint8_t ScrollDirection() const { return scroll_direction_; }
    fw::TTimer* ScrollTimer() const { return scroll_timer_; }

    virtual void SetContentSize(SIZE /*Size*/) {}
    virtual void MoveTo(TPoint /*Point*/) {}
    virtual void Invalidate() {}
    virtual void InvalidateItem(TTeItem* /*Item*/) {}
    virtual void InvalidateScrollButton(int /*Kind*/) {}
    virtual void InitiateAction();
    virtual void Paint(fw::TCanvas* Canvas);

    void CalcSize();
    TRect GetItemRect(TTeItem* Item);
    void MouseMove(TPoint ScreenPoint);
    void SelectNext();
    void SelectPrev();
    bool DropDown();
    void Track();
    void CloseAll();
    TPoint GetDropDownPoint();
    TRect GetScrollButtonRect(int Kind);
    void StartScrollTimer();
    void StopScrollTimer();

    // The items of the visible window: [first, last).
    void VisibleWindow(int& First, int& Last) const;
    bool Scrolls() const;

private:
    void LayOut();
    fw::TCanvas* MeasureCanvas();
    void ScrollTick(fw::TObject* Sender);
    void SelectStep(int Direction);
    void ChangeHot(TTeItem* NewItem);
    TRect HostScreenRect();
    TPoint ToHost(TPoint ScreenPoint);

    TTeItem* items_;
    bool is_menu_bar_;
    bool horizontal_;
    fw::TWinControl* container_ = nullptr;
    fw::TWinControl* host_ = nullptr;
    TTeItem* hot_item_ = nullptr;
    bool auto_drop_down_ = false;
    bool tracking_ = false;
    TTeItemView* parent_view_ = nullptr;
    TTeItemView* child_view_ = nullptr;
    fw::TCanvas* canvas_ = nullptr;
    TPoint origin_{0, 0};
    SIZE content_size_{0, 0};
    fw::TTimer* scroll_timer_ = nullptr;
    uint8_t scroll_direction_ = 0;
    fw::TCanvas* measure_canvas_ = nullptr;
    HDC measure_dc_ = nullptr;
};

} // namespace dvr::skin
