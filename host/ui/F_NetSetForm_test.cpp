#include "host/ui/F_NetSetForm.h"

#include "host/engine/host_engine_testing.h"

#include "common/win/textconv.h"
#include "host/ui/window_shot_testing.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace vantrel {
namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

constexpr const char* kClientKey = "SOFTWARE\\VQS\\CLIENT";

TClientGroupRecord Group(const std::string& name, int32_t id, int32_t parent) {
    TClientGroupRecord g{};
    g.Name.Set(name);
    g.HostAddress.Set("10.0.0." + std::to_string(id));
    g.OwnId = id;
    g.ParentId = parent;
    TArithmetic::SetDefaultPorts(g.Ports);
    return g;
}

TClientChannelRecord Channel(const std::string& name, int32_t group, int remote) {
    TClientChannelRecord c{};
    c.InUse = 1;
    c.Name.Set(name);
    c.GroupId = group;
    c.RemoteChannel = uint8_t(remote);
    c.DropBFrames = 1;
    return c;
}

class NetSetFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DeleteHostSettings();
        Store({Channel("a1", 7, 0), Channel("a2", 7, 3), Channel("b1", 9, 1)},
              {Group("A", 7, 0), Group("B", 9, 7)});
        other = std::make_unique<TSystemOtherSet>(arithmetic);
        set = std::make_unique<TNetClientSet>(arithmetic, *other, 0);
        form = new TNetSetForm(nullptr, *set);
        form->AfterConstruction();
        form->ShowMessage = [this](const std::string& m) { messages.push_back(m); };
        form->Show();
    }
    void TearDown() override {
        form->Free();
        testing::DeleteHostSettings();
    }
    void Store(const std::vector<TClientChannelRecord>& channels,
               const std::vector<TClientGroupRecord>& groups) {
        TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, kClientKey, "ChannelInfo",
                                    channels.data(), int(channels.size() * 32));
        TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, kClientKey, "GroupInfo", groups.data(),
                                    int(groups.size() * 196));
    }
    // What OK wrote, read back.
    template <class T> std::vector<T> Stored(const char* value) {
        const int size = TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, kClientKey, value);
        std::vector<T> out(size_t(size) / sizeof(T));
        if (!out.empty())
            TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, kClientKey, value, out.data(),
                                       int(out.size() * sizeof(T)));
        return out;
    }
    TTreeNode* Node(const char* caption) {
        for (int i = 0; i < form->tv_GroupTree->Items()->Count(); ++i)
            if (form->tv_GroupTree->Items()->Item(i)->Text() == caption)
                return form->tv_GroupTree->Items()->Item(i);
        return nullptr;
    }
    void Select(TTreeNode* n) { form->tv_GroupTree->SetSelected(n); }
    void AddConnection(const std::string& name, const char* channel) {
        form->lv_PortList->SetSelected(nullptr);
        form->sb_AddPortItem->Click();
        form->ed_PortName->SetText(name);
        form->se_PortMainChannel->SetText(channel);
        form->sb_PortSetOK->Click();
    }

    TArithmetic arithmetic;
    std::unique_ptr<TSystemOtherSet> other;
    std::unique_ptr<TNetClientSet> set;
    TNetSetForm* form = nullptr;
    std::vector<std::string> messages;
};

TEST_F(NetSetFormTest, ShowsTheGroupsUnderTheRootAndAGroupsFieldsAndConnections) {
    TTreeNode* root = form->Root();
    ASSERT_TRUE(root);
    EXPECT_EQ(root->Text(), Utf8ToGbk("连接组"));
    ASSERT_EQ(root->Count(), 1);
    EXPECT_EQ(root->Item(0)->Text(), "A");
    ASSERT_EQ(root->Item(0)->Count(), 1);
    EXPECT_EQ(root->Item(0)->Item(0)->Text(), "B");
    Select(Node("A"));
    EXPECT_EQ(form->CurrentGroupNode, Node("A"));
    EXPECT_EQ(form->ed_MainAddr->GetText(), "10.0.0.7");
    ASSERT_EQ(form->lv_PortList->Items()->Count(), 2);
    TListItem* row = form->lv_PortList->Items()->Item(1);
    EXPECT_EQ(row->Caption(), "a2");
    EXPECT_EQ(row->SubItems()->Get(0), "4");
    EXPECT_EQ(row->SubItems()->Get(1), Utf8ToGbk("一般"));
    EXPECT_TRUE(row->Checked());
    EXPECT_FALSE(form->Modified);
    EXPECT_EQ(form->Port("se_TCPVideoServerPortBase")->GetText(), "50000");
    form->Port("se_TCPVideoServerPortBase")->SetText("60000");
    EXPECT_EQ(form->lb_VideoPort_Info->Caption(), VideoPortNote(60000));
    EXPECT_EQ(VideoPortNote(60000), Utf8ToGbk("（将占用的端口共有：从60000到60049）"));
    EXPECT_TRUE(form->Modified);
}

TEST_F(NetSetFormTest, OkWritesGroupsDepthFirstWithTheirConnectionsAndTrimmedLogins) {
    Select(Node("A"));
    form->ed_UserName->SetText("  admin ");
    form->ed_Password->SetText(" pw  ");
    form->ed_MainAddr->SetText(" 10.1.1.1");
    // A new group under the root is saved with parent 0, after A's subtree.
    Select(form->Root());
    form->sb_AddTreeNode->Click();
    TTreeNode* added = form->tv_GroupTree->Selected();
    ASSERT_TRUE(added);
    EXPECT_EQ(added->Text().rfind("Group_", 0), 0u);
    // Its caption is edited in place; the name is cut to 20 characters.
    HWND edit = TreeView_GetEditControl(form->tv_GroupTree->WindowHandle());
    ASSERT_TRUE(edit);
    ::SetWindowTextW(edit, L"C_a_name_longer_than_twenty");
    TreeView_EndEditLabelNow(form->tv_GroupTree->WindowHandle(), FALSE);
    EXPECT_EQ(added->Text(), "C_a_name_longer_than_twenty");
    AddConnection("c1", "49");
    form->bt_OK->Click();
    EXPECT_EQ(form->ModalResult(), mrOk);

    const auto groups = Stored<TClientGroupRecord>("GroupInfo");
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].Name.Get(), "A");
    EXPECT_EQ(groups[0].UserName.Get(), "admin");
    EXPECT_EQ(groups[0].Password.Get(), "pw");
    EXPECT_EQ(groups[0].HostAddress.Get(), " 10.1.1.1");
    EXPECT_EQ(groups[0].ParentId, 0);
    EXPECT_EQ(groups[1].Name.Get(), "B");
    EXPECT_EQ(groups[1].ParentId, groups[0].OwnId);
    EXPECT_EQ(groups[2].Name.Get(), "C_a_name_longer_than");
    EXPECT_EQ(groups[2].ParentId, 0);
    EXPECT_NE(groups[2].OwnId, groups[0].OwnId);
    EXPECT_NE(groups[2].OwnId, groups[1].OwnId);
    const auto channels = Stored<TClientChannelRecord>("ChannelInfo");
    ASSERT_EQ(channels.size(), 4u);
    EXPECT_EQ(channels[0].Name.Get(), "a1");
    EXPECT_EQ(channels[0].GroupId, groups[0].OwnId);
    EXPECT_EQ(channels[2].Name.Get(), "b1");
    EXPECT_EQ(channels[2].GroupId, groups[1].OwnId);
    EXPECT_EQ(channels[3].Name.Get(), "c1");
    EXPECT_EQ(channels[3].RemoteChannel, 48);
    EXPECT_EQ(channels[3].DropBFrames, 0);
    EXPECT_EQ(channels[3].GroupId, groups[2].OwnId);
}

TEST_F(NetSetFormTest, AGroupTakesAtMost49ConnectionsAndTheEditorLocksTheRest) {
    Select(Node("B"));
    form->sb_AddPortItem->Click();
    EXPECT_TRUE(form->pn_ClientPortSetPannel->Visible());
    EXPECT_FALSE(form->bt_OK->Enabled());
    EXPECT_FALSE(form->tv_GroupTree->Enabled());
    EXPECT_TRUE(form->sb_PortSetOK->Default());
    form->sb_PortSetCancel->Click();
    EXPECT_TRUE(form->bt_OK->Enabled());
    EXPECT_EQ(form->lv_PortList->Items()->Count(), 1);
    for (int i = 0; i < 48; ++i)
        AddConnection("n" + std::to_string(i), "2");
    EXPECT_EQ(form->lv_PortList->Items()->Count(), 49);
    form->sb_AddPortItem->Click();
    EXPECT_FALSE(form->pn_ClientPortSetPannel->Visible());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], Utf8ToGbk("对不起！每组最多只能设49个连接。"));
    form->lv_PortList->SetSelected(form->lv_PortList->Items()->Item(3));
    form->sb_DelPortItem->Click();
    EXPECT_EQ(form->lv_PortList->Items()->Count(), 48);
    AddConnection("last", "5");
    EXPECT_EQ(form->lv_PortList->Items()->Count(), 49);
    // Modify changes the selected row.
    form->lv_PortList->SetSelected(form->lv_PortList->Items()->Item(0));
    form->sb_ModPortItem->Click();
    EXPECT_EQ(form->ed_PortName->GetText(), "b1");
    EXPECT_EQ(form->cb_PortLostBFrame->ItemIndex(), 1);
    form->cb_PortLostBFrame->SetItemIndex(2);
    form->sb_PortSetOK->Click();
    EXPECT_EQ(form->lv_PortList->Items()->Item(0)->SubItems()->Get(1), Utf8ToGbk("低"));
    // Leaving the group with changes stores them in its working copy.
    Select(Node("A"));
    Select(Node("B"));
    EXPECT_EQ(form->lv_PortList->Items()->Count(), 49);
}

TEST_F(NetSetFormTest, CancelAndSelectGroupWriteNothing) {
    Select(Node("A"));
    form->sb_DelTreeNode->Click();
    EXPECT_EQ(form->Root()->Count(), 0);
    form->bt_CancelClick(nullptr);
    EXPECT_EQ(form->ModalResult(), mrCancel);
    EXPECT_EQ(Stored<TClientGroupRecord>("GroupInfo").size(), 2u);
    // Choosing a station: nothing with the root, the group's name otherwise.
    form->bt_SelectGroup->SetVisible(true);
    form->SetModalResult(mrNone);
    Select(form->Root());
    form->bt_SelectGroup->Click();
    EXPECT_EQ(form->ModalResult(), mrNone);
    // The root can be neither renamed nor deleted.
    form->sb_DelTreeNode->Click();
    EXPECT_TRUE(form->Root());
    // Saving an empty tree writes one byte for each value.
    form->bt_OK->Click();
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, kClientKey, "GroupInfo"), 1);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, kClientKey, "ChannelInfo"), 1);
}

TEST_F(NetSetFormTest, PortPanelTogglesAndGrowsTheDialog) {
    const int w = form->ClientWidth();
    form->bt_ModSocketPort->Click();
    EXPECT_TRUE(form->pn_SocketPortList->Visible());
    EXPECT_EQ(form->ClientWidth(), w + form->pn_SocketPortList->Width() + 5);
    EXPECT_EQ(form->bt_ModSocketPort->Caption(), Utf8ToGbk("<< 修改端口"));
    Select(Node("A"));
    form->Port("se_UDPNetTalkPort")->SetText("59999");
    form->bt_OK->Click();
    const auto groups = Stored<TClientGroupRecord>("GroupInfo");
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].Ports.Port[15], 59999);
    EXPECT_EQ(groups[0].Ports.Port[0], 50000);
    Select(Node("B"));
    form->Repaint();
    vantrel::testing::PumpWaiting();
    vantrel::testing::SaveWindowShot(form->WindowHandle(), "host_net_set_form");
    form->bt_ModSocketPort->Click();
    EXPECT_EQ(form->ClientWidth(), w);
}

} // namespace
} // namespace vantrel
