// The skinned list box: strings in one column or several, fixed or variable heights,
// word wrap, check boxes with a grayed state, single or range selection, hot tracking,
// and styles that list the system's font families or the named colours as samples.
#pragma once

#include "framework/stringlist.h"
#include "skin/controls/te_controls.h"
#include "skin/controls/te_scrollbar.h"
#include "skin/engine/te_bitmap.h"

#include <string>
#include <vector>

namespace dvr::skin {

class TTeListBox;

enum class TTeListBoxStyle : uint8_t {
    lbStandard,
    lbOwnerDrawFixed,
    lbOwnerDrawVariable,
    lbFonts,
    lbFontSamples,
    lbColors,
    lbColorNames
};
enum class TTeFontDevice : uint8_t { fdScreen, fdPrinter };
enum class TTeFontType : uint8_t { ftAll, ftTrueType, ftFixedPitch };

using TTeListDrawItemEvent = fw::TMethodPtr<void(TTeListBox* ListBox, fw::TCanvas* Canvas, int Index,
                                                 const TRect& Rect, fw::TOwnerDrawState State)>;
using TTeListMeasureItemEvent =
    fw::TMethodPtr<void(TTeListBox* ListBox, fw::TCanvas* Canvas, int Index, int& Height)>;

// The strings; every change reaches the list box, and the check states move with their
// items.
class TVoListBoxItems : public fw::TStringList {
    FW_CLASS(TVoListBoxItems, fw::TStringList)
public:
    explicit TVoListBoxItems(TTeListBox* ListBox) : ListBox(ListBox) {}
    TTeListBox* ListBox;

    void Put(int Index, const std::string& S) override;
    void PutObject(int Index, fw::TObject* AObject) override;
    int Add(const std::string& S) override;
    void InsertObject(int Index, const std::string& S, fw::TObject* AObject) override;
    void Clear() override;
    void Delete(int Index) override;
    void Exchange(int Index1, int Index2) override;
    void Insert(int Index, const std::string& S) override;

protected:
    void SetUpdateState(bool Updating) override;
};

class TTeListBox : public TTeControl {
    FW_CLASS(TTeListBox, TTeControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_MOUSEWHEEL, WMMouseWheel)
    FW_MESSAGE(WM_GETDLGCODE, WMGetDlgCode)
    FW_MESSAGE(fw::CM_ENABLEDCHANGED, CMEnabledChanged)
    FW_MESSAGE(fw::CM_MOUSELEAVE, CMMouseLeave)
    FW_MESSAGE(0x800, TMThemeChange)
    FW_MESSAGES_END
public:
    static constexpr int kCheckColumn = 15, kCheckSize = 13, kFontGlyphColumn = 18,
                         kFontTextIndent = 22, kSwatchWidth = 20, kSwatchHeight = 14,
                         kColorTextIndent = 24, kTextInset = 2;

    explicit TTeListBox(fw::TComponent* AOwner);
    ~TTeListBox() override;

    // ---- settings ----
    fw::TStrings* Items() { return &items_; }
    void SetItems(fw::TStrings* Value) { items_.Assign(Value); }
    int ItemHeight() const { return item_height_; }
    void SetItemHeight(int Value);
    TTeListBoxStyle ListStyle() const { return list_style_; }
    void SetListStyle(TTeListBoxStyle Value);
    int Columns() const { return columns_; }
    void SetColumns(int Value);
    bool MultiSelect() const { return multi_select_; }
    void SetMultiSelect(bool Value);
    bool Sorted() const { return items_.Sorted(); }
    void SetSorted(bool Value) { items_.SetSorted(Value); }
    bool WordWrap() const { return word_wrap_; }
    void SetWordWrap(bool Value);
    bool ShowCheckBoxes() const { return show_check_boxes_; }
    void SetShowCheckBoxes(bool Value);
    bool AllowGrayed() const { return allow_grayed_; }
    void SetAllowGrayed(bool Value);
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    bool AlwaysShowScrlBar() const { return always_show_scroll_bar_; }
    void SetAlwaysShowScrlBar(bool Value);
    TTeFontDevice FontDevice() const { return font_device_; }
    void SetFontDevice(TTeFontDevice Value);
    TTeFontType FontType() const { return font_type_; }
    void SetFontType(TTeFontType Value);
    int SelCount() const;
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value);
    bool ClickOnKeySelect() const { return click_on_key_select_; }
    void SetClickOnKeySelect(bool Value) { click_on_key_select_ = Value; }

    TTeListDrawItemEvent OnDrawItem;
    TTeListMeasureItemEvent OnMeasureItem;

    // ---- items ----
    int ItemIndex() const { return item_index_; }
    void SetItemIndex(int Index);
    int AnchorIndex() const { return anchor_index_; }
    int HotIndex() const { return hot_index_; }
    int HotCheck() const { return hot_check_; }
    void ItemsChanged();
    void UpdateSelection();
    void SetSelected(int Index, bool Value);
    bool IsSelected(int Index) const;
    uint8_t CheckState(int Index) const;
    void SetCheckState(int Index, uint8_t State);
    bool CheckEnabled(int Index) const;
    void SetCheckEnabled(int Index, bool Value);
    int ItemAtPos(TPoint Point, bool Existing);
    void CycleCheck(int Index);

    // ---- layout ----
    virtual int GetItemTop(int Index);
    virtual void GetItemRect(int Index, TRect& Rect);
    virtual int GetItemHeight(int Index);
    virtual int GetCheckColumnWidth() { return kCheckColumn; }
    virtual SIZE GetCheckSize() { return SIZE{kCheckSize, kCheckSize}; }
    int ColumnWidth();
    int ListHeight();
    void VisibleRange();
    int FirstVisibleIndex() const { return first_visible_; }
    int LastVisibleIndex() const { return last_visible_; }
    void UpdateScrollBar();
    TTeScrollBar* ScrollBar() const { return scroll_bar_; }
    bool ScrollBarShown() const { return scroll_bar_shown_; }
    // The laid-out rows: item rectangle and check rectangle (empty without check boxes).
    struct TItemPlace {
        int Index;
        TRect Item, Check;
    };
    std::vector<TItemPlace> Layout();
    void HitTest(int X, int Y);
    void FillFonts();
    void FillColors();

    void Loaded() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void PaintBackground() override;

protected:
    virtual void DrawItem(fw::TCanvas& Canvas, int Index, TRect Rect);
    virtual void PaintCheck(int Index, TRect Rect);
    virtual bool PtInItem(int X, int Y, const TRect& Rect, int Index);
    virtual bool PtInCheck(int X, int Y, const TRect& Rect, int Index);
    virtual void CreateListScrollBar();
    virtual void PaintPlainBackground();
    virtual void PaintItems();
    virtual void DoDrawItem(int Index, const TRect& Rect, fw::TOwnerDrawState State);
    virtual int DoMeasureItem(int Index);

    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, fw::TShiftState Shift) override;
    void FocusEnter() override;
    void FocusExit() override;

    void WMMouseWheel(fw::TMessage& M);
    void WMGetDlgCode(fw::TMessage& M);
    void CMEnabledChanged(fw::TMessage& M);
    void CMMouseLeave(fw::TMessage& M);
    void TMThemeChange(fw::TMessage& M);

private:
    friend class TVoListBoxItems;
    friend class TTeComboBox; // draws its current item as the list does
    bool Themed();
    void ScrollBarChange(fw::TObject* Sender);
    void LimitScrollPos(fw::TObject* Sender, TTeScrollCode Code, int& Pos);
    void ReapplyHeight();
    int ScrollPos() const;
    int ColumnsNeeded(int Height);
    void ResizeArrays();

    TVoListBoxItems items_{this};
    int item_height_ = 16;
    TTeListBoxStyle list_style_ = TTeListBoxStyle::lbStandard;
    int columns_ = 0;
    bool multi_select_ = false;
    bool word_wrap_ = false;
    bool show_check_boxes_ = false;
    bool allow_grayed_ = false;
    bool flat_ = true;
    bool always_show_scroll_bar_ = false;
    TTeFontDevice font_device_ = TTeFontDevice::fdScreen;
    TTeFontType font_type_ = TTeFontType::ftAll;
    std::string theme_object_ = "default";
    std::vector<uint8_t> check_states_;
    std::vector<bool> check_enabled_;
    std::vector<bool> selected_;
    int item_index_ = -1, anchor_index_ = -1, hot_index_ = -1, hot_check_ = -1;
    TPoint last_mouse_{-1, -1};
    bool button_held_ = false;
    bool click_on_key_select_ = true;
    bool updating_ = false;
    bool scroll_bar_shown_ = false;
    int first_visible_ = 0, last_visible_ = -1;
    TTeScrollBar* scroll_bar_ = nullptr;
    bool auto_scrolling_back_ = false, auto_scrolling_forward_ = false;
};

// The TrueType mark of the font styles: the resource "TE_LIST_TRUETYPE" with magenta as the
// key, loaded on first use (empty when the program has no such resource).
TteBitmap* ListTrueTypeGlyph();
void FreeListTrueTypeGlyph();

} // namespace dvr::skin
