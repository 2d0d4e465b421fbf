// The skinned form drawn by the current theme: frame, caption, caption buttons, client
// background, size grip, region, client area and hit testing come from the theme's Form
// group; without a style for the form's kind and ThemeObject it looks like the plain form.
#pragma once

#include "skin/controls/te_form.h"

#include <string>

namespace dvr::skin {

// The theme's form kind of a border style.
int FormKindOf(TTeBorderStyle Style);

class TTeForm : public TTeDefaultForm {
    FW_PUBLISHED(TTeForm, TTeDefaultForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(TM_THEMECHANGE, TMThemeChange)
    FW_MESSAGES_END
public:
    explicit TTeForm(fw::TComponent* AOwner);
    ~TTeForm() override;

    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value);

    HRGN CreateFormRegion() override;
    void GetButtonRect(TTeBorderIcon Button, TRect& Rect) override;
    void GetFrameMargins(TRect& Rect) override;
    void GetMaximizedRect(TRect& Rect) override;
    void GetMinTrackSize(TPoint& Size) override;
    void PaintSizeGrip(fw::TCanvas& Canvas) override;
    void PaintNonClient(fw::TCanvas& Canvas) override;
    void PaintClientBackground() override;
    uint8_t HitTest(int X, int Y) override;

    // The Form-group records of this form.
    bool HasStyle();
    int FormKind() const { return FormKindOf(border_style_); }
    uint16_t ThemeButtonSet();
    TteWindowInfo WindowInfo(bool WithCaption);
    // The theme's button kind of a caption button, -1 for none.
    int ThemeButtonKind(TTeBorderIcon Button);
    uint8_t ThemeButtonState(uint8_t HitCode);

protected:
    void TMThemeChange(fw::TMessage& M);

private:
    std::string theme_object_ = "default";
};

} // namespace dvr::skin
