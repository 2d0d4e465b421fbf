#include "host/ui/T_ThreadReplayVideoCapture.h"

#include "host/engine/U_DiskAccess.h"
#include "host/ui/U_ReplayRules.h"

#include "common/win/textconv.h"

#include <algorithm>
#include <vector>

namespace vantrel {

using dvr::win::GbkToWide;

TThreadReplayVideoCapture::TThreadReplayVideoCapture()
    : wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      thread_(
          ::CreateThread(nullptr, 0, &TThreadReplayVideoCapture::ThreadMain, this, 0, nullptr)) {}

TThreadReplayVideoCapture::~TThreadReplayVideoCapture() {
    quit_ = true;
    ::SetEvent(wake_.get());
    ::WaitForSingleObject(thread_.get(), INFINITE);
}

void TThreadReplayVideoCapture::Start(HWND form) {
    form_ = form;
    // Busy from the moment of the start, so that a second request is refused at once.
    busy_ = true;
    ::SetEvent(wake_.get());
}

DWORD WINAPI TThreadReplayVideoCapture::ThreadMain(LPVOID self) {
    auto* t = static_cast<TThreadReplayVideoCapture*>(self);
    for (;;) {
        ::WaitForSingleObject(t->wake_.get(), INFINITE);
        if (t->quit_) break;
        try {
            t->Cut();
        } catch (...) {
            t->busy_ = false;
        }
    }
    return 0;
}

void TThreadReplayVideoCapture::Post(int result) {
    if (form_) ::PostMessageW(form_, WM_CLIPDONE, static_cast<WPARAM>(result), 0);
}

void TThreadReplayVideoCapture::Cut() {
    busy_ = true;
    dvr::win::File source(::CreateFileW(GbkToWide(SourceName).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!source) {
        busy_ = false;
        Post(-1);
        return;
    }
    const std::wstring target = GbkToWide(TargetName);
    const size_t slash = TargetName.rfind('\\');
    if (slash != std::string::npos) ForceDirectories(TargetName.substr(0, slash + 1));
    ::DeleteFileW(target.c_str());
    dvr::win::File out(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
        busy_ = false;
        Post(-1);
        return;
    }
    Post(1);

    LARGE_INTEGER size{};
    ::GetFileSizeEx(source.get(), &size);
    // The stream header as the source has it (its text blocks included).
    std::vector<uint8_t> buffer(kClipBlock);
    DWORD got = 0;
    ::ReadFile(source.get(), buffer.data(), 1024, &got, nullptr);
    const int headerLength = RecordingHeaderLength(buffer.data(), got);
    const ClipPlan plan = PlanClip(size.QuadPart, headerLength, StartPos, EndPos);
    if (!plan.Ok) {
        busy_ = false;
        Post(-1);
        return;
    }

    bool ok = true;
    DWORD written = 0;
    ok = ::WriteFile(out.get(), buffer.data(), headerLength, &written, nullptr) &&
         written == static_cast<DWORD>(headerLength);
    LARGE_INTEGER at{};
    at.QuadPart = plan.Start;
    ::SetFilePointerEx(source.get(), at, nullptr, FILE_BEGIN);
    int64_t pos = plan.Start;
    for (int64_t block = 0; ok && block < plan.Blocks && pos < plan.End; ++block) {
        const DWORD want = static_cast<DWORD>(std::min<int64_t>(kClipBlock, plan.End - pos));
        if (!::ReadFile(source.get(), buffer.data(), want, &got, nullptr) || got == 0) break;
        ok = ::WriteFile(out.get(), buffer.data(), got, &written, nullptr) && written == got;
        pos += got;
    }
    out.reset();
    source.reset();
    if (!ok) {
        // A clip the disk could not take whole is no clip: report it, keep no torn file.
        ::DeleteFileW(target.c_str());
        busy_ = false;
        Post(-1);
        return;
    }
    busy_ = false;
    Post(0);
}

} // namespace vantrel
