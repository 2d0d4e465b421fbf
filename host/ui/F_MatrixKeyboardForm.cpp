#include "host/ui/F_MatrixKeyboardForm.h"

#include "host/ui/U_DialogControls.h"
#include "host/ui/U_MatrixKeyboardLayout.h"

#include <vector>

namespace vantrel {

using namespace dvr::fw;


TMatrixKeyboardForm::TMatrixKeyboardForm(TComponent* AOwner, MatrixKeyboardKind kind,
                                         TSerialGateway& com, int relayPort,
                                         std::function<void(std::function<void()>)> onUiThread)
    : TForm(AOwner), Keyboard(kind, com, [](int ms) { ::Sleep(DWORD(ms)); }) {
    SetCaption(DialogCaption("矩阵控制"));
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetBorderIcons({});
    SetClientWidth(444);
    SetClientHeight(290);
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

    const TMatrixKeyboardFieldsUi ui = PlaceMatrixKeyboard(this, kind, 36, Buttons);
    se_MonitorNumber = ui.MonitorNumber;
    se_VidiconNumber = ui.VidiconNumber;
    se_YTPrevPoint = ui.PresetNumber;
    se_YTAUX = ui.AuxNumber;
    se_YTSpeed = ui.Speed;
    for (auto& [button, b] : Buttons) {
        if (MatrixButtonHeld(button)) {
            b->OnMouseDown = TMouseEvent(this, &TMatrixKeyboardForm::ButtonDown);
            b->OnMouseUp = TMouseEvent(this, &TMatrixKeyboardForm::ButtonUp);
        } else {
            b->OnClick = TNotifyEvent(this, &TMatrixKeyboardForm::ButtonClick);
        }
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
    Keyboard.Port = uint8_t(cb_COM->ItemIndex() < 0 ? 0 : cb_COM->ItemIndex());
    const int rate = cb_BurdRate->ItemIndex();
    Keyboard.Baud = std::atoi(cb_BurdRate->Items()->Get(rate < 0 ? 3 : rate).c_str());
    ReadMatrixKeyboardFields({se_MonitorNumber, se_VidiconNumber, se_YTPrevPoint, se_YTAUX, se_YTSpeed},
                             Keyboard.Kind, Keyboard.Fields);
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
