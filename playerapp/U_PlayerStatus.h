// What the player's tool bar and status bar show for a port: which controls are
// enabled in each port state, the time and port texts, the slider position.
#pragma once

#include <string>
#include <string_view>

namespace playerqz {

// Port states as the replay service keeps them.
enum PortState : int { psPlaying = 0, psPaused = 1, psStopped = 2, psNoFile = 3 };

struct ControlEnables {
    bool Play;
    bool PauseFastSlowEndFirst; // TB_Pause, TB_Fast, TB_Slow, TB_End, TB_First
    bool Stop;
    bool Music;
    bool SlidersStepsCapture; // both sliders, the single steps, the snapshot
    bool operator==(const ControlEnables&) const = default;
};
// A state outside 0..3 enables nothing.
ControlEnables ControlEnablesFor(int state);

// Hours, minutes and seconds without leading zeros: 75 -> "0:1:15".
std::string FormatPlayTime(unsigned seconds);

// "Camera (" + port number from 1 + " ) ", in the player's language (UTF-8).
std::string StatusPrefix(int port);

// A state text followed by a file name: one space between them unless the text already ends
// in one, so "Ready" and the name never run together.
std::string StateBeforeFileName(std::string_view stateCaption);

// The part of a GBK path after its last folder separator ('\\', '/' or ':'); the second
// byte of a two-byte character is never taken for a separator.
std::string_view FileNameOnly(std::string_view gbkPath);

// Slider position for a play position 0..1 on a slider of 0..max, rounded half to even.
int SliderPosition(double playPos, int max);

} // namespace playerqz
