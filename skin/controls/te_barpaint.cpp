#include "skin/controls/te_barpaint.h"

#include "skin/engine/te_winapi.h"

namespace dvr::skin {

void DrawBarVisualStyle(HDC DC, const wchar_t* Class, fw::TRect Rect, int Part, int State) {
    const TThemeFunctions& f = ThemeFunctions();
    if (!f.OpenThemeData || !f.DrawThemeBackground || !f.CloseThemeData) return;
    HTHEME theme = f.OpenThemeData(nullptr, Class);
    if (!theme) return;
    RECT rc{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
    f.DrawThemeBackground(theme, DC, Part, State, &rc, nullptr);
    f.CloseThemeData(theme);
}

} // namespace dvr::skin
