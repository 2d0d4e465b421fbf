// The host's corrections of values on their way to the board, and the two text lines of the
// channel's on-screen display. Portable: no board calls here.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vantrel {

constexpr int kMaxBoardChannels = 49;
constexpr int kOsdNameCharacters = 98;

int BoardFrameRate(int frameRate);       // 1..30, else 25
int BoardStreamType(int kind);           // 3, else 1
int BoardPictureFormat(int format);      // 0..3, else 0
int BoardKeyFrameInterval(int interval); // below 12 gives 301
int BoardBFrames(int bFrames);           // 0..2, else 2
int BoardQuantiser(int quant);           // negative 0, above 40 gives 30
int BoardBitrate(int megabytesPerHour);  // 0 gives 800, then x 2330
int BoardVideoStandard(int standard);    // 2 (PAL), else 1 (NTSC)
int BoardMotionAreas(int count);         // at most 7
int BoardSensitivity(int sensitivity);   // 0..100, else 3
// Brightness and hue cap at 255, contrast and saturation at 127; negatives give 0.
int BoardPictureParam(int value, int maximum);

struct TOsdPoint {
    int x = 0, y = 0;
};
// x within 1..344 and y within 1..270 (a negative gives 1).
TOsdPoint BoardOsdPosition(TOsdPoint p);

// x, y, the date and time field codes between their separators, 0; or 0, 0, 0 when hidden.
std::vector<uint16_t> OsdTimeLine(TOsdPoint p, bool shown);
// x, y, one word per GBK character, 0; or 0, 0, 0 when hidden. Always 101 words when shown:
// characters past the 98th are left out rather than written beyond the line.
std::vector<uint16_t> OsdNameLine(TOsdPoint p, std::string_view gbkName, bool shown);

} // namespace vantrel

namespace vantrel {

// The encoder calls the recording engine makes; the board wrapper answers them.
class TBoardEncoders {
public:
    virtual ~TBoardEncoders() = default;
    virtual int ChannelCount() const = 0;
    virtual int StartCapture(int channel) = 0;
    virtual int StopCapture(int channel) = 0;
    virtual int RequestKeyFrame(int channel) = 0;
};

} // namespace vantrel
