#include "framework/ui/checklst.h"

#include <windowsx.h>

namespace dvr::fw {

void TCheckListBox::Publish(TPublisher<TCheckListBox>& p) {
    p.Property("AllowGrayed", nullptr, &TCheckListBox::AllowGrayed, &TCheckListBox::SetAllowGrayed)
        .Default(0);
}

TCheckListBox::TCheckListBox(TComponent* AOwner) : TListBox(AOwner) {
    style_ = TListBoxStyle::lbOwnerDrawFixed;
}

TCheckBoxState TCheckListBox::State(int Index) const {
    if (Index < 0 || Index >= int(checks_.size())) throw EListError("List index out of bounds");
    return checks_[size_t(Index)].state;
}

void TCheckListBox::SetState(int Index, TCheckBoxState Value) {
    State(Index);
    checks_[size_t(Index)].state = Value;
    InvalidateItem(Index);
}

bool TCheckListBox::ItemEnabled(int Index) const {
    State(Index);
    return checks_[size_t(Index)].enabled;
}

void TCheckListBox::SetItemEnabled(int Index, bool Value) {
    State(Index);
    checks_[size_t(Index)].enabled = Value;
    InvalidateItem(Index);
}

void TCheckListBox::InvalidateItem(int Index) {
    if (!handle_) return;
    RECT r = ToRECT(ItemRect(Index));
    ::InvalidateRect(handle_, &r, FALSE);
}

void TCheckListBox::ItemInserted(int Index, const std::string& S) {
    checks_.insert(checks_.begin() + Index, Check{});
    TListBox::ItemInserted(Index, S);
}
void TCheckListBox::ItemDeleted(int Index) {
    checks_.erase(checks_.begin() + Index);
    TListBox::ItemDeleted(Index);
}
void TCheckListBox::ItemsCleared() {
    checks_.clear();
    TListBox::ItemsCleared();
}

void TCheckListBox::Toggle(int Index) {
    if (Index < 0 || Index >= int(checks_.size()) || !checks_[size_t(Index)].enabled || !enabled_)
        return;
    Check& c = checks_[size_t(Index)];
    switch (c.state) {
    case TCheckBoxState::cbUnchecked:
        c.state = TCheckBoxState::cbChecked;
        break;
    case TCheckBoxState::cbChecked:
        c.state = allow_grayed_ ? TCheckBoxState::cbGrayed : TCheckBoxState::cbUnchecked;
        break;
    case TCheckBoxState::cbGrayed:
        c.state = TCheckBoxState::cbUnchecked;
        break;
    }
    InvalidateItem(Index);
    OnClickCheck(this);
}

void TCheckListBox::WMLButtonDown(TMessage& M) {
    FW_INHERITED(M);
    int x = GET_X_LPARAM(M.LParam), y = GET_Y_LPARAM(M.LParam);
    int i = ItemAtPos(TPoint{x, y}, true);
    if (i >= 0 && x < CheckWidth()) Toggle(i);
}

void TCheckListBox::WMChar(TMessage& M) {
    if (M.WParam == ' ') {
        Toggle(ItemIndex());
        M.Result = 0;
        return;
    }
    FW_INHERITED(M);
}

void TCheckListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    if (Index < 0 || Index >= int(checks_.size())) return;
    const Check& c = checks_[size_t(Index)];
    TCanvas* cv = Canvas();
    TRect box{Rect.Left, Rect.Top, Rect.Left + CheckWidth(), Rect.Bottom};
    TRect text{box.Right, Rect.Top, Rect.Right, Rect.Bottom};
    // The box sits on the list's own colour, whatever the selection.
    HBRUSH face = brush_.Handle();
    RECT b = ToRECT(box);
    ::FillRect(cv->Handle(), &b, face);
    RECT inner{b.left + 2, b.top + 2, b.right - 2, b.bottom - 2};
    UINT flags = DFCS_BUTTONCHECK;
    if (c.state == TCheckBoxState::cbChecked) flags |= DFCS_CHECKED;
    if (c.state == TCheckBoxState::cbGrayed) flags = DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (!c.enabled || !enabled_) flags |= DFCS_INACTIVE;
    ::DrawFrameControl(cv->Handle(), &inner, DFC_BUTTON, flags);
    if (OnDrawItem) {
        OnDrawItem(this, Index, text, State);
        return;
    }
    cv->FillRect(text);
    if (!c.enabled) cv->Font()->SetColor(clGrayText);
    cv->TextOut(text.Left + 2, text.Top, items_.Strings(Index));
}

} // namespace dvr::fw
