// The electronic map's plans: the marker files, alarm matching and the alarm queue. No Win32
// here: both trees build it.
#pragma once

#include "host/engine/U_AlarmKinds.h"
#include "host/engine/U_HostRecords.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

#pragma pack(push, 1)
// A link to another plan.
struct TMapLeader {
    PString<40> Target;
    uint8_t Pad41[7];
    double X, Y; // fractions of the plan panel's width and height
};
struct TMapCamera {
    PString<20> Name;
    PString<50> HostAddress;
    PString<50> Reserved72;
    PString<50> Reserved123;
    uint8_t Channel;
    uint8_t Alarm;
    double X, Y;
};
struct TMapDetector {
    PString<20> Name;
    PString<50> HostAddress;
    PString<50> Reserved72;
    PString<50> Reserved123;
    uint8_t Channel;
    uint8_t Input;
    uint8_t Alarm;
    uint8_t Pad177[7];
    double X, Y;
};
#pragma pack(pop)
static_assert(sizeof(TMapLeader) == 64);
static_assert(offsetof(TMapLeader, Target) == 0);
static_assert(offsetof(TMapLeader, Pad41) == 41);
static_assert(offsetof(TMapLeader, X) == 48);
static_assert(offsetof(TMapLeader, Y) == 56);
static_assert(sizeof(TMapCamera) == 192);
static_assert(offsetof(TMapCamera, HostAddress) == 21);
static_assert(offsetof(TMapCamera, Reserved72) == 72);
static_assert(offsetof(TMapCamera, Reserved123) == 123);
static_assert(offsetof(TMapCamera, Channel) == 174);
static_assert(offsetof(TMapCamera, Alarm) == 175);
static_assert(offsetof(TMapCamera, X) == 176);
static_assert(offsetof(TMapCamera, Y) == 184);
static_assert(sizeof(TMapDetector) == 200);
static_assert(offsetof(TMapDetector, Channel) == 174);
static_assert(offsetof(TMapDetector, Input) == 175);
static_assert(offsetof(TMapDetector, Alarm) == 176);
static_assert(offsetof(TMapDetector, Pad177) == 177);
static_assert(offsetof(TMapDetector, X) == 184);
static_assert(offsetof(TMapDetector, Y) == 192);

// One plan's markers, attached to its tree node.
struct TWatchers {
    std::string Name; // GBK, at most 40 bytes
    std::vector<TMapLeader> Leaders;
    std::vector<TMapCamera> Cameras;
    std::vector<TMapDetector> Detectors;
};

// The marker file: three int32 counts, then the links, cameras and detectors. Alarm flags are
// written as 0.
std::string MarkerFileBytes(const TWatchers& plan);
// Reads a marker file's bytes into plan's lists. A header whose counts do not fit the bytes
// (negative, or more records than the file holds) gives an empty plan.
bool ParseMarkerFile(std::string_view bytes, TWatchers& plan);

// A new marker: empty texts at 0, 0.
TMapLeader NewLeader();
TMapCamera NewCamera();
TMapDetector NewDetector();

// Sets the alarm flag of every marker of the plan the record names: for an alarm input the
// detectors of that host, channel and input; otherwise the cameras of that host and channel.
// Returns how many markers matched.
int MarkAlarm(TWatchers& plan, const AlarmUploadRecord& record, bool raise);

// A marker's pixel position from its fraction of the panel.
inline int MarkerPixel(int panelSize, double fraction) {
    return int(std::lround(double(panelSize) * fraction));
}
// A link marker's width for its text.
inline int LeaderWidth(std::string_view target) {
    return 6 * int(target.size()) + 36;
}
// The picture index of a camera or detector: 0 normal, 1 selected, 2 alarm, 3 both.
inline int MarkerPicture(bool alarm, bool selected) {
    return (alarm ? 2 : 0) + (selected ? 1 : 0);
}

// The alarm records waiting for the window; filled from any thread. Other hosts fill it too,
// so it holds at most kCapacity records: a full queue drops its oldest.
class TMapAlarmQueue {
public:
    static constexpr size_t kCapacity = 1024;
    void Push(const AlarmUploadRecord& record);
    std::optional<AlarmUploadRecord> Front() const;
    void PopFront();
    size_t Size() const;

private:
    mutable std::mutex lock_;
    std::deque<AlarmUploadRecord> queue_;
};

} // namespace vantrel
