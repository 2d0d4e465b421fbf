// The built-in skin as the build draws it: it loads, and writing it back gives a file that
// reads the same.
#include "skin/engine/theme_se3source.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

using namespace dvr;
using namespace dvr::skin;

std::string ReadAll(const char* path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void Load(TSeSkinSource& src, const std::string& data) {
    fw::TMemoryStream s(data.data(), data.size());
    std::unique_ptr<TSeSkinFilter> f(FindSkinFilterByExtension("x.mskn")->Create());
    f->Source = &src;
    f->LoadFromStream(s);
}

std::string Save(TSeSkinSource& src) {
    fw::TMemoryStream s;
    std::unique_ptr<TSeSkinFilter> f(FindSkinFilterByExtension("x.mskn")->Create());
    f->Source = &src;
    f->SaveToStream(s);
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

TEST(PlayerSkin, LoadsWithTheObjectsThePlayerPaintsWith) {
    const std::string file = ReadAll(PLAYER_SKIN_FILE);
    ASSERT_GT(file.size(), 4u);
    EXPECT_EQ(file.substr(0, 4), "ZRLZ");
    TSeSkinSource src;
    Load(src, file);
    EXPECT_EQ(src.SkinName, "PlayerQZ Dark");
    for (const char* name : {"caption", "frame", "bar", "button", "close", "min", "max"}) {
        const TteBitmap* b = nullptr;
        for (int i = 0; i < src.Images.Count(); ++i)
            if (src.Images.GetBitmap(i)->Name == name) b = src.Images.GetBitmap(i);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_FALSE(b->IsEmpty()) << name;
    }
    for (const char* name : {"Form", "Button", "SpeedButton", "SpinButton", "ToolBar",
                             "ControlBar", "StatusBar", "Edit", "TrackBar", "Panel"})
        EXPECT_NE(src.FindObject(name), nullptr) << name;
    TSeSkinObject* form = src.FindObject("Form");
    ASSERT_NE(form, nullptr);
    EXPECT_NE(form->FindObjectByKind(TSeKind::skClient), nullptr);
    auto* caption = dynamic_cast<TSeBitmapObject*>(form->FindObjectByKind(TSeKind::skCaption));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->Bitmap->Name, "caption");
    EXPECT_EQ(caption->Height(), 24);
    for (TSeAction a : {TSeAction::sbaClose, TSeAction::sbaMinimize, TSeAction::sbaMaximize})
        EXPECT_NE(form->FindSystemButton(a), nullptr) << int(a);
}

TEST(PlayerSkin, RoundTripsThroughTheSkinSource) {
    TSeSkinSource first;
    Load(first, ReadAll(PLAYER_SKIN_FILE));
    const std::string saved = Save(first);
    TSeSkinSource second;
    Load(second, saved);
    EXPECT_EQ(Save(second), saved);
    EXPECT_EQ(second.Count(), first.Count());
    EXPECT_EQ(second.Images.Count(), first.Images.Count());
}

} // namespace

// The form object draws the caption and frame images at the window's size (a white
// caption was once all the skin showed: its title part filled it).
TEST(PlayerSkin, FormDrawsItsCaptionAndFrameImages) {
    TSeSkinSource src;
    Load(src, ReadAll(PLAYER_SKIN_FILE));
    auto image = [&](const char* name) {
        for (int i = 0; i < src.Images.Count(); ++i)
            if (src.Images.GetBitmap(i)->Name == name) return src.Images.GetBitmap(i);
        return static_cast<TteBitmap*>(nullptr);
    };
    TSeSkinObject* form = src.FindObject("Form");
    ASSERT_NE(form, nullptr);
    form->SetBoundsRect(TRect{0, 0, 640, 480});
    TteBitmap out;
    out.SetSize(640, 480);
    out.FillColor(0xFF123456);
    TSeBitmapCanvas canvas(out);
    form->Draw(canvas, TRect{});
    const TteBitmap* caption = image("caption");
    const TteBitmap* frame = image("frame");
    ASSERT_TRUE(caption && frame);
    // The caption is stretched across, one image row per window row.
    for (int y : {2, 12, 20})
        EXPECT_EQ(out.GetPixel(320, y), caption->GetPixel(caption->Width / 2, y)) << y;
    // The frame: left, right and bottom edges from the frame image's edges.
    EXPECT_EQ(out.GetPixel(0, 240), frame->GetPixel(0, frame->Height / 2));
    EXPECT_EQ(out.GetPixel(639, 240), frame->GetPixel(frame->Width - 1, frame->Height / 2));
    EXPECT_EQ(out.GetPixel(320, 479), frame->GetPixel(frame->Width / 2, frame->Height - 1));
    EXPECT_EQ(form->FindObjectByKind(TSeKind::skClient)->BoundsRect(), (TRect{4, 24, 636, 476}));
}
