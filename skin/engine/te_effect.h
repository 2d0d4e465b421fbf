// Transition effects: the change from an old picture to a new one shown as a series of
// frames, each the old picture with the new one laid over it through a moving mask.
// Effects are registered by name; running animations sit in a table of slots stepped by
// a 20 ms timer. This part is portable: the Windows shell (te_effect_win.h) supplies the
// timer, the message loop and the device context the frames go to.
#pragma once

#include "framework/component.h"
#include "framework/exceptions.h"
#include "framework/list.h"
#include "framework/stringlist.h"
#include "skin/engine/te_bitmap.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace dvr::skin {

enum class TteRotation : uint8_t { krNone, krRotate90, krRotate180, krRotate270 };
const fw::TTypeInfo* RotationType();

extern const char* const kRandomEffect; // "[ RANDOM ] - Random selection"
extern const char* const kBitmapEffect; // "[ BITMAP ] - Bitmap Animation"

// The settings of one transition.
class TteAnimationRec : public fw::TComponent {
    FW_PUBLISHED(TteAnimationRec, fw::TComponent)
public:
    explicit TteAnimationRec(fw::TComponent* AOwner = nullptr);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }
    int32_t Time() const { return time_; }
    void SetTime(int32_t v);
    int32_t Resolution() const { return resolution_; }
    void SetResolution(int32_t v);
    int32_t TileCount() const { return tile_count_; }
    void SetTileCount(int32_t v);
    const std::string& Effect() const { return effect_; }
    void SetEffect(const std::string& v) { effect_ = v; }
    TteRotation Rotation() const { return rotation_; }
    void SetRotation(TteRotation v) { rotation_ = v; }
    // The grey image of the bitmap animation; owned, the setter copies.
    TteBitmap* Bitmap() const { return bitmap_.get(); }
    void SetBitmap(const TteBitmap* v) { bitmap_->Assign(v); }

    void Assign(const fw::TPersistent* Source) override;

private:
    bool enabled_ = false;
    int32_t time_ = 400;
    int32_t resolution_ = 1;
    int32_t tile_count_ = 1;
    std::string effect_;
    TteRotation rotation_ = TteRotation::krNone;
    std::unique_ptr<TteBitmap> bitmap_;
};

// One cell of a cell-move effect: show source cell (SrcX, SrcY) with opacity Flag.
struct TteMoveCell {
    uint8_t Flag;
    int16_t SrcX;
    int16_t SrcY;
};
static_assert(sizeof(TteMoveCell) == 6);
static_assert(offsetof(TteMoveCell, SrcX) == 2 && offsetof(TteMoveCell, SrcY) == 4);

using TteMaskProc = void (*)(uint8_t* Mask, int Cols, int Rows, uint8_t Progress);
using TteCellProc = void (*)(TteMoveCell* Cells, int Cols, int Rows, uint8_t Progress);
using TteManualProc = void (*)(TteBitmap* Work, TteBitmap* ToBitmap, TteAnimationRec* Animation,
                               uint8_t Progress);

class TteProcItem : public fw::TObject {
    FW_CLASS(TteProcItem, fw::TObject)
public:
    uint8_t Kind = 0; // 0 mask, 1 cell move, 2 manual
    TteMaskProc MaskProc = nullptr;
    TteCellProc CellProc = nullptr;
    TteManualProc ManualProc = nullptr;
    std::string Name; // with the kind's prefix
    // The procedure its kind calls is there (a mask procedure registered as kind 1 is not).
    bool HasProc() const {
        return Kind == 0   ? MaskProc != nullptr
               : Kind == 1 ? CellProc != nullptr
               : Kind == 2 ? ManualProc != nullptr
                           : false;
    }
    const void* ProcAddress() const;
};

class TteProcList : public fw::TList {
    FW_CLASS(TteProcList, fw::TList)
public:
    ~TteProcList() override;
    void Clear();
    TteProcItem* Item(int Index) const { return static_cast<TteProcItem*>(Get(Index)); }
    // By display name, then by name without the kind prefix, ignoring case; nullptr.
    TteProcItem* FindEffect(const std::string& Name) const;
};

class EProcItemError : public fw::Exception {
    using fw::Exception::Exception;
};

// The registered effects (built-ins first) and the names offered for Effect.
TteProcList& EffectList();
const fw::TStringList& EffectNames();

// Raises EProcItemError when the procedure is registered already.
void RegisterEffect(const std::string& Name, uint8_t Kind, TteMaskProc Proc);
void RegisterEffect(const std::string& Name, uint8_t Kind, TteCellProc Proc);
void RegisterEffect(const std::string& Name, uint8_t Kind, TteManualProc Proc);

// Where the frames of an animation are shown.
class TteFrameTarget {
public:
    virtual ~TteFrameTarget() = default;
    virtual bool HasHandle() const = 0;
    virtual void DrawFrame(TteBitmap& Work, int X, int Y) = 0;
};

constexpr int kAnimationSlotCount = 201;

struct AnimationSlot {
    int32_t Cols = 0, Rows = 0, BufferSize = 0;
    std::unique_ptr<uint8_t[]> Mask, Mask2;
    std::unique_ptr<TteMoveCell[]> Cells;
    bool Active = false;
    bool Busy = false;
    float Elapsed = 0;
    TteAnimationRec* Animation = nullptr;
    TteBitmap* ToBitmap = nullptr;
    TteBitmap* FromBitmap = nullptr;
    std::unique_ptr<TteBitmap> Work;
    TteProcItem* Item = nullptr;
    TteFrameTarget* Canvas = nullptr;
    int32_t X = 0, Y = 0;
    bool BitmapAnimation = false;
};

AnimationSlot& GetAnimationSlot(int Slot);
int StartAnimation(TteFrameTarget* Canvas, int X, int Y, TteBitmap* FromBitmap, TteBitmap* ToBitmap,
                   TteAnimationRec* Animation, int Slot = -1);
void StopAnimation(int Slot, bool DrawFinal);
bool IsAnimationActive(int Slot);
bool AnyAnimationActive();
int FindFreeSlot();
void StepAnimation(int Slot);
// One tick of the animation timer: every slot stepped, the time taken added to all.
void OnAnimationTimer();
// The platform's timer: told whenever animations start or all have ended.
void SetAnimationTimerHook(std::function<void(bool Enabled)> Hook);

// The runtime's shared generator: x := x * 134775813 + 1, Random(N) = x * N shr 32.
extern uint32_t RandSeed;
int32_t Random(int32_t N);
void Randomize();

// The mask of a frame laid into Bitmap's alpha bytes over DstRect (nearest cell).
void ApplyMask(TteBitmap& Bitmap, const uint8_t* Mask, int MW, int MH, TRect DstRect);

// Stopwatch over the steady clock.
class TteTimer {
public:
    TteTimer();
    void Start();
    void Stop();
    double Elapsed() const; // seconds
private:
    int64_t start_ = 0, stop_ = 0, overhead_ = 0;
};
void StartStopwatch(std::unique_ptr<TteTimer>& Timer);
float StopStopwatch(std::unique_ptr<TteTimer>& Timer);

// The built-in catalogue (te_effect_catalogue.cpp), registered at start in this order.
void RegisterBuiltinEffects();

// Raster primitives of the catalogue.
void DrawMaskLine(uint8_t* Mask, int Cols, int Rows, int X1, int Y1, int X2, int Y2, uint8_t Value);
void DrawMaskCircle(uint8_t* Mask, int Cols, int Rows, int CX, int CY, int Radius, uint8_t Value);
void SetMoveCell(TteMoveCell* Cells, int Cols, int Rows, int X, int Y, int SrcX, int SrcY);

} // namespace dvr::skin
