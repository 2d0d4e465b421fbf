#include "webctl/U_Alarm.h"

#include "host/engine/U_NetClientSet.h"
#include "webctl/U_NetChannels.h"
#include "webctl/U_StatusImages.h"

#include "common/win/textconv.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

namespace vantrel::webctl {

namespace {
constexpr dvr::fw::TColor kAlarmTextColor = 0x000000FF; // red
}

uint16_t ControlAlarmPort() {
    wchar_t text[16] = {};
    const DWORD n = ::GetEnvironmentVariableW(kAlarmPortVariable, text, 16);
    if (n == 0 || n >= 16) return kControlAlarmPort;
    const long port = std::wcstol(text, nullptr, 10);
    return port > 0 && port < 65536 ? static_cast<uint16_t>(port) : kControlAlarmPort;
}

TAlarm::TAlarm(TControlChannels& channels, TAlarmSet& settings)
    : channels_(channels), settings_(settings) {
    RecordCounter.fill(-1);
}

void TAlarm::ResetAlarmTimers(int channel) {
    if (channel < 0 || channel >= 49) return;
    HoldCounter[size_t(channel)] = 0;
    RecordCounter[size_t(channel)] = 0;
}

void TAlarm::TakeUpload(const AlarmUploadRecord& record) {
    ++uploads_;
    const TNetClientSet& hosts = channels_.Hosts();
    const int count = std::min(channels_.ChannelCount(), 49);
    for (int i = 0; i < count; ++i) {
        const TClientChannelRecord entry = channels_.Net->SlotTable[size_t(i)];
        if (entry.GroupIndex < 0 || entry.GroupIndex >= static_cast<int>(hosts.Groups.size()))
            continue;
        const TClientGroup& group = hosts.Groups[size_t(entry.GroupIndex)];
        if (group.HostAddress.View() != record.HostAddress.View() ||
            entry.RemoteChannel != record.Channel)
            continue;
        const TAlarmSetRecord& set = settings_.Records[size_t(i)];
        const int kind = AlarmKindIndex(record.Kind);
        const uint8_t soundOn[kAlarmKinds] = {set.VideoLossSound, set.MotionSound, set.ProbeSound};
        if (Audio && kind >= 0 && soundOn[kind]) Audio->SetSound(i, kind, true);
        Alarming[size_t(i)] = true;
        if (Images) Images->Set(i, StatusPicture::Alarm);
        if (dvr::fw::TPanel* label = DetectLabels[size_t(i)]) {
            label->Font()->SetColor(kAlarmTextColor);
            label->SetCaption(dvr::win::Utf8ToGbk("侦"));
            label->SetVisible(true);
        }
        if (set.OpenPreview && !channels_.PanePreviewing(i))
            channels_.AlarmUp->OpenPreviewMarks[size_t(i)] = true;
        ResetAlarmTimers(i);
        if (set.RecordOnAlarm) channels_.AlarmUp->StartRecordingMarks[size_t(i)] = true;
    }
    if (ListUpload) ListUpload(record);
}

void TAlarm::StatusImageClick(int channel) {
    if (channel < 0 || channel >= 49) return;
    if (channels_.CycleMode()) {
        ::MessageBoxW(nullptr, L"对不起，系统处于轮视模式中，操作无效！", L"", MB_OK);
        return;
    }
    const size_t c = size_t(channel);
    if (Alarming[c] || Armed[c]) {
        channels_.CloseAll->CloseChannels(channel, false, true, false, false, true, 0);
        // The alarm taken back takes its sounds with it (the control times no alarm hold).
        if (Audio && Alarming[c])
            for (int k = 0; k < kAlarmKinds; ++k) Audio->SetSound(channel, k, false);
        Alarming[c] = false;
        Armed[c] = false;
        if (Images) Images->Set(channel, channels_.PanePlaying(channel) ? StatusPicture::Work
                                                                         : StatusPicture::Idle);
        if (dvr::fw::TPanel* label = DetectLabels[c]) label->SetVisible(false);
    } else {
        channels_.OpenAll->Request(channel, false, true, false);
        Armed[c] = true;
    }
}

TAlarmListener::TAlarmListener(HWND window, uint16_t port) : window_(window) {
    WSADATA wsa{};
    if (::WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return;
    socket_.reset(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(port);
    if (!socket_ || ::bind(socket_.get(), reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0) {
        socket_.reset();
        return;
    }
    int size = 102400;
    ::setsockopt(socket_.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size),
                 sizeof(size));
    thread_ = std::thread([this] { ReadLoop(); });
}

TAlarmListener::~TAlarmListener() {
    stopped_ = true;
    const bool started = thread_.joinable();
    socket_.reset(); // ends the blocked receive
    if (started) thread_.join();
    ::WSACleanup();
}

void TAlarmListener::ReadLoop() {
    std::vector<char> buffer(102400);
    const SOCKET s = socket_.get();
    while (!stopped_) {
        const int n = ::recv(s, buffer.data(), static_cast<int>(buffer.size()), 0);
        if (stopped_) return;
        if (n < 0) {
            if (::WSAGetLastError() == WSAENOTSOCK) return;
            ::Sleep(50);
            continue;
        }
        // Only whole uploads; anything else is read and dropped.
        if (n != int(sizeof(AlarmUploadRecord))) continue;
        if (pending_ >= kMaxPendingUploads) continue;
        auto* record = new AlarmUploadRecord{};
        std::memcpy(record, buffer.data(), sizeof(*record));
        ++pending_;
        if (!::PostMessageW(window_, WM_ALARMUPLOAD, 0, reinterpret_cast<LPARAM>(record))) {
            --pending_;
            delete record;
        }
    }
}

} // namespace vantrel::webctl
