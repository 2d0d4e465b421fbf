#include "host/ui/U_SpeedDomeSet.h"

#include <cstring>

namespace vantrel {

void SetDomeDefaults(SpeedDomeRecord& r) {
    std::memset(&r, 0, sizeof r);
    for (auto& e : r.Tour)
        e.Preset = -1;
    for (auto& e : r.Links)
        e.Preset = -1;
}

int TourLength(const SpeedDomeRecord& r) {
    int n = 0;
    while (n < kDomeListEntries && r.Tour[n].Preset >= 0)
        ++n;
    return n;
}

int LinkLength(const SpeedDomeRecord& r) {
    int n = 0;
    while (n < kDomeListEntries && r.Links[n].Preset >= 0)
        ++n;
    return n;
}

bool AppendTourEntry(SpeedDomeRecord& r, int preset, int dwellSeconds) {
    for (auto& e : r.Tour)
        if (e.Preset < 0) {
            e.Enabled = 0;
            e.Preset = preset;
            e.DwellSeconds = dwellSeconds;
            return true;
        }
    return false;
}

bool AppendAlarmLink(SpeedDomeRecord& r, int preset, int input) {
    for (auto& e : r.Links)
        if (e.Preset < 0) {
            e.Preset = preset;
            e.Input = uint8_t(input);
            return true;
        }
    return false;
}

void DeleteTourEntry(SpeedDomeRecord& r, int index) {
    const int n = TourLength(r);
    if (index < 0 || index >= n) return;
    for (int k = index; k + 1 < n; ++k)
        r.Tour[k] = r.Tour[k + 1];
    r.Tour[n - 1] = {};
    r.Tour[n - 1].Preset = -1;
}

void DeleteAlarmLink(SpeedDomeRecord& r, int index) {
    const int n = LinkLength(r);
    if (index < 0 || index >= n) return;
    for (int k = index; k + 1 < n; ++k)
        r.Links[k] = r.Links[k + 1];
    r.Links[n - 1] = {};
    r.Links[n - 1].Preset = -1;
}

int PresetForInput(const SpeedDomeRecord& r, int input) {
    for (const auto& e : r.Links)
        if (e.Input == input && e.Preset >= 0) return e.Preset;
    return -1;
}

SpeedDomeSet::SpeedDomeSet() {
    for (auto& r : Records)
        SetDomeDefaults(r);
}

void SpeedDomeSet::Load(const std::string& fileBytes) {
    for (auto& r : Records)
        SetDomeDefaults(r);
    size_t n = fileBytes.size() / sizeof(SpeedDomeRecord);
    if (n > size_t(kDomeChannels)) n = kDomeChannels;
    for (size_t i = 0; i < n; ++i)
        std::memcpy(&Records[i], fileBytes.data() + i * sizeof(SpeedDomeRecord),
                    sizeof(SpeedDomeRecord));
}

std::string SpeedDomeSet::Bytes() const {
    return std::string(reinterpret_cast<const char*>(Records), sizeof Records);
}

int TourTickChannel(SpeedDomeRecord& rec, uint16_t& index, uint16_t& seconds, uint16_t& limit) {
    int r = index;
    // A stale index past the list (entries deleted meanwhile) starts the tour over.
    if (r >= kDomeListEntries || rec.Tour[r].Preset < 0) {
        index = 0;
        return -1;
    }
    while (!rec.Tour[r].Enabled) {
        ++r;
        if (r > kDomeListEntries - 2 || rec.Tour[r].Preset < 0) {
            r = 0;
            break;
        }
    }
    index = uint16_t(r);
    if (!rec.Tour[r].Enabled || seconds < limit) return -1;
    limit = uint16_t(rec.Tour[r].DwellSeconds);
    seconds = 0;
    index = uint16_t(r + 1);
    return r;
}

} // namespace vantrel
