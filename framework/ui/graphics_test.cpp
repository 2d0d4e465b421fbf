#include "framework/ui/graphics.h"

#include "common/win/textconv.h"
#include "framework/stream.h"

#include <gtest/gtest.h>

namespace dvr::fw {
namespace {

uint32_t PixelAt(TBitmap& b, int x, int y) {
    return static_cast<uint32_t*>(b.ScanLine(y))[x] & 0xFFFFFF;
}

TEST(Canvas, DrawingLandsInTheBitmapsPixels) {
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf32bit);
    b.SetSize(20, 10);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 20, 10));
    c->Pen()->SetColor(clBlue);
    c->MoveTo(0, 5);
    c->LineTo(20, 5);
    c->Brush()->SetColor(clLime);
    c->Pen()->SetStyle(TPenStyle::psClear);
    c->Rectangle(2, 0, 6, 3); // a clear pen leaves the right and bottom edges undrawn
    // DIB pixels are BGR in memory; TColor is RGB in the low bytes with red lowest.
    EXPECT_EQ(PixelAt(b, 10, 0), 0xFF0000u); // red
    EXPECT_EQ(PixelAt(b, 10, 5), 0x0000FFu); // blue line
    EXPECT_EQ(PixelAt(b, 3, 1), 0x00FF00u);  // green box
    EXPECT_EQ(c->Pixels(10, 5), clBlue);
    EXPECT_EQ(c->PenPos(), (TPoint{20, 5}));

    // A changed font or brush is selected into the DC at once.
    c->Font()->SetColor(clYellow);
    EXPECT_EQ(::GetTextColor(c->Handle()), COLORREF(0x00FFFF));
    c->Brush()->SetColor(clWhite);
    EXPECT_EQ(::GetBkColor(c->Handle()), COLORREF(0xFFFFFF));
}

TEST(Canvas, DrawAndCopyRectMoveBitmapsAcrossWithTransparency) {
    TBitmap src, dst;
    src.SetPixelFormat(TPixelFormat::pf32bit);
    dst.SetPixelFormat(TPixelFormat::pf32bit);
    src.SetSize(4, 4);
    dst.SetSize(8, 8);
    src.Canvas()->Brush()->SetColor(clFuchsia);
    src.Canvas()->FillRect(Rect(0, 0, 4, 4));
    src.Canvas()->SetPixel(1, 1, clNavy);
    dst.Canvas()->Brush()->SetColor(clWhite);
    dst.Canvas()->FillRect(Rect(0, 0, 8, 8));

    src.SetTransparent(true); // bottom-left pixel: fuchsia
    EXPECT_EQ(src.TransparentColor(), clFuchsia);
    dst.Canvas()->Draw(2, 2, &src);
    EXPECT_EQ(dst.Canvas()->Pixels(3, 3), clNavy);
    EXPECT_EQ(dst.Canvas()->Pixels(2, 2), clWhite);

    src.SetTransparent(false);
    dst.Canvas()->StretchDraw(Rect(0, 0, 8, 8), &src);
    EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clFuchsia);
    EXPECT_EQ(dst.Canvas()->Pixels(2, 2), clNavy); // pixel (1,1) doubled

    TBitmap part;
    part.SetSize(2, 2);
    part.Canvas()->CopyRect(Rect(0, 0, 2, 2), src.Canvas(), Rect(1, 1, 3, 3));
    EXPECT_EQ(part.Canvas()->Pixels(0, 0), clNavy);
    EXPECT_EQ(part.Canvas()->Pixels(1, 1), clFuchsia);
}

TEST(Canvas, TextInGbkIsMeasuredAndDrawnAsWideText) {
    TBitmap b;
    b.SetSize(200, 40);
    TCanvas* c = b.Canvas();
    c->Font()->SetName(win::Utf8ToGbk("宋体"));
    c->Font()->SetHeight(-16);
    std::string text = win::Utf8ToGbk("录像回放");
    SIZE sz = c->TextExtent(text);
    EXPECT_GT(sz.cx, 0);
    EXPECT_GT(sz.cy, 0);
    // Four characters, not the eight bytes of their GBK form.
    std::wstring w = win::GbkToWide(text);
    SIZE wide{};
    ::GetTextExtentPoint32W(c->Handle(), w.c_str(), int(w.size()), &wide);
    EXPECT_EQ(sz.cx, wide.cx);
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 200, 40));
    c->Font()->SetColor(clBlack);
    c->TextOut(0, 0, text);
    EXPECT_EQ(c->PenPos().X, sz.cx);
    bool inked = false;
    for (int y = 0; y < sz.cy && !inked; ++y)
        for (int x = 0; x < sz.cx && !inked; ++x)
            inked = c->Pixels(x, y) != clWhite;
    EXPECT_TRUE(inked);
}

TEST(Bitmap, BmpFilesRoundTripInEveryFormatAndBadOnesAreRefused) {
    for (TPixelFormat pf : {TPixelFormat::pf1bit, TPixelFormat::pf8bit, TPixelFormat::pf16bit,
                            TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        SCOPED_TRACE(int(pf));
        TBitmap a;
        a.SetPixelFormat(pf);
        a.SetSize(13, 7); // odd width: rows are padded
        a.Canvas()->Brush()->SetColor(clBlack);
        a.Canvas()->FillRect(Rect(0, 0, 13, 7));
        a.Canvas()->SetPixel(12, 6, clWhite);
        TMemoryStream s;
        a.SaveToStream(s);
        s.SetPosition(0);
        TBitmap b;
        ASSERT_NO_THROW(b.LoadFromStream(s)) << s.Size();
        EXPECT_EQ(b.Width(), 13);
        EXPECT_EQ(b.Height(), 7);
        EXPECT_EQ(b.PixelFormat(), pf);
        EXPECT_EQ(b.Canvas()->Pixels(12, 6), clWhite) << int(pf);
        EXPECT_EQ(b.Canvas()->Pixels(0, 0), clBlack) << int(pf);
        EXPECT_EQ(s.Position(), s.Size());
    }

    TBitmap good;
    good.SetSize(4, 4);
    TMemoryStream full;
    good.SaveToStream(full);
    std::string bytes(reinterpret_cast<const char*>(full.Memory()), size_t(full.Size()));
    struct Bad {
        const char* what;
        std::string data;
    };
    std::string huge = bytes;
    huge[18] = '\xFF'; // width 0x..FF: far beyond the data
    huge[19] = '\x7F';
    std::string depth = bytes;
    depth[28] = 7; // bits per pixel
    Bad bad[] = {{"truncated", bytes.substr(0, bytes.size() - 3)},
                 {"no signature", "XX" + bytes.substr(2)},
                 {"huge width", huge},
                 {"odd depth", depth},
                 {"header only", bytes.substr(0, 20)}};
    for (const Bad& b : bad) {
        TBitmap keep;
        keep.SetSize(3, 3);
        TMemoryStream s;
        s.WriteBuffer(b.data.data(), b.data.size());
        s.SetPosition(0);
        EXPECT_THROW(keep.LoadFromStream(s), EInvalidGraphic) << b.what;
        EXPECT_EQ(keep.Width(), 3) << b.what;
    }
}

TEST(Bitmap, ResizingKeepsThePictureAndAssignCopiesIt) {
    TBitmap a;
    a.SetPixelFormat(TPixelFormat::pf24bit);
    a.SetSize(4, 4);
    a.Canvas()->SetPixel(1, 2, clTeal);
    a.SetSize(10, 10);
    EXPECT_EQ(a.Canvas()->Pixels(1, 2), clTeal);
    EXPECT_EQ(a.Canvas()->Pixels(9, 9), clWhite);
    TBitmap b;
    b.Assign(&a);
    a.Canvas()->SetPixel(1, 2, clRed);
    EXPECT_EQ(b.Canvas()->Pixels(1, 2), clTeal);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
    b.SetPixelFormat(TPixelFormat::pf32bit);
    EXPECT_EQ(b.Canvas()->Pixels(1, 2), clTeal);
}

TEST(Canvas, LockSerialisesDrawingThreads) {
    TBitmap b;
    b.SetSize(2, 2);
    TCanvas* c = b.Canvas();
    c->Lock();
    EXPECT_EQ(c->LockCount(), 1);
    c->Unlock();
    EXPECT_EQ(c->LockCount(), 0);
    TCanvas bare;
    EXPECT_THROW(bare.Handle(), EInvalidOperation);
}

} // namespace
} // namespace dvr::fw
