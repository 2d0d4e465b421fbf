#include "webctl/U_FaceCommands.h"

#include "common/win/textconv.h"
#include "host/engine/U_ClientGroups.h"
#include "host/engine/U_NetClientSet.h"
#include "host/ui/F_ClientVideoCycleSetForm.h"
#include "webctl/U_AlarmList.h"
#include "webctl/U_NetChannels.h"
#include "webctl/VantrelIE_QZForm.h"

#include <windows.h>

#include <vector>

namespace vantrel::webctl {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {

TMenuItem* FindFaceMenuItem(TMenuItem* parent, const std::string& gbk) {
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (item->Caption() == gbk) return item;
        if (TMenuItem* found = FindFaceMenuItem(item, gbk)) return found;
    }
    return nullptr;
}

} // namespace

TFaceCommands::TFaceCommands(TVantrelIE_QZ& form, TNetClientSet& hosts, TControlChannels& channels)
    : form_(form), hosts_(hosts), channels_(channels) {
    form.im_CycleVideo->OnClick = TNotifyEvent(this, &TFaceCommands::im_CycleVideoClick);
    form.VideoCycleTimer->SetOnTimer(TNotifyEvent(this, &TFaceCommands::VideoCycleTimerTimer));
    form.im_PreviewAudio->OnClick = TNotifyEvent(this, &TFaceCommands::im_PreviewAudioClick);
    form.im_SaveColor->OnClick = TNotifyEvent(this, &TFaceCommands::im_SaveColorClick);
    form.im_CopyColorToAll->OnClick = TNotifyEvent(this, &TFaceCommands::im_CopyColorToAllClick);
    if (TMenuItem* item = FindFaceMenuItem(form.pm_OtherFunction->Items(), Utf8ToGbk("远程报警信息")))
        item->OnClick = TNotifyEvent(this, &TFaceCommands::RemoteAlarmListClick);
}

int TFaceCommands::AskCycleInterval() {
    auto* dialog = new TClientVideoCycleSetForm(&form_, hosts_.Groups);
    int seconds = 0;
    try {
        dialog->AfterConstruction();
        if (dialog->ShowModal() == mrOk) seconds = dialog->CycleSeconds();
    } catch (...) {
    }
    dialog->Free();
    return seconds;
}

void TFaceCommands::im_CycleVideoClick(TObject*) {
    TPreview& preview = *form_.Preview;
    if (preview.CycleMode) {
        // Open channels stay open.
        preview.CycleMode = false;
        form_.VideoCycleTimer->SetEnabled(false);
        TVantrelIE_QZ::ShowToolPicture(form_.im_CycleVideo, false);
        return;
    }
    if (hosts_.NetChannelCount <= 0) return;
    const int seconds = AskCycleInterval();
    if (seconds <= 0) return;
    CycleGroupIndex = NextCycleGroup(CycleFlags(hosts_.Groups), -1);
    if (CycleGroupIndex < 0) return;
    preview.CycleMode = true;
    form_.VideoCycleTimer->SetInterval(static_cast<unsigned>(seconds) * 1000u);
    TVantrelIE_QZ::ShowToolPicture(form_.im_CycleVideo, true);
    // The rebuild after the close shows the group and opens its channels; the open-all round
    // starts the timer when it is done.
    channels_.CloseAll->CloseChannels(-1, true, true, true, true, true, -1);
}

void TFaceCommands::VideoCycleTimerTimer(TObject*) {
    if (hosts_.NetChannelCount <= 0) return;
    // A round still working would drop the close: this step is left to the next tick.
    if (channels_.OpenAll->Busy || channels_.CloseAll->Busy) return;
    const int groups = static_cast<int>(hosts_.Groups.size());
    if (CycleGroupIndex >= groups) CycleGroupIndex = 0;
    const int next = NextCycleGroup(CycleFlags(hosts_.Groups), CycleGroupIndex);
    if (next < 0) return;
    CycleGroupIndex = next;
    form_.VideoCycleTimer->SetEnabled(false);
    if (!form_.Preview->CycleMode) return;
    // The close-all round ends every connection, its receive thread with it.
    ::Sleep(50);
    channels_.CloseAll->CloseChannels(-1, true, true, true, true, true, -1);
}

void TFaceCommands::RebuildGroupMenu() {
    TMenuItem* root = form_.pm_ClientSetGoups->Items();
    root->Clear();
    for (size_t g = 0; g < hosts_.Groups.size(); ++g) {
        auto* item = new TMenuItem(&form_);
        item->SetCaption(std::string(hosts_.Groups[g].Name.View()));
        item->SetTag(static_cast<int>(g));
        item->OnClick = TNotifyEvent(this, &TFaceCommands::GroupMenuItemClick);
        root->Add(item);
    }
}

void TFaceCommands::GroupMenuItemClick(TObject* sender) {
    channels_.CloseAll->CloseChannels(-1, true, true, true, true, false,
                                      static_cast<TMenuItem*>(sender)->Tag());
}

void TFaceCommands::im_PreviewAudioClick(TObject*) {
    if (form_.ChannelCount < 1) return;
    TPreview& preview = *form_.Preview;
    preview.Listening = !preview.Listening;
    if (preview.Listening)
        preview.StartListen(preview.SelectedPane);
    else
        preview.StopListen(preview.SelectedPane);
    TVantrelIE_QZ::ShowToolPicture(form_.im_PreviewAudio, preview.Listening);
}

void TFaceCommands::im_SaveColorClick(TObject*) {
    if (form_.PreviewSet)
        TPreviewSet::SaveRecords(form_.PreviewSet->Records.data(), kSettingsChannels - 1);
}

void TFaceCommands::im_CopyColorToAllClick(TObject*) {
    TPreviewSet* set = form_.PreviewSet;
    const int selected = form_.Preview->SelectedPane;
    if (!set || selected < 0 || selected >= kSettingsChannels) return;
    const TPictureParams values = set->Records[size_t(selected)].Picture;
    for (int c = 0; c < form_.ChannelCount && c < kSettingsChannels; ++c) {
        set->Records[size_t(c)].Picture = values;
        form_.Preview->SetPictureParams(c, values);
        ::Sleep(10);
    }
}

void TFaceCommands::RemoteAlarmListClick(TObject*) {
    if (AlarmList && AlarmList->Form) AlarmList->Form->Show();
}

} // namespace vantrel::webctl
