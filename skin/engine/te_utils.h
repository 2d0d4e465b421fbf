// The skin engine's toolbox, portable part: rectangle arithmetic, the length-prefixed
// string of every engine stream, the small tokenisers of the colour and font tables, the
// region rectangles of a bitmap's opaque pixels and the keyboard repeat timings.
// Drawing on device contexts is in te_utils_win.h.
#pragma once

#include "framework/stream.h"
#include "framework/types.h"
#include "skin/engine/te_bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dvr::skin {

int RectWidth(const TRect& R);
int RectHeight(const TRect& R);
TRect CenterRectVertically(TRect& R, const TRect& Bounds);
TRect CenterRect(TRect& R, const TRect& Bounds);
TRect InflatedRect(const TRect& R, int Delta);
bool RectIsEmpty(const TRect& R);
bool SameRect(const TRect& A, const TRect& B);

// int32 byte count, then the bytes. A count that is negative or larger than what the
// stream still holds raises fw::EReadError, as does a short stream.
void ReadString(fw::TStream& Stream, std::string& S);
void WriteString(fw::TStream& Stream, const std::string& S);

// Takes the front token off S: it ends at a space, "(", ")", ",", ":", ";" or "=" (or
// at any character of Delimiters); token and rest are trimmed.
void ReadToken(std::string& S, std::string& Token);
void ReadUntil(std::string& S, const std::string& Delimiters, std::string& Token);

// RGNDATA of the runs of a bitmap's pixels whose colour is not the key colour, offset by
// (X, Y): a 32-byte header and 16 bytes per rectangle. Empty for a bitmap without pixels.
std::vector<uint8_t> CreateRegionData(const TteBitmap& Bitmap, int X, int Y);

// (delay setting + 1) x 200 ms and 1000 / ((speed setting + 1) x 2.3) ms, rounded.
int KeyboardDelayMsFor(int DelaySetting);
int KeyboardRepeatMsFor(int SpeedSetting);

} // namespace dvr::skin
