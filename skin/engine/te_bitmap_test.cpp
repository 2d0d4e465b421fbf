#include "skin/engine/te_bitmap.h"

#include "framework/exceptions.h"
#include "skin/engine/te_utils.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace dvr::skin {
namespace {

// A bitmap whose pixel (x, y) is 0xFF000000 | y << 8 | x: every source position shows.
std::unique_ptr<TteBitmap> Ramp(int w, int h, uint32_t alpha = 0xFF) {
    auto b = std::make_unique<TteBitmap>();
    b->SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b->SetPixel(x, y, (alpha << 24) | uint32_t(y << 8) | uint32_t(x));
    return b;
}

std::unique_ptr<TteBitmap> Plain(int w, int h, TteColor c) {
    auto b = std::make_unique<TteBitmap>();
    b->SetSize(w, h);
    b->FillColor(c);
    return b;
}

TEST(TteBitmap, SizingKeepsOrDropsPixels) {
    TteBitmap b;
    EXPECT_TRUE(b.IsEmpty());
    b.SetSize(-20, 10);
    EXPECT_EQ(b.Width, 20);
    EXPECT_EQ(b.Height, 10);
    EXPECT_EQ(b.Info.biWidth, 20);
    EXPECT_EQ(b.Info.biHeight, -10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(b.GetPixel(x, y), 0u);
    b.CheckAlpha();
    EXPECT_FALSE(b.AlphaBlend);
    b.SetPixel(3, 4, 0x12345678);
    b.SetSize(0, 10);
    b.SetSize(20, 10);
    EXPECT_EQ(b.GetPixel(3, 4), 0x12345678u);
    b.SetSize(5, 5);
    EXPECT_EQ(b.GetPixel(3, 4), 0u);
    EXPECT_EQ(FindBitmapByDC(b.DC), &b);
    EXPECT_EQ(FindBitmapByDC(nullptr), nullptr);
}

TEST(TteBitmap, PixelAccessOutsideIsIgnored) {
    auto b = Plain(4, 3, 0x11111111);
    b->SetPixel(4, 0, 7);
    b->SetPixel(0, 3, 7);
    b->SetPixel(-1, 0, 7);
    EXPECT_EQ(b->GetPixel(4, 0), 0u);
    EXPECT_EQ(b->GetPixel(0, 3), 0u);
    EXPECT_EQ(b->GetPixel(0, -1), 0u);
    TteBitmap empty;
    EXPECT_EQ(empty.GetPixel(0, 0), 0u);
    empty.SetPixel(0, 0, 1);
    empty.SetAlpha(255);
    empty.FillRect({0, 0, 5, 5}, 1);
}

TEST(TteBitmap, AlphaAndFillRects) {
    auto one = Plain(1, 1, 0x00123456);
    one->SetAlpha(255);
    EXPECT_EQ(one->GetPixel(0, 0), 0xFF123456u);

    auto b = Plain(4, 4, 0xFF000000);
    b->SetAlpha(0x80);
    EXPECT_EQ(b->GetPixel(3, 3), 0x80000000u);
    b->SetAlphaRect(0x10, {-5, -5, 2, 1});
    EXPECT_EQ(b->GetPixel(1, 0), 0x10000000u);
    EXPECT_EQ(b->GetPixel(2, 0), 0x80000000u);
    EXPECT_EQ(b->GetPixel(0, 1), 0x80000000u);

    auto f = Plain(4, 4, 0xFF000000);
    f->FillRect({-10, 0, -1, 4}, 0xFFFFFFFF); // wholly left: nothing
    f->FillRect({2, 2, 10, 10}, 0xFFFFFFFF);
    EXPECT_EQ(f->GetPixel(1, 1), 0xFF000000u);
    EXPECT_EQ(f->GetPixel(3, 3), 0xFFFFFFFFu);
    // With AlphaBlend the colour's alpha decides.
    TPixelRoutineScope plain(false);
    f->AlphaBlend = true;
    f->FillRect({0, 0, 1, 1}, 0x80FFFFFF);
    EXPECT_EQ(f->GetPixel(0, 0), 0xFF7F7F7Fu);
    f->FillRect({1, 0, 2, 1}, 0x00FFFFFF);
    EXPECT_EQ(f->GetPixel(1, 0), 0xFF000000u);
}

TEST(TteBitmap, TransparentColourAndAlphaCheck) {
    auto b = Plain(3, 1, 0);
    b->SetPixel(0, 0, 0xFF7A057F);
    b->SetPixel(1, 0, 0xFF79007F);
    b->SetPixel(2, 0, 0xFF010203);
    b->SetTransparentColor(KeyColor);
    EXPECT_TRUE(b->Transparent);
    EXPECT_EQ(b->GetPixel(0, 0), KeyColor);
    EXPECT_EQ(b->GetPixel(1, 0), 0xFF79007Fu);
    b->SetTransparentColor(MakePixel(255, 0, 255, 255));
    EXPECT_FALSE(b->Transparent);
    b->CheckAlpha();
    EXPECT_FALSE(b->AlphaBlend);
    b->SetPixel(2, 0, 0x80010203);
    b->CheckAlpha();
    EXPECT_TRUE(b->AlphaBlend);
}

TEST(TteBitmap, BrightnessAndHueSkipTransparentPixels) {
    auto b = Plain(2, 1, 0);
    b->SetPixel(0, 0, KeyColor);
    b->SetPixel(1, 0, 0x40102030);
    b->ApplyBrightness(16);
    EXPECT_EQ(b->GetPixel(0, 0), KeyColor);
    EXPECT_EQ(b->GetPixel(1, 0), 0xFF203040u);
    b->ApplyHue(85);
    EXPECT_EQ(b->GetPixel(1, 0), ShiftHue(0xFF203040u, 85));
}

// Stream layout: name, width, height (negative: bottom-up rows), pixels.
std::vector<uint8_t> Stored(const std::string& name, int32_t w, int32_t h,
                            const std::vector<TteColor>& pixels) {
    fw::TMemoryStream s;
    WriteString(s, name);
    s.WriteBuffer(&w, 4);
    s.WriteBuffer(&h, 4);
    if (!pixels.empty()) s.WriteBuffer(pixels.data(), pixels.size() * 4);
    return s.Bytes();
}

TEST(TteBitmap, StreamRoundTripAndRowOrder) {
    const TteColor A = 0xFF0000AA, B = 0xFF0000BB;
    for (int32_t h : {2, -2}) {
        auto bytes = Stored("pic", 1, h, {A, B});
        fw::TMemoryStream in(bytes.data(), bytes.size());
        TteBitmap b;
        b.LoadFromStream(in);
        EXPECT_EQ(b.Name, "pic");
        EXPECT_EQ(b.GetPixel(0, 0), h > 0 ? A : B);
        EXPECT_EQ(b.GetPixel(0, 1), h > 0 ? B : A);
        fw::TMemoryStream out;
        b.SaveToStream(out);
        auto expect = Stored("pic", 1, 2, {b.GetPixel(0, 0), b.GetPixel(0, 1)});
        EXPECT_EQ(out.Bytes(), expect);
    }
    // Save then load gives the same picture, alpha bytes included.
    auto r = Ramp(5, 3, 0x80);
    r->Name = "ramp";
    fw::TMemoryStream s;
    r->SaveToStream(s);
    s.SetPosition(0);
    TteBitmap back;
    back.LoadFromStream(s);
    ASSERT_EQ(back.Width, 5);
    ASSERT_EQ(back.Height, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(back.GetPixel(x, y), r->GetPixel(x, y));
}

TEST(TteBitmap, LoadingDecidesAlphaOrKey) {
    {
        auto bytes = Stored("", 2, 1, {0x80102030, 0xFF7A057F});
        fw::TMemoryStream in(bytes.data(), bytes.size());
        TteBitmap b;
        b.LoadFromStream(in);
        EXPECT_TRUE(b.AlphaBlend);
        EXPECT_FALSE(b.Transparent);
        EXPECT_EQ(b.GetPixel(1, 0), 0xFF7A057Fu);
    }
    {
        auto bytes = Stored("", 2, 1, {0x00102030, 0xFF7A057F});
        fw::TMemoryStream in(bytes.data(), bytes.size());
        TteBitmap b;
        b.LoadFromStream(in);
        EXPECT_FALSE(b.AlphaBlend);
        EXPECT_TRUE(b.Transparent);
        EXPECT_EQ(b.GetPixel(1, 0), KeyColor);
    }
}

TEST(TteBitmap, CorruptStreamsAreRefused) {
    // Sizes the stream has no pixels for are refused before anything is allocated.
    auto huge = Stored("x", 100000, -100000, {1, 2});
    fw::TMemoryStream in(huge.data(), huge.size());
    TteBitmap b;
    EXPECT_THROW(b.LoadFromStream(in), fw::EReadError);
    EXPECT_TRUE(b.IsEmpty());
    // A truncated pixel block raises the read error.
    auto shortBytes = Stored("x", 2, 2, {1, 2, 3});
    fw::TMemoryStream in2(shortBytes.data(), shortBytes.size());
    EXPECT_THROW(b.LoadFromStream(in2), fw::EReadError);
    // A record with a zero dimension carries no pixels and keeps the old picture.
    auto pic = Ramp(2, 2);
    auto zero = Stored("z", 0, -3, {});
    fw::TMemoryStream in3(zero.data(), zero.size());
    pic->LoadFromStream(in3);
    EXPECT_EQ(pic->Width, 2);
    EXPECT_EQ(pic->GetPixel(1, 0), 0xFF000001u);
}

TEST(TteBitmap, AssignCopiesPixelsNameAndFlags) {
    auto r = Ramp(3, 2, 0x80);
    r->Name = "n";
    r->AlphaBlend = true;
    TteBitmap c;
    c.Assign(r.get());
    EXPECT_EQ(c.Width, 3);
    EXPECT_EQ(c.GetPixel(2, 1), r->GetPixel(2, 1));
    EXPECT_EQ(c.Name, "n");
    EXPECT_TRUE(c.AlphaBlend);
    // From a bitmap without pixels the pixels stay.
    TteBitmap empty;
    c.Assign(&empty);
    EXPECT_EQ(c.GetPixel(2, 1), r->GetPixel(2, 1));
    TteBitmapLink notABitmap;
    EXPECT_THROW(c.Assign(&notABitmap), fw::EConvertError);
}

TEST(Blit, SameSizeModes) {
    auto src = Plain(3, 1, 0);
    src->SetPixel(0, 0, 0x007F007F);
    src->SetPixel(1, 0, 0xFF7F007F);
    src->SetPixel(2, 0, 0x40102030);
    auto dst = Plain(3, 1, 0x11223344);
    src->DrawOnBitmap(dst.get(), 0, 0); // copy: alpha bytes included
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(dst->GetPixel(x, 0), src->GetPixel(x, 0));

    dst->FillColor(0x11223344);
    src->Transparent = true;
    src->DrawOnBitmap(dst.get(), 0, 0);
    EXPECT_EQ(dst->GetPixel(0, 0), 0x11223344u);
    EXPECT_EQ(dst->GetPixel(1, 0), 0x11223344u);
    EXPECT_EQ(dst->GetPixel(2, 0), 0xFF102030u);

    TPixelRoutineScope plain(false);
    dst->FillColor(0xFFFFFFFF);
    src->AlphaBlend = true; // wins over Transparent
    src->DrawOnBitmap(dst.get(), 0, 0);
    EXPECT_EQ(dst->GetPixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(dst->GetPixel(1, 0), 0xFF7F007Fu);
    EXPECT_EQ(dst->GetPixel(2, 0), PixelBlendPlain(0x40102030, 0xFFFFFFFF));
}

TEST(Blit, ClippingAndSourceChecks) {
    auto src = Ramp(4, 4);
    auto dst = Plain(4, 4, 0);
    // Half outside: only the inside half, with the source pixels that belong there.
    src->DrawOnBitmap(dst.get(), -2, 1);
    EXPECT_EQ(dst->GetPixel(0, 1), 0xFF000002u);
    EXPECT_EQ(dst->GetPixel(1, 3), 0xFF000203u);
    EXPECT_EQ(dst->GetPixel(2, 1), 0u);
    EXPECT_EQ(dst->GetPixel(0, 0), 0u);
    // Scaled and half outside alike: 4 -> 8 wide at x = -4 shows the right half.
    dst->FillColor(0);
    src->DrawToBitmap(dst.get(), {-4, 0, 4, 4}, {0, 0, 4, 4});
    // fx = 3/7; column i + 4 -> truncate((i + 4) * 3/7): 1, 2, 2, 3
    EXPECT_EQ(dst->GetPixel(0, 0), 0xFF000001u);
    EXPECT_EQ(dst->GetPixel(1, 0), 0xFF000002u);
    EXPECT_EQ(dst->GetPixel(2, 0), 0xFF000002u);
    EXPECT_EQ(dst->GetPixel(3, 0), 0xFF000003u);
    // A source rectangle one pixel beyond the source, or empty, draws nothing.
    dst->FillColor(0);
    src->DrawToBitmap(dst.get(), {0, 0, 4, 4}, {0, 0, 5, 4});
    src->DrawToBitmap(dst.get(), {0, 0, 4, 4}, {4, 0, 4, 4});
    src->DrawToBitmap(dst.get(), {0, 0, 4, 4}, {3, 0, 1, 4});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(dst->GetPixel(x, y), 0u);
}

TEST(Blit, ScalingTables) {
    auto src = Ramp(10, 3);
    auto dst = Plain(19, 1, 0);
    src->DrawToBitmap(dst.get(), {0, 0, 19, 1}, {0, 0, 10, 3});
    // One destination row takes the middle source row, (0 + 3 - 1) div 2 = 1.
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(dst->GetPixel(i, 0), 0xFF000100u | uint32_t(i / 2)) << i;
    // The device-memory path rounds instead: 0, 0 (0.5 to even), 1, 2 (1.5), 2, 2 (2.5), 3 ...
    std::vector<TteColor> mem(19);
    BlitToMemory(mem.data(), 19, 1, true, {0, 0, 19, 1}, {0, 0, 19, 1}, {0, 0, 10, 3}, *src,
                 TBlitMode::Copy, true);
    const int rounded[19] = {0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5, 6, 6, 6, 7, 8, 8, 8, 9};
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(mem[size_t(i)] & 0xFF, uint32_t(rounded[i])) << i;
    // One pixel wide: the middle column (2 + 7 - 1) div 2 = 4.
    auto narrow = Plain(1, 3, 0);
    src->DrawToBitmap(narrow.get(), {0, 0, 1, 3}, {2, 0, 7, 3});
    EXPECT_EQ(narrow->GetPixel(0, 0), 0xFF000004u);
    EXPECT_EQ(narrow->GetPixel(0, 2), 0xFF000204u);
    // Bottom-up memory: target row y lives at memory row height - 1 - y.
    std::vector<TteColor> up(2 * 2);
    BlitToMemory(up.data(), 2, 2, false, {0, 0, 2, 2}, {0, 0, 2, 2}, {0, 0, 2, 2}, *src,
                 TBlitMode::Copy, true);
    EXPECT_EQ(up[0], 0xFF000100u);
    EXPECT_EQ(up[2], 0xFF000000u);
}

TEST(Blit, ScaledKeyAndAlpha) {
    auto src = Plain(2, 1, 0);
    src->SetPixel(0, 0, KeyColor);
    src->SetPixel(1, 0, 0x80FFFFFF);
    src->Transparent = true;
    auto dst = Plain(4, 1, 0xFF000000);
    src->DrawToBitmap(dst.get(), {0, 0, 4, 1}, {0, 0, 2, 1});
    // fx = 1/3: columns 0, 0, 0, 1.
    EXPECT_EQ(dst->GetPixel(0, 0), 0xFF000000u);
    EXPECT_EQ(dst->GetPixel(2, 0), 0xFF000000u);
    EXPECT_EQ(dst->GetPixel(3, 0), 0xFFFFFFFFu);
    TPixelRoutineScope packed(true);
    src->AlphaBlend = true;
    dst->FillColor(0xFF000000);
    src->DrawToBitmap(dst.get(), {0, 0, 4, 1}, {0, 0, 2, 1});
    EXPECT_EQ(dst->GetPixel(0, 0), 0xFF000000u); // key has alpha 0
    EXPECT_EQ(dst->GetPixel(3, 0), PixelBlendPacked(0x80FFFFFF, 0xFF000000));
}

TEST(Blit, DrawingOntoItselfReadsTheOldPicture) {
    for (int dx : {3, -3}) {
        auto b = Ramp(8, 2);
        auto ref = Ramp(8, 2);
        b->DrawOnBitmap(b.get(), dx, 0);
        for (int x = 0; x < 8; ++x) {
            int sx = x - dx;
            TteColor want = (sx >= 0 && sx < 8) ? ref->GetPixel(sx, 1) : ref->GetPixel(x, 1);
            EXPECT_EQ(b->GetPixel(x, 1), want) << dx << " " << x;
        }
    }
}

TEST(Tile, TilesAndCutTiles) {
    std::vector<std::pair<TRect, TRect>> got;
    auto collect = [&](TRect d, TRect s) { got.push_back({d, s}); };
    ForEachTile({0, 0, 25, 12}, {}, {10, 20, 20, 30}, collect);
    ASSERT_EQ(got.size(), 6u);
    // Column by column, each top to bottom.
    EXPECT_EQ(got[0].first, (TRect{0, 0, 10, 10}));
    EXPECT_EQ(got[1].first, (TRect{0, 10, 10, 12}));
    EXPECT_EQ(got[1].second, (TRect{10, 20, 20, 22}));
    EXPECT_EQ(got[4].first, (TRect{20, 0, 25, 10}));
    EXPECT_EQ(got[4].second, (TRect{10, 20, 15, 30}));
    EXPECT_EQ(got[5].second, (TRect{10, 20, 15, 22}));
    got.clear();
    ForEachTile({0, 0, 25, 12}, {12, 11, 13, 12}, {0, 0, 10, 10}, collect);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].first, (TRect{10, 10, 20, 12})); // not cut to the clip
    got.clear();
    ForEachTile({0, 0, 25, 12}, {}, {0, 0, 0, 10}, collect);
    EXPECT_TRUE(got.empty());
}

TEST(MergeUnder, FillsOnlyTransparentPixels) {
    TPixelRoutineScope plain(false);
    auto b = Plain(3, 1, 0);
    b->SetPixel(1, 0, 0x80FFFFFF);
    b->SetPixel(2, 0, 0xFF0000FF);
    auto under = Plain(4, 2, 0xFF102030);
    under->SetPixel(0, 0, 0xFFAAAAAA);
    // SrcRect.Left -1 moves X right by one and starts the source at 0.
    b->MergeUnder(under.get(), -1, 0, {-1, 0, 4, 2});
    EXPECT_EQ(b->GetPixel(0, 0), 0xFFAAAAAAu);
    EXPECT_EQ(b->GetPixel(1, 0), PixelBlendPlain(0x80FFFFFF, 0xFF102030));
    EXPECT_EQ(b->GetPixel(2, 0), 0xFF0000FFu);
}

TEST(BitmapLink, MaskAreas) {
    auto img = Plain(140, 40, 0xFF000000);
    img->SetPixel(127, 2, KeyColor);
    TteBitmapLink* link = img->GetLink({100, 0, 130, 30});
    std::unique_ptr<TteBitmapLink> own(link);
    EXPECT_EQ(link->Bitmap, img.get());
    link->CheckMasks({5, 5, 5, 5});
    EXPECT_TRUE(link->MaskedAngles);
    EXPECT_FALSE(link->MaskedBorder);
    EXPECT_FALSE(link->Masked);
    // Only the bottom margin set still takes the area path: (27, 2) is in the centre.
    link->CheckMasks({0, 0, 0, 4});
    EXPECT_TRUE(link->Masked);
    EXPECT_FALSE(link->MaskedAngles);
    img->SetPixel(127, 2, ReservedPixel);
    img->SetPixel(101, 15, 0x33333333);
    link->CheckMasked();
    EXPECT_FALSE(link->Masked);
    img->SetPixel(110, 15, 0xFE000000); // alpha below 255
    link->CheckMasks({5, 5, 5, 5});
    EXPECT_TRUE(link->Masked);
    EXPECT_FALSE(link->MaskedBorder);
    link->Rect = {130, 0, 141, 5}; // reaches beyond the image
    link->CheckMasked();
    EXPECT_TRUE(link->Masked);
    link->Rect = {5, 0, 5, 10};
    EXPECT_FALSE(link->IsValid());
    TteBitmapLink copy;
    copy.Assign(link);
    EXPECT_EQ(copy.Rect, link->Rect);
    EXPECT_TRUE(copy.Masked);
}

TEST(BitmapList, LookupByNameIgnoringCase) {
    auto* list = new TteBitmapList();
    auto* a = new TteBitmap();
    a->Name = "frame";
    auto* b = new TteBitmap();
    b->Name = "Frame";
    list->Add(a);
    list->Add(b);
    std::unique_ptr<TteBitmapLink> l(list->GetLink("FRAME", {1, 2, 3, 4}));
    ASSERT_TRUE(l);
    EXPECT_EQ(l->Bitmap, a);
    EXPECT_EQ(l->Name, "frame");
    EXPECT_EQ(l->Rect, (TRect{1, 2, 3, 4}));
    EXPECT_EQ(list->GetLink("none", {}), nullptr);
    EXPECT_EQ(list->GetBitmap(1), b);
    EXPECT_EQ(list->GetBitmap(2), nullptr);
    EXPECT_EQ(list->GetBitmap(-1), nullptr);
    delete list; // frees both images (ASan would report a leak otherwise)
}

} // namespace
} // namespace dvr::skin
