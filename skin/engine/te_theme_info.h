// The small records the skinned controls hand to a theme for each part they want painted,
// and the functions that build them. Portable: no platform headers.
#pragma once

#include "framework/types.h"

#include <cstdint>
#include <string>

namespace dvr::skin {

using fw::TPoint;
using fw::TRect;

class TteBitmap;

// DrawText flags the text records are made from and painted with.
constexpr uint32_t kDT_CENTER = 0x1, kDT_RIGHT = 0x2, kDT_VCENTER = 0x4, kDT_BOTTOM = 0x8,
                   kDT_WORDBREAK = 0x10, kDT_SINGLELINE = 0x20, kDT_CALCRECT = 0x400,
                   kDT_NOPREFIX = 0x800, kDT_RTLREADING = 0x20000;

// Options bits of TteTextInfo.
constexpr uint8_t ktoRightToLeft = 2, ktoNoPrefix = 4, ktoWordBreak = 8, ktoSingleLine = 16;

enum TteScrollOrientation : uint8_t { ksoHorizontal, ksoVertical };
enum TteTrackOrientation : uint8_t { ktoHorizontal, ktoVertical };
enum TteTickMark : uint8_t { ktbmBoth, ktbmBottomRight, ktbmTopLeft };
enum TteTabPosition : uint8_t { kttpTop, kttpBottom, kttpLeft, kttpRight };

struct TteTextInfo {
    TRect Rect;
    std::wstring Text;
    uint8_t Position = 0; // 3 x column + row
    uint8_t Options = 0;
    uint8_t Direction = 0; // 0 horizontal, 1 turned clockwise, 2 turned the other way
};

struct TteWindowInfo {
    TRect Rect;
    uint8_t Active = 0;
    uint16_t Buttons = 0; // bit k: caption button kind k shown
    TRect ClipRect;
    std::wstring Caption;
};

struct TteGroupInfo {
    TRect Rect;
    TRect CaptionRect;
    int32_t CaptionWidth = 0;
    std::wstring Caption;
    int32_t Reserved = 0;
};

struct TteBarCaptionInfo {
    TRect Rect;
    std::wstring Caption;
};

struct TteRectInfo {
    TRect Rect;
};

struct TteRectStateInfo {
    TRect Rect;
    uint8_t State = 0;
};

struct TteButtonInfo {
    TRect Rect;
    uint8_t State = 0;
    uint8_t Default = 0;
    uint8_t Flag = 0;
};

struct TteCheckBoxInfo {
    TRect Rect;
    uint8_t State = 0;
    uint8_t Check = 0; // 0 unchecked, 1 checked, 2 mixed
};

// Combo button (state, kind), scroll-bar button (state, part), track bar (orientation,
// tick marks), tab (position, state), tab scroll button (kind, state), panel button
// (kind, state).
struct TteTwoByteInfo {
    TRect Rect;
    uint8_t Byte1 = 0;
    uint8_t Byte2 = 0;
};

// Tab item: kind, state, active flag.
struct TteTabItemInfo {
    TRect Rect;
    uint8_t Byte1 = 0;
    uint8_t Byte2 = 0;
    uint8_t Byte3 = 0;
};

struct TteMenuItemInfo {
    TRect Rect;
    uint8_t ItemKind = 0; // 0 item, 1 separator, 2 and 3 scroll buttons
    uint8_t Byte2 = 0;
    uint8_t State = 0;
};

// Glyph records hold a bitmap they do not own.
struct TteGlyphInfo {
    TRect Rect;
    TteBitmap* Bitmap = nullptr;
    uint8_t State = 0;
};

struct TteMenuGlyphInfo {
    TRect Rect;
    TteBitmap* Bitmap = nullptr;
    uint8_t State = 0;
    uint8_t GlyphKind = 0; // 0 check, 1 radio, 2 sub-menu arrow, 3 image, 4 other
};

struct TteFormButtonInfo {
    TRect Rect;
    uint8_t Kind = 0;
    uint8_t State = 0; // 0 normal, 1 hot, 2 pressed
    TteBitmap* Bitmap = nullptr;
};

struct TteListCheckInfo {
    TRect Rect;
    uint8_t Kind = 4;
    TteBitmap* Bitmap = nullptr;
    uint8_t State = 0;
};

struct TteProgressInfo {
    TRect Rect;
    uint8_t Vertical = 0;
    int32_t Min = 0, Max = 0, From = 0, To = 0;
    uint8_t Flag = 0;
    int32_t Inset = 0;
};

struct TteHeaderSectionInfo {
    TRect Rect;
    uint8_t Kind = 0;
    uint8_t State = 0;
};

struct TteGridCellInfo {
    TRect Rect;
    uint8_t State = 0;
    uint8_t Fixed = 0;
};

TteTextInfo MakeTextInfo(TRect Rect, const std::wstring& Text, uint32_t Flags);
TteWindowInfo MakeWindowInfo(TRect Rect, bool Active, TRect ClipRect, const std::wstring& Caption,
                             uint16_t Buttons);
TteGlyphInfo MakeButtonGlyphInfo(TRect Rect, TteBitmap* Bitmap, uint8_t State);
TteFormButtonInfo MakeFormButtonInfo(TRect Rect, uint8_t Kind, uint8_t State, TteBitmap* Bitmap);
TteRectStateInfo MakeRectState(TRect Rect, uint8_t State);
TteRectStateInfo MakeEditInfo(TRect Rect, uint8_t State);
TteRectStateInfo MakeScrollBarInfo(TRect Rect, uint8_t State);
TteRectStateInfo MakeTrackBarThumbInfo(TRect Rect, uint8_t State);
TteRectStateInfo MakeListBoxItemInfo(TRect Rect, uint8_t State);
TteButtonInfo MakeButtonInfo(TRect Rect, uint8_t State, uint8_t Default, uint8_t Flag);
TteCheckBoxInfo MakeCheckBoxInfo(TRect Rect, uint8_t Check, uint8_t State);
TteTwoByteInfo MakeComboButtonInfo(TRect Rect, uint8_t State, uint8_t Kind);
TteTwoByteInfo MakeScrollBarButtonInfo(TRect Rect, uint8_t State, uint8_t Part);
TteTwoByteInfo MakeScrollBarThumbInfo(TRect Rect, uint8_t State, uint8_t Part);
TteTwoByteInfo MakeTrackBarInfo(TRect Rect, uint8_t Orientation, uint8_t TickMarks);
TteTwoByteInfo MakeTabInfo(TRect Rect, uint8_t Position, uint8_t State);
TteTwoByteInfo MakeTabButtonInfo(TRect Rect, uint8_t Kind, uint8_t State);
TteTabItemInfo MakeTabItemInfo(TRect Rect, uint8_t Kind, uint8_t State, uint8_t Active);
TteRectInfo MakeStatusBarRect(TRect Rect);
TteRectInfo MakeStatusPanelRect(TRect Rect);
TteRectInfo MakeMenuRect(TRect Rect);
TteRectInfo MakeControlBarRect(TRect Rect);
TteRectInfo MakeToolBarRect(TRect Rect);
TteRectInfo MakeListBoxRect(TRect Rect);
TteMenuItemInfo MakeMenuItemInfo(TRect Rect, uint8_t ItemKind, uint8_t Byte2, uint8_t State);
TteMenuGlyphInfo MakeMenuGlyphInfo(TRect Rect, TteBitmap* Bitmap, uint8_t State, uint8_t GlyphKind);
TteMenuGlyphInfo MakeMenuMarkInfo(TRect Rect, uint8_t GlyphKind);
TteListCheckInfo MakeListBoxCheckInfo(TRect Rect, uint8_t State);

// The rectangle at which PaintText draws a text of measured size (W, H) for Position.
TRect AlignTextRect(TRect Rect, int W, int H, uint8_t Position);
// The DrawText format of a record's options (right-to-left, no prefix, word break, single
// line); Position is mirrored for right-to-left.
uint32_t TextFormatOf(const TteTextInfo& Info, uint8_t& Position);

} // namespace dvr::skin
