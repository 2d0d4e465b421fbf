#include "skin/engine/te_engine.h"

#include "common/win/textconv.h"
#include "framework/filer.h"
#include "skin/engine/te_theme_test_support.h"
#include "skin/engine/theme_flat.h"
#include "skin/engine/theme_officexp.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

using namespace testing;

class ThemeEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestThemes();
        ClearCurrentTheme();
        TTestFileTheme::Live = 0;
    }
    void TearDown() override {
        ClearCurrentTheme();
        for (const std::string& f : files_)
            ::DeleteFileW(win::GbkToWide(f).c_str());
    }
    std::string WriteTheme(const std::string& Name, const std::string& Title) {
        std::string path = ProgramFolder() + Name;
        EXPECT_TRUE(WriteFileBytes(path, TestThemeBytes(Title)));
        files_.push_back(path);
        return path;
    }
    // A list holding a test theme titled A and a Flat theme titled B.
    void FillList(TTeThemeList& list) {
        auto* a = new TTestFileTheme();
        a->Title = "A";
        list.Themes()->Add()->SetTheme(a);
        auto* b = new TTeFlatTheme();
        b->Title = "B";
        list.Themes()->Add()->SetTheme(b);
    }

    std::vector<std::string> files_;
};

// Counts OnThemeChanged.
class TChangeCounter : public fw::TObject {
public:
    int Count = 0;
    void Changed(fw::TObject*) { ++Count; }
};

TEST_F(ThemeEngineTest, StartsWithNoThemeAndPicksBuiltInThemesByName) {
    TTeThemeEngine engine(nullptr);
    EXPECT_EQ(engine.ThemeIndex(), -1);
    EXPECT_EQ(engine.ThemeBuilding(), "No theme");
    EXPECT_EQ(engine.Version(), kThemeVersion);
    EXPECT_EQ(CurrentTheme(), nullptr);

    engine.SetThemeBuilding("flat");
    ASSERT_NE(CurrentTheme(), nullptr);
    EXPECT_EQ(CurrentTheme()->ClassName(), "TTeFlatTheme");
    EXPECT_EQ(engine.ThemeBuilding(), "Flat");

    engine.SetThemeBuilding("OFFICEXP");
    EXPECT_EQ(CurrentTheme()->ClassName(), "TTeOfficeXPTheme");
    EXPECT_EQ(engine.ThemeBuilding(), "OfficeXP");

    // Unknown names and classes that cannot be chosen fall back, the theme stays.
    TteTheme* before = CurrentTheme();
    engine.SetThemeBuilding("Chrome");
    EXPECT_EQ(engine.ThemeBuilding(), "No theme");
    engine.SetThemeBuilding("Default");
    EXPECT_EQ(engine.ThemeBuilding(), "No theme");
    EXPECT_EQ(CurrentTheme(), before);
}

TEST_F(ThemeEngineTest, EmbeddedThemesAreCopiedFromTheList) {
    TTeThemeList list(nullptr);
    FillList(list);
    TTeThemeEngine engine(nullptr);
    engine.SetThemeBuilding("Flat");
    engine.SetThemeList(&list);

    // An index past the end takes the last item; the current theme is a copy of it.
    engine.SetThemeIndex(5);
    EXPECT_EQ(engine.ThemeIndex(), 1);
    ASSERT_NE(CurrentTheme(), nullptr);
    EXPECT_NE(CurrentTheme(), list.Themes()->Items(1)->Theme());
    EXPECT_EQ(CurrentTheme()->ClassName(), "TTeFlatTheme");
    EXPECT_EQ(CurrentTheme()->Title, "B");
    EXPECT_EQ(engine.ThemeBuilding(), "No theme");

    engine.SetThemeIndex(0);
    EXPECT_EQ(CurrentTheme()->Title, "A");
    EXPECT_EQ(TTestFileTheme::Live, 2); // the item's and the copy

    // -1 with no theme file clears the theme.
    engine.SetThemeIndex(-1);
    EXPECT_EQ(CurrentTheme(), nullptr);
    EXPECT_EQ(TTestFileTheme::Live, 1);

    // Loaded applies the index again.
    engine.SetThemeIndex(1);
    ClearCurrentTheme();
    engine.Loaded();
    ASSERT_NE(CurrentTheme(), nullptr);
    EXPECT_EQ(CurrentTheme()->Title, "B");
}

TEST_F(ThemeEngineTest, ThemeFilesReplaceOrKeepTheCurrentTheme) {
    std::string file = WriteTheme("skintheme_engine.tst", "FromFile");
    TTeThemeList list(nullptr);
    FillList(list);
    TTeThemeEngine engine(nullptr);
    engine.SetThemeList(&list);
    engine.SetThemeIndex(0);

    // A missing file while an embedded theme is in use keeps it.
    engine.SetThemeFile(ProgramFolder() + "skintheme_missing.tst");
    ASSERT_NE(CurrentTheme(), nullptr);
    EXPECT_EQ(CurrentTheme()->Title, "A");

    engine.SetThemeFile(file);
    ASSERT_NE(CurrentTheme(), nullptr);
    EXPECT_EQ(CurrentTheme()->Title, "FromFile");
    EXPECT_EQ(engine.ThemeIndex(), -1);
    EXPECT_EQ(engine.ThemeBuilding(), "No theme");

    // Now without an embedded theme, a missing file clears.
    engine.SetThemeFile("skintheme_missing.tst");
    EXPECT_EQ(CurrentTheme(), nullptr);

    // A built-in name afterwards forgets the file.
    engine.SetThemeFile(file);
    engine.SetThemeBuilding("Flat");
    EXPECT_EQ(engine.ThemeFile(), "");
    EXPECT_EQ(engine.ThemeIndex(), -1);
}

TEST_F(ThemeEngineTest, ShiftsAreAppliedOnceAndKeptAcrossThemeChanges) {
    TThemeListener listener;
    AddThemeNotification(&listener);
    TTeThemeEngine engine(nullptr);
    engine.SetThemeBuilding("Flat");
    TColor plain = CurrentTheme()->Color(ktcButtonFocused);

    listener.Codes.clear();
    engine.SetDeltaHue(0); // unchanged: nothing
    EXPECT_TRUE(listener.Codes.empty());
    engine.SetDeltaHue(40);
    ASSERT_EQ(listener.Codes.size(), 1u);
    EXPECT_EQ(listener.Codes[0], (std::pair<int, intptr_t>{5, 1}));
    TColor shifted = CurrentTheme()->Color(ktcButtonFocused);
    EXPECT_NE(shifted, plain);
    EXPECT_EQ(CurrentTheme()->DeltaHue, 40);

    // A new theme gets the engine's shifts.
    engine.SetThemeBuilding("OfficeXP");
    EXPECT_EQ(CurrentTheme()->DeltaHue, 40);
    engine.SetThemeBuilding("Flat");
    EXPECT_EQ(CurrentTheme()->Color(ktcButtonFocused), shifted);
    engine.SetDeltaBrightness(-20);
    EXPECT_EQ(CurrentTheme()->DeltaBrightness, -20);
}

TEST_F(ThemeEngineTest, ThemeChangesRaiseTheEvent) {
    TChangeCounter counter;
    TTeThemeEngine engine(nullptr);
    engine.OnThemeChanged = fw::TNotifyEvent(&counter, &TChangeCounter::Changed);
    engine.SetThemeBuilding("Flat"); // code 3
    EXPECT_EQ(counter.Count, 1);
    engine.SetThemeBuilding("OfficeXP"); // code 0
    EXPECT_EQ(counter.Count, 2);
    engine.SetDeltaHue(10); // code 5: no event
    EXPECT_EQ(counter.Count, 2);
    ClearCurrentTheme(); // code 4
    EXPECT_EQ(counter.Count, 3);
    // An engine made while a theme is current hears it applied.
    engine.SetThemeBuilding("Flat");
    TTeThemeEngine second(nullptr);
    EXPECT_EQ(counter.Count, 4);
}

TEST_F(ThemeEngineTest, FreeingTheListClearsTheTheme) {
    auto* list = new TTeThemeList(nullptr);
    FillList(*list);
    TTeThemeEngine engine(nullptr);
    engine.SetThemeList(list);
    engine.SetThemeIndex(1);
    ASSERT_NE(CurrentTheme(), nullptr);
    list->Free();
    EXPECT_EQ(engine.ThemeList(), nullptr);
    EXPECT_EQ(engine.ThemeIndex(), -1);
    EXPECT_EQ(CurrentTheme(), nullptr);
}

TEST_F(ThemeEngineTest, ItemsStreamTheirThemeBehindAFlagByte) {
    TTeThemeList list(nullptr);
    TTeThemeStream* empty = list.Themes()->Add();
    EXPECT_EQ(empty->ThemeStore(), "(empty)");
    EXPECT_EQ(empty->DisplayName(), "(empty)");
    fw::TMemoryStream s;
    empty->WriteThemeStream(s);
    EXPECT_EQ(s.Size(), 1);
    s.SetPosition(0);
    uint8_t flag = 9;
    s.ReadBuffer(&flag, 1);
    EXPECT_EQ(flag, 0);

    // A theme without a file form is written as no theme at all.
    TTeThemeStream* flat = list.Themes()->Add();
    flat->SetTheme(new TTeFlatTheme());
    EXPECT_EQ(flat->ThemeStore(), "Default theme");
    fw::TMemoryStream f;
    flat->WriteThemeStream(f);
    EXPECT_EQ(f.Size(), 1);

    // One with a file form round-trips.
    TTeThemeStream* item = list.Themes()->Add();
    auto* t = new TTestFileTheme();
    t->Title = "Embedded";
    item->SetTheme(t);
    fw::TMemoryStream out;
    item->WriteThemeStream(out);
    out.SetPosition(0);
    TTeThemeStream* back = list.Themes()->Add();
    back->ReadThemeStream(out);
    ASSERT_NE(back->Theme(), nullptr);
    EXPECT_EQ(back->Theme()->Title, "Embedded");
    EXPECT_EQ(back->ThemeStore(), "Embedded");

    // Assigning one item from another copies its theme.
    empty->Assign(back);
    ASSERT_NE(empty->Theme(), nullptr);
    EXPECT_NE(empty->Theme(), back->Theme());
    EXPECT_EQ(empty->Theme()->Title, "Embedded");
}

TEST_F(ThemeEngineTest, PublishedSettingsStreamWithTheForm) {
    TTeThemeEngine engine(nullptr);
    engine.SetName("Engine");
    engine.SetDeltaBrightness(12);
    fw::TMemoryStream s;
    fw::WriteComponent(s, &engine);
    ClearCurrentTheme();
    s.SetPosition(0);
    TTeThemeEngine read(nullptr);
    fw::ReadComponent(s, &read);
    EXPECT_EQ(read.DeltaBrightness(), 12);
    EXPECT_EQ(read.ThemeIndex(), -1);
    EXPECT_EQ(read.ThemeBuilding(), "No theme");
}

// A form stand-in: streams the components it owns as its children.
class TThemeForm : public fw::TComponent {
    FW_CLASS(TThemeForm, fw::TComponent)
public:
    explicit TThemeForm(fw::TComponent* AOwner) : fw::TComponent(AOwner) {}
    void GetChildren(const std::function<void(fw::TComponent*)>& Proc, fw::TComponent*) override {
        for (int i = 0; i < ComponentCount(); ++i)
            Proc(Components(i));
    }
};

TEST_F(ThemeEngineTest, AFormReadBackMakesACopyOfItsEmbeddedThemeCurrent) {
    std::string form;
    {
        TThemeForm root(nullptr);
        root.SetName("MainForm");
        auto* list = new TTeThemeList(&root);
        list->SetName("ThemeList1");
        auto* t = new TTestFileTheme();
        t->Title = "Skin";
        list->Themes()->Add(); // an empty slot first
        TTeThemeStream* item = list->Themes()->Add();
        item->SetTheme(t);
        item->SetTag(7);
        auto* engine = new TTeThemeEngine(&root);
        engine->SetName("ThemeEngine1");
        engine->SetThemeList(list);
        engine->SetThemeIndex(1);
        ASSERT_EQ(CurrentTheme()->Title, "Skin");
        fw::TMemoryStream s;
        fw::WriteComponent(s, &root);
        form.resize(size_t(s.Size()));
        s.SetPosition(0);
        s.ReadBuffer(form.data(), form.size());
    }
    ClearCurrentTheme();

    TThemeForm root(nullptr);
    fw::TMemoryStream s(form.data(), form.size());
    fw::ReadComponent(s, &root);
    auto* list = dynamic_cast<TTeThemeList*>(root.FindComponent("ThemeList1"));
    auto* engine = dynamic_cast<TTeThemeEngine*>(root.FindComponent("ThemeEngine1"));
    ASSERT_NE(list, nullptr);
    ASSERT_NE(engine, nullptr);
    ASSERT_EQ(list->Themes()->Count(), 2);
    EXPECT_EQ(list->Themes()->Items(0)->Theme(), nullptr);
    EXPECT_EQ(list->Themes()->Items(1)->Tag(), 7);
    EXPECT_EQ(engine->ThemeList(), list);
    EXPECT_EQ(engine->ThemeIndex(), 1);
    ASSERT_NE(CurrentTheme(), nullptr);
    EXPECT_EQ(CurrentTheme()->Title, "Skin");
    EXPECT_NE(CurrentTheme(), list->Themes()->Items(1)->Theme());
}

} // namespace
} // namespace dvr::skin
