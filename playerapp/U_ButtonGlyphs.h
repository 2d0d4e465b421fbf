// The tool buttons' pictures: 16 x 16, drawn light on a magenta background that the
// skinned buttons take as transparent (their bottom-left pixel).
#pragma once

#include "framework/ui/graphics.h"

namespace playerqz {

enum class ButtonGlyph {
    Open,
    Play,
    Pause,
    Stop,
    First,
    FrameBack,
    FrameNext,
    Slow,
    Fast,
    End,
    Capture,
    FullScreen,
    Loop,
    LoopStart,
    LoopEnd,
    LoopSave,
    PlayAll,
    StopAll,
    Sound,
};

constexpr int GlyphSize = 16;
constexpr dvr::fw::TColor GlyphBackground = dvr::fw::clFuchsia;
constexpr dvr::fw::TColor GlyphInk = 0x00E8E0D8;

void DrawButtonGlyph(dvr::fw::TBitmap& Bitmap, ButtonGlyph Kind);

} // namespace playerqz
