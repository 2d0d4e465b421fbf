// Plain controls of the player window: panels, the frame lines, and the stand-ins that
// the skinned tool bar, buttons, spin edit and status bar replace once the skin library
// is built. Each stand-in keeps the few properties the window uses.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/ui/controls.h"

namespace playerqz {

using THScrollNotice = dvr::fw::TMethodPtr<void(dvr::fw::TObject* Sender, dvr::fw::TMessage& M)>;

// A plain panel: a colour, optionally a lowered bevel. Scroll notices from child
// windows are reflected to them and then passed to OnHScroll.
class TPlayerPanel : public dvr::fw::TCustomControl {
    FW_CLASS(TPlayerPanel, dvr::fw::TCustomControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_HSCROLL, WMHScroll)
    FW_MESSAGES_END
public:
    explicit TPlayerPanel(dvr::fw::TComponent* AOwner);
    bool BevelLowered() const { return bevel_lowered_; }
    void SetBevelLowered(bool Value);
    THScrollNotice OnHScroll;

protected:
    void Paint() override;

private:
    void WMHScroll(dvr::fw::TMessage& M);
    bool bevel_lowered_ = false;
};

// The bar that holds the tool bar (hidden in full screen, unlike panels).
class TPlayerControlBar : public TPlayerPanel {
    FW_CLASS(TPlayerControlBar, TPlayerPanel)
public:
    using TPlayerPanel::TPlayerPanel;
};

// A one-pixel line of the selection frame.
class TFrameLine : public dvr::fw::TGraphicControl {
    FW_CLASS(TFrameLine, dvr::fw::TGraphicControl)
public:
    explicit TFrameLine(dvr::fw::TComponent* AOwner);

protected:
    void Paint() override;
};

// The row of tool buttons.
class TPlayerToolBar : public dvr::fw::TCustomControl {
    FW_CLASS(TPlayerToolBar, dvr::fw::TCustomControl)
public:
    explicit TPlayerToolBar(dvr::fw::TComponent* AOwner);

protected:
    void Paint() override;
};

// A tool button: a push button with a short text, or a push-like check box when it
// keeps a Down state (set by the window, not by the click).
class TPlayerButton : public dvr::fw::TWinControl {
    FW_CLASS(TPlayerButton, dvr::fw::TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(dvr::fw::CN_BASE + WM_COMMAND, CNCommand)
    FW_MESSAGES_END
public:
    explicit TPlayerButton(dvr::fw::TComponent* AOwner);
    bool Toggles() const { return toggles_; }
    void SetToggles(bool Value);
    bool CheckBox() const { return check_box_; }
    void SetCheckBox(bool Value);
    bool Down() const { return down_; }
    void SetDown(bool Value);

protected:
    void CreateParams(dvr::fw::TCreateParams& Params) override;
    void CreateHandle() override;

private:
    void CNCommand(dvr::fw::TMessage& M);
    bool toggles_ = false;
    bool check_box_ = false;
    bool down_ = false;
};

// The port-count spin edit: a read-only number with up and down arrows.
class TPlayerSpinEdit : public dvr::fw::TWinControl {
    FW_CLASS(TPlayerSpinEdit, dvr::fw::TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_VSCROLL, WMVScroll)
    FW_MESSAGES_END
public:
    explicit TPlayerSpinEdit(dvr::fw::TComponent* AOwner);
    int Value() const { return value_; }
    void SetValue(int Value);
    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    void SetRange(int Min, int Max);
    dvr::fw::TNotifyEvent OnChange;

protected:
    void CreateParams(dvr::fw::TCreateParams& Params) override;
    void CreateHandle() override;

private:
    void WMVScroll(dvr::fw::TMessage& M);
    void ShowValue();
    HWND updown_ = nullptr;
    HWND edit_ = nullptr;
    int value_ = 1, min_ = 1, max_ = 100;
};

// The status bar: text panels of given widths.
class TPlayerStatusBar : public dvr::fw::TWinControl {
    FW_CLASS(TPlayerStatusBar, dvr::fw::TWinControl)
public:
    explicit TPlayerStatusBar(dvr::fw::TComponent* AOwner);
    int PanelCount() const { return int(widths_.size()); }
    void SetPanelWidths(const std::vector<int>& widths);
    int PanelWidth(int i) const { return widths_[i]; }
    int PanelLeft(int i) const;
    void SetPanelWidth(int i, int width);
    const std::wstring& PanelText(int i) const { return texts_[i]; }
    void SetPanelText(int i, const std::wstring& text);

protected:
    void CreateParams(dvr::fw::TCreateParams& Params) override;
    void CreateHandle() override;

private:
    void ApplyParts();
    std::vector<int> widths_;
    std::vector<std::wstring> texts_;
};

} // namespace playerqz
