#include "skin/engine/theme_se3source.h"

#include "framework/exceptions.h"
#include "skin/engine/te_pixels.h"
#include "skin/engine/te_utils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace dvr::skin {
namespace {

using fw::TRect;

std::string Bytes(fw::TMemoryStream& s) {
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

std::string Save(TSeSkinSource& src, const TSeSkinFilterClass* fc) {
    fw::TMemoryStream s;
    std::unique_ptr<TSeSkinFilter> f(fc->Create());
    f->Source = &src;
    f->SaveToStream(s);
    return Bytes(s);
}

void Load(TSeSkinSource& src, const TSeSkinFilterClass* fc, const std::string& data) {
    fw::TMemoryStream s(data.data(), data.size());
    std::unique_ptr<TSeSkinFilter> f(fc->Create());
    f->Source = &src;
    f->LoadFromStream(s);
}

// A skin with one image, a form tree of several kinds and a button with a text part.
void MakeSkin(TSeSkinSource& src) {
    src.SkinName = "Test skin";
    auto* img = new TteBitmap();
    img->Name = "themeimage";
    img->SetSize(6, 4);
    img->FillColor(MakePixel(10, 20, 30, 255));
    img->SetPixel(1, 1, MakePixel(255, 0, 255, 255)); // magenta becomes a key pixel
    src.Images.Add(img);

    auto* form = new TSeSkinObject(nullptr);
    form->SetName("Form");
    form->Kind = TSeKind::skForm;
    auto* cap = new TSeBitmapObject(form);
    cap->SetName("Caption");
    cap->Align = TSeAlign::saTop;
    cap->Kind = TSeKind::skCaption;
    cap->Bitmap->Name = "themeimage";
    cap->Bitmap->Rect = TRect{0, 0, 6, 4};
    cap->MarginLeft = 2;
    cap->TileStyle = TscTileStyle::tsStretch;
    cap->SetHeight(4);
    auto* close = new TSeSystemButton(cap);
    close->SetName("Close");
    close->Action = TSeAction::sbaClose;
    close->Align = TSeAlign::saTopRight;
    auto* title = new TSeTextObject(cap);
    title->SetName("Title");
    title->Kind = TSeKind::skTitle;
    title->FontHot.Color = fw::clRed;
    title->Font.Name = "宋体";
    auto* client = new TSeBitmapBoxObject(form);
    client->SetName("Client");
    client->Kind = TSeKind::skClient;
    client->Align = TSeAlign::saClient;
    client->BorderTileStyle = TscTileStyle::tsHorzCenterTile;
    auto* link = new TSeLinkSkinObject(form);
    link->SetName("Place");
    link->LinkControl = "Panel1";
    auto* roll = new TSeRollPanelObject(form);
    roll->SetName("Roll");
    roll->RollKind = TSeRollKind::rkBottom;
    roll->RollValue = -3;
    src.AddObject(form);

    auto* button = new TSeButtonBitmapBoxObject(nullptr);
    button->SetName("Button");
    button->Color = 0x123456;
    auto* text = new TSeColorButtonObject(button);
    text->SetName("Text");
    text->HotColor = fw::clWindowText;
    text->DisabledFont.Color = 0x808080;
    src.AddObject(button);
    src.Colors.SetColor(ktcWindow, 0x010203);
    src.Fonts.GetFont(5)->Size = 13;
}

class SkinFileFormats : public ::testing::TestWithParam<int> {};

TEST_P(SkinFileFormats, WrittenAndReadBackGivesTheSameSkin) {
    const TSeSkinFilterClass* fc = SkinFilters()[size_t(GetParam())];
    TSeSkinSource src;
    MakeSkin(src);
    std::string data = Save(src, fc);
    TSeSkinSource back;
    Load(back, fc, data);
    // Read and written again, byte for byte: every object, property, image and table
    // survives (the first read turned magenta into the key colour).
    std::string again = Save(back, fc);
    TSeSkinSource back2;
    Load(back2, fc, again);
    EXPECT_TRUE(Save(back2, fc) == again);
    src.Images.GetBitmap(0)->SetPixel(1, 1, KeyColor);
    EXPECT_TRUE(Save(back, TSeSkinFilterUncompressed::Class()) ==
                Save(src, TSeSkinFilterUncompressed::Class()));

    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.SkinName, "Test skin");
    TSeSkinObject* form = back.FindObject("FORM");
    ASSERT_TRUE(form);
    ASSERT_EQ(form->ChildCount(), 4);
    auto* cap = dynamic_cast<TSeBitmapObject*>(form->Child(0));
    ASSERT_TRUE(cap);
    EXPECT_EQ(cap->Bitmap->Bitmap, back.Images.GetBitmap(0)); // links resolved
    EXPECT_TRUE(cap->Bitmap->IsValid());
    EXPECT_EQ(cap->MarginLeft, 2);
    auto* title = dynamic_cast<TSeTextObject*>(cap->FindChildObject("title"));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->FontHot.Color, fw::clRed);
    EXPECT_EQ(title->Font.Name, "宋体");
    EXPECT_EQ(title->Font.Charset, fw::DEFAULT_CHARSET);
    auto* close = dynamic_cast<TSeSystemButton*>(form->FindSystemButton(TSeAction::sbaClose));
    ASSERT_TRUE(close);
    EXPECT_EQ(close->Kind, TSeKind::skSysButton);
    EXPECT_EQ(dynamic_cast<TSeLinkSkinObject*>(form->FindChildObject("Place"))->LinkControl,
              "Panel1");
    EXPECT_EQ(dynamic_cast<TSeRollPanelObject*>(form->FindChildObject("Roll"))->RollValue, -3);
    // Magenta became the key colour.
    EXPECT_TRUE(IsKeyRGB(back.Images.GetBitmap(0)->GetPixel(1, 1)));
    EXPECT_EQ(back.Colors.GetColor(ktcWindow), 0x010203);
    EXPECT_EQ(back.Fonts.GetFont(5)->Size, 13);
}

INSTANTIATE_TEST_SUITE_P(AllFour, SkinFileFormats, ::testing::Values(0, 1, 2, 3));

TEST(SkinFile, WrappingAndEmptyBodies) {
    TSeSkinSource src;
    std::string u = Save(src, TSeSkinFilterUncompressed::Class());
    std::string k = Save(src, TSeSkinFilterCompressed::Class());
    std::string x = Save(src, TSeSkinFilterUltraCompressed::Class());
    std::string m = Save(src, TSeSkinFilterMaxCompression::Class());
    EXPECT_EQ(k.substr(0, 6), std::string("ZRLZ\x78\x01"));
    EXPECT_EQ(x.substr(0, 6), std::string("ZRLZ\x78\xDA"));
    EXPECT_EQ(m.substr(0, 6), std::string("ZRLZ\x78\xDA"));
    // Five strings, a plain image count, the object count with the table bits.
    size_t at = 0;
    for (int i = 0; i < 5; ++i) {
        int32_t n;
        std::memcpy(&n, u.data() + at, 4);
        at += 4 + size_t(n);
    }
    int32_t images, objects;
    std::memcpy(&images, u.data() + at, 4);
    std::memcpy(&objects, u.data() + at + 4, 4);
    EXPECT_EQ(images, 0);
    EXPECT_EQ(objects, 0x000F0000);

    TSeSkinSource back;
    back.Colors.SetColor(ktcWindow, 7);
    Load(back, TSeSkinFilterMaxCompression::Class(), m);
    EXPECT_EQ(back.Count(), 0);
    EXPECT_EQ(back.Colors.GetColor(ktcWindow), src.Colors.GetColor(ktcWindow));
}

TEST(SkinFile, BodyWithoutTablesDerivesThemFromTheObjects) {
    TSeSkinSource src;
    MakeSkin(src);
    auto* edit = new TSeSkinObject(nullptr);
    edit->SetName("Edit");
    edit->Color = 0x00AA00;
    auto* text = new TSeTextObject(edit);
    text->SetName("Text");
    text->Font.Color = 0x0000AA;
    text->FontDisabled.Color = 0x111111;
    src.AddObject(edit);
    // Write the text body and cut it after the objects, clearing the table bits.
    std::string u = Save(src, TSeSkinFilterUncompressed::Class());
    fw::TMemoryStream tables;
    src.Colors.SaveToStream(tables);
    src.Fonts.SaveToStream(tables);
    u.resize(u.size() - size_t(tables.Size()));
    size_t at = 0;
    for (int i = 0; i < 5; ++i) {
        int32_t n;
        std::memcpy(&n, u.data() + at, 4);
        at += 4 + size_t(n);
    }
    fw::TMemoryStream probe(u.data(), u.size());
    probe.SetPosition(int64_t(at) + 4);
    TteBitmap skip;
    skip.LoadFromStream(probe);
    size_t countAt = size_t(probe.Position());
    int32_t count = 3;
    std::memcpy(u.data() + countAt, &count, 4);

    TSeSkinSource back;
    Load(back, TSeSkinFilterUncompressed::Class(), u);
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.Colors.GetColor(ktcEditNormal), 0x00AA00);
    EXPECT_EQ(back.Colors.GetColor(ktcEditSelection), fw::clHighlight);
    EXPECT_EQ(back.Colors.GetColor(ktcButtonHot), 0x123456);
    EXPECT_EQ(back.Colors.GetColor(ktcHint), fw::clInfoBk);
    EXPECT_EQ(back.Colors.GetColor(ktcBorder), 0);
    const char* const* names = ThemeEntryNames + kThemeColorCount;
    auto font = [&](const char* n) {
        for (int i = 0; i < kThemeFontCount; ++i)
            if (std::strcmp(names[i], n) == 0) return back.Fonts.GetFont(i);
        return static_cast<TteFont*>(nullptr);
    };
    EXPECT_EQ(font("EditBoxTextNormal")->Color, 0x0000AA);
    EXPECT_EQ(font("EditBoxTextDisabled")->Color, 0x111111);
    EXPECT_EQ(font("EditBoxTextSelected")->Color, 0xFFFFFF);
    EXPECT_EQ(font("WindowTextNormal")->Name, "Tahoma");
}

TEST(SkinFile, TruncatedFilesRaiseReadErrors) {
    TSeSkinSource src;
    MakeSkin(src);
    for (const TSeSkinFilterClass* fc : SkinFilters()) {
        std::string data = Save(src, fc);
        for (size_t n = 0; n < data.size(); n += 1 + n / 40) {
            TSeSkinSource back;
            EXPECT_THROW(Load(back, fc, data.substr(0, n)), fw::EStreamError)
                << fc->Extension << " cut at " << n;
        }
    }
}

TEST(SkinFile, HostileBodiesAreRefused) {
    auto header = [] {
        auto s = std::make_unique<fw::TMemoryStream>();
        for (int i = 0; i < 5; ++i)
            WriteString(*s, "x");
        return s;
    };
    auto put = [](fw::TMemoryStream& s, int32_t v) { s.WriteBuffer(&v, 4); };
    auto refuses = [](fw::TMemoryStream& s, const TSeSkinFilterClass* fc) {
        TSeSkinSource back;
        std::string d(s.Bytes().begin(), s.Bytes().end());
        EXPECT_THROW(Load(back, fc, d), fw::EReadError);
    };
    { // a huge image count
        auto s = header();
        put(*s, 0x7FFFFFFF);
        refuses(*s, TSeSkinFilterUncompressed::Class());
    }
    { // an unregistered class
        auto s = header();
        put(*s, 0);
        put(*s, 0x000F0001);
        WriteString(*s, "TForeignObject");
        put(*s, 0);
        refuses(*s, TSeSkinFilterUncompressed::Class());
    }
    { // a binary object whose size passes the end
        auto s = header();
        put(*s, 0x000F0000);
        put(*s, 0x000F0001);
        WriteString(*s, "TSeSkinObject");
        put(*s, 1000);
        s->WriteBuffer("TPF0", 4);
        refuses(*s, TSeSkinFilterMaxCompression::Class());
    }
    { // not a zlib stream
        fw::TMemoryStream s;
        s.WriteBuffer("ZRLZnot zlib at all", 19);
        refuses(s, TSeSkinFilterCompressed::Class());
    }
    { // children nested far deeper than any skin
        TSeSkinSource deep;
        TSeSkinObject* o = new TSeSkinObject(nullptr);
        deep.AddObject(o);
        for (int i = 0; i < 40; ++i)
            o = new TSeSkinObject(o);
        std::string d = Save(deep, TSeSkinFilterMaxCompression::Class());
        TSeSkinSource back;
        EXPECT_THROW(Load(back, TSeSkinFilterMaxCompression::Class(), d), fw::EReadError);
    }
}

TEST(SkinFile, OlderBmpImagesKeepMagenta) {
    // A 2 x 1 bottom-up 24-bit BMP: magenta, then blue.
    std::string bmp(54, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(bmp.data() + at, &v, 4); };
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 1);
    bmp[26] = 1;
    bmp[28] = 24;
    bmp += std::string("\xFF\x00\xFF\xFF\x00\x00\x00\x00", 8);
    fw::TMemoryStream s;
    for (int i = 0; i < 5; ++i)
        WriteString(s, "x");
    int32_t one = 1, none = 0x000F0000;
    s.WriteBuffer(&one, 4);
    WriteString(s, "old");
    int32_t size = int32_t(bmp.size());
    s.WriteBuffer(&size, 4);
    s.WriteBuffer(bmp.data(), bmp.size());
    s.WriteBuffer(&none, 4);
    TSeSkinSource src;
    src.Colors.SaveToStream(s);
    src.Fonts.SaveToStream(s);
    std::string body(s.Bytes().begin(), s.Bytes().end());
    fw::TMemoryStream in(body.data(), body.size());
    TSeSkinSource back;
    TSeSkinFilterMaxCompression f;
    f.Source = &back;
    f.ReadBody(in);
    ASSERT_EQ(back.Images.Count(), 1);
    EXPECT_EQ(back.Images.GetBitmap(0)->Name, "old");
    EXPECT_EQ(back.Images.GetBitmap(0)->GetPixel(0, 0), MakePixel(255, 0, 255, 255));
    EXPECT_EQ(back.Images.GetBitmap(0)->GetPixel(1, 0), MakePixel(0, 0, 255, 255));
}

TEST(SkinFile, FiltersByExtensionAndLookups) {
    EXPECT_EQ(FindSkinFilterByExtension("a\\b.MSKN"), TSeSkinFilterMaxCompression::Class());
    EXPECT_EQ(FindSkinFilterByExtension("skin.uskn"), TSeSkinFilterUncompressed::Class());
    EXPECT_EQ(FindSkinFilterByExtension("skin"), nullptr);
    EXPECT_EQ(FindSkinFilterByExtension("dir.kskn\\skin"), nullptr);
    EXPECT_EQ(GetSkinFileFilter(),
              "Uncompressed Skin (*.uskn)|*.uskn|Compressed Skin (*.kskn)|*.kskn|Ultra "
              "Compressed Skin (*.xskn)|*.xskn|Maximum Compressed (*.mskn)|*.mskn");
    TSeSkinSource src;
    EXPECT_NE(FindSkinObjectClass("TSeBitmapObject"), nullptr);
    EXPECT_EQ(FindSkinObjectClass("tsebitmapobject"), nullptr);
    EXPECT_EQ(SkinObjectClasses().size(), 17u);
    EXPECT_EQ(src.SkinObjects(0), nullptr);
}

TEST(SkinFile, HueShiftsAreAppliedOnceAndCopiesStartUnshifted) {
    TSeSkinSource src;
    MakeSkin(src);
    TteColor before = src.Images.GetBitmap(0)->GetPixel(0, 0);
    src.SetHue(60);
    TteColor shifted = src.Images.GetBitmap(0)->GetPixel(0, 0);
    EXPECT_NE(shifted, before);
    src.SetHue(60);
    EXPECT_EQ(src.Images.GetBitmap(0)->GetPixel(0, 0), shifted);

    TSeSkinSource copy;
    copy.Assign(&src);
    EXPECT_EQ(copy.Hue(), 0);
    EXPECT_EQ(copy.Images.GetBitmap(0)->GetPixel(0, 0), shifted);
    copy.SetHue(60); // the same value shifts the copy
    EXPECT_NE(copy.Images.GetBitmap(0)->GetPixel(0, 0), shifted);
    ASSERT_EQ(copy.Count(), 2);
    auto* cap = dynamic_cast<TSeBitmapObject*>(copy.SkinObjects(0)->Child(0));
    EXPECT_EQ(cap->Bitmap->Bitmap, copy.Images.GetBitmap(0));
}

TEST(SkinFile, FilesByNameBesideTheProgram) {
    std::string dir = ::testing::TempDir();
    TSeSkinSource src;
    MakeSkin(src);
    src.SaveToFile(dir + "t_skin.xskn");
    src.SaveToFile(dir + "t_skin.bin"); // unknown extension: the "kskn" layout
    {
        std::ifstream f(dir + "t_skin.bin", std::ios::binary);
        char m[6] = {};
        f.read(m, 6);
        EXPECT_EQ(std::string(m, 6), std::string("ZRLZ\x78\x01"));
    }
    TSeSkinSource back;
    back.LoadFromFile(dir + "t_skin.xskn");
    ASSERT_EQ(back.Count(), 2);
    // The first client of each top-level object is unmasked after loading.
    EXPECT_FALSE(back.SkinObjects(0)->FindObjectByKind(TSeKind::skClient)->Masked);
    EXPECT_TRUE(src.SkinObjects(0)->FindObjectByKind(TSeKind::skClient)->Masked);

    TSeSkinSource missing;
    missing.LoadFromFile("t_skin.xskn"); // not in the current folder, no program folder
    EXPECT_EQ(missing.Count(), 0);
    SetSkinProgramFolder(dir);
    missing.LoadFromFile("t_skin.xskn");
    EXPECT_EQ(missing.Count(), 2);
    TSeSkinSource drive;
    drive.LoadFromFile("Q:t_skin.xskn"); // a drive name is not looked up beside the program
    EXPECT_EQ(drive.Count(), 0);
    SetSkinProgramFolder("");
    std::remove((dir + "t_skin.xskn").c_str());
    std::remove((dir + "t_skin.bin").c_str());
}

} // namespace
} // namespace dvr::skin
