// Fixed choices of the player: the language of its texts and the DVR name in its title.
#pragma once

namespace playerqz {

// Language block of the caption table: 1 simplified Chinese, 2 English, 3 traditional
// Chinese. The player always shows English.
constexpr int LanguageIndex = 2;
constexpr int LanguageCount = 3;

} // namespace playerqz
