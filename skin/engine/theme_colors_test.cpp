#include "skin/engine/theme_colors.h"

#include "framework/exceptions.h"
#include "skin/engine/te_pixels.h"
#include "skin/engine/te_utils.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

TEST(ThemeColors, StreamRoundTripAndPositions) {
    TteThemeColors c;
    for (int i = 0; i < kThemeColorCount; ++i)
        c.SetColor(i, i % 3 == 0 ? fw::clBtnFace : fw::TColor(0x010203 * (i + 1)));
    fw::TMemoryStream m;
    c.SaveToStream(m);
    m.SetPosition(0);
    uint8_t n = 0;
    m.ReadBuffer(&n, 1);
    EXPECT_EQ(n, 20);
    std::string name, colon, value;
    ReadString(m, name);
    ReadString(m, colon);
    ReadString(m, value);
    EXPECT_EQ(name, "CaptionNormal");
    EXPECT_EQ(colon, ":");
    EXPECT_EQ(value, "clBtnFace");
    m.SetPosition(0);
    TteThemeColors back;
    back.LoadFromStream(m);
    for (int i = 0; i < kThemeColorCount; ++i)
        EXPECT_EQ(back.GetColor(i), c.GetColor(i)) << i;
    // The index is a byte taken modulo 128.
    EXPECT_EQ(back.GetColor(128 + 4), c.GetColor(4));
    EXPECT_EQ(back.GetColor(21), fw::clNone);
}

// A stream of n + 1 entries: names are ignored, position decides.
fw::TMemoryStream* Entries(int count, const std::string& value) {
    auto* m = new fw::TMemoryStream();
    uint8_t n = uint8_t(count - 1);
    m->WriteBuffer(&n, 1);
    for (int i = 0; i < count; ++i) {
        WriteString(*m, "whatever");
        WriteString(*m, "=");
        WriteString(*m, value);
    }
    m->SetPosition(0);
    return m;
}

TEST(ThemeColors, ShortLongAndBadStreams) {
    TteThemeColors c;
    for (int i = 0; i < kThemeColorCount; ++i)
        c.SetColor(i, fw::clBlack);
    std::unique_ptr<fw::TMemoryStream> six(Entries(6, "$00123456"));
    c.LoadFromStream(*six);
    EXPECT_EQ(c.GetColor(5), fw::TColor(0x123456));
    EXPECT_EQ(c.GetColor(6), fw::clBlack);
    // More entries than the table: the extra ones are read past.
    std::unique_ptr<fw::TMemoryStream> many(Entries(30, "clRed"));
    c.LoadFromStream(*many);
    EXPECT_EQ(c.GetColor(20), fw::clRed);
    EXPECT_EQ(many->Position(), many->Size());
    std::unique_ptr<fw::TMemoryStream> bad(Entries(3, "notacolour"));
    EXPECT_THROW(c.LoadFromStream(*bad), fw::EConvertError);
    EXPECT_EQ(c.GetColor(0), fw::clRed);
}

TEST(ThemeColors, HueAndBrightnessShiftEveryEntry) {
    TteThemeColors c;
    c.SetColor(0, fw::clRed);
    c.SetColor(1, fw::clBtnFace); // system colours are resolved first
    c.SetColor(2, fw::TColor(0x102030));
    TteThemeColors h;
    h.Assign(&c);
    h.ChangeHue(85);
    EXPECT_EQ(h.GetColor(0), PixelToColor(ShiftHue(0xFFFF0000, 85)));
    EXPECT_EQ(h.GetColor(0), fw::clLime);
    EXPECT_EQ(h.GetColor(1), PixelToColor(ShiftHue(ColorToPixel(fw::clBtnFace, 255), 85)));
    c.ChangeBrightness(-0x20);
    EXPECT_EQ(c.GetColor(2), fw::TColor(0x000010));
    EXPECT_EQ(c.GetColor(0), fw::TColor(0x0000DF));
}

TEST(ThemeFonts, TextsAndRoundTrip) {
    TteFont f;
    SetFontAttributes(f, "Tahoma", 8, {TFontStyle::fsBold}, fw::clBlack);
    f.Charset = 1;
    EXPECT_EQ(FontToString(f), "Tahoma,8,1,0,0,0,bold");
    SetFontAttributes(f, "Times New Roman", 12, {TFontStyle::fsItalic}, fw::TColor(0x30201));
    EXPECT_EQ(FontToString(f), "Times New Roman,12,1,1,2,3,italic");
    const std::string s = FontToString(f);
    EXPECT_EQ(FontNameFromString(s), "Times New Roman");
    EXPECT_EQ(FontSizeFromString(s), 12);
    EXPECT_EQ(FontColorFromString(s), fw::TColor(0x30201));
    EXPECT_EQ(FontStyleFromString(s), TFontStyles{TFontStyle::fsItalic});
    EXPECT_EQ(FontStyleFromString("A;9;0;1;2;3;underline,strikeout,bolder,bold"),
              (TFontStyles{TFontStyle::fsUnderline, TFontStyle::fsStrikeOut, TFontStyle::fsBold}));
    EXPECT_THROW(FontSizeFromString("Arial,big,1,0,0,0"), fw::EConvertError);

    TteThemeFonts fonts;
    EXPECT_EQ(fonts.GetFont(65)->Name, "Tahoma");
    EXPECT_EQ(fonts.GetFont(66), nullptr);
    SetFontAttributes(*fonts.GetFont(3), "Times New Roman", 11,
                      {TFontStyle::fsItalic, TFontStyle::fsUnderline}, fw::TColor(0x0000FF));
    SetFontAttributes(*fonts.GetFont(65), "宋体", 9, {}, fw::clBtnFace);
    fw::TMemoryStream m;
    fonts.SaveToStream(m);
    EXPECT_EQ(m.Bytes()[0], 65);
    m.SetPosition(0);
    TteThemeFonts back;
    back.LoadFromStream(m);
    for (int i = 0; i < kThemeFontCount; ++i) {
        const TteFont& a = *fonts.GetFont(i);
        const TteFont& b = *back.GetFont(i);
        EXPECT_EQ(b.Name, a.Name) << i;
        EXPECT_EQ(b.Size, a.Size) << i;
        EXPECT_EQ(b.Style, a.Style) << i;
        EXPECT_EQ(b.Color, ColorToRGB(a.Color)) << i;
    }
}

TEST(ThemeFonts, StyleFontAndShifts) {
    int asked = -1;
    TteThemeFonts fonts(reinterpret_cast<TteTheme*>(&asked),
                        [&](TteFont& scratch, int index, const std::string& obj) {
                            asked = index;
                            scratch.Name = obj;
                        });
    EXPECT_EQ(fonts.GetStyleFont(3, "default"), fonts.GetFont(3));
    EXPECT_EQ(asked, -1);
    TteFont* f = fonts.GetStyleFont(3, "Button1");
    EXPECT_NE(f, fonts.GetFont(3));
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(f->Name, "Button1");
    TteThemeFonts orphan;
    EXPECT_EQ(orphan.GetStyleFont(4, "Button1"), orphan.GetFont(4));

    fonts.GetFont(0)->Color = fw::clRed;
    fonts.ChangeHue(85);
    EXPECT_EQ(fonts.GetFont(0)->Color, fw::clLime);
    fonts.ChangeBrightness(300);
    EXPECT_EQ(fonts.GetFont(0)->Color, fw::clWhite);
    TteThemeFonts copy;
    copy.Assign(&fonts);
    EXPECT_EQ(copy.GetFont(0)->Color, fw::clWhite);
}

} // namespace
} // namespace dvr::skin
