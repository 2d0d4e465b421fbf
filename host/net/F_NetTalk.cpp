#include "host/net/F_NetTalk.h"

#include "host/engine/U_Arithmetic.h"
#include "host/net/U_UdpSend.h"
#include "sim/g729/G729Dll.h"

#include "common/win/textconv.h"

#include <memory>

namespace vantrel {

TNetTalkForm::TNetTalkForm(TWaveIn& waveIn, TWaveOut& waveOut, TThreadWaveIn& threadWaveIn,
                           TThreadWaveOut& threadWaveOut, uint16_t defaultPort,
                           uint16_t receivePort)
    : waveIn_(waveIn), waveOut_(waveOut), threadWaveIn_(threadWaveIn),
      threadWaveOut_(threadWaveOut), defaultPort_(defaultPort), format_(VoiceFormat()) {
    WSADATA wsa{};
    wsaStarted_ = ::WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    G729InitEncoder();
    G729InitDecoder();
    se_UDPNetTalkPort = defaultPort_;
    threadWaveIn_.SetSender(this);

    std::string text;
    TArithmetic::ReadRegString(HKEY_LOCAL_MACHINE, kNetTalkKey, text, "NetTalk");
    if (!text.empty()) rows_ = ParseNetTalkList(text);

    client_.reset(OpenUdpSocket());
    notify_.OnSocket = [this](SOCKET s, WORD event, WORD error) { OnSocket(s, event, error); };
    dvr::win::Socket server(OpenUdpSocket(receivePort));
    if (server && notify_.Watch(server.get(), FD_READ)) server_ = std::move(server);
}

TNetTalkForm::~TNetTalkForm() {
    server_.reset();
    waveOut_.Close();
    waveIn_.Close();
    threadWaveOut_.Stop();
    threadWaveIn_.Stop();
    threadWaveIn_.SetSender(nullptr);
    client_.reset();
    if (wsaStarted_) ::WSACleanup();
}

void TNetTalkForm::Message(const char* utf8) {
    if (ShowMessage) ShowMessage(dvr::win::Utf8ToGbk(utf8));
}

std::vector<NetTalkRow> TNetTalkForm::Rows() {
    std::lock_guard<std::mutex> hold(rowsLock_);
    return rows_;
}

void TNetTalkForm::SetChecked(int row, bool checked) {
    std::lock_guard<std::mutex> hold(rowsLock_);
    if (row >= 0 && row < static_cast<int>(rows_.size()))
        rows_[static_cast<size_t>(row)].Checked = checked;
}

void TNetTalkForm::bt_BroadcastClick() {
    {
        std::lock_guard<std::mutex> hold(rowsLock_);
        bool any = false;
        for (const NetTalkRow& r : rows_)
            any = any || r.Checked;
        if (!any) return;
    }
    if (!waveIn_.Opened() && !waveIn_.Open(format_, threadWaveIn_.ThreadId())) {
        Message("录音失败");
        return;
    }
    waveIn_.Start();
    AddEnabled = false;
    DeleteEnabled = false;
}

void TNetTalkForm::bt_StopClick() {
    waveIn_.Stop();
    waveIn_.Close();
    AddEnabled = true;
    DeleteEnabled = true;
}

void TNetTalkForm::bt_StartRecordClick() {
    Message(waveIn_.Open(format_, threadWaveIn_.ThreadId()) ? "已开始录音" : "录音失败");
}

void TNetTalkForm::bt_CloseRecordClick() {
    Message(waveIn_.Close() ? "已关闭录音" : "关闭录音失败");
}

void TNetTalkForm::SetEditing(bool editing) {
    pn_EditVisible = editing;
    ListEnabled = BroadcastEnabled = StopEnabled = AddEnabled = DeleteEnabled = StartRecordEnabled =
        CloseRecordEnabled = !editing;
}

void TNetTalkForm::bt_AddClick() {
    ed_Name.clear();
    ed_Addr.clear();
    se_UDPNetTalkPort = defaultPort_;
    threadWaveIn_.SetSender(this);
    SetEditing(true);
}

void TNetTalkForm::bt_OKClick() {
    if (ed_Addr.empty()) return;
    {
        std::lock_guard<std::mutex> hold(rowsLock_);
        NetTalkRow row;
        row.Name = ed_Name;
        row.Address = ed_Addr;
        row.Port = std::to_string(se_UDPNetTalkPort);
        rows_.push_back(std::move(row));
    }
    SetEditing(false);
}

void TNetTalkForm::bt_CancelClick() {
    SetEditing(false);
}

void TNetTalkForm::bt_DeleteClick() {
    std::lock_guard<std::mutex> hold(rowsLock_);
    for (auto it = Selected.rbegin(); it != Selected.rend(); ++it)
        if (*it >= 0 && *it < static_cast<int>(rows_.size())) rows_.erase(rows_.begin() + *it);
    Selected.clear();
}

void TNetTalkForm::bt_SaveClick() {
    TArithmetic::WriteRegString(HKEY_LOCAL_MACHINE, kNetTalkKey, "NetTalk",
                                FormatNetTalkList(Rows()));
}

void TNetTalkForm::SendVoice(const uint8_t* data, int length) {
    // The list is read under its lock; the sends go out after it.
    std::vector<std::pair<std::string, uint16_t>> targets;
    {
        std::lock_guard<std::mutex> hold(rowsLock_);
        for (const NetTalkRow& r : rows_)
            if (r.Checked) targets.emplace_back(r.Address, NetTalkRowPort(r, defaultPort_));
    }
    // A failed send to one address does not stop the next.
    for (const auto& [address, port] : targets)
        SendDatagram(client_.get(), address, port, data, static_cast<size_t>(length));
}

void TNetTalkForm::OnSocket(SOCKET socket, WORD event, WORD) {
    if (socket == server_.get() && event == FD_READ) Receive();
}

void TNetTalkForm::Receive() {
    char buffer[2048];
    sockaddr_in from{};
    int len = sizeof(from);
    const int n = ::recvfrom(server_.get(), buffer, sizeof(buffer), 0,
                             reinterpret_cast<sockaddr*>(&from), &len);
    // A datagram too long for the buffer still holds its first 60 bytes.
    if (n < 0 && ::WSAGetLastError() != WSAEMSGSIZE) return;
    const int got = n < 0 ? static_cast<int>(sizeof(buffer)) : n;
    ++datagramsReceived_;
    if (got < static_cast<int>(kVoiceDatagramBytes)) return;
    auto block = std::make_unique<uint8_t[]>(kVoicePcmBytes);
    int outLength = 0;
    if (G729Decode(buffer, static_cast<int>(kVoiceDatagramBytes), block.get(), &outLength) != 0 ||
        outLength <= 0 || outLength > static_cast<int>(kVoicePcmBytes))
        return;
    ++datagramsDecoded_;
    if (!waveOut_.Opened()) waveOut_.Open(format_, threadWaveOut_.ThreadId());
    waveOut_.Write(std::move(block), outLength);
}

} // namespace vantrel
