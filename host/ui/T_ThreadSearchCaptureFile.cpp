#include "host/ui/T_ThreadSearchCaptureFile.h"

#include "host/engine/U_StorageNames.h"
#include "host/ui/U_Replay.h"

#include "common/win/textconv.h"

#include <algorithm>
#include <cstdio>

namespace vantrel {

using dvr::win::GbkToWide;

namespace {
constexpr UINT WM_SEARCHSYNC = WM_APP + 1;
const wchar_t kSyncClass[] = L"VantrelReplaySearchSync";

// "YYYY-MM-DD HH:MM:SS" of a file time, in local time.
std::string LocalTimeText(const FILETIME& ft) {
    FILETIME local;
    SYSTEMTIME st;
    if (!::FileTimeToLocalFileTime(&ft, &local) || !::FileTimeToSystemTime(&local, &st)) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay,
                  st.wHour, st.wMinute, st.wSecond);
    return text;
}
} // namespace

ReplayFileRecord* MakeReplayFileRecord(std::string_view entry, int channel) {
    auto* r = new ReplayFileRecord;
    const std::string path(EntryPath(entry));
    r->Channel = static_cast<uint8_t>(channel);
    r->Path = path;
    r->StartTime.Set(StartTimeFromPath(path));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    uint64_t size = 0;
    if (::GetFileAttributesExW(GbkToWide(path).c_str(), GetFileExInfoStandard, &data)) {
        r->EndTime.Set(LocalTimeText(data.ftLastWriteTime));
        size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    r->Duration.Set(std::to_string(SecondsBetween(r->StartTime.View(), r->EndTime.View())));
    r->SizeText.Set(SizeText(size));
    r->RecordType = static_cast<uint8_t>(RecordTypeFromPath(path));
    r->TypeName.Set(CaptureTypeName(r->RecordType));
    return r;
}

TThreadSearchCaptureFile::TThreadSearchCaptureFile(HWND form, TReplay& replay)
    : form_(form), replay_(replay), wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &TThreadSearchCaptureFile::WndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kSyncClass;
    ::RegisterClassW(&wc); // a second registration fails harmlessly
    sync_ = ::CreateWindowExW(0, kSyncClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
    thread_.reset(
        ::CreateThread(nullptr, 0, &TThreadSearchCaptureFile::ThreadMain, this, 0, nullptr));
#ifdef VANTREL_CONTROL_BUILD
    // The browser's viewer searches in the background of whatever else the page does.
    if (thread_) ::SetThreadPriority(thread_.get(), THREAD_PRIORITY_LOWEST);
#endif
}

TThreadSearchCaptureFile::~TThreadSearchCaptureFile() {
    Quit();
    // The scan's last step runs on this thread: keep serving it while waiting.
    HANDLE thread = thread_.get();
    while (thread && ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
                         WAIT_OBJECT_0 + 1) {
        MSG m;
        ::PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
    }
    if (sync_) ::DestroyWindow(sync_);
}

void TThreadSearchCaptureFile::Start(std::vector<std::string> days, int kind) {
    days_ = std::move(days);
    kind_ = kind;
    scanning_ = true;
    ::SetEvent(wake_.get());
}

void TThreadSearchCaptureFile::Quit() {
    quit_ = true;
    ::SetEvent(wake_.get());
}

DWORD WINAPI TThreadSearchCaptureFile::ThreadMain(LPVOID self) {
    static_cast<TThreadSearchCaptureFile*>(self)->Execute();
    return 0;
}

LRESULT CALLBACK TThreadSearchCaptureFile::WndProc(HWND wnd, UINT msg, WPARAM wParam,
                                                   LPARAM lParam) {
    if (msg == WM_SEARCHSYNC) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

void TThreadSearchCaptureFile::Synchronize(const std::function<void()>& step) {
    if (quit_) return;
    ::SendMessageW(sync_, WM_SEARCHSYNC, 0, reinterpret_cast<LPARAM>(&step));
}

void TThreadSearchCaptureFile::Execute() {
    for (;;) {
        ::WaitForSingleObject(wake_.get(), INFINITE);
        if (quit_) break;
        if (form_) ::EnableWindow(form_, FALSE);
        try {
            Scan();
        } catch (...) {
        }
        const int kind = kind_;
        bool enable = true;
        try {
            Synchronize([&] {
                if (Finished) Finished(kind);
                if (LeaveDisabled) enable = !LeaveDisabled();
            });
        } catch (...) {
        }
        if (form_ && enable) ::EnableWindow(form_, TRUE);
        scanning_ = false;
        ++scans_;
    }
}

void TThreadSearchCaptureFile::Scan() {
    TReplayHost& host = replay_.Host();
    const int channels = std::min(host.ChannelCount(), kIndexChannels);
    for (const std::string& day : days_) {
        if (quit_) return;
        const std::optional<ChannelLists> lists = host.GetDayChannelLists(day);
        if (!lists) continue;
        for (int ch = 0; ch < channels; ++ch) {
            for (const std::string& entry : (*lists)[ch]) {
                const std::string_view path = EntryPath(entry);
                if (IsSnapshotPath(path) != (kind_ == 0)) continue;
                ReplayFileRecord* r = MakeReplayFileRecord(entry, ch);
                if (r->RecordType == 2 || r->RecordType == 3) {
                    replay_.SnapshotList.Append(r);
                } else {
                    const std::string dashed = r->StartTime.Get().substr(0, 10);
                    if (host.IsDayLocked(dashed))
                        replay_.LockedList.Append(r);
                    else
                        replay_.CommonList.Append(r);
#ifndef VANTREL_CONTROL_BUILD
                    ::Sleep(2);
#endif
                }
            }
        }
    }
}

} // namespace vantrel
