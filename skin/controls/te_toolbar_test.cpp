#include "skin/controls/te_toolbar.h"

#include "skin/controls/te_bars_test_support.h"
#include "skin/controls/te_speedbutton.h"
#include "skin/engine/te_theme.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

using namespace bartest;

class ToolBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearCurrentTheme();
        form = MakeForm(400, 300, false);
        bar = new TTeToolBar(form.get());
        bar->SetParent(form.get());
        bar->SetBounds(0, 0, 300, 29);
    }
    template <class T> T* Child(int left, int top = 0) {
        auto* c = new T(form.get());
        c->SetBounds(left, top, 29, 29);
        c->SetParent(bar);
        return c;
    }
    FormPtr form;
    TTeToolBar* bar = nullptr;
};

TEST_F(ToolBarTest, ButtonsAndDividersLineUpEdgeToEdge) {
    EXPECT_EQ(bar->ButtonWidth(), 25);
    EXPECT_EQ(bar->ClientRect(), (TRect{2, 2, 298, 27}));
    auto* button = Child<TTeSpeedButton>(60);
    auto* divider = Child<TTeSpeedDivider>(120);
    EXPECT_EQ(button->BoundsRect(), (TRect{2, 2, 27, 27}));
    EXPECT_EQ(divider->BoundsRect(), (TRect{27, 2, 35, 27}));
    auto* chevron = Child<TTeSpeedButton>(200);
    chevron->SetShowChevron(true);
    bar->Realign();
    EXPECT_EQ(chevron->BoundsRect(), (TRect{35, 2, 35 + 25 + 14, 27}));
    // A hidden child takes no place.
    divider->SetVisible(false);
    bar->Realign();
    EXPECT_EQ(chevron->Left(), 27);
    divider->SetVisible(true);
    // Resizing keeps the buttons square to the bar.
    bar->SetBounds(0, 0, 300, 40);
    EXPECT_EQ(bar->ButtonWidth(), 36);
    EXPECT_EQ(button->BoundsRect(), (TRect{2, 2, 38, 38}));
    // Without automatic sizes the children keep their widths and take the height.
    bar->SetButtonAutoSize(false);
    button->SetBounds(button->Left(), 0, 50, 10);
    bar->Realign();
    EXPECT_EQ(button->BoundsRect(), (TRect{2, 2, 52, 38}));
}

TEST_F(ToolBarTest, OrderAndOrientation) {
    auto* a = Child<TTeSpeedButton>(50);
    auto* b = Child<TTeSpeedButton>(80);
    // Equal lefts: the earlier child goes first, unless the other one is being aligned.
    a->SetLeft(100);
    b->SetLeft(100);
    bar->Realign();
    EXPECT_LT(a->Left(), b->Left());
    a->SetLeft(100);
    b->SetLeft(100);
    bar->AlignChild(b);
    EXPECT_LT(b->Left(), a->Left());

    // Higher than wide: a column, buttons as high as ButtonWidth and as wide as the bar.
    bar->SetBounds(0, 0, 29, 200); // the button size follows the shape before the change
    bar->SetBounds(0, 0, 29, 200);
    EXPECT_FALSE(bar->IsHorizontal());
    EXPECT_EQ(bar->ButtonWidth(), 25);
    bar->Realign();
    EXPECT_EQ(a->BoundsRect(), (TRect{2, 2, 27, 27})); // equal tops: the control order
    EXPECT_EQ(b->BoundsRect(), (TRect{2, 27, 27, 52}));
    // Aligned to the top it stays a row, however narrow.
    bar->SetAlign(fw::TAlign::alTop);
    EXPECT_TRUE(bar->IsHorizontal());
}

TEST_F(ToolBarTest, PlainFaceOnTheDisplay) {
    PlainLook plain_look;
    FormPtr shown = MakeForm(300, 100, true);
    auto* t = new TTeToolBar(shown.get());
    t->SetParent(shown.get());
    t->SetBounds(10, 10, 200, 29);
    t->SetColor(0x00FFC0A0);
    for (int i = 0; i < 3; ++i) {
        auto* b = new TTeSpeedButton(shown.get());
        b->SetBounds(i * 40, 0, 29, 29);
        b->SetWideCaption(std::wstring(1, wchar_t(L'A' + i)));
        b->SetParent(t);
    }
    // A divider paints the bar behind it (the bar's painting paints the divider too).
    auto* d = new TTeSpeedDivider(shown.get());
    d->SetBounds(130, 0, 8, 29);
    d->SetParent(t);
    PumpAll();
    Shot s(t);
    ASSERT_EQ(d->Left(), 77);
    EXPECT_EQ(s.At(81, 15), 0xA0C0FFu);
    EXPECT_EQ(s.At(150, 15), 0xA0C0FFu); // the bar's colour past the buttons
    EXPECT_EQ(s.At(0, 0), 0xA0C0FFu);
    SaveWindowShot(shown.get(), "toolbar");
}

} // namespace
} // namespace dvr::skin
