#include "host/ui/U_MatrixKeyboardLayout.h"

#include "host/ui/U_DialogControls.h"

#include <string>

namespace vantrel {

using namespace dvr::fw;

namespace {

struct ButtonPlace {
    MatrixButton Button;
    const char* Caption;
    int X, Y, W;
};

// The DS_D window's buttons; the Pelco232 window has those its command table has.
constexpr ButtonPlace kButtons[] = {
    {MatrixButton::SwitchMonitor, "切换监视器", 170, 64, 90},
    {MatrixButton::SwitchVidicon, "切换摄像机", 170, 94, 90},
    {MatrixButton::SwitchForward, "正向切换", 8, 126, 80},
    {MatrixButton::SwitchBack, "反向切换", 92, 126, 80},
    {MatrixButton::LockVidicon, "锁定当前摄像机", 8, 156, 120},
    {MatrixButton::UnlockVidicon, "解锁当前摄像机", 132, 156, 120},
    {MatrixButton::Up, "上", 330, 64, 50},
    {MatrixButton::Left, "左", 276, 94, 50},
    {MatrixButton::Right, "右", 384, 94, 50},
    {MatrixButton::Down, "下", 330, 124, 50},
    {MatrixButton::IrisOpen, "光圈开", 276, 160, 76},
    {MatrixButton::IrisClose, "光圈关", 358, 160, 76},
    {MatrixButton::FocusFar, "聚焦远", 276, 190, 76},
    {MatrixButton::FocusNear, "聚焦近", 358, 190, 76},
    {MatrixButton::ZoomWide, "全景", 276, 220, 76},
    {MatrixButton::ZoomTele, "特写", 358, 220, 76},
    {MatrixButton::PresetSet, "设", 170, 190, 40},
    {MatrixButton::PresetCall, "调", 214, 190, 40},
    {MatrixButton::AuxOpen, "开", 170, 220, 40},
    {MatrixButton::AuxClose, "关", 214, 220, 40},
    {MatrixButton::AutoOpen, "开自动", 8, 250, 80},
    {MatrixButton::AutoClose, "关自动", 92, 250, 80},
};

TEdit* PutSpin(TWinControl* parent, int x, int y, int value) {
    auto* e = PutControl<TEdit>(parent, x, y, 60, 22);
    e->SetText(std::to_string(value));
    return e;
}

} // namespace

TMatrixKeyboardFieldsUi PlaceMatrixKeyboard(TWinControl* parent, MatrixKeyboardKind kind, int top,
                                            std::map<MatrixButton, TButton*>& buttons) {
    const int dy = top - 36;
    const bool dsd = kind == MatrixKeyboardKind::DsD;
    TMatrixKeyboardFieldsUi ui{};
    ui.MonitorNumber = PutSpin(parent, 100, 66 + dy, 1);
    ui.VidiconNumber = PutSpin(parent, 100, 96 + dy, 1);
    PutLabel(parent, 8, 70 + dy, 90, "监视器");
    PutLabel(parent, 8, 100 + dy, 90, "摄像机");
    PutLabel(parent, 8, 194 + dy, 70, "预置点：");
    ui.PresetNumber = PutSpin(parent, 100, 190 + dy, 1);
    PutLabel(parent, 8, 224 + dy, 70, "辅助：");
    ui.AuxNumber = PutSpin(parent, 100, 220 + dy, 1);
    PutLabel(parent, 276, 40 + dy, 80, "云台速度：");
    ui.Speed = PutSpin(parent, 356, 36 + dy, dsd ? 8 : 60);
    const MatrixKeyboardFields probe;
    for (const ButtonPlace& p : kButtons) {
        if (MatrixKeyboardCommand(kind, p.Button, probe).empty()) continue;
        TButton* b = PutButton(parent, p.X, p.Y + dy, p.W, p.Caption);
        b->SetTag(int(p.Button));
        buttons[p.Button] = b;
    }
    return ui;
}

void ReadMatrixKeyboardFields(const TMatrixKeyboardFieldsUi& ui, MatrixKeyboardKind kind,
                              MatrixKeyboardFields& fields) {
    const bool dsd = kind == MatrixKeyboardKind::DsD;
    const int numbers = dsd ? 256 : 10000;
    fields.MonitorText = std::to_string(SpinValue(ui.MonitorNumber, 1, numbers));
    fields.VidiconText = std::to_string(SpinValue(ui.VidiconNumber, 1, numbers));
    fields.Preset = SpinValue(ui.PresetNumber, 1, numbers);
    fields.Aux = SpinValue(ui.AuxNumber, 1, 256);
    fields.Speed = SpinValue(ui.Speed, 1, dsd ? 8 : 64);
}

} // namespace vantrel
