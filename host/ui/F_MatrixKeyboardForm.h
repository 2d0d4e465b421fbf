// The keyboard windows of the matrix switchers that take short text commands on a serial
// line (DS_D and Pelco232): one button a command, held buttons repeating, and the relay that
// writes other hosts' command records to the same line.
#pragma once

#include "host/engine/U_MatrixKeyboard.h"
#include "host/engine/U_MatrixRelay.h"

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"

#include <functional>
#include <map>
#include <memory>

namespace vantrel {

class TMatrixKeyboardForm : public dvr::fw::TForm {
    FW_CLASS(TMatrixKeyboardForm, dvr::fw::TForm)
public:
    // relayPort: the listening port of the relay (0: the system's choice, -1: no relay). Relay reads reach the keyboard
    // through `onUiThread`, which runs a step on the user-interface thread.
    TMatrixKeyboardForm(dvr::fw::TComponent* AOwner, MatrixKeyboardKind kind, TSerialGateway& com,
                        int relayPort,
                        std::function<void(std::function<void()>)> onUiThread = nullptr);
    ~TMatrixKeyboardForm() override;

    TMatrixKeyboard Keyboard;
    dvr::fw::TComboBox* cb_COM;
    dvr::fw::TComboBox* cb_BurdRate;
    dvr::fw::TEdit* se_MonitorNumber;
    dvr::fw::TEdit* se_VidiconNumber;
    dvr::fw::TEdit* se_YTPrevPoint;
    dvr::fw::TEdit* se_YTAUX;
    dvr::fw::TEdit* se_YTSpeed;
    dvr::fw::TButton* bt_Close;
    dvr::fw::TTimer* Timer;
    // The button of each command the window has.
    std::map<MatrixButton, dvr::fw::TButton*> Buttons;
    bool RelayListening() const { return relay_ && relay_->Listening(); }
    int RelayPort() const { return relay_ ? relay_->Port() : 0; }

    // A click, press or release of a command button.
    void Click(MatrixButton button);
    void Press(MatrixButton button);
    void Release();
    void TimerTimer(dvr::fw::TObject* Sender);

private:
    void ButtonClick(dvr::fw::TObject* Sender);
    void ButtonDown(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                    dvr::fw::TShiftState Shift, int X, int Y);
    void ButtonUp(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                  dvr::fw::TShiftState Shift, int X, int Y);
    void bt_CloseClick(dvr::fw::TObject* Sender);
    // The window's fields into the keyboard, as the command is built.
    void TakeFields();
    MatrixButton ButtonOf(dvr::fw::TObject* Sender) const;

    std::unique_ptr<TMatrixRelayServer> relay_;
};

class TDS_D_MatrixsCtrlForm : public TMatrixKeyboardForm {
    FW_CLASS(TDS_D_MatrixsCtrlForm, TMatrixKeyboardForm)
public:
    TDS_D_MatrixsCtrlForm(dvr::fw::TComponent* AOwner, TSerialGateway& com, int relayPort,
                          std::function<void(std::function<void()>)> onUiThread = nullptr)
        : TMatrixKeyboardForm(AOwner, MatrixKeyboardKind::DsD, com, relayPort,
                              std::move(onUiThread)) {}
};

class TPelco232MatrixsCtrlForm : public TMatrixKeyboardForm {
    FW_CLASS(TPelco232MatrixsCtrlForm, TMatrixKeyboardForm)
public:
    TPelco232MatrixsCtrlForm(dvr::fw::TComponent* AOwner, TSerialGateway& com, int relayPort,
                             std::function<void(std::function<void()>)> onUiThread = nullptr)
        : TMatrixKeyboardForm(AOwner, MatrixKeyboardKind::Pelco232, com, relayPort,
                              std::move(onUiThread)) {}
};

} // namespace vantrel
