// Image lists: equal-sized pictures in one common-control image list, drawn by index,
// with a mask from a mask bitmap or a colour.
#pragma once

#include "framework/component.h"
#include "framework/ui/graphics.h"

#include <windows.h>
#include <commctrl.h>

namespace dvr::fw {

enum class TDrawingStyle : uint8_t { dsFocus, dsSelected, dsNormal, dsTransparent };

class TImageList : public TComponent {
    FW_PUBLISHED(TImageList, TComponent)
public:
    explicit TImageList(TComponent* AOwner);
    ~TImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the size empties the list.
    void SetWidth(int Value);
    void SetHeight(int Value);
    bool Masked() const { return masked_; }
    void SetMasked(bool Value);
    TDrawingStyle DrawingStyle() const { return drawing_style_; }
    void SetDrawingStyle(TDrawingStyle Value) { drawing_style_ = Value; }
    TColor BkColor() const { return bk_color_; }
    void SetBkColor(TColor Value);

    HIMAGELIST Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    int Count();

    // Adds Image (split into images of the list's width) with an optional mask; returns
    // the index of the first one, -1 on failure.
    int Add(TBitmap* Image, TBitmap* Mask);
    // Adds Image with every pixel of MaskColor transparent.
    int AddMasked(TBitmap* Image, TColor MaskColor);
    int AddIcon(TIcon* Image);
    void Delete(int Index);
    void Clear();
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    // Copies image Index into Image (resized to the list's size).
    void GetBitmap(int Index, TBitmap* Image);

    TNotifyEvent OnChange;

private:
    void Recreate();
    void Change();

    int width_ = 16, height_ = 16;
    bool masked_ = true;
    TDrawingStyle drawing_style_ = TDrawingStyle::dsNormal;
    TColor bk_color_ = clNone;
    HIMAGELIST handle_ = nullptr;
};

} // namespace dvr::fw
