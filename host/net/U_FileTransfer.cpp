#include "host/net/U_FileTransfer.h"

#include "host/engine/U_WindowTimer.h"
#include "host/net/U_NetTransferTexts.h"

#include "common/win/textconv.h"

#include <utility>

namespace vantrel {

namespace {

using dvr::win::GbkToWide;
using dvr::win::Utf8ToGbk;

// Marks a connection refused at connect: its disconnect leaves the transfer alone.
constexpr intptr_t kRefused = -1;

// The browser control's window keeps the file it measured open for the send, keeps its counts
// after a transfer, sends no "cut" and shows no broken connection.
#ifdef VANTREL_CONTROL_BUILD
constexpr bool kControl = true;
#else
constexpr bool kControl = false;
#endif

HANDLE OpenForReading(const std::string& path) {
    return ::CreateFileW(GbkToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int32_t LengthOf(HANDLE file) {
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file, &size);
    return size.QuadPart > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size.QuadPart);
}

} // namespace

TFileTransfer::TFileTransfer(TFileTransferView& view, TFileTransferTimes times)
    : view_(view), times_(times),
      timer_(std::make_unique<TWindowTimer>(times.ConnectTimeoutMs, [this] { TimerFired(); })),
      offerTimer_(
          std::make_unique<TWindowTimer>(times.OfferTimeoutMs, [this] { OfferTimerFired(); })),
      messages_([this](UINT m, WPARAM w, LPARAM) {
          if (m == WM_FILESENDPROGRESS) SendProgress(static_cast<int>(w));
          if (m == WM_FILERECVPROGRESS) RecvProgress(static_cast<int>(w));
      }) {
    client_.OnConnect = [this] { ClientConnected(); };
    client_.OnRead = [this] { ClientRead(); };
    client_.OnError = [](int& code) { code = 0; };
    server_.OnClientConnect = [this](const TMsgConnectionPtr& c) { ServerConnect(c); };
    server_.OnClientRead = [this](const TMsgConnectionPtr& c) { ServerRead(c); };
    server_.OnClientDisconnect = [this](const TMsgConnectionPtr& c) { ServerDisconnect(c); };
    server_.OnClientError = [](const TMsgConnectionPtr&, int& code) { code = 0; };
}

TFileTransfer::~TFileTransfer() {
    StopSender();
    client_.Close();
    server_.Close();
    CloseTransferFile();
}

bool TFileTransfer::Open(int port, std::string_view address) {
    return server_.Open(port, address);
}

void TFileTransfer::SetSendCaption(bool receive) {
    captionReceive_ = receive;
    view_.SetSendCaptionReceive(receive);
}

void TFileTransfer::SetSendEnabled(bool enabled) {
    sendEnabled_ = enabled;
    view_.SetSendEnabled(enabled);
}

void TFileTransfer::ResetCounts() {
    transferDone_ = 0;
    transferSize_ = 0;
}

void TFileTransfer::CloseTransferFile() {
    if (transferFile_ != INVALID_HANDLE_VALUE) ::CloseHandle(transferFile_);
    transferFile_ = INVALID_HANDLE_VALUE;
}

void TFileTransfer::StopSender() {
    if (!sender_) return;
    sender_->Stop();
    // The thread reads this object's count: wait for it to let go.
    for (int i = 0; i < 400 && !sender_->Ended(); ++i)
        ::Sleep(5);
    sender_.reset();
}

void TFileTransfer::SendPressed(const std::string& address, int port, const std::string& fileName) {
    transferPath_ = fileName;
    if (captionReceive_) {
        Accept();
        return;
    }
    StartSend(address, port);
}

void TFileTransfer::StartSend(const std::string& address, int port) {
    if (kControl) StopSender(); // the last send's thread, kept until now
    if (address.empty()) {
        view_.SetStatus(Utf8ToGbk("请输入目的地址。"));
        return;
    }
    if (transferPath_.empty()) {
        view_.SetStatus(Utf8ToGbk("请输入将要发送的文件的有效全名。"));
        return;
    }
    const DWORD a = ::GetFileAttributesW(GbkToWide(transferPath_).c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) {
        view_.SetStatus(Utf8ToGbk("文件 <") + transferPath_ + Utf8ToGbk("> 不存在。"));
        return;
    }
    client_.Close();
    timer_->SetEnabled(true);
    view_.SetWindowEnabled(false);
    SetSendEnabled(false);
    if (!client_.Open(address, port)) TimerFired();
}

void TFileTransfer::TimerFired() {
    view_.SetStatus(Utf8ToGbk("连接超时！"));
    timer_->SetEnabled(false);
    // A connection that comes after the time-out must not start an offer nobody waits for.
    client_.Close();
    SetSendEnabled(true);
    view_.SetWindowEnabled(true);
    view_.SetExitEnabled(true);
}

void TFileTransfer::ClientConnected() {
    view_.SetWindowEnabled(true);
    timer_->SetEnabled(false);
    HANDLE f = OpenForReading(transferPath_);
    if (f == INVALID_HANDLE_VALUE) {
        view_.SetStatus(Utf8ToGbk("打开文件 <") + transferPath_ + Utf8ToGbk("> 失败。"));
        client_.Close();
        view_.SetExitEnabled(true);
        SetSendEnabled(true);
        return;
    }
    transferSize_ = LengthOf(f);
    view_.SetProgressMax(transferSize_);
    if (kControl) {
        CloseTransferFile();
        transferFile_ = f;
    } else {
        ::CloseHandle(f);
    }
    view_.SetStatus(Utf8ToGbk("正在等待对方接收文件。"));
    transferDone_ = 0;
    const size_t slash = transferPath_.find_last_of("\\/");
    const std::string name =
        slash == std::string::npos ? transferPath_ : transferPath_.substr(slash + 1);
    if (const auto c = client_.Connection())
        c->SendText(BuildFileTransferHeader(transferSize_, name));
    view_.SetExitEnabled(false);
}

void TFileTransfer::ClientRead() {
    const auto c = client_.Connection();
    if (!c) return;
    const std::string text = c->ReceiveText();
    if (kControl) {
        if (text == "OK" && transferFile_ != INVALID_HANDLE_VALUE && !sender_) {
            // The sender takes the file opened and measured at the connect.
            sender_ = TThreadSendFile::Create(std::exchange(transferFile_, INVALID_HANDLE_VALUE),
                                              c, transferSize_, messages_.Handle());
            return;
        }
        if (text == "OK") return;
        view_.SetStatus(Utf8ToGbk("对方拒绝接收文件。"));
        SetSendEnabled(true);
        view_.SetExitEnabled(true);
        client_.Close();
        CloseTransferFile();
        return;
    }
    if (text == "OK") {
        HANDLE f = OpenForReading(transferPath_);
        if (f == INVALID_HANDLE_VALUE) {
            view_.SetStatus(Utf8ToGbk("打开文件 <") + transferPath_ + Utf8ToGbk("> 失败。"));
            client_.Close();
            view_.SetExitEnabled(true);
            SetSendEnabled(true);
            ResetCounts();
            return;
        }
        transferSize_ = LengthOf(f);
        view_.SetProgressMax(transferSize_);
        sender_ = TThreadSendFile::Create(f, c, transferSize_, messages_.Handle());
        return;
    }
    StopSender();
    receiving_ = false;
    view_.SetExitEnabled(true);
    SetSendEnabled(true);
    SetSendCaption(false);
    view_.SetStatus(Utf8ToGbk("对方中断了接收文件！"));
    view_.SetProgress(0);
    client_.Close();
    ResetCounts();
}

void TFileTransfer::SendProgress(int bytes) {
    if (!sender_) return; // a report from a sender already broken off
    if (transferDone_ < 1)
        view_.SetStatus(Utf8ToGbk("开始发送文件：") + transferPath_ + Utf8ToGbk("，请稍候..."));
    transferDone_ += bytes;
    view_.SetProgress(transferDone_);
    if (transferDone_ < transferSize_) return;
    view_.SetStatus(Utf8ToGbk("发送文件结束。"));
    if (kControl) {
        view_.SetProgress(0);
        client_.Close();
        SetSendEnabled(true);
        SetSendCaption(false);
        view_.SetExitEnabled(true);
        return;
    }
    ::Sleep(times_.CloseAfterSentMs);
    view_.SetProgress(0);
    client_.Close();
    SetSendEnabled(true);
    SetSendCaption(false);
    sender_.reset();
    view_.SetExitEnabled(true);
    ResetCounts();
}

void TFileTransfer::ServerConnect(const TMsgConnectionPtr& c) {
    // A connection that holds the port without having offered anything makes room for the
    // next one: an idle peer cannot keep every real sender out.
    if (incoming_ && offerTimer_->Enabled() && !receiving_ && !captionReceive_) {
        offerTimer_->SetEnabled(false);
        const TMsgConnectionPtr idle = std::exchange(incoming_, nullptr);
        idle->Mark = kRefused;
        idle->Close();
    }
    // Connections already refused may still be on the server's list until their close is
    // told: only the one that holds the port counts.
    if (incoming_ || client_.Active() || timer_->Enabled()) {
        c->Mark = kRefused;
        c->Close();
        return;
    }
    incoming_ = c;
    receiveCompleted_ = false;
    if (!kControl) ResetCounts();
    offerTimer_->SetEnabled(true);
}

void TFileTransfer::OfferTimerFired() {
    offerTimer_->SetEnabled(false);
    // Still no offer from the connection that holds the port: it goes, quietly.
    if (!incoming_ || receiving_ || captionReceive_) return;
    const TMsgConnectionPtr c = std::exchange(incoming_, nullptr);
    c->Mark = kRefused;
    c->Close();
}

void TFileTransfer::ServerRead(const TMsgConnectionPtr& c) {
    if (c != incoming_) {
        c->ReceiveText();
        return;
    }
    if (!receiving_ && (kControl || transferDone_ == 0) && !captionReceive_) {
        const std::string text = c->ReceiveText();
        int32_t size = 0;
        std::string name;
        if (!ParseFileTransferHeader(text, size, name)) {
            c->Close(); // not an offer this window understands
            return;
        }
        offerTimer_->SetEnabled(false);
        transferSize_ = size;
        transferDone_ = 0;
        view_.SetProgressMax(size);
        view_.SetStatus(Utf8ToGbk("请接收文件：") + name + Utf8ToGbk("来自：") + c->PeerAddress());
        SetSendEnabled(true);
        SetSendCaption(true);
        view_.SetExitEnabled(false);
        view_.ShowWindow();
        return;
    }
    if (!receiving_) {
        c->ReceiveText(); // nothing is taken before the operator accepts
        return;
    }
    char buffer[65536];
    for (;;) {
        const int n = c->ReceiveBuf(buffer, sizeof buffer);
        if (n <= 0) break;
        if (transferFile_ != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ::WriteFile(transferFile_, buffer, static_cast<DWORD>(n), &written, nullptr);
        }
        // Counted at once rather than posted: a close right behind the last bytes must find
        // them counted, or a whole file would be reported as broken off.
        RecvProgress(n);
        if (!receiving_) break;
    }
}

void TFileTransfer::Accept() {
    const std::string& path = transferPath_;
    if (path.empty()) {
        view_.SetStatus(Utf8ToGbk("请输入存放文件的有效全名。"));
        return;
    }
    const size_t slash = path.find_last_of("\\/");
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const DWORD a =
        folder.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(GbkToWide(folder).c_str());
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) {
        view_.SetStatus(Utf8ToGbk("路径 <") + path + Utf8ToGbk("> 不存在。"));
        return;
    }
    if (slash + 1 >= path.size()) {
        view_.SetStatus(Utf8ToGbk("请输入存放文件的有效全名。"));
        return;
    }
    HANDLE f = ::CreateFileW(GbkToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        view_.SetStatus(Utf8ToGbk("保存文件失败！"));
        return;
    }
    transferFile_ = f;
    if (!kControl) transferDone_ = 0;
    receiving_ = true;
    if (!incoming_ || incoming_->SendText("OK") <= 0) {
        receiving_ = false;
        CloseTransferFile();
        ::DeleteFileW(GbkToWide(path).c_str());
        if (!kControl) ResetCounts();
        return;
    }
    view_.SetStatus(Utf8ToGbk("正在接收文件，请稍候..."));
    SetSendEnabled(false);
    view_.SetExitEnabled(false);
    // An empty file is complete as soon as it is accepted.
    if (transferSize_ == 0) messages_.Post(WM_FILERECVPROGRESS, 0);
}

void TFileTransfer::RecvProgress(int bytes) {
    if (!receiving_) return;
    transferDone_ += bytes;
    view_.SetProgress(transferDone_);
    if (transferDone_ < transferSize_) return;
    CloseTransferFile();
    view_.SetStatus(Utf8ToGbk("接收文件结束。"));
    view_.SetProgress(0);
    SetSendEnabled(true);
    SetSendCaption(false);
    receiving_ = false;
    receiveCompleted_ = true;
    view_.SetExitEnabled(true);
    if (!kControl) ResetCounts();
}

void TFileTransfer::ServerDisconnect(const TMsgConnectionPtr& c) {
    // A connection refused while busy leaves the running transfer as it is.
    if (c->Mark == kRefused || c != incoming_) return;
    incoming_.reset();
    // The control shows nothing: a broken receive waits for the operator's break-off.
    if (receiveCompleted_ || kControl) return;
    CloseTransferFile();
    view_.SetStatus(Utf8ToGbk("文件接收中断！"));
    view_.SetProgress(0);
    SetSendEnabled(true);
    SetSendCaption(false);
    receiving_ = false;
    view_.SetExitEnabled(true);
    ResetCounts();
}

void TFileTransfer::CutPressed() {
    if (kControl) {
        if (captionReceive_) {
            view_.SetExitEnabled(true);
            if (receiving_) SetSendEnabled(true);
            SetSendCaption(false);
            view_.SetStatus({});
            receiving_ = false;
            CloseTransferFile();
            if (const TMsgConnectionPtr c = std::exchange(incoming_, nullptr)) c->Close();
        } else if (receiving_) {
            // A receive whose connection broke: the offer is gone, the file closes.
            view_.SetExitEnabled(true);
            SetSendEnabled(true);
            view_.SetStatus({});
            receiving_ = false;
            CloseTransferFile();
        } else if (!sendEnabled_ || sender_) {
            StopSender();
            view_.SetExitEnabled(true);
            SetSendEnabled(true);
            view_.SetStatus({});
            client_.Close();
            CloseTransferFile();
        }
        return;
    }
    StopSender();
    view_.SetProgress(0);
    if (captionReceive_) {
        if (incoming_ && incoming_->Connected()) {
            incoming_->SendText("cut");
            ::Sleep(times_.CutWaitMs);
        }
        view_.SetExitEnabled(true);
        if (receiving_) SetSendEnabled(true);
        SetSendCaption(false);
        view_.SetStatus({});
        receiving_ = false;
        CloseTransferFile();
        // Broken off here: its disconnect is not a receive that broke.
        if (const TMsgConnectionPtr c = std::exchange(incoming_, nullptr)) c->Close();
    } else if (!sendEnabled_) {
        view_.SetExitEnabled(true);
        SetSendEnabled(true);
        view_.SetStatus({});
        client_.Close();
    }
    ResetCounts();
}

} // namespace vantrel
