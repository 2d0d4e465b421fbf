#include "skin/engine/theme_se3.h"

#include "skin/engine/te_pixels.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

using fw::TRect;

TteColor Px(TColor c) {
    return ColorToPixel(c, 255);
}

template <class T>
T* Part(TSeSkinObject* owner, const char* name, TSeAlign a, int w, int h, TSeKind k, TColor c) {
    auto* o = new T(owner);
    o->SetName(name);
    o->Align = a;
    o->Kind = k;
    o->Color = c;
    o->SetBoundsDirect(TRect{0, 0, w, h});
    return o;
}

// A form with a red caption holding a title and a green close button, blue borders and
// a white client; a button whose face turns yellow when hot; a status bar.
std::string MakeSkinStream() {
    TSeSkinSource src;
    auto* img = new TteBitmap();
    img->Name = "img";
    img->SetSize(4, 4);
    img->FillColor(Px(fw::clLime));
    src.Images.Add(img);
    auto* form =
        Part<TSeSkinObject>(nullptr, "Form", TSeAlign::saNone, 0, 0, TSeKind::skForm, fw::clNone);
    auto* cap =
        Part<TSeSkinObject>(form, "Caption", TSeAlign::saTop, 0, 20, TSeKind::skCaption, fw::clRed);
    auto* close = Part<TSeSystemButton>(cap, "Close", TSeAlign::saRight, 16, 0,
                                        TSeKind::skSysButton, fw::clWhite);
    close->Action = TSeAction::sbaClose;
    close->Bitmap->Name = "img";
    close->Bitmap->Rect = TRect{0, 0, 4, 4};
    Part<TSeSkinObject>(cap, "Title", TSeAlign::saClient, 0, 0, TSeKind::skTitle, fw::clRed);
    Part<TSeSkinObject>(form, "Left", TSeAlign::saLeft, 4, 0, TSeKind::skLeft, fw::clBlue);
    Part<TSeSkinObject>(form, "Right", TSeAlign::saRight, 4, 0, TSeKind::skRight, fw::clBlue);
    Part<TSeSkinObject>(form, "Bottom", TSeAlign::saBottom, 0, 4, TSeKind::skBottom, fw::clBlue);
    Part<TSeSkinObject>(form, "Client", TSeAlign::saClient, 0, 0, TSeKind::skClient, fw::clWhite);
    src.AddObject(form);
    auto* button =
        Part<TSeSkinObject>(nullptr, "Button", TSeAlign::saNone, 0, 0, TSeKind::skNone, fw::clNone);
    auto* face = Part<TSeColorButtonObject>(button, "Face", TSeAlign::saNone, 0, 0, TSeKind::skNone,
                                            fw::clGray);
    face->HotColor = fw::clYellow;
    src.AddObject(button);
    auto* bar = Part<TSeSkinObject>(nullptr, "StatusBar", TSeAlign::saNone, 0, 0, TSeKind::skNone,
                                    fw::clNone);
    Part<TSeSkinObject>(bar, "Frame", TSeAlign::saNone, 0, 0, TSeKind::skNone, fw::clAqua);
    src.AddObject(bar);
    auto* progress = Part<TSeSkinObject>(nullptr, "ProgressBar", TSeAlign::saNone, 0, 0,
                                         TSeKind::skNone, fw::clNone);
    auto* pframe = Part<TSeSkinObject>(progress, "Frame", TSeAlign::saNone, 0, 0, TSeKind::skNone,
                                       fw::clBlack);
    pframe->MarginLeft = pframe->MarginRight = pframe->MarginTop = pframe->MarginBottom = 1;
    Part<TSeSkinObject>(progress, "Bar", TSeAlign::saNone, 0, 0, TSeKind::skNone, fw::clLime);
    src.AddObject(progress);
    auto* check = Part<TSeSkinObject>(nullptr, "Checkbox", TSeAlign::saNone, 0, 0, TSeKind::skNone,
                                      fw::clNone);
    Part<TSeSkinObject>(check, "Checked", TSeAlign::saNone, 4, 4, TSeKind::skNone, fw::clRed);
    src.AddObject(check);
    fw::TMemoryStream s;
    src.SaveToStream(s);
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

struct Surface {
    Surface(int w, int h) {
        bmp.SetSize(w, h);
        bmp.FillColor(0);
        canvas.SetHandle(static_cast<HDC>(bmp.DC));
    }
    ~Surface() { canvas.SetHandle(nullptr); }
    TteColor At(int x, int y) { return bmp.GetPixel(x, y) | 0xFF000000u; }
    TteBitmap bmp;
    fw::TCanvas canvas;
};

TEST(SkinTheme, LoadedSkinBecomesCurrentAndPaintsTheFormFrame) {
    InitSkinThemeUnit();
    std::string data = MakeSkinStream();
    fw::TMemoryStream probe(data.data(), data.size());
    EXPECT_TRUE(TTeSkinFile::CanLoadFromStream(probe));
    fw::TMemoryStream in(data.data(), data.size());
    TteTheme* theme = LoadThemeFromStream(in);
    ASSERT_NE(theme, nullptr);
    auto* skin = dynamic_cast<TTeSkinFile*>(theme);
    ASSERT_NE(skin, nullptr);
    SetCurrentTheme(theme);
    ASSERT_EQ(CurrentTheme(), theme);
    EXPECT_TRUE(CurrentThemeHasFormStyle(0, "default"));
    EXPECT_FALSE(skin->HasFormStyle(4, "default")); // no ToolWindow
    EXPECT_FALSE(skin->HasFormStyle(2, "default"));

    TteWindowInfo info;
    info.Rect = TRect{0, 0, 200, 150};
    info.Active = 1;
    info.Buttons = 1 << 1;
    info.ClipRect = NullRect;
    TRect content;
    skin->GetFormContentRect(0, info, content, "default");
    EXPECT_EQ(content, (TRect{4, 20, 196, 146}));

    Surface s(200, 150);
    skin->PaintFormBorder(0, s.canvas, "default", info);
    EXPECT_EQ(s.At(50, 10), Px(fw::clRed));
    EXPECT_EQ(s.At(1, 100), Px(fw::clBlue));
    EXPECT_EQ(s.At(100, 148), Px(fw::clBlue));
    EXPECT_EQ(s.At(100, 80), 0xFF000000u);   // the client area is left to the form
    EXPECT_EQ(s.At(190, 10), Px(fw::clRed)); // caption buttons are painted one by one

    TRect close;
    skin->GetFormButtonRect(0, info, close, "default", 1);
    EXPECT_EQ(close, (TRect{184, 0, 200, 20}));
    TRect none;
    skin->GetFormButtonRect(0, info, none, "default", 5);
    EXPECT_EQ(none, NullRect);
    TteFormButtonInfo b;
    b.Rect = close;
    b.Kind = 1;
    skin->PaintFormButton(0, s.canvas, "default", b, info);
    EXPECT_EQ(s.At(190, 10), Px(fw::clLime));

    skin->PaintFormClient(0, s.canvas, "default", content, info);
    EXPECT_EQ(s.At(100, 80), Px(fw::clWhite));
    EXPECT_EQ(skin->FormHitTest(0, info, "default", 50, 10), 1);

    HRGN rgn = skin->GetFormRegion(0, info, "default");
    ASSERT_NE(rgn, nullptr);
    EXPECT_TRUE(PtInRegion(rgn, 1, 100));
    EXPECT_TRUE(PtInRegion(rgn, 100, 80));
    DeleteObject(rgn);
    ClearCurrentTheme();
}

TEST(SkinTheme, ControlGroupsDrawTheirParts) {
    InitSkinThemeUnit();
    std::string data = MakeSkinStream();
    fw::TMemoryStream in(data.data(), data.size());
    TTeSkinFile skin;
    ASSERT_TRUE(skin.LoadFromStream(in));
    EXPECT_EQ(skin.Title, "Skin Theme");
    Surface s(40, 20);
    EXPECT_TRUE(skin.HasButtonStyle(0, "default"));
    EXPECT_FALSE(skin.HasButtonStyle(9, "default")); // no SpeedButton
    TteButtonInfo btn;
    btn.Rect = TRect{0, 0, 20, 20};
    skin.PaintButton(0, s.canvas, "default", btn);
    EXPECT_EQ(s.At(10, 10), Px(fw::clGray));
    btn.State = 1;
    skin.PaintButton(0, s.canvas, "default", btn);
    EXPECT_EQ(s.At(10, 10), Px(fw::clYellow));
    btn.State = 0;
    btn.Flag = 1; // pressed look: the face has no pressed colour of its own (0)
    skin.PaintButton(0, s.canvas, "default", btn);
    EXPECT_EQ(s.At(10, 10), Px(0));

    EXPECT_TRUE(skin.HasStatusBarStyle(0, "default"));
    skin.PaintStatusBar(0, s.canvas, "default", TRect{20, 0, 40, 20});
    EXPECT_EQ(s.At(30, 10), Px(fw::clAqua));
    // Without a "Hint" object the plain hint box is painted.
    EXPECT_TRUE(skin.HasHintStyle(0, "default"));
    skin.PaintHint(0, s.canvas, "default", TRect{0, 0, 10, 10});
    EXPECT_EQ(s.At(0, 0), Px(0x808080));

    // Progress: a 40-wide bar inside a 1-pixel frame, filled from 0 to half.
    Surface p(42, 10);
    TteProgressInfo pi;
    pi.Rect = TRect{0, 0, 42, 10};
    pi.Min = 0;
    pi.Max = 100;
    pi.From = 0;
    pi.To = 50;
    skin.PaintProgressBar(0, p.canvas, "default", pi);
    EXPECT_EQ(p.At(0, 0), Px(fw::clBlack));
    EXPECT_EQ(p.At(1, 5), Px(fw::clLime));
    EXPECT_EQ(p.At(20, 5), Px(fw::clLime));
    EXPECT_EQ(p.At(21, 5), Px(fw::clBlack));
    // A span outside the range draws only the frame.
    pi.From = 60;
    pi.To = 40;
    Surface q(42, 10);
    skin.PaintProgressBar(0, q.canvas, "default", pi);
    EXPECT_EQ(q.At(1, 5), Px(fw::clBlack));

    // The check mark part keeps its size, centred; a radio skin is missing.
    EXPECT_TRUE(skin.HasCheckBoxStyle(0, "default"));
    EXPECT_FALSE(skin.HasCheckBoxStyle(1, "default"));
    Surface k(10, 10);
    TteCheckBoxInfo ci;
    ci.Rect = TRect{0, 0, 10, 10};
    ci.Check = 1;
    skin.PaintCheckBox(0, k.canvas, "default", ci);
    EXPECT_EQ(k.At(3, 3), Px(fw::clRed));
    EXPECT_EQ(k.At(6, 6), Px(fw::clRed));
    EXPECT_EQ(k.At(2, 2), 0xFF000000u);
    EXPECT_EQ(k.At(7, 7), 0xFF000000u);

    // A stream without objects leaves the theme as it was.
    TSeSkinSource empty;
    fw::TMemoryStream e;
    empty.SaveToStream(e);
    e.SetPosition(0);
    EXPECT_FALSE(skin.LoadFromStream(e));
    EXPECT_TRUE(skin.HasButtonStyle(0, "default"));
}

} // namespace
} // namespace dvr::skin
