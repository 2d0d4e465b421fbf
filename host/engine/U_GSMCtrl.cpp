#include "host/engine/U_GSMCtrl.h"

#include "common/gbk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vantrel {
namespace {

constexpr int32_t kModemBaud = 9600;

std::string Field(const char* text, size_t capacity) {
    return std::string(text, strnlen(text, capacity));
}

void Octet(std::string& out, unsigned v) {
    static const char kHex[] = "0123456789ABCDEF";
    out += kHex[(v >> 4) & 0xF];
    out += kHex[v & 0xF];
}

// Digits in pairs with the two of each pair swapped; an odd count padded with "F".
void SemiOctets(std::string& out, std::string digits) {
    if (digits.size() % 2) digits += 'F';
    for (size_t i = 0; i < digits.size(); i += 2) {
        out += digits[i + 1];
        out += digits[i];
    }
}

} // namespace

std::string_view SmsResultText(int code) {
    switch (code) {
    case kSmsSent:
        return "恭喜！发送成功！";
    case kSmsNoPduMode:
        return "设置消息格式失败！";
    case kSmsNoCentre:
        return "设置中心号码失败！";
    case kSmsCommandTimeout:
        return "设置发送命令超时！";
    case kSmsNoPrompt:
        return "设置发送命令失败！";
    case kSmsPduTimeout:
        return "发送消息超时！";
    case kSmsRefused:
        return "发送消息失败！";
    default:
        return {};
    }
}

std::vector<std::string> SplitNumberList(std::string_view text) {
    std::vector<std::string> list;
    size_t start = 0;
    for (size_t bar; (bar = text.find('|', start)) != std::string_view::npos; start = bar + 1)
        list.emplace_back(text.substr(start, bar - start));
    return list;
}

std::string JoinNumberList(const std::vector<std::string>& list) {
    std::string text;
    for (const std::string& item : list)
        text += item + "|";
    return text;
}

SmsMessageBlock ManualSmsBlock(uint8_t port, std::string_view centre, std::string_view phone,
                               std::string_view text) {
    SmsMessageBlock b{};
    b.GsmPort = port;
    centre = centre.substr(0, 15);
    phone = phone.substr(0, 15);
    text = text.substr(0, dvr::GbkFitLength(text, 140));
    std::memcpy(b.CentreNumber, centre.data(), centre.size());
    std::memcpy(b.PhoneNumber, phone.data(), phone.size());
    std::memcpy(b.Text, text.data(), text.size());
    b.Pid = 0;
    b.Dcs = 8;
    return b;
}

void MergeNumbers(std::vector<std::string>& kept, const std::vector<std::string>& shown) {
    for (const std::string& n : shown)
        if (std::find(kept.begin(), kept.end(), n) == kept.end()) kept.push_back(n);
}

TGSMCtrl::TGSMCtrl(TSerialGateway& com, TGsmNumberStore& store, TGbkToUtf16 toUtf16)
    : com_(com), store_(store), toUtf16_(std::move(toUtf16)) {
    LoadNumbers();
}

void TGSMCtrl::LoadNumbers() {
    CentreNumbers = SplitNumberList(store_.Read("SCA"));
    PhoneNumbers = SplitNumberList(store_.Read("TPA"));
}

void TGSMCtrl::SaveNumbers(const std::vector<std::string>& centres,
                           const std::vector<std::string>& phones) {
    store_.Write("SCA", JoinNumberList(centres));
    store_.Write("TPA", JoinNumberList(phones));
}

bool TGSMCtrl::Exchange(const SmsMessageBlock& block, const std::string& out, size_t readSize,
                        std::string& answer) {
    std::vector<char> reply(readSize);
    uint32_t got = uint32_t(readSize);
    const int r = com_.Transact(block.GsmPort, kModemBaud, 0, 8, 0, out.data(), int32_t(out.size()),
                                true, reply.data(), got);
    answer.assign(reply.data(), got);
    return r == 0;
}

int TGSMCtrl::InitModem(const SmsMessageBlock& block) {
    ModemReady = false;
    if (block.CentreNumber[0] == 0) return kSmsNoPduMode;
    std::string answer;
    if (!Exchange(block, "AT+CMGF=0\r\n", 100, answer) || answer.find("OK") == std::string::npos)
        return kSmsNoPduMode;
    std::string centre = Field(block.CentreNumber, sizeof block.CentreNumber);
    if (centre.empty() || centre[0] != '+') centre = "+" + centre;
    if (!Exchange(block, "AT+CSCA=" + centre + "\r", 100, answer) ||
        answer.find("OK") == std::string::npos)
        return kSmsNoCentre;
    ModemReady = true;
    return kSmsSent;
}

int TGSMCtrl::EncodePdu(const SmsMessageBlock& block, char* buffer, int size) const {
    std::string pdu;
    std::string centre = Field(block.CentreNumber, sizeof block.CentreNumber);
    if (!centre.empty() && centre[0] == '+') centre.erase(0, 1);
    Octet(pdu, unsigned((centre.size() + 1) / 2 + 1));
    Octet(pdu, 0x91);
    SemiOctets(pdu, centre);

    Octet(pdu, 0x11);
    Octet(pdu, 0x00);

    std::string phone = Field(block.PhoneNumber, sizeof block.PhoneNumber);
    if (phone.compare(0, 2, "86") != 0) phone = "86" + phone;
    Octet(pdu, unsigned(phone.size()));
    Octet(pdu, 0x91);
    SemiOctets(pdu, phone);

    Octet(pdu, block.Pid);
    Octet(pdu, block.Dcs);
    Octet(pdu, 0x00);

    std::u16string text = toUtf16_(Field(block.Text, sizeof block.Text));
    // One message holds 140 octets of user data: a longer text is cut, never sent malformed.
    if (text.size() > kSmsMaxChars) {
        size_t keep = kSmsMaxChars;
        if (text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep; // whole characters
        text.resize(keep);
    }
    Octet(pdu, unsigned(text.size() * 2));
    for (char16_t c : text) {
        Octet(pdu, unsigned(c) >> 8);
        Octet(pdu, unsigned(c) & 0xFF);
    }
    if (size <= 0 || pdu.size() + 1 > size_t(size)) {
        if (size > 0) buffer[0] = 0;
        return 0;
    }
    std::memcpy(buffer, pdu.c_str(), pdu.size() + 1);
    return int(pdu.size());
}

int TGSMCtrl::SubmitLength(const char* pdu, int length) {
    if (length < 2) return 0;
    unsigned centreOctets = 0;
    std::sscanf(pdu, "%2x", &centreOctets);
    return length / 2 - 1 - int(centreOctets);
}

int TGSMCtrl::SendSms(const SmsMessageBlock& block, uintptr_t resultWindow, TSmsResultSink* sink) {
    char pdu[512];
    const int length = EncodePdu(block, pdu, sizeof pdu - 1);
    int code = kSmsSent;
    std::string answer;
    if (!Exchange(block, "AT+CMGS=" + std::to_string(SubmitLength(pdu, length)) + "\r", 128,
                  answer))
        code = kSmsCommandTimeout;
    else if (answer.find('>') == std::string::npos)
        code = kSmsNoPrompt;
    else if (!Exchange(block, std::string(pdu, size_t(length)) + '\x1A', 128, answer))
        code = kSmsPduTimeout;
    else if (answer.find("ERROR") != std::string::npos)
        code = kSmsRefused;
    if (resultWindow && sink) sink->PostResult(resultWindow, code);
    return code;
}

} // namespace vantrel
