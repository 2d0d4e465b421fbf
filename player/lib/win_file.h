// Win32 file handles as the record readers' byte source.
#pragma once

#include <string>

#include "common/win/handles.h"
#include "player/format/readable_file.h"

namespace dvr::strovid {

// Reads through a handle owned elsewhere (the handle a caller passes to the exported
// record readers).
class Win32FileView : public ReadableFile {
public:
    explicit Win32FileView(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    size_t Read(void* dst, size_t n) override;
    bool Seek(uint64_t pos) override;
    uint64_t Tell() override;
    uint64_t Size() override;

protected:
    HANDLE h_;
};

// A recording file opened read-only, sharing read and write so that a file still being
// recorded can be played.
class Win32File : public Win32FileView {
public:
    // `path` is GBK, as the callers hold it.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return static_cast<bool>(file_); }
    HANDLE Get() const { return h_; }

private:
    win::File file_;
};

} // namespace dvr::strovid
