#include "host/ui/T_AlarmWindowThreads.h"

#include "host/ui/U_Preview.h"

namespace vantrel {

TThreadOpenAllForAlarmUp::TThreadOpenAllForAlarmUp(TAlarmWindowHost& host)
    : host_(host), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    for (int i = 0; i < kSettingsChannels; ++i) {
        PreviewRequests[i] = 0;
        RecordRequests[i] = 0;
    }
    thread_.reset(::CreateThread(nullptr, 0, &TThreadOpenAllForAlarmUp::ThreadMain, this, 0,
                                 nullptr));
    if (thread_) ::SetThreadPriority(thread_.get(), THREAD_PRIORITY_BELOW_NORMAL);
}

TThreadOpenAllForAlarmUp::~TThreadOpenAllForAlarmUp() {
    Stop();
    if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
}

void TThreadOpenAllForAlarmUp::Stop() {
    ::SetEvent(stop_.get());
}

DWORD WINAPI TThreadOpenAllForAlarmUp::ThreadMain(LPVOID param) {
    auto* self = static_cast<TThreadOpenAllForAlarmUp*>(param);
    while (::WaitForSingleObject(self->stop_.get(), 0) != WAIT_OBJECT_0) {
        try {
            self->Pass();
        } catch (...) {
        }
        ::WaitForSingleObject(self->stop_.get(), 100);
    }
    return 0;
}

void TThreadOpenAllForAlarmUp::Pass() {
    auto stopped = [this] { return ::WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0; };
    const int count = std::min(host_.ChannelCount(), kSettingsChannels);
    for (int ch = 0; ch < count; ++ch) {
        if (!PreviewRequests[ch]) continue;
        if (stopped()) return;
        PreviewRequests[ch] = 0;
        host_.Synchronize([&] {
            if (!host_.PanePreviewing(ch) && !host_.PanePlaying(ch)) host_.OpenPreview(ch);
        });
    }
    if (::WaitForSingleObject(stop_.get(), 100) == WAIT_OBJECT_0) return;
    for (int ch = 0; ch < count; ++ch) {
        if (!RecordRequests[ch]) continue;
        if (stopped()) return;
        RecordRequests[ch] = 0;
        host_.Synchronize([&] {
            if (!host_.FileOpen(ch))
                host_.StartChannel(ch, ch < host_.BoardChannelCount() ? ')' : '+', 0);
        });
    }
}

TThreadAutoFullScreen::TThreadAutoFullScreen(TAlarmWindowHost& host)
    : TMessageThread(THREAD_PRIORITY_NORMAL), host_(host) {
    Start();
}

TThreadAutoFullScreen::~TThreadAutoFullScreen() {
    Finish();
}

void TThreadAutoFullScreen::OnMessage(UINT, WPARAM wParam, LPARAM) {
    const int channel = int(wParam);
    if (channel < 0 || channel >= kSettingsChannels) return;
    host_.Synchronize([&] {
        const int state = host_.PaneState(channel);
        if (state != kPaneFullGrid && state != kPaneFullEnlarged) host_.ToggleFullScreen();
    });
    ::Sleep(100);
    host_.Synchronize([&] {
        if (host_.PaneState(channel) != kPaneFullEnlarged) host_.PaneDblClick(channel);
    });
}

} // namespace vantrel
