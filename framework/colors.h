// Colours and character sets as the streams name them. A TColor holds R, G, B in its
// low bytes, or a system colour (0x80000000 plus the system colour index); clNone and
// clDefault are markers.
#pragma once

#include "framework/typinfo.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace dvr::fw {

using TColor = int32_t;

constexpr TColor SystemColor(int index) {
    return TColor(0x80000000u | uint32_t(index));
}

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The colour names; false when the value has none.
bool ColorToIdent(TColor Color, std::string& Ident);
bool IdentToColor(std::string_view Ident, TColor& Color);
// A colour's stream text: its name, or "$" and 8 hexadecimal digits.
std::string ColorToString(TColor Color);
// A name or a number; EConvertError otherwise.
TColor StringToColor(std::string_view S);
// Every colour name, in the table's order ("clBlack" first).
void GetColorValues(const std::function<void(const std::string& Name)>& Proc);
const TTypeInfo* ColorType();

using TFontCharset = uint8_t;
// windows.h defines the same numbers as macros; those serve where it came first.
#ifndef ANSI_CHARSET
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset GB2312_CHARSET = 134;
constexpr TFontCharset OEM_CHARSET = 255;
#endif

bool CharsetToIdent(int32_t Charset, std::string& Ident);
bool IdentToCharset(std::string_view Ident, int32_t& Charset);
const TTypeInfo* CharsetType();

} // namespace dvr::fw
