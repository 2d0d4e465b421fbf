// The skinned tool bar: lines its children (speed buttons and dividers) up edge to edge
// in one row or column, gives them a common size, and paints its face through the
// theme's ControlBar group (kind 1), in the coordinates of a control bar it sits on.
#pragma once

#include "skin/controls/te_controls.h"

#include <string>

namespace dvr::skin {

class TTeToolBar : public TTeControl {
    FW_CLASS(TTeToolBar, TTeControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(0x800, TMThemeChange)
    FW_MESSAGE(fw::CM_CONTROLLISTCHANGE, CMControlListChange)
    FW_MESSAGES_END
public:
    explicit TTeToolBar(fw::TComponent* AOwner);
    ~TTeToolBar() override;

    int BorderWidth() const { return tool_border_width_; }
    void SetBorderWidth(int Value);
    int ButtonWidth() const { return button_width_; }
    void SetButtonWidth(int Value);
    int DividerWidth() const { return divider_width_; }
    void SetDividerWidth(int Value);
    bool ButtonAutoSize() const { return button_auto_size_; }
    void SetButtonAutoSize(bool Value);
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value);

    bool IsHorizontal();
    TRect GetClientRect() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void PaintBackground() override;
    // Lays the children out again with AControl (the child that changed) first among
    // equals.
    void AlignChild(fw::TControl* AControl);

protected:
    void AlignControls(fw::TControl* AControl, TRect& Rect) override;
    void TMThemeChange(fw::TMessage& M);
    void CMControlListChange(fw::TMessage& M);

private:
    int tool_border_width_ = 2;
    int button_width_ = 25;
    int divider_width_ = 8;
    bool button_auto_size_ = true;
    std::string theme_object_ = "default";
};

} // namespace dvr::skin
