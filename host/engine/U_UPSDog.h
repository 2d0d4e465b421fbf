// The UPS monitor: once a second the UPS's modem status lines are read; three power-failure
// readings in a row start the 60-second shutdown countdown, mains back or the line lost
// cancels it.
#pragma once

#include "host/engine/U_DogSet.h"
#include "host/engine/U_UPSInfoForm.h"

#include <cstdint>

namespace vantrel {

// The modem status bits as the system reports them.
constexpr uint32_t kModemCts = 0x10;
constexpr uint32_t kModemDsr = 0x20;

// The UPS port, held open in the serial gateway's slot once opened.
class TUPSLine {
public:
    virtual ~TUPSLine() = default;
    virtual bool IsOpen(int port) const = 0;
    // Opens exclusively, keeps the handle in the port's slot and sets 9600 baud, 8N1.
    virtual bool Open(int port) = 0;
    virtual bool ModemStatus(int port, uint32_t& status) = 0;
    virtual bool RaiseDTR(int port) = 0;
    virtual void Sleep(int ms) = 0;
};

enum UpsReading : int { kUpsMains = -1, kUpsNotConnected = 0, kUpsPowerFail = 1 };

class TUPSDog {
public:
    TUPSDog(const TDogSettingsRecord& settings, TUPSLine& line, TUPSInfoForm& form);

    int PowerFailCount = 0;
    bool TimerEnabled() const { return timer_; }

    void Start();
    void Stop();
    // The countdown's end: the poll timer alone stops.
    void StopPolling() { timer_ = false; }
    int Poll();
    // The 1-second poll timer.
    void TimerTick();
    bool RaiseDTR();

private:
    const TDogSettingsRecord& settings_;
    TUPSLine& line_;
    TUPSInfoForm& form_;
    bool timer_ = false;
};

// The watchdog card (start and stop send nothing; the frames are kept for the card).
class TCardDog {
public:
    void Start() {}
    void Stop() {}
};

// A 7-byte card frame: FC, kind (1 command, 0 heartbeat), code, hour, minute, second, and the
// sum of the five bytes after FC.
void CardDogFrame(uint8_t kind, uint8_t code, int hour, int minute, int second, uint8_t frame[7]);

// Starts and stops the card and the UPS monitor from the settings.
class TDog {
public:
    TDog(const TDogSettingsRecord& settings, TCardDog& card, TUPSDog& ups);
    void ApplySettings();

private:
    const TDogSettingsRecord& settings_;
    TCardDog& card_;
    TUPSDog& ups_;
};

} // namespace vantrel
