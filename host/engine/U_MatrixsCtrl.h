// The XM-3216 matrix switcher (32 inputs, 16 outputs): the 20-byte routing frame, the stored
// input names and switching groups, and the switching and group stepping of its window.
#pragma once

#include "common/gbk.h"
#include "host/engine/U_SerialGateway.h"

#include <cstddef>
#include <cstdint>

namespace vantrel {

constexpr int kMatrixInputs = 32;
constexpr int kMatrixOutputs = 16;
constexpr int kMatrixGroups = 20;
constexpr int kMatrixPairs = 25;

#pragma pack(push, 1)
struct TMatrixPair {
    uint8_t Output; // 0..15
    uint8_t Input;  // 0..31
};
struct TMatrixGroup {
    dvr::PString<30> Name;
    uint8_t Reserved31;
    int32_t DwellSeconds;
    uint8_t PairCount;
    TMatrixPair Pairs[kMatrixPairs];
    uint8_t Reserved87;
};
struct TMatrixGroupTable {
    uint8_t GroupCount;
    uint8_t Reserved1[3];
    TMatrixGroup Groups[kMatrixGroups];
};
struct TMatrixInputNames {
    dvr::PString<30> Names[kMatrixInputs];
};
struct XMSwitchFrame {
    uint8_t Head[2];               // "AT"
    uint8_t Slots[kMatrixOutputs]; // input number (1-based) per output; 0 = none yet
    uint8_t Tail[2];               // CR LF
};
#pragma pack(pop)
static_assert(sizeof(TMatrixPair) == 2);
static_assert(sizeof(TMatrixGroup) == 88);
static_assert(offsetof(TMatrixGroup, DwellSeconds) == 32);
static_assert(offsetof(TMatrixGroup, PairCount) == 36);
static_assert(offsetof(TMatrixGroup, Pairs) == 37);
static_assert(offsetof(TMatrixGroup, Reserved87) == 87);
static_assert(sizeof(TMatrixGroupTable) == 1764);
static_assert(offsetof(TMatrixGroupTable, Groups) == 4);
static_assert(sizeof(TMatrixInputNames) == 992);
static_assert(sizeof(XMSwitchFrame) == 20);

// Registry values "Matrixs", "XM" and "XM_Group" of key "SOFTWARE\VQS\Matrixs".
class TMatrixStore {
public:
    virtual ~TMatrixStore() = default;
    // Bytes read; 0 or less leaves the buffer as it was.
    virtual int Read(const char* name, void* buffer, int size) = 0;
    virtual void Write(const char* name, const void* buffer, int size) = 0;
};

class TMatrixsCtrl {
public:
    TMatrixsCtrl(TSerialGateway& com, TMatrixStore& store);

    TMatrixGroupTable Groups{};
    XMSwitchFrame SwitchFrame{};
    TMatrixInputNames InputNames{};
    uint8_t MatrixType = 0;
    uint8_t PortIndex = 0;

    // One write at 4800 baud 8N1 when the type is 0; the result is not looked at.
    void SendCommand(uint8_t port, uint8_t matrixType, const void* buffer, int count);
    uint8_t LoadMatrixType();
    // Takes effect at the next start.
    void SaveMatrixType(uint8_t type);
    void LoadInputNames(uint8_t type);
    void SaveInputNames(uint8_t type);
    void LoadGroups(uint8_t type);
    void SaveGroups(uint8_t type);

    // A 2-byte switch request of another host: input and output as received (1-based); an
    // output outside 1..16 has no slot and is ignored.
    void RemoteSwitch(uint8_t input, uint8_t output);
    // The window's direct switch: input row 0..31, output row 0..15.
    void DirectSwitch(int inputRow, int outputRow, uint8_t port);
    // A group's pairs into the frame (a later pair for an output wins), then sent.
    void ApplyGroup(int group, uint8_t port);

    // Group and pair editing on the in-memory table; false when the table is full or the
    // index names nothing.
    bool AddGroup(std::string_view name, int32_t dwell);
    bool ModifyGroup(int group, std::string_view name, int32_t dwell);
    bool DeleteGroup(int group);
    bool AddPair(int group, int inputRow, int outputRow);
    bool ModifyPair(int group, int pair, int inputRow, int outputRow);
    bool DeletePair(int group, int pair);

private:
    TSerialGateway& com_;
    TMatrixStore& store_;
};

// The window's timer, as the stepping sees it.
class TMatrixStepTimer {
public:
    virtual ~TMatrixStepTimer() = default;
    virtual void SetTimer(bool enabled, uint32_t intervalMs) = 0;
    // WM_MATRIXGROUPSTEP to the window itself.
    virtual void PostStep() = 0;
};

constexpr unsigned WM_MATRIXGROUPSTEP = 0x41C;

// Automatic stepping through the groups, each for its own dwell.
class TMatrixGroupStepper {
public:
    TMatrixGroupStepper(TMatrixsCtrl& matrix, TMatrixStepTimer& timer);

    int Tag = 0; // the group last applied
    bool Enabled() const { return enabled_; }
    uint32_t Interval() const { return interval_; }

    // "启动自动按组切换"; nothing without groups.
    void Start();
    void Stop();
    void TimerTick();
    void StepMessage(uint8_t port);
    // "切换当前组": applies the group now; the timer's state stays as it is.
    void SwitchGroup(int group, uint8_t port);

    // Dwell seconds as a timer interval: at least 1 s, at most what 32 bits hold.
    static uint32_t DwellInterval(int32_t seconds);

private:
    void Apply(int group, uint8_t port);
    void SetTimer(bool enabled);

    TMatrixsCtrl& matrix_;
    TMatrixStepTimer& timer_;
    bool enabled_ = false;
    uint32_t interval_ = 10000;
};

} // namespace vantrel
