#include "host/engine/U_GSMCtrl.h"

#include "host/engine/T_ThreadSendGSMMsg.h"
#include "host/engine/U_FakeSerial_test.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <map>
#include <thread>

namespace vantrel {
namespace {

using testing::FakeSerial;
using testing::Transaction;

class MemoryStore : public TGsmNumberStore {
public:
    std::string Read(std::string_view name) override { return values[std::string(name)]; }
    void Write(std::string_view name, std::string_view text) override {
        values[std::string(name)] = std::string(text);
    }
    std::map<std::string, std::string> values;
};

// ASCII as is, and the few GBK characters the tests use.
std::u16string TestToUtf16(std::string_view gbk) {
    static const std::map<std::string, char16_t> kTable = {{"\xCD\xA8", u'\u901A'},
                                                           {"\xB5\xC0", u'\u9053'},
                                                           {"\xB1\xA8", u'\u62A5'},
                                                           {"\xBE\xAF", u'\u8B66'}};
    std::u16string out;
    for (size_t i = 0; i < gbk.size();) {
        if (uint8_t(gbk[i]) < 0x80) {
            out += char16_t(gbk[i++]);
            continue;
        }
        out += kTable.at(std::string(gbk.substr(i, 2)));
        i += 2;
    }
    return out;
}

SmsMessageBlock Block(const char* centre, const char* phone, const char* text) {
    SmsMessageBlock b{};
    std::strncpy(b.CentreNumber, centre, sizeof b.CentreNumber - 1);
    std::strncpy(b.PhoneNumber, phone, sizeof b.PhoneNumber - 1);
    std::strncpy(b.Text, text, sizeof b.Text - 1);
    b.Dcs = 8;
    return b;
}

// A modem that accepts everything; a command that starts with `fail` gets `failWith`.
struct Modem {
    std::string fail, failWith;
    std::string operator()(const Transaction& t) const {
        if (!fail.empty() && t.bytes.rfind(fail, 0) == 0) return failWith;
        if (t.bytes.rfind("AT+CMGS=", 0) == 0) return "\r\n> ";
        if (!t.bytes.empty() && t.bytes.back() == '\x1A') return "\r\n+CMGS: 12\r\n\r\nOK\r\n";
        return "\r\nOK\r\n";
    }
};

class Sink : public TSmsResultSink {
public:
    void PostResult(uintptr_t window, int code) override {
        std::lock_guard<std::mutex> lock(mutex);
        results.push_back({window, code});
    }
    std::mutex mutex;
    std::vector<std::pair<uintptr_t, int>> results;
};

class GsmTest : public ::testing::Test {
protected:
    FakeSerial com;
    MemoryStore store;
    Sink sink;
};

TEST_F(GsmTest, PduOfAsciiAndChineseTexts) {
    TGSMCtrl gsm(com, store, TestToUtf16);
    const struct {
        SmsMessageBlock block;
        const char* pdu;
        int length;
    } cases[] = {
        {Block("13800", "13900", "abc"), "04913108F011000791683109F000080006006100620063", 18},
        {Block("+13800", "13900", "abc"), "04913108F011000791683109F000080006006100620063", 18},
        {Block("+8613800100500", "8613912345678",
               "\xCD\xA8\xB5\xC0"
               "1\xB1\xA8\xBE\xAF"),
         "0891683108100005F011000D91683119325476F80008000A901A9053003162A58B66", 25},
    };
    for (const auto& c : cases) {
        char pdu[512];
        const int n = gsm.EncodePdu(c.block, pdu, sizeof pdu);
        EXPECT_EQ(std::string(pdu, size_t(n)), c.pdu);
        EXPECT_EQ(TGSMCtrl::SubmitLength(pdu, n), c.length);
    }
}

TEST_F(GsmTest, LongTextIsCutToOneMessage) {
    TGSMCtrl gsm(com, store, TestToUtf16);
    std::string text(140, 'x');
    SmsMessageBlock b = Block("13800", "13900", "");
    std::memcpy(b.Text, text.data(), text.size());
    char pdu[512];
    const int n = gsm.EncodePdu(b, pdu, sizeof pdu);
    const std::string s(pdu, size_t(n));
    const size_t udl = std::string("04913108F011000791683109F0000800").size();
    EXPECT_EQ(s.substr(udl, 2), "8C"); // 140 octets
    EXPECT_EQ(s.size(), udl + 2 + 140 * 2);
}

TEST_F(GsmTest, ModemSetupAndSendExchanges) {
    com.answer = Modem{};
    TGSMCtrl gsm(com, store, TestToUtf16);
    SmsMessageBlock b = Block("13800", "13900", "abc");
    b.GsmPort = 2;
    EXPECT_EQ(gsm.InitModem(b), kSmsSent);
    EXPECT_TRUE(gsm.ModemReady);
    EXPECT_EQ(gsm.SendSms(b, 77, &sink), kSmsSent);
    const auto frames = com.Frames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0], "AT+CMGF=0\r\n");
    EXPECT_EQ(frames[1], "AT+CSCA=+13800\r");
    EXPECT_EQ(frames[2], "AT+CMGS=18\r");
    EXPECT_EQ(frames[3], "04913108F011000791683109F000080006006100620063\x1A");
    for (const auto& t : com.log) {
        EXPECT_EQ(t.port, 2);
        EXPECT_EQ(t.baud, 9600);
        EXPECT_TRUE(t.read);
    }
    ASSERT_EQ(sink.results.size(), 1u);
    EXPECT_EQ(sink.results[0], (std::pair<uintptr_t, int>{77, kSmsSent}));
}

TEST_F(GsmTest, EachFailingStepHasItsCode) {
    const struct {
        Modem modem;
        int init, send;
    } cases[] = {
        {{"AT+CMGF", "\r\nERROR\r\n"}, kSmsNoPduMode, 0},
        {{"AT+CMGF", ""}, kSmsNoPduMode, 0},
        {{"AT+CSCA", "\r\nERROR\r\n"}, kSmsNoCentre, 0},
        {{"AT+CMGS", ""}, kSmsSent, kSmsCommandTimeout},
        {{"AT+CMGS", "\r\nERROR\r\n"}, kSmsSent, kSmsNoPrompt},
        {{"04913108", ""}, kSmsSent, kSmsPduTimeout},
        {{"04913108", "\r\n+CMS ERROR: 500\r\n"}, kSmsSent, kSmsRefused},
    };
    for (const auto& c : cases) {
        FakeSerial serial;
        serial.answer = c.modem;
        TGSMCtrl gsm(serial, store, TestToUtf16);
        const SmsMessageBlock b = Block("13800", "13900", "abc");
        EXPECT_EQ(gsm.InitModem(b), c.init) << c.modem.fail;
        if (c.send) {
            EXPECT_EQ(gsm.SendSms(b, 0, &sink), c.send) << c.modem.fail;
        }
    }
    TGSMCtrl gsm(com, store, TestToUtf16);
    EXPECT_EQ(gsm.InitModem(Block("", "13900", "abc")), kSmsNoPduMode);
    EXPECT_EQ(com.Count(), 0u);        // no centre number: no traffic
    EXPECT_TRUE(sink.results.empty()); // no window, nothing posted
}

TEST_F(GsmTest, NumberListsRoundTripThroughTheStore) {
    store.values["SCA"] = "13800|+8613900|tail";
    TGSMCtrl gsm(com, store, TestToUtf16);
    EXPECT_EQ(gsm.CentreNumbers, (std::vector<std::string>{"13800", "+8613900"}));
    EXPECT_TRUE(gsm.PhoneNumbers.empty());
    gsm.SaveNumbers({"1"}, {"2", "3"});
    EXPECT_EQ(store.values["SCA"], "1|");
    EXPECT_EQ(store.values["TPA"], "2|3|");
}

TEST(ManualSms, BlockTakesTheWindowsTextsCutToTheirFields) {
    std::string text(139, 'x');
    text += "\xB1\xA8"; // a two-byte character across byte 140 is left out whole
    const SmsMessageBlock b = ManualSmsBlock(2, "+86138001005001234", "13912345678", text);
    EXPECT_EQ(b.GsmPort, 2);
    EXPECT_STREQ(b.CentreNumber, "+86138001005001");
    EXPECT_STREQ(b.PhoneNumber, "13912345678");
    EXPECT_EQ(std::string(b.Text), std::string(139, 'x'));
    EXPECT_EQ(b.Pid, 0);
    EXPECT_EQ(b.Dcs, 8);

    std::vector<std::string> kept{"1", "2"};
    MergeNumbers(kept, {"2", "3", "1", "4"});
    EXPECT_EQ(kept, (std::vector<std::string>{"1", "2", "3", "4"}));
}

class Channels : public TSmsSenderHost {
public:
    Channels() {
        for (auto& r : records)
            r = TAlarmSetRecord{};
        records[1].Sms = Block("13811", "13911", "one");
        records[1].Sms.GsmPort = 1;
    }
    int ChannelCount() const override { return 4; }
    const TAlarmSetRecord& Record(int c) const override { return records[size_t(c)]; }
    std::array<TAlarmSetRecord, kSettingsChannels> records;
};

template <class F> void WaitFor(F done) {
    for (int i = 0; i < 3000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST_F(GsmTest, AlarmMessagesWaitForTheFirstManualMessageToSetTheModemUp) {
    com.answer = Modem{};
    Channels channels;
    TGSMCtrl gsm(com, store, TestToUtf16);
    TThreadSendGSMMsg sender(gsm, channels, sink);
    WaitFor([&] { return sender.Idle(); });
    EXPECT_EQ(com.Count(), 0u); // empty manual message: no centre, no traffic

    sender.FlagAlarm(1);
    WaitFor([&] { return sender.Passes() >= 2 && sender.Idle(); });
    EXPECT_EQ(com.Count(), 0u);
    EXPECT_FALSE(sender.AlarmFlags[1]); // dropped, not left set

    sender.SetManualMessage(Block("13800", "13900", "abc"));
    sender.ResultWindow = 5;
    sender.Resume();
    WaitFor([&] { return !sink.results.empty() && sender.Idle(); });
    ASSERT_EQ(sink.results.size(), 1u);
    EXPECT_EQ(sink.results[0].second, kSmsSent);

    sender.FlagAlarm(1);
    const int passes = sender.Passes();
    WaitFor([&] { return sender.Passes() > passes && sender.Idle(); });
    const auto frames = com.Frames();
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(frames[4], "AT+CMGS=18\r");
    EXPECT_EQ(frames[5].substr(0, 10), "04913118F1"); // the channel's own centre
    EXPECT_EQ(com.log[5].port, 1);                    // and port
    EXPECT_EQ(sink.results.size(), 1u);               // alarm results are not reported
}

TEST_F(GsmTest, AManualMessageGivenWhileAlarmsAreSentIsNotLeftWaiting) {
    Channels channels;
    TGSMCtrl gsm(com, store, TestToUtf16);
    TThreadSendGSMMsg* senderPtr = nullptr;
    bool given = false;
    // While the alarm message is on the line, the window hands over a message and resumes.
    com.answer = [&](const Transaction& t) {
        if (!given && t.bytes.rfind("04913118F1", 0) == 0) {
            given = true;
            senderPtr->SetManualMessage(Block("13800", "13900", "abc"));
            senderPtr->ResultWindow = 3;
            senderPtr->Resume();
        }
        return Modem{}(t);
    };
    gsm.ModemReady = true;
    TThreadSendGSMMsg sender(gsm, channels, sink);
    senderPtr = &sender;
    WaitFor([&] { return sender.Idle(); });
    sender.FlagAlarm(1);
    WaitFor([&] {
        std::lock_guard<std::mutex> lock(sink.mutex);
        return !sink.results.empty();
    });
    std::lock_guard<std::mutex> lock(sink.mutex);
    ASSERT_EQ(sink.results.size(), 1u);
    EXPECT_EQ(sink.results[0], (std::pair<uintptr_t, int>{3, kSmsSent}));
}

TEST_F(GsmTest, AFailedSetupReportsToTheManualWindow) {
    Channels channels;
    TGSMCtrl gsm(com, store, TestToUtf16); // no modem answers
    TThreadSendGSMMsg sender(gsm, channels, sink);
    WaitFor([&] { return sender.Idle(); });
    sender.SetManualMessage(Block("13800", "13900", "abc"));
    sender.ResultWindow = 9;
    sender.Resume();
    WaitFor([&] {
        std::lock_guard<std::mutex> lock(sink.mutex);
        return !sink.results.empty();
    });
    std::lock_guard<std::mutex> lock(sink.mutex);
    ASSERT_EQ(sink.results.size(), 1u);
    EXPECT_EQ(sink.results[0], (std::pair<uintptr_t, int>{9, kSmsNoPduMode}));
}

} // namespace
} // namespace vantrel
