#include "skin/controls/te_drawstyle.h"

#include "skin/engine/te_winapi.h"

#include <cwctype>

namespace dvr::skin {

void DrawStylePart(HDC DC, const wchar_t* Class, const fw::TRect& R, int Part, int State) {
    const TThemeFunctions& f = ThemeFunctions();
    if (!f.OpenThemeData || !f.DrawThemeBackground || !f.CloseThemeData) return;
    HTHEME theme = f.OpenThemeData(nullptr, Class);
    if (!theme) return;
    RECT rc{R.Left, R.Top, R.Right, R.Bottom};
    f.DrawThemeBackground(theme, DC, Part, State, &rc, nullptr);
    f.CloseThemeData(theme);
}

bool IsCaptionAccel(wchar_t Char, const std::wstring& Caption) {
    for (size_t i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != L'&') continue;
        if (Caption[i + 1] == L'&') {
            ++i; // "&&" is a literal ampersand
            continue;
        }
        return std::towupper(wint_t(Caption[i + 1])) == std::towupper(wint_t(Char));
    }
    return false;
}

} // namespace dvr::skin
