// The skin theme's bar groups: track bars, control and tool bars, and the status bar's
// panel text.
#include "skin/engine/theme_se3.h"

namespace dvr::skin {

namespace {

constexpr int kSkinBarTrackBar = 13, kSkinBarStatusBar = 17, kSkinBarControlBar = 24;

TSeSkinObject* SkinBarPart(TSeSkinObject* O, const char* Name) {
    return O ? O->FindChildObject(Name) : nullptr;
}

TSeSkinObject* SkinBarPartOr(TSeSkinObject* O, const char* Name, const char* Fallback) {
    TSeSkinObject* p = SkinBarPart(O, Name);
    return p ? p : SkinBarPart(O, Fallback);
}

void DrawSkinBarPart(TSeSkinObject* Part, TCanvas& Canvas, TRect Rect, bool SetState,
                     uint8_t State = 0) {
    if (!Part) return;
    if (SetState) Part->SetState(State);
    Part->SetBoundsRect(Rect);
    TSeFwCanvas c(Canvas);
    Part->Draw(c, NullRect);
}

// The part at its own size, centred in Rect (offsets toward zero).
void DrawSkinBarPartCentred(TSeSkinObject* Part, TCanvas& Canvas, TRect Rect) {
    if (!Part) return;
    int w = Part->Width(), h = Part->Height();
    int x = Rect.Left + (Rect.Width() - w) / 2;
    int y = Rect.Top + (Rect.Height() - h) / 2;
    DrawSkinBarPart(Part, Canvas, TRect{x, y, x + w, y + h}, false);
}

} // namespace

// ---- StatusBar ----

void TTeSkinFile::PaintStatusPanelText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                       const TteTextInfo& TextInfo, TRect Panel, TRect Bar) {
    TteTextInfo t = TextInfo;
    if (TSeSkinObject* p = SkinBarPart(ObjectFor(ThemeObject, kSkinBarStatusBar), "Panel")) {
        t.Rect.Left += p->TextMarginLeft;
        t.Rect.Right -= p->TextMarginRight;
        t.Rect.Top += p->TextMarginTop;
    }
    TteTheme::PaintStatusPanelText(Kind, Canvas, ThemeObject, t, Panel, Bar);
}

// ---- TrackBar ----

bool TTeSkinFile::HasTrackBarStyle(int Kind, const TObj&) {
    return (Kind == 0 || Kind == 1) && KindTable[kSkinBarTrackBar] != nullptr;
}

bool TTeSkinFile::IsTrackBarTransparent(int, const TObj&) {
    return true;
}

void TTeSkinFile::PaintTrackBarTrack(int, TCanvas& Canvas, const TObj&,
                                     const TteTwoByteInfo& TrackBar) {
    TSeSkinObject* o = KindTable[kSkinBarTrackBar];
    TSeSkinObject* p = SkinBarPartOr(o, TrackBar.Byte1 ? "TrackVert" : "TrackHorz", "Track");
    DrawSkinBarPart(p, Canvas, TrackBar.Rect, false);
}

void TTeSkinFile::PaintTrackBarThumb(int, TCanvas& Canvas, const TObj&,
                                     const TteRectStateInfo& Thumb,
                                     const TteTwoByteInfo& TrackBar) {
    TSeSkinObject* o = KindTable[kSkinBarTrackBar];
    const bool vertical = TrackBar.Byte1 != 0;
    const char* side = nullptr;
    if (TrackBar.Byte2 == 2) side = vertical ? "ThumbVertLeft" : "ThumbHorzTop";
    if (TrackBar.Byte2 == 1) side = vertical ? "ThumbVertRight" : "ThumbHorzBottom";
    TSeSkinObject* p = side ? SkinBarPart(o, side) : nullptr;
    if (!p) p = SkinBarPartOr(o, vertical ? "ThumbVert" : "ThumbHorz", "Thumb");
    DrawSkinBarPartCentred(p, Canvas, Thumb.Rect);
}

// ---- ControlBar ----

bool TTeSkinFile::HasControlBarStyle(int Kind, const TObj& ThemeObject) {
    if (ThemeObject != "default" && WorkingSkin.FindObject(ThemeObject)) return true;
    return (Kind == 0 || Kind == 1) && KindTable[kSkinBarControlBar] != nullptr;
}

void TTeSkinFile::GetControlBarContentRect(int, TRect, TRect&, const TObj&) {}

void TTeSkinFile::PaintControlBar(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    DrawSkinBarPart(SkinBarPart(KindTable[kSkinBarControlBar], "Back"), Canvas, Rect, false);
}

void TTeSkinFile::GetToolBarContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = TRect{Rect.Left + 2, Rect.Top + 2, Rect.Right - 2, Rect.Bottom - 2};
}

void TTeSkinFile::PaintToolBar(int, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) {
    TSeSkinObject* o = ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : nullptr;
    if (!o) o = KindTable[kSkinBarControlBar];
    if (!o) return;
    DrawSkinBarPart(SkinBarPart(o, "Frame"), Canvas, Rect, false);
    if (TSeSkinObject* g = SkinBarPart(o, "Grabber"))
        DrawSkinBarPart(
            g, Canvas,
            TRect{Rect.Left + 2, Rect.Top + 2, Rect.Left + 2 + g->Width(), Rect.Bottom - 2}, false);
}

} // namespace dvr::skin
