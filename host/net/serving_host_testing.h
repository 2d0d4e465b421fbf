// A host serving its live channels on loopback, for the tests of the viewers that watch it:
// free port bases, the simulated board running one clip per channel with the recording engine
// and the live servers routed as the host program routes them, and a live server fed the
// records of a clip directly at a camera's pace.
#pragma once

#include "host/engine/T_ThreadWriteLogRecord.h"
#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_CaptureSet.h"
#include "host/engine/U_ClientCheck.h"
#include "host/engine/U_SystemOtherSet.h"
#include "host/engine/U_VideoCard.h"
#include "host/engine/U_WorkLog.h"
#include "host/engine/recording_testing.h"
#include "host/net/T_ThreadFreeTCPMainConnecter.h"
#include "host/net/U_LiveHostEngine.h"
#include "host/net/U_TCPMainServer.h"
#include "host/net/live_testing.h"

#include "common/testing/testdata.h"
#include "common/win/handles.h"
#include "sdk/dorsk/dorsk_api.h"
#include "sim/brevix32/SimCtl.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::testing {

// The first of `ports` consecutive loopback ports that are free now, from `low` on in steps
// of ten; 0 when none was found.
inline int FreeLivePortBase(int ports = 4, int low = 20000) {
    std::mt19937 rng(::GetTickCount() ^ ::GetCurrentProcessId());
    for (int attempt = 0; attempt < 40; ++attempt) {
        const int base = low + static_cast<int>(rng() % 2000) * 10;
        std::vector<TTCPServer> probes(static_cast<size_t>(ports));
        bool free = true;
        for (int i = 0; i < ports && free; ++i)
            free = probes[size_t(i)].Bind(static_cast<uint16_t>(base + i));
        if (free) return base;
    }
    return 0;
}

// The host program's routing of a board record: recording first, then the channel's viewers.
struct LiveRoutes : TStreamRoutes {
    TCapture* capture = nullptr;
    TLiveServers* live = nullptr;
    void AnalyzeMotionData(int, const uint8_t*, int) override {}
    void InputFrame(int ch, int type, const uint8_t* d, int n) override {
        if (capture) capture->InputFrame(ch, type, d, n);
    }
    void FanOutFrame(int ch, int type, const uint8_t* d, int n) override {
        if (live) live->FanOutFrame(ch, type, d, n);
    }
};

// The simulated board's set-up in a fresh program folder (the current directory while the
// host runs): empty firmware images and one clip per channel of processor 0.
struct SimulatedBoard {
    SimulatedBoard(const char* name, const std::vector<std::string>& clips)
        : Folder(FreshProgramFolder(name)) {
        ::GetCurrentDirectoryW(MAX_PATH, previous_);
        ::SetCurrentDirectoryA(Folder.c_str());
        for (const char* image : {"Main.out", "MainD1.out"})
            dvr::win::File f(::CreateFileA(image, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        std::string config = "processor 4\nspeed 4\n";
        for (size_t ch = 0; ch < clips.size(); ++ch)
            config += "source 0 " + std::to_string(ch) + " " +
                      dvr::testing::TestDataPath(clips[ch].c_str()) + "\n";
        Configured = SimCtl_Configure(config.c_str()) == 0;
        CallbackClosing = false;
    }
    ~SimulatedBoard() {
        RU4Dov_DeInitDSPs();
        ::SetCurrentDirectoryW(previous_);
    }
    std::string Folder;
    bool Configured = false;

private:
    wchar_t previous_[MAX_PATH] = {};
};

// A whole serving host over the simulated board: its channels open, recording engine, live
// servers on a free port base with their viewer checks (no lists: every viewer may watch)
// and the viewer sweeper. Stop (or the destructor) ends it in the program's order.
class BoardServingHost {
public:
    BoardServingHost(const char* name, const std::vector<std::string>& clips,
                     TArithmetic& arithmetic, TSystemOtherSet& other)
        : Board(name, clips), Storage((std::string(name) + "_rec").c_str()), Card(nullptr, Routes),
          Capture(Card, *Storage.manager, *Storage.files, CaptureHost), CaptureSet(Card),
          Checks(Board.Folder, nullptr), Check(Checks), Log(arithmetic, Board.Folder),
          Writer(Log, [](DWORD) {}), Engine(Card, Capture, CaptureSet, other, Check, Writer),
          Live(Engine) {
        bool opened = Board.Configured;
        for (size_t ch = 0; ch < clips.size() && opened; ++ch)
            opened = Card.OpenChannel(static_cast<int>(ch)) == 0;
        Base = opened ? FreeLivePortBase() : 0;
        ok_ = Base != 0 && Live.StartLiveServers(Base, Card.ChannelCount());
        Routes.capture = &Capture;
        Routes.live = &Live;
        Sweeper = std::make_unique<TThreadFreeTCPMainConnecter>(Live);
    }
    ~BoardServingHost() { Stop(); }
    BoardServingHost(const BoardServingHost&) = delete;
    BoardServingHost& operator=(const BoardServingHost&) = delete;

    bool Ok() const { return ok_; }
    // Sweeper, viewers, servers and board stopped; the work log written out.
    void Stop() {
        if (stopped_) return;
        stopped_ = true;
        Sweeper->Stop();
        CallbackClosing = true;
        Live.StopViewers();
        Live.StopAll();
        Card.CloseBoard();
        CallbackClosing = false;
        Writer.Stop();
    }

    SimulatedBoard Board;
    RecordingStorage Storage;
    FakeCaptureHost CaptureHost;
    LiveRoutes Routes;
    TVideoCard Card;
    TCapture Capture;
    TCaptureSet CaptureSet;
    TClientCheckSet Checks;
    TClientCheck Check;
    TWorkLog Log;
    TThreadWriteLogRecord Writer;
    TLiveHostEngine Engine;
    TLiveServers Live;
    std::unique_ptr<TThreadFreeTCPMainConnecter> Sweeper;
    int Base = 0;

private:
    bool ok_ = false;
    bool stopped_ = false;
};

// A live server fed a clip's records directly (channel 0) every `paceMs`, over and over,
// answering as `host` says.
class FedLiveServer {
public:
    FedLiveServer(FakeLiveHost& host, int channels, DWORD paceMs = 4, int low = 20000)
        : live_(host) {
        Records = ScriptRecords("cif_ip.brs", 400);
        host.Header = Records.at(0);
        host.Running = true;
        host.State = 41;
        base_ = FreeLivePortBase(channels, low);
        ok_ = base_ != 0 && live_.StartLiveServers(base_, channels);
        pump_ = std::thread([this, paceMs] {
            size_t i = 1;
            while (!stop_) {
                const std::vector<uint8_t>& r = Records[i];
                live_.FanOutFrame(0, r.size() >= 5 && r[3] == 0xC7 ? r[4] : 128, r.data(),
                                  static_cast<int>(r.size()));
                if (++i == Records.size()) i = 1;
                ::Sleep(paceMs);
            }
        });
    }
    ~FedLiveServer() { GoAway(); }
    FedLiveServer(const FedLiveServer&) = delete;
    FedLiveServer& operator=(const FedLiveServer&) = delete;

    // The host stops feeding and drops its viewers and servers.
    void GoAway() {
        stop_ = true;
        if (pump_.joinable()) pump_.join();
        live_.StopViewers();
        live_.StopAll();
    }
    bool Ok() const { return ok_; }
    int Base() const { return base_; }
    std::vector<std::vector<uint8_t>> Records;

private:
    TLiveServers live_;
    int base_ = 0;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::thread pump_;
};

} // namespace vantrel::testing
