// State shared by the driver operations, the test control and the firmware
// threads of the simulated boards. One lock guards all of it.
#pragma once

#include "sim/brevix32/Brevix32.h"
#include "sim/brevix32/board_script.h"
#include "sim/brevix32/preview_picture.h"
#include "sim/brevix32/sim_config.h"
#include "sim/brevix32/slot_stream.h"

#include <windows.h>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace sim {

using Message = std::array<uint32_t, BREVIX_MESSAGE_WORDS>;

struct Processor;

struct MessageChannel {
    Processor* processor;
    std::string name;
    HANDLE hostEvent;
    std::deque<Message> toBoard;
    std::deque<Message> toHost;
};

struct EventBinding {
    Processor* processor;
    HANDLE hostEvent;
};

struct SharedBlock {
    Processor* processor;
    uint8_t* host;
};

struct DspHandle {
    Processor* processor;
};

// What one sub-channel of the firmware is doing.
struct SubChannelState {
    std::unique_ptr<RecordPlayer> player;
    ScriptRecord record; // the record being produced; its buffer serves every record
    ScriptRecord previewRecord;
    bool capture = false;
    bool motion = false;
    int64_t nextMotionMs = 0;
    uint32_t motionSequence = 0;
    std::vector<uint16_t> raisedMotion;
    bool preview = false;
    uint8_t* previewFirst = nullptr;
    uint32_t previewPitch = 0, previewFormat = 0;
    int previewWidth = 0, previewHeight = 0;
    int64_t nextPaintMs = 0;
    uint32_t paintCounter = 0;
    // The preview shows the sub-channel's own stream, decoded as it comes due.
    std::unique_ptr<RecordPlayer> previewPlayer;
    std::unique_ptr<PreviewPicture> previewPicture;
    bool grabHeld = false; // the host has not released the grab buffer yet
    int grabsWaiting = 0;  // grabs asked for while the buffer was held
    uint32_t grabCounter = 0;
    uint32_t pictures = 0; // statistics word
    int records = 0;       // records delivered to the slots
    bool video = true;
};

struct Processor {
    int index = 0;
    ProcessorConfig config;
    uint8_t* memory = nullptr; // board memory, below 2 GB; the shared block at its start
    int opens = 0;
    int status = BREVIX_STATUS_RESET;

    EventBinding* event = nullptr;
    MessageChannel* myMessage = nullptr;
    MessageChannel* cRunTime = nullptr;
    SharedBlock* block = nullptr;

    // Firmware (served by the driver's board thread while running).
    bool running = false;
    int bootStage = 0;   // 0 started, 1 and 2 signalled the host, 3 booted
    int64_t startMs = 0; // board time of the start
    int releases = 0;    // host signals seen after boot (each releases the grab buffers)
    int hostSignals = 0; // BrevixEventSignal calls since start
    bool booted = false; // handshake done: the slots and control block are ours
    bool boardStarted = false;
    bool boardStopped = false;
    bool controlWritten = false;
    int videoStandard = 2;
    int64_t nextTimeRequestMs = 0;
    uint32_t timeRequests = 0;
    SlotWriter writer;
    std::array<SubChannelState, kMaxSubChannels> subs;
    std::map<uint32_t, Message> lastCommand; // by code, for commands kept as settings

    // Test control.
    std::deque<Message> commandLog;
    int commandLogBase = 0;     // index of commandLog.front()
    int commandsObeyed = 0;     // commands on "MyMessage" the firmware has carried out
    std::map<int, int> failing; // op -> remaining failures (-1 = always)
    int busy = 0;
    int skipSignal = 0;
    bool noMagic = false;
    bool grabSilent = false;
    int grabSize = 0;
};

struct Driver {
    std::mutex m;
    std::condition_variable cv;
    // The one firmware thread of all processors; it ends when its generation is passed.
    std::thread board;
    uint64_t boardGeneration = 0;
    bool configured = false;
    SimConfig config;
    int speed = 1;
    std::vector<std::unique_ptr<Processor>> processors;
    std::map<int, uint8_t*> regions; // board memory by processor index, kept for the process
    std::map<std::string, std::shared_ptr<BoardScript>> scripts;
    std::set<void*> live; // handles handed out and not yet released
    Processor unbound;    // failures injected into operations without a processor

    struct Translation {
        uint8_t* host;
        uint32_t length;
    };
    std::vector<Translation> translations; // token i = kBusBase + i * kBusStride

    struct Call {
        int op, processor;
    };
    std::deque<Call> calls;
    int callBase = 0;

    // Virtual board clock in milliseconds (runs `speed` times real time).
    int64_t clockBaseMs = 0;
    uint64_t clockBaseTick = 0;
};

constexpr uint32_t kBusBase = 0x80000000u;
constexpr uint32_t kBusStride = 0x04000000u;
constexpr size_t kMaxTranslations = 32;
constexpr size_t kLogLimit = 1u << 20;

Driver& TheDriver();
// Both with the lock held.
int64_t BoardNowMs(Driver& d);
void EnsureConfigured(Driver& d);

// Test control helpers (brevix32.cpp), with the lock held.
SimConfig FoundConfig();
int ConfigureLocked(Driver& d, const SimConfig& cfg);
void SetSpeedLocked(Driver& d, int factor);
Processor* NoProcessorFaults();

// Firmware (firmware.cpp); all with the lock held.
void StartFirmware(Driver& d, Processor& p);
void StopFirmware(Driver& d, Processor& p, std::unique_lock<std::mutex>& lock);
void SendToHost(Processor& p, MessageChannel* channel, const Message& m);
void SetVideoWord(Processor& p, int sub);
// Board address of a sub-channel area; host pointer of a board address.
uint32_t BoardAddress(uint32_t offset);
uint8_t* HostPointer(Processor& p, uint32_t boardAddress);

} // namespace sim
