#include "host/ui/U_ElectronMap.h"

#include <cstring>

namespace vantrel {

namespace {

template <class T> void Append(std::string& out, const T& v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

template <class T> void ReadRecords(const char*& p, int32_t n, std::vector<T>& to) {
    to.resize(size_t(n));
    if (n > 0) std::memcpy(to.data(), p, sizeof(T) * size_t(n));
    p += sizeof(T) * size_t(n);
}

} // namespace

std::string MarkerFileBytes(const TWatchers& plan) {
    std::string out;
    Append(out, int32_t(plan.Leaders.size()));
    Append(out, int32_t(plan.Cameras.size()));
    Append(out, int32_t(plan.Detectors.size()));
    for (const TMapLeader& l : plan.Leaders) Append(out, l);
    for (TMapCamera c : plan.Cameras) {
        c.Alarm = 0;
        Append(out, c);
    }
    for (TMapDetector d : plan.Detectors) {
        d.Alarm = 0;
        Append(out, d);
    }
    return out;
}

bool ParseMarkerFile(std::string_view bytes, TWatchers& plan) {
    plan.Leaders.clear();
    plan.Cameras.clear();
    plan.Detectors.clear();
    int32_t n[3];
    if (bytes.size() < sizeof n) return false;
    std::memcpy(n, bytes.data(), sizeof n);
    const uint64_t room = bytes.size() - sizeof n;
    for (int32_t c : n)
        if (c < 0 || uint64_t(c) > room) return false;
    const uint64_t need = uint64_t(n[0]) * sizeof(TMapLeader) + uint64_t(n[1]) * sizeof(TMapCamera) +
                          uint64_t(n[2]) * sizeof(TMapDetector);
    if (need > room) return false;
    const char* p = bytes.data() + sizeof n;
    ReadRecords(p, n[0], plan.Leaders);
    ReadRecords(p, n[1], plan.Cameras);
    ReadRecords(p, n[2], plan.Detectors);
    for (TMapCamera& c : plan.Cameras) c.Alarm = 0;
    for (TMapDetector& d : plan.Detectors) d.Alarm = 0;
    return true;
}

TMapLeader NewLeader() {
    TMapLeader l{};
    l.Target.Clear();
    return l;
}

TMapCamera NewCamera() {
    TMapCamera c{};
    c.Name.Clear();
    c.HostAddress.Clear();
    return c;
}

TMapDetector NewDetector() {
    TMapDetector d{};
    d.Name.Clear();
    d.HostAddress.Clear();
    return d;
}

int MarkAlarm(TWatchers& plan, const AlarmUploadRecord& record, bool raise) {
    int matched = 0;
    const std::string_view host = record.HostAddress.View();
    if (record.Kind == uint8_t(kAlarmProbe)) {
        for (TMapDetector& d : plan.Detectors)
            if (d.HostAddress.View() == host && d.Channel == record.Channel &&
                d.Input == record.Index) {
                d.Alarm = raise ? 1 : 0;
                ++matched;
            }
    } else {
        for (TMapCamera& c : plan.Cameras)
            if (c.HostAddress.View() == host && c.Channel == record.Channel) {
                c.Alarm = raise ? 1 : 0;
                ++matched;
            }
    }
    return matched;
}

void TMapAlarmQueue::Push(const AlarmUploadRecord& record) {
    std::lock_guard<std::mutex> hold(lock_);
    if (queue_.size() >= kCapacity) queue_.pop_front();
    queue_.push_back(record);
}

std::optional<AlarmUploadRecord> TMapAlarmQueue::Front() const {
    std::lock_guard<std::mutex> hold(lock_);
    if (queue_.empty()) return std::nullopt;
    return queue_.front();
}

void TMapAlarmQueue::PopFront() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!queue_.empty()) queue_.pop_front();
}

size_t TMapAlarmQueue::Size() const {
    std::lock_guard<std::mutex> hold(lock_);
    return queue_.size();
}

} // namespace vantrel
