#include "host/engine/U_MatrixsCtrl.h"

#include <algorithm>
#include <cstring>

namespace vantrel {
namespace {

constexpr int32_t kMatrixBaud = 4800;

} // namespace

TMatrixsCtrl::TMatrixsCtrl(TSerialGateway& com, TMatrixStore& store) : com_(com), store_(store) {
    MatrixType = LoadMatrixType();
    PortIndex = 0;
    LoadInputNames(MatrixType);
    SwitchFrame = XMSwitchFrame{{'A', 'T'}, {}, {0x0D, 0x0A}};
    Groups.GroupCount = 0;
    for (TMatrixGroup& g : Groups.Groups)
        g.PairCount = 0;
    LoadGroups(MatrixType);
}

void TMatrixsCtrl::SendCommand(uint8_t port, uint8_t matrixType, const void* buffer, int count) {
    PortIndex = port;
    if (matrixType != 0) return;
    SerialWrite(com_, port, kMatrixBaud, 0, buffer, count);
}

uint8_t TMatrixsCtrl::LoadMatrixType() {
    uint8_t type = 0;
    return store_.Read("Matrixs", &type, 1) == 1 ? type : 0;
}

void TMatrixsCtrl::SaveMatrixType(uint8_t type) {
    store_.Write("Matrixs", &type, 1);
}

void TMatrixsCtrl::LoadInputNames(uint8_t type) {
    if (type == 0) store_.Read("XM", &InputNames, sizeof InputNames);
}

void TMatrixsCtrl::SaveInputNames(uint8_t type) {
    if (type == 0) store_.Write("XM", &InputNames, sizeof InputNames);
}

void TMatrixsCtrl::LoadGroups(uint8_t type) {
    if (type != 0) return;
    store_.Read("XM_Group", &Groups, sizeof Groups);
    // A damaged stored table must not make the window walk past its 20 groups or 25 pairs.
    Groups.GroupCount = std::min<uint8_t>(Groups.GroupCount, kMatrixGroups);
    for (TMatrixGroup& g : Groups.Groups)
        g.PairCount = std::min<uint8_t>(g.PairCount, kMatrixPairs);
}

void TMatrixsCtrl::SaveGroups(uint8_t type) {
    if (type == 0) store_.Write("XM_Group", &Groups, sizeof Groups);
}

void TMatrixsCtrl::RemoteSwitch(uint8_t input, uint8_t output) {
    if (MatrixType != 0 || output < 1 || output > kMatrixOutputs) return;
    SwitchFrame.Slots[output - 1] = input;
    SendCommand(PortIndex, MatrixType, &SwitchFrame, sizeof SwitchFrame);
}

void TMatrixsCtrl::DirectSwitch(int inputRow, int outputRow, uint8_t port) {
    if (inputRow < 0 || inputRow >= kMatrixInputs || outputRow < 0 || outputRow >= kMatrixOutputs)
        return;
    SwitchFrame.Slots[outputRow] = uint8_t(inputRow + 1);
    SendCommand(port, MatrixType, &SwitchFrame, sizeof SwitchFrame);
}

void TMatrixsCtrl::ApplyGroup(int group, uint8_t port) {
    if (group < 0 || group >= Groups.GroupCount) return;
    const TMatrixGroup& g = Groups.Groups[group];
    for (int i = 0; i < g.PairCount && i < kMatrixPairs; ++i)
        if (g.Pairs[i].Output < kMatrixOutputs)
            SwitchFrame.Slots[g.Pairs[i].Output] = uint8_t(g.Pairs[i].Input + 1);
    SendCommand(port, MatrixType, &SwitchFrame, sizeof SwitchFrame);
}

bool TMatrixsCtrl::AddGroup(std::string_view name, int32_t dwell) {
    if (Groups.GroupCount >= kMatrixGroups) return false;
    TMatrixGroup& g = Groups.Groups[Groups.GroupCount];
    g.PairCount = 0;
    g.Name.Set(name);
    g.DwellSeconds = dwell;
    ++Groups.GroupCount;
    return true;
}

bool TMatrixsCtrl::ModifyGroup(int group, std::string_view name, int32_t dwell) {
    if (group < 0 || group >= Groups.GroupCount) return false;
    Groups.Groups[group].Name.Set(name);
    Groups.Groups[group].DwellSeconds = dwell;
    return true;
}

bool TMatrixsCtrl::DeleteGroup(int group) {
    if (group < 0 || group >= Groups.GroupCount) return false;
    for (int g = group; g + 1 < Groups.GroupCount; ++g)
        Groups.Groups[g] = Groups.Groups[g + 1];
    --Groups.GroupCount;
    return true;
}

bool TMatrixsCtrl::AddPair(int group, int inputRow, int outputRow) {
    if (group < 0 || group >= Groups.GroupCount) return false;
    TMatrixGroup& g = Groups.Groups[group];
    if (g.PairCount >= kMatrixPairs || inputRow < 0 || inputRow >= kMatrixInputs || outputRow < 0 ||
        outputRow >= kMatrixOutputs)
        return false;
    g.Pairs[g.PairCount++] = TMatrixPair{uint8_t(outputRow), uint8_t(inputRow)};
    return true;
}

bool TMatrixsCtrl::ModifyPair(int group, int pair, int inputRow, int outputRow) {
    if (group < 0 || group >= Groups.GroupCount) return false;
    TMatrixGroup& g = Groups.Groups[group];
    if (pair < 0 || pair >= g.PairCount || inputRow < 0 || inputRow >= kMatrixInputs ||
        outputRow < 0 || outputRow >= kMatrixOutputs)
        return false;
    g.Pairs[pair] = TMatrixPair{uint8_t(outputRow), uint8_t(inputRow)};
    return true;
}

bool TMatrixsCtrl::DeletePair(int group, int pair) {
    if (group < 0 || group >= Groups.GroupCount) return false;
    TMatrixGroup& g = Groups.Groups[group];
    if (pair < 0 || pair >= g.PairCount) return false;
    for (int i = pair; i + 1 < g.PairCount; ++i)
        g.Pairs[i] = g.Pairs[i + 1];
    --g.PairCount;
    return true;
}

TMatrixGroupStepper::TMatrixGroupStepper(TMatrixsCtrl& matrix, TMatrixStepTimer& timer)
    : matrix_(matrix), timer_(timer) {}

uint32_t TMatrixGroupStepper::DwellInterval(int32_t seconds) {
    const int64_t ms = int64_t(seconds) * 1000;
    if (ms < 1000) return 1000;
    return ms > int64_t(UINT32_MAX) ? UINT32_MAX : uint32_t(ms);
}

void TMatrixGroupStepper::SetTimer(bool enabled) {
    enabled_ = enabled;
    timer_.SetTimer(enabled_, interval_);
}

void TMatrixGroupStepper::Start() {
    if (matrix_.Groups.GroupCount == 0) return;
    Tag = 0;
    interval_ = 10000;
    SetTimer(true);
    timer_.PostStep();
}

void TMatrixGroupStepper::Stop() {
    SetTimer(false);
}

void TMatrixGroupStepper::TimerTick() {
    ++Tag;
    timer_.PostStep();
}

void TMatrixGroupStepper::Apply(int group, uint8_t port) {
    if (matrix_.MatrixType != 0) return;
    interval_ = DwellInterval(matrix_.Groups.Groups[group].DwellSeconds);
    matrix_.ApplyGroup(group, port);
}

void TMatrixGroupStepper::StepMessage(uint8_t port) {
    if (!enabled_) return;
    SetTimer(false);
    if (Tag >= matrix_.Groups.GroupCount) Tag = 0;
    if (matrix_.Groups.GroupCount > 0) Apply(Tag, port);
    SetTimer(true);
}

void TMatrixGroupStepper::SwitchGroup(int group, uint8_t port) {
    if (group < 0 || group >= matrix_.Groups.GroupCount) return;
    Tag = group;
    Apply(group, port);
    timer_.SetTimer(enabled_, interval_);
}

} // namespace vantrel
