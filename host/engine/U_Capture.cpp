#include "host/engine/U_Capture.h"

#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_DiskManager.h"
#include "host/engine/U_HostMessages.h"

#include "common/win/textconv.h"

#include <cstring>
#include <mutex>

namespace vantrel {

namespace {
constexpr int kEventRecordingStarted = 15;
constexpr int kEventRecordingStopped = 16;
constexpr int kRightRecord = 4;

// One unbuffered write; false unless every byte went out.
bool WriteRecord(intptr_t handle, const uint8_t* data, int length) {
    DWORD written = 0;
    return ::WriteFile(reinterpret_cast<HANDLE>(handle), data, static_cast<DWORD>(length), &written,
                       nullptr) &&
           written == static_cast<DWORD>(length);
}
} // namespace

std::string_view RecordingDay(std::string_view path) {
    // "X:\DVRDat\YYYYMMDD\..."; found by the folder name so that a longer root also works.
    const size_t at = path.find("\\DVRDat\\");
    if (at != std::string_view::npos && path.size() >= at + 8 + 8) return path.substr(at + 8, 8);
    return path.size() >= 18 ? path.substr(10, 8) : std::string_view();
}

TCapture::TCapture(TBoardEncoders& board, TDiskManager& disks, TCaptureFileList& files,
                   TCaptureHost& host)
    : board_(board), disks_(disks), files_(files), host_(host) {
    static_assert(kRightRecord == 4);
    for (int i = 0; i < kMaxBoardChannels; ++i) {
        PreAlarm[i].PreAlarmChain = std::make_unique<TChain>(kPreAlarmCapacity);
        Slots[i].Channel = i;
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

void TCapture::ReportFault(const char* utf8Text, const std::string& fileName) {
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
        WriteRecord(handle, node->Data.data(), node->Length);
        chain.DeleteHead();
    }
    chain.Clear();
}

void TCapture::FileCreateFailed(int channel, int recordingType, const char* utf8Text) {
    TCaptureSlot& slot = Slots[channel];
    if (!slot.FileName.empty()) ReportFault(utf8Text, slot.FileName);
    slot.FileName.clear();
    slot.FileOpen = false;
    host_.ShowRecording(channel, false);
    if (recordingType == kRecordAlarm && PreAlarm[channel].PreAlarmArmed) DropPreAlarm(channel);
}

int TCapture::StartRecording(int channel, int recordingType, bool log) {
    if (channel < 0 || channel >= kMaxBoardChannels) return -1;
    TCaptureSlot& slot = Slots[channel];
    std::lock_guard guard(Locks[channel]);
    try {
        slot.RecordingType = recordingType;
        slot.MinutesRecorded = 0;
        intptr_t handle = -1;
        if (recordingType != kRecordEncoderOnly) {
            std::string remembered;
            if (disks_.ChooseRecordingDrive(channel) == 0 && slot.FileOpen)
                remembered = slot.FileName;
            slot.FileName = disks_.MakeRecordingFileName(channel, recordingType);
            if (slot.FileName.empty()) return -1;
            // Without room anywhere, the switched file stays on the current file's drive.
            if (!remembered.empty()) slot.FileName[0] = remembered[0];
            handle = TDiskManager::OpenRecordingFile(slot.FileName, kOpenCreate);
            if (handle == -1) {
                FileCreateFailed(channel, recordingType, "创建文件失败！文件为：");
                return -1;
            }
        }
        if (slot.CaptureRunning) {
            if (slot.State == kStateLive) slot.State = kStateFileLive;
            if (recordingType != kRecordEncoderOnly) {
                WriteRecord(handle, slot.SavedHeader, slot.SavedHeaderLength);
                if (recordingType == kRecordAlarm && PreAlarm[channel].PreAlarmArmed)
                    DrainPreAlarm(channel, handle);
                board_.RequestKeyFrame(channel);
                const intptr_t previous = slot.FileHandle.exchange(handle);
                if (previous != -1) TDiskManager::CloseRecordingFile("", previous, 0);
                slot.FileOpen = true;
                host_.ShowRecording(channel, true);
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
                host_.ShowRecording(channel, false);
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
                host_.ShowRecording(channel, true);
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
    std::lock_guard guard(Locks[channel]);
    try {
        slot.RecordingType = recordingType;
        slot.MinutesRecorded = 0;
        const intptr_t previous = slot.FileHandle.exchange(-1);
        if (previous != -1) TDiskManager::CloseRecordingFile("", previous, 0);
        slot.FileOpen = false;
        slot.FileName.clear();
        disks_.ChooseRecordingDrive(channel);
        slot.FileName = disks_.MakeRecordingFileName(channel, recordingType);
        if (slot.FileName.empty()) return -1;
        const intptr_t handle = TDiskManager::OpenRecordingFile(slot.FileName, kOpenCreate);
        if (handle == -1) {
            ReportFault("创建文件失败！文件名为：", slot.FileName);
            slot.FileName.clear();
            if (slot.CaptureRunning) host_.CloseNetworkRecording(channel - board_.ChannelCount());
            slot.CaptureRunning = false;
            slot.FileOpen = false;
            host_.ShowRecording(channel, false);
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
    std::lock_guard guard(Locks[channel]);
    try {
        if (!slot.CaptureRunning) return 0;
        auto closeFile = [&](bool log) {
            const std::string name = std::move(slot.FileName);
            slot.FileName.clear();
            TDiskManager::CloseRecordingFile(name, slot.FileHandle.exchange(-1), 0);
            host_.ShowRecording(channel, false);
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
    // A header that does not fit is not kept: a cut header would spoil every file it starts.
    if (frameType == 128 && length <= kSavedHeaderSize) {
        std::memcpy(slot.SavedHeader, data, length);
        slot.SavedHeaderLength = length;
        slot.HeaderSaved = true;
    }
    TPreAlarm& pre = PreAlarm[channel];
    if (pre.PreAlarmArmed && slot.RecordingType != kRecordAlarm) {
        TChain& chain = *pre.PreAlarmChain;
        if (chain.VideoCount() >= kPreAlarmVideoRecords || chain.IsFull()) chain.DeleteHead();
        chain.Push(data, length, static_cast<uint8_t>(frameType));
    }
    WriteStreamFrame(channel, data, length);
}

void TCapture::WriteStreamFrame(int channel, const uint8_t* data, int length) {
    if (channel < 0 || channel >= kMaxBoardChannels) return;
    TCaptureSlot& slot = Slots[channel];
    std::lock_guard guard(Locks[channel]);
    try {
        const intptr_t handle = slot.FileHandle;
        if (handle == -1) return;
        if (!WriteRecord(handle, data, length) && !slot.FileName.empty())
            ReportFault("写盘失败，文件为：", slot.FileName);
        if (PreAlarm[channel].PreAlarmArmed && slot.RecordingType == kRecordAlarm)
            DrainPreAlarm(channel, handle);
    } catch (...) {
    }
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
