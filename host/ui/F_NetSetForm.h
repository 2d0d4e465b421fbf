// The host groups a viewing station knows: the group tree, each group's address, login, port
// table and connections (remote channels), written back whole on OK.
#pragma once

#include "host/engine/U_NetClientSet.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class TNetSetForm : public dvr::fw::TForm {
    FW_CLASS(TNetSetForm, dvr::fw::TForm)
public:
    TNetSetForm(dvr::fw::TComponent* AOwner, TNetClientSet& netClientSet);

    dvr::fw::TTreeView* tv_GroupTree;
    dvr::fw::TButton *sb_AddTreeNode, *sb_ModTreeNode, *sb_DelTreeNode;
    dvr::fw::TEdit *ed_MainAddr, *ed_UserName, *ed_Password;
    dvr::fw::TListView* lv_PortList;
    dvr::fw::TButton *sb_AddPortItem, *sb_ModPortItem, *sb_DelPortItem;
    dvr::fw::TPanel* pn_ClientPortSetPannel;
    dvr::fw::TEdit* ed_PortName;
    dvr::fw::TEdit* se_PortMainChannel; // 1..49
    dvr::fw::TComboBox* cb_PortLostBFrame;
    dvr::fw::TButton *sb_PortSetOK, *sb_PortSetCancel;
    dvr::fw::TButton* bt_ModSocketPort;
    dvr::fw::TPanel* pn_SocketPortList;
    dvr::fw::TLabel* lb_SocketPorts;
    dvr::fw::TLabel* lb_VideoPort_Info;
    // The port fields by table slot; slot 13 has no row on screen.
    struct PortField {
        const char* Name;
        int Slot;
        dvr::fw::TEdit* Edit;
    };
#ifdef VANTREL_CONTROL_BUILD
    // The viewer control also edits slot 12.
    static constexpr size_t kPortFields = 11;
#else
    static constexpr size_t kPortFields = 10;
#endif
    std::array<PortField, kPortFields> Ports;
    dvr::fw::TButton *bt_OK, *bt_Cancel, *bt_SelectGroup, *im_Keyboor;

    dvr::fw::TTreeNode* CurrentGroupNode = nullptr;
    bool Modified = false;
    std::string SelectedGroupName; // GBK

    dvr::fw::TTreeNode* Root() const { return tv_GroupTree->Items()->GetFirstNode(); }
    dvr::fw::TEdit* Port(const char* name) const;
    int PortValue(int slot) const;

    void FormShow(dvr::fw::TObject* Sender);
    void tv_GroupTreeChange(dvr::fw::TObject* Sender, dvr::fw::TTreeNode* Node);
    void tv_GroupTreeEdited(dvr::fw::TObject* Sender, dvr::fw::TTreeNode* Node, std::string& S);
    void sb_AddTreeNodeClick(dvr::fw::TObject* Sender);
    void sb_ModTreeNodeClick(dvr::fw::TObject* Sender);
    void sb_DelTreeNodeClick(dvr::fw::TObject* Sender);
    void sb_AddPortItemClick(dvr::fw::TObject* Sender);
    void sb_ModPortItemClick(dvr::fw::TObject* Sender);
    void sb_DelPortItemClick(dvr::fw::TObject* Sender);
    void sb_PortSetOKClick(dvr::fw::TObject* Sender);
    void sb_PortSetCancelClick(dvr::fw::TObject* Sender);
    void bt_ModSocketPortClick(dvr::fw::TObject* Sender);
    void FieldChange(dvr::fw::TObject* Sender);
    void VideoPortChange(dvr::fw::TObject* Sender);
    void bt_OKClick(dvr::fw::TObject* Sender);
    void bt_CancelClick(dvr::fw::TObject* Sender);
    void bt_SelectGroupClick(dvr::fw::TObject* Sender);
    void im_KeyboorClick(dvr::fw::TObject* Sender);

    // Messages to the operator (GBK); a message box unless replaced.
    std::function<void(const std::string&)> ShowMessage;

private:
    TClientGroupNodeData* DataOf(dvr::fw::TTreeNode* node) const;
    void StoreFields(dvr::fw::TTreeNode* node);
    void StoreGroup(dvr::fw::TTreeNode* node);
    void ShowMembers(dvr::fw::TTreeNode* node);
    void ShowPorts(const NetPortTable& table);
    void StorePorts(NetPortTable& table) const;
    void OpenEditor(bool add);
    void CloseEditor();
    void SetEditing(bool editing);
    void Flatten(dvr::fw::TTreeNode* node, std::vector<TClientGroupRecord>& groups,
                 std::vector<TClientChannelRecord>& channels);

    TNetClientSet& set_;
    std::vector<std::unique_ptr<TClientGroupNodeData>> data_;
    int32_t nextId_ = 1;
    bool adding_ = false, modifying_ = false, showing_ = false;
};

// "（将占用的端口共有：从" base "到" base + 49 "）" (GBK).
std::string VideoPortNote(int base);

} // namespace vantrel
