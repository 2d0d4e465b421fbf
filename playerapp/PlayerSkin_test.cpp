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
