#include "host/engine/U_COM.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace vantrel {
namespace {

using Clock = std::chrono::steady_clock;

// "Z:" and the Unix path with backslashes: how this process sees a file of the Wine prefix.
std::wstring PrefixPath(const std::wstring& unixPrefix, const std::wstring& rest) {
    std::wstring path = L"Z:" + unixPrefix + L"/" + rest;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// Wine reports no attributes for a link to a device: a port is there when it opens.
bool PortOpens(int com) {
    return bool(dvr::win::File(::CreateFileW(TCOM::DeviceName(com - 1).c_str(),
                                             GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr)));
}

// Two Wine serial ports joined by a socat pty pair: what one end writes the other reads. The
// Unix process cannot be ended through a Windows handle, so a stop file ends its shell.
class PtyPair {
public:
    PtyPair(int comA, int comB) {
        wchar_t prefix[1024] = {};
        if (!::GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024)) return;
        prefix_ = prefix;
        const std::wstring dev = prefix_ + L"/dosdevices/";
        comA_ = comA;
        comB_ = comB;
        linkA_ = L"com" + std::to_wstring(comA);
        linkB_ = L"com" + std::to_wstring(comB);
        stop_ = L"vantrel-pty-stop-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + linkA_;
        ::DeleteFileW(PrefixPath(prefix_, stop_).c_str());
        const std::wstring script =
            L"exec </dev/null >/dev/null 2>&1; timeout 300 socat pty,raw,echo=0,link=" + dev +
            linkA_ + L" pty,raw,echo=0,link=" + dev + linkB_ + L" & p=$!; while [ ! -e " + prefix_ +
            L"/" + stop_ +
            L" ] && kill -0 $p 2>/dev/null; do sleep 0.05; done; kill $p 2>/dev/null; wait $p; rm "
            L"-f " +
            prefix_ + L"/" + stop_;
        std::wstring command = L"/bin/sh -c \"" + script + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi))
            return;
        if (pi.hProcess) ::CloseHandle(pi.hProcess);
        if (pi.hThread) ::CloseHandle(pi.hThread);
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
    int comA_ = 0, comB_ = 0;
    std::wstring prefix_, linkA_, linkB_, stop_;
};

// The device end of a pair, opened by the test itself.
class Peer {
public:
    explicit Peer(int com)
        : file_(::CreateFileW(TCOM::DeviceName(com - 1).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr)) {
        COMMTIMEOUTS t{};
        t.ReadIntervalTimeout = 100;
        t.ReadTotalTimeoutConstant = 400;
        ::SetCommTimeouts(file_.get(), &t);
    }
    bool Open() const { return bool(file_); }
    std::string Read() {
        char buffer[256];
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

// COM16 is the last port the table knows; the peers sit on ports the host never uses.
constexpr uint8_t kPortA = 15; // COM16
constexpr int kPeerA = 12;
constexpr uint8_t kPortB = 13; // COM14
constexpr int kPeerB = 11;

class SerialTest : public ::testing::Test {
protected:
    void SetUp() override {
        pairA_ = std::make_unique<PtyPair>(kPortA + 1, kPeerA);
        pairB_ = std::make_unique<PtyPair>(kPortB + 1, kPeerB);
        ASSERT_TRUE(pairA_->Ready() && pairB_->Ready()) << "socat pty pairs did not come up";
    }
    void TearDown() override {
        pairA_.reset();
        pairB_.reset();
    }

    int Write(uint8_t port, const std::string& frame) {
        uint32_t count = 0;
        return com_.Transact(port, 9600, 0, 8, 0, frame.data(), int32_t(frame.size()), false,
                             nullptr, count);
    }

    TCOM com_;
    std::unique_ptr<PtyPair> pairA_, pairB_;
};

TEST(SerialNames, PortIndexesNameCom1ToCom16) {
    const struct {
        int port;
        const wchar_t* name;
    } cases[] = {
        {0, L"\\\\.\\COM1"}, {8, L"\\\\.\\COM9"}, {9, L"\\\\.\\COM10"}, {15, L"\\\\.\\COM16"}};
    for (const auto& c : cases)
        EXPECT_EQ(TCOM::DeviceName(c.port), c.name) << c.port;
}

TEST_F(SerialTest, WriteOnlyFrameArrivesAndReportsSuccess) {
    Peer peer(kPeerA);
    ASSERT_TRUE(peer.Open());
    const std::string frame("\xff\x01\x00\x08\x20\x00\x29", 7);
    EXPECT_EQ(Write(kPortA, frame), 0);
    EXPECT_EQ(peer.Read(), frame);
    EXPECT_EQ(com_.Handle(kPortA), INVALID_HANDLE_VALUE); // nothing left open in the table
}

TEST_F(SerialTest, ReadGetsTheAnswerOrGivesUpOnSilence) {
    Peer peer(kPeerA);
    ASSERT_TRUE(peer.Open());
    std::thread answering([&] {
        if (peer.Read() == "poll") peer.Write("ok!");
    });
    char answer[16] = {};
    uint32_t count = sizeof answer;
    EXPECT_EQ(com_.Transact(kPortA, 9600, 0, 8, 0, "poll", 4, true, answer, count), 0);
    answering.join();
    EXPECT_EQ(std::string(answer, count), "ok!");

    // A silent device: -1 and nothing received, within the read time-outs (50 + 50 * 4 ms).
    count = 4;
    const auto start = Clock::now();
    EXPECT_EQ(com_.Transact(kPortA, 9600, 0, 8, 0, "poll", 4, true, answer, count), -1);
    EXPECT_EQ(count, 0u);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(peer.Read(), "poll");
}

TEST_F(SerialTest, UnusablePortsFailWithoutWriting) {
    char answer[8];
    const struct {
        uint8_t port;
        const char* why;
    } cases[] = {{4, "COM5 does not exist"}, {16, "beyond COM16"}, {255, "beyond COM16"}};
    for (const auto& c : cases) {
        uint32_t count = sizeof answer;
        EXPECT_EQ(com_.Transact(c.port, 9600, 0, 8, 0, "x", 1, true, answer, count), -1) << c.why;
        EXPECT_EQ(count, 0u) << c.why;
        EXPECT_EQ(Write(c.port, "x"), -1) << c.why;
    }
    EXPECT_FALSE(com_.OpenHeld(4));
    EXPECT_FALSE(com_.OpenHeld(16));
    EXPECT_EQ(com_.Handle(16), INVALID_HANDLE_VALUE);
}

TEST_F(SerialTest, PortHeldOpenRefusesTransactionsAndKeepsItsHandle) {
    Peer peer(kPeerA);
    ASSERT_TRUE(peer.Open());
    ASSERT_TRUE(com_.OpenHeld(kPortA));
    const HANDLE held = com_.Handle(kPortA);
    EXPECT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(com_.OpenHeld(kPortA));
    EXPECT_EQ(Write(kPortA, "frame"), -1);
    EXPECT_EQ(com_.Handle(kPortA), held);
    EXPECT_EQ(peer.Read(), "");
    // The holder's handle still works.
    DWORD done = 0;
    EXPECT_TRUE(::WriteFile(held, "ups", 3, &done, nullptr));
    EXPECT_EQ(peer.Read(), "ups");

    com_.CloseHeld(kPortA);
    EXPECT_EQ(com_.Handle(kPortA), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Write(kPortA, "frame"), 0);
    EXPECT_EQ(peer.Read(), "frame");
}

TEST_F(SerialTest, OnePortSerialisesTransactionsTwoPortsRunTogether) {
    // Silent devices: every read transaction waits out its time-outs (50 + 50 * 20 ms).
    auto silentPoll = [this](uint8_t port) {
        char answer[20];
        uint32_t count = sizeof answer;
        return com_.Transact(port, 9600, 0, 8, 0, "?", 1, true, answer, count);
    };
    auto twoAtOnce = [&](uint8_t first, uint8_t second) {
        const auto start = Clock::now();
        std::thread a([&] { silentPoll(first); });
        std::thread b([&] { silentPoll(second); });
        a.join();
        b.join();
        return Clock::now() - start;
    };
    const auto onePort = twoAtOnce(kPortA, kPortA);
    const auto twoPorts = twoAtOnce(kPortA, kPortB);
    EXPECT_GE(onePort, std::chrono::milliseconds(1900));
    EXPECT_LT(twoPorts, std::chrono::milliseconds(1900));
}

} // namespace
} // namespace vantrel
