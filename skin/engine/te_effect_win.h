// The Windows side of the transition effects: frames drawn on a device context, the
// 20 ms animation timer and the modal run of one animation.
#pragma once

#include "skin/engine/te_effect.h"

#include <windows.h>

namespace dvr::skin {

// Frames go to DC at the animation's position.
class TteDCFrameTarget : public TteFrameTarget {
public:
    explicit TteDCFrameTarget(HDC DC) : dc_(DC) {}
    bool HasHandle() const override { return dc_ != nullptr; }
    void DrawFrame(TteBitmap& Work, int X, int Y) override;

private:
    HDC dc_;
};

// Starts the animation in a free slot and pumps messages until it has ended; False.
// Nothing runs (and it returns at once) without a free slot, pictures or a known effect.
bool ExecuteAnimation(HDC DC, int X, int Y, TteBitmap* FromBitmap, TteBitmap* ToBitmap,
                      TteAnimationRec* Animation);

// Installs the 20 ms thread timer that steps every running animation.
void InstallAnimationTimer();

} // namespace dvr::skin
