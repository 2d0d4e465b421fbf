#include "sim/brevix32/board_script.h"

#include "sim/brevix32/board_layout.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace sim {
namespace {

uint32_t Get32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
void Append32(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t b[4];
    Put32(b, v);
    out.insert(out.end(), b, b + 4);
}

bool HasFrameHead(const ScriptRecord& r) {
    return r.bytes.size() >= kFrameHeadSize && r.bytes[0] == 0 && r.bytes[1] == 0 &&
           r.bytes[2] == 1 && r.bytes[3] == 0xC7;
}

// The MPEG-4 start codes: VOP, and the range of the video object and VOL ones.
constexpr uint8_t kVopStart[4] = {0, 0, 1, 0xB6};

bool IsSequenceStart(const uint8_t* p) {
    return p[0] == 0 && p[1] == 0 && p[2] == 1 && p[3] <= 0x2F;
}

// The bytes of a key frame's payload before its picture when they hold a sequence start.
std::vector<uint8_t> SequenceHeaderOf(const ScriptRecord& r) {
    if (r.bytes.size() < kFrameHeadSize + 4) return {};
    const auto payload = r.bytes.begin() + kFrameHeadSize;
    const auto vop = std::search(payload, r.bytes.end(), kVopStart, kVopStart + 4);
    for (auto p = payload; p + 4 <= vop; ++p)
        if (IsSequenceStart(&*p)) return std::vector<uint8_t>(payload, vop);
    return {};
}

std::vector<uint8_t> MakeFrameHead(uint8_t type, uint32_t number, uint32_t stamp, uint32_t length) {
    std::vector<uint8_t> h(kFrameHeadSize, 0);
    h[2] = 1;
    h[3] = 0xC7;
    h[4] = type;
    SetFrameNumber(h.data(), number);
    SetFrameStamp(h.data(), stamp);
    Put32(&h[14], length);
    return h;
}

} // namespace

uint32_t FrameNumber(const uint8_t* h) {
    return Get32(h + 5);
}
uint32_t FrameStamp(const uint8_t* h) {
    return Get32(h + 9);
}
void SetFrameNumber(uint8_t* h, uint32_t n) {
    Put32(h + 5, n);
}
void SetFrameStamp(uint8_t* h, uint32_t s) {
    Put32(h + 9, s);
}

int PicturesOf(uint16_t type) {
    switch (type) {
    case kTypeKeyFrame:
    case kTypePFrame:
        return 1;
    case kTypePBFrame:
        return 2;
    case kTypePBBFrame:
        return 3;
    default:
        return 0;
    }
}

std::optional<BoardScript> BoardScript::Parse(const std::vector<uint8_t>& data) {
    BoardScript script;
    bool haveKey = false;
    size_t pos = 0;
    while (pos < data.size()) {
        if (data.size() - pos < 8) return std::nullopt;
        uint32_t type = Get32(&data[pos]);
        uint32_t length = Get32(&data[pos + 4]);
        pos += 8;
        if (length > data.size() - pos || type > 0xFFFF) return std::nullopt;
        std::vector<uint8_t> bytes(data.begin() + pos, data.begin() + pos + length);
        pos += length;
        if (script.fileHead.empty()) {
            if (type != kTypeFileHead || length < 19) return std::nullopt;
            script.fileHead = std::move(bytes);
            continue;
        }
        ScriptRecord r{uint16_t(type), std::move(bytes)};
        // Timing and renumbering need a FrameHead on every media record.
        if (!HasFrameHead(r)) return std::nullopt;
        if (r.type == kTypeAudio && r.bytes.size() != kAudioRecordSize) return std::nullopt;
        haveKey = haveKey || r.type == kTypeKeyFrame;
        script.records.push_back(std::move(r));
    }
    if (!haveKey) return std::nullopt;
    return script;
}

std::optional<BoardScript> BoardScript::Load(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::vector<uint8_t> data;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    return Parse(data);
}

BoardScript BoardScript::Synthetic() {
    BoardScript s;
    // Stream header: magic, a free word, flags (sound), rate, a free word, height, width.
    s.fileHead = {0, 0, 1, 0xC6, 0, 0, 0, 0, 1, 0, 25, 0, 0, 0, 0, 0x20, 0x01, 0x60, 0x01};
    constexpr int kPictures = 80; // 3.2 s: a whole number of audio periods
    constexpr uint32_t kTicksPerPicture = 3600;
    int audio = 0;
    for (int i = 0; i < kPictures; ++i) {
        uint32_t stamp = uint32_t(i) * kTicksPerPicture;
        while (uint32_t(audio) * kAudioPeriodMs * 90 <= stamp) {
            ScriptRecord a{kTypeAudio, {}};
            for (uint32_t b = 0; b < kAudioBlockCount; ++b) {
                uint32_t bs = uint32_t(audio) * kAudioPeriodMs * 90 + b * 3600;
                auto h = MakeFrameHead(kTypeAudio, uint32_t(audio * 8 + int(b)), bs, 120);
                a.bytes.insert(a.bytes.end(), h.begin(), h.end());
                a.bytes.resize(a.bytes.size() + 640, 0); // silence
            }
            s.records.push_back(std::move(a));
            ++audio;
        }
        uint16_t type = i % 25 == 0 ? kTypeKeyFrame : kTypePFrame;
        // Not decodable pictures: a VOP start code and a recognisable pattern.
        std::vector<uint8_t> payload = {0, 0, 1, 0xB6, uint8_t(i), uint8_t(type)};
        payload.resize(type == kTypeKeyFrame ? 600 : 120, uint8_t(i));
        ScriptRecord v{type,
                       MakeFrameHead(uint8_t(type), uint32_t(i), stamp, uint32_t(payload.size()))};
        v.bytes.insert(v.bytes.end(), payload.begin(), payload.end());
        s.records.push_back(std::move(v));
    }
    return s;
}

std::vector<uint8_t> SerializeScript(const BoardScript& script) {
    std::vector<uint8_t> out;
    Append32(out, kTypeFileHead);
    Append32(out, uint32_t(script.fileHead.size()));
    out.insert(out.end(), script.fileHead.begin(), script.fileHead.end());
    for (const ScriptRecord& r : script.records) {
        Append32(out, r.type);
        Append32(out, uint32_t(r.bytes.size()));
        out.insert(out.end(), r.bytes.begin(), r.bytes.end());
    }
    return out;
}

RecordPlayer::RecordPlayer(const BoardScript* script, bool sound) : script_(script), sound_(sound) {
    const auto& recs = script_->records;
    stamps_.reserve(recs.size());
    for (const ScriptRecord& r : recs)
        stamps_.push_back(FrameStamp(r.bytes.data()));
    // One loop lasts until the end of whatever ends last: a picture lasts one
    // picture period per picture, an audio record its eight 40 ms blocks.
    firstStamp_ = *std::min_element(stamps_.begin(), stamps_.end());
    uint32_t period = 0; // shortest distance between pictures seen
    uint32_t previous = 0;
    int previousPictures = 0;
    for (size_t i = 0; i < recs.size(); ++i) {
        int pictures = PicturesOf(recs[i].type);
        if (!pictures) continue;
        if (previousPictures && stamps_[i] > previous) {
            uint32_t d = (stamps_[i] - previous) / uint32_t(previousPictures);
            if (d && (!period || d < period)) period = d;
        }
        previous = stamps_[i];
        previousPictures = pictures;
    }
    if (!period) period = 3600;
    period_ = period;
    uint64_t end = 0;
    for (size_t i = 0; i < recs.size(); ++i) {
        uint64_t length = recs[i].type == kTypeAudio ? uint64_t(kAudioPeriodMs) * 90
                                                     : uint64_t(PicturesOf(recs[i].type)) * period;
        end = std::max(end, uint64_t(stamps_[i] - firstStamp_) + length);
    }
    loopTicks_ = uint32_t(std::max<uint64_t>(end, period));
    const ScriptRecord* firstVideo = nullptr;
    const ScriptRecord* lastVideo = nullptr;
    for (const ScriptRecord& r : recs) {
        if (PicturesOf(r.type) == 0) continue;
        if (!firstVideo) firstVideo = &r;
        lastVideo = &r;
    }
    if (firstVideo)
        loopFrames_ = FrameNumber(lastVideo->bytes.data()) + uint32_t(PicturesOf(lastVideo->type)) -
                      FrameNumber(firstVideo->bytes.data());
    for (const ScriptRecord& r : recs) {
        if (r.type != kTypeKeyFrame) continue;
        sequenceHeader_ = SequenceHeaderOf(r);
        break;
    }
}

std::vector<uint8_t> RecordPlayer::FileHead() const {
    std::vector<uint8_t> h = script_->fileHead;
    uint16_t flags = uint16_t(h[8] | h[9] << 8);
    // Only the plain forms: headers with text blocks keep their own flags.
    if ((flags & 0xE003) == 0 || (flags & 0xE003) == 1) {
        flags = uint16_t((flags & ~0xE003) | (sound_ ? 1 : 0));
        h[8] = uint8_t(flags);
        h[9] = uint8_t(flags >> 8);
    }
    return h;
}

uint64_t RecordPlayer::Ticks(size_t index, uint64_t loop) const {
    return uint64_t(uint32_t(stamps_[index] - firstStamp_)) + loop * loopTicks_;
}

void RecordPlayer::Advance() {
    if (++cursor_ == script_->records.size()) {
        cursor_ = 0;
        ++loop_;
    }
}

void RecordPlayer::JumpToKeyFrame(int64_t nowMs) {
    headerDue_ = true;
    while (script_->records[cursor_].type != kTypeKeyFrame)
        Advance();
    originMs_ = nowMs - int64_t(Ticks(cursor_, loop_) / 90);
}

void RecordPlayer::RequestKeyFrame() {
    // The skipped records' time is taken out of the schedule and of the stamps: the key frame
    // becomes due when the next record was, with that record's stamp and frame number.
    // Sound between here and the key frame is left out with the pictures.
    headerDue_ = true;
    uint64_t before = 0;
    uint32_t frame = 0;
    bool havePicture = false;
    while (script_->records[cursor_].type != kTypeKeyFrame) {
        const ScriptRecord& r = script_->records[cursor_];
        if (!havePicture && PicturesOf(r.type)) {
            // Its stamp is that of its last picture: the key frame takes its first one's.
            before = Ticks(cursor_, loop_) - uint64_t(PicturesOf(r.type) - 1) * PicturePeriod();
            frame = FrameNumber(r.bytes.data()) + uint32_t(loop_ * loopFrames_);
            havePicture = true;
        }
        Advance();
    }
    if (!havePicture) return;
    const uint64_t after = Ticks(cursor_, loop_);
    originMs_ -= int64_t(after / 90) - int64_t(before / 90);
    stampSkew_ += uint32_t(after - before);
    frameSkew_ += FrameNumber(script_->records[cursor_].bytes.data()) +
                  uint32_t(loop_ * loopFrames_) - frame;
}

bool RecordPlayer::Next(int64_t nowMs, ScriptRecord& out) {
    for (;;) {
        if (originMs_ + int64_t(Ticks(cursor_, loop_) / 90) > nowMs) return false;
        const ScriptRecord& r = script_->records[cursor_];
        uint64_t loop = loop_;
        Advance();
        if (r.type == kTypeAudio && !sound_) continue;
        out = r;
        if (r.type == kTypeKeyFrame && headerDue_) {
            headerDue_ = false;
            if (!sequenceHeader_.empty() && SequenceHeaderOf(r).empty()) {
                out.bytes.insert(out.bytes.begin() + kFrameHeadSize, sequenceHeader_.begin(),
                                 sequenceHeader_.end());
                Put32(&out.bytes[14], uint32_t(out.bytes.size() - kFrameHeadSize));
            }
        }
        uint32_t stampShift = uint32_t(loop * loopTicks_) - stampSkew_;
        uint32_t frameShift = uint32_t(loop * loopFrames_) - frameSkew_;
        size_t blocks = r.type == kTypeAudio ? kAudioBlockCount : 1;
        size_t stride = r.type == kTypeAudio ? kAudioBlockSize : 0;
        for (size_t b = 0; b < blocks; ++b) {
            uint8_t* h = out.bytes.data() + b * stride;
            SetFrameStamp(h, FrameStamp(h) + stampShift);
            SetFrameNumber(h, FrameNumber(h) + frameShift);
        }
        return true;
    }
}

} // namespace sim
