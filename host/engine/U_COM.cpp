#include "host/engine/U_COM.h"

#include <mutex>

namespace vantrel {

std::wstring TCOM::DeviceName(int port) {
    return L"\\\\.\\COM" + std::to_wstring(port + 1);
}

dvr::win::File TCOM::OpenPort(int port) {
    return dvr::win::File(::CreateFileW(DeviceName(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
}

int TCOM::Transact(uint8_t port, int32_t baud, uint8_t parity, uint8_t byteSize, uint8_t stopBits,
                   const void* writeBuf, int32_t writeCount, bool doRead, void* readBuf,
                   uint32_t& readCount) {
    const uint32_t readSize = readCount;
    if (doRead) readCount = 0;
    if (port >= kPorts) return -1;
    int result = -1;
    std::lock_guard<dvr::win::CriticalSection> guard(locks_[port]);
    // A port held open here (the UPS monitor's) is busy even where the system would grant a
    // second open: its line settings and traffic belong to the holder.
    if (handles_[port]) return -1;
    // The transaction's own handle: the slot stays with whoever holds the port open.
    dvr::win::File file = OpenPort(port);
    if (!file) return -1;

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ::GetCommState(file.get(), &dcb);
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.Parity = parity;
    dcb.ByteSize = byteSize;
    dcb.StopBits = stopBits;
    ::SetCommState(file.get(), &dcb);

    DWORD written = 0;
    if (writeCount >= 0 && (writeBuf || writeCount == 0) &&
        ::WriteFile(file.get(), writeBuf, static_cast<DWORD>(writeCount), &written, nullptr))
        result = 0;

    if (doRead) {
        COMMTIMEOUTS timeouts{};
        ::GetCommTimeouts(file.get(), &timeouts);
        timeouts.ReadIntervalTimeout = 50;
        timeouts.ReadTotalTimeoutMultiplier = 50;
        timeouts.ReadTotalTimeoutConstant = 50;
        ::SetCommTimeouts(file.get(), &timeouts);
        DWORD got = 0;
        const bool ok = readBuf && readSize > 0 &&
                        ::ReadFile(file.get(), readBuf, readSize, &got, nullptr) != FALSE;
        readCount = got;
        if (!ok || got == 0) result = -1;
    }
    return result;
}

HANDLE TCOM::Handle(int port) const {
    if (port < 0 || port >= kPorts) return INVALID_HANDLE_VALUE;
    return handles_[size_t(port)].get();
}

bool TCOM::OpenHeld(int port) {
    if (port < 0 || port >= kPorts) return false;
    std::lock_guard<dvr::win::CriticalSection> guard(locks_[size_t(port)]);
    if (handles_[size_t(port)]) return false;
    handles_[size_t(port)] = OpenPort(port);
    return bool(handles_[size_t(port)]);
}

void TCOM::CloseHeld(int port) {
    if (port < 0 || port >= kPorts) return;
    std::lock_guard<dvr::win::CriticalSection> guard(locks_[size_t(port)]);
    handles_[size_t(port)].reset();
}

} // namespace vantrel
