#include "host/net/U_RemoteUpgrade.h"

#include "host/engine/U_ClientCheck.h"
#include "host/engine/U_HostServices.h"
#include "host/net/udp_testing.h"

#include "host/net/net_replay_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;
using testing::GetFile;
using testing::Peer;
using testing::PutFile;
using testing::RunPeer;

struct RecordingView : TRemoteUpgradeView {
    std::vector<std::string> Messages;
    int Max = 0, Position = 0, Steps = 0;
    bool WindowEnabled = true, StartEnabled = true, Wait = false;
    void ShowMessage(const std::string& t) override { Messages.push_back(t); }
    void SetProgressRange(int m) override { Max = m; }
    void SetProgress(int p) override { Position = p; }
    void StepProgress(int by) override {
        Position += by;
        Steps += by;
    }
    void SetFileNameLabel(const std::string&) override {}
    void SetWaitVisible(bool v) override { Wait = v; }
    void SetWindowEnabled(bool e) override { WindowEnabled = e; }
    void SetStartEnabled(bool e) override { StartEnabled = e; }
    void SetHourglass(bool) override {}
};

class RemoteUpgrade : public ::testing::Test {
protected:
    void SetUp() override {
        sender_ = testing::ScratchFolder("nr_upgrade_from");
        target_ = testing::ScratchFolder("nr_upgrade_to");
        for (const char* n : {"Vantrel.exe", "Strovid.dll", "OEM.txt", "big.bin", "a", "b", "c"})
            ::DeleteFileA((target_ + "Temp\\" + n).c_str());
        receiver_ =
            std::make_unique<TRemoteUpgradeReceiver>(target_, check_, [this] { ++restarts_; });
        ASSERT_TRUE(receiver_->Open(0, "127.0.0.1"));
    }
    std::string Done() { return Utf8ToGbk("恭喜！升级成功！远程系统正在重启动中。"); }

    // The remote lists of the receiving host: empty unless a test writes them.
    void Lists(const std::vector<TRemoteUserRecord>& users, const std::vector<TRemoteIPRecord>& ips) {
        checks_.SaveUserFile(users.data(), int(users.size() * sizeof(TRemoteUserRecord)));
        checks_.SaveIPFile(ips.data(), int(ips.size() * sizeof(TRemoteIPRecord)));
        checks_.Load();
    }
    // A control connection: "OK" when it was taken, "" when the host closed it.
    std::string Control() {
        std::string answer;
        EXPECT_TRUE(RunPeer([&] {
            Peer control;
            EXPECT_TRUE(control.Connect(receiver_->Port()));
            answer = control.Receive(2, 3000);
        }));
        PumpMessagesUntil([&] { return false; }, 100);
        return answer;
    }

    std::string sender_, target_;
    std::string checkFolder_ = testing::ScratchFolder("nr_upgrade_checks");
    TClientCheckSet checks_{checkFolder_, nullptr};
    TClientCheck check_{checks_};
    int restarts_ = 0;
    std::unique_ptr<TRemoteUpgradeReceiver> receiver_;
    RecordingView view_;
};

TEST_F(RemoteUpgrade, ThreeFilesLandInTempThenTheHostRestarts) {
    const std::string exe = testing::Pattern(300000), dll = testing::Pattern(4096),
                      oem = "Brand\r\n";
    PutFile(sender_ + "Vantrel.exe", exe);
    PutFile(sender_ + "Strovid.dll", dll);
    PutFile(sender_ + "OEM.txt", oem);
    const auto listed = ListUpgradeFiles(sender_);
    EXPECT_EQ(listed.size(), 3u);

    TRemoteUpgradeSender sender(view_, sender_);
    sender.StartUpgrade("127.0.0.1", receiver_->Port(), {"Vantrel.exe", "Strovid.dll", "OEM.txt"});
    EXPECT_FALSE(view_.StartEnabled);
    ASSERT_TRUE(PumpMessagesUntil([&] { return !view_.Messages.empty(); }, 20000));
    EXPECT_EQ(view_.Messages, std::vector<std::string>{Done()});
    EXPECT_TRUE(PumpMessagesUntil([&] { return restarts_ == 1; }, 5000));
    EXPECT_EQ(GetFile(target_ + "Temp\\Vantrel.exe"), exe);
    EXPECT_EQ(GetFile(target_ + "Temp\\Strovid.dll"), dll);
    EXPECT_EQ(GetFile(target_ + "Temp\\OEM.txt"), oem);
    EXPECT_EQ(view_.Steps, static_cast<int>(exe.size() + dll.size() + oem.size()));
    EXPECT_TRUE(view_.StartEnabled);
    EXPECT_TRUE(view_.WindowEnabled);
    PumpMessagesUntil([] { return false; }, 100);
    EXPECT_EQ(restarts_, 1);
}

TEST_F(RemoteUpgrade, EndWaitsForTheLastFileToBeWhole) {
    // A raw sender that says "End" before its data connection has delivered the file.
    const std::string bytes = testing::Pattern(200000);
    ASSERT_TRUE(RunPeer([&] {
        Peer control, data;
        ASSERT_TRUE(control.Connect(receiver_->Port()));
        EXPECT_EQ(control.Receive(2), "OK");
        ASSERT_TRUE(data.Connect(receiver_->Port()));
        data.Send("big.bin");
        ::Sleep(200);
        data.Send(bytes.substr(0, 1000));
        ::Sleep(100);
        control.Send("End");
        ::Sleep(300);
        EXPECT_EQ(restarts_, 0); // the data connection is still open
        data.Send(bytes.substr(1000));
        data.Close();
        control.Receive(SIZE_MAX, 500);
    }));
    EXPECT_TRUE(PumpMessagesUntil([&] { return restarts_ == 1; }, 5000));
    EXPECT_EQ(GetFile(target_ + "Temp\\big.bin"), bytes);
}

TEST_F(RemoteUpgrade, EndWithoutFilesStillRestarts) {
    ASSERT_TRUE(RunPeer([&] {
        Peer control;
        ASSERT_TRUE(control.Connect(receiver_->Port()));
        EXPECT_EQ(control.Receive(2), "OK");
        control.Send("End");
        control.Receive(SIZE_MAX, 300);
    }));
    EXPECT_TRUE(PumpMessagesUntil([&] { return restarts_ == 1; }, 3000));
}

TEST_F(RemoteUpgrade, NamesThatLeaveTempAreRefused) {
    const std::string outside = target_ + "evil.txt";
    ::DeleteFileA(outside.c_str());
    for (const char* name : {"..\\evil.txt", "sub\\..\\..\\evil.txt", "C:evil.txt", "..", "CON",
                             "nul.txt", "COM1.dll", "lpt9", "Aux .exe"}) {
        std::string answer;
        ASSERT_TRUE(RunPeer([&] {
            Peer control, data;
            ASSERT_TRUE(control.Connect(receiver_->Port()));
            EXPECT_EQ(control.Receive(2), "OK");
            ASSERT_TRUE(data.Connect(receiver_->Port()));
            data.Send(name);
            answer = data.Receive(5, 2000);
            data.Send("payload");
        }));
        EXPECT_EQ(answer, "False") << name;
        PumpMessagesUntil([&] { return false; }, 100);
    }
    EXPECT_EQ(::GetFileAttributesA(outside.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(restarts_, 0);
}

TEST_F(RemoteUpgrade, SenderReportsRefusalsAndMissingFiles) {
    PutFile(sender_ + "a", "x");
    TRemoteUpgradeSender sender(view_, sender_);
    sender.StartUpgrade("127.0.0.1", receiver_->Port(), {"a", "missing.dll"});
    EXPECT_EQ(view_.Messages, std::vector<std::string>{Utf8ToGbk("文件 <missing.dll> 不存在。")});
    view_.Messages.clear();

    // A file the receiver cannot create: its name is taken by a folder there.
    ::CreateDirectoryA((target_ + "Temp").c_str(), nullptr);
    ::CreateDirectoryA((target_ + "Temp\\a").c_str(), nullptr);
    sender.StartUpgrade("127.0.0.1", receiver_->Port(), {"a"});
    ASSERT_TRUE(PumpMessagesUntil([&] { return !view_.Messages.empty(); }, 10000));
    EXPECT_EQ(view_.Messages.front(), Utf8ToGbk("升级失败"));
    EXPECT_TRUE(view_.StartEnabled);
    ::RemoveDirectoryA((target_ + "Temp\\a").c_str());
}

TEST_F(RemoteUpgrade, NoAnswerWithinTheTimeIsAFailedConnection) {
    // A listener that never answers "OK".
    TMsgServerSocket silent;
    ASSERT_TRUE(silent.Open(0, "127.0.0.1"));
    silent.OnClientRead = [](const TMsgConnectionPtr& c) { c->ReceiveText(); };
    PutFile(sender_ + "a", "x");
    TRemoteUpgradeSender sender(view_, sender_, 300);
    sender.StartUpgrade("127.0.0.1", silent.LocalPort(), {"a"});
    ASSERT_TRUE(PumpMessagesUntil([&] { return !view_.Messages.empty(); }, 5000));
    EXPECT_EQ(view_.Messages.front(), Utf8ToGbk("连接失败！"));
    EXPECT_TRUE(view_.StartEnabled);
    EXPECT_TRUE(view_.WindowEnabled);
}

TEST_F(RemoteUpgrade, OnlyAListedAddressWithTheUpgradeRightMaySendOne) {
    // A user list alone: no address is known, so no upgrade (none carries a user).
    Lists({testing::RemoteUser("op", "pw")}, {});
    EXPECT_EQ(Control(), "");
    auto ip = testing::RemoteIP("127.0.0.1");
    ip.Rights[kRemoteRightUpgrade].Enabled = 0;
    Lists({}, {ip});
    EXPECT_EQ(Control(), "");
    Lists({testing::RemoteUser("op", "pw")}, {testing::RemoteIP("10.1.1.1")});
    EXPECT_EQ(Control(), "");
    Lists({testing::RemoteUser("op", "pw")}, {testing::RemoteIP("127.0.0.1")});
    EXPECT_EQ(Control(), "OK");
    // Empty lists allow everything, as a new installation is set up from afar.
    Lists({}, {});
    EXPECT_EQ(Control(), "OK");
    EXPECT_EQ(restarts_, 0);
}

TEST_F(RemoteUpgrade, TooLargeFilesAndSetsAreRefusedAndRemoved) {
    receiver_->MaxFileBytes = 100000;
    receiver_->MaxSetBytes = 250000;
    const std::string ok = testing::Pattern(90000), big = testing::Pattern(100001);
    struct Case {
        std::vector<std::string> files;
        bool accepted;
    };
    for (const Case& c : {Case{{ok, ok}, true}, Case{{big}, false}, Case{{ok, ok, ok}, false}}) {
        for (const char* n : {"a", "b", "c"})
            ::DeleteFileA((target_ + "Temp\\" + n).c_str());
        std::vector<std::string> answers;
        ASSERT_TRUE(RunPeer([&] {
            Peer control;
            ASSERT_TRUE(control.Connect(receiver_->Port()));
            ASSERT_EQ(control.Receive(2), "OK");
            const char* names[] = {"a", "b", "c"};
            for (size_t i = 0; i < c.files.size(); ++i) {
                Peer data;
                ASSERT_TRUE(data.Connect(receiver_->Port()));
                data.Send(names[i]);
                ::Sleep(100); // the name is read on its own
                data.Send(c.files[i]);
                answers.push_back(data.Receive(5, 1000));
            }
            control.Send("End");
            control.Receive(SIZE_MAX, 1000);
        }));
        if (c.accepted) {
            EXPECT_TRUE(PumpMessagesUntil([&] { return restarts_ == 1; }, 5000));
            EXPECT_EQ(GetFile(target_ + "Temp\\b"), ok);
        } else {
            EXPECT_EQ(answers.back(), "False");
            PumpMessagesUntil([&] { return false; }, 300);
            EXPECT_EQ(restarts_, 1); // no second restart
            for (const char* n : {"a", "b", "c"})
                EXPECT_EQ(::GetFileAttributesA((target_ + "Temp\\" + n).c_str()),
                          INVALID_FILE_ATTRIBUTES)
                    << n;
        }
    }
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

TEST(RemoteUpgradeRestart, ShutsDownTellsTheCompanionAndCloses) {
    std::vector<std::string> seen;
    TMsgWindow companion([&](UINT m, WPARAM w, LPARAM l) {
        if (m == WM_COMPANION)
            seen.push_back("companion " + std::to_string(w) + " " +
                           std::to_string(static_cast<long long>(l)));
    });
    // The main window: a plain window of this thread, gone once its close request is handled.
    const HWND mainWindow = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                              nullptr, nullptr, nullptr);
    struct Main : TMainFormServices {
        HWND hwnd;
        std::vector<std::string>* seen;
        HWND Handle() const override { return hwnd; }
        void ShutdownAll() override { seen->push_back("shutdown"); }
        void ApplyAllSettings() override {}
        void RebuildChannelMap(WPARAM, LPARAM) override {}
        void im_AutoWorkClick() override {}
    } main;
    main.hwnd = mainWindow;
    main.seen = &seen;
    const auto restart =
        TRemoteUpgradeReceiver::MainWindowRestart(main, [&] { return companion.Handle(); });
    restart();
    EXPECT_TRUE(
        PumpMessagesUntil([&] { return seen.size() == 2 && !::IsWindow(mainWindow); }, 2000));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "shutdown");
    EXPECT_EQ(seen[1], "companion " + std::to_string(reinterpret_cast<WPARAM>(mainWindow)) + " -1");
}

} // namespace
} // namespace vantrel
