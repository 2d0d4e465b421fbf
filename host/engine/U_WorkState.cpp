#include "host/engine/U_WorkState.h"

#include "host/engine/U_Arithmetic.h"

#include <algorithm>
#include <string>

namespace vantrel {
namespace {

std::string WorkStateKey() {
    return std::string(kSettingsKey) + "WorkState";
}

} // namespace

TWorkState::TWorkState(const Parts& parts)
    : parts_(parts), boardChannels_(std::clamp(parts.BoardChannels, 0, kStateChannels)),
      timer_(60000, [this] { OnTimer(); }) {
    for (int ch = 0; ch < boardChannels_; ++ch)
        Record.PreviewOpen[ch] = 1;
    TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, WorkStateKey(), "WorkState", &Record,
                               int(sizeof Record));
    timer_.SetEnabled(true);
}

void TWorkState::CaptureState() {
    // The record has room for 49 channels; a larger count must not write past it.
    const int channels = std::clamp(parts_.ChannelCount(), 0, kStateChannels);
    Record.ChannelCount = uint8_t(channels);
    Record.AutoMode = parts_.Auto.AutoMode ? 1 : 0;
    for (int ch = 0; ch < channels; ++ch) {
        Record.PreviewOpen[ch] = parts_.Preview.PaneOpen(ch) ? 1 : 0;
        Record.FileOpen[ch] = parts_.Capture.FileOpen(ch) ? 1 : 0;
        Record.Armed[ch] = parts_.Alarm.Armed(ch) ? 1 : 0;
        Record.Alarming[ch] = parts_.Alarm.Alarming(ch) ? 1 : 0;
    }
}

int TWorkState::Save() {
    CaptureState();
    return TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, WorkStateKey(), "WorkState", &Record,
                                       int(sizeof Record));
}

void TWorkState::OnTimer() {
    if (boardChannels_ > 0 && ::IsWindowVisible(parts_.MainForm.Handle())) Save();
}

void TWorkState::Restore() {
    for (int ch = 0; ch < boardChannels_; ++ch)
        if (Record.PreviewOpen[ch]) parts_.Preview.OpenPreview(ch);
    if (Record.AutoMode && boardChannels_ > 0) {
        // The button toggles: pressing it while automatic mode already runs would end it.
        if (!parts_.Auto.AutoMode) parts_.MainForm.im_AutoWorkClick();
        return;
    }
    for (int ch = 0; ch < boardChannels_; ++ch) {
        if (Record.Armed[ch])
            parts_.Alarm.StartDetection(ch, -1);
        else if (Record.FileOpen[ch])
            parts_.Capture.StartChannel(ch, ')', 0);
    }
}

} // namespace vantrel
