#include "framework/ui/stdctrls.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"

#include <windowsx.h>

#include <algorithm>

namespace dvr::fw {

using win::GbkToWide;
using win::WideToGbk;

const TTypeInfo* AlignmentType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
    return &t;
}

namespace {

const TTypeInfo* TextLayoutType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TTextLayout", {"tlTop", "tlCenter", "tlBottom"});
    return &t;
}

std::string CaptionOf(const TControl& c) {
    return c.Caption();
}

} // namespace

// ---- TItemStrings -------------------------------------------------------------------------

std::string TItemStrings::Get(int Index) const {
    CheckIndex(Index, GetCount());
    return items_[size_t(Index)].text;
}
TObject* TItemStrings::GetObject(int Index) const {
    CheckIndex(Index, GetCount());
    return items_[size_t(Index)].object;
}
void TItemStrings::Put(int Index, const std::string& S) {
    CheckIndex(Index, GetCount());
    TObject* o = items_[size_t(Index)].object;
    Delete(Index);
    InsertObject(Index, S, o);
}
void TItemStrings::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index, GetCount());
    items_[size_t(Index)].object = AObject;
}
void TItemStrings::Insert(int Index, const std::string& S) {
    InsertObject(Index, S, nullptr);
}
void TItemStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
    CheckIndex(Index, GetCount() + 1);
    items_.insert(items_.begin() + Index, Item{S, AObject});
    if (host_) host_->ItemInserted(Index, S);
    OnChange(this);
}
void TItemStrings::Delete(int Index) {
    CheckIndex(Index, GetCount());
    items_.erase(items_.begin() + Index);
    if (host_) host_->ItemDeleted(Index);
    OnChange(this);
}
void TItemStrings::Clear() {
    items_.clear();
    if (host_) host_->ItemsCleared();
    OnChange(this);
}

// ---- TLabel -------------------------------------------------------------------------------

void TLabel::Publish(TPublisher<TLabel>& p) {
    p.Property("Alignment", AlignmentType(), &TLabel::Alignment, &TLabel::SetAlignment).Default(0);
    p.Property("AutoSize", nullptr, &TLabel::AutoSize, &TLabel::SetAutoSize).Default(1);
    p.Property("Caption", nullptr, &CaptionOf, &TLabel::SetCaption);
    p.Property("Layout", TextLayoutType(), &TLabel::Layout, &TLabel::SetLayout).Default(0);
    p.Property("Transparent", nullptr, &TLabel::Transparent, &TLabel::SetTransparent).Default(0);
    p.Property("WordWrap", nullptr, &TLabel::WordWrap, &TLabel::SetWordWrap).Default(0);
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    control_style_.Include(TControlStyleItem::csOpaque).Include(TControlStyleItem::csReplicatable);
    SetBounds(0, 0, 65, 17);
}

UINT TLabel::TextFlags() const {
    static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    UINT f = DT_EXPANDTABS | align[int(alignment_)];
    if (word_wrap_) f |= DT_WORDBREAK;
    return f;
}

void TLabel::AdjustBounds() {
    if (!auto_size_ || Loading() || !parent_) return;
    TBitmap scratch; // a DC to measure with, whatever the parent's window state
    scratch.SetSize(1, 1);
    TCanvas* c = scratch.Canvas();
    c->SetFont(&font_);
    TRect r{0, 0, word_wrap_ ? width_ : 0, 0};
    std::string text = text_.empty() ? " " : text_;
    c->DrawText(text, r, TextFlags() | DT_CALCRECT);
    int left = left_;
    if (alignment_ == TAlignment::taRightJustify && !word_wrap_) left = left_ + width_ - r.Right;
    SetBounds(left, top_, r.Right, r.Bottom);
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    if (!transparent_) {
        c->Brush()->SetColor(color_);
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
        c->FillRect(r);
    }
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->SetFont(&font_);
    UINT flags = TextFlags();
    if (layout_ != TTextLayout::tlTop) {
        TRect calc = r;
        c->DrawText(text_, calc, flags | DT_CALCRECT);
        int dy = r.Height() - calc.Height();
        r.Top += layout_ == TTextLayout::tlCenter ? dy / 2 : dy;
    }
    if (!enabled_) c->Font()->SetColor(clGrayText);
    c->DrawText(text_, r, flags);
}

void TLabel::SetAlignment(TAlignment Value) {
    if (Value == alignment_) return;
    alignment_ = Value;
    Invalidate();
}
void TLabel::SetLayout(TTextLayout Value) {
    if (Value == layout_) return;
    layout_ = Value;
    Invalidate();
}
void TLabel::SetAutoSize(bool Value) {
    if (Value == auto_size_) return;
    auto_size_ = Value;
    AdjustBounds();
}
void TLabel::SetWordWrap(bool Value) {
    if (Value == word_wrap_) return;
    word_wrap_ = Value;
    AdjustBounds();
    Invalidate();
}
void TLabel::SetTransparent(bool Value) {
    if (Value == transparent_) return;
    transparent_ = Value;
    if (Value)
        control_style_.Exclude(TControlStyleItem::csOpaque);
    else
        control_style_.Include(TControlStyleItem::csOpaque);
    Invalidate();
}
void TLabel::CMTextChanged(TMessage&) {
    Invalidate();
    AdjustBounds();
}
void TLabel::CMFontChanged(TMessage& M) {
    FW_INHERITED(M);
    AdjustBounds();
}

// ---- buttons ------------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
    // The button window reports its clicks (BN_CLICKED) and holds the mouse itself.
    control_style_.Exclude(TControlStyleItem::csClickEvents)
        .Exclude(TControlStyleItem::csCaptureMouse);
    tab_stop_ = true;
    parent_color_ = true;
}

void TButton::Publish(TPublisher<TButton>& p) {
    p.Property("Cancel", nullptr, &TButton::Cancel, &TButton::SetCancel).Default(0);
    p.Property("Caption", nullptr, &CaptionOf, &TButton::SetCaption);
    p.Property("Default", nullptr, &TButton::Default, &TButton::SetDefault).Default(0);
    p.Property("ModalResult", nullptr, &TButton::ModalResult, &TButton::SetModalResult).Default(0);
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
    control_style_.Exclude(TControlStyleItem::csSetCaption);
    SetBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    Params.SubClassOf = L"BUTTON";
    Params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool Value) {
    if (Value == default_) return;
    default_ = Value;
    if (handle_)
        ::SendMessageW(handle_, BM_SETSTYLE, Value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    if (modal_result_ != 0)
        if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(modal_result_);
    TButtonControl::Click();
}

void TButton::CNCommand(TMessage& M) {
    if (HIWORD(M.WParam) == BN_CLICKED) Click();
}

void TCheckBox::Publish(TPublisher<TCheckBox>& p) {
    p.Property("AllowGrayed", nullptr, &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed)
        .Default(0);
    p.Property("Caption", nullptr, &CaptionOf, &TCheckBox::SetCaption);
    p.Property("Checked", nullptr, &TCheckBox::Checked, &TCheckBox::SetChecked).Default(0);
}

TCheckBox::TCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    Params.SubClassOf = L"BUTTON";
    Params.Style |= BS_3STATE;
}

void TCheckBox::CreateHandle() {
    TButtonControl::CreateHandle();
    ::SendMessageW(handle_, BM_SETCHECK, WPARAM(state_), 0);
}

void TCheckBox::SetState(TCheckBoxState Value) {
    if (Value == state_) return;
    state_ = Value;
    if (handle_) ::SendMessageW(handle_, BM_SETCHECK, WPARAM(Value), 0);
    if (!Loading()) Click();
}

void TCheckBox::CNCommand(TMessage& M) {
    if (HIWORD(M.WParam) != BN_CLICKED) return;
    // The box cycles itself: unchecked, checked, then grayed when allowed.
    switch (state_) {
    case TCheckBoxState::cbUnchecked:
        SetState(TCheckBoxState::cbChecked);
        break;
    case TCheckBoxState::cbChecked:
        SetState(allow_grayed_ ? TCheckBoxState::cbGrayed : TCheckBoxState::cbUnchecked);
        break;
    case TCheckBoxState::cbGrayed:
        SetState(TCheckBoxState::cbUnchecked);
        break;
    }
}

void TRadioButton::Publish(TPublisher<TRadioButton>& p) {
    p.Property("Caption", nullptr, &CaptionOf, &TRadioButton::SetCaption);
    p.Property("Checked", nullptr, &TRadioButton::Checked, &TRadioButton::SetChecked).Default(0);
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::CreateParams(TCreateParams& Params) {
    TButtonControl::CreateParams(Params);
    Params.SubClassOf = L"BUTTON";
    Params.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateHandle() {
    TButtonControl::CreateHandle();
    ::SendMessageW(handle_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool Value) {
    if (Value == checked_) return;
    checked_ = Value;
    tab_stop_ = Value;
    if (handle_) ::SendMessageW(handle_, BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (Value) {
        if (parent_)
            for (int i = 0; i < parent_->ControlCount(); ++i)
                if (auto* r = dynamic_cast<TRadioButton*>(parent_->Controls(i)); r && r != this)
                    r->SetChecked(false);
        if (!Loading()) Click();
    }
}

void TRadioButton::CNCommand(TMessage& M) {
    if (HIWORD(M.WParam) == BN_CLICKED || HIWORD(M.WParam) == BN_DOUBLECLICKED) SetChecked(true);
}

// ---- edits --------------------------------------------------------------------------------

static const TTypeInfo* CharCaseType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"});
    return &t;
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
    tab_stop_ = true;
    parent_color_ = false;
    color_ = clWindow;
    brush_.SetColor(color_);
    SetBounds(0, 0, 121, 21);
}

void TEdit::Publish(TPublisher<TEdit>& p) {
    p.Property("CharCase", CharCaseType(), &TEdit::CharCase, &TEdit::SetCharCase).Default(0);
    p.Property("MaxLength", nullptr, &TEdit::MaxLength, &TEdit::SetMaxLength).Default(0);
    p.Property(
         "PasswordChar", nullptr, [](const TEdit& e) { return int32_t(uint8_t(e.PasswordChar())); },
         [](TEdit& e, int32_t v) { e.SetPasswordChar(char(v)); })
        .Default(0);
    p.Property("ReadOnly", nullptr, &TEdit::ReadOnly, &TEdit::SetReadOnly).Default(0);
    p.Property(
        "Text", nullptr, [](const TEdit& e) { return e.GetText(); }, &TEdit::SetText);
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = L"EDIT";
    Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
    if (read_only_) Params.Style |= ES_READONLY;
    if (char_case_ == TEditCharCase::ecUpperCase) Params.Style |= ES_UPPERCASE;
    if (char_case_ == TEditCharCase::ecLowerCase) Params.Style |= ES_LOWERCASE;
}

void TCustomEdit::CreateHandle() {
    TWinControl::CreateHandle();
    ::SendMessageW(handle_, EM_LIMITTEXT, WPARAM(max_length_), 0);
    if (password_char_)
        ::SendMessageW(handle_, EM_SETPASSWORDCHAR, WPARAM(uint8_t(password_char_)), 0);
    ::SendMessageW(handle_, EM_SETMODIFY, modified_, 0);
}

void TCustomEdit::SetMaxLength(int Value) {
    if (Value < 0 || Value == max_length_) return;
    max_length_ = Value;
    if (handle_) ::SendMessageW(handle_, EM_LIMITTEXT, WPARAM(Value), 0);
}
void TCustomEdit::SetReadOnly(bool Value) {
    if (Value == read_only_) return;
    read_only_ = Value;
    if (handle_) ::SendMessageW(handle_, EM_SETREADONLY, Value, 0);
}
void TCustomEdit::SetPasswordChar(char Value) {
    if (Value == password_char_) return;
    password_char_ = Value;
    if (handle_) {
        ::SendMessageW(handle_, EM_SETPASSWORDCHAR, WPARAM(uint8_t(Value)), 0);
        Invalidate();
    }
}
void TCustomEdit::SetCharCase(TEditCharCase Value) {
    if (Value == char_case_) return;
    char_case_ = Value;
    RecreateWnd();
}

int TCustomEdit::SelStart() {
    DWORD s = 0, e = 0;
    ::SendMessageW(Handle(), EM_GETSEL, WPARAM(&s), LPARAM(&e));
    return int(s);
}
void TCustomEdit::SetSelStart(int Value) {
    ::SendMessageW(Handle(), EM_SETSEL, WPARAM(Value), LPARAM(Value));
}
int TCustomEdit::SelLength() {
    DWORD s = 0, e = 0;
    ::SendMessageW(Handle(), EM_GETSEL, WPARAM(&s), LPARAM(&e));
    return int(e - s);
}
void TCustomEdit::SetSelLength(int Value) {
    DWORD s = 0, e = 0;
    ::SendMessageW(Handle(), EM_GETSEL, WPARAM(&s), LPARAM(&e));
    ::SendMessageW(handle_, EM_SETSEL, s, LPARAM(s + DWORD(Value)));
}
std::string TCustomEdit::SelText() {
    std::wstring w = GbkToWide(GetText());
    int s = SelStart(), n = SelLength();
    if (s < 0 || size_t(s) > w.size()) return {};
    return WideToGbk(w.substr(size_t(s), size_t(n)));
}
void TCustomEdit::SetSelText(const std::string& Value) {
    std::wstring w = GbkToWide(Value);
    ::SendMessageW(Handle(), EM_REPLACESEL, TRUE, LPARAM(w.c_str()));
}
void TCustomEdit::SelectAll() {
    ::SendMessageW(Handle(), EM_SETSEL, 0, -1);
}
bool TCustomEdit::Modified() const {
    return handle_ ? ::SendMessageW(handle_, EM_GETMODIFY, 0, 0) != 0 : modified_;
}
void TCustomEdit::SetModified(bool Value) {
    modified_ = Value;
    if (handle_) ::SendMessageW(handle_, EM_SETMODIFY, Value, 0);
}

void TCustomEdit::Change() {
    OnChange(this);
}

void TCustomEdit::SetText(const std::string& Value) {
    // The change is told once, from CM_TEXTCHANGED, whether or not the window also
    // reports it.
    setting_text_ = true;
    try {
        TWinControl::SetText(Value);
    } catch (...) {
        setting_text_ = false;
        throw;
    }
    setting_text_ = false;
}

void TCustomEdit::CMTextChanged(TMessage& M) {
    FW_INHERITED(M);
    Change();
}

void TCustomEdit::CNCommand(TMessage& M) {
    if (HIWORD(M.WParam) == EN_CHANGE && !setting_text_ &&
        !control_state_.Contains(TControlStateItem::csCreating))
        Change();
}

// A memo's lines: the window text split at line breaks.
namespace {
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TMemo* Memo) : memo_(Memo) {}
    int GetCount() const override { return Lines().Count(); }
    std::string Get(int Index) const override {
        CheckIndex(Index, GetCount());
        return Lines().Strings(Index);
    }
    void Put(int Index, const std::string& S) override {
        TStringList l;
        l.Assign(&Lines());
        l.Put(Index, S);
        Store(l);
    }
    void Insert(int Index, const std::string& S) override {
        TStringList l;
        l.Assign(&Lines());
        l.Insert(Index, S);
        Store(l);
    }
    void Delete(int Index) override {
        TStringList l;
        l.Assign(&Lines());
        l.Delete(Index);
        Store(l);
    }
    void Clear() override { memo_->SetText(""); }

private:
    const TStringList& Lines() const {
        cache_.SetText(memo_->GetText());
        return cache_;
    }
    void Store(const TStringList& l) {
        std::string t = l.Text();
        // No break after the last line: it would show as an empty line in the window.
        if (t.size() >= 2 && t.compare(t.size() - 2, 2, "\r\n") == 0) t.resize(t.size() - 2);
        memo_->SetText(t);
    }
    TMemo* memo_;
    mutable TStringList cache_;
};
} // namespace

void TMemo::Publish(TPublisher<TMemo>& p) {
    p.Property("MaxLength", nullptr, &TMemo::MaxLength, &TMemo::SetMaxLength).Default(0);
    p.Property("ReadOnly", nullptr, &TMemo::ReadOnly, &TMemo::SetReadOnly).Default(0);
    p.Object("Lines", &TMemo::Lines);
    p.Property("WordWrap", nullptr, &TMemo::WordWrap, &TMemo::SetWordWrap).Default(1);
}

TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner), lines_(new TMemoStrings(this)) {
    SetBounds(0, 0, 185, 89);
}
TMemo::~TMemo() {
    delete lines_;
}

void TMemo::CreateParams(TCreateParams& Params) {
    TCustomEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE | ES_WANTRETURN;
    if (word_wrap_) Params.Style &= ~DWORD(ES_AUTOHSCROLL);
    if (scroll_bars_ == TScrollStyle::ssVertical || scroll_bars_ == TScrollStyle::ssBoth)
        Params.Style |= WS_VSCROLL;
    if (scroll_bars_ == TScrollStyle::ssHorizontal || scroll_bars_ == TScrollStyle::ssBoth)
        Params.Style |= WS_HSCROLL;
}

void TMemo::SetWordWrap(bool Value) {
    if (Value == word_wrap_) return;
    word_wrap_ = Value;
    RecreateWnd();
}
void TMemo::SetScrollBars(TScrollStyle Value) {
    if (Value == scroll_bars_) return;
    scroll_bars_ = Value;
    RecreateWnd();
}

// ---- combo box ----------------------------------------------------------------------------

static const TTypeInfo* ComboStyleType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList"});
    return &t;
}

void TComboBox::Publish(TPublisher<TComboBox>& p) {
    p.Property("DropDownCount", nullptr, &TComboBox::DropDownCount, &TComboBox::SetDropDownCount)
        .Default(8);
    p.Object("Items", &TComboBox::Items);
    p.Property("ItemIndex", nullptr, &TComboBox::ItemIndex, &TComboBox::SetItemIndex).Default(-1);
    p.Property("MaxLength", nullptr, &TComboBox::MaxLength, &TComboBox::SetMaxLength).Default(0);
    p.Property("Style", ComboStyleType(), &TComboBox::Style, &TComboBox::SetStyle).Default(0);
    p.Property(
        "Text", nullptr, [](const TComboBox& c) { return c.GetText(); }, &TComboBox::SetText);
}

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner), items_(this) {
    control_style_.Exclude(TControlStyleItem::csClickEvents)
        .Exclude(TControlStyleItem::csCaptureMouse);
    tab_stop_ = true;
    parent_color_ = false;
    color_ = clWindow;
    brush_.SetColor(color_);
    SetBounds(0, 0, 145, 21);
}

TComboBox::~TComboBox() {
    // The window goes before the items it mirrors.
    if (handle_) DestroyHandle();
}

void TComboBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = L"COMBOBOX";
    Params.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
    switch (style_) {
    case TComboBoxStyle::csDropDown:
        Params.Style |= CBS_DROPDOWN;
        break;
    case TComboBoxStyle::csSimple:
        Params.Style |= CBS_SIMPLE;
        break;
    case TComboBoxStyle::csDropDownList:
        Params.Style |= CBS_DROPDOWNLIST;
        break;
    }
    // The window's height is the dropped-down list's.
    if (style_ != TComboBoxStyle::csSimple) Params.Height = height_ + drop_down_count_ * 16 + 2;
}

void TComboBox::CreateHandle() {
    TWinControl::CreateHandle();
    for (int i = 0; i < items_.Count(); ++i) {
        std::wstring w = GbkToWide(items_.Strings(i));
        ::SendMessageW(handle_, CB_ADDSTRING, 0, LPARAM(w.c_str()));
    }
    if (max_length_) ::SendMessageW(handle_, CB_LIMITTEXT, WPARAM(max_length_), 0);
    ::SendMessageW(handle_, CB_SETCURSEL, WPARAM(item_index_), 0);
    if (item_index_ < 0 && style_ != TComboBoxStyle::csDropDownList)
        ::SetWindowTextW(handle_, GbkToWide(text_).c_str());
}

void TComboBox::DestroyWnd() {
    item_index_ = ItemIndex();
    TWinControl::DestroyWnd();
}

int TComboBox::ItemIndex() const {
    if (handle_) item_index_ = int(::SendMessageW(handle_, CB_GETCURSEL, 0, 0));
    return item_index_;
}

void TComboBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= items_.Count()) Value = -1;
    item_index_ = Value;
    if (handle_) ::SendMessageW(handle_, CB_SETCURSEL, WPARAM(Value), 0);
}

std::string TComboBox::GetText() const {
    if (!handle_) return item_index_ >= 0 ? items_.Strings(item_index_) : text_;
    return TWinControl::GetText();
}

void TComboBox::SetText(const std::string& Value) {
    int i = items_.IndexOf(Value);
    if (style_ == TComboBoxStyle::csDropDownList || i >= 0) {
        SetItemIndex(i);
        if (i >= 0 || style_ == TComboBoxStyle::csDropDownList) {
            TextChanged();
            return;
        }
    }
    item_index_ = -1;
    if (handle_) ::SendMessageW(handle_, CB_SETCURSEL, WPARAM(-1), 0);
    TWinControl::SetText(Value);
}

void TComboBox::Clear() {
    items_.Clear();
    TWinControl::SetText("");
}

void TComboBox::SetStyle(TComboBoxStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    RecreateWnd();
}
void TComboBox::SetDropDownCount(int Value) {
    if (Value < 1 || Value == drop_down_count_) return;
    drop_down_count_ = Value;
    RecreateWnd();
}
void TComboBox::SetMaxLength(int Value) {
    if (Value < 0) Value = 0;
    max_length_ = Value;
    if (handle_) ::SendMessageW(handle_, CB_LIMITTEXT, WPARAM(Value), 0);
}
bool TComboBox::DroppedDown() const {
    return handle_ && ::SendMessageW(handle_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}
void TComboBox::SetDroppedDown(bool Value) {
    ::SendMessageW(Handle(), CB_SHOWDROPDOWN, Value, 0);
}

void TComboBox::ItemInserted(int Index, const std::string& S) {
    if (!handle_) return;
    std::wstring w = GbkToWide(S);
    ::SendMessageW(handle_, CB_INSERTSTRING, WPARAM(Index), LPARAM(w.c_str()));
}
void TComboBox::ItemDeleted(int Index) {
    if (item_index_ == Index) item_index_ = -1;
    if (handle_) ::SendMessageW(handle_, CB_DELETESTRING, WPARAM(Index), 0);
}
void TComboBox::ItemsCleared() {
    item_index_ = -1;
    if (handle_) ::SendMessageW(handle_, CB_RESETCONTENT, 0, 0);
}

void TComboBox::Change() {
    OnChange(this);
}

void TComboBox::CNCommand(TMessage& M) {
    switch (HIWORD(M.WParam)) {
    case CBN_EDITCHANGE:
        Change();
        break;
    case CBN_SELCHANGE:
        item_index_ = ItemIndex();
        OnSelect(this);
        Click();
        Change();
        break;
    case CBN_DROPDOWN:
        OnDropDown(this);
        break;
    case CBN_CLOSEUP:
        OnCloseUp(this);
        break;
    default:
        break;
    }
}

// ---- list box -----------------------------------------------------------------------------

static const TTypeInfo* ListBoxStyleType() {
    static const TTypeInfo t = TTypeInfo::Enumeration(
        "TListBoxStyle", {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"});
    return &t;
}

void TListBox::Publish(TPublisher<TListBox>& p) {
    p.Property("ItemHeight", nullptr, &TListBox::ItemHeight, &TListBox::SetItemHeight).Default(16);
    p.Object("Items", &TListBox::Items);
    p.Property("MultiSelect", nullptr, &TListBox::MultiSelect, &TListBox::SetMultiSelect)
        .Default(0);
    p.Property("Style", ListBoxStyleType(), &TListBox::Style, &TListBox::SetStyle).Default(0);
}

TListBox::TListBox(TComponent* AOwner)
    : TWinControl(AOwner), items_(this), canvas_(new TControlCanvas(this)) {
    // Clicks come from the selection changing (LBN_SELCHANGE).
    control_style_.Exclude(TControlStyleItem::csClickEvents)
        .Exclude(TControlStyleItem::csCaptureMouse);
    tab_stop_ = true;
    parent_color_ = false;
    color_ = clWindow;
    brush_.SetColor(color_);
    SetBounds(0, 0, 121, 97);
}

TListBox::~TListBox() {
    if (handle_) DestroyHandle();
    delete canvas_;
}

void TListBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = L"LISTBOX";
    Params.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
    if (multi_select_) Params.Style |= LBS_EXTENDEDSEL;
    if (style_ == TListBoxStyle::lbOwnerDrawFixed) Params.Style |= LBS_OWNERDRAWFIXED;
    if (style_ == TListBoxStyle::lbOwnerDrawVariable) Params.Style |= LBS_OWNERDRAWVARIABLE;
}

void TListBox::CreateHandle() {
    TWinControl::CreateHandle();
    if (style_ == TListBoxStyle::lbOwnerDrawFixed)
        ::SendMessageW(handle_, LB_SETITEMHEIGHT, 0, item_height_);
    for (int i = 0; i < items_.Count(); ++i) {
        std::wstring w = GbkToWide(items_.Strings(i));
        ::SendMessageW(handle_, LB_ADDSTRING, 0, LPARAM(w.c_str()));
    }
    if (multi_select_) {
        for (size_t i = 0; i < saved_selection_.size() && int(i) < items_.Count(); ++i)
            if (saved_selection_[i]) ::SendMessageW(handle_, LB_SETSEL, TRUE, LPARAM(i));
    } else {
        ::SendMessageW(handle_, LB_SETCURSEL, WPARAM(item_index_), 0);
    }
    saved_selection_.clear();
}

void TListBox::DestroyWnd() {
    item_index_ = ItemIndex();
    saved_selection_.clear();
    if (multi_select_)
        for (int i = 0; i < items_.Count(); ++i)
            saved_selection_.push_back(Selected(i));
    TWinControl::DestroyWnd();
}

int TListBox::ItemIndex() const {
    if (!handle_) return item_index_;
    if (multi_select_) return int(::SendMessageW(handle_, LB_GETCARETINDEX, 0, 0));
    item_index_ = int(::SendMessageW(handle_, LB_GETCURSEL, 0, 0));
    return item_index_;
}

void TListBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= items_.Count()) Value = -1;
    item_index_ = Value;
    if (!handle_) return;
    if (multi_select_)
        ::SendMessageW(handle_, LB_SETCARETINDEX, WPARAM(Value), FALSE);
    else
        ::SendMessageW(handle_, LB_SETCURSEL, WPARAM(Value), 0);
}

bool TListBox::Selected(int Index) const {
    if (Index < 0 || Index >= items_.Count()) throw EListError("List index out of bounds");
    if (!handle_) {
        if (multi_select_)
            return size_t(Index) < saved_selection_.size() && saved_selection_[size_t(Index)];
        return Index == item_index_;
    }
    return ::SendMessageW(handle_, LB_GETSEL, WPARAM(Index), 0) > 0;
}

void TListBox::SetSelected(int Index, bool Value) {
    if (Index < 0 || Index >= items_.Count()) throw EListError("List index out of bounds");
    if (!multi_select_) {
        if (Value)
            SetItemIndex(Index);
        else if (ItemIndex() == Index)
            SetItemIndex(-1);
        return;
    }
    if (handle_) {
        ::SendMessageW(handle_, LB_SETSEL, Value, LPARAM(Index));
    } else {
        saved_selection_.resize(size_t(items_.Count()), false);
        saved_selection_[size_t(Index)] = Value;
    }
}

int TListBox::SelCount() const {
    if (!multi_select_) return ItemIndex() >= 0 ? 1 : 0;
    int n = 0;
    for (int i = 0; i < items_.Count(); ++i)
        if (Selected(i)) ++n;
    return n;
}

void TListBox::SetMultiSelect(bool Value) {
    if (Value == multi_select_) return;
    multi_select_ = Value;
    RecreateWnd();
}
void TListBox::SetStyle(TListBoxStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    RecreateWnd();
}
void TListBox::SetItemHeight(int Value) {
    if (Value <= 0 || Value == item_height_) return;
    item_height_ = Value;
    if (handle_ && style_ == TListBoxStyle::lbOwnerDrawFixed) RecreateWnd();
}
int TListBox::TopIndex() const {
    return handle_ ? int(::SendMessageW(handle_, LB_GETTOPINDEX, 0, 0)) : 0;
}
void TListBox::SetTopIndex(int Value) {
    ::SendMessageW(Handle(), LB_SETTOPINDEX, WPARAM(Value), 0);
}

int TListBox::ItemAtPos(TPoint Pos, bool Existing) const {
    if (!handle_) return -1;
    LRESULT r = ::SendMessageW(handle_, LB_ITEMFROMPOINT, 0, MAKELPARAM(Pos.X, Pos.Y));
    if (HIWORD(r) != 0) return Existing ? -1 : items_.Count();
    return LOWORD(r);
}

TRect TListBox::ItemRect(int Index) const {
    RECT r{};
    if (handle_) ::SendMessageW(handle_, LB_GETITEMRECT, WPARAM(Index), LPARAM(&r));
    return FromRECT(r);
}

void TListBox::ItemInserted(int Index, const std::string& S) {
    if (!handle_) return;
    std::wstring w = GbkToWide(S);
    ::SendMessageW(handle_, LB_INSERTSTRING, WPARAM(Index), LPARAM(w.c_str()));
}
void TListBox::ItemDeleted(int Index) {
    if (item_index_ == Index) item_index_ = -1;
    if (handle_) ::SendMessageW(handle_, LB_DELETESTRING, WPARAM(Index), 0);
}
void TListBox::ItemsCleared() {
    item_index_ = -1;
    saved_selection_.clear();
    if (handle_) ::SendMessageW(handle_, LB_RESETCONTENT, 0, 0);
}

void TListBox::CNCommand(TMessage& M) {
    switch (HIWORD(M.WParam)) {
    case LBN_SELCHANGE:
        Click();
        break;
    case LBN_DBLCLK:
        DblClick();
        break;
    default:
        break;
    }
}

void TListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    if (OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    canvas_->FillRect(Rect);
    if (Index >= 0 && Index < items_.Count())
        canvas_->TextOut(Rect.Left + 2, Rect.Top, items_.Strings(Index));
}

void TListBox::CNDrawItem(TMessage& M) {
    auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
    TOwnerDrawState state;
    if (d->itemState & ODS_SELECTED) state.Include(TOwnerDrawStateItem::odSelected);
    if (d->itemState & ODS_FOCUS) state.Include(TOwnerDrawStateItem::odFocused);
    if (d->itemState & ODS_DISABLED) state.Include(TOwnerDrawStateItem::odDisabled);
    canvas_->Lock();
    try {
        canvas_->SetHandle(d->hDC);
        canvas_->SetFont(&font_);
        canvas_->Brush()->Assign(&brush_);
        if (state.Contains(TOwnerDrawStateItem::odSelected)) {
            canvas_->Brush()->SetColor(clHighlight);
            canvas_->Font()->SetColor(clHighlightText);
        }
        if (d->itemID != UINT(-1)) DrawItem(int(d->itemID), FromRECT(d->rcItem), state);
        if (state.Contains(TOwnerDrawStateItem::odFocused)) ::DrawFocusRect(d->hDC, &d->rcItem);
    } catch (...) {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
        throw;
    }
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
    M.Result = 1;
}

void TListBox::CNMeasureItem(TMessage& M) {
    auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
    int h = item_height_;
    if (style_ == TListBoxStyle::lbOwnerDrawVariable) OnMeasureItem(this, int(m->itemID), h);
    m->itemHeight = UINT(h);
    M.Result = 1;
}

// ---- group box ----------------------------------------------------------------------------

void TGroupBox::Publish(TPublisher<TGroupBox>& p) {
    p.Property("Caption", nullptr, &CaptionOf, &TGroupBox::SetCaption);
}

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
    control_style_.Include(TControlStyleItem::csAcceptsControls);
    parent_color_ = true;
    SetBounds(0, 0, 185, 105);
}

void TGroupBox::Paint() {
    TCanvas* c = Canvas();
    c->SetFont(&font_);
    int h = c->TextHeight("0");
    TRect r = ClientRect();
    c->Brush()->SetColor(color_);
    c->FillRect(r);
    RECT frame{r.Left, r.Top + h / 2, r.Right, r.Bottom};
    ::DrawEdge(c->Handle(), &frame, EDGE_ETCHED, BF_RECT);
    std::string text = text_;
    if (!text.empty()) {
        TRect t{8, 0, r.Right - 8, h};
        c->DrawText(text, t, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
        t.Right += 2;
        c->FillRect(TRect{t.Left - 1, t.Top, t.Right + 1, t.Bottom});
        if (!enabled_) c->Font()->SetColor(clGrayText);
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        c->DrawText(text, t, DT_LEFT | DT_SINGLELINE);
    }
}

void TGroupBox::AlignControls(TControl* AControl, TRect& Rect) {
    // Children keep clear of the frame and the caption.
    int h = 16;
    {
        TBitmap scratch;
        scratch.SetSize(1, 1);
        scratch.Canvas()->SetFont(&font_);
        h = scratch.Canvas()->TextHeight("0");
    }
    Rect.Left += 2;
    Rect.Top += h;
    Rect.Right -= 2;
    Rect.Bottom -= 2;
    TCustomControl::AlignControls(AControl, Rect);
}

void TGroupBox::CMTextChanged(TMessage&) {
    Invalidate();
}

// ---- scroll bar ---------------------------------------------------------------------------

static const TTypeInfo* ScrollBarKindType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TScrollBarKind", {"sbHorizontal", "sbVertical"});
    return &t;
}

void TScrollBar::Publish(TPublisher<TScrollBar>& p) {
    p.Property("Kind", ScrollBarKindType(), &TScrollBar::Kind, &TScrollBar::SetKind).Default(0);
    p.Property("LargeChange", nullptr, &TScrollBar::LargeChange, &TScrollBar::SetLargeChange)
        .Default(1);
    p.Property("Max", nullptr, &TScrollBar::Max, &TScrollBar::SetMax).Default(100);
    p.Property("Min", nullptr, &TScrollBar::Min, &TScrollBar::SetMin).Default(0);
    p.Property("PageSize", nullptr, &TScrollBar::PageSize, &TScrollBar::SetPageSize).Default(0);
    p.Property("Position", nullptr, &TScrollBar::Position, &TScrollBar::SetPosition).Default(0);
    p.Property("SmallChange", nullptr, &TScrollBar::SmallChange, &TScrollBar::SetSmallChange)
        .Default(1);
}

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {
    tab_stop_ = true;
    SetBounds(0, 0, 121, ::GetSystemMetrics(SM_CYHSCROLL));
}

void TScrollBar::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = L"SCROLLBAR";
    Params.Style |= kind_ == TScrollBarKind::sbHorizontal ? SBS_HORZ : SBS_VERT;
}

void TScrollBar::CreateHandle() {
    TWinControl::CreateHandle();
    UpdateWindow();
}

void TScrollBar::UpdateWindow() {
    if (!handle_) return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    si.nMin = min_;
    si.nMax = max_;
    si.nPage = UINT(page_size_);
    si.nPos = position_;
    ::SetScrollInfo(handle_, SB_CTL, &si, TRUE);
}

void TScrollBar::SetKind(TScrollBarKind Value) {
    if (Value == kind_) return;
    kind_ = Value;
    if (!Loading()) SetBounds(left_, top_, height_, width_);
    RecreateWnd();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
    if (AMax < AMin) throw EInvalidOperation("Scroll bar property out of range");
    APosition = std::clamp(APosition, AMin, AMax);
    bool moved = APosition != position_;
    if (AMin == min_ && AMax == max_ && !moved) return;
    min_ = AMin;
    max_ = AMax;
    position_ = APosition;
    UpdateWindow();
    if (moved && !Loading()) Change();
}

void TScrollBar::SetPageSize(int Value) {
    if (Value < 0 || Value == page_size_) return;
    page_size_ = Value;
    UpdateWindow();
}

void TScrollBar::Change() {
    OnChange(this);
}
void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
    OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::CNScroll(TMessage& M) {
    int code = LOWORD(M.WParam);
    int pos = position_;
    switch (code) {
    case SB_LINEUP:
        pos -= small_change_;
        break;
    case SB_LINEDOWN:
        pos += small_change_;
        break;
    case SB_PAGEUP:
        pos -= large_change_;
        break;
    case SB_PAGEDOWN:
        pos += large_change_;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(handle_, SB_CTL, &si);
        pos = si.nTrackPos;
        break;
    }
    case SB_TOP:
        pos = min_;
        break;
    case SB_BOTTOM:
        pos = max_;
        break;
    default:
        break;
    }
    pos = std::clamp(pos, min_, max_);
    Scroll(TScrollCode(code), pos);
    SetPosition(pos);
}

} // namespace dvr::fw
