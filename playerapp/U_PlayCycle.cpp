#include "playerapp/U_PlayCycle.h"

#include "playerapp/U_PlayerStatus.h"

namespace playerqz {

TPlayCycle::Entry* TPlayCycle::Current() {
    const int p = host_.CurrentPort();
    return p >= 0 && p < EntryCount ? &entries_[p] : nullptr;
}

void TPlayCycle::Clear() {
    for (Entry& e : entries_) {
        e.Enabled = false;
        e.StartFrame = e.EndFrame = 0;
        e.StartBytes = e.EndBytes = 0;
        e.FileName.clear();
    }
    UpdateLoopControls();
}

bool TPlayCycle::IsLoopOn() {
    const Entry* e = Current();
    return e && e->Enabled;
}

bool TPlayCycle::IsValidPort(int port) {
    return port >= 0 && port <= host_.PortCount() - 1;
}

int TPlayCycle::ValidateLoop() {
    const Entry* e = Current();
    if (!e || !e->Enabled) return -1;
    if (e->StartFrame < e->EndFrame && e->StartSlider < e->EndSlider) return 0;
    return -2;
}

int TPlayCycle::CheckLoop() {
    if (host_.CurrentPortState() > psPaused) return -1;
    const int frame = host_.GetCurrentFrameNum();
    if (ValidateLoop() != 0) return -1;
    const Entry& e = *Current();
    if (frame <= e.StartFrame || frame >= e.EndFrame - 5) {
        host_.SetCurrentFrameNum(e.StartFrame);
        return 0;
    }
    return -1;
}

int TPlayCycle::ToggleLoop() {
    const int p = host_.CurrentPort();
    if (p > 0) return 0;
    Entry* e = Current();
    const int s = host_.CurrentPortState();
    if ((s == psPlaying || s == psPaused) && IsValidPort(p) && e) {
        e->Enabled = !e->Enabled;
        return 0;
    }
    if (e) e->Enabled = false;
    UpdateLoopControls();
    return -1;
}

int TPlayCycle::SetEnd(bool start, int slider, int frame, int bytes) {
    const int p = host_.CurrentPort();
    if (p > 0) return 0;
    Entry* e = Current();
    if (!IsValidPort(p) || !e || frame < 0) return -1;
    (start ? e->StartSlider : e->EndSlider) = slider;
    (start ? e->StartFrame : e->EndFrame) = frame;
    (start ? e->StartBytes : e->EndBytes) = bytes;
    return 0;
}

int TPlayCycle::SetLoopStart(int slider, int frame, int bytes) {
    return SetEnd(true, slider, frame, bytes);
}

int TPlayCycle::SetLoopEnd(int slider, int frame, int bytes) {
    return SetEnd(false, slider, frame, bytes);
}

int TPlayCycle::SetFileName(const std::string& name) {
    const int p = host_.CurrentPort();
    if (p > 0) return 0;
    Entry* e = Current();
    if (!IsValidPort(p) || !e || name.empty()) return -1;
    e->FileName = name;
    return 0;
}

int TPlayCycle::UpdateLoopControls() {
    const Entry* e = Current();
    if (!IsValidPort(host_.CurrentPort()) || !e) return -1;
    LoopControlsView v{};
    v.LoopDown = e->Enabled;
    v.LoopGlyph = e->Enabled ? LoopGlyphOn : LoopGlyphOff;
    v.SelStart = e->Enabled ? e->StartSlider : 0;
    v.SelEnd = e->Enabled ? e->EndSlider : 0;
    v.StartEnabled = v.EndEnabled = e->Enabled;
    v.SaveEnabled = e->Enabled && e->StartBytes < e->EndBytes;
    host_.ShowLoopControls(v);
    return 0;
}

int TPlayCycle::SaveSelection() {
    if (host_.CurrentPort() > 0) return 0;
    host_.RunSaveDialog(); // the name is not used
    return 0;
}

} // namespace playerqz
