// The logic behind the file-transfer window: it both offers files to another host and
// receives offers on its own port, one transfer at a time.
#pragma once

#include "host/net/T_ThreadSendFile.h"
#include "host/net/U_MsgSocket.h"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel {

class TWindowTimer;

// What the window shows; texts are GBK.
class TFileTransferView {
public:
    virtual ~TFileTransferView() = default;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetProgressMax(int max) = 0;
    virtual void SetProgress(int position) = 0;
    // The send button's caption: "接收" while an offer waits, else "发送".
    virtual void SetSendCaptionReceive(bool receive) = 0;
    virtual void SetSendEnabled(bool enabled) = 0;
    virtual void SetExitEnabled(bool enabled) = 0;
    virtual void SetWindowEnabled(bool enabled) = 0;
    virtual void ShowWindow() = 0;
};

struct TFileTransferTimes {
    UINT ConnectTimeoutMs = 5000;
    DWORD CloseAfterSentMs = 1000;
    DWORD CutWaitMs = 500;
    // An incoming connection that has not made its offer by then is closed: an idle peer
    // must not keep every other sender out.
    UINT OfferTimeoutMs = 10000;
};

class TFileTransfer {
public:
    TFileTransfer(TFileTransferView& view, TFileTransferTimes times = {});
    ~TFileTransfer();

    // The listening port (port table slot 3); `address` only narrows it (tests: loopback).
    bool Open(int port, std::string_view address = {});
    int Port() const { return server_.LocalPort(); }

    // The send button: offers the file, or accepts the waiting offer into that local path.
    void SendPressed(const std::string& address, int port, const std::string& fileName);
    // The break-off button.
    void CutPressed();

    bool CaptionReceive() const { return captionReceive_; }
    bool Receiving() const { return receiving_; }

private:
    void StartSend(const std::string& address, int port);
    void Accept();
    void ClientConnected();
    void ClientRead();
    void TimerFired();
    void OfferTimerFired();
    void SendProgress(int bytes);
    void ServerConnect(const TMsgConnectionPtr& c);
    void ServerRead(const TMsgConnectionPtr& c);
    void ServerDisconnect(const TMsgConnectionPtr& c);
    void RecvProgress(int bytes);
    void StopSender();
    void ResetCounts();
    void CloseTransferFile();
    void SetSendCaption(bool receive);
    void SetSendEnabled(bool enabled);

    TFileTransferView& view_;
    TFileTransferTimes times_;
    std::string transferPath_;
    std::atomic<int32_t> transferSize_{0};
    int32_t transferDone_ = 0;
    HANDLE transferFile_ = INVALID_HANDLE_VALUE;
    bool receiving_ = false;
    bool receiveCompleted_ = false;
    bool captionReceive_ = false;
    bool sendEnabled_ = true;
    std::shared_ptr<TThreadSendFile> sender_;
    TMsgClientSocket client_;
    TMsgServerSocket server_;
    TMsgConnectionPtr incoming_;
    std::unique_ptr<TWindowTimer> timer_;
    std::unique_ptr<TWindowTimer> offerTimer_;
    TMsgWindow messages_;
};

} // namespace vantrel
