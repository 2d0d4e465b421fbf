// The skinned tab control: a strip of tabs on one side, in one row with scroll buttons or
// in justified rows, optionally managing one page (TTeTabSheet) per tab of which only the
// active one shows. Painted through the theme's Tabs group, the visual style or plain 3-D.
#pragma once

#include "framework/list.h"
#include "framework/stringlist.h"
#include "framework/ui/imglist.h"
#include "framework/ui/timer.h"
#include "skin/controls/te_controls.h"
#include "skin/engine/te_theme_info.h"

#include <array>
#include <string>

namespace dvr::skin {

class TTeTabControl;
struct TteBackgroundInfo;

using TTabChangingEvent = fw::TMethodPtr<void(fw::TObject* Sender, bool& AllowChange)>;
using TDrawTabEvent = fw::TMethodPtr<void(TTeTabControl* Control, int TabIndex, const TRect& Rect,
                                          bool Active)>;

// The captions; every change brings the control's pages and index into step.
class TTeTabStringList : public fw::TStringList {
    FW_CLASS(TTeTabStringList, fw::TStringList)
public:
    explicit TTeTabStringList(TTeTabControl* Control) : control_(Control) {}
    int Add(const std::string& S) override;
    void Clear() override;
    void Delete(int Index) override;
    void Insert(int Index, const std::string& S) override;
    void Put(int Index, const std::string& S) override;
    void Assign(const fw::TPersistent* Source) override;

protected:
    void SetUpdateState(bool Updating) override;

private:
    TTeTabControl* control_;
    bool quiet_ = false; // adding inside Assign
};

// The pages in page order (not owned).
class TTePageList : public fw::TList {
public:
    explicit TTePageList(TTeTabControl* Control) : control_(Control) {}
    void Detach() { control_ = nullptr; }

protected:
    void Notify(void* Ptr, fw::TListNotification Action) override;

private:
    TTeTabControl* control_;
};

class TTeTabSheet : public fw::TCustomControl {
    FW_CLASS(TTeTabSheet, fw::TCustomControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_ERASEBKGND, WMEraseBkgnd)
    FW_MESSAGE(WM_PAINT, WMPaint)
    FW_MESSAGE(fw::CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGE(fw::CM_SHOWINGCHANGED, CMShowingChanged)
    FW_MESSAGES_END
public:
    explicit TTeTabSheet(fw::TComponent* AOwner);
    ~TTeTabSheet() override;

    TTeTabControl* TabControl() const { return tab_control_; }
    void SetTabControl(TTeTabControl* Control);
    int PageIndex() const;
    void SetPageIndex(int Value);
    bool PageVisible() const { return page_visible_; }
    void SetPageVisible(bool Value);
    int ImageIndex() const { return image_index_; }
    void SetImageIndex(int Value);
    bool SheetDestroying() const { return destroying_; }

    fw::TNotifyEvent OnHide;
    fw::TNotifyEvent OnShow;

    // Paints the part of the control's frame that lies behind the page.
    void PaintTabBackground(HDC DC);

protected:
    void CreateParams(fw::TCreateParams& Params) override;
    virtual void DoHide();
    virtual void DoShow();
    void WMEraseBkgnd(fw::TMessage& M);
    void WMPaint(fw::TMessage& M);
    void CMTextChanged(fw::TMessage& M);
    void CMShowingChanged(fw::TMessage& M);

private:
    friend class TTeTabControl;
    bool destroying_ = false;
    TTeTabControl* tab_control_ = nullptr;
    bool page_visible_ = true;
    int image_index_ = -1;
};

class TTeTabControl : public TTeControl {
    FW_CLASS(TTeTabControl, TTeControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_GETDLGCODE, WMGetDlgCode)
    FW_MESSAGE(fw::CM_DIALOGCHAR, CMDialogChar)
    FW_MESSAGE(fw::CM_ENABLEDCHANGED, CMEnabledChanged)
    FW_MESSAGE(fw::CM_MOUSELEAVE, CMMouseLeave)
    FW_MESSAGE(fw::CM_DESIGNHITTEST, CMDesignHitTest)
    FW_MESSAGE(0x800, TMThemeChange)
    FW_MESSAGES_END
public:
    static constexpr int kMaxRows = 100;
    struct TRowRecord {
        int32_t LastTab = 0, ExtraWidth = 0, Remainder = 0;
    };

    explicit TTeTabControl(fw::TComponent* AOwner);
    ~TTeTabControl() override;

    // ---- settings ----
    fw::TStrings* Tabs() { return &tabs_; }
    void SetTabs(fw::TStrings* Value) { tabs_.Assign(Value); }
    int TabIndex() const { return tab_index_; }
    void SetTabIndex(int Value);
    TteTabPosition TabPosition() const { return tab_position_; }
    void SetTabPosition(TteTabPosition Value);
    bool MultiLine() const { return multi_line_; }
    void SetMultiLine(bool Value);
    bool RaggedRight() const { return ragged_right_; }
    void SetRaggedRight(bool Value);
    bool ScrollOpposite() const { return scroll_opposite_; }
    void SetScrollOpposite(bool Value);
    bool HotTrack() const { return hot_track_; }
    void SetHotTrack(bool Value);
    int TabWidth() const { return tab_width_; }
    void SetTabWidth(int Value);
    int TabHeight() const { return tab_height_; }
    void SetTabHeight(int Value);
    bool OwnerDraw() const { return owner_draw_; }
    void SetOwnerDraw(bool Value);
    bool UsePages() const { return use_pages_; }
    void SetUsePages(bool Value);
    fw::TImageList* Images() const { return images_; }
    void SetImages(fw::TImageList* Value);
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value);

    fw::TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    TDrawTabEvent OnDrawTab;

    // ---- layout ----
    virtual int GetFrameLeft() { return 2; }
    virtual int GetFrameTop() { return 2; }
    virtual int GetFrameRight() { return 2; }
    virtual int GetFrameBottom() { return 2; }
    virtual int CalcTabWidth(int Index);
    virtual int CalcTabHeight();
    virtual void GetScrollButtonSize(TPoint& Size);
    virtual bool InLeftButton(int X, int Y);
    virtual bool InRightButton(int X, int Y);
    virtual void UpdateTabs();

    void BuildRows();
    int RowOfTab(int Index);
    int GetRowOffset(int Row);
    int GetTabExtent(int Index);
    int GetTabAreaSize();
    int GetOppositeAreaSize();
    bool IsOppositeRow(int Index);
    void GetFrameRect(TRect& Rect);
    void GetTabRect(int Index, TRect& Rect);
    TRect TabRect(int Index) {
        TRect r;
        GetTabRect(Index, r);
        return r;
    }
    int GetLastVisibleTab(bool FullyVisible);
    int TabAtPos(int X, int Y);
    void ScrollTabs(int Delta);
    bool ScrollButtonsVisible();
    void GetLeftButtonRect(TRect& Rect);
    void GetRightButtonRect(TRect& Rect);
    bool LeftButtonDown() const { return left_button_pressed_ && left_button_hot_; }
    bool RightButtonDown() const { return right_button_pressed_ && right_button_hot_; }
    void StartScrollTimer(bool Immediate);
    void ScrollTimerTick(fw::TObject* Sender);
    int TabCount() const { return tabs_.GetCount(); }
    int RowCount() const { return multi_line_ ? row_table_count_ : 1; }
    const TRowRecord& Row(int R) const { return rows_[size_t(R)]; }
    int FirstVisibleTab() const { return first_visible_tab_; }
    int HotTab() const { return hot_tab_; }
    fw::TTimer* ScrollTimer() const { return scroll_timer_; }
    // The page area: the frame rectangle inset by the frame and one pixel.
    void AdjustClientRect(TRect& Rect);

    // ---- pages ----
    void AppendPage(TTeTabSheet* Sheet);
    void InsertPage(int Index, TTeTabSheet* Sheet);
    void RemovePage(TTeTabSheet* Sheet);
    TTeTabSheet* GetPage(int Index) const;
    int PageCount() const { return pages_.Count(); }
    int PageToTabIndex(int PageIndex) const;
    int TabToPageIndex(int TabIndex) const;
    void ActivatePageIndex(int Index);
    int ActivePageIndex() const;
    TTeTabSheet* ActivePage() const;
    void SetActivePage(TTeTabSheet* Sheet);

    // ---- painting ----
    void PaintBackground() override;
    void PaintTabs(bool ActiveOnly);
    void RepaintTabs();
    virtual void PaintTabAt(int Index);
    virtual void PaintTabFace(int Index, TteTabPosition Position, TRect Rect);
    virtual void PaintTabImage(int Index, TteTabPosition Position, TRect Rect);
    virtual void PaintTabCaption(int Index, TteTabPosition Position, TRect Rect);
    virtual void PaintFrame();
    virtual void PaintLeftButton();
    virtual void PaintRightButton();
    void PaintScrollButton(const TRect& R, bool Down, bool Hot, int ThemePart, int StyleStateBase,
                           unsigned FrameArrow);
    // How often RepaintTabs drew the strip alone, and the last rectangle it drew.
    int StripRepaints() const { return strip_repaints_; }
    TRect LastStripRect() const { return last_strip_; }

    void Loaded() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

protected:
    virtual void Change();
    virtual bool CanChange();
    virtual void DrawTab(int Index, const TRect& Rect, bool Active);
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, fw::TShiftState Shift) override;
    void DoEnter() override;
    void DoExit() override;
    void Resize() override;
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void AlignControls(fw::TControl* AControl, TRect& Rect) override;

    void WMGetDlgCode(fw::TMessage& M);
    void CMDialogChar(fw::TMessage& M);
    void CMEnabledChanged(fw::TMessage& M);
    void CMMouseLeave(fw::TMessage& M);
    void CMDesignHitTest(fw::TMessage& M);
    void TMThemeChange(fw::TMessage& M);

private:
    friend class TTeTabStringList;
    friend class TTePageList;
    friend class TTeTabSheet;
    bool Themed();
    TteTabPosition SideOf(int Index);
    void SetTabsUpdating(bool Value) { tabs_updating_ = Value; }
    void PlaceActivePage();
    int TabFontIndex(int Index);
    void UseTabFont(int Index);
    std::wstring Caption(int Index) const;
    bool TabHasImage(int Index) const;

    fw::TTimer* scroll_timer_ = nullptr;
    TTeTabStringList tabs_{this};
    TTePageList pages_{this};
    TTeTabSheet* active_page_ = nullptr;
    std::array<TRowRecord, kMaxRows> rows_{};
    int row_table_count_ = 0;
    bool left_button_hot_ = false, right_button_hot_ = false;
    int hot_tab_ = -1;
    bool left_button_pressed_ = false, right_button_pressed_ = false;
    bool tabs_updating_ = false;
    bool multi_line_ = false;
    TteTabPosition tab_position_ = kttpTop;
    int first_visible_tab_ = 0;
    int tab_index_ = -1;
    bool ragged_right_ = false, scroll_opposite_ = false, hot_track_ = false;
    int tab_width_ = 0, tab_height_ = 0;
    bool owner_draw_ = false;
    bool use_pages_ = false;
    bool updating_ = false;
    int loaded_tab_index_ = 0;
    fw::TImageList* images_ = nullptr;
    std::string theme_object_ = "default";
    bool destroying_ = false;
    int strip_repaints_ = 0;
    TRect last_strip_;
};

// The background behind a transparent child of a tab sheet: the tab control's frame.
bool TabSheetBackgroundPainter(fw::TCanvas& Canvas, const TteBackgroundInfo& Info);

} // namespace dvr::skin
