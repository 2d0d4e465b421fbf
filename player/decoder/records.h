// Video records for driving the decoder from a file: an MPEG-4 elementary stream cut the
// way a board packs it, or the video records of a recording file. Used by m4vdec, the
// tests and the benchmark.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dvr::decoder {

struct VideoRecord {
    uint8_t type; // 1 key frame, 2 P frame, 0x20 P + one B, 4 P + two B
    std::vector<uint8_t> payload;
};

// Pictures a record yields.
int PicturesOf(const VideoRecord& r);
// The B pictures packed after the P picture (SetBFrameType's count).
int PackedBOf(const VideoRecord& r);

// Each I or lone P picture (with the headers before it) is a record; a P picture and
// the B pictures that follow it form one packed record.
std::vector<VideoRecord> SplitElementaryStream(const std::vector<uint8_t>& data);

// The video records of a recording file (stream header, then 18-byte record headers).
// False when the data does not start with a stream header.
bool ReadRecordingFile(const std::vector<uint8_t>& data, std::vector<VideoRecord>& out);

// Either of the above, by the first bytes of the file. False when it cannot be read.
bool LoadVideoRecords(const std::string& path, std::vector<VideoRecord>& out);

} // namespace dvr::decoder
