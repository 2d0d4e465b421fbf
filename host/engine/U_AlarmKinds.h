// Alarm kinds, the messages between detection and dispatcher, the latches they share and the
// record sent to maps and viewers. No Win32 here: both trees build it.
#pragma once

#include "host/engine/U_SettingsRecords.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantrel {

constexpr char kAlarmVideoLoss = '=';
constexpr char kAlarmMotion = '>';
constexpr char kAlarmProbe = '?';

// Row of OutputMap and of the sound flags; -1 for a character that names no kind.
constexpr int AlarmKindIndex(int kind) {
    return kind >= kAlarmVideoLoss && kind <= kAlarmProbe ? kind - kAlarmVideoLoss : -1;
}
// Work-log events: 19..21 the start of each kind; 18 armed, 22 disarmed or ended.
constexpr int AlarmKindLogEvent(int kind) {
    return kind - 42;
}
constexpr int kLogDetectionStarted = 18;
constexpr int kLogDetectionStopped = 22;

constexpr unsigned WM_ALARMRAISED = 0x401;
constexpr unsigned WM_ALARMCLEARED = 0x40B;
constexpr unsigned WM_ALARMKEEPEND = 0x55E;
constexpr unsigned WM_AUTOFULLSCREEN = 0x427;
constexpr unsigned WM_EMAPALARM = 0x408;
constexpr unsigned WM_CALLPRESET = 0x40A;

constexpr int kKeepEndStopRecording = 1;
constexpr int kKeepEndEndAlarm = 2;

constexpr uint32_t kColourGreen = 0x00FF00;
constexpr uint32_t kColourRed = 0x0000FF;

// lParam of WM_ALARMRAISED: kind in the low byte, area or input in the next.
constexpr long RaisedParam(char kind, int index) {
    return index * 256L + kind;
}

// Which alarms have been handled and not cleared; byte flags read by the detection threads
// without locks.
class TAlarmLatches {
public:
    TAlarmLatches() { ClearAll(); }
    std::atomic<uint8_t> VideoLoss[kSettingsChannels];
    std::atomic<uint8_t> Motion[kSettingsChannels][kAlarmAreas];
    std::atomic<uint8_t> Probe[kSettingsChannels][kBoxPoints];

    void ClearAll();
    // '=' the video-loss latch, '>' the 7 motion latches, '?' the 16 probe latches.
    void Clear(int channel, int kind);
    // Null for a channel, kind or index with no latch.
    std::atomic<uint8_t>* Find(int channel, int kind, int index);
};

#pragma pack(push, 1)
struct AlarmUploadRecord {
    PString<50> HostAddress;
    PString<50> ViewerAddress;
    uint8_t Channel;
    uint8_t Kind;
    uint8_t Index;
    uint8_t Zero105[7];
    double Time;
    uint8_t InBoxAddress;
    uint8_t Zero121[7];
};
#pragma pack(pop)
static_assert(sizeof(AlarmUploadRecord) == 128);
static_assert(offsetof(AlarmUploadRecord, HostAddress) == 0);
static_assert(offsetof(AlarmUploadRecord, ViewerAddress) == 51);
static_assert(offsetof(AlarmUploadRecord, Channel) == 102);
static_assert(offsetof(AlarmUploadRecord, Kind) == 103);
static_assert(offsetof(AlarmUploadRecord, Index) == 104);
static_assert(offsetof(AlarmUploadRecord, Zero105) == 105);
static_assert(offsetof(AlarmUploadRecord, Time) == 112);
static_assert(offsetof(AlarmUploadRecord, InBoxAddress) == 120);
static_assert(offsetof(AlarmUploadRecord, Zero121) == 121);

// A motion area in the coordinates of the 352 x 288 picture the board analyses.
struct MotionArea {
    int Left, Top, Right, Bottom;
    bool operator==(const MotionArea&) const = default;
};

// The kinds a detection mode starts: -1 those enabled in the record, 0 none, 1..12 the
// schedule's work types (odd detection alone, even with recording).
std::vector<char> DetectionKindsForMode(int mode, const TAlarmSetRecord& record);
// The areas handed to the board: the whole picture when the record has none.
std::vector<MotionArea> BuildMotionAreas(const TAlarmSetRecord& record);
// Area k's outline inside a pane of the given size.
MotionArea PlaceOutline(const AlarmAreaFraction& area, int width, int height);
// Halves to even, as the board areas and outlines are rounded.
int RoundHalfEven(double v);

} // namespace vantrel
