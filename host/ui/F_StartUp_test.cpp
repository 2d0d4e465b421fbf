#include "host/ui/F_StartUp.h"

#include "host/ui/F_MainForm.h"
#include "host/ui/U_HostObjects.h"
#include "host/ui/exit_with_result_testing.h"
#include "host/ui/host_run_testing.h"

#include "common/win/handles.h"
#include "host/net/U_UDPMessages.h"
#include "host/net/udp_win_testing.h"
#include "host/net/F_IPPingWindow.h"
#include "host/net/F_NetChat.h"
#include "host/net/F_NetDogForm.h"
#include "host/net/F_NetTalkWindow.h"
#include "host/net/F_RemoteAlarmUpView.h"
#include "host/net/F_SendAndReceiveFile.h"
#include "host/net/F_WebServerWindow.h"
#include "host/ui/F_ClearDataMSGForm.h"
#include "host/ui/F_ConnectionView.h"
#include "host/ui/F_ElectronMap.h"
#include "host/ui/F_RemoteMatrixKeyboardForm.h"
#include "host/ui/F_LocalAlarmOutCtrl.h"
#include "host/ui/F_MatrixKeyboardForm.h"
#include "host/ui/F_MatrixsCtrlForm.h"
#include "host/ui/F_RemoteCtrlAlarmBox.h"
#include "host/ui/F_SendGSMMsgForm.h"
#include "host/ui/F_ShowBMP.h"
#include "host/ui/T_ThreadSearchCaptureFile.h"
#include "host/ui/U_Replay.h"
#include "host/ui/window_shot_testing.h"
#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <functional>
#include <sstream>
#include <tuple>

namespace vantrel {
namespace {

using dvr::fw::mrOk;
using dvr::fw::TForm;
using dvr::fw::TImage;

std::wstring BinFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

std::vector<std::string> Split(const std::string& s) {
    std::vector<std::string> out;
    std::stringstream in(s);
    for (std::string part; std::getline(in, part, ';');)
        out.push_back(part);
    return out;
}

using testing::WaitUntil;

// The host resumes recording every board channel, onto drive R: of the test's prefix.
void ResumeRecordingOnDriveR() {
    ASSERT_TRUE(testing::MapFreshDriveR(L"vantrel-startup-run")) << "runs in the session";
    WorkStateRecord state{};
    state.ChannelCount = 49;
    for (uint8_t& open : state.FileOpen)
        open = 1;
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WorkState", 0, nullptr, 0,
                                KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(key, L"WorkState", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&state),
                     sizeof state);
    ::RegCloseKey(key);
}

// What the running host's single windows and devices are bound to, looked at from another
// thread while the host runs (every look at a window runs on the user-interface thread).
struct Wiring {
    std::vector<std::string> notShown; // console commands that did not show their window
    bool faultListed = false, faultShown = false;
    bool ptzPanelShown = false;
    bool dogSettingsShared = false;
    // Where preset calls and pane selections are posted: real windows.
    bool presetAndSpeedWindows = false;
    std::string faultText;
    // The snapshot viewer opens over its own engine: every channel listed, its scan ends
    // with the first day chosen, closing empties the snapshot list.
    bool snapshotViewerScanned = false, snapshotViewerClosed = false;
    std::string snapshotViewerText;
};

void LookAtTheWiring(Wiring& w) {
    THost& h = *Host;
    auto ui = [&](const std::function<void()>& step) { h.Synchronizer->Run(step); };
    using W = TConsoleWindow;
    const std::tuple<W, const char*, std::function<TForm*()>> windows[] = {
        {W::LocalAlarmOut, "local alarm outputs", [&]() -> TForm* { return h.LocalAlarmOutCtrlForm; }},
        {W::RemoteAlarmOut, "remote alarm box", [&]() -> TForm* { return h.RemoteCtrlAlarmBoxForm; }},
        {W::RemoteAlarms, "remote alarms", [&]() -> TForm* { return h.RemoteAlarmUpViewForm; }},
        {W::VoiceBroadcast, "voice", [&]() -> TForm* { return h.NetTalkForm; }},
        {W::Chat, "chat", [&]() -> TForm* { return h.NetChatForm; }},
        {W::Connections, "connections", [&]() -> TForm* { return h.ConnectionViewForm; }},
        {W::ClearDataMsg, "disk faults", [&]() -> TForm* { return h.ClearDataMSGForm; }},
        {W::IPPing, "patrol", [&]() -> TForm* { return h.IPPingForm; }},
        {W::NetDog, "inspector", [&]() -> TForm* { return h.NetDogForm; }},
        {W::SendSms, "SMS", [&]() -> TForm* { return h.SendGSMMsgForm; }},
        {W::WebServer, "web server", [&]() -> TForm* { return h.WebServerForm; }},
        {W::SendReceiveFile, "file transfer", [&]() -> TForm* { return h.SendAndReceiveFileForm; }},
        {W::Matrix3216, "matrix", [&]() -> TForm* { return h.MatrixsCtrlForm; }},
        {W::MatrixDSD, "DS_D keyboard", [&]() -> TForm* { return h.DSDMatrixsCtrlForm; }},
        {W::MatrixPelco232, "Pelco232 keyboard", [&]() -> TForm* { return h.Pelco232MatrixsCtrlForm; }},
        {W::RemoteMatrixDSD, "remote DS_D keyboard", [&]() -> TForm* { return h.RemoteDSDMatrixsCtrlForm; }},
        {W::RemoteMatrixPelco232, "remote Pelco232 keyboard", [&]() -> TForm* { return h.RemotePelco232MatrixsCtrlForm; }},
        {W::ElectronMap, "electronic map", [&]() -> TForm* { return h.ElectronMapForm; }},
    };
    ui([&] {
        for (const auto& [kind, name, form] : windows) {
            TConsoleDialogResult result;
            TForm* f = form();
            // The command shows the one window the start-up made, not a new one.
            if (!f || MainForm->ConsoleWindows.Open(kind, result) != mrOk || !f->Visible() ||
                form() != f)
                w.notShown.push_back(name);
            if (f) f->Hide();
        }
    });
    // A disk fault reaches the operator: the fault window takes the line and pops up.
    const std::string fault = dvr::win::Utf8ToGbk("写盘故障 D:");
    h.DiskFaults->Add(fault, 0, 0);
    for (int i = 0; i < 1000 && !w.faultListed; ++i) {
        ui([&] {
            w.faultListed = h.ClearDataMSGForm->DataErrorMemo->Lines()->Text().find(fault) !=
                            std::string::npos;
            w.faultShown = h.ClearDataMSGForm->Visible();
            w.faultText = h.ClearDataMSGForm->DataErrorMemo->Lines()->Text();
        });
        if (!w.faultListed) ::Sleep(10);
    }
    ui([&] { h.ClearDataMSGForm->Hide(); });
    // The PTZ panel lies on the console under its cover; opening the cover shows it.
    ui([&] {
        MainForm->Commands->CoverClick(MainForm->Commands->im_YTUnconver);
        w.ptzPanelShown = h.PtzPanel != nullptr;
        for (TImage* image : h.PtzPanel ? h.PtzPanel->Images : std::array<TImage*, 20>{})
            w.ptzPanelShown = w.ptzPanelShown && image->Visible() && image->Parent() == MainForm;
        MainForm->Repaint();
    });
    testing::SaveWindowShot(MainForm->WindowHandle(), "host_startup_ptz_panel");
    ui([&] { MainForm->Commands->CoverClick(MainForm->Commands->im_YTRecover); });
    w.presetAndSpeedWindows = ::IsWindow(h.SpeedDomeWindow) && h.Preview->PtzSpeedWindow &&
                              ::IsWindow(h.Preview->PtzSpeedWindow);
    if (h.ShowBMPForm && h.SnapshotReplay) {
        TShowBMPForm& v = *h.ShowBMPForm;
        TThreadSearchCaptureFile& search = h.SnapshotReplay->SearchThread();
        int scansBefore = 0;
        ui([&] {
            scansBefore = search.Scans();
            v.Show();
        });
        for (int i = 0; i < 3000 && !w.snapshotViewerScanned; ++i) {
            ui([&] {
                const int days = v.lv_ReplayDateList->Items()->Count();
                w.snapshotViewerScanned =
                    v.Visible() && search.Scans() > scansBefore && !search.Scanning() &&
                    (days == 0 || v.lv_ReplayDateList->Selected() ==
                                      v.lv_ReplayDateList->Items()->Item(0));
                w.snapshotViewerText = std::to_string(v.clb_ReplayChannelList->Items()->Count()) +
                                       " channels, " + std::to_string(days) + " days";
                if (w.snapshotViewerScanned &&
                    v.clb_ReplayChannelList->Items()->Count() != h.TotalChannels())
                    w.snapshotViewerScanned = false, i = 3000;
            });
            if (!w.snapshotViewerScanned) ::Sleep(10);
        }
        testing::SaveWindowShot(v.WindowHandle(), "host_startup_snapshot_viewer");
        ui([&] {
            v.ToolButton13Click(nullptr);
            w.snapshotViewerClosed = !v.Visible() && !h.SnapshotReplay->SnapshotList.Head &&
                                     v.lv_ReplayDateList->Items()->Count() == 0;
        });
    }
    // Remote watchdog settings are the watchdog's own record.
    w.dogSettingsShared =
        h.UdpDevices.DogSettings() == reinterpret_cast<uint8_t*>(&h.DogSet->Record);
}

// The whole start-up on the simulated board in this process: the objects come in their fixed
// order, the gauge advances, the console is shown still locked and resumes recording, and a
// close-program request runs the orderly shutdown in its order, closes every recording whole
// and ends the message loop.
TEST(HostStartUp, CreatesEverythingInOrderShowsTheLockedConsoleAndShutsDownInOrder) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WorkState");
    ::DeleteFileW((BinFolder() + L"OEM.txt").c_str());
    ResumeRecordingOnDriveR();
    if (::testing::Test::HasFatalFailure()) return;
    struct Watch {
        std::atomic<bool> done{false}, visible{false}, enabled{true}, recording{false};
        std::atomic<int> stateReply{-1};
        std::vector<std::string> files;
        Wiring wiring;
    } watch;
    std::atomic<bool>& done = watch.done;
    HANDLE watcher = ::CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* w = static_cast<Watch*>(p);
            // The logon prompt of the first show is answered with Cancel.
            static struct : TLogonPrompt {
                bool Prompt(std::string&, std::string&) override { return false; }
            } cancel;
            for (int i = 0; i < 3000 && !w->done; ++i) {
                if (MainForm && MainForm->LogonPrompt != &cancel) MainForm->LogonPrompt = &cancel;
                if (MainForm && Host && Host->WorkState &&
                    ::IsWindowVisible(MainForm->WindowHandle())) {
                    w->visible = true;
                    w->enabled = ::IsWindowEnabled(MainForm->WindowHandle()) != 0;
                    // The message server answers a state request on loopback.
                    if (Host->UDPMessageServer) {
                        testing::Peer peer;
                        peer.Send(MakeStateQuery(), Host->UDPMessageServer->Port());
                        if (auto got = peer.Receive())
                            w->stateReply = int(ClassifyReply(got->data(), got->size()));
                    }
                    // Every board channel writes its file before the stop.
                    const int board = Host->BoardCount();
                    w->recording = WaitUntil(
                        [&] {
                            for (int ch = 0; ch < board; ++ch)
                                if (!Host->Capture->Slots[size_t(ch)].FileOpen) return false;
                            return true;
                        },
                        60000);
                    Host->Synchronize([&] {
                        for (int ch = 0; ch < board; ++ch)
                            w->files.push_back(Host->Capture->Slots[size_t(ch)].FileName);
                    });
                    WaitUntil(
                        [&] {
                            for (const std::string& f : w->files)
                                if (testing::ReadWholeWinFile(f).size() < 20000) return false;
                            return true;
                        },
                        60000);
                    LookAtTheWiring(w->wiring);
                    MainForm->Hooks.Pause = [](DWORD) {};
                    ::PostMessageW(MainForm->WindowHandle(), WM_POWERACTION, WPARAM(-1),
                                   LPARAM(-1));
                    return 0;
                }
                ::Sleep(10);
            }
            return 1;
        },
        &watch, 0, nullptr);
    dvr::win::Thread owned(watcher);
    const int code = ProgramMain();
    done = true;
    ::WaitForSingleObject(watcher, 5000);
    ASSERT_EQ(code, 0);
    ASSERT_NE(Host, nullptr);

    // The objects themselves, as each step of the start-up left them (the recordings index
    // counts once it has scanned the drives).
    const std::vector<std::string> order = {
        "TArithmetic",
        "TOtherCtrl",
        "TMainForm",
        "TVideoCard",
        "TLiveServers",
        "TSystemOtherSet",
        "TNetClientSet",
        "TSystemInfo",
        "TDiskManager",
        "TCaptureDataLocker",
        "TCaptureSet",
        "TPreviewSet",
        "TThreadDiskCycle",
        "TClientCheckSet",
        "TClientCheck",
        "TThreadOpenAll",
        "TThreadCloseAll",
        "TNetClient",
        "TWorkLog",
        "TTCPRemoteReplayServer",
        "TUser",
        "TCOM",
        "TPreview",
        "TVideoAlarmAutoFullScreenForm",
        "TThreadAutoFullScreen",
        "TCapture",
        "TAlarmSet",
        "TThreadAlarmingMsg",
        "TAlarm",
        "TYunTaiSet",
        "TYunTai",
        "TAlarmDevice",
        "TThreadOpenAllForAlarmUp",
        "TThreadAlarmAudio",
        "TThreadHardAlarmIn",
        "TThreadFreeTCPMainConnecter",
        "TUPSInfoForm",
        "TDogSet",
        "TCardDog",
        "TUPSDog",
        "TDog",
        "TAutoSet",
        "TAuto",
        "TWaveIn",
        "TThreadWaveIn",
        "TWaveOut",
        "TThreadWaveOut",
        "TElectronMapForm",
        "TYunTaiSpeedForm",
        "TSpeedDomeForm",
        "TConnectionViewForm",
        "TRemoteAlarmUpViewForm",
        "TNetTalkForm",
        "TShowBMPForm",
        "TClearDataMSGForm",
        "TCaptureFileList",
        "TThreadWriteLogRecord",
        "TThreadRasDial",
        "TThreadCapturePackage",
        "TMatrixsCtrl",
        "TMatrixsCtrlForm",
        "TGSMCtrl",
        "TDS_D_MatrixsCtrlForm",
        "TPelco232MatrixsCtrlForm",
        "TRemoteMatrixsCtrl_Pelco232Form",
        "TRemoteMatrixsCtrl_DS_DForm",
        "TLocalAlarmOutCtrlForm",
        "TWorkState",
        "TUDPMessageServer",
        "TUDPMessageClient",
        "TThreadReplayVideoCapture",
        "TRemoteCtrlAlarmBoxForm",
        "TNetDogForm",
        "TIPPingForm",
        "TPingThread",
        "TSendGSMMsgForm",
        "TWebServerForm",
        "TSendAndReceiveFileForm",
        "TNetChatForm",
        "TThreadClearErrorData",
    };
    auto joined = [](const std::vector<std::string>& v) {
        std::string s;
        for (const std::string& x : v) s += x + " ";
        return s;
    };
    EXPECT_EQ(joined(Host->Trace), joined(order));

    // The simulated board has channels: one gauge step per opened channel of
    // (600 - progress) div 50, and the gauge ends 20 short of its maximum.
    const int channels = Host->BoardCount();
    ASSERT_GT(channels, 0);
    const auto gauge = Split(Host->GaugeTrace);
    ASSERT_GE(int(gauge.size()), channels + 1);
    EXPECT_EQ(gauge.back(), "580");
    for (size_t i = 1; i < gauge.size(); ++i)
        EXPECT_GE(std::stoi(gauge[i]), std::stoi(gauge[i - 1])) << Host->GaugeTrace;

    EXPECT_TRUE(watch.visible);
    EXPECT_EQ(joined(watch.wiring.notShown), "");
    EXPECT_TRUE(watch.wiring.faultListed) << watch.wiring.faultText;
    EXPECT_TRUE(watch.wiring.faultShown);
    EXPECT_TRUE(watch.wiring.ptzPanelShown);
    EXPECT_TRUE(watch.wiring.dogSettingsShared);
    EXPECT_TRUE(watch.wiring.presetAndSpeedWindows);
    EXPECT_TRUE(watch.wiring.snapshotViewerScanned) << watch.wiring.snapshotViewerText;
    EXPECT_TRUE(watch.wiring.snapshotViewerClosed);
    EXPECT_EQ(watch.stateReply, int(UdpMsgKind::UdpMsgWorkState));
    EXPECT_FALSE(watch.enabled); // locked until an operator logs on
    EXPECT_FALSE(Host->ShownEnabled);
    EXPECT_TRUE(Host->Preview->Panes[0].Panel->Visible());

    EXPECT_EQ(Split(Host->ShutdownTrace),
              (std::vector<std::string>{"StopListen", "FinishRecordings", "CallbackClosing",
                                        "StopSweeperAndCleaner", "NameServerGoodbye",
                                        "SaveWorkState",
                                        "ClearRemoteAlarmSound", "StopCycling", "StopViewers",
                                        "QuitCutter", "StopLogWriter", "ClosePreviews",
                                        "StopRecordings", "StopDetection",
                                        "StopBatchWorkersAndDispatcher", "StopLiveServers",
                                        "FreeUdpObjects", "Done"}));
    EXPECT_EQ(Host->UDPMessageServer, nullptr);
    EXPECT_EQ(Host->UDPMessageClient, nullptr);
    EXPECT_TRUE(CallbackClosing);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WorkState");

    // Every recording the host wrote is closed and reads back whole.
    EXPECT_TRUE(watch.recording);
    EXPECT_EQ(int(watch.files.size()), channels);
    for (const std::string& f : watch.files) {
        EXPECT_TRUE(testing::OpensExclusively(f)) << f << " is still open";
        const testing::RecordingWalk walk = testing::WalkRecording(testing::ReadWholeWinFile(f));
        EXPECT_TRUE(walk.whole) << f;
        EXPECT_GT(walk.records, 0) << f;
    }

    // The console lock: a cancelled logon keeps it locked; the default account unlocks it.
    struct FakeLogon : TLogonPrompt {
        bool answer = false;
        bool Prompt(std::string& name, std::string& password) override {
            name = "vorel";
            password.clear();
            return answer;
        }
    } prompt;
    MainForm->LogonPrompt = &prompt;
    MainForm->Unlock();
    EXPECT_TRUE(MainForm->Locked);
    EXPECT_FALSE(MainForm->Enabled());
    prompt.answer = true;
    MainForm->Unlock();
    EXPECT_FALSE(MainForm->Locked);
    EXPECT_TRUE(MainForm->Enabled());
    MainForm->LogonPrompt = nullptr;
}

// The start logo: a JPEG beside the program wins over a bitmap; without either there is none.
TEST(HostStartUp, StartLogoIsTheJpegElseTheBitmapBesideTheProgram) {
    const std::wstring folder = BinFolder() + L"start_logo\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring jpg = folder + L"StartLogo.jpg", bmp = folder + L"StartLogo.bmp";
    ::DeleteFileW(jpg.c_str());
    ::DeleteFileW(bmp.c_str());
    EXPECT_EQ(LoadStartLogo(folder), nullptr);
    auto write = [](const std::wstring& path, const void* data, size_t size) {
        dvr::win::File f(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD put = 0;
        ::WriteFile(f.get(), data, DWORD(size), &put, nullptr);
    };
    // 4 x 2, 24 bits, every pixel green.
    struct {
        BITMAPFILEHEADER file;
        BITMAPINFOHEADER info;
        uint8_t rows[2][12];
    } __attribute__((packed)) b{};
    b.file.bfType = 0x4D42;
    b.file.bfSize = sizeof b;
    b.file.bfOffBits = sizeof b.file + sizeof b.info;
    b.info.biSize = sizeof b.info;
    b.info.biWidth = 4;
    b.info.biHeight = 2;
    b.info.biPlanes = 1;
    b.info.biBitCount = 24;
    for (auto& row : b.rows)
        for (int x = 0; x < 4; ++x) row[x * 3 + 1] = 0xFF;
    write(bmp, &b, sizeof b);
    // 16 x 8: red on the left, blue on the right.
    static const uint8_t kJpeg[] = {
        0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01, 0x02, 0x00, 0x00, 0x01,
        0x00, 0x01, 0x00, 0x00, 0xff, 0xfe, 0x00, 0x10, 0x4c, 0x61, 0x76, 0x63, 0x35, 0x39, 0x2e, 0x33,
        0x37, 0x2e, 0x31, 0x30, 0x30, 0x00, 0xff, 0xdb, 0x00, 0x43, 0x00, 0x08, 0x04, 0x04, 0x04, 0x04,
        0x04, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06,
        0x06, 0x06, 0x06, 0x06, 0x07, 0x07, 0x07, 0x08, 0x08, 0x08, 0x07, 0x07, 0x07, 0x06, 0x06, 0x07,
        0x07, 0x08, 0x08, 0x08, 0x08, 0x09, 0x09, 0x09, 0x08, 0x08, 0x08, 0x08, 0x09, 0x09, 0x0a, 0x0a,
        0x0a, 0x0c, 0x0c, 0x0b, 0x0b, 0x0e, 0x0e, 0x0e, 0x11, 0x11, 0x14, 0xff, 0xc4, 0x00, 0x4e, 0x00,
        0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x06, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x08, 0x07, 0x06, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x11, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xc0, 0x00, 0x11, 0x08,
        0x00, 0x08, 0x00, 0x10, 0x03, 0x01, 0x12, 0x00, 0x02, 0x12, 0x00, 0x03, 0x12, 0x00, 0xff, 0xda,
        0x00, 0x0c, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3f, 0x00, 0x8b, 0x1c, 0xa0, 0xdf,
        0xc4, 0x80, 0xaa, 0x84, 0xd6, 0x3f, 0xff, 0xd9
    };
    write(jpg, kJpeg, sizeof kJpeg);

    struct Pixel {
        int x, y;
        COLORREF colour;
    };
    auto check = [](HBITMAP logo, int width, int height, std::vector<Pixel> pixels) {
        ASSERT_NE(logo, nullptr);
        BITMAP info{};
        ::GetObjectW(logo, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, width);
        EXPECT_EQ(std::abs(info.bmHeight), height);
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, logo);
        for (const Pixel& p : pixels) {
            const COLORREF c = ::GetPixel(dc, p.x, p.y);
            EXPECT_NEAR(GetRValue(c), GetRValue(p.colour), 40) << p.x << "," << p.y;
            EXPECT_NEAR(GetGValue(c), GetGValue(p.colour), 40) << p.x << "," << p.y;
            EXPECT_NEAR(GetBValue(c), GetBValue(p.colour), 40) << p.x << "," << p.y;
        }
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        ::DeleteObject(logo);
    };
    check(LoadStartLogo(folder), 16, 8, {{1, 4, RGB(255, 0, 0)}, {14, 4, RGB(0, 0, 255)}});
    ::DeleteFileW(jpg.c_str());
    check(LoadStartLogo(folder), 4, 2, {{0, 0, RGB(0, 255, 0)}, {3, 1, RGB(0, 255, 0)}});
    ::DeleteFileW(bmp.c_str());
}

TEST(HostStartUp, TitleIsTheFirstLineOfOemTxtCutTo16Characters) {
    const std::wstring folder = BinFolder() + L"oem_title\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = folder + L"OEM.txt";
    ::DeleteFileW(file.c_str());
    EXPECT_EQ(ProgramTitle(folder), kDefaultTitle);
    struct Case {
        std::string content, title;
    } cases[] = {
        {"ABCDEFGHIJKLMNOPQRST\r\nsecond", "ABCDEFGHIJKLMNOP"},
        {"Short\n", "Short"},
        {"\r\nnext", kDefaultTitle},
    };
    for (const Case& c : cases) {
        dvr::win::File f(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD put = 0;
        ::WriteFile(f.get(), c.content.data(), DWORD(c.content.size()), &put, nullptr);
        f.reset();
        EXPECT_EQ(ProgramTitle(folder), c.title) << c.content;
    }
    ::DeleteFileW(file.c_str());
}

// The host's programs and libraries copied into a folder of their own below the test
// programs' one; its path ends with a backslash. Empty when a copy failed.
std::wstring ProgramCopyFolder(const std::wstring& name) {
    const std::wstring from = BinFolder(), to = from + name + L"\\";
    ::CreateDirectoryW(to.c_str(), nullptr);
    std::vector<std::wstring> files = {L"Vantrel.exe", L"HostControl.exe", L"Main.out",
                                       L"MainD1.out"};
    WIN32_FIND_DATAW d{};
    HANDLE find = ::FindFirstFileW((from + L"*.dll").c_str(), &d);
    if (find != INVALID_HANDLE_VALUE) {
        do
            files.push_back(d.cFileName);
        while (::FindNextFileW(find, &d));
        ::FindClose(find);
    }
    for (const std::wstring& f : files)
        if (!::CopyFileW((from + f).c_str(), (to + f).c_str(), FALSE)) return std::wstring();
    return to;
}

// A second start while the host runs ends at once; the first keeps running until it is told.
TEST(HostStartUp, ASecondInstanceEndsAtOnce) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WorkState");
    // A title of its own, so that no window of this process counts as the running host. The
    // title file goes with a copy of the programs: hosts started from the test programs'
    // folder keep their own title even when this test is cut short.
    const std::wstring folder = ProgramCopyFolder(L"second_start");
    ASSERT_FALSE(folder.empty()) << "the programs could not be copied";
    const std::wstring oem = folder + L"OEM.txt";
    {
        dvr::win::File f(::CreateFileW(oem.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD put = 0;
        ::WriteFile(f.get(), "Second Start\r\n", 14, &put, nullptr);
    }
    const std::wstring exe = folder + L"Vantrel.exe";
    auto start = [&](PROCESS_INFORMATION& pi) {
        std::wstring cmd = L"\"" + exe + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        return ::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                folder.c_str(), &si, &pi) != 0;
    };
    PROCESS_INFORMATION first{};
    ASSERT_TRUE(start(first));
    dvr::win::Handle p1(first.hProcess), t1(first.hThread);
    const std::wstring title = L"Second Start";
    HWND w = nullptr;
    for (int i = 0; i < 1500 && !w; ++i) {
        w = ::FindWindowW(nullptr, title.c_str());
        if (!w) ::Sleep(20);
    }
    ASSERT_NE(w, nullptr);
    PROCESS_INFORMATION second{};
    ASSERT_TRUE(start(second));
    dvr::win::Handle p2(second.hProcess), t2(second.hThread);
    EXPECT_EQ(::WaitForSingleObject(p2.get(), 10000), WAIT_OBJECT_0);
    DWORD code = 1;
    ::GetExitCodeProcess(p2.get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(::WaitForSingleObject(p1.get(), 0), DWORD(WAIT_TIMEOUT));

    // The running host ends on the close-program request.
    const std::wstring control = L"\"" + folder + L"HostControl.exe\" close";
    PROCESS_INFORMATION c{};
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = control;
    for (int i = 0; i < 200; ++i) {
        // The console exists before the start-up ends; wait for the whole host.
        if (::WaitForSingleObject(p1.get(), 0) == WAIT_OBJECT_0) break;
        ASSERT_TRUE(::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &si, &c));
        ::WaitForSingleObject(c.hProcess, 10000);
        ::CloseHandle(c.hProcess);
        ::CloseHandle(c.hThread);
        if (::WaitForSingleObject(p1.get(), 15000) == WAIT_OBJECT_0) break;
    }
    EXPECT_EQ(::WaitForSingleObject(p1.get(), 0), WAIT_OBJECT_0);
    ::DeleteFileW(oem.c_str());
}

} // namespace
} // namespace vantrel
