// The colour and font tables every theme carries: 21 named colours and 66 named fonts,
// shifted together in hue or brightness, and read and written as counted strings (the
// colour and font section of skin files).
#pragma once

#include "framework/colors.h"
#include "framework/persistent.h"
#include "framework/stream.h"
#include "framework/types.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace dvr::skin {

class TteTheme;

enum class TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = fw::TSet<TFontStyle>;

// The attributes of a font the tables keep (face, size in points, charset, colour, style).
class TteFont : public fw::TPersistent {
    FW_CLASS(TteFont, fw::TPersistent)
public:
    TteFont() = default;
    std::string Name = "Tahoma";
    int32_t Size = 8;
    uint8_t Charset = 1; // the default charset
    fw::TColor Color = fw::clWindowText;
    TFontStyles Style;

    void Assign(const fw::TPersistent* Source) override;
};

constexpr int kThemeColorCount = 21;
constexpr int kThemeFontCount = 66;

// Colour entries.
enum TteThemeColor : uint8_t {
    ktcCaptionNormal,
    ktcCaptionInactive,
    ktcWindowBorder,
    ktcWindow,
    ktcBorder,
    ktcPanelNormal,
    ktcPanelDisabled,
    ktcButtonNormal,
    ktcButtonHot,
    ktcButtonPressed,
    ktcButtonFocused,
    ktcButtonDisabled,
    ktcEditNormal,
    ktcEditHot,
    ktcEditFocused,
    ktcEditDisabled,
    ktcEditSelection,
    ktcHint,
    ktcList,
    ktcTree,
    ktcGrid
};

// The 87 entry names: 21 colours, then 66 fonts, in index order.
extern const char* const ThemeEntryNames[kThemeColorCount + kThemeFontCount];

class TteThemeColors : public fw::TPersistent {
    FW_CLASS(TteThemeColors, fw::TPersistent)
public:
    explicit TteThemeColors(TteTheme* Theme = nullptr) : Theme(Theme) {}

    TteTheme* Theme;

    void Assign(const fw::TPersistent* Source) override;
    // The index is taken modulo 128; entries beyond the table read clNone and ignore writes.
    fw::TColor GetColor(int Index) const;
    void SetColor(int Index, fw::TColor Value);
    void ChangeHue(int Delta);
    void ChangeBrightness(int Delta);
    // Entries by position; extra entries of a longer table are read and skipped.
    void LoadFromStream(fw::TStream& Stream);
    void SaveToStream(fw::TStream& Stream) const;

private:
    std::array<fw::TColor, kThemeColorCount> colors_{};
};

class TteThemeFonts : public fw::TPersistent {
    FW_CLASS(TteThemeFonts, fw::TPersistent)
public:
    // Fills Scratch with the style font of the theme object (the owning theme's answer).
    using StyleFontFn =
        std::function<void(TteFont& Scratch, int Index, const std::string& ThemeObject)>;

    explicit TteThemeFonts(TteTheme* Theme = nullptr, StyleFontFn StyleFont = nullptr);

    TteTheme* Theme;
    StyleFontFn StyleFont;

    void Assign(const fw::TPersistent* Source) override;
    // The table font (index modulo 128), nullptr beyond the table.
    TteFont* GetFont(int Index) const;
    TteFont* GetStyleFont(int Index, const std::string& ThemeObject);
    void ChangeHue(int Delta);
    void ChangeBrightness(int Delta);
    void LoadFromStream(fw::TStream& Stream);
    void SaveToStream(fw::TStream& Stream) const;

private:
    std::array<std::unique_ptr<TteFont>, kThemeFontCount> fonts_;
    TteFont scratch_;
};

// "Tahoma,8,1,0,0,0,bold": name, size, charset, red, green, blue, then the styles.
std::string FontToString(const TteFont& Font);
std::string FontNameFromString(std::string S);
int FontSizeFromString(std::string S);
fw::TColor FontColorFromString(std::string S);
TFontStyles FontStyleFromString(std::string S);
void SetFontAttributes(TteFont& Font, const std::string& Name, int Size, TFontStyles Style,
                       fw::TColor Color);

} // namespace dvr::skin
