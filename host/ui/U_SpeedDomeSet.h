// The speed-dome presets of every channel: the file records, list editing, the preset tour's
// step and the alarm links. No window here: F_SpeedDomeForm drives it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

constexpr int kDomeChannels = 49;
constexpr int kDomeListEntries = 366;

#pragma pack(push, 1)
struct SpeedDomeRecord {
    struct TourEntry {
        uint8_t Enabled;
        uint8_t Pad[3];
        int32_t Preset; // -1 ends the list
        int32_t DwellSeconds;
    };
    struct AlarmLink {
        int32_t Preset; // -1 ends the list
        uint8_t Input;  // probe input, 1-based
        uint8_t Pad[3];
    };
    int32_t LinePoint1;
    int32_t LinePoint2;
    TourEntry Tour[kDomeListEntries];
    uint8_t TourEnabled;
    uint8_t Pad1[3];
    AlarmLink Links[kDomeListEntries];
    uint8_t LinksEnabled;
    uint8_t Pad2[3];
};
#pragma pack(pop)
static_assert(sizeof(SpeedDomeRecord::TourEntry) == 12);
static_assert(sizeof(SpeedDomeRecord::AlarmLink) == 8);
static_assert(sizeof(SpeedDomeRecord) == 7336);
static_assert(offsetof(SpeedDomeRecord, Tour) == 8);
static_assert(offsetof(SpeedDomeRecord, TourEnabled) == 4400);
static_assert(offsetof(SpeedDomeRecord, Links) == 4404);
static_assert(offsetof(SpeedDomeRecord, LinksEnabled) == 7332);

// Points 0, enables 0, every preset -1, all else 0.
void SetDomeDefaults(SpeedDomeRecord& r);
// Entries before the end marker (at most 366).
int TourLength(const SpeedDomeRecord& r);
int LinkLength(const SpeedDomeRecord& r);
// Stores in the first entry whose preset is negative; false when the list is full.
bool AppendTourEntry(SpeedDomeRecord& r, int preset, int dwellSeconds);
bool AppendAlarmLink(SpeedDomeRecord& r, int preset, int input);
// Moves the entries behind `index` up to the end marker one place up; the vacated entry
// becomes an end marker.
void DeleteTourEntry(SpeedDomeRecord& r, int index);
void DeleteAlarmLink(SpeedDomeRecord& r, int index);
// The preset of the first link (of all 366) whose input equals `input` and whose preset is not
// negative; -1 when none.
int PresetForInput(const SpeedDomeRecord& r, int input);

// The records of all channels, as held by the window.
struct SpeedDomeSet {
    SpeedDomeRecord Records[kDomeChannels];
    // Run-time tour state, per channel.
    uint16_t TourIndex[kDomeChannels] = {};
    uint16_t Seconds[kDomeChannels] = {};
    uint16_t DwellLimit[kDomeChannels] = {};

    SpeedDomeSet();
    // Defaults, then the complete records the file bytes hold (at most 49).
    void Load(const std::string& fileBytes);
    std::string Bytes() const;
    // One tick of the tour timer over channels 0 .. channelCount - 1; calls `step`(channel,
    // entry index) for every tour point due now.
    template <class F> void Tick(int channelCount, F step);
};

// The per-channel part of a tick: the entry index due now, or -1.
int TourTickChannel(SpeedDomeRecord& r, uint16_t& index, uint16_t& seconds, uint16_t& limit);

template <class F> void SpeedDomeSet::Tick(int channelCount, F step) {
    const int n = channelCount < kDomeChannels ? channelCount : kDomeChannels;
    for (int i = 0; i < n; ++i)
        if (Records[i].TourEnabled) ++Seconds[i];
    for (int j = 0; j < n; ++j) {
        if (!Records[j].TourEnabled) continue;
        const int r = TourTickChannel(Records[j], TourIndex[j], Seconds[j], DwellLimit[j]);
        if (r >= 0) step(j, r);
    }
}

} // namespace vantrel
