// Alarm dial-up: a remote-access connection dialled on its own thread so that the alarm
// dispatcher does not wait for it.
#pragma once

#include "host/engine/U_SettingsRecords.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace vantrel {

#pragma pack(push, 4)
// The ANSI dial parameters as the remote-access service takes them (1052 bytes).
struct TRasDialParamsA {
    uint32_t dwSize;
    char szEntryName[257];
    char szPhoneNumber[129];
    char szCallbackNumber[129];
    char szUserName[257];
    char szPassword[257];
    char szDomain[16];
};
#pragma pack(pop)
static_assert(sizeof(TRasDialParamsA) == 1052);
static_assert(offsetof(TRasDialParamsA, szPhoneNumber) == 261);
static_assert(offsetof(TRasDialParamsA, szUserName) == 519);
static_assert(offsetof(TRasDialParamsA, szPassword) == 776);
static_assert(offsetof(TRasDialParamsA, szDomain) == 1033);

// The remote-access service; the Windows one loads it by name, tests fake it.
class TRasDialer {
public:
    virtual ~TRasDialer() = default;
    // Synchronous dial; 0 on success. handle starts 0 and may be set even on failure.
    virtual uint32_t Dial(const TRasDialParamsA& params, uintptr_t& handle) = 0;
    virtual void HangUp(uintptr_t handle) = 0;
};

class TThreadRasDial {
public:
    // Created suspended.
    explicit TThreadRasDial(TRasDialer& dialer);
    ~TThreadRasDial();
    TThreadRasDial(const TThreadRasDial&) = delete;
    TThreadRasDial& operator=(const TThreadRasDial&) = delete;

    // Texts of the next dial (GBK); stored, then the thread resumed. A resume that finds the
    // thread dialling does nothing: the texts wait for the next Dial.
    void Dial(const std::string& phone, const std::string& user, const std::string& password);
    // On the caller's thread.
    void HangUp();

    uintptr_t Connection() const;
    int Dials() const;
    bool Suspended() const;

private:
    void Execute();
    void DialOnce();

    TRasDialer& dialer_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::string phone_, user_, password_;
    uintptr_t connection_ = 0;
    bool suspended_ = true;
    bool resumed_ = false;
    bool stop_ = false;
    int dials_ = 0;
    std::thread thread_;
};

// The alarm dispatcher's dial: the record's number, user and password.
inline void DialForAlarm(TThreadRasDial& ras, const TAlarmSetRecord& record) {
    ras.Dial(record.DialPhone.Get(), record.DialUser.Get(), record.DialPassword.Get());
}

} // namespace vantrel
