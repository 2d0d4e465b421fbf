// Standard controls over the Windows controls (BUTTON, EDIT, LISTBOX, COMBOBOX,
// SCROLLBAR) and the framework's own label and group box. Texts are GBK, shown through
// the wide window functions. Notifications come back to the control as CN_COMMAND and
// friends (reflected by the parent).
#pragma once

#include "framework/stringlist.h"
#include "framework/ui/controls.h"

#include <string>
#include <vector>

namespace dvr::fw {

enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
const TTypeInfo* AlignmentType();

// Strings whose changes a control mirrors into its window, one by one.
class TItemStrings : public TStrings {
    FW_CLASS(TItemStrings, TStrings)
public:
    struct Host {
        virtual void ItemInserted(int Index, const std::string& S) = 0;
        virtual void ItemDeleted(int Index) = 0;
        virtual void ItemsCleared() = 0;
        virtual ~Host() = default;
    };
    explicit TItemStrings(Host* AHost) : host_(AHost) {}

    int GetCount() const override { return int(items_.size()); }
    std::string Get(int Index) const override;
    TObject* GetObject(int Index) const override;
    void Put(int Index, const std::string& S) override;
    void PutObject(int Index, TObject* AObject) override;
    void Insert(int Index, const std::string& S) override;
    void InsertObject(int Index, const std::string& S, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;

    TNotifyEvent OnChange;

private:
    struct Item {
        std::string text;
        TObject* object = nullptr;
    };
    std::vector<Item> items_;
    Host* host_;
};

class TLabel : public TGraphicControl {
    FW_PUBLISHED(TLabel, TGraphicControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGE(CM_FONTCHANGED, CMFontChanged)
    FW_MESSAGES_END
public:
    explicit TLabel(TComponent* AOwner);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout Value);
    bool AutoSize() const { return auto_size_; }
    void SetAutoSize(bool Value);
    bool WordWrap() const { return word_wrap_; }
    void SetWordWrap(bool Value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    void Loaded() override;

protected:
    void Paint() override;
    void AdjustBounds();
    UINT TextFlags() const;
    void CMTextChanged(TMessage& M);
    void CMFontChanged(TMessage& M);

private:
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TTextLayout layout_ = TTextLayout::tlTop;
    bool auto_size_ = true;
    bool word_wrap_ = false;
    bool transparent_ = false;
};

// Windowed controls over a standard window class.
class TButtonControl : public TWinControl {
    FW_CLASS(TButtonControl, TWinControl)
public:
    explicit TButtonControl(TComponent* AOwner);
};

class TButton : public TButtonControl {
    FW_PUBLISHED(TButton, TButtonControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_COMMAND, CNCommand)
    FW_MESSAGES_END
public:
    explicit TButton(TComponent* AOwner);
    // Clicking sets the form's ModalResult to it (when not mrNone).
    int ModalResult() const { return modal_result_; }
    void SetModalResult(int Value) { modal_result_ = Value; }
    bool Default() const { return default_; }
    void SetDefault(bool Value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool Value) { cancel_ = Value; }
    void Click() override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CNCommand(TMessage& M);

private:
    int modal_result_ = 0;
    bool default_ = false;
    bool cancel_ = false;
};

enum class TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TButtonControl {
    FW_PUBLISHED(TCheckBox, TButtonControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_COMMAND, CNCommand)
    FW_MESSAGES_END
public:
    explicit TCheckBox(TComponent* AOwner);
    bool Checked() const { return state_ == TCheckBoxState::cbChecked; }
    // Setting the state clicks the box (OnClick) when it changes.
    void SetChecked(bool Value) {
        SetState(Value ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
    }
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState Value);
    bool AllowGrayed() const { return allow_grayed_; }
    void SetAllowGrayed(bool Value) { allow_grayed_ = Value; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void CNCommand(TMessage& M);

private:
    TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
    bool allow_grayed_ = false;
};

class TRadioButton : public TButtonControl {
    FW_PUBLISHED(TRadioButton, TButtonControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_COMMAND, CNCommand)
    FW_MESSAGES_END
public:
    explicit TRadioButton(TComponent* AOwner);
    bool Checked() const { return checked_; }
    // Checking one unchecks the other radio buttons of the same parent.
    void SetChecked(bool Value);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void CNCommand(TMessage& M);

private:
    bool checked_ = false;
};

enum class TEditCharCase : uint8_t { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
    FW_CLASS(TCustomEdit, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_COMMAND, CNCommand)
    FW_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGES_END
public:
    explicit TCustomEdit(TComponent* AOwner);
    int MaxLength() const { return max_length_; }
    void SetMaxLength(int Value);
    bool ReadOnly() const { return read_only_; }
    void SetReadOnly(bool Value);
    char PasswordChar() const { return password_char_; }
    void SetPasswordChar(char Value);
    TEditCharCase CharCase() const { return char_case_; }
    void SetCharCase(TEditCharCase Value);
    // Selection in characters of the shown (wide) text.
    int SelStart();
    void SetSelStart(int Value);
    int SelLength();
    void SetSelLength(int Value);
    std::string SelText();
    void SetSelText(const std::string& Value);
    void SelectAll();
    void Clear() { SetText(""); }
    void SetText(const std::string& Value) override;
    bool Modified() const;
    void SetModified(bool Value);

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    virtual void Change();
    void CNCommand(TMessage& M);
    void CMTextChanged(TMessage& M);

    int max_length_ = 0;
    bool setting_text_ = false;
    bool read_only_ = false;
    char password_char_ = 0;
    TEditCharCase char_case_ = TEditCharCase::ecNormal;
    bool modified_ = false;
};

class TEdit : public TCustomEdit {
    FW_PUBLISHED(TEdit, TCustomEdit)
public:
    using TCustomEdit::TCustomEdit;
};

class TMemo : public TCustomEdit {
    FW_PUBLISHED(TMemo, TCustomEdit)
public:
    explicit TMemo(TComponent* AOwner);
    ~TMemo() override;
    // The lines of the text (read from and written to the window).
    TStrings* Lines() { return lines_; }
    bool WordWrap() const { return word_wrap_; }
    void SetWordWrap(bool Value);
    enum class TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
    TScrollStyle ScrollBars() const { return scroll_bars_; }
    void SetScrollBars(TScrollStyle Value);

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    TStrings* lines_;
    bool word_wrap_ = true;
    TScrollStyle scroll_bars_ = TScrollStyle::ssNone;
};

enum class TComboBoxStyle : uint8_t { csDropDown, csSimple, csDropDownList };

class TComboBox : public TWinControl, private TItemStrings::Host {
    FW_PUBLISHED(TComboBox, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_COMMAND, CNCommand)
    FW_MESSAGES_END
public:
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;
    TStrings* Items() { return &items_; }
    int ItemIndex() const;
    void SetItemIndex(int Value);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle Value);
    int DropDownCount() const { return drop_down_count_; }
    void SetDropDownCount(int Value);
    int MaxLength() const { return max_length_; }
    void SetMaxLength(int Value);
    bool DroppedDown() const;
    void SetDroppedDown(bool Value);
    std::string GetText() const override;
    void SetText(const std::string& Value) override;
    void Clear();

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void DestroyWnd() override;
    void CNCommand(TMessage& M);
    virtual void Change();

private:
    void ItemInserted(int Index, const std::string& S) override;
    void ItemDeleted(int Index) override;
    void ItemsCleared() override;

    TItemStrings items_;
    mutable int item_index_ = -1;
    TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
    int drop_down_count_ = 8;
    int max_length_ = 0;
};

enum class TListBoxStyle : uint8_t { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

class TListBox : public TWinControl, protected TItemStrings::Host {
    FW_PUBLISHED(TListBox, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_COMMAND, CNCommand)
    FW_MESSAGE(CN_BASE + WM_DRAWITEM, CNDrawItem)
    FW_MESSAGE(CN_BASE + WM_MEASUREITEM, CNMeasureItem)
    FW_MESSAGES_END
public:
    explicit TListBox(TComponent* AOwner);
    ~TListBox() override;
    TStrings* Items() { return &items_; }
    int ItemIndex() const;
    void SetItemIndex(int Value);
    bool MultiSelect() const { return multi_select_; }
    void SetMultiSelect(bool Value);
    bool Selected(int Index) const;
    void SetSelected(int Index, bool Value);
    int SelCount() const;
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle Value);
    int ItemHeight() const { return item_height_; }
    void SetItemHeight(int Value);
    int TopIndex() const;
    void SetTopIndex(int Value);
    // The item at a client point, or -1.
    int ItemAtPos(TPoint Pos, bool Existing) const;
    TRect ItemRect(int Index) const;
    void Clear() { items_.Clear(); }
    TCanvas* Canvas() { return canvas_; }

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void DestroyWnd() override;
    void CNCommand(TMessage& M);
    void CNDrawItem(TMessage& M);
    void CNMeasureItem(TMessage& M);
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    void ItemInserted(int Index, const std::string& S) override;
    void ItemDeleted(int Index) override;
    void ItemsCleared() override;

    TItemStrings items_;
    TControlCanvas* canvas_;
    mutable int item_index_ = -1;
    std::vector<bool> saved_selection_;
    bool multi_select_ = false;
    TListBoxStyle style_ = TListBoxStyle::lbStandard;
    int item_height_ = 16;
};

// A control that groups others under a captioned frame.
class TGroupBox : public TCustomControl {
    FW_PUBLISHED(TGroupBox, TCustomControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGES_END
public:
    explicit TGroupBox(TComponent* AOwner);

protected:
    void Paint() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void CMTextChanged(TMessage& M);
};

enum class TScrollBarKind : uint8_t { sbHorizontal, sbVertical };

class TScrollBar : public TWinControl {
    FW_PUBLISHED(TScrollBar, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CN_BASE + WM_HSCROLL, CNScroll)
    FW_MESSAGE(CN_BASE + WM_VSCROLL, CNScroll)
    FW_MESSAGES_END
public:
    explicit TScrollBar(TComponent* AOwner);
    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind Value);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    void SetMin(int Value) { SetParams(position_, Value, max_); }
    void SetMax(int Value) { SetParams(position_, min_, Value); }
    void SetPosition(int Value) { SetParams(Value, min_, max_); }
    // Max below Min raises EInvalidOperation; Position is kept inside.
    void SetParams(int APosition, int AMin, int AMax);
    int PageSize() const { return page_size_; }
    void SetPageSize(int Value);
    int SmallChange() const { return small_change_; }
    void SetSmallChange(int Value) { small_change_ = Value; }
    int LargeChange() const { return large_change_; }
    void SetLargeChange(int Value) { large_change_ = Value; }

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void CNScroll(TMessage& M);
    virtual void Change();
    virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);

private:
    void UpdateWindow();
    TScrollBarKind kind_ = TScrollBarKind::sbHorizontal;
    int min_ = 0, max_ = 100, position_ = 0, page_size_ = 0;
    int small_change_ = 1, large_change_ = 1;
};

} // namespace dvr::fw
