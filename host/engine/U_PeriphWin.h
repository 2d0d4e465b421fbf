// The Windows sides of the peripheral units: their registry values, the remote-access service,
// the UPS port held in TCOM's slot, and the GBK text of an SMS as UTF-16.
#pragma once

#include "host/engine/T_ThreadRasDial.h"
#include "host/engine/U_COM.h"
#include "host/engine/U_GSMCtrl.h"
#include "host/engine/U_MatrixsCtrl.h"
#include "host/engine/U_UPSDog.h"

#include "common/win/handles.h"
#include "host/engine/U_WindowTimer.h"

#include <windows.h>

#include <functional>
#include <memory>

namespace vantrel {

// A window timer whose interval can change, for the repeat, stepping and poll timers of the
// peripherals. Setting it (re)starts the count from now, as a window timer's new interval does.
class TVariableTimer {
public:
    explicit TVariableTimer(std::function<void()> onTimer) : onTimer_(std::move(onTimer)) {}
    void Set(bool enabled, UINT intervalMs);
    bool Enabled() const { return timer_ && timer_->Enabled(); }
    UINT Interval() const { return timer_ ? timer_->Interval() : 0; }

private:
    std::function<void()> onTimer_;
    std::unique_ptr<TWindowTimer> timer_;
    // A timer replaced from inside its own tick lives until the next change.
    std::unique_ptr<TWindowTimer> retired_;
};

// "SCA" and "TPA" of HKLM "SOFTWARE\VQS\GSM".
class TGsmRegistryStore : public TGsmNumberStore {
public:
    std::string Read(std::string_view name) override;
    void Write(std::string_view name, std::string_view text) override;
};

// "Matrixs", "XM" and "XM_Group" of HKLM "SOFTWARE\VQS\Matrixs", read and written whole.
class TMatrixRegistryStore : public TMatrixStore {
public:
    int Read(const char* name, void* buffer, int size) override;
    void Write(const char* name, const void* buffer, int size) override;
};

// GBK (code page 936) to UTF-16.
std::u16string GbkToUtf16(std::string_view gbk);

// RasDialA and RasHangUpA of rasapi32.dll, looked up when first used; without the library
// every dial fails.
class TRasApiDialer : public TRasDialer {
public:
    uint32_t Dial(const TRasDialParamsA& params, uintptr_t& handle) override;
    void HangUp(uintptr_t handle) override;

private:
    bool Load();
    dvr::win::Module library_;
    FARPROC dial_ = nullptr, hangUp_ = nullptr;
    bool tried_ = false;
};

// The UPS port, opened once and kept in TCOM's slot for the rest of the run.
class TCOMUPSLine : public TUPSLine {
public:
    explicit TCOMUPSLine(TCOM& com) : com_(com) {}
    bool IsOpen(int port) const override;
    bool Open(int port) override;
    bool ModemStatus(int port, uint32_t& status) override;
    bool RaiseDTR(int port) override;
    void Sleep(int ms) override { ::Sleep(DWORD(ms)); }

private:
    TCOM& com_;
};

} // namespace vantrel
