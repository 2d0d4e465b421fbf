#include "skin/controls/te_statusbar.h"

#include "framework/exceptions.h"
#include "skin/controls/te_bars_test_support.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_utils_win.h"

#include <gtest/gtest.h>

#include <vector>

namespace dvr::skin {
namespace {

using namespace bartest;

struct PanelEvents : fw::TObject {
    std::vector<TTeStatusPanel*> clicks, dbl;
    std::vector<TRect> drawn;
    void Click(TTeStatusBar*, TTeStatusPanel* p) { clicks.push_back(p); }
    void Dbl(TTeStatusBar*, TTeStatusPanel* p) { dbl.push_back(p); }
    void Draw(TTeStatusBar* b, TTeStatusPanel*, const TRect& r) {
        drawn.push_back(r);
        FillRectColor(b->Canvas()->Handle(), r, 0x0000FF);
    }
};

class StatusBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearCurrentTheme();
        form = MakeForm(820, 200, false);
        bar = new TTeStatusBar(form.get());
        bar->SetParent(form.get());
        bar->SetBounds(0, 100, 790, 22);
        bar->OnPanelClick = TPanelNotifyEvent(&ev, &PanelEvents::Click);
        bar->OnPanelDblClick = TPanelNotifyEvent(&ev, &PanelEvents::Dbl);
        bar->OnDrawPanel = TDrawPanelEvent(&ev, &PanelEvents::Draw);
    }
    TTeStatusPanel* Add(int width, int view = 100, int stretch = 0) {
        TTeStatusPanel* p = bar->Panels()->Add();
        p->SetWidth(width);
        p->SetViewPriority(TPercent(view));
        p->SetStretchPriority(TPercent(stretch));
        return p;
    }
    static intptr_t At(int x, int y) { return intptr_t(MAKELPARAM(x, y)); }
    FormPtr form;
    TTeStatusBar* bar = nullptr;
    PanelEvents ev;
};

TEST_F(StatusBarTest, PanelsShareTheWidthByPriority) {
    struct Panel {
        int width, view, stretch;
    };
    struct Expect {
        bool visible;
        int left, right;
    };
    struct Case {
        const char* name;
        int bar_width;
        std::vector<Panel> panels;
        std::vector<Expect> want;
    } cases[] = {
        {"the player's five panels",
         790,
         {{285, 100, 0}, {120, 100, 0}, {120, 100, 0}, {100, 100, 0}, {80, 100, 0}},
         {{true, 2, 287}, {true, 287, 407}, {true, 407, 527}, {true, 527, 627}, {true, 627, 707}}},
        {"too wide, nothing may hide: placement hides what starts beyond",
         200,
         {{100, 100, 0}, {100, 100, 0}, {100, 100, 0}},
         {{true, 2, 102}, {true, 102, 202}, {false, 202, 202}}},
        {"a crossing panel with a stretch priority ends at the content's edge",
         200,
         {{120, 100, 0}, {100, 100, 10}},
         {{true, 2, 122}, {true, 122, 198}}},
        {"the lower view priority hides first; the next takes its place",
         200,
         {{100, 100, 0}, {60, 50, 0}, {60, 100, 0}},
         {{true, 2, 102}, {false, 102, 102}, {true, 102, 162}}},
        {"a single panel is never hidden", 100, {{300, 10, 0}}, {{true, 2, 302}}},
        {"spare width goes to the highest stretch priority up to its maximum",
         284,
         {{100, 100, 80}, {100, 100, 20}},
         {{true, 2, 152}, {true, 152, 282}}},
        {"view priority 0 is never shown",
         790,
         {{50, 0, 0}, {50, 100, 0}},
         {{false, 2, 2}, {true, 2, 52}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bar->Panels()->Clear();
        bar->SetBounds(0, 100, c.bar_width, 22);
        for (const Panel& p : c.panels)
            Add(p.width, p.view, p.stretch);
        if (std::string(c.name).rfind("spare", 0) == 0) bar->Panels()->GetItem(0)->SetMaxWidth(150);
        bar->UpdatePanels();
        ASSERT_EQ(bar->Panels()->Count(), int(c.want.size()));
        for (size_t i = 0; i < c.want.size(); ++i) {
            TTeStatusPanel* p = bar->Panels()->GetItem(int(i));
            EXPECT_EQ(p->LayoutVisible, c.want[i].visible) << i;
            EXPECT_EQ(p->LayoutLeft, c.want[i].left) << i;
            EXPECT_EQ(p->LayoutRight, c.want[i].right) << i;
        }
    }
}

TEST_F(StatusBarTest, WidthLimitsAndHitTesting) {
    TTeStatusPanel* p = Add(50);
    p->SetWidth(-5);
    EXPECT_EQ(p->Width, 0);
    p->SetWidth(20000);
    EXPECT_EQ(p->Width, 10000);
    p->SetWidth(50);
    p->SetMaxWidth(30);
    EXPECT_EQ(p->Width, 30);

    bar->Panels()->Clear();
    Add(100);
    TTeStatusPanel* hidden = Add(100, 0);
    Add(100);
    bar->UpdatePanels();
    EXPECT_EQ(bar->PanelAtPos(TPoint{2, 10}), nullptr); // the content's very left edge
    EXPECT_EQ(bar->PanelAtPos(TPoint{3, 10}), bar->Panels()->GetItem(0));
    EXPECT_EQ(bar->PanelAtPos(TPoint{102, 10}), bar->Panels()->GetItem(0)); // its right edge
    EXPECT_EQ(bar->PanelAtPos(TPoint{103, 10}), bar->Panels()->GetItem(2)); // past the hidden one
    EXPECT_NE(bar->PanelAtPos(TPoint{103, 10}), hidden);
    EXPECT_EQ(bar->PanelAtPos(TPoint{300, 10}), nullptr);
    EXPECT_EQ(bar->PanelAtPos(TPoint{50, 30}), nullptr); // below the content
}

TEST_F(StatusBarTest, TextAndImagePlaces) {
    TTeStatusPanel* p = Add(105); // framed: client width 105 - 2 - 2 = 101
    p->SetText(L"Status text");
    bar->UpdatePanels();
    TRect client;
    bar->GetPanelClientRect(p, client);
    ASSERT_EQ(client.Width(), 101);
    TPoint size;
    bar->GetPanelTextSize(p, size);
    ASSERT_GT(size.X, 0);
    ASSERT_GT(size.Y, 0);
    TRect r;
    p->SetAlignment(TAlignment::taCenter);
    bar->GetPanelTextRect(p, r);
    EXPECT_EQ(r.Left, (101 - size.X) / 2);
    EXPECT_EQ(r.Right, r.Left + size.X + 10);
    EXPECT_EQ(r.Top, (client.Height() - size.Y) / 2);
    p->SetAlignment(TAlignment::taLeftJustify);
    p->SetLayout(sglGlyphRight);
    bar->GetPanelTextRect(p, r);
    EXPECT_EQ(r.Left, 2);
    EXPECT_EQ(r.Right, 99);
    // With an image on the right: the text leaves room for it and the spacing.
    fw::TImageList images(nullptr);
    images.SetWidth(16);
    images.SetHeight(16);
    fw::TBitmap pic;
    pic.SetSize(16, 16);
    images.Add(&pic, nullptr);
    bar->SetImages(&images);
    p->SetImageIndex(0);
    EXPECT_TRUE(bar->HasPanelImage(p));
    bar->GetPanelTextRect(p, r);
    EXPECT_EQ(r.Right, 101 - 2 - 16 - 4);
    TRect img;
    bar->GetPanelImageRect(p, img);
    EXPECT_EQ(img, (TRect{101 - 2 - 16, (client.Height() - 16) / 2, 101 - 2,
                          (client.Height() - 16) / 2 + 16}));
    bar->SetImages(nullptr);
}

TEST_F(StatusBarTest, ControlsOnPanels) {
    auto* edit = new TTeStatusBar(form.get()); // any windowed control will do
    edit->SetParent(bar);                      // dropped on the bar: a panel holds it
    ASSERT_EQ(bar->Panels()->Count(), 1);
    TTeStatusPanel* p = bar->Panels()->GetItem(0);
    EXPECT_EQ(p->Control, edit);
    TRect client;
    bar->GetPanelClientRect(p, client);
    EXPECT_EQ(edit->BoundsRect(), client);
    EXPECT_EQ(p->GetDisplayName(), "[  ]"); // no text and a nameless control
    edit->SetParent(form.get());            // taken off the bar: its panel goes
    EXPECT_EQ(bar->Panels()->Count(), 0);

    TTeStatusPanel* q = Add(80);
    q->SetControl(edit); // a control elsewhere
    edit->Free();        // destroyed: the panel stays without it
    EXPECT_EQ(bar->Panels()->Count(), 1);
    EXPECT_EQ(q->Control, nullptr);
    EXPECT_THROW(q->SetControl(form.get()), fw::EInvalidOperation);
    EXPECT_THROW(q->SetControl(bar), fw::EInvalidOperation);
    EXPECT_EQ(q->Control, nullptr);
}

TEST_F(StatusBarTest, ClicksAndOwnerDrawing) {
    Add(100);
    TTeStatusPanel* second = Add(100);
    bar->UpdatePanels();
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(150, 10));
    bar->Perform(WM_LBUTTONUP, 0, At(150, 10));
    ASSERT_EQ(ev.clicks.size(), 1u);
    EXPECT_EQ(ev.clicks[0], second);
    bar->Perform(WM_RBUTTONUP, 0, At(160, 10)); // the pressed panel is kept
    EXPECT_EQ(ev.clicks.size(), 2u);
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(150, 10));
    bar->Perform(WM_LBUTTONUP, 0, At(50, 10)); // released elsewhere
    EXPECT_EQ(ev.clicks.size(), 2u);

    second->SetStyle(psOwnerDraw);
    Shot s(bar);
    ASSERT_EQ(ev.drawn.size(), 1u);
    EXPECT_EQ(ev.drawn[0], (TRect{102, 2, 202, 20}));
    EXPECT_EQ(s.At(150, 10), 0xFF0000u); // what the handler painted
}

TEST_F(StatusBarTest, PlainPaintingAndTheSizeGrip) {
    PlainLook plain_look;
    FormPtr shown = MakeForm(400, 150, true);
    auto* b = new TTeStatusBar(shown.get());
    b->SetParent(shown.get());
    b->SetAlign(fw::TAlign::alBottom);
    TTeStatusPanel* p = b->Panels()->Add();
    p->SetWidth(150);
    p->SetText(L"Ready");
    b->Panels()->Add()->SetWidth(100);
    PumpAll();
    EXPECT_TRUE(b->SizeGripShown());
    TRect grip;
    b->GetSizeGripRect(grip);
    EXPECT_EQ(grip.Right - grip.Left, grip.Bottom - grip.Top);
    EXPECT_EQ(grip.Right, b->Width() - 2);
    Shot s(b);
    EXPECT_EQ(s.At(0, 0), Rgb(b->Color())); // the border lines in the bar's colour
    EXPECT_EQ(s.At(1, 21), Rgb(b->Color()));
    // The first panel's frame: shadow left and top, light right and bottom.
    EXPECT_EQ(s.At(2, 10), Rgb(fw::clBtnShadow));
    EXPECT_EQ(s.At(60, 2), Rgb(fw::clBtnShadow));
    EXPECT_EQ(s.At(151, 10), Rgb(fw::clBtnHighlight));
    // The text is drawn inside the first panel, in the font's colour.
    EXPECT_GT(s.Count(TRect{3, 3, 60, 19}, Rgb(b->Font()->Color())), 5);
    // The grip's diagonal lines differ from the plain face.
    int marks = 0;
    for (int y = grip.Top; y < grip.Bottom; ++y)
        for (int x = grip.Left; x < grip.Right; ++x)
            marks += s.At(x, y) != Rgb(fw::clBtnFace);
    EXPECT_GT(marks, 5);
    SaveWindowShot(shown.get(), "statusbar");

    // Not at the form's corner, or with the form maximised: no grip.
    b->SetAlign(fw::TAlign::alNone);
    b->SetBounds(0, 0, 200, 22);
    EXPECT_FALSE(b->SizeGripShown());
    b->SetAlign(fw::TAlign::alBottom);
    EXPECT_TRUE(b->SizeGripShown());
    shown->SetWindowState(fw::TWindowState::wsMaximized);
    PumpAll();
    EXPECT_FALSE(b->SizeGripShown());
}

} // namespace
} // namespace dvr::skin
