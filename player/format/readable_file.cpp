#include "player/format/readable_file.h"

#include <cstring>

namespace dvr {

size_t MemoryFile::Read(void* dst, size_t n) {
    if (pos_ >= bytes_.size()) return 0;
    size_t avail = static_cast<size_t>(bytes_.size() - pos_);
    if (n > avail) n = avail;
    std::memcpy(dst, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
}

bool StdioFile::Open(const std::string& path) {
    Close();
    f_ = std::fopen(path.c_str(), "rb");
    return f_ != nullptr;
}

void StdioFile::Close() {
    if (f_) std::fclose(f_);
    f_ = nullptr;
}

size_t StdioFile::Read(void* dst, size_t n) {
    return f_ ? std::fread(dst, 1, n, f_) : 0;
}

// 64-bit positions: recordings may pass 2 GB, where long is 32 bits on Windows.
#ifdef _WIN32
#define DVR_FSEEK _fseeki64
#define DVR_FTELL _ftelli64
#else
#define DVR_FSEEK fseeko
#define DVR_FTELL ftello
#endif

bool StdioFile::Seek(uint64_t pos) {
    if (!f_ || pos > static_cast<uint64_t>(INT64_MAX)) return false;
    return DVR_FSEEK(f_, static_cast<int64_t>(pos), SEEK_SET) == 0;
}

uint64_t StdioFile::Tell() {
    if (!f_) return 0;
    auto p = DVR_FTELL(f_);
    return p < 0 ? 0 : static_cast<uint64_t>(p);
}

uint64_t StdioFile::Size() {
    if (!f_) return 0;
    auto here = DVR_FTELL(f_);
    if (here < 0 || DVR_FSEEK(f_, 0, SEEK_END) != 0) return 0;
    auto end = DVR_FTELL(f_);
    DVR_FSEEK(f_, here, SEEK_SET);
    return end < 0 ? 0 : static_cast<uint64_t>(end);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out) {
    StdioFile f;
    if (!f.Open(path)) return false;
    out->resize(static_cast<size_t>(f.Size()));
    return f.Read(out->data(), out->size()) == out->size();
}

} // namespace dvr
