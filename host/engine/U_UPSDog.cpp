#include "host/engine/U_UPSDog.h"

namespace vantrel {

TUPSDog::TUPSDog(const TDogSettingsRecord& settings, TUPSLine& line, TUPSInfoForm& form)
    : settings_(settings), line_(line), form_(form) {}

void TUPSDog::Start() {
    timer_ = true;
    PowerFailCount = 0;
}

void TUPSDog::Stop() {
    timer_ = false;
    form_.SetLabels("", "");
    PowerFailCount = 0;
}

int TUPSDog::Poll() {
    if (!settings_.UpsOn) return kUpsMains;
    const int port = settings_.UpsPort;
    if (!line_.IsOpen(port) && !line_.Open(port)) return kUpsNotConnected;
    uint32_t status = 0;
    if (!line_.ModemStatus(port, status)) return kUpsNotConnected;
    if (status & kModemCts) return kUpsMains;
    if (!line_.RaiseDTR(port)) return kUpsNotConnected;
    line_.Sleep(25);
    if (!line_.ModemStatus(port, status)) return kUpsNotConnected;
    return (status & kModemDsr) ? kUpsPowerFail : kUpsNotConnected;
}

bool TUPSDog::RaiseDTR() {
    return line_.RaiseDTR(settings_.UpsPort);
}

void TUPSDog::TimerTick() {
    if (!timer_) return;
    switch (Poll()) {
    case kUpsPowerFail:
        ++PowerFailCount;
        if (PowerFailCount >= 3 && !form_.TimerRunning()) {
            form_.SetLabels(kUpsPowerFailText, "");
            form_.Counter = 0;
            form_.StartTimer();
            form_.Show();
        }
        break;
    case kUpsNotConnected:
        form_.StopTimer();
        form_.Counter = 0;
        PowerFailCount = 0;
        if (form_.Label1 != kUpsNotConnectedText) {
            form_.SetLabels(kUpsNotConnectedText, "");
            form_.Show();
        }
        break;
    default:
        form_.SetLabels("", "");
        form_.StopTimer();
        form_.Counter = 0;
        form_.Close();
        PowerFailCount = 0;
    }
}

void CardDogFrame(uint8_t kind, uint8_t code, int hour, int minute, int second, uint8_t frame[7]) {
    frame[0] = 0xFC;
    frame[1] = kind;
    frame[2] = code;
    frame[3] = uint8_t(hour);
    frame[4] = uint8_t(minute);
    frame[5] = uint8_t(second);
    frame[6] = uint8_t(frame[1] + frame[2] + frame[3] + frame[4] + frame[5]);
}

TDog::TDog(const TDogSettingsRecord& settings, TCardDog& card, TUPSDog& ups)
    : settings_(settings), card_(card), ups_(ups) {
    ApplySettings();
}

void TDog::ApplySettings() {
    if (settings_.CardDogOn)
        card_.Start();
    else
        card_.Stop();
    if (settings_.UpsOn)
        ups_.Start();
    else
        ups_.Stop();
}

} // namespace vantrel
