#include "webctl/U_StationMapWindow.h"

#include "host/ui/F_MapCtrlForm.h"
#include "host/ui/F_NetSetForm.h"
#include "webctl/U_NetChannels.h"
#include "webctl/U_SystemInfo.h"
#include "webctl/VantrelIE_QZForm.h"

#include "common/win/textconv.h"

namespace vantrel::webctl {

using namespace dvr::fw;

TMapCtrlForm* MakeControlStationMap(TComponent* owner, TNetClientSet& hosts,
                                    std::function<bool()> cycleMode,
                                    std::function<void(int group)> closeAllAndRebuild) {
    TMapCtrlHost m;
    m.ProgramPath = kControlProgramPath;
    m.GroupRecords = &hosts.GroupRecords;
    m.GroupMembers = &hosts.GroupMembers;
    m.CycleMode = std::move(cycleMode);
    m.CloseAllAndRebuild = std::move(closeAllAndRebuild);
    TNetClientSet* h = &hosts;
    m.RunClientSettings = [h, owner](std::string& chosen) {
        auto* f = new TNetSetForm(owner, *h);
        f->AfterConstruction();
        f->bt_SelectGroup->SetVisible(true);
        const bool ok = f->ShowModal() == mrOk;
        chosen = f->SelectedGroupName;
        f->Free();
        return ok;
    };
    auto* f = new TMapCtrlForm(owner, std::move(m));
    f->AfterConstruction();
    return f;
}

namespace {

// The menu item's action; owned by the face, so it goes with it.
class TStationMapItem : public TComponent {
    FW_CLASS(TStationMapItem, TComponent)
public:
    TStationMapItem(TVantrelIE_QZ& face, TNetClientSet& hosts)
        : TComponent(&face), face_(face), hosts_(hosts) {}
    void Click(TObject*) {
        TVantrelIE_QZ* face = &face_;
        auto* f = MakeControlStationMap(
            &face_, hosts_, [face] { return face->Preview && face->Preview->CycleMode; },
            [face](int group) {
                if (face->Preview && face->Preview->Channels && face->Preview->Channels->CloseAll)
                    face->Preview->Channels->CloseAll->CloseChannels(-1, true, true, true, true,
                                                                     false, group);
            });
        f->ShowModal();
        f->Free();
    }

private:
    TVantrelIE_QZ& face_;
    TNetClientSet& hosts_;
};

} // namespace

void InstallStationMap(TVantrelIE_QZ& face, TNetClientSet& hosts) {
    if (!face.pm_SystemSet) return;
    TMenuItem* root = face.pm_SystemSet->Items();
    const std::string caption = dvr::win::Utf8ToGbk("站点分布图");
    for (int i = 0; i < root->Count(); ++i)
        if (root->Items(i)->Caption() == caption) {
            auto* action = new TStationMapItem(face, hosts);
            root->Items(i)->OnClick = TNotifyEvent(action, &TStationMapItem::Click);
        }
}

} // namespace vantrel::webctl
