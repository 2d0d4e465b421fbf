#include "skin/engine/te_theme_info.h"

namespace dvr::skin {

TteTextInfo MakeTextInfo(TRect Rect, const std::wstring& Text, uint32_t Flags) {
    TteTextInfo r;
    r.Rect = Rect;
    r.Text = Text;
    int row = (Flags & kDT_VCENTER) ? 1 : (Flags & kDT_BOTTOM) ? 2 : 0;
    int col = (Flags & kDT_CENTER) ? 1 : (Flags & kDT_RIGHT) ? 2 : 0;
    r.Position = uint8_t(3 * col + row);
    if (Flags & kDT_RTLREADING) r.Options |= ktoRightToLeft;
    if (Flags & kDT_NOPREFIX) r.Options |= ktoNoPrefix;
    if (Flags & kDT_SINGLELINE) r.Options |= ktoSingleLine;
    if (Flags & kDT_WORDBREAK) r.Options |= ktoWordBreak;
    return r;
}

TteWindowInfo MakeWindowInfo(TRect Rect, bool Active, TRect ClipRect, const std::wstring& Caption,
                             uint16_t Buttons) {
    return TteWindowInfo{Rect, uint8_t(Active ? 1 : 0), Buttons, ClipRect, Caption};
}

TteGlyphInfo MakeButtonGlyphInfo(TRect Rect, TteBitmap* Bitmap, uint8_t State) {
    return TteGlyphInfo{Rect, Bitmap, State};
}

TteFormButtonInfo MakeFormButtonInfo(TRect Rect, uint8_t Kind, uint8_t State, TteBitmap* Bitmap) {
    return TteFormButtonInfo{Rect, Kind, State, Bitmap};
}

TteRectStateInfo MakeRectState(TRect Rect, uint8_t State) {
    return TteRectStateInfo{Rect, State};
}
TteRectStateInfo MakeEditInfo(TRect Rect, uint8_t State) {
    return MakeRectState(Rect, State);
}
TteRectStateInfo MakeScrollBarInfo(TRect Rect, uint8_t State) {
    return MakeRectState(Rect, State);
}
TteRectStateInfo MakeTrackBarThumbInfo(TRect Rect, uint8_t State) {
    return MakeRectState(Rect, State);
}
TteRectStateInfo MakeListBoxItemInfo(TRect Rect, uint8_t State) {
    return MakeRectState(Rect, State);
}

TteButtonInfo MakeButtonInfo(TRect Rect, uint8_t State, uint8_t Default, uint8_t Flag) {
    return TteButtonInfo{Rect, State, Default, Flag};
}

TteCheckBoxInfo MakeCheckBoxInfo(TRect Rect, uint8_t Check, uint8_t State) {
    return TteCheckBoxInfo{Rect, State, Check};
}

TteTwoByteInfo MakeComboButtonInfo(TRect Rect, uint8_t State, uint8_t Kind) {
    return TteTwoByteInfo{Rect, State, Kind};
}
TteTwoByteInfo MakeScrollBarButtonInfo(TRect Rect, uint8_t State, uint8_t Part) {
    return TteTwoByteInfo{Rect, State, Part};
}
TteTwoByteInfo MakeScrollBarThumbInfo(TRect Rect, uint8_t State, uint8_t Part) {
    return TteTwoByteInfo{Rect, State, Part};
}
TteTwoByteInfo MakeTrackBarInfo(TRect Rect, uint8_t Orientation, uint8_t TickMarks) {
    return TteTwoByteInfo{Rect, Orientation, TickMarks};
}
TteTwoByteInfo MakeTabInfo(TRect Rect, uint8_t Position, uint8_t State) {
    return TteTwoByteInfo{Rect, Position, State};
}
TteTwoByteInfo MakeTabButtonInfo(TRect Rect, uint8_t Kind, uint8_t State) {
    return TteTwoByteInfo{Rect, Kind, State};
}
TteTabItemInfo MakeTabItemInfo(TRect Rect, uint8_t Kind, uint8_t State, uint8_t Active) {
    return TteTabItemInfo{Rect, Kind, State, Active};
}

TteRectInfo MakeStatusBarRect(TRect Rect) {
    return TteRectInfo{Rect};
}
TteRectInfo MakeStatusPanelRect(TRect Rect) {
    return TteRectInfo{Rect};
}
TteRectInfo MakeMenuRect(TRect Rect) {
    return TteRectInfo{Rect};
}
TteRectInfo MakeControlBarRect(TRect Rect) {
    return TteRectInfo{Rect};
}
TteRectInfo MakeToolBarRect(TRect Rect) {
    return TteRectInfo{Rect};
}
TteRectInfo MakeListBoxRect(TRect Rect) {
    return TteRectInfo{Rect};
}

TteMenuItemInfo MakeMenuItemInfo(TRect Rect, uint8_t ItemKind, uint8_t Byte2, uint8_t State) {
    return TteMenuItemInfo{Rect, ItemKind, Byte2, State};
}

TteMenuGlyphInfo MakeMenuGlyphInfo(TRect Rect, TteBitmap* Bitmap, uint8_t State,
                                   uint8_t GlyphKind) {
    return TteMenuGlyphInfo{Rect, Bitmap, State, GlyphKind};
}

TteMenuGlyphInfo MakeMenuMarkInfo(TRect Rect, uint8_t GlyphKind) {
    return TteMenuGlyphInfo{Rect, nullptr, 4, GlyphKind};
}

TteListCheckInfo MakeListBoxCheckInfo(TRect Rect, uint8_t State) {
    return TteListCheckInfo{Rect, 4, nullptr, State};
}

TRect AlignTextRect(TRect Rect, int W, int H, uint8_t Position) {
    int row = Position % 3, col = Position / 3;
    int RW = Rect.Right - Rect.Left, RH = Rect.Bottom - Rect.Top;
    int dy = row == 1 ? (RH - H) / 2 : row == 2 ? RH - H : 0;
    int dx = col == 1 ? (RW - W) / 2 : col == 2 ? RW - W : 0;
    return TRect{Rect.Left + dx, Rect.Top + dy, Rect.Left + dx + W, Rect.Top + dy + H};
}

uint32_t TextFormatOf(const TteTextInfo& Info, uint8_t& Position) {
    uint32_t format = 0;
    Position = Info.Position;
    if (Info.Options & ktoRightToLeft) {
        if (Position <= 2) Position = uint8_t(Position + 6);
        format |= kDT_RTLREADING;
    }
    if (Info.Options & ktoNoPrefix) format |= kDT_NOPREFIX;
    if (Info.Options & ktoWordBreak) format |= kDT_WORDBREAK;
    if (Info.Options & ktoSingleLine) format |= kDT_SINGLELINE;
    return format;
}

} // namespace dvr::skin
