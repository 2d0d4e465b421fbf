// The logic behind the chat window: one message per connection to another host's chat port,
// answered "OK"; messages from others arrive on this window's own port at any time.
#pragma once

#include "host/net/U_MsgSocket.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class TWindowTimer;

// What the window shows; texts are GBK.
class TNetChatView {
public:
    virtual ~TNetChatView() = default;
    virtual void LinesChanged(const std::vector<std::string>& lines) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ShowWindow() = 0;
    virtual void SetWindowEnabled(bool enabled) = 0;
    virtual void SetHourglass(bool on) = 0;
};

// Bytes of a received message shown at most (the rest is dropped), and lines the display keeps
// (the oldest go first).
constexpr size_t kMaxChatText = 4096;
constexpr size_t kMaxChatLines = 5000;

// The system's default date-time text of now.
std::string NowDateTimeText();

class TNetChat {
public:
    // `ownIP`: the host's first local address, the nickname when none is given.
    TNetChat(TNetChatView& view, std::string ownIP, UINT timeoutMs = 5000,
             std::function<std::string()> now = NowDateTimeText);
    ~TNetChat();

    // The listening port (port table slot 4); `address` only narrows it (tests: loopback).
    bool Open(int port, std::string_view address = {});
    int Port() const { return server_.LocalPort(); }

    void SendPressed(const std::string& address, int port, const std::string& nickname,
                     const std::string& text);
    void ClearPressed();
    // Writes the display's lines to the file; shows "保存成功！" or "保存失败！".
    void SaveTo(const std::string& fileName);
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    void Append(const std::string& line);
    void TimerFired();

    TNetChatView& view_;
    std::string ownIP_;
    std::function<std::string()> now_;
    std::string chatHost_, chatText_;
    std::vector<std::string> lines_;
    TMsgClientSocket client_;
    TMsgServerSocket server_;
    std::unique_ptr<TWindowTimer> timer_;
};

} // namespace vantrel
