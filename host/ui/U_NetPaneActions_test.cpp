#include "host/ui/U_NetPaneActions.h"

#include "host/ui/F_RegionZoomForm.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;
using namespace dvr::fw;

struct ZoomLog : TReplayPlayer {
    std::vector<std::string> Zooms;
    int OpenFile(int, const std::string&) override { return 1; }
    int CloseFile(int) override { return 1; }
    int SetEmptyFileRefCallBack(int) override { return 1; }
    int SetFileEndMsg(int, HWND, UINT) override { return 1; }
    int SetPicQuality(int, int) override { return 1; }
    int Play(int, HWND) override { return 1; }
    int Stop(int) override { return 1; }
    int Pause(int, int) override { return 1; }
    int OneByOne(int) override { return 1; }
    int OneByOneBack(int) override { return 1; }
    int Slow(int) override { return 1; }
    int Fast(int) override { return 1; }
    int SetPlayPos(int, float) override { return 1; }
    float GetPlayPos(int) override { return 0; }
    int SetCurrentFrameNum(int, unsigned) override { return 1; }
    unsigned GetFileTotalFrames(int) override { return 0; }
    unsigned GetPlayedTime(int) override { return 0; }
    int GetCurrentFrameNum(int) override { return 0; }
    int GetKeyFramePos(int, unsigned, int, uint32_t*) override { return 0; }
    int PlaySound(int) override { return 1; }
    int StopSound() override { return 1; }
    int SetVolume(int, int) override { return 1; }
    int RefreshPlay(int) override { return 1; }
    int LocalZoom(int p, int zoom, int x, int y, int w, int h) override {
        Zooms.push_back(std::to_string(p) + " " + std::to_string(zoom) + " " +
                        std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) +
                        "x" + std::to_string(h));
        return 1;
    }
};

TClientChannelRecord Entry(const char* name, int remote) {
    TClientChannelRecord c{};
    c.InUse = 1;
    c.Name.Set(name);
    c.RemoteChannel = uint8_t(remote);
    return c;
}

// Four board channels; pane 5 is network slot 1 and lies on a 440 x 330 panel.
struct FakeHost : TNetPaneHost {
    std::vector<std::string> Log;
    std::vector<TNetPaneGroup> GroupList;
    bool Previewing = true, Playing = true, Muted = false;
    std::string SnapshotName;
    HWND Pane = nullptr;
    ZoomLog Zoom;
    TNoRecordingsHost Recordings;
    TClientChannelRecord Slot{};

    int BoardChannelCount() override { return 4; }
    std::vector<TNetPaneGroup> Groups() override { return GroupList; }
    bool PanePreviewing(int) override { return Previewing; }
    bool PanePlaying(int) override { return Playing; }
    HWND PaneWindow(int) override { return Pane; }
    void ClosePreview(int ch) override { Log.push_back("close " + std::to_string(ch)); }
    void StopNetworkRecording(int ch) override { Log.push_back("stop " + std::to_string(ch)); }
    void SetSlotChannel(int slot, const TClientChannelRecord& e) override {
        Slot = e;
        Log.push_back("slot " + std::to_string(slot) + " " + std::string(e.Name.View()));
    }
    void RequestOpenPreview(int ch) override { Log.push_back("open " + std::to_string(ch)); }
    void SwitchToGroup(int g) override { Log.push_back("group " + std::to_string(g)); }
    void ToggleFullScreen() override { Log.push_back("full"); }
    void ChooseLayout(int n) override { Log.push_back("layout " + std::to_string(n)); }
    bool AlarmMuted() override { return Muted; }
    void SetAlarmMuted(bool m) override { Muted = m; }
    void ShowSelectionFrame(int ch, bool v) override {
        Log.push_back(std::string(v ? "frame " : "noframe ") + std::to_string(ch));
    }
    std::string SnapshotFileName(int) override { return SnapshotName; }
    void AddSnapshotFile(std::string_view day, int ch, std::string_view name) override {
        Log.push_back("add " + std::string(day) + " " + std::to_string(ch) + " " +
                      std::string(name));
    }
    void Pause(DWORD) override { Log.push_back("pause"); }
    TReplayHost& ZoomRecordings() override { return Recordings; }
    TReplayPlayer& Player() override { return Zoom; }
    std::string Title() override { return "DVR"; }
};

class NetPanes : public ::testing::Test {
protected:
    void SetUp() override {
        // Groups: A (top) with a1, a2 and sub-group B with b1; C (top) with c1.
        host_.GroupList = {{"A", -1, {Entry("a1", 0), Entry("a2", 1)}},
                           {"B", 0, {Entry("b1", 3)}},
                           {"C", -1, {Entry("c1", 0)}}};
        form_ = new TForm(nullptr);
        form_->SetBounds(0, 0, 600, 500);
        pane_ = new TPanel(form_);
        pane_->SetParent(form_);
        pane_->SetBounds(10, 10, 440, 330);
        pane_->SetColor(0x00C000);
        form_->Show();
        host_.Pane = pane_->WindowHandle();
        actions_ = std::make_unique<TNetPaneActions>(form_, host_);
    }
    void TearDown() override {
        actions_.reset();
        form_->Free();
    }
    TMenuItem* Root() { return actions_->NetPaneMenu->Items(); }
    TMenuItem* Find(TMenuItem* parent, const std::string& caption) {
        for (int i = 0; i < parent->Count(); ++i)
            if (parent->Items(i)->Caption() == caption) return parent->Items(i);
        return nullptr;
    }

    FakeHost host_;
    TForm* form_ = nullptr;
    TPanel* pane_ = nullptr;
    std::unique_ptr<TNetPaneActions> actions_;
};

TEST_F(NetPanes, MenuListsTheToolsGroupsAndEveryGroupsChannelsAndSubGroups) {
    std::vector<std::string> top;
    for (int i = 0; i < Root()->Count(); ++i)
        top.push_back(Root()->Items(i)->Caption());
    const std::vector<std::string> expected = {
        Utf8ToGbk("全屏切换"), Utf8ToGbk("局部放大"), Utf8ToGbk("报警静音"), "-",
        Utf8ToGbk("画面分割"), "-", Utf8ToGbk("切换到组"), "-", "A", "C"};
    EXPECT_EQ(top, expected);
    EXPECT_EQ(Find(Root(), Utf8ToGbk("画面分割"))->Count(), 18);
    TMenuItem* switchTo = Find(Root(), Utf8ToGbk("切换到组"));
    ASSERT_EQ(switchTo->Count(), 3);
    EXPECT_EQ(switchTo->Items(1)->Caption(), "B");
    EXPECT_EQ(switchTo->Items(2)->Tag(), 2);
    TMenuItem* a = Find(Root(), "A");
    ASSERT_EQ(a->Count(), 3);
    EXPECT_EQ(a->Items(0)->Caption(), "a1");
    EXPECT_EQ(a->Items(2)->Caption(), "B");
    EXPECT_EQ(a->Items(2)->Tag(), 0);
    ASSERT_EQ(a->Items(2)->Count(), 1);
    EXPECT_EQ(a->Items(2)->Items(0)->Caption(), "b1");

    // A rebuild after the groups changed shows the new list.
    host_.GroupList.pop_back();
    actions_->BuildNetworkPaneMenu();
    EXPECT_EQ(Find(Root(), "C"), nullptr);
    EXPECT_EQ(Find(Root(), Utf8ToGbk("切换到组"))->Count(), 2);
}

TEST_F(NetPanes, ItemsAssignAChannelSwitchGroupsAndRunThePaneTools) {
    actions_->SetMenuPane(5);
    // A group item does nothing.
    Find(Root(), "A")->Items(2)->Click();
    EXPECT_TRUE(host_.Log.empty());
    // A channel of the sub-group: the previewing pane closes, stops recording, takes the
    // channel into its slot and opens again.
    Find(Root(), "A")->Items(2)->Items(0)->Click();
    EXPECT_EQ(host_.Log, (std::vector<std::string>{"close 5", "stop 5", "pause", "slot 1 b1",
                                                   "open 5"}));
    EXPECT_EQ(host_.Slot.RemoteChannel, 3);
    host_.Log.clear();
    host_.Previewing = false;
    Find(Root(), "C")->Items(0)->Click();
    EXPECT_EQ(host_.Log, (std::vector<std::string>{"pause", "slot 1 c1", "open 5"}));
    host_.Log.clear();

    Find(Root(), Utf8ToGbk("切换到组"))->Items(2)->Click();
    Find(Root(), Utf8ToGbk("全屏切换"))->Click();
    Find(Root(), Utf8ToGbk("画面分割"))->Items(1)->Click();
    EXPECT_EQ(host_.Log, (std::vector<std::string>{"group 2", "full", "layout 4"}));
    TMenuItem* mute = Find(Root(), Utf8ToGbk("报警静音"));
    mute->Click();
    EXPECT_TRUE(host_.Muted);
    EXPECT_TRUE(mute->Checked());
    mute->Click();
    EXPECT_FALSE(host_.Muted);
}

TEST(NetPaneRegion, DragsAreClampedAndScaledToThePicture) {
    const struct {
        int ax, ay, x, y;
        PaneRect pane;
    } drags[] = {
        {100, 80, 40, 120, {40, 80, 100, 120}},
        {100, 80, 150, 30, {100, 30, 150, 80}},
        {100, 80, 500, -20, {100, 0, 440, 80}}, // clamped into the pane
    };
    for (const auto& d : drags) {
        const PaneRect r = DragSelection(d.ax, d.ay, d.x, d.y, 440, 330);
        EXPECT_EQ(r.Left, d.pane.Left);
        EXPECT_EQ(r.Top, d.pane.Top);
        EXPECT_EQ(r.Right, d.pane.Right);
        EXPECT_EQ(r.Bottom, d.pane.Bottom);
    }
    const PaneRect p = PaneToPicture({110, 55, 330, 275}, 440, 330);
    EXPECT_EQ(p.Left, 88);
    EXPECT_EQ(p.Top, 48);
    EXPECT_EQ(p.Right, 264);
    EXPECT_EQ(p.Bottom, 240);
}

TEST_F(NetPanes, RegionZoomOpensOnAPlayingPaneAndADragZoomsTheSelection) {
    host_.Playing = false;
    actions_->RegionZoom(5);
    EXPECT_EQ(actions_->ZoomForm(), nullptr);
    host_.Playing = true;
    actions_->RegionZoom(5);
    ASSERT_NE(actions_->ZoomForm(), nullptr);
    EXPECT_TRUE(actions_->ZoomForm()->Visible());
    EXPECT_EQ(host_.Zoom.Zooms, (std::vector<std::string>{"1 1 0,0 352x288"}));

    actions_->MouseDown(5, TMouseButton::mbLeft, 110, 55);
    TShiftState left;
    left.Include(TShiftStateItem::ssLeft);
    actions_->MouseMove(5, left, 330, 275);
    actions_->MouseUp(5, TMouseButton::mbLeft, 330, 275);
    // The whole-picture zoom ends, the selection is zoomed and remembered.
    EXPECT_EQ(host_.Zoom.Zooms, (std::vector<std::string>{"1 1 0,0 352x288", "1 0 0,0 352x288",
                                                          "1 1 88,48 176x192"}));
    EXPECT_EQ(actions_->ZoomForm()->State.ZoomPictureRect.Left, 88);
    EXPECT_EQ(actions_->ZoomForm()->State.ZoomPort, 1);

    // Without the zoom window a drag zooms nothing.
    actions_->ZoomForm()->Hide();
    host_.Zoom.Zooms.clear();
    actions_->MouseDown(5, TMouseButton::mbLeft, 10, 10);
    actions_->MouseMove(5, left, 100, 100);
    actions_->MouseUp(5, TMouseButton::mbLeft, 100, 100);
    EXPECT_TRUE(host_.Zoom.Zooms.empty());
}

TEST_F(NetPanes, SnapshotSavesThePanePictureAndEntersItInTheDay) {
    // No drive with room: nothing saved, the frame comes back.
    EXPECT_EQ(actions_->SnapshotNetworkPane(5), "");
    EXPECT_EQ(host_.Log, (std::vector<std::string>{"noframe 5", "frame 5"}));
    host_.Log.clear();
    // A board channel is not a network pane.
    EXPECT_EQ(actions_->SnapshotNetworkPane(2), "");

    host_.SnapshotName = "C:\\DVRDat\\20261211\\6\\PS\\netpane_test.bmp";
    ::DeleteFileA(host_.SnapshotName.c_str());
    EXPECT_EQ(actions_->SnapshotNetworkPane(5), host_.SnapshotName);
    ASSERT_EQ(host_.Log.size(), 3u);
    EXPECT_EQ(host_.Log[2], "add 20261211 5 " + host_.SnapshotName);
    std::ifstream f(host_.SnapshotName, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(f)), {});
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    int32_t width = 0, height = 0;
    std::memcpy(&width, bytes.data() + 18, 4);
    std::memcpy(&height, bytes.data() + 22, 4);
    EXPECT_EQ(width, 440);
    EXPECT_EQ(std::abs(height), 330);
    f.close();
    ::DeleteFileA(host_.SnapshotName.c_str());
}

} // namespace
} // namespace vantrel
