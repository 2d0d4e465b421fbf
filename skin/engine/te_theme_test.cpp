#include "skin/engine/te_theme.h"

#include "common/win/textconv.h"
#include "framework/exceptions.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/ui_test_controls.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_pixels.h"
#include "skin/engine/te_theme_test_support.h"
#include "skin/engine/theme_flat.h"
#include "skin/engine/theme_officexp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

namespace dvr::skin {

namespace testing {

bool TTestFileTheme::LoadFromFile(const std::string& FileName) {
    std::ifstream in(std::filesystem::path(win::GbkToWide(FileName)), std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fw::TMemoryStream s;
    if (!data.empty()) s.WriteBuffer(data.data(), data.size());
    s.SetPosition(0);
    return LoadFromStream(s);
}

std::string TestThemeBytes(const std::string& Title) {
    fw::TMemoryStream s;
    s.WriteBuffer("TST1", 4);
    WriteString(s, Title);
    s.SetPosition(0);
    std::string out(size_t(s.Size()), '\0');
    s.ReadBuffer(out.data(), out.size());
    return out;
}

bool WriteFileBytes(const std::string& Name, const std::string& Bytes) {
    std::ofstream out(std::filesystem::path(win::GbkToWide(Name)), std::ios::binary);
    out.write(Bytes.data(), std::streamsize(Bytes.size()));
    return bool(out);
}

} // namespace testing

namespace {

using namespace testing;

class ThemeManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestThemes();
        InitOfficeXPThemeUnit();
        ClearCurrentTheme();
    }
    void TearDown() override { ClearCurrentTheme(); }
};

TEST_F(ThemeManagerTest, ThemeClassesAreRegisteredInOrderAndFoundByExactName) {
    ASSERT_GE(ThemeClassCount(), 3);
    EXPECT_EQ(ThemeClassByIndex(0), TteTheme::StaticClass());
    int flat = -1, xp = -1;
    for (int i = 0; i < ThemeClassCount(); ++i) {
        if (ThemeClassByIndex(i) == TTeFlatTheme::StaticClass()) flat = i;
        if (ThemeClassByIndex(i) == TTeOfficeXPTheme::StaticClass()) xp = i;
    }
    EXPECT_GT(flat, 0);
    EXPECT_GT(xp, flat);
    EXPECT_EQ(ThemeClassByIndex(-1), nullptr);
    EXPECT_EQ(ThemeClassByIndex(ThemeClassCount()), nullptr);
    EXPECT_EQ(FindThemeClass("TTeFlatTheme"), TTeFlatTheme::StaticClass());
    EXPECT_EQ(FindThemeClass("ttEFlatTheme"), nullptr);
    EXPECT_EQ(TTeFlatTheme::StaticClass()->GetThemeName(), "Flat");
    TteThemeOptions o;
    TteTheme::StaticClass()->GetThemeOptions(o);
    EXPECT_EQ(o.Selectable, 0);
    EXPECT_EQ(TteTheme::StaticClass()->GetThemeName(), "Default");
}

TEST_F(ThemeManagerTest, ChangesBroadcastStartCodeEndToRegisteredReceiversOnly) {
    TThemeListener heard, unheard;
    TThemedSwatch control;
    EXPECT_EQ(AddThemeNotification(&heard), 0); // no theme: nothing sent
    AddThemeNotification(&control);

    auto* first = new TTestFileTheme();
    SetCurrentTheme(first);
    EXPECT_TRUE(IsCurrentTheme(first));
    EXPECT_EQ(CurrentTheme(), first);
    auto codes = [&] {
        std::vector<int> v;
        for (auto& p : heard.Codes)
            v.push_back(p.first);
        return v;
    };
    EXPECT_EQ(codes(), (std::vector<int>{1, 3, 2}));
    EXPECT_EQ(control.Codes, (std::vector<int>{1, 3, 2}));

    // Replacing frees the old theme before code 0 goes out.
    heard.Codes.clear();
    EXPECT_EQ(TTestFileTheme::Live, 1);
    SetCurrentTheme(new TTeFlatTheme());
    EXPECT_EQ(TTestFileTheme::Live, 0);
    EXPECT_EQ(codes(), (std::vector<int>{1, 0, 2}));

    heard.Codes.clear();
    ClearCurrentTheme();
    EXPECT_EQ(CurrentTheme(), nullptr);
    EXPECT_FALSE(IsCurrentTheme(nullptr));
    EXPECT_EQ(codes(), (std::vector<int>{1, 4, 2}));
    EXPECT_TRUE(unheard.Codes.empty());

    // Unregistered receivers hear nothing more.
    RemoveThemeNotification(&heard);
    RemoveThemeNotification(&heard); // absent: nothing
    heard.Codes.clear();
    SetCurrentTheme(new TteTheme());
    EXPECT_TRUE(heard.Codes.empty());
}

TEST_F(ThemeManagerTest, SettingTheCurrentThemeAgainKeepsIt) {
    TThemeListener heard;
    AddThemeNotification(&heard);
    auto* t = new TTestFileTheme();
    SetCurrentTheme(t);
    heard.Codes.clear();
    // Replacing a theme with itself would free it under its new owner.
    SetCurrentTheme(t);
    EXPECT_EQ(CurrentTheme(), t);
    EXPECT_EQ(TTestFileTheme::Live, 1);
    EXPECT_TRUE(heard.Codes.empty());
    EXPECT_EQ(t->Title, "Default theme");
}

TEST_F(ThemeManagerTest, RegisteringWhileAThemeIsCurrentAppliesItOnce) {
    SetCurrentTheme(new TTeFlatTheme());
    TThemeListener a;
    EXPECT_EQ(AddThemeNotification(&a), 77); // the handler's answer
    ASSERT_EQ(a.Codes.size(), 1u);
    EXPECT_EQ(a.Codes[0].first, 3);
    // Again: its position + 1, nothing sent.
    intptr_t again = AddThemeNotification(&a);
    EXPECT_GE(again, 1);
    EXPECT_EQ(a.Codes.size(), 1u);
}

TEST_F(ThemeManagerTest, ColourChangesReachVisibleControlsAndComponents) {
    TThemeListener component;
    TThemedSwatch shown, hidden;
    hidden.SetVisible(false);
    AddThemeNotification(&component);
    AddThemeNotification(&shown);
    AddThemeNotification(&hidden);

    // No theme: a shift changes nothing and says nothing.
    SetThemeDeltaHue(20);
    EXPECT_TRUE(component.Codes.empty());

    SetCurrentTheme(new TTeFlatTheme());
    component.Codes.clear();
    shown.Codes.clear();
    hidden.Codes.clear();
    SetThemeDeltaBrightness(10);
    ASSERT_EQ(component.Codes.size(), 1u);
    EXPECT_EQ(component.Codes[0], (std::pair<int, intptr_t>{5, 1}));
    EXPECT_EQ(shown.Codes, (std::vector<int>{5}));
    EXPECT_TRUE(hidden.Codes.empty());
    EXPECT_EQ(CurrentTheme()->DeltaBrightness, 10);

    // A system colour change reaches the manager's window and goes out with lParam 0.
    component.Codes.clear();
    ::SendMessageW(ThemeManagerWindow(), WM_SYSCOLORCHANGE, 0, 0);
    ASSERT_EQ(component.Codes.size(), 1u);
    EXPECT_EQ(component.Codes[0], (std::pair<int, intptr_t>{5, 0}));

    // Codes 0 to 4 reach hidden controls too.
    hidden.Codes.clear();
    ClearCurrentTheme();
    EXPECT_EQ(hidden.Codes, (std::vector<int>{1, 4, 2}));
}

TEST_F(ThemeManagerTest, StyleQueriesAskTheCurrentTheme) {
    const std::string d = "default";
    using Query = bool (*)(int, const TObj&);
    Query all[] = {
        CurrentThemeHasFormStyle,      CurrentThemeHasButtonStyle,   CurrentThemeHasCheckBoxStyle,
        CurrentThemeHasScrollBarStyle, CurrentThemeHasTrackBarStyle, CurrentThemeHasStatusBarStyle,
        CurrentThemeHasEditStyle,      CurrentThemeHasMenuStyle,     CurrentThemeHasControlBarStyle,
        CurrentThemeHasTabsStyle,      CurrentThemeHasListBoxStyle};
    for (Query q : all)
        EXPECT_FALSE(q(0, d));
    SetCurrentTheme(new TteTheme());
    for (Query q : all)
        EXPECT_FALSE(q(0, d));
    SetCurrentTheme(new TTeFlatTheme());
    for (Query q : all)
        EXPECT_TRUE(q(0, "NamedObject")); // the Flat theme ignores the object name
    EXPECT_FALSE(CurrentThemeHasScrollBarStyle(1, d));
    SetCurrentTheme(new TTeOfficeXPTheme());
    EXPECT_FALSE(CurrentThemeHasFormStyle(0, d));
    EXPECT_TRUE(CurrentThemeHasMenuStyle(2, d));
}

TEST_F(ThemeManagerTest, ThemesLoadFromFilesByExtensionOrContent) {
    EXPECT_EQ(LoadThemeFromFile(""), nullptr);
    std::string dir = ProgramFolder();
    ASSERT_FALSE(dir.empty());

    // A relative name found only under the program's folder, by its extension.
    std::string name = "skintheme_rel.tst";
    ASSERT_TRUE(WriteFileBytes(dir + name, TestThemeBytes("Relative")));
    std::unique_ptr<TteTheme> t(LoadThemeFromFile(name));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->ClassName(), "TTestFileTheme");
    EXPECT_EQ(t->Title, "Relative");
    // A class that refuses the file gives nothing.
    ASSERT_TRUE(WriteFileBytes(dir + "skintheme_bad.tst", TestThemeBytes("")));
    EXPECT_EQ(LoadThemeFromFile(dir + "skintheme_bad.tst"), nullptr);

    // An extension no filter names: tried by content.
    ASSERT_TRUE(WriteFileBytes(dir + "skintheme_any.bin", TestThemeBytes("ByContent")));
    t.reset(LoadThemeFromFile(dir + "skintheme_any.bin"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Title, "ByContent");
    ASSERT_TRUE(WriteFileBytes(dir + "skintheme_junk.bin", "not a theme"));
    EXPECT_EQ(LoadThemeFromFile(dir + "skintheme_junk.bin"), nullptr);

    // A missing file named with a drive is not looked for in the program's folder.
    EXPECT_EQ(LoadThemeFromFile("Q:" + name), nullptr);
    EXPECT_EQ(LoadThemeFromFile("x"), nullptr);
    for (const char* f :
         {"skintheme_rel.tst", "skintheme_bad.tst", "skintheme_any.bin", "skintheme_junk.bin"})
        ::DeleteFileW(win::GbkToWide(dir + f).c_str());

    // Streams: the position goes back after every refusal; saving needs a file form.
    fw::TMemoryStream s;
    s.WriteBuffer("xx", 2);
    std::string bytes = TestThemeBytes("Streamed");
    s.WriteBuffer(bytes.data(), bytes.size());
    s.SetPosition(2);
    t.reset(LoadThemeFromStream(s));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Title, "Streamed");
    fw::TMemoryStream out;
    SaveThemeToStream(t.get(), out);
    EXPECT_EQ(out.Size(), int64_t(bytes.size()));
    TTeFlatTheme flat;
    fw::TMemoryStream none;
    SaveThemeToStream(&flat, none);
    SaveThemeToStream(nullptr, none);
    EXPECT_EQ(none.Size(), 0);
}

TEST(ThemeBase, DefaultsAndShiftsStartFromTheDefaultsEachTime) {
    TteTheme t;
    EXPECT_EQ(t.Title, "Default theme");
    EXPECT_EQ(t.Color(ktcCaptionNormal), TColor(0xFF0000));
    EXPECT_EQ(t.Color(ktcButtonDisabled), TColor(0xC0C0C0));
    EXPECT_EQ(t.Color(ktcGrid), TColor(0xFF0000));
    TteFont* f = t.Fonts->GetFont(ktfButtonTextHot);
    EXPECT_EQ(f->Color, TColor(0x0000FF));
    EXPECT_TRUE(t.Fonts->GetFont(ktfRadioButtonTextFocused)->Style.Contains(TFontStyle::fsItalic));
    EXPECT_EQ(t.Fonts->GetFont(ktfEditBoxTextNormal)->Name, "Times New Roman");
    EXPECT_EQ(t.Fonts->GetFont(ktfEditBoxTextNormal)->Size, 10);

    SetDeltaHue(&t, 20);
    TColor once = t.Color(ktcCaptionNormal);
    EXPECT_NE(once, TColor(0xFF0000));
    SetDeltaHue(&t, 20);
    EXPECT_EQ(t.Color(ktcCaptionNormal), once);
    SetDeltaHue(&t, 0);
    EXPECT_EQ(t.Color(ktcCaptionNormal), TColor(0xFF0000));

    // Assign copies the title between themes and refuses anything else.
    TTeFlatTheme flat;
    flat.Title = "Copied";
    t.Assign(&flat);
    EXPECT_EQ(t.Title, "Copied");
    TteFont notATheme;
    EXPECT_THROW(t.Assign(&notATheme), fw::EConvertError);
    std::unique_ptr<TteTheme> clone(CloneTheme(&flat));
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->ClassName(), "TTeFlatTheme");
    EXPECT_EQ(clone->Title, "Copied");
    // Style fonts: "default" is the table font, a named object the theme's answer.
    EXPECT_EQ(t.Fonts->GetStyleFont(3, "default"), t.Fonts->GetFont(3));
    TteFont* styled = t.Fonts->GetStyleFont(3, "Object");
    EXPECT_NE(styled, t.Fonts->GetFont(3));
    EXPECT_EQ(styled->Color, t.Fonts->GetFont(3)->Color);
}

TEST(ThemeBase, StyleTestsAndTransparency) {
    TteTheme t;
    const std::string d = "default";
    EXPECT_FALSE(t.HasFormStyle(0, d));
    EXPECT_FALSE(t.HasButtonStyle(0, d));
    EXPECT_FALSE(t.HasGridStyle(0, d));
    EXPECT_FALSE(t.HasPanelCaption(0, d));
    EXPECT_TRUE(t.IsStaticTextTransparent(0, d));
    EXPECT_TRUE(t.IsCheckBoxTransparent(0, d));
    EXPECT_TRUE(t.IsTrackBarTransparent(0, d));
    EXPECT_TRUE(t.IsGroupBoxTransparent(0, d));
    EXPECT_TRUE(t.IsTabsTransparent(0, d));
    EXPECT_FALSE(t.IsButtonTransparent(0, d));
    EXPECT_FALSE(t.IsEditTransparent(0, d));
}

TEST(ThemeBase, FormRectanglesAndHitTests) {
    TteTheme t;
    // Close, maximize and system menu shown.
    TteWindowInfo info = MakeWindowInfo(TRect{0, 0, 200, 100}, true, TRect{}, L"W", 0x1C23);
    TRect cr;
    t.GetFormContentRect(0, info, cr, "default");
    EXPECT_EQ(cr, (TRect{4, 22, 196, 96}));
    TRect r;
    t.GetFormButtonRect(0, info, r, "default", 1);
    EXPECT_EQ(r, (TRect{173, 4, 195, 21}));
    t.GetFormButtonRect(0, info, r, "default", 5);
    EXPECT_EQ(r, (TRect{151, 4, 173, 21}));
    t.GetFormButtonRect(0, info, r, "default", 3); // not shown: the slot all the same
    EXPECT_EQ(r, (TRect{173, 4, 195, 21}));
    t.GetFormButtonRect(0, info, r, "default", 0);
    EXPECT_EQ(r, (TRect{4, 4, 26, 21}));

    struct Case {
        int x, y, code;
    } cases[] = {
        {100, 50, 0},  {1, 50, 2},    {100, 1, 3},  {198, 50, 4},  {100, 98, 5},
        {1, 1, 7},     {198, 1, 8},   {1, 98, 9},   {198, 98, 10}, {100, 10, 1},
        {180, 10, 11}, {160, 10, 14}, {10, 10, 17},
    };
    for (const Case& c : cases)
        EXPECT_EQ(t.FormHitTest(0, info, "default", c.x, c.y), c.code) << c.x << "," << c.y;
    EXPECT_EQ(t.FormHitTest(3, info, "default", 1, 1), 0);
    EXPECT_EQ(t.FormHitTest(5, info, "default", 1, 1), 0);
}

TEST(ThemeBase, PlaceholderLookPaintsEveryGroup) {
    TteTheme t;
    TPaintTarget p(200, 120);
    fw::TCanvas& c = p.Canvas();
    const std::string d = "default";
    TRect r{10, 10, 60, 40};
    TteWindowInfo win = MakeWindowInfo(TRect{0, 0, 200, 120}, true, TRect{}, L"Caption", 0x1C02);
    TteBitmap glyph;
    glyph.SetSize(4, 4);
    glyph.FillColor(0xFF00FF00);
    // Every operation runs on the canvas without failing.
    t.PaintFormBorder(0, c, d, win);
    t.PaintFormClient(0, c, d, r, win);
    t.PaintFormCaption(0, c, d, TRect{4, 3, 196, 22}, win);
    for (int k = 0; k <= 9; ++k)
        t.PaintFormButton(0, c, d, MakeFormButtonInfo(r, uint8_t(k), 2, &glyph), win);
    t.PaintFormSizeGrip(0, c, d, MakeRectState(r, 1), win);
    t.PaintHint(0, c, d, r);
    t.PaintStaticText(0, c, d, MakeTextInfo(r, L"t", 0), MakeRectState(r, 0));
    t.PaintContainer(0, c, d, r);
    t.PaintContainer(1, c, d, r);
    t.PaintButtonGlyph(0, c, d, MakeButtonGlyphInfo(r, &glyph, 0), MakeButtonInfo(r, 0, 0, 0));
    t.PaintCheckBox(0, c, d, MakeCheckBoxInfo(r, 1, 1));
    t.PaintSplitter(0, c, d, r);
    for (uint8_t part : {0, 8})
        t.PaintScrollBarButton(0, c, d, MakeScrollBarButtonInfo(r, 1, part),
                               MakeScrollBarInfo(r, 0));
    t.PaintScrollBarTrack(0, c, d, MakeScrollBarInfo(r, 2));
    t.PaintTrackBarTrack(0, c, d, MakeTrackBarInfo(r, 0, 0));
    t.PaintTrackBarThumb(0, c, d, MakeTrackBarThumbInfo(r, 1), MakeTrackBarInfo(r, 0, 0));
    t.PaintHeaderFrame(0, c, d, r);
    t.PaintHeaderSection(0, c, d, TteHeaderSectionInfo{r, 0, 3});
    t.PaintHeaderImage(0, c, d, MakeButtonGlyphInfo(r, &glyph, 0), TteHeaderSectionInfo{r}, r);
    t.PaintStatusBar(0, c, d, r);
    t.PaintStatusPanel(0, c, d, r, r);
    t.PaintStatusPanelImage(0, c, d, MakeButtonGlyphInfo(r, nullptr, 0), r, r);
    t.PaintStatusBarGripper(0, c, d, r);
    t.PaintEditFrame(0, c, d, MakeEditInfo(r, 0));
    t.PaintEditSelection(0, c, d, MakeEditInfo(r, 0));
    t.PaintComboButton(0, c, d, MakeComboButtonInfo(r, 1, 0), MakeEditInfo(r, 0));
    TteGroupInfo g{TRect{0, 0, 100, 80}, TRect{10, 0, 40, 20}, 30, L"Group"};
    t.PaintGroupBox(0, c, d, g);
    t.PaintEditAreaFrame(0, c, d, MakeEditInfo(r, 0));
    t.PaintMenuFrame(0, c, d, r);
    t.PaintMenuItem(0, c, d, MakeMenuItemInfo(r, 0, 0, 2));
    t.PaintMenuItem(0, c, d, MakeMenuItemInfo(r, 1, 0, 0));
    for (uint8_t k = 0; k <= 4; ++k)
        t.PaintMenuItemGlyph(2, c, d, MakeMenuGlyphInfo(r, &glyph, 0, k),
                             MakeMenuItemInfo(r, 0, 0, 0));
    t.PaintControlBar(0, c, d, r);
    t.PaintToolBar(0, c, d, r);
    t.PaintPanel(0, c, d, r);
    t.PaintPanelCaption(0, c, d, TteBarCaptionInfo{r, L"Bar"});
    t.PaintPanelButton(0, c, d, TteTwoByteInfo{r, 0, 0});
    t.PaintTabsFrame(0, c, d, r);
    t.PaintTab(0, c, d, MakeTabItemInfo(r, 0, 1, 1));
    t.PaintTabScrollButton(0, c, d, MakeTabButtonInfo(r, 0, 0));
    t.PaintListBoxFrame(0, c, d, r);
    for (uint8_t s = 0; s <= 5; ++s) {
        t.PaintListBoxItem(0, c, d, MakeListBoxItemInfo(r, s));
        t.PaintListBoxCheck(0, c, d, TteListCheckInfo{r, 4, &glyph, s}, MakeListBoxItemInfo(r, 0));
    }
    t.PaintTreeFrame(0, c, d, r);
    t.PaintTreeItem(0, c, d, MakeRectState(r, 3));
    t.PaintGridFrame(0, c, d, r);
    t.PaintGridCell(0, c, d, TteGridCellInfo{r, 1, 1});
    t.PaintGridCell(0, c, d, TteGridCellInfo{r, 2, 0});

    // A few telling points of the placeholder look.
    TPaintTarget q;
    fw::TCanvas& k = q.Canvas();
    t.PaintListBoxItem(0, k, d, MakeListBoxItemInfo(TRect{0, 0, 10, 10}, 3));
    EXPECT_EQ(q.At(5, 5), TColor(0xFF0000));
    EXPECT_EQ(q.At(0, 0), TColor(0xFF0000)); // the frame
    t.PaintListBoxItem(0, k, d, MakeListBoxItemInfo(TRect{20, 0, 30, 10}, 9));
    EXPECT_EQ(q.At(25, 5), TColor(0x123456)); // no fill for other states
    t.PaintTab(0, k, d, MakeTabItemInfo(TRect{40, 0, 50, 10}, 0, 0, 1));
    EXPECT_EQ(q.At(45, 5), TColor(0x800000));
    t.PaintCheckBox(0, k, d, MakeCheckBoxInfo(TRect{60, 0, 70, 10}, 1, 2));
    EXPECT_EQ(q.At(61, 1), TColor(0xFF0000));
    EXPECT_EQ(q.At(65, 5), TColor(0x000000));

    // A pressed button is sunken: dark edge inside the frame where a normal one is flat.
    TPaintTarget normal, pressed;
    t.PaintButton(0, normal.Canvas(), d, MakeButtonInfo(TRect{0, 0, 30, 20}, 0, 0, 0));
    t.PaintButton(0, pressed.Canvas(), d, MakeButtonInfo(TRect{0, 0, 30, 20}, 2, 0, 0));
    EXPECT_EQ(normal.At(0, 0), TColor(0x000000));
    EXPECT_EQ(normal.At(1, 1), TColor(0xC0C0C0));
    EXPECT_EQ(pressed.At(1, 1), TColor(0xA2A2A2));
    EXPECT_EQ(pressed.At(28, 18), TColor(0xDEDEDE));
    EXPECT_EQ(pressed.At(15, 10), TColor(0xC0C0C0));
    // Disabled: no frame at all.
    TPaintTarget disabled;
    t.PaintButton(0, disabled.Canvas(), d, MakeButtonInfo(TRect{0, 0, 30, 20}, 3, 0, 0));
    EXPECT_EQ(disabled.At(0, 0), TColor(0xC0C0C0));
}

TEST(ThemeBase, ProgressBarSpansTheRangeOnlyWhenOrdered) {
    TteTheme t;
    auto paint = [&](TteProgressInfo info) {
        TPaintTarget p(120, 20);
        t.PaintProgressBar(0, p.Canvas(), "default", info);
        return p.Count(TRect{0, 0, 120, 20}, 0x00FFFF);
    };
    TRect r{0, 0, 102, 10};
    // Width 100 inside an inset of 1: a quarter of the range is 25 columns, 8 rows.
    EXPECT_EQ(paint(TteProgressInfo{r, 0, 0, 100, 0, 25, 0, 1}), 25 * 8);
    EXPECT_EQ(paint(TteProgressInfo{r, 0, 5, 5, 5, 5, 0, 1}), 0);      // Min = Max
    EXPECT_EQ(paint(TteProgressInfo{r, 0, 0, 100, 30, 20, 0, 1}), 0);  // From > To
    EXPECT_EQ(paint(TteProgressInfo{r, 0, -10, 100, 0, 20, 0, 1}), 0); // negative Min
    EXPECT_EQ(paint(TteProgressInfo{TRect{0, 0, 12, 20}, 1, 0, 100, 0, 50, 0, 1}), 9 * 10);
}

TEST(ThemeBase, TextIsPlacedByPosition) {
    TteTheme t;
    auto inkColumns = [&](uint32_t flags) {
        TPaintTarget p(200, 40, 0xFFFFFF);
        p.Canvas().Font()->SetColor(0x000000);
        p.Canvas().Font()->SetSize(10);
        t.PaintText(p.Canvas(), MakeTextInfo(TRect{0, 0, 200, 40}, L"WWW", flags));
        int first = -1, last = -1, top = -1;
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 40; ++y)
                if (p.At(x, y) != TColor(0xFFFFFF)) {
                    if (first < 0) first = x;
                    last = x;
                    if (top < 0 || y < top) top = y;
                }
        return std::tuple<int, int, int>{first, last, top};
    };
    auto [l0, r0, t0] = inkColumns(0);
    ASSERT_GE(l0, 0);
    EXPECT_LT(l0, 5);
    EXPECT_LT(t0, 8);
    // Right-to-left with the middle row: right-aligned and vertically centred.
    auto [l1, r1, t1] = inkColumns(kDT_VCENTER | kDT_RTLREADING | kDT_SINGLELINE);
    EXPECT_GT(r1, 190);
    EXPECT_GT(t1, t0 + 5);
    auto [l2, r2, t2] = inkColumns(kDT_CENTER);
    EXPECT_NEAR((l2 + r2) / 2, 100, 6);

    // Vertical text at a position other than 0 or 4 draws nothing.
    TPaintTarget v(60, 60, 0xFFFFFF);
    TteTextInfo info = MakeTextInfo(TRect{0, 0, 60, 60}, L"WW", 0);
    info.Position = 3;
    info.Direction = 1;
    t.PaintText(v.Canvas(), info);
    EXPECT_EQ(v.Count(TRect{0, 0, 60, 60}, 0xFFFFFF), 3600);
    // Position 4 turns the text into a box centred in the rectangle.
    info.Position = 4;
    t.PaintText(v.Canvas(), info);
    EXPECT_LT(v.Count(TRect{20, 20, 40, 40}, 0xFFFFFF), 400);
    EXPECT_EQ(v.Count(TRect{0, 0, 60, 8}, 0xFFFFFF), 480);
}

TEST(ThemeBase, ImageListImagesRenderIntoAScratchBitmap) {
    fw::TImageList list(nullptr);
    list.SetWidth(8);
    list.SetHeight(6);
    fw::TBitmap img;
    img.SetPixelFormat(fw::TPixelFormat::pf24bit);
    img.SetSize(8, 6);
    img.Canvas()->Brush()->SetColor(fw::clRed);
    img.Canvas()->FillRect(TRect{0, 0, 8, 6});
    ASSERT_EQ(list.AddMasked(&img, fw::clFuchsia), 0);
    TteBitmap* a = RenderImageListImage(&list, 0, true);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Width, 8);
    EXPECT_EQ(a->Height, 6);
    EXPECT_TRUE(a->Transparent);
    EXPECT_EQ(a->GetPixel(3, 3) & 0xFFFFFF, 0xFF0000u);
    TteGlyphInfo g = MakeStatusPanelImageInfo(TRect{}, &list, 0, 1);
    ASSERT_NE(g.Bitmap, nullptr);
    EXPECT_EQ(g.Bitmap->GetPixel(3, 3) & 0xFFFFFF, 0xFF0000u);
    TteMenuGlyphInfo m = MakeMenuImageInfo(TRect{}, &list, 0, true, 2);
    EXPECT_EQ(m.GlyphKind, 3);
    EXPECT_EQ(m.State, 2);
    EXPECT_EQ(RenderImageListImage(nullptr, 0, true), nullptr);
}

TEST(ThemeBase, GroupBoxParentsPaintTheBackgroundOfTheirChildren) {
    fw::TGroupBox box(nullptr);
    box.SetBounds(0, 0, 100, 60);
    box.SetColor(0x336699);
    TThemedSwatch child;
    child.SetBounds(10, 20, 30, 15);
    child.SetParent(&box);
    TPaintTarget p(40, 20);
    DrawParentBackground(&child, p.Canvas().Handle());
    EXPECT_EQ(p.At(0, 0), TColor(0x336699));
    EXPECT_EQ(p.At(29, 14), TColor(0x336699));
    EXPECT_EQ(p.At(35, 18), TColor(0x123456)); // outside the child
    EXPECT_FALSE(child.ControlState().Contains(fw::TControlStateItem::csPaintCopy));
    child.SetParent(nullptr);

    // No parent, or no size: nothing.
    TPaintTarget q(10, 10);
    DrawParentBackground(&child, q.Canvas().Handle());
    DrawParentBackground(nullptr, q.Canvas().Handle());
    EXPECT_EQ(q.At(5, 5), TColor(0x123456));
}

TEST(ThemeBase, CustomControlParentsPaintThemselvesBehindTheirChildren) {
    fw::testing::TTestBox box(nullptr);
    box.SetBounds(0, 0, 100, 60);
    box.Fill = 0x2468AC;
    TThemedSwatch child;
    child.SetBounds(10, 20, 30, 15);
    child.SetParent(&box);
    TPaintTarget p(40, 20);
    DrawParentBackground(&child, p.Canvas().Handle());
    EXPECT_EQ(p.At(0, 0), TColor(0x2468AC));
    EXPECT_EQ(p.At(29, 14), TColor(0x2468AC));
    EXPECT_EQ(p.At(35, 18), TColor(0x123456));
    child.SetParent(nullptr);
}

TEST(ThemeBase, OriginalFontsCanBeRestored) {
    fw::TFont f;
    f.SetName("Arial");
    f.SetSize(9);
    RestoreOriginalFont(&f); // not listed: nothing
    StoreOriginalFont(&f);
    f.SetName("Tahoma");
    f.SetSize(12);
    RestoreOriginalFont(&f);
    EXPECT_EQ(f.Name(), "Arial");
    EXPECT_EQ(f.Size(), 9);
    f.SetSize(14);
    StoreOriginalFont(&f); // listed: its copy takes the new values
    f.SetSize(7);
    RestoreOriginalFont(&f);
    EXPECT_EQ(f.Size(), 14);
    ReleaseOriginalFont(&f);
    f.SetSize(7);
    RestoreOriginalFont(&f);
    EXPECT_EQ(f.Size(), 7);
}

} // namespace
} // namespace dvr::skin
