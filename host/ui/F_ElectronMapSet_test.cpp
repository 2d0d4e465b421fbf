#include "host/ui/F_ElectronMapSet.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TClientChannelRecord Channel(const char* name, int remote, int group) {
    TClientChannelRecord r{};
    r.InUse = 1;
    r.Name.Set(name);
    r.RemoteChannel = uint8_t(remote);
    r.GroupIndex = group;
    return r;
}

// The map window's tree: maps, the local host with two board channels, a host group.
struct MapTree {
    TForm* owner = new TForm(nullptr);
    TTreeView* tree = new TTreeView(owner);
    TTreeNode* top;
    MapTree() {
        tree->SetParent(owner);
        top = tree->Items()->AddChild(nullptr, Utf8ToGbk("地图列表"));
        TTreeNode* local = tree->Items()->AddChild(top, Utf8ToGbk("本地主控"));
        tree->Items()->AddChild(local, "cam1");
        tree->Items()->AddChild(local, "cam2");
        TTreeNode* group = tree->Items()->AddChild(top, "hostA");
        tree->Items()->AddChild(group, "door");
        tree->Items()->AddChild(group, "nobody");
    }
    ~MapTree() { owner->Free(); }
};

struct Picker {
    TElectronMapSetForm* f;
    Picker(int board, const std::vector<TClientChannelRecord>& channels, TTreeNode* root, int tag) {
        f = new TElectronMapSetForm(nullptr, board, channels);
        f->AfterConstruction();
        f->SourceRoot = root;
        f->SetTag(tag);
        f->Show();
    }
    ~Picker() { f->Free(); }
    TTreeNode* Node(int index) { return f->tv_MapTree->Items()->Item(index); }
    void Pick(int index) {
        f->tv_MapTree->SetSelected(Node(index));
        f->bt_OKClick(f->bt_OK);
    }
};

TEST(ElectronMapSetForm, PicksNodesAndTheirChannels) {
    MapTree map;
    const std::vector<TClientChannelRecord> channels{Channel("door", 3, 0), Channel("cam2", 9, 1),
                                                     Channel("door", 5, 2)};
    {
        Picker p(2, channels, map.top, 0);
        ASSERT_EQ(p.f->tv_MapTree->Items()->Count(), 7);
        EXPECT_EQ(p.Node(0)->Text(), Utf8ToGbk("地图列表"));
        EXPECT_EQ(p.Node(5)->Text(), "door");
        EXPECT_FALSE(p.f->se_DetectorNum->Visible());
        p.Pick(0); // any node, the top one included
        EXPECT_EQ(p.f->ModalResult(), mrOk);
        EXPECT_EQ(p.f->ChosenNode, p.Node(0));
    }
    {
        Picker p(2, channels, map.top, 1);
        p.Pick(0);
        p.Pick(1); // a node with children
        EXPECT_EQ(p.f->ModalResult(), mrNone);
        p.Pick(3); // the second board channel: no host-list lookup
        EXPECT_EQ(p.f->ModalResult(), mrOk);
        EXPECT_EQ(p.f->ChosenChannel.GroupIndex, -1);
        EXPECT_EQ(p.f->ChosenChannel.RemoteChannel, 1);
    }
    {
        Picker p(0, channels, map.top, 2); // no board: looked up by name
        EXPECT_TRUE(p.f->se_DetectorNum->Visible());
        EXPECT_TRUE(p.f->lb_DetectorNum_Title->Visible());
        EXPECT_EQ(p.f->DetectorNumber(), 1);
        p.Pick(3);
        EXPECT_EQ(p.f->ChosenChannel.GroupIndex, 1);
        EXPECT_EQ(p.f->ChosenChannel.RemoteChannel, 9);
    }
    {
        Picker p(2, channels, map.top, 1);
        p.Pick(6); // no record of that name: the dialog stays open
        EXPECT_EQ(p.f->ModalResult(), mrNone);
        EXPECT_EQ(p.f->ChosenNode, nullptr);
        p.Pick(5); // two records: the later one
        EXPECT_EQ(p.f->ModalResult(), mrOk);
        EXPECT_EQ(p.f->ChosenChannel.GroupIndex, 2);
        EXPECT_EQ(p.f->ChosenChannel.RemoteChannel, 5);
        EXPECT_EQ(p.f->ChosenNode->Text(), "door");
    }
}

} // namespace
} // namespace vantrel
