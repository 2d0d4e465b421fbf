#include "host/engine/U_PeriphWin.h"

#include "common/win/textconv.h"
#include "host/engine/U_Arithmetic.h"

namespace vantrel {
namespace {

constexpr const char* kGsmKey = "SOFTWARE\\VQS\\GSM";
constexpr const char* kMatrixKey = "SOFTWARE\\VQS\\Matrixs";

} // namespace

void TVariableTimer::Set(bool enabled, UINT intervalMs) {
    retired_.reset();
    if (!timer_ || timer_->Interval() != intervalMs) {
        if (timer_) timer_->SetEnabled(false);
        retired_ = std::move(timer_);
        timer_ = std::make_unique<TWindowTimer>(intervalMs, [this] {
            if (onTimer_) onTimer_();
        });
    }
    timer_->SetEnabled(false);
    timer_->SetEnabled(enabled);
}

static_assert(kModemCts == MS_CTS_ON && kModemDsr == MS_DSR_ON);

std::string TGsmRegistryStore::Read(std::string_view name) {
    std::string text;
    TArithmetic::ReadRegString(HKEY_LOCAL_MACHINE, kGsmKey, text, name);
    return text;
}

void TGsmRegistryStore::Write(std::string_view name, std::string_view text) {
    TArithmetic::WriteRegString(HKEY_LOCAL_MACHINE, kGsmKey, name, text);
}

int TMatrixRegistryStore::Read(const char* name, void* buffer, int size) {
    return TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, kMatrixKey, name, buffer, size);
}

void TMatrixRegistryStore::Write(const char* name, const void* buffer, int size) {
    TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, kMatrixKey, name, buffer, size);
}

std::u16string GbkToUtf16(std::string_view gbk) {
    const std::wstring wide = dvr::win::GbkToWide(gbk);
    return std::u16string(wide.begin(), wide.end());
}

bool TRasApiDialer::Load() {
    if (!tried_) {
        tried_ = true;
        library_.reset(::LoadLibraryW(L"rasapi32.dll"));
        if (library_) {
            dial_ = ::GetProcAddress(library_.get(), "RasDialA");
            hangUp_ = ::GetProcAddress(library_.get(), "RasHangUpA");
        }
    }
    return dial_ && hangUp_;
}

uint32_t TRasApiDialer::Dial(const TRasDialParamsA& params, uintptr_t& handle) {
    if (!Load()) return ERROR_PROC_NOT_FOUND;
    using RasDialFn = DWORD(WINAPI*)(void*, LPCSTR, void*, DWORD, LPVOID, HANDLE*);
    HANDLE connection = nullptr;
    const DWORD result = reinterpret_cast<RasDialFn>(reinterpret_cast<void*>(dial_))(
        nullptr, nullptr, const_cast<TRasDialParamsA*>(&params), 0, nullptr, &connection);
    handle = reinterpret_cast<uintptr_t>(connection);
    return result;
}

void TRasApiDialer::HangUp(uintptr_t handle) {
    if (!Load() || !handle) return;
    using RasHangUpFn = DWORD(WINAPI*)(HANDLE);
    reinterpret_cast<RasHangUpFn>(reinterpret_cast<void*>(hangUp_))(
        reinterpret_cast<HANDLE>(handle));
}

bool TCOMUPSLine::IsOpen(int port) const {
    return com_.Handle(port) != INVALID_HANDLE_VALUE;
}

bool TCOMUPSLine::Open(int port) {
    if (!com_.OpenHeld(port)) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ::GetCommState(com_.Handle(port), &dcb);
    dcb.BaudRate = 9600;
    dcb.Parity = NOPARITY;
    dcb.ByteSize = 8;
    dcb.StopBits = ONESTOPBIT;
    ::SetCommState(com_.Handle(port), &dcb);
    return true;
}

bool TCOMUPSLine::ModemStatus(int port, uint32_t& status) {
    DWORD bits = 0;
    if (!::GetCommModemStatus(com_.Handle(port), &bits)) return false;
    status = bits;
    return true;
}

bool TCOMUPSLine::RaiseDTR(int port) {
    return ::EscapeCommFunction(com_.Handle(port), SETDTR) != FALSE;
}

} // namespace vantrel
