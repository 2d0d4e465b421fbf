// Panels, images and shapes: controls the framework paints itself.
#pragma once

#include "framework/ui/controls.h"
#include "framework/ui/stdctrls.h"

namespace dvr::fw {

enum class TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TCustomControl {
    FW_PUBLISHED(TPanel, TCustomControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGES_END
public:
    explicit TPanel(TComponent* AOwner);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    TBevelCut BevelInner() const { return bevel_inner_; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return bevel_outer_; }
    void SetBevelOuter(TBevelCut Value);
    int BevelWidth() const { return bevel_width_; }
    void SetBevelWidth(int Value);
    int BorderWidth() const { return border_width_; }
    void SetBorderWidth(int Value);

protected:
    void Paint() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void CMTextChanged(TMessage& M);

private:
    void BorderChanged();
    TAlignment alignment_ = TAlignment::taCenter;
    TBevelCut bevel_inner_ = TBevelCut::bvNone;
    TBevelCut bevel_outer_ = TBevelCut::bvRaised;
    int bevel_width_ = 1;
    int border_width_ = 0;
};

class TImage : public TGraphicControl {
    FW_PUBLISHED(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* AOwner);
    TPicture* Picture() { return &picture_; }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool Value);
    bool Center() const { return center_; }
    void SetCenter(bool Value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    bool AutoSize() const { return auto_size_; }
    void SetAutoSize(bool Value);
    // The picture's bitmap, made when asked for; drawing on it shows in the image.
    TCanvas* Canvas();

protected:
    void Paint() override;

private:
    void PictureChanged(TObject* Sender);
    TRect DestRect();
    TPicture picture_;
    bool stretch_ = false, center_ = false, transparent_ = false, auto_size_ = false;
};

enum class TShapeType : uint8_t {
    stRectangle,
    stSquare,
    stRoundRect,
    stRoundSquare,
    stEllipse,
    stCircle
};

class TShape : public TGraphicControl {
    FW_PUBLISHED(TShape, TGraphicControl)
public:
    explicit TShape(TComponent* AOwner);
    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType Value);
    TPen* Pen() { return &pen_; }
    TBrush* Brush() { return &brush_; }

protected:
    void Paint() override;

private:
    void StyleChanged(TObject*) { Invalidate(); }
    TShapeType shape_ = TShapeType::stRectangle;
    TPen pen_;
    TBrush brush_;
};

} // namespace dvr::fw
