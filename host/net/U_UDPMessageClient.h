// The host's requesting side of the UDP message protocol: the request socket every window
// sends through, the reply reader that hands each reply to the window waiting for it, and the
// alarm listener that takes uploads from other hosts.
#pragma once

#include "host/engine/U_WindowTimer.h"
#include "host/net/U_UDPReplyRouter.h"
#include "host/net/U_UDPMessageServer.h"
#include "host/net/U_UDPSocket.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace vantrel {

class TUDPMessageClient : public TUdpSender {
public:
    // Created on the user-interface thread: the alarm steps, the work-log rows and the day
    // tree run there. The alarm listener binds `alarmPort` (56000, fixed in the host); when
    // another program holds it, requests and replies still work without it. A negative port:
    // no listener (the browser control listens with its own).
    TUDPMessageClient(TUDPReplyWindows& windows, TRemoteAlarmHost& alarms,
                      int alarmPort = kAlarmListenerPort);
    ~TUDPMessageClient() override;

    // One request through the request socket; throws on failure. Safe from any thread.
    void SendTo(const void* buffer, int length, int port, const std::string& host) override;

    int RequestPort() const { return request_.LocalPort(); }
    bool AlarmListening() const { return alarm_ != nullptr; }
    int AlarmPort() const { return alarm_ ? alarm_->LocalPort() : -1; }

private:
    TUiHandOver ui_;
    TUDPReplyRouter router_;
    std::mutex sendLock_;
    TUdpSocket request_;
    std::unique_ptr<TUdpSocket> alarm_;
    std::unique_ptr<TUdpReceiveThread> alarmListener_;
    std::unique_ptr<TUdpReceiveThread> reader_;
};

// A window's wait for a reply: armed when the request leaves, ended by the reply, and given up
// after the time-out (5 s in the windows) with the window's own action.
class TReplyWait {
public:
    explicit TReplyWait(std::function<void()> onGiveUp, unsigned timeoutMs = 5000);
    // Clears the time-out flag and (re)starts the wait.
    void Start();
    // The reply came: the wait ends and the time-out flag is cleared.
    void Done();
    bool Waiting() const { return timer_.Enabled(); }
    // Set when the time ran out, until the next Start or Done.
    bool TimedOut() const { return timedOut_; }

private:
    void Expire();

    std::function<void()> onGiveUp_;
    bool timedOut_ = false;
    TWindowTimer timer_;
};

} // namespace vantrel
