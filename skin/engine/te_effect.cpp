#include "skin/engine/te_effect.h"

#include "framework/strutils.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

namespace dvr::skin {

const char* const kRandomEffect = "[ RANDOM ] - Random selection";
const char* const kBitmapEffect = "[ BITMAP ] - Bitmap Animation";

namespace {

const char* const kPrefixes[3] = {"[ FADE ] - ", "[ SLIDE ] - ", "[ MANUAL ] - "};

struct EffectUnit {
    TteProcList list;
    fw::TStringList names;
    std::function<void(bool)> timerHook;
    bool timerEnabled = false;
    std::unique_ptr<AnimationSlot[]> slots{new AnimationSlot[kAnimationSlotCount]};
};

EffectUnit& Unit();

void AddEffect(EffectUnit& u, const std::string& Name, uint8_t Kind, TteMaskProc m, TteCellProc c,
               TteManualProc h) {
    const void* proc = m   ? reinterpret_cast<const void*>(m)
                       : c ? reinterpret_cast<const void*>(c)
                           : reinterpret_cast<const void*>(h);
    for (int i = 0; i < u.list.Count(); ++i)
        if (u.list.Item(i)->ProcAddress() == proc)
            throw EProcItemError("Effect procedute " + Name + " already exists in list");
    auto* item = new TteProcItem();
    item->Kind = Kind;
    item->MaskProc = m;
    item->CellProc = c;
    item->ManualProc = h;
    item->Name = std::string(Kind < 3 ? kPrefixes[Kind] : "") + Name;
    u.list.Add(item);
}

bool starting = false;

EffectUnit& State() {
    static EffectUnit u;
    return u;
}

// The unit's start: class registration, the generator's seed, the built-in effects and
// the list of names, once, on first use.
EffectUnit& Unit() {
    static const bool started = [] {
        EffectUnit& u = State();
        fw::RegisterClass(TteAnimationRec::StaticClass());
        Randomize();
        starting = true;
        RegisterBuiltinEffects();
        starting = false;
        u.names.Add(kRandomEffect);
        u.names.Add(kBitmapEffect);
        for (int i = 0; i < u.list.Count(); ++i)
            u.names.Add(u.list.Item(i)->Name);
        return true;
    }();
    (void)started;
    return State();
}

EffectUnit& UnitForRegistration() {
    return starting ? State() : Unit();
}

} // namespace

// --- registry ---

const void* TteProcItem::ProcAddress() const {
    if (MaskProc) return reinterpret_cast<const void*>(MaskProc);
    if (CellProc) return reinterpret_cast<const void*>(CellProc);
    return reinterpret_cast<const void*>(ManualProc);
}

TteProcList::~TteProcList() {
    Clear();
}

void TteProcList::Clear() {
    for (int i = 0; i < Count(); ++i)
        delete Item(i);
    fw::TList::Clear();
}

TteProcItem* TteProcList::FindEffect(const std::string& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (fw::SameText(Item(i)->Name, Name)) return Item(i);
    for (int i = 0; i < Count(); ++i) {
        const std::string& n = Item(i)->Name;
        for (const char* prefix : kPrefixes) {
            size_t len = std::strlen(prefix);
            if (n.compare(0, len, prefix) == 0 && fw::SameText(n.substr(len), Name)) return Item(i);
        }
    }
    return nullptr;
}

TteProcList& EffectList() {
    return Unit().list;
}

const fw::TStringList& EffectNames() {
    return Unit().names;
}

void RegisterEffect(const std::string& Name, uint8_t Kind, TteMaskProc Proc) {
    AddEffect(UnitForRegistration(), Name, Kind, Proc, nullptr, nullptr);
}
void RegisterEffect(const std::string& Name, uint8_t Kind, TteCellProc Proc) {
    AddEffect(UnitForRegistration(), Name, Kind, nullptr, Proc, nullptr);
}
void RegisterEffect(const std::string& Name, uint8_t Kind, TteManualProc Proc) {
    AddEffect(UnitForRegistration(), Name, Kind, nullptr, nullptr, Proc);
}

// --- settings ---

const fw::TTypeInfo* RotationType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Enumeration(
        "TteRotation", {"krNone", "krRotate90", "krRotate180", "krRotate270"});
    return &t;
}

TteAnimationRec::TteAnimationRec(fw::TComponent* AOwner)
    : fw::TComponent(AOwner), effect_(kRandomEffect), bitmap_(std::make_unique<TteBitmap>()) {}

void TteAnimationRec::Publish(fw::TPublisher<TteAnimationRec>& p) {
    p.Property("Enabled", nullptr, &TteAnimationRec::Enabled, &TteAnimationRec::SetEnabled)
        .Default(0);
    p.Property("Time", nullptr, &TteAnimationRec::Time, &TteAnimationRec::SetTime).Default(400);
    p.Property("Resolution", nullptr, &TteAnimationRec::Resolution, &TteAnimationRec::SetResolution)
        .Default(1);
    p.Property("TileCount", nullptr, &TteAnimationRec::TileCount, &TteAnimationRec::SetTileCount)
        .Default(1);
    p.Property("Effect", nullptr, &TteAnimationRec::Effect, &TteAnimationRec::SetEffect);
    p.Property("Rotation", RotationType(), &TteAnimationRec::Rotation,
               &TteAnimationRec::SetRotation)
        .Default(0);
}

void TteAnimationRec::SetTime(int32_t v) {
    if (v == time_) return;
    time_ = std::clamp(v, 50, 9000);
}

void TteAnimationRec::SetResolution(int32_t v) {
    resolution_ = std::clamp(v, 1, 10);
}

void TteAnimationRec::SetTileCount(int32_t v) {
    tile_count_ = std::clamp(v, 1, 20);
}

void TteAnimationRec::Assign(const fw::TPersistent* Source) {
    if (auto* a = dynamic_cast<const TteAnimationRec*>(Source)) {
        bitmap_->Assign(a->bitmap_.get());
        enabled_ = a->enabled_;
        time_ = a->time_;
        resolution_ = a->resolution_;
        tile_count_ = a->tile_count_;
        effect_ = a->effect_;
        rotation_ = a->rotation_;
        return;
    }
    fw::TComponent::Assign(Source);
}

// --- generator and stopwatch ---

uint32_t RandSeed = 0;

int32_t Random(int32_t N) {
    RandSeed = RandSeed * 134775813u + 1;
    return int32_t((uint64_t(RandSeed) * uint32_t(N)) >> 32);
}

void Randomize() {
    RandSeed = uint32_t(std::chrono::steady_clock::now().time_since_epoch().count());
}

namespace {
int64_t Ticks() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

TteTimer::TteTimer() {
    start_ = Ticks();
    stop_ = Ticks();
    overhead_ = stop_ - start_;
}
void TteTimer::Start() {
    start_ = Ticks();
}
void TteTimer::Stop() {
    stop_ = Ticks();
}
double TteTimer::Elapsed() const {
    return double(stop_ - start_ - overhead_) / 1e9;
}

void StartStopwatch(std::unique_ptr<TteTimer>& Timer) {
    if (!Timer) Timer = std::make_unique<TteTimer>();
    Timer->Start();
}

float StopStopwatch(std::unique_ptr<TteTimer>& Timer) {
    if (!Timer) return 0;
    Timer->Stop();
    return float(Timer->Elapsed());
}

// --- slots ---

AnimationSlot& GetAnimationSlot(int Slot) {
    return Unit().slots[size_t(Slot)];
}

bool IsAnimationActive(int Slot) {
    return Slot >= 0 && Slot < kAnimationSlotCount && GetAnimationSlot(Slot).Active;
}

bool AnyAnimationActive() {
    for (int i = 0; i < kAnimationSlotCount; ++i)
        if (GetAnimationSlot(i).Active) return true;
    return false;
}

int FindFreeSlot() {
    for (int i = 0; i < kAnimationSlotCount; ++i)
        if (!GetAnimationSlot(i).Active) return i;
    return -1;
}

void SetAnimationTimerHook(std::function<void(bool Enabled)> Hook) {
    Unit().timerHook = std::move(Hook);
}

namespace {

void UpdateTimer() {
    EffectUnit& u = Unit();
    bool on = AnyAnimationActive();
    u.timerEnabled = on;
    if (u.timerHook) u.timerHook(on);
}

bool HasPixels(const TteBitmap* b) {
    return b && !b->IsEmpty() && int64_t(b->Width) * b->Height > 0;
}

bool Turned(TteRotation r) {
    return r == TteRotation::krRotate90 || r == TteRotation::krRotate270;
}

} // namespace

int StartAnimation(TteFrameTarget* Canvas, int X, int Y, TteBitmap* FromBitmap, TteBitmap* ToBitmap,
                   TteAnimationRec* Animation, int Slot) {
    if (Slot == -1) Slot = FindFreeSlot();
    if (Slot < 0 || Slot >= kAnimationSlotCount) return -1;
    AnimationSlot& s = GetAnimationSlot(Slot);
    // A slot that is running keeps its animation.
    if (s.Active) return Slot;
    s.Animation = Animation;
    s.FromBitmap = FromBitmap;
    s.ToBitmap = ToBitmap;
    if (!Animation || !HasPixels(FromBitmap) || !HasPixels(ToBitmap)) return Slot;
    TteProcList& list = EffectList();
    TteProcItem* item = nullptr;
    bool bitmapAnim = Animation->Effect() == kBitmapEffect;
    if (Animation->Effect() == kRandomEffect) {
        // Chosen among the effects that can run, so a broken registration never wins.
        std::vector<TteProcItem*> usable;
        for (int i = 0; i < list.Count(); ++i)
            if (list.Item(i)->HasProc()) usable.push_back(list.Item(i));
        if (!usable.empty())
            item = list.FindEffect(usable[size_t(Random(int32_t(usable.size())))]->Name);
    } else {
        item = list.FindEffect(Animation->Effect());
    }
    if (!bitmapAnim && (!item || !item->HasProc())) return Slot;
    s.Item = bitmapAnim ? nullptr : item;
    s.BitmapAnimation = bitmapAnim;
    s.Work = std::make_unique<TteBitmap>();
    s.Work->SetSize(FromBitmap->Width, FromBitmap->Height);
    int res = Animation->Resolution(), tiles = Animation->TileCount();
    s.Cols = FromBitmap->Width / res / tiles + 1;
    s.Rows = FromBitmap->Height / res / tiles + 1;
    size_t cells = size_t(s.Cols) * size_t(s.Rows);
    s.Mask.reset();
    s.Mask2.reset();
    s.Cells.reset();
    if (bitmapAnim) {
        s.BufferSize = int32_t(cells);
        s.Mask.reset(new uint8_t[cells]());
        s.Mask2.reset(new uint8_t[cells]());
        // The grey image scaled to the grid (turned for quarter turns), blue bytes in
        // memory order.
        bool turned = Turned(Animation->Rotation());
        TteBitmap grey;
        grey.SetSize(turned ? s.Rows : s.Cols, turned ? s.Cols : s.Rows);
        if (!Animation->Bitmap()->IsEmpty()) {
            TteBitmap src;
            src.Assign(Animation->Bitmap());
            src.AlphaBlend = src.Transparent = false;
            src.DrawToBitmap(&grey, TRect{0, 0, grey.Width, grey.Height},
                             TRect{0, 0, src.Width, src.Height});
        }
        for (size_t i = 0; i < cells; ++i)
            s.Mask2[i] = s.Mask[i] = PixelB(grey.Bits[i]);
    } else if (item->Kind == 0) {
        s.BufferSize = int32_t(cells);
        s.Mask.reset(new uint8_t[cells]());
        if (Animation->Rotation() != TteRotation::krNone) s.Mask2.reset(new uint8_t[cells]());
    } else if (item->Kind == 1) {
        s.BufferSize = int32_t(cells * sizeof(TteMoveCell));
        s.Cells.reset(new TteMoveCell[cells]());
    }
    s.Elapsed = 0.01f;
    s.Active = true;
    s.Busy = false;
    s.Canvas = Canvas;
    s.X = X;
    s.Y = Y;
    UpdateTimer();
    return Slot;
}

void ApplyMask(TteBitmap& Bitmap, const uint8_t* Mask, int MW, int MH, TRect DstRect) {
    if (Bitmap.IsEmpty() || MW <= 0 || MH <= 0) return;
    if (!RectHasArea(DstRect)) return;
    TRect c = IntersectRects(DstRect, TRect{0, 0, Bitmap.Width, Bitmap.Height});
    if (!RectHasArea(c)) return;
    int w = DstRect.Width(), h = DstRect.Height();
    int64_t stepX = int64_t(MW) * 65536 / w, stepY = int64_t(MH) * 65536 / h;
    int64_t startX = MulDiv(MW * (c.Left - DstRect.Left), 65535, w);
    int64_t startY = MulDiv(MH * (c.Top - DstRect.Top), 65535, h);
    int64_t py = startY;
    for (int y = c.Top; y < c.Bottom; ++y, py += stepY) {
        int my = std::min(int(py >> 16), MH - 1);
        const uint8_t* mrow = Mask + size_t(my) * MW;
        TteColor* row = Bitmap.PixelPtr(0, y);
        int64_t px = startX;
        for (int x = c.Left; x < c.Right; ++x, px += stepX) {
            int mx = std::min(int(px >> 16), MW - 1);
            row[x] = (row[x] & 0x00FFFFFF) | (uint32_t(mrow[mx]) << 24);
        }
    }
}

namespace {

// The mask laid over each tile of ToBitmap, key pixels cleared, ToBitmap drawn over Work.
void ComposeMasked(AnimationSlot& s) {
    TteBitmap& to = *s.ToBitmap;
    int res = s.Animation->Resolution(), tiles = s.Animation->TileCount();
    int tw = res * s.Cols, th = res * s.Rows;
    for (int c = 0; c < tiles; ++c)
        for (int r = 0; r < tiles; ++r)
            ApplyMask(to, s.Mask.get(), s.Cols, s.Rows,
                      TRect{c * tw, r * th, c * tw + tw, r * th + th});
    for (int y = 0; y < to.Height; ++y)
        PixelRoutines.ClearKeyAlpha(to.ScanLine(y), to.Width, KeyColor);
    to.AlphaBlend = true;
    to.DrawOnBitmap(s.Work.get(), 0, 0);
}

void MaskEffectStep(AnimationSlot& s, uint8_t Progress) {
    int C = s.Cols, R = s.Rows;
    size_t n = size_t(C) * R;
    TteRotation rot = s.Animation->Rotation();
    if (Progress >= 100) {
        // The last frame is the whole new picture: several shapes leave a cell or a corner
        // uncovered at 100, which would stay on screen.
        std::memset(s.Mask.get(), 255, n);
    } else if (rot == TteRotation::krNone || !s.Mask2) {
        std::memset(s.Mask.get(), 0, n);
        s.Item->MaskProc(s.Mask.get(), C, R, Progress);
    } else {
        uint8_t* m2 = s.Mask2.get();
        std::memset(m2, 0, n);
        bool turned = Turned(rot);
        s.Item->MaskProc(m2, turned ? R : C, turned ? C : R, Progress);
        uint8_t* m = s.Mask.get();
        for (int y = 0; y < R; ++y)
            for (int x = 0; x < C; ++x) {
                size_t src;
                if (rot == TteRotation::krRotate90)
                    src = size_t(R - 1 - y) + size_t(x) * R;
                else if (rot == TteRotation::krRotate180)
                    src = size_t(C - 1 - x) + size_t(R - 1 - y) * C;
                else
                    src = size_t(y) + size_t(C - 1 - x) * R;
                m[size_t(x) + size_t(y) * C] = m2[src];
            }
    }
    ComposeMasked(s);
}

void BitmapEffectStep(AnimationSlot& s, uint8_t Progress) {
    int C = s.Cols, R = s.Rows;
    TteRotation rot = s.Animation->Rotation();
    int add = MulDiv(510, Progress, 100) - 255;
    for (int y = 0; y < R; ++y)
        for (int x = 0; x < C; ++x) {
            size_t gi;
            switch (rot) {
            case TteRotation::krRotate90:
                gi = size_t(x) * R + y;
                break;
            case TteRotation::krRotate180:
                gi = size_t(C - 1 - x) + size_t(R - 1 - y) * C;
                break;
            case TteRotation::krRotate270:
                gi = size_t(x) * R + (R - 1 - y);
                break;
            default:
                gi = size_t(x) + size_t(y) * C;
                break;
            }
            s.Mask[size_t(x) + size_t(y) * C] = uint8_t(std::clamp(s.Mask2[gi] + add, 0, 255));
        }
    ComposeMasked(s);
}

void CellEffectStep(AnimationSlot& s, uint8_t Progress) {
    int C = s.Cols, R = s.Rows;
    size_t n = size_t(C) * R;
    TteRotation rot = s.Animation->Rotation();
    bool turned = Turned(rot);
    int pc = turned ? R : C, pr = turned ? C : R;
    std::memset(static_cast<void*>(s.Cells.get()), 0, n * sizeof(TteMoveCell));
    s.Item->CellProc(s.Cells.get(), pc, pr, Progress);
    // The procedure's grid turned onto the image, destination and source alike.
    std::vector<TteMoveCell> cells(n, TteMoveCell{0, 0, 0});
    auto turn = [&](int xp, int yp, int& x, int& y) {
        switch (rot) {
        case TteRotation::krRotate90:
            x = C - 1 - yp, y = xp;
            break;
        case TteRotation::krRotate180:
            x = C - 1 - xp, y = R - 1 - yp;
            break;
        case TteRotation::krRotate270:
            x = yp, y = R - 1 - xp;
            break;
        default:
            x = xp, y = yp;
            break;
        }
    };
    for (int yp = 0; yp < pr; ++yp)
        for (int xp = 0; xp < pc; ++xp) {
            const TteMoveCell& e = s.Cells[size_t(xp) + size_t(yp) * pc];
            int x, y, sx, sy;
            turn(xp, yp, x, y);
            turn(e.SrcX, e.SrcY, sx, sy);
            if (x < 0 || y < 0 || x >= C || y >= R) continue;
            cells[size_t(x) + size_t(y) * C] = TteMoveCell{e.Flag, int16_t(sx), int16_t(sy)};
        }
    TteBitmap& work = *s.Work;
    const TteBitmap& to = *s.ToBitmap;
    int res = s.Animation->Resolution(), tiles = s.Animation->TileCount();
    int tw = work.Width / tiles + 1, th = work.Height / tiles + 1;
    for (int tc = 0; tc < tiles; ++tc)
        for (int tr = 0; tr < tiles; ++tr) {
            int ox = tc * tw, oy = tr * th;
            for (int y = 0; y < R; ++y)
                for (int x = 0; x < C; ++x) {
                    const TteMoveCell& e = cells[size_t(x) + size_t(y) * C];
                    if (e.Flag == 0) continue;
                    for (int dy = 0; dy < res; ++dy)
                        for (int dx = 0; dx < res; ++dx) {
                            int wx = ox + x * res + dx, wy = oy + y * res + dy;
                            int rx = e.SrcX * res + dx, ry = e.SrcY * res + dy;
                            if (rx < 0 || ry < 0 || rx >= tw || ry >= th) continue;
                            int sx = ox + rx, sy = oy + ry;
                            if (wx < 0 || wy < 0 || wx >= work.Width || wy >= work.Height) continue;
                            if (sx < 0 || sy < 0 || sx >= to.Width || sy >= to.Height) continue;
                            TteColor sp = *to.PixelPtr(sx, sy);
                            if (PixelA(sp) == 0) continue;
                            TteColor& wp = *work.PixelPtr(wx, wy);
                            if (e.Flag == 255)
                                wp = sp;
                            else
                                wp = PixelRoutines.PixelBlend(
                                    (sp & 0x00FFFFFF) | (uint32_t(e.Flag) << 24), wp);
                        }
                }
        }
    EndMMX();
}

void ManualEffectStep(AnimationSlot& s, uint8_t Progress) {
    TteBitmap& to = *s.ToBitmap;
    for (int y = 0; y < to.Height; ++y)
        PixelRoutines.ClearKeyAlpha(to.ScanLine(y), to.Width, KeyColor);
    s.Item->ManualProc(s.Work.get(), s.ToBitmap, s.Animation, Progress);
}

struct BusyScope {
    explicit BusyScope(bool& b) : busy(b) { busy = true; }
    ~BusyScope() { busy = false; }
    bool& busy;
};

} // namespace

void StepAnimation(int Slot) {
    if (Slot < 0 || Slot >= kAnimationSlotCount) return;
    AnimationSlot& s = GetAnimationSlot(Slot);
    if (!s.Active || !s.ToBitmap || !s.FromBitmap || !s.Work) return;
    s.Elapsed += 20;
    if (s.Busy) return;
    int progress;
    {
        BusyScope busy(s.Busy);
        progress = std::min(100, RoundEven(double(s.Elapsed) / s.Animation->Time() * 100));
        uint8_t p = uint8_t(progress);
        s.FromBitmap->DrawOnBitmap(s.Work.get(), 0, 0);
        if (s.BitmapAnimation)
            BitmapEffectStep(s, p);
        else if (s.Item->Kind == 0)
            MaskEffectStep(s, p);
        else if (s.Item->Kind == 1)
            CellEffectStep(s, p);
        else
            ManualEffectStep(s, p);
        if (s.Canvas) s.Canvas->DrawFrame(*s.Work, s.X, s.Y);
    }
    if (progress >= 100) StopAnimation(Slot, false);
}

void StopAnimation(int Slot, bool DrawFinal) {
    if (Slot < 0 || Slot >= kAnimationSlotCount) return;
    AnimationSlot& s = GetAnimationSlot(Slot);
    if (!s.Active || !s.ToBitmap || !s.FromBitmap) return;
    if (DrawFinal && s.Canvas && s.Canvas->HasHandle() && s.Work) {
        // The alpha bytes still hold the last frame's mask: the final picture is opaque
        // but for its key pixels.
        TteBitmap& to = *s.ToBitmap;
        to.SetAlpha(255);
        for (int y = 0; y < to.Height; ++y)
            PixelRoutines.ClearKeyAlpha(to.ScanLine(y), to.Width, KeyColor);
        to.AlphaBlend = true;
        s.ToBitmap->DrawOnBitmap(s.Work.get(), 0, 0);
        s.Canvas->DrawFrame(*s.Work, s.X, s.Y);
    }
    s.Mask.reset();
    s.Mask2.reset();
    s.Cells.reset();
    s.Work.reset();
    s.Active = false;
    UpdateTimer();
}

void OnAnimationTimer() {
    std::unique_ptr<TteTimer> watch;
    StartStopwatch(watch);
    for (int i = 0; i < kAnimationSlotCount; ++i)
        StepAnimation(i);
    float ms = StopStopwatch(watch) * 1000;
    for (int i = 0; i < kAnimationSlotCount; ++i)
        GetAnimationSlot(i).Elapsed += ms;
}

} // namespace dvr::skin
