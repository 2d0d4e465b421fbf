#include "skin/controls/te_controlbar.h"

#include "skin/controls/te_bars_test_support.h"
#include "skin/controls/te_toolbar.h"
#include "skin/engine/te_theme.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

using namespace bartest;

struct BandEvents : fw::TObject {
    int drags = 0;
    bool allow = false;
    void Drag(fw::TObject*, fw::TControl*, bool& d) {
        ++drags;
        d = allow;
    }
};

class ControlBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearCurrentTheme();
        form = MakeForm(400, 300, false);
        bar = new TTeControlBar(form.get());
        bar->SetParent(form.get());
        bar->SetBounds(0, 0, 250, 60);
        bar->OnBandDrag = TBandDragEvent(&ev, &BandEvents::Drag);
    }
    void TearDown() override { ::ReleaseCapture(); }
    TTeToolBar* Band(int left, int top = 2, int width = 87, int height = 22) {
        auto* t = new TTeToolBar(form.get());
        t->SetBounds(left, top, width, height);
        t->SetParent(bar);
        return t;
    }
    static intptr_t At(int x, int y) { return intptr_t(MAKELPARAM(x, y)); }
    ControlBarBand* Of(fw::TControl* c) { return bar->FindBand(c); }
    FormPtr form;
    TTeControlBar* bar = nullptr;
    BandEvents ev;
};

TEST_F(ControlBarTest, AnEmptyBarShrinksToItsFrame) {
    EXPECT_TRUE(bar->HandleAllocated());
    bar->Realign();
    EXPECT_EQ(bar->Height(), 0);
    bar->SetAutoSize(false);
    bar->SetBounds(0, 0, 250, 60);
    bar->Realign();
    EXPECT_EQ(bar->Height(), 60);
}

TEST_F(ControlBarTest, BandsInARowShrinkAndWrap) {
    struct Case {
        int min_width;
        int want_widths[3];
        int want_lefts[3];
        bool wraps;
    } cases[] = {
        {37, {100, 100, 50}, {0, 100, 200}, false},
        {82, {95, 95, 95}, {0, 60, 155}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.min_width);
        while (bar->ControlCount() > 0)
            bar->Controls(0)->Free();
        TTeToolBar* t[3];
        for (int i = 0; i < 3; ++i) {
            t[i] = new TTeToolBar(form.get());
            t[i]->Constraints()->SetMinWidth(c.min_width);
            t[i]->SetBounds(11 + 100 * i, 2, 87, 22);
        }
        // Inserted together, so that the row is laid out with all three.
        bar->DisableAlign();
        for (auto* x : t)
            x->SetParent(bar);
        bar->EnableAlign();
        bar->Realign();
        ASSERT_EQ(bar->Bands().size(), 3u);
        if (c.wraps) {
            // The last band opens the next row; the first two stand as they were.
            EXPECT_TRUE(Of(t[2])->TempBreak);
            EXPECT_EQ(t[2]->Top(), 26 + 2);
            EXPECT_EQ(t[0]->Left(), 11);
            EXPECT_EQ(t[1]->Left(), 111);
            EXPECT_EQ(bar->Height(), 52);
        } else {
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(Of(t[i])->TempWidth, c.want_widths[i]) << i;
                EXPECT_EQ(Of(t[i])->TempPosition.X, c.want_lefts[i]) << i;
            }
            EXPECT_FALSE(Of(t[2])->TempBreak);
            EXPECT_EQ(bar->Height(), 26);
        }
    }
}

TEST_F(ControlBarTest, TheShrinkStepsOfAWrappingRow) {
    // Bands added one by one, then given minimum widths that no longer fit one row.
    auto* a = Band(11);
    auto* b = Band(111);
    auto* c = Band(211);
    for (auto* x : {a, b, c})
        x->Constraints()->SetMinWidth(82);
    bar->Realign();
    EXPECT_TRUE(Of(a)->TempBreak); // the first row
    EXPECT_FALSE(Of(b)->TempBreak);
    EXPECT_TRUE(Of(c)->TempBreak); // the second row
    EXPECT_EQ(c->Top(), 26 + 2);
}

TEST_F(ControlBarTest, RowSnapCountsRows) {
    bar->SetRowSnap(true);
    auto* t = Band(11, 2, 87, 40); // 40 + 4 = 44 pixels: 44 div 26 = 1 row
    ASSERT_EQ(bar->Bands().size(), 1u);
    EXPECT_EQ(Of(t)->Height, 26);
    EXPECT_EQ(t->Height(), 22); // the row's height
    t->SetBounds(11, 2, 87, 40);
    bar->Realign(t); // placed again, keeping its size: two rows
    ASSERT_EQ(bar->Bands().size(), 2u);
    EXPECT_EQ(bar->Bands()[1]->Parent, bar->Bands()[0]);
    EXPECT_EQ(bar->Bands()[0]->SubBand, bar->Bands()[1]);
    EXPECT_EQ(t->Height(), 26 * 2 - 4);
    // RowSize and RowSnap wait for the next layout.
    bar->SetRowSize(40);
    EXPECT_EQ(Of(t)->Height, 26);
    bar->SetRowSnap(false);
    EXPECT_EQ(bar->Bands().size(), 2u);
}

TEST_F(ControlBarTest, DraggingABandByItsGrabber) {
    auto* a = Band(11);
    auto* b = Band(111);
    EXPECT_EQ(a->Left(), 11);
    EXPECT_EQ(b->Left(), 111);
    // Grab a's grabber and move it right past b's start: b is pushed left into the free
    // space, a goes after it.
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 10));
    ASSERT_EQ(bar->DragControl(), a);
    bar->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(150, 10));
    EXPECT_EQ(b->Left(), 45 + 11);
    EXPECT_EQ(a->Left(), 145 + 11);
    bar->Perform(WM_LBUTTONUP, 0, At(150, 10));
    EXPECT_EQ(bar->DragControl(), nullptr);
    EXPECT_EQ(Of(a)->Position.X, 145); // committed
    // Dragged far below the bar: a floating drag is offered; refused, the band goes on
    // as a band drag (to a row of its own).
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(a->Left() - 6, a->Top() + 5));
    ASSERT_EQ(bar->DragControl(), a);
    bar->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(a->Left() - 6, 500));
    EXPECT_EQ(ev.drags, 1);
    EXPECT_EQ(bar->DragControl(), a);
    bar->Perform(WM_LBUTTONUP, 0, At(105, 500));
    EXPECT_EQ(a->Parent(), bar);
    EXPECT_EQ(a->Top(), 26 + 2);
    // Allowed: the band drag ends there.
    ev.allow = true;
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(a->Left() - 6, a->Top() + 5));
    ASSERT_EQ(bar->DragControl(), a);
    bar->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(a->Left() - 6, 500));
    EXPECT_EQ(ev.drags, 2);
    EXPECT_EQ(bar->DragControl(), nullptr);
    // Removing a control removes its band.
    b->SetParent(form.get());
    EXPECT_EQ(bar->Bands().size(), 1u);
    EXPECT_EQ(bar->FindBand(b), nullptr);
}

TEST_F(ControlBarTest, RealDragOnTheDisplayAndPlainPainting) {
    PlainLook plain_look;
    FormPtr shown = MakeForm(400, 200, true);
    auto* cb = new TTeControlBar(shown.get());
    cb->SetParent(shown.get());
    cb->SetBounds(0, 0, 380, 60);
    cb->SetColor(0x00E0D0C0);
    TTeToolBar* t[2];
    for (int i = 0; i < 2; ++i) {
        t[i] = new TTeToolBar(shown.get());
        t[i]->SetBounds(11 + 150 * i, 2, 120, 26);
        t[i]->SetColor(i ? 0x0080FF80 : 0x00FF8080);
        t[i]->SetParent(cb);
    }
    PumpAll();
    Shot s(cb);
    EXPECT_EQ(cb->Height(), 30);
    EXPECT_EQ(s.At(140, 15), 0xC0D0E0u);             // between the bands
    EXPECT_EQ(s.At(0, 10), Rgb(fw::clBtnHighlight)); // the band's raised frame
    EXPECT_EQ(s.At(3, 10), Rgb(fw::clBtnHighlight)); // the grip bars
    EXPECT_EQ(s.At(5, 10), Rgb(fw::clBtnShadow));
    EXPECT_EQ(s.At(6, 10), Rgb(fw::clBtnHighlight));
    SaveWindowShot(shown.get(), "controlbar_before");
    // The real mouse takes the first band's grabber and drops it to the right of the second.
    MouseTo(cb, 5, 12);
    MouseButton(true);
    ASSERT_TRUE(PumpUntil([&] { return cb->DragControl() == t[0]; }));
    MouseTo(cb, 200, 12);
    MouseTo(cb, 250, 12);
    MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return cb->DragControl() == nullptr; }));
    EXPECT_LT(t[1]->Left(), t[0]->Left());
    SaveWindowShot(shown.get(), "controlbar_after");
}

} // namespace
} // namespace dvr::skin
