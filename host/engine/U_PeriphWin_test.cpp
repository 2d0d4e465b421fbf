#include "host/engine/U_PeriphWin.h"

#include "host/engine/U_AlarmDevice.h"
#include "host/engine/U_COMGateway.h"
#include "host/engine/U_DogSet.h"
#include "host/engine/U_PtyPair_test.h"
#include "host/engine/U_YunTai.h"
#include "host/engine/U_YunTaiSet.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace vantrel {
namespace {

using testing::Peer;
using testing::PtyPair;

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b)
        s += char(v);
    return s;
}

void DeleteKey(const wchar_t* key) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
}

class NoSerial : public TSerialGateway {
    int Transact(uint8_t, int32_t, uint8_t, uint8_t, uint8_t, const void*, int32_t, bool, void*,
                 uint32_t& n) override {
        n = 0;
        return -1;
    }
};

TEST(PeriphRegistry, MatrixNamesGroupsAndTypeSurviveARestart) {
    DeleteKey(L"SOFTWARE\\VQS\\Matrixs");
    TMatrixRegistryStore store;
    NoSerial serial;
    {
        TMatrixsCtrl matrix(serial, store);
        EXPECT_EQ(matrix.MatrixType, 0);
        EXPECT_EQ(matrix.Groups.GroupCount, 0);
        matrix.InputNames.Names[31].Set(dvr::win::Utf8ToGbk("大门"));
        matrix.AddGroup("night", 60);
        matrix.AddPair(0, 31, 15);
        matrix.SaveInputNames(0);
        matrix.SaveGroups(0);
        matrix.SaveMatrixType(1);
    }
    TMatrixsCtrl restarted(serial, store);
    EXPECT_EQ(restarted.MatrixType, 1);
    EXPECT_EQ(restarted.InputNames.Names[31].Get(), ""); // another model loads nothing
    DeleteKey(L"SOFTWARE\\VQS\\Matrixs");
    {
        TMatrixsCtrl matrix(serial, store);
        matrix.InputNames.Names[31].Set(dvr::win::Utf8ToGbk("大门"));
        matrix.SaveInputNames(0);
    }
    TMatrixsCtrl again(serial, store);
    EXPECT_EQ(again.InputNames.Names[31].Get(), dvr::win::Utf8ToGbk("大门"));
    DeleteKey(L"SOFTWARE\\VQS\\Matrixs");
}

TEST(PeriphRegistry, GsmNumbersAndDogSettings) {
    DeleteKey(L"SOFTWARE\\VQS\\GSM");
    DeleteKey(L"SOFTWARE\\VQS\\DOG");
    TGsmRegistryStore store;
    NoSerial serial;
    {
        TGSMCtrl gsm(serial, store, GbkToUtf16);
        EXPECT_TRUE(gsm.CentreNumbers.empty());
        gsm.SaveNumbers({"+8613800100500"}, {"13912345678", "13800000000"});
    }
    TGSMCtrl gsm(serial, store, GbkToUtf16);
    EXPECT_EQ(gsm.CentreNumbers, (std::vector<std::string>{"+8613800100500"}));
    EXPECT_EQ(gsm.PhoneNumbers.size(), 2u);

    TDogSet missing;
    EXPECT_EQ(missing.Record.UpsOn, 0);
    TDogSettingsRecord r{};
    r.UpsOn = 1;
    r.UpsPort = 3;
    r.PowerOnTime = 0.25;
    ASSERT_EQ(TDogSet::Save(r), 0);
    TDogSet loaded;
    EXPECT_EQ(loaded.Record.UpsOn, 1);
    EXPECT_EQ(loaded.Record.UpsPort, 3);
    EXPECT_EQ(loaded.Record.PowerOnTime, 0.25);
    DeleteKey(L"SOFTWARE\\VQS\\GSM");
    DeleteKey(L"SOFTWARE\\VQS\\DOG");
}

// Runs the thread's messages until done or the time has passed.
template <class F> bool PumpUntil(F done, DWORD ms = 3000) {
    const DWORD end = ::GetTickCount() + ms;
    MSG msg;
    while (!done() && ::GetTickCount() < end) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::Sleep(1);
    }
    return done();
}

TEST(VariableTimer, TicksAtItsIntervalAndStopsWhenDisabled) {
    int ticks = 0;
    TVariableTimer* self = nullptr;
    TVariableTimer timer([&] {
        // Changing the interval from inside a tick, as the stepping does.
        if (++ticks == 2) self->Set(true, 30);
    });
    self = &timer;
    timer.Set(true, 20);
    EXPECT_TRUE(timer.Enabled());
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 4; }));
    EXPECT_EQ(timer.Interval(), 30u);
    timer.Set(false, 30);
    const int stopped = ticks;
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(ticks, stopped);
}

// The host's port and the device's end of the line: ports no other test program links, so
// the programs can run side by side in one prefix.
constexpr uint8_t kHostPort = 12; // COM13
constexpr int kDevicePort = 15;   // COM15

class SerialDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        pair_ = std::make_unique<PtyPair>(kHostPort + 1, kDevicePort);
        ASSERT_TRUE(pair_->Ready()) << "socat pty pair did not come up";
        device_ = std::make_unique<Peer>(kDevicePort);
        ASSERT_TRUE(device_->Open());
    }
    void TearDown() override {
        device_.reset();
        pair_.reset();
    }

    TCOM com_;
    TCOMGateway gateway_{com_};
    std::unique_ptr<PtyPair> pair_;
    std::unique_ptr<Peer> device_;
};

class BoxHost : public TAlarmDeviceHost {
public:
    BoxHost() {
        for (auto& r : records)
            r = TAlarmSetRecord{};
    }
    const TAlarmSetRecord& Record(int c) const override { return records[size_t(c)]; }
    int ChannelCount() const override { return 2; }
    bool Alarming(int c) const override { return c == 0; }
    std::array<TAlarmSetRecord, kSettingsChannels> records;
};

TEST_F(SerialDeviceTest, AlarmBoxIsPolledAndSwitchedThroughTheLine) {
    BoxHost host;
    TAlarmSetRecord& r = host.records[0];
    r.ProbeOn = 1;
    r.InBoxType = r.OutBoxType = 0;
    r.InBoxPort = r.OutBoxPort = kHostPort;
    r.InBoxAddress = r.OutBoxAddress = 3;
    r.OutputMap[2][1] = 1; // probe -> output 2
    TAlarmDevice device(gateway_, host);

    // A W110 box at address 3 with inputs 1 and 12 closed.
    std::thread box([&] {
        if (device_->Read() == Bytes({0x2A, 0x04, 0x03, 0x00, 0x30, 0x61}))
            device_->Write(Bytes({0x2A, 0x06, 0x03, 0x00, 0xB0, 0x01, 0x08, 0x00}));
    });
    uint8_t inputs[16] = {};
    const bool read = device.ReadInputs(0, inputs);
    box.join();
    ASSERT_TRUE(read);
    EXPECT_EQ(inputs[0], 1);
    EXPECT_EQ(inputs[11], 1);
    EXPECT_EQ(std::count(inputs, inputs + 16, 1), 2);

    EXPECT_TRUE(device.SwitchAlarmOutputs(0, 2, true));
    EXPECT_EQ(device_->Read(), Bytes({0x2A, 0x06, 0x03, 0x00, 0x31, 0x02, 0x00, 0x66}));

    // A box that does not answer: false, the inputs as they were.
    inputs[0] = 9;
    EXPECT_FALSE(device.ReadInputs(0, inputs));
    EXPECT_EQ(inputs[0], 9);
    EXPECT_EQ(device_->Read().size(), 6u);
}

class CameraHost : public TYunTaiHost {
public:
    bool CheckPtzRight(int) const override { return true; }
    int BoardChannelCount() const override { return 1; }
    int ChannelCount() const override { return 1; }
    bool NetTarget(int, TPtzNetTarget&) const override { return false; }
    std::string OwnAddress() const override { return "127.0.0.1"; }
    void RepeatTimerChanged(bool, int) override {}
};

class NoUdp : public TUdpSender {
    void SendTo(const void*, int, int, const std::string&) override {}
};

// The protocol table that ships beside the program drives a camera on the line.
TEST_F(SerialDeviceTest, ShippedProtocolTableDrivesACamera) {
    const char* bin = std::getenv("DVR_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    std::string folder = std::string(bin[0] == '/' ? "Z:" : "") + bin + "\\";
    for (char& c : folder)
        if (c == '/') c = '\\';
    TYunTaiSet set(folder);
    ASSERT_FALSE(set.Protocols.empty());
    set.Settings = TYunTaiSetRecord{};
    set.Settings.Entries[0] = TYunTaiEntry{1, 0, {}, 2400, kHostPort, 1, {}};
    CameraHost host;
    NoUdp udp;
    TYunTai ptz(host, set.Settings, set.Protocols, gateway_, udp);

    ptz.StartCommand(0, 0, 0, 0); // up at the protocol's default speed
    EXPECT_EQ(device_->Read(), Bytes({0xFF, 0x01, 0x00, 0x08, 0x00, 0x20, 0x29}));
    ptz.StopCommand(0, 0, 0, 0);
    EXPECT_EQ(device_->Read(), Bytes({0xFF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01}));
    ptz.StartCommand(0, 16, 5, 0); // call preset 5
    EXPECT_EQ(device_->Read(), Bytes({0xFF, 0x01, 0x00, 0x07, 0x00, 0x05, 0x0D}));
}

TEST_F(SerialDeviceTest, ChineseSmsGoesOutThroughAModem) {
    class NoStore : public TGsmNumberStore {
        std::string Read(std::string_view) override { return {}; }
        void Write(std::string_view, std::string_view) override {}
    } store;
    TGSMCtrl gsm(gateway_, store, GbkToUtf16);
    SmsMessageBlock b{};
    b.GsmPort = kHostPort;
    std::strcpy(b.CentreNumber, "+8613800100500");
    std::strcpy(b.PhoneNumber, "13912345678");
    const std::string text = dvr::win::Utf8ToGbk("通道1报警");
    std::memcpy(b.Text, text.data(), text.size());
    b.Dcs = 8;

    std::vector<std::string> heard;
    std::thread modem([&] {
        for (int i = 0; i < 4; ++i) {
            std::string line = device_->Read();
            if (line.empty()) return;
            heard.push_back(line);
            device_->Write(line.rfind("AT+CMGS", 0) == 0 ? "\r\n> " : "\r\nOK\r\n");
        }
    });
    EXPECT_EQ(gsm.InitModem(b), kSmsSent);
    EXPECT_EQ(gsm.SendSms(b, 0, nullptr), kSmsSent);
    modem.join();
    ASSERT_EQ(heard.size(), 4u);
    EXPECT_EQ(heard[0], "AT+CMGF=0\r\n");
    EXPECT_EQ(heard[1], "AT+CSCA=+8613800100500\r");
    EXPECT_EQ(heard[2], "AT+CMGS=25\r");
    EXPECT_EQ(heard[3], "0891683108100005F011000D91683119325476F80008000A901A9053003162A58B66\x1A");
}

TEST_F(SerialDeviceTest, UpsOnALineWithoutModemStatusReadsNotConnectedAndHoldsThePort) {
    TDogSettingsRecord settings{};
    settings.UpsOn = 1;
    settings.UpsPort = kHostPort;
    TCOMUPSLine line(com_);
    TUPSInfoForm form(nullptr, nullptr);
    TUPSDog ups(settings, line, form);
    ups.Start();
    // A pty has no modem status lines: the monitor takes that as a missing UPS.
    EXPECT_EQ(ups.Poll(), kUpsNotConnected);
    EXPECT_TRUE(line.IsOpen(kHostPort));
    ups.TimerTick();
    EXPECT_EQ(form.Label1, kUpsNotConnectedText);
    // The held port is the monitor's: transactions are refused.
    EXPECT_EQ(SerialWrite(gateway_, kHostPort, 9600, 0, "x", 1), -1);
    com_.CloseHeld(kHostPort);
}

} // namespace
} // namespace vantrel
