#include "webctl/U_Capture.h"

#include "host/engine/U_Arithmetic.h"
#include "host/net/U_NetClient.h"

#include "common/win/textconv.h"

#include <cstdio>

#include <mutex>

namespace vantrel::webctl {

TCapture::TCapture(TDiskManager& disks, TCaptureFileList& files, Hooks hooks)
    : disks_(disks), files_(files), hooks_(std::move(hooks)) {
    for (int c = 0; c < kControlSlots; ++c)
        Slots[size_t(c)].Channel = c;
    cutter_ = std::thread([this] {
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
        MSG m;
        ::PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists from here
        cutterId_ = ::GetCurrentThreadId();
        ::SetEvent(cutterReady_.get());
        while (::GetMessageW(&m, nullptr, 0, 0) > 0) {
            if (m.message == WM_THREADQUIT) break;
            try {
                CutPass();
            } catch (...) {
            }
        }
    });
    ::WaitForSingleObject(cutterReady_.get(), INFINITE);
}

TCapture::~TCapture() {
    ::PostThreadMessageW(cutterId_, WM_THREADQUIT, 0, 0);
    if (cutter_.joinable()) cutter_.join();
    for (int c = 0; c < kControlSlots; ++c) {
        std::lock_guard guard(Locks[size_t(c)]);
        TCaptureSlot& s = Slots[size_t(c)];
        const intptr_t h = s.FileHandle.exchange(-1);
        if (h != -1) TDiskManager::CloseRecordingFile(s.FileName, h, kCloseKeep);
    }
}

void TCapture::BindNetworkSlots(TNetClient& net) {
    net_ = &net;
    net.BindSlots(Slots.data(), Locks.data(), kControlSlots);
}

int TCapture::StartChannel(int channel, char request, int recordingType) {
    if (!Valid(channel)) return -1;
    Slots[size_t(channel)].RequestedType = recordingType;
    if (request != '+') return -1;
    return StartNetworkRecording(channel, recordingType);
}

int TCapture::StopChannel(int channel, char) {
    return StopNetworkChannel(channel);
}

int TCapture::StopNetworkChannel(int channel) {
    if (!Valid(channel)) return 0;
    if (Slots[size_t(channel)].CaptureRunning && net_) net_->CloseRecording(channel);
    return 0;
}

int TCapture::StartNetworkRecording(int channel, int recordingType) {
    if (!Valid(channel)) return -1;
    TCaptureSlot& s = Slots[size_t(channel)];
    bool stopAfter = false;
    bool connect = false;
    int result = -1;
    {
        std::lock_guard guard(Locks[size_t(channel)]);
        s.RecordingType = recordingType;
        s.MinutesRecorded = 0;
        const intptr_t old = s.FileHandle.exchange(-1);
        const std::string oldName = s.FileName;
        const bool wasRunning = s.CaptureRunning;
        s.FileOpen = false;
        s.FileName.clear();
        if (old != -1) TDiskManager::CloseRecordingFile(oldName, old, kCloseKeep);
        const std::string name = disks_.MakeRecordingFileName(channel, recordingType);
        s.FileName = name;
        if (name.empty()) return -1;
        const intptr_t handle = TDiskManager::OpenRecordingFile(name, kOpenCreate);
        if (handle == -1) {
            if (hooks_.DiskFault)
                hooks_.DiskFault(dvr::win::Utf8ToGbk("创建文件失败！文件名为：") + name, name[0]);
            s.FileName.clear();
            stopAfter = wasRunning;
            s.CaptureRunning = false;
            s.FileOpen = false;
        } else if (!(hooks_.PanePreviewing && hooks_.PanePreviewing(channel))) {
            s.FileHandle = handle;
            connect = true;
            result = 0;
        } else {
            // The stream comes in already: the file starts with the saved head, and the
            // receive thread goes on writing into it from its next block.
            if (s.HeaderSaved) TDiskManager::WriteRecordingFile(handle, s.SavedHeader, s.SavedHeaderLength);
            s.FileHandle = handle;
            s.State = kStateNetwork;
            s.CaptureRunning = true;
            s.FileOpen = true;
            const std::string_view day = RecordingDay(name);
            if (!day.empty()) files_.AddFile(day, channel, name + "#" + std::to_string(handle));
            result = 0;
        }
    }
    if (stopAfter && net_) net_->CloseRecording(channel);
    if (result == -1) ShowStatus(channel, false);
    if (connect && net_) net_->OpenRecording(channel);
    return result;
}

void TCapture::CutPass() {
    const int count = hooks_.ChannelCount ? hooks_.ChannelCount() : 0;
    for (int c = 0; c < count && c < kControlSlots; ++c) {
        TCaptureSlot& s = Slots[size_t(c)];
        bool cut = false;
        int type = 0;
        {
            std::lock_guard guard(Locks[size_t(c)]);
            if (!s.FileOpen || s.FileName.empty()) continue;
            const int minutes = hooks_.MinutesPerFile ? hooks_.MinutesPerFile(c)
                                                      : kDefaultMinutesPerFile;
            if (!disks_.HasRoom(s.FileName[0]) || s.MinutesRecorded < 0)
                cut = true;
            else
                cut = ++s.MinutesRecorded >= minutes;
            type = s.RecordingType;
        }
        if (cut) StartNetworkRecording(c, type);
    }
}

void TCapture::RequestCut() {
    ::PostThreadMessageW(cutterId_, WM_CUTFILES, 0, 0);
}

void TCapture::AddFile(std::string_view day, int channel, std::string_view entry) {
    files_.AddFile(day, channel, entry);
}

void TCapture::ShowStatus(int channel, bool recording) {
    if (hooks_.ShowStatus) hooks_.ShowStatus(channel, recording);
}

bool TCapture::CurrentFile(int channel, std::string& fileName) const {
    if (!Valid(channel)) return false;
    const TCaptureSlot& s = Slots[size_t(channel)];
    std::lock_guard guard(Locks[size_t(channel)]);
    if (s.FileHandle == -1 || s.FileName.empty()) return false;
    fileName = s.FileName;
    return true;
}

} // namespace vantrel::webctl
