#include "host/engine/U_MatrixKeyboard.h"

namespace vantrel {

std::string MatrixKeyboardCommand(MatrixKeyboardKind kind, MatrixButton b,
                                  const MatrixKeyboardFields& f) {
    const bool dsd = kind == MatrixKeyboardKind::DsD;
    const std::string speed = std::to_string(f.Speed);
    const std::string preset = std::to_string(f.Preset);
    const std::string aux = std::to_string(f.Aux);
    switch (b) {
    case MatrixButton::SwitchMonitor:
        return f.MonitorText + (dsd ? "M,a" : "Ma");
    case MatrixButton::SwitchVidicon:
        return f.VidiconText + (dsd ? "#,a" : "#a");
    case MatrixButton::SwitchForward:
        return dsd ? "1+a+a,S,a" : "";
    case MatrixButton::SwitchBack:
        return dsd ? "2+a+a,S,a" : "";
    case MatrixButton::LockVidicon:
        return dsd ? "1K,a" : "";
    case MatrixButton::UnlockVidicon:
        return dsd ? "2J,a" : "";
    case MatrixButton::Up:
        return speed + (dsd ? ",U,a" : "Ua");
    case MatrixButton::Down:
        return speed + (dsd ? ",D,a" : "Da");
    case MatrixButton::Left:
        return speed + (dsd ? ",L,a" : "La");
    case MatrixButton::Right:
        return speed + (dsd ? ",R,a" : "Ra");
    case MatrixButton::IrisOpen:
        return dsd ? "O,a" : "Oa";
    case MatrixButton::IrisClose:
        return dsd ? "C,a" : "Ca";
    case MatrixButton::FocusFar:
        return dsd ? "F,a" : "Fa";
    case MatrixButton::FocusNear:
        return dsd ? "N,a" : "Na";
    case MatrixButton::ZoomWide:
        return dsd ? "W,a" : "Wa";
    case MatrixButton::ZoomTele:
        return dsd ? "T,a" : "Ta";
    case MatrixButton::PresetSet:
        return preset + (dsd ? ",^,a" : "^a");
    case MatrixButton::PresetCall:
        return preset + (dsd ? ",\\,a" : "\\a");
    case MatrixButton::AuxOpen:
        return aux + (dsd ? ",A,a" : "Aa");
    case MatrixButton::AuxClose:
        return aux + (dsd ? ",B,a" : "Ba");
    case MatrixButton::AutoOpen:
        return dsd ? "3,A,a" : "";
    case MatrixButton::AutoClose:
        return dsd ? "3,B,a" : "";
    }
    return {};
}

bool MatrixButtonHeld(MatrixButton b) {
    switch (b) {
    case MatrixButton::Up:
    case MatrixButton::Down:
    case MatrixButton::Left:
    case MatrixButton::Right:
    case MatrixButton::IrisOpen:
    case MatrixButton::IrisClose:
    case MatrixButton::FocusFar:
    case MatrixButton::FocusNear:
    case MatrixButton::ZoomWide:
    case MatrixButton::ZoomTele:
        return true;
    default:
        return false;
    }
}

size_t MatrixRelayRecordLength(MatrixKeyboardKind kind) {
    return kind == MatrixKeyboardKind::DsD ? 10 : 5;
}

std::string MatrixRelayRecord(MatrixKeyboardKind kind, std::string_view command) {
    std::string record(command.substr(0, MatrixRelayRecordLength(kind)));
    record.resize(MatrixRelayRecordLength(kind), ' ');
    return record;
}

int MatrixRelayDefaultPort(MatrixKeyboardKind kind) {
    return kind == MatrixKeyboardKind::DsD ? 52100 : 52000;
}

TMatrixKeyboard::TMatrixKeyboard(MatrixKeyboardKind kind, TSerialGateway& com,
                                 std::function<void(int ms)> sleep)
    : Kind(kind), com_(com), sleep_(std::move(sleep)) {
    if (kind == MatrixKeyboardKind::Pelco232) Fields.Speed = 60;
}

void TMatrixKeyboard::SendSerial(std::string_view command) {
    SerialWrite(com_, Port, Baud, Kind == MatrixKeyboardKind::DsD ? 0 : 2, command.data(),
                int32_t(command.size()));
}

void TMatrixKeyboard::Click(MatrixButton button) {
    const std::string command = MatrixKeyboardCommand(Kind, button, Fields);
    if (!command.empty()) SendSerial(command);
}

void TMatrixKeyboard::ButtonDown(MatrixButton button) {
    HeldCommand = MatrixKeyboardCommand(Kind, button, Fields);
    if (HeldCommand.empty()) return;
    timer_ = true;
    SendSerial(HeldCommand);
}

void TMatrixKeyboard::TimerTick() {
    if (timer_) SendSerial(HeldCommand);
}

void TMatrixKeyboard::ButtonUp() {
    if (!timer_) return;
    timer_ = false;
    if (Kind == MatrixKeyboardKind::Pelco232) SendSerial("sa");
}

void TMatrixKeyboard::RelayRead(const uint8_t* data, size_t length) {
    constexpr size_t kBuffer = 2000;
    const size_t record = MatrixRelayRecordLength(Kind);
    for (size_t piece = 0; piece < length; piece += kBuffer) {
        const size_t n = length - piece < kBuffer ? length - piece : kBuffer;
        for (size_t at = 0; at + record <= n; at += record) {
            const uint8_t* r = data + piece + at;
            size_t first = 0, last = record;
            while (first < last && r[first] <= 0x20)
                ++first;
            while (last > first && r[last - 1] <= 0x20)
                --last;
            SendSerial(std::string_view(reinterpret_cast<const char*>(r) + first, last - first));
            if (sleep_) sleep_(50);
        }
    }
}

} // namespace vantrel
