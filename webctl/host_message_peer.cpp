// A host's message server in a process of its own, for the control's tests: the host engine's
// settings objects and access lists under the host's settings root, answering on loopback
// through the host's checks. One remote user "op" with password "pw"; channel 1 is named
// "yard"; the watchdog record holds the bytes 1, 2, 3, ... Beside it the host's file-transfer
// endpoint, whose operator accepts every offer into <received file> or breaks it off ("cut"),
// and the replay port over the host's recordings index: one recording of channel 1 on
// 2026-12-10 at 10:00, the test data clip cif_ip.MPG.
//   host_message_peer <ready file> <stop event name> [accept|cut <received file>]
// The ready file receives the message, file and replay ports; the program ends when the event
// is set.
#include "host/engine/U_Auto.h"
#include "host/engine/U_WorkLog.h"
#include "host/engine/U_WorkState.h"
#include "host/engine/host_engine_testing.h"
#include "host/engine/host_settings_testing.h"
#include "host/net/U_UDPMessageServer.h"
#include "common/testing/testdata.h"
#include "host/engine/storage_testing.h"
#include "host/net/U_FileTransfer.h"
#include "host/net/U_TCPRemoteReplayServer.h"
#include "host/net/net_replay_testing.h"
#include "host/net/U_UDPServerEngineHost.h"

#include <cstdio>
#include <memory>
#include <string>

using namespace vantrel;

namespace {

struct Devices : TUDPServerDevices {
    uint8_t dog[kDogSettingsSize] = {};
    uint8_t outputs[kRemoteOutputs] = {};
    uint8_t* DogSettings() override { return dog; }
    void SaveDogSettings() override {}
    int MatrixType() const override { return 0; }
    void SwitchMatrix(uint8_t, uint8_t) override {}
    uint8_t* RemoteOutputStates() override { return outputs; }
    void SendAlarmOutputs(int, int, int, const uint8_t*) override {}
    void PtzStart(int, int, int, int) override {}
    void PtzStop(int, int, int, int) override {}
    void ClosePreview(int) override {}
    void SetPictureParams(int, const TPictureParams&) override {}
    void SubscribeAlarms(int, const std::string&, int) override {}
};

struct MainWindow : TMainFormServices {
    HWND Handle() const override { return nullptr; }
    void ShutdownAll() override {}
    void ApplyAllSettings() override {}
    void RebuildChannelMap(WPARAM, LPARAM) override {}
    void im_AutoWorkClick() override {}
};

constexpr UINT kOfferArrived = WM_APP + 1;

// The operator of the host's transfer window, answering offers at once.
struct TransferDesk : TFileTransferView {
    DWORD thread = ::GetCurrentThreadId();
    void SetStatus(const std::string&) override {}
    void SetProgressMax(int) override {}
    void SetProgress(int) override {}
    void SetSendCaptionReceive(bool) override {}
    void SetSendEnabled(bool) override {}
    void SetExitEnabled(bool) override {}
    void SetWindowEnabled(bool) override {}
    void ShowWindow() override { ::PostThreadMessageW(thread, kOfferArrived, 0, 0); }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    testing::DeleteHostSettings();
    testing::DeleteSettingsKeys();
    const std::string folder = testing::FreshProgramFolder("webctl_host_peer");
    constexpr int kBoard = 4;
    testing::FakeVideoCard card;
    testing::FakeEngine engine;
    MainWindow mainWindow;
    Devices devices;
    for (int i = 0; i < kDogSettingsSize; ++i)
        devices.dog[i] = uint8_t(i + 1);
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    TNetClientSet net(arithmetic, other, kBoard);
    TSystemInfo info(arithmetic, net, kBoard);
    TClientCheckSet checks(folder, nullptr);
    auto user = std::make_unique<TRemoteUserRecord>();
    TClientCheckSet::SetUserDefaults(*user);
    user->InUse = 1;
    user->UserName.Set("op");
    user->Password.Set("pw");
    checks.SaveUserFile(user.get(), sizeof *user);
    checks.Load();
    TWorkLog log(arithmetic, folder);
    TPreviewSet previews(card);
    previews.Records[1].Title.Set("yard");
    TCaptureSet captures(card);
    TAlarmSet alarms(kBoard);
    TAutoSet autos;
    TYunTaiSet yuntai(folder);
    TAuto automatic(autos, engine.capture, engine.alarm, kBoard);
    TWorkState state(TWorkState::Parts{mainWindow, [&] { return info.ChannelCount; }, automatic,
                                       engine.capture, engine.alarm, engine.preview, kBoard});
    TUDPServerEngineHost host(TUDPServerEngineHost::Parts{
        kBoard, info, checks, state, log, previews, captures, alarms, autos, yuntai, other,
        automatic, mainWindow, engine.capture, engine.alarm, engine.preview, devices});
    TUDPMessageServer server(host, 0);

    testing::FakeDrives drives("webctl_host_peer_drives");
    testing::PutFile(drives.Root('D') + "DVRDat\\20261210\\1\\CC\\0-0-20261210100000.MPG",
                     testing::GetFile(dvr::testing::TestDataPath("cif_ip.MPG")));
    testing::FakeRanges ranges;
    ranges.Ranges.assign(kBoard, TDriveRange{'D', 'F'});
    TDataLockTable locks;
    testing::FakeRecording recording;
    testing::FaultLog faults;
    TCaptureFileList files(drives, ranges, locks, recording, faults.List, [](DWORD) {});
    TClientCheck replayCheck(checks);
    TEngineReplaySource replaySource(info, previews, files, replayCheck);
    TTCPRemoteReplayServer replay(replaySource, 0, TSendBudget{}, TReplayPacing{8192, 0},
                                  "127.0.0.1");

    TransferDesk desk;
    TFileTransfer transfer(desk);
    transfer.Open(0, "127.0.0.1");
    const std::string mode = argc > 3 ? argv[3] : "accept";
    const std::string received = argc > 4 ? argv[4] : "";

    HANDLE stop = ::CreateEventA(nullptr, TRUE, FALSE, argv[2]);
    if (FILE* f = std::fopen(argv[1], "w")) {
        std::fprintf(f, "%d %d %d\n", server.Port(), transfer.Port(), replay.Port());
        std::fclose(f);
    }
    // The server hands its work to this thread's messages.
    for (;;) {
        const DWORD r = ::MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) break;
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == kOfferArrived && !m.hwnd) {
                if (mode == "cut")
                    transfer.CutPressed();
                else
                    transfer.SendPressed("", 0, received);
                continue;
            }
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
    }
    ::CloseHandle(stop);
    testing::DeleteHostSettings();
    testing::DeleteSettingsKeys();
    return 0;
}
