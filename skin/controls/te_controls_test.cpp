#include "skin/controls/te_controls.h"

#include "framework/ui/forms.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_winapi.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace dvr::skin {
namespace {

// A face in one colour, counting border changes; can fail while painting.
class TFaceControl : public TTeControl {
    FW_CLASS(TFaceControl, TTeControl)
public:
    using TTeControl::TTeControl;
    fw::TColor Face = fw::clRed;
    int BorderChanges = 0;
    bool Fail = false;
    void PaintBackground() override {
        if (Fail) throw std::runtime_error("paint failed");
        Canvas()->Brush()->SetStyle(fw::TBrushStyle::bsSolid);
        Canvas()->Brush()->SetColor(Face);
        TRect r = InnerRect();
        Canvas()->FillRect(TRect{r.Left + Inset, r.Top + Inset, r.Right - Inset, r.Bottom - Inset});
    }
    int Inset = 0;

protected:
    void BorderChanged() override { ++BorderChanges; }
};

class TFaceGraphic : public TTeGraphicControl {
    FW_CLASS(TFaceGraphic, TTeGraphicControl)
public:
    using TTeGraphicControl::TTeGraphicControl;
    void PaintBackground() override {
        Canvas()->Brush()->SetColor(fw::clBlue);
        Canvas()->FillRect(ClientRect());
    }
};

struct FormDeleter {
    void operator()(fw::TForm* f) const { f->Free(); }
};

uint32_t Rgb(fw::TColor c) {
    COLORREF v = (c & 0x80000000) ? ::GetSysColor(int(c & 0xFF)) : COLORREF(c);
    return (GetRValue(v) << 16) | (GetGValue(v) << 8) | GetBValue(v);
}

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.reset(new fw::TForm(nullptr));
        form->SetBounds(0, 0, 300, 200);
        c = new TFaceControl(form.get());
        c->SetParent(form.get());
        c->SetBounds(10, 10, 40, 30);
        if (IsSystemThemeActive()) c->SetSystemBorder(false);
        surface.SetSize(60, 40);
        surface.FillColor(0xFF00FF00);
    }
    uint32_t At(int x, int y) {
        ::GdiFlush();
        return surface.GetPixel(x, y) & 0xFFFFFF;
    }
    void PaintInto() { c->Perform(WM_PAINT, uintptr_t(BitmapDC(surface)), 0); }
    std::unique_ptr<fw::TForm, FormDeleter> form;
    TFaceControl* c = nullptr;
    TteBitmap surface;
};

TEST_F(ControlTest, InnerRectanglesFollowBordersBevelsAndSides) {
    struct Case {
        int border, bevel_width;
        TTeBevelCut inner, outer;
        TTeBevelSides sides;
        TRect want;
    } cases[] = {
        {0, 0, TTeBevelCut::kbvLowered, TTeBevelCut::kbvLowered, AllBevelSides(), {0, 0, 40, 30}},
        {0, 2, TTeBevelCut::kbvLowered, TTeBevelCut::kbvRaised, AllBevelSides(), {4, 4, 36, 26}},
        {1, 2, TTeBevelCut::kbvLowered, TTeBevelCut::kbvRaised, AllBevelSides(), {5, 5, 35, 25}},
        {0, 3, TTeBevelCut::kbvNone, TTeBevelCut::kbvRaised, AllBevelSides(), {3, 3, 37, 27}},
        {0,
         1,
         TTeBevelCut::kbvLowered,
         TTeBevelCut::kbvLowered,
         TTeBevelSides{TTeBevelSide::kbsLeft, TTeBevelSide::kbsBottom},
         {2, 0, 40, 28}},
    };
    for (const Case& k : cases) {
        c->SetBorderWidth(k.border);
        c->SetBevelWidth(k.bevel_width);
        c->SetBevelInner(k.inner);
        c->SetBevelOuter(k.outer);
        c->SetBevelSides(k.sides);
        EXPECT_EQ(c->InnerRect(), k.want) << k.border << " " << k.bevel_width;
        EXPECT_EQ(c->GetClientRect(), k.want);
    }
}

TEST_F(ControlTest, BevelKindPresetsAndResets) {
    c->SetBevelKind(TTeBevelKind::kbkFlat);
    EXPECT_EQ(c->BevelInner(), TTeBevelCut::kbvFlatBorder);
    EXPECT_EQ(c->BevelOuter(), TTeBevelCut::kbvFlatBorder);
    c->SetBevelInner(TTeBevelCut::kbvRaised);
    EXPECT_EQ(c->BevelKind(), TTeBevelKind::kbkNone);
    EXPECT_EQ(c->BevelOuter(), TTeBevelCut::kbvFlatBorder); // the None kind keeps the cuts
    c->SetBevelKind(TTeBevelKind::kbkBorder);
    EXPECT_EQ(c->BevelInner(), TTeBevelCut::kbvBorder);
    int changes = c->BorderChanges;
    c->SetBevelKind(TTeBevelKind::kbkBorder);
    c->SetBorderWidth(0);
    EXPECT_EQ(c->BorderChanges, changes); // unchanged values do nothing
    c->SetBorderWidth(2);
    EXPECT_EQ(c->BorderChanges, changes + 1);
}

TEST_F(ControlTest, PaintsBevelsFrameAndFaceWithEveryBuffer) {
    c->SetColor(fw::clYellow);
    c->SetBevelWidth(1);
    c->SetBevelOuter(TTeBevelCut::kbvRaised);
    c->SetBevelInner(TTeBevelCut::kbvLowered);
    c->SetBorderWidth(1);
    for (TTePerformance p : {TTePerformance::kpNoBuffer, TTePerformance::kpSharedBuffer,
                             TTePerformance::kpDoubleBuffer}) {
        c->SetPerformance(p);
        surface.FillColor(0xFF00FF00);
        PaintInto();
        SCOPED_TRACE(int(p));
        EXPECT_EQ(At(0, 5), Rgb(fw::clBtnHighlight)); // outer raised, left
        EXPECT_EQ(At(39, 5), Rgb(fw::cl3DDkShadow));  // outer raised, right
        EXPECT_EQ(At(1, 5), Rgb(fw::cl3DDkShadow));   // inner lowered, left
        EXPECT_EQ(At(38, 5), Rgb(fw::clBtnFace));     // inner lowered, right
        EXPECT_EQ(At(2, 5), 0xFFFF00u);               // frame line in Color
        EXPECT_EQ(At(3, 5), 0xFF0000u);               // the face
        EXPECT_EQ(At(36, 26), 0xFF0000u);
        EXPECT_EQ(At(45, 5), 0x00FF00u); // outside the control untouched
    }
}

TEST_F(ControlTest, SharedBufferStartsFromTheKeyForEachControl) {
    c->SetPerformance(TTePerformance::kpSharedBuffer);
    PaintInto();
    TteBitmap& shared = SharedPaintBuffer();
    ASSERT_FALSE(shared.IsEmpty());
    EXPECT_GE(shared.Width, ::GetSystemMetrics(SM_CXSCREEN) + 500);
    // A second, smaller control leaving its edge unpainted: there the first control's face
    // does not show through, the key colour does.
    auto* d = new TFaceControl(form.get());
    d->SetParent(form.get());
    d->SetBounds(0, 0, 10, 10);
    d->SetPerformance(TTePerformance::kpSharedBuffer);
    d->Face = fw::clLime;
    d->Inset = 3;
    TteBitmap small;
    small.SetSize(10, 10);
    d->Perform(WM_PAINT, uintptr_t(BitmapDC(small)), 0);
    ::GdiFlush();
    EXPECT_EQ(small.GetPixel(5, 5) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(small.GetPixel(1, 1) & 0xFFFFFF, 0x7F007Fu);
}

TEST_F(ControlTest, EraseAndEdgeCasesOfPainting) {
    // WM_ERASEBKGND paints border and face only with both parameters, always answering 1.
    EXPECT_EQ(c->Perform(WM_ERASEBKGND, uintptr_t(BitmapDC(surface)), 0), 1);
    EXPECT_EQ(At(5, 5), 0x00FF00u);
    EXPECT_EQ(c->Perform(WM_ERASEBKGND, uintptr_t(BitmapDC(surface)), 1), 1);
    EXPECT_EQ(At(5, 5), 0xFF0000u);

    // Nothing painted at size 0; a failing face leaves the canvas usable.
    surface.FillColor(0xFF00FF00);
    c->SetBounds(10, 10, 0, 30);
    EXPECT_NO_THROW(PaintInto());
    EXPECT_EQ(At(0, 0), 0x00FF00u);
    c->SetBounds(10, 10, 40, 30);
    c->SetPerformance(TTePerformance::kpDoubleBuffer);
    c->Fail = true;
    EXPECT_ANY_THROW(c->Perform(WM_PAINT, uintptr_t(BitmapDC(surface)), 0));
    c->Fail = false;
    PaintInto();
    EXPECT_EQ(At(5, 5), 0xFF0000u);
}

TEST_F(ControlTest, WindowPosChangingCachesTheComingSize) {
    WINDOWPOS wp{};
    wp.cx = 70;
    wp.cy = 50;
    wp.flags = SWP_NOSIZE;
    c->Perform(WM_WINDOWPOSCHANGING, 0, intptr_t(&wp));
    EXPECT_EQ(c->CachedWidth(), 40);
    wp.flags = SWP_NOMOVE;
    c->Perform(WM_WINDOWPOSCHANGING, 0, intptr_t(&wp));
    EXPECT_EQ(c->CachedWidth(), 70);
    EXPECT_EQ(c->CachedHeight(), 50);
}

struct Events : fw::TObject {
    int enters = 0, leaves = 0;
    void Enter(fw::TObject*) { ++enters; }
    void Leave(fw::TObject*) { ++leaves; }
};

TEST_F(ControlTest, HotAndFocusStates) {
    Events ev;
    c->OnMouseEnter = fw::TNotifyEvent(&ev, &Events::Enter);
    c->OnMouseLeave = fw::TNotifyEvent(&ev, &Events::Leave);
    c->Perform(fw::CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(c->MouseInControl());
    c->Perform(fw::CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(c->MouseInControl());
    EXPECT_EQ(ev.enters, 1);
    EXPECT_EQ(ev.leaves, 1);
    c->Perform(fw::CM_ENTER, 0, 0);
    EXPECT_TRUE(c->HasFocus());
    c->Perform(fw::CM_EXIT, 0, 0);
    EXPECT_FALSE(c->HasFocus());

    auto* g = new TFaceGraphic(form.get());
    g->SetParent(form.get());
    g->OnMouseEnter = fw::TNotifyEvent(&ev, &Events::Enter);
    g->Perform(fw::CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(g->MouseInControl());
    EXPECT_EQ(ev.enters, 2);
}

} // namespace
} // namespace dvr::skin
