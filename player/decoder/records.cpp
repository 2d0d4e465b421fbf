#include "player/decoder/records.h"

#include <cstring>
#include <fstream>

namespace dvr::decoder {
namespace {

constexpr uint8_t kKeyFrame = 1, kPFrame = 2, kPB = 0x20, kPBB = 4;

bool IsVopStart(const std::vector<uint8_t>& d, size_t i) {
    return i + 4 <= d.size() && d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1 && d[i + 3] == 0xB6;
}

uint32_t Le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}

} // namespace

int PicturesOf(const VideoRecord& r) {
    return r.type == kPB ? 2 : r.type == kPBB ? 3 : 1;
}
int PackedBOf(const VideoRecord& r) {
    return r.type == kPB ? 1 : r.type == kPBB ? 2 : 0;
}

std::vector<VideoRecord> SplitElementaryStream(const std::vector<uint8_t>& data) {
    std::vector<size_t> starts;
    // Candidates from the start code's 0x01, found with memchr.
    for (size_t i = 2; i + 2 <= data.size();) {
        const void* one = std::memchr(data.data() + i, 1, data.size() - 1 - i);
        if (!one) break;
        i = static_cast<size_t>(static_cast<const uint8_t*>(one) - data.data());
        if (IsVopStart(data, i - 2)) starts.push_back(i - 2);
        ++i;
    }
    std::vector<VideoRecord> records;
    for (size_t n = 0; n < starts.size(); ++n) {
        size_t begin = n == 0 ? 0 : starts[n];
        size_t end = n + 1 < starts.size() ? starts[n + 1] : data.size();
        int kind = starts[n] + 4 < data.size() ? data[starts[n] + 4] >> 6 : 0;
        if (kind == 2 && !records.empty() &&
            (records.back().type == kPFrame || records.back().type == kPB)) {
            VideoRecord& r = records.back();
            r.type = r.type == kPB ? kPBB : kPB;
            r.payload.insert(r.payload.end(), data.begin() + begin, data.begin() + end);
            continue;
        }
        records.push_back({kind == 0 ? kKeyFrame : kPFrame,
                           std::vector<uint8_t>(data.begin() + begin, data.begin() + end)});
    }
    return records;
}

bool ReadRecordingFile(const std::vector<uint8_t>& data, std::vector<VideoRecord>& out) {
    static const uint8_t kFileMagic[4] = {0, 0, 1, 0xC6};
    static const uint8_t kFrameMagic[4] = {0, 0, 1, 0xC7};
    if (data.size() < 19 || std::memcmp(data.data(), kFileMagic, 4) != 0) return false;
    size_t pos = 10;
    int blocks = 0;
    switch ((data[8] | data[9] << 8) & 0xE003) {
    case 0x4000:
    case 0xC000:
        blocks = 1;
        break;
    case 0xE003:
        blocks = 2;
        break;
    }
    for (int i = 0; i < blocks && pos + 2 <= data.size(); ++i)
        pos += 2 + data[pos + 1];
    pos += 9;
    while (pos + 14 <= data.size()) {
        if (std::memcmp(data.data() + pos, kFrameMagic, 4) != 0) {
            ++pos; // resynchronise on the next record magic
            continue;
        }
        const uint8_t type = data[pos + 4];
        const bool header_only = data[pos + 13] & 1;
        pos += 14;
        if (header_only) continue;
        if (pos + 4 > data.size()) break;
        const size_t length = Le32(&data[pos]);
        pos += 4;
        if (length > data.size() - pos) break;
        if (type == kKeyFrame || type == kPFrame || type == kPB || type == kPBB)
            out.push_back(
                {type, std::vector<uint8_t>(data.begin() + pos, data.begin() + pos + length)});
        pos += length;
    }
    return true;
}

bool LoadVideoRecords(const std::string& path, std::vector<VideoRecord>& out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    // One read for the whole file.
    f.seekg(0, std::ios::end);
    const std::streamoff size = f.tellg();
    if (size < 0) return false;
    f.seekg(0);
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (!f.read(reinterpret_cast<char*>(data.data()), size)) return false;
    if (ReadRecordingFile(data, out)) return true;
    out = SplitElementaryStream(data);
    return !out.empty();
}

} // namespace dvr::decoder
