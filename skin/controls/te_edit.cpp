#include "skin/controls/te_edit.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"
#include "skin/controls/te_items.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_theme.h"

#include <imm.h>
#include <windowsx.h>

#include <algorithm>

namespace dvr::skin {

using fw::TMessage;
using fw::TShiftStateItem;

// ---- undo history ----

void* TStack::PopItem() {
    if (!list_.Count()) return nullptr;
    void* p = list_.Last();
    list_.Delete(list_.Count() - 1);
    return p;
}

TEditActionStack::~TEditActionStack() {
    while (void* p = PopItem()) delete static_cast<EditAction*>(p);
}

void TEditActionStack::PushDeletion(int Position, const std::wstring& Text) {
    if (Text.empty()) return;
    auto* top = static_cast<EditAction*>(PeekItem());
    if (top && top->Kind == kEditActionDeletion) {
        int d = top->Position - Position;
        if (d >= 0 && d <= int(Text.size()) + 1) {
            if (Position <= 0) return;
            if (Position < top->Position)
                top->Text = Text + top->Text; // a run of backspaces
            else
                top->Text += Text; // a run of forward deletes
            top->Position = Position;
            return;
        }
    }
    auto* a = new EditAction;
    a->Kind = kEditActionDeletion;
    a->Position = Position;
    a->Text = Text;
    PushItem(a);
}

void TEditActionStack::PushInsertion(int Position, int Count, bool Chained) {
    if (Count == 0) return;
    auto* top = static_cast<EditAction*>(PeekItem());
    if (top && top->Kind == kEditActionInsertion && top->Position + top->Count == Position) {
        top->Count += Count;
        return;
    }
    auto* a = new EditAction;
    a->Kind = kEditActionInsertion;
    a->Position = Position;
    a->Count = Count;
    a->Chained = Chained;
    PushItem(a);
}

bool TEditActionStack::Undo() {
    bool had = Count() > 0;
    if (!had || !edit_) return had;
    bool chained = true;
    while (chained) {
        auto* a = static_cast<EditAction*>(PopItem());
        if (!a) break;
        chained = a->Chained;
        if (a->Kind == kEditActionDeletion)
            edit_->InsertText(a->Position - 1, a->Text, true);
        else
            edit_->DeleteText(a->Position, a->Count, true);
        delete a;
    }
    return had;
}

// ---- the edit ----

namespace {

bool EditIsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// Units of the character before (Back) or after Pos: two for a surrogate pair, so that
// deleting and moving never leave half a character.
int EditUnitsAt(const std::wstring& S, int Pos, bool Back) {
    auto low = [](wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
    if (Back)
        return Pos >= 2 && low(S[size_t(Pos - 1)]) && EditIsHighSurrogate(S[size_t(Pos - 2)]) ? 2
                                                                                              : 1;
    return Pos + 1 < int(S.size()) && EditIsHighSurrogate(S[size_t(Pos)]) &&
                   low(S[size_t(Pos + 1)])
               ? 2
               : 1;
}

// A text cut to at most N units, never between the halves of a surrogate pair.
std::wstring EditCutWhole(const std::wstring& S, int N) {
    if (N <= 0) return {};
    if (int(S.size()) <= N) return S;
    size_t n = size_t(N);
    if (EditIsHighSurrogate(S[n - 1])) --n;
    return S.substr(0, n);
}

std::wstring EditAnsiCharToWide(char Ch) {
    wchar_t w[2] = {};
    int n = ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, &Ch, 1, w, 2);
    return std::wstring(w, size_t(std::max(n, 0)));
}

std::wstring EditCaseConvert(std::wstring S, TEditCharCase Case) {
    if (S.empty() || Case == TEditCharCase::ecNormal) return S;
    // Wide case mapping: going through the ANSI code page would lose every character
    // outside it (all Chinese text on a Western system).
    if (Case == TEditCharCase::ecUpperCase)
        ::CharUpperBuffW(S.data(), DWORD(S.size()));
    else
        ::CharLowerBuffW(S.data(), DWORD(S.size()));
    return S;
}

} // namespace

TTeEdit::TTeEdit(fw::TComponent* AOwner) : TTeControl(AOwner) {
    undo_stack_ = new TEditActionStack(this);
    SetPerformance(TTePerformance::kpDoubleBuffer);
    SetBevelKind(TTeBevelKind::kbkSingle);
    SetBevelWidth(1);
    SetBorderWidth(3);
    control_style_.Include(fw::TControlStyleItem::csCaptureMouse);
    SetTabStop(true);
    SetBounds(Left(), Top(), 121, 21);
    SetColor(fw::clWindow);
    SetCursor(fw::crDefault);
}

TTeEdit::~TTeEdit() {
    RemoveThemeNotification(this);
    ReleaseOriginalFont(Font());
    delete context_menu_;
    context_menu_ = nullptr;
    delete undo_stack_;
    undo_stack_ = nullptr;
}

void TTeEdit::Loaded() {
    StoreOriginalFont(Font());
    AddThemeNotification(this);
    TTeControl::Loaded();
    if (auto_size_) {
        SetHeight(Height() + 1);
        AdjustSize();
    }
}

// ---- text ----

std::string TTeEdit::GetText() const {
    return win::WideToGbk(text_);
}

void TTeEdit::SetText(const std::string& Value) {
    SetText(win::GbkToWide(Value));
}

void TTeEdit::SetText(const std::wstring& Value) {
    if (!AcceptText(Value)) return;
    std::wstring old = text_;
    text_ = EditCaseConvert(Value, char_case_);
    Invalidate();
    if (text_ != old) Change();
}

void TTeEdit::Change() {
    if (Enabled() && HandleAllocated()) MoveCaret(caret_pos_);
    if (OnChange) OnChange(this);
}

void TTeEdit::CMTextChanged(TMessage& /*M*/) {
    // The text lives here; the framework's copy is never set apart from SetText.
    sel_delta_ = 0;
    Invalidate();
}

// ---- settings ----

void TTeEdit::SetAutoSize(bool Value) {
    if (Value == auto_size_) return;
    auto_size_ = Value;
    if (Value) AdjustSize();
}

void TTeEdit::SetCharCase(TEditCharCase Value) {
    if (Value == char_case_) return;
    char_case_ = Value;
    if (!text_.empty()) SetText(text_);
}

void TTeEdit::SetHideSelection(bool Value) {
    if (Value == hide_selection_) return;
    hide_selection_ = Value;
    Invalidate();
}

void TTeEdit::SetTextAlignment(TAlignment Value) {
    if (Value == alignment_) return;
    alignment_ = Value;
    Invalidate();
}

void TTeEdit::SetPasswordKind(TPasswordKind Value) {
    if (Value == password_kind_) return;
    password_kind_ = Value;
    Invalidate();
}

void TTeEdit::SetThemeObject(const std::string& Value) {
    if (Value == theme_object_) return;
    theme_object_ = Value;
    Invalidate();
}

void TTeEdit::SetCursor(fw::TCursor Value) {
    TTeControl::SetCursor(Value == fw::crDefault ? fw::crIBeam : Value);
}

void TTeEdit::SetPasswordWideChar(wchar_t Value) {
    if (Value == password_char_) return;
    if (Value != 0) password_kind_ = TPasswordKind::pkChar;
    password_char_ = Value;
    Invalidate();
    MoveCaret(caret_pos_);
}

void TTeEdit::SetFont(const fw::TFont* Value) {
    TTeControl::SetFont(Value);
    paint_font_.Assign(Font());
    AdjustSize();
}

void TTeEdit::BorderChanged() {
    TTeControl::BorderChanged();
    AdjustSize();
}

// ---- fonts and measuring ----

bool TTeEdit::Themed() {
    return CurrentThemeHasEditStyle(0, theme_object_);
}

fw::TFont* TTeEdit::StateFont() {
    if (!Themed()) return &paint_font_;
    int index = !Enabled()          ? ktfEditBoxTextDisabled
                : MouseInControl() ? ktfEditBoxTextHot
                : HasFocus()       ? ktfEditBoxTextFocused
                                   : ktfEditBoxTextNormal;
    TteFont f;
    CurrentTheme()->GetStyleFont(f, index, theme_object_);
    FontToTFont(f, state_font_);
    return &state_font_;
}

fw::TFont* TTeEdit::SelectionFont() {
    if (!Themed()) {
        state_font_.Assign(&paint_font_);
        state_font_.SetColor(fw::clHighlightText);
        return &state_font_;
    }
    TteFont f;
    CurrentTheme()->GetStyleFont(f, ktfEditBoxTextSelected, theme_object_);
    FontToTFont(f, state_font_);
    return &state_font_;
}

int TTeEdit::TextWidthOf(const std::wstring& S, fw::TFont* Font) {
    if (S.empty()) return 0;
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, Font->Handle());
    SIZE sz{};
    ::GetTextExtentPoint32W(dc, S.c_str(), int(S.size()), &sz);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return sz.cx;
}

int TTeEdit::TextHeightOf(fw::TFont* Font) {
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, Font->Handle());
    SIZE sz{};
    ::GetTextExtentPoint32W(dc, L"Pq", 2, &sz);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return sz.cy;
}

TRect TTeEdit::GetTextRect() {
    if (Themed()) {
        TRect r{};
        CurrentTheme()->GetEditContentRect(0, TRect{0, 0, Width(), Height()}, r, theme_object_);
        return r;
    }
    TRect r = InnerRect();
    r.Bottom = r.Top + TextHeightOf(&paint_font_);
    return r;
}

int TTeEdit::GetPasswordCharWidth() {
    int w = 10;
    if (password_kind_ == TPasswordKind::pkChar)
        w = TextWidthOf(std::wstring(1, password_char_), &paint_font_);
    else if (password_kind_ != TPasswordKind::pkNone)
        w = TextWidthOf(L"W", &paint_font_);
    return std::max(w, 1);
}

int TTeEdit::AlignOffset(int TextWidth, const TRect& R) const {
    int a = R.Right - R.Left;
    if (TextWidth >= a) return 0;
    if (alignment_ == TAlignment::taRightJustify) return a - TextWidth;
    if (alignment_ == TAlignment::taCenter) return (a - TextWidth) / 2;
    return 0;
}

int TTeEdit::PosToX(int Pos) {
    TRect r = GetTextRect();
    int x = r.Left;
    int len = int(text_.size());
    int w;
    if (Masked()) {
        int cell = GetPasswordCharWidth();
        w = len * cell;
        if (Pos > 0) x += (std::min(Pos, len) - first_visible_ + 1) * cell;
    } else {
        fw::TFont* f = StateFont();
        w = TextWidthOf(text_, f);
        if (Pos > 0) {
            int from = first_visible_ - 1, to = std::min(Pos, len);
            if (to > from) x += TextWidthOf(text_.substr(size_t(from), size_t(to - from)), f);
        }
    }
    return x + AlignOffset(w, r);
}

int TTeEdit::XToPos(int X) {
    int len = int(text_.size());
    if (len == 0) return 0;
    TRect r = GetTextRect();
    if (Masked()) {
        int cell = GetPasswordCharWidth();
        X -= AlignOffset(len * cell, r);
        int p = (first_visible_ - 1) + (X - r.Left) / cell;
        return std::clamp(p, 0, len);
    }
    fw::TFont* f = &paint_font_;
    X -= AlignOffset(TextWidthOf(text_, f), r);
    auto w = [&](int i) { return i < len ? TextWidthOf(std::wstring(1, text_[size_t(i)]), f) : 0; };
    int p = first_visible_ - 1;
    int boundary = r.Left + w(p) / 2;
    while (X > boundary && p + 1 <= len && boundary < r.Right) {
        boundary += w(p) - w(p) / 2 + w(p + 1) / 2;
        ++p;
    }
    return p;
}

void TTeEdit::ScrollToCaret() {
    int len = int(text_.size());
    TRect r = GetTextRect();
    int avail = r.Right - r.Left;
    if (first_visible_ < caret_pos_ + 1) {
        auto span = [&]() {
            int n = caret_pos_ - first_visible_ + 1;
            if (Masked()) return n * GetPasswordCharWidth();
            return TextWidthOf(text_.substr(size_t(first_visible_ - 1), size_t(std::max(n, 0))),
                               StateFont());
        };
        while (span() > avail && first_visible_ < len) ++first_visible_;
    } else {
        first_visible_ = std::max(caret_pos_, 1);
    }
    Invalidate();
}

void TTeEdit::MoveCaret(int P) {
    int len = int(text_.size());
    caret_pos_ = std::clamp(P, 0, len);
    ScrollToCaret();
    if (sel_delta_ == 0) sel_pos_ = caret_pos_;
    if (HandleAllocated() && ::GetFocus() == WindowHandle())
        ::SetCaretPos(PosToX(caret_pos_), GetTextRect().Top);
}

void TTeEdit::CreateTextCaret() {
    if (!HandleAllocated()) return;
    ::CreateCaret(WindowHandle(), nullptr, 0, TextHeightOf(&paint_font_));
    caret_made_ = true;
    MoveCaret(caret_pos_);
    ShowTextCaret();
}

void TTeEdit::ShowTextCaret() {
    if (HandleAllocated()) ::ShowCaret(WindowHandle());
}

void TTeEdit::HideTextCaret() {
    if (HandleAllocated()) ::HideCaret(WindowHandle());
}

// ---- selection ----

int TTeEdit::GetSelStart() const {
    if (sel_delta_ > 0) return sel_pos_;
    if (sel_delta_ < 0) return sel_pos_ + sel_delta_;
    return caret_pos_;
}

std::wstring TTeEdit::SelectedText() const {
    int start = std::clamp(GetSelStart(), 0, int(text_.size()));
    int n = std::min(GetSelLength(), int(text_.size()) - start);
    if (n <= 0) return {};
    return text_.substr(size_t(start), size_t(n));
}

void TTeEdit::SetSelLength(int N) {
    if (N == sel_delta_) return;
    sel_delta_ = N;
    Invalidate();
}

void TTeEdit::SetSelStart(int P) {
    if (P == sel_pos_) return;
    sel_delta_ = 0;
    sel_pos_ = P;
    MoveCaret(P);
    Invalidate();
}

int TTeEdit::WordLeft(int P) const {
    P = std::clamp(P, 0, int(text_.size()));
    while (P > 0 && text_[size_t(P - 1)] == L' ') --P;
    while (P > 0 && text_[size_t(P - 1)] != L' ') --P;
    return P;
}

int TTeEdit::WordRight(int P) const {
    int len = int(text_.size());
    if (P < 0) P = 0;
    bool looked = false, last_space = false, non_space = false, space_after = false;
    while (P + 2 <= len) {
        wchar_t ch = text_[size_t(P)];
        looked = true;
        last_space = ch == L' ';
        if (!last_space) {
            if (space_after) return P;
            non_space = true;
        } else if (non_space) {
            space_after = true;
        }
        ++P;
    }
    if (!looked || !last_space) ++P;
    return P;
}

void TTeEdit::SelectWord() {
    int start = WordLeft(caret_pos_);
    SetSelStart(start);
    int n = WordRight(start) - start;
    SetSelLength(n);
    MoveCaret(start + n);
}

void TTeEdit::SelectAllText() {
    int len = int(text_.size());
    MoveCaret(len);
    SetSelStart(0);
    SetSelLength(len);
    Invalidate();
}

// ---- editing ----

void TTeEdit::ReplaceSelection(const std::wstring& S) {
    if (read_only_) return;
    std::wstring t = text_;
    int b = std::clamp(GetSelStart(), 0, int(t.size()));
    int l = std::min(GetSelLength(), int(t.size()) - b);
    if (max_length_ > 0 && int(t.size()) - l + int(S.size()) > max_length_) {
        SetSelLength(0);
        return;
    }
    std::wstring removed = t.substr(size_t(b), size_t(l));
    t.erase(size_t(b), size_t(l));
    t.insert(size_t(b), S);
    if (!AcceptText(t)) return; // nothing recorded for a text the edit refuses
    undo_stack_->PushDeletion(b + 1, removed);
    undo_stack_->PushInsertion(b + 1, int(S.size()), l > 0);
    SetText(t);
    MoveCaret(b + int(S.size()));
    SetSelLength(0);
}

void TTeEdit::InsertChar(wchar_t Ch) {
    if (read_only_) return;
    ReplaceSelection(std::wstring(1, Ch));
}

void TTeEdit::DeleteSelection() {
    if (read_only_) return;
    int start = std::clamp(GetSelStart(), 0, int(text_.size()));
    std::wstring sel = SelectedText();
    std::wstring t = text_;
    t.erase(size_t(start), sel.size());
    if (!AcceptText(t)) return;
    undo_stack_->PushDeletion(start + 1, sel);
    SetText(t);
    MoveCaret(start);
    SetSelLength(0);
}

void TTeEdit::InsertText(int Pos, const std::wstring& S, bool Select) {
    std::wstring ins = S;
    if (max_length_ > 0) ins = EditCutWhole(S, max_length_ - int(text_.size()));
    Pos = std::clamp(Pos, 0, int(text_.size()));
    std::wstring t = text_;
    t.insert(size_t(Pos), ins);
    SetText(t);
    if (Select) {
        SetSelStart(Pos);
        SetSelLength(int(ins.size()));
        MoveCaret(GetSelStart() + GetSelLength());
    }
}

void TTeEdit::DeleteText(int Pos, int Count, bool Select) {
    std::wstring t = text_;
    int from = std::clamp(Pos - 1, 0, int(t.size()));
    t.erase(size_t(from), size_t(std::clamp(Count, 0, int(t.size()) - from)));
    SetText(t);
    if (Select) {
        SetSelLength(0);
        SetSelStart(Pos - 1);
        MoveCaret(Pos - 1); // SetSelStart leaves the caret when the start is unchanged
    }
}

bool TTeEdit::Undo() {
    return undo_stack_->Undo();
}

// ---- clipboard ----

void TTeEdit::CopySelection() {
    if (Masked() || GetSelLength() == 0) return;
    std::wstring s = SelectedText();
    if (!::OpenClipboard(HandleAllocated() ? WindowHandle() : nullptr)) return;
    ::EmptyClipboard();
    size_t bytes = s.size() * 2 + 2;
    HGLOBAL mem = ::GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, bytes);
    if (mem) {
        if (void* p = ::GlobalLock(mem)) {
            memcpy(p, s.c_str(), bytes);
            ::GlobalUnlock(mem);
            if (!::SetClipboardData(CF_UNICODETEXT, mem)) ::GlobalFree(mem);
        } else {
            ::GlobalFree(mem);
        }
    }
    ::CloseClipboard();
}

void TTeEdit::PasteText() {
    if (read_only_) return;
    std::wstring s;
    if (!::OpenClipboard(HandleAllocated() ? WindowHandle() : nullptr)) return;
    if (::IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
            if (auto* p = static_cast<const wchar_t*>(::GlobalLock(h))) {
                size_t cap = ::GlobalSize(h) / 2;
                s.assign(p, wcsnlen(p, cap));
                ::GlobalUnlock(h);
            }
        }
    } else if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
        if (auto* p = static_cast<const char*>(::GlobalLock(h))) {
            std::string a(p, strnlen(p, ::GlobalSize(h)));
            ::GlobalUnlock(h);
            int n = ::MultiByteToWideChar(CP_ACP, 0, a.data(), int(a.size()), nullptr, 0);
            s.resize(size_t(std::max(n, 0)));
            if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, a.data(), int(a.size()), s.data(), n);
        }
    }
    ::CloseClipboard();
    ReplaceSelection(s);
}

void TTeEdit::CutSelection() {
    if (!Masked()) CopySelection();
    DeleteSelection();
}

// ---- keyboard and mouse ----

void TTeEdit::KeyDown(uint16_t& Key, fw::TShiftState Shift) {
    TTeControl::KeyDown(Key, Shift);
    const int p = caret_pos_;
    const bool only_ctrl = Shift == fw::TShiftState{TShiftStateItem::ssCtrl};
    const bool only_shift = Shift == fw::TShiftState{TShiftStateItem::ssShift};
    bool moved = false;
    switch (Key) {
    case VK_BACK:
    case VK_DELETE:
        if (read_only_) break;
        if (GetSelLength() > 0) {
            if (only_shift)
                CutSelection();
            else
                DeleteSelection();
        } else if (Key == VK_DELETE) {
            if (p < int(text_.size())) {
                const int n = EditUnitsAt(text_, p, false);
                std::wstring t = text_;
                t.erase(size_t(p), size_t(n));
                if (AcceptText(t)) {
                    undo_stack_->PushDeletion(p + 1, text_.substr(size_t(p), size_t(n)));
                    SetText(t);
                }
            }
        } else if (p > 0) {
            const int n = EditUnitsAt(text_, p, true);
            std::wstring t = text_;
            t.erase(size_t(p - n), size_t(n));
            if (AcceptText(t)) {
                undo_stack_->PushDeletion(p - n + 1, text_.substr(size_t(p - n), size_t(n)));
                SetText(t);
                MoveCaret(p - n);
            }
        }
        break;
    case VK_END:
        MoveCaret(int(text_.size()));
        moved = true;
        break;
    case VK_HOME:
        MoveCaret(0);
        moved = true;
        break;
    case VK_LEFT:
        MoveCaret(Shift.Contains(TShiftStateItem::ssCtrl) ? WordLeft(p)
                                                          : p - EditUnitsAt(text_, p, true));
        moved = true;
        break;
    case VK_RIGHT:
        MoveCaret(Shift.Contains(TShiftStateItem::ssCtrl) ? WordRight(p)
                                                           : p + EditUnitsAt(text_, p, false));
        moved = true;
        break;
    case VK_INSERT:
        if (only_ctrl)
            CopySelection();
        else if (only_shift)
            PasteText();
        break;
    case 'C':
    case 'c':
        if (only_ctrl) CopySelection();
        break;
    case 'V':
    case 'v':
        if (only_ctrl) PasteText();
        break;
    case 'X':
    case 'x':
        if (only_ctrl) CutSelection();
        break;
    case 'Z':
    case 'z':
        if (only_ctrl) undo_stack_->Undo();
        break;
    default:
        break;
    }
    if (moved) {
        if (Shift.Contains(TShiftStateItem::ssShift)) {
            sel_pos_ = caret_pos_;
            sel_delta_ += p - caret_pos_;
        } else {
            sel_delta_ = 0;
        }
        Invalidate();
    }
    RefreshCaret();
}

void TTeEdit::KeyPress(char& Key) {
    TTeControl::KeyPress(Key);
    if (uint8_t(Key) >= 32 && !read_only_) {
        std::wstring w = EditAnsiCharToWide(Key);
        if (!w.empty()) InsertChar(w[0]);
    }
}

void TTeEdit::WMChar(TMessage& M) {
    // The window is a wide one: characters beyond ASCII arrive whole as UTF-16 units and
    // are not squeezed through the one-byte key event.
    if (M.WParam < 0x80) {
        FW_INHERITED(M);
        return;
    }
    wchar_t ch = wchar_t(M.WParam);
    if (read_only_) return;
    if (EditIsHighSurrogate(ch)) {
        pending_high_ = ch;
        return;
    }
    if (ch >= 0xDC00 && ch <= 0xDFFF) {
        if (pending_high_) ReplaceSelection(std::wstring{pending_high_, ch});
        pending_high_ = 0;
        return;
    }
    pending_high_ = 0;
    InsertChar(ch);
}

void TTeEdit::WMImeChar(TMessage& M) {
    TMessage m{WM_CHAR, M.WParam, M.LParam, 0};
    WMChar(m);
    M.Result = 0;
}

void TTeEdit::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseDown(Button, Shift, X, Y);
    if (Button == fw::TMouseButton::mbLeft) mouse_selecting_ = true;
    if (CanFocus()) SetFocus();
    if (Button == fw::TMouseButton::mbLeft) {
        MoveCaret(XToPos(X));
        SetSelLength(0);
    }
}

void TTeEdit::MouseMove(fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseMove(Shift, X, Y);
    if (!mouse_selecting_) return;
    int p = XToPos(X);
    int old = caret_pos_;
    MoveCaret(X > GetTextRect().Right ? p + 1 : p);
    sel_pos_ = caret_pos_;
    sel_delta_ += old - caret_pos_;
    Invalidate();
}

void TTeEdit::MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseUp(Button, Shift, X, Y);
    mouse_selecting_ = false;
}

void TTeEdit::MouseEnter() {
    TTeControl::MouseEnter();
    Invalidate();
}

void TTeEdit::MouseLeave() {
    TTeControl::MouseLeave();
    Invalidate();
}

void TTeEdit::FocusEnter() {
    TTeControl::FocusEnter();
    CreateTextCaret();
    MoveCaret(0);
    if (auto_select_) SelectAllText();
}

void TTeEdit::FocusExit() {
    TTeControl::FocusExit();
    if (caret_made_) ::DestroyCaret();
    caret_made_ = false;
    Invalidate();
}

// ---- messages ----

void TTeEdit::WMSetFocus(TMessage& M) {
    FW_INHERITED(M);
    FocusEnter();
}

void TTeEdit::WMKillFocus(TMessage& M) {
    FW_INHERITED(M);
    FocusExit();
}

void TTeEdit::WMGetDlgCode(TMessage& M) {
    DefaultHandler(M);
    M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void TTeEdit::WMLButtonDblClk(TMessage& M) {
    FW_INHERITED(M);
    mouse_selecting_ = false;
    SelectWord();
}

void TTeEdit::WMCut(TMessage&) {
    CutSelection();
}
void TTeEdit::WMCopy(TMessage&) {
    CopySelection();
}
void TTeEdit::WMPaste(TMessage&) {
    PasteText();
}
void TTeEdit::WMUndo(TMessage& M) {
    M.Result = undo_stack_->Undo() ? 1 : 0;
}

void TTeEdit::CMEnabledChanged(TMessage& M) {
    (void)M;
    if (HandleAllocated()) ::EnableWindow(WindowHandle(), Enabled());
    Invalidate();
}

void TTeEdit::CMFontChanged(TMessage& M) {
    FW_INHERITED(M);
    paint_font_.Assign(Font());
    AdjustSize();
    if (HandleAllocated() && ::GetFocus() == WindowHandle()) CreateTextCaret();
}

void TTeEdit::TMThemeChange(TMessage& M) {
    switch (M.WParam) {
    case 3:
        StoreOriginalFont(Font());
        [[fallthrough]];
    case 0:
        if (Themed()) {
            TteFont f;
            CurrentTheme()->GetStyleFont(f, ktfEditBoxTextNormal, theme_object_);
            FontToTFont(f, *Font());
            AdjustSize();
        }
        Invalidate();
        break;
    case 4:
        RestoreOriginalFont(Font());
        AdjustSize();
        Invalidate();
        break;
    case 5:
        Invalidate();
        break;
    default:
        break;
    }
}

void TTeEdit::WMImeStartComposition(TMessage& M) {
    FW_INHERITED(M);
    if (!HandleAllocated()) return;
    HIMC imc = ::ImmGetContext(WindowHandle());
    if (!imc) return;
    LOGFONTW lf{};
    ::GetObjectW(Font()->Handle(), sizeof(lf), &lf);
    ::ImmSetCompositionFontW(imc, &lf);
    TRect tr = GetTextRect();
    COMPOSITIONFORM cf{};
    cf.dwStyle = CFS_RECT;
    cf.ptCurrentPos = POINT{PosToX(caret_pos_), tr.Top};
    cf.rcArea = RECT{tr.Left, tr.Top, tr.Right, tr.Bottom};
    ::ImmSetCompositionWindow(imc, &cf);
    ::ImmReleaseContext(WindowHandle(), imc);
}

void TTeEdit::WMImeComposition(TMessage& M) {
    HIMC imc = (M.LParam & GCS_RESULTSTR) && HandleAllocated() ? ::ImmGetContext(WindowHandle())
                                                               : nullptr;
    if (!imc) {
        FW_INHERITED(M);
        return;
    }
    LONG bytes = ::ImmGetCompositionStringW(imc, GCS_RESULTSTR, nullptr, 0);
    std::wstring s;
    if (bytes > 0) {
        s.resize(size_t(bytes) / 2);
        ::ImmGetCompositionStringW(imc, GCS_RESULTSTR, s.data(), DWORD(bytes));
    }
    ::ImmReleaseContext(WindowHandle(), imc);
    for (size_t i = 0; i < s.size(); ++i) {
        if (EditIsHighSurrogate(s[i]) && i + 1 < s.size()) {
            ReplaceSelection(s.substr(i, 2)); // a pair goes in whole or not at all
            ++i;
        } else {
            InsertChar(s[i]);
        }
    }
    M.Result = 0;
}

// ---- auto size ----

bool TTeEdit::CanAutoSize(int& /*NewWidth*/, int& NewHeight) {
    NewHeight = 2 * GetTextRect().Top + TextHeightOf(StateFont());
    return true;
}

void TTeEdit::AdjustSize() {
    if (!auto_size_ || Loading()) return;
    int w = Width(), h = Height();
    if (CanAutoSize(w, h) && h != Height()) SetBounds(Left(), Top(), w, h);
}

// ---- painting ----

TRect TTeEdit::GetSelectionRect() {
    TRect t = GetTextRect();
    int start = GetSelStart();
    TRect r{PosToX(start), t.Top, PosToX(start + GetSelLength()), t.Bottom};
    r.Left = std::max(r.Left, t.Left);
    r.Right = std::min(r.Right, t.Right);
    r.Top = std::max(r.Top, t.Top);
    r.Bottom = std::min(r.Bottom, t.Bottom);
    if (r.Right < r.Left) r.Right = r.Left;
    return r;
}

void TTeEdit::PaintTextBackground(TRect R) {
    if (Themed()) return; // the theme's frame is the background
    FillRectColor(*Canvas(), R, Color());
}

void TTeEdit::PaintBackground() {
    fw::TCanvas& c = *Canvas();
    bool show_sel = HasFocus() || !hide_selection_;
    if (Themed()) {
        uint8_t state = !Enabled() ? 3 : MouseInControl() ? 1 : HasFocus() ? 2 : 0;
        CurrentTheme()->PaintEditFrame(0, c, "default",
                                       MakeEditInfo(TRect{0, 0, Width(), Height()}, state));
        if (show_sel)
            CurrentTheme()->PaintEditSelection(0, c, "default",
                                               MakeEditInfo(GetSelectionRect(), state));
        PaintTextBackground(GetTextRect());
        PaintEditText();
        if (show_sel) PaintSelectedText();
        return;
    }
    TRect r = GetTextRect();
    r.Bottom = CachedHeight() - r.Top;
    PaintTextBackground(r);
    if (show_sel && GetSelLength() > 0) FillRectColor(c, GetSelectionRect(), fw::clHighlight);
    PaintEditText();
    if (show_sel) PaintSelectedText();
}

void TTeEdit::PaintEditText() {
    fw::TCanvas& c = *Canvas();
    TRect r = GetTextRect();
    int len = int(text_.size());
    if (Masked()) {
        int cell = GetPasswordCharWidth();
        int x0 = PosToX(0);
        for (int i = 0; i + first_visible_ - 1 < len; ++i) {
            TRect cr{x0 + i * cell, r.Top, x0 + (i + 1) * cell, r.Bottom};
            if (cr.Left >= r.Right) break;
            PaintPasswordChar(cr, false);
        }
        return;
    }
    fw::TFont* f = StateFont();
    c.SetFont(f);
    if (!Themed() && !Enabled()) c.Font()->SetColor(fw::clBtnShadow);
    c.Brush()->SetStyle(fw::TBrushStyle::bsClear);
    UINT flags = DT_NOPREFIX | (alignment_ == TAlignment::taRightJustify ? DT_RIGHT
                                : alignment_ == TAlignment::taCenter     ? DT_CENTER
                                                                         : 0);
    if (first_visible_ - 1 < len)
        DrawWideText(c, text_.substr(size_t(first_visible_ - 1)), r, flags);
}

void TTeEdit::PaintSelectedText() {
    int n = GetSelLength();
    if (n <= 0) return;
    int start = GetSelStart();
    int from = std::max(start, first_visible_ - 1);
    int to = std::min(start + n, int(text_.size()));
    if (to <= from) return;
    TRect sr = GetSelectionRect();
    if (Masked()) {
        int cell = GetPasswordCharWidth();
        for (int i = 0; i < to - from; ++i)
            PaintPasswordChar(TRect{sr.Left + i * cell, sr.Top, sr.Left + (i + 1) * cell,
                                    sr.Bottom},
                              true);
        return;
    }
    fw::TCanvas& c = *Canvas();
    fw::TFont* f = SelectionFont();
    c.SetFont(f);
    c.Brush()->SetStyle(fw::TBrushStyle::bsClear);
    DrawWideText(c, text_.substr(size_t(from), size_t(to - from)), sr, DT_NOPREFIX);
}

void TTeEdit::PaintPasswordChar(TRect Cell, bool Selected) {
    fw::TCanvas& c = *Canvas();
    HDC dc = c.Handle();
    int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, Cell.Left, Cell.Top, Cell.Right, Cell.Bottom);
    fw::TColor color;
    if (Themed()) {
        int index = !Enabled()          ? ktfEditBoxTextDisabled
                    : Selected         ? ktfEditBoxTextSelected
                    : MouseInControl() ? ktfEditBoxTextHot
                    : HasFocus()       ? ktfEditBoxTextFocused
                                       : ktfEditBoxTextNormal;
        TteFont f;
        CurrentTheme()->GetStyleFont(f, index, theme_object_);
        FontToTFont(f, state_font_);
        c.SetFont(&state_font_);
        color = state_font_.Color();
    } else {
        c.SetFont(&paint_font_);
        color = Selected ? fw::clHighlightText : paint_font_.Color();
        c.Font()->SetColor(color);
    }
    TRect r{Cell.Left + 2, Cell.Top + 3, Cell.Right - 2, Cell.Bottom - 3};
    int w = r.Right - r.Left;
    int cx = (Cell.Left + Cell.Right) / 2;
    switch (password_kind_) {
    case TPasswordKind::pkChar:
        c.Brush()->SetStyle(fw::TBrushStyle::bsClear);
        DrawWideText(c, std::wstring(1, password_char_), Cell, DT_NOPREFIX);
        break;
    case TPasswordKind::pkRect:
        FillRectColor(c, r, color);
        break;
    case TPasswordKind::pkRoundRect:
        FillRoundRectColor(c, r, 2, color);
        break;
    case TPasswordKind::pkCircle: {
        int cy = (Cell.Top + Cell.Bottom) / 2;
        TRect sq{cx - w / 2, cy - w / 2, cx - w / 2 + w, cy - w / 2 + w};
        FillRoundRectColor(c, sq, w / 2 + 1, color);
        break;
    }
    case TPasswordKind::pkTriangle: {
        int sw = w % 2 == 0 ? w + 1 : w;
        int cy = (Cell.Top + Cell.Bottom) / 2;
        TRect sq{cx - sw / 2, cy - sw / 2, cx - sw / 2 + sw, cy - sw / 2 + sw};
        std::vector<TPoint> pts{TPoint{sq.Left + sw / 2 + 1, sq.Top}, TPoint{sq.Right, sq.Bottom},
                                TPoint{sq.Left, sq.Bottom}};
        FillPolygonColor(c, pts, color);
        DrawPolygonFrame(c, pts, color);
        break;
    }
    case TPasswordKind::pkNone:
        break;
    }
    ::RestoreDC(dc, saved);
}

// ---- context menu ----

TTeItem* TTeEdit::CreateContextMenu() {
    return new TTeItem(nullptr);
}

TTeItem* TTeEdit::CreateMenuItem() {
    return new TTeItem(this);
}

void TTeEdit::BuildContextMenu() {
    if (context_menu_) return;
    context_menu_ = CreateContextMenu();
    context_menu_->SetOwnerControl(this);
    struct Entry {
        const wchar_t* caption;
        void (TTeEdit::*handler)(fw::TObject*);
    };
    const Entry entries[] = {{L"Undo", &TTeEdit::MenuUndo},     {L"-", nullptr},
                             {L"Cut", &TTeEdit::MenuCut},       {L"Copy", &TTeEdit::MenuCopy},
                             {L"Paste", &TTeEdit::MenuPaste},   {L"Delete", &TTeEdit::MenuDelete},
                             {L"-", nullptr},                   {L"Select All", &TTeEdit::MenuSelectAll}};
    for (const Entry& e : entries) {
        TTeItem* item = CreateMenuItem();
        item->SetCaption(e.caption);
        if (e.handler) item->OnClick = fw::TNotifyEvent(this, e.handler);
        context_menu_->Add(item);
    }
}

void TTeEdit::UpdateContextMenu() {
    BuildContextMenu();
    bool sel = GetSelLength() > 0;
    bool clip = false;
    if (::IsClipboardFormatAvailable(CF_UNICODETEXT) || ::IsClipboardFormatAvailable(CF_TEXT)) {
        if (::OpenClipboard(HandleAllocated() ? WindowHandle() : nullptr)) {
            HANDLE h = ::GetClipboardData(CF_UNICODETEXT);
            if (h) {
                if (auto* p = static_cast<const wchar_t*>(::GlobalLock(h))) {
                    clip = p[0] != 0;
                    ::GlobalUnlock(h);
                }
            }
            ::CloseClipboard();
        }
    }
    context_menu_->Items(0)->SetEnabled(undo_stack_->Count() > 0 && !read_only_);
    context_menu_->Items(2)->SetEnabled(sel && !Masked() && !read_only_);
    context_menu_->Items(3)->SetEnabled(sel && !Masked());
    context_menu_->Items(4)->SetEnabled(clip && !read_only_);
    context_menu_->Items(5)->SetEnabled(sel && !read_only_);
    context_menu_->Items(7)->SetEnabled(SelectedText() != text_);
}

TTeItem* TTeEdit::PrepareContextMenu() {
    UpdateContextMenu();
    return context_menu_;
}

void TTeEdit::WMContextMenu(TMessage& M) {
    if (PopupMenu()) {
        FW_INHERITED(M);
        return;
    }
    UpdateContextMenu();
    if (fw::TCustomForm* f = fw::GetParentForm(this)) {
        TMessage cancel{WM_CANCELMODE, 0, 0, 0};
        f->Perform(cancel.Msg, 0, 0);
    }
    TPoint p{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
    if (M.LParam == -1) p = ClientToScreen(TPoint{PosToX(caret_pos_), GetTextRect().Bottom});
    PopupContextMenu(p);
}

void TTeEdit::PopupContextMenu(TPoint ScreenPoint) {
    if (context_menu_) context_menu_->DropDown(nullptr, ScreenPoint, TRect{});
}

void TTeEdit::MenuUndo(fw::TObject*) {
    undo_stack_->Undo();
}
void TTeEdit::MenuCut(fw::TObject*) {
    CutSelection();
}
void TTeEdit::MenuCopy(fw::TObject*) {
    CopySelection();
}
void TTeEdit::MenuPaste(fw::TObject*) {
    PasteText();
}
void TTeEdit::MenuDelete(fw::TObject*) {
    DeleteSelection();
}
void TTeEdit::MenuSelectAll(fw::TObject*) {
    SelectAllText();
}

} // namespace dvr::skin
