// The player's persisted window layout numbers and their text form in the registry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace playerqz {

constexpr int ChooseFileWindowCount = 6; // values 1..6
constexpr int ReplayWindowCount = 5;     // values 7..11
constexpr int LayoutValueCount = ChooseFileWindowCount + ReplayWindowCount;

#pragma pack(push, 1)
// Read at start and written back unchanged; nothing in the player uses the numbers.
struct TPlayerWindowLayout {
    uint8_t Valid;
    int32_t Values[LayoutValueCount]; // Values[0] is value 1
};
#pragma pack(pop)
static_assert(sizeof(TPlayerWindowLayout) == 45);
static_assert(offsetof(TPlayerWindowLayout, Values) == 1);

// Each number as the last 4 characters of "0000" + its decimal text, concatenated.
std::string FormatLayoutNumbers(const int32_t* values, int count);

// Parses up to count 4-digit numbers from the front of text; returns how many parsed
// before the first failure (a piece shorter than 4 characters or not all digits).
int ParseLayoutNumbers(std::string_view text, int32_t* values, int count);

// The registry strings of the layout.
std::string ChooseFileWindowText(const TPlayerWindowLayout& layout);
std::string ReplayWindowText(const TPlayerWindowLayout& layout);

// Fills the layout from both strings: Valid is set, then cleared by any failure, which
// also ends the parsing (values parsed before it stay; "ReplayWindow" is not read after a
// failure in "ChooseFileWindow").
void ParseWindowLayout(std::string_view chooseFileWindow, std::string_view replayWindow,
                       TPlayerWindowLayout& layout);

} // namespace playerqz
