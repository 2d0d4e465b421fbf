// Serial devices for Windows tests: two Wine COM ports joined by a socat pty pair, and the
// device end opened by the test itself.
#pragma once

#include "common/win/handles.h"
#include "host/engine/U_COM.h"

#include <windows.h>

#include <string>

namespace vantrel::testing {

// "Z:" and the Unix path with backslashes: how this process sees a file of the Wine prefix.
inline std::wstring PrefixPath(const std::wstring& unixPrefix, const std::wstring& rest) {
    std::wstring path = L"Z:" + unixPrefix + L"/" + rest;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// Wine reports no attributes for a link to a device: a port is there when it opens.
inline bool PortOpens(int com) {
    return bool(dvr::win::File(::CreateFileW(TCOM::DeviceName(com - 1).c_str(),
                                             GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr)));
}

// The Unix process cannot be ended through a Windows handle, so a stop file ends its shell.
class PtyPair {
public:
    PtyPair(int comA, int comB) : comA_(comA), comB_(comB) {
        wchar_t prefix[1024] = {};
        if (!::GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024)) return;
        prefix_ = prefix;
        const std::wstring dev = prefix_ + L"/dosdevices/";
        const std::wstring linkA = L"com" + std::to_wstring(comA);
        const std::wstring linkB = L"com" + std::to_wstring(comB);
        stop_ = L"vantrel-periph-stop-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + linkA;
        ::DeleteFileW(PrefixPath(prefix_, stop_).c_str());
        const std::wstring stopFile = prefix_ + L"/" + stop_;
        const std::wstring script =
            L"exec </dev/null >/dev/null 2>&1; timeout 300 socat pty,raw,echo=0,link=" + dev +
            linkA + L" pty,raw,echo=0,link=" + dev + linkB + L" & p=$!; while [ ! -e " + stopFile +
            L" ] && kill -0 $p 2>/dev/null; do sleep 0.05; done; kill $p 2>/dev/null;" +
            L" wait $p; rm -f " + stopFile;
        std::wstring command = L"/bin/sh -c \"" + script + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi))
            return;
        dvr::win::Handle process(pi.hProcess), thread(pi.hThread);
        for (int i = 0; i < 200 && !Ready(); ++i)
            ::Sleep(25);
    }
    ~PtyPair() {
        if (prefix_.empty()) return;
        dvr::win::File stop(::CreateFileW(PrefixPath(prefix_, stop_).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_ALWAYS, 0, nullptr));
        stop.reset();
        // socat removes its links when it ends.
        for (int i = 0; i < 200 && (PortOpens(comA_) || PortOpens(comB_)); ++i)
            ::Sleep(25);
    }
    bool Ready() const { return !prefix_.empty() && PortOpens(comA_) && PortOpens(comB_); }

private:
    int comA_, comB_;
    std::wstring prefix_, stop_;
};

// The device end of a pair; a read ends after `intervalMs` of quiet or `totalMs` in all.
class Peer {
public:
    explicit Peer(int com, DWORD intervalMs = 30, DWORD totalMs = 1500)
        : file_(::CreateFileW(TCOM::DeviceName(com - 1).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr)) {
        COMMTIMEOUTS t{};
        t.ReadIntervalTimeout = intervalMs;
        t.ReadTotalTimeoutConstant = totalMs;
        ::SetCommTimeouts(file_.get(), &t);
    }
    bool Open() const { return bool(file_); }
    std::string Read() {
        char buffer[512];
        DWORD got = 0;
        ::ReadFile(file_.get(), buffer, sizeof buffer, &got, nullptr);
        return std::string(buffer, got);
    }
    void Write(const std::string& bytes) {
        DWORD done = 0;
        ::WriteFile(file_.get(), bytes.data(), DWORD(bytes.size()), &done, nullptr);
    }

private:
    dvr::win::File file_;
};

} // namespace vantrel::testing
