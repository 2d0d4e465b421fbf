#include "host/engine/U_Capture.h"

#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_DiskManager.h"
#include "host/engine/U_HostMessages.h"

#include "common/win/textconv.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>
#include <mutex>

namespace vantrel {

namespace {
constexpr int kEventRecordingStarted = 15;
constexpr int kEventRecordingStopped = 16;
constexpr int kRightRecord = 4;
constexpr double kCaptureFaultPeriodDays = 60.0 / 86400;

// Flushes and closes a file that no slot holds any more.
void FlushAndCloseRecording(intptr_t handle) {
    if (handle == -1) return;
    ::FlushFileBuffers(reinterpret_cast<HANDLE>(handle));
    TDiskManager::CloseRecordingFile("", handle, 0);
}
} // namespace

class TCapture::AfterUnlock {
public:
    AfterUnlock() = default;
    AfterUnlock(const AfterUnlock&) = delete;
    AfterUnlock& operator=(const AfterUnlock&) = delete;
    ~AfterUnlock() {
        for (const auto& step : steps_) {
            try {
                step();
            } catch (...) {
            }
        }
    }
    void Add(std::function<void()> step) { steps_.push_back(std::move(step)); }

private:
    std::vector<std::function<void()>> steps_;
};

TCapture::TCapture(TBoardEncoders& board, TDiskManager& disks, TCaptureFileList& files,
                   TCaptureHost& host)
    : board_(board), disks_(disks), files_(files), host_(host),
      flushStop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    static_assert(kRightRecord == 4);
    Writer = [](intptr_t handle, const uint8_t* data, int length, bool* full) {
        return TDiskManager::WriteRecordingFile(handle, data, length, full);
    };
    for (int i = 0; i < kMaxBoardChannels; ++i) {
        PreAlarm[i].PreAlarmChain = std::make_unique<TChain>(kPreAlarmCapacity);
        Slots[i].Channel = i;
    }
    flushThread_.reset(::CreateThread(
        nullptr, 0,
        [](LPVOID self) -> DWORD {
            auto& c = *static_cast<TCapture*>(self);
            while (::WaitForSingleObject(c.flushStop_.get(), kRecordingFlushMs) == WAIT_TIMEOUT)
                c.FlushOpenFiles();
            return 0;
        },
        this, 0, nullptr));
}

TCapture::~TCapture() {
    ::SetEvent(flushStop_.get());
    if (flushThread_) ::WaitForSingleObject(flushThread_.get(), INFINITE);
}

void TCapture::FlushOpenFiles() {
    for (int channel = 0; channel < kMaxBoardChannels; ++channel) {
        // A duplicate keeps the file usable when the slot switches it meanwhile, and the
        // flush runs without the lock so that records keep flowing.
        HANDLE copy = nullptr;
        {
            std::lock_guard guard(Locks[channel]);
            const intptr_t handle = Slots[channel].FileHandle;
            if (handle == -1) continue;
            if (!::DuplicateHandle(::GetCurrentProcess(), reinterpret_cast<HANDLE>(handle),
                                   ::GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
                continue;
        }
        dvr::win::File owned(copy);
        ::FlushFileBuffers(owned.get());
    }
}

bool TCapture::IsBoardChannel(int channel) const {
    return channel < board_.ChannelCount();
}

int TCapture::StartChannel(int channel, char request, int recordingType) {
    if (channel < 0 || channel >= kMaxBoardChannels) return -1;
    try {
        if (!host_.MayRecord(channel)) return -1;
    } catch (...) {
        return -1;
    }
    Slots[channel].RequestedType = recordingType;
    if (IsBoardChannel(channel)) {
        if (request == ')') return StartRecording(channel, recordingType, true);
        if (request == '*') return StartLiveEncoder(channel);
    } else if (request == '+') {
        return StartNetworkRecording(channel, recordingType);
    }
    return -1;
}

int TCapture::StopChannel(int channel, char request) {
    if (channel < 0 || channel >= kMaxBoardChannels) return -1;
    try {
        if (!host_.MayRecord(channel)) return -1;
    } catch (...) {
        // a failing check does not keep a recording running
    }
    return IsBoardChannel(channel) ? StopRecording(channel, request) : StopNetworkChannel(channel);
}

// Called under the slot lock. A failing disk reports once a minute per channel, not once a
// record (25 lines a second would bury every other line of the window).
void TCapture::ReportFault(int channel, const char* utf8Text, const std::string& fileName) {
    if (fileName.empty()) return;
    TCaptureSlot& slot = Slots[channel];
    const double now = disks_.Now();
    if (slot.LastFaultTime >= 0 && now >= slot.LastFaultTime &&
        now - slot.LastFaultTime < kCaptureFaultPeriodDays)
        return;
    slot.LastFaultTime = now;
    disks_.FaultTexts.Add(dvr::win::Utf8ToGbk(utf8Text) + fileName, static_cast<WPARAM>(-1),
                          static_cast<LPARAM>(static_cast<uint8_t>(fileName[0])));
}

void TCapture::DropPreAlarm(int channel) {
    PreAlarm[channel].PreAlarmArmed = false;
    PreAlarm[channel].PreAlarmChain->Clear();
}

void TCapture::DrainPreAlarm(int channel, intptr_t handle) {
    PreAlarm[channel].PreAlarmArmed = false;
    TChain& chain = *PreAlarm[channel].PreAlarmChain;
    while (chain.Count() > 0) {
        const TChainNode* node = chain.Head();
        TDiskManager::WriteRecordingFile(handle, node->Data.data(), node->Length);
        chain.DeleteHead();
    }
    chain.Clear();
}

void TCapture::SetPreAlarmArmed(int channel, bool on) {
    if (channel < 0 || channel >= kMaxBoardChannels) return;
    std::lock_guard guard(Locks[channel]);
    if (on)
        PreAlarm[channel].PreAlarmArmed = true;
    else
        DropPreAlarm(channel);
}

void TCapture::EmptyPreAlarmChain(int channel) {
    if (channel < 0 || channel >= kMaxBoardChannels) return;
    std::lock_guard guard(Locks[channel]);
    PreAlarm[channel].PreAlarmChain->Clear();
}

void TCapture::StopPreAlarm(int channel) {
    if (channel < 0 || channel >= kMaxBoardChannels) return;
    std::lock_guard guard(Locks[channel]);
    DropPreAlarm(channel);
    TCaptureSlot& slot = Slots[channel];
    // Only an encoder that runs for the buffer alone: live viewers keep theirs.
    if (!slot.FileOpen && slot.CaptureRunning && IsBoardChannel(channel) &&
        slot.State == kStateFile && slot.RecordingType == kRecordEncoderOnly) {
        board_.StopCapture(channel);
        slot.CaptureRunning = false;
    }
}

void TCapture::FileCreateFailed(int channel, int recordingType, const char* utf8Text,
                                AfterUnlock& after) {
    TCaptureSlot& slot = Slots[channel];
    ReportFault(channel, utf8Text, slot.FileName);
    slot.FileName.clear();
    slot.FileOpen = false;
    after.Add([this, channel] { host_.ShowRecording(channel, false); });
    if (recordingType == kRecordAlarm && PreAlarm[channel].PreAlarmArmed) DropPreAlarm(channel);
}

int TCapture::StartRecording(int channel, int recordingType, bool log) {
    if (channel < 0 || channel >= kMaxBoardChannels) return -1;
    TCaptureSlot& slot = Slots[channel];
    AfterUnlock after;
    std::lock_guard guard(Locks[channel]);
    try {
        const int32_t previousType = slot.RecordingType;
        const int32_t previousMinutes = slot.MinutesRecorded;
        const bool switching = slot.CaptureRunning && slot.FileOpen && !slot.FileName.empty();
        slot.RecordingType = recordingType;
        slot.MinutesRecorded = 0;
        intptr_t handle = -1;
        if (recordingType != kRecordEncoderOnly) {
            const std::string current = slot.FileName;
            std::string remembered;
            if (disks_.ChooseRecordingDrive(channel) == 0 && slot.FileOpen) remembered = current;
            std::string name = disks_.MakeRecordingFileName(channel, recordingType);
            if (name.empty()) {
                if (switching) {
                    slot.RecordingType = previousType;
                    slot.MinutesRecorded = previousMinutes;
                } else {
                    slot.FileName.clear();
                }
                return -1;
            }
            // Without room anywhere, the switched file stays on the current file's drive.
            if (!remembered.empty()) name[0] = remembered[0];
            handle = TDiskManager::OpenRecordingFile(name, kOpenCreate);
            if (handle == -1) {
                if (switching) {
                    // The running file goes on under its own name: the index keeps it from
                    // the disk cycle, and the next cut pass tries the switch again.
                    ReportFault(channel, "创建文件失败！文件为：", name);
                    slot.RecordingType = previousType;
                    slot.MinutesRecorded = std::max(previousMinutes, host_.MinutesPerFile(channel));
                    return -1;
                }
                slot.FileName = name;
                FileCreateFailed(channel, recordingType, "创建文件失败！文件为：", after);
                return -1;
            }
            slot.FileName = std::move(name);
        }
        if (slot.CaptureRunning) {
            if (slot.State == kStateLive) slot.State = kStateFileLive;
            if (recordingType != kRecordEncoderOnly) {
                TDiskManager::WriteRecordingFile(handle, slot.SavedHeader, slot.SavedHeaderLength);
                if (recordingType == kRecordAlarm && PreAlarm[channel].PreAlarmArmed)
                    DrainPreAlarm(channel, handle);
                board_.RequestKeyFrame(channel);
                const intptr_t previous = slot.FileHandle.exchange(handle);
                if (previous != -1) after.Add([previous] { FlushAndCloseRecording(previous); });
                slot.FileOpen = true;
                after.Add([this, channel] { host_.ShowRecording(channel, true); });
                if (log) host_.WriteLog(kEventRecordingStarted, channel);
            }
        } else {
            slot.FileHandle = handle;
            if (board_.StartCapture(channel) != 0) {
                if (recordingType != kRecordEncoderOnly)
                    TDiskManager::CloseRecordingFile(slot.FileName, handle, kCloseDelete);
                slot.FileName.clear();
                slot.FileHandle = -1;
                slot.CaptureRunning = false;
                slot.FileOpen = false;
                slot.State = kStateIdle;
                after.Add([this, channel] { host_.ShowRecording(channel, false); });
                if (recordingType == kRecordAlarm && PreAlarm[channel].PreAlarmArmed)
                    DropPreAlarm(channel);
                return -1;
            }
            slot.State = kStateFile;
            slot.CaptureRunning = true;
            if (recordingType != kRecordEncoderOnly) {
                // No header here: the board sends a fresh one as the first record after a start.
                slot.FileOpen = true;
                slot.MinutesRecorded = 0;
                after.Add([this, channel] { host_.ShowRecording(channel, true); });
                if (log) host_.WriteLog(kEventRecordingStarted, channel);
            }
        }
        if (recordingType != kRecordEncoderOnly && !RecordingDay(slot.FileName).empty())
            files_.AddFile(RecordingDay(slot.FileName), channel,
                           slot.FileName + "#" + std::to_string(handle));
        return 0;
    } catch (...) {
        return -1;
    }
}

int TCapture::StartLiveEncoder(int channel) {
    if (channel < 0 || channel >= kMaxBoardChannels) return -1;
    TCaptureSlot& slot = Slots[channel];
    std::lock_guard guard(Locks[channel]);
    try {
        if (!slot.CaptureRunning) {
            if (board_.StartCapture(channel) != 0) return -1;
            slot.State = kStateLive;
            slot.CaptureRunning = true;
            return 0;
        }
        if (slot.State == kStateFile) slot.State = kStateFileLive;
        board_.RequestKeyFrame(channel);
        return 0;
    } catch (...) {
        return -1;
    }
}

int TCapture::StartNetworkRecording(int channel, int recordingType) {
    if (channel < 0 || channel >= kMaxBoardChannels) return -1;
    TCaptureSlot& slot = Slots[channel];
    AfterUnlock after;
    std::lock_guard guard(Locks[channel]);
    try {
        slot.RecordingType = recordingType;
        slot.MinutesRecorded = 0;
        const intptr_t previous = slot.FileHandle.exchange(-1);
        if (previous != -1) after.Add([previous] { FlushAndCloseRecording(previous); });
        slot.FileOpen = false;
        slot.FileName.clear();
        disks_.ChooseRecordingDrive(channel);
        slot.FileName = disks_.MakeRecordingFileName(channel, recordingType);
        if (slot.FileName.empty()) return -1;
        const intptr_t handle = TDiskManager::OpenRecordingFile(slot.FileName, kOpenCreate);
        if (handle == -1) {
            ReportFault(channel, "创建文件失败！文件名为：", slot.FileName);
            slot.FileName.clear();
            if (slot.CaptureRunning) host_.CloseNetworkRecording(channel - board_.ChannelCount());
            slot.CaptureRunning = false;
            slot.FileOpen = false;
            after.Add([this, channel] { host_.ShowRecording(channel, false); });
            return -1;
        }
        slot.FileHandle = handle;
        if (!host_.PanePreviewing(channel)) {
            host_.OpenNetworkRecording(channel - board_.ChannelCount());
        } else {
            slot.State = kStateNetwork;
            slot.CaptureRunning = true;
        }
        return 0;
    } catch (...) {
        return -1;
    }
}

int TCapture::StopRecording(int channel, char request) {
    if (channel < 0 || channel >= kMaxBoardChannels) return 0;
    TCaptureSlot& slot = Slots[channel];
    AfterUnlock after;
    std::lock_guard guard(Locks[channel]);
    try {
        if (!slot.CaptureRunning) return 0;
        auto closeFile = [&](bool log) {
            slot.FileName.clear();
            const intptr_t handle = slot.FileHandle.exchange(-1);
            after.Add([handle] { FlushAndCloseRecording(handle); });
            after.Add([this, channel] { host_.ShowRecording(channel, false); });
            if (log) host_.WriteLog(kEventRecordingStopped, channel);
        };
        if (request == ')') {
            slot.RequestedType = -1;
            if (slot.State == kStateFile) {
                board_.StopCapture(channel);
                slot.CaptureRunning = false;
                slot.State = kStateIdle;
                if (slot.FileHandle != -1) closeFile(true);
                slot.FileOpen = false;
                slot.FileHandle = -1;
            } else {
                if (slot.State == kStateFileLive && slot.FileHandle != -1) {
                    slot.FileOpen = false;
                    closeFile(false);
                }
                slot.State = kStateLive;
            }
        } else if (request == '*') {
            if (slot.State == kStateLive) {
                board_.StopCapture(channel);
                slot.State = kStateIdle;
                slot.CaptureRunning = false;
                slot.FileOpen = false;
            } else {
                slot.State = kStateFile;
            }
        }
    } catch (...) {
    }
    return 0;
}

bool TCapture::CurrentFile(int channel, std::string& fileName) const {
    if (channel < 0 || channel >= kMaxBoardChannels) return false;
    std::lock_guard guard(Locks[channel]);
    if (!Slots[channel].FileOpen) return false;
    fileName = Slots[channel].FileName;
    return true;
}

int TCapture::StopNetworkChannel(int channel) {
    if (Slots.at(channel).CaptureRunning)
        host_.CloseNetworkRecording(channel - board_.ChannelCount());
    return 0;
}

void TCapture::InputFrame(int channel, int frameType, const uint8_t* data, int length) {
    if (channel < 0 || channel >= kMaxBoardChannels || length <= 0) return;
    TCaptureSlot& slot = Slots[channel];
    {
        // Header, buffer and file change under the slot lock that every drain and switch
        // takes, so a switch never sees half a header nor a chain being pushed.
        std::lock_guard guard(Locks[channel]);
        // A header that does not fit is not kept: a cut header would spoil every file it
        // starts.
        if (frameType == 128 && length <= kSavedHeaderSize) {
            std::memcpy(slot.SavedHeader, data, size_t(length));
            slot.SavedHeaderLength = length;
            slot.HeaderSaved = true;
        }
        TPreAlarm& pre = PreAlarm[channel];
        if (pre.PreAlarmArmed && slot.RecordingType != kRecordAlarm) {
            TChain& chain = *pre.PreAlarmChain;
            if (chain.VideoCount() >= kPreAlarmVideoRecords || chain.IsFull()) chain.DeleteHead();
            chain.Push(data, length, static_cast<uint8_t>(frameType));
        }
    }
    WriteStreamFrame(channel, data, length);
}

void TCapture::WriteStreamFrame(int channel, const uint8_t* data, int length) {
    if (channel < 0 || channel >= kMaxBoardChannels) return;
    TCaptureSlot& slot = Slots[channel];
    bool full = false;
    {
        std::lock_guard guard(Locks[channel]);
        try {
            const intptr_t handle = slot.FileHandle;
            if (handle == -1) return;
            if (!Writer(handle, data, length, &full))
                ReportFault(channel, "写盘失败，文件为：", slot.FileName);
            if (PreAlarm[channel].PreAlarmArmed && slot.RecordingType == kRecordAlarm)
                DrainPreAlarm(channel, handle);
        } catch (...) {
        }
    }
    // The disk cycle frees room now rather than at its next pass, so recording resumes
    // within a second instead of losing the records of up to 30 s on every channel.
    if (full) disks_.RequestCycle();
}

void TCapture::CutPass() {
    const int count = std::min(host_.SystemChannelCount(), kMaxBoardChannels);
    for (int channel = 0; channel < count; ++channel) {
        try {
            TCaptureSlot& slot = Slots[channel];
            char letter = 0;
            int type = 0;
            {
                std::lock_guard guard(Locks[channel]);
                if (!slot.FileOpen || slot.FileName.empty()) continue;
                letter = slot.FileName[0];
                type = slot.RecordingType;
            }
            bool cut = !disks_.HasRoom(letter);
            if (!cut) {
                std::lock_guard guard(Locks[channel]);
                cut = ++slot.MinutesRecorded >= host_.MinutesPerFile(channel);
            }
            if (!cut) continue;
            if (IsBoardChannel(channel))
                StartRecording(channel, type, false);
            else
                StartNetworkRecording(channel, type);
        } catch (...) {
        }
    }
}

void TCapture::StartCutTimer(const TThreadCapturePackage& cutter, UINT intervalMs) {
    CutTimer = std::make_unique<TWindowTimer>(intervalMs, [&cutter] { cutter.CutTimerTick(); });
    CutTimer->SetEnabled(true);
}

TThreadCapturePackage::TThreadCapturePackage(TCapture& capture)
    : capture_(capture), ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_.reset(::CreateThread(nullptr, 0, &ThreadMain, this, 0, &threadId_));
    ::SetThreadPriority(thread_.get(), THREAD_PRIORITY_ABOVE_NORMAL);
    // Messages posted before the queue exists would be lost.
    ::WaitForSingleObject(ready_.get(), INFINITE);
}

TThreadCapturePackage::~TThreadCapturePackage() {
    ::PostThreadMessageW(threadId_, WM_THREADQUIT, 0, 0);
    ::WaitForSingleObject(thread_.get(), INFINITE);
}

void TThreadCapturePackage::CutTimerTick() const {
    ::PostThreadMessageW(threadId_, WM_CUTFILES, 0, 0);
}

DWORD WINAPI TThreadCapturePackage::ThreadMain(LPVOID self) {
    auto& t = *static_cast<TThreadCapturePackage*>(self);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    ::SetEvent(t.ready_.get());
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_THREADQUIT) break;
        t.capture_.CutPass();
        ++t.passes_;
    }
    return 0;
}

} // namespace vantrel
