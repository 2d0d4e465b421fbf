// What goes into a port's sound buffer: audio blocks taken in time-stamp order, with
// silence for gaps and whole-block corrections that keep the sound with the pictures.
// Portable; the DirectSound side only hands the samples on.
#pragma once

#include <cstddef>
#include <cstdint>

#include <memory>

namespace dvr {
class G723Decoder;
}

namespace dvr::strovid {

inline constexpr int kSoundBlockBytes = 120; // code words of one 40 ms block
inline constexpr int kSoundBlockSamples = 320;
inline constexpr int kSoundChunkBlocks = 8;   // one refill: 320 ms
inline constexpr int kSoundChunkBytes = 5120; // 16-bit samples of a chunk
inline constexpr uint32_t kSoundBlockTicks = 3600;
inline constexpr int32_t kSoundGapTicks = 4500; // more than this after the last block: a gap
inline constexpr int kResyncEvery = 6;          // chunks between comparisons with the pictures

// DirectSound attenuation (-10000 silence .. 0 full) for a caller's level; only the low
// 16 bits of the level count.
int SoundAttenuation(int level);

struct SoundBlock {
    uint8_t codes[kSoundBlockBytes];
    uint32_t timeStamp;
};

// Where the audio blocks come from: a file's audio records or a stream's audio queue.
class SoundBlockSource {
public:
    virtual ~SoundBlockSource() = default;
    // The next block; false at the end of what there is.
    virtual bool Next(SoundBlock* block) = 0;
    // The block Next just gave is kept for the next call.
    virtual void PutBack() = 0;
};

enum class SoundPortKind { kFileOrOwnThread, kSharedThread };

struct SoundTiming {
    SoundPortKind kind = SoundPortKind::kFileOrOwnThread;
    int pictureIntervalMs = 40;
    bool fewSurfaces = true; // shared thread: fewer than 5 ports hold display surfaces
};

// Per-port feeding state, reset each time sound starts.
class SoundFeed {
public:
    void Restart();

    // Called on each refill notification; true on every sixth, when the caller should
    // request a comparison with `pictureTime` through RequestResync.
    bool CountRefill();
    void RequestResync(uint32_t pictureTime);

    // Fills one chunk's code words and returns how many blocks it holds (silent ones
    // inserted to wait for the pictures count); the rest of the chunk is silence. Returns
    // 0 with SilentChunk() set when the whole chunk is waiting.
    int FillChunk(SoundBlockSource& source, const SoundTiming& timing,
                  uint8_t codes[kSoundChunkBlocks][kSoundBlockBytes]);

    // Start of playing: blocks more than `leadMs` before the first picture are passed
    // over, then up to `count` blocks collected with the gap rule. Returns how many.
    int FillStart(SoundBlockSource& source, uint32_t firstPicture, int leadMs, int count,
                  uint8_t (*codes)[kSoundBlockBytes]);

    bool SilentChunk() const { return silentChunk_; }
    bool HaveLast() const { return haveLast_; }
    uint32_t LastTime() const { return lastTime_; }

private:
    // One block with the gap rule: a block too far after the last one is kept back and
    // silence stands in for it. False at the end of the source.
    bool TakeBlock(SoundBlockSource& source, uint8_t* codes);

    uint32_t lastTime_ = 0;
    bool haveLast_ = false;
    bool restart_ = true;
    bool resync_ = false;
    uint32_t resyncTarget_ = 0;
    int refills_ = 0;
    bool silentChunk_ = false;
};

// Decodes `blocks` blocks of code words into 16-bit samples and fills the rest of
// `totalBlocks` with silence.
void DecodeBlocks(G723Decoder& decoder, const uint8_t (*codes)[kSoundBlockBytes], int blocks,
                  int totalBlocks, int16_t* samples);

// A port's decoder, kept apart so that users need not see the coder's declarations.
class SoundDecoder {
public:
    SoundDecoder();
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder&) = delete;
    SoundDecoder& operator=(const SoundDecoder&) = delete;
    void Reset();
    void Decode(const uint8_t (*codes)[kSoundBlockBytes], int blocks, int totalBlocks,
                int16_t* samples);

private:
    std::unique_ptr<G723Decoder> decoder_;
};

} // namespace dvr::strovid
