// The built-in theme "OfficeXP": the Flat look with another colour scheme, white caption
// text and a 23-pixel image column in popup menus; forms keep their own frame.
#pragma once

#include "skin/engine/theme_flat.h"

namespace dvr::skin {

class TTeOfficeXPTheme : public TTeFlatTheme {
    TE_THEME_CLASS(TTeOfficeXPTheme, TTeFlatTheme)
public:
    TTeOfficeXPTheme();

    void Assign(const fw::TPersistent* Source) override;
    void SetDefaultColors() override;
    void SetDefaultFonts() override;
    static std::string GetThemeName() { return "OfficeXP"; }
    static void GetThemeOptions(TteThemeOptions& Options) {
        TTeFlatTheme::GetThemeOptions(Options);
    }

    bool HasFormStyle(int Kind, const TObj& ThemeObject) override;
};

// Registers the class (after the Flat theme's) once.
void InitOfficeXPThemeUnit();

} // namespace dvr::skin
