// Shared by the UDP tests: an engine stand-in that keeps records in memory and notes every
// call, and helpers that build requests.
#pragma once

#include "host/engine/U_Rights.h"
#include "host/net/U_UDPMessageDispatch.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::testing {

template <typename T> std::vector<uint8_t> Bytes(const T& v) {
    std::vector<uint8_t> b(sizeof(T));
    std::memcpy(b.data(), &v, sizeof(T));
    return b;
}

struct FakeUdpHost : TUDPServerHost {
    FakeUdpHost() {
        preview = std::make_unique<TPreviewSetRecord[]>(kSettingsChannels);
        capture = std::make_unique<TCaptureSetRecord[]>(kSettingsChannels);
        alarm = std::make_unique<TAlarmSetRecord[]>(kSettingsChannels);
        autos = std::make_unique<TAutoSetRecord[]>(kSettingsChannels);
        for (int i = 0; i < kSettingsChannels; ++i) {
            std::memset(&preview[i], 0, sizeof(TPreviewSetRecord));
            std::memset(&capture[i], 0, sizeof(TCaptureSetRecord));
            std::memset(&alarm[i], 0, sizeof(TAlarmSetRecord));
            std::memset(&autos[i], 0, sizeof(TAutoSetRecord));
            preview[i].Title.Set("cam" + std::to_string(i + 1));
        }
    }

    // Remote lists as TClientCheck reads them; empty lists allow everything.
    std::vector<TRemoteUserRecord> users;
    std::vector<TRemoteIPRecord> ips;
    int boards = 4, channels = 6;
    int matrixType = 0;
    bool autoMode = false;
    WorkStateRecord state{};
    std::vector<TWorkLogRecord> log;
    std::vector<double> dayTimes;
    std::vector<int32_t> dayIndexes;
    std::map<char, std::pair<uint64_t, uint64_t>> drives;
    std::unique_ptr<TPreviewSetRecord[]> preview;
    std::unique_ptr<TCaptureSetRecord[]> capture;
    std::unique_ptr<TAlarmSetRecord[]> alarm;
    std::unique_ptr<TAutoSetRecord[]> autos;
    TYunTaiSetRecord yuntai{};
    uint8_t dog[kDogSettingsSize] = {};
    TOtherSettingsRecord other{};
    uint8_t outputs[kRemoteOutputs] = {};
    std::vector<std::string> calls;

    void Note(std::string s) { calls.push_back(std::move(s)); }

    bool CheckUser(std::string_view n, std::string_view p, int r, int i, int s) override {
        return CheckRemoteUser(users, n, p, r, i, s);
    }
    bool CheckIP(std::string_view a, int r, int i, int s) override {
        return CheckRemoteIP(ips, a, r, i, s);
    }
    int BoardChannelCount() const override { return boards; }
    int ChannelCount() const override { return channels; }
    int MatrixType() const override { return matrixType; }
    void SwitchMatrix(uint8_t in, uint8_t out) override {
        Note("matrix " + std::to_string(in) + " " + std::to_string(out));
    }
    WorkStateRecord CaptureWorkState() override {
        Note("state");
        return state;
    }
    int ReadWorkLog(int first, TWorkLogRecord* buffer, int count) override {
        int n = 0;
        for (; n < count && first >= 0 && first + n < int(log.size()); ++n)
            buffer[n] = log[size_t(first + n)];
        return n;
    }
    int WorkLogRecordCount() override { return int(log.size()); }
    void ListWorkLogDays(std::vector<double>& t, std::vector<int32_t>& i) override {
        t = dayTimes;
        i = dayIndexes;
    }
    bool FixedDriveSpace(char letter, uint64_t& total, uint64_t& free) override {
        auto it = drives.find(letter);
        if (it == drives.end()) return false;
        total = it->second.first;
        free = it->second.second;
        return true;
    }
    TPreviewSetRecord* PreviewRecords() override { return preview.get(); }
    TCaptureSetRecord* CaptureRecords() override { return capture.get(); }
    TAlarmSetRecord* AlarmRecords() override { return alarm.get(); }
    TAutoSetRecord* AutoRecords() override { return autos.get(); }
    TYunTaiSetRecord& YunTaiSettings() override { return yuntai; }
    uint8_t* DogSettings() override { return dog; }
    TOtherSettingsRecord& OtherSettings() override { return other; }
    bool RemoteListsInUse() override { return RemoteUsersInUse(users) || RemoteIPsInUse(ips); }
    bool AddressListed(std::string_view a) override { return RemoteAddressListed(ips, a); }
    void SavePreviewRecords() override { Note("save preview"); }
    void SaveCaptureRecords() override { Note("save capture"); }
    void SaveAlarmRecords() override { Note("save alarm"); }
    void SaveAutoRecords() override { Note("save auto"); }
    void SaveYunTaiSettings() override { Note("save yuntai"); }
    void SaveDogSettings() override { Note("save dog"); }
    void SaveOtherSettings() override { Note("save other"); }
    void PostToMainForm(unsigned m, intptr_t w, intptr_t l) override {
        Note("post " + std::to_string(m) + " " + std::to_string(w) + " " + std::to_string(l));
    }
    void SetPictureParams(int ch, const TPictureParams& p) override {
        Note("picture " + std::to_string(ch) + " " + std::to_string(p.Brightness));
    }
    void SubscribeAlarms(int ch, const std::string& a, int port) override {
        Note("subscribe " + std::to_string(ch) + " " + a + " " + std::to_string(port));
    }
    uint8_t* RemoteOutputStates() override { return outputs; }
    void SendAlarmOutputs(int type, int port, int address, const uint8_t*) override {
        Note("outputs " + std::to_string(type) + " " + std::to_string(port) + " " +
             std::to_string(address));
    }
    void SetLocalTime(double t) override { Note("time " + std::to_string(t)); }
    bool AutoMode() const override { return autoMode; }
    void ToggleAutoWork() override {
        autoMode = !autoMode;
        Note(autoMode ? "auto on" : "auto off");
    }
    void PtzStart(int ch, int c, int v1, int v2) override {
        Note("ptz start " + std::to_string(ch) + " " + std::to_string(c) + " " +
             std::to_string(v1) + " " + std::to_string(v2));
    }
    void PtzStop(int ch, int c, int, int) override {
        Note("ptz stop " + std::to_string(ch) + " " + std::to_string(c));
    }
    void StartRecording(int ch) override { Note("record " + std::to_string(ch)); }
    void StopRecording(int ch) override { Note("unrecord " + std::to_string(ch)); }
    void StartDetection(int ch) override { Note("detect " + std::to_string(ch)); }
    void StopDetection(int ch) override { Note("undetect " + std::to_string(ch)); }
    void OpenPreview(int ch) override { Note("preview " + std::to_string(ch)); }
    void ClosePreview(int ch) override { Note("unpreview " + std::to_string(ch)); }
};

// A remote user in use with every right, then `refuse` applied.
inline TRemoteUserRecord RemoteUser(const char* name, const char* password) {
    TRemoteUserRecord r;
    SetRemoteUserDefaults(r);
    r.InUse = 1;
    r.UserName.Set(name);
    r.Password.Set(password);
    return r;
}

inline TRemoteIPRecord RemoteIP(const char* address) {
    TRemoteIPRecord r;
    SetRemoteIPDefaults(r);
    r.InUse = 1;
    r.Address.Set(address);
    return r;
}

} // namespace vantrel::testing
