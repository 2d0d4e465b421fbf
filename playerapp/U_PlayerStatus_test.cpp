#include "playerapp/U_PlayerStatus.h"

#include <gtest/gtest.h>

namespace playerqz {
namespace {

TEST(PlayerStatus, TimesWithoutLeadingZeros) {
    const std::pair<unsigned, const char*> cases[] = {
        {0, "0:0:0"},    {59, "0:0:59"},      {75, "0:1:15"},     {3600, "1:0:0"},
        {3661, "1:1:1"}, {86399, "23:59:59"}, {360000, "100:0:0"}};
    for (const auto& [s, text] : cases)
        EXPECT_EQ(FormatPlayTime(s), text);
}

TEST(PlayerStatus, PrefixCountsPortsFromOne) {
    EXPECT_EQ(StatusPrefix(0) + "is playing..." + std::string(FileNameOnly("C:\\rec\\clip.mpg")),
              "Camera (1 ) is playing...clip.mpg");
    EXPECT_EQ(StatusPrefix(15), "Camera (16 ) ");
}

TEST(PlayerStatus, StateAndFileNameKeepASeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"Ready", "Ready "}, {"Pause", "Pause "}, {"is playing...", "is playing... "},
        {"Ready ", "Ready "}, {"", ""}};
    for (const auto& [caption, text] : cases)
        EXPECT_EQ(StateBeforeFileName(caption), text) << caption;
}

TEST(PlayerStatus, FileNameAfterTheLastSeparatorOnly) {
    EXPECT_EQ(FileNameOnly("clip.mpg"), "clip.mpg");
    EXPECT_EQ(FileNameOnly("D:clip.mpg"), "clip.mpg");
    EXPECT_EQ(FileNameOnly("D:\\a/b\\"), "");
    // GBK 0x955C ends in a backslash byte: it is part of the character, not a separator.
    EXPECT_EQ(FileNameOnly("D:\\rec\\\x95\x5C.mpg"), "\x95\x5C.mpg");
    EXPECT_EQ(FileNameOnly("\x95"), "\x95"); // a lone lead byte at the end
}

TEST(PlayerStatus, ControlsEnabledByState) {
    EXPECT_EQ(ControlEnablesFor(psPlaying), (ControlEnables{false, true, true, true, true}));
    EXPECT_EQ(ControlEnablesFor(psPaused), (ControlEnables{true, false, true, true, true}));
    EXPECT_EQ(ControlEnablesFor(psStopped), (ControlEnables{true, false, false, false, false}));
    EXPECT_EQ(ControlEnablesFor(psNoFile), (ControlEnables{}));
    EXPECT_EQ(ControlEnablesFor(7), (ControlEnables{}));
}

TEST(PlayerStatus, SliderPositionRoundsHalfToEven) {
    EXPECT_EQ(SliderPosition(0.0, 1000), 0);
    EXPECT_EQ(SliderPosition(0.5, 1000), 500);
    EXPECT_EQ(SliderPosition(0.3125, 4), 1); // 1.25
    EXPECT_EQ(SliderPosition(0.625, 4), 2);  // 2.5
    EXPECT_EQ(SliderPosition(0.875, 4), 4);  // 3.5
    EXPECT_EQ(SliderPosition(1.0, 1000), 1000);
    EXPECT_EQ(SliderPosition(1.5, 1000), 1000);
    EXPECT_EQ(SliderPosition(-0.1, 1000), 0);
}

} // namespace
} // namespace playerqz
