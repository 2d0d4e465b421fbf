#include "host/ui/F_NetSetForm.h"
#include "host/ui/U_GroupTreeControl.h"

#include "host/ui/U_DialogControls.h"

#include "framework/strutils.h"

#include <commctrl.h>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {

const char* const kSmoothness[3] = {"高", "一般", "低"};

int SmoothnessOf(const std::string& gbk) {
    if (gbk == Utf8ToGbk("高")) return 0;
    if (gbk == Utf8ToGbk("一般")) return 1;
    return 2;
}

std::string Trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

} // namespace

std::string VideoPortNote(int base) {
    return Utf8ToGbk("（将占用的端口共有：从") + std::to_string(base) + Utf8ToGbk("到") +
           std::to_string(base + 49) + Utf8ToGbk("）");
}

TNetSetForm::TNetSetForm(TComponent* AOwner, TNetClientSet& netClientSet)
    : TForm(AOwner),
      Ports{{{"se_TCPVideoServerPortBase", 0, nullptr},
             {"se_TCPRemotePlayServerPortBase", 1, nullptr},
             {"se_TCPRemoteUpgradePort", 2, nullptr},
             {"se_TCPSendFilePort", 3, nullptr},
             {"se_TCPChatRoomPort", 4, nullptr},
             {"se_TCPDS_DCtrlPort", 5, nullptr},
             {"se_TCPPelco232CtrlPort", 6, nullptr},
#ifdef VANTREL_CONTROL_BUILD
             {"se_UDPPort12", 12, nullptr},
#endif
             {"se_UDPMessageClientPort", 13, nullptr},
             {"se_UDPMessageServerPort", 14, nullptr},
             {"se_UDPNetTalkPort", 15, nullptr}}},
      set_(netClientSet) {
    SetCaption(DialogCaption("分控设置"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(620);
    SetClientHeight(400);

    tv_GroupTree = PutControl<TTreeView>(this, 10, 10, 190, 316);
    tv_GroupTree->SetHideSelection(false);
    sb_AddTreeNode = PutButton(this, 10, 332, 60, "添加");
    sb_ModTreeNode = PutButton(this, 75, 332, 60, "修改");
    sb_DelTreeNode = PutButton(this, 140, 332, 60, "删除");

    PutLabel(this, 212, 14, 70, "主控地址：");
    ed_MainAddr = PutControl<TEdit>(this, 284, 10, 150, 22);
    ed_MainAddr->SetMaxLength(50);
    PutLabel(this, 212, 42, 70, "用户名：");
    ed_UserName = PutControl<TEdit>(this, 284, 38, 150, 22);
    ed_UserName->SetMaxLength(10);
    PutLabel(this, 212, 70, 70, "密码：");
    ed_Password = PutControl<TEdit>(this, 284, 66, 150, 22);
    ed_Password->SetMaxLength(10);
    ed_Password->SetPasswordChar('*');
    im_Keyboor = PutButton(this, 440, 64, 30, "键盘");
    im_Keyboor->SetHint(Utf8ToGbk("屏幕键盘"));
    im_Keyboor->SetShowHint(true);
    bt_ModSocketPort = PutButton(this, 476, 8, 136, "修改端口 >>");

    lv_PortList = PutControl<TListView>(this, 212, 98, 400, 196);
    lv_PortList->SetViewStyle(TViewStyle::vsReport);
    lv_PortList->SetCheckboxes(true);
    lv_PortList->SetRowSelect(true);
    lv_PortList->SetHideSelection(false);
    const char* const columns[3] = {"连接名称", "主控通道", "预览流畅度"};
    const int widths[3] = {170, 100, 110};
    for (int i = 0; i < 3; ++i) {
        TListColumn* c = lv_PortList->AddColumn();
        c->SetCaption(Utf8ToGbk(columns[i]));
        c->SetWidth(widths[i]);
    }
    sb_AddPortItem = PutButton(this, 212, 300, 60, "添加");
    sb_ModPortItem = PutButton(this, 277, 300, 60, "修改");
    sb_DelPortItem = PutButton(this, 342, 300, 60, "删除");
    auto* note = PutLabel(this, 212, 330, 400,
                          "（注：预览流畅度是指视频解压程度的参数，对CPU资源的耗用与预览流畅度成正比。）");
    note->SetWordWrap(true);
    note->SetHeight(32);

    pn_ClientPortSetPannel = PutControl<TPanel>(this, 222, 130, 380, 120);
    pn_ClientPortSetPannel->SetVisible(false);
    PutLabel(pn_ClientPortSetPannel, 10, 12, 70, "连接名称：");
    ed_PortName = PutControl<TEdit>(pn_ClientPortSetPannel, 90, 8, 150, 22);
    ed_PortName->SetMaxLength(20);
    PutLabel(pn_ClientPortSetPannel, 10, 42, 70, "主控通道：");
    se_PortMainChannel = PutControl<TEdit>(pn_ClientPortSetPannel, 90, 38, 50, 22);
    se_PortMainChannel->SetMaxLength(2);
    PutLabel(pn_ClientPortSetPannel, 150, 42, 80, "预览流畅度：");
    cb_PortLostBFrame = PutControl<TComboBox>(pn_ClientPortSetPannel, 236, 38, 80, 22);
    cb_PortLostBFrame->SetStyle(TComboBoxStyle::csDropDownList);
    for (const char* s : kSmoothness)
        cb_PortLostBFrame->Items()->Add(Utf8ToGbk(s));
    sb_PortSetOK = PutButton(pn_ClientPortSetPannel, 210, 80, 75, "确定");
    sb_PortSetCancel = PutButton(pn_ClientPortSetPannel, 292, 80, 75, "取消");

    lb_SocketPorts = PutLabel(this, 630, 14, 160, "主控所使用的端口：");
    lb_SocketPorts->SetVisible(false);
    pn_SocketPortList = PutControl<TPanel>(this, 625, 34, 290, 320);
    pn_SocketPortList->SetVisible(false);
    const char* const rows[kPortFields][2] = {
        {"视频传输：", "TCP"}, {"远程回放：", "TCP"},  {"远程升级：", "TCP"},
        {"传送/接收文件：", "TCP"}, {"聊天室：", "TCP"}, {"DS_D距阵远程控制：", "TCP"},
        {"Pelco232距阵远程控制：", "TCP"},
#ifdef VANTREL_CONTROL_BUILD
        {"分控端口：", "UDP"},
#endif
        {nullptr, nullptr}, {"消息传送：", "UDP"},
        {"语音广播：", "UDP"}};
    int y = 8;
    for (int i = 0; i < int(kPortFields); ++i) {
        TEdit* e = PutControl<TEdit>(pn_SocketPortList, 170, y, 70, 22);
        e->SetName(Ports[size_t(i)].Name);
        e->SetMaxLength(7);
        Ports[size_t(i)].Edit = e;
        if (!rows[i][0]) {
            e->SetVisible(false);
            continue;
        }
        PutLabel(pn_SocketPortList, 6, y + 4, 140, rows[i][0]);
        PutLabel(pn_SocketPortList, 248, y + 4, 30, rows[i][1]);
        y += 26;
        if (i == 0) {
            lb_VideoPort_Info = PutLabel(pn_SocketPortList, 6, y, 280, "");
            y += 20;
        }
    }

    bt_SelectGroup = PutButton(this, 366, 368, 80, "选择站点");
    bt_SelectGroup->SetVisible(false);
    bt_OK = PutButton(this, 452, 368, 75, "确定");
    bt_OK->SetDefault(true);
    bt_Cancel = PutButton(this, 535, 368, 75, "取消");

    NetPortTable defaults{};
    TArithmetic::SetDefaultPorts(defaults);
    ShowPorts(defaults);

    // The tree: the root, then the host groups as working copies.
    TTreeNode* root = tv_GroupTree->Items()->AddChild(nullptr, Utf8ToGbk("连接组"));
    root->SetImageIndex(2);
    TTreeControlView view(*tv_GroupTree, data_);
    set_.BuildGroupTree(view, false);
    for (const auto& d : data_)
        if (d->Record.OwnId >= nextId_) nextId_ = d->Record.OwnId + 1;
    Modified = false;
    CurrentGroupNode = root;
    ed_MainAddr->SetEnabled(false);
    ed_UserName->SetEnabled(false);
    ed_Password->SetEnabled(false);

    tv_GroupTree->OnChange = TTVChangedEvent(this, &TNetSetForm::tv_GroupTreeChange);
    tv_GroupTree->OnEdited = TTVEditedEvent(this, &TNetSetForm::tv_GroupTreeEdited);
    sb_AddTreeNode->OnClick = TNotifyEvent(this, &TNetSetForm::sb_AddTreeNodeClick);
    sb_ModTreeNode->OnClick = TNotifyEvent(this, &TNetSetForm::sb_ModTreeNodeClick);
    sb_DelTreeNode->OnClick = TNotifyEvent(this, &TNetSetForm::sb_DelTreeNodeClick);
    sb_AddPortItem->OnClick = TNotifyEvent(this, &TNetSetForm::sb_AddPortItemClick);
    sb_ModPortItem->OnClick = TNotifyEvent(this, &TNetSetForm::sb_ModPortItemClick);
    lv_PortList->OnDblClick = TNotifyEvent(this, &TNetSetForm::sb_ModPortItemClick);
    sb_DelPortItem->OnClick = TNotifyEvent(this, &TNetSetForm::sb_DelPortItemClick);
    sb_PortSetOK->OnClick = TNotifyEvent(this, &TNetSetForm::sb_PortSetOKClick);
    sb_PortSetCancel->OnClick = TNotifyEvent(this, &TNetSetForm::sb_PortSetCancelClick);
    bt_ModSocketPort->OnClick = TNotifyEvent(this, &TNetSetForm::bt_ModSocketPortClick);
    bt_OK->OnClick = TNotifyEvent(this, &TNetSetForm::bt_OKClick);
    bt_Cancel->OnClick = TNotifyEvent(this, &TNetSetForm::bt_CancelClick);
    bt_SelectGroup->OnClick = TNotifyEvent(this, &TNetSetForm::bt_SelectGroupClick);
    im_Keyboor->OnClick = TNotifyEvent(this, &TNetSetForm::im_KeyboorClick);
    for (TEdit* e : {ed_MainAddr, ed_UserName, ed_Password})
        e->OnChange = TNotifyEvent(this, &TNetSetForm::FieldChange);
    for (PortField& p : Ports)
        p.Edit->OnChange = TNotifyEvent(this, &TNetSetForm::FieldChange);
    Ports[0].Edit->OnChange = TNotifyEvent(this, &TNetSetForm::VideoPortChange);
    OnShow = TNotifyEvent(this, &TNetSetForm::FormShow);
}

TEdit* TNetSetForm::Port(const char* name) const {
    for (const PortField& p : Ports)
        if (std::string(p.Name) == name) return p.Edit;
    return nullptr;
}

int TNetSetForm::PortValue(int slot) const {
    for (const PortField& p : Ports)
        if (p.Slot == slot) return SpinValue(p.Edit, 1, 1000000);
    return 0;
}

void TNetSetForm::FormShow(TObject*) {
    if (Root()) Root()->Expand(false);
}

TClientGroupNodeData* TNetSetForm::DataOf(TTreeNode* node) const {
    return node ? static_cast<TClientGroupNodeData*>(node->Data) : nullptr;
}

void TNetSetForm::ShowPorts(const NetPortTable& table) {
    showing_ = true;
    for (PortField& p : Ports)
        p.Edit->SetText(std::to_string(table.Port[p.Slot]));
    lb_VideoPort_Info->SetCaption(VideoPortNote(table.Port[0]));
    showing_ = false;
}

void TNetSetForm::StorePorts(NetPortTable& table) const {
    for (const PortField& p : Ports)
        table.Port[p.Slot] = SpinValue(p.Edit, 1, 1000000);
}

void TNetSetForm::StoreFields(TTreeNode* node) {
    TClientGroupNodeData* d = DataOf(node);
    if (!d) return;
    d->Record.HostAddress.Set(ed_MainAddr->GetText());
    d->Record.UserName.Set(Trimmed(ed_UserName->GetText()));
    d->Record.Password.Set(Trimmed(ed_Password->GetText()));
}

void TNetSetForm::StoreGroup(TTreeNode* node) {
    TClientGroupNodeData* d = DataOf(node);
    if (!d) return;
    StoreFields(node);
    d->Members.clear();
    for (int i = 0; i < lv_PortList->Items()->Count(); ++i) {
        TListItem* row = lv_PortList->Items()->Item(i);
        TClientChannelRecord ch{};
        ch.InUse = row->Checked() ? 1 : 0;
        ch.Name.Set(row->Caption());
        const int shown = std::atoi(row->SubItems()->Get(0).c_str());
        ch.RemoteChannel = uint8_t(shown > 0 ? shown - 1 : 0);
        ch.DropBFrames = uint8_t(SmoothnessOf(row->SubItems()->Get(1)));
        ch.GroupId = d->Record.OwnId;
        d->Members.push_back(ch);
    }
    Modified = false;
}

void TNetSetForm::ShowMembers(TTreeNode* node) {
    lv_PortList->Items()->Clear();
    TClientGroupNodeData* d = DataOf(node);
    if (!d) return;
    for (const TClientChannelRecord& ch : d->Members) {
        TListItem* row = lv_PortList->Items()->Add();
        row->SetCaption(ch.Name.Get());
        row->SubItems()->Add(std::to_string(ch.RemoteChannel + 1));
        row->SubItems()->Add(Utf8ToGbk(kSmoothness[ch.DropBFrames < 3 ? ch.DropBFrames : 2]));
        row->SetChecked(ch.InUse != 0);
    }
}

void TNetSetForm::tv_GroupTreeChange(TObject*, TTreeNode* Node) {
    if (!Node) return;
    if (Modified && CurrentGroupNode && CurrentGroupNode != Root()) {
        if (TClientGroupNodeData* d = DataOf(CurrentGroupNode)) StorePorts(d->Record.Ports);
        StoreGroup(CurrentGroupNode);
    }
    CurrentGroupNode = Node;
    TClientGroupNodeData* d = DataOf(Node);
    ed_MainAddr->SetEnabled(d != nullptr);
    ed_UserName->SetEnabled(d != nullptr);
    ed_Password->SetEnabled(d != nullptr);
    showing_ = true;
    if (d) {
        ed_MainAddr->SetText(d->Record.HostAddress.Get());
        ed_UserName->SetText(d->Record.UserName.Get());
        ed_Password->SetText(d->Record.Password.Get());
    } else {
        ed_MainAddr->SetText("");
        ed_UserName->SetText("");
        ed_Password->SetText("");
        lv_PortList->Items()->Clear();
    }
    showing_ = false;
    if (d) {
        ShowPorts(d->Record.Ports);
        ShowMembers(Node);
    }
    Modified = false;
}

void TNetSetForm::tv_GroupTreeEdited(TObject*, TTreeNode* Node, std::string& S) {
    TClientGroupNodeData* d = DataOf(Node);
    // The root keeps its caption.
    if (!d) {
        S = Node->Text();
        return;
    }
    d->Record.Name.Set(S);
}

void TNetSetForm::sb_AddTreeNodeClick(TObject*) {
    TTreeNode* selected = tv_GroupTree->Selected();
    if (!selected) return;
    if (CurrentGroupNode && DataOf(CurrentGroupNode)) StoreGroup(CurrentGroupNode);
    auto data = std::make_unique<TClientGroupNodeData>();
    TClientGroupRecord& r = data->Record;
    TArithmetic::SetDefaultPorts(r.Ports);
    const TClientGroupNodeData* parent = DataOf(selected);
    r.ParentId = parent ? parent->Record.OwnId : 0;
    r.OwnId = nextId_++;
    TTreeNode* node = tv_GroupTree->Items()->AddChildObject(selected, "", data.get());
    const std::string caption = "Group_" + std::to_string(uintptr_t(node->ItemId()));
    node->SetText(caption);
    r.Name.Set(caption);
    data_.push_back(std::move(data));
    selected->Expand(false);
    tv_GroupTree->SetSelected(node);
    if (CurrentGroupNode != node) tv_GroupTreeChange(tv_GroupTree, node);
    tv_GroupTree->EditText(node);
}

void TNetSetForm::sb_ModTreeNodeClick(TObject*) {
    TTreeNode* selected = tv_GroupTree->Selected();
    if (selected && selected != Root()) tv_GroupTree->EditText(selected);
}

void TNetSetForm::sb_DelTreeNodeClick(TObject*) {
    TTreeNode* selected = tv_GroupTree->Selected();
    if (!selected || selected == Root()) return;
    Modified = false;
    CurrentGroupNode = nullptr;
    selected->Delete();
    TTreeNode* now = tv_GroupTree->Selected();
    CurrentGroupNode = now ? now : Root();
    if (CurrentGroupNode) tv_GroupTreeChange(tv_GroupTree, CurrentGroupNode);
}

void TNetSetForm::sb_AddPortItemClick(TObject*) {
    if (!DataOf(tv_GroupTree->Selected())) return;
    if (lv_PortList->Items()->Count() > 48) {
        const std::string text = Utf8ToGbk("对不起！每组最多只能设49个连接。");
        if (ShowMessage)
            ShowMessage(text);
        else
            ShowDialogMessage(this, text);
        return;
    }
    OpenEditor(true);
}

void TNetSetForm::sb_ModPortItemClick(TObject*) {
    if (lv_PortList->Selected()) OpenEditor(false);
}

void TNetSetForm::sb_DelPortItemClick(TObject*) {
    if (!lv_PortList->Selected()) return;
    Modified = true;
    for (int i = lv_PortList->Items()->Count() - 1; i >= 0; --i)
        if (lv_PortList->Items()->Item(i)->Selected()) lv_PortList->Items()->Delete(i);
}

void TNetSetForm::SetEditing(bool editing) {
    for (TWinControl* c : std::initializer_list<TWinControl*>{
             lv_PortList, tv_GroupTree, bt_OK, bt_Cancel, sb_AddTreeNode, sb_ModTreeNode,
             sb_DelTreeNode, sb_AddPortItem, sb_ModPortItem, sb_DelPortItem})
        c->SetEnabled(!editing);
    pn_ClientPortSetPannel->SetVisible(editing);
    sb_PortSetOK->SetDefault(editing);
    bt_OK->SetDefault(!editing);
}

void TNetSetForm::OpenEditor(bool add) {
    adding_ = add;
    modifying_ = !add;
    TListItem* row = lv_PortList->Selected();
    if (add && !row) {
        ed_PortName->SetText("");
        se_PortMainChannel->SetText("1");
        cb_PortLostBFrame->SetItemIndex(0);
    } else if (row) {
        ed_PortName->SetText(row->Caption());
        se_PortMainChannel->SetText(row->SubItems()->Get(0));
        cb_PortLostBFrame->SetItemIndex(SmoothnessOf(row->SubItems()->Get(1)));
    }
    SetEditing(true);
    if (ed_PortName->HandleAllocated()) ::SetFocus(ed_PortName->WindowHandle());
}

void TNetSetForm::CloseEditor() {
    SetEditing(false);
    adding_ = modifying_ = false;
}

void TNetSetForm::sb_PortSetOKClick(TObject*) {
    Modified = true;
    const std::string name = ed_PortName->GetText();
    const std::string channel = std::to_string(SpinValue(se_PortMainChannel, 1, 49));
    const int s = cb_PortLostBFrame->ItemIndex() < 0 ? 0 : cb_PortLostBFrame->ItemIndex();
    const std::string smooth = Utf8ToGbk(kSmoothness[s]);
    if (adding_) {
        TListItem* row = lv_PortList->Items()->Add();
        row->SetCaption(name);
        row->SubItems()->Add(channel);
        row->SubItems()->Add(smooth);
        row->SetChecked(true);
        lv_PortList->SetSelected(row);
        if (lv_PortList->HandleAllocated())
            ListView_EnsureVisible(lv_PortList->WindowHandle(), row->Index(), FALSE);
    } else if (TListItem* row = lv_PortList->Selected()) {
        row->SetCaption(name);
        row->SubItems()->Clear();
        row->SubItems()->Add(channel);
        row->SubItems()->Add(smooth);
    }
    CloseEditor();
}

void TNetSetForm::sb_PortSetCancelClick(TObject*) {
    CloseEditor();
}

void TNetSetForm::bt_ModSocketPortClick(TObject*) {
    const bool show = !pn_SocketPortList->Visible();
    pn_SocketPortList->SetVisible(show);
    lb_SocketPorts->SetVisible(show);
    const int step = pn_SocketPortList->Width() + 5;
    SetClientWidth(ClientWidth() + (show ? step : -step));
    bt_ModSocketPort->SetCaption(Utf8ToGbk(show ? "<< 修改端口" : "修改端口 >>"));
}

void TNetSetForm::FieldChange(TObject*) {
    if (!showing_) Modified = true;
}

void TNetSetForm::VideoPortChange(TObject*) {
    lb_VideoPort_Info->SetCaption(VideoPortNote(SpinValue(Ports[0].Edit, 1, 1000000)));
    if (!showing_) Modified = true;
}

void TNetSetForm::Flatten(TTreeNode* node, std::vector<TClientGroupRecord>& groups,
                          std::vector<TClientChannelRecord>& channels) {
    for (TTreeNode* c = node->GetFirstChild(); c; c = c->GetNextSibling()) {
        if (TClientGroupNodeData* d = DataOf(c)) {
            d->Record.MemberLink = 0;
            d->Record.TreeNodeLink = 0;
            groups.push_back(d->Record);
            for (const TClientChannelRecord& ch : d->Members)
                channels.push_back(ch);
        }
        Flatten(c, groups, channels);
    }
}

void TNetSetForm::bt_OKClick(TObject*) {
    if (bt_OK->HandleAllocated()) ::SetFocus(bt_OK->WindowHandle());
    TTreeNode* selected = tv_GroupTree->Selected();
    if (Modified && DataOf(selected)) {
        if (selected != CurrentGroupNode) selected = CurrentGroupNode;
        if (TClientGroupNodeData* d = DataOf(selected)) {
            d->Record.HostAddress.Set(ed_MainAddr->GetText());
            StorePorts(d->Record.Ports);
            StoreGroup(selected);
        }
    }
    std::vector<TClientGroupRecord> groups;
    std::vector<TClientChannelRecord> channels;
    if (Root()) Flatten(Root(), groups, channels);
    // An empty list is stored as one byte, which a reader takes as no records.
    const uint8_t none = 0;
    if (groups.empty())
        set_.SaveGroupInfo(&none, 1);
    else
        set_.SaveGroupInfo(groups.data(), int(groups.size() * sizeof(TClientGroupRecord)));
    if (channels.empty())
        set_.SaveChannelInfo(&none, 1);
    else
        set_.SaveChannelInfo(channels.data(),
                             int(channels.size() * sizeof(TClientChannelRecord)));
    SelectedGroupName.clear();
    TTreeNode* now = tv_GroupTree->Selected();
    if (bt_SelectGroup->Visible() && now && now != Root()) SelectedGroupName = now->Text();
    SetModalResult(mrOk);
}

void TNetSetForm::bt_CancelClick(TObject*) {
    SelectedGroupName.clear();
    SetModalResult(mrCancel);
}

void TNetSetForm::bt_SelectGroupClick(TObject*) {
    TTreeNode* now = tv_GroupTree->Selected();
    if (!now || now == Root()) return;
    SelectedGroupName = now->Text();
    SetModalResult(mrCancel);
}

void TNetSetForm::im_KeyboorClick(TObject*) {
    StartOnScreenKeyboard();
}

} // namespace vantrel
