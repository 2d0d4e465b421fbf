#include "skin/engine/theme_officexp.h"

#include <mutex>

namespace dvr::skin {

TTeOfficeXPTheme::TTeOfficeXPTheme() {
    MenuGutterWidth = 23;
    UpdateColorsAndFonts();
}

void TTeOfficeXPTheme::Assign(const fw::TPersistent* Source) {
    TTeFlatTheme::Assign(Source);
}

void TTeOfficeXPTheme::SetDefaultColors() {
    // The Flat scheme without its shifts, then this theme's entries, then the shifts once.
    int hue = DeltaHue, brightness = DeltaBrightness;
    DeltaHue = DeltaBrightness = 0;
    TTeFlatTheme::SetDefaultColors();
    DeltaHue = hue;
    DeltaBrightness = brightness;
    Colors->SetColor(ktcCaptionNormal, 0xFF0000);
    Colors->SetColor(ktcBorder, fw::clHighlight);
    Colors->SetColor(ktcButtonHot, 0xD2BDB6);
    Colors->SetColor(ktcButtonFocused, 0xB59285);
    ApplyThemeShifts(*Colors, DeltaHue, DeltaBrightness);
}

void TTeOfficeXPTheme::SetDefaultFonts() {
    int hue = DeltaHue, brightness = DeltaBrightness;
    DeltaHue = DeltaBrightness = 0;
    // The static-text entries keep what the table held before; the Flat fonts set them.
    TteFont statics[4];
    for (int i = 0; i < 4; ++i)
        statics[i].Assign(Fonts->GetFont(ktfStaticTextNormal + i));
    TTeFlatTheme::SetDefaultFonts();
    for (int i = 0; i < 4; ++i)
        Fonts->GetFont(ktfStaticTextNormal + i)->Assign(&statics[i]);
    DeltaHue = hue;
    DeltaBrightness = brightness;
    const TFontStyles bold{TFontStyle::fsBold};
    SetFontAttributes(*Fonts->GetFont(ktfCaptionTextNormal), "Tahoma", 10, bold, 0xFFFFFF);
    SetFontAttributes(*Fonts->GetFont(ktfCaptionTextInactive), "Tahoma", 10, bold, 0xC0C0C0);
    ApplyThemeShifts(*Fonts, DeltaHue, DeltaBrightness);
}

bool TTeOfficeXPTheme::HasFormStyle(int, const TObj&) {
    return false;
}

void InitOfficeXPThemeUnit() {
    static std::once_flag once;
    std::call_once(once, [] {
        InitFlatThemeUnit();
        RegisterThemeClass(TTeOfficeXPTheme::StaticClass());
    });
}

namespace {
struct TOfficeXPUnitStart {
    TOfficeXPUnitStart() { InitOfficeXPThemeUnit(); }
} g_officexp_unit_start;
} // namespace

} // namespace dvr::skin
