// The host's single gateway to the serial ports COM1..COM16. Every device frame is one
// transaction (open, set the line, write, optionally read, close) under the port's lock; the
// UPS monitor alone keeps a port open, its handle held in the port's slot.
#pragma once

#include "common/win/handles.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

namespace vantrel {

class TCOM {
public:
    static constexpr int kPorts = 16;

    TCOM() = default;
    TCOM(const TCOM&) = delete;
    TCOM& operator=(const TCOM&) = delete;

    // port 0..15 is COM1..COM16. parity 0 none, 1 odd, 2 even, 3 mark, 4 space; stopBits 0 one,
    // 1 one and a half, 2 two. readCount is the buffer's size on entry and the bytes received
    // on return. 0 when the write succeeded and, with doRead, at least one byte came back;
    // else -1. A port that cannot be opened exclusively gets nothing written.
    int Transact(uint8_t port, int32_t baud, uint8_t parity, uint8_t byteSize, uint8_t stopBits,
                 const void* writeBuf, int32_t writeCount, bool doRead, void* readBuf,
                 uint32_t& readCount);

    // The held handle of a port's slot (INVALID_HANDLE_VALUE when none).
    HANDLE Handle(int port) const;
    // Opens a port for the caller that keeps it open and holds the handle in its slot;
    // false when the port is out of range, already held or cannot be opened.
    bool OpenHeld(int port);
    // Closes the held handle of a port.
    void CloseHeld(int port);

    // "\\.\COM" and the 1-based number: the plain name works only for COM1..COM9.
    static std::wstring DeviceName(int port);

private:
    static dvr::win::File OpenPort(int port);

    std::array<dvr::win::File, kPorts> handles_;
    std::array<dvr::win::CriticalSection, kPorts> locks_;
};

} // namespace vantrel
