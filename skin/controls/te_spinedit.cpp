#include "skin/controls/te_spinedit.h"

#include "common/win/textconv.h"
#include "framework/strutils.h"
#include "framework/ui/forms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace dvr::skin {

using fw::TMessage;
using fw::TShiftStateItem;

wchar_t SpinDecimalSeparator() {
    wchar_t buf[8] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8) > 0 && buf[0]) return buf[0];
    return L'.';
}

namespace {

// The text as a number in the locale's form (spaces around it allowed); false when it is
// not one.
bool SpinTextToFloat(const std::wstring& Text, double& Out) {
    size_t b = Text.find_first_not_of(L' '), e = Text.find_last_not_of(L' ');
    if (b == std::wstring::npos) return false;
    std::wstring t = Text.substr(b, e - b + 1);
    wchar_t sep = SpinDecimalSeparator();
    std::string a;
    for (wchar_t c : t) {
        if (c == sep)
            a += '.';
        else if ((c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'e' || c == L'E')
            a += char(c);
        else
            return false;
    }
    const char* s = a.c_str();
    char* end = nullptr;
    double v = std::strtod(s, &end);
    if (end == s || *end != 0 || !std::isfinite(v)) return false;
    Out = v;
    return true;
}

std::wstring SpinFloatToText(double V, int Decimals) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", std::clamp(Decimals, 0, 18), V);
    std::wstring w;
    wchar_t sep = SpinDecimalSeparator();
    for (const char* p = buf; *p; ++p) w += *p == '.' ? sep : wchar_t(uint8_t(*p));
    return w;
}

// Rounded to the nearest integer, ties to even, within 64 bits.
int64_t SpinRound(double V) {
    double r = std::nearbyint(V);
    if (r >= 9.2e18) return INT64_MAX;
    if (r <= -9.2e18) return INT64_MIN;
    return int64_t(r);
}

int SpinTrunc(double V) {
    if (V >= 2147483647.0) return INT32_MAX;
    if (V <= -2147483648.0) return INT32_MIN;
    return int(V);
}

} // namespace

TTeSpinEdit::TTeSpinEdit(fw::TComponent* AOwner) : TTeInplaceControlEdit(AOwner) {
    ReplaceButton(CreateButton());
    fw::TControlStyle style = ControlStyle();
    style.Exclude(fw::TControlStyleItem::csSetCaption);
    SetControlStyle(style);
    SetText(std::wstring(L"0"));
    TTeSpinButton* spin = SpinButton();
    spin->UpButton()->OnClick = fw::TNotifyEvent(this, &TTeSpinEdit::PartClick);
    spin->DownButton()->OnClick = fw::TNotifyEvent(this, &TTeSpinEdit::PartClick);
    spin->OnChanging = fw::TChangingEvent(this, &TTeSpinEdit::DoChanging);
}

TTeSpinEdit::~TTeSpinEdit() {
    suppress_change_ = true;
}

TTeControl* TTeSpinEdit::CreateButton() {
    return new TTeSpinButton(this);
}

template <class F> void TTeSpinEdit::KeepingText(F&& Change) {
    std::wstring keep = Text();
    Change();
    if (Text() != keep) {
        bool prior = suppress_change_;
        suppress_change_ = true;
        SetText(keep);
        suppress_change_ = prior;
    }
}

void TTeSpinEdit::CreateWnd() {
    TTeInplaceControlEdit::CreateWnd();
    // The spin button writes its own position into its associate's text when it gets
    // one; the value is in the text already and stays.
    // Its alignment beside an associate would also narrow it to 15 pixels; inside the
    // frame it keeps the button width.
    if (SpinButton()->Associate() != this) {
        int width = GetButtonWidth();
        KeepingText([this] { SpinButton()->SetAssociate(this); });
        SpinButton()->SetWidth(width);
    }
    UpdateButtonBounds();
}

void TTeSpinEdit::Loaded() {
    TTeInplaceControlEdit::Loaded();
    SetValueText(Value());
}

double TTeSpinEdit::Value() {
    if (Loading()) return 0;
    const std::wstring& t = Text();
    try {
        switch (value_type_) {
        case TTeSpinValueType::vtFloat: {
            double v;
            if (!SpinTextToFloat(t, v)) throw fw::EConvertError("not a number");
            return v;
        }
        case TTeSpinValueType::vtHex:
            return fw::StrToInt("$" + win::WideToGbk(t));
        case TTeSpinValueType::vtInteger:
            return fw::StrToInt(win::WideToGbk(t));
        }
    } catch (const std::exception&) {
    }
    return value_type_ == TTeSpinValueType::vtFloat ? min_value_ : double(SpinTrunc(min_value_));
}

double TTeSpinEdit::ClampValue(double V) const {
    if (min_value_ == max_value_) return V;
    if (V < min_value_) return min_value_;
    if (V > max_value_) return max_value_;
    return V;
}

void TTeSpinEdit::SetValueText(double V) {
    double c = ClampValue(V);
    std::wstring s;
    switch (value_type_) {
    case TTeSpinValueType::vtFloat:
        s = SpinFloatToText(c, decimal_);
        break;
    case TTeSpinValueType::vtHex:
        s = win::GbkToWide(fw::IntToHex(uint64_t(SpinRound(c)), 1));
        break;
    case TTeSpinValueType::vtInteger:
        s = win::GbkToWide(fw::IntToStr(SpinRound(c)));
        break;
    }
    SetText(s);
}

void TTeSpinEdit::SetValue(double V) {
    if (V == Value()) return;
    double old = Value();
    // A program's change of the value leaves the change notification as it found it
    // (written as it stands, every later typed change would go unreported).
    bool prior = suppress_change_;
    suppress_change_ = false;
    SetValueText(V);
    suppress_change_ = true;
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (!allow) SetValueText(old);
    suppress_change_ = prior;
}

void TTeSpinEdit::SetIncrement(double V) {
    if (V == increment_) return;
    increment_ = V;
    SpinButton()->SetIncrement(SpinTrunc(V));
}

void TTeSpinEdit::SetMinValue(double V) {
    if (V == min_value_) return;
    min_value_ = V;
    KeepingText([&] { SpinButton()->SetMin(SpinTrunc(V)); });
}

void TTeSpinEdit::SetMaxValue(double V) {
    if (V == max_value_) return;
    max_value_ = V;
    KeepingText([&] { SpinButton()->SetMax(SpinTrunc(V)); });
}

void TTeSpinEdit::SetDecimal(uint8_t V) {
    if (V == decimal_) return;
    double v = Value();
    decimal_ = V;
    SetValueText(v);
}

void TTeSpinEdit::SetValueType(TTeSpinValueType V) {
    if (V == value_type_) return;
    // The value is read in the old form before the text takes the new one (read in the
    // new form, "FF" or "2.70" would give the lower limit).
    double v = Value();
    value_type_ = V;
    if (!Loading()) SetValueText(v);
    if (V != TTeSpinValueType::vtFloat) {
        double r = double(SpinRound(increment_));
        increment_ = r == 0 ? 1 : r;
    }
}

void TTeSpinEdit::Change() {
    if (!suppress_change_) TTeInplaceControlEdit::Change();
}

void TTeSpinEdit::Step(bool Up, double Delta) {
    suppress_change_ = true;
    try {
        SetValue(Up ? Value() + Delta : Value() - Delta);
    } catch (...) {
        suppress_change_ = false;
        throw;
    }
    suppress_change_ = false;
}

void TTeSpinEdit::SpinClick(bool Up) {
    if (ReadOnly()) {
        ::MessageBeep(0);
        return;
    }
    Step(Up, increment_);
    if (Up) {
        if (OnUpClick) OnUpClick(this);
    } else if (OnDownClick) {
        OnDownClick(this);
    }
}

void TTeSpinEdit::PartClick(fw::TObject* Sender) {
    SpinClick(Sender == SpinButton()->UpButton());
}

void TTeSpinEdit::DoChanging(fw::TObject* Sender, bool& AllowChange) {
    double old = Value();
    if (Sender == SpinButton()) SetValue(SpinButton()->Position());
    AllowChange = true;
    if (OnChanging) {
        OnChanging(this, AllowChange);
        if (!AllowChange) SetValue(old);
    }
}

void TTeSpinEdit::FocusExit() {
    TTeInplaceControlEdit::FocusExit();
    double v = ClampValue(Value());
    if (v != Value()) SetValue(v);
}

bool TTeSpinEdit::IsValidChar(wchar_t Key) {
    bool valid;
    if (Key == L'+' || Key == L'-' || (Key >= L'0' && Key <= L'9')) {
        valid = true;
    } else if (value_type_ == TTeSpinValueType::vtFloat) {
        std::wstring upper = Text();
        for (wchar_t& c : upper) c = wchar_t(std::towupper(c));
        valid = (Key == SpinDecimalSeparator() && Text().find(Key) == std::wstring::npos) ||
                ((Key == L'e' || Key == L'E') && upper.find(L'E') == std::wstring::npos);
    } else if (value_type_ == TTeSpinValueType::vtHex) {
        valid = (Key >= L'A' && Key <= L'F') || (Key >= L'a' && Key <= L'f');
    } else {
        valid = false;
    }
    valid = valid || Key < 32;
    if (!editor_enabled_ && (Key >= 32 || Key == 8)) valid = false;
    return valid;
}

// Only texts made of the value type's characters come in: pasted letters would
// otherwise turn the value silently into the lower limit.
bool TTeSpinEdit::AcceptText(const std::wstring& Value) {
    wchar_t sep = SpinDecimalSeparator();
    for (wchar_t c : Value) {
        bool ok = (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L' ';
        if (value_type_ == TTeSpinValueType::vtFloat)
            ok = ok || c == sep || c == L'e' || c == L'E';
        else if (value_type_ == TTeSpinValueType::vtHex)
            ok = ok || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
        if (!ok) return false;
    }
    return true;
}

void TTeSpinEdit::KeyPress(char& Key) {
    if (!IsValidChar(wchar_t(uint8_t(Key)))) {
        Key = 0;
        ::MessageBeep(0);
    }
    if (Key == 0) return;
    TTeInplaceControlEdit::KeyPress(Key);
    if (Key == 13 || Key == 27) {
        if (fw::TCustomForm* f = fw::GetParentForm(this)) f->Perform(fw::CM_DIALOGKEY, uint8_t(Key), 0);
        if (Key == 13) Key = 0;
    }
}

// Characters beyond ASCII never belong to a number.
void TTeSpinEdit::WMChar(TMessage& M) {
    if (M.WParam >= 0x80) {
        ::MessageBeep(0);
        M.Result = 0;
        return;
    }
    if (M.Msg == WM_IME_CHAR) M.Msg = WM_CHAR;
    FW_INHERITED(M);
}

void TTeSpinEdit::WMImeComposition(TMessage& M) {
    if (M.LParam & GCS_RESULTSTR) {
        // The result would arrive as characters no number holds.
        ::MessageBeep(0);
        M.Result = 0;
        return;
    }
    FW_INHERITED(M);
}

void TTeSpinEdit::KeyDown(uint16_t& Key, fw::TShiftState Shift) {
    if (arrow_keys_) {
        switch (Key) {
        case VK_PRIOR:
        case VK_NEXT:
            if (ReadOnly())
                ::MessageBeep(0);
            else
                Step(Key == VK_PRIOR, large_step_);
            Key = 0;
            break;
        case VK_UP:
        case VK_DOWN:
            SpinClick(Key == VK_UP);
            Key = 0;
            break;
        default:
            break;
        }
    }
    if (!editor_enabled_) {
        bool only_ctrl = Shift == fw::TShiftState{TShiftStateItem::ssCtrl};
        bool only_shift = Shift == fw::TShiftState{TShiftStateItem::ssShift};
        if (Key == VK_BACK || Key == VK_DELETE) Key = 0;
        if (Key == VK_INSERT && (only_ctrl || only_shift)) Key = 0;
        if (only_ctrl && (Key == 0x56 || Key == 0x58 || Key == 0x5A || Key == 0x76 || Key == 0x78 ||
                          Key == 0x7A))
            Key = 0;
    }
    TTeInplaceControlEdit::KeyDown(Key, Shift);
}

void TTeSpinEdit::WMContextMenu(TMessage& M) {
    if (editor_enabled_) {
        FW_INHERITED(M);
        return;
    }
    bool was = ReadOnly();
    SetReadOnly(true);
    try {
        FW_INHERITED(M);
    } catch (...) {
        SetReadOnly(was);
        throw;
    }
    SetReadOnly(was);
}

} // namespace dvr::skin
