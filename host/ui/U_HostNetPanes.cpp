// The network panes' actions over the running host's preview, network client, workers,
// disk manager and recordings index.
#include "host/ui/U_HostConsoleOpeners.h"
#include "host/ui/U_HostObjects.h"
#include "host/ui/U_NetPaneActions.h"
#include "host/ui/U_Replay.h"

#include "framework/ui/forms.h"

namespace vantrel {

namespace {

class THostNetPanes : public TNetPaneHost {
public:
    explicit THostNetPanes(THost& h) : h_(h), recordings_(MakeHostReplayView(h)) {
        if (!recordings_) recordings_ = std::make_unique<TNoRecordingsHost>();
    }
    ~THostNetPanes() override {
        if (h_.Preview) h_.Preview->NetPanes = nullptr;
    }

    int BoardChannelCount() override { return h_.BoardCount(); }
    std::vector<TNetPaneGroup> Groups() override {
        std::vector<TNetPaneGroup> groups;
        if (!h_.NetClientSet) return groups;
        const auto& records = h_.NetClientSet->GroupRecords;
        const auto& members = h_.NetClientSet->GroupMembers;
        for (size_t g = 0; g < records.size(); ++g) {
            TNetPaneGroup group;
            group.Name = std::string(records[g].Name.View());
            if (records[g].ParentId != 0)
                for (size_t p = 0; p < records.size(); ++p)
                    if (records[p].OwnId == records[g].ParentId) group.Parent = int(p);
            if (g < members.size()) group.Channels = members[g];
            groups.push_back(std::move(group));
        }
        return groups;
    }
    bool PanePreviewing(int ch) override {
        return h_.Preview && h_.Preview->Panes[size_t(ch)].Previewing != 0;
    }
    bool PanePlaying(int ch) override {
        return h_.Preview && h_.Preview->Panes[size_t(ch)].Playing != 0;
    }
    HWND PaneWindow(int ch) override {
        return h_.Preview ? h_.Preview->Panes[size_t(ch)].Panel->WindowHandle() : nullptr;
    }
    void ClosePreview(int ch) override {
        if (h_.Preview) h_.Preview->ClosePreview(ch, true);
    }
    void StopNetworkRecording(int ch) override {
        if (h_.Capture) h_.Capture->StopChannel(ch, '+');
    }
    void SetSlotChannel(int slot, const TClientChannelRecord& entry) override {
        if (h_.NetClient && slot >= 0 && slot < int(h_.NetClient->SlotTable.size()))
            h_.NetClient->SlotTable[size_t(slot)] = entry;
    }
    void RequestOpenPreview(int ch) override {
        if (h_.ThreadOpenAll) h_.ThreadOpenAll->Request(ch, true, false, false);
    }
    void SwitchToGroup(int group) override {
        if (h_.ThreadCloseAll)
            h_.ThreadCloseAll->CloseChannels(-1, true, true, true, true, false, group);
    }
    void ToggleFullScreen() override {
        if (h_.Preview) h_.Preview->ToggleFullScreen();
    }
    void ChooseLayout(int count) override {
        if (h_.Preview) h_.Preview->LayoutMenuClick(count);
    }
    bool AlarmMuted() override { return h_.ThreadAlarmAudio && h_.ThreadAlarmAudio->Muted; }
    void SetAlarmMuted(bool muted) override {
        if (!h_.ThreadAlarmAudio) return;
        if (muted) {
            h_.ThreadAlarmAudio->SetRemoteAlarm(false);
            h_.ThreadAlarmAudio->Mute();
        } else {
            h_.ThreadAlarmAudio->Unmute();
        }
    }
    void ShowSelectionFrame(int ch, bool visible) override {
        if (h_.Preview) h_.Preview->ShowSelectionFrame(ch, visible);
    }
    std::string SnapshotFileName(int ch) override {
        return h_.DiskManager ? h_.DiskManager->MakeRecordingFileName(ch, 2) : std::string();
    }
    void AddSnapshotFile(std::string_view day, int ch, std::string_view name) override {
        if (h_.CaptureFileList) h_.CaptureFileList->AddFile(day, ch, name);
    }
    void Pause(DWORD ms) override { ::Sleep(ms); }
    TReplayHost& ZoomRecordings() override { return *recordings_; }
    TReplayPlayer& Player() override { return StrovidReplayPlayer(); }
    std::string Title() override {
        return dvr::fw::Application ? dvr::fw::Application->Title() : std::string();
    }

private:
    THost& h_;
    std::unique_ptr<TReplayHost> recordings_;
};

} // namespace

void THost::CreateNetPaneActions() {
    if (!Preview || !MainForm) return;
    NetPanesHost = std::make_unique<THostNetPanes>(*this);
    NetPaneActions = std::make_unique<TNetPaneActions>(MainForm, *NetPanesHost);
    Preview->NetPanes = NetPaneActions.get();
}

} // namespace vantrel
