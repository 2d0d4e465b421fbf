#include "skin/engine/theme_se3objects.h"

#include "skin/engine/te_pixels.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::skin {
namespace {

using fw::TRect;

struct Tree {
    Tree() { RegisterSkinObjectClasses(); }
    ~Tree() {
        if (root) root->Free();
    }
    template <class T = TSeSkinObject>
    T* Add(TSeSkinObject* owner, const char* name, TSeAlign a, int w = 0, int h = 0) {
        auto* o = new T(owner);
        o->SetName(name);
        o->Align = a;
        o->SetBoundsDirect(TRect{0, 0, w, h});
        return o;
    }
    TSeSkinObject* root = nullptr;
};

TteColor Px(TColor c) {
    return ColorToPixel(c, 255);
}

TEST(SkinObjectLayout, PassesPlaceChildrenByAlignment) {
    Tree t;
    t.root = new TSeSkinObject(nullptr);
    auto* top = t.Add(t.root, "Top", TSeAlign::saTop, 0, 10);
    auto* mostTop = t.Add(t.root, "MostTop", TSeAlign::saMostTop, 0, 5);
    auto* left = t.Add(t.root, "Left", TSeAlign::saLeft, 20, 0);
    auto* mostRight = t.Add(t.root, "MostRight", TSeAlign::saMostRight, 7, 0);
    auto* bottom = t.Add(t.root, "Bottom", TSeAlign::saBottom, 0, 4);
    auto* client = t.Add(t.root, "Client", TSeAlign::saClient);
    auto* center = t.Add(t.root, "Center", TSeAlign::saCenter, 11, 5);
    auto* none = t.Add(t.root, "None", TSeAlign::saNone, 3, 3);
    t.root->SetBoundsRect(TRect{10, 20, 110, 70});

    // The most-top strip comes first whatever the child order.
    EXPECT_EQ(mostTop->BoundsRect(), (TRect{10, 20, 110, 25}));
    EXPECT_EQ(mostRight->BoundsRect(), (TRect{103, 25, 110, 70}));
    EXPECT_EQ(top->BoundsRect(), (TRect{10, 25, 103, 35}));
    EXPECT_EQ(bottom->BoundsRect(), (TRect{10, 66, 103, 70}));
    EXPECT_EQ(left->BoundsRect(), (TRect{10, 35, 30, 66}));
    EXPECT_EQ(client->BoundsRect(), (TRect{30, 35, 103, 66}));
    // Centred in what is left, halves toward zero: (73 - 11) / 2, (31 - 5) / 2.
    EXPECT_EQ(center->BoundsRect(), (TRect{61, 48, 72, 53}));
    EXPECT_EQ(none->BoundsRect(), (TRect{0, 0, 3, 3}));
}

TEST(SkinObjectLayout, BoundsRulesAndAnchors) {
    Tree t;
    t.root = new TSeSkinObject(nullptr);
    auto* client = t.Add(t.root, "Client", TSeAlign::saClient);
    auto* tl = t.Add(t.root, "TL", TSeAlign::saTopLeft, 4, 4);
    auto* tr = t.Add(t.root, "TR", TSeAlign::saTopRight, 4, 4);
    tr->SetBoundsDirect(TRect{90, 0, 94, 4});
    // First size from width 0: anchored children stay.
    t.root->SetBoundsRect(TRect{0, 0, 100, 50});
    EXPECT_EQ(tl->BoundsRect(), (TRect{0, 0, 4, 4}));
    EXPECT_EQ(tr->BoundsRect(), (TRect{90, 0, 94, 4}));
    // Moving and widening: top-left follows the corner, top-right the right edge.
    t.root->SetBoundsRect(TRect{5, 2, 125, 52});
    EXPECT_EQ(tl->BoundsRect(), (TRect{5, 2, 9, 6}));
    EXPECT_EQ(tr->BoundsRect(), (TRect{115, 2, 119, 6}));
    // The same bounds again do not lay out: a moved child stays where it was put.
    client->SetBoundsDirect(TRect{0, 0, 1, 1});
    t.root->SetBoundsRect(TRect{5, 2, 125, 52});
    EXPECT_EQ(client->BoundsRect(), (TRect{0, 0, 1, 1}));
    // A negative size becomes 0.
    t.root->SetBoundsRect(TRect{5, 2, 0, -10});
    EXPECT_EQ(t.root->Width(), 0);
    EXPECT_EQ(t.root->Height(), 0);
}

TEST(SkinObjectLayout, TextAlignedChildTakesItsTextWidth) {
    Tree t;
    t.root = new TSeSkinObject(nullptr);
    auto* title = t.Add(t.root, "Title", TSeAlign::saText, 1, 10);
    title->Text = u"Hello";
    title->TextMarginLeft = 2;
    title->TextMarginRight = 3;
    t.root->SetBoundsRect(TRect{0, 0, 200, 20});
    EXPECT_EQ(title->Width(), MeasureSkinText(u"Hello", title->Font) + 5);
}

TEST(SkinObjectDraw, FillsByStateAndDrawIfOwner) {
    Tree t;
    t.root = new TSeSkinObject(nullptr);
    t.root->Color = fw::clRed;
    auto* a = t.Add<TSeActiveObject>(t.root, "A", TSeAlign::saLeft, 10, 0);
    a->Color = fw::clGreen;
    a->ActiveColor = fw::clBlue;
    auto* b = t.Add<TSeColorButtonObject>(t.root, "B", TSeAlign::saRight, 10, 0);
    b->Color = fw::clYellow;
    b->PressedColor = fw::clAqua;
    t.root->SetBoundsRect(TRect{0, 0, 40, 10});

    TteBitmap bmp;
    bmp.SetSize(40, 10);
    bmp.FillColor(0);
    TSeBitmapCanvas c(bmp);
    t.root->Draw(c, NullRect);
    EXPECT_EQ(bmp.GetPixel(5, 5), Px(fw::clGreen));
    EXPECT_EQ(bmp.GetPixel(35, 5), Px(fw::clYellow));
    // A parent with children paints nothing of its own without DrawIfOwner.
    EXPECT_EQ(bmp.GetPixel(20, 5), 0u);

    t.root->SetState(kssPressed);
    t.root->DrawIfOwner = true;
    t.root->Draw(c, NullRect);
    EXPECT_EQ(bmp.GetPixel(20, 5), Px(fw::clRed));
    EXPECT_EQ(bmp.GetPixel(5, 5), Px(fw::clBlue));  // states 5 to 7: the active colour
    EXPECT_EQ(bmp.GetPixel(35, 5), Px(fw::clAqua)); // pressed colour
    EXPECT_EQ(b->Color, fw::clYellow);              // only for the call

    // A clip that misses an object skips it.
    bmp.FillColor(0);
    t.root->SetState(kssNormal);
    t.root->DrawIfOwner = false;
    t.root->Draw(c, TRect{30, 0, 40, 10});
    EXPECT_EQ(bmp.GetPixel(5, 5), 0u);
    EXPECT_EQ(bmp.GetPixel(35, 5), Px(fw::clYellow));
}

TEST(SkinObjectDraw, TextSeparatorAndShadow) {
    Tree t;
    t.root = new TSeSkinObject(nullptr);
    t.root->Color = fw::clNone;
    t.root->Font.Color = fw::clRed;
    t.root->SetBoundsRect(TRect{0, 0, 20, 10});
    TteBitmap bmp;
    bmp.SetSize(20, 10);
    bmp.FillColor(0);
    TSeBitmapCanvas c(bmp);

    t.root->Text = u"-";
    t.root->Draw(c, NullRect);
    // One line at height / 2 - 1, inset by 3 on both sides; no text drawn.
    EXPECT_EQ(bmp.GetPixel(3, 4), Px(fw::clRed));
    EXPECT_EQ(bmp.GetPixel(16, 4), Px(fw::clRed));
    EXPECT_EQ(bmp.GetPixel(2, 4), 0u);
    EXPECT_EQ(bmp.GetPixel(17, 4), 0u);
    EXPECT_EQ(bmp.GetPixel(8, 5), 0u);
    EXPECT_TRUE(c.TextLog.empty());

    t.root->Text = u"Ab";
    t.root->TextEffect = TSeTextEffect::teShadow;
    t.root->TextAlign = TSeTextAlign::taBottomRight;
    t.root->TextMarginLeft = 2;
    t.root->Draw(c, NullRect);
    ASSERT_EQ(c.TextLog.size(), 2u);
    EXPECT_EQ(c.TextLog[0].Color, 0x808080);
    EXPECT_EQ(c.TextLog[0].Rect, (TRect{3, 1, 21, 11}));
    EXPECT_EQ(c.TextLog[1].Color, fw::clRed);
    EXPECT_EQ(c.TextLog[1].Rect, (TRect{2, 0, 20, 10}));
    EXPECT_EQ(c.TextLog[1].Flags, kdtSingleLine | kdtBottom | kdtRight);
}

// A 9 x 9 image: 3 x 3 red corners, green edges, blue centre; a key pixel at (4, 4).
struct NineImage {
    NineImage() {
        auto* b = new TteBitmap();
        b->Name = "skin";
        b->SetSize(9, 9);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 9; ++x) {
                bool ex = x < 3 || x > 5, ey = y < 3 || y > 5;
                TColor c = ex && ey ? fw::clRed : (ex || ey) ? fw::clLime : fw::clBlue;
                b->SetPixel(x, y, ColorToPixel(c, 255));
            }
        list.Add(b);
    }
    TteBitmapList list;
};

TEST(SkinObjectDraw, NinePartGridKeepsCornersAndStretchesTheRest) {
    Tree t;
    NineImage img;
    auto* o = new TSeBitmapObject(nullptr);
    t.root = o;
    o->Bitmap->Name = "SKIN";
    o->Bitmap->Rect = TRect{0, 0, 9, 9};
    o->MarginLeft = o->MarginTop = o->MarginRight = o->MarginBottom = 3;
    o->TileStyle = o->BorderTileStyle = TscTileStyle::tsStretch;
    o->SetImages(&img.list);
    o->Refresh();
    ASSERT_TRUE(o->Bitmap->IsValid());
    o->SetBoundsRect(TRect{10, 10, 40, 30});

    TteBitmap bmp;
    bmp.SetSize(30, 20);
    TSeBitmapCanvas c(bmp, fw::TPoint{10, 10});
    o->Draw(c, NullRect);
    struct {
        int x, y;
        TColor c;
    } cases[] = {{0, 0, fw::clRed},    {2, 2, fw::clRed},    {29, 19, fw::clRed},
                 {27, 0, fw::clRed},   {3, 0, fw::clLime},   {26, 2, fw::clLime},
                 {0, 10, fw::clLime},  {29, 16, fw::clLime}, {3, 3, fw::clBlue},
                 {15, 10, fw::clBlue}, {26, 16, fw::clBlue}};
    for (auto& k : cases)
        EXPECT_EQ(bmp.GetPixel(k.x, k.y), Px(k.c)) << k.x << "," << k.y;

    // A source smaller than its margins has no centre: the centre stays as it was.
    o->MarginLeft = o->MarginRight = 5;
    bmp.FillColor(0);
    o->Draw(c, NullRect);
    EXPECT_EQ(bmp.GetPixel(15, 10), 0u);
}

TEST(SkinObjectDraw, TileStateImagesAndMissingLinks) {
    Tree t;
    NineImage img;
    auto* o = new TSeButtonObject(nullptr);
    t.root = o;
    o->Bitmap->Name = "skin";
    o->Bitmap->Rect = TRect{3, 3, 6, 6}; // blue
    o->BitmapPressed->Name = "skin";
    o->BitmapPressed->Rect = TRect{0, 0, 3, 3}; // red
    o->BitmapHot->Name = "absent";
    o->BitmapHot->Rect = TRect{0, 0, 3, 3};
    o->SetImages(&img.list);
    o->Refresh();
    o->SetBoundsRect(TRect{0, 0, 7, 4});

    TteBitmap bmp;
    bmp.SetSize(7, 4);
    TSeBitmapCanvas c(bmp);
    o->Draw(c, NullRect);
    EXPECT_EQ(bmp.GetPixel(6, 3), Px(fw::clBlue)); // tiled to the far corner
    o->SetState(kssPressed);
    o->Draw(c, NullRect);
    EXPECT_EQ(bmp.GetPixel(6, 3), Px(fw::clRed));
    // A link to an image the skin lacks is unusable: the main image is drawn.
    o->SetState(kssHot);
    o->Draw(c, NullRect);
    EXPECT_FALSE(o->BitmapHot->IsValid());
    EXPECT_EQ(bmp.GetPixel(0, 0), Px(fw::clBlue));

    // A link object keeps its area as it was.
    auto* link = new TSeLinkSkinObject(nullptr);
    link->Color = fw::clWhite;
    link->SetBoundsRect(TRect{0, 0, 7, 4});
    link->Draw(c, NullRect);
    EXPECT_EQ(bmp.GetPixel(0, 0), Px(fw::clBlue));
    link->Free();
}

TEST(SkinObjectRegion, ChildrenUnionAndKeyPixels) {
    Tree t;
    t.root = new TSeSkinObject(nullptr);
    auto* a = t.Add(t.root, "A", TSeAlign::saLeft, 10, 0);
    auto* b = t.Add(t.root, "B", TSeAlign::saRight, 10, 0);
    t.root->SetBoundsRect(TRect{0, 0, 50, 20});
    auto r = t.root->GetTreeRegion();
    ASSERT_TRUE(r);
    EXPECT_TRUE(RegionContains(*r, 5, 5));
    EXPECT_TRUE(RegionContains(*r, 45, 5));
    EXPECT_FALSE(RegionContains(*r, 25, 5)); // the uncovered middle is cut out
    b->Visible = false;
    EXPECT_FALSE(RegionContains(*t.root->GetTreeRegion(), 45, 5));
    t.root->DrawIfOwner = true;
    EXPECT_TRUE(RegionContains(*t.root->GetTreeRegion(), 25, 5));
    a->SetBoundsRect(TRect{0, 0, 0, 20});
    EXPECT_FALSE(a->GetTreeRegion());

    // A bitmap part with key pixels gives a region without them.
    NineImage img;
    img.list.GetBitmap(0)->SetPixel(4, 4, KeyColor);
    auto* bo = new TSeBitmapObject(nullptr);
    bo->Bitmap->Name = "skin";
    bo->Bitmap->Rect = TRect{0, 0, 9, 9};
    bo->SetImages(&img.list);
    bo->Refresh();
    bo->SetBoundsRect(TRect{100, 100, 109, 109});
    auto br = bo->GetTreeRegion();
    ASSERT_TRUE(br);
    EXPECT_TRUE(RegionContains(*br, 100, 100));
    EXPECT_FALSE(RegionContains(*br, 104, 104));
    EXPECT_FALSE(RegionContains(*br, 99, 100));
    bo->Kind = TSeKind::skClient;
    EXPECT_TRUE(RegionContains(*bo->GetTreeRegion(), 104, 104));
    bo->Free();
}

TEST(SkinObjectTree, HitTestingAndSearches) {
    Tree t;
    t.root = new TSeSkinObject(nullptr);
    t.root->SetName("Form");
    auto* a = t.Add(t.root, "Caption", TSeAlign::saNone, 0, 0);
    auto* b = t.Add(t.root, "Overlap", TSeAlign::saNone);
    auto* hole = t.Add(t.root, "Hole", TSeAlign::saNone);
    a->SetBoundsRect(TRect{0, 0, 30, 10});
    b->SetBoundsRect(TRect{20, 0, 40, 10});
    hole->SetBoundsRect(TRect{0, 20, 10, 30});
    hole->Kind = TSeKind::skTranparent;
    auto* close = new TSeSystemButton(a);
    close->Action = TSeAction::sbaClose;
    t.root->SetBoundsRect(TRect{0, 0, 50, 50});
    EXPECT_EQ(t.root->ObjectAtPoint({25, 5}), b); // the later child wins
    EXPECT_EQ(t.root->ObjectAtPoint({5, 25}), t.root);
    EXPECT_EQ(t.root->ObjectAtPoint({60, 5}), nullptr);
    EXPECT_EQ(t.root->FindChildObject("OVERLAP"), b);
    EXPECT_EQ(t.root->FindChildObject("form"), t.root);
    EXPECT_EQ(t.root->FindSystemButton(TSeAction::sbaClose), close);
    EXPECT_EQ(t.root->FindObjectByKind(TSeKind::skSysButton), close);
    EXPECT_EQ(t.root->FindSystemButton(TSeAction::sbaHelp), nullptr);
}

TEST(SkinObjectTree, CaptionButtonsFollowWindowStateAndButtonSet) {
    Tree t;
    t.root = new TSeSkinObject(nullptr);
    auto* restore = new TSeSystemButton(t.root);
    restore->Action = TSeAction::sbaRestore;
    auto* max = new TSeSysButtonSkinObject(t.root);
    max->Action = TSeAction::sbaMaximize;
    t.root->SetState(0);
    EXPECT_FALSE(restore->Visible);
    EXPECT_TRUE(max->Visible);
    t.root->SetState(2);
    EXPECT_TRUE(restore->Visible);
    EXPECT_FALSE(max->Visible);
    // Maximized: the restore button shows by bit 6 of the set, not bit 4.
    t.root->SetSubState(1 << 6);
    EXPECT_TRUE(restore->Visible);
    t.root->SetSubState(1 << 4);
    EXPECT_FALSE(restore->Visible);
    EXPECT_FALSE(max->Visible);
    t.root->SetSubState(1 << 5);
    EXPECT_TRUE(max->Visible);
}

TEST(SkinObjectTree, ShiftsAndCloning) {
    Tree t;
    t.root = new TSeSkinObject(nullptr);
    t.root->SetName("Button");
    t.root->Color = 0x404040;
    auto* text = new TSeTextObject(t.root);
    text->SetName("Text");
    text->Color = fw::clNone;
    text->FontHot.Color = 0x202020;
    t.root->SetBoundsRect(TRect{0, 0, 10, 10});
    t.root->ChangeBrightness(32);
    EXPECT_EQ(t.root->Color, PixelToColor(ShiftBrightness(ColorToPixel(0x404040, 255), 32)));
    EXPECT_NE(text->FontHot.Color, 0x202020);
    EXPECT_EQ(text->Color, fw::clNone);

    TSeSkinObject* copy = CloneSkinObject(t.root, nullptr);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->Name(), "Button");
    EXPECT_EQ(copy->BoundsRect(), (TRect{0, 0, 10, 10}));
    ASSERT_EQ(copy->ChildCount(), 1);
    auto* ct = dynamic_cast<TSeTextObject*>(copy->Child(0));
    ASSERT_TRUE(ct);
    EXPECT_EQ(ct->FontHot.Color, text->FontHot.Color);
    TteFont f;
    ct->SetState(kssHot);
    AssignStateFont(f, ct, kssHot);
    EXPECT_EQ(f.Color, text->FontHot.Color);
    copy->Free();
}

} // namespace
} // namespace dvr::skin

namespace dvr::skin {
namespace {

TEST(SkinObjectTree, ExtremeGeometryStaysBounded) {
    NineImage img;
    auto* o = new TSeBitmapObject(nullptr);
    o->Bitmap->Name = "skin";
    o->Bitmap->Rect = TRect{3, 3, 4, 4}; // one blue pixel, tiled
    o->SetImages(&img.list);
    o->Refresh();
    o->SetLeft(INT32_MIN);
    o->SetTop(-5);
    o->SetWidth(INT32_MAX);
    o->SetHeight(INT32_MAX);
    EXPECT_GT(o->Left(), INT32_MIN / 2);
    EXPECT_LT(int64_t(o->Left()) + o->Width(), INT32_MAX / 2);
    o->SetLeft(-5);
    // Only the tiles the target shows are drawn; the region falls back to the rectangle.
    TteBitmap bmp;
    bmp.SetSize(8, 8);
    TSeBitmapCanvas c(bmp);
    o->Draw(c, NullRect);
    EXPECT_EQ(bmp.GetPixel(7, 7), Px(fw::clBlue));
    auto r = o->GetTreeRegion();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->size(), 1u);
    o->Free();
}

} // namespace
} // namespace dvr::skin
