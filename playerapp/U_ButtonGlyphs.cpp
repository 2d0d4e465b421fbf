#include "playerapp/U_ButtonGlyphs.h"

#include <vector>

namespace playerqz {

using namespace dvr::fw;

namespace {

using Poly = std::vector<TPoint>;

// Shapes on a 16 x 16 grid: filled polygons (a rectangle is four points).
Poly Box(int l, int t, int r, int b) {
    return {{l, t}, {r, t}, {r, b}, {l, b}};
}
Poly Right(int l, int t, int b) { // triangle pointing right, left edge at l
    return {{l, t}, {l + (b - t) / 2, (t + b) / 2}, {l, b}};
}
Poly Left(int r, int t, int b) { // triangle pointing left, right edge at r
    return {{r, t}, {r - (b - t) / 2, (t + b) / 2}, {r, b}};
}

std::vector<Poly> Shapes(ButtonGlyph k) {
    switch (k) {
    case ButtonGlyph::Open:
        return {Box(1, 4, 7, 6), Box(1, 6, 14, 13)};
    case ButtonGlyph::Play:
        return {Right(5, 3, 13)};
    case ButtonGlyph::Pause:
        return {Box(4, 3, 7, 13), Box(9, 3, 12, 13)};
    case ButtonGlyph::Stop:
        return {Box(4, 4, 12, 12)};
    case ButtonGlyph::First:
        return {Box(3, 3, 5, 13), Left(12, 3, 13)};
    case ButtonGlyph::FrameBack:
        return {Left(10, 3, 13), Box(11, 3, 13, 13)};
    case ButtonGlyph::FrameNext:
        return {Box(3, 3, 5, 13), Right(6, 3, 13)};
    case ButtonGlyph::Slow:
        return {Left(8, 4, 12), Left(14, 4, 12)};
    case ButtonGlyph::Fast:
        return {Right(2, 4, 12), Right(8, 4, 12)};
    case ButtonGlyph::End:
        return {Right(4, 3, 13), Box(11, 3, 13, 13)};
    case ButtonGlyph::Capture:
        return {Box(2, 5, 14, 13), Box(5, 3, 10, 5)};
    case ButtonGlyph::FullScreen:
        return {Box(2, 2, 7, 4), Box(2, 2, 4, 7), Box(9, 2, 14, 4), Box(12, 2, 14, 7),
                Box(2, 12, 7, 14), Box(2, 9, 4, 14), Box(9, 12, 14, 14), Box(12, 9, 14, 14)};
    case ButtonGlyph::Loop:
        return {Box(3, 4, 13, 6), Box(3, 10, 13, 12), Box(3, 4, 5, 12), Box(11, 4, 13, 12)};
    case ButtonGlyph::LoopStart:
        return {Box(3, 3, 5, 13), Right(6, 4, 12)};
    case ButtonGlyph::LoopEnd:
        return {Left(10, 4, 12), Box(11, 3, 13, 13)};
    case ButtonGlyph::LoopSave:
        return {Box(3, 2, 13, 14)};
    case ButtonGlyph::PlayAll:
        return {Right(2, 3, 13), Right(9, 6, 10)};
    case ButtonGlyph::StopAll:
        return {Box(2, 3, 9, 10), Box(8, 8, 14, 14)};
    case ButtonGlyph::Sound:
        return {Box(2, 6, 5, 10), {{5, 6}, {9, 2}, {9, 14}, {5, 10}}, Box(11, 5, 12, 11),
                Box(13, 3, 14, 13)};
    }
    return {};
}

} // namespace

void DrawButtonGlyph(TBitmap& Bitmap, ButtonGlyph Kind) {
    Bitmap.SetSize(GlyphSize, GlyphSize);
    TCanvas* c = Bitmap.Canvas();
    c->Brush()->SetColor(GlyphBackground);
    c->FillRect(TRect{0, 0, GlyphSize, GlyphSize});
    c->Brush()->SetColor(GlyphInk);
    c->Pen()->SetColor(GlyphInk);
    for (const Poly& p : Shapes(Kind))
        c->Polygon(p);
}

} // namespace playerqz
