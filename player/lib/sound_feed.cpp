#include "player/lib/sound_feed.h"

#include <cstring>

#include "common/adpcm/adpcm.h"

namespace dvr::strovid {

int SoundAttenuation(int level) {
    int v = level & 0xFFFF;
    return v * 10000 / 65535 - 10000;
}

void SoundFeed::Restart() {
    haveLast_ = false;
    lastTime_ = 0;
    restart_ = true;
    resync_ = false;
    resyncTarget_ = 0;
    refills_ = 0;
}

bool SoundFeed::CountRefill() {
    ++refills_;
    return refills_ % kResyncEvery == 0;
}

void SoundFeed::RequestResync(uint32_t pictureTime) {
    resyncTarget_ = pictureTime;
    resync_ = true;
}

bool SoundFeed::TakeBlock(SoundBlockSource& source, uint8_t* codes) {
    SoundBlock block;
    if (!source.Next(&block)) return false;
    if (haveLast_ && static_cast<int32_t>(block.timeStamp - lastTime_) > kSoundGapTicks) {
        source.PutBack();
        std::memset(codes, 0, kSoundBlockBytes);
        lastTime_ += kSoundBlockTicks;
        return true;
    }
    std::memcpy(codes, block.codes, kSoundBlockBytes);
    lastTime_ = block.timeStamp;
    haveLast_ = true;
    return true;
}

int SoundFeed::FillChunk(SoundBlockSource& source, const SoundTiming& timing,
                         uint8_t codes[kSoundChunkBlocks][kSoundBlockBytes]) {
    int n = 0;
    if (resync_ && !restart_ && haveLast_) {
        const bool own = timing.kind == SoundPortKind::kFileOrOwnThread;
        // Sound already queued in the buffer (three chunks) is counted as played.
        int64_t a = static_cast<int64_t>(lastTime_) - (own ? 86400 : 0);
        const int64_t target = resyncTarget_;
        const int i = timing.pictureIntervalMs;
        const int ahead = own ? i + 250 : i + 640;
        const int behind = own ? i + 250 : (timing.fewSurfaces ? i + 2000 : i + 640);
        if ((a - target) / 90 >= ahead) {
            while (n < kSoundChunkBlocks && (a - target) / 90 >= ahead) {
                std::memset(codes[n++], 0, kSoundBlockBytes);
                a -= kSoundBlockTicks;
            }
        } else if ((target - a) / 90 >= behind) {
            int64_t skip = (target - a) / kSoundBlockTicks;
            uint32_t prev = lastTime_;
            SoundBlock block;
            while (skip > 0 && source.Next(&block)) {
                // A gap inside what is skipped stands for two blocks.
                skip -= static_cast<int32_t>(block.timeStamp - prev) > kSoundGapTicks ? 2 : 1;
                prev = block.timeStamp;
            }
            lastTime_ = prev;
        }
    }
    resync_ = false;
    restart_ = false;
    // A whole chunk of inserted silence is played as zero samples, not decoded.
    silentChunk_ = n == kSoundChunkBlocks;
    if (silentChunk_) return 0;
    while (n < kSoundChunkBlocks && TakeBlock(source, codes[n]))
        ++n;
    return n;
}

int SoundFeed::FillStart(SoundBlockSource& source, uint32_t firstPicture, int leadMs, int count,
                         uint8_t (*codes)[kSoundBlockBytes]) {
    SoundBlock block;
    const int64_t lead = static_cast<int64_t>(leadMs) * 90;
    while (source.Next(&block)) {
        if (static_cast<int32_t>(firstPicture - block.timeStamp) <= lead) {
            source.PutBack();
            break;
        }
    }
    int n = 0;
    while (n < count && TakeBlock(source, codes[n]))
        ++n;
    return n;
}

void DecodeBlocks(G723Decoder& decoder, const uint8_t (*codes)[kSoundBlockBytes], int blocks,
                  int totalBlocks, int16_t* samples) {
    int done = 0;
    for (; done < blocks; ++done)
        decoder.Decode(codes[done], kSoundBlockBytes, samples + done * kSoundBlockSamples,
                       kSoundBlockSamples);
    std::memset(samples + done * kSoundBlockSamples, 0,
                sizeof(int16_t) * kSoundBlockSamples * (totalBlocks - done));
}

SoundDecoder::SoundDecoder() : decoder_(std::make_unique<G723Decoder>()) {}
SoundDecoder::~SoundDecoder() = default;

void SoundDecoder::Reset() {
    decoder_->Reset();
}

void SoundDecoder::Decode(const uint8_t (*codes)[kSoundBlockBytes], int blocks, int totalBlocks,
                          int16_t* samples) {
    DecodeBlocks(*decoder_, codes, blocks, totalBlocks, samples);
}

} // namespace dvr::strovid
