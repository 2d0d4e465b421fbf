// SMS through a GSM modem on a serial port: AT commands in PDU mode, the text in UCS-2, and the
// remembered service-centre and recipient numbers.
#pragma once

#include "host/engine/U_SerialGateway.h"
#include "host/engine/U_SettingsRecords.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

constexpr unsigned WM_SMSRESULT = 0x426;

// Result codes of the set-up and the send.
enum SmsResult : int {
    kSmsSent = 1,
    kSmsNoPduMode = -1,
    kSmsNoCentre = -2,
    kSmsCommandTimeout = -3,
    kSmsNoPrompt = -4,
    kSmsPduTimeout = -5,
    kSmsRefused = -6,
};
// The text the manual window shows for a code (UTF-8); empty for 0 and unknown codes.
std::string_view SmsResultText(int code);

// Registry values "SCA" and "TPA" of key "SOFTWARE\VQS\GSM" (GBK text).
class TGsmNumberStore {
public:
    virtual ~TGsmNumberStore() = default;
    virtual std::string Read(std::string_view name) = 0;
    virtual void Write(std::string_view name, std::string_view text) = 0;
};

// Where results are posted (WM_SMSRESULT, lParam 0); window 0 means none.
class TSmsResultSink {
public:
    virtual ~TSmsResultSink() = default;
    virtual void PostResult(uintptr_t window, int code) = 0;
};

// GBK text to UTF-16.
using TGbkToUtf16 = std::function<std::u16string(std::string_view)>;

// Splits at every "|"; what follows the last one is dropped.
std::vector<std::string> SplitNumberList(std::string_view text);
std::string JoinNumberList(const std::vector<std::string>& list);

// The manual window's message: the port's list position, the first 15 characters of the two
// numbers and the first 140 bytes of the text (whole characters), Pid 0, Dcs 8.
SmsMessageBlock ManualSmsBlock(uint8_t port, std::string_view centre, std::string_view phone,
                               std::string_view text);
// Appends every number of `shown` that `kept` lacks (the window's close).
void MergeNumbers(std::vector<std::string>& kept, const std::vector<std::string>& shown);

// Text characters one message carries (140 octets of UCS-2).
constexpr size_t kSmsMaxChars = 70;

class TGSMCtrl {
public:
    TGSMCtrl(TSerialGateway& com, TGsmNumberStore& store, TGbkToUtf16 toUtf16);

    bool ModemReady = false;
    std::vector<std::string> CentreNumbers, PhoneNumbers;

    void LoadNumbers();
    void SaveNumbers(const std::vector<std::string>& centres,
                     const std::vector<std::string>& phones);
    int InitModem(const SmsMessageBlock& block);
    // Upper-case hexadecimal PDU, 0-terminated in buffer; its length in characters (0 when
    // the buffer is too small).
    int EncodePdu(const SmsMessageBlock& block, char* buffer, int size) const;
    // The octets of the PDU after the service-centre part: the AT+CMGS length.
    static int SubmitLength(const char* pdu, int length);
    int SendSms(const SmsMessageBlock& block, uintptr_t resultWindow, TSmsResultSink* sink);

private:
    // One exchange on the block's port; the answer or nothing when the transaction failed.
    bool Exchange(const SmsMessageBlock& block, const std::string& out, size_t readSize,
                  std::string& answer);

    TSerialGateway& com_;
    TGsmNumberStore& store_;
    TGbkToUtf16 toUtf16_;
};

} // namespace vantrel
