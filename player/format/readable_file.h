// The byte source the record readers work on. The player library's Win32 file
// handles implement it; memory and stdio versions serve tests and tools.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace dvr {

class ReadableFile {
public:
    virtual ~ReadableFile() = default;
    // Reads up to n bytes at the current position and moves behind them; returns the
    // count read (short at the end of the file or on an error).
    virtual size_t Read(void* dst, size_t n) = 0;
    // Moves to an absolute position; a position beyond the end is allowed (reads there
    // return 0 bytes). False only when the position cannot be set at all.
    virtual bool Seek(uint64_t pos) = 0;
    virtual uint64_t Tell() = 0;
    // The size now (a file being written may grow between calls).
    virtual uint64_t Size() = 0;
};

// A file held in memory. The bytes may be replaced or extended between reads, which is
// how tests model a recording that is still being written.
class MemoryFile : public ReadableFile {
public:
    MemoryFile() = default;
    explicit MemoryFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    MemoryFile(const void* data, size_t n)
        : bytes_(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + n) {}

    size_t Read(void* dst, size_t n) override;
    bool Seek(uint64_t pos) override {
        pos_ = pos;
        return true;
    }
    uint64_t Tell() override { return pos_; }
    uint64_t Size() override { return bytes_.size(); }

    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    uint64_t pos_ = 0;
};

// A file on disk through stdio, opened for reading only.
class StdioFile : public ReadableFile {
public:
    StdioFile() = default;
    ~StdioFile() override { Close(); }
    StdioFile(const StdioFile&) = delete;
    StdioFile& operator=(const StdioFile&) = delete;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return f_ != nullptr; }

    size_t Read(void* dst, size_t n) override;
    bool Seek(uint64_t pos) override;
    uint64_t Tell() override;
    uint64_t Size() override;

private:
    std::FILE* f_ = nullptr;
};

// Reads a whole file into memory; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out);

} // namespace dvr
