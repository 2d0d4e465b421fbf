#include "host/ui/F_MatrixKeyboardForm.h"

#include "host/ui/U_DialogControls.h"

#include <vector>

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

TMatrixKeyboardForm::TMatrixKeyboardForm(TComponent* AOwner, MatrixKeyboardKind kind,
                                         TSerialGateway& com, int relayPort,
                                         std::function<void(std::function<void()>)> onUiThread)
    : TForm(AOwner), Keyboard(kind, com, [](int ms) { ::Sleep(DWORD(ms)); }) {
    SetCaption(DialogCaption("矩阵控制"));
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetBorderIcons({});
    SetClientWidth(444);
    SetClientHeight(290);
    const bool dsd = kind == MatrixKeyboardKind::DsD;

    PutLabel(this, 8, 12, 70, "使用串口：");
    cb_COM = PutControl<TComboBox>(this, 80, 8, 80, 22);
    cb_COM->SetStyle(TComboBoxStyle::csDropDownList);
    for (int i = 1; i <= 9; ++i) cb_COM->Items()->Add("COM" + std::to_string(i));
    cb_COM->SetItemIndex(0);
    PutLabel(this, 176, 12, 60, "波特率：");
    cb_BurdRate = PutControl<TComboBox>(this, 236, 8, 80, 22);
    cb_BurdRate->SetStyle(TComboBoxStyle::csDropDownList);
    for (const char* b : {"300", "1200", "4800", "9600"}) cb_BurdRate->Items()->Add(b);
    cb_BurdRate->SetItemIndex(3);

    se_MonitorNumber = PutSpin(this, 100, 66, 1);
    se_VidiconNumber = PutSpin(this, 100, 96, 1);
    PutLabel(this, 8, 70, 90, "监视器");
    PutLabel(this, 8, 100, 90, "摄像机");
    PutLabel(this, 8, 194, 70, "预置点：");
    se_YTPrevPoint = PutSpin(this, 100, 190, 1);
    PutLabel(this, 8, 224, 70, "辅助：");
    se_YTAUX = PutSpin(this, 100, 220, 1);
    PutLabel(this, 276, 40, 80, "云台速度：");
    se_YTSpeed = PutSpin(this, 356, 36, dsd ? 8 : 60);

    for (const ButtonPlace& p : kButtons) {
        if (MatrixKeyboardCommand(kind, p.Button, Keyboard.Fields).empty()) continue;
        TButton* b = PutButton(this, p.X, p.Y, p.W, p.Caption);
        b->SetTag(int(p.Button));
        if (MatrixButtonHeld(p.Button)) {
            b->OnMouseDown = TMouseEvent(this, &TMatrixKeyboardForm::ButtonDown);
            b->OnMouseUp = TMouseEvent(this, &TMatrixKeyboardForm::ButtonUp);
        } else {
            b->OnClick = TNotifyEvent(this, &TMatrixKeyboardForm::ButtonClick);
        }
        Buttons[p.Button] = b;
    }
    bt_Close = PutButton(this, 358, 256, 76, "关闭");
    bt_Close->OnClick = TNotifyEvent(this, &TMatrixKeyboardForm::bt_CloseClick);
    Timer = new TTimer(this);
    Timer->SetEnabled(false);
    Timer->SetInterval(70);
    Timer->SetOnTimer(TNotifyEvent(this, &TMatrixKeyboardForm::TimerTimer));

    if (relayPort >= 0) {
        // The relay's records are written with the port and rate this window shows, on the
        // thread the window's own commands use.
        relay_ = std::make_unique<TMatrixRelayServer>(
            [this, onUiThread](const uint8_t* data, size_t length) {
                std::vector<uint8_t> bytes(data, data + length);
                auto write = [this, bytes] {
                    TakeFields();
                    Keyboard.RelayRead(bytes.data(), bytes.size());
                };
                if (onUiThread)
                    onUiThread(write);
                else
                    write();
            });
        // A port another program holds leaves this relay closed until the next start.
        relay_->Open(relayPort);
    }
}

TMatrixKeyboardForm::~TMatrixKeyboardForm() {
    if (relay_) relay_->Close();
}

void TMatrixKeyboardForm::TakeFields() {
    const bool dsd = Keyboard.Kind == MatrixKeyboardKind::DsD;
    const int numbers = dsd ? 256 : 10000;
    Keyboard.Port = uint8_t(cb_COM->ItemIndex() < 0 ? 0 : cb_COM->ItemIndex());
    const int rate = cb_BurdRate->ItemIndex();
    Keyboard.Baud = std::atoi(cb_BurdRate->Items()->Get(rate < 0 ? 3 : rate).c_str());
    Keyboard.Fields.MonitorText = std::to_string(SpinValue(se_MonitorNumber, 1, numbers));
    Keyboard.Fields.VidiconText = std::to_string(SpinValue(se_VidiconNumber, 1, numbers));
    Keyboard.Fields.Preset = SpinValue(se_YTPrevPoint, 1, numbers);
    Keyboard.Fields.Aux = SpinValue(se_YTAUX, 1, 256);
    Keyboard.Fields.Speed = SpinValue(se_YTSpeed, 1, dsd ? 8 : 64);
}

MatrixButton TMatrixKeyboardForm::ButtonOf(TObject* Sender) const {
    return MatrixButton(static_cast<TButton*>(Sender)->Tag());
}

void TMatrixKeyboardForm::Click(MatrixButton button) {
    TakeFields();
    Keyboard.Click(button);
}

void TMatrixKeyboardForm::Press(MatrixButton button) {
    TakeFields();
    Keyboard.ButtonDown(button);
    Timer->SetEnabled(Keyboard.TimerEnabled());
}

void TMatrixKeyboardForm::Release() {
    Timer->SetEnabled(false);
    Keyboard.ButtonUp();
}

void TMatrixKeyboardForm::TimerTimer(TObject*) {
    Keyboard.TimerTick();
}

void TMatrixKeyboardForm::ButtonClick(TObject* Sender) {
    Click(ButtonOf(Sender));
}

void TMatrixKeyboardForm::ButtonDown(TObject* Sender, TMouseButton, TShiftState, int, int) {
    Press(ButtonOf(Sender));
}

void TMatrixKeyboardForm::ButtonUp(TObject*, TMouseButton, TShiftState, int, int) {
    Release();
}

void TMatrixKeyboardForm::bt_CloseClick(TObject*) {
    Hide();
}

} // namespace vantrel
