// Settings of the watchdog card, the UPS monitor and the software watchdog (registry value
// "DOG"; also the payload of the remote request that sets them and of its reply).
#pragma once

#include "common/gbk.h"

#include <cstddef>
#include <cstdint>

namespace vantrel {

#pragma pack(push, 1)
struct TDogSettingsRecord {
    uint8_t CardDogOn;
    uint8_t CardDogPort; // 0 = COM1 .. 15 = COM16
    uint8_t HangRestart;
    uint8_t TimedPowerOn;
    uint8_t Unused4[4];
    double PowerOnTime; // only the time of day is used
    uint8_t UpsOn;
    uint8_t UpsPort;
    uint8_t Unused18[2];
    uint8_t SoftDogOn;
    uint8_t Unused21[11];
    dvr::PString<10> UserName; // remote writes only
    dvr::PString<10> Password;
    uint8_t Unused54[2];
};
#pragma pack(pop)
static_assert(sizeof(TDogSettingsRecord) == 56);
static_assert(offsetof(TDogSettingsRecord, TimedPowerOn) == 3);
static_assert(offsetof(TDogSettingsRecord, PowerOnTime) == 8);
static_assert(offsetof(TDogSettingsRecord, UpsOn) == 16);
static_assert(offsetof(TDogSettingsRecord, UpsPort) == 17);
static_assert(offsetof(TDogSettingsRecord, SoftDogOn) == 20);
static_assert(offsetof(TDogSettingsRecord, UserName) == 32);
static_assert(offsetof(TDogSettingsRecord, Password) == 43);

// Zeroes the enables only: the other bytes keep what they held.
void SetDogDefaults(TDogSettingsRecord& record);

// Registry side (Windows tree only).
class TDogSet {
public:
    TDogSet() { Reload(); }
    TDogSettingsRecord Record{};

    void Reload() {
        SetDefaults(Record);
        Load();
    }
    static void SetDefaults(TDogSettingsRecord& record) { SetDogDefaults(record); }
    void Load();
    // 0 written, -1 otherwise.
    static int Save(const TDogSettingsRecord& record);
};

} // namespace vantrel
