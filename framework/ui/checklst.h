// A list box with a check box before every item.
#pragma once

#include "framework/ui/stdctrls.h"

#include <vector>

namespace dvr::fw {

class TCheckListBox : public TListBox {
    FW_PUBLISHED(TCheckListBox, TListBox)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_LBUTTONDOWN, WMLButtonDown)
    FW_MESSAGE(WM_LBUTTONDBLCLK, WMLButtonDown)
    FW_MESSAGE(WM_CHAR, WMChar)
    FW_MESSAGES_END
public:
    explicit TCheckListBox(TComponent* AOwner);
    bool Checked(int Index) const { return State(Index) == TCheckBoxState::cbChecked; }
    void SetChecked(int Index, bool Value) {
        SetState(Index, Value ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
    }
    TCheckBoxState State(int Index) const;
    void SetState(int Index, TCheckBoxState Value);
    bool ItemEnabled(int Index) const;
    void SetItemEnabled(int Index, bool Value);
    bool AllowGrayed() const { return allow_grayed_; }
    void SetAllowGrayed(bool Value) { allow_grayed_ = Value; }

    // The user toggled an item's check box.
    TNotifyEvent OnClickCheck;

protected:
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
    void ItemInserted(int Index, const std::string& S) override;
    void ItemDeleted(int Index) override;
    void ItemsCleared() override;
    void WMLButtonDown(TMessage& M);
    void WMChar(TMessage& M);

private:
    struct Check {
        TCheckBoxState state = TCheckBoxState::cbUnchecked;
        bool enabled = true;
    };
    void Toggle(int Index);
    void InvalidateItem(int Index);
    int CheckWidth() const { return item_height_; }
    std::vector<Check> checks_;
    bool allow_grayed_ = false;
};

} // namespace dvr::fw
