#include "playerapp/U_Array.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include "common/win/textconv.h"
#endif

namespace playerqz {
namespace {

TEST(CaptionTable, PlayerReadsTheEnglishBlock) {
    EXPECT_EQ(LanguageIndex, 2);
    // Entry 5 of the message array is element 17 + 5 of the array.
    EXPECT_EQ(MessageCaptions.items[17 + 5], "Camera (");
    EXPECT_EQ(MessageCaptions[mcCamera], "Camera (");
    EXPECT_EQ(MessageCaptions[mcOpenFailed],
              "Open file failed.  The file either is in use or has incorrect format.");
    EXPECT_EQ(MessageCaptions[mcAboutLine1], "");
    EXPECT_EQ(TitleCaptions[tcTitle], "MPEG4 Medieaplayer");
    EXPECT_EQ(TitleCaptions[tcAbout], "About(&A)");
    EXPECT_EQ(HintCaptions[hcFrameBack], "preview");
    EXPECT_EQ(HintCaptions[hcPosition], "Display play progress");
    EXPECT_EQ(PortCountCaptions[pcPrompt], "Please enter replay channel count(1~16):");
}

TEST(CaptionTable, EveryLanguageHasEveryEntry) {
    const CaptionArray* arrays[] = {&TitleCaptions, &HintCaptions, &MessageCaptions,
                                    &PortCountCaptions};
    for (const CaptionArray* a : arrays)
        for (int lang = 1; lang <= LanguageCount; ++lang)
            for (int i = 0; i < a->perLanguage; ++i) {
                // Only the about box lines are empty, in every language.
                const bool aboutLine =
                    a == &MessageCaptions && (i == mcAboutLine1 || i == mcAboutLine2);
                EXPECT_EQ(a->Text(lang, i).empty(), aboutLine) << lang << " " << i;
            }
    EXPECT_EQ(TitleCaptions.Text(1, tcTitle), "MPEG4专用播放器");
    EXPECT_EQ(MessageCaptions.Text(0, 1), "");
    EXPECT_EQ(MessageCaptions.Text(4, 1), "");
    EXPECT_EQ(MessageCaptions.Text(2, mcCount), "");
}

TEST(CaptionTable, ChannelNamesAndDvrName) {
    EXPECT_EQ(ChannelNameTable[0], "通道1");
    EXPECT_EQ(ChannelNameTable[23], "通道24");
    EXPECT_EQ(ChannelNameTable[24], "channel1");
    EXPECT_EQ(ChannelNameTable[47], "channel24");
    EXPECT_EQ(ChannelNameTable[48], "Pemtol DVR ");
    EXPECT_EQ(ChannelNameTable[49], "Pemtol DVR ");
    EXPECT_EQ(DvrName, "Pemtol DVR");
}

#ifdef _WIN32
// Each Chinese block is written in its own code page: GBK for simplified, Big5 for
// traditional Chinese. Every entry must convert without a stand-in character.
TEST(CaptionTable, ChineseBlocksFitTheirCodePages) {
    const CaptionArray* arrays[] = {&TitleCaptions, &HintCaptions, &MessageCaptions,
                                    &PortCountCaptions};
    const std::pair<int, UINT> blocks[] = {{1, 936}, {2, 1252}, {3, 950}};
    for (const CaptionArray* a : arrays)
        for (const auto& [lang, codePage] : blocks)
            for (int i = 0; i < a->perLanguage; ++i) {
                const std::wstring w = dvr::win::Utf8ToWide(a->Text(lang, i));
                if (w.empty()) continue;
                char out[256];
                BOOL stand_in = FALSE;
                const int n = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, w.c_str(),
                                                    static_cast<int>(w.size()), out, sizeof out,
                                                    nullptr, &stand_in);
                EXPECT_GT(n, 0);
                EXPECT_FALSE(stand_in) << lang << " " << i << " " << a->Text(lang, i);
            }
}
#endif

} // namespace
} // namespace playerqz
