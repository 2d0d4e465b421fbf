#include "skin/engine/te_effect.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace dvr::skin {
namespace {

using Mask = std::vector<uint8_t>;

Mask RunMask(const std::string& name, int c, int r, int p) {
    TteProcItem* item = EffectList().FindEffect(name);
    EXPECT_TRUE(item && item->MaskProc) << name;
    Mask m(size_t(c) * r, 0);
    if (item && item->MaskProc) item->MaskProc(m.data(), c, r, uint8_t(p));
    return m;
}

TEST(EffectCatalogue, RegisteredInOrderWithNames) {
    TteProcList& list = EffectList();
    ASSERT_GE(list.Count(), 58);
    EXPECT_EQ(list.Item(0)->Name, "[ FADE ] - SmoothDiagonal");
    EXPECT_EQ(list.Item(53)->Name, "[ FADE ] - Plasma");
    EXPECT_EQ(list.Item(54)->Name, "[ SLIDE ] - Interlace");
    EXPECT_EQ(list.Item(57)->Name, "[ MANUAL ] - Push");
    const fw::TStringList& names = EffectNames();
    ASSERT_EQ(names.GetCount(), 60);
    EXPECT_EQ(names.Get(0), "[ RANDOM ] - Random selection");
    EXPECT_EQ(names.Get(1), "[ BITMAP ] - Bitmap Animation");
    EXPECT_EQ(names.Get(2), "[ FADE ] - SmoothDiagonal");
    EXPECT_EQ(list.FindEffect("[ manual ] - push"), list.Item(57));
    EXPECT_EQ(list.FindEffect("PUSH"), list.Item(57));
    EXPECT_EQ(list.FindEffect("fade"), list.Item(20));
    EXPECT_EQ(list.FindEffect("nothing"), nullptr);
    EXPECT_THROW(RegisterEffect("Fade again", 0, list.Item(20)->MaskProc), EProcItemError);
}

void BlankMask(uint8_t*, int, int, uint8_t) {}

TEST(EffectCatalogue, LaterRegistrationsAndKindMismatch) {
    // A mask procedure filed under the cell-move kind has nothing its kind could call.
    RegisterEffect("Blank", 1, TteMaskProc(BlankMask));
    TteProcItem* item = EffectList().FindEffect("blank");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Name, "[ SLIDE ] - Blank");
    EXPECT_FALSE(item->HasProc());
    EXPECT_EQ(EffectNames().GetCount(), 60); // names are the built-ins only
    TteBitmap from, to;
    from.SetSize(4, 4);
    to.SetSize(4, 4);
    TteAnimationRec a;
    a.SetEffect("Blank");
    EXPECT_FALSE(IsAnimationActive(StartAnimation(nullptr, 0, 0, &from, &to, &a)));
}

TEST(EffectCatalogue, StartAndEndStates) {
    const std::set<std::string> drawAtZero = {"CircleSlideOut", "CircleSlideIn", "CircleSlide",
                                              "Stream"};
    const std::vector<std::string> fullAt100 = {
        "SmoothDown",      "SmoothIn",        "SmoothOut",      "SmoothCrossOut",
        "SmoothCrossIn",   "SmoothRectIn",    "SmoothRectOut",  "SlideDown",
        "SlideIn",         "SlideOut",        "SlideCrossOut",  "SlideCrossIn",
        "SlideRectOut",    "SlideRectIn",     "Fade",           "FadeDown",
        "FadeIn",          "FadeOut",         "FadeCrossOut",   "FadeCrossIn",
        "FadeRectOut",     "FadeRectIn",      "DiamondSlideIn", "DiamondFadeIn",
        "DiamondSmoothIn", "DiamondSlideOut", "DiamondFadeOut", "DiamondSmoothOut",
        "Pixel",           "Pixel fade"};
    const int sizes[][2] = {{10, 10}, {17, 9}, {8, 13}, {1, 1}, {40, 3}};
    for (auto [c, r] : sizes) {
        for (int i = 0; i < 54; ++i) {
            std::string name = EffectList().Item(i)->Name.substr(11);
            Mask m = RunMask(name, c, r, 0);
            bool allZero = std::all_of(m.begin(), m.end(), [](uint8_t v) { return v == 0; });
            if (!drawAtZero.count(name)) {
                EXPECT_TRUE(allZero) << name << " " << c << "x" << r;
            }
        }
        for (const auto& name : fullAt100) {
            Mask m = RunMask(name, c, r, 100);
            for (size_t i = 0; i < m.size(); ++i)
                ASSERT_EQ(m[i], 255) << name << " " << c << "x" << r << " cell " << i;
        }
    }
    // The circles draw their first ring already at 0.
    Mask m = RunMask("CircleSlideOut", 9, 9, 0);
    EXPECT_EQ(m[4 + 4 * 9], 255);
}

TEST(EffectCatalogue, HandWorkedMasks) {
    Mask fd = RunMask("FadeDown", 10, 11, 50);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(fd[size_t(x + y * 10)], y <= 5 ? 128 : 0) << x << "," << y;

    Mask p30 = RunMask("Pixel", 10, 10, 30), again = RunMask("Pixel", 10, 10, 30);
    Mask p60 = RunMask("Pixel", 10, 10, 60);
    EXPECT_EQ(p30, again);
    EXPECT_EQ(std::count(p30.begin(), p30.end(), 255), 30);
    EXPECT_EQ(std::count(p60.begin(), p60.end(), 255), 60);
    for (size_t i = 0; i < p30.size(); ++i)
        if (p30[i]) {
            EXPECT_EQ(p60[i], 255) << i;
        }

    Mask in = RunMask("SlideIn", 3, 8, 50); // rows 0..2 and 7 down to 5 (hr 4, 50 % of it 2)
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(in[size_t(y * 3)], (y <= 2 || y >= 5) ? 255 : 0) << y;

    // Gradient: leading rows opaque, the edge soft and falling.
    Mask sd = RunMask("SmoothDown", 4, 20, 50);
    EXPECT_EQ(sd[0], 255);
    EXPECT_GT(sd[size_t(10 * 4)], 0);
    EXPECT_LT(sd[size_t(10 * 4)], 255);
    EXPECT_EQ(sd[size_t(19 * 4)], 0);
}

TEST(EffectPrimitives, LinesCirclesAndMoveCells) {
    Mask m(5 * 3, 0);
    DrawMaskLine(m.data(), 5, 3, 0, 0, 4, 2, 9);
    EXPECT_EQ(m[0], 9);
    EXPECT_EQ(m[4 + 2 * 5], 9);
    EXPECT_EQ(std::count(m.begin(), m.end(), 9), 5);
    DrawMaskLine(m.data(), 5, 3, -10, 1, 20, 1, 7); // clipped
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(m[size_t(x + 5)], 7);
    // Every radius from 0 to R gives a filled disc.
    Mask d(15 * 15, 0);
    for (int r = 0; r <= 6; ++r)
        DrawMaskCircle(d.data(), 15, 15, 7, 7, r, 1);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x)
            if ((x - 7) * (x - 7) + (y - 7) * (y - 7) <= 25) {
                EXPECT_EQ(d[size_t(x + y * 15)], 1);
            }
    std::vector<TteMoveCell> cells(4, TteMoveCell{0, 0, 0});
    SetMoveCell(cells.data(), 2, 2, 1, 1, 0, 1);
    SetMoveCell(cells.data(), 2, 2, 0, 0, 2, 0);
    EXPECT_EQ(cells[3].Flag, 255);
    EXPECT_EQ(cells[3].SrcY, 1);
    EXPECT_EQ(cells[0].Flag, 0);
}

TEST(EffectCatalogue, CellMoves) {
    TteProcItem* il = EffectList().FindEffect("Interlace");
    std::vector<TteMoveCell> cells(size_t(6 * 4));
    il->CellProc(cells.data(), 6, 4, 0);
    for (auto& e : cells)
        EXPECT_TRUE(e.SrcX < 0 || e.SrcX >= 6);
    il->CellProc(cells.data(), 6, 4, 100);
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(cells[size_t(i)].SrcX, i % 6);
        EXPECT_EQ(cells[size_t(i)].SrcY, i / 6);
    }
    TteProcItem* corner = EffectList().FindEffect("Corner");
    std::vector<TteMoveCell> cc(size_t(6 * 4), TteMoveCell{0, 0, 0});
    corner->CellProc(cc.data(), 6, 4, 50); // c = 3, d = 2 (halves round away from zero)
    EXPECT_EQ(cc[0].Flag, 255);
    EXPECT_EQ(cc[0].SrcX, 2);
    EXPECT_EQ(cc[0].SrcY, 1);
    EXPECT_EQ(cc[size_t(3 + 2 * 6)].SrcX, 5);
    EXPECT_EQ(cc[size_t(4)].Flag, 0);
    EXPECT_EQ(cc[size_t(3 * 6)].Flag, 0);
}

TEST(AnimationRec, DefaultsClampsAndAssign) {
    TteAnimationRec a;
    EXPECT_EQ(a.Effect(), "[ RANDOM ] - Random selection");
    EXPECT_EQ(a.Time(), 400);
    EXPECT_EQ(a.Resolution(), 1);
    EXPECT_EQ(a.TileCount(), 1);
    EXPECT_EQ(a.Rotation(), TteRotation::krNone);
    EXPECT_FALSE(a.Enabled());
    a.SetTime(10);
    EXPECT_EQ(a.Time(), 50);
    a.SetTime(20000);
    EXPECT_EQ(a.Time(), 9000);
    a.SetResolution(0);
    EXPECT_EQ(a.Resolution(), 1);
    a.SetResolution(11);
    EXPECT_EQ(a.Resolution(), 10);
    a.SetTileCount(25);
    EXPECT_EQ(a.TileCount(), 20);
    a.SetEffect("Push");
    TteAnimationRec b;
    b.Assign(&a);
    EXPECT_EQ(b.Time(), 9000);
    EXPECT_EQ(b.TileCount(), 20);
    EXPECT_EQ(b.Effect(), "Push");
}

// Frames go to a bitmap, as they would to a window.
class Screen : public TteFrameTarget {
public:
    Screen(int w, int h) { shown.SetSize(w, h); }
    bool HasHandle() const override { return true; }
    void DrawFrame(TteBitmap& Work, int X, int Y) override {
        Work.DrawOnBitmap(&shown, X, Y);
        ++frames;
    }
    TteBitmap shown;
    int frames = 0;
};

std::unique_ptr<TteBitmap> Picture(int w, int h, uint32_t seed) {
    auto b = std::make_unique<TteBitmap>();
    b->SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b->SetPixel(x, y,
                        0xFF000000u |
                            (((seed * 2654435761u) ^ uint32_t(x * 40503 + y * 977)) & 0xFFFFFF));
    return b;
}

// Runs an animation to its end through the timer ticks; the number of ticks.
int RunToEnd(int slot) {
    int ticks = 0;
    while (IsAnimationActive(slot) && ticks < 10000) {
        OnAnimationTimer();
        ++ticks;
    }
    return ticks;
}

void ExpectShows(const TteBitmap& shown, const TteBitmap& to, const std::string& what) {
    for (int y = 0; y < to.Height; ++y)
        for (int x = 0; x < to.Width; ++x)
            ASSERT_EQ(shown.GetPixel(x, y), to.GetPixel(x, y)) << what << " at " << x << "," << y;
}

TEST(Animation, EveryEffectEndsOnTheNewPicture) {
    const TteRotation rotations[] = {TteRotation::krNone, TteRotation::krRotate90,
                                     TteRotation::krRotate180, TteRotation::krRotate270};
    int n = 0;
    for (int i = 0; i < 58; ++i) {
        const std::string name = EffectList().Item(i)->Name;
        TteRotation rot = rotations[i % 4];
        int res = 1 + i % 3, tiles = 1 + (i / 3) % 2;
        auto from = Picture(23, 14, 1), to = Picture(23, 14, 2);
        TteAnimationRec a;
        a.SetEffect(name);
        a.SetTime(100);
        a.SetRotation(rot);
        a.SetResolution(res);
        a.SetTileCount(tiles);
        Screen screen(23, 14);
        int slot = StartAnimation(&screen, 0, 0, from.get(), to.get(), &a);
        ASSERT_TRUE(IsAnimationActive(slot)) << name;
        RunToEnd(slot);
        EXPECT_GE(screen.frames, 1) << name;
        ExpectShows(screen.shown, *to, name);
        ++n;
    }
    EXPECT_EQ(n, 58);
}

TEST(Animation, ProgressFromTicks) {
    auto from = Picture(8, 8, 1), to = Picture(8, 8, 2);
    TteAnimationRec a;
    a.SetEffect("Fade");
    Screen screen(8, 8);
    int slot = StartAnimation(&screen, 0, 0, from.get(), to.get(), &a);
    // First tick: 20.01 / 400 -> progress 5, so every cell shows with MulDiv-free
    // opacity Round(0.05 * 255) = 13.
    StepAnimation(slot);
    TteColor f = from->GetPixel(3, 3), t = to->GetPixel(3, 3);
    TteColor shown = screen.shown.GetPixel(3, 3);
    TteColor want = PixelRoutines.PixelBlend((t & 0xFFFFFF) | (13u << 24), f);
    EXPECT_EQ(shown & 0xFFFFFF, want & 0xFFFFFF);
    int ticks = RunToEnd(slot);
    EXPECT_LE(ticks, 19);
    EXPECT_GE(ticks, 1);
    EXPECT_FALSE(AnyAnimationActive());
}

TEST(Animation, RandomBitmapAndRefusals) {
    auto from = Picture(30, 10, 1), to = Picture(30, 10, 2);
    for (int k = 0; k < 5; ++k) {
        TteAnimationRec a; // random selection
        a.SetTime(60);
        Screen screen(30, 10);
        int slot = StartAnimation(&screen, 0, 0, from.get(), to.get(), &a);
        ASSERT_TRUE(IsAnimationActive(slot));
        RunToEnd(slot);
        ExpectShows(screen.shown, *to, "random");
    }
    // Bitmap animation: a black-to-white ramp shows the new picture from the white side.
    TteAnimationRec a;
    a.SetEffect("[ BITMAP ] - Bitmap Animation");
    TteBitmap ramp;
    ramp.SetSize(30, 1);
    for (int x = 0; x < 30; ++x)
        ramp.SetPixel(
            x, 0,
            MakePixel(int16_t(x * 255 / 29), int16_t(x * 255 / 29), int16_t(x * 255 / 29), 255));
    a.SetBitmap(&ramp);
    Screen screen(30, 10);
    int slot = StartAnimation(&screen, 0, 0, from.get(), to.get(), &a);
    ASSERT_TRUE(IsAnimationActive(slot));
    AnimationSlot& s = GetAnimationSlot(slot);
    s.Elapsed = 0.01f + 180; // next step at progress 50: grey value = opacity
    StepAnimation(slot);
    // The white end shows (nearly) the new picture, the black end still the old one.
    TteColor right = screen.shown.GetPixel(29, 5), want = to->GetPixel(29, 5);
    for (int sh = 0; sh < 24; sh += 8)
        EXPECT_NEAR(int((right >> sh) & 0xFF), int((want >> sh) & 0xFF), 8) << sh;
    EXPECT_EQ(screen.shown.GetPixel(0, 5), from->GetPixel(0, 5));
    RunToEnd(slot);
    ExpectShows(screen.shown, *to, "bitmap");

    // Unknown effect, missing or empty pictures: nothing starts.
    TteAnimationRec bad;
    bad.SetEffect("no such effect");
    EXPECT_FALSE(IsAnimationActive(StartAnimation(&screen, 0, 0, from.get(), to.get(), &bad)));
    TteBitmap empty;
    EXPECT_FALSE(IsAnimationActive(StartAnimation(&screen, 0, 0, &empty, to.get(), &a)));
    EXPECT_FALSE(IsAnimationActive(StartAnimation(&screen, 0, 0, nullptr, to.get(), &a)));
}

TEST(Animation, StoppingEarlyCanDrawTheFinalPicture) {
    auto from = Picture(12, 8, 1), to = Picture(12, 8, 2);
    to->SetPixel(0, 0, KeyColor);
    TteAnimationRec a;
    a.SetEffect("SlideDown");
    Screen screen(12, 8);
    int slot = StartAnimation(&screen, 0, 0, from.get(), to.get(), &a);
    StepAnimation(slot);
    StepAnimation(slot); // a frame halfway through the mask
    StopAnimation(slot, true);
    EXPECT_FALSE(IsAnimationActive(slot));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            TteColor want = (x == 0 && y == 0) ? from->GetPixel(0, 0) : to->GetPixel(x, y);
            ASSERT_EQ(screen.shown.GetPixel(x, y), want) << x << "," << y;
        }
}

TEST(Animation, SlotsAndGrid) {
    auto from = Picture(100, 50, 1), to = Picture(100, 50, 2);
    TteAnimationRec a;
    a.SetEffect("Fade");
    a.SetResolution(3);
    a.SetTileCount(2);
    int first = StartAnimation(nullptr, 0, 0, from.get(), to.get(), &a);
    EXPECT_EQ(GetAnimationSlot(first).Cols, 17);
    EXPECT_EQ(GetAnimationSlot(first).Rows, 9);
    for (int i = 1; i < kAnimationSlotCount; ++i)
        ASSERT_NE(StartAnimation(nullptr, 0, 0, from.get(), to.get(), &a), -1);
    EXPECT_EQ(FindFreeSlot(), -1);
    EXPECT_EQ(StartAnimation(nullptr, 0, 0, from.get(), to.get(), &a), -1);
    for (int i = 0; i < kAnimationSlotCount; ++i)
        StopAnimation(i, false);
    EXPECT_FALSE(AnyAnimationActive());
}

TEST(Animation, SlideAndPushPlaceTheNewPicture) {
    TteProcItem* slide = EffectList().FindEffect("Slide");
    TteProcItem* push = EffectList().FindEffect("Push");
    auto to = Picture(100, 4, 2);
    TteAnimationRec a;
    a.SetRotation(TteRotation::krRotate180);
    TteBitmap work;
    work.SetSize(100, 4);
    work.FillColor(0xFF000001);
    slide->ManualProc(&work, to.get(), &a, 25);
    EXPECT_EQ(work.GetPixel(74, 0), 0xFF000001u);
    EXPECT_EQ(work.GetPixel(75, 0), to->GetPixel(0, 0));
    // Push moves the old frame out by the same amount first.
    auto old = Picture(100, 4, 3);
    work.Assign(old.get());
    a.SetRotation(TteRotation::krNone);
    push->ManualProc(&work, to.get(), &a, 25);
    EXPECT_EQ(work.GetPixel(24, 1), to->GetPixel(99, 1));
    EXPECT_EQ(work.GetPixel(25, 1), old->GetPixel(0, 1));
    EXPECT_EQ(work.GetPixel(99, 1), old->GetPixel(74, 1));
}

} // namespace
} // namespace dvr::skin
