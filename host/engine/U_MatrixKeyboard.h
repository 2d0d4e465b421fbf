// The DS_D and Pelco232 matrix keyboards: command texts, the held-button repeat, and the relay
// that writes command records from other hosts to the keyboard's serial port.
#pragma once

#include "host/engine/U_SerialGateway.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

enum class MatrixKeyboardKind { DsD, Pelco232 };

enum class MatrixButton {
    SwitchMonitor,
    SwitchVidicon,
    SwitchForward,
    SwitchBack,
    LockVidicon,
    UnlockVidicon,
    Up,
    Down,
    Left,
    Right,
    IrisOpen,
    IrisClose,
    FocusFar,
    FocusNear,
    ZoomWide,
    ZoomTele,
    PresetSet,
    PresetCall,
    AuxOpen,
    AuxClose,
    AutoOpen,
    AutoClose
};

// The numbers the window's spin edits hold. Monitor and camera go as the edit's text.
struct MatrixKeyboardFields {
    std::string MonitorText = "1";
    std::string VidiconText = "1";
    int Preset = 1;
    int Aux = 1;
    int Speed = 8;
};

// The command of a button; empty when the keyboard has no such button.
std::string MatrixKeyboardCommand(MatrixKeyboardKind kind, MatrixButton button,
                                  const MatrixKeyboardFields& fields);
// Whether the button repeats while held.
bool MatrixButtonHeld(MatrixButton button);
// Record length on the relay: 10 DS_D, 5 Pelco232.
size_t MatrixRelayRecordLength(MatrixKeyboardKind kind);
// A command padded with spaces and cut to the record length.
std::string MatrixRelayRecord(MatrixKeyboardKind kind, std::string_view command);
// The relay's default listening port (port-table slots 5 and 6).
int MatrixRelayDefaultPort(MatrixKeyboardKind kind);

// The keyboard's serial side and held repeat, shared by the window and its relay.
class TMatrixKeyboard {
public:
    TMatrixKeyboard(MatrixKeyboardKind kind, TSerialGateway& com,
                    std::function<void(int ms)> sleep);

    const MatrixKeyboardKind Kind;
    uint8_t Port = 0; // COM1
    int32_t Baud = 9600;
    MatrixKeyboardFields Fields;
    std::string HeldCommand;
    bool TimerEnabled() const { return timer_; }

    // One command as one serial transaction (8 data bits, one stop bit; parity none for
    // DS_D, even for Pelco232); nothing is read.
    void SendSerial(std::string_view command);
    void Click(MatrixButton button);
    void ButtonDown(MatrixButton button);
    // The 70 ms timer.
    void TimerTick();
    void ButtonUp();

    // One arrival of data on a relay connection: cut into whole records from the first byte,
    // each trimmed of control characters and spaces and written, 50 ms apart. Reads above
    // the relay's 2000-byte buffer are taken in 2000-byte pieces, which hold whole records.
    void RelayRead(const uint8_t* data, size_t length);

private:
    TSerialGateway& com_;
    std::function<void(int)> sleep_;
    bool timer_ = false;
};

} // namespace vantrel
