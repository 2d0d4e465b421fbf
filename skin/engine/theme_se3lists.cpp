// The skin theme's tabs, list-box, tree and grid groups. A skin may hold one "Tab" part
// only: bottom, left and right tabs are then drawn from it turned to face their side.
#include "skin/engine/theme_se3.h"

#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_utils_win.h"

namespace dvr::skin {

namespace {

constexpr int kSe3Tabs = 18, kSe3Grid = 25, kSe3ListBox = 26, kSe3CheckBox = 6;

TSeSkinObject* Se3ListPart(TSeSkinObject* O, const char* Name) {
    return O ? O->FindChildObject(Name) : nullptr;
}

void Se3ListDrawAt(TSeSkinObject* Part, TCanvas& Canvas, TRect Rect, uint8_t State = kssNormal) {
    if (!Part) return;
    Part->SetState(State);
    Part->SetBoundsRect(Rect);
    TSeFwCanvas c(Canvas);
    Part->Draw(c, NullRect);
}

// Item states 2 and 3 (selected, focused) draw focused, 4 disabled.
uint8_t Se3ItemState(uint8_t S) {
    return S == 2 || S == 3 ? kssFocused : S == 4 ? kssDisabled : kssNormal;
}

// A skin object drawn into a bitmap of its own at (0, 0); its bounds are put back after.
void Se3RenderPart(TSeSkinObject* Part, TteBitmap& Into, int W, int H, uint8_t State) {
    Into.SetSize(W, H);
    Into.FillColor(0);
    fw::TCanvas c;
    c.SetHandle(static_cast<HDC>(Into.DC));
    const TRect old = Part->BoundsRect();
    Se3ListDrawAt(Part, c, TRect{0, 0, W, H}, State);
    Part->SetBoundsRect(old);
    c.SetHandle(nullptr);
}

} // namespace

// ---- Tabs ----

bool TTeSkinFile::HasTabsStyle(int Kind, const TObj&) {
    return (Kind == 0 || Kind == 1) && KindTable[kSe3Tabs] != nullptr;
}

void TTeSkinFile::GetTabsContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = TRect{Rect.Left + 2, Rect.Top + 2, Rect.Right - 2, Rect.Bottom - 2};
}

void TTeSkinFile::PaintTabsFrame(int, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) {
    Se3ListDrawAt(Se3ListPart(ObjectFor(ThemeObject, kSe3Tabs), "Frame"), Canvas, Rect);
}

void TTeSkinFile::PaintTab(int, TCanvas& Canvas, const TObj& ThemeObject,
                           const TteTabItemInfo& Tab, const TteTwoByteInfo& Tabs) {
    TSeSkinObject* o = ObjectFor(ThemeObject, kSe3Tabs);
    if (!o) return;
    const uint8_t position = Tabs.Byte1;
    static const char* const sides[] = {"TabTop", "TabBottom", "TabLeft", "TabRight"};
    TSeSkinObject* part = position < 4 ? Se3ListPart(o, sides[position]) : nullptr;
    bool generic = false;
    if (!part) {
        part = Se3ListPart(o, "Tab");
        generic = true;
    }
    if (!part) return;
    const uint8_t st = Tab.Byte2 == 2 ? kssDisabled
                       : Tab.Byte3    ? kssFocused
                       : Tab.Byte2 == 1 ? kssHot
                                        : kssNormal;
    const TRect& r = Tab.Rect;
    if (!generic || position == 0 || position > 3) {
        Se3ListDrawAt(part, Canvas, r, st);
        return;
    }
    const int w = r.Width(), h = r.Height();
    if (w <= 0 || h <= 0) return;
    // The top-facing tab, turned: flipped for the bottom, its top edge to the left or right.
    TteBitmap first, second;
    const bool across = position == 2 || position == 3;
    Se3RenderPart(part, first, across ? h : w, across ? w : h, st);
    const int fw_ = first.Width, fh = first.Height;
    second.SetSize(w, h);
    for (int y = 0; y < fh; ++y)
        for (int x = 0; x < fw_; ++x) {
            TteColor p = first.GetPixel(x, y);
            if (position == 1)
                second.SetPixel(x, fh - 1 - y, p);
            else if (position == 2)
                second.SetPixel(y, fw_ - 1 - x, p);
            else
                second.SetPixel(fh - 1 - y, x, p);
        }
    DrawCanvas(second, Canvas, r.Left, r.Top);
}

void TTeSkinFile::PaintTabScrollButton(int, TCanvas& Canvas, const TObj& ThemeObject,
                                       const TteTwoByteInfo& Button) {
    TSeSkinObject* o = ObjectFor(ThemeObject, kSe3Tabs);
    const uint8_t s = Button.Byte2;
    const uint8_t st = s == 1 ? kssHot : s == 2 ? kssPressed : s == 3 ? kssDisabled : kssNormal;
    Se3ListDrawAt(Se3ListPart(o, Button.Byte1 == 1 ? "LeftButton" : "RightButton"), Canvas,
                  Button.Rect, st);
}

void TTeSkinFile::PaintTabText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                               const TteTextInfo& TextInfo, const TteTabItemInfo& Tab,
                               const TteTwoByteInfo& Tabs) {
    // Left tabs read upwards, right tabs downwards.
    TteTextInfo t = TextInfo;
    if (Tabs.Byte1 == 2) t.Direction = 2;
    if (Tabs.Byte1 == 3) t.Direction = 1;
    TteTheme::PaintTabText(Kind, Canvas, ThemeObject, t, Tab, Tabs);
}

// ---- ListBox ----

bool TTeSkinFile::HasListBoxStyle(int Kind, const TObj&) {
    return Kind == 0 && KindTable[kSe3ListBox] != nullptr;
}

void TTeSkinFile::GetListBoxContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    TSeSkinObject* f = Se3ListPart(KindTable[kSe3ListBox], "Frame");
    if (!f) return;
    f->SetBoundsRect(Rect);
    Content = TRect{Rect.Left + f->MarginLeft, Rect.Top + f->MarginTop, Rect.Right - f->MarginRight,
                    Rect.Bottom - f->MarginBottom};
}

void TTeSkinFile::PaintListBoxFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    Se3ListDrawAt(Se3ListPart(KindTable[kSe3ListBox], "Frame"), Canvas, Rect);
}

void TTeSkinFile::PaintListBoxItem(int, TCanvas& Canvas, const TObj&,
                                   const TteRectStateInfo& Item) {
    Se3ListDrawAt(Se3ListPart(KindTable[kSe3ListBox], "Item"), Canvas, Item.Rect,
                  Se3ItemState(Item.State));
}

// The check record's state byte is the check kind: 0 checked, 1 unchecked, 2 mixed, 3 the
// record's image. The mark keeps its size, centred, in whatever state it has.
void TTeSkinFile::PaintListBoxCheck(int, TCanvas& Canvas, const TObj&,
                                    const TteListCheckInfo& Check, const TteRectStateInfo&) {
    const TRect& r = Check.Rect;
    if (Check.State == 3) {
        if (Check.Bitmap && !Check.Bitmap->IsEmpty())
            DrawCanvas(*Check.Bitmap, Canvas, r.Left + (r.Width() - Check.Bitmap->Width) / 2,
                       r.Top + (r.Height() - Check.Bitmap->Height) / 2);
        return;
    }
    auto find = [&](const char* name) {
        TSeSkinObject* p = Se3ListPart(KindTable[kSe3ListBox], name);
        return p ? p : Se3ListPart(KindTable[kSe3CheckBox], name);
    };
    TSeSkinObject* p = nullptr;
    if (Check.State == 0) p = find("Checked");
    if (Check.State == 1) p = find("Unchecked");
    if (Check.State == 2) {
        p = find("Mixed");
        if (!p) p = find("Checked");
    }
    if (!p) return;
    const int w = p->Width(), h = p->Height();
    const int x = r.Left + (r.Width() - w) / 2, y = r.Top + (r.Height() - h) / 2;
    p->SetBoundsRect(TRect{x, y, x + w, y + h});
    TSeFwCanvas c(Canvas);
    p->Draw(c, NullRect);
}

// ---- Tree ----

bool TTeSkinFile::HasTreeStyle(int Kind, const TObj&) {
    return Kind == 0 && KindTable[kSe3ListBox] != nullptr;
}

void TTeSkinFile::GetTreeContentRect(int, TRect, TRect&, const TObj&) {}

void TTeSkinFile::PaintTreeFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    Se3ListDrawAt(Se3ListPart(KindTable[kSe3ListBox], "Frame"), Canvas, Rect);
}

void TTeSkinFile::PaintTreeItem(int, TCanvas& Canvas, const TObj&, const TteRectStateInfo& Item) {
    Se3ListDrawAt(Se3ListPart(KindTable[kSe3ListBox], "Item"), Canvas, Item.Rect,
                  Se3ItemState(Item.State));
}

// ---- Grid ----

bool TTeSkinFile::HasGridStyle(int Kind, const TObj&) {
    return Kind == 0 && KindTable[kSe3Grid] != nullptr;
}

void TTeSkinFile::GetGridContentRect(int, TRect, TRect&, const TObj&) {}

void TTeSkinFile::PaintGridFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    Se3ListDrawAt(Se3ListPart(KindTable[kSe3Grid], "Frame"), Canvas, Rect);
}

void TTeSkinFile::PaintGridCell(int, TCanvas& Canvas, const TObj&, const TteGridCellInfo& Cell) {
    const uint8_t s = Cell.State;
    const uint8_t st = s == 1 ? kssHot : s == 2 || s == 3 ? kssFocused : s == 4 ? kssDisabled
                                                                                : kssNormal;
    Se3ListDrawAt(Se3ListPart(KindTable[kSe3Grid], Cell.Fixed == 1 ? "Fixed" : "Cell"), Canvas,
                  Cell.Rect, st);
}

} // namespace dvr::skin
