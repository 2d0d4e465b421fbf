#include "skin/engine/theme_se3.h"

#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_pixels.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace dvr::skin {
namespace {

using fw::TRect;

TteColor GroupsPx(TColor c) {
    return ColorToPixel(c, 255);
}

template <class T = TSeSkinObject>
T* Obj(TSeSkinObject* owner, const char* name, TColor c, int w = 0, int h = 0,
       TSeAlign a = TSeAlign::saNone) {
    auto* o = new T(owner);
    o->SetName(name);
    o->Align = a;
    o->Color = c;
    o->SetBoundsDirect(TRect{0, 0, w, h});
    return o;
}

TSeSkinObject* Top(TSeSkinSource& src, const char* name) {
    auto* o = Obj(nullptr, name, fw::clNone);
    src.AddObject(o);
    return o;
}

// One object per group, each part a colour of its own; the tab is an image whose top
// three rows are red and the rest blue, so turned tabs show which way they face.
std::string MakeGroupsSkin() {
    TSeSkinSource src;
    auto* tabImg = new TteBitmap();
    tabImg->Name = "tab";
    tabImg->SetSize(10, 10);
    tabImg->FillColor(GroupsPx(fw::clBlue));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 10; ++x) tabImg->SetPixel(x, y, GroupsPx(fw::clRed));
    src.Images.Add(tabImg);

    auto* container = Top(src, "Container");
    auto* panel = Obj(container, "Panel", 0x000080);
    panel->MarginLeft = 3;
    panel->MarginTop = 4;
    panel->MarginRight = 5;
    panel->MarginBottom = 6;
    Top(src, "Splitter")->Color = 0x008000;

    auto* bar = Top(src, "ScrollBar");
    auto* topButton = Obj<TSeColorButtonObject>(bar, "TopButton", 0x101010);
    topButton->PressedColor = 0x202020;
    topButton->HotColor = 0x303030;
    Obj(bar, "VertSlider", 0x404040);
    Obj(bar, "HorzSlider", 0x505050);
    Obj(bar, "VertFrame", 0x606060);
    Obj(bar, "HorzFrame", 0x707070);
    Obj(Top(src, "ScrollBox"), "Frame", 0x808000);

    auto* header = Top(src, "Header");
    Obj(header, "Frame", 0x800080);
    auto* section = Obj<TSeColorButtonObject>(header, "Section", 0xA0A0A0);
    section->PressedColor = 0x0000A0;
    section->HotColor = 0x00A000;
    section->DisabledColor = 0xA00000;

    auto* edit = Top(src, "Edit");
    auto* eframe = Obj<TSeColorButtonObject>(edit, "Frame", 0x0080FF);
    eframe->HotColor = 0x00FF80;
    eframe->DisabledColor = 0x808080;
    Obj(edit, "Button", 0xFF8000);
    Obj(Top(src, "ComboBox"), "Button", 0x8000FF);
    Obj(Top(src, "GroupBox"), "Frame", 0x00C0C0);

    auto* menu = Top(src, "MenuBar");
    Obj(menu, "Frame", 0xC000C0);
    auto* mitem = Obj<TSeColorButtonObject>(menu, "Item", 0xC0C000);
    mitem->FocusedColor = 0x00C000;
    Obj(menu, "Min", 0x0000C0, 6, 6);
    auto* popup = Top(src, "PopupMenu");
    Obj(popup, "Frame", 0x400040);
    Obj(popup, "Item", 0x404000);
    Obj(popup, "upbutton", 0x004040);

    auto* pnl = Top(src, "Panel");
    Obj(pnl, "Frame", 0x202080);
    auto* cap = Obj(pnl, "Caption", 0x208020);
    cap->Masked = true;
    Obj(pnl, "ButtonHide", 0x802020);
    auto* named = Top(src, "OtherPanel");
    Obj(named, "Frame", 0x20C0C0);

    auto* tabs = Top(src, "Tabs");
    Obj(tabs, "Frame", 0xC0C0C0);
    auto* tab = Obj<TSeBitmapObject>(tabs, "Tab", fw::clWhite);
    tab->Bitmap->Name = "tab";
    tab->Bitmap->Rect = TRect{0, 0, 10, 10};
    tab->TileStyle = TscTileStyle::tsStretch;
    Obj(tabs, "LeftButton", 0x112233);
    Obj(tabs, "RightButton", 0x332211);

    auto* list = Top(src, "ListBox");
    auto* lframe = Obj(list, "Frame", 0xFFFFFF);
    lframe->MarginLeft = lframe->MarginTop = lframe->MarginRight = lframe->MarginBottom = 2;
    auto* litem = Obj<TSeColorButtonObject>(list, "Item", 0xF0F0F0);
    litem->FocusedColor = 0x800000;
    litem->DisabledColor = 0x808080;
    Obj(list, "Checked", 0x0000FF, 5, 5);
    auto* check = Top(src, "Checkbox");
    Obj(check, "Unchecked", 0x00FF00, 5, 5);

    // A named button whose "Text" part has its own hot font.
    auto* named_button = Top(src, "BigButton");
    auto* text = Obj<TSeTextObject>(named_button, "Text", fw::clNone);
    text->Font.Color = 0x00FF00;
    text->Font.Size = 20;
    text->FontHot.Color = 0x0000FF;
    text->FontHot.Size = 20;

    auto* grid = Top(src, "Grid");
    Obj(grid, "Frame", 0x102030);
    Obj(grid, "Cell", 0x203040);
    Obj(grid, "Fixed", 0x304050);

    fw::TMemoryStream s;
    src.SaveToStream(s);
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

struct GroupsSurface {
    GroupsSurface(int w, int h) {
        bmp.SetSize(w, h);
        bmp.FillColor(0);
        canvas.SetHandle(static_cast<HDC>(bmp.DC));
    }
    ~GroupsSurface() { canvas.SetHandle(nullptr); }
    TteColor At(int x, int y) { return bmp.GetPixel(x, y) | 0xFF000000u; }
    TteBitmap bmp;
    fw::TCanvas canvas;
};

class SkinGroups : public ::testing::Test {
protected:
    void SetUp() override {
        InitSkinThemeUnit();
        std::string data = MakeGroupsSkin();
        fw::TMemoryStream in(data.data(), data.size());
        ASSERT_TRUE(skin.LoadFromStream(in));
    }
    TTeSkinFile skin;
    const std::string d = "default";
};

TEST_F(SkinGroups, EveryGroupReportsItsStyle) {
    EXPECT_TRUE(skin.HasStaticTextStyle(0, d));
    EXPECT_TRUE(skin.HasContainerStyle(0, d));
    EXPECT_FALSE(skin.HasContainerStyle(1, d));
    EXPECT_TRUE(skin.HasSplitterStyle(0, d));
    EXPECT_TRUE(skin.HasScrollBarStyle(0, d));
    EXPECT_TRUE(skin.HasHeaderStyle(0, d));
    EXPECT_TRUE(skin.HasEditStyle(0, d));
    EXPECT_TRUE(skin.HasEditStyle(1, d));
    EXPECT_TRUE(skin.HasGroupBoxStyle(0, d));
    EXPECT_TRUE(skin.HasEditAreaStyle(0, d));
    EXPECT_TRUE(skin.HasMenuStyle(0, d));
    EXPECT_TRUE(skin.HasMenuStyle(1, d));
    EXPECT_TRUE(skin.HasMenuStyle(2, d));
    EXPECT_FALSE(skin.HasPanelStyle(0, d));
    EXPECT_TRUE(skin.HasPanelStyle(1, d));
    EXPECT_TRUE(skin.HasPanelCaption(1, d));
    EXPECT_TRUE(skin.HasTabsStyle(0, d));
    EXPECT_TRUE(skin.HasTabsStyle(1, d));
    EXPECT_TRUE(skin.HasListBoxStyle(0, d));
    EXPECT_TRUE(skin.HasTreeStyle(0, d));
    EXPECT_TRUE(skin.HasGridStyle(0, d));

    TRect c{0, 0, 0, 0};
    skin.GetContainerContentRect(0, TRect{0, 0, 50, 40}, c, d);
    EXPECT_EQ(c, (TRect{3, 4, 45, 34}));
    skin.GetEditContentRect(0, TRect{0, 0, 50, 40}, c, d);
    EXPECT_EQ(c, (TRect{4, 4, 46, 36}));
    skin.GetTabsContentRect(0, TRect{0, 0, 50, 40}, c, d);
    EXPECT_EQ(c, (TRect{2, 2, 48, 38}));
    skin.GetListBoxContentRect(0, TRect{0, 0, 50, 40}, c, d);
    EXPECT_EQ(c, (TRect{2, 2, 48, 38}));
    TRect m{9, 9, 9, 9};
    skin.GetMenuContentRect(1, TRect{0, 0, 50, 40}, m, d); // tool-bar menus have no frame
    EXPECT_EQ(m, (TRect{0, 0, 50, 40}));
}

// One request per group, each answered by the part's own colour.
TEST_F(SkinGroups, EveryGroupPaintsItsParts) {
    struct Case {
        const char* what;
        std::function<void(TCanvas&)> paint;
        TColor expect;
    };
    const TRect r{0, 0, 20, 20};
    const std::vector<Case> cases = {
        {"container", [&](TCanvas& c) { skin.PaintContainer(0, c, d, r); }, 0x000080},
        {"splitter", [&](TCanvas& c) { skin.PaintSplitter(0, c, d, r); }, 0x008000},
        {"scroll frame", [&](TCanvas& c) { skin.PaintScrollBarFrame(0, c, d, MakeRectState(r, 0)); },
         0x808000},
        {"scroll up pressed",
         [&](TCanvas& c) {
             skin.PaintScrollBarButton(0, c, d, MakeScrollBarButtonInfo(r, 1, 0),
                                       MakeScrollBarInfo(r, 1));
         },
         0x202020},
        {"scroll up hot",
         [&](TCanvas& c) {
             skin.PaintScrollBarButton(0, c, d, MakeScrollBarButtonInfo(r, 2, 0),
                                       MakeScrollBarInfo(r, 1));
         },
         0x303030},
        {"vertical thumb",
         [&](TCanvas& c) {
             skin.PaintScrollBarButton(0, c, d, MakeScrollBarButtonInfo(r, 0, 8),
                                       MakeScrollBarInfo(r, 1));
         },
         0x404040},
        {"horizontal thumb",
         [&](TCanvas& c) {
             skin.PaintScrollBarButton(0, c, d, MakeScrollBarButtonInfo(r, 0, 8),
                                       MakeScrollBarInfo(r, 0));
         },
         0x505050},
        {"vertical track",
         [&](TCanvas& c) { skin.PaintScrollBarTrack(0, c, d, MakeRectState(TRect{5, 0, 15, 20}, 1)); },
         0x606060},
        {"header frame", [&](TCanvas& c) { skin.PaintHeaderFrame(0, c, d, r); }, 0x800080},
        {"section pressed (under drag)",
         [&](TCanvas& c) { skin.PaintHeaderSection(0, c, d, TteHeaderSectionInfo{r, 0, 5}); },
         0x0000A0},
        {"section hot (dragging)",
         [&](TCanvas& c) { skin.PaintHeaderSection(0, c, d, TteHeaderSectionInfo{r, 0, 3}); },
         0x00A000},
        {"section disabled (dragged out)",
         [&](TCanvas& c) { skin.PaintHeaderSection(0, c, d, TteHeaderSectionInfo{r, 0, 2}); },
         0xA00000},
        {"edit frame hot", [&](TCanvas& c) { skin.PaintEditFrame(0, c, d, MakeEditInfo(r, 1)); },
         0x00FF80},
        {"edit frame disabled",
         [&](TCanvas& c) { skin.PaintEditFrame(1, c, d, MakeEditInfo(r, 3)); }, 0x808080},
        {"edit selection falls back to the highlight colour",
         [&](TCanvas& c) { skin.PaintEditSelection(0, c, d, MakeRectState(r, 0)); },
         TColor(::GetSysColor(COLOR_HIGHLIGHT))},
        {"combo button",
         [&](TCanvas& c) { skin.PaintComboButton(0, c, d, MakeComboButtonInfo(r, 0, 0), {}); },
         0x8000FF},
        {"edit's button",
         [&](TCanvas& c) { skin.PaintComboButton(0, c, d, MakeComboButtonInfo(r, 0, 3), {}); },
         0xFF8000},
        {"edit area",
         [&](TCanvas& c) { skin.PaintEditAreaFrame(0, c, d, MakeEditInfo(r, 1)); }, 0x0080FF},
        {"menu bar frame", [&](TCanvas& c) { skin.PaintMenuFrame(0, c, d, r); }, 0xC000C0},
        {"tool-bar menu frame falls back", [&](TCanvas& c) { skin.PaintMenuFrame(1, c, d, r); },
         0xC000C0},
        {"popup frame", [&](TCanvas& c) { skin.PaintMenuFrame(2, c, d, r); }, 0x400040},
        {"menu item selected",
         [&](TCanvas& c) { skin.PaintMenuItem(0, c, d, MakeMenuItemInfo(r, 0, 0, 1)); }, 0x00C000},
        {"popup item", [&](TCanvas& c) { skin.PaintMenuItem(2, c, d, MakeMenuItemInfo(r, 0, 0, 0)); },
         0x404000},
        {"panel", [&](TCanvas& c) { skin.PaintPanel(1, c, d, r); }, 0x202080},
        {"named panel", [&](TCanvas& c) { skin.PaintPanel(1, c, "otherpanel", r); }, 0x20C0C0},
        {"named panel lacking a caption falls back",
         [&](TCanvas& c) { skin.PaintPanelCaption(1, c, "OtherPanel", TteBarCaptionInfo{r, L""}); },
         0x208020},
        {"panel hide button",
         [&](TCanvas& c) {
             skin.PaintPanelButton(1, c, d, TteTwoByteInfo{r, 0, 0});
         },
         0x802020},
        {"tabs frame", [&](TCanvas& c) { skin.PaintTabsFrame(0, c, d, r); }, 0xC0C0C0},
        {"tab left button",
         [&](TCanvas& c) { skin.PaintTabScrollButton(0, c, d, MakeTabButtonInfo(r, 1, 0)); },
         0x112233},
        {"tab right button",
         [&](TCanvas& c) { skin.PaintTabScrollButton(0, c, d, MakeTabButtonInfo(r, 4, 0)); },
         0x332211},
        {"list frame", [&](TCanvas& c) { skin.PaintListBoxFrame(0, c, d, r); }, 0xFFFFFF},
        {"list item selected",
         [&](TCanvas& c) { skin.PaintListBoxItem(0, c, d, MakeListBoxItemInfo(r, 2)); }, 0x800000},
        {"list item disabled",
         [&](TCanvas& c) { skin.PaintListBoxItem(0, c, d, MakeListBoxItemInfo(r, 4)); }, 0x808080},
        {"tree item focused",
         [&](TCanvas& c) { skin.PaintTreeItem(0, c, d, MakeListBoxItemInfo(r, 3)); }, 0x800000},
        {"tree frame", [&](TCanvas& c) { skin.PaintTreeFrame(0, c, d, r); }, 0xFFFFFF},
        {"grid frame", [&](TCanvas& c) { skin.PaintGridFrame(0, c, d, r); }, 0x102030},
        {"grid cell", [&](TCanvas& c) { skin.PaintGridCell(0, c, d, TteGridCellInfo{r, 0, 0}); },
         0x203040},
        {"grid fixed cell",
         [&](TCanvas& c) { skin.PaintGridCell(0, c, d, TteGridCellInfo{r, 0, 1}); }, 0x304050},
    };
    for (const Case& k : cases) {
        GroupsSurface s(20, 20);
        k.paint(s.canvas);
        EXPECT_EQ(s.At(10, 10), GroupsPx(k.expect)) << k.what;
    }
}

TEST_F(SkinGroups, NamedButtonsTakeTheirTextPartsFonts) {
    auto count = [](GroupsSurface& s, TColor c) {
        int n = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x) n += s.At(x, y) == GroupsPx(c);
        return n;
    };
    const TteTextInfo t = MakeTextInfo(TRect{0, 0, 120, 40}, L"WWW", DT_CENTER | DT_VCENTER |
                                                                         DT_SINGLELINE);
    GroupsSurface normal(120, 40), hot(120, 40);
    skin.PaintButtonText(0, normal.canvas, "BigButton", t, MakeButtonInfo(t.Rect, 0, 0, 0));
    skin.PaintButtonText(0, hot.canvas, "BigButton", t, MakeButtonInfo(t.Rect, 1, 0, 0));
    EXPECT_GT(count(normal, 0x00FF00), 20);
    EXPECT_EQ(count(normal, 0x0000FF), 0);
    EXPECT_GT(count(hot, 0x0000FF), 20);
}

TEST_F(SkinGroups, ScrollBarPartsOutsideTheTableDrawNothing) {
    GroupsSurface s(20, 20);
    skin.PaintScrollBarButton(0, s.canvas, d, MakeScrollBarButtonInfo(TRect{0, 0, 20, 20}, 0, 2),
                              MakeScrollBarInfo(TRect{0, 0, 20, 20}, 1));
    EXPECT_EQ(s.At(10, 10), 0xFF000000u);
}

TEST_F(SkinGroups, GroupBoxCaptionKeepsWhatWasUnderIt) {
    GroupsSurface s(120, 60);
    TteGroupInfo g;
    g.Rect = TRect{0, 0, 120, 60};
    g.CaptionWidth = 30;
    TRect cap;
    skin.GetGroupBoxCaptionRect(0, s.canvas, cap, d, g);
    const int h = s.canvas.TextHeight("W");
    EXPECT_EQ(cap, (TRect{10, 0, 40, h}));
    FillRectColor(s.canvas, TRect{0, 0, 120, 60}, 0x123456);
    skin.PaintGroupBox(0, s.canvas, d, g);
    EXPECT_EQ(s.At(20, h / 2 + 1), GroupsPx(0x123456)); // under the caption
    EXPECT_EQ(s.At(60, h / 2 + 1), GroupsPx(0x00C0C0)); // the frame beside it
    EXPECT_EQ(s.At(60, 0), GroupsPx(0x123456));         // above the frame's top
}

TEST_F(SkinGroups, MenuSeparatorsAndScrollArrows) {
    // A bar separator without its own part is the item part with a line in its font colour.
    GroupsSurface s(40, 9);
    skin.PaintMenuItem(0, s.canvas, d, MakeMenuItemInfo(TRect{0, 0, 40, 9}, 1, 0, 0));
    EXPECT_EQ(s.At(20, 1), GroupsPx(0xC0C000));
    EXPECT_NE(s.At(20, 3), GroupsPx(0xC0C000)); // the line at the middle
    EXPECT_EQ(s.At(1, 3), GroupsPx(0xC0C000));  // inset 3 at the ends

    // A popup's scroll-up button: its part, and an arrow pointing up in the middle.
    GroupsSurface u(21, 12);
    skin.PaintMenuItem(2, u.canvas, d, MakeMenuItemInfo(TRect{0, 0, 21, 12}, 2, 0, 0));
    EXPECT_EQ(u.At(1, 1), GroupsPx(0x004040));
    EXPECT_NE(u.At(10, 6), GroupsPx(0x004040)); // arrow body
    EXPECT_EQ(u.At(7, 4), GroupsPx(0x004040));  // beside the apex

    // A maximized child's minimize button on the bar: the "Min" part at its size, centred.
    GroupsSurface g(20, 20);
    TteMenuGlyphInfo glyph = MakeMenuGlyphInfo(TRect{0, 0, 20, 20}, nullptr, 0, 13);
    skin.PaintMenuItemGlyph(0, g.canvas, d, glyph, MakeMenuItemInfo(TRect{0, 0, 20, 20}, 0, 0, 0));
    EXPECT_EQ(g.At(10, 10), GroupsPx(0x0000C0));
    EXPECT_EQ(g.At(6, 6), 0xFF000000u);
}

TEST_F(SkinGroups, TabsFaceTheirSide) {
    // The image's red top edge: at the top of a top tab, the bottom of a bottom tab, the
    // left of a left tab and the right of a right tab.
    struct Side {
        uint8_t position;
        TRect rect;
        TPoint red, blue;
    };
    const Side sides[] = {
        {0, TRect{0, 0, 20, 10}, TPoint{10, 0}, TPoint{10, 9}},
        {1, TRect{0, 0, 20, 10}, TPoint{10, 9}, TPoint{10, 0}},
        {2, TRect{0, 0, 10, 20}, TPoint{0, 10}, TPoint{9, 10}},
        {3, TRect{0, 0, 10, 20}, TPoint{9, 10}, TPoint{0, 10}},
    };
    for (const Side& k : sides) {
        GroupsSurface s(20, 20);
        skin.PaintTab(0, s.canvas, d, MakeTabItemInfo(k.rect, 1, 0, 0),
                      MakeTabInfo(TRect{0, 0, 20, 20}, k.position, 1));
        EXPECT_EQ(s.At(k.red.X, k.red.Y), GroupsPx(fw::clRed)) << int(k.position);
        EXPECT_EQ(s.At(k.blue.X, k.blue.Y), GroupsPx(fw::clBlue)) << int(k.position);
    }
}

TEST_F(SkinGroups, ListChecksKeepTheirSizeAndBorrowFromTheCheckBox) {
    struct Mark {
        uint8_t kind;
        TColor colour;
    };
    const Mark marks[] = {{0, 0x0000FF}, {1, 0x00FF00}, {2, 0x0000FF}};
    for (const Mark& k : marks) {
        GroupsSurface s(15, 15);
        skin.PaintListBoxCheck(0, s.canvas, d, MakeListBoxCheckInfo(TRect{0, 0, 15, 15}, k.kind),
                               MakeListBoxItemInfo(TRect{0, 0, 15, 15}, 0));
        EXPECT_EQ(s.At(7, 7), GroupsPx(k.colour)) << int(k.kind);
        EXPECT_EQ(s.At(5, 5), GroupsPx(k.colour)) << int(k.kind);
        EXPECT_EQ(s.At(4, 4), 0xFF000000u) << int(k.kind);
        EXPECT_EQ(s.At(10, 10), 0xFF000000u) << int(k.kind);
    }
}

} // namespace
} // namespace dvr::skin
