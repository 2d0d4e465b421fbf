// The server on the host engine's own settings objects, work log and remote lists: what a
// remote window writes is stored in the registry and read back.
#include "host/net/U_UDPServerEngineHost.h"

#include "host/engine/U_HostMessages.h"
#include "host/engine/host_engine_testing.h"
#include "host/engine/host_settings_testing.h"
#include "host/net/U_UDPMessageServer.h"
#include "host/net/udp_testing.h"
#include "host/net/udp_win_testing.h"

#include <gtest/gtest.h>

#include <vector>

#include <cstring>
#include <memory>

namespace vantrel {
namespace {

using testing::Bytes;

struct Devices : TUDPServerDevices {
    uint8_t dog[kDogSettingsSize] = {};
    uint8_t outputs[kRemoteOutputs] = {};
    int dogSaves = 0;
    uint8_t* DogSettings() override { return dog; }
    void SaveDogSettings() override { ++dogSaves; }
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

// The main window: notes the settings-changed notices it is posted.
struct MainForm : TMainFormServices {
    MainForm() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &MainForm::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"UdpTestMainForm";
        ::RegisterClassExW(&wc);
        window = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   wc.hInstance, nullptr);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~MainForm() override { ::DestroyWindow(window); }
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<MainForm*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
        if (self && m == WM_SETTINGSCHANGED) ++self->settingsChanged;
        return ::DefWindowProcW(w, m, wp, lp);
    }
    HWND Handle() const override { return window; }
    void ShutdownAll() override {}
    void ApplyAllSettings() override {}
    void RebuildChannelMap(WPARAM, LPARAM) override {}
    void im_AutoWorkClick() override {}
    HWND window;
    int settingsChanged = 0;
};

class EngineHostTest : public ::testing::Test {
protected:
    EngineHostTest() {
        testing::DeleteHostSettings();
        testing::DeleteSettingsKeys();
        folder = testing::FreshProgramFolder("host_udp_engine");
        arithmetic = std::make_unique<TArithmetic>();
        other = std::make_unique<TSystemOtherSet>(*arithmetic);
        net = std::make_unique<TNetClientSet>(*arithmetic, *other, 4);
        info = std::make_unique<TSystemInfo>(*arithmetic, *net, 4);
        checks = std::make_unique<TClientCheckSet>(folder, nullptr);
        log = std::make_unique<TWorkLog>(*arithmetic, folder);
        previews = std::make_unique<TPreviewSet>(card);
        captures = std::make_unique<TCaptureSet>(card);
        alarms = std::make_unique<TAlarmSet>(4);
        autos = std::make_unique<TAutoSet>();
        yuntai = std::make_unique<TYunTaiSet>(folder);
        automatic = std::make_unique<TAuto>(*autos, engine.capture, engine.alarm, 4);
        state = std::make_unique<TWorkState>(
            TWorkState::Parts{mainForm, [this] { return info->ChannelCount; }, *automatic,
                              engine.capture, engine.alarm, engine.preview, 4});
        host = std::make_unique<TUDPServerEngineHost>(TUDPServerEngineHost::Parts{
            4, *info, *checks, *state, *log, *previews, *captures, *alarms, *autos, *yuntai, *other,
            *automatic, mainForm, engine.capture, engine.alarm, engine.preview, devices});
        server = std::make_unique<TUDPMessageServer>(*host, 0);
    }
    ~EngineHostTest() override {
        server.reset();
        testing::DeleteHostSettings();
        testing::DeleteSettingsKeys();
    }
    template <typename T> std::vector<std::vector<uint8_t>> Ask(const T& m) {
        peer.Send(m, server->Port());
        peer.Send(MakeNetDog(), server->Port());
        std::vector<std::vector<uint8_t>> answers;
        while (auto got = peer.Receive()) {
            if (*got == Bytes(MakeNetDog())) break;
            answers.push_back(std::move(*got));
        }
        return answers;
    }

    std::string folder;
    testing::FakeVideoCard card;
    testing::FakeEngine engine;
    MainForm mainForm;
    Devices devices;
    std::unique_ptr<TArithmetic> arithmetic;
    std::unique_ptr<TSystemOtherSet> other;
    std::unique_ptr<TNetClientSet> net;
    std::unique_ptr<TSystemInfo> info;
    std::unique_ptr<TClientCheckSet> checks;
    std::unique_ptr<TWorkLog> log;
    std::unique_ptr<TPreviewSet> previews;
    std::unique_ptr<TCaptureSet> captures;
    std::unique_ptr<TAlarmSet> alarms;
    std::unique_ptr<TAutoSet> autos;
    std::unique_ptr<TYunTaiSet> yuntai;
    std::unique_ptr<TAuto> automatic;
    std::unique_ptr<TWorkState> state;
    std::unique_ptr<TUDPServerEngineHost> host;
    std::unique_ptr<TUDPMessageServer> server;
    testing::Peer peer;
};

TEST_F(EngineHostTest, CaptureSettingsAreStoredAndReadBack) {
    UdpMsgSetCaptureSettings set{};
    set.Channel = 3;
    set.Record = captures->Records[3];
    set.Record.FrameRate = 11;
    set.Record.MinutesPerFile = 15;
    set.UserName.Set("op");
    set.Password.Set("pw");
    auto answers = Ask(set);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], Bytes(MakeSetSuccess()));

    TCaptureSet reloaded(card);
    EXPECT_EQ(reloaded.Records[3].FrameRate, 11);
    EXPECT_EQ(reloaded.Records[3].MinutesPerFile, 15);
    EXPECT_EQ(Bytes(reloaded.Records[2]), Bytes(captures->Records[2]));

    UdpMsgSettingsConnect connect{};
    connect.Keyword.Set("RemoteSystemSetConnect");
    ASSERT_EQ(Ask(connect).size(), 1u);
    UdpMsgGetSettings get{};
    get.Kind = SettingsCapture;
    get.Channel = 3;
    get.Keyword.Set("RemoteGetSystemSet");
    answers = Ask(get);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], Bytes(set.Record));

    EXPECT_EQ(mainForm.settingsChanged, 1);
}

TEST_F(EngineHostTest, RefusedOtherSettingsLeaveLiveAndStoredRecords) {
    auto user = testing::RemoteUser("op", "pw");
    checks->SaveUserFile(&user, sizeof user);
    checks->Load();
    const TOtherSettingsRecord before = other->Record;

    TOtherSettingsRecord m = other->Record;
    m.BandwidthLimitKbps = 77;
    m.RemoteUserName.Set("op");
    m.RemotePassword.Set("bad");
    EXPECT_TRUE(Ask(m).empty());
    EXPECT_EQ(Bytes(other->Record), Bytes(before));
    TSystemOtherSet stored(*arithmetic);
    EXPECT_NE(stored.Record.BandwidthLimitKbps, 77);

    m.RemotePassword.Set("pw");
    EXPECT_EQ(Ask(m).size(), 1u);
    TSystemOtherSet again(*arithmetic);
    EXPECT_EQ(again.Record.BandwidthLimitKbps, 77);

    // Kind 5 is never answered, even within a settings session: the lists stay here.
    UdpMsgSettingsConnect connect{};
    connect.Keyword.Set("RemoteSystemSetConnect");
    connect.UserName.Set("op");
    connect.Password.Set("pw");
    ASSERT_EQ(Ask(connect).size(), 1u);
    UdpMsgGetSettings get{};
    get.Kind = SettingsRemoteLists;
    get.Keyword.Set("RemoteGetSystemSet");
    EXPECT_TRUE(Ask(get).empty());
}

TEST_F(EngineHostTest, WorkLogDaysAndRecordsComeFromTheLog) {
    UdpMsgWorkLogDaysQuery days{};
    days.Keyword.Set("WorkLog");
    // A fresh log may already hold its start; count what is there.
    const int before = log->GetRecordCount();
    TWorkLogRecord r{};
    r.Time = CurrentOleDate();
    r.Event = 1;
    r.HostAddress.Set("127.0.0.1");
    ASSERT_TRUE(log->AppendRecord(r));
    ASSERT_TRUE(log->AppendRecord(r));
    auto answers = Ask(days);
    ASSERT_EQ(answers.size(), 1u);
    UdpMsgWorkLogDays d;
    std::memcpy(&d, answers[0].data(), sizeof d);
    EXPECT_GE(d.Count, 1);
    EXPECT_EQ(d.Total, before + 2);
    TWorkLogRecord head{};
    ASSERT_EQ(log->ReadRecords(d.Indexes[d.Count - 1], &head, 1), 1);
    EXPECT_EQ(d.Times[d.Count - 1], head.Time);

    answers = Ask(UdpMsgWorkLogQuery{before, 2});
    ASSERT_EQ(answers.size(), 3u);
    TWorkLogRecord got;
    std::memcpy(&got, answers[1].data(), sizeof got);
    EXPECT_EQ(got.HostAddress.View(), "127.0.0.1");
}

TEST_F(EngineHostTest, DiskInfoAndStateOfThisHost) {
    UdpMsgDiskInfoQuery q{};
    q.Keyword.Set("ViewDiskInfo");
    // Other test programs of the session map and unmap drives (R:, W:) meanwhile: a letter
    // is judged only when its kind is the same before and after the query.
    auto kinds = [] {
        std::vector<UINT> k(kDriveLetters);
        for (int i = 0; i < kDriveLetters; ++i) {
            const wchar_t root[] = {wchar_t(L'A' + i), L':', L'\\', 0};
            k[size_t(i)] = ::GetDriveTypeW(root);
        }
        return k;
    };
    const std::vector<UINT> before = kinds();
    auto answers = Ask(q);
    const std::vector<UINT> after = kinds();
    ASSERT_EQ(answers.size(), 1u);
    UdpMsgDiskInfo disk;
    std::memcpy(&disk, answers[0].data(), sizeof disk);
    for (int k = 0; k < kDriveLetters; ++k) {
        if (before[size_t(k)] != after[size_t(k)]) continue;
        if (after[size_t(k)] == DRIVE_FIXED) {
            EXPECT_GT(disk.TotalMB[k], 0) << char('A' + k);
        } else if (after[size_t(k)] == DRIVE_NO_ROOT_DIR) {
            EXPECT_EQ(disk.TotalMB[k], -1) << char('A' + k);
            EXPECT_EQ(disk.FreeMB[k], 0) << char('A' + k);
        }
    }
    EXPECT_GT(disk.TotalMB[2], 0); // C:

    engine.Panes.insert(1);
    answers = Ask(MakeStateQuery());
    ASSERT_EQ(answers.size(), 1u);
    WorkStateRecord s;
    std::memcpy(&s, answers[0].data(), sizeof s);
    EXPECT_EQ(s.ChannelCount, info->ChannelCount);
    EXPECT_EQ(s.PreviewOpen[1], 1);
}

} // namespace
} // namespace vantrel
