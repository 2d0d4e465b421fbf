// Streams over a file on disk, with the sharing the caller asks for.
#pragma once

#include "common/win/handles.h"
#include "framework/exceptions.h"
#include "framework/stream.h"

#include <cstdint>
#include <string>

namespace dvr::fw {

// Open modes: one access mode, or fmCreate, combined with one sharing mode.
constexpr uint16_t fmCreate = 0xFF00; // create or replace, read and write
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000; // as exclusive
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

class EFOpenError : public EStreamError {
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
    using EStreamError::EStreamError;
};

class TFileStream : public TStream {
    FW_CLASS(TFileStream, TStream)
public:
    // FileName is GBK. Failure raises EFCreateError (fmCreate) or EFOpenError.
    TFileStream(const std::string& FileName, uint16_t Mode);

    size_t Read(void* Buffer, size_t Count) override;
    size_t Write(const void* Buffer, size_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;
    const std::string& FileName() const { return file_name_; }

private:
    win::File file_;
    std::string file_name_;
};

} // namespace dvr::fw
