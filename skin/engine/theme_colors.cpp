#include "skin/engine/theme_colors.h"

#include "framework/strutils.h"
#include "skin/engine/te_pixels.h"
#include "skin/engine/te_utils.h"

namespace dvr::skin {

const char* const ThemeEntryNames[kThemeColorCount + kThemeFontCount] = {
    "CaptionNormal",
    "CaptionInactive",
    "WindowBorder",
    "Window",
    "Border",
    "PanelNormal",
    "PanelDisabled",
    "ButtonNormal",
    "ButtonHot",
    "ButtonPressed",
    "ButtonFocused",
    "ButtonDisabled",
    "EditNormal",
    "EditHot",
    "EditFocused",
    "EditDisabled",
    "EditSelection",
    "Hint",
    "List",
    "Tree",
    "Grid",
    "CaptionTextNormal",
    "CaptionTextInactive",
    "SmCaptionTextNormal",
    "SmCaptionTextInactive",
    "StaticTextNormal",
    "StaticTextHot",
    "StaticTextFocused",
    "StaticTextDisabled",
    "PanelTextNormal",
    "PanelTextDisabled",
    "ButtonTextNormal",
    "ButtonTextPressed",
    "ButtonTextHot",
    "ButtonTextFocused",
    "ButtonTextDisabled",
    "CheckBoxTextNormal",
    "CheckBoxTextPressed",
    "CheckBoxTextHot",
    "CheckBoxTextFocused",
    "CheckBoxTextDisabled",
    "RadioButtonTextNormal",
    "RadioButtonTextPressed",
    "RadioButtonTextHot",
    "RadioButtonTextFocused",
    "RadioButtonTextDisabled",
    "GroupBoxTextNormal",
    "GroupBoxTextDisabled",
    "WindowTextNormal",
    "WindowTextDisabled",
    "EditBoxTextNormal",
    "EditBoxTextFocused",
    "EditBoxTextHot",
    "EditBoxTextDisabled",
    "EditBoxTextSelected",
    "MenuItemTextNormal",
    "MenuItemTextSelected",
    "MenuItemTextHot",
    "MenuItemTextDisabled",
    "ToolItemTextNormal",
    "ToolItemTextSelected",
    "ToolItemTextHot",
    "ToolItemTextDisabled",
    "HeaderSectionTextNormal",
    "HeaderSectionTextPressed",
    "HeaderSectionTextDraggedOut",
    "HeaderSectionTextDragging",
    "HeaderSectionTextHot",
    "HeaderSectionTextUnderDrag",
    "HeaderSectionTextDisabled",
    "StatusPanelTextNormal",
    "StatusPanelTextDisabled",
    "TabTextInactiveNormal",
    "TabTextInactiveHot",
    "TabTextInactiveDisabled",
    "TabTextActiveNormal",
    "TabTextActiveHot",
    "TabTextActiveDisabled",
    "ListItemTextNormal",
    "ListItemTextHot",
    "ListItemTextSelected",
    "ListItemTextFocused",
    "ListItemTextDisabled",
    "PopupMenuItemTextNormal",
    "PopupMenuItemTextSelected",
    "PopupMenuItemTextHot",
    "PopupMenuItemTextDisabled"};

void TteFont::Assign(const fw::TPersistent* Source) {
    if (auto* f = dynamic_cast<const TteFont*>(Source)) {
        Name = f->Name;
        Size = f->Size;
        Charset = f->Charset;
        Color = f->Color;
        Style = f->Style;
        return;
    }
    fw::TPersistent::Assign(Source);
}

namespace {

fw::TColor HueShifted(fw::TColor c, int delta) {
    return PixelToColor(ShiftHue(ColorToPixel(c, 255), delta));
}
fw::TColor BrightnessShifted(fw::TColor c, int delta) {
    return PixelToColor(ShiftBrightness(ColorToPixel(c, 255), delta));
}

void ReadEntry(fw::TStream& Stream, std::string& Value) {
    std::string skip;
    ReadString(Stream, skip);
    ReadString(Stream, skip);
    ReadString(Stream, Value);
}

void WriteEntry(fw::TStream& Stream, const char* Name, const std::string& Value) {
    WriteString(Stream, Name);
    WriteString(Stream, ":");
    WriteString(Stream, Value);
}

} // namespace

// --- colours ---

void TteThemeColors::Assign(const fw::TPersistent* Source) {
    if (auto* c = dynamic_cast<const TteThemeColors*>(Source)) {
        colors_ = c->colors_;
        return;
    }
    fw::TPersistent::Assign(Source);
}

fw::TColor TteThemeColors::GetColor(int Index) const {
    int i = Index & 127;
    return i < kThemeColorCount ? colors_[size_t(i)] : fw::clNone;
}

void TteThemeColors::SetColor(int Index, fw::TColor Value) {
    int i = Index & 127;
    if (i < kThemeColorCount) colors_[size_t(i)] = Value;
}

void TteThemeColors::ChangeHue(int Delta) {
    for (auto& c : colors_)
        c = HueShifted(c, Delta);
}

void TteThemeColors::ChangeBrightness(int Delta) {
    for (auto& c : colors_)
        c = BrightnessShifted(c, Delta);
}

void TteThemeColors::LoadFromStream(fw::TStream& Stream) {
    uint8_t n = 0;
    Stream.ReadBuffer(&n, 1);
    for (int i = 0; i <= n; ++i) {
        std::string value;
        ReadEntry(Stream, value);
        if (i < kThemeColorCount) colors_[size_t(i)] = fw::StringToColor(value);
    }
}

void TteThemeColors::SaveToStream(fw::TStream& Stream) const {
    uint8_t n = kThemeColorCount - 1;
    Stream.WriteBuffer(&n, 1);
    for (int i = 0; i < kThemeColorCount; ++i)
        WriteEntry(Stream, ThemeEntryNames[i], fw::ColorToString(colors_[size_t(i)]));
}

// --- fonts ---

TteThemeFonts::TteThemeFonts(TteTheme* Theme, StyleFontFn StyleFont)
    : Theme(Theme), StyleFont(std::move(StyleFont)) {
    for (auto& f : fonts_)
        f = std::make_unique<TteFont>();
}

void TteThemeFonts::Assign(const fw::TPersistent* Source) {
    if (auto* t = dynamic_cast<const TteThemeFonts*>(Source)) {
        for (size_t i = 0; i < fonts_.size(); ++i)
            fonts_[i]->Assign(t->fonts_[i].get());
        return;
    }
    fw::TPersistent::Assign(Source);
}

TteFont* TteThemeFonts::GetFont(int Index) const {
    int i = Index & 127;
    return i < kThemeFontCount ? fonts_[size_t(i)].get() : nullptr;
}

TteFont* TteThemeFonts::GetStyleFont(int Index, const std::string& ThemeObject) {
    if (!Theme || !StyleFont || fw::SameText(ThemeObject, "default")) return GetFont(Index);
    StyleFont(scratch_, Index, ThemeObject);
    return &scratch_;
}

void TteThemeFonts::ChangeHue(int Delta) {
    for (auto& f : fonts_)
        f->Color = HueShifted(f->Color, Delta);
}

void TteThemeFonts::ChangeBrightness(int Delta) {
    for (auto& f : fonts_)
        f->Color = BrightnessShifted(f->Color, Delta);
}

void TteThemeFonts::LoadFromStream(fw::TStream& Stream) {
    uint8_t n = 0;
    Stream.ReadBuffer(&n, 1);
    for (int i = 0; i <= n; ++i) {
        std::string value;
        ReadEntry(Stream, value);
        if (i >= kThemeFontCount) continue;
        TteFont& f = *fonts_[size_t(i)];
        // Everything is parsed before the font changes, so a bad value leaves it whole.
        std::string name = FontNameFromString(value);
        int size = FontSizeFromString(value);
        fw::TColor color = FontColorFromString(value);
        TFontStyles style = FontStyleFromString(value);
        SetFontAttributes(f, name, size, style, color);
    }
}

void TteThemeFonts::SaveToStream(fw::TStream& Stream) const {
    uint8_t n = kThemeFontCount - 1;
    Stream.WriteBuffer(&n, 1);
    for (int i = 0; i < kThemeFontCount; ++i)
        WriteEntry(Stream, ThemeEntryNames[kThemeColorCount + i], FontToString(*fonts_[size_t(i)]));
}

// --- font texts ---

std::string FontToString(const TteFont& Font) {
    uint32_t c = uint32_t(ColorToRGB(Font.Color));
    std::string s = Font.Name + "," + fw::IntToStr(Font.Size) + "," + fw::IntToStr(Font.Charset) +
                    "," + fw::IntToStr(c & 0xFF) + "," + fw::IntToStr((c >> 8) & 0xFF) + "," +
                    fw::IntToStr((c >> 16) & 0xFF);
    if (Font.Style.Contains(TFontStyle::fsBold)) s += ",bold";
    if (Font.Style.Contains(TFontStyle::fsItalic)) s += ",italic";
    if (Font.Style.Contains(TFontStyle::fsUnderline)) s += ",underline";
    if (Font.Style.Contains(TFontStyle::fsStrikeOut)) s += ",strikeout";
    return s;
}

std::string FontNameFromString(std::string S) {
    std::string name;
    ReadUntil(S, ";,", name);
    return name;
}

int FontSizeFromString(std::string S) {
    std::string t;
    ReadUntil(S, ";,", t);
    ReadToken(S, t);
    return fw::StrToInt(t);
}

fw::TColor FontColorFromString(std::string S) {
    std::string t;
    ReadUntil(S, ";,", t); // name
    ReadToken(S, t);       // size
    ReadToken(S, t);       // charset
    ReadToken(S, t);
    int r = fw::StrToInt(t);
    ReadToken(S, t);
    int g = fw::StrToInt(t);
    ReadToken(S, t);
    int b = fw::StrToInt(t);
    return fw::TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

TFontStyles FontStyleFromString(std::string S) {
    std::string t;
    ReadUntil(S, ";,", t);
    for (int i = 0; i < 5; ++i)
        ReadToken(S, t);
    TFontStyles style;
    while (!S.empty()) {
        ReadToken(S, t);
        if (t == "bold") style.Include(TFontStyle::fsBold);
        if (t == "italic") style.Include(TFontStyle::fsItalic);
        if (t == "underline") style.Include(TFontStyle::fsUnderline);
        if (t == "strikeout") style.Include(TFontStyle::fsStrikeOut);
    }
    return style;
}

void SetFontAttributes(TteFont& Font, const std::string& Name, int Size, TFontStyles Style,
                       fw::TColor Color) {
    Font.Name = Name;
    Font.Size = Size;
    Font.Style = Style;
    Font.Color = Color;
}

} // namespace dvr::skin
