// Board record scripts: what a simulated sub-channel encodes, replayed in
// real time and looped with time stamps and frame numbers still increasing.
//
// Script file: records of u32 LE type, u32 LE length, then length bytes. The
// first record is the stream header (type 128); video records are a FrameHead
// and MPEG-4 data; audio records are 8 blocks of FrameHead + 320 samples.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct ScriptRecord {
    uint16_t type = 0;
    std::vector<uint8_t> bytes;
};

struct BoardScript {
    std::vector<uint8_t> fileHead;
    std::vector<ScriptRecord> records; // media records in order

    // nullopt when the data is not a well-formed script with a header and
    // at least one key frame.
    static std::optional<BoardScript> Parse(const std::vector<uint8_t>& data);
    static std::optional<BoardScript> Load(const std::string& path);
    // A few fake records (352 x 288, 25 pictures per second, with sound).
    static BoardScript Synthetic();
};

// Writes a script file image (used by tests and by the synthetic source).
std::vector<uint8_t> SerializeScript(const BoardScript& script);

// FrameHead fields.
constexpr size_t kFrameHeadSize = 18;
uint32_t FrameNumber(const uint8_t* frameHead);
uint32_t FrameStamp(const uint8_t* frameHead);
void SetFrameNumber(uint8_t* frameHead, uint32_t n);
void SetFrameStamp(uint8_t* frameHead, uint32_t stamp);
int PicturesOf(uint16_t type); // 1, 1, 2, 3 for video types, else 0

// Replays one script for one sub-channel on a millisecond clock.
class RecordPlayer {
public:
    RecordPlayer(const BoardScript* script, bool sound);

    // The stream header to deliver first after a capture start, with the
    // sound flag set as configured.
    std::vector<uint8_t> FileHead() const;
    // Positions at the next key frame (from the current place) and makes it
    // due at `nowMs`. Used for capture start and for key-frame requests.
    void JumpToKeyFrame(int64_t nowMs);
    // A key-frame request: the next picture due is the script's next key frame, carrying
    // the time stamp and frame number the skipped-over picture would have had, so the
    // stream's clock never jumps ahead.
    void RequestKeyFrame();
    // Both make the key frame they lead to carry the script's sequence header (what its first
    // key frame holds before its picture), as an encoder does when it starts or is asked for a
    // key frame: a decoder that joins there has what it needs.
    // The next record if it is due at `nowMs`; stamps and frame numbers are
    // rewritten so that they keep increasing across loops.
    bool Next(int64_t nowMs, ScriptRecord& out);
    // When the next record falls due (it may be one Next skips).
    int64_t NextDueMs() const { return originMs_ + int64_t(Ticks(cursor_, loop_) / 90); }
    const BoardScript* Script() const { return script_; }

private:
    uint64_t Ticks(size_t index, uint64_t loop) const;
    void Advance();

    const BoardScript* script_;
    bool sound_;
    std::vector<uint32_t> stamps_; // 90 kHz stamp of each record
    size_t cursor_ = 0;
    uint64_t loop_ = 0;
    int64_t originMs_ = 0;
    uint32_t firstStamp_ = 0;
    uint32_t loopTicks_ = 3600;
    uint32_t loopFrames_ = 0;
    // Taken off every delivered stamp and frame number by key-frame requests.
    uint32_t period_ = 3600; // 90 kHz ticks between pictures
    uint64_t PicturePeriod() const { return period_; }
    uint32_t stampSkew_ = 0;
    uint32_t frameSkew_ = 0;
    std::vector<uint8_t> sequenceHeader_;
    bool headerDue_ = false;
};

} // namespace sim
