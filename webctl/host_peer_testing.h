// The host's message server and file-transfer endpoint in a program of their own, started by a
// test of the control's windows and stopped at its end.
#pragma once

#include "common/win/handles.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace vantrel::webctl {

// The host's message server, started as its own program and stopped at the end.
class HostPeer {
public:
    explicit HostPeer(const std::string& mode = "accept", const std::string& received = "") {
        const char* bin = std::getenv("DVR_BIN_DIR");
        const std::string dir = bin ? bin : ".";
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        ready_ = std::string(temp) + "webctl_host_peer.port";
        ::DeleteFileA(ready_.c_str());
        event_ = "webctl_host_peer_stop_" + std::to_string(::GetCurrentProcessId());
        std::string command = "\"" + dir + "/host_message_peer.exe\" \"" + ready_ + "\" " +
                              event_ + " " + mode + " \"" + received + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &si, &pi))
            return;
        process_.reset(pi.hProcess);
        ::CloseHandle(pi.hThread);
        const ULONGLONG end = ::GetTickCount64() + 60000;
        while (::GetTickCount64() < end) {
            std::ifstream f(ready_);
            if (f >> port_ >> filePort_ >> replayPort_) break;
            port_ = 0;
            ::Sleep(20);
        }
    }
    ~HostPeer() {
        if (HANDLE stop = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, event_.c_str())) {
            ::SetEvent(stop);
            ::CloseHandle(stop);
        }
        if (process_ && ::WaitForSingleObject(process_.get(), 30000) != WAIT_OBJECT_0)
            ::TerminateProcess(process_.get(), 1);
        ::DeleteFileA(ready_.c_str());
    }
    int port_ = 0;     // the message server
    int filePort_ = 0; // the file-transfer endpoint
    int replayPort_ = 0; // the replay port

private:
    std::string ready_, event_;
    dvr::win::Handle process_;
};

} // namespace vantrel::webctl
