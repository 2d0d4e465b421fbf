#include "framework/colors.h"

#include "framework/exceptions.h"
#include "framework/strutils.h"

#include <vector>

namespace dvr::fw {

namespace {

const std::vector<TIdentMapEntry>& ColorNames() {
    static const std::vector<TIdentMapEntry> names = {
        {clBlack, "clBlack"},
        {clMaroon, "clMaroon"},
        {clGreen, "clGreen"},
        {clOlive, "clOlive"},
        {clNavy, "clNavy"},
        {clPurple, "clPurple"},
        {clTeal, "clTeal"},
        {clGray, "clGray"},
        {clSilver, "clSilver"},
        {clRed, "clRed"},
        {clLime, "clLime"},
        {clYellow, "clYellow"},
        {clBlue, "clBlue"},
        {clFuchsia, "clFuchsia"},
        {clAqua, "clAqua"},
        {clWhite, "clWhite"},
        {clMoneyGreen, "clMoneyGreen"},
        {clSkyBlue, "clSkyBlue"},
        {clCream, "clCream"},
        {clMedGray, "clMedGray"},
        {clActiveBorder, "clActiveBorder"},
        {clActiveCaption, "clActiveCaption"},
        {clAppWorkSpace, "clAppWorkSpace"},
        {clBackground, "clBackground"},
        {clBtnFace, "clBtnFace"},
        {clBtnHighlight, "clBtnHighlight"},
        {clBtnShadow, "clBtnShadow"},
        {clBtnText, "clBtnText"},
        {clCaptionText, "clCaptionText"},
        {clDefault, "clDefault"},
        {clGradientActiveCaption, "clGradientActiveCaption"},
        {clGradientInactiveCaption, "clGradientInactiveCaption"},
        {clGrayText, "clGrayText"},
        {clHighlight, "clHighlight"},
        {clHighlightText, "clHighlightText"},
        {clHotLight, "clHotLight"},
        {clInactiveBorder, "clInactiveBorder"},
        {clInactiveCaption, "clInactiveCaption"},
        {clInactiveCaptionText, "clInactiveCaptionText"},
        {clInfoBk, "clInfoBk"},
        {clInfoText, "clInfoText"},
        {clMenu, "clMenu"},
        {clMenuBar, "clMenuBar"},
        {clMenuHighlight, "clMenuHighlight"},
        {clMenuText, "clMenuText"},
        {clNone, "clNone"},
        {clScrollBar, "clScrollBar"},
        {cl3DDkShadow, "cl3DDkShadow"},
        {cl3DLight, "cl3DLight"},
        {clWindow, "clWindow"},
        {clWindowFrame, "clWindowFrame"},
        {clWindowText, "clWindowText"},
    };
    return names;
}

const std::vector<TIdentMapEntry>& CharsetNames() {
    static const std::vector<TIdentMapEntry> names = {
        {0, "ANSI_CHARSET"},      {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},
        {77, "MAC_CHARSET"},      {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"},
        {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},   {136, "CHINESEBIG5_CHARSET"},
        {161, "GREEK_CHARSET"},   {162, "TURKISH_CHARSET"},  {163, "VIETNAMESE_CHARSET"},
        {177, "HEBREW_CHARSET"},  {178, "ARABIC_CHARSET"},   {186, "BALTIC_CHARSET"},
        {204, "RUSSIAN_CHARSET"}, {222, "THAI_CHARSET"},     {238, "EASTEUROPE_CHARSET"},
        {255, "OEM_CHARSET"},
    };
    return names;
}

bool Lookup(const std::vector<TIdentMapEntry>& map, int32_t v, std::string& ident) {
    for (const TIdentMapEntry& e : map)
        if (e.Value == v) {
            ident = e.Name;
            return true;
        }
    return false;
}

bool Lookup(const std::vector<TIdentMapEntry>& map, std::string_view ident, int32_t& v) {
    for (const TIdentMapEntry& e : map)
        if (SameText(e.Name, ident)) {
            v = e.Value;
            return true;
        }
    return false;
}

} // namespace

bool ColorToIdent(TColor Color, std::string& Ident) {
    return Lookup(ColorNames(), Color, Ident);
}
bool IdentToColor(std::string_view Ident, TColor& Color) {
    return Lookup(ColorNames(), Ident, Color);
}

std::string ColorToString(TColor Color) {
    std::string s;
    if (ColorToIdent(Color, s)) return s;
    return "$" + IntToHex(uint32_t(Color), 8);
}

TColor StringToColor(std::string_view S) {
    TColor c;
    if (IdentToColor(S, c)) return c;
    return StrToInt(S);
}

const TTypeInfo* ColorType() {
    static const TTypeInfo t = TTypeInfo::Integer("TColor", ColorNames());
    return &t;
}

bool CharsetToIdent(int32_t Charset, std::string& Ident) {
    return Lookup(CharsetNames(), Charset, Ident);
}
bool IdentToCharset(std::string_view Ident, int32_t& Charset) {
    return Lookup(CharsetNames(), Ident, Charset);
}

const TTypeInfo* CharsetType() {
    static const TTypeInfo t = TTypeInfo::Integer("TFontCharset", CharsetNames());
    return &t;
}

void GetColorValues(const std::function<void(const std::string& Name)>& Proc) {
    for (const TIdentMapEntry& e : ColorNames()) Proc(e.Name);
}

} // namespace dvr::fw
