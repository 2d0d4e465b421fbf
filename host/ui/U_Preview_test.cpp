#include "host/ui/U_Preview.h"

#include <gtest/gtest.h>

#include <set>

namespace vantrel {
namespace {

using namespace dvr::fw;

struct FakePreviewHost : TPreviewHost {
    int board = 16, channels = 16;
    PaneRect area = kVideoArea;
    std::vector<PaneRect> rects;
    std::set<int> started;
    std::vector<int> startOrder, stops;
    bool splitRight = true;

    FakePreviewHost(int b, int c) : board(b), channels(c) { UpdateChannelLayout(); }
    int BoardChannelCount() override { return board; }
    int ChannelCount() override { return channels; }
    bool CheckRight(int right, int) override { return right != 20 || splitRight; }
    int StartBoardPreview(int ch, HWND, const RECT&, int) override {
        started.insert(ch);
        startOrder.push_back(ch);
        return 0;
    }
    int StopBoardPreview(int ch) override {
        started.erase(ch);
        stops.push_back(ch);
        return 0;
    }
    int SetAudioPreview(int, bool) override { return 0; }
    void RestoreOverlay() override {}
    bool ShowBackground(int) override { return true; }
    PaneRect& CurrentVideoArea() override { return area; }
    std::vector<PaneRect>& PaneRects() override { return rects; }
    void UpdateChannelLayout() override {
        rects.assign(size_t(channels), PaneRect{});
        const int panes = LayoutPanes(area, rects.data(), channels - 1);
        rects.assign(size_t(panes), PaneRect{});
        LayoutPanes(area, rects.data(), panes - 1);
    }
    bool NetworkRecording(int) override { return false; }
    void OpenNetworkPreview(int) override {}
    void CloseNetworkPreview(int) override {}
    void SendKeyFrameRequest(int) override {}
    void StatusImageClick(int, bool) override {}
};

class PreviewTest : public ::testing::Test {
protected:
    void Make(int board, int channels) {
        host = std::make_unique<FakePreviewHost>(board, channels);
        form = MakeForm<TForm>(nullptr);
        form->SetBounds(0, 0, 1024, 768);
        preview = std::make_unique<TPreview>(form, *host);
        preview->PlacePanes(channels, host->rects, channels);
    }
    void TearDown() override {
        preview.reset();
        if (form) form->Free();
    }
    static TRect R(const PaneRect& r) { return TRect{r.Left, r.Top, r.Right, r.Bottom}; }
    std::vector<int> Visible() const {
        std::vector<int> v;
        for (int ch = 0; ch < kLayoutChannels; ++ch)
            if (preview->Panes[size_t(ch)].Panel->Visible()) v.push_back(ch);
        return v;
    }
    std::vector<int> Range(int first, int last) const {
        std::vector<int> v;
        for (int ch = first; ch <= last; ++ch)
            v.push_back(ch);
        return v;
    }

    std::unique_ptr<FakePreviewHost> host;
    TForm* form = nullptr;
    std::unique_ptr<TPreview> preview;
};

TEST_F(PreviewTest, PanesTakeTheSplitRectanglesOfTheChannelCount) {
    for (int channels : {1, 4, 9, 16, 20, 49}) {
        Make(channels, channels);
        std::vector<PaneRect> expected(static_cast<size_t>(channels));
        const int cells = LayoutPanes(kVideoArea, expected.data(), channels - 1);
        expected.resize(size_t(cells));
        LayoutPanes(kVideoArea, expected.data(), cells - 1);
        ASSERT_EQ(int(host->rects.size()), cells);
        EXPECT_EQ(Visible(), Range(0, cells - 1)) << channels;
        for (int ch = 0; ch < cells; ++ch)
            EXPECT_EQ(preview->Panes[size_t(ch)].Panel->BoundsRect(), R(expected[size_t(ch)]))
                << channels << " " << ch;
        // Cells beyond the channels are empty panes with the background.
        for (int ch = channels; ch < cells; ++ch)
            EXPECT_TRUE(preview->Panes[size_t(ch)].Background->Visible());
        EXPECT_TRUE(preview->Panes[size_t(channels - 1)].StatusImage->Visible());
        if (channels < kLayoutChannels) {
            EXPECT_FALSE(preview->Panes[size_t(channels)].StatusImage->Visible());
        }
        TearDown();
        form = nullptr;
    }
}

TEST_F(PreviewTest, ASixteenPaneChoiceWithChannel40SelectedShowsChannels33To48) {
    Make(49, 49);
    preview->SelectedChannel = 40;
    preview->LayoutMenuClick(16);
    EXPECT_EQ(Visible(), Range(33, 48));
    std::vector<PaneRect> sixteen(16);
    LayoutPanes(kVideoArea, sixteen.data(), 15);
    EXPECT_EQ(preview->Panes[33].Panel->BoundsRect(), R(sixteen[0]));
    EXPECT_EQ(preview->Panes[48].Panel->BoundsRect(), R(sixteen[15]));
    EXPECT_EQ(preview->LastLayoutCount, 16);
}

TEST_F(PreviewTest, LayoutsBeyondThePaneRectanglesAreRefusedAndEmptyCellsShowTheBackground) {
    Make(20, 20);
    ASSERT_EQ(host->rects.size(), 22u);
    const auto before = Visible();
    preview->ShowLayout(0, 25);
    EXPECT_EQ(Visible(), before);
    preview->PrepareLayoutMenu();
    for (int i = 0; i < preview->LayoutMenu->Items()->Count(); ++i) {
        TMenuItem* item = preview->LayoutMenu->Items()->Items(i);
        EXPECT_EQ(item->Enabled(), item->Tag() <= 22) << item->Tag();
    }
    preview->LayoutMenuClick(22);
    EXPECT_EQ(Visible(), Range(0, 21));
    EXPECT_TRUE(preview->Panes[20].Background->Visible());
    EXPECT_TRUE(preview->Panes[21].Background->Visible());
    // Without the split right nothing changes.
    host->splitRight = false;
    preview->LayoutMenuClick(4);
    EXPECT_EQ(Visible(), Range(0, 21));
}

TEST_F(PreviewTest, AnEnlargedPaneRefusesPreviewsBehindItAndRestoresThemOnTheWayBack) {
    Make(16, 16);
    preview->Panes[10].Panel->SetVisible(false);
    EXPECT_EQ(preview->Open(10), -1); // hidden pane
    EXPECT_EQ(host->started.count(10), 0u);
    preview->Panes[10].Panel->SetVisible(true);
    for (int ch : {2, 3})
        ASSERT_EQ(preview->Open(ch), 0);
    preview->PaneDblClick(5);
    EXPECT_EQ(preview->EnlargedPane, 5);
    EXPECT_EQ(preview->Panes[5].State, kPaneEnlarged);
    EXPECT_EQ(preview->Panes[5].Panel->BoundsRect(), R(kVideoArea));
    EXPECT_TRUE(host->started.empty()); // every board overlay stopped
    EXPECT_EQ(preview->Open(4), -1);
    EXPECT_EQ(preview->Open(5), 0);
    preview->PaneDblClick(5);
    EXPECT_EQ(preview->EnlargedPane, -1);
    EXPECT_EQ(preview->Panes[5].Panel->BoundsRect(), R(host->rects[5]));
    EXPECT_EQ(host->started, (std::set<int>{2, 3, 5}));
}

TEST_F(PreviewTest, FullScreenTwiceReturnsToTheNormalLayoutFromChannel0) {
    Make(16, 16);
    preview->SelectedChannel = 9;
    preview->LayoutMenuClick(4);
    EXPECT_EQ(Visible(), Range(9, 12));
    preview->ToggleFullScreen();
    EXPECT_TRUE(preview->Backdrop->Visible());
    EXPECT_TRUE(preview->EdgeStrip->Visible());
    EXPECT_EQ(preview->Panes[0].State, kPaneFullGrid);
    std::vector<PaneRect> full(16);
    LayoutPanes(kFullScreenArea, full.data(), 15);
    EXPECT_EQ(preview->Panes[15].Panel->BoundsRect(), R(full[15]));
    preview->ToggleFullScreen();
    EXPECT_FALSE(preview->Backdrop->Visible());
    EXPECT_EQ(Visible(), Range(0, 15));
    EXPECT_EQ(preview->Panes[0].State, kPaneGrid);
    std::vector<PaneRect> normal(16);
    LayoutPanes(kVideoArea, normal.data(), 15);
    EXPECT_EQ(preview->Panes[15].Panel->BoundsRect(), R(normal[15]));
}

struct LeaveCountingPtz : TPtzPaneMouse {
    bool active = false;
    int leaves = 0;
    bool Active() override { return active; }
    void MouseMove(int, TShiftState, int, int, int, int) override {}
    void MouseDown(int, TMouseButton) override {}
    bool MouseUp(int, TMouseButton) override { return false; }
    void MouseLeave() override { ++leaves; }
};

TEST_F(PreviewTest, TheMouseLeavingAPaneReachesThePtzModeOnlyWhileItIsOn) {
    Make(4, 4);
    LeaveCountingPtz ptz;
    preview->PtzMouse = &ptz;
    preview->Panes[2].Panel->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(ptz.leaves, 0);
    ptz.active = true;
    preview->Panes[2].Panel->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(ptz.leaves, 1);
    preview->PtzMouse = nullptr;
}

} // namespace
} // namespace vantrel
