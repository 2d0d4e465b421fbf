// The outline of one motion-detection area over a video pane: four one-pixel panels along the
// edges, so the lines stay visible above the board's overlay picture.
#pragma once

#include "framework/ui/controls.h"
#include "framework/ui/extctrls.h"

#include <array>
#include <cstdint>

namespace vantrel {

struct TAreaBounds {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TAreaBounds&) const = default;
};

class TAreaRect {
public:
    explicit TAreaRect(dvr::fw::TWinControl* parent);
    ~TAreaRect();
    TAreaRect(const TAreaRect&) = delete;
    TAreaRect& operator=(const TAreaRect&) = delete;

    dvr::fw::TPanel* LeftLine;
    dvr::fw::TPanel* TopLine;
    dvr::fw::TPanel* RightLine;
    dvr::fw::TPanel* BottomLine;
    bool Visible = false;
    TAreaBounds Bounds;
    int32_t Color = 0;
    int32_t AreaIndex = 0;

    void SetVisible(bool value);
    void BringToFront();
    void SetBounds(const TAreaBounds& rect);
    void SetColor(int32_t value);

private:
    std::array<dvr::fw::TPanel*, 4> Lines() const { return {LeftLine, TopLine, RightLine, BottomLine}; }
};

} // namespace vantrel
