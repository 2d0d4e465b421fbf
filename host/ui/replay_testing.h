// Shared by the replay tests: scratch folders, fixture recordings and their records, and a
// window that collects posted messages.
#pragma once

#include "common/testing/testdata.h"
#include "host/engine/host_engine_testing.h"
#include "host/engine/storage_testing.h"
#include "player/format/file_reader.h"
#include "player/format/readable_file.h"
#include "player/format/stream_format.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace vantrel::testing {

inline std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> bytes;
    dvr::win::File f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return bytes;
    LARGE_INTEGER size{};
    ::GetFileSizeEx(f.get(), &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty())
        ::ReadFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
}

inline bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct RecordAt {
    size_t Offset;
    uint8_t Type;
    size_t Size;
};

// The records behind the header, walked by their lengths; `whole` tells whether the walk
// ended exactly at the end of the bytes.
inline std::vector<RecordAt> WalkRecords(const std::vector<uint8_t>& bytes, bool* whole) {
    std::vector<RecordAt> out;
    dvr::MemoryFile file(bytes);
    dvr::StreamHeaderFields head;
    *whole = false;
    if (!dvr::ReadFileHead(file, &head)) return out;
    size_t pos = static_cast<size_t>(head.headerLength);
    while (pos + sizeof(dvr::FrameHead) <= bytes.size()) {
        dvr::FrameHead fh;
        std::memcpy(&fh, bytes.data() + pos, sizeof fh);
        if (fh.magic[0] != 0 || fh.magic[1] != 0 || fh.magic[2] != 1 || fh.magic[3] != 0xC7)
            return out;
        const size_t size = sizeof fh + ((fh.flags & 1) ? 0 : fh.length);
        out.push_back({pos, fh.type, size});
        pos += size;
    }
    *whole = pos == bytes.size();
    return out;
}

// A message-only window that keeps what is posted to it.
class MessageSink {
public:
    MessageSink() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &MessageSink::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ReplayTestSink";
        ::RegisterClassW(&wc);
        hwnd_ = ::CreateWindowExW(0, L"ReplayTestSink", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~MessageSink() { ::DestroyWindow(hwnd_); }
    HWND Handle() const { return hwnd_; }

    struct Msg {
        UINT Id;
        WPARAM W;
        LPARAM L;
    };
    std::vector<Msg> Got;

    // Handles what is waiting.
    void Pump() {
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
    }
    // Pumps until `done` holds or the time runs out.
    template <class F> bool PumpUntil(F done, DWORD ms = 20000) {
        const DWORD start = ::GetTickCount();
        while (!done()) {
            MSG m;
            while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&m);
                ::DispatchMessageW(&m);
            }
            if (done()) break;
            if (::GetTickCount() - start > ms) return false;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return true;
    }
    std::vector<WPARAM> Params(UINT id) const {
        std::vector<WPARAM> v;
        for (const Msg& m : Got)
            if (m.Id == id) v.push_back(m.W);
        return v;
    }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<MessageSink*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self && msg >= WM_USER) {
            self->Got.push_back({msg, w, l});
            return 0;
        }
        return ::DefWindowProcW(h, msg, w, l);
    }
    HWND hwnd_ = nullptr;
};

} // namespace vantrel::testing
