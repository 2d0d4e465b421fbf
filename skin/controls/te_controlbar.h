// The skinned control bar: a container that keeps its children (typically tool bars) as
// bands in rows, each with a grabber by which the user drags it within its row or to
// another row; rows may snap to a fixed height. Painted through the theme's ControlBar
// group, the visual style class "Rebar" or plainly.
#pragma once

#include "skin/controls/te_controls.h"

#include <string>
#include <vector>

namespace dvr::skin {

// One band: the control, the space around it and its committed and working places. A
// band spanning n rows is n records chained through Parent and SubBand.
struct ControlBarBand {
    fw::TControl* Control = nullptr;
    TRect Insets;
    bool Visible = true;
    bool Break = false;
    TPoint Position;
    int32_t Width = 0, Height = 0;
    int32_t RowCount = 1;
    int32_t Count = 1;
    ControlBarBand* Parent = nullptr;
    ControlBarBand* SubBand = nullptr;
    bool TempBreak = false;
    TPoint TempPosition;
    int32_t TempWidth = 0;
};

enum TBandPaintOption : uint8_t { bpoGrabber, bpoFrame };
using TBandPaintOptions = fw::TSet<TBandPaintOption>;
using TRowSize = int32_t; // 1..MaxInt

class TTeControlBar;
using TBandDragEvent = fw::TMethodPtr<void(fw::TObject* Sender, fw::TControl* Control, bool& Drag)>;
using TBandInfoEvent = fw::TMethodPtr<void(fw::TObject* Sender, fw::TControl* Control,
                                           TRect& Insets, int& PreferredSize, int& RowCount)>;
using TBandMoveEvent =
    fw::TMethodPtr<void(fw::TObject* Sender, fw::TControl* Control, TRect& ARect)>;
using TBandPaintEvent =
    fw::TMethodPtr<void(fw::TObject* Sender, fw::TControl* Control, fw::TCanvas* Canvas,
                        TRect& ARect, TBandPaintOptions& Options)>;

class TTeControlBar : public TTeControl {
    FW_CLASS(TTeControlBar, TTeControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(0x800, TMThemeChange)
    FW_MESSAGE(fw::CN_BASE + WM_KEYDOWN, CNKeyDown)
    FW_MESSAGE(fw::CM_CONTROLLISTCHANGE, CMControlListChange)
    FW_MESSAGE(fw::CM_DESIGNHITTEST, CMDesignHitTest)
    FW_MESSAGES_END
public:
    explicit TTeControlBar(fw::TComponent* AOwner);
    ~TTeControlBar() override;

    bool Aligning() const { return aligning_; }
    bool AutoDrag() const { return auto_drag_; }
    void SetAutoDrag(bool Value) { auto_drag_ = Value; }
    bool AutoDock() const { return auto_dock_; }
    void SetAutoDock(bool Value) { auto_dock_ = Value; }
    bool AutoSize() const { return auto_size_; }
    void SetAutoSize(bool Value);
    fw::TControl* DragControl() const { return drag_control_; }
    TPoint DragOffset() const { return drag_offset_; }
    const std::vector<ControlBarBand*>& Bands() const { return bands_; }
    TRowSize RowSize() const { return row_size_; }
    void SetRowSize(TRowSize Value);
    bool RowSnap() const { return row_snap_; }
    void SetRowSnap(bool Value) { row_snap_ = Value; }
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value);

    TBandDragEvent OnBandDrag;
    TBandInfoEvent OnBandInfo;
    TBandMoveEvent OnBandMove;
    TBandPaintEvent OnBandPaint;
    fw::TNotifyEvent OnPaint;

    virtual void NotifyBandMove(fw::TControl* Control, TRect& ARect);
    virtual void NotifyBandPaint(fw::TControl* Control, fw::TCanvas* Canvas, TRect& ARect,
                                 TBandPaintOptions& Options);
    virtual bool StartBandDrag(fw::TControl* Control, int X, int Y, bool KeepCapture);
    virtual void QueryBandInfo(fw::TControl* Control, TRect& Insets, int& RowCount,
                               int& PreferredSize);
    virtual void PaintBand(fw::TCanvas* Canvas, fw::TControl* Control, TRect& ARect);
    virtual void PaintBarBackground();
    virtual int GetGrabberWidth();
    virtual void CommitBandPositions();

    ControlBarBand* FindBand(fw::TControl* Control) const;
    ControlBarBand* BandAtPoint(int X, int Y) const;
    fw::TControl* ControlAtPoint(int X, int Y) const;
    using fw::TWinControl::Realign;
    void Realign(fw::TControl* Control);
    void ClearBands();

    void PaintBackground() override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    // Takes the size CanAutoSize answers, when AutoSize is on.
    void AdjustBarSize();

protected:
    void AlignControls(fw::TControl* AControl, TRect& Rect) override;
    void CreateParams(fw::TCreateParams& Params) override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;

    void TMThemeChange(fw::TMessage& M);
    void CNKeyDown(fw::TMessage& M);
    void CMControlListChange(fw::TMessage& M);
    void CMDesignHitTest(fw::TMessage& M);

private:
    bool RebuildBands(fw::TControl* Control);
    void InsertBand(fw::TControl* Control, TRect Rect, bool Keep, int RowCount, int PreferredSize,
                    TRect Insets, int Extra, bool KeepBreak, ControlBarBand* Parent);
    void RemoveBand(fw::TControl* Control);
    void FreeBandChain(ControlBarBand* Top);
    bool LayoutBands(TRect Rect, ControlBarBand*& Replace);
    static bool BandShown(const ControlBarBand* B);
    TRect BandBounds(const ControlBarBand* B) const;

    bool aligning_ = false;
    bool auto_drag_ = true;
    bool auto_dock_ = true;
    bool auto_size_ = true;
    fw::TControl* last_band_control_ = nullptr;
    fw::TControl* drag_control_ = nullptr;
    TPoint drag_offset_;
    std::vector<ControlBarBand*> bands_;
    TRowSize row_size_ = 26;
    bool row_snap_ = false;
    std::string theme_object_ = "default";
    TRect default_insets_{11, 2, 2, 2};
};

} // namespace dvr::skin
