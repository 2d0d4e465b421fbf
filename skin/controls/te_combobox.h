// The skinned combo box: a skinned edit with a drop-down button inside its frame and a
// list box that, while dropped down, lives in a borderless top-most window under the
// edit. In the drop-down-list style the edit is read-only and shows the current item as
// the list paints it.
#pragma once

#include "framework/ui/forms.h"
#include "framework/ui/timer.h"
#include "skin/controls/te_edit.h"
#include "skin/controls/te_listbox.h"

#include <string>

namespace dvr::skin {

class TTeComboBox;
class TTeForm;

enum class TTeComboStyle : uint8_t { kcsDropDown, kcsDropDownList };
enum class TTeComboButtonAlign : uint8_t { cbaLeft, cbaRight };

using TTeComboBoxAllowChangeEvent =
    fw::TMethodPtr<void(fw::TObject* Sender, int ItemIndex, const std::string& Text, bool& Allow)>;

// The borderless top-most window the list drops into; the combo box owns it.
class TTeComboWindow : public fw::TForm {
    FW_CLASS(TTeComboWindow, fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_ACTIVATE, WMActivate)
    FW_MESSAGE(WM_MOUSEACTIVATE, WMMouseActivate)
    FW_MESSAGE(WM_ERASEBKGND, WMEraseBkgnd)
    FW_MESSAGE(WM_CLOSE, WMClose)
    FW_MESSAGE(fw::CM_SHOWINGCHANGED, CMShowingChanged)
    FW_MESSAGES_END
public:
    explicit TTeComboWindow(TTeComboBox* AOwner);

    bool CloseQuery() override { return fw::TForm::CloseQuery(); }
    // The combo box's owner when it is a windowed control.
    fw::TWinControl* GetOwnerControl();
    // The skinned-form component on that control.
    TTeForm* GetOwnerSkinForm();

protected:
    void CreateParams(fw::TCreateParams& Params) override;
    void KeyDown(uint16_t& Key, fw::TShiftState Shift) override;

    void WMActivate(fw::TMessage& M);
    void WMMouseActivate(fw::TMessage& M);
    void WMEraseBkgnd(fw::TMessage& M);
    void WMClose(fw::TMessage& M);
    void CMShowingChanged(fw::TMessage& M);

private:
    TTeComboBox* combo_;
};

class TTeComboBox : public TTeEdit {
    FW_CLASS(TTeComboBox, TTeEdit)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_SETFOCUS, WMSetFocus)
    FW_MESSAGE(WM_KILLFOCUS, WMKillFocus)
    FW_MESSAGE(WM_SETCURSOR, WMSetCursor)
    FW_MESSAGE(WM_CONTEXTMENU, WMContextMenu)
    FW_MESSAGE(WM_NCHITTEST, WMNCHitTest)
    FW_MESSAGE(WM_NCMOUSEMOVE, WMNCMouseMove)
    FW_MESSAGE(WM_NCLBUTTONDOWN, WMNCLButtonDown)
    FW_MESSAGE(WM_MOUSEMOVE, WMMouseMove)
    FW_MESSAGE(WM_MOUSEWHEEL, WMMouseWheel)
    FW_MESSAGE(fw::CM_MOUSEWHEEL, CMMouseWheel)
    FW_MESSAGE(fw::CM_MOUSELEAVE, CMMouseLeave)
    FW_MESSAGES_END
public:
    static constexpr int kDefaultButtonWidth = 15;

    explicit TTeComboBox(fw::TComponent* AOwner);
    ~TTeComboBox() override;
    void BeforeDestruction() override;

    // ---- own settings ----
    bool AutoComplete() const { return auto_complete_; }
    void SetAutoComplete(bool Value) { auto_complete_ = Value; }
    TTeComboButtonAlign ButtonAlign() const { return button_align_; }
    void SetButtonAlign(TTeComboButtonAlign Value);
    TTeComboStyle ComboStyle() const { return combo_style_; }
    void SetComboStyle(TTeComboStyle Value);
    int DropDownCount() const { return drop_down_count_; }
    void SetDropDownCount(int Value) { drop_down_count_ = Value; }
    int ItemHeight() const { return item_height_; }
    void SetItemHeight(int Value) { item_height_ = Value; }
    fw::TStrings* Items();
    void SetItems(fw::TStrings* Value);
    int ItemIndex() const { return item_index_; }
    void SetItemIndex(int Index);
    // The current item's text in the drop-down-list style, else the edit's text (GBK;
    // WideText gives it wide). Setting the text is the edit's own in both styles.
    std::string GetText() const override;
    std::wstring WideText() const;
    bool DropButtonHot() const { return drop_button_hot_; }
    bool DropButtonPressed() const { return drop_button_pressed_; }
    TTeListBox* DropList() const { return drop_list_; }
    TTeComboWindow* DropWindow() const { return drop_window_; }
    const std::wstring& LastText() const { return last_text_; }
    bool SuppressAutoComplete() const { return suppress_auto_complete_; }
    fw::TTimer* CompletionTimer() const { return completion_timer_; }

    // ---- the list's settings, passed through ----
    bool Flat() const;
    void SetFlat(bool Value);
    bool ShowCheckBoxes() const;
    void SetShowCheckBoxes(bool Value);
    bool Sorted() const;
    void SetSorted(bool Value);
    bool WordWrap() const;
    void SetWordWrap(bool Value);
    TTeFontDevice FontDevice() const;
    void SetFontDevice(TTeFontDevice Value);
    TTeFontType FontType() const;
    void SetFontType(TTeFontType Value);
    TTeListBoxStyle ListStyle() const;
    void SetListStyle(TTeListBoxStyle Value);
    TTeListDrawItemEvent OnDrawItem() const;
    void SetOnDrawItem(TTeListDrawItemEvent Value);
    TTeListMeasureItemEvent OnMeasureItem() const;
    void SetOnMeasureItem(TTeListMeasureItemEvent Value);

    fw::TNotifyEvent OnDropDown;
    fw::TNotifyEvent OnCloseUp;
    fw::TNotifyEvent OnListBoxClick;
    TTeComboBoxAllowChangeEvent OnAllowChange;

    // ---- dropping down ----
    virtual void DropDown();
    virtual void CloseUp();
    virtual void OpenDropDown();
    virtual TTeListBox* CreateListBox();
    virtual int GetButtonWidth();
    void GetButtonRect(TRect& R);
    TRect ButtonRect() {
        TRect r;
        GetButtonRect(r);
        return r;
    }
    void CloseDropDown(fw::TObject* Sender = nullptr);
    void ListClick(fw::TObject* Sender);
    void AutoCompleteTick(fw::TObject* Sender);
    bool DroppedDown() const;

    TRect GetTextRect() override;
    void Loaded() override;
    void SetParent(fw::TWinControl* AParent) override;

protected:
    void PaintTextBackground(TRect R) override;
    void PaintCurrentItem(TRect R);
    void KeyDown(uint16_t& Key, fw::TShiftState Shift) override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void Change() override;

    void WMSetFocus(fw::TMessage& M);
    void WMKillFocus(fw::TMessage& M);
    void WMSetCursor(fw::TMessage& M);
    void WMContextMenu(fw::TMessage& M);
    void WMNCHitTest(fw::TMessage& M);
    void WMNCMouseMove(fw::TMessage& M);
    void WMNCLButtonDown(fw::TMessage& M);
    void WMMouseMove(fw::TMessage& M);
    void WMMouseWheel(fw::TMessage& M);
    void CMMouseWheel(fw::TMessage& M);
    void CMMouseLeave(fw::TMessage& M);

private:
    bool ThemedCombo();
    void WheelSteps(int Steps);
    void SetButtonHot(bool Value);
    TPoint NCPoint(const fw::TMessage& M);

    TTeListBox* drop_list_ = nullptr;
    TTeComboButtonAlign button_align_ = TTeComboButtonAlign::cbaRight;
    bool drop_button_hot_ = false;
    bool drop_button_pressed_ = false;
    int drop_down_count_ = 8;
    int item_height_ = 15;
    int item_index_ = -1;
    TTeComboStyle combo_style_ = TTeComboStyle::kcsDropDown;
    bool auto_complete_ = false;
    std::wstring last_text_;
    bool suppress_auto_complete_ = false;
    fw::TTimer* completion_timer_ = nullptr;
    bool saved_read_only_ = false;
    TTeComboWindow* drop_window_ = nullptr;
};

} // namespace dvr::skin
