// The firmware model: one board thread serves every started processor. It performs
// each processor's boot handshake, obeys host commands and replays each sub-channel's
// records into the stream slots in real time. It sleeps until the next record, paint or
// motion grid is due (or a host call wakes it), never less than a few milliseconds, so
// that the cost stays small however many channels run.
#include "sim/brevix32/driver_state.h"

#include "sim/brevix32/board_layout.h"
#include "sim/brevix32/board_pictures.h"
#include "sim/brevix32/preview_picture.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace sim {
namespace {

// Shortest and longest sleep of the board thread (real time). The host's slot reader
// polls every 40 ms, so records made up to this late reach it in the same pass.
constexpr int64_t kMinSleepMs = 8;
constexpr int64_t kMaxSleepMs = 250;
constexpr int64_t kBootDelayMs = 5;
constexpr int64_t kMotionPeriodMs = 250;
constexpr int64_t kPaintPeriodMs = 40;
constexpr int64_t kTimeRequestPeriodMs = 60000;

int SubChannels(const Processor& p) {
    return std::clamp(p.config.type, 0, kMaxSubChannels);
}

void PutWord(uint8_t* at, uint32_t v) {
    std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(at)).store(v, std::memory_order_release);
}

bool Writable(const void* at) {
    MEMORY_BASIC_INFORMATION mbi{};
    if (!VirtualQuery(at, &mbi, sizeof mbi) || mbi.State != MEM_COMMIT) return false;
    return mbi.Protect & (PAGE_READWRITE | PAGE_EXECUTE_READWRITE | PAGE_WRITECOPY);
}

uint8_t* Area(Processor& p, int sub, ChannelArea area) {
    return p.memory + ChannelAreaOffset(sub, area);
}

bool CanWriteShared(const Processor& p) {
    return p.booted && p.block && !p.boardStopped;
}

void WriteControlBlock(Processor& p) {
    BoardControlBlock cb{};
    cb.magic = p.noMagic ? 0 : kStreamMagic;
    cb.infoA = 0x00040000u | uint32_t(p.config.type); // board kind, channel count
    cb.infoB = 0x20040301u;                           // firmware date
    for (int s = 0; s < 4; ++s)
        for (int a = 0; a < kAreaCount; ++a)
            cb.areas[s][a] = BoardAddress(ChannelAreaOffset(s, ChannelArea(a)));
    std::memcpy(p.block->host + kControlBlockOffset + 4, reinterpret_cast<uint8_t*>(&cb) + 4,
                sizeof cb - 4);
    // The magic last: the block is valid only once everything else is there.
    PutWord(p.block->host + kControlBlockOffset, cb.magic);
    for (int s = 0; s < SubChannels(p); ++s)
        SetVideoWord(p, s);
    p.controlWritten = true;
}

void Enqueue(Processor& p, int sub, uint16_t type, const std::vector<uint8_t>& bytes) {
    SlotSequence seq = p.writer.Spare();
    CutRecord(type, sub, bytes, seq);
    if (p.writer.Enqueue(std::move(seq))) ++p.subs[size_t(sub)].records;
}

void SendTimeRequest(Processor& p) {
    ++p.timeRequests;
    Message m{kMsgTimeRequest << 16,        0,
              0x100u + p.timeRequests,      uint32_t(p.index),
              0xA5A50000u | p.timeRequests, 0xFFFF0000u - p.timeRequests};
    SendToHost(p, p.myMessage, m);
}

void DoGrab(Processor& p, int sub) {
    SubChannelState& s = p.subs[size_t(sub)];
    std::vector<uint8_t> pic =
        MakeGrabPicture(PictureSizeFor(p.config.type, p.videoStandard), sub, s.grabCounter++);
    uint32_t n = p.grabSize ? uint32_t(p.grabSize) : uint32_t(pic.size());
    uint8_t* buf = Area(p, sub, kGrabBuffer);
    std::memset(buf + 4, 0, std::min(n, kGrabCapacity));
    std::memcpy(buf + 4, pic.data(), std::min<size_t>({pic.size(), n, kGrabCapacity}));
    PutWord(buf, n);
    s.grabHeld = true;
    SendToHost(p, p.myMessage, Message{kMsgPictureReady << 16 | uint32_t(sub) << 8, 0, 0, 0, 0, 0});
}

void StartPreview(Driver& d, Processor& p, int sub, const Message& m) {
    SubChannelState& s = p.subs[size_t(sub)];
    s.preview = false;
    uint32_t bus = m[1], pitch = m[2] >> 16, format = m[2] & 0xFFFF;
    int width = int(m[3] >> 16), height = int(m[3] & 0xFFFF);
    if (bus < kBusBase || width <= 0 || height <= 0 || pitch < uint32_t(width) * 2) return;
    size_t slot = (bus - kBusBase) / kBusStride;
    if (slot >= d.translations.size()) return;
    const Driver::Translation& t = d.translations[slot];
    uint64_t offset = (bus - kBusBase) % kBusStride;
    // The whole rectangle must lie inside the memory the host translated.
    uint64_t end = offset + uint64_t(height - 1) * pitch + uint64_t(width) * 2;
    if (end > t.length) return;
    s.previewFirst = t.host + offset;
    s.previewPitch = pitch;
    s.previewFormat = format;
    s.previewWidth = width;
    s.previewHeight = height;
    s.preview = true;
    s.nextPaintMs = BoardNowMs(d);
    // From the next key frame: a preview started again does not catch up on what it missed.
    if (s.player) {
        s.previewPlayer = std::make_unique<RecordPlayer>(s.player->Script(), false);
        s.previewPlayer->JumpToKeyFrame(s.nextPaintMs);
    }
}

void Obey(Driver& d, Processor& p, const Message& m) {
    uint32_t code = CommandCode(m[0]);
    int sub = CommandSub(m[0]), value = CommandValue(m[0]);
    bool subOk = sub < SubChannels(p);
    SubChannelState* s = subOk ? &p.subs[size_t(sub)] : nullptr;
    int64_t now = BoardNowMs(d);
    switch (code) {
    case kCmdCapture:
        if (!s) break;
        if (value == 1 && !p.boardStopped && s->player) {
            Enqueue(p, sub, kTypeFileHead, s->player->FileHead());
            s->player->JumpToKeyFrame(now);
            s->pictures = 0;
            s->capture = true;
        } else if (value == 0) {
            s->capture = false;
        }
        break;
    case kCmdPreview:
        if (!s) break;
        if (value == 1)
            StartPreview(d, p, sub, m);
        else
            s->preview = false;
        break;
    case kCmdVideoStandard:
        if (m[0] & 0xFFFF) p.videoStandard = int(m[0] & 0xFFFF);
        break;
    case kCmdMotion:
        if (!s) break;
        s->motion = value == 1;
        s->nextMotionMs = now;
        break;
    case kCmdGrab:
        if (!s || p.grabSilent) break;
        if (s->grabHeld)
            ++s->grabsWaiting;
        else
            DoGrab(p, sub);
        break;
    case kCmdBoardStop:
        SendToHost(p, p.myMessage, Message{kMsgBoardStopped << 16, 0, 0, 0, 0, 0});
        p.boardStopped = true;
        for (SubChannelState& c : p.subs)
            c.capture = c.motion = c.preview = false;
        p.writer.Reset();
        break;
    case kCmdKeyFrame:
        if (s && s->capture && s->player) s->player->RequestKeyFrame();
        break;
    case kCmdBoardStart:
        p.boardStarted = true;
        SendTimeRequest(p);
        p.nextTimeRequestMs = now + kTimeRequestPeriodMs;
        break;
    default:
        break;
    }
    p.lastCommand[code] = m;
}

// Makes what is due at `now`; lowers `next` to the board time something else falls due.
void Produce(Processor& p, int64_t now, int64_t& next) {
    for (int sub = 0; sub < SubChannels(p); ++sub) {
        SubChannelState& s = p.subs[size_t(sub)];
        if (s.capture && s.player) {
            ScriptRecord& r = s.record;
            while (s.player->Next(now, r)) {
                Enqueue(p, sub, r.type, r.bytes);
                if (int n = PicturesOf(r.type)) {
                    s.pictures += uint32_t(n);
                    PutWord(Area(p, sub, kStatistics), s.pictures);
                }
            }
            next = std::min(next, s.player->NextDueMs());
        }
        if (s.motion && now >= s.nextMotionMs) {
            s.nextMotionMs = now + kMotionPeriodMs;
            Enqueue(p, sub, kTypeMotion,
                    MakeMotionRecord(PictureSizeFor(p.config.type, p.videoStandard),
                                     s.motionSequence++, s.raisedMotion));
        }
        if (s.motion) next = std::min(next, s.nextMotionMs);
        if (s.preview && s.previewPlayer) {
            // Scripts whose pictures do not decode (the synthetic one) keep the plain colour.
            ScriptRecord& r = s.previewRecord;
            while (s.previewPlayer->Next(now, r)) {
                if (!PicturesOf(r.type)) continue;
                if (!s.previewPicture && r.type == kTypeKeyFrame)
                    s.previewPicture = std::make_unique<PreviewPicture>();
                if (s.previewPicture) s.previewPicture->Feed(r);
            }
        }
        if (s.preview && now >= s.nextPaintMs) {
            s.nextPaintMs = now + kPaintPeriodMs;
            // A surface the host has given up without telling the board is
            // not painted (a real board would write into whatever is there).
            if (!Writable(s.previewFirst) ||
                !Writable(s.previewFirst + size_t(s.previewHeight - 1) * s.previewPitch +
                          size_t(s.previewWidth) * 2 - 1)) {
                s.preview = false;
                continue;
            }
            if (!s.previewPicture ||
                !s.previewPicture->Paint(s.previewFirst, s.previewPitch, s.previewFormat,
                                         s.previewWidth, s.previewHeight))
                PaintPreview(s.previewFirst, s.previewPitch, s.previewFormat, s.previewWidth,
                             s.previewHeight, sub, s.paintCounter);
            ++s.paintCounter;
        }
        if (s.preview) next = std::min(next, s.nextPaintMs);
    }
    if (p.boardStarted && now >= p.nextTimeRequestMs) {
        p.nextTimeRequestMs = now + kTimeRequestPeriodMs;
        SendTimeRequest(p);
    }
    if (p.boardStarted) next = std::min(next, p.nextTimeRequestMs);
}

void SignalHost(Processor& p, int n) {
    if (p.skipSignal != n && p.event) SetEvent(p.event->hostEvent);
}

// One step of one processor at board time `now`. Returns false while the slots hold
// records the host has not taken yet (the writer must look again soon).
bool Step(Driver& d, Processor& p, int64_t now, int64_t& next) {
    // The boot handshake: signal, wait for the host's signal, signal again, wait again.
    if (p.bootStage == 0) {
        if (now < p.startMs + kBootDelayMs) {
            next = std::min(next, p.startMs + kBootDelayMs);
            return true;
        }
        SignalHost(p, 1);
        p.bootStage = 1;
    }
    if (p.bootStage == 1) {
        if (p.hostSignals < 1) return true;
        SignalHost(p, 2);
        p.bootStage = 2;
    }
    if (p.bootStage == 2) {
        if (p.hostSignals < 2) return true;
        p.booted = true;
        p.releases = p.hostSignals;
        p.bootStage = 3;
    }
    if (CanWriteShared(p) && !p.controlWritten) WriteControlBlock(p);
    // Host signals after boot release grab buffers.
    if (p.hostSignals != p.releases) {
        p.releases = p.hostSignals;
        for (int sub = 0; sub < SubChannels(p); ++sub) {
            SubChannelState& s = p.subs[size_t(sub)];
            s.grabHeld = false;
            if (s.grabsWaiting > 0) {
                --s.grabsWaiting;
                DoGrab(p, sub);
            }
        }
    }
    if (p.myMessage) {
        while (!p.myMessage->toBoard.empty()) {
            Message m = p.myMessage->toBoard.front();
            p.myMessage->toBoard.pop_front();
            Obey(d, p, m);
            ++p.commandsObeyed;
            d.cv.notify_all();
        }
    }
    if (!p.boardStopped) Produce(p, now, next);
    if (CanWriteShared(p)) p.writer.Pump(p.block->host);
    return p.writer.QueuedSequences() == 0;
}

void BoardMain(uint64_t generation) {
    Driver& d = TheDriver();
    std::unique_lock<std::mutex> lock(d.m);
    while (d.boardGeneration == generation) {
        const int64_t now = BoardNowMs(d);
        int64_t next = now + kMaxSleepMs * d.speed;
        bool drained = true;
        for (auto& p : d.processors)
            if (p->running) drained = Step(d, *p, now, next) && drained;
        // Board time to real time; slots still full are looked at again soon.
        int64_t sleep = (next - now + d.speed - 1) / std::max(d.speed, 1);
        if (!drained) sleep = std::min<int64_t>(sleep, kMinSleepMs);
        sleep = std::clamp<int64_t>(sleep, kMinSleepMs, kMaxSleepMs);
        d.cv.wait_for(lock, std::chrono::milliseconds(sleep));
    }
}

} // namespace

uint32_t BoardAddress(uint32_t offset) {
    return kBoardBase + offset;
}

uint8_t* HostPointer(Processor& p, uint32_t boardAddress) {
    if (!p.memory || boardAddress < kBoardBase || boardAddress - kBoardBase >= kBoardMemorySize)
        return nullptr;
    return p.memory + (boardAddress - kBoardBase);
}

void SendToHost(Processor&, MessageChannel* channel, const Message& m) {
    if (!channel) return;
    channel->toHost.push_back(m);
    if (channel->hostEvent) SetEvent(channel->hostEvent);
}

void SetVideoWord(Processor& p, int sub) {
    if (!p.memory || sub >= kMaxSubChannels) return;
    PutWord(Area(p, sub, kStatusBlock), 0x1);
    PutWord(Area(p, sub, kStatusBlock) + 4, p.subs[size_t(sub)].video ? 1 : 0);
}

void StartFirmware(Driver& d, Processor& p) {
    p.hostSignals = 0;
    p.booted = p.boardStarted = p.boardStopped = p.controlWritten = false;
    p.videoStandard = 2;
    p.writer.Reset();
    p.lastCommand.clear();
    for (int sub = 0; sub < kMaxSubChannels; ++sub) {
        SubChannelState& s = p.subs[size_t(sub)];
        bool video = s.video;
        std::vector<uint16_t> raised = std::move(s.raisedMotion);
        int records = s.records;
        s = SubChannelState{};
        s.video = video;
        s.raisedMotion = std::move(raised);
        s.records = records;
        const std::string& source = p.config.sources[sub];
        auto it = d.scripts.find(source);
        if (it != d.scripts.end() && it->second)
            s.player = std::make_unique<RecordPlayer>(it->second.get(), d.config.sound);
    }
    p.startMs = BoardNowMs(d);
    p.bootStage = 0;
    p.running = true;
    if (!d.board.joinable()) d.board = std::thread(BoardMain, d.boardGeneration);
    d.cv.notify_all();
}

void StopFirmware(Driver& d, Processor& p, std::unique_lock<std::mutex>& lock) {
    if (!p.running) return;
    // The board thread works only under the lock: from here on it leaves p alone.
    p.running = false;
    p.booted = false;
    for (SubChannelState& s : p.subs)
        s.capture = s.motion = s.preview = false;
    for (auto& other : d.processors)
        if (other->running) return;
    // No processor left: the board thread ends (a later start makes a new one).
    ++d.boardGeneration;
    d.cv.notify_all();
    std::thread t = std::move(d.board);
    lock.unlock();
    if (t.joinable()) t.join();
    lock.lock();
}

} // namespace sim
