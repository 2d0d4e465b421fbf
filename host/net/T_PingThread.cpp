#include "host/net/T_PingThread.h"

#include "host/net/F_IPPingForm.h"

#include "common/win/textconv.h"

namespace vantrel {
namespace {

using dvr::win::GbkToWide;

void CreateEmptyFile(const std::wstring& path, DWORD disposition) {
    dvr::win::File f(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

std::string DefaultDateTimeText() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t date[64] = {}, time[64] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 64);
    ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 64);
    return dvr::win::WideToGbk(std::wstring(date) + L" " + time);
}

TPingThread::TPingThread(TIPPingForm& form, std::string programPath, Timing timing)
    : form_(&form), logPath_(programPath + "Ping\\PingLog.txt"), timing_(timing) {
    ::CreateDirectoryW(GbkToWide(programPath + "Ping").c_str(), nullptr);
    CreateEmptyFile(GbkToWide(logPath_), CREATE_NEW); // only when missing
    resumeEvent_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    finishEvent_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(::CreateThread(nullptr, 0, &ThreadMain, this, 0, nullptr));
    if (thread_) ::SetThreadPriority(thread_.get(), THREAD_PRIORITY_LOWEST);
}

TPingThread::~TPingThread() {
    Stop();
    if (TIPPingForm* form = form_) form->DetachThread(this);
}

void TPingThread::Stop() {
    Finished = true;
    ::SetEvent(finishEvent_.get());
    if (thread_ && ::GetCurrentThreadId() != ::GetThreadId(thread_.get()))
        ::WaitForSingleObject(thread_.get(), INFINITE);
}

void TPingThread::Resume() {
    ::SetEvent(resumeEvent_.get());
}

DWORD WINAPI TPingThread::ThreadMain(LPVOID self) {
    static_cast<TPingThread*>(self)->Execute();
    return 0;
}

bool TPingThread::Pause(DWORD ms) {
    return ::WaitForSingleObject(finishEvent_.get(), ms) == WAIT_TIMEOUT && !Finished;
}

void TPingThread::Execute() {
    // Idle until the start box is ticked for the first time.
    bool idle = true;
    TIPPingForm& form = *form_; // the window outlives the running thread
    while (!Finished) {
        if (idle || Paused) {
            const HANDLE wake[] = {finishEvent_.get(), resumeEvent_.get()};
            if (::WaitForMultipleObjects(2, wake, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
            idle = false;
            continue;
        }
        if (form.RowCount() == 0) {
            if (!Pause(timing_.AfterPassMs)) return;
            continue;
        }
        ++passes_;
        for (int row = 0; !Finished && !Paused && row < form.RowCount(); ++row) {
            // Whatever goes wrong with one host, the patrol goes on.
            try {
                form.PingRow(row);
            } catch (...) {
            }
            if (!Pause(timing_.AfterHostMs)) return;
        }
        if (!Pause(timing_.AfterPassMs)) return;
    }
}

void TPingThread::ReadLog(std::vector<std::string>& list) {
    std::lock_guard<std::mutex> hold(logLock_);
    dvr::win::File f(::CreateFileW(GbkToWide(logPath_).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    if (!f) return;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(f.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0)
        text.append(buffer, got);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        list.push_back(std::move(line));
        start = end + 1;
    }
}

void TPingThread::ClearLog() {
    std::lock_guard<std::mutex> hold(logLock_);
    ::DeleteFileW(GbkToWide(logPath_).c_str());
    CreateEmptyFile(GbkToWide(logPath_), CREATE_ALWAYS);
}

void TPingThread::AppendLog(std::string_view line) {
    std::lock_guard<std::mutex> hold(logLock_);
    dvr::win::File f(::CreateFileW(GbkToWide(logPath_).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return;
    const std::string text = std::string(line) + "\r\n";
    DWORD written = 0;
    ::WriteFile(f.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace vantrel
