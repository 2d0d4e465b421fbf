// Shared by the recording tests: drives in a scratch folder with room to spare, the host's
// side of the recording engine, and whole files read back.
#pragma once

#include "host/engine/U_Capture.h"
#include "host/engine/U_Conversions.h"
#include "host/engine/U_DiskManager.h"
#include "host/engine/storage_testing.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::testing {

struct RecordingStorage {
    explicit RecordingStorage(const char* name) : drives(name) {
        ranges.Ranges.assign(kMaxBoardChannels, TDriveRange{'D', 'D'});
        drives.Free = [this](char) { return freeBytes; };
        files = std::make_unique<TCaptureFileList>(drives, ranges, locks, recording, faults.List,
                                                   [](DWORD) {});
        manager = std::make_unique<TDiskManager>(
            drives, ranges, *files, faults.List, drives.Base,
            TDiskManager::Hooks{[this] { return now; }, [](std::string_view) {},
                                [] { return std::string("admin"); }});
    }
    // A new second, so that the next file gets a name of its own.
    void Tick() { now += 1.0 / 86400; }

    FakeDrives drives;
    FakeRanges ranges;
    TDataLockTable locks;
    FakeRecording recording;
    FaultLog faults;
    uint64_t freeBytes = uint64_t(1) << 40;
    double now = OleDateFromParts(2026, 12, 10, 9, 0, 0);
    std::unique_ptr<TCaptureFileList> files;
    std::unique_ptr<TDiskManager> manager;
};

struct FakeCaptureHost : TCaptureHost {
    std::map<int, bool> denied;
    bool throwOnCheck = false;
    std::map<int, bool> shown;
    std::vector<std::pair<int, int>> log; // event, channel
    int minutesPerFile = 30;
    int systemChannels = 4;
    std::vector<int> netOpened, netClosed;

    bool MayRecord(int channel) override {
        if (throwOnCheck) throw 1;
        return !denied[channel];
    }
    std::function<void(int channel)> onShow;
    void ShowRecording(int channel, bool on) override {
        if (onShow) onShow(channel);
        shown[channel] = on;
    }
    void WriteLog(int event, int channel) override { log.emplace_back(event, channel); }
    int MinutesPerFile(int) override { return minutesPerFile; }
    int SystemChannelCount() override { return systemChannels; }
    bool previewing = false;
    bool PanePreviewing(int) override { return previewing; }
    void OpenNetworkRecording(int index) override { netOpened.push_back(index); }
    void CloseNetworkRecording(int index) override { netClosed.push_back(index); }
};

inline std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    dvr::win::File f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::vector<uint8_t> bytes;
    if (!f) return bytes;
    bytes.resize(::GetFileSize(f.get(), nullptr));
    DWORD got = 0;
    if (!bytes.empty()) ::ReadFile(f.get(), bytes.data(), DWORD(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
}

// What a channel replaying the fixture script `name` delivers after a capture start, at most
// `count` records.
std::vector<std::vector<uint8_t>> ScriptRecords(const std::string& name, size_t count);

} // namespace vantrel::testing
